// The behaviour every exercise kind inherits: the clock, the road of a shot
// answer into the shot list and out to the terminal, the confirmations of
// start, stop and target-memory reset.

#include <QtTest>

#include "createmyevent.h"
#include "event_difficult_one.h"
#include "event_simple_one.h"
#include "eventharness.h"
#include "tdbaccessor.h"
#include "testdatadir.h"
#include "tmemberplace.h"

using namespace eventtest;

namespace {

// The base with the simplest polling rule: the shot after the target's last
// one in its place's stage. It records the reset confirmations it acts on.
class PollingEvent : public MyEvent
{
public:
    explicit PollingEvent(TBulletList *list)
        : MyEvent(1, 1)
    {
        bulletList = list;
    }

    int nextBulletNumber(int target) override
    {
        const int last = bulletList->lastBulletNumberOfTarget(target, bulletList->stageOfTarget(target));
        return last < 0 ? -1 : last + 1;
    }

    // Refuses shots later than a given time, as the pistol stages refuse
    // shots outside their window.
    bool acceptBullet(int time) override { return time <= latestTime; }

    void onBDReseted(int target, int reason) override
    {
        resets.append({target, reason});
        MyEvent::onBDReseted(target, reason);
    }

    using MyEvent::act;

    QList<QPair<int, int>> resets;
    int latestTime = 1000;
};

} // namespace

class TestMyEvent : public QObject
{
    Q_OBJECT

private slots:
    void withoutShotList();
    void shotListDeletedFirst();
    void startConfirmedOncePerStart();
    void stopConfirmation();
    void shotPath();
    void duplicateAndRefusedAnswers();
    void answersWhileNotPolledAreDropped();
    void memoryFullAfterShot255();
    void verdictChangesThePageWhole_data();
    void verdictChangesThePageWhole();
    void resetReasonKeptPerTarget();
    void terminalCatchesUp_data();
    void terminalCatchesUp();
    void flaggedShotNeverSentToTerminal();
    void elapsedNeverGoesBackUnlessForced_data();
    void elapsedNeverGoesBackUnlessForced();
    void earlierClockTimerIsIgnored();
    void clockSpeedFromEnvironment_data();
    void clockSpeedFromEnvironment();
    void kindByExerciseType_data();
    void kindByExerciseType();
};

void TestMyEvent::withoutShotList()
{
    MyEvent event(1, 1);
    BusRecorder bus(&event);
    event.slot_emu_TargetFound(1, true);
    event.slot_emu_PCFound(1, true);
    event.requestNextBullet(1);
    shoot(&event, 1, 1);
    event.slot_emu_BDReseted(1);
    event.sendResetTarget(1, 0);
    event.sendBulletToPC(1, -1, -1);
    event.slot_emu_ClientBullets(1, 1, 0);
    QCOMPARE(bus.commands.count(), 0);
    QCOMPARE(bus.polls.count(), 0);
    QCOMPARE(event.stageOfTarget(1), -1);
}

void TestMyEvent::shotListDeletedFirst()
{
    RifleRun<EVENT_SIMPLE_ONE> run(1, 10, {1, 2});
    run.toMatch();
    run.shootMatch(1, 3);
    run.bus.clear();
    // The competition module deletes its shot lists when a competition is
    // opened; the bus master's reports still reach the wired exercise.
    run.list.reset();
    MyEvent *exercise = run.exercise.get();
    exercise->slot_emu_TargetFound(1, true);
    exercise->slot_emu_PCFound(2, true);
    shoot(exercise, 1, 4);
    exercise->slot_emu_ClientBullets(1, kMatch, 0);
    exercise->slot_emu_BDResetFromPC(2, 1);
    exercise->slot_emu_BDReseted(1);
    tickAt(exercise, run.clock, run.clock.nowMs() + 1000);
    exercise->slot_view_stopEvent(1);
    exercise->slot_emu_EventStoped();
    // As without a shot list: nothing is polled, stored or echoed; STOP
    // still stops the targets and the terminals.
    QCOMPARE(run.bus.polls.count(), 0);
    QCOMPARE(run.bus.takeFrames(), (QByteArrayList{hex("EA05A1"), hex("9F0531")}));
    QCOMPARE(exercise->stageOfTarget(1), -1);
    QCOMPARE(run.finished.count(), 1);
}

void TestMyEvent::startConfirmedOncePerStart()
{
    ManualClock clock;
    auto list = makeList({1, 2});
    PollingEvent event(list.get());
    event.setClock(&clock);
    BusRecorder bus(&event);
    QSignalSpy modeText(&event, &MyEvent::sig_view_ModeText);

    // A confirmation without a start sent is not taken.
    event.slot_emu_EventStarted();
    QCOMPARE(modeText.count(), 0);

    event.slot_view_startEvent(-1, -1);
    QCOMPARE(bus.takeFrames(), QByteArrayList{hex("EA0CA0FE08FFFFFF0100")});
    confirmStart(&event);
    QCOMPARE(modeText.count(), 1);
    QVERIFY(event.isRunning());
    QVERIFY(event.clockTimerId() != -1);
    // Every place goes to sighting and every target is asked for its first shot.
    QCOMPARE(bus.takePolls(), (QList<QPair<int, int>>{{1, 1}, {2, 1}}));

    event.slot_view_startEvent(-1, -1);
    confirmStart(&event);
    QCOMPARE(modeText.count(), 2);
}

void TestMyEvent::stopConfirmation()
{
    ManualClock clock;
    auto list = makeList({1, 2});
    PollingEvent event(list.get());
    event.setClock(&clock);
    event.slot_view_startEvent(-1, -1);
    confirmStart(&event);
    BusRecorder bus(&event);
    QSignalSpy stopButton(&event, &MyEvent::sig_view_BTNStopEnabled);

    event.slot_view_stopEvent(1);
    QCOMPARE(bus.takeFrames(), QByteArrayList{hex("EA05A1")});
    for (int copy = 0; copy < 3; ++copy)
        event.slot_emu_EventStoped();
    // Every copy stops the polling of every target; only the first stops the run.
    QCOMPARE(bus.takePolls(), (QList<QPair<int, int>>{{1, -1}, {2, -1}, {1, -1}, {2, -1},
                                                      {1, -1}, {2, -1}}));
    QVERIFY(!event.isRunning());
    QCOMPARE(event.clockTimerId(), -1);
    QCOMPARE(stopButton.count(), 1);
    // A stop cancels a start still waiting for its confirmation.
    event.slot_view_startEvent(-1, -1);
    event.slot_view_stopEvent(1);
    event.slot_emu_EventStarted();
    QVERIFY(!event.isRunning());
}

void TestMyEvent::shotPath()
{
    auto list = makeList({1, 2});
    PollingEvent event(list.get());
    event.slot_view_startEvent(-1, -1);
    confirmStart(&event);
    BusRecorder bus(&event);

    shoot(&event, 2, 1, 13, 291);
    QCOMPARE(list->shotCountOfStage(2, kSighting), 1);
    QCOMPARE(list->shotCountOfStage(1, kSighting), 0);
    // The shot goes to lane 2's terminal (sighting, running number 1), then
    // lane 2 is asked for shot 2.
    QCOMPARE(bus.takeFrames(), QByteArrayList{hex("020F3301 0000 000D 01 000123 00")});
    QCOMPARE(bus.takePolls(), (QList<QPair<int, int>>{{2, 2}}));

    // A lane without a place: nothing is stored or sent, nothing is asked.
    shoot(&event, 5, 1);
    QCOMPARE(bus.commands.count(), 0);
    QCOMPARE(bus.polls.count(), 0);
}

void TestMyEvent::duplicateAndRefusedAnswers()
{
    auto list = makeList({1});
    PollingEvent event(list.get());
    event.slot_view_startEvent(-1, -1);
    confirmStart(&event);
    shoot(&event, 1, 1);
    shoot(&event, 1, 1);
    QCOMPARE(list->shotCountOfStage(1, kSighting), 1);

    // A shot out of the stage's time is passed over without a frame, and
    // the lane is asked on for the next one.
    BusRecorder bus(&event);
    shoot(&event, 1, 2, 25, 1001);
    QCOMPARE(list->shotCountOfStage(1, kSighting), 1);
    QCOMPARE(bus.commands.count(), 0);
    QCOMPARE(bus.takePolls(), (QList<QPair<int, int>>{{1, 3}}));
    // A shot 3 stamped before shot 2 is of another page (switched off and
    // on between two polls): shot 2 is asked for again. Given the same, the
    // target stamps that way, and shot 3 is read.
    shoot(&event, 1, 3, 25, 1000);
    QCOMPARE(list->shotCountOfStage(1, kSighting), 1);
    QCOMPARE(bus.takePolls(), (QList<QPair<int, int>>{{1, 2}}));
    shoot(&event, 1, 2, 25, 1001);
    QCOMPARE(bus.takePolls(), (QList<QPair<int, int>>{{1, 3}}));
    shoot(&event, 1, 3, 25, 1000);
    QCOMPARE(list->shotCountOfStage(1, kSighting), 2);
}

void TestMyEvent::answersWhileNotPolledAreDropped()
{
    auto list = makeList({1});
    PollingEvent event(list.get());
    shoot(&event, 1, 1);
    QCOMPARE(list->shotCountOfStage(1, kSighting), 0);

    event.requestNextBullet(1);
    event.stopReadBullet();
    shoot(&event, 1, 1);
    QCOMPARE(list->shotCountOfStage(1, kSighting), 0);
}

void TestMyEvent::memoryFullAfterShot255()
{
    auto list = makeList({4});
    PollingEvent event(list.get());
    list->setStageAll(kMatch);
    event.requestNextBullet(4);
    for (int number = 1; number < 255; ++number)
        shoot(&event, 4, number);
    BusRecorder bus(&event);

    shoot(&event, 4, 255);
    QCOMPARE(list->shotCountOfStage(4, kMatch), 255);
    const QByteArrayList frames = bus.takeFrames();
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames.at(0).mid(0, 4), hex("040F33FF")); // running number 255 to the terminal
    QCOMPARE(frames.at(1), hex("0405A2"));             // then the target's memory reset
    // A full target is asked for nothing more until it has been reset; then
    // it numbers from 1 again.
    QCOMPARE(bus.takePolls(), (QList<QPair<int, int>>{}));
    QCOMPARE(list->pendingReset(4), 0);

    event.slot_emu_BDReseted(4);
    QCOMPARE(event.resets, (QList<QPair<int, int>>{{4, 0}}));
    QCOMPARE(list->pendingReset(4), -1);
    QCOMPARE(bus.takePolls(), (QList<QPair<int, int>>{{4, 1}}));
    // The new page's shot 1 is not taken for the old page's shot 1.
    shoot(&event, 4, 1);
    QCOMPARE(list->shotCountOfStage(4, kMatch), 256);
    // A second confirmation of the same reset is ignored.
    event.slot_emu_BDReseted(4);
    QCOMPARE(event.resets.size(), 1);
}

void TestMyEvent::verdictChangesThePageWhole_data()
{
    QTest::addColumn<bool>("insertRefused");
    QTest::newRow("stored at once") << false;
    // The new shot's insert fails after the delete and the renumbering ran.
    QTest::newRow("refused midway, then taken") << true;
}

void TestMyEvent::verdictChangesThePageWhole()
{
    QFETCH(bool, insertRefused);
    TestDataDir dir;
    TdbAccessor db(QStringLiteral("verdict"));
    TBulletList list(7, &db, targetTypeById(8), true, 450, 10.4);
    list.addPlace(memberOn(2), 2, QStringLiteral("Lane 2"));
    list.setStageAll(kMatch);
    PollingEvent event(&list);
    event.requestNextBullet(2);
    // The page holds the target's shots 2, 3 and 4; its shot 1 was passed over.
    for (int number = 2; number <= 4; ++number)
        shoot(&event, 2, number, 25 + number);
    const auto rows = [&db] { // "y:key" of the rows by running number
        db.execSelect("SELECT group_concat(fY || ':' || ID) AS r FROM "
                      "(SELECT fY, ID FROM tbullets ORDER BY fNumber)");
        return db.next() ? db.value("r").toString() : QString();
    };
    const QString before = QStringLiteral("27:1,28:2,29:3");
    QCOMPARE(rows(), before);
    if (insertRefused)
        QVERIFY(db.execQuery("CREATE TRIGGER refuse BEFORE INSERT ON tbullets BEGIN SELECT "
                             "RAISE(ABORT, 'refused'); END"));
    BusRecorder bus(&event);
    // Shot 3 proven earlier, shot 1 proven after the START.
    LaneStart::Verdict verdict;
    verdict.withdraw = {3};
    verdict.store = {{LaneShot{1, QPoint(0, 30), 50, 1}, 50}};
    event.act(2, verdict);
    // The terminal begins its match page anew, from shot 1.
    const QByteArrayList frames = bus.takeFrames();
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames.at(0) + frames.at(1).left(4), hex("02063203 020F3301"));
    if (insertRefused) {
        QCOMPARE(rows(), before);
        QVERIFY(db.execQuery("DROP TRIGGER refuse"));
    }
    // Only the withdrawn row goes; the later ones keep their keys.
    const QString after = QStringLiteral("30:4,27:1,29:3");
    QTRY_COMPARE_WITH_TIMEOUT(rows(), after, 10000);
}

void TestMyEvent::resetReasonKeptPerTarget()
{
    auto list = makeList({1, 2});
    PollingEvent event(list.get());
    // Lane 1's memory is full; then lane 2 is asked to restart in match.
    event.sendResetTarget(1, 0);
    event.sendResetTarget(2, 2);
    // Each confirmation acts with the reason given to its own target.
    event.slot_emu_BDReseted(1);
    event.slot_emu_BDReseted(2);
    QCOMPARE(event.resets, (QList<QPair<int, int>>{{1, 0}, {2, 2}}));
    QCOMPARE(list->stageOfTarget(2), kMatch);
}

void TestMyEvent::terminalCatchesUp_data()
{
    QTest::addColumn<int>("placeStage");
    QTest::addColumn<int>("reportMode");
    QTest::addColumn<int>("reportCount");
    QTest::addColumn<int>("sentNumber");

    // The place holds 5 shots in its stage; its terminal cursor starts at 0.
    QTest::newRow("match, terminal holds 3: shot 4") << kMatch << 1 << 3 << 4;
    QTest::newRow("match, terminal holds 4: shot 5") << kMatch << 1 << 4 << 5;
    QTest::newRow("match, terminal holds all: nothing") << kMatch << 1 << 5 << 0;
    QTest::newRow("report of the other stage: after the cursor") << kSighting << 1 << 3 << 1;
    QTest::newRow("sighting, terminal holds 2: shot 3") << kSighting << 0 << 2 << 3;
}

void TestMyEvent::terminalCatchesUp()
{
    QFETCH(int, placeStage);
    QFETCH(int, reportMode);
    QFETCH(int, reportCount);
    QFETCH(int, sentNumber);

    auto list = makeList({2});
    list->setStageAll(placeStage);
    for (int number = 1; number <= 5; ++number)
        QVERIFY(list->addShotFromTarget(memberOn(2), number, 0, 25, 1, 10, -1));
    PollingEvent event(list.get());
    BusRecorder bus(&event);

    event.slot_emu_ClientBullets(2, reportMode, reportCount);
    const QByteArrayList frames = bus.takeFrames();
    if (sentNumber == 0) {
        QVERIFY(frames.isEmpty());
        return;
    }
    QCOMPARE(frames.size(), 1);
    QCOMPARE(quint8(frames.at(0).at(3)), quint8(sentNumber));
    QCOMPARE(int(frames.at(0).at(12)), placeStage);
}

void TestMyEvent::flaggedShotNeverSentToTerminal()
{
    auto list = makeList({3});
    list->addMisses(memberOn(3), 1, 1);
    PollingEvent event(list.get());
    BusRecorder bus(&event);
    event.sendBulletToPC(3, -1, -1);
    event.slot_emu_ClientBullets(3, kSighting, 0);
    QCOMPARE(bus.commands.count(), 0);
}

void TestMyEvent::elapsedNeverGoesBackUnlessForced_data()
{
    QTest::addColumn<int>("tenths");
    QTest::addColumn<bool>("force");
    QTest::addColumn<int>("expected");

    // The clock stands at 60 tenths.
    QTest::newRow("smaller, not forced: kept") << 50 << false << 60;
    QTest::newRow("smaller, forced") << 50 << true << 50;
    QTest::newRow("larger") << 70 << false << 70;
}

void TestMyEvent::elapsedNeverGoesBackUnlessForced()
{
    QFETCH(int, tenths);
    QFETCH(bool, force);
    QFETCH(int, expected);

    ManualClock clock;
    MyEvent event(1, 1);
    event.setClock(&clock);
    event.startEventTimer();
    tickAt(&event, clock, 6000);
    QCOMPARE(event.elapsed(), 60);
    event.setElapsed(tenths, force);
    QCOMPARE(event.elapsed(), expected);
    // The bus master's time is taken as it comes.
    event.slot_emu_setTime(50);
    QCOMPARE(event.elapsed(), 50);
}

void TestMyEvent::earlierClockTimerIsIgnored()
{
    ManualClock clock;
    MyEvent event(1, 1);
    event.setClock(&clock);
    event.startEventTimer();
    const int earlier = event.clockTimerId();
    clock.setNowMs(5000);
    event.startEventTimer();
    QVERIFY(event.clockTimerId() != earlier);

    clock.setNowMs(9000);
    QTimerEvent stale(earlier);
    QCoreApplication::sendEvent(&event, &stale);
    QCOMPARE(event.elapsed(), 0);
    tickAt(&event, clock, 9000);
    QCOMPARE(event.elapsed(), 40);
    event.stopEventTimer();
    QCOMPARE(event.clockTimerId(), -1);
}

void TestMyEvent::clockSpeedFromEnvironment_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("tickMs");

    QTest::newRow("unset: real time") << QByteArray() << 1 << 100;
    QTest::newRow("ten times faster") << QByteArray("10") << 10 << 10;
    QTest::newRow("zero: real time") << QByteArray("0") << 1 << 100;
    QTest::newRow("not a number: real time") << QByteArray("fast") << 1 << 100;
    QTest::newRow("beyond the tick: 1 ms ticks") << QByteArray("1000") << 1000 << 1;
}

void TestMyEvent::clockSpeedFromEnvironment()
{
    QFETCH(QByteArray, value);
    QFETCH(int, speed);
    QFETCH(int, tickMs);

    if (value.isNull())
        qunsetenv(MonotonicClock::kSpeedVariable);
    else
        qputenv(MonotonicClock::kSpeedVariable, value);
    MonotonicClock clock;
    qunsetenv(MonotonicClock::kSpeedVariable);
    QCOMPARE(clock.speed(), speed);
    QCOMPARE(clock.tickIntervalMs(), tickMs);
}

void TestMyEvent::kindByExerciseType_data()
{
    QTest::addColumn<int>("typeXMLID");
    QTest::addColumn<QString>("kind");

    // Exercise types with a running exercise: 1 and 6 (rifle), 2 and 3 (pistol).
    QTest::newRow("1: one position") << 1 << "EVENT_SIMPLE_ONE";
    QTest::newRow("6: three positions") << 6 << "EVENT_DIFFICULT_ONE";
    QTest::newRow("4: none") << 4 << "";
    QTest::newRow("-1: none") << -1 << "";
}

void TestMyEvent::kindByExerciseType()
{
    QFETCH(int, typeXMLID);
    QFETCH(QString, kind);

    auto event = makeEvent(typeXMLID, 60);
    auto list = makeList({1});
    std::unique_ptr<MyEvent> exercise(createMyEvent(list.get(), event.get(), nullptr));
    if (kind.isEmpty()) {
        QVERIFY(!exercise);
        return;
    }
    QVERIFY(exercise);
    QCOMPARE(QString::fromLatin1(exercise->metaObject()->className()), kind);
    QVERIFY(!createMyEvent(list.get(), nullptr, nullptr));
}

QTEST_MAIN(TestMyEvent)
#include "tst_myevent.moc"
