#include "exerciseclock.h"

#include <QtGlobal>

#include <algorithm>

MonotonicClock::MonotonicClock()
    : MonotonicClock(speedFromEnvironment())
{
}

MonotonicClock::MonotonicClock(int speed)
    : m_speed(std::max(1, speed))
{
    m_timer.start();
}

qint64 MonotonicClock::nowMs() const
{
    return m_timer.elapsed() * m_speed;
}

int MonotonicClock::tickIntervalMs() const
{
    return std::max(1, kTickMs / m_speed);
}

int MonotonicClock::speedFromEnvironment()
{
    bool ok = false;
    const int speed = qEnvironmentVariableIntValue(kSpeedVariable, &ok);
    return ok && speed > 0 ? speed : 1;
}
