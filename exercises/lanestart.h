#pragma once

#include <QMap>
#include <QPoint>
#include <QVector>
#include <QtGlobal>

// What a target answer carries of a shot: its number on the target's page,
// its point, its place code and its own time (tenths of a second the target
// counts from the START it took, in real time).
struct LaneShot
{
    int number = 0;
    QPoint point;
    int timeTenths = 0;
    qint8 place = 0;
};

// What the program saw of one page of a target's shot memory: the shots it
// answered and when, and when it last said it held no shot of a number.
// Moments are ms on the clock the targets count their own time by (real
// time, never the exercise clock that a demonstration may speed up).
class PageTrace
{
public:
    // Moments a page's count can have begun at; empty when no one page can
    // have given every answer seen.
    struct Span
    {
        qint64 from;
        qint64 to;
        bool isEmpty() const { return from > to; }
    };
    struct Answer
    {
        LaneShot shot;
        qint64 atMs = 0;
    };

    static constexpr qint64 kUnbounded = Q_INT64_C(1) << 50;

    void clear();
    bool isEmpty() const { return m_shots.isEmpty() && m_lacking.isEmpty(); }
    void addAnswer(const LaneShot &shot, qint64 atMs) { m_shots.insert(shot.number, {shot, atMs}); }
    void addLacking(int number, qint64 atMs) { m_lacking.insert(number, atMs); }
    void forget(int number) { m_shots.remove(number); }
    // The page's count began within these moments (the target took a START).
    void bound(qint64 from, qint64 to);
    // Later answers of the same page.
    void merge(const PageTrace &later);

    const QMap<int, Answer> &shots() const { return m_shots; }
    bool holds(const LaneShot &shot) const;
    // Where this page's count can have begun, given every answer of it and
    // of `also` as answers of one page (nullptr: this page alone).
    Span origin(const PageTrace *also = nullptr) const;

private:
    QMap<int, Answer> m_shots;   // by number, the latest answer
    QMap<int, qint64> m_lacking; // by number, the last moment the target had no such shot
    qint64 m_from = -kUnbounded;
    qint64 m_to = kUnbounded;
};

// Whether one lane's target took the last START of the whole line (the one
// that began the current page: a rifle sighting or match, a pistol series or
// window), and so which of its answers are shots of this START. A target
// that missed a START still holds its earlier page, answers with its shots
// and records new ones on it.
//
// A lane that answered around the START is taken to have taken it: its
// answers are stored as they come (it pays nothing). One that did not, or
// that answers with a shot of its earlier page twice, is judged: two
// accounts of its page are held against everything seen, the page begun at
// this START (its count from this START) and the earlier page kept (one
// count over every answer of both pages, "no shot" answers included: a shot
// answered now was taken after the moment the target last lacked its
// number). An account that no longer fits is dropped for good. A shot is
// stored when every account that fits says it was taken after the START,
// passed over when every one says before, and held otherwise; a shot the
// earlier page gave (the same answer to the last byte) is passed over while
// the earlier page's count puts it before the START, until an answer proves
// the page new. The shots after a held one wait for it, so the page is
// stored in its order. Each new answer judges the page again: when a
// decision changes, what was stored of the page is withdrawn (only a shot
// known to be an earlier one, never on a doubt) and the page stored anew
// from the answers held. A page that has not told for a while, or at its
// end, is named to the operator.
//
// States, and what leaves them:
//   Fresh    no START of the line to judge against (before the first one, a
//            START the target confirmed itself, a memory reset, a lost
//            page): every answer is stored. Left by the next START.
//   Taken    answered around the START: stored as it comes. A shot of the
//            earlier page asked for twice, or a silence before the first
//            answer: Judging.
//   Judging  both accounts fit. The page that leaves one: New or Kept.
//   New      the earlier page cannot hold the answers: every shot is
//            stored. One that this START's count cannot hold either: Other.
//   Kept     the answers cannot be counted from this START, and the earlier
//            page holds them: the target missed the START (the operator is
//            told once); shots are stored by the moment their own times put
//            them at. One the earlier page cannot hold: Other.
//   Other    neither: a page begun some other time; its shots are stored by
//            the moment their own times put them at, and all of them when
//            the times agree on no count.
// A lane that comes back from a silence is asked for the last shot it gave:
// another answer, or none, means the target lost its page: Fresh, read again
// from its first shot, and the operator told.
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
        PageLost   // came back from a silence with another page
    };
    // A shot to store, with its time since this START as far as it is known.
    struct Take
    {
        LaneShot shot;
        int sinceStartTenths = 0;
    };
    struct Verdict
    {
        QVector<Take> store;      // in the page's order, after the withdrawal
        // Numbers of this page's stored shots taken back: their rows go, the
        // later ones of the page close up; what `store` holds then takes its
        // place in the page's order.
        QVector<int> withdraw;
        int wrong = 0;            // of them, the shots taken before the START
        bool lostPage = false;    // the target's count starts again from 1
        Word word = Word::None;
    };

    // Room for the moment a target took a START against our reading of its
    // confirmation: read late on a busy program, or a later copy taken.
    static constexpr qint64 kStartSlackMs = 1000;
    static constexpr qint64 kStartCopyMs = 500;
    // Room for the moment we read an answer against the moment it was given
    // (we read it later: this bounds a shot taken after a "no shot").
    static constexpr qint64 kSeenSlackMs = 1000;
    // Room for the target's clock against ours (a shot is answered after it
    // was taken, whenever we read the answer).
    static constexpr qint64 kClockSlackMs = 200;
    // A shot whose moment is known within this is decided by the middle.
    static constexpr qint64 kDecideWithinMs = 5000;
    // The operator is told of shots held this long that the page could not decide.
    static constexpr qint64 kTellAfterMs = 10000;

    // A START, confirmed at startMs, began a new page: a START of the whole
    // line, or (own) one that the target confirmed itself (a re-shoot).
    void beginPage(qint64 startMs, bool own = false);
    // The target's memory was reset (it confirmed): a fresh page.
    void targetReset();
    // The bus master found the lane's polls unanswered (false) or heard it again.
    void setHeard(bool heard);

    Verdict answer(const LaneShot &shot, qint64 nowMs);
    // The target answered that it holds no shot of this number.
    Verdict noShot(int number, qint64 nowMs);
    // The database refused this shot: it is asked for again.
    void refused(int number);
    // The page's shooting time is over (a pistol series or window): a lane
    // whose shots could not be decided, or that answered only with shots of
    // its earlier page, is told, once.
    Word endPage();

    State state() const { return m_state; }
    // The last number to count as read, given the last one stored: the next
    // poll asks for the one after it.
    int lastRead(int storedUpTo) const;
    // Shots held, undecided.
    bool holdsShots() const { return heldCount() > 0; }
    int heldCount() const;
    // Back from a silence, its last shot is to be asked for again.
    bool checksPage() const { return m_checkNumber > 0; }

private:
    enum class Decision { Store, Skip, Hold };

    Verdict judge(qint64 nowMs);
    // kept: where the count of the page kept can have begun.
    Decision decide(const PageTrace::Span &kept, const PageTrace::Answer &answer) const;
    // Whether the shot was taken after this START, by its page's count.
    Decision byMoment(const PageTrace::Span &span, const PageTrace::Answer &answer) const;
    int sinceStart(const PageTrace::Span &kept, const PageTrace::Answer &answer) const;
    // Drops the accounts of the page that no longer fit what it answered.
    void dropAccounts();
    // The count of the page kept: the earlier page's and this one's answers
    // together, or, when they cannot be one page, this one's alone.
    PageTrace::Span keptSpan() const;
    Verdict lostPage();
    // Forgets what was read of the current page.
    void clearPage();
    Word doubtWord() const { return m_unheard ? Word::Unheard : Word::InDoubt; }
    // Some answer of the page was stored.
    bool stores() const;

    State m_state = State::Fresh;
    PageTrace m_earlier; // what is known of the page the target held before this START
    PageTrace m_page;    // what it answered since
    QMap<int, Decision> m_decided; // numbers of this page stored or passed over
    qint64 m_startMs = -1;
    bool m_pageFromStart = false; // the current page's count began at m_startMs
    bool m_newFits = true;
    bool m_keptFits = true;
    bool m_heard = true;
    bool m_unheard = false;    // silent around this START
    bool m_toldMissed = false;
    bool m_toldDoubt = false;
    int m_readUpTo = 0;
    int m_askAgain = 0;        // a number asked for once more
    int m_repeated = 0;        // the number of the last repeat of an earlier shot
    int m_checkNumber = 0;     // after a silence: the last number read, asked for again
    qint64 m_waitingSinceMs = -1; // since when the page has not told
};
