#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// One shot as a target unit holds it: coordinates are magnitudes in tenths of
// a millimetre from the centre, the time counts tenths of a second from the
// unit's start.
struct SimShot
{
    int number = 0;
    quint16 x = 0;
    quint16 y = 0;
    qint8 place = 0;
    int timeTenths = 0; // sent as 24 bits
};

// The electronic target unit of one lane: switched on and off, started with a
// time and shot limit, stopped, its shot memory reset, and polled for shots.
class SimTargetUnit
{
public:
    static constexpr int kMemorySize = 255;
    static constexpr int kNoTimeLimit = 0xFFFF;
    static constexpr int kNoShotLimit = 0xFF;
    // Copies of one start (a broadcast goes out three times, a pistol stage
    // repeats it until confirmed) arrive within this time and restart nothing.
    static constexpr qint64 kStartCopyWindowMs = 1000;

    enum class State {
        Off,     // switched off (AA 00): no shot is recorded
        Free,    // on, no exercise started: shots are recorded without limits
        Running, // started (A0): shots are recorded within the start's limits
        Stopped  // stopped (A1): no shot is recorded until the next start
    };

    explicit SimTargetUnit(int address);

    // Acts on a frame (CRC already checked and removed) and returns the answer
    // without CRC, empty when the frame asks for none. A broadcast frame is
    // acted on but never answered.
    QByteArray handle(const QByteArray &frame, qint64 nowMs);

    // Records a shot; timeTenths < 0 takes the time since the unit's start.
    // Returns the shot's number, or 0 when the unit refused it (off, stopped,
    // memory full, past its time or shot limit).
    int fire(quint16 x, quint16 y, qint8 place, int timeTenths, qint64 nowMs);

    // The copies of a start come within a few bus gaps; a test that starts
    // the same exercise again soon after may shorten the window to that.
    void setStartCopyWindowMs(qint64 ms) { m_startCopyWindowMs = ms; }
    qint64 startCopyWindowMs() const { return m_startCopyWindowMs; }

    // Power comes back after a cut: the shot memory is empty, no exercise is
    // started, and the unit counts its time from now.
    void powerUp(qint64 nowMs);

    int address() const { return m_address; }
    State state() const { return m_state; }
    const QVector<SimShot> &shots() const { return m_shots; }
    int clusterMode() const { return m_clusterMode; }
    int face() const { return m_face; }
    int timeLimitSeconds() const { return m_timeLimitSeconds; }
    int shotLimit() const { return m_shotLimit; }
    int startFlag() const { return m_startFlag; }
    int startCount() const { return m_startCount; }
    int resetCount() const { return m_resetCount; }

    // The answer to a poll for shot n (0 for "no shot yet").
    QByteArray shotAnswer(int n) const;

    // Moves shot n to a point near it where its answer holds a decoy window
    // (see SimFrame::hasDecoyWindow), usually a few centimetres away. False
    // when there is none such.
    bool moveToDecoy(int n);

private:
    QByteArray answerOf(const SimShot &shot) const;
    // Updates *best when a point of the block of coordinates with these high
    // bytes is a decoy nearer to `original` than *bestDistance (-1: none yet).
    void nearestDecoyInBlock(const SimShot &original, int xHigh, int yHigh, SimShot *best,
                             int *bestDistance) const;

    void start(const QByteArray &frame, qint64 nowMs);

    int m_address = 0;
    State m_state = State::Free;
    QVector<SimShot> m_shots;
    qint64 m_startMs = 0;
    QByteArray m_lastStartFrame; // data of the last start, to recognise its copies
    qint64 m_lastStartMs = -1;
    qint64 m_startCopyWindowMs = kStartCopyWindowMs;
    int m_face = 0;
    int m_timeLimitSeconds = kNoTimeLimit;
    int m_shotLimit = kNoShotLimit;
    int m_startFlag = 0;
    int m_clusterMode = 0;
    int m_startCount = 0;
    int m_resetCount = 0;
};
