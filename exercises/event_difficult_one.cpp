#include "event_difficult_one.h"

#include "tbulletlist.h"

namespace {

constexpr int kSeriesPerPosition = 30;
constexpr int kPositions = 3;
constexpr int kTerminalAsksMatch = 1;

} // namespace

EVENT_DIFFICULT_ONE::EVENT_DIFFICULT_ONE(TBulletList *list, const TEvent *event, QObject *parent)
    : RifleSeriesEvent(list, event, parent)
{
    clearPositionNames();
    appendPositionName(QStringLiteral("KNEELING"));
    appendPositionName(QStringLiteral("PRONE"));
    appendPositionName(QStringLiteral("STANDING"));
    const int seriesOfPosition = matchCount / kSeriesPerPosition;
    setParams(-1, seriesOfPosition, kShotsPerSeries, kShotsPerSeries, calibre);
    if (bulletList) {
        bulletList->setShotColumns(kShotsPerSeries);
        bulletList->setSeriesSize(seriesOfPosition * kPositions);
        for (int t : targets())
            bulletList->setPositionCode(t, FirstPosition);
    }
}

void EVENT_DIFFICULT_ONE::initEvent()
{
    sendEventTypeAll();
}

int EVENT_DIFFICULT_ONE::matchStartShots() const
{
    return kNoLimitShots;
}

int EVENT_DIFFICULT_ONE::matchModeText() const
{
    return ModeLabelNone;
}

int EVENT_DIFFICULT_ONE::completedPosition(int target, int k) const
{
    if (mode != Match || !bulletList)
        return -1;
    const int p = positionShots();
    int stage = bulletList->stageOfTarget(target);
    if (stage < 0)
        stage = StageSighting;
    const int n = countedShots(target);
    if (k < 0) {
        // In sighting the position about to be shot, in match the one just completed.
        const int first = stage == StageSighting ? 1 : (stage == StageMatch ? 0 : -1);
        if (first < 0)
            return -1;
        for (int position = 1; position <= kPositions; ++position) {
            if (n == (position - first) * p)
                return position;
        }
        return -1;
    }
    if (n != k * p)
        return -1;
    if (stage == StageMatch)
        return k;
    if (stage == StageSighting)
        return k - 1;
    return -1;
}

void EVENT_DIFFICULT_ONE::finishAll()
{
    stopReadBullet();
    sendStopAll(1);
    emit sig_view_EventFinished();
}

int EVENT_DIFFICULT_ONE::nextBulletNumber(int target)
{
    if (!bulletList)
        return -1;
    const int stage = bulletList->stageOfTarget(target);
    if (stage == StageMatch && mode == Match) {
        const int code = bulletList->positionCode(target);
        if (code != SecondSighting && code != ThirdSighting) {
            int p = -1;
            if (code == SecondMatch)
                p = completedPosition(target, 2);
            else if (code == ThirdMatch)
                p = completedPosition(target, 3);
            else
                p = completedPosition(target, -1);
            // A position shot with shots held ends once the operator has ruled on them.
            if (p >= 1 && askRuling(target, false))
                return -1;
            if (p == kPositions) {
                if (allTargetsDone() && !rulingAwaited())
                    finishAll();
                return -1;
            }
            if (p == 1 || p == 2) {
                // Not polled again until the target has been reset.
                sendResetTarget(target, ResetToSighting);
                return -1;
            }
        }
    }
    const int last = bulletList->lastBulletNumberOfTarget(target, stage);
    return last < 0 ? -1 : last + 1;
}

void EVENT_DIFFICULT_ONE::moveTo(int target, int stage, int code)
{
    if (bulletList->positionCode(target) >= code)
        return;
    bulletList->setStageOfTarget(target, stage);
    bulletList->setPositionCode(target, code);
    requestNextBullet(target);
    if (stage == StageMatch)
        sendPC32(target, StageMatch);
}

void EVENT_DIFFICULT_ONE::onBDReseted(int target, int reason)
{
    if (!bulletList)
        return;
    if (reason == ResetMemoryFull) {
        bulletList->incPlaceCounter(target);
        requestNextBullet(target);
        return;
    }
    const int p = completedPosition(target, -1);
    const int stage = bulletList->stageOfTarget(target);
    if (stage == StageSighting && p == 2)
        moveTo(target, StageMatch, SecondMatch);
    else if (stage == StageSighting && p == 3)
        moveTo(target, StageMatch, ThirdMatch);
    else if (stage == StageMatch && p == 1)
        moveTo(target, StageSighting, SecondSighting);
    else if (stage == StageMatch && p == 2)
        moveTo(target, StageSighting, ThirdSighting);
}

void EVENT_DIFFICULT_ONE::onSetMatchFromPC(int target, int mode)
{
    if (!bulletList || this->mode < Match || mode != kTerminalAsksMatch)
        return;
    // A lane without a place is never reset.
    if (bulletList->memberIdOfTarget(target) >= 0
        && bulletList->stageOfTarget(target) == StageSighting)
        sendResetTarget(target, ResetToMatch);
}
