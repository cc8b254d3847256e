#include "event_precision_stage.h"

#include "tbulletlist.h"

namespace {

// 0x40 frame modes: 2 loading, 1 series time over.
constexpr int kTerminalLoad = 2;
constexpr int kTerminalTimeOver = 1;

} // namespace

EVENT_PRECISION_STAGE::EVENT_PRECISION_STAGE(TBulletList *list, const TEvent *event,
                                             QObject *parent)
    : PistolStageEvent(list, event, kDefaultTargetFace, parent)
{
}

void EVENT_PRECISION_STAGE::initEvent()
{
    sendEventTypeAll();
}

QString EVENT_PRECISION_STAGE::timeText(bool forLabel)
{
    const int t = elapsed();
    const int s = t / kTenthsPerSecond;
    if (!forLabel)
        return QStringLiteral("%1").arg(s);
    const QString seconds = s < 10 ? QStringLiteral("0%1").arg(s) : QStringLiteral("%1").arg(s);
    return QStringLiteral("%1.%2").arg(seconds).arg(t - kTenthsPerSecond * s);
}

bool EVENT_PRECISION_STAGE::acceptBullet(int time)
{
    return time <= acceptTolerance + seriesSeconds * kTenthsPerSecond;
}

bool EVENT_PRECISION_STAGE::isSeriesFull(int target) const
{
    if (mode < Series)
        return true;
    const int count = bulletList ? bulletList->shotCountOfStage(target, seriesStage()) : 0;
    if (seriesCounter == 0)
        return count >= shotsPerSeries;
    if (isReshoot())
        return count >= savedSeries * seriesShots;
    return count >= seriesCounter * seriesShots;
}

int EVENT_PRECISION_STAGE::nextBulletNumber(int target)
{
    if (isSeriesFull(target) || !bulletList)
        return -1;
    const int last = bulletList->lastBulletNumberOfTarget(target, seriesStage());
    return last < 0 ? -1 : last + 1;
}

// ---------------------------------------------------------------- series cycle

void EVENT_PRECISION_STAGE::loadSeries()
{
    sendLaneCluster(kClusterOn);
    mode = Load;
    nextSeries();
}

void EVENT_PRECISION_STAGE::nextSeries()
{
    if (!isReshoot()) {
        if (bulletList)
            bulletList->setShowArrows(false, -1);
        ++seriesCounter;
    }
    emit sig_view_BTNStartEnabled(false);
    emit sig_view_TimeChange(QStringLiteral("00.0"), 0);
    setElapsed(0, true);
    sendLaneTerminal40(kTerminalLoad);
    if (bulletList) {
        bulletList->setStageAll(seriesStage());
        if (!isReshoot()) {
            for (int t : lanes())
                bulletList->clearShotMarks(t);
        }
        bulletList->setMarking(false);
    }
    emit sig_view_DelegateView(false);
    lastStartTenths = -1;
    restartClock();
}

void EVENT_PRECISION_STAGE::tick()
{
    checkGrace();
    const int t = elapsed();
    switch (mode) {
    case Load:
        showWholeSecond(1);
        // The start goes out once per load; copies queued on every tick
        // would reach the targets after the confirmation and restart them in
        // the middle of the series. Only a start left unconfirmed for a
        // while is sent again.
        if (t >= loadSeconds * kTenthsPerSecond
            && (lastStartTenths < 0
                || t - lastStartTenths >= kStartRetrySeconds * kTenthsPerSecond))
            readyOver();
        break;
    case Series:
        showTime(0);
        if (t >= seriesSeconds * kTenthsPerSecond)
            seriesTimeOver();
        break;
    case SeriesOver:
        showWholeSecond(1);
        if (t >= breakSeconds * kTenthsPerSecond) {
            mode = Break;
            seriesBreak();
        }
        break;
    default:
        break;
    }
}

void EVENT_PRECISION_STAGE::readyOver()
{
    lastStartTenths = elapsed();
    sendLaneStart();
}

void EVENT_PRECISION_STAGE::onEventStarted()
{
    if (mode != Load)
        return;
    mode = Series;
    startSeries();
}

void EVENT_PRECISION_STAGE::startSeries()
{
    emit sig_view_TimeChange(QStringLiteral("00.0"), 0);
    restartClock();
    sendLaneTerminal35();
    emit sig_view_BTNBackEnabled(false);
    emit sig_view_ModeText(seriesModeText());
    requestLanes();
}

void EVENT_PRECISION_STAGE::seriesTimeOver()
{
    mode = SeriesOver;
    emit sig_view_TimeChange(QStringLiteral("300.0"), 0);
    restartClock();
    // Every target of series s should hold 5 s match shots; the sighting
    // series leaves no misses.
    const int series = isReshoot() ? savedSeries : seriesCounter;
    startGrace(series > 0 ? series * seriesShots : 0, false);
    sendLaneTerminal40(kTerminalTimeOver);
}

void EVENT_PRECISION_STAGE::graceOver()
{
    // Only while the series it belongs to still runs; in the break the stop
    // button stays off.
    if (mode == SeriesOver)
        emit sig_view_BTNStopEnabled(true);
}
