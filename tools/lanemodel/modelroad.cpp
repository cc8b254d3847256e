#include "modelroad.h"

#include <algorithm>

#include <QStringList>

#include "modeltarget.h"

namespace LaneModel {

namespace {

constexpr int kPistolShots = 5;
constexpr qint64 kOneShotWindowMs = 3000;
// The exercise's grace time after a window: the window's shots are read
// through it, then the window is settled.
constexpr qint64 kGraceMs = 5000;
// Whether a rapid-fire road has one-shot windows, apart from the main
// stream, so that the other roads stay what they were.
constexpr quint64 kOneShotStream = Q_UINT64_C(0x0DDBA11CAFEF00D5);
// Whether the operator gives each next START as soon as a series is settled
// (the exercise stops the reading and gives it at once, answers still on the
// line), from a stream of its own for the same reason.
constexpr quint64 kAtOnceStream = Q_UINT64_C(0x57A27A70AC1F1C4E);
constexpr int kAtOncePermille = 300;
constexpr qint64 kAtOnceWithinMs = 40;
// Whether the operator lets one lane re-shoot in a pistol stage's break,
// from a stream of its own too. Half the re-shoots are given as soon as the
// stage is settled, its last polls still on the line.
constexpr quint64 kReshootStream = Q_UINT64_C(0x2E5800715EED0B1E);
constexpr int kReshootPermille = 250;
constexpr int kReshootAtOncePermille = 500;
// Whether the lanes are behind two converters, one of which is lost now
// and then, from a stream of its own too.
constexpr quint64 kConverterStream = Q_UINT64_C(0xC0417E47E2105E5D);
constexpr int kTwoConvertersPermille = 250;
constexpr qint64 kMatchReadRoomMs = 15000;

enum class Style { Free, Identical, Rig };

struct Shooter
{
    Style style = Style::Free;
    QPoint point;
    qint8 place = 0;
    qint64 rigFirstMs = 0; // a rig fires at the same moments after each START
    qint64 rigGapMs = 0;
};

// count moments in [from, to], at least minGap apart, in order; the first
// comes right after `from` when the shooter is quick off the mark.
QVector<qint64> moments(Rng &rng, int count, qint64 from, qint64 to, qint64 minGap, bool quick)
{
    QVector<qint64> times;
    if (count <= 0)
        return times;
    if (quick) {
        times.append(from + rng.range(100, 400));
        --count;
        from = times.last() + minGap;
    } else {
        from += rng.range(600, 3000);
    }
    minGap = std::min(minGap, std::max<qint64>(1, (to - from) / std::max(1, count)));
    const qint64 room = std::max<qint64>(0, to - from - (count - 1) * minGap);
    QVector<qint64> draws;
    for (int i = 0; i < count; ++i)
        draws.append(rng.range(0, room));
    std::sort(draws.begin(), draws.end());
    for (int i = 0; i < count; ++i)
        times.append(from + draws.at(i) + i * minGap);
    return times;
}

QVector<PlannedShot> shotsOf(Rng &rng, const Shooter &shooter, int count, qint64 from, qint64 to,
                             qint64 minGap)
{
    QVector<qint64> times;
    if (shooter.style == Style::Rig) {
        for (int i = 0; i < count; ++i)
            times.append(std::min(to, from + shooter.rigFirstMs + i * shooter.rigGapMs));
    } else {
        times = moments(rng, count, from, to, minGap, rng.permille(150));
    }
    QVector<PlannedShot> shots;
    for (qint64 at : qAsConst(times)) {
        QPoint point = shooter.point;
        if (shooter.style == Style::Free) {
            point.setX(int(rng.range(-600, 600)));
            point.setY(int(rng.range(-600, 600)));
        }
        shots.append({at, point, shooter.place});
    }
    return shots;
}

qint64 lengthOfFault(Rng &rng)
{
    const int kind = int(rng.range(0, 99));
    if (kind < 45)
        return rng.range(50, 1500);
    if (kind < 80)
        return rng.range(1500, 15000);
    return rng.range(15000, 150000);
}

// Splits the lanes between two converters and takes the second one away
// (its cable out) once to three times, mostly across a START: its lanes
// hear nothing then, while the first one's are served.
void addConverterLosses(Road &road, quint64 seed, QStringList &faults)
{
    Rng rng(seed ^ kConverterStream);
    const int laneCount = road.lanes.size();
    if (laneCount < 2 || !rng.permille(kTwoConvertersPermille))
        return;
    const int first = int(rng.range(1, laneCount - 1)); // lanes on port 1
    for (int l = 0; l < laneCount; ++l)
        road.portOf.append(l < first ? 1 : 2);
    road.away = {{}, {}};
    const qint64 roadEnd = road.stages.last().endMs;
    for (int n = int(rng.range(1, 3)); n > 0; --n) {
        const int kind = int(rng.range(0, 9));
        const qint64 length = kind < 4 ? rng.range(1000, 4000) : kind < 8 ? rng.range(4000, 40000)
                                                                          : rng.range(40000, 120000);
        qint64 centre = rng.range(0, roadEnd);
        if (rng.permille(700))
            centre = road.stages.at(int(rng.range(0, road.stages.size() - 1))).startMs + rng.range(-3000, 3000);
        const qint64 from = std::max<qint64>(0, centre - rng.range(0, length));
        road.away[1].append({from, from + length});
        for (int l = first; l < laneCount; ++l)
            road.lanes[l].deaf.append({from, from + length});
        faults << QStringLiteral("converter of lanes %1-%2 away %3-%4 s")
                      .arg(first + 1).arg(laneCount).arg(seconds(from), seconds(from + length));
    }
}

} // namespace

QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 1);
}

Road makeRoad(quint64 seed, int maxDriftPermille, bool reshoots, RoadKind roadKind)
{
    Rng rng(seed);
    Road road;
    const int kind = stagesOfKind(roadKind, int(rng.range(0, 2)));
    const int laneCount = lanesOfKind(roadKind, int(rng.range(1, 10)));

    QVector<Shooter> shooters(laneCount);
    QStringList styles;
    for (int l = 0; l < laneCount; ++l) {
        Shooter &s = shooters[l];
        const int style = int(rng.range(0, 999));
        s.style = style < 100 ? Style::Identical : style < 150 ? Style::Rig : Style::Free;
        s.point.setX(int(rng.range(-300, 300)));
        s.point.setY(int(rng.range(-300, 300)));
        s.place = qint8(kind == 0 ? rng.range(0, 2) : 0);
        s.rigFirstMs = rng.range(100, 400);
        s.rigGapMs = rng.range(300, 700);
        if (s.style != Style::Free)
            styles << QStringLiteral("lane %1 %2").arg(l + 1).arg(
                s.style == Style::Rig ? QStringLiteral("a rig") : QStringLiteral("one point"));
    }
    auto addStage = [&](const QString &name, qint64 start, qint64 end, qint64 shootTo,
                        int shots, qint64 minGap) {
        StagePlan stage;
        stage.name = name;
        stage.startMs = start;
        stage.endMs = end;
        for (int l = 0; l < laneCount; ++l)
            stage.shots.append(shotsOf(rng, shooters.at(l), shots, start, shootTo, minGap));
        road.stages.append(stage);
        return &road.stages.last();
    };

    qint64 t = rng.range(500, 5000);
    QString what;
    const bool atOnce = Rng(seed ^ kAtOnceStream).permille(kAtOncePermille);
    const auto nextStart = [atOnce](qint64 end, qint64 pause) { return end + (atOnce ? pause % kAtOnceWithinMs : pause); };
    if (kind == 0) {
        const qint64 sighting = rng.range(20000, 120000);
        const int sightingShots = int(rng.range(0, 5));
        StagePlan *s = addStage(QStringLiteral("sighting"), t, t + sighting, t + sighting,
                                sightingShots, 1000);
        // The last sighting shot now and then in the last poll cycle: never read.
        for (auto &lane : s->shots) {
            if (!lane.isEmpty() && rng.permille(200))
                lane.last().atMs = s->endMs - rng.range(0, 300);
        }
        t += sighting + rng.range(2000, 60000);
        const int match = int(rng.range(3, 15));
        s = addStage(QStringLiteral("match"), t, 0, t + match * rng.range(2000, 8000), match, 1000);
        s->expected = match;
        s->rifleStop = true;
        s->readRoomMs = kMatchReadRoomMs;
        qint64 last = t;
        for (const auto &lane : qAsConst(s->shots))
            last = lane.isEmpty() ? last : std::max(last, lane.last().atMs);
        s->endMs = last + kMatchTailMs;
        what = QStringLiteral("rifle: sighting %1 shots in %2 s, match %3 shots")
                   .arg(sightingShots).arg(seconds(sighting)).arg(match);
    } else if (kind == 1) {
        const int series = int(rng.range(1, 5));
        for (int i = 0; i < series; ++i) {
            const qint64 time = rng.range(20000, 90000);
            const qint64 grace = rng.range(8000, 12000);
            StagePlan *s = addStage(QStringLiteral("series %1").arg(i + 1), t, t + time + grace,
                                    t + time - 500, kPistolShots, 1000);
            s->expected = kPistolShots;
            s->pistol = true;
            s->readRoomMs = grace;
            t = nextStart(s->endMs, rng.range(2000, 10000));
        }
        what = QStringLiteral("precision: %1 series%2").arg(series).arg(atOnce ? QStringLiteral(", STARTs at once") : QString());
    } else if (!Rng(seed ^ kOneShotStream).permille(500)) {
        const int windows = int(rng.range(2, 6));
        const qint64 window = rng.range(4000, 8000);
        for (int i = 0; i < windows; ++i) {
            const qint64 pause = rng.range(6000, 10000);
            StagePlan *s = addStage(QStringLiteral("window %1").arg(i + 1), t, t + window + pause,
                                    t + window, kPistolShots, 300);
            s->expected = kPistolShots;
            s->pistol = true;
            s->readRoomMs = pause;
            t = nextStart(s->endMs, rng.range(500, 3000));
        }
        what = QStringLiteral("rapid fire: %1 windows of %2 s%3")
                   .arg(windows).arg(seconds(window)).arg(atOnce ? QStringLiteral(", STARTs at once") : QString());
    } else {
        // The stage as the exercise plays it: a START a window, one shot in
        // its 3 s, the targets turned away for the next 7 s.
        const int series = int(rng.range(1, 2));
        for (int i = 0; i < series * kPistolShots; ++i) {
            const qint64 turnedAway = rng.range(6500, 7500);
            StagePlan *s = addStage(QStringLiteral("window %1").arg(i + 1), t,
                                    t + kOneShotWindowMs + turnedAway, t + kOneShotWindowMs, 1, 300);
            s->expected = 1;
            s->pistol = true;
            t = s->endMs + rng.range(100, 1000);
            // The exercise reads a window through its grace time and
            // settles it there, before the turned-away time is over: it
            // stops the reading, gives the START, and polls again once the
            // START is confirmed.
            s->endMs = s->startMs + kOneShotWindowMs + kGraceMs;
            s->readRoomMs = kGraceMs;
        }
        what = QStringLiteral("rapid fire: %1 one-shot windows of 3 s").arg(series * kPistolShots);
    }

    // A re-shoot in the break after a stage: the shots a lane missed in it
    // (flagged for re-shooting), shot again after the lane's own START in the
    // stage's shooting time and read through the stage's grace time; the
    // next START of the line comes as long after it as it would have after
    // the stage.
    Rng reshoot(seed ^ kReshootStream);
    if (reshoots && road.stages.first().pistol && road.stages.size() >= 2 && reshoot.permille(kReshootPermille)) {
        const int after = int(reshoot.range(0, road.stages.size() - 2));
        StagePlan &before = road.stages[after];
        const int lane = int(reshoot.range(1, laneCount));
        QVector<PlannedShot> &fired = before.shots[lane - 1];
        const int count = int(reshoot.range(1, std::max(1, fired.size())));
        for (int i = 0; i < count && !fired.isEmpty(); ++i)
            fired.remove(int(reshoot.range(0, fired.size() - 1)));
        const qint64 shooting = before.endMs - before.startMs - before.readRoomMs;
        const qint64 start = before.endMs
            + (reshoot.permille(kReshootAtOncePermille) ? reshoot.range(0, kAtOnceWithinMs) : reshoot.range(2000, 10000));
        StagePlan own;
        own.name = QStringLiteral("re-shoot of lane %1").arg(lane);
        own.startMs = start;
        own.endMs = start + shooting + before.readRoomMs;
        own.expected = count;
        own.pistol = true;
        own.readRoomMs = before.readRoomMs;
        own.lane = lane;
        own.shots.resize(laneCount);
        own.shots[lane - 1] = shotsOf(reshoot, shooters.at(lane - 1), count, start,
                                      start + std::max<qint64>(500, shooting - 500), kind == 1 ? 1000 : 300);
        const qint64 shift = own.endMs - before.endMs;
        for (int i = after + 1; i < road.stages.size(); ++i) {
            StagePlan &later = road.stages[i];
            later.startMs += shift;
            later.endMs += shift;
            for (auto &shots : later.shots) {
                for (PlannedShot &shot : shots)
                    shot.atMs += shift;
            }
        }
        what += QStringLiteral(", lane %1 re-shoots %2 after %3%4")
                    .arg(lane).arg(count).arg(before.name)
                    .arg(start - before.endMs < kAtOnceWithinMs + 1 ? QStringLiteral(" at once") : QString());
        road.stages.insert(after + 1, own);
    }

    shapeStages(road, seed, roadKind);
    const qint64 roadEnd = road.stages.last().endMs;
    QStringList faults;
    for (int l = 0; l < laneCount; ++l) {
        LanePlan lane;
        lane.driftPpm = rng.range(-maxDriftPermille * 1000, maxDriftPermille * 1000);
        if (rng.permille(350)) {
            for (int n = int(rng.range(1, 2)); n > 0; --n) {
                const qint64 length = lengthOfFault(rng);
                // Most across a START, the rest anywhere.
                qint64 centre = rng.range(0, roadEnd);
                if (rng.permille(600)) {
                    centre = road.stages.at(int(rng.range(0, road.stages.size() - 1))).startMs;
                    centre += rng.permille(500) ? rng.range(-300, 300) : rng.range(-3000, 3000);
                }
                const qint64 from = std::max<qint64>(0, centre - rng.range(0, length));
                lane.deaf.append({from, from + length});
                faults << QStringLiteral("lane %1 deaf %2-%3 s").arg(l + 1).arg(seconds(from),
                                                                               seconds(from + length));
            }
        }
        if (rng.permille(40)) {
            const qint64 from = rng.range(road.stages.first().startMs, roadEnd - 10000);
            const qint64 length = rng.range(1500, 20000);
            lane.off.append({from, from + length});
            faults << QStringLiteral("lane %1 power off %2-%3 s").arg(l + 1).arg(seconds(from),
                                                                                seconds(from + length));
        }
        for (int i = 0; i < road.stages.size(); ++i) {
            lane.missesStart.append(rng.permille(40));
            if (lane.missesStart.last())
                faults << QStringLiteral("lane %1 misses START %2 heard").arg(l + 1).arg(i + 1);
        }
        const int loss = int(rng.range(0, 99));
        lane.lossPermille = loss < 60 ? 0 : loss < 90 ? int(rng.range(10, 100)) : int(rng.range(100, 300));
        lane.garblePermille = rng.permille(200) ? int(rng.range(5, 30)) : 0;
        lane.copyPermille = rng.permille(200) ? int(rng.range(5, 30)) : 0;
        lane.slow = rng.permille(100);
        if (lane.lossPermille > 0)
            faults << QStringLiteral("lane %1 loses %2%3").arg(l + 1).arg(lane.lossPermille / 10.0).arg('%');
        if (lane.garblePermille > 0 || lane.copyPermille > 0)
            faults << QStringLiteral("lane %1 noise %2/%3 permille").arg(l + 1).arg(lane.garblePermille).arg(
                lane.copyPermille);
        road.lanes.append(lane);
    }
    for (int n = int(rng.range(0, 3)); n > 0; --n) {
        const qint64 from = rng.range(0, roadEnd);
        road.busy.append({from, from + rng.range(200, 3000)});
    }
    addConverterLosses(road, seed, faults);
    faults += shapeFaults(road, seed, roadKind);
    // A rifle match is stopped once every lane had its time after the faults.
    StagePlan &last = road.stages.last();
    if (last.rifleStop) {
        for (const LanePlan &lane : qAsConst(road.lanes)) {
            for (const auto *list : {&lane.deaf, &lane.off}) {
                for (const Interval &i : *list)
                    last.endMs = std::max(last.endMs, i.to + kMatchTailMs);
            }
        }
    }
    road.description = QStringLiteral("%1, %2 lanes").arg(what).arg(laneCount);
    if (!styles.isEmpty())
        road.description += QStringLiteral("; ") + styles.join(QStringLiteral(", "));
    if (!faults.isEmpty())
        road.description += QStringLiteral("; ") + faults.join(QStringLiteral(", "));
    return road;
}

} // namespace LaneModel
