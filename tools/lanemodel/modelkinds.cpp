// The road kinds besides the ordinary mix: each draws from a stream of its
// own, so the ordinary roads of a seed stay what they were.

#include "modelroad.h"
#include "modeltarget.h"

namespace LaneModel {

namespace {

constexpr quint64 kKindStream = Q_UINT64_C(0x6B696E64726F6164);
// Late copies: the lanes' answers of the last moments come again this often
// from a while before each START to a while after it.
constexpr qint64 kCopiesBeforeMs = 2000;
constexpr qint64 kCopiesAfterMs = 4000;
constexpr int kCopiesMinPermille = 50;
constexpr int kCopiesMaxPermille = 300;
// Busy: from just before each START to a few seconds after it (the program
// reads what the bus reports 0.1-0.8 s late then).
constexpr qint64 kBusyBeforeMaxMs = 500;
constexpr qint64 kBusyAfterMinMs = 1000;
constexpr qint64 kBusyAfterMaxMs = 4000;
// Rapid-fire windows settled this long after their end, as the exercise
// settles them: their shots are read through it.
constexpr qint64 kSettledAfterMs = 5000;
// The deaf lane at x10: the range's poll gap, the shooters' pace a tenth of
// the real one but no less than 2 s, the lane deaf from 2.5 s before the
// sighting's end (give or take) to some seconds after the match START.
constexpr int kRangePollGapMs = 200;
constexpr qint64 kPaceMinMs = 2000;
constexpr qint64 kPaceMaxMs = 2600;
constexpr int kMinLanes = 5;

QVector<PlannedShot> paced(Rng &rng, QPoint point, qint64 from, qint64 to, qint64 paceMs, int most)
{
    QVector<PlannedShot> shots;
    for (qint64 at = from + rng.range(500, 3000); at < to && shots.size() < most;
         at += paceMs + rng.range(-200, 200)) {
        shots.append({at, point + QPoint(int(rng.range(-300, 300)), int(rng.range(-300, 300))), 0});
    }
    return shots;
}

// Every lane of a rifle relay shoots its sighting and its match at a x10
// pace, the match some seconds after the sighting.
void paceRifle(Road &road, Rng &rng)
{
    if (road.stages.size() < 2 || !road.stages.at(1).rifleStop)
        return;
    road.pollGapMs = kRangePollGapMs;
    StagePlan &sighting = road.stages[0];
    StagePlan &match = road.stages[1];
    const qint64 gap = match.startMs - sighting.endMs;
    match.startMs = sighting.endMs + std::min(gap, rng.range(2000, 10000));
    const int count = int(rng.range(10, 40));
    match.expected = count;
    qint64 last = match.startMs;
    for (int l = 0; l < match.shots.size(); ++l) {
        const qint64 pace = rng.range(kPaceMinMs, kPaceMaxMs);
        const QPoint point(int(rng.range(-300, 300)), int(rng.range(-300, 300)));
        sighting.shots[l] = paced(rng, point, sighting.startMs, sighting.endMs, pace, ModelTarget::kPageSize / 2);
        match.shots[l] = paced(rng, point, match.startMs, match.startMs + 10 * 60000, pace, count);
        if (!match.shots.at(l).isEmpty())
            last = std::max(last, match.shots.at(l).last().atMs);
    }
    match.endMs = last + kMatchTailMs;
}

} // namespace

int stagesOfKind(RoadKind roadKind, int drawn)
{
    switch (roadKind) {
    case RoadKind::PistolSettledLate: return 2;
    case RoadKind::DeafManyLanes: return 0;
    default: return drawn;
    }
}

int lanesOfKind(RoadKind roadKind, int drawn)
{
    return roadKind == RoadKind::DeafManyLanes ? kMinLanes + (drawn - 1) % (11 - kMinLanes) : drawn;
}

void shapeStages(Road &road, quint64 seed, RoadKind roadKind)
{
    Rng rng(seed ^ kKindStream);
    if (roadKind == RoadKind::DeafManyLanes)
        paceRifle(road, rng);
    if (roadKind != RoadKind::PistolSettledLate)
        return;
    for (StagePlan &stage : road.stages) {
        if (stage.pistol && stage.lane == 0 && stage.expected > 1) {
            stage.endMs = stage.endMs - stage.readRoomMs + kSettledAfterMs;
            stage.readRoomMs = kSettledAfterMs;
        }
    }
}

QStringList shapeFaults(Road &road, quint64 seed, RoadKind roadKind)
{
    Rng rng((seed ^ kKindStream) + 1);
    QStringList said;
    if (roadKind == RoadKind::CopiesAtStarts || roadKind == RoadKind::BusyCopiesAtStarts) {
        for (int l = 0; l < road.lanes.size(); ++l) {
            LanePlan &lane = road.lanes[l];
            lane.copyingPermille = int(rng.range(kCopiesMinPermille, kCopiesMaxPermille));
            for (const StagePlan &stage : qAsConst(road.stages))
                lane.copying.append({stage.startMs - kCopiesBeforeMs, stage.startMs + kCopiesAfterMs});
        }
        said << QStringLiteral("late copies around each START");
    }
    if (roadKind == RoadKind::BusyCopiesAtStarts) {
        for (const StagePlan &stage : qAsConst(road.stages)) {
            road.busy.append({stage.startMs - rng.range(0, kBusyBeforeMaxMs),
                              stage.startMs + rng.range(kBusyAfterMinMs, kBusyAfterMaxMs)});
        }
        said << QStringLiteral("read late across each START");
    }
    if (roadKind == RoadKind::PistolSettledLate)
        said << QStringLiteral("windows settled 5 s after their end");
    if (roadKind == RoadKind::DeafManyLanes && road.pollGapMs > 0) {
        const int l = int(rng.range(0, road.lanes.size() - 1));
        const qint64 from = road.stages.at(0).endMs - rng.range(1500, 3500);
        const qint64 to = road.stages.at(1).startMs + rng.range(3000, 15000);
        road.lanes[l].deaf.append({from, to});
        said << QStringLiteral("every lane shooting every 2-2.6 s, a match of %1 shots, polls %2 ms apart, "
                               "lane %3 deaf %4-%5 s across the match START")
                    .arg(road.stages.at(1).expected).arg(road.pollGapMs).arg(l + 1).arg(seconds(from), seconds(to));
    }
    return said;
}

} // namespace LaneModel
