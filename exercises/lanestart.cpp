#include "lanestart.h"

#include <algorithm>

namespace {

constexpr qint64 kMsPerTenth = 100;
constexpr qint64 kSeenSlackMs = LaneStart::kSeenSlackMs;
constexpr qint64 kClockSlackMs = LaneStart::kClockSlackMs;

// The same answer: a late copy on the line matches to the last byte.
bool sameShot(const LaneShot &a, const LaneShot &b)
{
    return a.number == b.number && a.point == b.point && a.timeTenths == b.timeTenths
        && a.place == b.place;
}

// An own time in ms: the target counts whole tenths, so the shot was taken
// up to a tenth after it.
qint64 ownMs(const LaneShot &shot)
{
    return shot.timeTenths * kMsPerTenth;
}

} // namespace

// ---------------------------------------------------------------- PageTrace

void PageTrace::clear()
{
    m_shots.clear();
    m_lacking.clear();
    m_from = -kUnbounded;
    m_to = kUnbounded;
}

void PageTrace::bound(qint64 from, qint64 to)
{
    m_from = std::max(m_from, from);
    m_to = std::min(m_to, to);
}

void PageTrace::merge(const PageTrace &later)
{
    for (auto it = later.m_shots.cbegin(); it != later.m_shots.cend(); ++it) {
        // The first answer of a shot bounds the page's count the closest.
        if (!m_shots.contains(it.key()))
            m_shots.insert(it.key(), it.value());
    }
    for (auto it = later.m_lacking.cbegin(); it != later.m_lacking.cend(); ++it)
        m_lacking.insert(it.key(), std::max(m_lacking.value(it.key(), it.value()), it.value()));
    bound(later.m_from, later.m_to);
}

bool PageTrace::holds(const LaneShot &shot) const
{
    const auto it = m_shots.constFind(shot.number);
    return it != m_shots.cend() && sameShot(it->shot, shot);
}

PageTrace::Span PageTrace::origin(const PageTrace *also) const
{
    constexpr Span kNoPage{1, 0};
    PageTrace all = *this;
    if (also) {
        for (auto it = also->m_shots.cbegin(); it != also->m_shots.cend(); ++it) {
            const auto mine = all.m_shots.constFind(it.key());
            // One page holds one shot of a number.
            if (mine != all.m_shots.cend() && !sameShot(mine->shot, it->shot))
                return kNoPage;
        }
        all.merge(*also);
    }
    qint64 seenFrom = -kUnbounded;
    qint64 seenTo = kUnbounded;
    int lastTime = -1;
    for (const Answer &answer : qAsConst(all.m_shots)) {
        // Along one page the numbers and the own times grow together.
        if (answer.shot.timeTenths < lastTime)
            return kNoPage;
        lastTime = answer.shot.timeTenths;
        // It was taken before it was answered.
        seenTo = std::min(seenTo, answer.atMs - ownMs(answer.shot));
    }
    for (auto it = all.m_lacking.cbegin(); it != all.m_lacking.cend(); ++it) {
        // The first shot at or above a number lacked was taken after that moment.
        const auto shot = all.m_shots.lowerBound(it.key());
        if (shot == all.m_shots.cend())
            continue;
        if (shot->atMs < it.value() - kSeenSlackMs)
            return kNoPage; // it answered with the shot, and later lacked it
        seenFrom = std::max(seenFrom, it.value() - ownMs(shot->shot) - kMsPerTenth);
    }
    return {std::max(all.m_from, seenFrom - kSeenSlackMs), std::min(all.m_to, seenTo + kClockSlackMs)};
}

// ---------------------------------------------------------------- LaneStart

void LaneStart::beginPage(qint64 startMs, bool own)
{
    // What the target holds at this START, if it misses it.
    switch (m_state) {
    case State::Fresh:
    case State::Taken:
    case State::New: {
        m_earlier = m_page;
        if (m_pageFromStart && m_startMs >= 0) {
            // Counted from its START, if its answers agree: a lane can miss
            // a START it was heard around.
            PageTrace counted = m_page;
            counted.bound(m_startMs - kStartSlackMs, m_startMs + kStartCopyMs);
            if (!counted.origin().isEmpty())
                m_earlier = counted;
        }
        break;
    }
    case State::Kept:
    case State::Other:
        if (m_keptFits)
            m_earlier.merge(m_page);
        else
            m_earlier = m_page;
        break;
    case State::Judging:
        // Undecided: only what it answered since is known to be on its page.
        m_earlier = m_page;
        break;
    }
    clearPage();
    m_startMs = startMs;
    m_pageFromStart = true;
    m_newFits = true;
    m_keptFits = true;
    m_unheard = !own && !m_heard;
    m_toldMissed = false;
    m_toldDoubt = false;
    m_state = own ? State::Fresh : m_heard ? State::Taken : State::Judging;
}

void LaneStart::targetReset()
{
    m_state = State::Fresh;
    m_earlier.clear();
    clearPage();
    m_pageFromStart = false;
}

void LaneStart::clearPage()
{
    m_page.clear();
    m_decided.clear();
    m_readUpTo = 0;
    m_askAgain = 0;
    m_repeated = 0;
    m_checkNumber = 0;
    m_waitingSinceMs = -1;
}

void LaneStart::setHeard(bool heard)
{
    const bool back = heard && !m_heard;
    m_heard = heard;
    if (!heard && m_state == State::Taken && m_page.shots().isEmpty()) {
        // Unanswered between the START and the page's first shot: it may have
        // been deaf when the START went out.
        m_unheard = true;
        m_state = State::Judging;
    }
    // Is it still the page it had? Its last shot is asked for again.
    if (back && !m_page.shots().isEmpty())
        m_checkNumber = m_page.shots().lastKey();
}

LaneStart::Verdict LaneStart::answer(const LaneShot &shot, qint64 nowMs)
{
    const int n = shot.number;
    if (m_checkNumber > 0) {
        if (n != m_checkNumber)
            return {}; // an answer to a poll before the silence
        m_checkNumber = 0;
        const auto seen = m_page.shots().constFind(n);
        if (seen == m_page.shots().cend() || !sameShot(seen->shot, shot))
            return lostPage();
        return {};
    }
    if (m_askAgain == n)
        m_askAgain = 0;
    // Like a shot of the earlier page, and that page can have been one.
    const bool repeat = m_state != State::Fresh && m_earlier.holds(shot)
        && !m_earlier.origin().isEmpty();
    if (repeat && m_repeated != n) {
        // One answer like an earlier one may be a late copy on the line.
        m_repeated = n;
        m_askAgain = n;
        return {};
    }
    m_page.addAnswer(shot, nowMs);
    if (m_state == State::Taken && repeat)
        m_state = State::Judging;
    if (m_state == State::Fresh || m_state == State::Taken) {
        if (m_decided.contains(n))
            return {}; // handed out already
        m_decided.insert(n, Decision::Store);
        m_readUpTo = std::max(m_readUpTo, n);
        Verdict verdict;
        verdict.store.append({shot, shot.timeTenths});
        return verdict;
    }
    return judge(nowMs);
}

LaneStart::Verdict LaneStart::noShot(int number, qint64 nowMs)
{
    if (m_checkNumber > 0) {
        if (number != m_checkNumber)
            return {};
        return lostPage(); // it lacks a shot it gave
    }
    if (m_askAgain == number)
        m_askAgain = 0;
    // The target lacks the shot it seemed to repeat: that was a late copy.
    if (m_repeated == number)
        m_repeated = 0;
    if (m_page.shots().contains(number)) {
        if (m_decided.value(number, Decision::Hold) == Decision::Store)
            return lostPage();
        // What was held for it was a late copy of an earlier answer.
        m_page.forget(number);
        m_readUpTo = std::min(m_readUpTo, number - 1);
    }
    m_page.addLacking(number, nowMs);
    if (m_state == State::Fresh || m_state == State::Taken)
        return {};
    Verdict verdict = judge(nowMs);
    // The page is read to its end and its answers have not told for a
    // while: the operator is told what they show so far.
    if (verdict.word == Word::None && m_waitingSinceMs >= 0
        && nowMs - m_waitingSinceMs >= kTellAfterMs)
        verdict.word = endPage();
    return verdict;
}

void LaneStart::refused(int number)
{
    m_readUpTo = std::min(m_readUpTo, number - 1);
    // The exercise stops at the refused one: none after it was stored either.
    for (auto it = m_decided.lowerBound(number); it != m_decided.end();)
        it = m_decided.erase(it);
}

LaneStart::Word LaneStart::endPage()
{
    if (holdsShots()) {
        if (m_toldDoubt)
            return Word::None;
        m_toldDoubt = true;
        return doubtWord();
    }
    // It answered only with shots of its earlier page.
    if (m_toldMissed || m_decided.isEmpty() || stores())
        return Word::None;
    m_toldMissed = true;
    return Word::Missed;
}

bool LaneStart::stores() const
{
    return std::any_of(m_decided.cbegin(), m_decided.cend(),
                       [](Decision decision) { return decision == Decision::Store; });
}

int LaneStart::lastRead(int storedUpTo) const
{
    if (m_checkNumber > 0)
        return m_checkNumber - 1;
    if (m_askAgain > 0)
        return m_askAgain - 1;
    return std::max(storedUpTo, m_readUpTo);
}

int LaneStart::heldCount() const
{
    return int(std::count_if(m_page.shots().keyBegin(), m_page.shots().keyEnd(),
                             [this](int number) { return !m_decided.contains(number); }));
}

void LaneStart::dropAccounts()
{
    if (m_newFits) {
        PageTrace counted = m_page;
        counted.bound(m_startMs - kStartSlackMs, m_startMs + kStartCopyMs);
        m_newFits = !counted.origin().isEmpty();
    }
    if (m_keptFits)
        m_keptFits = !m_earlier.origin(&m_page).isEmpty();
}

PageTrace::Span LaneStart::keptSpan() const
{
    return m_keptFits ? m_earlier.origin(&m_page) : m_page.origin();
}

LaneStart::Verdict LaneStart::judge(qint64 nowMs)
{
    Verdict verdict;
    const bool newFitted = m_newFits;
    dropAccounts();
    m_state = m_keptFits ? (m_newFits ? State::Judging : State::Kept)
                         : (m_newFits ? State::New : State::Other);
    const PageTrace::Span kept = keptSpan();

    // A decision the accounts left no longer make is made again, the page
    // stored anew in its order. A stored shot is withdrawn only when it is
    // known to be an earlier one, never on a doubt.
    QVector<int> stored;
    bool changed = false;
    for (auto it = m_decided.cbegin(); it != m_decided.cend(); ++it) {
        const Decision now = decide(kept, m_page.shots().value(it.key()));
        if (it.value() == Decision::Store) {
            stored.append(it.key());
            verdict.wrong += now == Decision::Skip ? 1 : 0;
            changed = changed || now == Decision::Skip;
        } else {
            changed = changed || now != Decision::Skip;
        }
    }
    if (changed) {
        verdict.withdraw = stored;
        m_decided.clear();
    } else {
        verdict.wrong = 0;
    }

    // Stored or passed over in the page's order, up to the first shot held.
    bool held = false;
    for (const PageTrace::Answer &answer : m_page.shots()) {
        if (m_decided.contains(answer.shot.number))
            continue;
        const Decision decision = decide(kept, answer);
        if (decision == Decision::Hold) {
            held = true;
            break;
        }
        m_decided.insert(answer.shot.number, decision);
        if (decision == Decision::Store)
            verdict.store.append({answer.shot, sinceStart(kept, answer)});
    }
    if (!m_page.shots().isEmpty())
        m_readUpTo = std::max(m_readUpTo, m_page.shots().lastKey());
    // Shots held, or only the earlier page's passed over: the page has not
    // told yet.
    const bool waiting = held || (!m_decided.isEmpty() && !stores());
    m_waitingSinceMs = !waiting ? -1 : m_waitingSinceMs >= 0 ? m_waitingSinceMs : nowMs;

    // Told once: the target kept its earlier page (its answers cannot count
    // from this START); told again when shots stored for it are taken back.
    if (newFitted && !m_newFits && m_keptFits && !m_toldMissed) {
        m_toldMissed = true;
        verdict.word = verdict.wrong > 0 ? Word::Withdrawn : Word::Missed;
    } else if (verdict.wrong > 0) {
        verdict.word = Word::Withdrawn;
    }
    return verdict;
}

LaneStart::Decision LaneStart::decide(const PageTrace::Span &kept,
                                      const PageTrace::Answer &answer) const
{
    if (m_keptFits) {
        const Decision byKept = byMoment(kept, answer);
        // Counted from this START, every shot was taken after it. A shot
        // the earlier page gave (the same answer to the last byte) is passed
        // over as that page's until an answer proves the page new; then it
        // is read again.
        if (m_newFits && byKept != Decision::Store)
            return m_earlier.holds(answer.shot) ? byKept : Decision::Hold;
        return byKept;
    }
    // Not the earlier page: counted from this START, or from some other
    // moment its own answers tell, or from none they agree on.
    if (m_newFits || kept.isEmpty())
        return Decision::Store;
    return byMoment(kept, answer);
}

LaneStart::Decision LaneStart::byMoment(const PageTrace::Span &span,
                                        const PageTrace::Answer &answer) const
{
    if (span.isEmpty())
        return Decision::Hold;
    // When the shot was taken: its page's count plus its own time, and not
    // after it was answered.
    const qint64 from = span.from + ownMs(answer.shot);
    const qint64 to = std::min(span.to + ownMs(answer.shot) + kMsPerTenth, answer.atMs);
    const qint64 start = m_startMs;
    if (to - from <= kDecideWithinMs)
        return (from + to) / 2 >= start ? Decision::Store : Decision::Skip;
    if (from >= start)
        return Decision::Store;
    if (to < start)
        return Decision::Skip;
    return Decision::Hold;
}

int LaneStart::sinceStart(const PageTrace::Span &kept, const PageTrace::Answer &answer) const
{
    if (m_newFits || kept.isEmpty())
        return answer.shot.timeTenths;
    const qint64 from = kept.from + ownMs(answer.shot);
    return int(std::max<qint64>(0, from - m_startMs) / kMsPerTenth);
}

LaneStart::Verdict LaneStart::lostPage()
{
    targetReset();
    Verdict verdict;
    verdict.lostPage = true;
    verdict.word = Word::PageLost;
    return verdict;
}
