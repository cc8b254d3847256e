#include "eventwiring.h"

#include "createmyevent.h"

EventWiring::~EventWiring()
{
    disconnectEvent();
}

MyEvent *EventWiring::connectEvent(TEvent *event, TBulletList *list, TBulletList *prevStage)
{
    disconnectEvent();
    return adopt(createMyEvent(list, event, prevStage));
}

MyEvent *EventWiring::adopt(MyEvent *event)
{
    disconnectEvent();
    m_event = event;
    if (!m_event)
        return nullptr;
    if (m_bus)
        m_commands = wireEventToBus();
    if (m_eventToScreen)
        m_connections << m_eventToScreen(m_event);
    if (m_bus)
        m_connections << wireBusToEvent();
    if (m_screenToEvent)
        m_connections << m_screenToEvent(m_event);
    m_event->initEvent();
    return m_event;
}

void EventWiring::stopEventCommands()
{
    for (const QMetaObject::Connection &connection : qAsConst(m_commands))
        QObject::disconnect(connection);
    m_commands.clear();
}

void EventWiring::disconnectEvent()
{
    if (!m_event)
        return;
    stopEventCommands();
    for (const QMetaObject::Connection &connection : qAsConst(m_connections))
        QObject::disconnect(connection);
    m_connections.clear();
    delete m_event;
    m_event = nullptr;
}

QList<QMetaObject::Connection> EventWiring::wireEventToBus()
{
    EMUProc *bus = m_bus.data();
    return {
        connect(m_event, &MyEvent::sig_emu_getBullet, bus, &EMUProc::slot_emu_GetBullet),
        connect(m_event, &MyEvent::sig_emu_stopReadBullet, bus,
                &EMUProc::slot_emu_StopReadBullet),
        connect(m_event, &MyEvent::sig_emu_SendCommand, bus, &EMUProc::slot_emu_SendCommand),
    };
}

QList<QMetaObject::Connection> EventWiring::wireBusToEvent()
{
    using AddBullet = void (MyEvent::*)(int, int, QPoint, schar, int, int);
    EMUProc *bus = m_bus.data();
    return {
        connect(bus, &EMUProc::sig_TargetEnabled, m_event, &MyEvent::slot_emu_TargetFound),
        connect(bus, &EMUProc::sig_PCEnabled, m_event, &MyEvent::slot_emu_PCFound),
        connect(bus, &EMUProc::sig_TargetHeard, m_event, &MyEvent::slot_emu_TargetHeard),
        connect(bus, &EMUProc::sig_TargetAnswered, m_event, &MyEvent::slot_emu_TargetAnswered),
        connect(bus, &EMUProc::sig_TargetAsked, m_event, &MyEvent::slot_emu_TargetAsked),
        connect(bus, &EMUProc::sig_ShotNotTaken, m_event, &MyEvent::slot_emu_ShotNotTaken),
        connect(bus, &EMUProc::sig_NoBullet, m_event, &MyEvent::slot_emu_NoBullet),
        connect(bus, &EMUProc::sig_AddBullet, m_event,
                static_cast<AddBullet>(&MyEvent::slot_emu_AddBullet)),
        connect(bus, &EMUProc::sig_setTime, m_event, &MyEvent::slot_emu_setTime),
        connect(bus, &EMUProc::sig_EventStarted, m_event, &MyEvent::slot_emu_EventStarted),
        connect(bus, &EMUProc::sig_EventStoped, m_event, &MyEvent::slot_emu_EventStoped),
        connect(bus, &EMUProc::sig_BDReseted, m_event, &MyEvent::slot_emu_BDReseted),
        connect(bus, &EMUProc::sig_ClasterSetted, m_event, &MyEvent::slot_emu_ClasterSetted),
        connect(bus, &EMUProc::sig_setMatchFromPC, m_event, &MyEvent::slot_emu_BDResetFromPC),
        connect(bus, &EMUProc::sig_PCWroteBullet, m_event, &MyEvent::slot_emu_ClientBullets),
    };
}
