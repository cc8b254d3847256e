#pragma once

#include "rangesimulator.h"

#include <QObject>
#include <QThread>
#include <type_traits>
#include <utility>

// Runs a RangeSimulator in a thread of its own, so that a bus master waiting
// in a local event loop of the calling thread gets its answers. Every call is
// carried into the simulator's thread and waits for its result; the traffic
// log is re-emitted in the owner's thread (fit for QSignalSpy).
// Must not be called from the simulator's own thread.
class SimulatorThread : public QObject
{
    Q_OBJECT

public:
    explicit SimulatorThread(QObject *parent = nullptr);
    ~SimulatorThread() override;

    // Runs f(RangeSimulator &) in the simulator's thread and returns its result:
    //   sim.call([](RangeSimulator &s) { return s.fireShot(3, 120, 40, 1); });
    template <typename F>
    auto call(F f) -> decltype(f(std::declval<RangeSimulator &>()))
    {
        using Result = decltype(f(std::declval<RangeSimulator &>()));
        if constexpr (std::is_void_v<Result>) {
            QMetaObject::invokeMethod(m_simulator, [&] { f(*m_simulator); }, Qt::BlockingQueuedConnection);
        } else {
            Result result {};
            QMetaObject::invokeMethod(m_simulator, [&] { result = f(*m_simulator); }, Qt::BlockingQueuedConnection);
            return result;
        }
    }

signals:
    void trafficLogged(const TrafficEntry &entry);

private:
    QThread m_thread;
    RangeSimulator *m_simulator = nullptr; // lives in m_thread; deleted there
};
