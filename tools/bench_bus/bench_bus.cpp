// Bus timing over a 10-lane relay, from the range simulator's time-stamped log.
#include "benchreport.h"
#include "busframe.h"
#include "busthread.h"
#include "emuproc.h"
#include "serialportdirectory.h"
#include "simulatorthread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

static void spin(int ms)
{
    QElapsedTimer t; t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

static int minimumGapMs(const QByteArray &frame)
{
    const int address = quint8(frame.at(0));
    const int code = quint8(frame.at(2));
    if (code == BusCode::kReadBullet) return 200;
    if (address == 0xEA || address == 0x9F) return 50;
    if (code == 0x35 || code == 0x39 || code == 0x40) return 50;
    return 70;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchReport::arguments(app, QStringLiteral("Runs a 10-lane relay on the range simulator and reports "
                                               "the gaps the bus master keeps between writes."));
    QTemporaryDir dir;
    SimulatorThread sim;
    const QString com = dir.filePath("com");
    sim.call([&](RangeSimulator &s) { return s.setComDirectory(com); });
    QList<int> lanes; for (int i = 1; i <= 10; ++i) lanes << i;
    sim.call([&](RangeSimulator &s) { return s.addSerialConverter(lanes); });
    qputenv(SerialPortDirectory::kEnvironmentVariable, com.toLocal8Bit());

    QPointer<QThread> worker = new QThread; // deletes itself once finished
    auto *bus = new EMUProc(0, 1, 10);
    QObject::connect(bus, &EMUProc::sig_AddBullet, &app, [bus](int ta, int n, QPoint, schar, int, int) {
        QMetaObject::invokeMethod(bus, [bus, ta, n] { bus->slot_emu_GetBullet(ta, n + 1); });
    });
    int shots = 0;
    QObject::connect(bus, &EMUProc::sig_AddBullet, &app, [&shots] { ++shots; });
    QElapsedTimer clock; clock.start();
    QVector<QPair<qint64, QByteArray>> written; // stamped in the worker thread at each write call
    bool measuring = false;
    QObject::connect(bus, &EMUProc::sig_DataWrote, bus, [&](int, int, QByteArray bytes) {
        if (measuring) written.append({clock.nsecsElapsed(), bytes});
    }, Qt::DirectConnection);
    startBusMaster(bus, worker);
    for (int i = 0; i < 10; ++i) {
        const int fl = i == 0 ? 0 : i == 9 ? 2 : 1;
        QMetaObject::invokeMethod(bus, [bus, i, fl] { bus->slot_view_AddMember(i + 1, 100 + i, "F", "N", fl); });
    }
    spin(15000); // search and set-up
    sim.call([](RangeSimulator &s) { s.clearTraffic(); });
    QMetaObject::invokeMethod(bus, [&measuring] { measuring = true; }, Qt::BlockingQueuedConnection);
    for (int lane = 1; lane <= 10; ++lane) {
        QMetaObject::invokeMethod(bus, [bus, lane] { bus->slot_emu_GetBullet(lane, 1); });
        ShooterSettings shooter; shooter.paceMs = 1500 + 100 * lane; shooter.seed = quint32(lane);
        sim.call([lane, shooter](RangeSimulator &s) { return s.startShooter(lane, shooter); });
    }
    for (int round = 0; round < 4; ++round) {
        QMetaObject::invokeMethod(bus, [bus] { bus->slot_emu_SendCommand(QByteArray::fromHex("EA0CA0FE01FFFF0A0100")); });
        QMetaObject::invokeMethod(bus, [bus] { bus->slot_emu_SendCommand(QByteArray::fromHex("9F063500")); });
        QMetaObject::invokeMethod(bus, [bus, round] { bus->slot_emu_SendCommand(QByteArray::fromHex("0305A2")); });
        spin(7000);
    }
    QMetaObject::invokeMethod(bus, [bus] { bus->stop(); });
    while (worker && !worker->isFinished()) spin(50);
    const QList<TrafficEntry> traffic = sim.call([](RangeSimulator &s) { return s.traffic(); });
    QList<TrafficEntry> writes;
    for (const TrafficEntry &e : traffic) if (e.kind == TrafficEntry::Received) writes << e;
    QVector<double> overshoot; QMap<int, QVector<double>> byGap; double worst = -1e9, minMargin = 1e9; int below = 0;
    for (int i = 1; i < writes.size(); ++i) {
        const double gapMs = (writes[i].timeUs - writes[i - 1].timeUs) / 1000.0;
        const int min = minimumGapMs(writes[i].bytes);
        const double over = gapMs - min;
        overshoot << over; byGap[min] << over;
        worst = std::max(worst, over); minMargin = std::min(minMargin, over);
        if (over < 0) { ++below; std::printf("  below: %.2f ms before %s after %s\n", gapMs, writes[i].bytes.toHex(' ').constData(), writes[i-1].bytes.toHex(' ').constData()); }
    }
    auto median = [](QVector<double> v) { std::sort(v.begin(), v.end()); return v.isEmpty() ? 0.0 : v[v.size() / 2]; };
    std::printf("writes %d, shots %d; overshoot median %.2f ms, worst %.2f ms, smallest %.2f ms, gaps below minimum %d\n",
                int(writes.size()), shots, median(overshoot), worst, minMargin, below);
    for (auto it = byGap.begin(); it != byGap.end(); ++it)
        std::printf("  min %d ms: %d gaps, median overshoot %.2f ms, worst %.2f ms\n", it.key(), int(it.value().size()), median(it.value()),
                    *std::max_element(it.value().begin(), it.value().end()));
    QVector<double> prog; double progMin = 1e9;
    for (int i = 1; i < written.size(); ++i) {
        const double over = (written[i].first - written[i - 1].first) / 1e6 - minimumGapMs(written[i].second);
        prog << over; progMin = std::min(progMin, over);
    }
    std::printf("program side (write calls): %d gaps, median overshoot %.2f ms, worst %.2f ms, smallest %.3f ms\n", int(prog.size()), median(prog),
                prog.isEmpty() ? 0.0 : *std::max_element(prog.begin(), prog.end()), progMin);
    return 0;
}
