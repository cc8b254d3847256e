#pragma once

// Shared pieces of the exercise tests: a shot list with places on chosen
// lanes, the frames an exercise emitted, shots as the bus master reports them
// and clock ticks driven by hand.

#include <QCoreApplication>
#include <QList>
#include <QSignalSpy>
#include <QTest>
#include <QTimerEvent>

#include <memory>

#include "exerciseclock.h"
#include "fakerunscreen.h"
#include "myevent.h"
#include "tbullet.h"
#include "tbulletlist.h"
#include "tseries.h"
#include "tevent.h"
#include "ttargettype.h"

namespace eventtest {

constexpr int kSighting = MyEvent::StageSighting;
constexpr int kMatch = MyEvent::StageMatch;

// Member keys of the test places are lane * 100.
inline int memberOn(int lane)
{
    return lane * 100;
}

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// An exercise record of the given type with "MatchCount", "TargetNum" 8.
inline std::unique_ptr<TEvent> makeEvent(int typeXMLID, int matchCount, int subType = 1)
{
    auto event = std::make_unique<TEvent>();
    event->setTypeXMLID(typeXMLID);
    event->setSubType(subType);
    event->insertParam(QStringLiteral("MatchCount"), QString::number(matchCount));
    event->insertParam(QStringLiteral("TargetNum"), QStringLiteral("8"));
    return event;
}

// A shot list without database (the practice form) with one place per lane.
inline std::unique_ptr<TBulletList> makeList(const QList<int> &lanes, bool showTenths = true,
                                             int targetNum = 8)
{
    auto list = std::make_unique<TBulletList>(targetTypeById(targetNum), showTenths, 450, 10.4);
    for (int lane : lanes)
        list->addPlace(memberOn(lane), lane, QStringLiteral("Lane %1").arg(lane));
    return list;
}

// Everything an exercise says to the bus master.
class BusRecorder
{
public:
    explicit BusRecorder(MyEvent *event)
        : commands(event, &MyEvent::sig_emu_SendCommand)
        , polls(event, &MyEvent::sig_emu_getBullet)
        , stops(event, &MyEvent::sig_emu_stopReadBullet)
    {
    }

    QList<QByteArray> takeFrames()
    {
        QList<QByteArray> frames;
        for (const QList<QVariant> &args : qAsConst(commands))
            frames.append(args.at(0).toByteArray());
        commands.clear();
        return frames;
    }

    // The (lane, shot number) pairs asked for, in order.
    QList<QPair<int, int>> takePolls()
    {
        QList<QPair<int, int>> result;
        for (const QList<QVariant> &args : qAsConst(polls))
            result.append({args.at(0).toInt(), args.at(1).toInt()});
        polls.clear();
        return result;
    }

    // The last shot number asked of a lane, 0 when it was not asked.
    int lastPoll(int lane) const
    {
        int number = 0;
        for (const QList<QVariant> &args : polls) {
            if (args.at(0).toInt() == lane)
                number = args.at(1).toInt();
        }
        return number;
    }

    void clear()
    {
        commands.clear();
        polls.clear();
        stops.clear();
    }

    QSignalSpy commands;
    QSignalSpy polls;
    QSignalSpy stops;
};

// A shot answer as the bus master reports it; y in tenths of a millimetre
// on row 8 gives the value (y 13: 10.4, y 25: 10.0, y 26: 9.9).
// time: the own time, 0.5 s, a shot taken as the START went out.
inline void shoot(MyEvent *event, int lane, int number, int y = 25, int time = 5)
{
    event->slot_emu_AddBullet(lane, number, QPoint(0, y), schar(1), time, time);
}

// The bus master reports the three written copies of a broadcast start.
inline void confirmStart(MyEvent *event)
{
    for (int copy = 0; copy < 3; ++copy)
        event->slot_emu_EventStarted();
}

// One 100 ms clock event with the clock standing at the given reading.
inline void tickAt(MyEvent *event, ManualClock &clock, qint64 nowMs)
{
    clock.setNowMs(nowMs);
    QTimerEvent tick(event->clockTimerId());
    QCoreApplication::sendEvent(event, &tick);
}

// The run screen's links to the exercise, as the shell makes them.
inline void wireRunScreen(MyEvent *event, FakeRunScreen *screen)
{
    QObject::connect(event, &MyEvent::sig_view_TimeChange, screen,
                     &FakeRunScreen::slot_myEvent_TimeChange);
    QObject::connect(event, &MyEvent::sig_view_EventFinished, screen,
                     &FakeRunScreen::slot_myEvent_EventFinished);
    QObject::connect(event, &MyEvent::sig_view_BTNBackEnabled, screen,
                     &FakeRunScreen::slot_myEvent_BTNBackEnabled);
    QObject::connect(event, &MyEvent::sig_view_BTNStartEnabled, screen,
                     &FakeRunScreen::slot_myEvent_BTNStartEnabled);
    QObject::connect(event, &MyEvent::sig_view_BTNStartText, screen,
                     &FakeRunScreen::slot_myEvent_BTNStartText);
    QObject::connect(event, &MyEvent::sig_view_BTNStopEnabled, screen,
                     &FakeRunScreen::slot_myEvent_BTNStopEnabled);
    QObject::connect(event, &MyEvent::sig_view_BTNStopVisible, screen,
                     &FakeRunScreen::slot_myEvent_BTNStopVisible);
    QObject::connect(event, &MyEvent::sig_view_BTNNextEnabled, screen,
                     &FakeRunScreen::slot_myEvent_BTNNextEnabled);
    QObject::connect(event, &MyEvent::sig_view_ModeText, screen,
                     &FakeRunScreen::slot_myEvent_ModeText);
    QObject::connect(event, &MyEvent::sig_view_DelegateView, screen,
                     &FakeRunScreen::slot_myEvent_DelegateView);
    QObject::connect(screen, &FakeRunScreen::sig_startEvent, event,
                     &MyEvent::slot_view_startEvent);
    QObject::connect(screen, &FakeRunScreen::sig_stopEvent, event,
                     &MyEvent::slot_view_stopEvent);
}

// One exercise of a rifle kind over a shot list with places on the given
// lanes, on a hand-advanced clock, with its frames and polls recorded and
// the run screen's buttons pressed only while they are enabled.
template <class Kind>
struct RifleRun
{
    static constexpr qint64 kSightingMs = 900 * 1000;

    RifleRun(int typeXMLID, int matchCount, const QList<int> &lanes)
        : event(makeEvent(typeXMLID, matchCount))
        , list(makeList(lanes))
        , exercise(std::make_unique<Kind>(list.get(), event.get()))
        , bus(exercise.get())
        , finished(exercise.get(), &MyEvent::sig_view_EventFinished)
        , timeText(exercise.get(), &MyEvent::sig_view_TimeChange)
    {
        exercise->setClock(&clock);
        wireRunScreen(exercise.get(), &screen);
    }

    // START through the button, confirmed by the bus master.
    void start()
    {
        QVERIFY2(screen.pressStart(), "START is disabled");
        confirmStart(exercise.get());
    }

    void endSighting()
    {
        tickAt(exercise.get(), clock, clock.nowMs() + kSightingMs);
    }

    // START, the whole sighting, START: the match has begun.
    void toMatch()
    {
        start();
        endSighting();
        start();
    }

    // Every match shot the lane still lacks, numbered on from its last one.
    void shootMatch(int lane, int count, int y = 25)
    {
        const int first = list->lastBulletNumberOfTarget(lane, 1) + 1;
        for (int number = first; number < first + count; ++number)
            shoot(exercise.get(), lane, number, y);
    }

    ManualClock clock;
    FakeRunScreen screen;
    std::unique_ptr<TEvent> event;
    std::unique_ptr<TBulletList> list;
    std::unique_ptr<Kind> exercise;
    BusRecorder bus;
    QSignalSpy finished;
    QSignalSpy timeText;
};

} // namespace eventtest
