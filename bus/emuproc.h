#pragma once

#include "busgaps.h"
#include "busline.h"
#include "emurecords.h"
#include "targetio.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>
#include <vector>

typedef signed char schar;

// The only master of the range bus. It lives in the worker thread and runs
// process() until stop(): it keeps the relay's lanes on the line, finds the
// converters and the targets, writes the exercise's commands, polls each
// target for the shot the exercise wants next and reports every answer as a
// signal to the GUI thread. Calls from other threads are queued and run
// inside the loop's waits.
class EMUProc : public QObject
{
    Q_OBJECT

public:
    // A lost converter is looked for again while the others are served.
    enum State { Idle = -1, Serving = 0, TargetSearch = 1 };

    // Where the network converter is configured: environment variables, or
    // the default address on the range's network.
    static constexpr const char kTcpHostVariable[] = "RANGE_TCP_HOST";
    static constexpr const char kTcpPortVariable[] = "RANGE_TCP_PORT";
    static constexpr const char kDefaultTcpHost[] = "192.168.0.10";
    // A converter lost this long is told with its lanes (sig_PortLost).
    static constexpr qint64 kPortLostToldAfterMs = 5000;

    // mode 0: five serial ports; mode 1: one TCP converter.
    EMUProc(int mode, int AddrStart, int AddrCol);
    // The same on a clock of the caller's (it outlives this object): a test
    // moves the time on to a converter's timeout.
    EMUProc(int mode, int AddrStart, int AddrCol, BusClock *clock);
    // On a line and a clock of the caller's (both outlive this object), who
    // hands the answers to slot_emu_Answer: a model of the line.
    EMUProc(BusLine *line, BusClock *clock, int AddrStart, int AddrCol);
    ~EMUProc() override;

    // Moves the port set and its devices to this object's thread; call after
    // moveToThread() and before the thread starts.
    void moveIoToThread();
    // Call before the thread starts.
    void setGaps(const BusGaps &gaps) { this->gaps = gaps; }

    int getState() const { return state; }
    // A lane on the line, or nullptr.
    const EmuMember *findMember(int address) const;
    QList<QByteArray> priorityFrames() const;
    QList<QByteArray> commandFrames() const;

public slots:
    void process();
    void stop();
    void slot_emu_SendCommand(QByteArray command);
    void slot_emu_GetBullet(int ta, int _num);
    void slot_emu_StopReadBullet();
    void slot_view_AddMember(int _addr, int _startNum, QString _familyName, QString _name,
                             int firstlast);
    void slot_view_StartFinding();
    void slot_emu_Answer(int PortID, int PortNum, QByteArray _answer);
    void slot_emu_Founded(int PortID, int portNum, bool _found);
    void slot_emu_Readed(int PortID, int PortNum, QByteArray _answer);
    void slot_emu_Wrote(int PortID, int PortNum, QByteArray _answer);
    void slot_emu_Error(int PortID, int code);

signals:
    void sig_finished();
    void sig_PortFounded(int PortID, int portNum, bool _found, int colenabled);
    // The port's converter has been lost for kPortLostToldAfterMs (true),
    // or found again after that (false); targets: the lanes last heard
    // through it, in relay order. Told once each way.
    void sig_PortLost(int PortID, bool lost, QList<int> targets);
    void sig_TargetEnabled(int ta, bool enabled);
    // A poll of the lane went unanswered until its next poll (false), or the
    // silent lane's target answered again (true).
    void sig_TargetHeard(int ta, bool heard);
    // The target answered, but not with a shot or a "no shot" taken for a
    // poll: an acknowledgement of a command, or an answer dropped because
    // a START overtook its poll. It was on the line then.
    void sig_TargetAnswered(int ta);
    // The lane's target is asked for this shot number (0: a ping, which asks
    // for none): a late copy of its answer may be read for a later poll.
    void sig_TargetAsked(int ta, int number);
    // The target answered with this shot, but not for the poll it came
    // after (a START overtook that poll, or the exercise moved on from its
    // number): not stored, yet a late copy of it may come for a later poll.
    void sig_ShotNotTaken(int ta, int _num, QPoint _coord, schar _place, int _timebull);
    // The lane's target has not answered for LaneWait::kToldAfterMs while
    // the line was there to carry its answer (true), or answered again
    // after that (false). Not told in a relay's first target search, whose
    // lamps show which target is sought.
    void sig_TargetMissing(int ta, bool missing);
    void sig_PCEnabled(int ta, bool enabled);
    void sig_EventStarted();
    void sig_EventStoped();
    void sig_ClasterSetted();
    void sig_AddBullet(int ta, int _num, QPoint _coord, schar _place, int _timebull,
                       int _timeevent);
    // The lane's target answered a poll for this shot number: no such shot yet.
    void sig_NoBullet(int ta, int _num);
    void sig_BDReseted(int ta);
    void sig_setMatchFromPC(int ta, int mode);
    void sig_PCWroteBullet(int ta, int mode, int colbull);
    void sig_setTime(int _timeevent);
    void sig_DataReaded(int PortID, int PortNum, QByteArray data, int decoded);
    void sig_DataWrote(int PortID, int PortNum, QByteArray data);

private:
    using MemberPtr = std::shared_ptr<EmuMember>; // the loop holds one while it works on a lane

    void connectIo();
    void disconnectIo();

    // Loop steps.
    void searchStep();
    void writeFromQueue(QList<EmuCommand> &queue, int gapMs, bool reportWrites);
    void memberCycle();
    void closeBus();
    int waitGap(int gapMs);
    void restartLastSend();

    void setState(int newState);
    void queueSetupFrames();
    void resetPortsAndTargets();
    void setTargetEnabled(EmuMember &member, bool enabled);
    void disableTargetsOfPort(int portId);
    void reportDeadPort(EmuPortState &record);
    void checkPorts();
    // Between two lanes' turns: a lost port is reported, told once lost
    // for long, and looked for again now and then; one found again is
    // given the commands it missed.
    void servePorts();
    void writeOwed(EmuPortState &record);
    // A report of a command of the exercise written.
    void reportWritten(const EmuCommand &command);
    // Dead, or without a converter: its lanes hear nothing.
    bool isPortLost(int portId);
    bool isPortAway(int portId) const;
    // Its lanes' silence may be one target's: ask one known to answer.
    bool isPortDoubted(int portId) const;
    bool touchPort(int portId, int comNum, bool alive, bool keepComNum);
    void portBack(EmuPortState &record);
    // A frame the lane's units answer was written towards its port; a lane
    // not heard through any port yet may be behind each of them.
    void askedThrough(const EmuMember &member);
    int liveCount();
    int comNumOf(int portId) const;

    MemberPtr memberAt(int address) const;
    int indexOf(const MemberPtr &member) const;

    // Answer decoding.
    void decodeTerminalBullet(int PortID, const QByteArray &answer);
    void decodeLaneAnswer(EmuMember &member, const QByteArray &answer);
    void decodeShot(EmuMember &member, const QByteArray &answer);
    void enableTarget(EmuMember &member, bool wasEnabled);
    void noteTargetAnswer(EmuMember &member);
    // A frame the lane's target answers goes out to it: waited for too
    // long, it is told missing and taken for one that does not answer.
    void askTarget(EmuMember &member);
    void writePoll(EmuMember &member, const QByteArray &poll);
    // Asks the target for no shot (told as asked), through its own port.
    void writePing(EmuMember &member);
    // A target that does not answer, asked for no shot, on every converter.
    void pingSilent(EmuMember &member);
    // Writes a command frame; a START written to one target or to all
    // (broadcast address) marks the lanes it reached whose poll awaits its
    // answer. A command of the exercise is owed to the ports away.
    bool writeCommand(const EmuCommand &command, bool owed = false);
    void startWritten(const EmuCommand &command, int portId);

    std::unique_ptr<TargetIO> ownIo; // the program's port set; none on a caller's line
    std::unique_ptr<RealBusClock> ownClock;
    BusLine *line = nullptr;   // ownIo, or the caller's
    BusClock *clock = nullptr; // ownClock, or the caller's
    BusGaps gaps;
    int AddrStart = 1;
    int AddrCol = 10;
    bool running = true;
    bool busy = false;
    int state = Idle;
    QList<EmuCommand> commandQueue;
    QList<EmuCommand> priorityQueue;
    QList<EmuPortState> ports;
    std::vector<MemberPtr> members;

    // State of the loop.
    qint64 lastSendNs = -1; // on clock; -1 before the first write
    int memberIndex = 0;
    int waited = 1;
};
