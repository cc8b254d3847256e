// The pistol rapid-fire stage: its five turning windows per series on the
// hand-advanced clock with the frames and clock texts of each phase, the
// miss of a window flagged for re-shooting, shots outside a window, the
// re-shoot of one target and the previous stage's results sent to the
// terminals.

#include <QtTest>

#include "event_rapid_fire_stage.h"
#include "pistolharness.h"

using namespace eventtest;

namespace {

using Run = PistolRun<EVENT_RAPID_FIRE_STAGE>;
constexpr int kRapidFireStage = 3;
constexpr int kPrecisionStage = 2;
constexpr int kRapidFace = 5;
constexpr int kWindows = 5;
constexpr qint64 kTurnedAwayMs = 7 * kMs;
constexpr qint64 kWindowMs = 3 * kMs;
constexpr qint64 kGraceMs = 5 * kMs;
constexpr qint64 kBreakMs = 60 * kMs;
// Start frame of a window: 3 s, 1 shot, pistol flag 2, 01.
const char *const kStartAll = "EA0CA0FE050003010201";
// Shot time within the window, tenths of a second.
constexpr int kInWindow = 15;

std::unique_ptr<Run> makeRun(const QList<int> &lanes = {1, 2}, TEvent *prevEvent = nullptr,
                             TBulletList *previous = nullptr)
{
    return std::make_unique<Run>(kRapidFireStage, kRapidFace, lanes, prevEvent, previous);
}

// One window: the targets turned away (the first window of a series counts
// its 7 s from START, the others from the end of the grace time), the start
// confirmed, the lanes' shots, the window's end and its grace time.
void window(Run &run, int k, const QList<int> &shooting)
{
    run.advance(k == 1 ? kTurnedAwayMs : kTurnedAwayMs - kGraceMs);
    run.exercise->slot_emu_EventStarted();
    for (int lane : shooting)
        run.shoot(lane, 1, 25 + k, kInWindow); // no two windows' shots alike
    run.advance(kWindowMs);
    run.advance(kGraceMs);
}

// A whole series; shooting[k - 1] are the lanes that shoot in window k.
void shootSeries(Run &run, const QList<QList<int>> &shooting)
{
    run.pressStart();
    for (int k = 1; k <= kWindows; ++k)
        window(run, k, shooting.value(k - 1));
    run.advance(kBreakMs - kGraceMs);
}

const QList<QList<int>> kAllShoot{{1, 2}, {1, 2}, {1, 2}, {1, 2}, {1, 2}};

} // namespace

class TestEventRapidFireStage : public QObject
{
    Q_OBJECT

private slots:
    void previousResultsToTerminals_data();
    void previousResultsToTerminals();
    void sightingSeriesCycle();
    void buttonsThroughTheStates();
    void unconfirmedStartSentAgainAfterTurnedAwayTime();
    void missOfAWindow();
    void shotsOutsideAWindow_data();
    void shotsOutsideAWindow();
    void reshootOfOneTarget();
    void graceTimeBoundToItsWindow();
};

void TestEventRapidFireStage::previousResultsToTerminals_data()
{
    QTest::addColumn<bool>("withPrevious");
    QTest::addColumn<bool>("swapped");
    QTest::addColumn<QByteArrayList>("frames");

    // The precision stage's sums, member 100: 3 tens, member 200: one ten;
    // t 0A 39, series byte = previous type 02, sum 16 bits, 00, marked.
    QTest::newRow("same lanes") << true << false
                                << QByteArrayList{hex("9F07360301"), hex("010A3902001E0003"),
                                                  hex("020A3902000A0001")};
    // Each member's own result goes to the lane the member shoots on now.
    QTest::newRow("members changed lanes") << true << true
                                           << QByteArrayList{hex("9F07360301"),
                                                             hex("010A3902001E0003"),
                                                             hex("020A3902000A0001")};
    QTest::newRow("no previous stage") << false << false << QByteArrayList{hex("9F07360301")};
}

void TestEventRapidFireStage::previousResultsToTerminals()
{
    QFETCH(bool, withPrevious);
    QFETCH(bool, swapped);
    QFETCH(QByteArrayList, frames);

    auto previous = std::make_unique<TBulletList>(targetTypeById(4), false, 560, 10.4);
    previous->addPlace(memberOn(1), swapped ? 2 : 1, QStringLiteral("Lane 1"));
    previous->addPlace(memberOn(2), swapped ? 1 : 2, QStringLiteral("Lane 2"));
    previous->setStageAll(kMatch);
    for (int number = 1; number <= 3; ++number)
        previous->addShotFromTarget(memberOn(1), number, 0, 0, 1, 10, -1);
    previous->addShotFromTarget(memberOn(2), 1, 0, 0, 1, 10, -1);

    TEvent precision;
    precision.setTypeXMLID(kPrecisionStage);
    auto run = withPrevious ? makeRun({1, 2}, &precision, previous.get()) : makeRun({1, 2});
    run->exercise->initEvent();
    QCOMPARE(run->bus->takeFrames(), frames);
    QCOMPARE(intsOf(*run->modeText), withPrevious ? QList<int>{-1} : QList<int>{});
}

void TestEventRapidFireStage::sightingSeriesCycle()
{
    auto run = makeRun();
    Run &r = *run;

    r.pressStart();
    QCOMPARE(r.exercise->seriesNumber(), 0);
    QCOMPARE(r.bus->takeFrames(), (QByteArrayList{hex("EA06A601"), hex("9F063500")}));
    QCOMPARE(intsOf(*r.modeText), QList<int>{0});
    // START is disabled and refused while the series runs.
    QVERIFY(!r.screen.startEnabled());
    r.exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(r.bus->commands.count(), 0);

    for (int k = 1; k <= kWindows; ++k) {
        r.clearSpies();
        r.run(k == 1 ? kTurnedAwayMs - 100 : kTurnedAwayMs - kGraceMs - 100);
        QCOMPARE(r.bus->commands.count(), 0);
        // Turned away: whole seconds on the start button, counted from the
        // window before's end.
        QCOMPARE(r.timeText->last().at(0).toString(), QStringLiteral("6"));
        QCOMPARE(r.timeText->last().at(1).toInt(), 1);
        r.advance(100);
        QCOMPARE(r.bus->takeFrames(), QByteArrayList{hex(kStartAll)});
        // Confirmations of the three copies: one window opens.
        confirmStart(r.exercise.get());
        QCOMPARE(r.exercise->windowsOpened(), k);
        QCOMPARE(r.timeText->last().at(0).toString(), QStringLiteral("0.0"));
        QCOMPARE(r.bus->takePolls(), (QList<QPair<int, int>>{{1, 1}, {2, 1}}));

        // Lane 2 lets window 3 pass.
        r.shoot(1, 1, 25 + k, kInWindow);
        if (k != 3)
            r.shoot(2, 1, 25 + k, kInWindow);
        r.run(kWindowMs - 100);
        QCOMPARE(r.timeText->last().at(0).toString(), QStringLiteral("2.9"));
        r.advance(100);
        QCOMPARE(r.timeText->last().at(0).toString(), QStringLiteral("3.2"));
        QVERIFY(!r.exercise->isWindowOpen());
        r.bus->clear();
        r.run(kGraceMs);
        QCOMPARE(r.bus->stops.count(), 1);
        QCOMPARE(r.list->shotCountOfStage(2, kSighting), k);
    }
    // The missed window gave lane 2 a sighting miss flagged for re-shooting.
    QCOMPARE(shotsWithFine(*r.list, 2, kSighting, kFlagged), 1);
    QCOMPARE(shotsWithFine(*r.list, 1, kSighting, kFlagged), 0);
    QCOMPARE(intsOf(*r.stopButton), QList<int>{1});

    r.bus->clear();
    r.advance(kBreakMs - kGraceMs);
    QCOMPARE(r.bus->takeFrames(), (QByteArrayList{hex("EA06A600"), hex("9F064000")}));
    QVERIFY(!intsOf(*r.delegates).contains(1));
    QCOMPARE(r.exercise->clockTimerId(), -1);
}

void TestEventRapidFireStage::buttonsThroughTheStates()
{
    auto run = makeRun({1});
    Run &r = *run;
    r.exercise->initEvent();
    QCOMPARE(r.screen.panel(), QStringLiteral("start START, back, [hidden]"));
    r.pressStart();
    QCOMPARE(r.screen.panel(), QStringLiteral("back, [SIGHTING]"));
    for (int k = 1; k <= kWindows; ++k) {
        r.advance(k == 1 ? kTurnedAwayMs : kTurnedAwayMs - kGraceMs);
        r.exercise->slot_emu_EventStarted();
        QCOMPARE(r.screen.panel(), QStringLiteral("[SIGHTING]"));
        r.advance(kWindowMs);
        r.advance(kGraceMs);
    }
    QCOMPARE(r.screen.panel(), QStringLiteral("stop, [SIGHTING]"));
    r.advance(kBreakMs - kGraceMs);
    QCOMPARE(r.screen.panel(), QStringLiteral("start START, [SIGHTING]"));

    // Series 1, lane 1 shooting in windows 1 and 2 only.
    shootSeries(r, {{1}, {1}});
    QCOMPARE(r.screen.panel(), QStringLiteral("start START, re-shoot, [MATCH]"));
    r.pressStart(1, 3);
    QCOMPARE(r.screen.panel(), QStringLiteral("[MATCH]"));
    r.advance(kTurnedAwayMs);
    r.exercise->slot_emu_EventStarted();
    QVERIFY(!r.screen.stopEnabled());
    r.exercise->slot_view_stopEvent(-1); // the shell closes the competition
    QCOMPARE(r.screen.panel(), QStringLiteral("start START, re-shoot, [MATCH]"));

    for (int series = 2; series <= 6; ++series)
        shootSeries(r, kAllShoot);
    QCOMPARE(r.screen.panel(), QStringLiteral("next, re-shoot, [MATCH]"));
}

void TestEventRapidFireStage::unconfirmedStartSentAgainAfterTurnedAwayTime()
{
    auto run = makeRun();
    run->pressStart();
    run->bus->clear();
    run->run(2 * kTurnedAwayMs - 100);
    QCOMPARE(run->bus->takeFrames(), QByteArrayList{hex(kStartAll)});
    run->advance(100);
    QCOMPARE(run->bus->takeFrames(), QByteArrayList{hex(kStartAll)});
    QCOMPARE(run->exercise->windowsOpened(), 0);
}

void TestEventRapidFireStage::missOfAWindow()
{
    auto run = makeRun();
    Run &r = *run;
    shootSeries(r, kAllShoot);
    shootSeries(r, kAllShoot);
    QCOMPARE(r.list->shotCountOfStage(2, kMatch), 5);

    // Series 2: lane 2 shoots only in windows 1, 2 and 4.
    r.pressStart();
    const QList<int> countAfterWindow{6, 7, 8, 9, 10};
    for (int k = 1; k <= kWindows; ++k) {
        r.bus->clear();
        window(r, k, k == 3 || k == 5 ? QList<int>{1} : QList<int>{1, 2});
        // Asked in every window, since it holds fewer than 5 + k.
        QCOMPARE(r.bus->takePolls().first(), qMakePair(1, 1));
        QCOMPARE(r.list->shotCountOfStage(2, kMatch), countAfterWindow.at(k - 1));
    }
    QCOMPARE(r.list->countShotsWithStatus(2, kFlagged), 2);
    QCOMPARE(r.list->countShotsWithStatus(1, kFlagged), 0);
    r.advance(kBreakMs - kGraceMs);
    QCOMPARE(r.delegates->last().at(0).toBool(), true);
}

void TestEventRapidFireStage::shotsOutsideAWindow_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("shots");

    // A reported shot is taken up to the break time of 60 s and 2 tenths of
    // tolerance, not only within the 3 s the targets keep themselves.
    QTest::newRow("within the window") << "window" << 29 << 1;
    QTest::newRow("target time past the window's 3 s") << "window" << 33 << 1;
    QTest::newRow("target time at the break time's limit") << "window" << 602 << 1;
    QTest::newRow("target time past the break time") << "window" << 603 << 0;
    QTest::newRow("turned away before the window") << "turned away" << 10 << 0;
    QTest::newRow("after the grace time") << "after grace" << 10 << 0;
}

void TestEventRapidFireStage::shotsOutsideAWindow()
{
    QFETCH(QString, when);
    QFETCH(int, time);
    QFETCH(int, shots);

    auto run = makeRun({1});
    run->pressStart();
    if (when != QLatin1String("turned away")) {
        run->advance(kTurnedAwayMs);
        confirmStart(run->exercise.get());
    }
    if (when == QLatin1String("after grace")) {
        run->advance(kWindowMs);
        run->advance(kGraceMs);
        QCOMPARE(run->list->shotCountOfStage(1, kSighting), 1); // the window's miss
        ++shots;
    }
    run->shoot(1, 1, 25, time);
    QCOMPARE(run->list->shotCountOfStage(1, kSighting), shots);
}

void TestEventRapidFireStage::reshootOfOneTarget()
{
    auto run = makeRun();
    Run &r = *run;
    for (int series = 0; series < 4; ++series)
        shootSeries(r, kAllShoot);
    // Series 4: lane 2 misses windows 2 and 4.
    shootSeries(r, {{1, 2}, {1}, {1, 2}, {1}, {1, 2}});
    QCOMPARE(r.list->countShotsWithStatus(2, kFlagged), 2);
    r.clearSpies();

    r.pressStart(2, 2);
    QCOMPARE(r.exercise->reshootingTarget(), 2);
    QCOMPARE(r.list->shotCountOfStage(2, kMatch), 18);
    QCOMPARE(r.bus->takeFrames(), (QByteArrayList{hex("0206A601"), hex("02063502")}));
    // Held 18; asked while it holds fewer than 19 in window 1 and 20 in window 2.
    for (int k = 1; k <= 2; ++k) {
        r.advance(k == 1 ? kTurnedAwayMs : kTurnedAwayMs - kGraceMs);
        QCOMPARE(r.bus->takeFrames(), QByteArrayList{hex("020CA0FE050003010201")});
        r.exercise->slot_emu_EventStarted();
        QCOMPARE(r.bus->takePolls(), (QList<QPair<int, int>>{{2, 1}}));
        r.shoot(2, 1, 25, kInWindow);
        QCOMPARE(r.list->shotCountOfStage(2, kMatch), 18 + k);
        QCOMPARE(r.bus->takePolls().size(), 0);
        r.bus->clear();
        r.advance(kWindowMs);
        r.advance(kGraceMs);
    }
    // The windows are over: the 60 s run to the break.
    QCOMPARE(intsOf(*r.stopButton), QList<int>{1});
    QCOMPARE(r.list->countShotsWithStatus(2, kFlagged), 0);
    r.advance(kBreakMs - kGraceMs);
    QCOMPARE(r.bus->takeFrames(), (QByteArrayList{hex("0206A600"), hex("02064000")}));
    QCOMPARE(r.exercise->seriesNumber(), 255);
    QCOMPARE(r.list->shotCountOfStage(1, kMatch), 20);

    r.pressStart();
    QCOMPARE(r.exercise->seriesNumber(), 5);
}

void TestEventRapidFireStage::graceTimeBoundToItsWindow()
{
    auto run = makeRun();
    Run &r = *run;
    shootSeries(r, kAllShoot);
    r.pressStart();
    r.advance(kTurnedAwayMs);
    r.exercise->slot_emu_EventStarted();
    r.shoot(1, 1, 25, kInWindow);
    r.advance(kWindowMs);
    // STOP and START within window 1's grace time: its miss is lane 2's
    // first of series 1, added before series 2 begins.
    r.advance(kGraceMs - 1000);
    r.exercise->slot_view_stopEvent(-1);
    r.pressStart();
    QCOMPARE(r.exercise->seriesNumber(), 2);
    QCOMPARE(r.list->shotCountOfStage(2, kMatch), 1);
    QCOMPARE(r.list->shotCountOfStage(1, kMatch), 1);
    QCOMPARE(r.exercise->graceTimerId(), -1);

    r.bus->clear();
    r.advance(kTurnedAwayMs);
    r.exercise->slot_emu_EventStarted();
    r.advance(1000);
    QCOMPARE(r.bus->stops.count(), 0);
    QCOMPARE(r.list->shotCountOfStage(2, kMatch), 1);
}

QTEST_MAIN(TestEventRapidFireStage)
#include "tst_eventrapidfirestage.moc"
