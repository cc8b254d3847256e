#include "lanemodel.h"

#include <QMap>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>
#include <memory>
#include <queue>
#include <utility>
#include <vector>

#include "busframe.h"
#include "busline.h"
#include "emuproc.h"
#include "lanestart.h"
#include "modelroad.h"
#include "modeltarget.h"

// The invariants, each checked on every road (ground truth: which shots each
// target recorded, when, and on which page; a shot is "right" for a START
// when it was fired after that START of the line went out and before the
// next one, whether or not its target took the START):
//
// EarlierStored  When a page ends, every shot stored for it is a right shot
//                of it. Stored shots are compared with the targets' answers
//                byte for byte (number, point, own time, place): a row that
//                equals a right shot is right, whichever answer it was
//                stored from, since no answer could tell them apart.
// StoredTwice    No shot is stored twice: not twice for one page (across a
//                lost page), and not for a later page after it was stored
//                for an earlier one. A lost page's shot is filed where the
//                exercise files it, on the list's page it was read on (a
//                ruling's too): a number that page holds already breaks it.
// RightWithdrawn A verdict never takes back a stored row that equals a
//                right shot of the page and equals no shot of an earlier
//                page, unless the same verdict stores it again or the lane
//                holds it for the operator's ruling (stored only because
//                the lane seemed to take the START, which it did not).
// RightLost      When a page ends, every right shot its target recorded at
//                least the page's read room before the end (and did not
//                lose to a power cut, nor to a later copy of the START that
//                cleared its page) is stored, or its lane was told: a
//                Word other than None for that lane during the page, from a
//                verdict or from endPage() at a pistol page's end, or a
//                ruling box (shots held when the lane had its count, or at a
//                rifle STOP, or held at a pistol page's end: a miss flagged
//                for re-shoot). Lanes that did not answer throughout the
//                read room are not held to it (nothing could be read); a
//                sighting has no end that tells and is not checked. Shots
//                RightHeld checks are not excused by a word.
// Stuck          A lane is not asked for the same number again and again
//                while its target answers with that shot: 10 answers of the
//                number over 20 s with the number still asked for and no
//                word given for the lane in the page.
// FalseMissed    A lane is told that it did not take the START (Missed, or
//                Withdrawn: its stored shots were earlier ones) only when
//                its target took no copy of that START, power cut or not;
//                only a target switched off after the START before the bus
//                read any answer of it then is not held to it (the line
//                shows the same as of one off when the START went out).
// RightHeld      When a page ends (a sighting too), every right shot that
//                the program read and that the answers it read prove taken
//                after the START is stored, whatever was said. Read: an
//                answer delivered in the page that equals the shot, read
//                on the bus while the target held it, kStoreWithinMs before
//                the page's end at least; a second such answer when the one
//                may be a late copy of another page's (a shot like one of
//                another page, or on a page begun before the START). After
//                a silence reported between the "no shot" and the shot's
//                read, the proof must hold with chain 0: the page may have
//                begun in the silence, after the last answer read. Proven: the program was given
//                "no shot j" for some j <= the shot's number k, while the
//                target truly lacked j on the page that holds k, at a bus
//                read b after the START's confirmation; a second true "no
//                shot j" of the page was delivered after it (LaneStart
//                counts one once another follows; a late copy as the second
//                is no evidence, and LaneStart may rightly drop it);
//                and b + chain >= the START's first copy + kProofMarginMs,
//                where chain sums leastApart() of the page's consecutive
//                own times from j to k: shot j was taken after b, each
//                next one at least that much later.
// FalseLost      A lane is told its target lost its page (Word::PageLost,
//                verdict.lostPage) only when the target lost power since
//                the page the program was reading began: the earliest page
//                of the shots stored on the list's page or answered since
//                it began (as the target held each when read; before any,
//                of the last one stored), or after a loss the page the
//                target held then. Told without a page to read again
//                (the word alone: only a page begun in a silence fits), it
//                was switched off and on after its last answer read before
//                the START.
// TwoStories     One story a START: no Unheard or InDoubt word for a lane
//                after it was told it did not take that START.
// FalseWord      Every other word holds against the road: Unheard only
//                when the lane's target (not its terminal) did not answer
//                around the START: deaf or
//                off as its first copy went out, or its polls went
//                unanswered for as long as the bus master takes to call it
//                silent, over a stretch that lasted until the START's first
//                copy went out (or later) and began before the bus read any
//                answer of it after that copy (an answer on its way then
//                aside), counted as the bus master counts it: afresh from
//                the first poll after a stop of the polls (a break),
//                whatever went unanswered before; NoNewShots only when no
//                answer of the page read so far is one of a shot its target fired
//                after this START and unlike every shot read before it;
//                InDoubt and Unheard only while it holds shots; a verdict that withdraws says as
//                wrong (taken before the START) at least the rows that
//                equal only earlier shots, and holds again at least those
//                that equal only right ones; every shot held for the
//                operator (doubts()) is one the target recorded, once, and
//                not also stored for the page, and the moments it is shown
//                to have been taken at hold the moment it was (but on a
//                page begun at a power-up never heard as a silence, on one
//                whose "no shot" answers the program read were two late
//                copies in a row of one number, given before its shot was
//                taken and read after it, or with clocks that drift more
//                than LaneStart allows for). The bus
//                master calls a lane silent only a second or more after its
//                first poll since it last read an answer of the lane, or
//                since its polls began again after a break.
// Unended        A rifle match's relay ends when every lane has its count
//                (stored and held shots; held ones are ruled on at once).
//                At a STOP the relay did not reach, a lane is at fault
//                when it lacks its count although its target recorded as
//                many right shots, none lost to a power cut, it answered
//                through the read room before the STOP (and, back from a
//                stretch unanswered since the match START, through the
//                time the bus takes to read twice the shots its page held
//                unread then, and once those fired since, a shot a poll
//                round of every lane whose answer the line does not lose:
//                hadReadRoom(.., true)), and the operator
//                never passed held shots of it over (then it waits for the
//                STOP by design). A lane's own START (a re-shoot) is given
//                back once its target hears it: the road goes on.
// RulesBroken    After every step the judgement takes (a START, a silence,
//                an answer, a ruling, a page's end), its states' own rules
//                hold (LaneStart::brokenInvariant()).
//
// A re-shoot is a page of one lane: the exercise stops the reading, gives
// the lane its own START and reads it alone once its target gave the START
// back. Its target's page is known then: every right shot read on the page
// that START began is held to RightHeld without a "no shot" to prove it, and
// a shot of the page before stored for it breaks EarlierStored.
//
// The operator rules on the shots held (LaneStart::rule) as the program
// asks: in a rifle match when a lane's stored and held shots make its count,
// and at the STOP, placing the START before the first held shot the road
// fired after it (a seeded fifth of the rulings place it anywhere, or pass
// all over); at a pistol page's end all are passed over. A row the
// operator counted is the operator's: EarlierStored and StoredTwice do not
// judge it. Proven shots are never held, so a ruling never excuses one.

namespace LaneModel {

QString invariantName(Invariant invariant)
{
    switch (invariant) {
    case Invariant::EarlierStored: return QStringLiteral("earlier shot stored");
    case Invariant::StoredTwice: return QStringLiteral("shot stored twice");
    case Invariant::RightWithdrawn: return QStringLiteral("right shot withdrawn");
    case Invariant::RightLost: return QStringLiteral("right shot lost without a word");
    case Invariant::Stuck: return QStringLiteral("polled without progress");
    case Invariant::FalseMissed: return QStringLiteral("\"did not take the START\" of a lane that took it");
    case Invariant::RightHeld: return QStringLiteral("right shot proven, not stored");
    case Invariant::FalseLost: return QStringLiteral("\"lost its page\" of a target that kept it");
    case Invariant::TwoStories: return QStringLiteral("two stories of one START");
    case Invariant::Unended: return QStringLiteral("relay not ended by a lane that could have its count");
    case Invariant::FalseWord: return QStringLiteral("a word or a held shot the road contradicts");
    case Invariant::RulesBroken: return QStringLiteral("the judgement's own rules broken");
    }
    return {};
}

namespace {

// The bus master's own loop runs the line, with gaps shorter than the
// range's (a poll ~26 ms after the last write, ~265 ms for 10 lanes), so
// that late answers cross later writes now and then. Everything a target
// answers is what it holds at the poll's moment.
constexpr BusGaps kModelGaps{25, 25, 26};
// A wait of the bus master's loop ends up to this much late.
constexpr qint64 kWaitLateMaxMs = 2;
constexpr qint64 kAnswerMinMs = 14;
constexpr qint64 kAnswerMaxMs = 24;
constexpr qint64 kSlowAnswerMaxMs = 60;
constexpr int kStartCopies = 3;
constexpr qint64 kStartCopyGapMs = kModelGaps.commandMs;
// The bus master finds its lanes and sets them up before the road begins.
constexpr qint64 kBusSetUpMs = 3000;
// The bus master calls a lane silent when no answer was read for a second
// since its first poll unanswered: the range's rule, stated here and not
// taken from the bus master, whose call it checks. The target left its
// polls unanswered that long, give or take the answer to a later poll on
// its way then (behind another on the line).
constexpr qint64 kSilentMs = 1000;
constexpr qint64 kSilentTruthMs = kSilentMs - 2 * kSlowAnswerMaxMs;
// A road whose last page never ends is cut off this long after its plan ends.
constexpr qint64 kOverrunMs = 600000;
constexpr int kCrcBytes = 2;
// A shot answer: twelve bytes of shot and the CRC (the port checked it).
constexpr int kShotAnswerBytes = 14;
// A program too busy to read what the bus reported.
constexpr qint64 kBusyDelayMinMs = 100;
constexpr qint64 kBusyDelayMaxMs = 800;
constexpr qint64 kStuckMs = 20000;
constexpr int kStuckAnswers = 10;
constexpr qint64 kNever = Q_INT64_C(1) << 50;
// Back from a silence, a target says for this long that it lacks the shot it
// is asked for again before LaneStart takes a shot just like it for new.
constexpr qint64 kTwinSayMs = LaneStart::kCheckSpanMs / 2;
// A late copy on the line is of one of a lane's answers of this last while.
constexpr qint64 kCopyWithinMs = 1500;
constexpr int kCopiesKept = 4;
// A "no shot" the bus read at b proves the shots after it taken after b.
// LaneStart reads it at r >= b + 1 and takes it as given at r -
// kSeenSlackMs; it compares with the moment it read the START's
// confirmation, at most the copies' gaps, a poll gap and a busy program's
// delay after the first copy went out: b + 1 - 1000 >= first + 50 + 8 + 800.
// A proof with this margin is one LaneStart can make (own times taken as it
// takes them, by leastApart()).
constexpr qint64 kProofMarginMs = LaneStart::kSeenSlackMs - 1 + (kStartCopies - 1) * kStartCopyGapMs
    + kModelGaps.pollMs + kBusyDelayMaxMs;
// A shot read is stored within this when its answers prove it: LaneStart
// may ask for it once more (one answer may be a late copy), the next poll
// a cycle of ten lanes with lost answers later, each read a busy program's
// delay late.
constexpr qint64 kStoreWithinMs = 3000;
// The operator's rulings come from a stream of their own: the roads' faults
// and the bus's cadence stay what they were.
constexpr quint64 kOperatorStream = Q_UINT64_C(0x6F70657261746F72);
constexpr int kWrongRulingPermille = 200;

// The least real time between two own times of one page, as LaneStart
// counts it: whole tenths, on a clock up to PageTrace::kDriftPerMille off.
qint64 leastApart(int fromTenths, int toTenths)
{
    const qint64 targetMs = std::max<qint64>(0, (toTenths - fromTenths - 1) * 100);
    return targetMs * 1000 / (1000 + PageTrace::kDriftPerMille);
}

struct Content
{
    int number = 0, x = 0, y = 0, tenths = 0, place = 0;
    static Content of(const LaneShot &s)
    {
        return {s.number, s.point.x(), s.point.y(), s.timeTenths, s.place};
    }
    bool operator==(const Content &o) const
    {
        return number == o.number && x == o.x && y == o.y && tenths == o.tenths && place == o.place;
    }
    QString text() const
    {
        return QStringLiteral("#%1 (%2,%3) %4 s").arg(number).arg(x).arg(y).arg(tenths / 10.0);
    }
};

struct Fired
{
    int lane = 0;
    int stage = 0;
    qint64 atMs = 0;
    bool recorded = false;
    qint64 lostMs = kNever;
    int page = 0; // of its target's pages
    Content content;
};

struct Row
{
    int stage = 0;
    int sub = 0; // the list's page within the START: a lost page begins another
    Content content;
    bool ruled = false; // counted by the operator
};

// An answer delivered to the program, and the truth of it when the bus read it.
struct Seen
{
    int stage = 0;
    qint64 busMs = 0;
    qint64 readMs = 0;      // delivered
    int page = 0;           // the target's page then
    bool truthful = false;  // the target held that shot (lacked that number) then
    bool isShot = false;
    Content content;        // of "no shot": the number only
};

// An answer a target gave, that the line may bring again a little later.
struct Given
{
    qint64 atMs = 0;
    QByteArray frame;
};

struct Lane
{
    Lane() : target(0, 0) {}
    Lane(const LanePlan &plan, qint64 originMs) : plan(plan), target(plan.driftPpm, originMs) {}
    LanePlan plan;
    ModelTarget target;
    QVector<Given> given; // its last answers, for late copies
    // the program's view
    LaneStart judge;
    QVector<Row> rows;
    int sub = 0;
    bool told = false;
    bool ruledNo = false; // this page: the operator passed held shots over
    // The operator placed the START elsewhere than the road had it: the
    // page's shots from this number on are stored on that word (0: none).
    int ruledWrongFrom = 0;
    int toldMissedIn = -1; // the START it was last told it did not take
    int readingPage = 0;   // of its target's: the page of the last shot stored, or begun at a loss
    // the truth
    QVector<qint64> pageBegan{0}; // by page of the target: when it began
    QVector<Seen> seen;
    qint64 subBeganMs = 0; // the list's page began: the START confirmed, or a page lost
    QVector<qint64> silentMs; // when the program was told it went silent
    QVector<qint64> heardMs;  // and heard again
    QVector<bool> tookStart; // by stage: the target took a copy of it
    // Stretches its polls went unanswered (deaf, off, answers lost or
    // garbled) for as long as the bus master takes to call a lane silent.
    QVector<Interval> unanswered;
    // The first poll unanswered since the last answer, or since its polls
    // last began again: the bus master counts a silence afresh once the
    // exercise asks again after a stop, so what went unanswered before a
    // break tells nothing of the START after it.
    qint64 unansweredSinceMs = -1;
    // The first poll written since the bus master read an answer of it, or
    // since its polls last began again.
    qint64 polledSinceReadMs = -1;
    bool toldSilent = false; // the bus master told it silent, and not heard since
    QVector<qint64> answeredMs;    // its target's answers the bus master read, in order
    QVector<qint64> polledMs;      // its polls for a shot, in order
    qint64 pagedMs = -kNever;      // the last time the bus master passed on a shot or "no shot" of it

    // The last answer the bus master read before atMs; -kNever: none.
    qint64 answeredBefore(qint64 atMs) const
    {
        const auto it = std::lower_bound(answeredMs.cbegin(), answeredMs.cend(), atMs);
        return it == answeredMs.cbegin() ? -kNever : *(it - 1);
    }
    int tracedLacking = 0;
    int stuckNumber = 0;
    qint64 stuckSinceMs = 0;
    int stuckAnswers = 0;

    bool deafAt(qint64 t) const
    {
        const auto in = [t](const QVector<Interval> &list) {
            return std::any_of(list.cbegin(), list.cend(), [t](const Interval &i) { return i.contains(t); });
        };
        return in(plan.deaf) || in(plan.off);
    }
    bool heardThrough(qint64 a, qint64 b) const
    {
        const auto meets = [a, b](const QVector<Interval> &list) {
            return std::any_of(list.cbegin(), list.cend(), [a, b](const Interval &i) { return i.meets(a, b); });
        };
        return !meets(plan.deaf) && !meets(plan.off);
    }
};

enum class Kind { Fire, PowerOff, PowerOn, StartRequest, StageEnd, Answer, Deliver, ConverterOut };

struct Event
{
    qint64 at = 0;
    quint64 seq = 0;
    Kind kind = Kind::Deliver;
    int lane = 0;
    int stage = 0;
    int index = 0;
    QByteArray frame; // an answer on the line
    bool operator>(const Event &o) const { return at != o.at ? at > o.at : seq > o.seq; }
};

// What the bus master reports to the program, in order.
struct Report
{
    enum Type { Shot, NoShot, Heard, Answered, Asked, NotTaken, Started } type = Shot;
    int lane = 0;
    LaneShot shot;
    bool heard = false;
    bool again = false; // a silence told again after a break: it draws nothing
    int stage = 0;
};

// The line and the time of the bus master's own loop: its waits run the
// road's events, its writes reach the model's targets, whose answers it is
// handed back as the port set hands them.
class Simulation : public BusLine, public BusClock
{
public:
    Simulation(quint64 seed, const Options &options)
        : m_road(makeRoad(seed, options.maxDriftPermille, options.reshoots, options.kind))
        , m_rng(seed ^ Q_UINT64_C(0x5DEECE66D2B7E151))
        , m_operator(seed ^ kOperatorStream)
        , m_trace(options.trace)
        , m_ownTimesTell(options.maxDriftPermille <= PageTrace::kDriftPerMille)
    {
        m_out.seed = seed;
        m_out.road = m_road.description;
        for (const LanePlan &plan : qAsConst(m_road.lanes)) {
            const qint64 originMs = -m_rng.range(10000, 600000);
            m_lanes.append(Lane(plan, originMs));
            m_lanes.last().tookStart.fill(false, m_road.stages.size());
            m_lanes.last().pageBegan = {originMs};
        }
        m_ended.fill(false, m_road.stages.size());
        m_startOutMs.fill(kNever, m_road.stages.size());
        m_now = -kBusSetUpMs;
        m_busOriginMs = m_now;
        m_lineFreeMs = m_now;
        m_bus = std::make_unique<EMUProc>(this, this, 1, m_lanes.size());
        setPollGap(m_road.pollGapMs > 0 ? m_road.pollGapMs : kModelGaps.pollMs);
        wireBus();
    }

    Outcome run();

    // The bus master's line and clock.
    bool write(const QByteArray &frame, bool check) override;
    bool writeTo(int portId, const QByteArray &frame, bool check) override;
    int refindPort(int portId) override;
    int findMissing() override { return 1; }
    void flush(int) override {}
    qint64 nsecsElapsed() const override { return (m_now - m_busOriginMs) * 1000000; }
    void wait(int ms) override;

private:
    // The converters as the port set finds them.
    int portOf(int lane) const { return m_road.portOf.isEmpty() ? 1 : m_road.portOf.at(lane); }
    bool away(int port) const;
    bool awaySince(int port, qint64 fromMs) const;
    void scheduleConverterLosses();
    // The bus's poll gap, and what the proofs and the reading allow for it:
    // a poll gap longer than the model's adds to a proof's margin, and a
    // read shot is stored within two cycles of the lanes.
    void setPollGap(int pollMs)
    {
        m_bus->setGaps({kModelGaps.commandMs, kModelGaps.priorityMs, pollMs});
        m_proofMarginMs = kProofMarginMs - kModelGaps.pollMs + pollMs;
        m_storeWithinMs = std::max(kStoreWithinMs, 2 * m_lanes.size() * (pollMs + kAnswerMaxMs) + kBusyDelayMaxMs);
    }
    qint64 m_proofMarginMs = kProofMarginMs;
    qint64 m_storeWithinMs = kStoreWithinMs;
    void schedule(qint64 at, Kind kind, int lane = 0, int stage = 0, int index = 0, const QByteArray &frame = {})
    {
        m_events.push({at, m_seq++, kind, lane, stage, index, frame});
    }
    void handle(const Event &e);
    void wireBus();
    void answerOnLine(int lane, const QByteArray &answer);
    int wanted(int lane) const { return m_bus->findMember(lane + 1)->poll.wanted(); }
    void trace(qint64 at, int lane, const QString &text)
    {
        if (m_trace)
            m_out.trace << QStringLiteral("%1 %2 %3")
                               .arg(double(at) / 1000.0, 9, 'f', 3)
                               .arg(lane > 0 ? QStringLiteral("L%1").arg(lane) : QStringLiteral("--"))
                               .arg(text);
    }
    void fail(Invariant invariant, int lane, int stage, const QString &detail)
    {
        for (const Failure &f : qAsConst(m_out.failures)) {
            if (f.invariant == invariant && f.lane == lane + 1 && f.page == stage + 1)
                return;
        }
        m_out.failures.append({invariant, lane + 1, stage + 1, detail});
        trace(m_now, lane + 1, QStringLiteral("FAILS %1: %2").arg(invariantName(invariant), detail));
    }

    void scheduleStages(int from);
    void scheduleShooting(int stage);
    void ownStartConfirmed(int stage);
    void fire(int lane, int stage, int index);
    void startRequest(int stage);
    void startWritten(int address);
    void endStage(int stage);
    void report(const Report &r, qint64 readMs);
    void deliver();
    void act(int lane, const LaneStart::Verdict &verdict, bool ruled = false);
    void ruleHeld(int lane, bool asked);
    void request(int lane);
    int lastBulletNumber(const Lane &lane) const;
    bool done(const Lane &lane) const;
    // The lane answered through the stage's read room before now, and had
    // the time to read what its page held unread when it was last answered
    // again after a stretch unanswered (a rifle match).
    // throughShotsSince: and through the shots fired since it was back,
    // which queue behind its backlog (a lane's count at the STOP).
    bool hadReadRoom(int lane, int stage, bool throughShotsSince = false) const;
    struct ReadPace
    {
        qint64 roundMs = 0;
        int answeredPerMille = 1000;
    };
    ReadPace readPace(int lane, int stage) const;
    // When the lane's reads, one a round from the START, reach the shot
    // (nullptr: its last of the stage).
    qint64 readQueueMs(int lane, int stage, const ReadPace &pace, const Fired *upTo) const;
    void checkPage(int stage);
    void checkEnded(int stage);
    void checkWord(int lane, LaneStart::Word word);
    void checkRules(int lane);
    void checkHeld(int lane);
    void checkLost(int lane);
    void checkCut(int lane);
    bool rightContent(int lane, int stage, const Content &c) const;
    bool earlierContent(int lane, int stage, const Content &c) const;
    // The read of a shot that tells it, or nullptr.
    const Seen *readOf(const Lane &lane, const Fired &shot) const;
    // A page begun at power-up after a power-off the program never heard as a silence.
    bool unseenPowerUp(const Lane &lane, qint64 pageBeganMs) const;
    // The program read two "no shot" answers in a row of one number while
    // the target held that page and the shot: late copies of answers it
    // gave before it took the shot. LaneStart counts the second as the
    // proof that the first was no copy, and nothing runs against them when
    // the shots' own times leave room. They bound the shots from the moment
    // LaneStart read the first, where the target lacked the shot only from
    // a copy's age earlier: a shot taken at atMs is excused only that far
    // before the moments shown (from), never across them to a START it
    // was not taken near.
    bool copiedLacking(const Lane &lane, int page, qint64 atMs, const PageTrace::Span &shown) const;
    // The page began when its target was switched on again.
    bool powerUp(const Lane &lane, qint64 pageBeganMs) const;
    // A shot of a page begun at a power-up whose shot of that number or a
    // later one is just like an earlier page's shot of its number.
    bool twinPage(const Lane &lane, const Fired &shot) const;
    // The "no shot" that proves a shot read taken after its START, or nullptr.
    const Seen *provenAfterStart(const Lane &lane, const Fired &shot, const Seen &read) const;
    void newPage(int lane)
    {
        m_lanes[lane].pageBegan.append(m_now);
    }
    // Whether the START of stage s went to this lane: the whole line's, or its own.
    bool startsLane(int s, int l) const
    {
        const int own = m_road.stages.at(s).lane;
        return own == 0 || own == l + 1;
    }
    // Whether the exercise reads this lane now: a re-shoot reads its lane alone.
    bool reads(int l) const { return m_reading && startsLane(m_stage, l); }

    Road m_road;
    Rng m_rng;
    Rng m_operator;
    bool m_trace = false;
    bool m_ownTimesTell = true; // the clocks drift no more than LaneStart allows for
    Outcome m_out;
    std::priority_queue<Event, std::vector<Event>, std::greater<Event>> m_events;
    quint64 m_seq = 0;
    qint64 m_now = 0;
    QVector<Lane> m_lanes;
    QVector<Fired> m_fired;
    QVector<bool> m_ended;
    QVector<qint64> m_startOutMs; // by stage: when its START's first copy went out on the line
    std::unique_ptr<EMUProc> m_bus; // after everything its waits and writes reach
    qint64 m_busOriginMs = 0;
    qint64 m_lineFreeMs = 0; // the last answer on the line comes then
    int m_startPending = -1; // the START asked for, until its first confirmation
    int m_ownStart = -1;     // the stage of the last lane's own START given
    int m_ownTraced = -1;    // its first copy on the line is traced
    std::deque<Report> m_reports;
    std::deque<Seen> m_truths; // of each report, when the bus read it
    qint64 m_lastDeliverMs = 0;
    int m_stage = -1;
    bool m_reading = false;
    bool m_finished = false;
    int m_onlyPort = -1; // a write through this port alone
    // The port set has found each converter (once away, until a search
    // finds it again, nothing reaches its lanes).
    bool m_found[2] = {true, true};
};

bool Simulation::awaySince(int port, qint64 fromMs) const
{
    const QVector<Interval> none;
    const QVector<Interval> &list = port - 1 < m_road.away.size() ? m_road.away.at(port - 1) : none;
    return std::any_of(list.cbegin(), list.cend(), [&](const Interval &i) { return i.meets(fromMs, m_now + 1); });
}

bool Simulation::away(int port) const
{
    const QVector<Interval> none;
    const QVector<Interval> &list = port - 1 < m_road.away.size() ? m_road.away.at(port - 1) : none;
    return std::any_of(list.cbegin(), list.cend(), [this](const Interval &i) { return i.contains(m_now); });
}

void Simulation::scheduleConverterLosses()
{
    // The port set says at once that a converter's device is gone.
    for (int port = 1; port <= m_road.away.size(); ++port) {
        for (const Interval &i : m_road.away.at(port - 1))
            schedule(i.from, Kind::ConverterOut, 0, port);
    }
}

bool Simulation::writeTo(int portId, const QByteArray &frame, bool check)
{
    if (!m_found[portId - 1])
        return false;
    m_onlyPort = portId;
    const bool written = write(frame, check);
    m_onlyPort = -1;
    return written;
}

int Simulation::refindPort(int portId)
{
    // A converter there answers its probe and its check, 100 ms each.
    constexpr int kProbesMs = 200;
    if (away(portId)) {
        m_bus->slot_emu_Founded(portId, -1, false);
        return 0;
    }
    wait(kProbesMs);
    if (!m_found[portId - 1]) {
        // Back since its cable went in, unreachable until now: its lanes
        // were deaf that long too.
        qint64 backMs = 0;
        for (const Interval &i : m_road.away.at(portId - 1)) {
            if (i.to <= m_now)
                backMs = std::max(backMs, i.to);
        }
        for (int l = 0; l < m_lanes.size(); ++l) {
            if (portOf(l) == portId)
                m_lanes[l].plan.deaf.append({backMs, m_now});
        }
        m_found[portId - 1] = true;
        trace(m_now, 0, QStringLiteral("converter %1 found again").arg(portId));
    }
    m_bus->slot_emu_Founded(portId, portId, true);
    return 1;
}

void Simulation::scheduleStages(int from)
{
    for (int s = from; s < m_road.stages.size(); ++s) {
        const StagePlan &stage = m_road.stages.at(s);
        schedule(stage.startMs, Kind::StartRequest, 0, s);
        // A lane's own START: the exercise waits for its target to confirm
        // it, and counts the re-shoot's time, and the stages after it, from
        // then on.
        if (stage.lane > 0)
            return;
        scheduleShooting(s);
    }
}

void Simulation::scheduleShooting(int s)
{
    const StagePlan &stage = m_road.stages.at(s);
    for (int l = 0; l < m_lanes.size(); ++l) {
        for (int i = 0; i < stage.shots.at(l).size(); ++i)
            schedule(stage.shots.at(l).at(i).atMs, Kind::Fire, l, s, i);
    }
    schedule(stage.endMs, Kind::StageEnd, 0, s);
}

void Simulation::ownStartConfirmed(int s)
{
    const qint64 late = m_now - m_road.stages.at(s).startMs;
    for (int i = s; i < m_road.stages.size(); ++i) {
        StagePlan &stage = m_road.stages[i];
        if (i > s)
            stage.startMs += late;
        stage.endMs += late;
        for (auto &shots : stage.shots) {
            for (PlannedShot &shot : shots)
                shot.atMs += late;
        }
    }
    scheduleShooting(s);
    scheduleStages(s + 1);
}

Outcome Simulation::run()
{
    scheduleStages(0);
    for (int l = 0; l < m_lanes.size(); ++l) {
        for (const Interval &off : qAsConst(m_lanes.at(l).plan.off)) {
            schedule(off.from, Kind::PowerOff, l);
            schedule(off.to, Kind::PowerOn, l);
        }
    }
    scheduleConverterLosses();
    // The relay's lanes, as the main window gives them: the bus master
    // looks for their targets and sets them up, then serves the exercise.
    for (int l = 0; l < m_lanes.size(); ++l) {
        const int firstLast = m_lanes.size() == 1 ? 3 : l == 0 ? 0 : l + 1 == m_lanes.size() ? 2 : 1;
        m_bus->slot_view_AddMember(l + 1, l + 1, QString(), QString(), firstLast);
    }
    m_bus->process();
    // The exercise waits for a re-shoot's START to be given back: its
    // target, heard again, gives it back, and the road goes on.
    if (m_ownStart >= 0 && !m_ended.at(m_ownStart))
        fail(Invariant::Unended, m_road.stages.at(m_ownStart).lane - 1, m_ownStart,
             QStringLiteral("its own START never given back"));
    m_out.simulatedMs = m_now;
    return m_out;
}

void Simulation::wait(int ms)
{
    const qint64 until = m_now + ms + m_rng.range(0, kWaitLateMaxMs);
    while (!m_finished && !m_events.empty() && m_events.top().at <= until) {
        const Event e = m_events.top();
        m_events.pop();
        m_now = std::max(m_now, e.at);
        handle(e);
    }
    m_now = std::max(m_now, until);
    if (!m_finished && m_now > m_road.stages.last().endMs + kOverrunMs)
        m_finished = true;
    if (m_finished)
        m_bus->stop();
}

void Simulation::handle(const Event &e)
{
    switch (e.kind) {
    case Kind::Fire: fire(e.lane, e.stage, e.index); break;
    case Kind::PowerOff: trace(m_now, e.lane + 1, QStringLiteral("power off")); break;
    case Kind::PowerOn: {
        Lane &lane = m_lanes[e.lane];
        for (const TargetShot &shot : lane.target.page())
            m_fired[shot.id].lostMs = m_now;
        lane.target.powerUp(m_now);
        newPage(e.lane);
        trace(m_now, e.lane + 1, QStringLiteral("power back, page empty"));
        break;
    }
    case Kind::StartRequest: startRequest(e.stage); break;
    case Kind::StageEnd: endStage(e.stage); break;
    case Kind::Answer:
        // An answer on its way when the cable went out is lost with it.
        if (!m_found[portOf(e.lane) - 1])
            break;
        // A terminal's answer tells nothing of its target's hearing.
        if (frameByte(e.frame, 2) >= BusCode::kStart) {
            m_lanes[e.lane].answeredMs.append(m_now);
            m_lanes[e.lane].polledSinceReadMs = -1;
        }
        m_bus->slot_emu_Answer(portOf(e.lane), portOf(e.lane), e.frame);
        break;
    case Kind::ConverterOut:
        trace(m_now, 0, QStringLiteral("converter %1 away").arg(e.stage));
        m_found[e.stage - 1] = false;
        // Its lanes are unanswered from now on, polled or not.
        for (int l = 0; l < m_lanes.size(); ++l) {
            if (portOf(l) == e.stage && m_lanes[l].unansweredSinceMs < 0)
                m_lanes[l].unansweredSinceMs = m_now;
        }
        m_bus->slot_emu_Founded(e.stage, -1, false);
        break;
    case Kind::Deliver: deliver(); break;
    }
}

void Simulation::wireBus()
{
    // The exercise hears the bus master only through these, each read a
    // while later (a busy program later still).
    EMUProc *bus = m_bus.get();
    QObject::connect(bus, &EMUProc::sig_AddBullet, bus, [this](int ta, int n, QPoint point, schar place, int tenths, int) {
        m_lanes[ta - 1].pagedMs = m_now;
        Report r;
        r.lane = ta - 1;
        r.shot = {n, point, tenths, qint8(place)};
        report(r, m_now);
    });
    QObject::connect(bus, &EMUProc::sig_NoBullet, bus, [this](int ta, int n) {
        m_lanes[ta - 1].pagedMs = m_now;
        Report r;
        r.type = Report::NoShot;
        r.lane = ta - 1;
        r.shot.number = n;
        report(r, m_now);
    });
    QObject::connect(bus, &EMUProc::sig_TargetAnswered, bus, [this](int ta) {
        Report r;
        r.type = Report::Answered;
        r.lane = ta - 1;
        report(r, m_now);
    });
    QObject::connect(bus, &EMUProc::sig_ShotNotTaken, bus, [this](int ta, int n, QPoint point, schar place, int tenths) {
        Report r;
        r.type = Report::NotTaken;
        r.lane = ta - 1;
        r.shot = {n, point, tenths, qint8(place)};
        report(r, m_now);
    });
    QObject::connect(bus, &EMUProc::sig_TargetAsked, bus, [this](int ta, int n) {
        Report r;
        r.type = Report::Asked;
        r.lane = ta - 1;
        r.shot.number = n;
        report(r, m_now);
    });
    QObject::connect(bus, &EMUProc::sig_TargetHeard, bus, [this](int ta, bool heard) {
        // Called silent only once its polls went unanswered for a second,
        // or when its converter was away since the program was last told its
        // page (an answer that tells none, as a ping's, leaves it unknown).
        const qint64 since = m_lanes.at(ta - 1).polledSinceReadMs;
        if (!heard && (since < 0 || m_now - since < kSilentMs)
            && !awaySince(portOf(ta - 1), m_lanes.at(ta - 1).pagedMs))
            fail(Invariant::FalseWord, ta - 1, m_stage,
                 QStringLiteral("called silent %1 ms after the first poll since an answer read").arg(since < 0 ? 0 : m_now - since));
        Report r;
        r.type = Report::Heard;
        r.lane = ta - 1;
        r.heard = heard;
        r.again = !heard && std::exchange(m_lanes[ta - 1].toldSilent, true);
        if (heard)
            m_lanes[ta - 1].toldSilent = false;
        report(r, m_now);
    });
    // Every copy of a START written, and a lane's own START confirmed by
    // its target: only the first acts, as in the exercise.
    QObject::connect(bus, &EMUProc::sig_EventStarted, bus, [this]() {
        if (m_startPending < 0)
            return;
        Report r;
        r.type = Report::Started;
        r.stage = std::exchange(m_startPending, -1);
        report(r, m_now);
    });
}

bool Simulation::write(const QByteArray &frame, bool)
{
    // With every converter away, the port set writes nothing.
    if (!m_found[0] && (m_road.portOf.isEmpty() || !m_found[1]))
        return false;
    const int address = frameByte(frame, 0);
    const int code = frameByte(frame, 2);
    if (code == BusCode::kStart)
        startWritten(address);
    const int l = address - 1;
    if (l < 0 || l >= m_lanes.size() || (m_onlyPort >= 0 && portOf(l) != m_onlyPort) || !m_found[portOf(l) - 1])
        return true; // a broadcast, or an address of no lane (there): nobody answers
    Lane &lane = m_lanes[l];
    if (code == BusCode::kReadBullet && frameByte(frame, 3) > 0) {
        ++m_out.polls;
        lane.polledMs.append(m_now);
    }
    // Any frame its target answers asks after its hearing, as a poll does.
    if (code >= BusCode::kStart && lane.polledSinceReadMs < 0)
        lane.polledSinceReadMs = m_now;
    // Line noise: the answer fails its CRC and never reaches the bus master.
    // The lane's terminal answers for itself: its frames tell nothing of the
    // target's hearing, as the bus master counts it.
    const bool target = code >= BusCode::kStart;
    if (lane.deafAt(m_now) || m_rng.permille(lane.plan.lossPermille)
        || m_rng.permille(lane.plan.garblePermille)) {
        if (target && lane.unansweredSinceMs < 0)
            lane.unansweredSinceMs = m_now;
        return true;
    }
    if (target) {
        if (lane.unansweredSinceMs >= 0 && m_now - lane.unansweredSinceMs >= kSilentTruthMs)
            lane.unanswered.append({lane.unansweredSinceMs, m_now});
        lane.unansweredSinceMs = -1;
    }
    QByteArray answer;
    if (code != BusCode::kReadBullet) {
        // The lane acknowledges a command by giving it back.
        answer = frame;
    } else if (!lane.given.isEmpty() && lane.given.first().atMs >= m_now - kCopyWithinMs
               && m_rng.permille(lane.plan.copyPermilleAt(m_now))) {
        answer = lane.given.at(int(m_rng.range(0, lane.given.size() - 1))).frame;
    } else {
        // A ping asks for shot 0: "no shot".
        const TargetShot *shot = lane.target.shot(frameByte(frame, 3));
        const LaneShot s = shot ? shot->answer : LaneShot{};
        const int bytes[] = {address, kShotAnswerBytes, BusCode::kReadBullet, s.number, s.point.x() >> 8,
                             s.point.x(), s.point.y() >> 8, s.point.y(), quint8(s.place),
                             s.timeTenths >> 16, s.timeTenths >> 8, s.timeTenths, 0, 0};
        answer = QByteArray(kShotAnswerBytes, Qt::Uninitialized);
        for (int i = 0; i < kShotAnswerBytes; ++i)
            answer[i] = char(bytes[i] & 0xFF);
        lane.given.append({m_now, answer});
        while (lane.given.size() > kCopiesKept || lane.given.first().atMs < m_now - kCopyWithinMs)
            lane.given.removeFirst();
    }
    answerOnLine(l, answer);
    return true;
}

void Simulation::answerOnLine(int l, const QByteArray &answer)
{
    QByteArray withCrc = answer;
    if (frameByte(answer, 2) != BusCode::kReadBullet)
        withCrc.append(QByteArray(kCrcBytes, '\0'));
    // One line: an answer comes after the answers given before it.
    m_lineFreeMs = std::max(m_lineFreeMs + 1,
                            m_now + m_rng.range(kAnswerMinMs, m_lanes.at(l).plan.slow ? kSlowAnswerMaxMs : kAnswerMaxMs));
    schedule(m_lineFreeMs, Kind::Answer, l, 0, 0, withCrc);
}

void Simulation::fire(int l, int s, int index)
{
    Lane &lane = m_lanes[l];
    const PlannedShot &plan = m_road.stages.at(s).shots.at(l).at(index);
    Fired fired;
    fired.lane = l;
    // Right for the START that went out last: one held back (a converter
    // being looked for again when it was given) is not out yet, and the
    // target puts the shot on the page before.
    fired.stage = m_startOutMs.at(s) <= m_now ? s : s - 1;
    fired.atMs = m_now;
    fired.page = lane.pageBegan.size() - 1;
    const int id = m_fired.size();
    fired.recorded = !std::any_of(lane.plan.off.cbegin(), lane.plan.off.cend(),
                                  [this](const Interval &i) { return i.contains(m_now); })
        && lane.target.fire(id, plan.point, plan.place, m_now);
    if (fired.recorded)
        fired.content = Content::of(lane.target.page().last().answer);
    m_fired.append(fired);
    trace(m_now, l + 1, fired.recorded ? QStringLiteral("fires %1").arg(fired.content.text())
                                       : QStringLiteral("fires, not recorded"));
}

void Simulation::startRequest(int s)
{
    // The exercise stops reading before it gives the next START: a page
    // still read ends here.
    if (m_stage >= 0)
        endStage(m_stage);
    const StagePlan &stage = m_road.stages.at(s);
    trace(m_now, 0, QStringLiteral("START %1 (%2) given").arg(s + 1).arg(stage.name));
    m_startPending = s;
    if (stage.lane > 0) {
        // A re-shoot: the pistol stage's START frame to the lane alone, for
        // its number of shots; the bus master writes it in the lane's turn
        // until the target gives it back, which confirms it.
        m_ownStart = s;
        m_bus->slot_emu_SendCommand(bytesOf({stage.lane, 0x0C, BusCode::kStart, 0xFE, 0x01, 0xFF, 0xFF,
                                             stage.expected, 0x02, 0x01}));
        return;
    }
    m_bus->slot_emu_SendCommand(bytesOf({BusAddress::kAllTargets, 0x0C, BusCode::kStart, 0xFE, 0x01, 0xFF,
                                         0xFF, 0x0A, 0x01, 0x00}));
}

void Simulation::startWritten(int address)
{
    // A lane's own START is written again in its turns until its target
    // gives it back.
    const bool own = !BusAddress::isBroadcast(address);
    const int s = own ? m_ownStart : m_startPending >= 0 ? m_startPending : m_stage;
    if (s < 0)
        return;
    m_startOutMs[s] = std::min(m_startOutMs.at(s), m_now);
    if (!own || std::exchange(m_ownTraced, s) != s)
        trace(m_now, own ? address : 0, QStringLiteral("START %1 on the line").arg(s + 1));
    for (int l = 0; l < m_lanes.size(); ++l) {
        Lane &lane = m_lanes[l];
        // A target that hears its own START takes it and gives it back.
        if ((own && address != l + 1) || lane.deafAt(m_now) || (!own && lane.plan.missesStart.at(s))
            || (m_onlyPort >= 0 && portOf(l) != m_onlyPort) || !m_found[portOf(l) - 1])
            continue;
        const QVector<TargetShot> before = lane.target.page();
        if (lane.target.takeStart(m_now)) {
            // Deaf to an earlier copy, it put a shot fired since on the page
            // this copy clears: gone before any poll could read it.
            for (const TargetShot &shot : before) {
                if (m_fired.at(shot.id).stage == s)
                    m_fired[shot.id].lostMs = m_now;
            }
            newPage(l);
            lane.tookStart[s] = true;
            trace(m_now, l + 1, QStringLiteral("takes the START"));
        }
    }
}

void Simulation::endStage(int s)
{
    if (m_ended.at(s) || s != m_stage)
        return;
    m_ended[s] = true;
    const StagePlan &stage = m_road.stages.at(s);
    trace(m_now, 0, QStringLiteral("end of %1").arg(stage.name));
    if (stage.rifleStop)
        checkEnded(s);
    m_reading = false;
    m_bus->slot_emu_StopReadBullet();
    for (Lane &lane : m_lanes) {
        lane.unansweredSinceMs = -1;
        lane.polledSinceReadMs = -1;
    }
    for (int l = 0; l < m_lanes.size(); ++l) {
        Lane &lane = m_lanes[l];
        if (!startsLane(s, l))
            continue;
        if (stage.pistol) {
            const LaneStart::Word word = lane.judge.endPage();
            checkRules(l);
            if (word != LaneStart::Word::None) {
                lane.told = true;
                trace(m_now, l + 1, QStringLiteral("endPage word %1").arg(int(word)));
                checkWord(l, word);
            }
            // A shot still held is a miss flagged for re-shoot.
            ruleHeld(l, false);
        }
        if (stage.rifleStop)
            ruleHeld(l, true);
    }
    checkPage(s);
    m_finished = s == m_road.stages.size() - 1;
}

void Simulation::report(const Report &r, qint64 readMs)
{
    const bool busy = std::any_of(m_road.busy.cbegin(), m_road.busy.cend(),
                                  [readMs](const Interval &i) { return i.contains(readMs); });
    // An answer that tells nothing of the page (or a shot not taken for its
    // poll), a question asked, or a silence told again after a break,
    // follows the report before it at once, and draws nothing: the roads
    // stay the ones they were.
    const bool atOnce =
        r.type == Report::Answered || r.type == Report::NotTaken || r.type == Report::Asked || r.again;
    const qint64 delay = atOnce ? 0 : busy ? m_rng.range(kBusyDelayMinMs, kBusyDelayMaxMs) : m_rng.range(1, 5);
    m_lastDeliverMs = std::max(m_lastDeliverMs, readMs + delay);
    m_reports.push_back(r);
    Seen truth;
    if (r.type == Report::Shot || r.type == Report::NoShot) {
        const Lane &lane = m_lanes.at(r.lane);
        const TargetShot *held = lane.target.shot(r.shot.number);
        truth.busMs = m_now;
        truth.page = lane.pageBegan.size() - 1;
        truth.isShot = r.type == Report::Shot;
        truth.truthful = truth.isShot ? held && Content::of(held->answer) == Content::of(r.shot) : !held;
        truth.content = Content::of(r.shot);
    }
    m_truths.push_back(truth);
    schedule(m_lastDeliverMs, Kind::Deliver);
}

void Simulation::deliver()
{
    const Report r = m_reports.front();
    m_reports.pop_front();
    Seen seen = m_truths.front();
    m_truths.pop_front();
    if (r.type == Report::Started) {
        // A page still read ends when the next START is confirmed.
        if (m_stage >= 0)
            endStage(m_stage);
        m_stage = r.stage;
        m_reading = true;
        trace(m_now, 0, QStringLiteral("START %1 confirmed").arg(r.stage + 1));
        // A lane's own START, confirmed by its target, begins that lane's
        // page alone; the others were not started.
        const bool own = m_road.stages.at(m_stage).lane > 0;
        if (own)
            ownStartConfirmed(m_stage);
        for (int l = 0; l < m_lanes.size(); ++l) {
            if (!startsLane(m_stage, l))
                continue;
            Lane &lane = m_lanes[l];
            lane.judge.beginPage(m_now, own);
            checkRules(l);
            lane.sub = 0;
            lane.subBeganMs = m_now;
            lane.told = false;
            lane.ruledNo = false;
            lane.ruledWrongFrom = 0;
            lane.stuckNumber = 0;
        }
        for (int l = 0; l < m_lanes.size(); ++l)
            request(l);
        return;
    }
    Lane &lane = m_lanes[r.lane];
    if (r.type == Report::Heard) {
        trace(m_now, r.lane + 1, r.heard ? QStringLiteral("heard") : QStringLiteral("silent"));
        (r.heard ? lane.heardMs : lane.silentMs).append(m_now);
        lane.judge.setHeard(r.heard, m_now);
        checkRules(r.lane);
        if (r.heard && reads(r.lane) && lane.judge.asksAgainOnHearing())
            request(r.lane);
        return;
    }
    if (r.type == Report::Answered) {
        lane.judge.heardOnLine(m_now);
        return;
    }
    if (r.type == Report::Asked) {
        lane.judge.asked(r.shot.number, m_now);
        return;
    }
    if (r.type == Report::NotTaken) {
        lane.judge.shotNotTaken(r.shot, m_now);
        return;
    }
    if (!reads(r.lane))
        return;
    seen.stage = m_stage;
    seen.readMs = m_now;
    lane.seen.append(seen);
    if (r.type == Report::Shot) {
        const LaneStart::Verdict verdict = lane.judge.answer(r.shot, m_now);
        checkRules(r.lane);
        trace(m_now, r.lane + 1, QStringLiteral("answer %1 (state %2, held %3)")
                                     .arg(Content::of(r.shot).text())
                                     .arg(int(lane.judge.state()))
                                     .arg(lane.judge.heldCount()));
        act(r.lane, verdict);
        const int n = r.shot.number;
        if (wanted(r.lane) != n) {
            lane.stuckNumber = 0;
            return;
        }
        if (lane.stuckNumber != n) {
            lane.stuckNumber = n;
            lane.stuckSinceMs = m_now;
            lane.stuckAnswers = 0;
        }
        if (++lane.stuckAnswers >= kStuckAnswers && m_now - lane.stuckSinceMs >= kStuckMs && !lane.told)
            fail(Invariant::Stuck, r.lane, m_stage,
                 QStringLiteral("shot %1 answered %2 times over %3 s, still asked for")
                     .arg(n).arg(lane.stuckAnswers).arg((m_now - lane.stuckSinceMs) / 1000));
        return;
    }
    const int asked = lastBulletNumber(lane);
    const LaneStart::Verdict verdict = lane.judge.noShot(r.shot.number, m_now);
    checkRules(r.lane);
    if (verdict.store.isEmpty() && verdict.withdraw.isEmpty() && !verdict.lostPage
        && verdict.word == LaneStart::Word::None && lastBulletNumber(lane) == asked)
        return;
    if (lane.tracedLacking != r.shot.number)
        trace(m_now, r.lane + 1, QStringLiteral("no shot %1").arg(r.shot.number));
    lane.tracedLacking = r.shot.number;
    act(r.lane, verdict);
}

void Simulation::act(int l, const LaneStart::Verdict &verdict, bool ruled)
{
    Lane &lane = m_lanes[l];
    if (verdict.lostPage)
        checkLost(l);
    else if (verdict.word == LaneStart::Word::PageLost)
        checkCut(l);
    if (verdict.lostPage) {
        ++lane.sub;
        lane.ruledWrongFrom = 0;
        lane.subBeganMs = m_now;
        trace(m_now, l + 1, QStringLiteral("lost page: the list begins page %1").arg(lane.sub + 1));
    }
    QVector<Content> removed;
    if (!verdict.withdraw.isEmpty()) {
        for (int i = lane.rows.size() - 1; i >= 0; --i) {
            const Row &row = lane.rows.at(i);
            if (row.stage == m_stage && row.sub == lane.sub
                && verdict.withdraw.contains(row.content.number)) {
                removed.append(row.content);
                lane.rows.remove(i);
            }
        }
        trace(m_now, l + 1, QStringLiteral("withdraws %1 (wrong %2)").arg(removed.size()).arg(verdict.wrong));
    }
    if (verdict.word != LaneStart::Word::None) {
        lane.told = true;
        trace(m_now, l + 1, QStringLiteral("word %1").arg(int(verdict.word)));
        checkWord(l, verdict.word);
    }
    for (const LaneStart::Take &take : verdict.store) {
        const Content c = Content::of(take.shot);
        // A shot of a page the target lost goes on the list's page it was
        // read on, which takes it as it comes: a number it holds already is
        // a shot stored twice. The current page keeps one row per number.
        const int sub = lane.sub - take.pagesBack;
        const bool onPage = std::any_of(lane.rows.cbegin(), lane.rows.cend(), [&](const Row &row) {
            return row.stage == m_stage && row.sub == sub && row.content.number == c.number;
        });
        if (take.pagesBack > 0) {
            if (onPage)
                fail(Invariant::StoredTwice, l, m_stage,
                     QStringLiteral("%1 stored again on the lost page").arg(c.text()));
            lane.rows.append({m_stage, sub, c, ruled});
            trace(m_now, l + 1, QStringLiteral("stores %1 on page %2").arg(c.text()).arg(sub + 1));
            continue;
        }
        if (onPage)
            continue;
        // A lane asked for its last shot again may give a later one of the
        // page it holds now before it is found lost: the page read is the
        // earliest of the list's page.
        const bool first = std::none_of(lane.rows.cbegin(), lane.rows.cend(), [&](const Row &row) {
            return row.stage == m_stage && row.sub == lane.sub;
        });
        const bool onRuling = lane.ruledWrongFrom > 0 && c.number >= lane.ruledWrongFrom;
        lane.rows.append({m_stage, lane.sub, c, ruled || onRuling});
        for (const Seen &seen : qAsConst(lane.seen)) {
            if (seen.isShot && seen.truthful && seen.content == c)
                lane.readingPage = first ? seen.page : std::min(lane.readingPage, seen.page);
        }
        trace(m_now, l + 1, QStringLiteral("stores %1").arg(c.text()));
    }
    // The withdrawn shots said wrong must be earlier ones, and every earlier
    // one must be said wrong unless it is held again: the answers may leave
    // a shot taken just before the START on either side of it.
    const QVector<LaneStart::Doubt> heldNow = lane.judge.doubts();
    int onlyEarlier = 0, onlyRight = 0;
    for (const Content &c : qAsConst(removed)) {
        const bool right = rightContent(l, m_stage, c), earlier = earlierContent(l, m_stage, c);
        const bool heldAgain = std::any_of(heldNow.cbegin(), heldNow.cend(),
                                           [&c](const LaneStart::Doubt &d) { return Content::of(d.shot) == c; });
        onlyEarlier += earlier && !right && !heldAgain ? 1 : 0;
        onlyRight += right && !earlier ? 1 : 0;
    }
    if (onlyEarlier > verdict.wrong || onlyRight > removed.size() - verdict.wrong)
        fail(Invariant::FalseWord, l, m_stage,
             QStringLiteral("withdrew %1, said %2 wrong; %3 were only earlier shots, %4 only right ones")
                 .arg(removed.size()).arg(verdict.wrong).arg(onlyEarlier).arg(onlyRight));
    for (const Content &c : qAsConst(removed)) {
        const bool again = std::any_of(verdict.store.cbegin(), verdict.store.cend(),
                                       [&](const LaneStart::Take &t) { return Content::of(t.shot) == c; });
        const QVector<LaneStart::Doubt> doubts = lane.judge.doubts();
        const bool held = std::any_of(doubts.cbegin(), doubts.cend(),
                                      [&](const LaneStart::Doubt &d) { return Content::of(d.shot) == c; });
        if (!again && !held && rightContent(l, m_stage, c) && !earlierContent(l, m_stage, c))
            fail(Invariant::RightWithdrawn, l, m_stage, QStringLiteral("withdrew %1").arg(c.text()));
    }
    if (!m_reading)
        return;
    // The operator is asked once the lane's stored and held shots make its count.
    const StagePlan &stage = m_road.stages.at(m_stage);
    if (!ruled && stage.rifleStop && done(lane) && lane.judge.holdsShots()) {
        ruleHeld(l, true);
        return;
    }
    request(l);
    if (stage.rifleStop && std::all_of(m_lanes.cbegin(), m_lanes.cend(), [this](const Lane &x) { return done(x); }))
        schedule(m_now, Kind::StageEnd, 0, m_stage);
}

// Every case the dialog shows puts the held shot on the same side of the
// START (the judgement's own margins), or none is shown: the official has
// nothing to choose by.
bool shownDecided(const LaneStart::Doubt &doubt)
{
    if (doubt.accounts.isEmpty())
        return true;
    const auto side = [&doubt](const PageTrace::Span &span) {
        return span.from >= doubt.startMs ? 1 : span.to < doubt.startMs - LaneStart::kStartSlackMs ? -1 : 0;
    };
    const int first = side(doubt.accounts.first().taken);
    return first != 0 && std::all_of(doubt.accounts.cbegin(), doubt.accounts.cend(),
                                     [&](const LaneStart::Doubt::Moments &m) { return side(m.taken) == first; });
}

void Simulation::ruleHeld(int l, bool asked)
{
    Lane &lane = m_lanes[l];
    const QVector<LaneStart::Doubt> doubts = lane.judge.doubts();
    if (doubts.isEmpty())
        return;
    checkHeld(l);
    // Asked, the official places the START among the held shots as the
    // road was: before the first one fired after it; now and then
    // elsewhere. At a pistol page's end nobody is asked: all passed over.
    ++m_out.rulings;
    if (std::all_of(doubts.cbegin(), doubts.cend(), shownDecided))
        ++m_out.rulingsDecided;
    int first = LaneStart::kNone;
    if (asked) {
        ++m_out.rulingsAsked;
        for (int i = 0; i < doubts.size() && first == LaneStart::kNone; ++i) {
            if (rightContent(l, m_stage, Content::of(doubts.at(i).shot)))
                first = i;
        }
        const int truth = first;
        if (m_operator.permille(kWrongRulingPermille))
            first = int(m_operator.range(-1, doubts.size() - 1));
        if (first >= 0 && first != truth && doubts.at(first).pagesBack == 0)
            lane.ruledWrongFrom = doubts.at(first).shot.number;
    }
    lane.told = true;
    lane.ruledNo = lane.ruledNo || first != 0;
    trace(m_now, l + 1, QStringLiteral("operator: %1 held, counted from the %2th").arg(doubts.size()).arg(first + 1));
    const LaneStart::Verdict ruled = lane.judge.rule(first);
    checkRules(l);
    act(l, ruled, true);
}

void Simulation::checkRules(int l)
{
    const QString broken = m_lanes.at(l).judge.brokenInvariant();
    if (!broken.isEmpty())
        fail(Invariant::RulesBroken, l, m_stage, broken);
}

void Simulation::checkWord(int l, LaneStart::Word word)
{
    Lane &lane = m_lanes[l];
    // Switched off after it took the START and before it answered again,
    // a target looks on the line just like one off when the START went
    // out: no word can tell them apart.
    const qint64 startMs = m_road.stages.at(m_stage).startMs;
    const bool cutUnheard = std::any_of(lane.plan.off.cbegin(), lane.plan.off.cend(), [&](const Interval &i) {
        return i.from >= startMs && i.from <= m_now && lane.answeredBefore(i.from) < startMs;
    });
    if ((word == LaneStart::Word::Missed || word == LaneStart::Word::Withdrawn) && lane.tookStart.at(m_stage)
        && !cutUnheard)
        fail(Invariant::FalseMissed, l, m_stage, QStringLiteral("word %1").arg(int(word)));
    if (word == LaneStart::Word::Unheard) {
        const qint64 out = m_startOutMs.at(m_stage);
        QVector<Interval> stretches = lane.unanswered;
        if (lane.unansweredSinceMs >= 0 && m_now - lane.unansweredSinceMs >= kSilentTruthMs)
            stretches.append({lane.unansweredSinceMs, m_now});
        const bool silent = lane.deafAt(out) || std::any_of(stretches.cbegin(), stretches.cend(), [&](const Interval &i) {
            return i.to + kSlowAnswerMaxMs >= out && lane.answeredBefore(i.from) < out + kSlowAnswerMaxMs;
        });
        if (!silent)
            fail(Invariant::FalseWord, l, m_stage,
                 QStringLiteral("\"unheard\": it answered around the START (out at %1 s)")
                     .arg(double(out) / 1000.0, 0, 'f', 3));
    }
    if (word == LaneStart::Word::NoNewShots) {
        const auto readEarlier = [&](const Content &c) {
            return std::any_of(lane.seen.cbegin(), lane.seen.cend(), [&](const Seen &s) {
                return s.stage != m_stage && s.isShot && s.content == c;
            });
        };
        const auto gaveNew = std::find_if(lane.seen.cbegin(), lane.seen.cend(), [&](const Seen &s) {
            return s.stage == m_stage && s.isShot && s.truthful && rightContent(l, m_stage, s.content)
                && !readEarlier(s.content);
        });
        if (gaveNew != lane.seen.cend())
            fail(Invariant::FalseWord, l, m_stage,
                 QStringLiteral("\"no new shot\": it gave %1, fired after the START").arg(gaveNew->content.text()));
    }
    if ((word == LaneStart::Word::Unheard || word == LaneStart::Word::InDoubt) && !lane.judge.holdsShots())
        fail(Invariant::FalseWord, l, m_stage, QStringLiteral("word %1 with no shot held").arg(int(word)));
    checkHeld(l);
    if (word == LaneStart::Word::Missed || word == LaneStart::Word::Withdrawn)
        lane.toldMissedIn = m_stage;
    else if ((word == LaneStart::Word::Unheard || word == LaneStart::Word::InDoubt) && lane.toldMissedIn == m_stage)
        fail(Invariant::TwoStories, l, m_stage, QStringLiteral("word %1 after \"did not take it\"").arg(int(word)));
}

void Simulation::checkHeld(int l)
{
    const Lane &lane = m_lanes.at(l);
    const QVector<LaneStart::Doubt> doubts = lane.judge.doubts();
    for (int i = 0; i < doubts.size(); ++i) {
        const Content c = Content::of(doubts.at(i).shot);
        const bool recorded = std::any_of(m_fired.cbegin(), m_fired.cend(), [&](const Fired &f) {
            return f.lane == l && f.recorded && f.content == c;
        });
        // A shot of a page found lost is of the list's page before.
        const int sub = lane.sub - doubts.at(i).pagesBack;
        const bool stored = std::any_of(lane.rows.cbegin(), lane.rows.cend(), [&](const Row &row) {
            return row.stage == m_stage && row.sub == sub && row.content.number == c.number;
        });
        const bool twice = std::any_of(doubts.cbegin(), doubts.cbegin() + i, [&](const LaneStart::Doubt &d) {
            return d.shot.number == c.number && d.pagesBack == doubts.at(i).pagesBack;
        });
        if (!recorded || stored || twice)
            fail(Invariant::FalseWord, l, m_stage,
                 QStringLiteral("holds %1 %2").arg(c.text(), !recorded ? QStringLiteral("that its target never took")
                                                   : stored ? QStringLiteral("stored for the page too")
                                                            : QStringLiteral("twice")));
        // The moments the operator is shown hold the one the target took it
        // at (of shots alike to the last byte, one of them), with clocks
        // that drift no more than LaneStart allows for; not of a page begun
        // at a power-up the program never heard as a silence (taken for
        // the page of the START before it), nor of one whose "no shot"
        // answers read were two late copies in a row; nor once the official
        // placed the START wrongly on the list's page: its moments follow
        // from that word.
        const PageTrace::Span taken = doubts.at(i).taken;
        const bool within = std::any_of(m_fired.cbegin(), m_fired.cend(), [&](const Fired &f) {
            return f.lane == l && f.recorded && f.content == c
                && ((f.atMs >= taken.from && f.atMs <= taken.to) || unseenPowerUp(lane, lane.pageBegan.at(f.page))
                    || copiedLacking(lane, f.page, f.atMs, taken));
        });
        if (recorded && m_ownTimesTell && !within && lane.ruledWrongFrom == 0)
            fail(Invariant::FalseWord, l, m_stage,
                 QStringLiteral("shows %1 taken from %2 s to %3 s, which it was not")
                     .arg(c.text()).arg(double(taken.from) / 1000.0, 0, 'f', 3).arg(double(taken.to) / 1000.0, 0, 'f', 3));
    }
}

void Simulation::checkCut(int l)
{
    // Told without a page to read again: its page began in a silence that
    // lasted into the START, which only a power cut after its last answer
    // before the START makes.
    const Lane &lane = m_lanes.at(l);
    const qint64 lastMs = lane.answeredBefore(m_road.stages.at(m_stage).startMs);
    if (!std::any_of(lane.plan.off.cbegin(), lane.plan.off.cend(),
                     [&](const Interval &i) { return i.to > lastMs && i.from <= m_now; }))
        fail(Invariant::FalseLost, l, m_stage, QStringLiteral("told it came back with another page; no power cut"));
}

void Simulation::checkLost(int l)
{
    Lane &lane = m_lanes[l];
    // Or of any shot it answered with since the list's page began: the
    // page asked for its last shot again may be older than any stored.
    int page = lane.readingPage;
    for (const Seen &seen : qAsConst(lane.seen)) {
        if (seen.isShot && seen.truthful && seen.readMs >= lane.subBeganMs)
            page = std::min(page, seen.page);
    }
    const qint64 began = lane.pageBegan.at(page);
    if (!std::any_of(lane.plan.off.cbegin(), lane.plan.off.cend(),
                     [&](const Interval &i) { return i.from >= began && i.from <= m_now; }))
        fail(Invariant::FalseLost, l, m_stage,
             QStringLiteral("the page begun at %1 s kept").arg(double(began) / 1000.0, 0, 'f', 1));
    // The list reads the page the target holds now from its first shot.
    lane.readingPage = lane.pageBegan.size() - 1;
}

int Simulation::lastBulletNumber(const Lane &lane) const
{
    int highest = 0;
    for (const Row &row : lane.rows) {
        if (row.stage == m_stage && row.sub == lane.sub)
            highest = std::max(highest, row.content.number);
    }
    return lane.judge.lastRead(highest);
}

bool Simulation::done(const Lane &lane) const
{
    // A rifle match counts the shots held too: the operator rules on them.
    const StagePlan &stage = m_road.stages.at(m_stage);
    const int held = stage.rifleStop ? lane.judge.heldCount() : 0;
    return stage.expected > 0
        && std::count_if(lane.rows.cbegin(), lane.rows.cend(), [this](const Row &r) { return r.stage == m_stage; })
               + held
        >= stage.expected;
}

void Simulation::request(int l)
{
    Lane &lane = m_lanes[l];
    if (!reads(l) || done(lane))
        return;
    const int n = lastBulletNumber(lane) + 1;
    if (n >= 1 && n <= ModelTarget::kPageSize)
        m_bus->slot_emu_GetBullet(l + 1, n);
}

bool Simulation::rightContent(int l, int s, const Content &c) const
{
    return std::any_of(m_fired.cbegin(), m_fired.cend(), [&](const Fired &f) {
        return f.lane == l && f.stage == s && f.recorded && f.content == c;
    });
}

bool Simulation::earlierContent(int l, int s, const Content &c) const
{
    return std::any_of(m_fired.cbegin(), m_fired.cend(), [&](const Fired &f) {
        return f.lane == l && f.stage < s && f.recorded && f.content == c;
    });
}

bool Simulation::powerUp(const Lane &lane, qint64 pageBeganMs) const
{
    return std::any_of(lane.plan.off.cbegin(), lane.plan.off.cend(),
                       [&](const Interval &off) { return off.to == pageBeganMs; });
}

bool Simulation::twinPage(const Lane &lane, const Fired &shot) const
{
    const qint64 began = lane.pageBegan.at(shot.page);
    if (!powerUp(lane, began))
        return false;
    // Heard again, the target can say for a while that it lacks the shot
    // asked for; one taken by then answers as the old one did.
    const auto heard = std::lower_bound(lane.heardMs.cbegin(), lane.heardMs.cend(), began);
    const qint64 sayMs = heard == lane.heardMs.cend() ? kNever : *heard + kTwinSayMs;
    return std::any_of(m_fired.cbegin(), m_fired.cend(), [&](const Fired &g) {
        return g.lane == shot.lane && g.page == shot.page && g.recorded && g.atMs < sayMs
            && g.content.number >= shot.content.number
            && std::any_of(m_fired.cbegin(), m_fired.cend(), [&](const Fired &h) {
                   return h.lane == shot.lane && h.page < shot.page && h.recorded && h.content == g.content;
               });
    });
}

bool Simulation::unseenPowerUp(const Lane &lane, qint64 pageBeganMs) const
{
    return std::any_of(lane.plan.off.cbegin(), lane.plan.off.cend(), [&](const Interval &off) {
        return off.to == pageBeganMs
            && std::none_of(lane.silentMs.cbegin(), lane.silentMs.cend(),
                            [&](qint64 t) { return t >= off.from && t <= pageBeganMs; });
    });
}

bool Simulation::copiedLacking(const Lane &lane, int page, qint64 atMs, const PageTrace::Span &shown) const
{
    if (atMs > shown.to || atMs < shown.from - LaneStart::kLateCopyMs - LaneStart::kSeenSlackMs)
        return false;
    QSet<int> copied; // numbers whose last "no shot" read was a copy
    for (const Seen &seen : lane.seen) {
        if (seen.isShot || seen.page != page)
            continue;
        const int n = seen.content.number;
        if (seen.truthful)
            copied.remove(n);
        else if (copied.contains(n))
            return true;
        else
            copied.insert(n);
    }
    return false;
}

const Seen *Simulation::readOf(const Lane &lane, const Fired &shot) const
{
    // One answer may be a late copy of another page's: a shot like one of
    // another page to the last byte, or of a page older than the START (its
    // target missed it), is told only when it is given again.
    const bool twin = lane.pageBegan.at(shot.page) < m_road.stages.at(shot.stage).startMs
        || std::any_of(m_fired.cbegin(), m_fired.cend(), [&](const Fired &f) {
               return f.lane == shot.lane && f.recorded && f.page != shot.page && f.content == shot.content;
           });
    int reads = 0;
    for (const Seen &seen : lane.seen) {
        if (seen.isShot && seen.truthful && seen.stage == shot.stage && seen.page == shot.page
            && seen.content == shot.content && seen.busMs <= m_now - m_storeWithinMs && ++reads > (twin ? 1 : 0))
            return &seen;
    }
    return nullptr;
}

const Seen *Simulation::provenAfterStart(const Lane &lane, const Fired &shot, const Seen &read) const
{
    const int k = shot.content.number;
    QMap<int, int> tenths; // the own times of the shot's page, by number
    for (const Fired &f : qAsConst(m_fired)) {
        if (f.lane == shot.lane && f.recorded && f.page == shot.page && f.content.number <= k)
            tenths.insert(f.content.number, f.content.tenths);
    }
    const qint64 startMs = m_road.stages.at(shot.stage).startMs;
    QSet<int> lackedLater; // numbers a later true "no shot" of the page confirms
    for (int i = lane.seen.size() - 1; i >= 0; --i) {
        const Seen &seen = lane.seen.at(i);
        if (seen.stage != shot.stage || seen.isShot || !seen.truthful || seen.page != shot.page)
            continue;
        const int j = seen.content.number;
        if (j <= k && lackedLater.contains(j)) {
            // After a silence the program cannot tell the page from one begun
            // in it (after the last answer it read): only a proof from the
            // "no shot" alone holds for both. Nor with clocks that drift more
            // than LaneStart allows for.
            const bool silence = std::any_of(lane.silentMs.cbegin(), lane.silentMs.cend(), [&](qint64 t) {
                return t > seen.readMs && t <= read.readMs;
            });
            qint64 chain = 0;
            for (int n = j; n < k && !silence && m_ownTimesTell; ++n)
                chain += leastApart(tenths.value(n), tenths.value(n + 1));
            if (seen.busMs + chain >= startMs + m_proofMarginMs)
                return &seen;
        }
        lackedLater.insert(j);
    }
    return nullptr;
}

Simulation::ReadPace Simulation::readPace(int l, int s) const
{
    const Lane &lane = m_lanes.at(l);
    // A poll round is a poll gap a lane at the least; the lane's own polls
    // tell how long its rounds were (pings of silent lanes lengthen them).
    ReadPace pace;
    pace.roundMs = qint64(m_lanes.size()) * (m_road.pollGapMs > 0 ? m_road.pollGapMs : kModelGaps.pollMs);
    QVector<qint64> gaps;
    for (int i = 1; i < lane.polledMs.size(); ++i) {
        if (lane.polledMs.at(i - 1) >= m_startOutMs.at(s))
            gaps.append(lane.polledMs.at(i) - lane.polledMs.at(i - 1));
    }
    if (!gaps.isEmpty()) {
        std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
        pace.roundMs = std::max(pace.roundMs, gaps.at(gaps.size() / 2));
    }
    pace.answeredPerMille = std::max(1, 1000 - lane.plan.lossPermille - lane.plan.garblePermille);
    return pace;
}

qint64 Simulation::readQueueMs(int l, int s, const ReadPace &pace, const Fired *upTo) const
{
    const Lane &lane = m_lanes.at(l);
    // A round reads one shot of the lane, none when the line loses its
    // answer, and after each silence one asks again for the shot read before
    // it: a lane whose shooter fires faster than that falls behind, and its
    // last shots are not read by the STOP.
    const qint64 perShotMs = pace.roundMs * 1000 / pace.answeredPerMille;
    const auto silences = std::count_if(lane.silentMs.cbegin(), lane.silentMs.cend(),
                                        [&](qint64 at) { return at >= m_startOutMs.at(s); });
    // A lane that did not take the START reads the shots of its page left
    // unread before it first.
    int behind = 0;
    if (!lane.tookStart.at(s)) {
        int page = 0;
        while (page + 1 < lane.pageBegan.size() && lane.pageBegan.at(page + 1) <= m_startOutMs.at(s))
            ++page;
        int readUpTo = 0;
        for (const Seen &seen : lane.seen) {
            if (seen.isShot && seen.page == page && seen.busMs < m_startOutMs.at(s))
                readUpTo = std::max(readUpTo, seen.content.number);
        }
        behind = int(std::count_if(m_fired.cbegin(), m_fired.cend(), [&](const Fired &f) {
            return f.lane == l && f.recorded && f.page == page && f.atMs < m_startOutMs.at(s)
                && f.content.number > readUpTo;
        }));
    }
    qint64 queueMs = m_startOutMs.at(s) + qint64(silences + behind) * perShotMs;
    int reads = int(silences) + behind;
    for (const Fired &f : m_fired) {
        if (f.lane == l && f.recorded && f.stage == s) {
            queueMs = std::max(queueMs, f.atMs) + perShotMs;
            ++reads;
            if (&f == upTo)
                break;
        }
    }
    // The answers the line loses are drawn: twice their spread of rounds
    // more may pass before the shot is read.
    const double lost = 1.0 - pace.answeredPerMille / 1000.0;
    const double rounds = reads * 1000.0 / pace.answeredPerMille;
    return queueMs + qint64(2.0 * std::sqrt(rounds * lost * (1.0 - lost)) * double(pace.roundMs));
}

bool Simulation::hadReadRoom(int l, int s, bool throughShotsSince) const
{
    const StagePlan &stage = m_road.stages.at(s);
    const Lane &lane = m_lanes.at(l);
    if (!lane.heardThrough(m_now - stage.readRoomMs, m_now))
        return false;
    if (!stage.rifleStop)
        return true; // a pistol series or window is read through its own grace time, no longer
    const ReadPace pace = readPace(l, s);
    if (throughShotsSince && readQueueMs(l, s, pace, nullptr) > m_now)
        return false;
    // Back from a stretch unanswered since this START went out, the lane
    // reads the shots of its page not read since the START (from its first,
    // where nothing proves the page the one read before it), one a poll round
    // of every lane and each of them twice where the page's own times cannot
    // tell whether it is an earlier START's: a backlog no read room holds.
    qint64 backMs = -kNever;
    for (const auto *list : {&lane.plan.deaf, &lane.plan.off}) {
        for (const Interval &stretch : *list) {
            if (stretch.to > m_startOutMs.at(s) && stretch.to <= m_now)
                backMs = std::max(backMs, stretch.to);
        }
    }
    if (backMs < 0)
        return true;
    int page = 0;
    while (page + 1 < lane.pageBegan.size() && lane.pageBegan.at(page + 1) <= backMs)
        ++page;
    // The page is read on after its last shot read before the START while no
    // page of the START can hold one as old by its own time, as LaneStart
    // reads on; after that, from the first shot not read since the START.
    // What was read since the START is read, not every number below the
    // highest read: back from a silence, a lane is asked first for the
    // number it was last read at, then reads its page from the first.
    int readOnAfter = 0;
    QSet<int> read;
    const Seen *lastBefore = nullptr;
    for (const Seen &seen : lane.seen) {
        if (!seen.isShot || seen.page != page || seen.busMs >= backMs)
            continue;
        if (seen.busMs >= m_startOutMs.at(s))
            read.insert(seen.content.number);
        else if (!lastBefore || seen.content.number > lastBefore->content.number)
            lastBefore = &seen;
    }
    if (lastBefore
        && leastApart(0, lastBefore->content.tenths)
               > backMs - m_startOutMs.at(s) + LaneStart::kStartSlackMs + LaneStart::kClockSlackMs)
        readOnAfter = lastBefore->content.number;
    const auto unread = std::count_if(m_fired.cbegin(), m_fired.cend(), [&](const Fired &f) {
        return f.lane == l && f.recorded && f.page == page && f.atMs < backMs && f.content.number > readOnAfter
            && !read.contains(f.content.number);
    });
    qint64 readingMs = 2 * qint64(unread) * pace.roundMs;
    if (throughShotsSince) {
        // The shots fired since queue behind them.
        const auto since = std::count_if(m_fired.cbegin(), m_fired.cend(), [&](const Fired &f) {
            return f.lane == l && f.recorded && f.stage == s && f.atMs >= backMs;
        });
        readingMs = (readingMs + qint64(since) * pace.roundMs) * 1000 / pace.answeredPerMille;
    }
    return backMs + readingMs + stage.readRoomMs <= m_now;
}

void Simulation::checkPage(int s)
{
    const StagePlan &stage = m_road.stages.at(s);
    // A shot that fewer rows equal than shots do (of shots alike, the last).
    const auto unstored = [](const QVector<const Fired *> &shots, const QVector<Content> &rows) -> const Fired * {
        for (const Fired *f : shots) {
            const auto alike = [f](const Fired *g) { return g->content == f->content; };
            if (rows.count(f->content) < int(std::count_if(shots.cbegin(), shots.cend(), alike)))
                return *std::find_if(shots.crbegin(), shots.crend(), alike);
        }
        return nullptr;
    };
    for (int l = 0; l < m_lanes.size(); ++l) {
        const Lane &lane = m_lanes.at(l);
        QVector<Content> rows, judged, right; // judged: stored by LaneStart, not counted by the operator
        for (const Row &row : lane.rows) {
            if (row.stage != s)
                continue;
            rows.append(row.content);
            if (!row.ruled)
                judged.append(row.content);
        }
        QVector<const Fired *> due, proven;
        QVector<const Seen *> proofs;
        const bool answered = hadReadRoom(l, s);
        for (const Fired &f : qAsConst(m_fired)) {
            if (f.lane != l || f.stage != s || !f.recorded)
                continue;
            right.append(f.content);
            // Switched off and on while silent, a page whose shot is just like
            // the page before's of its number is taken for that page, its
            // shots up to that one unread (what the README says it does not see).
            if (twinPage(lane, f))
                continue;
            // Switched off and on while it was not asked (behind a lost
            // converter), its new page counts on from a number the program
            // had read already: nothing on the line tells the page changed,
            // and the bus reads on from the count it had.
            if (unseenPowerUp(lane, lane.pageBegan.at(f.page))
                && std::any_of(lane.seen.cbegin(), lane.seen.cend(), [&](const Seen &seen) {
                       return seen.isShot && seen.page == f.page - 1 && seen.content.number >= f.content.number;
                   }))
                continue;
            const Seen *read = readOf(lane, f);
            // A page its target began at its own START, which it confirmed,
            // needs no "no shot" to prove its shots: every one read counts.
            const qint64 began = lane.pageBegan.at(f.page);
            const bool ownPage = read && stage.lane > 0 && began >= stage.startMs && !powerUp(lane, began);
            const Seen *proof = ownPage ? read : read ? provenAfterStart(lane, f, *read) : nullptr;
            if (proof) {
                proven.append(&f);
                proofs.append(proof);
            } else if (stage.readRoomMs >= 0 && answered && f.atMs <= m_now - stage.readRoomMs && f.lostMs > m_now
                       && (!stage.rifleStop || readQueueMs(l, s, readPace(l, s), &f) <= m_now))
                due.append(&f);
        }
        QVector<Content> seen;
        for (const Content &c : qAsConst(judged)) {
            if (seen.contains(c))
                continue;
            seen.append(c);
            const int stored = int(judged.count(c));
            const int fired = int(right.count(c));
            if (stored <= fired)
                continue;
            const bool before = std::any_of(lane.rows.cbegin(), lane.rows.cend(),
                                            [&](const Row &r) { return r.stage < s && r.content == c; });
            if (fired > 0 || before)
                fail(Invariant::StoredTwice, l, s, QStringLiteral("%1 stored %2 times").arg(c.text()).arg(stored + (before ? 1 : 0)));
            else
                fail(Invariant::EarlierStored, l, s, QStringLiteral("stored %1").arg(c.text()));
        }
        // What the judgement delivers, not only what it never gets wrong.
        Outcome::Delivered delivered;
        QVector<Content> judgedLeft = judged, rowsLeft = rows;
        for (const Fired &f : qAsConst(m_fired)) {
            if (f.lane != l || f.stage != s || !f.recorded)
                continue;
            ++delivered.right;
            if (judgedLeft.removeOne(f.content)) {
                rowsLeft.removeOne(f.content);
                ++delivered.judged;
            } else if (rowsLeft.removeOne(f.content)) {
                ++delivered.ruled;
            } else if (readOf(lane, f)) {
                ++delivered.lost;
            } else {
                ++delivered.unread;
            }
        }
        m_out.all += delivered;
        if (!lane.plan.deaf.isEmpty() || !lane.plan.off.isEmpty() || lane.plan.missesStart.value(s))
            m_out.troubled += delivered;
        if (const Fired *f = unstored(proven, rows)) {
            const Seen *proof = proofs.at(proven.indexOf(f));
            if (proof->isShot)
                fail(Invariant::RightHeld, l, s,
                     QStringLiteral("%1 fired at %2 s, read at %3 s on the page its own START began, not stored")
                         .arg(f->content.text()).arg(double(f->atMs) / 1000.0, 0, 'f', 1)
                         .arg(double(proof->busMs) / 1000.0, 0, 'f', 3));
            else
                fail(Invariant::RightHeld, l, s,
                     QStringLiteral("%1 fired at %2 s, read, proven after the START by \"no shot %3\" at %4 s, not stored")
                         .arg(f->content.text()).arg(double(f->atMs) / 1000.0, 0, 'f', 1)
                         .arg(proof->content.number).arg(double(proof->busMs) / 1000.0, 0, 'f', 3));
        }
        if (lane.told)
            continue;
        if (const Fired *f = unstored(due, rows))
            fail(Invariant::RightLost, l, s,
                 QStringLiteral("%1 fired at %2 s not stored, no word")
                     .arg(f->content.text()).arg(double(f->atMs) / 1000.0, 0, 'f', 1));
    }
}

void Simulation::checkEnded(int s)
{
    const StagePlan &stage = m_road.stages.at(s);
    for (int l = 0; l < m_lanes.size(); ++l) {
        const Lane &lane = m_lanes.at(l);
        if (done(lane) || lane.ruledNo || !hadReadRoom(l, s, true))
            continue;
        int recorded = 0;
        bool lost = false;
        bool unseenPage = false;
        for (const Fired &f : qAsConst(m_fired)) {
            if (f.lane == l && f.stage == s && f.recorded) {
                ++recorded;
                lost = lost || f.lostMs <= m_now;
                unseenPage = unseenPage || unseenPowerUp(lane, lane.pageBegan.at(f.page));
            }
        }
        // Switched off and on while its lane was not polled and then missing
        // this START, its new page's shots fit the page it held before: it is
        // told it did not take the START, and the operator's STOP ends the
        // relay (what the README says it does not see).
        if (unseenPage && lane.toldMissedIn == s)
            continue;
        const auto stored = std::count_if(lane.rows.cbegin(), lane.rows.cend(), [s](const Row &r) { return r.stage == s; });
        if (recorded >= stage.expected && !lost)
            fail(Invariant::Unended, l, s,
                 QStringLiteral("%1 right shots recorded, %2 stored and %3 held at the STOP")
                     .arg(recorded).arg(stored).arg(lane.judge.heldCount()));
    }
}

} // namespace

Outcome runRoad(quint64 seed, const Options &options)
{
    Simulation simulation(seed, options);
    return simulation.run();
}

} // namespace LaneModel
