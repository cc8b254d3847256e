// The bus master on its worker thread against the range simulator, wired as
// the program wires it: converters on pseudo-terminals behind "COM%1" links,
// or a network converter on loopback TCP.

#include "busrecorder.h"

#include "busframe.h"
#include "busthread.h"
#include "emuproc.h"
#include "serialportdirectory.h"
#include "simline.h"
#include "simulatorthread.h"
#include "waitms.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

namespace {

constexpr int kSetupWaitMs = 30000;
constexpr int kWaitMs = 15000;
// A port without answers for 30 s is dead; the search after it takes a while more.
constexpr int kDeadPortWaitMs = 60000;
// The simulator stamps a frame when its thread has read it; on a loaded
// machine that thread can be late by tens of milliseconds for one copy and on
// time for the next. Half the gap is still far above copies written back to
// back (a few milliseconds apart), which is the fault this guards against.
constexpr qint64 kStampJitterUs = 25000;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const QByteArray kStartAll = hex("EA0CA0FE01FFFF0A0100");

// When a row's exercise stops polling its lane around the START.
constexpr int kStopNone = 0;
constexpr int kStopAfterStart = 1;
constexpr int kStopBeforeStart = 2;

// The range's gaps, for the tests that look at the timing or count writes
// over a time; the others keep a tenth of them to the simulator, which
// answers at once.
constexpr BusGaps kRangeGaps;
constexpr BusGaps kQuickGaps{5, 7, 20};

// The bus master's line and clock, run by the test in its own thread: a
// wait runs the steps due by its end, in order; each written frame is shown
// to onWrite in the wait after the write, as a slot queued then would run.
class ScriptedLine : public BusLine, public BusClock
{
public:
    std::function<void(const QByteArray &)> onWrite;

    bool write(const QByteArray &frame, bool) override
    {
        at(0, [this, frame] { onWrite(frame); });
        return true;
    }
    bool writeTo(int, const QByteArray &frame, bool check) override { return write(frame, check); }
    int refindPort(int) override { return 1; }
    int findMissing() override { return 1; }
    void flush(int) override {}
    qint64 nsecsElapsed() const override { return m_nowMs * 1000000; }
    void wait(int ms) override
    {
        const qint64 until = m_nowMs + ms;
        while (!m_due.empty() && m_due.begin()->first <= until) {
            const auto next = m_due.begin();
            m_nowMs = std::max(m_nowMs, next->first);
            const std::function<void()> step = next->second;
            m_due.erase(next);
            step();
        }
        m_nowMs = until;
    }
    void at(qint64 inMs, std::function<void()> step) { m_due.emplace(m_nowMs + inMs, std::move(step)); }

private:
    qint64 m_nowMs = 0;
    std::multimap<qint64, std::function<void()>> m_due;
};

// Real time that the test moves on at once: a converter's timeout and a
// lane's wait pass without waiting them out.
class SkipClock : public BusClock
{
public:
    SkipClock() { m_timer.start(); }
    qint64 nsecsElapsed() const override { return m_timer.nsecsElapsed() + m_aheadNs; }
    void wait(int ms) override { waitMs(ms); }
    void skipMs(qint64 ms) { m_aheadNs += ms * 1000000; }

private:
    QElapsedTimer m_timer;
    std::atomic<qint64> m_aheadNs{0};
};

} // namespace

// Stands for the main window and the running exercise: the bus master's
// slots are reached only through these signals, queued to the worker thread.
class BusDriver : public QObject
{
    Q_OBJECT

signals:
    void sig_AddTarget(int target, int startNumber, QString familyName, QString name, int firstlast);
    void stopAll();
    void sig_emu_SendCommand(QByteArray command);
    void sig_emu_getBullet(int target, int number);
    void sig_emu_stopReadBullet();
};

class TestBusMaster : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void searchAndSetUpTwoConverters();
    void shotsArriveAsFired();
    void broadcastWrittenThreeTimes();
    void closingFramesBeforeFinished();
    void unpluggedConverterLosesNoShot();
    void startWaitsForAnUnpluggedConverter();
    void silentLineLostWhilePolled();
    void silentTarget_data();
    void silentTarget();
    void deafConverterAcrossStart_data();
    void deafConverterAcrossStart();
    void flappingConverter();
    void silentTargetPingedAndTold();
    void noiseAndBrokenAnswers();
    void answerAtTheTurnAfterNoise();
    void noShotNamesItsPoll_data();
    void noShotNamesItsPoll();
    void relayChangedDuringWaits();
    void relayChangedDuringPortSearch();
    void networkConverter();

private:
    void startBus(int mode, int addrStart, int addrCol, bool withLog = false,
                  const BusGaps &gaps = kQuickGaps);
    void addRelay(const QList<int> &lanes);
    void waitForSetUp(const QList<int> &lanes);
    // Asks each lane for its next shot as soon as one arrives, as an exercise does.
    void followShots();
    QList<TrafficEntry> received(int converter, int address = -1, int code = -1) const;
    int polls(int lane) const;
    // Moves the bus clock on EmuPortState::kAskGapMs at a time, each time
    // once the lane was polled twice more: the silence its port counts.
    void skipAsked(int lane, int steps);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatorThread> m_sim;
    QPointer<QThread> m_worker; // deletes itself once finished
    std::unique_ptr<BusRecorder> m_recorder;
    std::unique_ptr<BusDriver> m_driver;
    std::unique_ptr<SkipClock> m_clock; // outlives the bus master
    EMUProc *m_bus = nullptr; // lives in m_worker; deleted there after sig_finished
};

void TestBusMaster::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_sim = std::make_unique<SimulatorThread>();
    const QString comDir = m_dir->filePath(QStringLiteral("com"));
    QVERIFY(m_sim->call([&](RangeSimulator &s) { return s.setComDirectory(comDir); }));
    qputenv(SerialPortDirectory::kEnvironmentVariable, comDir.toLocal8Bit());
    m_driver = std::make_unique<BusDriver>();
    m_clock = std::make_unique<SkipClock>();
}

void TestBusMaster::cleanup()
{
    if (m_worker) {
        emit m_driver->stopAll();
        // The thread object goes through this thread's events, as in the program.
        QTRY_VERIFY_WITH_TIMEOUT(m_worker.isNull(), kWaitMs);
    }
    m_recorder.reset();
    m_bus = nullptr;
    m_clock.reset();
    m_sim.reset();
    m_dir.reset();
    qunsetenv(SerialPortDirectory::kEnvironmentVariable);
    qunsetenv(EMUProc::kTcpHostVariable);
    qunsetenv(EMUProc::kTcpPortVariable);
}

void TestBusMaster::startBus(int mode, int addrStart, int addrCol, bool withLog,
                             const BusGaps &gaps)
{
    m_worker = new QThread;
    m_bus = new EMUProc(mode, addrStart, addrCol, m_clock.get());
    m_bus->setGaps(gaps);
    connect(m_driver.get(), &BusDriver::stopAll, m_bus, &EMUProc::stop);
    connect(m_driver.get(), &BusDriver::sig_AddTarget, m_bus, &EMUProc::slot_view_AddMember);
    connect(m_driver.get(), &BusDriver::sig_emu_SendCommand, m_bus, &EMUProc::slot_emu_SendCommand);
    connect(m_driver.get(), &BusDriver::sig_emu_getBullet, m_bus, &EMUProc::slot_emu_GetBullet);
    connect(m_driver.get(), &BusDriver::sig_emu_stopReadBullet, m_bus, &EMUProc::slot_emu_StopReadBullet);
    m_recorder = std::make_unique<BusRecorder>(m_bus, withLog);
    startBusMaster(m_bus, m_worker);
}

void TestBusMaster::addRelay(const QList<int> &lanes)
{
    for (int i = 0; i < lanes.size(); ++i) {
        const int firstlast = lanes.size() == 1 ? 3 : i == 0 ? 0 : i == lanes.size() - 1 ? 2 : 1;
        emit m_driver->sig_AddTarget(lanes.at(i), 100 + lanes.at(i), QStringLiteral("Фамилия%1").arg(i),
                                     QStringLiteral("Имя"), firstlast);
    }
}

void TestBusMaster::waitForSetUp(const QList<int> &lanes)
{
    // The set-up ends with the start number on each lane's terminal.
    for (int lane : lanes) {
        QTRY_VERIFY_WITH_TIMEOUT(m_recorder->lines.contains(QStringLiteral("PCEnabled(%1,1)").arg(lane)),
                                 kSetupWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(
            m_sim->call([lane](RangeSimulator &s) { return s.lane(lane)->terminal.startNumber(); }),
            100 + lane, kSetupWaitMs);
    }
}

void TestBusMaster::followShots()
{
    connect(m_bus, &EMUProc::sig_AddBullet, m_driver.get(),
            [this](int ta, int number, QPoint, schar, int, int) { emit m_driver->sig_emu_getBullet(ta, number + 1); });
}

QList<TrafficEntry> TestBusMaster::received(int converter, int address, int code) const
{
    QList<TrafficEntry> found;
    const QList<TrafficEntry> traffic = m_sim->call([](RangeSimulator &s) { return s.traffic(); });
    for (const TrafficEntry &entry : traffic) {
        if (entry.kind == TrafficEntry::Received && entry.converter == converter
            && (address < 0 || entry.address == address) && (code < 0 || entry.code == code))
            found.append(entry);
    }
    return found;
}

int TestBusMaster::polls(int lane) const
{
    const int converter = m_sim->call([lane](RangeSimulator &s) { return s.converterOfLane(lane); });
    return received(converter, lane, BusCode::kReadBullet).size();
}

void TestBusMaster::skipAsked(int lane, int steps)
{
    for (int step = 0; step < steps; ++step) {
        const int before = polls(lane);
        QTRY_VERIFY_WITH_TIMEOUT(polls(lane) >= before + 2, kWaitMs);
        m_clock->skipMs(EmuPortState::kAskGapMs);
    }
}

void TestBusMaster::searchAndSetUpTwoConverters()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1, 2}); }), 0);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({3, 4}); }), 1);
    startBus(0, 1, 10);
    addRelay({1, 2, 3, 4});
    waitForSetUp({1, 2, 3, 4});

    // Ports 1 and 2 found their converters on COM1 and COM2, in that order.
    QCOMPARE(m_recorder->matching(QStringLiteral("PortFounded(1,")).first(), QStringLiteral("PortFounded(1,1,1,1)"));
    QCOMPARE(m_recorder->matching(QStringLiteral("PortFounded(2,")).first(), QStringLiteral("PortFounded(2,2,1,2)"));
    for (int lane : {1, 2, 3, 4})
        QVERIFY(m_recorder->lines.contains(QStringLiteral("TargetEnabled(%1,1)").arg(lane)));

    // Addresses of the range without a member are switched off three times
    // on every converter, although none of them ever answered.
    for (int converter : {0, 1}) {
        for (int address = 5; address <= 10; ++address) {
            const QList<TrafficEntry> off = received(converter, address, BusCode::kTargetEnable);
            QCOMPARE(off.size(), 3);
            QCOMPARE(off.first().bytes, frameWithCrc(bytesOf({address, 0x06, 0xAA, 0x00})));
        }
    }
    // Each lane is switched on, its terminal queried and given the start
    // number, on its own converter only.
    const QList<QByteArray> expected{hex("0306AA01"), hex("03063400"), hex("03063767")}; // 103 = 0x67
    QList<QByteArray> setUp;
    for (const TrafficEntry &entry : received(1, 3)) {
        if (entry.code != BusCode::kReadBullet && !setUp.contains(entry.bytes))
            setUp.append(entry.bytes);
    }
    QCOMPARE(setUp.mid(0, 3), (QList<QByteArray>{frameWithCrc(expected[0]), frameWithCrc(expected[1]),
                                                  frameWithCrc(expected[2])}));
    QVERIFY(received(0, 3, BusCode::kTargetEnable).isEmpty());
    QVERIFY(received(0, 3, BusCode::kTerminalQuery).isEmpty());
}

void TestBusMaster::shotsArriveAsFired()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1, 2}); }), 0);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({3, 4}); }), 1);
    startBus(0, 1, 10);
    addRelay({1, 2, 3, 4});
    waitForSetUp({1, 2, 3, 4});

    m_sim->call([](RangeSimulator &s) {
        s.fireShot(1, 300, 100, -1, 291);
        s.fireShot(1, 0, 0, 0, 300);
        s.fireShot(3, 1234, 500, 3, 0xFFFFFF); // largest 24-bit time
        s.fireShot(3, 0xFFFF, 0xFFFF, 127, 5);
    });
    followShots();
    emit m_driver->sig_emu_getBullet(1, 1);
    emit m_driver->sig_emu_getBullet(3, 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder->count(QStringLiteral("AddBullet")), 4, kWaitMs);
    QCOMPARE(m_recorder->matching(QStringLiteral("AddBullet(1,")),
             (QStringList{"AddBullet(1,1,300,100,-1,291,291)", "AddBullet(1,2,0,0,0,300,300)"}));
    QCOMPARE(m_recorder->matching(QStringLiteral("AddBullet(3,")),
             (QStringList{"AddBullet(3,1,1234,500,3,16777215,16777215)",
                          "AddBullet(3,2,65535,65535,127,5,5)"}));

    // Polls for lane 3 go out on its converter only, one shot number after the other.
    const auto asked = [this] {
        QList<int> numbers;
        for (const TrafficEntry &entry : received(1, 3, BusCode::kReadBullet)) {
            const int number = frameByte(entry.bytes, 3);
            if (number > 0 && (numbers.isEmpty() || numbers.last() != number))
                numbers.append(number);
        }
        return numbers;
    };
    QTRY_COMPARE_WITH_TIMEOUT(asked(), (QList<int>{1, 2, 3}), kWaitMs);
    QVERIFY(received(0, 3, BusCode::kReadBullet).size() <= received(1, 3, BusCode::kReadBullet).size());
    for (const TrafficEntry &entry : received(0, 3, BusCode::kReadBullet))
        QCOMPARE(frameByte(entry.bytes, 3), 0); // only the unchecked pings of the search

    // A frame of lane 3 that checks, read through converter 1 (line noise),
    // takes its address there: once its target is silent, its polls go out
    // through every converter and find it where it is.
    // Its shot is fired once a poll went there: fired before, it could be
    // read through converter 2 before the noise is. The answer to a poll on
    // its way through converter 2 as the noise comes takes the address back:
    // the noise comes again until a poll goes through converter 1.
    const auto polledThrough1 = [this] {
        const QList<TrafficEntry> polled = received(0, 3, BusCode::kReadBullet);
        return std::any_of(polled.begin(), polled.end(), [](const TrafficEntry &e) { return frameByte(e.bytes, 3) == 3; });
    };
    for (int noise = 0; noise < 5 && !polledThrough1(); ++noise) {
        m_sim->call([](RangeSimulator &s) { s.injectFrame(0, hex("030EA3000000000000000000")); });
        (void)QTest::qWaitFor(polledThrough1, kWaitMs / 5);
    }
    QVERIFY(polledThrough1());
    m_sim->call([](RangeSimulator &s) { s.fireShot(3, 7, 7, 0, 7); });
    m_clock->skipMs(LaneWait::kToldAfterMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder->count(QStringLiteral("AddBullet(3,")), 3, kWaitMs);
}

void TestBusMaster::broadcastWrittenThreeTimes()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1, 2}); }), 0);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({3}); }), 1);
    // The range's gaps are checked; the line is set up once for the three broadcasts.
    startBus(0, 1, 3, false, kRangeGaps);
    addRelay({1, 2, 3});
    waitForSetUp({1, 2, 3});

    const QList<QPair<QByteArray, QString>> broadcasts{{kStartAll, "EventStarted"},
                                                       {hex("EA05A1"), "EventStoped"},
                                                       {hex("EA06A601"), "ClasterSetted"}};
    for (const auto &broadcast : broadcasts) {
        const QByteArray &command = broadcast.first;
        const QString &report = broadcast.second;
        const int reports = m_recorder->count(report);
        const int copiesBefore[] = {received(0, 0xEA, frameByte(command, 2)).size(),
                                    received(1, 0xEA, frameByte(command, 2)).size()};
        emit m_driver->sig_emu_SendCommand(command);
        // One report per good write of a copy (the write covers both converters).
        QTRY_COMPARE_WITH_TIMEOUT(m_recorder->count(report), reports + 3, kWaitMs);
        for (int converter : {0, 1}) {
            const auto copiesOf = [&] {
                return received(converter, 0xEA, frameByte(command, 2)).mid(copiesBefore[converter]);
            };
            QTRY_COMPARE_WITH_TIMEOUT(copiesOf().size(), 3, kWaitMs);
            const QList<TrafficEntry> copies = copiesOf();
            for (const TrafficEntry &copy : copies)
                QCOMPARE(copy.bytes, frameWithCrc(command));
            for (int i = 1; i < copies.size(); ++i) {
                const qint64 gapUs = copies.at(i).timeUs - copies.at(i - 1).timeUs;
                QVERIFY2(gapUs >= 50000 - kStampJitterUs, qPrintable(QString::number(gapUs)));
            }
        }
        if (report == QLatin1String("EventStarted")) // copies within a second restart nothing
            QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.lane(3)->target.startCount(); }), 1);
    }
}

void TestBusMaster::closingFramesBeforeFinished()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1, 2}); }), 0);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({3}); }), 1);
    startBus(0, 1, 3);
    addRelay({1, 2, 3});
    waitForSetUp({1, 2, 3});

    emit m_driver->stopAll();
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->lines.contains(QStringLiteral("finished")), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_worker.isNull(), kWaitMs);
    // The ports are closed by now: what is not on the wire never will be.
    const QList<QByteArray> closing{frameWithCrc(hex("EA05A1")), frameWithCrc(hex("EA05A1")),
                                    frameWithCrc(hex("EA05A1")), frameWithCrc(hex("9F0531")),
                                    frameWithCrc(hex("9F0531")), frameWithCrc(hex("9F0531")),
                                    frameWithCrc(hex("EA06A600")), frameWithCrc(hex("EA06A600")),
                                    frameWithCrc(hex("EA06A600"))};
    const auto tail = [this](int converter, int count) {
        QList<QByteArray> frames;
        for (const TrafficEntry &entry : received(converter))
            frames.append(entry.bytes);
        return frames.mid(frames.size() - count);
    };
    const QList<QByteArray> lanes12{frameWithCrc(hex("0106AA00")), frameWithCrc(hex("0206AA00"))};
    const QList<QByteArray> lane3{frameWithCrc(hex("0306AA00"))};
    QTRY_COMPARE_WITH_TIMEOUT(tail(0, 11), closing + lanes12, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(tail(1, 10), closing + lane3, kWaitMs);
}

void TestBusMaster::unpluggedConverterLosesNoShot()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1}); }), 0);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({3, 4}); }), 1);
    startBus(0, 1, 4, true, kRangeGaps);
    addRelay({1, 3, 4});
    waitForSetUp({1, 3, 4});
    followShots();
    emit m_driver->sig_emu_getBullet(3, 1);
    emit m_driver->sig_emu_getBullet(1, 1);

    const auto fire = [this](int lane, int x) {
        return m_sim->call([lane, x](RangeSimulator &s) { return s.fireShot(lane, quint16(x), 10, 0, x); });
    };
    QCOMPARE(fire(3, 1), 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder->count(QStringLiteral("AddBullet(3,")), 1, kWaitMs);

    // A lane read behind the lost converter is not heard, as a deaf target's,
    // until it answers again: its target may be switched off and on meanwhile.
    QObject listener;
    QStringList toldHeard;
    connect(m_bus, &EMUProc::sig_TargetHeard, &listener, [&toldHeard](int ta, bool heard) {
        toldHeard.append(QStringLiteral("%1 %2").arg(ta).arg(heard ? "heard" : "unheard"));
    });
    const int beforeUnplug = m_recorder->lines.size();
    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.unplug(1); }));
    QCOMPARE(fire(3, 2), 2); // shots while unplugged wait in the target
    QCOMPARE(fire(1, 1), 1);
    QCOMPARE(fire(3, 3), 3);
    // The vanished device tells at once; its lanes go off at the next pass.
    const auto since = [this](int from) { return m_recorder->lines.mid(from); };
    QTRY_VERIFY_WITH_TIMEOUT(since(beforeUnplug).contains(QStringLiteral("PortFounded(2,-1,0,1)")), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(since(beforeUnplug).contains(QStringLiteral("TargetEnabled(3,0)")), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(since(beforeUnplug).contains(QStringLiteral("TargetEnabled(4,0)")), kWaitMs);
    const QStringList outage = since(beforeUnplug);
    QVERIFY(!outage.contains(QStringLiteral("TargetEnabled(1,0)"))); // the other converter serves on
    // The port lets its vanished device go instead of writing into it for
    // the 30 s until it counts as dead.
    int writesToGoneDevice = 0;
    for (const QString &line : outage)
        writesToGoneDevice += line.startsWith(QStringLiteral("DataWrote(2,")) ? 1 : 0;
    QVERIFY2(writesToGoneDevice < 5, qPrintable(QString::number(writesToGoneDevice)));
    QTRY_COMPARE_WITH_TIMEOUT(toldHeard, QStringList{"3 unheard"}, kWaitMs);
    const int before = m_recorder->lines.size();

    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.replug(1); }));
    QCOMPARE(fire(3, 4), 4);
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder->count(QStringLiteral("AddBullet(3,")), 4, kDeadPortWaitMs);
    const QStringList after = m_recorder->lines.mid(before);
    // Back on COM2, through whichever port looked for a converter first once
    // the device was there again: not necessarily the port it left.
    QVERIFY(after.indexOf(QRegularExpression(QStringLiteral("^PortFounded\\(\\d,2,1,2\\)$"))) >= 0);
    QVERIFY(after.contains(QStringLiteral("TargetEnabled(3,1)")));
    QVERIFY(after.contains(QStringLiteral("TargetEnabled(4,1)")));
    QCOMPARE(m_recorder->matching(QStringLiteral("AddBullet(3,")),
             (QStringList{"AddBullet(3,1,1,10,0,1,1)", "AddBullet(3,2,2,10,0,2,2)",
                          "AddBullet(3,3,3,10,0,3,3)", "AddBullet(3,4,4,10,0,4,4)"}));
    // Each change was reported once, though the loop met the dead port at
    // every pass: one loss of the port, one off per lane, one found when back.
    const QStringList sinceUnplug = since(beforeUnplug);
    QCOMPARE(sinceUnplug.filter(QRegularExpression(QStringLiteral("^PortFounded\\(2,-?\\d+,0,"))).size(), 1);
    QCOMPARE(sinceUnplug.filter(QRegularExpression(QStringLiteral("^PortFounded\\(\\d,2,1,"))).size(), 1);
    for (int lane : {3, 4}) {
        QCOMPARE(sinceUnplug.count(QStringLiteral("TargetEnabled(%1,0)").arg(lane)), 1);
        QCOMPARE(sinceUnplug.count(QStringLiteral("TargetEnabled(%1,1)").arg(lane)), 1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder->matching(QStringLiteral("AddBullet(1,")),
                              QStringList{"AddBullet(1,1,1,10,0,1,1)"}, kWaitMs);
    QCOMPARE(toldHeard, (QStringList{"3 unheard", "3 heard"}));

    // Lost again while shot 5 is asked for, polls stopped, found again and
    // only pinged: an unread shot follows shot 1, read, and cannot pass for
    // the next page's first. The next START finds lane 3 heard.
    toldHeard.clear();
    const int lostAgain = m_recorder->lines.size();
    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.unplug(1); }));
    QTRY_VERIFY_WITH_TIMEOUT(
        !since(lostAgain).filter(QRegularExpression(QStringLiteral("^PortFounded\\(\\d,-1,0,1\\)$"))).isEmpty(), kWaitMs);
    emit m_driver->sig_emu_stopReadBullet();
    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.replug(1); }));
    QTRY_VERIFY_WITH_TIMEOUT(since(lostAgain).contains(QStringLiteral("TargetEnabled(3,1)")), kDeadPortWaitMs);
    emit m_driver->sig_emu_SendCommand(kStartAll);
    QTRY_COMPARE_WITH_TIMEOUT(since(lostAgain).count(QStringLiteral("EventStarted")), 3, kWaitMs);
    QCOMPARE(toldHeard.filter(QStringLiteral("unheard")), QStringList{});
}

void TestBusMaster::startWaitsForAnUnpluggedConverter()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1}); }), 0);
    startBus(0, 1, 1);
    addRelay({1});
    waitForSetUp({1});

    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.unplug(0); }));
    emit m_driver->sig_emu_SendCommand(kStartAll);
    // The vanished device is a lost converter at once, not after 30 s of silence.
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->lines.contains(QStringLiteral("PortFounded(1,-1,0,0)")), kWaitMs);
    QVERIFY(m_recorder->lines.contains(QStringLiteral("TargetEnabled(1,0)")));
    // A start written to no converter is no start.
    QCOMPARE(m_recorder->count(QStringLiteral("EventStarted")), 0);

    const int before = m_recorder->lines.size();
    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.replug(0); }));
    QTRY_VERIFY_WITH_TIMEOUT(m_recorder->count(QStringLiteral("EventStarted")) >= 2, kWaitMs);
    const QStringList after = m_recorder->lines.mid(before);
    // On whichever port looked first once the device was there again.
    const int found = after.indexOf(QRegularExpression(QStringLiteral("^PortFounded\\(\\d,1,1,1\\)$")));
    QVERIFY(found >= 0);
    QVERIFY(found < after.indexOf(QStringLiteral("EventStarted")));
    QTRY_COMPARE_WITH_TIMEOUT(m_sim->call([](RangeSimulator &s) { return s.lane(1)->target.startCount(); }), 1,
                              kWaitMs);
}

void TestBusMaster::silentLineLostWhilePolled()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1}); }), 0);
    startBus(0, 1, 1);
    addRelay({1});
    waitForSetUp({1});
    // The converter stays plugged in, its line silent: only the polls for
    // the lane's shot ask it, and 30 s of them unanswered make it lost.
    m_sim->call([](RangeSimulator &s) {
        s.setTargetPresent(1, false);
        s.setTerminalPresent(1, false);
    });
    emit m_driver->sig_emu_getBullet(1, 1);
    const auto lost = [this] { return m_recorder->lines.contains(QStringLiteral("PortFounded(1,-1,0,0)")); };
    // Asked for 30 s: six steps of 5 s and the polls' own milliseconds.
    skipAsked(1, 5);
    QVERIFY(!lost());
    skipAsked(1, 1);
    QTRY_VERIFY_WITH_TIMEOUT(lost(), 2000);
}

void TestBusMaster::silentTarget_data()
{
    QTest::addColumn<int>("off");     // its target and terminal switched off, still polled
    QTest::addColumn<int>("done");    // a lane the exercise no longer polls, or 0
    QTest::addColumn<bool>("lost");   // the off lane's converter is lost
    QTest::addColumn<int>("healthy"); // a lane of the other converter, polled throughout
    // Converter 1 has lanes 1 and 2, converter 2 lane 3.
    QTest::newRow("alone on its converter") << 3 << 0 << true << 1;
    QTest::newRow("the other lane of its converter done") << 2 << 1 << false << 3;
}

void TestBusMaster::silentTarget()
{
    QFETCH(int, off);
    QFETCH(int, done);
    QFETCH(bool, lost);
    QFETCH(int, healthy);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1, 2}); }), 0);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({3}); }), 1);
    startBus(0, 1, 3);
    addRelay({1, 2, 3});
    waitForSetUp({1, 2, 3});
    m_sim->call([off](RangeSimulator &s) {
        s.setTargetPresent(off, false);
        s.setTerminalPresent(off, false);
    });
    for (int lane : {1, 2, 3}) {
        if (lane != done)
            emit m_driver->sig_emu_getBullet(lane, 1);
    }
    const QString loss = QStringLiteral("PortFounded(%1,-1,0,").arg(off == 3 ? 2 : 1);
    skipAsked(off, 8);
    QTRY_COMPARE_WITH_TIMEOUT(!m_recorder->lines.filter(loss).isEmpty(), lost, 2000);
    // The other converter's lane is read on.
    const int before = polls(healthy);
    QTRY_VERIFY_WITH_TIMEOUT(polls(healthy) >= before + 10, kWaitMs);
}

void TestBusMaster::deafConverterAcrossStart_data()
{
    QTest::addColumn<QList<int>>("second"); // lanes of a second converter; the first has 1 and 2
    QTest::newRow("one converter") << QList<int>{};
    QTest::newRow("two converters") << QList<int>{3, 4};
}

void TestBusMaster::deafConverterAcrossStart()
{
    QFETCH(QList<int>, second);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1, 2}); }), 0);
    if (!second.isEmpty())
        QCOMPARE(m_sim->call([&second](RangeSimulator &s) { return s.addSerialConverter(second); }), 1);
    const QList<int> lanes = QList<int>{1, 2} + second;
    startBus(0, 1, lanes.size());
    addRelay(lanes);
    waitForSetUp(lanes);
    for (int lane : lanes)
        emit m_driver->sig_emu_getBullet(lane, 1);
    // Every target of converter 1 deaf until just after the START, so long
    // that the converter is taken for lost.
    m_sim->call([](RangeSimulator &s) {
        s.loosenAcrossNextStart(1, 300);
        s.loosenAcrossNextStart(2, 300);
    });
    skipAsked(1, 7);
    QTRY_VERIFY_WITH_TIMEOUT(!m_recorder->lines.filter(QStringLiteral("PortFounded(1,-1,0,")).isEmpty(), 2000);
    emit m_driver->sig_emu_SendCommand(kStartAll);
    // It goes out on every converter at once: the deaf targets' converter
    // was found again at once (their targets miss it).
    QTRY_COMPARE_WITH_TIMEOUT(received(0, BusAddress::kAllTargets, BusCode::kStart).size(), 3, 2000);
    for (int lane : second)
        QTRY_COMPARE_WITH_TIMEOUT(m_sim->call([lane](RangeSimulator &s) { return s.lane(lane)->target.startCount(); }), 1,
                                  kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder->count(QStringLiteral("EventStarted")), 3, kWaitMs);
    for (int lane : second) {
        const int before = polls(lane);
        QTRY_VERIFY_WITH_TIMEOUT(polls(lane) >= before + 5, kWaitMs);
    }
}

void TestBusMaster::flappingConverter()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1, 2}); }), 0);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({3, 4}); }), 1);
    startBus(0, 1, 4);
    addRelay({1, 2, 3, 4});
    waitForSetUp({1, 2, 3, 4});
    for (int lane : {1, 2, 3, 4})
        emit m_driver->sig_emu_getBullet(lane, 1);
    for (int flap = 0; flap < 2; ++flap) {
        const int before = m_recorder->lines.size();
        QVERIFY(m_sim->call([](RangeSimulator &s) { return s.unplug(1); }));
        QTRY_VERIFY_WITH_TIMEOUT(m_recorder->lines.mid(before).contains(QStringLiteral("PortFounded(2,-1,0,1)")), kWaitMs);
        // Converter 1's lanes are read on while converter 2 is looked for.
        const int polled = polls(1);
        QTRY_VERIFY_WITH_TIMEOUT(polls(1) >= polled + 10, kWaitMs);
        if (flap == 1) {
            // A START goes out to converter 1 at once; converter 2's targets,
            // found again later, keep the shots fired at them meanwhile.
            emit m_driver->sig_emu_SendCommand(kStartAll);
            QTRY_COMPARE_WITH_TIMEOUT(m_sim->call([](RangeSimulator &s) { return s.lane(1)->target.startCount(); }), 1,
                                      kWaitMs);
            QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.lane(3)->target.startCount(); }), 0);
            QTRY_COMPARE_WITH_TIMEOUT(m_recorder->count(QStringLiteral("EventStarted")), 3, kWaitMs);
            // Lost for long: told once, with its lanes.
            m_clock->skipMs(EMUProc::kPortLostToldAfterMs);
            QTRY_VERIFY_WITH_TIMEOUT(m_recorder->lines.contains(QStringLiteral("PortLost(2,1,3 4)")), kWaitMs);
        }
        QVERIFY(m_sim->call([](RangeSimulator &s) { return s.replug(1); }));
        QTRY_VERIFY_WITH_TIMEOUT(m_recorder->lines.mid(before).contains(QStringLiteral("PortFounded(2,2,1,2)")), kWaitMs);
    }
    const int back = polls(3);
    QTRY_VERIFY_WITH_TIMEOUT(polls(3) >= back + 5, kWaitMs);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.lane(3)->target.startCount(); }), 0);
    QCOMPARE(m_recorder->count(QStringLiteral("EventStarted")), 3);
    QCOMPARE(m_recorder->matching(QStringLiteral("PortLost")), (QStringList{"PortLost(2,1,3 4)", "PortLost(2,0,3 4)"}));
}

void TestBusMaster::noiseAndBrokenAnswers()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1, 2}); }), 0);
    startBus(0, 1, 2);
    addRelay({1, 2});
    waitForSetUp({1, 2});
    followShots();

    // Noise here is bytes that form no frame with the answers around them;
    // any other bytes are a frame by the bus's rule (a chance of 1 in 65536
    // per window), so that is checked first.
    const QList<QByteArray> noises{hex("55AA00FF13"), hex("0000000000000000"), hex("010EA3"),
                                   hex("FE0102030405060708")};
    QList<QByteArray> answers;
    for (int lane : {1, 2}) {
        for (int number = 0; number <= 6; ++number)
            answers.append(frameWithCrc(bytesOf({lane, 0x0E, 0xA3, number, 0, 0, 0, number, 0, 0, 0, number})));
    }
    for (const QByteArray &noise : noises) {
        for (const QByteArray &answer : qAsConst(answers)) {
            for (const QByteArray &before : {noise + answer, noise + answer.left(13) + char(answer.at(13) ^ 0x5A) + answer}) {
                QByteArray buffer = before;
                QCOMPARE(extractFrames(buffer, true), QList<QByteArray>{answer});
            }
        }
    }

    emit m_driver->sig_emu_getBullet(1, 1);
    emit m_driver->sig_emu_getBullet(2, 1);
    for (int number = 1; number <= 6; ++number) {
        m_sim->call([number, &noises](RangeSimulator &s) {
            s.injectBytes(0, noises.at(number % noises.size()));
            s.breakAnswers(number % 2 + 1, 1);
            s.fireShot(1, 0, quint16(number), 0, number);
            s.fireShot(2, 0, quint16(number), 0, number);
        });
        QTRY_COMPARE_WITH_TIMEOUT(m_recorder->count(QStringLiteral("AddBullet")), 2 * number, kWaitMs);
    }
    QStringList expected;
    for (int lane : {1, 2}) {
        for (int number = 1; number <= 6; ++number)
            expected.append(QStringLiteral("AddBullet(%1,%2,0,%2,0,%2,%2)").arg(lane).arg(number));
    }
    QStringList shots = m_recorder->matching(QStringLiteral("AddBullet"));
    std::stable_sort(shots.begin(), shots.end(), [](const QString &a, const QString &b) {
        return a.left(11) < b.left(11); // by lane, keeping the order of arrival
    });
    QCOMPARE(shots, expected);
}

void TestBusMaster::answerAtTheTurnAfterNoise()
{
    // Noise read before the poll, whose tail and the head of the answer
    // check by chance as a 14-byte window across the turn of the line.
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({2}); }), 0);
    startBus(0, 2, 1, true, kRangeGaps);
    addRelay({2});
    waitForSetUp({2});
    m_sim->call([](RangeSimulator &s) {
        for (int number = 1; number <= 7; ++number)
            s.fireShot(2, 300, 100, 3, 291); // answered for shot 7 with 02 0E A3 07 01 2C 00 64 03 00 01 23 64 5B
        s.injectBytes(0, hex("050EA33A03AA04B0"));
    });
    const auto bytesRead = [this] {
        QStringList reads = m_recorder->lines.filter(QRegularExpression(QStringLiteral("^DataReaded.*,0\\)$")));
        for (QString &read : reads)
            read = read.section(QLatin1Char(','), 2, 2);
        return reads.join(QLatin1Char(' '));
    };
    QTRY_VERIFY_WITH_TIMEOUT(bytesRead().endsWith(QStringLiteral("05 0E A3 3A 03 AA 04 B0")), kWaitMs);

    const int asked = m_recorder->lines.size();
    emit m_driver->sig_emu_getBullet(2, 7);
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder->matching(QStringLiteral("AddBullet")),
                              QStringList{"AddBullet(2,7,300,100,3,291,291)"}, kWaitMs);
    // Taken from the read that completed it: asked for once, and no other
    // frame came out of the line.
    const QStringList after = m_recorder->lines.mid(asked);
    QCOMPARE(after.filter(QStringLiteral("DataWrote(1,1,02 09 A3 07 ")).size(), 1);
    QCOMPARE(after.filter(QRegularExpression(QStringLiteral("^DataReaded.*,1\\)$"))),
             QStringList{"DataReaded(1,1,02 0E A3 07 01 2C 00 64 03 00 01 23 64 5B,1)"});
}

void TestBusMaster::noShotNamesItsPoll_data()
{
    QTest::addColumn<int>("wantedAfterPoll");
    QTest::addColumn<QByteArray>("answers"); // to the poll for shot 5
    QTest::addColumn<int>("pollsAfterStart"); // a START goes out before they are read; -1: none
    QTest::addColumn<int>("stop"); // the exercise stops polling (kStop*), then asks again
    QTest::addColumn<QByteArray>("startFrame"); // to all targets, or the lane's own (a re-shoot's)
    QTest::addColumn<QStringList>("reported");
    const QByteArray noShot = frameWithCrc(hex("010EA3000000000000000000"));
    const QByteArray ownStart = hex("010CA0FE01FFFF0A0100");
    const QStringList fifth{"NoBullet(1,5)"};
    QTest::newRow("read once the lane wants an earlier shot") << 3 << noShot << -1 << kStopNone << kStartAll << fifth;
    QTest::newRow("after a 12-byte answer")
        << 5 << frameWithCrc(hex("010CA300000000000000")) + noShot << -1 << kStopNone << kStartAll << fifth;
    QTest::newRow("and its late copy") << 5 << noShot + noShot << -1 << kStopNone << kStartAll << fifth;
    // Given before the target took the START: it says nothing of the page after.
    QTest::newRow("read after a START") << 5 << noShot << 0 << kStopNone << kStartAll << QStringList{};
    QTest::newRow("read after the lane's own START") << 5 << noShot << 0 << kStopNone << ownStart << QStringList{};
    // A poll written after the START does not make it that poll's answer.
    QTest::newRow("read after a START and the next poll")
        << 5 << noShot << 1 << kStopNone << kStartAll << QStringList{};
    // Nor does a stop of the lane's polling, as a window's START ends the
    // reading of the window before when its grace time is still running.
    QTest::newRow("read after a START, a stop and the next poll")
        << 5 << noShot << 1 << kStopAfterStart << kStartAll << QStringList{};
    // The order every window plays when its grace time is over before the
    // next START: the answer still on its way is of the window before.
    QTest::newRow("read after a stop, a START and the next poll")
        << 5 << noShot << 1 << kStopBeforeStart << kStartAll << QStringList{};
}

void TestBusMaster::noShotNamesItsPoll()
{
    QFETCH(int, wantedAfterPoll);
    QFETCH(QByteArray, answers);
    QFETCH(int, pollsAfterStart);
    QFETCH(int, stop);
    QFETCH(QByteArray, startFrame);
    // A broadcast goes out three times; a lane's own START once a turn
    // until its target confirms it (this one does not hear it).
    const bool broadcast = BusAddress::isBroadcast(frameByte(startFrame, 0));
    const int copies = broadcast ? 3 : 1;
    // The bus master's own loop on the test's line, in this thread: the
    // order of writes and answers is the row's to the millisecond.
    ScriptedLine line;
    EMUProc bus(&line, &line, 1, 1);
    bus.setGaps(kQuickGaps);
    BusRecorder recorder(&bus);
    constexpr qint64 kAnswerMs = 2;
    constexpr qint64 kSetUpMs = 1000;
    const QByteArray poll = hex("0109A305000000");
    bool hearing = true; // until the set-up is over; then its answers are the row's
    enum Step { FirstPoll, Starts, PollsAfterStart, Reading, Done };
    Step step = FirstPoll;
    int count = 0;
    line.onWrite = [&](const QByteArray &frame) {
        if (hearing && frameByte(frame, 0) == 1) {
            // A ping is answered "no shot", a command given back.
            const QByteArray answer = frameByte(frame, 2) == BusCode::kReadBullet
                ? frameWithCrc(hex("010EA3000000000000000000")) : frameWithCrc(frame);
            line.at(kAnswerMs, [&bus, answer] { bus.slot_emu_Answer(1, 1, answer); });
            return;
        }
        if (step == FirstPoll && frame == poll) {
            bus.slot_emu_GetBullet(1, wantedAfterPoll);
            if (pollsAfterStart >= 0) {
                if (stop == kStopBeforeStart)
                    bus.slot_emu_StopReadBullet();
                bus.slot_emu_SendCommand(startFrame);
            }
            step = pollsAfterStart < 0 ? Reading : Starts;
        } else if (step == Starts && frame == startFrame && ++count == copies) {
            count = 0;
            step = PollsAfterStart;
            if (stop == kStopAfterStart)
                bus.slot_emu_StopReadBullet();
            if (stop != kStopNone)
                bus.slot_emu_GetBullet(1, 5);
        } else if (step == PollsAfterStart && frame == poll) {
            ++count;
        }
        if (step == PollsAfterStart && count == pollsAfterStart)
            step = Reading;
        if (step == Reading) {
            // The answers come as the port cuts them out of what it read.
            QByteArray bytes = answers;
            for (const QByteArray &answer : extractFrames(bytes, true))
                line.at(kAnswerMs, [&bus, answer] { bus.slot_emu_Answer(1, 1, answer); });
            line.at(kAnswerMs + 1, [&bus] { bus.stop(); });
            step = Done;
        }
    };
    line.at(kSetUpMs, [&] {
        hearing = false;
        bus.slot_emu_GetBullet(1, 5);
    });
    bus.slot_view_AddMember(1, 101, QString(), QString(), 3);
    bus.process();
    QCOMPARE(step, Done);
    QCOMPARE(recorder.count(QStringLiteral("EventStarted")), pollsAfterStart < 0 || !broadcast ? 0 : 3);
    QTEST(recorder.matching(QStringLiteral("NoBullet")), "reported");
}

void TestBusMaster::silentTargetPingedAndTold()
{
    // The bus master's own loop on the test's line: lane 1 answers its
    // set-up, then nothing, while the exercise polls it, stops, polls again.
    ScriptedLine line;
    EMUProc bus(&line, &line, 1, 1);
    bus.setGaps(kQuickGaps);
    constexpr qint64 kSetUpMs = 1000;
    const QByteArray ping = hex("0109A300000000");
    enum Step { SetUp, Polled, Stopped, Asked, Missing, Queued, Done };
    Step step = SetUp;
    qint64 askedMs = -1;
    qint64 missingMs = -1;
    QByteArray afterQueued;
    line.onWrite = [&](const QByteArray &frame) {
        if (step == SetUp && frameByte(frame, 0) == 1) {
            const QByteArray answer = frameByte(frame, 2) == BusCode::kReadBullet
                ? frameWithCrc(hex("010EA3000000000000000000")) : frameWithCrc(frame);
            line.at(2, [&bus, answer] { bus.slot_emu_Answer(1, 1, answer); });
        } else if (step == Polled && frameByte(frame, 2) == BusCode::kReadBullet) {
            // Stopped before its silence is told: asked, it is pinged in the break.
            askedMs = line.msecsElapsed();
            line.at(1, [&bus] { bus.slot_emu_StopReadBullet(); });
            step = Stopped;
        } else if (step == Stopped && frame == ping) {
            bus.slot_emu_GetBullet(1, 1);
            step = Asked;
        } else if (step == Missing && frame == ping) {
            // A START given during the wait before the next ping goes first.
            line.at(1, [&bus] { bus.slot_emu_SendCommand(kStartAll); });
            step = Queued;
        } else if (step == Queued) {
            afterQueued = frame;
            step = Done;
            line.at(1, [&bus] { bus.stop(); });
        }
    };
    connect(&bus, &EMUProc::sig_TargetMissing, this, [&](int, bool missing) {
        if (!missing || step != Asked)
            return;
        missingMs = line.msecsElapsed();
        bus.slot_emu_StopReadBullet();
        step = Missing;
    });
    line.at(kSetUpMs, [&] {
        step = Polled;
        bus.slot_emu_GetBullet(1, 1);
    });
    line.at(kSetUpMs + 60000, [&bus] { bus.stop(); });
    bus.slot_view_AddMember(1, 101, QString(), QString(), 3);
    bus.process();
    QCOMPARE(step, Done);
    // Told missing once it was waited for over 5 s, at the ask after that.
    QVERIFY2(missingMs - askedMs > 5000 && missingMs - askedMs <= 5000 + 2 * kQuickGaps.pollMs,
             qPrintable(QString::number(missingMs - askedMs)));
    QCOMPARE(afterQueued, kStartAll);
}

void TestBusMaster::relayChangedDuringWaits()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1, 2, 3}); }), 0);
    startBus(0, 1, 3, true);
    addRelay({1, 2, 3});
    waitForSetUp({1, 2, 3});
    for (int lane : {1, 2, 3})
        emit m_driver->sig_emu_getBullet(lane, 1); // no shots: polled for good

    // The loop spends its time in the waits before each poll, so a relay
    // change lands in one of them, while it works on some lane.
    const QList<QList<int>> relays{{2}, {1, 3}, {3}, {2, 1}};
    for (const QList<int> &relay : relays) {
        const int changed = m_recorder->lines.size();
        addRelay(relay);
        for (int lane : relay) {
            QTRY_VERIFY_WITH_TIMEOUT(m_recorder->lines.mid(changed).contains(QStringLiteral("TargetEnabled(%1,1)").arg(lane)),
                                     kWaitMs);
            emit m_driver->sig_emu_getBullet(lane, 1);
        }
        // Serving the new relay: its lanes are polled again.
        const QString poll = QStringLiteral("%1 09 A3 01").arg(relay.last(), 2, 10, QLatin1Char('0'));
        QTRY_VERIFY_WITH_TIMEOUT(m_recorder->lines.mid(changed).filter(poll).size() >= 2, kWaitMs);
        // From the first report of the change on, a lane that left is only switched off.
        const QStringList after = m_recorder->lines.mid(changed);
        const int from = after.indexOf(QStringLiteral("TargetEnabled(%1,0)").arg(relay.first()));
        QVERIFY(from >= 0);
        for (int lane : {1, 2, 3}) {
            if (relay.contains(lane))
                continue;
            const QString prefix = QStringLiteral(",%1 ").arg(lane, 2, 10, QLatin1Char('0'));
            for (const QString &line : after.mid(from)) {
                if (line.startsWith(QStringLiteral("DataWrote(")) && line.contains(prefix))
                    QVERIFY2(line.contains(prefix + QStringLiteral("06 AA 00")), qPrintable(line));
            }
        }
    }
}

void TestBusMaster::relayChangedDuringPortSearch()
{
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({1}); }), 0);
    QCOMPARE(m_sim->call([](RangeSimulator &s) { return s.addSerialConverter({2, 3}); }), 1);
    // Two lines without a converter: each search of a port waits on them.
    SimPtyLine silent[2];
    for (int i = 0; i < 2; ++i) {
        QVERIFY(silent[i].plug());
        QVERIFY(QFile::link(silent[i].endpoint(), m_dir->filePath(QStringLiteral("com/COM%1").arg(9 + i))));
    }
    startBus(0, 1, 3, true);
    addRelay({1, 2});
    waitForSetUp({1, 2});

    // The next relay arrives while the lost port 1 is being searched again.
    bool sent = false;
    connect(m_bus, &EMUProc::sig_DataWrote, m_driver.get(), [this, &sent](int id, int com, QByteArray) {
        if (id == 1 && com == 9 && !sent) {
            sent = true;
            addRelay({2, 3});
        }
    });
    QVERIFY(m_sim->call([](RangeSimulator &s) { return s.unplug(0); }));
    QTRY_VERIFY_WITH_TIMEOUT(sent, kWaitMs);
    // That relay's search ends with its set-up, like any other.
    waitForSetUp({3});
}

void TestBusMaster::networkConverter()
{
    const int converter = m_sim->call([](RangeSimulator &s) { return s.addTcpConverter(0, {11, 12}); });
    QVERIFY(converter >= 0);
    const quint16 port = m_sim->call([converter](RangeSimulator &s) { return s.tcpPort(converter); });
    qputenv(EMUProc::kTcpHostVariable, "127.0.0.1");
    qputenv(EMUProc::kTcpPortVariable, QByteArray::number(port));
    startBus(1, 11, 3);
    addRelay({11, 12});
    waitForSetUp({11, 12});
    QVERIFY(m_recorder->lines.contains(QStringLiteral("TargetEnabled(11,1)")));
    QVERIFY(m_recorder->lines.contains(QStringLiteral("TargetEnabled(12,1)")));
    QCOMPARE(received(converter, 13, BusCode::kTargetEnable).size(), 3);

    m_sim->call([](RangeSimulator &s) { s.fireShot(12, 77, 88, 2, 99); });
    followShots();
    emit m_driver->sig_emu_getBullet(12, 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder->matching(QStringLiteral("AddBullet")),
                              QStringList{"AddBullet(12,1,77,88,2,99,99)"}, kWaitMs);
    emit m_driver->sig_emu_SendCommand(kStartAll);
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder->count(QStringLiteral("EventStarted")), 3, kWaitMs);
}

QTEST_MAIN(TestBusMaster)
#include "tst_busmaster.moc"
