#include "lanestart.h"

#include <algorithm>

namespace {

constexpr qint64 kMsPerTenth = 100;
constexpr int kMaxShotNumber = 255; // a target's page holds no more
constexpr qint64 kUnbounded = PageTrace::kUnbounded;

PageTrace::Span startWindow(qint64 startMs)
{
    return {startMs - LaneStart::kStartSlackMs, startMs + LaneStart::kStartCopyMs};
}

} // namespace

void LaneStart::enter(State state)
{
    m_state = state;
    if (m_brokenOnEntry.isEmpty())
        m_brokenOnEntry = brokenRule(true);
}

QString LaneStart::brokenInvariant() const
{
    return m_brokenOnEntry.isEmpty() ? brokenRule(false) : m_brokenOnEntry;
}

QString LaneStart::brokenRule(bool entering) const
{
    // What each state says of the accounts (see the header), against the
    // answers themselves, not against what the last weighing left.
    const State s = m_state;
    if (s == State::Fresh) {
        const bool earlier = std::any_of(m_accounts.cbegin(), m_accounts.cend(),
                                         [](const Account &a) { return !a.silence; });
        return earlier ? QStringLiteral("a fresh page keeps earlier accounts") : QString();
    }
    if (m_page.startMs < 0)
        return QStringLiteral("state %1 with no START to judge against").arg(int(s));
    const bool byState = s != State::Kept && s != State::Other;
    if (m_page.thisStartFits != byState)
        return QStringLiteral("state %1, yet flagged that this START's account %2").arg(int(s)).arg(byState ? "fell" : "fits");
    if (s == State::Taken) {
        // Stored as they come, by each shot's own time alone: the "no shot"
        // answers weigh once the page is judged (two late copies in a row
        // can run against a shot taken after the START).
        for (int number : m_trace.numbersSince(pageSince())) {
            const PageTrace::Answer *read = m_trace.answerOf(number, pageSince());
            if (olderThanStart(read->shot, read->atMs))
                return QStringLiteral("taken, yet shot %1 is older than the START").arg(number);
        }
        return {};
    }
    const Fits fits = m_weighed ? *m_weighed : fitsOn(m_trace);
    if (fits.thisStartFits() != byState)
        return QStringLiteral("state %1, yet this START's account %2").arg(int(s)).arg(byState ? "fell" : "fits");
    // Once this START's account fell, the flag is what the lane is told by
    // (tellMissed): it says what the answers say. While it fits nothing reads
    // the flag, and a lane taken to have started weighs no "no shot": the
    // next weighing sets it.
    if (!byState && m_page.earlierFits != fits.earlierFits)
        return QStringLiteral("state %1, yet an earlier account %2").arg(int(s)).arg(fits.earlierFits ? "fits" : "fell");
    if (s == State::Kept && !fits.earlierFits)
        return QStringLiteral("kept with no earlier account that fits");
    // A silence heard since may give a page weighed New or Other an account;
    // none begun before it fits.
    bool before = false;
    for (int k = 0; k < m_accounts.size(); ++k)
        before = before || (fits.accounts.at(k) && (entering || !m_accounts.at(k).silence));
    if ((s == State::New || s == State::Other) && before)
        return QStringLiteral("state %1, yet an earlier account fits").arg(int(s));
    return {};
}

void LaneStart::begin(PageFacts page, State state)
{
    m_page = std::move(page);
    enter(state);
}

void LaneStart::knownPage(qint64 startMs, PageFacts page)
{
    m_trace.clear();
    restoreAccounts();
    m_accounts.clear();
    m_line.checkedFromMs = -1;
    page.startMs = startMs;
    page.current = startMs >= 0 ? Account{startWindow(startMs), pageBegins(startMs)}
                                : Account{{-kUnbounded, kUnbounded}, -kUnbounded};
    begin(std::move(page), State::Fresh);
}

void LaneStart::beginPage(qint64 startMs, bool own)
{
    if (own) {
        // Known for sure, but what the target gave in the last moments before
        // may still come as a late copy on the line.
        const qint64 sinceMs = startMs - kLateCopyMs;
        QVector<PageTrace::Answer> recent;
        for (const PageTrace::Answer &read : qAsConst(m_line.lastReads)) {
            if (read.atMs >= sinceMs)
                recent.append(read);
        }
        // So may the shot it was asked for again then, however long before
        // it was read: given to a poll of the last moments whose answer we
        // never read (a copy of another came in its place), its copy is one
        // of the last moments too. (A poll for a later shot gives one never
        // read: nothing to know its copy by.)
        if (const std::optional<LaneShot> asked = askedAgain())
            recent.append({*asked, startMs});
        PageFacts page;
        page.beforeOwn = recent;
        knownPage(startMs, std::move(page));
        return;
    }
    m_accounts = accountsAcross(startMs);
    PageFacts page;
    if (const PageTrace::Answer *last = m_trace.lastAnswer())
        page.lastBefore = last->shot;
    page.startMs = startMs;
    page.current = {startWindow(startMs), pageBegins(startMs)};
    page.earlierFits = !m_accounts.isEmpty();
    // A late copy of the last "no shot" read may come after the START, and
    // so may one of an answer that told nothing of the page: a ping's is a
    // "no shot" of no number, read late as one of the number polled then
    // (the line does not tell it from an acknowledgement's, which is none).
    page.copiesUntilMs = std::max(m_line.lastNoShotMs, m_line.otherAnswerMs) + kLateCopyMs;
    page.missedLast = m_state == State::Kept && !m_page.thisByAnswers;
    page.silentInPage = !m_line.heard;
    // Its last shot asked for again and not given yet as the START goes
    // out: the target may have been switched off and on since it gave it,
    // and with no answer since, may have missed the START with that page.
    m_line.checkedFromMs = checksPage() ? m_page.check.given.atMs : -1;
    // The answers before the target's own START may still come as late
    // copies after the line's next one.
    page.beforeOwn = m_page.beforeOwn;
    // Silent since the last START, it may hold shots of that page no one
    // read, with own times that fit this START as well: it is judged.
    const bool taken = m_line.heard && !m_page.silentInPage;
    begin(std::move(page), taken ? State::Taken : State::Judging);
}

QVector<LaneStart::Account> LaneStart::accountsAcross(qint64 startMs)
{
    // The page the target held, if it misses this START: the one begun at
    // the last START, or at an earlier one, as far as its answers still allow.
    restoreAccounts();
    const Span fresh = startWindow(startMs);
    if (m_page.thisByAnswers)
        m_accounts.append(m_page.current);
    else if (isJudging() && !m_page.earlierFits)
        m_accounts.append(unknownPage(fresh.to));
    const auto keep = [&] {
        QVector<Account> kept;
        for (Account account : qAsConst(m_accounts)) {
            // A page kept across this START began before it.
            account.origin.to = std::min(account.origin.to, fresh.to);
            if (spansOf(m_trace, account))
                kept.append(account);
        }
        return kept;
    };
    QVector<Account> kept = keep();
    // The page it held fits none of them (taken to have started, its
    // answers prove it did not): it began at a moment no START tells.
    const Account unknown = unknownPage(fresh.to);
    // Unless its own answers run against the "no shot" answers read with
    // them: two in a row were late copies of ones given before a shot was
    // taken. They are forgotten, and the page weighed again.
    if (kept.isEmpty() && !m_accounts.isEmpty() && !spansOf(m_trace, unknown)
        && m_trace.forgetLacking(unknown.sinceMs, startMs))
        kept = keep();
    if (kept.isEmpty() && !m_accounts.isEmpty())
        kept.append(unknown);
    while (kept.size() > kMaxAccounts)
        kept.removeFirst();
    // What no account kept reads any more goes: a page begun in a silence
    // may be listed before the page it ended, which reads from further back.
    if (!kept.isEmpty()) {
        const auto earliest = std::min_element(kept.cbegin(), kept.cend(), [](const Account &a, const Account &b) {
            return a.sinceMs < b.sinceMs;
        });
        if (earliest->sinceMs > -kUnbounded)
            m_trace.dropBefore(earliest->sinceMs);
    }
    // What was worked out for the accounts not kept is not asked for again.
    m_trace.sweepBounds();
    return kept;
}

bool LaneStart::putOutForGood(const Account &account) const
{
    return m_trace.givenBefore(account.sinceMs, account.origin.from);
}

void LaneStart::layAsideFallen()
{
    if (std::none_of(m_accounts.cbegin(), m_accounts.cend(), [this](const Account &a) { return putOutForGood(a); }))
        return;
    QVector<QPair<int, Account>> aside;
    QVector<Account> kept;
    int place = 0;
    int k = 0;
    for (const Account &account : qAsConst(m_accounts)) {
        for (; k < m_aside.size() && m_aside.at(k).first == place; ++k, ++place)
            aside.append(m_aside.at(k));
        if (putOutForGood(account)) {
            aside.append({place, account});
            m_trace.forgetAccount(account.sinceMs, account.origin);
        } else {
            kept.append(account);
        }
        ++place;
    }
    aside += m_aside.mid(k);
    m_aside = aside;
    m_accounts = kept;
}

void LaneStart::restoreAccounts()
{
    if (m_aside.isEmpty())
        return;
    QVector<Account> all;
    int k = 0;
    for (const Account &account : qAsConst(m_accounts)) {
        for (; k < m_aside.size() && m_aside.at(k).first == all.size(); ++k)
            all.append(m_aside.at(k).second);
        all.append(account);
    }
    for (; k < m_aside.size(); ++k)
        all.append(m_aside.at(k).second);
    m_accounts = all;
    m_aside.clear();
}

std::optional<LaneShot> LaneStart::askedAgain() const
{
    if (checksPage())
        return m_page.check.given.shot;
    const int n = m_page.askAgain;
    if (n <= 0)
        return std::nullopt;
    if (m_page.unconfirmed.shot.number == n)
        return m_page.unconfirmed.shot;
    if (const PageTrace::Answer *read = m_trace.answerOf(n, -kUnbounded))
        return read->shot;
    return std::nullopt;
}

void LaneStart::targetReset()
{
    knownPage(-1, PageFacts());
}

void LaneStart::setHeard(bool heard, qint64 nowMs)
{
    const bool back = heard && !m_line.heard;
    m_line.heard = heard;
    const bool answered = !m_trace.numbersSince(pageSince()).isEmpty();
    if (!heard) {
        m_page.silentInPage = true;
        // Switched off, it was after it gave the last answer read; that
        // answer was given at most kSeenSlackMs before it was read. Never
        // heard: it may have been off for long. Asked for its last shot
        // again and no shot read since, it may have been switched off and
        // on before the "no shot" answers after that shot, its new page's.
        qint64 shownMs = m_line.lastHeardMs;
        if (checksPage())
            shownMs = std::min(shownMs, m_page.check.given.atMs);
        else if (m_line.checkedFromMs >= 0)
            shownMs = std::min(shownMs, m_line.checkedFromMs);
        m_line.silentSinceMs = shownMs >= 0 ? shownMs - kSeenSlackMs : -kUnbounded;
        // Unanswered between the START and the page's first shot: it may
        // have been deaf when the START went out. Only one that gave no
        // answer at all since the START ("no shot" included) is told it did
        // not answer then, whatever it did before (the bus master tells a
        // silence again once the polls after a break go unanswered).
        if (m_state != State::Fresh && !answered && std::max(m_line.lastHeardMs, m_line.otherAnswerMs) < pageSince())
            m_page.unheard = true;
        if (m_state == State::Taken && !answered)
            enter(State::Judging);
    }
    if (!back)
        return;
    m_line.backMs = nowMs;
    m_line.backLacks.clear();
    if (answered) {
        // Is it still the page it had? Its last shot is asked for again,
        // unless a shot asked for again already got an answer unlike it:
        // that question is still open, and what it gathered still counts.
        if (!checksPage() || m_page.check.misses == 0)
            check(*m_trace.lastAnswer());
        m_page.check.back = true;
    } else {
        mayReadOn(nowMs);
    }
    // A shot of the page before asked for again, or one older than the
    // START: what the target gives now is no late copy of an answer given
    // before the silence ("no shot" included).
    m_page.repeated.number = 0;
    // But the answer that told it hears (a ping's "no shot") may come again,
    // named by a later poll: with nothing read since this START, a "no shot"
    // read within a copy's age of it is weighed as one read in the moments
    // after the START (weigh()).
    if (m_page.startMs >= 0 && !answered)
        m_page.copiesUntilMs = std::max(m_page.copiesUntilMs, nowMs + kLateCopyMs);
    m_page.unconfirmed.doubted = true;
    if (m_page.startMs >= 0) {
        // Switched off and on meanwhile, its page may have begun at any
        // moment of the silence: with nothing of this page to ask again, or
        // with a first shot just like the one asked again. So may a page a
        // START of its own began: it stores as it comes, but the next START
        // weighs that case too.
        m_accounts.append({{m_line.silentSinceMs, nowMs}, nowMs, true,
                           m_page.ruledBefore > 0 || m_page.countFrom > 0});
        layAsideFallen();
        m_page.earlierFits = true;
        if (m_state == State::Taken && !answered)
            enter(State::Judging);
    }
}

void LaneStart::check(const PageTrace::Answer &given)
{
    m_page.check = {};
    m_page.check.given = given;
}

bool LaneStart::olderThanStart(const LaneShot &shot, qint64 nowMs) const
{
    return leastApart(0, shot.timeTenths) > nowMs - m_page.startMs + kStartSlackMs + kClockSlackMs;
}

qint64 LaneStart::pageBegins(qint64 startMs) const
{
    // What was read in the START's own millisecond came before it.
    return std::max(startMs, m_line.lastHeardMs + 1);
}

LaneStart::Verdict LaneStart::answer(const LaneShot &shot, qint64 readMs)
{
    // The answer whose own time began the check that may end now.
    const LaneShot crossed = m_page.check.crossedBy;
    Verdict verdict = readAnswer(shot, readMs);
    // The answer that proved the page lost is a shot of the new one, read
    // and stored now: the lane may fall silent, or its page end, before it
    // is asked again. A later one than its first has the shots before it
    // read first (lastRead()), each taking its place before it.
    if (verdict.lostPage) {
        verdict.store += readAnswer(shot, readMs).store;
        if (shot.number > 1)
            m_page.readAhead = shot;
        // So is the shot whose own time ran against the lost page (the
        // check began with it), when the two are of one page.
        if (crossed.number > 0 && crossed.number != shot.number
            && (crossed.number > shot.number) == (crossed.timeTenths >= shot.timeTenths)) {
            verdict.store += readAnswer(crossed, readMs).store;
            if (crossed.number > m_page.readAhead.number)
                m_page.readAhead = crossed;
        }
    }
    return verdict;
}

// The steps an answer goes through, in this order: each may settle it.
LaneStart::Verdict LaneStart::readAnswer(const LaneShot &shot, qint64 readMs)
{
    const qint64 nowMs = std::max(readMs, pageSince());
    noteRead(shot, nowMs);
    // Whatever becomes of it (asked for again, or the check's answer), an
    // answer unlike every one read before this START is a new shot.
    if (m_state != State::Fresh && !m_trace.readBefore(shot, pageSince()))
        m_page.gaveNew = true;
    if (checksPage() && shot.number == m_page.check.given.shot.number)
        return answerCheck(shot, nowMs);
    if (answersCheck(shot, nowMs))
        stopChecking();
    if (waitsForCheck(shot))
        return {};
    if (m_page.askAgain == shot.number)
        m_page.askAgain = 0;
    m_page.lackingSinceMs = -1;
    if (answersAsLostPage(shot, nowMs))
        return {};
    // Read a while after one like it read before this START, it is no copy:
    // the target may still hold the page it gave it on (see
    // forgetCopiesHidingEarlier), which is weighed before the likeness.
    const qint64 readBeforeMs = readBeforeStart(shot);
    if (readBeforeMs > -kUnbounded && nowMs - readBeforeMs > kLateCopyMs)
        forgetCopiesHidingEarlier();
    const Likeness like = likeEarlier(shot, readBeforeMs, nowMs);
    if (askRepeatAgain(shot, like, nowMs))
        return {};
    if (crossCheck(shot))
        return {};
    const bool confirms = sameShot(m_page.unconfirmed.shot, shot);
    const qint64 seenMs = seenAt(confirms, nowMs);
    if (seenMs < m_line.lastNoShotMs)
        forgetLackingSince(shot.number, seenMs, nowMs);
    m_trace.addAnswer(shot, seenMs);
    const bool older = provesOlder(shot, seenMs);
    // A page known to have begun at the lane's own START holds no shot older
    // than it: within a copy's age of it, such answers may all be copies.
    const bool copyOnKnownPage = ownStart() && nowMs - m_page.startMs <= kLateCopyMs;
    if (older && !like.repeat && (!confirms || copyOnKnownPage)) {
        askOlderAgain(shot, nowMs);
        return {};
    }
    m_page.unconfirmed = {};
    // Taken, a repeat or a shot older than the START has the page weighed.
    if (m_state == State::Fresh || (m_state == State::Taken && !like.repeat && !older))
        return storeAsItComes(shot);
    const Verdict verdict = judge(nowMs);
    // Proven to have missed the START, with no page begun in a silence
    // fitting, the shot read on from, given again as it was, is its kept
    // page's however late: no page of this START is left to hold one like it.
    if (m_state == State::Kept && readingOn() == ReadOn::FromFirst && !silenceFitsAfter(-kUnbounded)) {
        const PageTrace::Answer *given = m_trace.answerOf(m_page.readOnFrom.number, pageSince());
        if (given && sameShot(given->shot, m_page.readOnFrom))
            m_page.readOnUntilMs = given->atMs + 1;
    }
    if (like.repeat && readBeforeMs > -kUnbounded && shot.number < m_page.lastBefore.number)
        mayReadOn(m_state == State::Kept ? nowMs : nowMs + kReadOnLeadMs);
    return verdict;
}

void LaneStart::noteRead(const LaneShot &shot, qint64 nowMs)
{
    m_line.lastHeardMs = nowMs;
    m_line.checkedFromMs = -1;
    notePoint(shot);
    // Whatever becomes of it: a START the target confirms next needs it.
    while (!m_line.lastReads.isEmpty()
           && (m_line.lastReads.size() >= kLastReads || m_line.lastReads.first().atMs < nowMs - kLateCopyMs))
        m_line.lastReads.removeFirst();
    m_line.lastReads.append({shot, nowMs});
}

void LaneStart::notePoint(const LaneShot &shot)
{
    if (m_line.twoPoints)
        return;
    if (!m_line.firstPoint) {
        m_line.firstPoint = shot.point;
    } else if (shot.point != *m_line.firstPoint) {
        m_line.twoPoints = true;
        // Pages begun late may no longer hold shots read before them.
        if (isJudging())
            weigh();
    }
}

LaneStart::Verdict LaneStart::answerCheck(const LaneShot &shot, qint64 nowMs)
{
    // Back from a silence, a target that said again and again, over a
    // while, that it lacked the shot holds another page, even when its
    // shot is just like the one asked (a rig's): a late copy is a rare
    // answer of the last moments.
    const bool same = sameShot(m_page.check.given.shot, shot);
    const bool lackedSince = m_page.check.back && m_page.check.lacked >= 3
        && nowMs - m_page.check.lackedMs >= kCheckSpanMs / 2;
    if (same && !lackedSince) {
        m_page.givenAgain = {shot, nowMs};
        stopChecking();
        return {};
    }
    // The same shot unlike it, twice, and never read before: no late copy
    // (a copy is of an answer of the last moments, which were of the page
    // asked about) but the shot the target holds now. The page is lost.
    // So is another shot of that number, never read before, once the target
    // said twice that it lacked it: the page asked about holds one.
    const bool twice = same
        || ((sameShot(m_page.check.unlike, shot) || m_page.check.lacked >= 2)
            && !m_trace.readBefore(shot, PageTrace::kUnbounded));
    m_page.check.unlike = shot;
    return twice ? lostPage(nowMs) : checkFailed(nowMs);
}

bool LaneStart::answersCheck(const LaneShot &shot, qint64 nowMs) const
{
    // Back from a silence, a later shot never read before (no late copy)
    // whose own time puts its page's beginning a copy's age before the shot
    // asked for again was read: the page that gave that shot (even by a
    // copy) is the one held now, as the shot itself given again would say.
    // Asked for again besides, a lane losing answers falls behind its
    // shooter with every silence.
    const Check &check = m_page.check;
    return checksPage() && check.back && check.misses == 0 && shot.number > check.given.shot.number
        && nowMs - leastApart(0, shot.timeTenths) < check.given.atMs - kSeenSlackMs - kLateCopyMs
        && !m_trace.readBefore(shot, kUnbounded);
}

bool LaneStart::waitsForCheck(const LaneShot &shot) const
{
    // An answer to a poll before the check. A later shot is judged as one
    // of the page it seemed to hold when a page begun meanwhile would put it
    // after the START too: such a page began after the target gave the shot
    // asked for again, and counts the shot's own time from there. Otherwise
    // it is asked for once the page is known.
    return checksPage()
        && (shot.number < m_page.check.given.shot.number
            || m_page.check.given.atMs - kSeenSlackMs + leastApart(0, shot.timeTenths) < m_page.startMs);
}

bool LaneStart::answersAsLostPage(const LaneShot &shot, qint64 nowMs)
{
    // A page taken for lost that answers as before was not: what it gave
    // was stored already. Unless it lacked that shot since: a shot just
    // like it, taken after.
    const int n = shot.number;
    const auto lost = m_page.lostPage.constFind(n);
    if (lost == m_page.lostPage.cend() || !sameShot(*lost, shot) || m_trace.lacked(n, pageSince()))
        return false;
    // Still its page, as the next START will need to know.
    if (!m_trace.answerOf(n, pageSince()))
        m_trace.addAnswer(shot, nowMs);
    m_page.decided.insert(n, {Decision::Skip, true, true});
    m_page.readUpTo = std::max(m_page.readUpTo, n);
    return true;
}

qint64 LaneStart::readBeforeStart(const LaneShot &shot) const
{
    return m_state == State::Fresh ? -kUnbounded
                                   : m_trace.lastReadBefore(shot, pageSince()).value_or(-kUnbounded);
}

LaneStart::Likeness LaneStart::likeEarlier(const LaneShot &shot, qint64 readBeforeMs, qint64 nowMs) const
{
    // Like a shot read before this START: one such answer may be a late copy
    // on the line, so it is asked for again.
    // Once no page begun before it fits, one read a while after the last
    // like it is neither: a copy is of an answer of the last moments.
    const bool readBefore = readBeforeMs > -kUnbounded;
    // Like one of these answers read before beforeMs, within a copy's age.
    const auto copyOf = [&](const QVector<PageTrace::Answer> &reads, qint64 beforeMs) {
        return std::any_of(reads.cbegin(), reads.cend(), [&](const PageTrace::Answer &a) {
            return a.atMs < beforeMs && sameShot(a.shot, shot) && nowMs - a.atMs <= kLateCopyMs;
        });
    };
    // Nor one like a shot given in the last moments before this START,
    // however it was taken (the answer to a check is not in the trace).
    Likeness like;
    like.copyAge = copyOf(m_page.beforeOwn, kUnbounded)
        || (m_state != State::Fresh && copyOf(m_line.lastReads, pageSince()))
        || nowMs - readBeforeMs <= kLateCopyMs;
    like.repeat = like.copyAge || (readBefore && fitsOn(m_trace).earlierFits);
    return like;
}

bool LaneStart::askRepeatAgain(const LaneShot &shot, const Likeness &like, qint64 nowMs)
{
    // A repeat of an earlier page's shot counts at its second reading in a
    // row; within a copy's age, two readings in a row may both be copies: it
    // counts at the third. The shot the page may be read on after, asked for
    // first (readingOn()), counts at its first reading a copy's age after the
    // START: a copy of an answer given before the START would be older, and
    // one given since tells the page the target held then, as the answer
    // itself does.
    const int n = shot.number;
    Repeat &repeated = m_page.repeated;
    if (!like.repeat || (repeated.number == n && (!like.copyAge || repeated.times >= 2)))
        return false;
    if (!like.copyAge && nowMs - m_page.startMs > kLateCopyMs && readingOn() == ReadOn::Asking
        && sameShot(shot, m_page.readOnFrom)) {
        repeated = {n, 1};
        return false;
    }
    repeated.times = repeated.number == n ? repeated.times + 1 : 1;
    repeated.number = n;
    m_page.askAgain = n;
    return true;
}

bool LaneStart::crossCheck(const LaneShot &shot)
{
    // Stored as they come, shots whose own times run against their numbers
    // are of two pages: switched off and on between two polls. The shot it
    // gave of the page read so far is asked for again, once a page: given
    // again, the target stamps its shots that way.
    if (isJudging() || m_page.crossChecked)
        return false;
    const PageTrace::Answer *crossed = m_trace.outOfOrder(shot, pageSince());
    if (!crossed)
        return false;
    m_page.crossChecked = true;
    check(*crossed);
    m_page.check.crossedBy = shot;
    return true;
}

qint64 LaneStart::seenAt(bool confirms, qint64 nowMs) const
{
    // The same answer again confirms the first: the shot was taken before
    // that one was read, and what its moment proved stands, unless a page
    // may have begun since (a silence between the two): the answer is then
    // of that page too, and is read as now. None laid aside began last: the
    // silence that lays them aside adds its own page, read since after them,
    // which no answer read since can put out yet.
    qint64 latestSince = m_page.current.sinceMs;
    for (const Account &account : qAsConst(m_accounts))
        latestSince = std::max(latestSince, account.sinceMs);
    return confirms && m_page.unconfirmed.readMs >= latestSince ? m_page.unconfirmed.readMs : nowMs;
}

bool LaneStart::provesOlder(const LaneShot &shot, qint64 seenMs) const
{
    // One answer that proves the page older than this START may be a late
    // copy of one given before it: it counts once the target gives it again.
    // Taken to have started, only its own time can prove that (the "no shot"
    // answers weigh once it is judged).
    // So may one on a page known to have begun at the lane's own START.
    if (m_state == State::Taken || ownStart())
        return olderThanStart(shot, seenMs);
    // Judged, it is this answer (in the trace now) that puts out this
    // START's account, which fitted at the last weighing. It may be a copy
    // when its own time alone is older than the START, or when it is read
    // within a copy's age of the START: a copy on the line is of an answer
    // of the last moments, so one that fits no page of this START only by
    // the "no shot" answers before it, read a while after the START, is not
    // one. Nor is one that no page begun before the START can have given:
    // it fits only a page begun in a silence after it.
    return isJudging() && m_page.thisByAnswers && !thisStartFits()
        && (olderThanStart(shot, seenMs)
            || (seenMs - m_page.startMs < kLateCopyMs && !onlyBegunAfterStart()));
}

void LaneStart::askOlderAgain(const LaneShot &shot, qint64 nowMs)
{
    // Asked for again, the page judged as it was; what its first reading
    // proved is kept for when it is given again.
    m_trace.dropLast();
    m_page.unconfirmed = {shot, nowMs, false};
    m_page.askAgain = shot.number;
}

LaneStart::Verdict LaneStart::storeAsItComes(const LaneShot &shot)
{
    // A fresh page, or one taken to have taken the START: stored as it comes.
    const int n = shot.number;
    if (m_page.decided.contains(n))
        return {}; // handed out already
    m_page.decided.insert(n, {Decision::Store, m_state == State::Fresh});
    m_page.readUpTo = std::max(m_page.readUpTo, n);
    Verdict verdict;
    verdict.store.append({shot, shot.timeTenths});
    return verdict;
}

LaneStart::Verdict LaneStart::noShot(int number, qint64 readMs)
{
    const qint64 nowMs = std::max(readMs, pageSince());
    const bool inOrder = readInOrder(number, nowMs);
    m_line.lastHeardMs = nowMs;
    m_line.checkedFromMs = -1;
    m_line.lastNoShotMs = nowMs;
    while (!m_line.lastLacks.isEmpty()
           && (m_line.lastLacks.size() >= kLastReads || m_line.lastLacks.first().first < nowMs - kLateCopyMs))
        m_line.lastLacks.removeFirst();
    m_line.lastLacks.append({nowMs, number});
    if (nowMs < m_line.backMs + kLateCopyMs
        && (m_line.lastReads.isEmpty() || m_line.lastReads.last().atMs < m_line.backMs))
        m_line.backLacks[number].append(nowMs);
    // Another answer that may be a copy: weighed again.
    if (nowMs < m_page.copiesUntilMs)
        m_page.copiesWeighed = false;
    if (checksPage())
        return noShotWhileChecking(number, nowMs);
    if (m_page.askAgain == number)
        m_page.askAgain = 0;
    if (m_page.askAhead == number) {
        m_page.askAhead = 0;
        m_page.aheadLacked = true;
    }
    checkWhenLacking(nowMs);
    if (noShotDoubtsCopy(number))
        return {};
    if (const PageTrace::Answer *given = m_trace.answerOf(number, pageSince())) {
        const auto decided = m_page.decided.constFind(number);
        if (decided != m_page.decided.cend() && decided->decision == Decision::Store) {
            // It lacks a shot it gave and that was stored: asked for again,
            // as after a silence.
            check(*given);
            return checkFailed(nowMs);
        }
        // What was read for it was a late copy of an earlier answer.
        m_trace.forget(number, pageSince());
        restoreAccounts();
        m_page.decided.remove(number);
        m_page.readUpTo = std::min(m_page.readUpTo, number - 1);
    } else if (const PageTrace::Answer *before = keptLacks(number)) {
        check(*before);
        return checkFailed(nowMs);
    }
    m_trace.addLacking(number, nowMs, inOrder);
    if (m_state == State::Fresh || m_state == State::Taken)
        return {};
    return judge(nowMs);
}

const PageTrace::Answer *LaneStart::keptLacks(int number) const
{
    // Taken to have kept its page across the START, it lacks a shot that
    // page gave before it: switched off and on since, or another page all
    // along. It is asked for that shot again, as for one stored (a late
    // copy does not last through the check). Not a machine firing one
    // point: its new page gives the old one's shots again.
    if (m_state != State::Kept || !m_line.twoPoints)
        return nullptr;
    const PageTrace::Answer *before = m_trace.answerOf(number, -kUnbounded);
    if (!before || before->atMs >= pageSince())
        return nullptr;
    // Of a page an account that fits keeps, not of one before them all.
    const Fits fits = fitsOn(m_trace);
    const bool kept = std::any_of(fits.earlier.cbegin(), fits.earlier.cend(),
                                  [number](const Spans &spans) { return spans.contains(number); });
    return kept ? before : nullptr;
}

void LaneStart::asked(int number, qint64 nowMs)
{
    m_line.asksToldSinceMs = std::min(m_line.asksToldSinceMs, nowMs);
    // Every one of a copy's age is kept: a lane is asked a few times a second.
    while (!m_line.lastAsks.isEmpty() && m_line.lastAsks.first().first < nowMs - kLateCopyMs)
        m_line.lastAsks.removeFirst();
    m_line.lastAsks.append({nowMs, number});
}

bool LaneStart::readInOrder(int number, qint64 nowMs) const
{
    // A late copy is of an answer of the last moments, named by the poll
    // it came after: read a copy's age after the lane was back from a
    // silence, with no answer of a later number read since, what it copies
    // was the answer to a poll for this number or an earlier one (so the
    // page held then lacked this one too). Within a copy's age of this
    // page's START the polls before it asked for the earlier page's
    // numbers: the same holds only when the bus master told every ask of
    // those moments, none for a later number and no ping (its answer, a
    // "no shot" of no number, is read as one of the number polled then).
    const qint64 fromMs = nowMs - kLateCopyMs;
    const bool askedInOrder = m_line.asksToldSinceMs <= fromMs
        && std::none_of(m_line.lastAsks.cbegin(), m_line.lastAsks.cend(), [&](const QPair<qint64, int> &a) {
               return a.first >= fromMs && (a.second == 0 || a.second > number);
           });
    if ((pageSince() > fromMs && !askedInOrder) || m_line.backMs > fromMs)
        return false;
    const auto later = [&](qint64 atMs, int n) { return atMs >= fromMs && n > number; };
    return std::none_of(m_line.lastReads.cbegin(), m_line.lastReads.cend(),
                        [&](const PageTrace::Answer &a) { return later(a.atMs, a.shot.number); })
        && std::none_of(m_line.lastLacks.cbegin(), m_line.lastLacks.cend(),
                        [&](const QPair<qint64, int> &l) { return later(l.first, l.second); });
}

LaneStart::Verdict LaneStart::noShotWhileChecking(int number, qint64 nowMs)
{
    if (number == m_page.check.given.shot.number) {
        if (m_page.check.lacked++ == 0)
            m_page.check.lackedMs = nowMs;
        return checkFailed(nowMs);
    }
    // Whichever page it holds lacked that later shot then; a page found
    // lost forgets it with the rest.
    if (number > m_page.check.given.shot.number)
        m_trace.addLacking(number, nowMs);
    return {};
}

void LaneStart::checkWhenLacking(qint64 nowMs)
{
    // A target switched off and on between two polls is never heard silent:
    // one that has lacked the next shot for a while is asked for its last
    // one again, to tell whether it still holds its page.
    if (m_page.lackingSinceMs < 0 || !m_trace.lastAnswer()) {
        m_page.lackingSinceMs = nowMs;
    } else if (nowMs - m_page.lackingSinceMs >= kCheckAfterMs) {
        m_page.lackingSinceMs = nowMs;
        if (m_trace.lastAnswer()->atMs >= pageSince())
            check(*m_trace.lastAnswer());
    }
}

bool LaneStart::noShotDoubtsCopy(int number)
{
    // The target lacks the shot it seemed to repeat: one of the two answers
    // is a late copy (a "no shot" names no number: it may be another poll's).
    // Neither counts; it is asked again.
    if (m_page.repeated.number == number) {
        m_page.repeated.number = 0;
        m_page.askAgain = number;
        return true;
    }
    // So does the shot older than the START it gave once and was asked
    // again: the first "no shot" after it does not count, and the shot given
    // again still confirms it.
    if (m_page.unconfirmed.shot.number == number && !m_page.unconfirmed.doubted) {
        m_page.unconfirmed.doubted = true;
        m_page.askAgain = number;
        return true;
    }
    return false;
}

LaneStart::Verdict LaneStart::checkFailed(qint64 nowMs)
{
    // One answer unlike the page may be noise, or a late copy of one meant
    // for another poll; answers unlike it over a while prove the page lost.
    if (m_page.check.misses++ == 0)
        m_page.check.missedMs = nowMs;
    if (m_page.check.misses < 2 || nowMs - m_page.check.missedMs < kCheckSpanMs)
        return {};
    return lostPage(nowMs);
}

void LaneStart::refused(int number)
{
    m_page.readUpTo = std::min(m_page.readUpTo, number - 1);
    // The exercise stops at the refused one: none after it was stored either.
    for (auto it = m_page.decided.lowerBound(number); it != m_page.decided.end();)
        it = m_page.decided.erase(it);
}

// ------------------------------------------------ which accounts fit
// The one place that says which accounts of the page fit the answers, and
// the moments each gives the page's shots: every decision and word reads it.

std::optional<LaneStart::Spans> LaneStart::spansOf(const PageTrace &trace, const Account &account,
                                                   Span within) const
{
    // Clipped: a page kept across a START began before it; one begun in a
    // silence after a START may have taken it.
    const Span origin{std::max(account.origin.from, within.from), std::min(account.origin.to, within.to)};
    if (origin.isEmpty())
        return std::nullopt;
    // No page holds a shot read before it began: given by it (read a copy's
    // age after it began, no late copy of an earlier answer), an answer just
    // like one read before is an earlier page's. Only of a shooter's shots,
    // read at two points: a machine firing one point at fixed times gives
    // the same shots on every page.
    if (m_line.twoPoints
        && trace.givenBeforeFirstRead(std::max(account.sinceMs, origin.to + kLateCopyMs), origin.from))
        return std::nullopt;
    return trace.bounds(account.sinceMs, origin);
}

std::optional<LaneStart::Spans> LaneStart::fitting(const PageTrace &trace, const Account &account,
                                                   bool byRuling) const
{
    std::optional<Spans> spans = spansOf(trace, account);
    if (!spans)
        return spans;
    // A page begun (in a silence) after a shot of this START was read does
    // not hold that answer: an earlier page gave it, before the same answer
    // was first read. That bounds it, as the answer's own reading does.
    if (account.sinceMs > pageSince()) {
        const Spans read = trace.takenBeforeRead(pageSince(), account.sinceMs);
        if (spans->isEmpty()) {
            *spans = read; // no shot read since it began: shared, not copied
        } else {
            for (auto it = read.cbegin(); it != read.cend(); ++it) {
                if (!spans->contains(it.key()))
                    spans->insert(it.key(), it.value());
            }
        }
    }
    // The operator placed the START after shot ruledBefore and before shot
    // countFrom: an account that puts either wholly on the other side is
    // ruled out for the rest of the page. A page begun in a silence after
    // the ruling was no case of it: the shots it placed were read before.
    const auto puts = [&](int number) { return spans->value(number, {-kUnbounded, kUnbounded}); };
    if (byRuling && !account.sinceRuling
        && ((m_page.ruledBefore > 0 && puts(m_page.ruledBefore).from >= m_page.startMs)
            || (m_page.countFrom > 0 && puts(m_page.countFrom).to < m_page.startMs - kStartSlackMs)))
        return std::nullopt;
    return spans;
}

LaneStart::Fits LaneStart::fitsOn(const PageTrace &trace) const
{
    // A ruling that leaves no page at all was wrong: the answers alone tell.
    const bool ruled = m_page.ruledBefore > 0 || m_page.countFrom > 0;
    Fits fits = fitsOn(trace, ruled);
    if (ruled && fits.none())
        fits = fitsOn(trace, false);
    return fits;
}

LaneStart::Fits LaneStart::fitsOn(const PageTrace &trace, bool byRuling) const
{
    Fits fits;
    fits.ruled = byRuling;
    // Counted from this START, every shot of the page was taken after it.
    const std::optional<Spans> thisStart = spansOf(trace, m_page.current);
    fits.thisByAnswers = thisStart.has_value();
    if (!byRuling || m_page.ruledBefore == 0)
        fits.thisStart = thisStart;
    for (const Account &account : qAsConst(m_accounts)) {
        fits.accounts.append(fitting(trace, account, byRuling));
        if (fits.accounts.last())
            fits.earlier.append(*fits.accounts.last());
    }
    fits.earlierFits = !fits.earlier.isEmpty();
    // Neither: a page begun at some moment we know nothing of, told only by
    // the answers since this START.
    if (!fits.thisStartFits() && !fits.earlierFits) {
        fits.unknown = fitting(trace, unknownPage(kUnbounded), byRuling);
        if (fits.unknown)
            fits.earlier.append(*fits.unknown);
    }
    return fits;
}

QVector<QPair<LaneStart::Doubt::Page, LaneStart::Spans>>
LaneStart::Fits::named(const QVector<Account> &earlierAccounts) const
{
    using Page = Doubt::Page;
    QVector<QPair<Page, Spans>> all;
    if (thisStart)
        all.append({Page::ThisStart, *thisStart});
    for (int k = 0; k < accounts.size() && k < earlierAccounts.size(); ++k) {
        if (!accounts.at(k))
            continue;
        const Account &account = earlierAccounts.at(k);
        const Page page = account.silence ? Page::SwitchedOn
            : account.origin.from <= -kUnbounded ? Page::NoStart
                                                 : Page::EarlierStart;
        all.append({page, *accounts.at(k)});
    }
    if (unknown)
        all.append({Page::NoStart, *unknown});
    return all;
}

LaneStart::Account LaneStart::unknownPage(qint64 begunByMs) const
{
    return {{-kUnbounded, begunByMs}, m_page.current.sinceMs};
}

bool LaneStart::thisStartFits() const
{
    return spansOf(m_trace, m_page.current).has_value();
}

bool LaneStart::fitsBegunBefore(qint64 ms) const
{
    return std::any_of(m_accounts.cbegin(), m_accounts.cend(), [&](const Account &a) {
        return spansOf(m_trace, a, {-kUnbounded, ms}).has_value();
    });
}

bool LaneStart::silenceFitsAfter(qint64 ms) const
{
    return std::any_of(m_accounts.cbegin(), m_accounts.cend(), [&](const Account &a) {
        return a.silence && spansOf(m_trace, a, {ms, kUnbounded}).has_value();
    });
}

bool LaneStart::onlyBegunAfterStart() const
{
    return !fitsBegunBefore(m_page.startMs) && silenceFitsAfter(-kUnbounded);
}

LaneStart::Fits LaneStart::weigh()
{
    Fits fits = fitsOn(m_trace);
    // Neither: a "no shot" read in the moments after the START may be a late
    // copy of the answer to a poll before it, for a later shot (the bus
    // master names it by the poll it came after), until kLateCopyMs after
    // the last "no shot" read before it. Two of them in a row prove
    // nothing when the shots the lane gives run against them: when without
    // them a START's account fits, or with them no page at all does. A page
    // begun at a moment no START tells that fits with them is their
    // account: they are kept, and prove what they prove. Only the ones the
    // shots run against go, the lowest numbers' first: a "no shot" of a
    // later number that no shot runs against still proves what it proves.
    if (!fits.thisStartFits() && !fits.earlierFits && m_page.copiesUntilMs > m_page.startMs)
        forgetLowestCopies(fits);
    if (!fits.thisStartFits() && !fits.earlierFits) {
        PageTrace without = m_trace;
        if (without.forgetLacking(m_page.startMs, m_page.copiesUntilMs)) {
            const Fits freed = fitsOn(without);
            if (freed.thisStartFits() || freed.earlierFits || fits.none()) {
                m_trace = std::move(without);
                fits = freed;
            }
        }
    }
    m_page.thisStartFits = fits.thisStartFits();
    m_page.thisByAnswers = fits.thisByAnswers;
    m_page.earlierFits = fits.earlierFits;
    m_weighed = &fits;
    enter(m_page.earlierFits ? (m_page.thisStartFits ? State::Judging : State::Kept)
                             : (m_page.thisStartFits ? State::New : State::Other));
    m_weighed = nullptr;
    return fits;
}

LaneStart::Decision LaneStart::decide(const Fits &fits, int number) const
{
    if (fits.none()) {
        const std::optional<Span> after = takenAfterLack(number);
        return after && after->from >= m_page.startMs ? Decision::Store : Decision::Hold;
    }
    const auto byMoment = [this](const Span &span) {
        if (span.from >= m_page.startMs)
            return Decision::Store;
        // The START went out at most kStartSlackMs before we read it.
        if (span.to < m_page.startMs - kStartSlackMs)
            return Decision::Skip;
        return Decision::Hold;
    };
    std::optional<Decision> all;
    if (fits.thisStartFits())
        all = Decision::Store; // counted from this START, every shot was taken after it
    for (const Spans &spans : fits.earlier) {
        const Decision d = byMoment(spans.value(number, {-kUnbounded, kUnbounded}));
        if (all && *all != d)
            return Decision::Hold;
        all = d;
    }
    return *all;
}

int LaneStart::backCopiesBelow() const
{
    // Back from a silence, every "no shot" read before the first shot may
    // be a late copy of the answer that told it hears (a ping's, named by a
    // later poll), read within a copy's age of it. Copies of one answer come
    // at most kCopiesInRow in a row and within kCheckSpanMs: once the
    // answers of the numbers up to one are more, or span longer, from that
    // number on they are no copies alone.
    if (m_line.backMs + kLateCopyMs <= pageSince())
        return 0;
    Span read{kUnbounded, -kUnbounded};
    int count = 0;
    for (auto it = m_line.backLacks.cbegin(); it != m_line.backLacks.cend(); ++it) {
        read = {std::min(read.from, it->first()), std::max(read.to, it->last())};
        count += it->size();
        if (count > kCopiesInRow || read.to - read.from >= kCheckSpanMs)
            return it.key();
    }
    return m_line.backLacks.isEmpty() ? 0 : m_line.backLacks.lastKey() + 1;
}

std::optional<LaneStart::Span> LaneStart::takenAfterLack(int number) const
{
    // A page begun at a moment no answer tells still took a shot after the
    // target said it lacked that number or an earlier one, when the same
    // answer was first read after that "no shot" (never before it, nor
    // before the START): the page it held then gave it later, or a later
    // page began later still, whatever page gave it. Only once it or a
    // later shot was read again since (or given again when asked): a "no
    // shot" of its number read next takes it for a late copy (noShot());
    // or when it was first read more than a copy's age after that "no
    // shot", so given after it: no late copy of an earlier page's answer.
    const qint64 lackedMs = m_trace.lackedUpTo(number, pageSince());
    const qint64 firstMs =
        m_trace.takenBeforeRead(pageSince(), kUnbounded).value(number, {-kUnbounded, -kUnbounded}).to - kClockSlackMs;
    if (lackedMs <= -kUnbounded || firstMs <= lackedMs)
        return std::nullopt;
    const QVector<int> numbers = m_trace.numbersSince(pageSince());
    const PageTrace::Answer &again = m_page.givenAgain;
    const bool givenAfter = firstMs + kClockSlackMs - kLateCopyMs > lackedMs;
    if (!givenAfter && (again.shot.number < number || again.atMs <= firstMs)
        && std::none_of(std::lower_bound(numbers.cbegin(), numbers.cend(), number), numbers.cend(),
                        [&](int n) { return m_trace.answerOf(n, pageSince())->atMs > firstMs; }))
        return std::nullopt;
    return Span{lackedMs - kSeenSlackMs, firstMs + kClockSlackMs};
}

int LaneStart::sinceStart(const Fits &fits, const LaneShot &shot) const
{
    if (fits.none()) {
        const std::optional<Span> after = takenAfterLack(shot.number);
        return after ? int(std::max<qint64>(0, after->from - m_page.startMs) / kMsPerTenth) : 0;
    }
    if (fits.thisStartFits() || fits.earlier.isEmpty())
        return shot.timeTenths;
    // Every account that fits puts a shot stored after the START; the time
    // only places it in the stage's time (one out of it is passed over). The
    // first is the page held longest: as a rule it puts the shot earliest,
    // so a shot goes for late only when that page too makes it late.
    const Span span = fits.earlier.first().value(shot.number, {m_page.startMs, m_page.startMs});
    return int(std::max<qint64>(0, span.from - m_page.startMs) / kMsPerTenth);
}

bool LaneStart::isJudging() const
{
    return m_state != State::Fresh && m_state != State::Taken;
}

LaneStart::Word LaneStart::tellMissed()
{
    // Only once no account of this START is left: nor a page begun in a
    // silence after it (switched off and on, it may have taken the START).
    if (!isJudging() || m_page.thisByAnswers || !m_page.earlierFits || m_page.toldMissed)
        return Word::None;
    // Switched off and on after this START went out, it may have taken it.
    if (silenceFitsAfter(m_page.startMs - kStartSlackMs))
        return Word::None;
    m_page.toldMissed = true;
    return Word::Missed;
}

void LaneStart::forgetCopiesHidingEarlier()
{
    if (!m_page.missedLast || m_page.copiesWeighed || m_page.copiesUntilMs <= m_page.startMs
        || fitsOn(m_trace).earlierFits)
        return;
    m_page.copiesWeighed = true;
    // The "no shot" answers read ahead of the lane's first shot after the
    // START, in the moments a copy of its answers to the polls before it can
    // come, against a shot of the page it held read a while before. A lane
    // that missed the START before holds the shots of two STARTs or more:
    // judged on both accounts, its later answers tell which page it holds,
    // where a rig's page of one START would look just like a new one.
    restoreAccounts();
    PageTrace without = m_trace;
    if (!without.forgetLacking(m_page.startMs, m_trace.firstReadSince(pageSince(), m_page.copiesUntilMs)))
        return;
    const Fits was = fitsOn(m_trace);
    const Fits fits = fitsOn(without);
    bool back = false;
    for (int k = 0; k < m_accounts.size(); ++k)
        back = back || (!m_accounts.at(k).silence && fits.accounts.at(k));
    if (!back)
        return;
    // Only the page it was proven to hold comes back: one begun in a
    // silence, which those answers put out, stays out.
    QVector<Account> kept;
    for (int k = 0; k < m_accounts.size(); ++k) {
        if (!m_accounts.at(k).silence || was.accounts.at(k))
            kept.append(m_accounts.at(k));
    }
    m_accounts = kept;
    m_trace = std::move(without);
    // The state says what fits now, though the answer may yet be asked again.
    if (isJudging())
        weigh();
}

bool LaneStart::heldRepeats() const
{
    if (!holdsShots() || !m_page.lostDoubts.isEmpty() || m_page.gaveNew)
        return false;
    // Every answer of this page, held or not (one stored or passed over), is
    // just like one read before it. One asked for again as older than the
    // START is not in the trace, yet needs no look of its own: such a shot
    // is read only in a page judged against a START, where an answer unlike
    // every one read before it sets gaveNew as it is read, and what was read
    // before the page began stays as it was while the page lasts.
    const auto readBefore = [this](const LaneShot &shot) { return m_trace.readBefore(shot, pageSince()); };
    const QVector<int> numbers = m_trace.numbersSince(pageSince());
    return std::all_of(numbers.cbegin(), numbers.cend(), [&](int number) {
               return readBefore(m_trace.answerOf(number, pageSince())->shot);
           });
}

LaneStart::Word LaneStart::tellHeld()
{
    // Told it missed the START, its shots' doubt is only which earlier page
    // they are of: not that the START cannot be told.
    if (!holdsShots() || m_page.toldDoubt || m_page.toldMissed)
        return Word::None;
    m_page.toldDoubt = true;
    if (heldRepeats())
        return Word::NoNewShots;
    return m_page.unheard ? Word::Unheard : Word::InDoubt;
}

LaneStart::Word LaneStart::endPage()
{
    // The page is over: what is held is passed over by the caller now, and
    // the lane is told so, whatever it was told before.
    if (holdsShots()) {
        m_page.toldDoubt = true;
        return heldRepeats() ? Word::NoNewShots : Word::PassedOver;
    }
    return tellMissed();
}

int LaneStart::lastRead(int storedUpTo) const
{
    if (checksPage())
        return m_page.check.given.shot.number - 1;
    if (m_page.askAgain > 0)
        return m_page.askAgain - 1;
    for (int n = 1; n < m_page.readAhead.number; ++n) {
        if (!m_trace.answerOf(n, pageSince()))
            return n - 1;
    }
    const int read = std::max(storedUpTo, m_page.readUpTo);
    const int from = m_page.readOnFrom.number;
    switch (readingOn()) {
    case ReadOn::None: return read;
    case ReadOn::Asking: return from - 1;
    case ReadOn::After: return readOnAfter(std::max(read, from));
    case ReadOn::FromFirst: break;
    }
    int n = 1;
    while (m_trace.answerOf(n, pageSince()))
        ++n;
    return n - 1;
}

void LaneStart::mayReadOn(qint64 nowMs)
{
    const LaneShot &last = m_page.lastBefore;
    if (m_page.readOnFrom.number <= 0 && last.number > 0 && m_state != State::Fresh && m_page.startMs >= 0
        && olderThanStart(last, nowMs)) {
        m_page.readOnFrom = last;
        m_page.readOnUntilMs = m_page.startMs + leastApart(0, last.timeTenths) - kStartSlackMs - kClockSlackMs;
    }
}

void LaneStart::askAheadFrom(const Fits &fits)
{
    // A lane that kept its page across the START and is read on after its
    // last shot read before it may hold many more shots taken before the
    // START (read one a poll round, it fell behind its shooter): read in
    // turn, they would keep its first shot of this START from the operator
    // for as many rounds, and are passed over when read. Once the last shot
    // read is passed over, the next asked for is the one its own time and
    // the page's pace (its shots' average, from the page's beginning) put
    // kAheadMargin shots before the START, or before the START by the "no
    // shot" answers since. Every shot up to a shot passed over was taken
    // before it, so what is jumped over needs no reading once the shot
    // jumped to is passed over too; one jumped to that is not (the shooter
    // paused) has the shots jumped over read first (readOnAfter()). A
    // "no shot" of the number jumped to ends the jumping (noShot()).
    m_page.askAhead = 0;
    const int top = m_page.readUpTo;
    if (m_state != State::Kept || m_page.aheadLacked || fits.earlier.isEmpty() || readingOn() != ReadOn::After
        || top < m_page.readOnFrom.number)
        return;
    const auto decided = m_page.decided.constFind(top);
    const PageTrace::Answer *last = m_trace.answerOf(top, pageSince());
    if (decided == m_page.decided.cend() || decided->decision != Decision::Skip || !last)
        return;
    const auto takenBy = [&fits](int number) {
        qint64 ms = -kUnbounded;
        for (const Spans &spans : fits.earlier)
            ms = std::max(ms, spans.value(number, {-kUnbounded, kUnbounded}).to);
        return ms;
    };
    const qint64 paceMs = mostApart(0, last->shot.timeTenths) / top;
    const qint64 takenByMs = std::max(takenBy(top), m_trace.lackedUpTo(top + 1, -kUnbounded));
    if (paceMs < kMsPerTenth || takenByMs >= kUnbounded / 2)
        return;
    // Only a lane that was behind its shooter as it went: one that kept up
    // holds what its shooter fired since, and he may have paused.
    const std::optional<qint64> readBeforeMs = m_trace.lastReadBefore(m_page.readOnFrom, pageSince());
    if (m_page.jumpedFrom == 0
        && (!readBeforeMs || *readBeforeMs - takenBy(m_page.readOnFrom.number) < (kAheadMargin + 1) * paceMs))
        return;
    const qint64 before = (m_page.startMs - kStartSlackMs - takenByMs) / paceMs - kAheadMargin;
    if (before < 2)
        return;
    m_page.askAhead = int(std::min<qint64>(top + before, kMaxShotNumber));
    if (m_page.jumpedFrom == 0)
        m_page.jumpedFrom = top + 1;
}

int LaneStart::readOnAfter(int read) const
{
    // The numbers jumped over that no shot passed over since bounds (the
    // shot jumped to was not) are read first, in turn.
    if (m_page.jumpedFrom > 0) {
        int passed = m_page.jumpedFrom - 1;
        for (auto it = m_page.decided.cend(); it != m_page.decided.cbegin();) {
            --it;
            if (it->decision == Decision::Skip) {
                passed = std::max(passed, it.key());
                break;
            }
        }
        int n = passed + 1;
        while (n <= m_page.readUpTo && m_trace.answerOf(n, pageSince()))
            ++n;
        if (n <= m_page.readUpTo)
            return n - 1;
    }
    return std::max(read, m_page.askAhead - 1);
}

LaneStart::ReadOn LaneStart::readingOn() const
{
    // The page held before this START may go on when the lane is back from
    // a silence with nothing read since the START (setHeard()), or took a
    // shot read before the START again, as a repeat (readAnswer(): deaf too
    // briefly to be told silent, or heard; unless proven to have missed the
    // START, only while the last shot stays older than it for a while, or
    // a rig's new page soon holds one just like it): a page of this START
    // holds no shot as old as the last one read before it (mayReadOn()),
    // so that shot is asked for first, not
    // the page again from its first shot (a lane read once a poll round
    // would not catch up with its shooter). Given again as it was, by an
    // answer the judgement took (a repeat or an older shot once confirmed,
    // or at once a copy's age after the START: askRepeatAgain())
    // and read while no page of this START could hold it yet (a rig's new
    // page gives it again by then), the page is read on after it: the
    // shots before it were read before the START. Another shot of its
    // number, or its lack confirmed, is another page: read from the first
    // number it gave no shot for since the START. Every answer meanwhile is
    // judged as any other, none set aside for its turn: only the asking
    // order follows this.
    const LaneShot &from = m_page.readOnFrom;
    if (from.number <= 0)
        return ReadOn::None;
    if (const PageTrace::Answer *given = m_trace.answerOf(from.number, pageSince()))
        return sameShot(given->shot, from) && given->atMs < m_page.readOnUntilMs ? ReadOn::After
                                                                                  : ReadOn::FromFirst;
    return m_trace.lacked(from.number, pageSince()) ? ReadOn::FromFirst : ReadOn::Asking;
}

int LaneStart::heldCount() const
{
    HeldCount &held = m_held;
    // Judged, each weighing goes over the decisions and parts them anyway:
    // held, they would be copied at every answer for nothing.
    if (isJudging())
        held = {};
    else if (held.count >= 0 && held.sinceMs == pageSince()
        && held.decided.isSharedWith(m_page.decided) && held.lostDoubts.isSharedWith(m_page.lostDoubts))
        return held.count;
    const QVector<int> numbers = m_trace.numbersSince(pageSince());
    const int count = m_page.lostDoubts.size()
        + int(std::count_if(numbers.cbegin(), numbers.cend(),
                            [this](int number) { return !m_page.decided.contains(number); }));
    if (!isJudging())
        held = {count, pageSince(), m_page.decided, m_page.lostDoubts};
    return count;
}

LaneStart::Verdict LaneStart::judge(qint64 nowMs)
{
    Verdict verdict;
    const Fits fits = weigh();
    reweighPassedOver(fits, verdict);
    // What was stored is taken back on the answers alone: the operator ruled
    // only on the shots held.
    withdrawDisproven(fits.ruled ? fitsOn(m_trace, false) : fits, verdict);
    decideNew(fits, verdict, nowMs);
    askAheadFrom(fits);
    verdict.word = tellMissed();
    if (verdict.wrong > 0) {
        verdict.word = Word::Withdrawn;
        m_page.toldMissed = true;
    }
    // Shots held are told once the answers that settle an ordinary hold (a
    // copy asked again, the next "no shot") are overdue, whatever answer
    // comes then: a lane read shot after shot is told as one that lacks.
    if (verdict.word == Word::None && m_page.waitingSinceMs >= 0
        && nowMs - m_page.waitingSinceMs >= kTellAfterMs)
        verdict.word = tellHeld();
    return verdict;
}

void LaneStart::reweighPassedOver(const Fits &fits, Verdict &verdict)
{
    // One passed over is weighed again: the accounts that put it before the
    // START may no longer fit.
    for (auto it = m_page.decided.begin(); it != m_page.decided.end();) {
        if (it->decision != Decision::Skip || it->final || it.key() <= m_page.ruledBefore) {
            ++it;
            continue;
        }
        const Decision now = decide(fits, it.key());
        if (now == Decision::Hold) {
            it = m_page.decided.erase(it);
            continue;
        }
        if (now == Decision::Store) {
            const PageTrace::Answer *answer = m_trace.answerOf(it.key(), pageSince());
            if (answer) { // else read before a late copy's "no shot" took it away
                *it = {Decision::Store, true};
                verdict.store.append({answer->shot, sinceStart(fits, answer->shot)});
            }
        }
        ++it;
    }
}

void LaneStart::withdrawDisproven(const Fits &fits, Verdict &verdict)
{
    // A shot stored is withdrawn once it is proven earlier, even one its
    // answers proved after the START by an account that has fallen since;
    // not one the operator's ruling stored. One stored only because the lane
    // seemed to take the START, proven by no account, stays stored while
    // this START's account fits; once it does not, it is held again, to
    // wait for proof or the operator's ruling.
    for (auto it = m_page.decided.begin(); it != m_page.decided.end();) {
        if (it->decision != Decision::Store || it->final
            || (m_page.countFrom > 0 && it.key() >= m_page.countFrom)) {
            ++it;
            continue;
        }
        const Decision now = decide(fits, it.key());
        if (now == Decision::Skip) {
            verdict.withdraw.append(it.key());
            ++verdict.wrong;
            *it = {Decision::Skip, true};
        } else if (now == Decision::Store) {
            it->proven = true;
        } else if (!it->proven && !fits.thisStartFits()) {
            verdict.withdraw.append(it.key());
            it = m_page.decided.erase(it);
            continue;
        }
        ++it;
    }
}

void LaneStart::decideNew(const Fits &fits, Verdict &verdict, qint64 nowMs)
{
    // Each shot on its own: one held keeps its place, the ones after it
    // that are proven are stored now.
    bool held = false;
    const QVector<int> numbers = m_trace.numbersSince(pageSince());
    // The page's numbers and its decisions walked side by side, both in
    // order: a long page is gone over at every answer. Its own (detached),
    // the map keeps its nodes as numbers are inserted before the one walked.
    m_page.decided.detach();
    auto decided = m_page.decided.cbegin();
    for (int number : numbers) {
        while (decided != m_page.decided.cend() && decided.key() < number)
            ++decided;
        if (decided != m_page.decided.cend() && decided.key() == number)
            continue;
        // Ruled: the START fell before an earlier shot of the page, or after
        // a later one (read again after a late copy's "no shot").
        const bool ruledEarlier = number <= m_page.ruledBefore;
        const Decision decision = m_page.countFrom > 0 && number > m_page.countFrom ? Decision::Store
            : ruledEarlier                                                       ? Decision::Skip
                                                                                 : decide(fits, number);
        if (decision == Decision::Hold) {
            held = true;
            continue;
        }
        m_page.decided.insert(number, {decision, true, ruledEarlier});
        if (decision == Decision::Store) {
            const LaneShot &shot = m_trace.answerOf(number, pageSince())->shot;
            verdict.store.append({shot, sinceStart(fits, shot)});
        }
    }
    if (!numbers.isEmpty())
        m_page.readUpTo = std::max(m_page.readUpTo, numbers.last());
    m_page.waitingSinceMs = !held ? -1 : m_page.waitingSinceMs >= 0 ? m_page.waitingSinceMs : nowMs;
}

QVector<LaneStart::Doubt> LaneStart::doubts() const
{
    const PageTrace::Answer *last = m_trace.lastAnswer();
    const bool checking = checksPage() && last;
    // A "no shot" read in the moments after the lane was last heard again
    // may be a late copy of the answer that told it hears (a ping's, which
    // lacks every shot), named by a later poll. weigh() lets it decide while
    // the shots fit it; where it alone puts out a page that gave them, the
    // cases shown leave it out, so that a held shot of an earlier page is
    // never shown taken after a START for that alone.
    const bool copies = m_line.backMs + kLateCopyMs > pageSince() && m_line.lastNoShotMs >= m_line.backMs
        && heldCount() > 0;
    if (!checking && !copies)
        return doubtsOn(m_trace);
    PageTrace shown = m_trace;
    // Asked about again, the page may be lost (switched off and on): a "no
    // shot" read since the last shot it gave may be the new page's, which
    // says nothing of when the held shots were taken and would put out the
    // very page that gave them. Found lost, its held shots keep these moments.
    if (checking)
        shown.forgetLacking(last->atMs + 1, kUnbounded);
    PageTrace freed = shown;
    if (!copies || !freed.forgetLacking(m_line.backMs, m_line.backMs + kLateCopyMs))
        return doubtsOn(shown);
    if (fitsOn(freed).named(m_accounts).size() > fitsOn(shown).named(m_accounts).size())
        return doubtsOn(freed);
    // Nor is a shot shown taken at moments that they alone give it, where
    // nothing else bounds its page and they may all be copies
    // (backCopiesBelow()): such a shot of a page held since before the
    // first START was shown taken just after a later one.
    QVector<Doubt> held = doubtsOn(shown);
    const int below = backCopiesBelow();
    if (below > 0) {
        const QVector<Doubt> unbounded = doubtsOn(freed);
        for (int i = 0; i < held.size() && i < unbounded.size(); ++i) {
            if (held.at(i).pagesBack == 0 && held.at(i).shot.number < below
                && !unbounded.at(i).taken.fromKnown())
                held[i] = unbounded.at(i);
        }
    }
    return held;
}

QVector<LaneStart::Doubt> LaneStart::doubtsOn(const PageTrace &trace) const
{
    QVector<Doubt> held = m_page.lostDoubts;
    const auto spans = fitsOn(trace).named(m_accounts);
    for (int number : trace.numbersSince(pageSince())) {
        if (m_page.decided.contains(number))
            continue;
        const PageTrace::Answer *answer = trace.answerOf(number, pageSince());
        Doubt doubt;
        doubt.shot = answer->shot;
        doubt.readMs = answer->atMs;
        doubt.startMs = m_page.startMs;
        // The moments every account that fits leaves it, each and together
        // (a page begun in a silence after the shot was read, before its
        // answer was first read): the cases decide() weighs, and only those.
        for (const auto &account : spans) {
            const auto span = account.second.constFind(number);
            if (span == account.second.cend())
                continue;
            doubt.taken = doubt.accounts.isEmpty()
                ? *span
                : Span{std::min(doubt.taken.from, span->from), std::max(doubt.taken.to, span->to)};
            doubt.accounts.append({account.first, *span});
        }
        doubt.readBeforeMs = trace.lastReadBefore(answer->shot, pageSince());
        if (const PageTrace::Answer *before = trace.answerOf(number - 1, pageSince()))
            doubt.gapTenths = answer->shot.timeTenths - before->shot.timeTenths;
        else if (number == 1)
            doubt.gapTenths = answer->shot.timeTenths;
        held.append(doubt);
    }
    return held;
}

LaneStart::Verdict LaneStart::rule(int first)
{
    Verdict verdict;
    const QVector<Doubt> held = doubts();
    if (held.isEmpty())
        return verdict;
    // A fresh page (after a loss) counts from its own start: nothing to weigh.
    const Fits fits = isJudging() ? weigh() : Fits{};
    for (int k = 0; k < held.size(); ++k) {
        const Doubt &doubt = held.at(k);
        const bool count = first != kNone && k >= first;
        if (count)
            verdict.store.append({doubt.shot, doubt.pagesBack > 0 ? doubt.shot.timeTenths
                                                                   : sinceStart(fits, doubt.shot),
                                  doubt.pagesBack});
        if (doubt.pagesBack > 0)
            continue;
        m_page.decided.insert(doubt.shot.number, {count ? Decision::Store : Decision::Skip, true, true});
        if (count && (m_page.countFrom == 0 || doubt.shot.number < m_page.countFrom))
            m_page.countFrom = doubt.shot.number;
        if (!count)
            m_page.ruledBefore = std::max(m_page.ruledBefore, doubt.shot.number);
    }
    m_page.lostDoubts.clear();
    m_page.waitingSinceMs = -1;
    // The ruling is evidence: the accounts it contradicts fit no more.
    if (isJudging())
        weigh();
    return verdict;
}

LaneStart::Verdict LaneStart::lostPage(qint64 nowMs)
{
    // With what an earlier loss kept: a page wrongly taken for lost twice
    // gives the shots of both again.
    QMap<int, LaneShot> before = m_page.lostPage;
    for (int number : m_trace.numbersSince(pageSince()))
        before.insert(number, m_trace.answerOf(number, pageSince())->shot);
    // What was held of it is not forgotten: the operator rules on it.
    QVector<Doubt> held = doubts();
    for (Doubt &doubt : held)
        ++doubt.pagesBack;
    // The new page lacked the shot asked for again when it said so twice: a
    // shot of that number it gives later is new, however like the old one.
    const int lacked = m_page.check.lacked >= 2 ? m_page.check.given.shot.number : 0;
    const qint64 lackedMs = m_page.check.lackedMs;
    PageFacts page;
    page.lostPage = before;
    page.lostDoubts = held;
    knownPage(-1, std::move(page));
    // Whenever it began, the page that gave the answer read now was begun
    // by then: carried across a later START, it is no page of that START.
    m_page.current.origin.to = nowMs;
    if (lacked > 0) {
        m_trace.addLacking(lacked, lackedMs);
        m_trace.addLacking(lacked, lackedMs);
    }
    Verdict verdict;
    verdict.lostPage = true;
    verdict.word = Word::PageLost;
    return verdict;
}

void LaneStart::forgetLackingSince(int number, qint64 seenMs, qint64 nowMs)
{
    // Taken for the answer read at seenMs, the shot was held ever since: a
    // "no shot" of its number or an earlier one read in between copied an
    // answer given before it, and bounds nothing; the ones read before still do.
    if (!m_trace.forgetLacking(seenMs + 1, nowMs + 1, number))
        return;
    for (const QPair<qint64, int> &lack : qAsConst(m_line.lastLacks)) {
        if (lack.first >= pageSince() && lack.first <= seenMs && lack.second <= number)
            m_trace.addLacking(lack.second, lack.first);
    }
}

void LaneStart::forgetLowestCopies(Fits &fits)
{
    const QVector<int> numbers = m_trace.numbersSince(pageSince());
    for (int number : numbers) {
        PageTrace without = m_trace;
        if (!without.forgetLacking(m_page.startMs, m_page.copiesUntilMs, number))
            continue;
        Fits freed = fitsOn(without);
        if (freed.thisStartFits() || freed.earlierFits) {
            m_trace = std::move(without);
            fits = std::move(freed);
            return;
        }
    }
}
