#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>

class EMUProc;
class MyEvent;
class TBulletList;
class TEvent;

// The running exercise between the bus master and the run screen, as the
// main window keeps it: one exercise at a time, made for the exercise that
// the run screen is prepared for, wired to both sides and unwired and
// deleted when the next one replaces it.
//
// The run screen is reached by name, so any screen object will do that has
//   signals sig_startEvent(int, int) and sig_stopEvent(int), and
//   slots slot_myEvent_TimeChange(QString, int), slot_myEvent_EventFinished(),
//   slot_myEvent_BTNBackEnabled(bool), slot_myEvent_BTNStartEnabled(bool),
//   slot_myEvent_BTNStartText(int), slot_myEvent_BTNStopEnabled(bool),
//   slot_myEvent_BTNStopVisible(bool), slot_myEvent_BTNNextEnabled(bool),
//   slot_myEvent_ModeText(int), slot_myEvent_DelegateView(bool).
// The bus master usually lives in its worker thread; every link to it is then
// queued.
class EventWiring : public QObject
{
    Q_OBJECT

public:
    // Neither the bus master nor the run screen is owned.
    EventWiring(EMUProc *bus, QObject *runScreen, QObject *parent = nullptr);
    ~EventWiring() override;

    // Replaces the current exercise by one for this exercise record over its
    // shot list (prevStage: the preceding precision stage's list), wires it
    // and runs its initEvent. nullptr, and no exercise, for an exercise type
    // without one.
    MyEvent *connectEvent(TEvent *event, TBulletList *list, TBulletList *prevStage);
    // Unwires and deletes the current exercise, if any. Not to be called
    // from inside one of the exercise's own signals.
    void disconnectEvent();

    MyEvent *currentEvent() const { return m_event; }

private:
    void wireBus();
    void wireRunScreen();

    EMUProc *m_bus = nullptr;
    QObject *m_runScreen = nullptr;
    MyEvent *m_event = nullptr; // owned
    QList<QMetaObject::Connection> m_connections;
};
