// The main window's wiring of the running exercise between the bus master
// and the run screen: every link of both sides, replacing and unwiring.

#include <QPointer>
#include <QtTest>

#include "../exercises/eventharness.h"
#include "emuproc.h"
#include "eventwiring.h"
#include "fakerunscreen.h"
#include "tmemberplace.h"

using namespace eventtest;

namespace {

// The bus master with its receiver count opened up for the wiring checks.
class ProbeBus : public EMUProc
{
    Q_OBJECT

public:
    using EMUProc::EMUProc;
    int receiverCount(const char *signal) const { return receivers(signal); }
};

} // namespace

class TestEventWiring : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void busReportsReachTheExercise();
    void runScreenDrivesTheExercise();
    void replacingAndUnwiring();
    void typeWithoutExercise();
    void everyBusReportIsWiredOnce_data();
    void everyBusReportIsWiredOnce();

private:
    std::unique_ptr<ProbeBus> m_bus;
    std::unique_ptr<FakeRunScreen> m_screen;
    std::unique_ptr<TBulletList> m_list;
};

void TestEventWiring::init()
{
    // Not started: its signals are emitted by hand here, its slots only queue.
    m_bus = std::make_unique<ProbeBus>(0, 1, 10);
    m_screen = std::make_unique<FakeRunScreen>();
    m_list = makeList({1, 2});
}

void TestEventWiring::cleanup()
{
    m_screen.reset();
    m_list.reset();
    m_bus.reset();
}

void TestEventWiring::busReportsReachTheExercise()
{
    auto record = makeEvent(1, 10);
    EventWiring wiring(m_bus.get(), m_screen.get());
    MyEvent *exercise = wiring.connectEvent(record.get(), m_list.get(), nullptr);
    QVERIFY(exercise);
    QSignalSpy frames(exercise, &MyEvent::sig_emu_SendCommand);
    QSignalSpy polls(exercise, &MyEvent::sig_emu_getBullet);

    emit m_bus->sig_TargetEnabled(1, true);
    emit m_bus->sig_PCEnabled(2, true);
    QVERIFY(m_list->placeByTarget(1)->targetFound());
    QVERIFY(m_list->placeByTarget(2)->terminalFound());

    QVERIFY(m_screen->pressStart());
    emit m_bus->sig_EventStarted();
    QCOMPARE(m_screen->valuesOf("ModeText"), QStringList{"0"});
    QCOMPARE(polls.count(), 2);

    emit m_bus->sig_AddBullet(1, 1, QPoint(0, 25), schar(1), 10, 10);
    QCOMPARE(m_list->shotCountOfStage(1, 0), 1);
    frames.clear();
    emit m_bus->sig_PCWroteBullet(1, 0, 0); // the terminal lacks shot 1
    QCOMPARE(frames.count(), 1);
    QCOMPARE(frames.at(0).at(0).toByteArray().left(4), QByteArray::fromHex("010F3301"));

    polls.clear();
    emit m_bus->sig_EventStoped();
    QCOMPARE(polls.count(), 2); // every target's polling stops

    // Declared for the exercise; the shell passes it on as it comes.
    emit m_bus->sig_setTime(77);
    QCOMPARE(exercise->elapsed(), 77);
}

void TestEventWiring::runScreenDrivesTheExercise()
{
    auto record = makeEvent(1, 10);
    EventWiring wiring(m_bus.get(), m_screen.get());
    MyEvent *exercise = wiring.connectEvent(record.get(), m_list.get(), nullptr);
    // initEvent ran once: the start button reads "START".
    QCOMPARE(m_screen->valuesOf("BTNStartText"), QStringList{"-1"});

    QSignalSpy frames(exercise, &MyEvent::sig_emu_SendCommand);
    QVERIFY(m_screen->pressStart());
    QCOMPARE(frames.count(), 1);
    QCOMPARE(m_screen->valuesOf("TimeChange"), QStringList{"00:00 0"});
    emit m_bus->sig_EventStarted();
    QCOMPARE(m_screen->valuesOf("BTNStopEnabled"), QStringList{"1"});
    QCOMPARE(m_screen->valuesOf("BTNBackEnabled"), QStringList{"0"});

    QVERIFY(m_screen->pressStop());
    QCOMPARE(m_screen->valuesOf("EventFinished").size(), 1);
}

void TestEventWiring::replacingAndUnwiring()
{
    auto first = makeEvent(1, 10);
    auto second = makeEvent(6, 10);
    EventWiring wiring(m_bus.get(), m_screen.get());
    QPointer<MyEvent> old = wiring.connectEvent(first.get(), m_list.get(), nullptr);
    QPointer<MyEvent> current = wiring.connectEvent(second.get(), m_list.get(), nullptr);
    QVERIFY(old.isNull());
    QVERIFY(current);
    QCOMPARE(wiring.currentEvent(), current.data());

    wiring.disconnectEvent();
    QVERIFY(current.isNull());
    QVERIFY(!wiring.currentEvent());
    m_screen->calls.clear();
    QVERIFY(m_screen->pressStart());
    emit m_bus->sig_EventStarted();
    emit m_bus->sig_TargetEnabled(1, true);
    QVERIFY(m_screen->calls.isEmpty());
    QVERIFY(!m_list->placeByTarget(1)->targetFound());
    wiring.disconnectEvent(); // nothing left to unwire
}

void TestEventWiring::typeWithoutExercise()
{
    auto record = makeEvent(4, 10);
    EventWiring wiring(m_bus.get(), m_screen.get());
    QVERIFY(!wiring.connectEvent(record.get(), m_list.get(), nullptr));
    QVERIFY(!wiring.currentEvent());
    QVERIFY(m_screen->pressStart());
    QVERIFY(m_screen->calls.isEmpty());
}

void TestEventWiring::everyBusReportIsWiredOnce_data()
{
    // The ten bus reports the main window passes to the running exercise.
    QTest::addColumn<QByteArray>("signal");
    QTest::newRow("target found") << QByteArray(SIGNAL(sig_TargetEnabled(int, bool)));
    QTest::newRow("terminal found") << QByteArray(SIGNAL(sig_PCEnabled(int, bool)));
    QTest::newRow("shot") << QByteArray(SIGNAL(sig_AddBullet(int, int, QPoint, schar, int, int)));
    QTest::newRow("time") << QByteArray(SIGNAL(sig_setTime(int)));
    QTest::newRow("started") << QByteArray(SIGNAL(sig_EventStarted()));
    QTest::newRow("stopped") << QByteArray(SIGNAL(sig_EventStoped()));
    QTest::newRow("memory reset") << QByteArray(SIGNAL(sig_BDReseted(int)));
    QTest::newRow("cluster set") << QByteArray(SIGNAL(sig_ClasterSetted()));
    QTest::newRow("match from terminal") << QByteArray(SIGNAL(sig_setMatchFromPC(int, int)));
    QTest::newRow("terminal wrote shot") << QByteArray(SIGNAL(sig_PCWroteBullet(int, int, int)));
}

void TestEventWiring::everyBusReportIsWiredOnce()
{
    QFETCH(QByteArray, signal);
    auto record = makeEvent(1, 10);
    auto second = makeEvent(1, 10);
    EventWiring wiring(m_bus.get(), m_screen.get());
    const int before = m_bus->receiverCount(signal.constData());
    QVERIFY(wiring.connectEvent(record.get(), m_list.get(), nullptr));
    QCOMPARE(m_bus->receiverCount(signal.constData()), before + 1);
    // Replacing the exercise leaves one link, not two.
    QVERIFY(wiring.connectEvent(second.get(), m_list.get(), nullptr));
    QCOMPARE(m_bus->receiverCount(signal.constData()), before + 1);
    wiring.disconnectEvent();
    QCOMPARE(m_bus->receiverCount(signal.constData()), before);
}

QTEST_MAIN(TestEventWiring)
#include "tst_eventwiring.moc"
