#include "lanemodel.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <queue>
#include <vector>

#include "lanepoll.h"
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
//                for an earlier one.
// RightWithdrawn A verdict never takes back a stored row that equals a
//                right shot of the page and equals no shot of an earlier
//                page, unless the same verdict stores it again.
// RightLost      When a page ends, every right shot its target recorded at
//                least the page's read room before the end (and did not
//                lose to a power cut) is stored, or its lane was told: a
//                Word other than None for that lane during the page, from a
//                verdict or from endPage() at a pistol page's end, or shots
//                held at a rifle STOP. Lanes that did not answer throughout
//                the read room are not held to it (nothing could be read);
//                a sighting has no end that tells and is not checked.
// Stuck          A lane is not asked for the same number again and again
//                while its target answers with that shot: 10 answers of the
//                number over 20 s with the number still asked for and no
//                word given for the lane in the page.
// FalseMissed    A lane is told that it did not take the START (Missed, or
//                Withdrawn: its stored shots were earlier ones) only when
//                its target took no copy of that START (a lane whose power
//                was cut during the page is not held to it).

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
    }
    return {};
}

namespace {

// The bus's cadence: the poll, its answer, a gap; ~26 ms a lane, ~265 ms for 10.
// Everything a target answers is what it holds at the poll's moment.
constexpr qint64 kPollGapMinMs = 4;
constexpr qint64 kPollGapMaxMs = 8;
constexpr qint64 kAnswerMinMs = 14;
constexpr qint64 kAnswerMaxMs = 24;
constexpr qint64 kSlowAnswerMaxMs = 60;
constexpr qint64 kPollTimeoutMs = 70;
constexpr qint64 kIdleMs = 50;
constexpr int kStartCopies = 3;
constexpr qint64 kStartCopyGapMs = 25;
// A program too busy to read what the bus reported.
constexpr qint64 kBusyDelayMinMs = 100;
constexpr qint64 kBusyDelayMaxMs = 800;
constexpr qint64 kStuckMs = 20000;
constexpr int kStuckAnswers = 10;
constexpr qint64 kNever = Q_INT64_C(1) << 50;
// A late copy on the line is of one of a lane's answers of this last while.
constexpr qint64 kCopyWithinMs = 1500;
constexpr int kCopiesKept = 4;

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
    Content content;
};

struct Row
{
    int stage = 0;
    int sub = 0; // the list's page within the START: a lost page begins another
    Content content;
};

// An answer a target gave, that the line may bring again a little later.
struct Given
{
    qint64 atMs = 0;
    bool isShot = false;
    LaneShot shot;
};

struct Lane
{
    Lane() : target(0, 0) {}
    Lane(const LanePlan &plan, qint64 originMs) : plan(plan), target(plan.driftPpm, originMs) {}
    LanePlan plan;
    ModelTarget target;
    // the bus master's view
    LanePoll poll;
    QVector<Given> given; // its last answers, for late copies
    // the program's view
    LaneStart judge;
    QVector<Row> rows;
    int sub = 0;
    bool told = false;
    QVector<bool> tookStart; // by stage: the target took a copy of it
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

enum class Kind { Fire, PowerOff, PowerOn, StartCopy, StageEnd, BusSlot, BusRead, Deliver };

struct Event
{
    qint64 at = 0;
    quint64 seq = 0;
    Kind kind = Kind::BusSlot;
    int lane = 0;
    int stage = 0;
    int index = 0;
    bool operator>(const Event &o) const { return at != o.at ? at > o.at : seq > o.seq; }
};

// What the bus master reports to the program, in order.
struct Report
{
    enum Type { Shot, NoShot, Heard, Started } type = Shot;
    int lane = 0;
    LaneShot shot;
    bool heard = false;
    int stage = 0;
};

// An answer on its way to the bus master.
struct InFlight
{
    int lane = 0;
    bool noise = false;
    bool isShot = false;
    LaneShot shot;
};

class Simulation
{
public:
    Simulation(quint64 seed, const Options &options)
        : m_road(makeRoad(seed, options.maxDriftPermille))
        , m_rng(seed ^ Q_UINT64_C(0x5DEECE66D2B7E151))
        , m_trace(options.trace)
    {
        m_out.seed = seed;
        m_out.road = m_road.description;
        for (const LanePlan &plan : qAsConst(m_road.lanes)) {
            m_lanes.append(Lane(plan, -m_rng.range(10000, 600000)));
            m_lanes.last().tookStart.fill(false, m_road.stages.size());
        }
        m_ended.fill(false, m_road.stages.size());
    }

    Outcome run();

private:
    void schedule(qint64 at, Kind kind, int lane = 0, int stage = 0, int index = 0)
    {
        m_events.push({at, m_seq++, kind, lane, stage, index});
    }
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

    void fire(int lane, int stage, int index);
    void startCopy(int stage, int copy);
    void endStage(int stage);
    void busSlot();
    void busRead();
    void report(const Report &r, qint64 readMs);
    void deliver();
    void act(int lane, const LaneStart::Verdict &verdict);
    void request(int lane);
    int lastBulletNumber(const Lane &lane) const;
    bool done(const Lane &lane) const;
    void checkPage(int stage);
    void checkWord(int lane, LaneStart::Word word);
    bool rightContent(int lane, int stage, const Content &c) const;
    bool earlierContent(int lane, int stage, const Content &c) const;

    Road m_road;
    Rng m_rng;
    bool m_trace = false;
    Outcome m_out;
    std::priority_queue<Event, std::vector<Event>, std::greater<Event>> m_events;
    quint64 m_seq = 0;
    qint64 m_now = 0;
    QVector<Lane> m_lanes;
    QVector<Fired> m_fired;
    QVector<bool> m_ended;
    int m_nextLane = 0;
    InFlight m_inFlight;
    std::deque<Report> m_reports;
    qint64 m_lastDeliverMs = 0;
    int m_stage = -1;
    bool m_reading = false;
    bool m_finished = false;
};

Outcome Simulation::run()
{
    for (int s = 0; s < m_road.stages.size(); ++s) {
        const StagePlan &stage = m_road.stages.at(s);
        for (int l = 0; l < m_lanes.size(); ++l) {
            for (int i = 0; i < stage.shots.at(l).size(); ++i)
                schedule(stage.shots.at(l).at(i).atMs, Kind::Fire, l, s, i);
        }
        for (int c = 0; c < kStartCopies; ++c)
            schedule(stage.startMs + c * kStartCopyGapMs, Kind::StartCopy, 0, s, c);
        schedule(stage.endMs, Kind::StageEnd, 0, s);
    }
    for (int l = 0; l < m_lanes.size(); ++l) {
        for (const Interval &off : qAsConst(m_lanes.at(l).plan.off)) {
            schedule(off.from, Kind::PowerOff, l);
            schedule(off.to, Kind::PowerOn, l);
        }
    }
    schedule(0, Kind::BusSlot);
    while (!m_events.empty() && !m_finished) {
        const Event e = m_events.top();
        m_events.pop();
        m_now = e.at;
        switch (e.kind) {
        case Kind::Fire: fire(e.lane, e.stage, e.index); break;
        case Kind::PowerOff: trace(m_now, e.lane + 1, QStringLiteral("power off")); break;
        case Kind::PowerOn: {
            Lane &lane = m_lanes[e.lane];
            for (const TargetShot &shot : lane.target.page())
                m_fired[shot.id].lostMs = m_now;
            lane.target.powerUp(m_now);
            trace(m_now, e.lane + 1, QStringLiteral("power back, page empty"));
            break;
        }
        case Kind::StartCopy: startCopy(e.stage, e.index); break;
        case Kind::StageEnd: endStage(e.stage); break;
        case Kind::BusSlot: busSlot(); break;
        case Kind::BusRead: busRead(); break;
        case Kind::Deliver: deliver(); break;
        }
    }
    m_out.simulatedMs = m_now;
    return m_out;
}

void Simulation::fire(int l, int s, int index)
{
    Lane &lane = m_lanes[l];
    const PlannedShot &plan = m_road.stages.at(s).shots.at(l).at(index);
    Fired fired;
    fired.lane = l;
    fired.stage = s;
    fired.atMs = m_now;
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

void Simulation::startCopy(int s, int copy)
{
    if (copy == 0)
        trace(m_now, 0, QStringLiteral("START %1 (%2)").arg(s + 1).arg(m_road.stages.at(s).name));
    for (int l = 0; l < m_lanes.size(); ++l) {
        Lane &lane = m_lanes[l];
        lane.poll.startWritten();
        if (lane.deafAt(m_now) || lane.plan.missesStart.at(s))
            continue;
        if (lane.target.takeStart(m_now)) {
            lane.tookStart[s] = true;
            trace(m_now, l + 1, QStringLiteral("takes START copy %1").arg(copy + 1));
        }
    }
    if (copy == kStartCopies - 1) {
        Report r;
        r.type = Report::Started;
        r.stage = s;
        report(r, m_now + kPollGapMaxMs);
    }
}

void Simulation::endStage(int s)
{
    if (m_ended.at(s) || s != m_stage)
        return;
    m_ended[s] = true;
    const StagePlan &stage = m_road.stages.at(s);
    trace(m_now, 0, QStringLiteral("end of %1").arg(stage.name));
    m_reading = false;
    for (int l = 0; l < m_lanes.size(); ++l) {
        Lane &lane = m_lanes[l];
        lane.poll.want(-1);
        if (stage.pistol) {
            const LaneStart::Word word = lane.judge.endPage();
            if (word != LaneStart::Word::None) {
                lane.told = true;
                trace(m_now, l + 1, QStringLiteral("endPage word %1").arg(int(word)));
                checkWord(l, word);
            }
        }
        if (stage.rifleStop && lane.judge.holdsShots()) {
            lane.told = true;
            trace(m_now, l + 1, QStringLiteral("STOP: %1 held").arg(lane.judge.heldCount()));
        }
    }
    checkPage(s);
    m_finished = s == m_road.stages.size() - 1;
}

void Simulation::busSlot()
{
    int l = -1;
    for (int i = 0; i < m_lanes.size(); ++i) {
        const int candidate = (m_nextLane + i) % m_lanes.size();
        if (m_lanes.at(candidate).poll.wanted() > 0) {
            l = candidate;
            break;
        }
    }
    if (l < 0) {
        schedule(m_now + kIdleMs, Kind::BusSlot);
        return;
    }
    m_nextLane = l + 1;
    Lane &lane = m_lanes[l];
    const qint64 pollMs = m_now;
    if (lane.poll.pollDue(pollMs)) {
        Report r;
        r.type = Report::Heard;
        r.lane = l;
        report(r, pollMs);
    }
    lane.poll.pollWritten();
    ++m_out.polls;
    if (lane.deafAt(pollMs) || m_rng.permille(lane.plan.lossPermille)) {
        schedule(pollMs + kPollTimeoutMs + m_rng.range(kPollGapMinMs, kPollGapMaxMs), Kind::BusSlot);
        return;
    }
    InFlight answer;
    answer.lane = l;
    if (m_rng.permille(lane.plan.garblePermille)) {
        answer.noise = true;
    } else if (!lane.given.isEmpty() && lane.given.first().atMs >= pollMs - kCopyWithinMs
               && m_rng.permille(lane.plan.copyPermille)) {
        const Given &copy = lane.given.at(int(m_rng.range(0, lane.given.size() - 1)));
        answer.isShot = copy.isShot;
        answer.shot = copy.shot;
    } else {
        const TargetShot *shot = lane.target.shot(lane.poll.wanted());
        answer.isShot = shot != nullptr;
        if (shot)
            answer.shot = shot->answer;
        lane.given.append({pollMs, answer.isShot, answer.shot});
        while (lane.given.size() > kCopiesKept || lane.given.first().atMs < pollMs - kCopyWithinMs)
            lane.given.removeFirst();
    }
    m_inFlight = answer;
    schedule(pollMs + m_rng.range(kAnswerMinMs, lane.plan.slow ? kSlowAnswerMaxMs : kAnswerMaxMs),
             Kind::BusRead);
}

void Simulation::busRead()
{
    const InFlight a = m_inFlight;
    Lane &lane = m_lanes[a.lane];
    schedule(m_now + m_rng.range(kPollGapMinMs, kPollGapMaxMs), Kind::BusSlot);
    if (a.noise)
        return;
    if (lane.poll.heard()) {
        Report r;
        r.type = Report::Heard;
        r.lane = a.lane;
        r.heard = true;
        report(r, m_now);
    }
    const LanePoll::Reading reading = lane.poll.read(a.isShot ? a.shot.number : 0);
    if (reading.kind == LanePoll::Reading::Dropped)
        return;
    Report r;
    r.lane = a.lane;
    r.type = reading.kind == LanePoll::Reading::Shot ? Report::Shot : Report::NoShot;
    r.shot = a.shot;
    r.shot.number = reading.number;
    report(r, m_now);
}

void Simulation::report(const Report &r, qint64 readMs)
{
    const bool busy = std::any_of(m_road.busy.cbegin(), m_road.busy.cend(),
                                  [readMs](const Interval &i) { return i.contains(readMs); });
    const qint64 delay = busy ? m_rng.range(kBusyDelayMinMs, kBusyDelayMaxMs) : m_rng.range(1, 5);
    m_lastDeliverMs = std::max(m_lastDeliverMs, readMs + delay);
    m_reports.push_back(r);
    schedule(m_lastDeliverMs, Kind::Deliver);
}

void Simulation::deliver()
{
    const Report r = m_reports.front();
    m_reports.pop_front();
    if (r.type == Report::Started) {
        m_stage = r.stage;
        m_reading = true;
        trace(m_now, 0, QStringLiteral("START %1 confirmed").arg(r.stage + 1));
        for (Lane &lane : m_lanes) {
            lane.judge.beginPage(m_now);
            lane.sub = 0;
            lane.told = false;
            lane.stuckNumber = 0;
        }
        for (int l = 0; l < m_lanes.size(); ++l)
            request(l);
        return;
    }
    Lane &lane = m_lanes[r.lane];
    if (r.type == Report::Heard) {
        trace(m_now, r.lane + 1, r.heard ? QStringLiteral("heard") : QStringLiteral("silent"));
        lane.judge.setHeard(r.heard, m_now);
        if (r.heard && m_reading && lane.judge.checksPage())
            request(r.lane);
        return;
    }
    if (!m_reading)
        return;
    if (r.type == Report::Shot) {
        trace(m_now, r.lane + 1, QStringLiteral("answer %1").arg(Content::of(r.shot).text()));
        act(r.lane, lane.judge.answer(r.shot, m_now));
        const int n = r.shot.number;
        if (lane.poll.wanted() != n) {
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
    if (verdict.store.isEmpty() && verdict.withdraw.isEmpty() && !verdict.lostPage
        && verdict.word == LaneStart::Word::None && lastBulletNumber(lane) == asked)
        return;
    if (lane.tracedLacking != r.shot.number)
        trace(m_now, r.lane + 1, QStringLiteral("no shot %1").arg(r.shot.number));
    lane.tracedLacking = r.shot.number;
    act(r.lane, verdict);
}

void Simulation::act(int l, const LaneStart::Verdict &verdict)
{
    Lane &lane = m_lanes[l];
    if (verdict.lostPage) {
        ++lane.sub;
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
        // The list keeps one row per number of its page.
        if (std::any_of(lane.rows.cbegin(), lane.rows.cend(), [&](const Row &row) {
                return row.stage == m_stage && row.sub == lane.sub && row.content.number == c.number;
            }))
            continue;
        lane.rows.append({m_stage, lane.sub, c});
        trace(m_now, l + 1, QStringLiteral("stores %1").arg(c.text()));
    }
    for (const Content &c : qAsConst(removed)) {
        const bool again = std::any_of(verdict.store.cbegin(), verdict.store.cend(),
                                       [&](const LaneStart::Take &t) { return Content::of(t.shot) == c; });
        if (!again && rightContent(l, m_stage, c) && !earlierContent(l, m_stage, c))
            fail(Invariant::RightWithdrawn, l, m_stage, QStringLiteral("withdrew %1").arg(c.text()));
    }
    request(l);
    const StagePlan &stage = m_road.stages.at(m_stage);
    if (stage.rifleStop && std::all_of(m_lanes.cbegin(), m_lanes.cend(), [this](const Lane &x) { return done(x); }))
        schedule(m_now, Kind::StageEnd, 0, m_stage);
}

void Simulation::checkWord(int l, LaneStart::Word word)
{
    const Lane &lane = m_lanes.at(l);
    const StagePlan &stage = m_road.stages.at(m_stage);
    const bool cut = std::any_of(lane.plan.off.cbegin(), lane.plan.off.cend(), [&](const Interval &i) {
        return i.meets(stage.startMs, m_now + 1);
    });
    if ((word == LaneStart::Word::Missed || word == LaneStart::Word::Withdrawn) && lane.tookStart.at(m_stage) && !cut)
        fail(Invariant::FalseMissed, l, m_stage, QStringLiteral("word %1").arg(int(word)));
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
    const int expected = m_road.stages.at(m_stage).expected;
    return expected > 0
        && std::count_if(lane.rows.cbegin(), lane.rows.cend(), [this](const Row &r) { return r.stage == m_stage; })
        >= expected;
}

void Simulation::request(int l)
{
    Lane &lane = m_lanes[l];
    if (done(lane))
        return;
    const int n = lastBulletNumber(lane) + 1;
    if (n >= 1 && n <= ModelTarget::kPageSize)
        lane.poll.want(n);
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

void Simulation::checkPage(int s)
{
    const StagePlan &stage = m_road.stages.at(s);
    for (int l = 0; l < m_lanes.size(); ++l) {
        const Lane &lane = m_lanes.at(l);
        QVector<Content> rows, right;
        for (const Row &row : lane.rows) {
            if (row.stage == s)
                rows.append(row.content);
        }
        QVector<const Fired *> due;
        const bool answered = lane.heardThrough(m_now - stage.readRoomMs, m_now);
        for (const Fired &f : qAsConst(m_fired)) {
            if (f.lane != l || f.stage != s || !f.recorded)
                continue;
            right.append(f.content);
            if (stage.readRoomMs >= 0 && answered && f.atMs <= m_now - stage.readRoomMs && f.lostMs > m_now)
                due.append(&f);
        }
        QVector<Content> seen;
        for (const Content &c : qAsConst(rows)) {
            if (seen.contains(c))
                continue;
            seen.append(c);
            const int stored = int(rows.count(c));
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
        if (lane.told)
            continue;
        for (const Fired *f : qAsConst(due)) {
            const int need = int(std::count_if(due.cbegin(), due.cend(),
                                               [f](const Fired *g) { return g->content == f->content; }));
            if (rows.count(f->content) < need) {
                fail(Invariant::RightLost, l, s,
                     QStringLiteral("%1 fired at %2 s not stored, no word")
                         .arg(f->content.text()).arg(double(f->atMs) / 1000.0, 0, 'f', 1));
                break;
            }
        }
    }
}

} // namespace

Outcome runRoad(quint64 seed, const Options &options)
{
    Simulation simulation(seed, options);
    return simulation.run();
}

} // namespace LaneModel
