#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

#include "emuproc.h"
#include "myevent.h"

class TBulletList;
class TEvent;

// One member's target as the bus master is told of it (sig_AddTarget).
struct LineTarget
{
    int address = -1;
    int startNumber = -1;
    QString familyName;
    QString name;
};

// The running exercise between the bus master and the run screen, as the
// main window keeps it: one exercise at a time, made for the exercise that
// the run screen is prepared for, wired to both sides and unwired and
// deleted when the next one replaces it.
//
// The run screen's links are checked when this is compiled, for the real
// page and for a test's stand-in alike: a screen type needs the signals
// sig_startEvent(int, int), sig_stopEvent(int) and sig_ruleShots(int, int)
// and the slot_myEvent_ slots that the exercise's sig_view_ signals drive.
// The bus master usually lives in its worker thread; every link to it is then
// queued.
class EventWiring : public QObject
{
    Q_OBJECT

public:
    // Neither the bus master nor the run screen is owned; the screen must
    // outlive this object.
    template <class Screen>
    EventWiring(EMUProc *bus, Screen *screen, QObject *parent = nullptr)
        : QObject(parent)
        , m_bus(bus)
    {
        if (!screen)
            return;
        m_eventToScreen = [screen](MyEvent *event) { return wireRunScreen(event, screen); };
        m_screenToEvent = [screen](MyEvent *event) { return wireScreenToEvent(screen, event); };
    }
    ~EventWiring() override;

    // Replaces the current exercise by one for this exercise record over its
    // shot list (prevStage: the preceding precision stage's list), wires it
    // and runs its initEvent. nullptr, and no exercise, for an exercise type
    // without one.
    MyEvent *connectEvent(TEvent *event, TBulletList *list, TBulletList *prevStage);
    // The same for an exercise made elsewhere, owned from now on; null
    // leaves none.
    MyEvent *adopt(MyEvent *event);
    // The current exercise's commands (polls included) no longer reach the
    // bus master; its reports and the run screen still reach the exercise.
    void stopEventCommands();
    // Unwires and deletes the current exercise, if any. Not to be called
    // from inside one of the exercise's own signals.
    void disconnectEvent();

    MyEvent *currentEvent() const { return m_event; }

    // Where a member stands in the list of targets registered with the bus
    // master: the first one empties its list, the last one starts the
    // target search, an only one does both.
    enum TargetPosition { TargetFirst = 0, TargetMiddle = 1, TargetLast = 2, TargetOnly = 3 };
    static int targetPosition(bool first, bool last)
    {
        if (first)
            return last ? TargetOnly : TargetFirst;
        return last ? TargetLast : TargetMiddle;
    }

    // The exercise's links to the run screen and back, in the order the main
    // window makes them.
    template <class Screen>
    static QList<QMetaObject::Connection> wireRunScreen(MyEvent *event, Screen *screen)
    {
        return {
            connect(event, &MyEvent::sig_view_TimeChange, screen,
                    &Screen::slot_myEvent_TimeChange),
            connect(event, &MyEvent::sig_view_BTNBackEnabled, screen,
                    &Screen::slot_myEvent_BTNBackEnabled),
            connect(event, &MyEvent::sig_view_BTNStartEnabled, screen,
                    &Screen::slot_myEvent_BTNStartEnabled),
            connect(event, &MyEvent::sig_view_EventFinished, screen,
                    &Screen::slot_myEvent_EventFinished),
            connect(event, &MyEvent::sig_view_BTNStartText, screen,
                    &Screen::slot_myEvent_BTNStartText),
            connect(event, &MyEvent::sig_view_BTNStopEnabled, screen,
                    &Screen::slot_myEvent_BTNStopEnabled),
            connect(event, &MyEvent::sig_view_BTNStopVisible, screen,
                    &Screen::slot_myEvent_BTNStopVisible),
            connect(event, &MyEvent::sig_view_BTNNextEnabled, screen,
                    &Screen::slot_myEvent_BTNNextEnabled),
            connect(event, &MyEvent::sig_view_ModeText, screen, &Screen::slot_myEvent_ModeText),
            connect(event, &MyEvent::sig_view_DelegateView, screen,
                    &Screen::slot_myEvent_DelegateView),
            connect(event, &MyEvent::sig_view_TargetNotStarted, screen,
                    &Screen::slot_myEvent_TargetNotStarted),
            connect(event, &MyEvent::sig_view_TargetStartInDoubt, screen,
                    &Screen::slot_myEvent_TargetStartInDoubt),
            connect(event, &MyEvent::sig_view_TargetShotsWithdrawn, screen,
                    &Screen::slot_myEvent_TargetShotsWithdrawn),
            connect(event, &MyEvent::sig_view_TargetShotsHeld, screen,
                    &Screen::slot_myEvent_TargetShotsHeld),
            connect(event, &MyEvent::sig_view_TargetPageLost, screen,
                    &Screen::slot_myEvent_TargetPageLost),
            connect(event, &MyEvent::sig_view_TargetNoNewShots, screen,
                    &Screen::slot_myEvent_TargetNoNewShots),
            connect(event, &MyEvent::sig_view_TargetShotsFlagged, screen,
                    &Screen::slot_myEvent_TargetShotsFlagged),
            connect(event, &MyEvent::sig_view_ShotsInDoubt, screen,
                    &Screen::slot_myEvent_ShotsInDoubt),
        };
    }

    template <class Screen>
    static QList<QMetaObject::Connection> wireScreenToEvent(Screen *screen, MyEvent *event)
    {
        return {
            connect(screen, &Screen::sig_startEvent, event, &MyEvent::slot_view_startEvent),
            connect(screen, &Screen::sig_stopEvent, event, &MyEvent::slot_view_stopEvent),
            connect(screen, &Screen::sig_ruleShots, event, &MyEvent::slot_view_ruleShots),
        };
    }

private:
    using Links = std::function<QList<QMetaObject::Connection>(MyEvent *)>;

    QList<QMetaObject::Connection> wireEventToBus();
    QList<QMetaObject::Connection> wireBusToEvent();

    // Deletes itself in its own thread once its loop has ended.
    QPointer<EMUProc> m_bus;
    // The screen's links of each direction; empty without a screen.
    Links m_eventToScreen;
    Links m_screenToEvent;
    MyEvent *m_event = nullptr; // owned
    QList<QMetaObject::Connection> m_commands; // the exercise's links to the bus master
    QList<QMetaObject::Connection> m_connections; // all its other links
};
