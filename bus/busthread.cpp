#include "busthread.h"

#include "emuproc.h"

void startBusMaster(EMUProc *bus, QThread *thread, QThread::Priority priority)
{
    bus->moveToThread(thread);
    bus->moveIoToThread();
    QObject::connect(thread, &QThread::started, bus, &EMUProc::process);
    // QThread::quit is safe from any thread. Called straight from the worker,
    // the thread ends without waiting for the owner's event loop, so an owner
    // that has to block until the bus is closed can simply wait() for it.
    QObject::connect(bus, &EMUProc::sig_finished, thread, &QThread::quit, Qt::DirectConnection);
    QObject::connect(bus, &EMUProc::sig_finished, bus, &QObject::deleteLater);
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(priority);
}
