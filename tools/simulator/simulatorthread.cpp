#include "simulatorthread.h"

SimulatorThread::SimulatorThread(QObject *parent) : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("range simulator"));
    m_simulator = new RangeSimulator;
    m_simulator->moveToThread(&m_thread);
    connect(m_simulator, &RangeSimulator::sig_traffic, this, &SimulatorThread::trafficLogged);
    m_thread.start();
}

SimulatorThread::~SimulatorThread()
{
    // Its lines, timers and sockets belong to its thread: delete it there.
    QMetaObject::invokeMethod(m_simulator, [this] { delete m_simulator; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}
