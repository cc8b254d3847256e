// The three-position series: the common start, then each lane through
// kneeling, prone and standing with a reset of its target between the stages.

#include <QtTest>

#include "event_difficult_one.h"
#include "eventharness.h"

using namespace eventtest;

namespace {

using Run = RifleRun<EVENT_DIFFICULT_ONE>;
constexpr int kDifficultOne = 6;
constexpr int kAskMatch = 1;

void askMatch(Run &run, int lane)
{
    run.exercise->slot_emu_BDResetFromPC(lane, kAskMatch);
}

void confirmReset(Run &run, int lane)
{
    run.exercise->slot_emu_BDReseted(lane);
}

// A lane that has shot the match of a position: its reset is confirmed, it
// shoots two sighting shots, asks for match and its reset is confirmed again.
void nextPosition(Run &run, int lane)
{
    confirmReset(run, lane);
    shoot(run.exercise.get(), lane, 1);
    shoot(run.exercise.get(), lane, 2);
    askMatch(run, lane);
    confirmReset(run, lane);
}

} // namespace

class TestEventDifficultOne : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void commonStart();
    void matchStartedThroughTheButton();
    void lanesThroughThePositions();
    void resetReasonsOfTwoLanes_data();
    void resetReasonsOfTwoLanes();
    void terminalRequestIgnored_data();
    void terminalRequestIgnored();
    void repeatedConfirmationIsHarmless();
    void matchCountNotAMultipleOf30();
    void matchCountBelow30();
    void stopFillsTheMatchWhateverThePosition();
};

void TestEventDifficultOne::construction()
{
    Run run(kDifficultOne, 60, {1});
    QCOMPARE(run.exercise->positionName(0), QStringLiteral("KNEELING"));
    QCOMPARE(run.exercise->positionName(2), QStringLiteral("STANDING"));
    QCOMPARE(run.exercise->positionName(3), QString());
    // 60 shots: 2 series of 10 per position, 6 series in the list.
    QCOMPARE(run.list->series()->columnCount(), 2 + 6 + 1);
    QCOMPARE(run.list->positionCode(1), -1);

    QSignalSpy startText(run.exercise.get(), &MyEvent::sig_view_BTNStartText);
    run.exercise->initEvent();
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("9F07360601")});
    QCOMPARE(startText.count(), 0);
}

void TestEventDifficultOne::commonStart()
{
    Run run(kDifficultOne, 60, {1, 2});
    QSignalSpy startText(run.exercise.get(), &MyEvent::sig_view_BTNStartText);
    QSignalSpy modeText(run.exercise.get(), &MyEvent::sig_view_ModeText);
    run.exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("EA0CA0FE080384FF0001")});
    confirmStart(run.exercise.get());
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("9F063500")});
    run.endSighting();
    QCOMPARE(run.timeText.last().at(0).toString(), QStringLiteral("15:00"));
    QCOMPARE(startText.count(), 0);

    run.exercise->slot_view_startEvent(-1, -1);
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("EA0CA0FE08FFFFFF0001")});
    run.bus.clear();
    confirmStart(run.exercise.get());
    QCOMPARE(run.bus.takeFrames(), (QByteArrayList{hex("01063203"), hex("02063203")}));
    QCOMPARE(run.bus.takePolls(), (QList<QPair<int, int>>{{1, 1}, {2, 1}}));
    // "SIGHTING" for the common sighting, an empty label for the match.
    QCOMPARE(modeText.count(), 2);
    QCOMPARE(modeText.at(0).at(0).toInt(), 0);
    QCOMPARE(modeText.at(1).at(0).toInt(), -1);
}

void TestEventDifficultOne::matchStartedThroughTheButton()
{
    Run run(kDifficultOne, 30, {1, 2});
    run.exercise->initEvent();
    QCOMPARE(run.screen.panel(), QStringLiteral("start START, back, [hidden]"));
    run.start();
    QCOMPARE(run.screen.panel(), QStringLiteral("stop, [SIGHTING]"));
    // Elsewhere than match shot 1: a target that answers the match's first
    // poll with its sighting shot did not take the match start.
    shoot(run.exercise.get(), 1, 1, 30);
    run.endSighting();
    // The caption stays as the screen has it; START is enabled for the match.
    QCOMPARE(run.screen.panel(), QStringLiteral("start START, stop, [SIGHTING]"));
    run.start();
    QCOMPARE(run.screen.panel(), QStringLiteral("stop, []"));
    run.shootMatch(1, 10);
    run.shootMatch(2, 3);
    QCOMPARE(run.list->shotCountOfStage(1, kMatch), 10);
    QCOMPARE(run.list->shotCountOfStage(2, kMatch), 3);
    // Lane 1 goes on to its second position; the panel stays.
    confirmReset(run, 1);
    QCOMPARE(run.list->positionCode(1), 4);
    QCOMPARE(run.screen.panel(), QStringLiteral("stop, []"));
    QVERIFY(run.screen.pressStop());
    QCOMPARE(run.screen.panel(), QStringLiteral("next, []"));
    QCOMPARE(run.list->shotCountOfStage(2, kMatch), 30);
}

void TestEventDifficultOne::lanesThroughThePositions()
{
    // 60 shots: 20 per position.
    Run run(kDifficultOne, 60, {1, 2});
    run.toMatch();
    QSignalSpy modeText(run.exercise.get(), &MyEvent::sig_view_ModeText);
    run.bus.clear();

    run.shootMatch(1, 19);
    QCOMPARE(run.bus.lastPoll(1), 20);
    run.bus.clear();
    run.shootMatch(1, 1);
    // Kneeling done: lane 1's target is reset and not polled meanwhile.
    QCOMPARE(run.bus.takeFrames().last(), hex("0105A2"));
    QCOMPARE(run.bus.lastPoll(1), 0);

    confirmReset(run, 1);
    QCOMPARE(run.list->stageOfTarget(1), kSighting);
    QCOMPARE(run.list->positionCode(1), 4);
    QCOMPARE(run.list->shotCountOfStage(1, kMatch), 20); // the match shots stay
    QCOMPARE(run.bus.takePolls(), (QList<QPair<int, int>>{{1, 1}}));
    shoot(run.exercise.get(), 1, 1);
    QCOMPARE(run.list->shotCountOfStage(1, kSighting), 1);

    run.bus.clear();
    askMatch(run, 1);
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("0105A2")});
    confirmReset(run, 1);
    QCOMPARE(run.list->stageOfTarget(1), kMatch);
    QCOMPARE(run.list->positionCode(1), 5);
    QCOMPARE(run.bus.takeFrames(), QByteArrayList{hex("01063203")});
    QCOMPARE(run.bus.takePolls(), (QList<QPair<int, int>>{{1, 1}}));

    run.shootMatch(1, 20); // prone
    nextPosition(run, 1);
    QCOMPARE(run.list->positionCode(1), 7);
    run.shootMatch(1, 20); // standing
    QCOMPARE(run.list->shotCountOfStage(1, kMatch), 60);
    QCOMPARE(run.finished.count(), 0); // lane 2 is not done

    run.shootMatch(2, 20);
    nextPosition(run, 2);
    run.shootMatch(2, 20);
    nextPosition(run, 2);
    run.bus.clear();
    run.shootMatch(2, 20);
    QCOMPARE(run.finished.count(), 1);
    QCOMPARE(run.bus.stops.count(), 1);
    QVERIFY(run.bus.takeFrames().contains(hex("EA05A1")));
    // No position change writes the mode label.
    QCOMPARE(modeText.count(), 0);
}

void TestEventDifficultOne::resetReasonsOfTwoLanes_data()
{
    QTest::addColumn<bool>("laneTwoFirst");

    QTest::newRow("memory-full lane confirmed first") << false;
    QTest::newRow("position lane confirmed first") << true;
}

void TestEventDifficultOne::resetReasonsOfTwoLanes()
{
    QFETCH(bool, laneTwoFirst);

    // 780 shots: 260 per position, so lane 1's target fills its memory of
    // 255 shots within the first position.
    Run run(kDifficultOne, 780, {1, 2});
    run.toMatch();
    run.shootMatch(1, 255); // lane 1's memory full: reset, reason 0
    run.shootMatch(2, 260); // then lane 2 done with kneeling: reset, reason 1
    QCOMPARE(run.list->pendingReset(1), 0);
    QCOMPARE(run.list->pendingReset(2), 1);
    run.bus.clear();

    if (laneTwoFirst)
        confirmReset(run, 2);
    confirmReset(run, 1);
    if (!laneTwoFirst)
        confirmReset(run, 2);

    // Lane 1 goes on with its match on a new page; lane 2 to its sighting.
    QCOMPARE(run.list->stageOfTarget(1), kMatch);
    QCOMPARE(run.list->positionCode(1), -1);
    QCOMPARE(run.bus.lastPoll(1), 1);
    shoot(run.exercise.get(), 1, 1);
    QCOMPARE(run.list->shotCountOfStage(1, kMatch), 256);
    QCOMPARE(run.list->stageOfTarget(2), kSighting);
    QCOMPARE(run.list->positionCode(2), 4);
    QCOMPARE(run.bus.lastPoll(2), 1);
}

void TestEventDifficultOne::terminalRequestIgnored_data()
{
    QTest::addColumn<QString>("when");

    QTest::newRow("during the common sighting") << "sighting";
    QTest::newRow("lane in match") << "match";
    QTest::newRow("lane without a place") << "no place";
    QTest::newRow("terminal asks for sighting") << "asks sighting";
}

void TestEventDifficultOne::terminalRequestIgnored()
{
    QFETCH(QString, when);

    Run run(kDifficultOne, 60, {1});
    if (when == "sighting")
        run.start();
    else
        run.toMatch();
    if (when == "asks sighting") {
        run.shootMatch(1, 20);
        confirmReset(run, 1);
    }
    run.bus.clear();
    const int lane = when == "no place" ? 9 : 1;
    run.exercise->slot_emu_BDResetFromPC(lane, when == "asks sighting" ? 0 : kAskMatch);
    QCOMPARE(run.bus.commands.count(), 0);
}

void TestEventDifficultOne::repeatedConfirmationIsHarmless()
{
    Run run(kDifficultOne, 60, {1});
    run.toMatch();
    run.shootMatch(1, 20);
    nextPosition(run, 1);
    QCOMPARE(run.list->positionCode(1), 5);
    run.bus.clear();
    // The place is already past what a late position reset would make of it.
    run.exercise->onBDReseted(1, 1);
    confirmReset(run, 1);
    QCOMPARE(run.list->positionCode(1), 5);
    QCOMPARE(run.list->stageOfTarget(1), kMatch);
    QCOMPARE(run.bus.polls.count(), 0);
    QCOMPARE(run.bus.commands.count(), 0);
}

void TestEventDifficultOne::matchCountNotAMultipleOf30()
{
    // 40 shots: positions of 10; after 30 the lane is no longer polled and
    // the exercise ends only through STOP.
    Run run(kDifficultOne, 40, {1});
    run.toMatch();
    run.shootMatch(1, 10);
    nextPosition(run, 1);
    run.shootMatch(1, 10);
    nextPosition(run, 1);
    run.bus.clear();
    run.shootMatch(1, 10);
    QCOMPARE(run.list->shotCountOfStage(1, kMatch), 30);
    QCOMPARE(run.bus.lastPoll(1), 10); // not asked for an 11th shot of the position
    QCOMPARE(run.finished.count(), 0);
    run.exercise->slot_view_stopEvent(1);
    QCOMPARE(run.finished.count(), 1);
    QCOMPARE(run.list->shotCountOfStage(1, kMatch), 40);
}

void TestEventDifficultOne::matchCountBelow30()
{
    // No shots per position: a lane in match without a match shot is reset at once.
    Run run(kDifficultOne, 20, {1});
    run.start();
    run.endSighting();
    run.exercise->slot_view_startEvent(-1, -1);
    run.bus.clear();
    confirmStart(run.exercise.get());
    QVERIFY(run.bus.takeFrames().contains(hex("0105A2")));
    QCOMPARE(run.bus.lastPoll(1), 0);
}

void TestEventDifficultOne::stopFillsTheMatchWhateverThePosition()
{
    Run run(kDifficultOne, 60, {1, 2});
    run.toMatch();
    run.shootMatch(1, 20);
    nextPosition(run, 1);
    run.shootMatch(1, 20);
    confirmReset(run, 1); // lane 1 in the sighting of the third position
    shoot(run.exercise.get(), 1, 1);
    QCOMPARE(run.list->stageOfTarget(1), kSighting);

    run.exercise->slot_view_stopEvent(1);
    // The misses complete each lane's match as match shots.
    QCOMPARE(run.list->shotCountOfStage(1, kMatch), 60);
    QCOMPARE(run.list->shotCountOfStage(2, kMatch), 60);
    QCOMPARE(run.finished.count(), 1);
}

QTEST_MAIN(TestEventDifficultOne)
#include "tst_eventdifficultone.moc"
