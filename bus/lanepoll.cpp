#include "lanepoll.h"

#include <utility>

void LanePoll::want(int number)
{
    m_wanted = number;
    if (number >= 1)
        return;
    m_unanswered = 0;
    m_polled = 0;
    m_silenceTold = false;
}

void LanePoll::unanswered(qint64 nowMs)
{
    if (m_unanswered == 0)
        m_unansweredSinceMs = nowMs;
    ++m_unanswered;
}

bool LanePoll::pollDue(qint64 nowMs)
{
    unanswered(nowMs);
    if ((m_silent && m_silenceTold) || m_unanswered <= kSilentAfterPolls
        || nowMs - m_unansweredSinceMs < kSilentAfterMs)
        return false;
    m_silent = true;
    m_silenceTold = true;
    return true;
}

void LanePoll::pollWritten()
{
    // A START mark stays: the late answer it waits for still comes first.
    m_polled = m_wanted;
    m_awaiting = true;
}

void LanePoll::pingWritten(qint64 nowMs)
{
    m_polled = 0;
    unanswered(nowMs);
}

void LanePoll::startWritten()
{
    if (m_polled != 0 || m_awaiting)
        m_startOvertook = true;
}

bool LanePoll::unreached()
{
    if (m_silent)
        return false;
    m_silent = true;
    m_silenceTold = true;
    return true;
}

bool LanePoll::heard()
{
    m_unanswered = 0;
    return std::exchange(m_silent, false);
}

LanePoll::Reading LanePoll::read(int number)
{
    // The first answer after a poll is its answer; a late copy finds none.
    const int polled = std::exchange(m_polled, 0);
    m_awaiting = false;
    if (std::exchange(m_startOvertook, false))
        return {};
    if (number == 0)
        return polled > 0 ? Reading{Reading::NoShot, polled} : Reading{};
    // A late copy of an earlier answer, or an answer to a poll the exercise
    // has moved on from, would be stored as the shot asked for.
    if (number != m_wanted)
        return {};
    m_wanted = 0; // no more polls until the exercise asks for the next shot
    return {Reading::Shot, number};
}

bool LaneWait::asked(qint64 nowMs)
{
    if (m_sinceMs < 0)
        m_sinceMs = nowMs;
    if (m_told || nowMs - m_sinceMs <= kToldAfterMs)
        return false;
    m_told = true;
    return true;
}

bool LaneWait::answered()
{
    m_sinceMs = -1;
    return std::exchange(m_told, false);
}
