#pragma once

#include "rifleseriesevent.h"

// One-position series (exercise type 1): the common sighting, then a match of
// "MatchCount" shots per target; the exercise ends when every target has them.
class EVENT_SIMPLE_ONE : public RifleSeriesEvent
{
    Q_OBJECT

public:
    EVENT_SIMPLE_ONE(TBulletList *list, const TEvent *event, QObject *parent = nullptr);

    int nextBulletNumber(int target) override;
    void initEvent() override;

protected:
    void showMatchCaption() override;
    int matchStartShots() const override;
    int matchModeText() const override;
};
