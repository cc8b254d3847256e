#include "lanestart.h"

#include <algorithm>

namespace {

constexpr qint64 kMsPerTenth = 100;
constexpr qint64 kUnbounded = PageTrace::kUnbounded;
constexpr qint64 kDrift = PageTrace::kDriftPerMille;

// The same answer: a late copy on the line matches to the last byte.
bool sameShot(const LaneShot &a, const LaneShot &b)
{
    return a.number == b.number && a.point == b.point && a.timeTenths == b.timeTenths
        && a.place == b.place;
}

// The real time between two own times of one page: the target counts whole
// tenths on a clock that may run kDrift per mille fast or slow.
qint64 leastApart(int fromTenths, int toTenths)
{
    const qint64 targetMs = std::max<qint64>(0, (toTenths - fromTenths - 1) * kMsPerTenth);
    return targetMs * 1000 / (1000 + kDrift);
}

qint64 mostApart(int fromTenths, int toTenths)
{
    const qint64 targetMs = (toTenths - fromTenths + 1) * kMsPerTenth;
    return targetMs * 1000 / (1000 - kDrift) + 1;
}

PageTrace::Span startWindow(qint64 startMs)
{
    return {startMs - LaneStart::kStartSlackMs, startMs + LaneStart::kStartCopyMs};
}

} // namespace

// ---------------------------------------------------------------- PageTrace

void PageTrace::clear()
{
    m_answers.clear();
    m_lacking.clear();
    m_lackedOnce.clear();
}

void PageTrace::addAnswer(const LaneShot &shot, qint64 atMs)
{
    m_answers.append({shot, atMs});
}

void PageTrace::addLacking(int number, qint64 atMs)
{
    const auto once = m_lackedOnce.constFind(number);
    if (once != m_lackedOnce.cend())
        m_lacking[number] = std::max(m_lacking.value(number, *once), *once);
    m_lackedOnce[number] = atMs;
}

void PageTrace::dropLast()
{
    if (!m_answers.isEmpty())
        m_answers.removeLast();
}

void PageTrace::forget(int number, qint64 sinceMs)
{
    m_answers.erase(std::remove_if(m_answers.begin(), m_answers.end(),
                                   [=](const Answer &a) {
                                       return a.shot.number == number && a.atMs >= sinceMs;
                                   }),
                    m_answers.end());
}

void PageTrace::dropBefore(qint64 sinceMs)
{
    m_answers.erase(std::remove_if(m_answers.begin(), m_answers.end(),
                                   [=](const Answer &a) { return a.atMs < sinceMs; }),
                    m_answers.end());
    for (QMap<int, qint64> *lacking : {&m_lacking, &m_lackedOnce}) {
        for (auto it = lacking->begin(); it != lacking->end();)
            it = it.value() < sinceMs ? lacking->erase(it) : std::next(it);
    }
}

const PageTrace::Answer *PageTrace::answerOf(int number, qint64 sinceMs) const
{
    for (auto it = m_answers.crbegin(); it != m_answers.crend() && it->atMs >= sinceMs; ++it) {
        if (it->shot.number == number)
            return &*it;
    }
    return nullptr;
}

bool PageTrace::readBefore(const LaneShot &shot, qint64 sinceMs) const
{
    return std::any_of(m_answers.cbegin(), m_answers.cend(), [&](const Answer &a) {
        return a.atMs < sinceMs && sameShot(a.shot, shot);
    });
}

bool PageTrace::lacked(int number, qint64 sinceMs) const
{
    const auto it = m_lacking.constFind(number);
    return it != m_lacking.cend() && *it >= sinceMs;
}

QVector<int> PageTrace::numbersSince(qint64 sinceMs) const
{
    QVector<int> numbers;
    for (const Answer &a : m_answers) {
        if (a.atMs >= sinceMs)
            numbers.append(a.shot.number);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::optional<QMap<int, PageTrace::Span>> PageTrace::bounds(qint64 sinceMs, Span origin) const
{
    // One answer a number: the earliest of its copies bounds it the closest.
    QMap<int, const Answer *> shots;
    for (const Answer &a : m_answers) {
        if (a.atMs < sinceMs)
            continue;
        const auto it = shots.constFind(a.shot.number);
        if (it == shots.cend())
            shots.insert(a.shot.number, &a);
        else if (!sameShot((*it)->shot, a.shot))
            return std::nullopt; // one page holds one shot of a number
    }
    // The page's count begins at node 0 with own time 0; node k is the k-th
    // shot answered. Each gets the moments it can have been taken at.
    struct Node
    {
        int tenths;
        qint64 from;
        qint64 to;
    };
    QVector<Node> nodes;
    nodes.reserve(shots.size() + 1);
    nodes.append({0, origin.from, origin.to});
    for (const Answer *a : qAsConst(shots)) {
        // Along one page the numbers and the own times grow together.
        if (a->shot.timeTenths < nodes.last().tenths)
            return std::nullopt;
        // Taken before it was read.
        nodes.append({a->shot.timeTenths, -kUnbounded, a->atMs + LaneStart::kClockSlackMs});
    }
    const QList<int> numbers = shots.keys();
    for (auto it = m_lacking.cbegin(); it != m_lacking.cend(); ++it) {
        if (it.value() < sinceMs)
            continue;
        // The first shot at or above a number lacked was taken after the
        // target said so.
        const auto above = std::lower_bound(numbers.cbegin(), numbers.cend(), it.key());
        if (above == numbers.cend())
            continue;
        Node &node = nodes[int(above - numbers.cbegin()) + 1];
        node.from = std::max(node.from, it.value() - LaneStart::kSeenSlackMs);
    }
    // Along the page, both ways, each node against every other: own times
    // count whole tenths, so the room between two shots is not the sum of
    // the rooms between the shots in between (forty shots a tenth apart or
    // less lie seconds apart). This leaves each node exactly the moments
    // some taking of the whole page allows.
    for (int k = 1; k < nodes.size(); ++k) {
        Node &node = nodes[k];
        for (int j = 0; j < k; ++j) {
            const Node &before = nodes.at(j);
            node.from = std::max(node.from, before.from + leastApart(before.tenths, node.tenths));
            node.to = std::min(node.to, before.to + mostApart(before.tenths, node.tenths));
        }
    }
    for (int k = nodes.size() - 2; k >= 0; --k) {
        Node &node = nodes[k];
        for (int j = nodes.size() - 1; j > k; --j) {
            const Node &after = nodes.at(j);
            node.from = std::max(node.from, after.from - mostApart(node.tenths, after.tenths));
            node.to = std::min(node.to, after.to - leastApart(node.tenths, after.tenths));
        }
    }
    QMap<int, Span> spans;
    for (int k = 0; k < nodes.size(); ++k) {
        const Span span{nodes.at(k).from, nodes.at(k).to};
        if (span.isEmpty())
            return std::nullopt;
        if (k > 0)
            spans.insert(numbers.at(k - 1), span);
    }
    return spans;
}

// ---------------------------------------------------------------- LaneStart

void LaneStart::enter(State state)
{
    m_state = state;
    // What each state says of the accounts (see the header).
    Q_ASSERT(state != State::Fresh || m_accounts.isEmpty());
    Q_ASSERT(state == State::Fresh || m_startMs >= 0);
    Q_ASSERT(state != State::Taken || m_newFits);
    Q_ASSERT(state != State::Judging || m_newFits);
    Q_ASSERT(state != State::New || (m_newFits && !m_keptFits));
    Q_ASSERT(state != State::Kept || (!m_newFits && m_keptFits));
    Q_ASSERT(state != State::Other || (!m_newFits && !m_keptFits));
}

void LaneStart::knownPage(qint64 startMs)
{
    m_trace.clear();
    m_lostPage.clear();
    m_accounts.clear();
    m_startMs = startMs;
    m_current = startMs >= 0 ? Account{startWindow(startMs), pageBegins(startMs)}
                             : Account{{-kUnbounded, kUnbounded}, -kUnbounded};
    m_newFits = true;
    m_keptFits = false;
    m_unheard = false;
    m_silentInPage = false;
    m_toldMissed = false;
    m_toldDoubt = false;
    clearPage();
    enter(State::Fresh);
}

void LaneStart::beginPage(qint64 startMs, bool own)
{
    if (own) {
        knownPage(startMs);
        return;
    }
    // The page the target held, if it misses this START: the one begun at
    // the last START, or at an earlier one, as far as its answers still allow.
    if (m_newFits)
        m_accounts.append(m_current);
    else if (judged() && !m_keptFits)
        m_accounts.append({{-kUnbounded, kUnbounded}, m_current.sinceMs}); // begun at a moment no START tells
    const Span fresh = startWindow(startMs);
    QVector<Account> kept;
    for (Account account : qAsConst(m_accounts)) {
        // A page kept across this START began before it.
        account.origin.to = std::min(account.origin.to, fresh.to);
        if (m_trace.bounds(account.sinceMs, account.origin))
            kept.append(account);
    }
    // The page it held fits none of them (taken to have started, its
    // answers prove it did not): it began at a moment no START tells.
    if (kept.isEmpty() && !m_accounts.isEmpty())
        kept.append({{-kUnbounded, fresh.to}, m_current.sinceMs});
    while (kept.size() > kMaxAccounts)
        kept.removeFirst();
    if (!kept.isEmpty() && kept.first().sinceMs > -kUnbounded)
        m_trace.dropBefore(kept.first().sinceMs);
    m_accounts = kept;
    m_lostPage.clear();
    m_current = {fresh, pageBegins(startMs)};
    m_startMs = startMs;
    clearPage();
    m_newFits = true;
    m_keptFits = !m_accounts.isEmpty();
    m_unheard = !m_heard;
    m_toldMissed = false;
    m_toldDoubt = false;
    // Silent since the last START, it may hold shots of that page no one
    // read, with own times that fit this START as well: it is judged.
    const bool taken = m_heard && !m_silentInPage;
    m_silentInPage = !m_heard;
    enter(taken ? State::Taken : State::Judging);
}

void LaneStart::targetReset()
{
    knownPage(-1);
}

void LaneStart::clearPage()
{
    m_decided.clear();
    m_readUpTo = 0;
    m_askAgain = 0;
    m_repeated = 0;
    m_check = {};
    m_checkMisses = 0;
    m_checkMissedMs = -1;
    m_unconfirmed = {};
    m_lackingSinceMs = -1;
    m_waitingSinceMs = -1;
}

void LaneStart::setHeard(bool heard, qint64 nowMs)
{
    const bool back = heard && !m_heard;
    m_heard = heard;
    const bool answered = !m_trace.numbersSince(pageSince()).isEmpty();
    if (!heard) {
        m_silentInPage = true;
        // Switched off, it was after it gave the last answer read; that
        // answer was given at most kSeenSlackMs before it was read. Never
        // heard: it may have been off for long.
        m_silentSinceMs = m_lastHeardMs >= 0 ? m_lastHeardMs - kSeenSlackMs : -kUnbounded;
        if (m_state == State::Taken && !answered) {
            // Unanswered between the START and the page's first shot: it may
            // have been deaf when the START went out.
            m_unheard = true;
            enter(State::Judging);
        }
    }
    if (!back)
        return;
    if (answered) {
        // Is it still the page it had? Its last shot is asked for again.
        check(*m_trace.lastAnswer());
    }
    if (m_startMs >= 0 && m_state != State::Fresh) {
        // Switched off and on meanwhile, its page may have begun at any
        // moment of the silence: with nothing of this page to ask again, or
        // with a first shot just like the one asked again.
        m_accounts.append({{m_silentSinceMs, nowMs}, nowMs});
        m_keptFits = true;
        if (m_state == State::Taken && !answered)
            enter(State::Judging);
    }
}

void LaneStart::check(const PageTrace::Answer &given)
{
    m_check = given;
    m_checkMisses = 0;
    m_checkMissedMs = -1;
}

bool LaneStart::olderThanStart(const LaneShot &shot, qint64 nowMs) const
{
    return leastApart(0, shot.timeTenths) > nowMs - m_startMs + kStartSlackMs + kClockSlackMs;
}

qint64 LaneStart::pageBegins(qint64 startMs) const
{
    // What was read in the START's own millisecond came before it.
    return std::max(startMs, m_lastHeardMs + 1);
}

LaneStart::Verdict LaneStart::answer(const LaneShot &shot, qint64 readMs)
{
    const qint64 nowMs = std::max(readMs, pageSince());
    const int n = shot.number;
    m_lastHeardMs = nowMs;
    if (checksPage() && n == m_check.shot.number) {
        if (sameShot(m_check.shot, shot)) {
            m_check = {};
            return {};
        }
        return checkFailed(nowMs);
    }
    // An answer to a poll before the check. A later shot is judged as one
    // of the page it seemed to hold when a page begun meanwhile would put it
    // after the START too: such a page began after the target gave the shot
    // asked for again, and counts the shot's own time from there. Otherwise
    // it is asked for once the page is known.
    if (checksPage()
        && (n < m_check.shot.number
            || m_check.atMs - kSeenSlackMs + leastApart(0, shot.timeTenths) < m_startMs))
        return {};
    if (m_askAgain == n)
        m_askAgain = 0;
    m_lackingSinceMs = -1;
    // A page taken for lost that answers as before was not: what it gave
    // was stored already. Unless it lacked that shot since: a shot just
    // like it, taken after.
    const auto lost = m_lostPage.constFind(n);
    if (lost != m_lostPage.cend() && sameShot(*lost, shot) && !m_trace.lacked(n, pageSince())) {
        // Still its page, as the next START will need to know.
        if (!m_trace.answerOf(n, pageSince()))
            m_trace.addAnswer(shot, nowMs);
        m_decided.insert(n, {Decision::Skip, true, true});
        m_readUpTo = std::max(m_readUpTo, n);
        return {};
    }
    // Like a shot read before this START: one such answer may be a late copy
    // on the line, so it is asked for again.
    const bool repeat = m_state != State::Fresh && m_trace.readBefore(shot, pageSince());
    if (repeat && m_repeated != n) {
        m_repeated = n;
        m_askAgain = n;
        return {};
    }
    m_trace.addAnswer(shot, nowMs);
    // One answer that proves the page older than this START may be a late
    // copy of one given before it: it counts once the target gives it again.
    // A copy on the line is of an answer of the last moments: one that fits
    // no page of this START only by the "no shot" answers before it, read a
    // while after the START, is not one.
    const bool older = m_state == State::Taken
        ? olderThanStart(shot, nowMs)
        : judged() && m_newFits && !m_trace.bounds(m_current.sinceMs, m_current.origin)
            && (olderThanStart(shot, nowMs) || nowMs - m_startMs < kStartSlackMs + kCheckSpanMs);
    if (older && !repeat && !sameShot(m_unconfirmed, shot)) {
        m_trace.dropLast();
        m_unconfirmed = shot;
        m_askAgain = n;
        return {};
    }
    m_unconfirmed = {};
    if (m_state == State::Taken && (repeat || older))
        enter(State::Judging);
    if (m_state == State::Fresh || m_state == State::Taken) {
        if (m_decided.contains(n))
            return {}; // handed out already
        m_decided.insert(n, {Decision::Store, m_state == State::Fresh});
        m_readUpTo = std::max(m_readUpTo, n);
        Verdict verdict;
        verdict.store.append({shot, shot.timeTenths});
        return verdict;
    }
    return judge(nowMs);
}

LaneStart::Verdict LaneStart::noShot(int number, qint64 readMs)
{
    const qint64 nowMs = std::max(readMs, pageSince());
    m_lastHeardMs = nowMs;
    if (checksPage()) {
        if (number == m_check.shot.number)
            return checkFailed(nowMs);
        // Whichever page it holds lacked that later shot then; a page found
        // lost forgets it with the rest.
        if (number > m_check.shot.number)
            m_trace.addLacking(number, nowMs);
        return {};
    }
    if (m_askAgain == number)
        m_askAgain = 0;
    // A target switched off and on between two polls is never heard silent:
    // one that has lacked the next shot for a while is asked for its last
    // one again, to tell whether it still holds its page.
    if (m_lackingSinceMs < 0 || !m_trace.lastAnswer()) {
        m_lackingSinceMs = nowMs;
    } else if (nowMs - m_lackingSinceMs >= kCheckAfterMs) {
        m_lackingSinceMs = nowMs;
        if (m_trace.lastAnswer()->atMs >= pageSince())
            check(*m_trace.lastAnswer());
    }
    // The target lacks the shot it seemed to repeat: one of the two answers
    // is a late copy (a "no shot" names no number: it may be another poll's).
    // Neither counts; it is asked again.
    if (m_repeated == number) {
        m_repeated = 0;
        m_askAgain = number;
        return {};
    }
    if (const PageTrace::Answer *given = m_trace.answerOf(number, pageSince())) {
        const auto decided = m_decided.constFind(number);
        if (decided != m_decided.cend() && decided->decision == Decision::Store) {
            // It lacks a shot it gave and that was stored: asked for again,
            // as after a silence.
            check(*given);
            return checkFailed(nowMs);
        }
        // What was read for it was a late copy of an earlier answer.
        m_trace.forget(number, pageSince());
        m_decided.remove(number);
        m_readUpTo = std::min(m_readUpTo, number - 1);
    }
    m_trace.addLacking(number, nowMs);
    if (m_state == State::Fresh || m_state == State::Taken)
        return {};
    Verdict verdict = judge(nowMs);
    // The page has not told for a while: the operator is told what it shows so far.
    if (verdict.word == Word::None && m_waitingSinceMs >= 0
        && nowMs - m_waitingSinceMs >= kTellAfterMs)
        verdict.word = endPage();
    return verdict;
}

LaneStart::Verdict LaneStart::checkFailed(qint64 nowMs)
{
    // One answer unlike the page may be noise, or a late copy of one meant
    // for another poll; answers unlike it over a while prove the page lost.
    if (m_checkMisses++ == 0)
        m_checkMissedMs = nowMs;
    if (m_checkMisses < 2 || nowMs - m_checkMissedMs < kCheckSpanMs)
        return {};
    return lostPage();
}

void LaneStart::refused(int number)
{
    m_readUpTo = std::min(m_readUpTo, number - 1);
    // The exercise stops at the refused one: none after it was stored either.
    for (auto it = m_decided.lowerBound(number); it != m_decided.end();)
        it = m_decided.erase(it);
}

bool LaneStart::judged() const
{
    return m_state != State::Fresh && m_state != State::Taken;
}

LaneStart::Word LaneStart::missedWord()
{
    // Only once no account of this START is left.
    if (!judged() || m_newFits || !m_keptFits || m_toldMissed)
        return Word::None;
    m_toldMissed = true;
    // Only a page begun in a silence that lasted into this START fits,
    // after an answer: switched off and on, the target lost the page it
    // had, whether or not it took the START.
    return m_keptAfterStart ? Word::PageLost : Word::Missed;
}

LaneStart::Word LaneStart::endPage()
{
    if (holdsShots()) {
        // Told it missed the START, its shots' doubt is only which earlier
        // page they are of: not that the START cannot be told.
        if (m_toldDoubt || m_toldMissed)
            return Word::None;
        m_toldDoubt = true;
        return doubtWord();
    }
    return missedWord();
}

int LaneStart::lastRead(int storedUpTo) const
{
    if (checksPage())
        return m_check.shot.number - 1;
    if (m_askAgain > 0)
        return m_askAgain - 1;
    return std::max(storedUpTo, m_readUpTo);
}

int LaneStart::heldCount() const
{
    const QVector<int> numbers = m_trace.numbersSince(pageSince());
    return int(std::count_if(numbers.cbegin(), numbers.cend(),
                             [this](int number) { return !m_decided.contains(number); }));
}

LaneStart::Judgement LaneStart::weigh()
{
    Judgement judgement;
    m_newFits = m_trace.bounds(m_current.sinceMs, m_current.origin).has_value();
    m_keptAfterStart = m_startMs >= 0;
    for (const Account &account : qAsConst(m_accounts)) {
        if (auto spans = m_trace.bounds(account.sinceMs, account.origin)) {
            judgement.earlier.append(*spans);
            // A START's account ends before this START, and so does a
            // silence over before it; one never heard before may have
            // held its page all along.
            m_keptAfterStart = m_keptAfterStart && account.origin.to >= m_startMs
                && account.origin.from > -kUnbounded;
        }
    }
    m_keptFits = !judgement.earlier.isEmpty();
    // Neither: a page begun at some moment we know nothing of, told only by
    // the answers since this START.
    if (!m_newFits && !m_keptFits) {
        if (auto spans = m_trace.bounds(m_current.sinceMs, {-kUnbounded, kUnbounded}))
            judgement.earlier.append(*spans);
    }
    judgement.none = !m_newFits && judgement.earlier.isEmpty();
    enter(m_keptFits ? (m_newFits ? State::Judging : State::Kept)
                     : (m_newFits ? State::New : State::Other));
    return judgement;
}

LaneStart::Decision LaneStart::decide(const Judgement &judgement, int number) const
{
    if (judgement.none)
        return Decision::Hold;
    const auto byMoment = [this](const Span &span) {
        if (span.from >= m_startMs)
            return Decision::Store;
        // The START went out at most kStartSlackMs before we read it.
        if (span.to < m_startMs - kStartSlackMs)
            return Decision::Skip;
        return Decision::Hold;
    };
    std::optional<Decision> all;
    if (m_newFits)
        all = Decision::Store; // counted from this START, every shot was taken after it
    for (const QMap<int, Span> &spans : judgement.earlier) {
        const Decision d = byMoment(spans.value(number, {-kUnbounded, kUnbounded}));
        if (all && *all != d)
            return Decision::Hold;
        all = d;
    }
    return *all;
}

int LaneStart::sinceStart(const Judgement &judgement, const LaneShot &shot) const
{
    if (m_newFits || judgement.earlier.isEmpty())
        return shot.timeTenths;
    const Span span = judgement.earlier.first().value(shot.number, {m_startMs, m_startMs});
    return int(std::max<qint64>(0, span.from - m_startMs) / kMsPerTenth);
}

LaneStart::Verdict LaneStart::judge(qint64 nowMs)
{
    Verdict verdict;
    const Judgement judgement = weigh();

    // A shot stored as it came is withdrawn once it is proven earlier. One
    // that was stored only because the lane seemed to take the START, once
    // it is proven that it did not, is held again: it waits for proof or
    // the operator's ruling. One passed over is weighed again: the
    // accounts that put it before the START may no longer fit.
    for (auto it = m_decided.begin(); it != m_decided.end();) {
        if (it->decision == Decision::Skip && !it->final) {
            const Decision now = decide(judgement, it.key());
            if (now == Decision::Hold) {
                it = m_decided.erase(it);
                continue;
            }
            if (now == Decision::Store) {
                const PageTrace::Answer *answer = m_trace.answerOf(it.key(), pageSince());
                if (!answer) { // read before a late copy's "no shot" took it away
                    ++it;
                    continue;
                }
                *it = {Decision::Store, true};
                verdict.store.append({answer->shot, sinceStart(judgement, answer->shot)});
            }
            ++it;
            continue;
        }
        if (it->decision != Decision::Store || it->proven) {
            ++it;
            continue;
        }
        const Decision now = decide(judgement, it.key());
        if (now == Decision::Skip) {
            verdict.withdraw.append(it.key());
            ++verdict.wrong;
            *it = {Decision::Skip, true};
        } else if (now == Decision::Store) {
            it->proven = true;
        } else if (!m_newFits) {
            verdict.withdraw.append(it.key());
            it = m_decided.erase(it);
            continue;
        }
        ++it;
    }

    // Each shot on its own: one held keeps its place, the ones after it
    // that are proven are stored now.
    bool held = false;
    const QVector<int> numbers = m_trace.numbersSince(pageSince());
    for (int number : numbers) {
        if (m_decided.contains(number))
            continue;
        const Decision decision = decide(judgement, number);
        if (decision == Decision::Hold) {
            held = true;
            continue;
        }
        m_decided.insert(number, {decision, true});
        if (decision == Decision::Store) {
            const LaneShot &shot = m_trace.answerOf(number, pageSince())->shot;
            verdict.store.append({shot, sinceStart(judgement, shot)});
        }
    }
    if (!numbers.isEmpty())
        m_readUpTo = std::max(m_readUpTo, numbers.last());
    m_waitingSinceMs = !held ? -1 : m_waitingSinceMs >= 0 ? m_waitingSinceMs : nowMs;

    verdict.word = missedWord();
    if (verdict.wrong > 0) {
        verdict.word = Word::Withdrawn;
        m_toldMissed = true;
    }
    return verdict;
}

QVector<LaneStart::Doubt> LaneStart::doubts() const
{
    QVector<Doubt> held;
    for (int number : m_trace.numbersSince(pageSince())) {
        if (!m_decided.contains(number)) {
            const PageTrace::Answer *answer = m_trace.answerOf(number, pageSince());
            held.append({answer->shot, answer->atMs});
        }
    }
    return held;
}

LaneStart::Verdict LaneStart::rule(bool count)
{
    Verdict verdict;
    const QVector<Doubt> held = doubts();
    if (held.isEmpty())
        return verdict;
    const Judgement judgement = weigh();
    for (const Doubt &doubt : held) {
        m_decided.insert(doubt.shot.number, {count ? Decision::Store : Decision::Skip, true, true});
        if (count)
            verdict.store.append({doubt.shot, sinceStart(judgement, doubt.shot)});
    }
    m_waitingSinceMs = -1;
    return verdict;
}

LaneStart::Verdict LaneStart::lostPage()
{
    // With what an earlier loss kept: a page wrongly taken for lost twice
    // gives the shots of both again.
    QMap<int, LaneShot> before = m_lostPage;
    for (int number : m_trace.numbersSince(pageSince()))
        before.insert(number, m_trace.answerOf(number, pageSince())->shot);
    knownPage(-1);
    m_lostPage = before;
    Verdict verdict;
    verdict.lostPage = true;
    verdict.word = Word::PageLost;
    return verdict;
}
