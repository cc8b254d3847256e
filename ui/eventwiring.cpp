#include "eventwiring.h"

#include <QtDebug>

#include "createmyevent.h"
#include "emuproc.h"
#include "myevent.h"

EventWiring::EventWiring(EMUProc *bus, QObject *runScreen, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_runScreen(runScreen)
{
}

EventWiring::~EventWiring()
{
    disconnectEvent();
}

MyEvent *EventWiring::connectEvent(TEvent *event, TBulletList *list, TBulletList *prevStage)
{
    disconnectEvent();
    m_event = createMyEvent(list, event, prevStage);
    if (!m_event)
        return nullptr;
    if (m_bus)
        wireBus();
    if (m_runScreen)
        wireRunScreen();
    m_event->initEvent();
    return m_event;
}

void EventWiring::disconnectEvent()
{
    if (!m_event)
        return;
    for (const QMetaObject::Connection &connection : qAsConst(m_connections))
        QObject::disconnect(connection);
    m_connections.clear();
    delete m_event;
    m_event = nullptr;
}

void EventWiring::wireBus()
{
    using AddBullet = void (MyEvent::*)(int, int, QPoint, schar, int, int);
    m_connections
        << connect(m_event, &MyEvent::sig_emu_SendCommand, m_bus, &EMUProc::slot_emu_SendCommand)
        << connect(m_event, &MyEvent::sig_emu_getBullet, m_bus, &EMUProc::slot_emu_GetBullet)
        << connect(m_event, &MyEvent::sig_emu_stopReadBullet, m_bus,
                   &EMUProc::slot_emu_StopReadBullet)
        << connect(m_bus, &EMUProc::sig_TargetEnabled, m_event, &MyEvent::slot_emu_TargetFound)
        << connect(m_bus, &EMUProc::sig_PCEnabled, m_event, &MyEvent::slot_emu_PCFound)
        << connect(m_bus, &EMUProc::sig_AddBullet, m_event,
                   static_cast<AddBullet>(&MyEvent::slot_emu_AddBullet))
        << connect(m_bus, &EMUProc::sig_setTime, m_event, &MyEvent::slot_emu_setTime)
        << connect(m_bus, &EMUProc::sig_EventStarted, m_event, &MyEvent::slot_emu_EventStarted)
        << connect(m_bus, &EMUProc::sig_EventStoped, m_event, &MyEvent::slot_emu_EventStoped)
        << connect(m_bus, &EMUProc::sig_BDReseted, m_event, &MyEvent::slot_emu_BDReseted)
        << connect(m_bus, &EMUProc::sig_ClasterSetted, m_event, &MyEvent::slot_emu_ClasterSetted)
        << connect(m_bus, &EMUProc::sig_setMatchFromPC, m_event,
                   &MyEvent::slot_emu_BDResetFromPC)
        << connect(m_bus, &EMUProc::sig_PCWroteBullet, m_event, &MyEvent::slot_emu_ClientBullets);
}

void EventWiring::wireRunScreen()
{
    // The screen is known by the names of its signals and slots only.
    const QList<QMetaObject::Connection> screen{
        connect(m_event, SIGNAL(sig_view_TimeChange(QString, int)), m_runScreen,
                SLOT(slot_myEvent_TimeChange(QString, int))),
        connect(m_event, SIGNAL(sig_view_EventFinished()), m_runScreen,
                SLOT(slot_myEvent_EventFinished())),
        connect(m_event, SIGNAL(sig_view_BTNBackEnabled(bool)), m_runScreen,
                SLOT(slot_myEvent_BTNBackEnabled(bool))),
        connect(m_event, SIGNAL(sig_view_BTNStartEnabled(bool)), m_runScreen,
                SLOT(slot_myEvent_BTNStartEnabled(bool))),
        connect(m_event, SIGNAL(sig_view_BTNStartText(int)), m_runScreen,
                SLOT(slot_myEvent_BTNStartText(int))),
        connect(m_event, SIGNAL(sig_view_BTNStopEnabled(bool)), m_runScreen,
                SLOT(slot_myEvent_BTNStopEnabled(bool))),
        connect(m_event, SIGNAL(sig_view_BTNStopVisible(bool)), m_runScreen,
                SLOT(slot_myEvent_BTNStopVisible(bool))),
        connect(m_event, SIGNAL(sig_view_BTNNextEnabled(bool)), m_runScreen,
                SLOT(slot_myEvent_BTNNextEnabled(bool))),
        connect(m_event, SIGNAL(sig_view_ModeText(int)), m_runScreen,
                SLOT(slot_myEvent_ModeText(int))),
        connect(m_event, SIGNAL(sig_view_DelegateView(bool)), m_runScreen,
                SLOT(slot_myEvent_DelegateView(bool))),
        connect(m_runScreen, SIGNAL(sig_startEvent(int, int)), m_event,
                SLOT(slot_view_startEvent(int, int))),
        connect(m_runScreen, SIGNAL(sig_stopEvent(int)), m_event,
                SLOT(slot_view_stopEvent(int))),
    };
    int missing = 0;
    for (const QMetaObject::Connection &connection : screen) {
        if (connection)
            m_connections << connection;
        else
            ++missing;
    }
    if (missing > 0)
        qWarning() << "EventWiring: the run screen" << m_runScreen->metaObject()->className()
                   << "lacks signals or slots of the exercise";
}
