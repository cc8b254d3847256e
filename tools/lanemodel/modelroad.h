#pragma once

#include <algorithm>

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

#include "lanemodel.h"

namespace LaneModel {

struct Interval
{
    qint64 from = 0;
    qint64 to = 0;
    bool contains(qint64 t) const { return t >= from && t < to; }
    bool meets(qint64 a, qint64 b) const { return from < b && to > a; }
};

struct PlannedShot
{
    qint64 atMs = 0;
    QPoint point;
    qint8 place = 0;
};

// One START of the line and the page it begins, as the exercise plays it.
struct StagePlan
{
    QString name;
    qint64 startMs = 0; // the START's first copy goes out
    qint64 endMs = 0;   // reading stops (a rifle match: at the latest)
    int expected = 0;   // a lane that stored this many is asked no more; 0: asked to the end
    bool pistol = false;    // its end asks each lane's endPage()
    bool rifleStop = false; // its end asks each lane whether it holds shots
    // A shot must be stored (or its lane told) when it was taken this long
    // before the end and its lane answered through that time; < 0: never
    // (a sighting has no end that tells).
    qint64 readRoomMs = -1;
    // A lane's own START (1-based): only that lane is started and read (a
    // re-shoot in a pistol stage's break); 0: a START of the whole line.
    int lane = 0;
    QVector<QVector<PlannedShot>> shots; // by lane, in time order
};

// One lane's target and what goes wrong with it.
struct LanePlan
{
    qint64 driftPpm = 0;
    QVector<Interval> deaf; // no answers, no START heard; shots are still recorded
    QVector<Interval> off;  // power lost: nothing at all, then an empty page
    QVector<bool> missesStart; // by stage: takes no copy of that START though it answers
    int lossPermille = 0;      // answers lost on the line
    int garblePermille = 0;    // answers cut or garbled (line noise)
    int copyPermille = 0;      // a late copy of an earlier answer instead of the answer
    bool slow = false;         // answers late in its slot
    // A late copy instead of the answer this often within these (and
    // copyPermille outside them).
    QVector<Interval> copying;
    int copyingPermille = 0;
    int copyPermilleAt(qint64 ms) const
    {
        const bool in = std::any_of(copying.cbegin(), copying.cend(), [ms](const Interval &i) { return i.contains(ms); });
        return in ? copyingPermille : copyPermille;
    }
};

struct Road
{
    QVector<StagePlan> stages;
    QVector<LanePlan> lanes;
    QVector<Interval> busy; // the program reads what the bus reports late
    // The converter (port 1 or 2) each lane is behind, by lane; empty: all
    // behind port 1. While a converter is away (its cable out, as the port
    // set finds it) its lanes hear nothing: their deaf stretches include it.
    QVector<int> portOf;
    QVector<QVector<Interval>> away; // by port - 1
    int pollGapMs = 0;      // the bus master's poll gap; 0: the model's short one
    QString description;
};

// A rifle match STOP comes this long after the last shot or fault at the latest.
constexpr qint64 kMatchTailMs = 25000;
// Seconds with a tenth, as a road's description gives its moments.
QString seconds(qint64 ms);

Road makeRoad(quint64 seed, int maxDriftPermille, bool reshoots = true, RoadKind roadKind = RoadKind::Ordinary);

// What a road kind changes (modelkinds.cpp): the stages' kind (0 rifle, 1
// precision, 2 rapid fire) and the lanes drawn for an ordinary road, the
// stages once drawn, and the faults once drawn.
int stagesOfKind(RoadKind roadKind, int drawn);
int lanesOfKind(RoadKind roadKind, int drawn);
void shapeStages(Road &road, quint64 seed, RoadKind roadKind);
QStringList shapeFaults(Road &road, quint64 seed, RoadKind roadKind); // what it added, said

} // namespace LaneModel
