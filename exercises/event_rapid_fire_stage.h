#pragma once

#include "pistolstageevent.h"

// Rapid-fire stage of a pistol match (exercise type 3): every shot of a
// series has its own cycle: the targets are turned away for 7 s, get a start
// command for a window of 3 s and one shot, and turn away again; 5 s after
// each window a target without that shot gets one miss flagged for
// re-shooting. When it is set up it sends each member's result of the
// previous stage to the member's terminal.
class EVENT_RAPID_FIRE_STAGE : public PistolStageEvent
{
    Q_OBJECT

public:
    // States held in `mode`.
    enum Mode { Break = 0, Series = 1, WindowsOver = 2 };
    // Phases held in the high four bits of `shotState`.
    enum Phase { TurnedAway = 0, WindowOpen = 1 };

    // Face code when the exercise's "TargetNum" names no target type: the
    // 25 m rapid-fire face.
    static constexpr int kDefaultTargetFace = 5;

    // previous: the shot list of the preceding stage, may be null; not owned.
    EVENT_RAPID_FIRE_STAGE(TBulletList *list, const TEvent *event, TBulletList *previous,
                           QObject *parent = nullptr);

    QString timeText(bool forLabel) override;
    void tick() override;
    int nextBulletNumber(int target) override;
    bool acceptBullet(int time) override;
    void onEventStarted() override;
    void initEvent() override;

    // Windows opened in the running series.
    int windowsOpened() const { return shotState & kShotMask; }
    bool isWindowOpen() const
    {
        return mode == Series && (shotState >> kPhaseShift) == WindowOpen;
    }

protected:
    void loadSeries() override;
    void seriesBreak() override;
    int startSeconds() const override { return windowSeconds; }
    int startShotsAll() const override { return kShotsPerWindow; }
    int startShotsReshoot() const override { return kShotsPerWindow; }
    void graceOver() override;

private:
    static constexpr int kShotMask = 0x0F;
    static constexpr int kPhaseShift = 4;
    static constexpr int kShotsPerWindow = 1;

    // Shots every target of the series should hold once window k is over.
    int expectedShots() const;
    void setPhase(int phase, int shot);
    void showWindowEnd();
    void openShotWindow();
    void nextShot();
    void readyOver();
    void startBreakTimer();

    int shotState = 0;
    int windowSeconds = 3;
    int previousType = -1;
    TBulletList *previousList = nullptr; // not owned
};
