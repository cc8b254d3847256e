#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// The time source every running exercise reads. Exercise time is measured as
// the difference of two readings, so the source must never go back: the
// default one is monotonic and an exercise that runs across midnight keeps
// its time. Tests put a hand-advanced source in its place so that a 900 s
// sighting runs in milliseconds.
class ExerciseClock
{
public:
    // The exercise clock's update period in real time.
    static constexpr int kTickMs = 100;

    virtual ~ExerciseClock() = default;

    // Milliseconds of exercise time since an arbitrary fixed origin.
    virtual qint64 nowMs() const = 0;
    // Real milliseconds between two updates of the exercise clock, so that a
    // sped-up source still shows every second.
    virtual int tickIntervalMs() const { return kTickMs; }
};

// The monotonic clock of the machine, optionally sped up by the environment
// variable RANGE_CLOCK_SPEED (a whole factor, e.g. 10) for demonstrations
// against the range simulator.
class MonotonicClock : public ExerciseClock
{
public:
    static constexpr const char *kSpeedVariable = "RANGE_CLOCK_SPEED";

    MonotonicClock();
    explicit MonotonicClock(int speed);

    qint64 nowMs() const override;
    int tickIntervalMs() const override;
    int speed() const { return m_speed; }

    // The factor the environment asks for; 1 when unset or not a positive number.
    static int speedFromEnvironment();

private:
    QElapsedTimer m_timer;
    int m_speed = 1;
};

// A clock that moves only when told to.
class ManualClock : public ExerciseClock
{
public:
    qint64 nowMs() const override { return m_nowMs; }
    void advanceMs(qint64 ms) { m_nowMs += ms; }
    void setNowMs(qint64 ms) { m_nowMs = ms; }

private:
    qint64 m_nowMs = 0;
};
