// The one-position series: its states from START through the sighting and
// the match to the finish, its clock text and STOP.

#include <QtTest>

#include "event_simple_one.h"
#include "eventharness.h"

using namespace eventtest;

namespace {

using Run = RifleRun<EVENT_SIMPLE_ONE>;
constexpr int kSimpleOne = 1;

QList<int> intsOf(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &args : spy)
        values.append(args.at(0).toInt());
    return values;
}

} // namespace

class TestEventSimpleOne : public QObject
{
    Q_OBJECT

private slots:
    void seriesOfTheList_data();
    void seriesOfTheList();
    void initEvent();
    void buttonsThroughTheStates();
    void sightingStart();
    void sightingEndsByItsClock();
    void matchStartAndFinish();
    void matchEndsAtMatchCount();
    void strayConfirmationsDoNothing();
    void stopConfirmationOnlyStopsPolling();
    void clockText_data();
    void clockText();
    void everySecondShownOnce();
    void stop_data();
    void stop();
    void stopReachesEveryLaneWhateverTheRowOrder();
    void emptyListFinishesOnlyByStop();
};

void TestEventSimpleOne::seriesOfTheList_data()
{
    QTest::addColumn<int>("matchCount");
    QTest::addColumn<int>("series");

    // Series of 10: MatchCount / 10, truncated.
    QTest::newRow("60 shots") << 60 << 6;
    QTest::newRow("45 shots") << 45 << 4;
    QTest::newRow("10 shots") << 10 << 1;
}

void TestEventSimpleOne::seriesOfTheList()
{
    QFETCH(int, matchCount);
    QFETCH(int, series);

    Run run(kSimpleOne, matchCount, {1});
    // The practice layout: TARGET, TERMINAL, NAME, then 10 shots and SUMM;
    // the series model: NAME, TARGET, the series and TOTAL.
    QCOMPARE(run.list->columnCount(), 3 + 10 + 1);
    QCOMPARE(run.list->series()->columnCount(), 2 + series + 1);
}

void TestEventSimpleOne::initEvent()
{
    Run run(kSimpleOne, 60, {1});
    QSignalSpy startText(run.exercise.get(), &MyEvent::sig_view_BTNStartText);
    run.exercise->initEvent();
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("9F07360101")});
    QCOMPARE(intsOf(startText), QList<int>{-1});
}

void TestEventSimpleOne::buttonsThroughTheStates()
{
    Run run(kSimpleOne, 10, {1});
    run.exercise->initEvent();
    QCOMPARE(run.screen.panel(), QStringLiteral("start START, back, [hidden]"));
    // Until the start is confirmed START may be pressed again.
    QVERIFY(run.screen.pressStart());
    QCOMPARE(run.screen.panel(), QStringLiteral("start START, back, [hidden]"));
    confirmStart(run.exercise.get());
    QCOMPARE(run.screen.panel(), QStringLiteral("stop, [SIGHTING]"));
    run.endSighting();
    QCOMPARE(run.screen.panel(), QStringLiteral("start MATCH, stop, [SIGHTING]"));
    run.start();
    QCOMPARE(run.screen.panel(), QStringLiteral("stop, [MATCH]"));
    run.shootMatch(1, 10);
    QCOMPARE(run.screen.panel(), QStringLiteral("next, [MATCH]"));
}

void TestEventSimpleOne::sightingStart()
{
    Run run(kSimpleOne, 60, {1, 2});
    QSignalSpy modeText(run.exercise.get(), &MyEvent::sig_view_ModeText);
    QSignalSpy stopButton(run.exercise.get(), &MyEvent::sig_view_BTNStopEnabled);

    run.exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(run.timeText.count(), 1);
    QCOMPARE(run.timeText.at(0).at(0).toString(), QStringLiteral("00:00"));
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("EA0CA0FE080384FF0001")});
    QCOMPARE(run.exercise->clockTimerId(), -1);
    // Never reported written: START sends the frame again.
    run.exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("EA0CA0FE080384FF0001")});

    confirmStart(run.exercise.get());
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("9F063500")});
    QCOMPARE(run.bus.takePolls(), (QList<QPair<int, int>>{{1, 1}, {2, 1}}));
    QCOMPARE(intsOf(modeText), QList<int>{0});
    QCOMPARE(stopButton.count(), 1);
    QVERIFY(run.exercise->clockTimerId() != -1);

    // START is refused during the sighting.
    run.exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(run.bus.commands.count(), 0);

    shoot(run.exercise.get(), 2, 1);
    QCOMPARE(run.list->shotCountOfStage(2, kSighting), 1);
    QCOMPARE(run.bus.lastPoll(2), 2);
}

void TestEventSimpleOne::sightingEndsByItsClock()
{
    Run run(kSimpleOne, 60, {1, 2});
    run.start();
    QSignalSpy startText(run.exercise.get(), &MyEvent::sig_view_BTNStartText);
    QSignalSpy startButton(run.exercise.get(), &MyEvent::sig_view_BTNStartEnabled);
    run.bus.clear();
    run.timeText.clear();

    tickAt(run.exercise.get(), run.clock, 899 * 1000 + 900);
    QCOMPARE(run.bus.polls.count(), 0);
    QVERIFY(run.exercise->clockTimerId() != -1);

    tickAt(run.exercise.get(), run.clock, 900 * 1000);
    QCOMPARE(run.bus.takePolls(), (QList<QPair<int, int>>{{1, -1}, {2, -1}}));
    QCOMPARE(run.timeText.last().at(0).toString(), QStringLiteral("15:00"));
    QCOMPARE(intsOf(startText), QList<int>{1});
    QCOMPARE(intsOf(startButton), QList<int>{1});
    QCOMPARE(run.exercise->clockTimerId(), -1);
    // Shots no longer count once the sighting is over.
    shoot(run.exercise.get(), 1, 1);
    QCOMPARE(run.list->shotCountOfStage(1, kSighting), 0);
}

void TestEventSimpleOne::matchStartAndFinish()
{
    Run run(kSimpleOne, 10, {1, 2});
    run.start();
    shoot(run.exercise.get(), 1, 1, 30); // elsewhere than match shot 1
    run.endSighting();
    QSignalSpy modeText(run.exercise.get(), &MyEvent::sig_view_ModeText);
    run.bus.clear();

    run.exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("EA0CA0FE08FFFF0A0001")});
    confirmStart(run.exercise.get());
    // Each lane's terminal goes to match; the sighting shots are dropped.
    QCOMPARE(run.bus.takeFrames(), (QByteArrayList{hex("01063203"), hex("02063203")}));
    QCOMPARE(run.list->shotCountOfStage(1, kSighting), 0);
    QCOMPARE(intsOf(modeText), QList<int>{1});
    QCOMPARE(run.bus.takePolls(), (QList<QPair<int, int>>{{1, 1}, {2, 1}}));

    run.shootMatch(1, 10);
    QCOMPARE(run.list->shotCountOfStage(1, kMatch), 10);
    QCOMPARE(run.bus.lastPoll(1), 10); // lane 1 is done: not asked for an 11th
    QCOMPARE(run.finished.count(), 0);
    run.shootMatch(2, 10);
    QCOMPARE(run.finished.count(), 1);
    // Nothing goes to the targets at the finish, and the clock runs on.
    for (const QByteArray &frame : run.bus.takeFrames())
        QCOMPARE(quint8(frame.at(2)), quint8(0x33));
    QVERIFY(run.exercise->clockTimerId() != -1);
    run.timeText.clear();
    tickAt(run.exercise.get(), run.clock, run.clock.nowMs() + 1000);
    QCOMPARE(run.timeText.count(), 1);
}

void TestEventSimpleOne::matchEndsAtMatchCount()
{
    // 45 shots: 4 series of 10 in the list, yet the match ends at 45.
    Run run(kSimpleOne, 45, {3});
    run.toMatch();
    run.shootMatch(3, 44);
    QCOMPARE(run.finished.count(), 0);
    run.shootMatch(3, 1);
    QCOMPARE(run.finished.count(), 1);
    QCOMPARE(run.list->shotCountOfStage(3, kMatch), 45);
}

void TestEventSimpleOne::strayConfirmationsDoNothing()
{
    Run run(kSimpleOne, 10, {1});
    run.start();
    QSignalSpy modeText(run.exercise.get(), &MyEvent::sig_view_ModeText);
    run.bus.clear();
    // In SIGHTING, with no start sent: nothing.
    run.exercise->slot_emu_EventStarted();
    QCOMPARE(modeText.count(), 0);
    QCOMPARE(run.bus.commands.count(), 0);
    QCOMPARE(run.bus.polls.count(), 0);
}

void TestEventSimpleOne::stopConfirmationOnlyStopsPolling()
{
    Run run(kSimpleOne, 10, {1, 2});
    run.start();
    QSignalSpy stopButton(run.exercise.get(), &MyEvent::sig_view_BTNStopEnabled);
    run.bus.clear();
    run.exercise->slot_emu_EventStoped();
    QCOMPARE(run.bus.takePolls(), (QList<QPair<int, int>>{{1, -1}, {2, -1}}));
    QVERIFY(run.exercise->clockTimerId() != -1);
    QCOMPARE(stopButton.count(), 0);
}

void TestEventSimpleOne::clockText_data()
{
    QTest::addColumn<int>("tenths");
    QTest::addColumn<QString>("text");

    // Minutes and seconds padded to two digits; hours only from the first hour.
    QTest::newRow("one second") << 10 << "00:01";
    QTest::newRow("7 min 45 s") << 4650 << "07:45";
    QTest::newRow("one hour") << 36000 << "1:00:00";
    QTest::newRow("1 h 2 min 9 s") << 37290 << "1:02:09";
    QTest::newRow("a late tick shows its second") << 9005 << "15:00";
}

void TestEventSimpleOne::clockText()
{
    QFETCH(int, tenths);
    QFETCH(QString, text);

    Run run(kSimpleOne, 10, {1});
    run.toMatch();
    const qint64 matchStartMs = run.clock.nowMs();
    run.timeText.clear();
    tickAt(run.exercise.get(), run.clock, matchStartMs + tenths * 100);
    QCOMPARE(run.timeText.count(), 1);
    QCOMPARE(run.timeText.at(0).at(0).toString(), text);
    QCOMPARE(run.timeText.at(0).at(1).toInt(), 0);
}

void TestEventSimpleOne::everySecondShownOnce()
{
    // Ticks come late by a few tenths: each second is shown at the first
    // tick within it, none twice; second 0 was shown at START.
    Run run(kSimpleOne, 10, {1});
    run.toMatch();
    const qint64 matchStartMs = run.clock.nowMs();
    run.timeText.clear();
    for (int tenths : {3, 10, 15, 21, 29, 33, 41, 52})
        tickAt(run.exercise.get(), run.clock, matchStartMs + tenths * 100);
    QStringList texts;
    for (const QList<QVariant> &args : qAsConst(run.timeText))
        texts << args.at(0).toString();
    QCOMPARE(texts, (QStringList{"00:01", "00:02", "00:03", "00:04", "00:05"}));
}

void TestEventSimpleOne::stop_data()
{
    QTest::addColumn<bool>("inMatch");
    QTest::addColumn<int>("manage");
    QTest::addColumn<int>("sightingLeft");
    QTest::addColumn<int>("matchLeft");

    // Lane 1 has shot 3 sighting shots, and 4 match shots when in the match;
    // MatchCount is 10.
    QTest::newRow("sighting, fill: 10 misses") << false << 1 << 13 << 0;
    QTest::newRow("match, fill: 6 misses") << true << 1 << 0 << 10;
    QTest::newRow("sighting, erase") << false << 0 << 0 << 0;
    QTest::newRow("match, erase") << true << 0 << 0 << 0;
    QTest::newRow("closing the competition: untouched") << true << -1 << 0 << 4;
}

void TestEventSimpleOne::stop()
{
    QFETCH(bool, inMatch);
    QFETCH(int, manage);
    QFETCH(int, sightingLeft);
    QFETCH(int, matchLeft);

    Run run(kSimpleOne, 10, {1, 2});
    run.start();
    for (int number = 1; number <= 3; ++number)
        shoot(run.exercise.get(), 1, number, 30); // elsewhere than the match shots
    if (inMatch) {
        run.endSighting();
        run.start();
        run.shootMatch(1, 4);
    }
    run.bus.clear();

    run.exercise->slot_view_stopEvent(manage);
    QCOMPARE(run.bus.stops.count(), 1);
    QCOMPARE(run.bus.takeFrames(), (QByteArrayList{hex("EA05A1"), hex("9F0531")}));
    QCOMPARE(run.exercise->clockTimerId(), -1);
    QCOMPARE(run.finished.count(), 1);
    QCOMPARE(run.list->shotCountOfStage(1, kSighting), sightingLeft);
    QCOMPARE(run.list->shotCountOfStage(1, kMatch), matchLeft);
    // Lane 2 had no shot: it is filled completely, or stays empty.
    const int laneTwoFilled = manage == 1 ? 10 : 0;
    QCOMPARE(run.list->shotCountOfStage(2, inMatch ? kMatch : kSighting), laneTwoFilled);
}

void TestEventSimpleOne::stopReachesEveryLaneWhateverTheRowOrder()
{
    // The rows are ordered by match total, and erasing a lane's shots moves
    // it to the end: every lane must still be erased.
    Run run(kSimpleOne, 10, {1, 2, 3});
    run.toMatch();
    run.shootMatch(1, 3);
    run.shootMatch(2, 2);
    run.shootMatch(3, 1);
    run.exercise->slot_view_stopEvent(0);
    for (int lane : {1, 2, 3})
        QCOMPARE(run.list->shotCountOfStage(lane, kMatch), 0);
}

void TestEventSimpleOne::emptyListFinishesOnlyByStop()
{
    Run run(kSimpleOne, 10, {});
    run.toMatch();
    QCOMPARE(run.bus.polls.count(), 0);
    QCOMPARE(run.finished.count(), 0);
    run.exercise->slot_view_stopEvent(1);
    QCOMPARE(run.finished.count(), 1);
}

QTEST_MAIN(TestEventSimpleOne)
#include "tst_eventsimpleone.moc"
