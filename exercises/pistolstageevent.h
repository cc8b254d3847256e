#pragma once

#include <QList>
#include <QSet>

#include "myevent.h"

class TEvent;

// What the two stages of a pistol match share: a sighting series and six
// match series of five shots, each run on the exercise clock; shots that a
// target lacks when its shooting time has passed become misses flagged for
// re-shooting; in the break one target may re-shoot its flagged shots; the
// targets are put into cluster mode for each series.
class PistolStageEvent : public MyEvent
{
    Q_OBJECT

public:
    static constexpr int kSeriesShots = 5;
    static constexpr int kMatchSeries = 6;
    // seriesCounter while one target re-shoots.
    static constexpr int kReshootSeries = 255;
    // Fine of a miss that is to be shot again.
    static constexpr int kReshootFine = 1;

    ~PistolStageEvent() override;

    void onStartRequested(int target, int count) override;
    void onStopRequested(int manageBullet) override;
    QByteArray makeStartAllPacket() override;
    QByteArray makeStartPacket(int t) override;

    // -1 before the first series, 0 sighting, 1 to 6 match, 255 in a re-shoot.
    int seriesNumber() const { return seriesCounter; }
    int reshootingTarget() const { return isReshoot() ? reshootTarget : -1; }
    // Id of the timer that watches the grace time, -1 when none is running.
    int graceTimerId() const { return graceTimer; }

protected:
    static constexpr int kTenthsPerSecond = 10;
    // Cluster modes around a series.
    static constexpr int kClusterOn = 1;
    static constexpr int kClusterOff = 0;

    PistolStageEvent(TBulletList *list, const TEvent *event, int defaultFace, QObject *parent);

    void timerEvent(QTimerEvent *event) override;

    // The kinds' own series cycle: START in the break begins a series.
    virtual void loadSeries() = 0;
    // The break: the clock stops, the cluster mode ends, the terminals are
    // told, and the next START or a re-shoot may come.
    virtual void seriesBreak();
    // Time byte of the start frames, in seconds.
    virtual int startSeconds() const = 0;
    // Shots byte of the start frame to every target and to the re-shooting one.
    virtual int startShotsAll() const = 0;
    virtual int startShotsReshoot() const = 0;
    // After the misses of a shooting time were added.
    virtual void graceOver() {}

    // A series or window is a start of the whole line; a re-shoot's start
    // is confirmed by the re-shooting target itself.
    bool checksStartTaken() const override { return !isReshoot(); }
    void beginPages(qint64 startMs) override;

    bool isReshoot() const { return seriesCounter == kReshootSeries; }
    // Stage of the shots of the running series: match from series 1 on (a
    // re-shoot counts as match), sighting in series 0.
    int seriesStage() const { return seriesCounter >= 1 ? StageMatch : StageSighting; }
    // The targets a series covers: every target of the list, or the
    // re-shooting one alone.
    QList<int> lanes() const;
    void requestLanes();

    // Frames to every target or terminal, or to the re-shooting lane alone.
    void sendLaneCluster(int m);
    void sendLaneTerminal40(int m);
    void sendLaneTerminal35();
    void sendLaneStart();

    // The clock counts from 0 again from now on.
    void restartClock();

    // From now on the grace time runs; when it is over, every lane of the
    // running series that holds fewer than expectedShots shots of the stage
    // gets misses flagged for re-shooting: all it lacks, or one when
    // oneMissOnly is set. The grace time belongs to the series that started
    // it: its misses are those of that series, whatever happens before it
    // is over.
    void startGrace(int expectedShots, bool oneMissOnly);
    // Settles a grace time that is over, once no shot of its lanes waits for
    // the database.
    void checkGrace();
    bool refusedShotWaits() const;
    // Settles the grace time now, over or not: the next series or window
    // is about to begin.
    void settleGrace();

    // "MATCH" or "SIGHTING" for the running series.
    int seriesModeText() const { return seriesCounter > 0 ? ModeLabelMatch : ModeLabelSighting; }

    int acceptTolerance = 2;   // tenths of a second
    int loadSeconds = 7;
    int breakSeconds = 60;
    int graceSeconds = 5;
    int graceTimer = -1;
    int targetFace = 0;
    int savedSeries = 0;
    int seriesCounter = -1;
    int reshootTarget = -1;
    int reshootCount = 0;

private:
    // The stage ends with the break after the last match series (or after
    // a re-shoot of it), unless a lane missed a START of that series: then
    // the operator decides, by that lane's re-shoot or by STOP.
    void finishIfDecided();
    void startReshoot(int target, int count);
    void endReshoot();
    void stopGraceTimer();

    struct Grace
    {
        qint64 dueMs = 0; // on the exercise clock
        QList<int> lanes;
        int expectedShots = 0;
        int stage = 0;
        bool oneMissOnly = false;
    };
    bool gracePending = false;
    Grace grace;
    // Lanes the operator was told did not take a START since the operator
    // last went on (the next series' START, a lane's re-shoot, STOP in the
    // break).
    QSet<int> lanesNotStarted;
    bool finishWithheld = false;
};
