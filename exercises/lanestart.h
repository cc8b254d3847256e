#pragma once

#include <QMap>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <optional>

#include "pagetrace.h"

// Whether one lane's target took the last START of the whole line (the one
// that began the current page: a rifle sighting or match, a pistol series or
// window), and so which of its answers are shots of this START. A target
// that missed a START still holds its earlier page, answers with its shots
// and records new ones on it. Most rules are stated at the function that
// applies them; this comment names where.
//
// The accounts of a lane are the STARTs it may have taken last: this one
// (`beginPage()`), or any earlier one since its page was last known for sure
// (a reset, a START the target confirmed itself, a lost page: `knownPage()`),
// or none of them (the page it held before the first: `accountsAcross()`;
// one that fits none of the STARTs: `unknownPage()`), or a page begun in a
// silence (switched off and on: `setHeard()`; from its last shot when that
// was asked for again and not given yet, as the "no shot" answers since may
// be a new page's). Each answer is checked
// against each account (see PageTrace), in the one place every decision and
// word reads (`fitsOn()`).
// An account that does not fit weighs nothing while it does not (an answer
// forgotten as a late copy can make it fit again), and the next START drops
// it (`accountsAcross()`). Where a page begun in a silence after a shot was
// read puts that shot: `fitting()`. The operator's ruling as evidence:
// `fitting()`, `fitsOn()`; what the answers alone decide:
// `Fits::thisByAnswers`, `judge()`.
// A shot is stored when every account that fits puts it after this START,
// passed over when every one puts it before, and held otherwise (see
// `decide()`): nothing is decided on a guess. A shot passed over is weighed
// again as accounts fall (`reweighPassedOver()`; what is final: `Decided`),
// one stored is withdrawn or held again (`withdrawDisproven()`), and each
// shot is decided on its own (`decideNew()`), a held one stored in its place
// on the page (`MyEvent::act()`).
//
// States, and what leaves them (one field, changed only by enter(); what
// each says of the accounts is checked against the answers in every build,
// brokenInvariant()):
//   Fresh    no START of the line to judge against (before the first one, a
//            START the target confirmed itself, a memory reset, a lost
//            page): every answer is stored as it comes (`storeAsItComes()`;
//            the late copies a START the target confirmed may bring:
//            `beginPage()`, `likeEarlier()`); no earlier account is kept,
//            only the case of a silence for the next START to weigh. Left
//            by the next START.
//   Taken    heard at the START, and since the START before it
//            (`beginPage()`): taken to have taken it, stored as it comes,
//            no shot older than the START by its own time (the "no shot"
//            answers weigh once it is judged). A shot of the earlier page,
//            or one older than the START, once it counts, has the page
//            judged (`readAnswer()`, `askRepeatAgain()`, `provesOlder()`);
//            a silence before the first answer makes it Judging
//            (`setHeard()`).
//   Judging  this START's account fits, and so may an earlier one.
//   New      only this START's account fits: every shot is stored.
//   Kept     only earlier accounts fit: the target missed the START (when
//            the operator is told: `tellMissed()`); shots are stored by the
//            moments their own times prove.
//   Other    none fits: a page begun some other time; its shots are stored
//            by what the answers read since this START prove (the "no shot"
//            answers alone: `takenAfterLack()`).
// Judging, New, Kept and Other are entered by `weigh()` (Judging also by
// `setHeard()`).
//
// The operator is told what is proven, and one story a START: that the lane
// did not take the START (`tellMissed()`), that shots stored were proven
// earlier (`judge()`), that shots are held (`tellHeld()`, told when
// `judge()` finds them overdue; none new: `heldRepeats()`; not answering at
// the START: `setHeard()`), and at a page's end what becomes of the shots
// held (`endPage()`). Shots still held when the lane has shot its count, at
// STOP, or when its page is found lost (`lostPage()`) are the operator's to
// rule on (`MyEvent::askRuling()`): they are consecutive shots of the page,
// and the operator places the START among them (`rule()`).
//
// Late copies on the line (an answer of the last moments read again after
// later ones): a shot like one read before this START, and when such a shot
// is no copy (`likeEarlier()`, `askRepeatAgain()`, `provesOlder()`); a "no
// shot" for a shot asked for again (`noShotDoubtsCopy()`; back from a
// silence: `setHeard()`), and which "no shot" answers bound the page at
// once (`readInOrder()`, with what the bus master asked: `asked()`); a shot
// older than the START asked for again (`askOlderAgain()`, `seenAt()`).
// Two late copies in a row can make a "no shot" that was not so: given
// before the shot was taken, or to a poll before the START for a later shot.
// When the lane's shots run against such answers they are forgotten: in the
// moments after this START (`weigh()`), in the page a START ends
// (`accountsAcross()`), and ahead of a lane's first shot after a START it
// was proven to have missed the one before (`forgetCopiesHidingEarlier()`).
//
// Whether the target still holds its page: a shot it gave is asked for
// again, its last when it is back from a silence (`setHeard()`; a later
// shot too old for a page begun in the silence answers: `answersCheck()`) or lacked
// its next shot for a while (`checkWhenLacking()`), one stored that it says
// it lacks (`noShot()`), one stored as it came that a later answer's own
// time runs against (`crossCheck()`). What proves the page lost is listed at
// `Word::PageLost` (`answerCheck()`, `checkFailed()`), what becomes of it at
// `lostPage()` and `answer()`, and of the answers meanwhile at
// `waitsForCheck()` and `noShotWhileChecking()`. Back with nothing read
// since this START, or proven by a repeat to have missed it, the page may
// be read on after its last shot read before it: `readingOn()`; behind its
// shooter, past the shots its pace puts before the START: `askAheadFrom()`.
class LaneStart
{
public:
    enum class State { Fresh, Taken, Judging, New, Kept, Other };
    enum class Word {
        None,
        Missed,    // did not take the START; none of its earlier shots was stored
        Withdrawn, // did not take the START; shots stored for it were earlier ones
        Unheard,   // silent around the START, and its shots cannot tell yet
        InDoubt,   // answers with shots that cannot tell yet
        // The target holds another page (lostPage()): asked again for a shot
        // it gave (its last, back from a silence or after lacking its next
        // one for a while; one stored that it lacked, or one its page kept
        // across the START gave before it (keptLacks()); one whose own time ran
        // against another answer's, crossCheck()), it answered unlike it over
        // kCheckSpanMs, gave the same other shot, never read before, twice
        // (or once, after saying twice it lacked that number), or, back from
        // a silence, gave the same shot after saying again and again over a
        // while that it lacked it (answerCheck(), checkFailed())
        PageLost,
        NoNewShots, // gave only shots just like those of the page before the START
        PassedOver // the page is over with shots held: they are passed over
    };
    // A shot to store, with its time since this START as far as it is known.
    struct Take
    {
        LaneShot shot;
        int sinceStartTenths = 0;
        int pagesBack = 0; // of a page the target lost that many pages ago
    };
    // A shot held: what it answered, when it was read and the moments it can
    // have been taken at by every account that still fits (ms on the
    // targets' clock), its own time's distance from the page's shot before
    // it (-1: not read), and whether it is of a page the target lost since
    // (pagesBack > 0: it was held when the page was found lost).
    // Each account that fits keeps its own moments (`accounts`, this
    // START's first): `taken` joins them, and two that do not touch tell the
    // operator two different cases. readBeforeMs: when the same answer, to
    // the byte, was read last before the START.
    struct Doubt
    {
        // What an account takes the target's page for.
        enum class Page {
            ThisStart,    // it took this START
            EarlierStart, // it kept the page of an earlier START: it missed this one
            SwitchedOn,   // begun when it was switched off and on in a silence
            NoStart       // begun at a moment no START tells
        };
        struct Moments
        {
            Page page = Page::NoStart;
            PageTrace::Span taken{-PageTrace::kUnbounded, PageTrace::kUnbounded};
        };
        LaneShot shot;
        qint64 readMs = 0;
        PageTrace::Span taken{-PageTrace::kUnbounded, PageTrace::kUnbounded};
        int gapTenths = -1;
        int pagesBack = 0;
        qint64 startMs = -1; // the START it is judged against (a lost page's keeps its own)
        QVector<Moments> accounts;
        std::optional<qint64> readBeforeMs;
    };
    // The operator's ruling that no held shot was taken after the START.
    static constexpr int kNone = -1;
    struct Verdict
    {
        QVector<Take> store; // in the page's order
        // Numbers of this page's stored shots taken back: their rows go, the
        // later ones of the page close up; what `store` holds then takes its
        // place in the page's order.
        QVector<int> withdraw;
        int wrong = 0;         // of them, the shots taken before the START (the rest are held again)
        bool lostPage = false; // the target's count starts again from 1
        Word word = Word::None;
    };

    // Room for the moment a target took a START against our reading of its
    // confirmation: read late on a busy program, or a later copy taken.
    static constexpr qint64 kStartSlackMs = 1000;
    static constexpr qint64 kStartCopyMs = 500;
    static constexpr qint64 kSeenSlackMs = PageTrace::kSeenSlackMs;
    static constexpr qint64 kClockSlackMs = PageTrace::kClockSlackMs;
    // A lane that answered "no shot" this long is asked for its last shot again.
    static constexpr qint64 kCheckAfterMs = 5000;
    // Answers unlike the shot asked for again prove the page lost only when
    // they span this long: a late copy on the line is of an answer of the
    // last moments, and the lane's earlier answers ("no shot" to the next
    // number) are just like what a lost page answers.
    static constexpr qint64 kCheckSpanMs = 2000;
    // An answer read this long after another (or after a START) may be a
    // late copy of it (of one given before the START): the START or the
    // answer read up to kStartSlackMs late, the copy of the last kCheckSpanMs.
    static constexpr qint64 kLateCopyMs = kStartSlackMs + kCheckSpanMs;
    static_assert(kLateCopyMs == PageTrace::kLateCopyMs, "one copy's age for the page and its answers");
    // A lane that took again a shot read before the START is read on after
    // the last one read before it only while that shot stays older than the
    // START this long: while it is asked for and confirmed.
    static constexpr qint64 kReadOnLeadMs = 2 * kLateCopyMs;
    // The operator is told of shots held this long that the page could not
    // decide: what settles an ordinary hold comes within a copy's age.
    static constexpr qint64 kTellAfterMs = kLateCopyMs;
    // The STARTs a page is judged against, at most (a stage's every window).
    static constexpr int kMaxAccounts = 32;

    // A START, confirmed at startMs, began a new page: a START of the whole
    // line, or (own) one that the target confirmed itself (a re-shoot).
    void beginPage(qint64 startMs, bool own = false);
    // The target's memory was reset (it confirmed): a fresh page.
    void targetReset();
    // The bus master found the lane's polls unanswered (false) or heard it
    // again, at nowMs.
    void setHeard(bool heard, qint64 nowMs);
    // The target answered at nowMs with no shot and no "no shot" for the
    // page (an acknowledgement, or an answer the bus master could not take
    // for its poll): it was on the line, which only the words weigh.
    void heardOnLine(qint64 nowMs) { m_line.otherAnswerMs = nowMs; }
    // The bus master asked the target for this shot number (0: a ping, which
    // asks for none) at nowMs: what a late copy read soon after may answer.
    void asked(int number, qint64 nowMs);
    // The target answered at nowMs with this shot, but the bus master could
    // not take it for its poll: it was on the line, and may come again as a
    // late copy, as a shot read then may.
    void shotNotTaken(const LaneShot &shot, qint64 nowMs) { noteRead(shot, nowMs); }

    Verdict answer(const LaneShot &shot, qint64 nowMs);
    // The target answered that it holds no shot of this number.
    Verdict noShot(int number, qint64 nowMs);
    // The database refused this shot: it is asked for again.
    void refused(int number);
    // The page's shooting time is over (a pistol series or window): a lane
    // whose shots could not be decided, or that is proven to have missed the
    // START, is told, once.
    Word endPage();

    State state() const { return m_state; }
    // When the START the current page is judged against was confirmed; -1: none.
    qint64 startMs() const { return m_page.startMs; }
    // The last number to count as read, given the last one stored: the next
    // poll asks for the one after it.
    int lastRead(int storedUpTo) const;
    // Shots held, undecided.
    bool holdsShots() const { return heldCount() > 0; }
    int heldCount() const;
    // The earlier STARTs and silences the page is judged against besides
    // this START, whether or not they still fit.
    int accountCount() const { return m_accounts.size(); }
    // Back from a silence, its last shot is to be asked for again.
    bool checksPage() const { return m_page.check.given.shot.number > 0; }
    // Back from a silence, the next poll asks for another shot than the one
    // asked before it: its last shot, or the last one read before the START.
    bool asksAgainOnHearing() const { return checksPage() || readingOn() == ReadOn::Asking; }
    // The rule of the states that the lane broke first (see above), empty
    // while every one holds: cheap enough to ask after every step.
    QString brokenInvariant() const;
    // The shots held, in the page's order: a lost page's first. While the
    // page is asked about again, their moments leave out what the "no shot"
    // answers read since its last shot say: they may be a new page's.
    QVector<Doubt> doubts() const;
    // The operator's ruling on the shots held: the START fell before
    // doubts()[first] (kNone: after the last of them). The shots from it on
    // are stored, every later shot of its page with them; the ones before
    // it are passed over, and so is any shot of the page up to the last of
    // them read again. Later answers are judged as before, on the accounts
    // the ruling leaves.
    Verdict rule(int first);
    // A bool is no index: rule(false) would count every held shot.
    Verdict rule(bool) = delete;

private:
    using Span = PageTrace::Span;
    enum class Decision { Store, Skip, Hold };
    // A START the page may have begun at: its window, and since when its
    // answers are of that page.
    struct Account
    {
        PageTrace::Span origin;
        qint64 sinceMs;
        bool silence = false; // switched off and on: begun in a silence
        bool sinceRuling = false; // added after the operator's ruling, which did not weigh it
    };
    struct Decided
    {
        Decision decision = Decision::Hold;
        bool proven = false; // an assumed store (a lane taken to have started) may be withdrawn
        bool final = false;  // the operator's ruling, or stored before a page was taken for lost
    };

    // The only place the state changes; checks what the state says.
    void enter(State state);
    // A rule of the states broken now (entering: one that holds as the
    // state is entered); empty when none is.
    QString brokenRule(bool entering) const;

    using Spans = QMap<int, Span>; // by number: the moments a shot can have been taken at
    // Which accounts fit the answers, and the moments each gives the page's
    // shots: every decision and every word reads it.
    struct Fits
    {
        std::optional<Spans> thisStart;           // this START's account
        QVector<std::optional<Spans>> accounts;   // each earlier one (m_accounts' order)
        // Neither fits: a page begun at a moment no START tells, told only
        // by the answers since this START.
        std::optional<Spans> unknown;
        // The earlier accounts that fit, or else the unknown page.
        QVector<Spans> earlier;
        bool earlierFits = false; // an earlier account fits
        bool ruled = false;       // weighed with the operator's ruling
        // This START's account fits the answers (a ruling may put it out):
        // whether the lane is told it missed the START, and whether the next
        // START keeps this one's page, is the answers'.
        bool thisByAnswers = false;
        bool thisStartFits() const { return thisStart.has_value(); }
        bool none() const { return !thisStartFits() && earlier.isEmpty(); }
        // Every one that fits, this START's first, each with what it takes
        // the page for (earlierAccounts: m_accounts, in the order fitted).
        QVector<QPair<Doubt::Page, Spans>> named(const QVector<Account> &earlierAccounts) const;
    };
    // The page begun at a moment no START tells, no later than begunByMs
    // (the next START's window: a page kept across it; kUnbounded: the page
    // of this START, which may have begun at any moment), read since this
    // page's answers began.
    Account unknownPage(qint64 begunByMs) const;
    // An account's spans, its origin clipped to within; none when it does not fit.
    std::optional<Spans> spansOf(const PageTrace &trace, const Account &account,
                                 Span within = {-PageTrace::kUnbounded, PageTrace::kUnbounded}) const;
    // The answers and the operator's ruling (byRuling: unless it leaves no
    // page at all); the answers alone (false).
    Fits fitsOn(const PageTrace &trace) const;
    Fits fitsOn(const PageTrace &trace, bool byRuling) const;
    // An account's spans, with the shots read before its page began, when
    // they fit the operator's ruling (none when they do not).
    std::optional<Spans> fitting(const PageTrace &trace, const Account &account, bool byRuling) const;
    // This START's account fits the answers as they stand (fitsOn().thisStartFits(),
    // without weighing the others).
    bool thisStartFits() const;
    // An earlier account fits with a page begun before ms.
    bool fitsBegunBefore(qint64 ms) const;
    // A page begun in a silence fits, begun no earlier than ms.
    bool silenceFitsAfter(qint64 ms) const;
    // Weighs the page: which accounts fit, and the state they make.
    Fits weigh();
    // Forgets the "no shot" answers of the moments after this START that
    // the shots run against, the lowest numbers' first, as few as let an
    // account fit (fits: weighed again then).
    void forgetLowestCopies(Fits &fits);
    // A shot given again confirms its reading at seenMs: the "no shot"
    // answers of its number or an earlier one read since are forgotten.
    void forgetLackingSince(int number, qint64 seenMs, qint64 nowMs);
    Decision decide(const Fits &fits, int number) const;
    // The "no shot" answers read back from a silence may all be late copies
    // for the shots below this number (0: for none).
    int backCopiesBelow() const;
    int sinceStart(const Fits &fits, const LaneShot &shot) const;
    // With no account that fits, the moments the "no shot" answers alone
    // give a shot (see decide()); nothing when they prove none.
    std::optional<Span> takenAfterLack(int number) const;
    // Judges the page's shots against the accounts that fit: stored ones
    // withdrawn, passed-over ones weighed again, new ones decided.
    Verdict judge(qint64 nowMs);
    void reweighPassedOver(const Fits &fits, Verdict &verdict);
    void withdrawDisproven(const Fits &fits, Verdict &verdict);
    void decideNew(const Fits &fits, Verdict &verdict, qint64 nowMs);

    // What an answer is like that may be a late copy or an earlier page's shot.
    struct Likeness
    {
        bool copyAge = false; // like one read within a copy's age before
        bool repeat = false;  // that, or like one of a page that may still be held
    };
    // The steps of answer(): each may settle the answer (true: asked again).
    Verdict readAnswer(const LaneShot &shot, qint64 readMs);
    void noteRead(const LaneShot &shot, qint64 nowMs);
    Verdict answerCheck(const LaneShot &shot, qint64 nowMs);
    bool waitsForCheck(const LaneShot &shot) const;
    bool answersCheck(const LaneShot &shot, qint64 nowMs) const;
    bool answersAsLostPage(const LaneShot &shot, qint64 nowMs);
    // When the same answer was read last before this START (-kUnbounded:
    // never; a fresh page has no START to be before).
    qint64 readBeforeStart(const LaneShot &shot) const;
    Likeness likeEarlier(const LaneShot &shot, qint64 readBeforeMs, qint64 nowMs) const;
    bool askRepeatAgain(const LaneShot &shot, const Likeness &like, qint64 nowMs);
    bool crossCheck(const LaneShot &shot);
    qint64 seenAt(bool confirms, qint64 nowMs) const;
    bool provesOlder(const LaneShot &shot, qint64 seenMs) const;
    void askOlderAgain(const LaneShot &shot, qint64 nowMs);
    Verdict storeAsItComes(const LaneShot &shot);
    void notePoint(const LaneShot &shot);
    // The steps of noShot().
    Verdict noShotWhileChecking(int number, qint64 nowMs);
    void checkWhenLacking(qint64 nowMs);
    const PageTrace::Answer *keptLacks(int number) const;
    bool noShotDoubtsCopy(int number);
    // A "no shot" of this number read now may only copy one for it or an
    // earlier number (see PageTrace::addLacking()).
    bool readInOrder(int number, qint64 nowMs) const;
    // The shots held, with the moments the accounts that fit on trace leave them.
    QVector<Doubt> doubtsOn(const PageTrace &trace) const;
    // The target lost its page: a fresh one, its held shots kept for the ruling.
    Verdict lostPage(qint64 nowMs);
    // Since when the answers are of the current page.
    qint64 pageSince() const { return m_page.current.sinceMs; }
    // The page began at the lane's own START, which its target confirmed.
    bool ownStart() const { return m_state == State::Fresh && m_page.startMs >= 0; }
    // Since when the answers are of a page begun at a START confirmed at
    // startMs: after every answer read so far, even in its millisecond.
    qint64 pageBegins(qint64 startMs) const;
    // The page is weighed against the accounts at each answer: every state
    // but Fresh and Taken (which store as they come), whichever accounts fit.
    bool isJudging() const;
    // Tells the lane of its shots held, once: none new, or that they cannot
    // tell yet (None when told before).
    Word tellHeld();
    // Forgets the "no shot" answers read in the moments after this START,
    // before any shot, when they alone keep every earlier page out of a
    // lane that missed the START before.
    void forgetCopiesHidingEarlier();
    // The answers fit a page begun in a silence after this START, and no
    // page begun before it.
    bool onlyBegunAfterStart() const;
    // Shots are held, and every answer of this page is just like one read
    // before this START: the lane gave no new shot.
    bool heldRepeats() const;
    // A shot taken before this START, against the time since it.
    bool olderThanStart(const LaneShot &shot, qint64 nowMs) const;
    // The check after a silence got an answer unlike the shot it gave.
    Verdict checkFailed(qint64 nowMs);
    // Begins asking for the page's answer again.
    void check(const PageTrace::Answer &given);
    // No page is asked about any more.
    void stopChecking() { check({}); }
    // Tells the lane, once, that it did not take the START, when that is
    // proven (None otherwise).
    Word tellMissed();
    // Where a lane back from a silence with nothing read since this START
    // stands in reading its page on after the last shot read before it.
    enum class ReadOn { None, Asking, After, FromFirst };
    ReadOn readingOn() const;
    // The page may be read on after the last shot read before this START.
    void mayReadOn(qint64 nowMs);
    // Read on a page kept across the START by a lane behind its shooter,
    // the shots its pace puts before the START are jumped over.
    void askAheadFrom(const Fits &fits);
    int readOnAfter(int read) const;
    // Shots to jump over at once, fewer by the last ones before the START:
    // the shooter's pace is an average, and he may pause.
    static constexpr int kAheadMargin = 2;

    // What the lane's line remembers across pages, whatever a page begins:
    // the next START weighs it (a page begun in a silence began after the
    // last answer; a late copy of the last moments' answers may come after
    // it).
    struct Line
    {
        bool heard = true;
        qint64 silentSinceMs = 0;   // the last silence began no earlier than this
        qint64 lastHeardMs = -1;    // the last answer read
        qint64 otherAnswerMs = -1;  // the last answer that told nothing of the page
        qint64 lastNoShotMs = -PageTrace::kUnbounded; // the last "no shot" read
        // Its last shot, read then, was being asked for again as the last
        // START went out, and it has not answered since.
        qint64 checkedFromMs = -1;
        // The shots answered in the last moments, however they were taken,
        // and the numbers answered "no shot" (with when they were read).
        QVector<PageTrace::Answer> lastReads;
        QVector<QPair<qint64, int>> lastLacks;
        // The numbers asked for in the last moments (0: a ping), told by
        // the bus master since asksToldSinceMs.
        QVector<QPair<qint64, int>> lastAsks;
        qint64 asksToldSinceMs = PageTrace::kUnbounded;
        qint64 backMs = -PageTrace::kUnbounded; // when it was last heard again after a silence
        // The "no shot" answers read within a copy's age of that, before
        // any shot: when each was read, by number.
        QMap<int, QVector<qint64>> backLacks;
        // Shots read at two points: a shooter's, not a machine's firing one
        // point, whose new page may give shots just like its last one's.
        std::optional<QPoint> firstPoint;
        bool twoPoints = false;
    };
    static constexpr int kLastReads = 16;
    // Late copies of one answer read in a row, at most.
    static constexpr int kCopiesInRow = 2;
    // Asking for the last shot a lane gave again, to tell whether it still
    // holds its page.
    struct Check
    {
        PageTrace::Answer given;   // the shot asked for again (number 0: none)
        int misses = 0;            // answers unlike it so far
        qint64 missedMs = -1;      // the first of them
        LaneShot unlike;           // the last shot given unlike it
        int lacked = 0;            // of them, "no shot" of the number asked for
        qint64 lackedMs = -1;      // the first of those
        bool back = false;         // asked back from a silence
        LaneShot crossedBy;        // the answer whose own time ran against it (crossCheck())
    };
    // An answer older than this START, asked for again.
    struct Unconfirmed
    {
        LaneShot shot;
        qint64 readMs = -1;        // when it was first read
        bool doubted = false;      // a "no shot" of its number came since
    };
    // A shot just like one of an earlier page, asked for again.
    struct Repeat
    {
        int number = 0;
        int times = 0;             // read that many times in a row
    };
    // Everything the lane knows of the page judged against the current
    // START: begun afresh (begin()) at each START, a reset and a lost page.
    struct PageFacts
    {
        qint64 startMs = -1;
        Account current{{-PageTrace::kUnbounded, PageTrace::kUnbounded}, -PageTrace::kUnbounded};
        bool thisStartFits = true;   // this START's account fits (the answers and the ruling)
        bool thisByAnswers = true;   // it fits the answers alone (see Fits)
        bool earlierFits = false;   // an earlier account fits
        bool unheard = false;       // not heard from this START until it fell silent
        bool silentInPage = false;  // silent since the page's START
        bool toldMissed = false;
        bool toldDoubt = false;
        bool gaveNew = false;       // an answer unlike every one read before this START
        bool missedLast = false;    // proven at this START to have missed the one before
        PageTrace::Answer givenAgain; // the last shot asked for again and given as it was
        // A "no shot" read until then may be a copy of one before the START.
        qint64 copiesUntilMs = -PageTrace::kUnbounded;
        bool copiesWeighed = false; // those were weighed against the earlier pages, and kept
        QMap<int, Decided> decided; // numbers of this page stored or passed over
        int readUpTo = 0;
        LaneShot lastBefore;        // the last shot read before this START
        LaneShot readOnFrom;        // that shot, asked first (readingOn())
        qint64 readOnUntilMs = 0;   // given again before then, no page of this START holds it
        int askAgain = 0;           // a number asked for once more
        Repeat repeated;
        Check check;                // after a silence: the last shot read, asked for again
        bool crossChecked = false;  // asked again for a shot its own time ran against
        Unconfirmed unconfirmed;
        int countFrom = 0;          // ruled: the page's shots from this number on are this START's
        int ruledBefore = 0;        // ruled: the page's shots up to this number were taken before it
        QVector<Doubt> lostDoubts;  // held when their page was found lost: the operator's to rule on
        QMap<int, LaneShot> lostPage; // what the page before a loss answered
        // Found lost by the new page's later shot, stored at once: the ones
        // before it are read next.
        LaneShot readAhead;
        // Read on a kept page: the number asked next, past shots passed over
        // unread (0: none); the lowest number jumped over (0: none yet), and
        // whether the page lacked a number so asked.
        int askAhead = 0;
        int jumpedFrom = 0;
        bool aheadLacked = false;
        qint64 lackingSinceMs = -1; // "no shot" answers only since then
        qint64 waitingSinceMs = -1; // since when the page has not told
        // Before a START the target confirmed itself: its answers of the last
        // moments, and the shot it was asked for again then (given, maybe
        // unread), which a late copy may bring again.
        QVector<PageTrace::Answer> beforeOwn;
    };

    // The only place a page begins.
    void begin(PageFacts page, State state);
    // Starts over from a page known for sure: begun at a START the target
    // confirmed itself (startMs), or at a moment not known (-1); page holds
    // what the new page begins with.
    void knownPage(qint64 startMs, PageFacts page);
    // The shot the lane is asked for again (its page checked, or an answer
    // asked for once more), when it was read before.
    std::optional<LaneShot> askedAgain() const;
    // The accounts kept across a START confirmed at startMs.
    QVector<Account> accountsAcross(qint64 startMs);
    // An account that a shot read since puts out for good: no page begun
    // at its origin can have given that shot by the time it was read,
    // whatever else is forgotten, while that answer stands (a START's as
    // well as a silence's: aside or kept, it fits nothing).
    bool putOutForGood(const Account &account) const;
    // Lays those aside, each with its place among the accounts, so that a
    // lane that keeps dropping off the bus is not weighed at every answer
    // against every silence it had; they fit nothing, and weigh nothing.
    void layAsideFallen();
    // Puts them back in their places: an answer went, or a START weighs them.
    void restoreAccounts();
    // heldCount() as last counted, and what it counted: the page's start,
    // and the decisions and lost page's shots, held (shared, not copied) so
    // that any change to them parts them from these. It is kept only while
    // the page stores as it comes (Fresh, Taken), where a shot's answer
    // comes or goes only with its decision (stored, forgotten, refused):
    // any other answer has the page judged.
    struct HeldCount
    {
        int count = -1;
        qint64 sinceMs = 0;
        QMap<int, Decided> decided;
        QVector<Doubt> lostDoubts;
    };

    State m_state = State::Fresh;
    // Every answer since the page was last known for sure, and the earlier
    // STARTs (and the page before them) it may have begun at.
    PageTrace m_trace;
    QVector<Account> m_accounts;
    // Accounts laid aside (layAsideFallen()), by their place among every
    // account.
    QVector<QPair<int, Account>> m_aside;
    PageFacts m_page;
    Line m_line;
    QString m_brokenOnEntry; // the first rule broken as a state was entered
    // What the weighing that enters a state found: its rules are checked
    // against that, not weighed again (null: weighed anew).
    const Fits *m_weighed = nullptr;
    // Asked before and after every "no shot" answer, mostly of a page stored
    // as it comes that did not change: counted again only when it did.
    mutable HeldCount m_held;
};
