#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

// Waits ms milliseconds in a local event loop, so the calling thread keeps
// delivering its events (queued slot calls, arrivals on its devices) meanwhile.
void waitMs(int ms);

// The same wait, ended early by the sender's signal.
template <typename Sender, typename Signal>
void waitForSignal(const Sender *sender, Signal signal, int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    loop.exec();
}
