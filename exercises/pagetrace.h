#pragma once

#include <QMap>
#include <QPair>
#include <QPoint>
#include <QVector>
#include <QtGlobal>

#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <tuple>

// What a target answer carries of a shot: its number on the target's page,
// its point, its place code and its own time (tenths of a second the target
// counts from the START it took, on its own clock).
struct LaneShot
{
    int number = 0;
    QPoint point;
    int timeTenths = 0;
    qint8 place = 0;
};

// What the program saw of a target's shot memory since it last knew the
// page for sure, and what that proves of when each shot was taken. Moments
// are ms on the clock the targets count their own time by (real time, never
// the exercise clock that a demonstration may speed up).
//
// A target's page began at one moment (a START it took, or a reset) and it
// counts each shot's own time from there on its own clock, which may run up
// to kDriftPerMille fast or slow. An account of the page says when it began:
// within a window of moments. Against it every answer tells something: a
// shot was taken before it was read; a shot at or above a number the target
// said it lacked was taken after that answer was given; two shots of the
// page lie apart by their own times' difference, give or take the drift; one
// page holds one shot per number. `bounds` propagates all of it along the
// page and gives each shot the moments it can have been taken at; an account
// whose bounds leave some shot no moment does not fit.
class PageTrace
{
public:
    struct Span
    {
        qint64 from;
        qint64 to;
        bool isEmpty() const { return from > to; }
        // An end of no bound stays so, give or take the own times added to it.
        bool fromKnown() const { return from > -kUnbounded / 2; }
        bool toKnown() const { return to < kUnbounded / 2; }
    };
    struct Answer
    {
        LaneShot shot;
        qint64 atMs = 0;
    };

    static constexpr qint64 kUnbounded = Q_INT64_C(1) << 50;
    // How far a target's clock may run from ours.
    static constexpr qint64 kDriftPerMille = 20;
    // Room for the moment we read an answer against the moment it was given
    // (we read it later: this bounds a shot taken after a "no shot").
    static constexpr qint64 kSeenSlackMs = 1000;
    // Room for the target's clock against ours (a shot is answered after it
    // was taken, whenever we read the answer).
    static constexpr qint64 kClockSlackMs = 200;
    // A late copy on the line is read at most this long after the answer
    // it copies was given.
    static constexpr qint64 kLateCopyMs = 3000;

    void clear();
    bool isEmpty() const { return m_answers.isEmpty() && m_lacking.isEmpty(); }
    void addAnswer(const LaneShot &shot, qint64 atMs);
    // A "no shot" answer counts once a second one follows it: one alone may
    // be a late copy of another poll's answer. One alone read in order (no
    // answer of a later number read within a copy's age before it) still
    // bounds the shot of its number, whatever page gives it: a copy is of
    // an answer given at most kLateCopyMs before, to a poll for that number
    // or an earlier one, and the page held then lacked it (a later page
    // began later still).
    void addLacking(int number, qint64 atMs, bool inOrder = false);
    // Forgets the answer read last.
    void dropLast();
    // Forgets the answers of a number read since sinceMs: a late copy.
    void forget(int number, qint64 sinceMs);
    // Drops what was read before sinceMs.
    void dropBefore(qint64 sinceMs);
    // Forgets the "no shot" answers read from fromMs to before toMs (of the
    // numbers up to upTo only, when given); true when that frees a shot's moment.
    bool forgetLacking(qint64 fromMs, qint64 toMs, int upTo = std::numeric_limits<int>::max());

    // The answer of a number read since sinceMs that counts (the latest).
    const Answer *answerOf(int number, qint64 sinceMs) const;
    // An answer since sinceMs whose own time runs against the shot's number
    // (the later shot taken earlier): the two are of different pages.
    const Answer *outOfOrder(const LaneShot &shot, qint64 sinceMs) const;
    // When the first answer since sinceMs was read, up to noneMs.
    qint64 firstReadSince(qint64 sinceMs, qint64 noneMs) const;
    // Whether the same answer, to the last byte, was read before sinceMs.
    bool readBefore(const LaneShot &shot, qint64 sinceMs) const;
    // When it was read last before sinceMs.
    std::optional<qint64> lastReadBefore(const LaneShot &shot, qint64 sinceMs) const;
    // The target said it lacked that number (confirmed) since sinceMs.
    bool lacked(int number, qint64 sinceMs) const;
    // The latest moment, by the "no shot" answers since sinceMs as bounds()
    // weighs them, from which the target lacked this number or an earlier
    // one (-kUnbounded: none).
    qint64 lackedUpTo(int number, qint64 sinceMs) const;
    // The numbers answered since sinceMs, in order.
    QVector<int> numbersSince(qint64 sinceMs) const;
    // The moments the shots answered from fromMs to before toMs (the last
    // answer of each number there) can have been taken at by their reading
    // alone: before the same answer was first read, whenever that was.
    QMap<int, Span> takenBeforeRead(qint64 fromMs, qint64 toMs) const;
    // A shot answered since sinceMs whose own time is longer than the time
    // from begunFromMs to its reading: no page begun then or later gave it.
    bool givenBefore(qint64 sinceMs, qint64 begunFromMs) const;
    // As givenBefore(), by when the same answer was first read, before
    // sinceMs or since.
    bool givenBeforeFirstRead(qint64 sinceMs, qint64 begunFromMs) const;
    // The last answer read.
    const Answer *lastAnswer() const { return m_answers.isEmpty() ? nullptr : &m_answers.last(); }

    // The moments each shot answered since sinceMs can have been taken at,
    // by number, when the page began within origin; empty when some shot has
    // none (the account does not fit).
    std::optional<QMap<int, Span>> bounds(qint64 sinceMs, Span origin) const;
    // Forgets the bounds of the accounts not asked for since the last call.
    void sweepBounds();
    // Forgets what was worked out for the account since sinceMs begun
    // within origin: it is asked about no more.
    void forgetAccount(qint64 sinceMs, Span origin);

private:
    // One shot of an account's page (node 0: the page's beginning, own time
    // 0): what its own answer and the "no shot" answers say of its moment,
    // and what is left of that against every other node.
    struct Node
    {
        LaneShot shot;
        Span given;
        Span reach;
    };
    // What bounds() knows of one account, brought up to date as answers
    // come rather than worked out anew: a page of a thousand shots is asked
    // about on every answer.
    struct Bounds
    {
        QVector<Node> nodes; // by number
        quint64 answersIn = 0; // the serial of the last answer taken in
        quint64 lackingIn = 0; // m_lackingChanged when last taken in
        bool built = false;
        // Once no moment fits some shot, none does while answers only come:
        // nothing is weighed again until an answer taken in goes.
        bool fits = true;
        bool used = true;    // asked for since the last sweep
        bool spansDue = true;
        QMap<int, Span> spans;
        // What the answer of undoSerial changed (0: none that can be undone):
        // the node it added, and the reach of the others before.
        quint64 undoSerial = 0;
        bool undoNode = false;
        QVector<QPair<int, Span>> undo;
    };
    using BoundsKey = std::tuple<qint64, qint64, qint64>; // sinceMs, origin
    // What takenBeforeRead() found, kept while no answer it went over goes
    // and every one read since came at or after its toMs: those change
    // neither which answer is a number's last nor when it was first read.
    struct ReadSpans
    {
        QMap<int, Span> spans;
        quint64 answersIn = 0; // the serial of the last answer then
        quint64 goneIn = 0;    // m_answersGone then
    };
    using ReadKey = std::pair<qint64, qint64>; // fromMs, toMs
    // The moments the target said it had no such shot: the last, and before
    // it one of each stretch of them a copy's age long, so that forgetting
    // the last ones as late copies leaves what it said before them.
    struct Lacks
    {
        QVector<qint64> at; // in order, never empty in a map
        qint64 last() const { return at.last(); }
        void add(qint64 atMs);
        // False when none is left.
        bool forget(qint64 fromMs, qint64 toMs);
    };

    // From every answer since sinceMs: a pass along the page for each shot.
    void build(Bounds &b, qint64 sinceMs) const;
    // Takes in what came since: a pass along the page for each new shot.
    void bringUp(Bounds &b, qint64 sinceMs) const;
    // A shot above every one taken in; undoable when it is the answer read last.
    void appendNode(Bounds &b, const Answer &answer, qint64 sinceMs, bool undoable) const;
    // A "no shot" answer puts node k no earlier than from.
    void tighten(Bounds &b, int k, qint64 from) const;
    // The moment from which the target lacked a number, by one "no shot"
    // entry of lacking read at atMs (-kUnbounded: read before sinceMs):
    // confirmed, or one alone read in order a late copy's age earlier. A
    // number in both maps bounds its shot by the later of the two.
    qint64 lackedFrom(const QMap<int, Lacks> *lacking, qint64 atMs, qint64 sinceMs) const;
    // An answer (by serial, read at atMs) went: the accounts that took it in are weighed anew.
    void unbuildWith(quint64 serial, qint64 atMs);
    void dropAnswers(const std::function<bool(const Answer &)> &drops);
    // takenBeforeRead() worked out anew.
    QMap<int, Span> readSpans(qint64 fromMs, qint64 toMs) const;
    void noteHighest();

    QVector<Answer> m_answers;   // in the order read
    QVector<quint64> m_serials;  // of m_answers: grows with each one added
    QVector<qint64> m_firstRead; // of m_answers: when the same answer was first read
    int m_readAgain = 0;         // of m_answers: those read before too
    quint64 m_lastSerial = 0;
    quint64 m_answersGone = 0;   // counts the times answers went
    int m_highest = 0;           // the highest number answered
    QMap<int, Lacks> m_lacking; // by number, the moments the target had no such shot
    // Counts the changes of m_lacking at or below a number answered: they
    // may bound shots the accounts took in already.
    quint64 m_lackingChanged = 0;
    QMap<int, qint64> m_lackedOnce; // by number, the last "no shot" answer, not yet confirmed
    QMap<int, Lacks> m_lackedInOrder; // by number, the "no shot" answers read in order
    // A cache of what the trace holds, so bounds() stays const to its callers.
    mutable std::map<BoundsKey, Bounds> m_bounds;
    mutable std::map<ReadKey, ReadSpans> m_readSpans;
};

// The same answer: a late copy on the line matches to the last byte.
bool sameShot(const LaneShot &a, const LaneShot &b);

// The least and the most real time between two own times of one page: the
// target counts whole tenths on a clock that may run
// PageTrace::kDriftPerMille fast or slow.
qint64 leastApart(int fromTenths, int toTenths);
qint64 mostApart(int fromTenths, int toTenths);
