// The pistol precision stage: its series cycle (load, series time, grace
// time, break) on the hand-advanced clock with the frames of each phase, the
// misses flagged for re-shooting, the re-shoot of one target, the start sent
// once per load and the grace time bound to its series.

#include <QtTest>

#include "event_precision_stage.h"
#include "pistolharness.h"

using namespace eventtest;

namespace {

using Run = PistolRun<EVENT_PRECISION_STAGE>;
constexpr int kPrecisionStage = 2;
constexpr int kPrecisionFace = 4;
constexpr qint64 kLoadMs = 7 * kMs;
constexpr qint64 kSeriesMs = 300 * kMs;
constexpr qint64 kGraceMs = 5 * kMs;
constexpr qint64 kBreakMs = 60 * kMs;

std::unique_ptr<Run> makeRun(const QList<int> &lanes = {1, 2}, int targetNum = kPrecisionFace)
{
    return std::make_unique<Run>(kPrecisionStage, targetNum, lanes, nullptr);
}

// START, the load and the start's confirmation: the series time runs.
void startSeries(Run &run, int target = -1, int count = -1)
{
    run.pressStart(target, count);
    run.advance(kLoadMs);
    confirmStart(run.exercise.get());
}

// The series time, the grace time and the rest of the break time.
void endSeries(Run &run)
{
    run.advance(kSeriesMs);
    run.advance(kGraceMs);
    run.advance(kBreakMs - kGraceMs);
}

// A whole series in which each lane shoots the given number of shots.
void shootSeries(Run &run, const QMap<int, int> &shotsOfLane)
{
    startSeries(run);
    for (auto it = shotsOfLane.cbegin(); it != shotsOfLane.cend(); ++it) {
        for (int i = 0; i < it.value(); ++i)
            run.shootNext(it.key(), 100);
    }
    endSeries(run);
}

} // namespace

class TestEventPrecisionStage : public QObject
{
    Q_OBJECT

private slots:
    void startFrames_data();
    void startFrames();
    void sightingSeriesCycle();
    void buttonsThroughTheStates();
    void startSentOncePerLoad();
    void missesFlaggedForReshooting_data();
    void missesFlaggedForReshooting();
    void reshootOfOneTarget();
    void lateShotRefused();
    void graceTimeBoundToItsSeries_data();
    void graceTimeBoundToItsSeries();
    void pollingOfAStoppedSeriesEndsAtStart();
    void finishedAfterTheSixthSeries();
    void missedStartOfTheSixthSeries();
    void clockText_data();
    void clockText();
};

void TestEventPrecisionStage::startFrames_data()
{
    QTest::addColumn<int>("targetNum");
    QTest::addColumn<QByteArray>("frame");

    // EA 0C A0 FE face 01 2C (300 s) 05 (shots) 02 (pistol flag) 01.
    QTest::newRow("25 m precision face") << 4 << hex("EA0CA0FE04012C050201");
    QTest::newRow("air pistol face") << 9 << hex("EA0CA0FE09012C050201");
    // Row 1 does not exist: the kind's own face.
    QTest::newRow("no such face") << 1 << hex("EA0CA0FE04012C050201");
}

void TestEventPrecisionStage::startFrames()
{
    QFETCH(int, targetNum);
    QFETCH(QByteArray, frame);

    auto run = makeRun({1}, targetNum);
    // Five shot columns and six series for the totals.
    QCOMPARE(run->list->shotColumns(), 5);
    QCOMPARE(run->list->positionCode(1), -1);
    run->exercise->initEvent();
    QCOMPARE(run->bus->takeFrames(), QByteArrayList{hex("9F07360201")});
    run->pressStart();
    run->advance(kLoadMs);
    QCOMPARE(run->bus->takeFrames().last(), frame);
}

void TestEventPrecisionStage::sightingSeriesCycle()
{
    auto run = makeRun();
    Run &r = *run;

    r.pressStart();
    QCOMPARE(r.exercise->seriesNumber(), 0);
    QCOMPARE(r.bus->takeFrames(), (QByteArrayList{hex("EA06A601"), hex("9F064001")}));
    QCOMPARE(textsOf(*r.timeText), QStringList{"00.0"});
    QCOMPARE(r.list->stageOfTarget(1), kSighting);
    // START is disabled and refused while the series runs.
    QVERIFY(!r.screen.startEnabled());
    r.exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(r.bus->commands.count(), 0);

    // Load: whole seconds on the start button, the start after 7.0 s.
    r.timeText->clear();
    r.run(kLoadMs - 100);
    QCOMPARE(r.bus->commands.count(), 0);
    QCOMPARE(r.timeText->last().at(0).toString(), QStringLiteral("6"));
    QCOMPARE(r.timeText->last().at(1).toInt(), 1);
    r.advance(100);
    QCOMPARE(r.bus->takeFrames(), QByteArrayList{hex("EA0CA0FE04012C050201")});

    // Confirmed three times; the series time runs from the first.
    r.timeText->clear();
    confirmStart(r.exercise.get());
    QCOMPARE(r.bus->takeFrames(), QByteArrayList{hex("9F063500")});
    QCOMPARE(r.bus->takePolls(), (QList<QPair<int, int>>{{1, 1}, {2, 1}}));
    QCOMPARE(textsOf(*r.timeText), QStringList{"00.0"});
    QCOMPARE(intsOf(*r.modeText), QList<int>{0});

    // At most five sighting shots per target: shot 6 is not asked for.
    for (int i = 0; i < 5; ++i)
        r.shootNext(1, 100);
    QCOMPARE(r.list->shotCountOfStage(1, kSighting), 5);
    QCOMPARE(r.bus->lastPoll(1), 5);

    r.advance(kSeriesMs - 100);
    QCOMPARE(r.timeText->last().at(0).toString(), QStringLiteral("299.9"));
    r.bus->clear();
    r.advance(100);
    QCOMPARE(r.timeText->last().at(0).toString(), QStringLiteral("300.0"));
    QCOMPARE(r.bus->takeFrames(), QByteArrayList{hex("9F064002")});
    // Polling goes on through the grace time.
    r.shootNext(2, 3000);
    QCOMPARE(r.list->shotCountOfStage(2, kSighting), 1);

    r.bus->clear();
    r.advance(kGraceMs);
    QCOMPARE(r.bus->stops.count(), 1);
    QCOMPARE(intsOf(*r.stopButton), QList<int>{1});
    // The sighting series leaves no misses.
    QCOMPARE(r.list->shotCountOfStage(2, kSighting), 1);

    r.advance(kBreakMs - kGraceMs);
    QCOMPARE(r.bus->takeFrames(), (QByteArrayList{hex("EA06A600"), hex("9F064000")}));
    QCOMPARE(r.exercise->clockTimerId(), -1);
    QCOMPARE(intsOf(*r.stopButton), (QList<int>{1, 0}));
    // No re-shoot buttons after the sighting series.
    QVERIFY(!intsOf(*r.delegates).contains(1));
    QCOMPARE(r.finished->count(), 0);
}

void TestEventPrecisionStage::buttonsThroughTheStates()
{
    auto run = makeRun({1});
    Run &r = *run;
    r.exercise->initEvent();
    QCOMPARE(r.screen.panel(), QStringLiteral("start START, back, [hidden]"));
    r.pressStart();
    QCOMPARE(r.screen.panel(), QStringLiteral("back, [hidden]"));
    r.advance(kLoadMs);
    confirmStart(r.exercise.get());
    QCOMPARE(r.screen.panel(), QStringLiteral("[SIGHTING]"));
    r.advance(kSeriesMs);
    QCOMPARE(r.screen.panel(), QStringLiteral("[SIGHTING]"));
    r.advance(kGraceMs);
    QCOMPARE(r.screen.panel(), QStringLiteral("stop, [SIGHTING]"));
    r.advance(kBreakMs - kGraceMs);
    QCOMPARE(r.screen.panel(), QStringLiteral("start START, [SIGHTING]"));

    // Series 1 with 3 shots: the break offers the re-shoot buttons.
    startSeries(r);
    QCOMPARE(r.screen.panel(), QStringLiteral("[MATCH]"));
    for (int i = 0; i < 3; ++i)
        r.shootNext(1, 100);
    endSeries(r);
    QCOMPARE(r.screen.panel(), QStringLiteral("start START, re-shoot, [MATCH]"));
    r.pressStart(1, 2);
    QCOMPARE(r.screen.panel(), QStringLiteral("[MATCH]"));
    r.advance(kLoadMs);
    r.exercise->slot_emu_EventStarted();
    r.advance(kSeriesMs);
    r.advance(kGraceMs);
    QCOMPARE(r.screen.panel(), QStringLiteral("stop, [MATCH]"));
    QVERIFY(r.screen.pressStop());
    QCOMPARE(r.screen.panel(), QStringLiteral("start START, re-shoot, [MATCH]"));

    for (int series = 2; series <= 6; ++series)
        shootSeries(r, {{1, 5}});
    QCOMPARE(r.screen.panel(), QStringLiteral("next, re-shoot, [MATCH]"));
}

void TestEventPrecisionStage::startSentOncePerLoad()
{
    auto run = makeRun();
    run->pressStart();
    run->bus->clear();
    // One start at 7.0 s, none on the ticks after it; again only when no
    // confirmation came within 7 s.
    run->run(kLoadMs + 6900);
    QCOMPARE(run->bus->takeFrames(), QByteArrayList{hex("EA0CA0FE04012C050201")});
    run->advance(100);
    QCOMPARE(run->bus->takeFrames(), QByteArrayList{hex("EA0CA0FE04012C050201")});

    confirmStart(run->exercise.get());
    run->run(2 * kLoadMs);
    for (const QByteArray &frame : run->bus->takeFrames())
        QVERIFY(frame.at(2) != char(0xA0));
}

void TestEventPrecisionStage::missesFlaggedForReshooting_data()
{
    QTest::addColumn<int>("shotsInSeries3");
    QTest::addColumn<int>("misses");

    // Series 3: 5 x 3 = 15 match shots expected at the grace time.
    QTest::newRow("12 shots in all") << 2 << 3;
    QTest::newRow("none in series 3") << 0 << 5;
    QTest::newRow("complete") << 5 << 0;
}

void TestEventPrecisionStage::missesFlaggedForReshooting()
{
    QFETCH(int, shotsInSeries3);
    QFETCH(int, misses);

    auto run = makeRun({1, 2});
    shootSeries(*run, {{1, 5}, {2, 5}});
    shootSeries(*run, {{1, 5}, {2, 5}});
    shootSeries(*run, {{1, 5}, {2, 5}});
    shootSeries(*run, {{1, 5}, {2, shotsInSeries3}});
    QCOMPARE(run->exercise->seriesNumber(), 3);
    QCOMPARE(run->list->shotCountOfStage(2, kMatch), 15);
    QCOMPARE(shotsWithFine(*run->list, 2, kMatch, kFlagged), misses);
    QCOMPARE(run->list->countShotsWithStatus(2, kFlagged), misses);
    QCOMPARE(shotsWithFine(*run->list, 1, kMatch, kFlagged), 0);
    // The break offers the re-shoot buttons and the marking of shots.
    QCOMPARE(run->delegates->last().at(0).toBool(), true);
    QVERIFY(run->list->isMarking());
}

void TestEventPrecisionStage::reshootOfOneTarget()
{
    auto run = makeRun({2, 4});
    Run &r = *run;
    shootSeries(r, {{2, 5}, {4, 5}});
    shootSeries(r, {{2, 5}, {4, 5}});
    shootSeries(r, {{2, 5}, {4, 5}});
    shootSeries(r, {{2, 5}, {4, 3}});
    QCOMPARE(r.list->countShotsWithStatus(4, kFlagged), 2);
    r.clearSpies();

    // The row's re-shoot button: target 4 with its 2 flagged shots.
    r.pressStart(4, 2);
    QCOMPARE(r.exercise->seriesNumber(), 255);
    QCOMPARE(r.list->shotCountOfStage(4, kMatch), 13);
    const TMemberPlace *place = r.list->placeByTarget(4);
    for (int number = 1; number <= 13; ++number)
        QVERIFY(place->bulletAt(number, kMatch));
    QCOMPARE(r.bus->takeFrames(), (QByteArrayList{hex("0406A601"), hex("04064001")}));
    r.advance(kLoadMs);
    QCOMPARE(r.bus->takeFrames(), QByteArrayList{hex("040CA0FE04012C020201")});
    // An addressed start is confirmed once, by the target's answer.
    r.exercise->slot_emu_EventStarted();
    QCOMPARE(r.bus->takeFrames(), QByteArrayList{hex("04063502")});
    QCOMPARE(r.bus->takePolls(), (QList<QPair<int, int>>{{4, 1}}));
    QCOMPARE(intsOf(*r.modeText), QList<int>{1});

    r.shootNext(4, 100);
    r.shootNext(4, 100);
    QCOMPARE(r.list->shotCountOfStage(4, kMatch), 15);
    // Polled until it holds 15: no third shot is asked for.
    QCOMPARE(r.bus->takePolls(), (QList<QPair<int, int>>{{4, 2}}));
    // Each shot goes to the terminal as match shot 14, then 15.
    const QByteArrayList echoes = r.bus->takeFrames();
    QCOMPARE(echoes.size(), 2);
    QCOMPARE(echoes.at(1).left(4), hex("040F330F"));
    r.advance(kSeriesMs);
    QCOMPARE(r.bus->takeFrames(), QByteArrayList{hex("04064002")});
    r.advance(kGraceMs);
    QCOMPARE(r.list->countShotsWithStatus(4, kFlagged), 0);
    r.advance(kBreakMs - kGraceMs);
    QCOMPARE(r.bus->takeFrames(), (QByteArrayList{hex("0406A600"), hex("04064000")}));
    QCOMPARE(r.exercise->seriesNumber(), 255);
    QCOMPARE(r.list->shotCountOfStage(2, kMatch), 15);

    // A second press keeps the saved series; the next START goes on with series 4.
    r.pressStart(4, 1);
    r.exercise->slot_view_stopEvent(1);
    r.pressStart();
    QCOMPARE(r.exercise->seriesNumber(), 4);
    QCOMPARE(r.bus->takeFrames().mid(2),
             (QByteArrayList{hex("0406A600"), hex("04064000"), hex("EA06A601"), hex("9F064001")}));
}

void TestEventPrecisionStage::lateShotRefused()
{
    auto run = makeRun({1});
    startSeries(*run);
    // 300.2 s is the last time a target may give a shot of the series.
    run->shoot(1, 1, 25, 3002);
    run->shoot(1, 2, 25, 3003);
    QCOMPARE(run->list->shotCountOfStage(1, kSighting), 1);
    // The late one is passed over: the lane is asked on.
    QCOMPARE(run->bus->lastPoll(1), 3);
}

void TestEventPrecisionStage::graceTimeBoundToItsSeries_data()
{
    QTest::addColumn<bool>("startAtOnce");

    QTest::newRow("fires in the break") << false;
    QTest::newRow("next START within the grace time") << true;
}

void TestEventPrecisionStage::graceTimeBoundToItsSeries()
{
    QFETCH(bool, startAtOnce);

    auto run = makeRun({1, 2});
    Run &r = *run;
    shootSeries(r, {{1, 5}, {2, 5}});
    startSeries(r);
    for (int i = 0; i < 5; ++i)
        r.shootNext(1, 100);
    r.shootNext(2, 100);
    r.advance(kSeriesMs);
    r.advance(kGraceMs - 1000);
    // STOP within the grace time of series 1.
    r.exercise->slot_view_stopEvent(-1);
    r.clearSpies();
    if (startAtOnce) {
        r.pressStart();
        QCOMPARE(r.exercise->seriesNumber(), 2);
    }
    r.advance(1000);
    r.advance(1000);
    // Series 1's misses: lane 2 lacks 4 of its 5, whatever came after.
    QCOMPARE(r.list->shotCountOfStage(2, kMatch), 5);
    QCOMPARE(r.list->countShotsWithStatus(2, kFlagged), startAtOnce ? 0 : 4);
    QCOMPARE(r.exercise->graceTimerId(), -1);
    // The stop button stays off in the break, and the new series' polling
    // is not stopped by a grace time of the series before.
    QCOMPARE(r.stopButton->count(), 0);
    if (startAtOnce) {
        r.advance(kLoadMs);
        confirmStart(r.exercise.get());
        r.bus->clear();
        r.advance(kGraceMs * 2);
        QCOMPARE(r.bus->stops.count(), 0);
        r.shootNext(2, 100);
        QCOMPARE(r.list->shotCountOfStage(2, kMatch), 6);
    }
}

void TestEventPrecisionStage::pollingOfAStoppedSeriesEndsAtStart()
{
    auto run = makeRun({1});
    Run &r = *run;
    shootSeries(r, {{1, 5}});
    startSeries(r);
    r.shootNext(1, 100);
    r.shootNext(1, 100);
    // STOP in the middle of the series leaves shot 3 asked for.
    r.exercise->slot_view_stopEvent(1);
    QCOMPARE(r.bus->lastPoll(1), 3);
    r.bus->clear();
    r.pressStart();
    QCOMPARE(r.bus->stops.count(), 1);
    // The old series' third shot arrives late and is not taken onto the new page.
    r.shoot(1, 3, 25, 100);
    QCOMPARE(r.list->shotCountOfStage(1, kMatch), 2);
    r.advance(kLoadMs);
    confirmStart(r.exercise.get());
    // The restarted target's first shot is asked for; series 2 goes up to 10.
    QCOMPARE(r.bus->lastPoll(1), 1);
}

void TestEventPrecisionStage::finishedAfterTheSixthSeries()
{
    auto run = makeRun({1});
    for (int series = 0; series <= 6; ++series)
        shootSeries(*run, {{1, 5}});
    QCOMPARE(run->list->shotCountOfStage(1, kMatch), 30);
    QCOMPARE(run->finished->count(), 1);
    // STOP in that break says so once more (the shell's closing call).
    run->exercise->slot_view_stopEvent(-1);
    QCOMPARE(run->finished->count(), 2);
}

void TestEventPrecisionStage::missedStartOfTheSixthSeries()
{
    auto run = makeRun({1});
    // Here the targets count the exercise's time.
    run->exercise->setTargetClock(&run->clock);
    QSignalSpy told(run->exercise.get(), &MyEvent::sig_view_TargetNotStarted);
    for (int series = 0; series <= 5; ++series) {
        startSeries(*run);
        run->advance(10 * kMs);
        for (int shot = 0; shot < 5; ++shot)
            run->shootNext(1, 50 + shot, 30 + series);
        endSeries(*run);
    }
    // Its target misses the START of series 6 and answers twice with its
    // series-5 shot 1, fired 5 s after that series' START.
    startSeries(*run);
    run->shoot(1, 1, 35, 50);
    run->shoot(1, 1, 35, 50);
    endSeries(*run);
    QCOMPARE(told.count(), 1);
    QCOMPARE(shotsWithFine(*run->list, 1, kMatch, kFlagged), 5);
    // The stage waits for the operator: a re-shoot, or STOP.
    QCOMPARE(run->finished->count(), 0);
    QCOMPARE(run->stopButton->last().at(0).toBool(), true);
    run->exercise->slot_view_stopEvent(-1);
    QCOMPARE(run->finished->count(), 1);
}

void TestEventPrecisionStage::clockText_data()
{
    QTest::addColumn<int>("tenths");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("button");

    // Label: seconds with a leading zero below 10, a point and the tenth.
    QTest::newRow("5.3 s") << 53 << "05.3" << "5";
    QTest::newRow("9.9 s") << 99 << "09.9" << "9";
    QTest::newRow("10.0 s") << 100 << "10.0" << "10";
    QTest::newRow("123.4 s") << 1234 << "123.4" << "123";
}

void TestEventPrecisionStage::clockText()
{
    QFETCH(int, tenths);
    QFETCH(QString, label);
    QFETCH(QString, button);

    auto run = makeRun({1});
    run->exercise->setElapsed(tenths, true);
    QCOMPARE(run->exercise->timeText(true), label);
    QCOMPARE(run->exercise->timeText(false), button);
}

QTEST_MAIN(TestEventPrecisionStage)
#include "tst_eventprecisionstage.moc"
