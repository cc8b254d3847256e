#pragma once

#include "rifleseriesevent.h"

// Three-position series (exercise type 6): kneeling, prone and standing with
// the same number of match shots each. After the common sighting and match
// start each target moves through the positions by itself: when it has the
// match shots of a position its shot memory is reset and it goes back to
// sighting; when its terminal asks for match it is reset again into match.
class EVENT_DIFFICULT_ONE : public RifleSeriesEvent
{
    Q_OBJECT

public:
    // Position codes of a place.
    enum PositionCode {
        FirstPosition = -1,
        SecondSighting = 4,
        SecondMatch = 5,
        ThirdSighting = 6,
        ThirdMatch = 7
    };

    EVENT_DIFFICULT_ONE(TBulletList *list, const TEvent *event, QObject *parent = nullptr);

    int nextBulletNumber(int target) override;
    void onBDReseted(int target, int reason) override;
    void onSetMatchFromPC(int target, int mode) override;
    void initEvent() override;

    // The position a target is about to shoot (in sighting) or has just
    // completed (in match) for k < 0; for k >= 0 whether it completed
    // position k (in match) or is about to shoot position k (in sighting).
    // -1 when none of these holds or outside the match.
    int completedPosition(int target, int k) const;

protected:
    int matchStartShots() const override;
    int matchModeText() const override;

private:
    // The end of the whole exercise, when every target has its match shots.
    void finishAll();
    // A reset confirmation moves the place to a new stage and position code,
    // unless it is already there or further on.
    void moveTo(int target, int stage, int code);

    int positionShots() const { return seriesCount * seriesShots; }
};
