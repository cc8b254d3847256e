// The cost of one lane's START judgement per answer on long pages: the real
// LaneStart, fed what the bus reads from one target, poll by poll.
//
// The target takes START 1 and answers "no shot 1" for 8.5 s; its lane goes
// unanswered from then on (called silent 1 s later), START 2 goes out 1.5 s
// after the silence began (the target takes it, unheard) and the lane is
// heard again 1 s after START 2, so its page is judged: it may have been
// switched off and on in the silence. Then the target records a page of N
// shots, each stamped on its own clock (15 per mille fast, whole tenths
// since the START it took); the bus polls every 100-200 ms for the next
// shot the lane asks for and reads the answer 30 ms later.
//   judged    the first shot 4 s after START 2: every shot is proven after
//             it, but the lane stays judged (both accounts fit);
//   held      the first shot 0.5 s after START 2, and the lane stays
//             unanswered until 1 s after the last one, while the silence
//             began longer before START 2 than the page's last own time:
//             read one after another with no "no shot" between them, every
//             shot may belong to a page begun in the silence, taken before
//             START 2, and stays held for the whole page (the row ends
//             with all of them held);
//   flap 1/3  as judged, and after every (every third) shot is read the
//             lane drops off the bus for 1.3 s and comes back;
//   3 hours   as judged, on one page for three hours: back from each
//             silence the lane gives two answers (the shot it is asked for
//             again, and the next poll's) and drops off the bus for 1.6 s,
//             about 5,400 silences, while its shooter fires a page's 255
//             shots 38-46 s apart. It prints, at 1,000, 2,000, 5,400 and
//             10,000 answers and at its end, the answers' mean and worst
//             cost since the checkpoint before and the accounts the page is
//             judged against.
// Shots come 0.6-1 s apart, 1.6-2.4 s when the lane drops off.
// For each road and page size: the answers read, their mean cost, the mean
// of the last tenth of the page's answers (the cost at that size), and the
// worst one, each answer's cost the least of up to three runs of the road,
// and the shots stored and held at the end.
// A road that runs past the budget stops there and says at which shot.
//   bench_lanestart [budget seconds per road, default 60] [page sizes, default 60,255,1000]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPoint>
#include <QVector>

#include <algorithm>
#include <set>
#include <vector>

#include "benchreport.h"
#include "lanepoll.h"
#include "lanestart.h"
#include "modeltarget.h"

using BenchReport::report;
using LaneModel::Rng;

namespace {

constexpr qint64 kStart1Ms = 0;
constexpr qint64 kSilentFromMs = 8500;
constexpr qint64 kSilentBeforeStart2Ms = 1500;
constexpr qint64 kHeldLeadMs = 10000; // the held road's silence begins this much earlier still
constexpr qint64 kHeardAfterMs = 1000; // after START 2 (the held road: after its last shot)
constexpr qint64 kTakesStartEarlyMs = 50; // the target takes a START before we read its confirmation
constexpr qint64 kReadAfterMs = 30;       // a poll's answer is read this long after it went out
constexpr int kDriftPerMille = 15;
constexpr qint64 kDropForMs = 1300;       // a lane off the bus this long is called silent
constexpr int kRuns = 3;                  // each road is played up to this often
constexpr qint64 kRepeatWithinMs = 10000; // while a run takes no longer
constexpr int kPageShots = 255;           // a target's page holds no more
constexpr qint64 kHoursDropMs = 1600;     // the 3-hour road: off the bus this long
constexpr int kHoursAnswersHeard = 2;     // and this many answers between
const int kCheckpoints[] = {1000, 2000, 5400, 10000};

enum class Road { Judged, Held, FlapEvery, FlapThird, Hours };

const char *roadName(Road road)
{
    switch (road) {
    case Road::Judged: return "judged";
    case Road::Held: return "held";
    case Road::FlapEvery: return "flap every shot";
    case Road::FlapThird: return "flap every 3rd";
    case Road::Hours: return "3 hours";
    }
    return "";
}

int flapEvery(Road road)
{
    return road == Road::FlapEvery ? 1 : road == Road::FlapThird ? 3 : 0;
}

// A target's memory: its shots, stamped with its own clock since the START it took.
struct Target
{
    qint64 originMs = 0;
    QVector<qint64> takenMs;
    QVector<LaneShot> page;

    void takeStart(qint64 atMs)
    {
        originMs = atMs;
        takenMs.clear();
        page.clear();
    }
    void fire(qint64 atMs, int seed)
    {
        const int tenths = int((atMs - originMs) * (1000 + kDriftPerMille) / 1000 / 100);
        page.append({page.size() + 1, QPoint(seed % 997, seed % 991), tenths, 1});
        takenMs.append(atMs);
    }
    // The shot n as it answers at atMs; nullptr: "no shot".
    const LaneShot *shot(int n, qint64 atMs) const
    {
        return n >= 1 && n <= page.size() && takenMs.at(n - 1) <= atMs ? &page.at(n - 1) : nullptr;
    }
};

// The 3-hour road at one moment: answers timed so far, silences, accounts.
struct Checkpoint
{
    int answers = 0;
    int silences = 0;
    int accounts = 0;
};

struct Figures
{
    std::vector<qint64> samples; // ns, in the order read
    QVector<Checkpoint> checkpoints;
    int silences = 0;
    int shotsRead = 0;
    bool cut = false;
    LaneStart::State state = LaneStart::State::Fresh;
    int stored = 0;
    int held = 0;
};

Figures play(Road road, int shots, qint64 budgetMs)
{
    Rng rng(quint64(shots) * 31 + quint64(road)); // the same road on every run
    LaneStart lane;
    Target target;
    std::set<int> stored;
    QElapsedTimer wall;
    wall.start();
    QElapsedTimer timer;
    Figures figures;
    const auto apply = [&](const LaneStart::Verdict &verdict) {
        for (int number : verdict.withdraw)
            stored.erase(number);
        for (const LaneStart::Take &take : verdict.store)
            stored.insert(take.shot.number);
        if (verdict.lostPage)
            stored.clear();
    };

    // The shots' moments after START 2, on our clock.
    const int every = flapEvery(road);
    QVector<qint64> firesAfter;
    qint64 at = road == Road::Held ? 500 : 4000;
    for (int n = 1; n <= shots; ++n) {
        firesAfter.append(at);
        at += road == Road::Hours ? rng.range(38000, 46000) : every > 0 ? rng.range(1600, 2400) : rng.range(600, 1000);
    }
    // A page begun in the silence may hold a shot taken before START 2
    // while the silence began more than the shot's own time before it.
    const qint64 lastOwnMs = firesAfter.last() * (1000 + kDriftPerMille) / 1000;
    const qint64 start2 =
        kSilentFromMs + (road == Road::Held ? lastOwnMs + kHeldLeadMs : kSilentBeforeStart2Ms);
    QVector<qint64> firesAt;
    for (qint64 after : qAsConst(firesAfter))
        firesAt.append(start2 + after);

    target.takeStart(kStart1Ms - kTakesStartEarlyMs);
    lane.beginPage(kStart1Ms);
    bool heard = true;
    bool started2 = false;
    qint64 deafFrom = kSilentFromMs;
    const qint64 heardAt = (road == Road::Held ? firesAt.last() : start2) + kHeardAfterMs;
    qint64 deafUntil = heardAt;
    int fired = 0;
    int flapped = 0;
    int heardSince = 0; // answers since the lane was last heard back
    const auto checkpoint = [&] {
        figures.checkpoints.append({int(figures.samples.size()), figures.silences, lane.accountCount()});
    };
    for (qint64 poll = kStart1Ms + 100;; poll += rng.range(100, 200)) {
        if (!started2 && poll >= start2) {
            started2 = true;
            target.takeStart(start2 - kTakesStartEarlyMs);
            lane.beginPage(start2);
        }
        for (; fired < firesAt.size() && firesAt.at(fired) <= poll; ++fired)
            target.fire(firesAt.at(fired), (fired + 1) * 7919);
        // Unanswered polls: the bus master calls the lane silent after a while.
        if (poll >= deafFrom && poll < deafUntil) {
            if (heard && poll - deafFrom >= LanePoll::kSilentAfterMs) {
                lane.setHeard(false, poll);
                heard = false;
                ++figures.silences;
            }
            continue;
        }
        const qint64 readMs = poll + kReadAfterMs;
        if (!heard) {
            lane.setHeard(true, readMs);
            heard = true;
            heardSince = 0;
        }
        const int storedUpTo = stored.empty() ? 0 : *stored.rbegin();
        const int n = lane.lastRead(storedUpTo) + 1;
        const LaneShot *shot = target.shot(n, poll);
        timer.start();
        const LaneStart::Verdict verdict = shot ? lane.answer(*shot, readMs) : lane.noShot(n, readMs);
        const qint64 ns = timer.nsecsElapsed();
        apply(verdict);
        if (started2 && poll >= heardAt) {
            figures.samples.push_back(ns);
            const int answers = int(figures.samples.size());
            if (road == Road::Hours && std::find(std::begin(kCheckpoints), std::end(kCheckpoints), answers)
                    != std::end(kCheckpoints))
                checkpoint();
        }
        if (road == Road::Hours && started2 && poll >= heardAt && ++heardSince >= kHoursAnswersHeard
            && fired < shots) {
            deafFrom = readMs + 1;
            deafUntil = deafFrom + kHoursDropMs;
        }
        if (shot && n > figures.shotsRead) {
            figures.shotsRead = n;
            if (every > 0 && n > flapped && n % every == 0 && n < shots) {
                flapped = n;
                deafFrom = readMs + 1;
                deafUntil = deafFrom + kDropForMs;
            }
        }
        if (figures.shotsRead >= shots && fired >= shots && poll > firesAt.last() + 2000)
            break;
        if (wall.elapsed() > budgetMs) {
            figures.cut = true;
            break;
        }
    }
    if (road == Road::Hours)
        checkpoint();
    figures.state = lane.state();
    figures.stored = int(stored.size());
    figures.held = lane.heldCount();
    return figures;
}

QString stateName(LaneStart::State state)
{
    switch (state) {
    case LaneStart::State::Fresh: return QStringLiteral("Fresh");
    case LaneStart::State::Taken: return QStringLiteral("Taken");
    case LaneStart::State::Judging: return QStringLiteral("Judging");
    case LaneStart::State::New: return QStringLiteral("New");
    case LaneStart::State::Kept: return QStringLiteral("Kept");
    case LaneStart::State::Other: return QStringLiteral("Other");
    }
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = BenchReport::arguments(
        app, QStringLiteral("Cost per answer of one lane's START judgement on long pages"),
        {{QStringLiteral("budget"), QStringLiteral("Seconds each road may run before it is cut (default 60).")},
         {QStringLiteral("sizes"), QStringLiteral("Shots on the page, comma-separated (default 60,255,1000).")}});
    const qint64 budgetMs = (args.size() > 0 ? std::max(1, args.at(0).toInt()) : 60) * Q_INT64_C(1000);
    QVector<int> sizes{60, 255, 1000};
    if (args.size() > 1) {
        sizes.clear();
        for (const QString &s : args.at(1).split(QLatin1Char(',')))
            sizes.append(std::max(1, s.toInt()));
    }
    report(QStringLiteral("%1 %2 %3 %4 %5 %6  %7")
               .arg(QStringLiteral("road"), -16)
               .arg(QStringLiteral("shots"), 5)
               .arg(QStringLiteral("answers"), 7)
               .arg(QStringLiteral("mean ms"), 9)
               .arg(QStringLiteral("end ms"), 9)
               .arg(QStringLiteral("max ms"), 9)
               .arg(QStringLiteral("lane at the end")));
    const auto meanOf = [](std::vector<qint64>::const_iterator from, std::vector<qint64>::const_iterator to) {
        const qint64 count = std::max<qint64>(1, to - from);
        qint64 sum = 0;
        for (auto it = from; it != to; ++it)
            sum += *it;
        return double(sum) / double(count) / 1e6;
    };
    const auto maxOf = [](std::vector<qint64>::const_iterator from, std::vector<qint64>::const_iterator to) {
        return from == to ? 0.0 : double(*std::max_element(from, to)) / 1e6;
    };
    const auto measure = [&](Road road, int shots) {
        // The road is the same on every run: the least of each answer's
        // costs leaves out what other programs on the machine took.
        Figures f = play(road, shots, budgetMs);
        QElapsedTimer wall;
        for (int run = 1; run < kRuns && !f.cut; ++run) {
            wall.start();
            const Figures again = play(road, shots, budgetMs);
            for (size_t i = 0; i < f.samples.size() && i < again.samples.size(); ++i)
                f.samples[i] = std::min(f.samples[i], again.samples[i]);
            if (wall.elapsed() > kRepeatWithinMs)
                break;
        }
        const std::vector<qint64> &s = f.samples;
        report(QStringLiteral("%1 %2 %3 %4 %5 %6  %7, stored %8, held %9%10")
                   .arg(QString::fromLatin1(roadName(road)), -16)
                   .arg(shots, 5)
                   .arg(qint64(s.size()), 7)
                   .arg(meanOf(s.cbegin(), s.cend()), 9, 'f', 4)
                   .arg(meanOf(s.cbegin() + qint64(s.size()) * 9 / 10, s.cend()), 9, 'f', 4)
                   .arg(maxOf(s.cbegin(), s.cend()), 9, 'f', 4)
                   .arg(stateName(f.state))
                   .arg(f.stored)
                   .arg(QStringLiteral("%1 of %2").arg(f.held).arg(shots))
                   .arg(f.cut ? QStringLiteral(", cut at shot %1").arg(f.shotsRead) : QString()));
        return f;
    };
    for (Road road : {Road::Judged, Road::Held, Road::FlapEvery, Road::FlapThird}) {
        for (int shots : qAsConst(sizes))
            measure(road, shots);
    }
    // Each stretch between two checkpoints: a cost that grows with the
    // page's age shows in its mean.
    const Figures hours = measure(Road::Hours, kPageShots);
    int from = 0;
    for (const Checkpoint &c : hours.checkpoints) {
        const auto begin = hours.samples.cbegin();
        report(QStringLiteral("  up to %1 answers, %2 silences: mean %3 ms, max %4 ms, %5 accounts")
                   .arg(c.answers, 6)
                   .arg(c.silences, 5)
                   .arg(meanOf(begin + from, begin + c.answers), 0, 'f', 4)
                   .arg(maxOf(begin + from, begin + c.answers), 0, 'f', 4)
                   .arg(c.accounts));
        from = c.answers;
    }
    return 0;
}
