#include "event_simple_one.h"

#include "tbulletlist.h"

namespace {

constexpr int kSeriesSize = 10;
constexpr int kStartTextStart = -1;
constexpr int kStartTextMatch = 1;
constexpr int kModeTextMatch = 1;

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
    emit sig_view_BTNStartText(kStartTextStart);
}

void EVENT_SIMPLE_ONE::finishSighting()
{
    RifleSeriesEvent::finishSighting();
    emit sig_view_BTNStartText(kStartTextMatch);
    emit sig_view_BTNStartEnabled(true);
}

int EVENT_SIMPLE_ONE::nextBulletNumber(int target)
{
    int stage = 0;
    if (mode == Sighting) {
        stage = 0;
    } else if (mode == Match) {
        if (isTargetDone(target)) {
            if (allTargetsDone()) {
                mode = Ready;
                emit sig_view_EventFinished();
            }
            return -1;
        }
        stage = 1;
    } else {
        return -1;
    }
    const int last = bulletList ? bulletList->lastBulletNumberOfTarget(target, stage) : -1;
    return last < 0 ? -1 : last + 1;
}

int EVENT_SIMPLE_ONE::matchStartShots() const
{
    return matchCount & 0xFF;
}

int EVENT_SIMPLE_ONE::matchModeText() const
{
    return kModeTextMatch;
}
