// What a lane does with each answer after a START, row by row: every road
// ends in stored shots or in a word to the operator.

#include <QtTest>

#include "lanestart.h"

namespace {

using Action = LaneStart::Action;
using Word = LaneStart::Word;
using State = LaneStart::State;

// The earlier page: shots 1-3 at 0.2 s, 1.1 s and 2.5 s of its count.
const QVector<LaneShot> kEarlierPage{{1, {10, 10}, 2}, {2, {20, 20}, 11}, {3, {30, 30}, 25}};
// The earlier START 100 s before this one; the answers come 1 s after it.
const StartMoments kMoments{0, 100000, 101000};

// Answers by name.
const LaneShot kRepeat1{1, {10, 10}, 2};   // shot 1 of the earlier page again
const LaneShot kNew1{1, {15, 15}, 3};      // the earlier page holds another shot 1
const LaneShot kNew2{2, {25, 25}, 12};     // the earlier page holds another shot 2
const LaneShot kPlain4{4, {40, 40}, 30};   // 3.0 s: either page's
const LaneShot kOlder4{4, {40, 40}, 900};  // 90 s: counted from before; fired before this START
const LaneShot kLater4{4, {40, 40}, 1005}; // 100.5 s: counted from before; fired after this START

} // namespace

Q_DECLARE_METATYPE(LaneShot)

class TestLaneStart : public QObject
{
    Q_OBJECT

private slots:
    void decide_data();
    void decide();
};

void TestLaneStart::decide_data()
{
    QTest::addColumn<bool>("earlierTaken"); // the lane took the START of the earlier page
    QTest::addColumn<bool>("heard");        // its polls were answered around this START
    QTest::addColumn<QList<LaneShot>>("before");
    QTest::addColumn<LaneShot>("answer");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("state");

    const auto row = [](const char *name, bool taken, bool heard, QList<LaneShot> before,
                        LaneShot answer, Action action, Word word, State state) {
        QTest::newRow(name) << taken << heard << before << answer << int(action) << int(word)
                            << int(state);
    };
    row("taken: a new shot is stored", true, true, {}, kNew1, Action::Store, Word::None,
        State::Proven);
    row("taken: one repeat may be a late copy", true, true, {}, kRepeat1, Action::AskAgain,
        Word::None, State::Taken);
    row("taken: the same repeat twice is passed over", true, true, {kRepeat1}, kRepeat1,
        Action::Skip, Word::None, State::InDoubt);
    row("in doubt: a shot of either page trusts the start", true, true, {kRepeat1, kRepeat1},
        kPlain4, Action::AskAgain, Word::None, State::Trusted);
    row("in doubt: an older shot proves the kept page", true, true, {kRepeat1, kRepeat1},
        kOlder4, Action::Skip, Word::Missed, State::Missed);
    // The loop of a lane doubted, trusted and doubted again ends here.
    row("trusted: a repeat proves the kept page", true, true, {kRepeat1, kRepeat1, kPlain4},
        kRepeat1, Action::Skip, Word::Missed, State::Missed);
    // Match shot 1 put where sighting shot 1 was, at the same time: once
    // shot 2 shows a new page, shot 1 is stored, neither doubted again nor
    // taken for a kept page.
    row("in doubt: a shot the earlier page cannot hold proves the start", true, true,
        {kRepeat1, kRepeat1}, kNew2, Action::AskAgain, Word::None, State::Proven);
    row("proven: a shot equal to an earlier one is this page's", true, true,
        {kRepeat1, kRepeat1, kNew2}, kRepeat1, Action::Store, Word::None, State::Proven);
    row("missed: a shot after the start is this page's", true, true,
        {kRepeat1, kRepeat1, kOlder4}, kLater4, Action::Store, Word::None, State::Missed);
    row("unheard: the same repeat twice proves the kept page", true, false, {kRepeat1}, kRepeat1,
        Action::Skip, Word::Missed, State::Missed);
    row("unheard: the earlier page proves a new one", true, false, {}, kNew1, Action::Store,
        Word::None, State::Proven);
    row("unheard: nothing proves either way", true, false, {}, kPlain4, Action::Store,
        Word::InDoubt, State::Unproven);
    // Where its page began is unknown: nothing can be brought in.
    row("unheard, earlier start missed too: older", false, false, {}, kLater4, Action::Skip,
        Word::InDoubt, State::Missed);
}

void TestLaneStart::decide()
{
    QFETCH(bool, earlierTaken);
    QFETCH(bool, heard);
    QFETCH(QList<LaneShot>, before);
    QFETCH(LaneShot, answer);

    LaneStart lane;
    if (earlierTaken)
        lane.beginPage({});
    else
        lane.setHeard(false); // silent since before the earlier page
    lane.beginPage(kEarlierPage);
    lane.setHeard(heard); // silent before the page's first answer
    for (const LaneShot &shot : qAsConst(before))
        lane.decide(shot, kMoments);
    const LaneStart::Verdict verdict = lane.decide(answer, kMoments);
    QTEST(int(verdict.action), "action");
    QTEST(int(verdict.word), "word");
    QTEST(int(lane.state()), "state");
}

QTEST_APPLESS_MAIN(TestLaneStart)
#include "tst_lanestart.moc"
