#pragma once

// One pistol stage over a shot list with places on chosen lanes, on a
// hand-advanced clock, with its frames, polls and view signals recorded.

#include "eventharness.h"
#include "pistolstageevent.h"
#include "tmemberplace.h"

namespace eventtest {

constexpr int kMs = 1000;
// Fine of a miss flagged for re-shooting.
constexpr int kFlagged = 1;

inline QList<int> intsOf(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &args : spy)
        values.append(args.at(0).toInt());
    return values;
}

inline QStringList textsOf(const QSignalSpy &spy)
{
    QStringList values;
    for (const QList<QVariant> &args : spy)
        values.append(args.at(0).toString());
    return values;
}

// Shots of a lane with the given fine, in either stage.
inline int shotsWithFine(const TBulletList &list, int lane, int stage, int fine)
{
    const TMemberPlace *place = list.placeByTarget(lane);
    int count = 0;
    for (int number = 1; place && number <= list.shotCountOfStage(lane, stage); ++number) {
        const TBullet *shot = place->bulletAt(number, stage);
        if (shot && shot->fine() == fine)
            ++count;
    }
    return count;
}

template <class Kind>
struct PistolRun
{
    // prev: the exercise before this one in the competition, may be null.
    template <class... Extra>
    PistolRun(int typeXMLID, int targetNum, const QList<int> &lanes, TEvent *prev, Extra... extra)
        : event(makeEvent(typeXMLID, 30))
        , list(makeList(lanes, false, targetNum))
    {
        event->insertParam(QStringLiteral("TargetNum"), QString::number(targetNum));
        event->setPrev(prev);
        exercise = std::make_unique<Kind>(list.get(), event.get(), extra...);
        exercise->setClock(&clock);
        // The targets count their own time on a clock of their own that moves
        // with the exercise's; a shot is answered as its own time comes.
        exercise->setTargetClock(&targetClock);
        wireRunScreen(exercise.get(), &screen);
        bus = std::make_unique<BusRecorder>(exercise.get());
        timeText = std::make_unique<QSignalSpy>(exercise.get(), &MyEvent::sig_view_TimeChange);
        modeText = std::make_unique<QSignalSpy>(exercise.get(), &MyEvent::sig_view_ModeText);
        stopButton = std::make_unique<QSignalSpy>(exercise.get(),
                                                  &MyEvent::sig_view_BTNStopEnabled);
        delegates = std::make_unique<QSignalSpy>(exercise.get(), &MyEvent::sig_view_DelegateView);
        finished = std::make_unique<QSignalSpy>(exercise.get(), &MyEvent::sig_view_EventFinished);
    }

    // The clock moves on by ms and the exercise gets one clock tick, or,
    // while its clock is stopped, one tick of its grace timer.
    void advance(qint64 ms)
    {
        clock.advanceMs(ms);
        targetClock.advanceMs(ms);
        const int id = exercise->clockTimerId() != -1 ? exercise->clockTimerId()
                                                       : exercise->graceTimerId();
        if (id == -1)
            return;
        QTimerEvent tick(id);
        QCoreApplication::sendEvent(exercise.get(), &tick);
    }

    // Ticks every 100 ms up to ms further on.
    void run(qint64 ms)
    {
        for (qint64 done = 0; done < ms; done += ExerciseClock::kTickMs)
            advance(ExerciseClock::kTickMs);
    }

    // START, or with a target the re-shoot button of its row showing its
    // count of flagged shots; only while the button is enabled.
    void pressStart(int target = -1, int count = -1)
    {
        if (target >= 1)
            QVERIFY2(screen.pressReshoot(target, count), "no re-shoot button");
        else
            QVERIFY2(screen.pressStart(), "START is disabled");
    }

    // A shot answer of a lane, numbered on from its last one on this page;
    // y < 0 puts each series' shots apart, as a shooter does, so that none
    // looks like a shot of the page before.
    void shootNext(int lane, int timeTenths = 5, int y = -1)
    {
        const int number = list->lastBulletNumberOfTarget(lane, list->stageOfTarget(lane)) + 1;
        if (y < 0)
            y = 100 + 10 * exercise->seriesNumber() + number;
        shoot(lane, number, y, timeTenths);
    }

    // A shot answer read as the target gives it: its own time counted from
    // the START the lane's page is judged against.
    void shoot(int lane, int number, int y, int timeTenths)
    {
        const TMemberPlace *place = list->placeByTarget(lane);
        const qint64 start = place ? place->laneStart().startMs() : -1;
        if (start >= 0)
            targetClock.setNowMs(std::max(targetClock.nowMs(), start + timeTenths * 100 + 50));
        eventtest::shoot(exercise.get(), lane, number, y, timeTenths);
    }

    void clearSpies()
    {
        bus->clear();
        for (QSignalSpy *spy : {timeText.get(), modeText.get(), stopButton.get(), delegates.get(),
                                finished.get()})
            spy->clear();
    }

    ManualClock clock;
    ManualClock targetClock;
    FakeRunScreen screen;
    std::unique_ptr<TEvent> event;
    std::unique_ptr<TBulletList> list;
    std::unique_ptr<Kind> exercise;
    std::unique_ptr<BusRecorder> bus;
    std::unique_ptr<QSignalSpy> timeText;
    std::unique_ptr<QSignalSpy> modeText;
    std::unique_ptr<QSignalSpy> stopButton;
    std::unique_ptr<QSignalSpy> delegates;
    std::unique_ptr<QSignalSpy> finished;
};

} // namespace eventtest
