#include "pistolstageevent.h"

#include <algorithm>

#include <QTimerEvent>

#include "tbulletlist.h"
#include "tmemberplace.h"
#include "tevent.h"
#include "ttargettype.h"

namespace {

constexpr int kMsPerSecond = 1000;
constexpr int kTerminalBreak = 0;
// The start frames of the pistol stages close with the flag 2 and 01.
constexpr int kPistolFlag = 2;
constexpr int kStartClosingByte = 1;
// Position code of a place that has none.
constexpr int kNoPositionCode = -1;

int faceOf(const TEvent *event, int defaultFace)
{
    const TTargetType *type = event ? event->targetType() : nullptr;
    return type ? type->ID : defaultFace;
}

} // namespace

PistolStageEvent::PistolStageEvent(TBulletList *list, const TEvent *event, int defaultFace,
                                   QObject *parent)
    : MyEvent(event ? event->typeXMLID() : 0, event ? event->subType() : 0, parent)
    , targetFace(faceOf(event, defaultFace))
{
    bulletList = list;
    pistolStage = true;
    mode = 0;
    setParams(1, kMatchSeries, kSeriesShots, kSeriesShots, event ? event->calibre() : calibre);
    if (bulletList) {
        bulletList->setShotColumns(kSeriesShots);
        bulletList->setSeriesSize(kMatchSeries);
        for (int t = bulletList->firstTarget(); t >= 0; t = bulletList->nextTarget(t))
            bulletList->setPositionCode(t, kNoPositionCode);
    }
    // A lane told only that its shots are held is not one of them: what is
    // still held at the series' end is flagged, and told so then.
    const auto notStarted = [this](int target) { lanesNotStarted.insert(target); };
    connect(this, &MyEvent::sig_view_TargetNoNewShots, this, notStarted);
    connect(this, &MyEvent::sig_view_TargetNotStarted, this, notStarted);
    connect(this, &MyEvent::sig_view_TargetShotsWithdrawn, this, notStarted);
    connect(this, &MyEvent::sig_view_TargetShotsFlagged, this, notStarted);
}

void PistolStageEvent::beginPages(qint64 startMs)
{
    // A re-shoot's start is confirmed by the re-shooting target itself; the
    // other targets were not started.
    TMemberPlace *place = isReshoot() && bulletList ? bulletList->placeByTarget(reshootTarget)
                                                    : nullptr;
    if (place)
        place->laneStart().beginPage(startMs, true);
    else if (!isReshoot())
        MyEvent::beginPages(startMs);
}

PistolStageEvent::~PistolStageEvent() = default;

// ---------------------------------------------------------------- lanes and frames

QList<int> PistolStageEvent::lanes() const
{
    if (isReshoot())
        return {reshootTarget};
    return targets();
}

void PistolStageEvent::requestLanes()
{
    for (int t : lanes())
        requestNextBullet(t);
}

void PistolStageEvent::sendLaneCluster(int m)
{
    if (isReshoot())
        sendClaster(reshootTarget, m);
    else
        sendClasterAll(m);
}

void PistolStageEvent::sendLaneTerminal40(int m)
{
    if (isReshoot())
        sendPC40(reshootTarget, m);
    else
        sendPCAll40(m);
}

void PistolStageEvent::sendLaneTerminal35()
{
    if (isReshoot())
        sendPC35(reshootTarget, reshootCount);
    else
        sendPCAll35();
}

void PistolStageEvent::sendLaneStart()
{
    if (isReshoot())
        sendStart(reshootTarget, 2);
    else
        sendStartAll(1);
}

QByteArray PistolStageEvent::makeStartAllPacket()
{
    return startFrame(kAllTargets, targetFace, startSeconds(), startShotsAll(), kPistolFlag,
                      kStartClosingByte);
}

QByteArray PistolStageEvent::makeStartPacket(int t)
{
    return startFrame(t, targetFace, startSeconds(), startShotsReshoot(), kPistolFlag,
                      kStartClosingByte);
}

// ---------------------------------------------------------------- clock

void PistolStageEvent::restartClock()
{
    stopEventTimer();
    startEventTimer();
}

// ---------------------------------------------------------------- START and STOP

// target and count: a row's re-shoot button gives its target and its number
// of flagged shots; the START button gives -1 for both.
void PistolStageEvent::onStartRequested(int target, int count)
{
    if (mode != 0)
        return;
    // What is left of the previous series ends here: its misses are added
    // before the targets start anew, and its targets are no longer asked
    // for shots that would land on the new series' page.
    settleGrace();
    if (readingBullets)
        stopReadBullet();
    if (target >= 1) {
        startReshoot(target, count);
        lanesNotStarted.remove(target);
    } else {
        if (isReshoot())
            endReshoot();
        lanesNotStarted.clear();
    }
    loadSeries();
}

void PistolStageEvent::onStopRequested(int manageBullet)
{
    Q_UNUSED(manageBullet)
    // STOP in the break takes the stage as it stands.
    if (mode == 0)
        lanesNotStarted.clear();
    mode = 0;
    seriesBreak();
}

void PistolStageEvent::startReshoot(int target, int count)
{
    if (!isReshoot())
        savedSeries = seriesCounter;
    seriesCounter = kReshootSeries;
    reshootTarget = target;
    reshootCount = (count >= 1 || !bulletList)
        ? count
        : bulletList->countShotsWithStatus(target, kReshootFine);
    if (bulletList)
        bulletList->purgeFlaggedShots(target);
    emit sig_view_DelegateView(false);
}

void PistolStageEvent::endReshoot()
{
    reshootTarget = -1;
    seriesCounter = savedSeries;
}

void PistolStageEvent::seriesBreak()
{
    stopEventTimer();
    sendLaneCluster(kClusterOff);
    sendLaneTerminal40(kTerminalBreak);
    // After a match series (or a re-shoot) the operator may flag shots and
    // let one target shoot its flagged ones again.
    if (seriesCounter > 0 && bulletList && bulletList->hasShotWithFine(0)) {
        bulletList->setMarking(true);
        emit sig_view_DelegateView(true);
    }
    emit sig_view_BTNStartText(StartTextStart);
    emit sig_view_BTNStartEnabled(true);
    emit sig_view_BTNStopEnabled(false);
    finishIfDecided();
}

void PistolStageEvent::finishIfDecided()
{
    if (seriesCounter != kMatchSeries && !(isReshoot() && finishWithheld))
        return;
    finishWithheld = !lanesNotStarted.isEmpty();
    if (!finishWithheld) {
        emit sig_view_EventFinished();
        return;
    }
    // No seventh series; STOP takes the stage as it stands.
    emit sig_view_BTNStartEnabled(false);
    emit sig_view_BTNStopEnabled(true);
}

// ---------------------------------------------------------------- grace time

void PistolStageEvent::startGrace(int expectedShots, bool oneMissOnly)
{
    grace.dueMs = exerciseClock().nowMs() + qint64(graceSeconds) * kMsPerSecond;
    grace.lanes = lanes();
    grace.expectedShots = expectedShots;
    grace.stage = seriesStage();
    grace.oneMissOnly = oneMissOnly;
    gracePending = true;
    // The clock may be stopped before the grace time is over (STOP), so the
    // grace time has a timer of its own.
    stopGraceTimer();
    graceTimer = startTimer(exerciseClock().tickIntervalMs(), Qt::CoarseTimer);
}

void PistolStageEvent::checkGrace()
{
    if (!gracePending)
        return;
    const qint64 now = exerciseClock().nowMs();
    // The target still holds a shot the database refused, and the shots
    // after it: they are asked for while the database refuses, and the grace
    // time counts again from when it takes them, so no miss takes their
    // place. A START given before then settles the series as it stands.
    if (refusedShotWaits()) {
        grace.dueMs = std::max(grace.dueMs, now + qint64(graceSeconds) * kMsPerSecond);
        return;
    }
    if (now >= grace.dueMs)
        settleGrace();
}

bool PistolStageEvent::refusedShotWaits() const
{
    return bulletList
        && std::any_of(grace.lanes.cbegin(), grace.lanes.cend(), [this](int t) {
               return bulletList->shotRefused(bulletList->memberIdOfTarget(t));
           });
}

void PistolStageEvent::settleGrace()
{
    if (!gracePending)
        return;
    gracePending = false;
    stopGraceTimer();
    stopReadBullet();
    if (bulletList) {
        for (int t : qAsConst(grace.lanes)) {
            // A lane that gave only shots of its earlier page is told now. A
            // shot still held is passed over for good: it is among the
            // lane's flagged misses, to be shot again.
            if (TMemberPlace *place = bulletList->placeByTarget(t)) {
                LaneStart &lane = place->laneStart();
                const int held = lane.heldCount();
                const LaneStart::Word word = lane.endPage();
                if (word == LaneStart::Word::PassedOver || word == LaneStart::Word::NoNewShots)
                    emit sig_view_TargetShotsFlagged(t, held, word == LaneStart::Word::NoNewShots);
                else
                    tellOperator(t, word);
                act(t, lane.rule(LaneStart::kNone));
            }
            const int missing = grace.expectedShots - bulletList->shotCountOfStage(t, grace.stage);
            if (missing > 0)
                bulletList->addMisses(bulletList->memberIdOfTarget(t),
                                      grace.oneMissOnly ? 1 : missing, kReshootFine);
        }
    }
    graceOver();
}

void PistolStageEvent::stopGraceTimer()
{
    if (graceTimer != -1) {
        killTimer(graceTimer);
        graceTimer = -1;
    }
}

void PistolStageEvent::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == graceTimer && graceTimer != -1) {
        checkGrace();
        return;
    }
    MyEvent::timerEvent(event);
}
