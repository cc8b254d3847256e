#include "event_rapid_fire_stage.h"

#include "tbulletlist.h"
#include "tevent.h"

namespace {

// shotState values: windows 1 to 5 just closed, and just opened.
constexpr int kFirstClosed = 0x01;
constexpr int kLastClosed = 0x05;
constexpr int kFirstOpened = 0x11;
constexpr int kLastOpened = 0x15;

} // namespace

EVENT_RAPID_FIRE_STAGE::EVENT_RAPID_FIRE_STAGE(TBulletList *list, const TEvent *event,
                                               TBulletList *previous, QObject *parent)
    : PistolStageEvent(list, event, kDefaultTargetFace, parent)
    , previousType(event && event->prev() ? event->prev()->typeXMLID() : -1)
    , previousList(previous)
{
}

void EVENT_RAPID_FIRE_STAGE::initEvent()
{
    sendEventTypeAll();
    if (previousType < 0 || !previousList || !bulletList)
        return;
    for (int t = bulletList->firstTarget(); t >= 0; t = bulletList->nextTarget(t))
        sendSeriesResultToPC(bulletList->memberIdOfTarget(t), previousType, previousList);
    emit sig_view_ModeText(ModeLabelNone);
}

QString EVENT_RAPID_FIRE_STAGE::timeText(bool forLabel)
{
    const int t = elapsed();
    const int s = t / kTenthsPerSecond;
    if (!forLabel)
        return QStringLiteral("%1").arg(s);
    return QStringLiteral("%1.%2").arg(s).arg(t - kTenthsPerSecond * s);
}

bool EVENT_RAPID_FIRE_STAGE::acceptBullet(int time)
{
    // The window itself is kept by the targets (its 3 s go out in the start
    // frame). A shot a target does report is taken up to the break time, so
    // that a target whose count did not restart with the window does not lose
    // a shot the shooter fired in time.
    return time <= acceptTolerance + breakSeconds * kTenthsPerSecond;
}

int EVENT_RAPID_FIRE_STAGE::expectedShots() const
{
    int k = windowsOpened();
    int s = seriesCounter;
    if (isReshoot()) {
        k += seriesShots - reshootCount;
        s = savedSeries;
    }
    return s >= 1 ? k + (s - 1) * seriesShots : k;
}

int EVENT_RAPID_FIRE_STAGE::nextBulletNumber(int target)
{
    if (!bulletList)
        return -1;
    // Each window restarts the targets that take it: the shot asked for is
    // then the first of the window's page.
    if (expectedShots() <= bulletList->shotCountOfStage(target, seriesStage()))
        return -1;
    const int last = bulletList->lastBulletNumberOfTarget(target, seriesStage());
    return last < 0 ? -1 : last + 1;
}

// ---------------------------------------------------------------- series cycle

void EVENT_RAPID_FIRE_STAGE::loadSeries()
{
    mode = Series;
    shotState = 0;
    if (!isReshoot()) {
        if (bulletList)
            bulletList->setShowArrows(false, -1);
        ++seriesCounter;
        if (bulletList) {
            for (int t : lanes())
                bulletList->clearShotMarks(t);
        }
    }
    if (bulletList)
        bulletList->setMarking(false);
    emit sig_view_DelegateView(false);
    emit sig_view_BTNStartEnabled(false);
    sendLaneCluster(kClusterOn);
    sendLaneTerminal35();
    nextShot();
    if (bulletList)
        bulletList->setStageAll(seriesStage());
    restartClock();
}

void EVENT_RAPID_FIRE_STAGE::setPhase(int phase, int shot)
{
    if (shot < 0)
        shot = phase == WindowOpen ? windowsOpened() + 1 : windowsOpened();
    shotState = (phase * 16) % 256 + shot % 16;
    if (shotState >= kFirstClosed && shotState <= kLastClosed) {
        showWindowEnd();
        startGrace(expectedShots(), true);
    } else if (shotState >= kFirstOpened && shotState <= kLastOpened) {
        openShotWindow();
    }
}

void EVENT_RAPID_FIRE_STAGE::showWindowEnd()
{
    emit sig_view_TimeChange(QStringLiteral("3.2"), 0);
    setElapsed(0, true);
    emit sig_view_ModeText(seriesModeText());
}

void EVENT_RAPID_FIRE_STAGE::openShotWindow()
{
    // The misses of the window before belong to it, not to this one.
    settleGrace();
    emit sig_view_TimeChange(QStringLiteral("0.0"), 0);
    restartClock();
    // Every place on a new page, so that the window's shot is number 1 again.
    if (bulletList)
        bulletList->setStageAll(seriesStage());
    emit sig_view_BTNBackEnabled(false);
    emit sig_view_ModeText(seriesModeText());
    requestLanes();
}

void EVENT_RAPID_FIRE_STAGE::nextShot()
{
    emit sig_view_ModeText(seriesModeText());
    restartClock();
    const int limit = isReshoot() ? reshootCount : seriesShots;
    if (windowsOpened() >= limit) {
        mode = WindowsOver;
        startBreakTimer();
    } else {
        setPhase(TurnedAway, -1);
    }
}

void EVENT_RAPID_FIRE_STAGE::startBreakTimer()
{
    restartClock();
    startGrace(expectedShots(), true);
}

void EVENT_RAPID_FIRE_STAGE::readyOver()
{
    // The window before is settled before the next one's START goes out:
    // its lanes' pages are judged as they stand, not as the new START's.
    settleGrace();
    // Restarting the clock makes an unconfirmed start go out again only
    // after another turned-away time.
    restartClock();
    sendLaneStart();
}

void EVENT_RAPID_FIRE_STAGE::tick()
{
    checkGrace();
    const int t = elapsed();
    if (mode == Series && !isWindowOpen()) {
        showWholeSecond(1);
        if (t >= loadSeconds * kTenthsPerSecond)
            readyOver();
    } else if (mode == Series) {
        showTime(0);
        if (t >= windowSeconds * kTenthsPerSecond) {
            emit sig_view_TimeChange(QStringLiteral("3.2"), 0);
            nextShot();
        }
    } else if (mode == WindowsOver) {
        showWholeSecond(1);
        if (t >= breakSeconds * kTenthsPerSecond) {
            mode = Break;
            seriesBreak();
        }
    }
}

void EVENT_RAPID_FIRE_STAGE::onEventStarted()
{
    // A confirmation opens the next window only while the targets are
    // turned away and wait for it.
    if (mode != Series || isWindowOpen())
        return;
    setPhase(WindowOpen, -1);
}

void EVENT_RAPID_FIRE_STAGE::graceOver()
{
    if (mode == WindowsOver)
        emit sig_view_BTNStopEnabled(true);
}

void EVENT_RAPID_FIRE_STAGE::seriesBreak()
{
    setPhase(TurnedAway, 0);
    PistolStageEvent::seriesBreak();
}
