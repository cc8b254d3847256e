#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

// A model of a line of targets and its bus, on a simulated clock, that plays
// a seeded road (a rifle sighting and match, pistol precision series, or
// rapid-fire windows, now and then a lane's re-shoot in a break) through the
// bus master's own loop (EMUProc on the model's line and clock: its polls,
// its START copies, a lane's own START and its decoding of the answers) and
// each lane's LaneStart exactly as the exercise drives them, keeps the shot
// list as the exercise would from the verdicts, rules on the shots held as
// an operator would, and checks what was stored and every word said against
// what the targets really took.
//
// The list is the exercise's rules in a few lines, not TBulletList: that
// one keeps its rows in the competition's database, and a road a few
// milliseconds long would spend most of them writing rows.
namespace LaneModel {

// The invariants a road is checked for (see lanemodel.cpp for each one's
// precise rule).
enum class Invariant {
    EarlierStored,
    StoredTwice,
    RightWithdrawn,
    RightLost,
    Stuck,
    FalseMissed,
    RightHeld,
    FalseLost,
    TwoStories,
    Unended,
    FalseWord,
    RulesBroken
};
constexpr int kInvariants = 12;
QString invariantName(Invariant invariant);

struct Failure
{
    Invariant invariant = Invariant::EarlierStored;
    int lane = 0;  // 1-based
    int page = 0;  // 1-based: the START of the road that began it
    QString detail;
};

// Roads of a kind the ordinary mix plays seldom or never, drawn from the
// same seeds (modelkinds.cpp says what each adds).
enum class RoadKind {
    Ordinary,
    CopiesAtStarts,     // late copies of answers around every START
    BusyCopiesAtStarts, // the same, the program reading the bus late across each START
    PistolSettledLate,  // rapid-fire windows settled 5 s after their end
    DeafManyLanes       // 5-10 lanes at the range's poll gap and a x10 pace, one deaf across the match START
};

struct Options
{
    // The targets' clocks run up to this much fast or slow (per mille).
    int maxDriftPermille = 20;
    // Now and then a lane re-shoots in a pistol stage's break (false: the
    // roads as they were before re-shoots were played).
    bool reshoots = true;
    RoadKind kind = RoadKind::Ordinary;
    bool trace = false;
};

struct Outcome
{
    quint64 seed = 0;
    QString road; // one line: the stage, the lanes, the faults
    QVector<Failure> failures;
    QStringList trace; // only when traced
    qint64 simulatedMs = 0;
    int polls = 0;
    // What became of the right shots (recorded on a page of their own
    // START), of every lane and of the lanes deaf, switched off or missing
    // that START: stored as the judgement decided, stored on the operator's
    // ruling, never stored though read, or never read (its target deaf to
    // the end, or its page lost with the power).
    struct Delivered
    {
        int right = 0;
        int judged = 0;
        int ruled = 0;
        int lost = 0;
        int unread = 0;
        Delivered &operator+=(const Delivered &d)
        {
            right += d.right;
            judged += d.judged;
            ruled += d.ruled;
            lost += d.lost;
            unread += d.unread;
            return *this;
        }
    };
    Delivered all, troubled;
    // The rulings on held shots (asked for, or a pistol page's flagged end),
    // and of them the ones that list only shots every case shown puts on one
    // side of the START (nothing to ask).
    int rulings = 0;
    int rulingsAsked = 0; // of them, asked of the official (a rifle match)
    int rulingsDecided = 0;
};

Outcome runRoad(quint64 seed, const Options &options = {});

} // namespace LaneModel
