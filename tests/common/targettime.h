#pragma once

#include <QElapsedTimer>

#include "exerciseclock.h"

// The time simulated targets count: real time, and the time a test skips
// ahead by hand on top of it, as the range simulator's targets count once
// it is told the same (RangeSimulator::skipAheadMs).
class TargetTime : public ExerciseClock
{
public:
    TargetTime() { m_real.start(); }
    qint64 nowMs() const override { return m_real.elapsed() + m_aheadMs; }
    void skipAheadMs(qint64 ms) { m_aheadMs += ms; }

private:
    QElapsedTimer m_real;
    qint64 m_aheadMs = 0;
};
