// Plays the roads where one converter is in trouble and prints, per road,
// what the bus master gave each lane: polls, their longest interval on the
// healthy converter against its round, the START copies each converter took
// and how long after the click, the converter losses it reported.

#include "busframe.h"
#include "busthread.h"
#include "emuproc.h"
#include "serialportdirectory.h"
#include "simulatorthread.h"

#include <QCoreApplication>
#include <QMap>
#include <QPoint>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

const QByteArray kStartAll = QByteArray::fromHex("EA0CA0FE01FFFF0A0100");

// Waits ms in this thread's event loop.
void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class Driver : public QObject
{
    Q_OBJECT
signals:
    void addTarget(int target, int startNumber, QString familyName, QString name, int firstlast);
    void stopAll();
    void sendCommand(QByteArray command);
    void getBullet(int target, int number);
};

struct Road
{
    QString name;
    QList<QList<int>> converters; // lanes of each
    QList<int> polled;            // lanes the exercise reads
    std::function<void(SimulatorThread &, Driver &, qint64 &startAtUs)> play;
};

qint64 simNowUs(SimulatorThread &sim)
{
    // The simulator stamps its log on its own clock: a frame injected on no
    // lane's address marks now on it.
    sim.call([](RangeSimulator &s) { s.injectBytes(0, QByteArray::fromHex("00")); });
    const QList<TrafficEntry> t = sim.call([](RangeSimulator &s) { return s.traffic(); });
    return t.isEmpty() ? 0 : t.last().timeUs;
}

class Bench
{
public:
    void run(const Road &road, QTextStream &out)
    {
        QTemporaryDir dir;
        SimulatorThread sim;
        const QString comDir = dir.filePath(QStringLiteral("com"));
        sim.call([&](RangeSimulator &s) { return s.setComDirectory(comDir); });
        qputenv(SerialPortDirectory::kEnvironmentVariable, comDir.toLocal8Bit());
        QList<int> lanes;
        for (const QList<int> &c : road.converters) {
            sim.call([&](RangeSimulator &s) { return s.addSerialConverter(c); });
            lanes += c;
        }
        std::sort(lanes.begin(), lanes.end());
        Driver driver;
        QPointer<QThread> worker = new QThread;
        auto *bus = new EMUProc(0, 1, lanes.last());
        QObject::connect(&driver, &Driver::stopAll, bus, &EMUProc::stop);
        QObject::connect(&driver, &Driver::addTarget, bus, &EMUProc::slot_view_AddMember);
        QObject::connect(&driver, &Driver::sendCommand, bus, &EMUProc::slot_emu_SendCommand);
        QObject::connect(&driver, &Driver::getBullet, bus, &EMUProc::slot_emu_GetBullet);
        int started = 0, lost = 0, found = 0;
        QStringList lostWords;
        QElapsedTimer clock;
        clock.start();
        // As an exercise reads: each lane's next shot once one arrives, its
        // first again once the START is given.
        QMap<int, int> read;
        QObject::connect(bus, &EMUProc::sig_AddBullet, &driver, [&](int ta, int number, QPoint, schar, int, int) {
            ++read[ta];
            emit driver.getBullet(ta, number + 1);
        });
        QObject::connect(bus, &EMUProc::sig_EventStarted, &driver, [&] {
            if (started++ == 0) {
                for (int l : road.polled)
                    emit driver.getBullet(l, 1);
            }
        });
        QObject::connect(bus, &EMUProc::sig_PortFounded, &driver, [&](int, int, bool f, int) { f ? ++found : ++lost; });
        QObject::connect(bus, &EMUProc::sig_PortLost, &driver, [&](int id, bool l, QList<int> t) {
            QStringList ts;
            for (int x : t)
                ts << QString::number(x);
            lostWords << QStringLiteral("%1 s port %2 %3 [%4]").arg(clock.elapsed() / 1000.0, 0, 'f', 1)
                             .arg(id).arg(l ? "lost" : "back").arg(ts.join(','));
        });
        startBusMaster(bus, worker);
        for (int i = 0; i < lanes.size(); ++i)
            emit driver.addTarget(lanes.at(i), 100 + lanes.at(i), QStringLiteral("F"), QStringLiteral("N"),
                                  lanes.size() == 1 ? 3 : i == 0 ? 0 : i == lanes.size() - 1 ? 2 : 1);
        for (int waited = 0; waited < 30000; waited += 100) {
            const bool ready = std::all_of(lanes.begin(), lanes.end(), [&](int l) {
                return sim.call([l](RangeSimulator &s) { return s.lane(l)->terminal.startNumber(); }) == 100 + l;
            });
            if (ready)
                break;
            pause(100);
        }
        pause(500);
        for (int l : road.polled)
            emit driver.getBullet(l, 1); // nothing fired: polled to the end
        pause(1000);
        sim.call([](RangeSimulator &s) { s.clearTraffic(); });
        qint64 startAtUs = -1;
        const qint64 playFromMs = clock.elapsed();
        const qint64 playFromUs = simNowUs(sim);
        ShooterSettings shooter;
        shooter.paceMs = 3000;
        for (int l : lanes)
            sim.call([l, &shooter](RangeSimulator &s) { return s.startShooter(l, shooter); });
        read.clear();
        road.play(sim, driver, startAtUs);
        const qint64 playedMs = clock.elapsed() - playFromMs;
        const qint64 playToUs = simNowUs(sim);
        const QList<TrafficEntry> traffic = sim.call([](RangeSimulator &s) { return s.traffic(); });
        emit driver.stopAll();
        while (worker)
            pause(50);
        out << "== " << road.name << " (" << playedMs / 1000.0 << " s)\n";
        for (int l : lanes) {
            QList<qint64> polls;
            int startCopies = 0;
            qint64 firstStartUs = -1;
            // On its own converter: a silent lane's polls go out on every one.
            const int converter = sim.call([l](RangeSimulator &s) { return s.converterOfLane(l); });
            for (const TrafficEntry &e : traffic) {
                if (e.kind == TrafficEntry::Received && e.converter == converter && e.address == l
                    && e.code == BusCode::kReadBullet && frameByte(e.bytes, 3) > 0)
                    polls << e.timeUs;
            }
            for (const TrafficEntry &e : traffic) {
                if (e.kind == TrafficEntry::Received && e.converter == converter && e.code == BusCode::kStart
                    && (e.address == l || BusAddress::isBroadcast(e.address))) {
                    ++startCopies;
                    if (firstStartUs < 0)
                        firstStartUs = e.timeUs;
                }
            }
            // From the road's beginning to its end: a lane no longer polled
            // has its silence to the end counted.
            qint64 longest = 0;
            polls.prepend(playFromUs);
            polls.append(playToUs);
            for (int i = 1; i < polls.size(); ++i)
                longest = std::max(longest, polls.at(i) - polls.at(i - 1));
            polls.removeFirst();
            polls.removeLast();
            const qint64 mean = polls.size() > 1 ? (polls.last() - polls.first()) / (polls.size() - 1) : 0;
            const int fired = sim.call([l](RangeSimulator &s) { return s.shotsFired(l).size(); });
            out << QStringLiteral("  lane %1 (converter %2): shots read %6 of %7 fired, %3 polls, mean interval %4 ms, longest %5 ms")
                       .arg(l).arg(converter + 1).arg(polls.size()).arg(mean / 1000).arg(longest / 1000)
                       .arg(read.value(l)).arg(fired);
            if (startAtUs >= 0)
                out << QStringLiteral(", START copies %1, first %2 s after the click")
                           .arg(startCopies)
                           .arg(firstStartUs < 0 ? QStringLiteral("-")
                                                 : QString::number((firstStartUs - startAtUs) / 1e6, 'f', 2));
            out << "\n";
        }
        out << QStringLiteral("  START reported %1 times; converter lost %2 times, found %3 times\n")
                   .arg(started).arg(lost).arg(found);
        for (const QString &w : lostWords)
            out << "  told: " << w << "\n";
        out.flush();
    }
};

QList<Road> roads()
{
    QList<Road> list;
    // Each road twice: on the small range it was first seen on, and on ten
    // lanes behind three converters, the troubled converter's lanes last.
    struct Layout
    {
        QString suffix;
        QList<QList<int>> lone, twoConverters, oneConverter;
        QList<int> loneLanes, troubled;
    };
    const QList<Layout> layouts{
        {QString(), {{1, 2}, {3}}, {{1, 2}, {3, 4}}, {{1, 2, 3, 4}}, {3}, {3, 4}},
        {QStringLiteral("-10"), {{1, 2, 3, 4, 5}, {6, 7, 8, 9}, {10}}, {{1, 2, 3, 4}, {5, 6, 7}, {8, 9, 10}},
         {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}, {10}, {8, 9, 10}},
    };
    for (const Layout &layout : layouts) {
        QList<int> all;
        for (const QList<int> &c : layout.twoConverters)
            all += c;
        const int lone = layout.loneLanes.first();
        QList<int> loneAll;
        for (const QList<int> &c : layout.lone)
            loneAll += c;
        // A lane alone on its converter and switched off.
        list << Road{QStringLiteral("lone-silent") + layout.suffix, layout.lone, loneAll,
                     [lone](SimulatorThread &sim, Driver &, qint64 &) {
                         sim.call([lone](RangeSimulator &s) {
                             s.setTargetPresent(lone, false);
                             s.setTerminalPresent(lone, false);
                         });
                         pause(45000);
                     }};
        // The first converter's other lanes done, its lane 2 switched off and
        // still read.
        QList<int> stillRead{2};
        for (const QList<int> &c : layout.lone.mid(1))
            stillRead += c;
        list << Road{QStringLiteral("one-off-after-finish") + layout.suffix, layout.lone, stillRead,
                     [](SimulatorThread &sim, Driver &, qint64 &) {
                         sim.call([](RangeSimulator &s) {
                             s.setTargetPresent(2, false);
                             s.setTerminalPresent(2, false);
                         });
                         pause(70000);
                     }};
        for (int several = 0; several < 2; ++several) {
            const QList<QList<int>> conv = several ? layout.twoConverters : layout.oneConverter;
            const QList<int> deaf = several ? layout.troubled : all;
            list << Road{QStringLiteral("deaf-converter-across-start-%1").arg(several ? conv.size() : 1) + layout.suffix,
                         conv, all, [deaf](SimulatorThread &sim, Driver &driver, qint64 &startAtUs) {
                             for (int l : deaf)
                                 sim.call([l](RangeSimulator &s) { s.loosenAcrossNextStart(l, 3000); });
                             // Long enough for their converter to be taken for lost.
                             pause(36000);
                             startAtUs = simNowUs(sim);
                             emit driver.sendCommand(kStartAll);
                             pause(20000);
                         }};
        }
        list << Road{QStringLiteral("flapping") + layout.suffix, layout.twoConverters, all,
                     [](SimulatorThread &sim, Driver &, qint64 &) {
                         for (int i = 0; i < 5; ++i) {
                             sim.call([](RangeSimulator &s) { return s.unplug(1); });
                             pause(3000);
                             sim.call([](RangeSimulator &s) { return s.replug(1); });
                             pause(3000);
                         }
                     }};
        list << Road{QStringLiteral("start-while-unplugged") + layout.suffix, layout.twoConverters, all,
                     [](SimulatorThread &sim, Driver &driver, qint64 &startAtUs) {
                         sim.call([](RangeSimulator &s) { return s.unplug(1); });
                         pause(7000);
                         startAtUs = simNowUs(sim);
                         emit driver.sendCommand(kStartAll);
                         pause(2000);
                         sim.call([](RangeSimulator &s) { return s.replug(1); });
                         pause(8000);
                     }};
    }
    return list;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList wanted;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--road"))
            wanted << args.at(i + 1);
    }
    QTextStream out(stdout);
    Bench bench;
    for (const Road &road : roads()) {
        if (wanted.isEmpty() || wanted.contains(road.name))
            bench.run(road, out);
    }
    return 0;
}

#include "main.moc"
