#include "event_simple_one.h"

#include "tbulletlist.h"

namespace {

constexpr int kSeriesSize = 10;

} // namespace

EVENT_SIMPLE_ONE::EVENT_SIMPLE_ONE(TBulletList *list, const TEvent *event, QObject *parent)
    : RifleSeriesEvent(list, event, parent)
{
    setParams(-1, matchCount / kSeriesSize, kShotsPerSeries, kShotsPerSeries, calibre);
    if (bulletList) {
        bulletList->setShotColumns(kShotsPerSeries);
        bulletList->setSeriesSize(matchCount / kSeriesSize);
    }
}

void EVENT_SIMPLE_ONE::initEvent()
{
    sendEventTypeAll();
    emit sig_view_BTNStartText(StartTextStart);
}

void EVENT_SIMPLE_ONE::showMatchCaption()
{
    emit sig_view_BTNStartText(StartTextMatch);
}

int EVENT_SIMPLE_ONE::nextBulletNumber(int target)
{
    if (mode != Sighting && mode != Match)
        return -1;
    if (mode == Match && isTargetDone(target)) {
        // The last target to finish ends the exercise, once the operator has
        // ruled on every lane's shots held; a finished target is not asked again.
        askRuling(target, false);
        if (allTargetsDone() && !rulingAwaited()) {
            mode = Ready;
            emit sig_view_EventFinished();
        }
        return -1;
    }
    const int stage = mode == Match ? StageMatch : StageSighting;
    const int last = bulletList ? bulletList->lastBulletNumberOfTarget(target, stage) : -1;
    return last < 0 ? -1 : last + 1;
}

int EVENT_SIMPLE_ONE::matchStartShots() const
{
    return matchCount & 0xFF;
}

int EVENT_SIMPLE_ONE::matchModeText() const
{
    return ModeLabelMatch;
}
