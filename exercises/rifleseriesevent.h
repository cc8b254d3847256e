#pragma once

#include "myevent.h"

class TEvent;

// What the one-position and the three-position series share: the whole line
// starts together, first a common sighting of at most 15 minutes, then, on a
// second START, the match; the mode label, clock text, start frames, STOP
// with its misses and the done test are the same for both.
class RifleSeriesEvent : public MyEvent
{
    Q_OBJECT

public:
    // States held in `mode`.
    enum Mode { Ready = 0, Sighting = 1, SightingOver = 2, Match = 3 };

    static constexpr int kSightingSeconds = 900;
    static constexpr int kShotsPerSeries = 10;
    // Face code when the exercise's "TargetNum" names no target type: the
    // default type of an exercise without that parameter.
    static constexpr int kDefaultTargetFace = 3;

    QString timeText(bool forLabel) override;
    // A lane has shot its count when its stored match shots and those it
    // holds undecided make it: it is polled no more, and the operator rules
    // on the shots held.
    bool isTargetDone(int target) override;
    bool allTargetsDone() override;
    void tick() override;
    void onEventStarted() override;
    void onStartRequested(int member, int colbull) override;
    void onStopRequested(int manageBullet) override;
    QByteArray makeStartAllPacket() override;

protected:
    RifleSeriesEvent(TBulletList *list, const TEvent *event, QObject *parent);

    bool checksStartTaken() const override { return true; }
    // In the match, a target that missed its START still runs the
    // sighting's; once its time is over (on the targets' clock) the target
    // takes no shot.
    bool stageTimedOut() const override;

    // The sighting time is over: polling stops, the match may be started.
    void finishSighting();
    // The start button's caption for the match START, if the kind has one.
    virtual void showMatchCaption() {}
    // Shots byte of the match start frame.
    virtual int matchStartShots() const = 0;
    // Mode label shown when the match starts.
    virtual int matchModeText() const = 0;

    void fillWithMisses();
    // The lane's match shots stored and held.
    int countedShots(int target) const;

    int sightingSeconds = kSightingSeconds;
    qint64 sightingStartedMs = -1; // on the targets' clock
    int matchCount = 10;
    int targetFace = kDefaultTargetFace;
};
