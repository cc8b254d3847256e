#include "lanestart.h"

#include <algorithm>

namespace {

constexpr qint64 kMsPerTenth = 100;

bool sameShot(const LaneShot &a, const LaneShot &b)
{
    return a.number == b.number && a.point == b.point && a.timeTenths == b.timeTenths;
}

} // namespace

void LaneStart::beginPage(const QVector<LaneShot> &earlierPage)
{
    // A lane that missed the START before counts from a START further back,
    // which the exercise does not know.
    m_earlierTaken = m_pageBegun
        && (m_state == State::Taken || m_state == State::Trusted || m_state == State::Proven);
    if (!earlierPage.isEmpty() || !m_pageBegun)
        m_earlierPage = earlierPage;
    m_pageBegun = true;
    m_state = m_heard ? State::Taken : State::Unheard;
    m_skippedUpTo = 0;
    m_repeatedNumber = 0;
    m_answered = false;
}

void LaneStart::targetReset()
{
    m_state = State::Taken;
    m_earlierPage.clear();
    m_earlierTaken = false;
    m_skippedUpTo = 0;
    m_repeatedNumber = 0;
    m_answered = false;
}

void LaneStart::setHeard(bool heard)
{
    m_heard = heard;
    // Unanswered between the START and the page's first shot: it may have
    // been deaf when the START went out.
    if (!heard && !m_answered && m_state == State::Taken)
        m_state = State::Unheard;
}

LaneStart::Verdict LaneStart::decide(const LaneShot &answer, const StartMoments &moments)
{
    // Once an answer showed that the target's page is not the earlier one,
    // a shot like one of that page is a shot of this page.
    const bool held = m_state != State::Proven && heldOnEarlierPage(answer, moments);
    // A target that took this START counts from it: a larger time is counted
    // from one before.
    const bool older = moments.startMs >= 0
        && answer.timeTenths * kMsPerTenth > moments.nowMs - moments.startMs + kClockSlackMs;
    Verdict verdict;
    switch (m_state) {
    case State::Taken:
        if (!held) {
            if (provedNew(answer))
                m_state = State::Proven;
            break;
        }
        // One repeat may be a late copy of an earlier answer on the line.
        if (!repeatedTwice(answer))
            return {Action::AskAgain, Word::None};
        m_state = State::InDoubt;
        return skip(answer.number);
    case State::Unheard:
        if (older || (held && repeatedTwice(answer)))
            return miss(answer, moments);
        if (held)
            return {Action::AskAgain, Word::None};
        if (provedNew(answer)) {
            m_state = State::Proven;
            break;
        }
        m_state = State::Unproven;
        verdict.word = Word::InDoubt;
        break;
    case State::InDoubt:
        if (older)
            return miss(answer, moments);
        if (held)
            return skip(answer.number);
        // A shot of this page: the repeats were late copies, or shots of this
        // page equal to earlier ones where the earlier page cannot hold this
        // one. What was passed over is read again.
        m_state = provedNew(answer) ? State::Proven : State::Trusted;
        m_skippedUpTo = 0;
        m_repeatedNumber = 0;
        return {Action::AskAgain, Word::None};
    case State::Trusted:
        if (held)
            return miss(answer, moments);
        if (provedNew(answer))
            m_state = State::Proven;
        break;
    case State::Proven:
        break;
    case State::Missed:
        if (readPast(answer, moments) == Action::Skip)
            return skip(answer.number);
        break;
    case State::Unproven:
        break;
    }
    m_answered = true;
    return verdict;
}

LaneStart::Word LaneStart::endPage()
{
    if (m_state != State::InDoubt)
        return Word::None;
    m_state = State::Missed;
    return m_earlierTaken ? Word::Missed : Word::InDoubt;
}

LaneStart::Verdict LaneStart::miss(const LaneShot &answer, const StartMoments &moments)
{
    m_state = State::Missed;
    Verdict verdict{readPast(answer, moments), m_earlierTaken ? Word::Missed : Word::InDoubt};
    if (verdict.action == Action::Skip)
        m_skippedUpTo = std::max(m_skippedUpTo, answer.number);
    else
        m_answered = true;
    return verdict;
}

LaneStart::Action LaneStart::readPast(const LaneShot &answer, const StartMoments &moments) const
{
    // Only a lane that took the START before is known to count from it; a
    // shot it took after this START belongs to this page, whatever its number.
    if (!m_earlierTaken || moments.earlierStartMs < 0)
        return Action::Skip;
    return moments.earlierStartMs + answer.timeTenths * kMsPerTenth < moments.startMs
        ? Action::Skip
        : Action::Store;
}

LaneStart::Verdict LaneStart::skip(int number)
{
    m_skippedUpTo = std::max(m_skippedUpTo, number);
    return {Action::Skip, Word::None};
}

bool LaneStart::heldOnEarlierPage(const LaneShot &answer, const StartMoments &moments) const
{
    // A shot the earlier page's count puts after this START was taken after
    // it, whatever it has in common with a shot of that page.
    if (moments.earlierStartMs >= 0 && moments.startMs >= 0
        && moments.earlierStartMs + answer.timeTenths * kMsPerTenth
            > moments.startMs + kStartSlackMs)
        return false;
    return std::any_of(m_earlierPage.cbegin(), m_earlierPage.cend(),
                       [&](const LaneShot &shot) { return sameShot(shot, answer); });
}

bool LaneStart::provedNew(const LaneShot &answer) const
{
    // Along one page the numbers and the times grow together.
    return std::any_of(m_earlierPage.cbegin(), m_earlierPage.cend(), [&](const LaneShot &shot) {
        return (shot.number == answer.number && !sameShot(shot, answer))
            || (shot.number < answer.number && shot.timeTenths > answer.timeTenths);
    });
}

bool LaneStart::repeatedTwice(const LaneShot &answer)
{
    const bool twice = m_repeatedNumber == answer.number;
    m_repeatedNumber = answer.number;
    return twice;
}
