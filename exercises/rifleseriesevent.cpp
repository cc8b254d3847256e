#include "rifleseriesevent.h"

#include "tbulletlist.h"
#include "tmemberplace.h"
#include "tevent.h"
#include "ttargettype.h"

namespace {

constexpr int kTenthsPerSecond = 10;
constexpr int kTenthsPerMinute = 600;
constexpr int kTenthsPerHour = 36000;

// STOP's argument: erase the run's shots, or fill the match up with misses.
constexpr int kStopErase = 0;
constexpr int kStopFillMisses = 1;

QString twoDigits(int value)
{
    return value < 10 ? QStringLiteral("0%1").arg(value) : QStringLiteral("%1").arg(value);
}

int faceOf(const TEvent *event)
{
    const TTargetType *type = event ? event->targetType() : nullptr;
    return type ? type->ID : RifleSeriesEvent::kDefaultTargetFace;
}

} // namespace

RifleSeriesEvent::RifleSeriesEvent(TBulletList *list, const TEvent *event, QObject *parent)
    : MyEvent(event ? event->typeXMLID() : 0, event ? event->subType() : 0, parent)
    , matchCount(event ? event->matchCount() : 10)
    , targetFace(faceOf(event))
{
    bulletList = list;
    mode = Ready;
    if (event)
        calibre = event->calibre();
}

QString RifleSeriesEvent::timeText(bool forLabel)
{
    Q_UNUSED(forLabel)
    const int t = elapsed();
    const int seconds = (t / kTenthsPerSecond) % 60;
    const int minutes = (t / kTenthsPerMinute) % 60;
    const int hours = t / kTenthsPerHour;
    if (hours == 0)
        return QStringLiteral("%1:%2").arg(twoDigits(minutes), twoDigits(seconds));
    return QStringLiteral("%1:%2:%3").arg(hours).arg(twoDigits(minutes), twoDigits(seconds));
}

int RifleSeriesEvent::countedShots(int target) const
{
    if (!bulletList)
        return 0;
    // Shots held in a lane's sighting (between two positions) are no match shots.
    const TMemberPlace *place = bulletList->placeByTarget(target);
    const int held = place && place->stage() == StageMatch ? place->laneStart().heldCount() : 0;
    return bulletList->shotCountOfStage(target, StageMatch) + held;
}

bool RifleSeriesEvent::isTargetDone(int target)
{
    return bulletList && countedShots(target) >= matchCount;
}

bool RifleSeriesEvent::allTargetsDone()
{
    if (!bulletList)
        return true;
    for (int t = bulletList->firstTarget(); t >= 1; t = bulletList->nextTarget(t)) {
        if (!isTargetDone(t))
            return false;
    }
    return true;
}

void RifleSeriesEvent::tick()
{
    showWholeSecond(0);
    if (mode == Sighting && elapsed() >= sightingSeconds * kTenthsPerSecond)
        finishSighting();
}

bool RifleSeriesEvent::stageTimedOut() const
{
    return mode == Match && sightingStartedMs >= 0
        && targetNowMs() - sightingStartedMs >= qint64(sightingSeconds) * 1000;
}

void RifleSeriesEvent::finishSighting()
{
    stopEventTimer();
    emit sig_view_TimeChange(QStringLiteral("15:00"), 0);
    requestNextBullet(-1);
    mode = SightingOver;
    showMatchCaption();
    emit sig_view_BTNStartEnabled(true);
}

void RifleSeriesEvent::onStartRequested(int member, int colbull)
{
    Q_UNUSED(member)
    Q_UNUSED(colbull)
    if (mode != Ready && mode != SightingOver)
        return;
    emit sig_view_TimeChange(QStringLiteral("00:00"), 0);
    setElapsed(0, true);
    sendStartAll(1);
}

void RifleSeriesEvent::onEventStarted()
{
    if (mode == Ready) {
        mode = Sighting;
        sightingStartedMs = targetNowMs();
        emit sig_view_BTNStartEnabled(false);
        sendPCAll35();
        startEventTimer();
        if (bulletList)
            bulletList->setStageAll(StageSighting);
        emit sig_view_BTNBackEnabled(false);
        emit sig_view_ModeText(ModeLabelSighting);
    } else if (mode == SightingOver) {
        mode = Match;
        emit sig_view_BTNStartEnabled(false);
        for (int t : targets())
            sendPC32(t, StageMatch);
        startEventTimer();
        if (bulletList)
            bulletList->setStageAll(StageMatch);
        emit sig_view_BTNBackEnabled(false);
        emit sig_view_ModeText(matchModeText());
    } else {
        return;
    }
    emit sig_view_BTNStartEnabled(false);
    emit sig_view_BTNStopEnabled(true);
    requestAllTargets();
}

void RifleSeriesEvent::onStopRequested(int manageBullet)
{
    stopReadBullet();
    stopEventTimer();
    sendStopAll(1);
    sendPCAll31();
    if (bulletList && manageBullet == kStopErase) {
        // The targets are read first: erasing re-sorts the rows.
        for (int t : targets())
            bulletList->deleteShotsOfMember(bulletList->memberIdOfTarget(t));
    } else if (bulletList && manageBullet == kStopFillMisses) {
        // The reading has stopped: the operator rules on the match shots
        // still held before what the lanes lack becomes misses.
        for (int t : targets()) {
            if (mode == Match && bulletList->stageOfTarget(t) == StageMatch)
                askRuling(t, true);
        }
        fillWithMisses();
    }
    emit sig_view_EventFinished();
}

void RifleSeriesEvent::fillWithMisses()
{
    for (int t : targets()) {
        const int missing = matchCount - bulletList->shotCountOfStage(t, StageMatch);
        if (missing <= 0)
            continue;
        // In the match a lane may be between two positions, in sighting; the
        // misses complete its match, so they must be match shots (stored).
        if (mode == Match && bulletList->stageOfTarget(t) != StageMatch)
            bulletList->setStageOfTarget(t, StageMatch);
        bulletList->addMisses(bulletList->memberIdOfTarget(t), missing, -1);
    }
}

QByteArray RifleSeriesEvent::makeStartAllPacket()
{
    constexpr int kClosingByte8 = 0x00;
    constexpr int kClosingByte9 = 0x01;
    if (mode == Ready)
        return startFrame(kAllTargets, targetFace, sightingSeconds, kNoLimitShots, kClosingByte8,
                          kClosingByte9);
    return startFrame(kAllTargets, targetFace, kNoLimitTime, matchStartShots(), kClosingByte8,
                      kClosingByte9);
}
