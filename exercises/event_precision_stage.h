#pragma once

#include "pistolstageevent.h"

// Precision stage of a pistol match (exercise type 2): after START the
// shooters load for 7 s, the targets get the start command and the series
// time of 300 s runs from its confirmation; 5 s after it the shots a target
// still lacks become misses flagged for re-shooting, 60 s after it the break
// begins.
class EVENT_PRECISION_STAGE : public PistolStageEvent
{
    Q_OBJECT

public:
    // States held in `mode`.
    enum Mode { Break = 0, Load = 1, Series = 2, SeriesOver = 3 };

    // Face code when the exercise's "TargetNum" names no target type: the
    // 25 m precision face.
    static constexpr int kDefaultTargetFace = 4;
    // A start that is not confirmed within this time is sent again.
    static constexpr int kStartRetrySeconds = 7;

    EVENT_PRECISION_STAGE(TBulletList *list, const TEvent *event, QObject *parent = nullptr);

    QString timeText(bool forLabel) override;
    void tick() override;
    int nextBulletNumber(int target) override;
    bool acceptBullet(int time) override;
    void onEventStarted() override;
    void initEvent() override;

protected:
    void loadSeries() override;
    int startSeconds() const override { return seriesSeconds; }
    int startShotsAll() const override { return seriesShots; }
    int startShotsReshoot() const override { return reshootCount; }
    void graceOver() override;

private:
    bool isSeriesFull(int target) const;
    void nextSeries();
    void readyOver();
    void startSeries();
    void seriesTimeOver();

    int seriesSeconds = 300;
    // Clock reading of the last start sent in this load, -1 none yet.
    int lastStartTenths = -1;
};
