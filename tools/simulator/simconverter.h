#pragma once

#include "simtargetunit.h"
#include "simterminal.h"

#include <QByteArray>
#include <QList>
#include <map>
#include <optional>

// One firing point: its target unit and its terminal share the bus address.
// Besides the units' own behaviour it carries the faults a test asks for.
struct SimLane
{
    explicit SimLane(int address) : target(address), terminal(address) {}

    // Hands a frame to the unit its code belongs to (0x31..0x40 the terminal,
    // 0xA0 and up the target) and returns the answer without CRC, if any.
    QByteArray handle(const QByteArray &frame, qint64 nowMs);
    // Whether a start frame that comes now is one the target misses.
    bool missesStart(qint64 nowMs);

    SimTargetUnit target;
    SimTerminal terminal;
    bool targetPresent = true;   // false: the target hears and answers nothing
    // false: a loose cable; the target hears and answers nothing, yet goes
    // on recording its shots.
    bool targetHears = true;
    // >= 0: the cable is plugged in again that many milliseconds after the
    // next start frame for the target has gone down the line.
    int hearAfterNextStartMs = -1;
    bool terminalPresent = true; // false: the terminal hears and answers nothing
    // The target misses the next start frame and its copies (a garbled
    // broadcast) while it hears and answers everything else.
    bool missNextStart = false;
    qint64 startsMissedUntilMs = -1;
    // A terminal's request for a mode change waits for the next frame that
    // gives the lane the line: a poll or a terminal command to this lane.
    std::optional<int> matchRequestMode;
    int answersToDrop = 0;  // -1: every answer
    int answersToBreak = 0; // sent with a broken CRC
    int answerDelayMs = 0;
};

// A bus converter: it answers its own probes and hands every other frame to
// the lanes on its bus. Pure logic; the simulator does the input and output.
class SimConverter
{
public:
    explicit SimConverter(quint8 address = 0) : m_address(address) {}

    quint8 address() const { return m_address; }

    void addLane(int address);
    SimLane *lane(int address);
    const SimLane *lane(int address) const;
    QList<int> laneAddresses() const;

    // Acts on one received frame (CRC checked and removed) and returns the
    // answer without CRC, empty when nobody answers. *answeringLane is set to
    // the lane that answers, or -1 for the converter itself.
    QByteArray handle(const QByteArray &frame, qint64 nowMs, int *answeringLane);

private:
    quint8 m_address = 0;
    std::map<int, SimLane> m_lanes;
};
