// Relay rules and the relay list's order and advance codes, in memory.
#include "tevent.h"
#include "trelay.h"
#include "trelaylist.h"
#include "tshooter.h"

#include <QAbstractItemModelTester>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// What a member has shot, as the relay's rules see it.
enum MemberState { Fresh, ShotEvent, FinalNotAdmitted, FinalAdmitted, FinalShot };

constexpr int kEventNum = 1;

void applyState(TShooter *member, int state)
{
    switch (state) {
    case ShotEvent:
        member->setEventDone(kEventNum, true);
        break;
    case FinalAdmitted:
        member->setFinalDone(false);
        break;
    case FinalShot:
        member->setFinalDone(true);
        break;
    default:
        break;
    }
}

// Members and exercises owned by the test; the relays only refer to them.
struct Squad
{
    std::vector<std::unique_ptr<TShooter>> members;
    std::vector<std::unique_ptr<TEvent>> events;

    TShooter *member(int shooterID, int startNumber = 0)
    {
        members.push_back(std::make_unique<TShooter>());
        TShooter *member = members.back().get();
        member->setID(shooterID);
        member->setMemberID(100 + shooterID);
        member->setStartNumber(startNumber > 0 ? startNumber : shooterID);
        return member;
    }

    // A chain of exercises numbered as given; an ID of 10 times the number.
    TEvent *chain(const QList<int> &nums, bool lastIsFinal)
    {
        TEvent *previous = nullptr;
        TEvent *first = nullptr;
        for (int i = 0; i < nums.size(); ++i) {
            events.push_back(std::make_unique<TEvent>());
            TEvent *event = events.back().get();
            event->setID(10 * nums.at(i));
            event->setNum(nums.at(i));
            event->setFinal(lastIsFinal && i == nums.size() - 1);
            event->setPrev(previous);
            if (previous)
                previous->setNext(event);
            else
                first = event;
            previous = event;
        }
        return first;
    }
};

} // namespace

class TestRelay : public QObject
{
    Q_OBJECT

private slots:
    void joiningRules_data();
    void joiningRules();
    void leavingRules_data();
    void leavingRules();
    void sharedTargetsAreMarked();
    void applyTargets_data();
    void applyTargets();
    void resetForRunClearsTheExercise();
    void relayOrder();
    void lastMemberLeavingRemovesTheRelay();
    void checkRunRelay_data();
    void checkRunRelay();
};

void TestRelay::joiningRules_data()
{
    QTest::addColumn<bool>("final");
    QTest::addColumn<int>("inRelayState");
    QTest::addColumn<bool>("sameShooter");
    QTest::addColumn<int>("expected");

    // Joining rules of the relay: a relay that has been shot takes nobody.
    QTest::newRow("empty relay takes anybody") << false << -1 << false << 0;
    QTest::newRow("unshot relay takes a second member") << false << int(Fresh) << false << 1;
    QTest::newRow("shot relay refuses") << false << int(ShotEvent) << false << -1;
    QTest::newRow("same shooter twice") << false << int(Fresh) << true << -1;
    QTest::newRow("final with unadmitted member refuses") << true << int(FinalNotAdmitted) << false << -1;
    QTest::newRow("final with unshot finalist takes more") << true << int(FinalAdmitted) << false << 1;
    QTest::newRow("final already shot refuses") << true << int(FinalShot) << false << -1;
}

void TestRelay::joiningRules()
{
    QFETCH(bool, final);
    QFETCH(int, inRelayState);
    QFETCH(bool, sameShooter);
    QFETCH(int, expected);

    Squad squad;
    TEvent *event = squad.chain({kEventNum}, final);
    TRelay relay(event);
    QAbstractItemModelTester tester(&relay);
    if (inRelayState >= 0) {
        TShooter *inRelay = squad.member(1);
        relay.addMember(inRelay, 1); // an empty relay takes anybody
        applyState(inRelay, inRelayState);
    }
    const int before = relay.memberCount();
    TShooter *joining = squad.member(sameShooter ? 1 : 2);
    QCOMPARE(relay.addMember(joining, 2), expected);
    QCOMPARE(relay.memberCount(), before + (expected >= 0 ? 1 : 0));
}

void TestRelay::leavingRules_data()
{
    QTest::addColumn<bool>("final");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("expected");

    // Leaving rules: a member who has shot keeps its place; in a final only
    // an admitted member who has not shot may leave.
    QTest::newRow("fresh member leaves") << false << int(Fresh) << true;
    QTest::newRow("member that shot stays") << false << int(ShotEvent) << false;
    QTest::newRow("finalist not shot leaves") << true << int(FinalAdmitted) << true;
    QTest::newRow("unadmitted stays in a final") << true << int(FinalNotAdmitted) << false;
    QTest::newRow("finalist that shot stays") << true << int(FinalShot) << false;
}

void TestRelay::leavingRules()
{
    QFETCH(bool, final);
    QFETCH(int, state);
    QFETCH(bool, expected);

    Squad squad;
    TRelay relay(squad.chain({kEventNum}, final));
    QAbstractItemModelTester tester(&relay);
    TShooter *member = squad.member(1);
    QCOMPARE(relay.addMember(member, 4), 0);
    applyState(member, state);

    QCOMPARE(relay.canRemoveMember(member), expected);
    QCOMPARE(relay.removeMember(member), expected);
    QCOMPARE(relay.containsMember(member), !expected);
    QCOMPARE(relay.targetOfMember(member->memberID()), expected ? -1 : 4);
}

void TestRelay::sharedTargetsAreMarked()
{
    Squad squad;
    TRelay relay(squad.chain({kEventNum}, false));
    QAbstractItemModelTester tester(&relay);
    TShooter *first = squad.member(1);
    TShooter *second = squad.member(2);
    relay.addMember(first, 5);
    relay.addMember(second, 5);

    // Marked, never refused.
    QCOMPARE(relay.memberCount(), 2);
    QVERIFY(first->errorTargetAddr() && second->errorTargetAddr());
    QCOMPARE(relay.index(1, 0).data(TRelay::ErrorTargetAddrRole).toBool(), true);
    QVERIFY(relay.hasDuplicateTargets());
    QVERIFY(!relay.checkTargets());

    QVERIFY(relay.setMemberTarget(second->memberID(), 6));
    QVERIFY(!first->errorTargetAddr() && !second->errorTargetAddr());
    QCOMPARE(relay.memberIDOnTarget(6), second->memberID());
    QCOMPARE(relay.memberIDOnTarget(9), -1);
}

void TestRelay::applyTargets_data()
{
    QTest::addColumn<QList<int>>("targets");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QList<int>>("recordTargets");

    // The record's target stays -1 until the relay copies its own into it;
    // copying stops at the first member without a target.
    QTest::newRow("all set") << QList<int>{3, 4, 5} << true << QList<int>{3, 4, 5};
    QTest::newRow("two on one target") << QList<int>{5, 5, 6} << false << QList<int>{-1, -1, -1};
    QTest::newRow("second lacks a target") << QList<int>{5, -1, 7} << false << QList<int>{5, -1, -1};
}

void TestRelay::applyTargets()
{
    QFETCH(QList<int>, targets);
    QFETCH(bool, expected);
    QFETCH(QList<int>, recordTargets);

    Squad squad;
    TRelay relay(squad.chain({kEventNum}, false));
    QAbstractItemModelTester tester(&relay);
    for (int i = 0; i < targets.size(); ++i)
        relay.addMember(squad.member(i + 1), targets.at(i));

    QCOMPARE(relay.applyTargets(), expected);
    for (int i = 0; i < targets.size(); ++i) {
        QCOMPARE(relay.memberAt(i)->target(), recordTargets.at(i));
        QCOMPARE(relay.index(i, TRelay::TargetColumn).data().toString(),
                 QString::number(recordTargets.at(i)));
        // The current relay page paints the answer states from images.
        for (int column : {int(TRelay::TargetColumn), int(TRelay::TerminalColumn)}) {
            QCOMPARE(relay.index(i, column).data(Qt::DecorationRole).userType(),
                     int(QMetaType::QImage));
        }
    }
}

void TestRelay::resetForRunClearsTheExercise()
{
    Squad squad;
    TRelay relay(squad.chain({kEventNum}, false));
    TShooter *member = squad.member(1);
    relay.addMember(member, 3);
    member->setEventDone(kEventNum, true);
    member->setEventDone(kEventNum + 1, true);
    member->setTargetEnabled(true);

    QVERIFY(relay.resetForRun());
    QVERIFY(!member->isEventDone(kEventNum));
    QVERIFY(member->isEventDone(kEventNum + 1));
    QVERIFY(!member->isTargetEnabled());
    QCOMPARE(member->target(), 3);
    QVERIFY(relay.setTargetEnabled(member->memberID(), true));
    QVERIFY(member->isTargetEnabled());
    QVERIFY(!relay.setPCEnabled(-5, true));
}

void TestRelay::relayOrder()
{
    Squad squad;
    TEvent *first = squad.chain({1, 2, 0}, false);
    TEvent *second = first->next();
    TEvent *zero = second->next();
    TRelayList list;
    QAbstractItemModelTester tester(&list);
    list.setFirstEvent(first);

    // Added as the edge case lists them; exercise 0 goes after all others.
    list.addRelay(second, 1);
    list.addRelay(zero, 1);
    list.addRelay(first, 2);
    list.addRelay(first, 1);
    QVERIFY(!list.addRelay(squad.chain({5}, false), 1)); // not in this chain

    const QList<QPair<int, int>> expected{{1, 1}, {1, 2}, {2, 1}, {0, 1}};
    QCOMPARE(list.rowCount(), expected.size());
    for (int row = 0; row < expected.size(); ++row) {
        const QModelIndex index = list.index(row);
        QCOMPARE(index.data(TRelayList::EventNumRole).toInt(), expected.at(row).first);
        QCOMPARE(index.data(TRelayList::NumberRole).toInt(), expected.at(row).second);
    }
}

void TestRelay::lastMemberLeavingRemovesTheRelay()
{
    Squad squad;
    TEvent *first = squad.chain({1}, false);
    TRelayList list;
    QAbstractItemModelTester tester(&list);
    list.setFirstEvent(first);
    list.addRelay(first, 1);
    TShooter *member = squad.member(1);
    QVERIFY(list.placeMember(first->id(), 1, member, 2));
    QCOMPARE(list.index(0).data(TRelayList::ColMembersRole).toInt(), 1);
    list.setCurrent(first->id(), 1);

    QVERIFY(list.removeMember(first->id(), 1, member));
    QCOMPARE(list.count(), 0);
    QVERIFY(!list.currentRelay()); // a key whose relay is gone yields null
}

void TestRelay::checkRunRelay_data()
{
    QTest::addColumn<int>("runEventNum");
    QTest::addColumn<int>("runNumber");
    QTest::addColumn<bool>("shot");
    QTest::addColumn<bool>("eventDone");
    QTest::addColumn<bool>("withFinal");
    QTest::addColumn<bool>("finalRelay");
    QTest::addColumn<int>("errorInfo");
    QTest::addColumn<int>("relayInfo");

    // Chain 1, 2 (and a final 3 when withFinal); relays 1 and 2 of exercise
    // 1, relay 1 of exercise 2, relay 1 of the final when finalRelay. Codes
    // by the steps of the relay advance.
    QTest::newRow("no run relay") << 1 << 9 << true << true << false << false << 1 << -1;
    QTest::newRow("run relay not shot") << 1 << 1 << false << false << false << false << 0 << 4;
    QTest::newRow("shot, exercise not done, relay follows")
        << 1 << 1 << true << false << false << false << 0 << 0;
    QTest::newRow("last of exercise 1, exercise done")
        << 1 << 2 << true << true << false << false << 0 << 0;
    QTest::newRow("last exercise done, no final") << 2 << 1 << true << true << false << false << 0 << 2;
    QTest::newRow("exercise 2 done, final without relay")
        << 2 << 1 << true << true << true << false << 0 << 3;
    QTest::newRow("exercise 2 not done, nothing follows")
        << 2 << 1 << true << false << false << false << 0 << 3;
    QTest::newRow("final shot by its finalists") << 3 << 1 << true << true << true << true << 0 << 1;
}

void TestRelay::checkRunRelay()
{
    QFETCH(int, runEventNum);
    QFETCH(int, runNumber);
    QFETCH(bool, shot);
    QFETCH(bool, eventDone);
    QFETCH(bool, withFinal);
    QFETCH(bool, finalRelay);
    QFETCH(int, errorInfo);
    QFETCH(int, relayInfo);

    Squad squad;
    TEvent *first = withFinal ? squad.chain({1, 2, 3}, true) : squad.chain({1, 2}, false);
    TRelayList list;
    QAbstractItemModelTester tester(&list);
    list.setFirstEvent(first);
    list.addRelay(first, 1);
    list.addRelay(first, 2);
    list.addRelay(first->next(), 1);
    if (finalRelay)
        list.addRelay(first->next()->next(), 1);

    TRelay *run = list.findRelay(10 * runEventNum, runNumber);
    if (run) {
        TShooter *member = squad.member(1);
        run->addMember(member, 1);
        if (run->eventFinal())
            member->setFinalDone(shot);
        else
            member->setEventDone(runEventNum, shot);
    }
    QCOMPARE(list.setRunRelay(10 * runEventNum, runNumber), run != nullptr);

    int info = -7;
    QCOMPARE(list.checkRunRelay(&info, eventDone), errorInfo);
    QCOMPARE(info, relayInfo);
    QCOMPARE(TRelayList::relayInfoText(info).isEmpty(), info == -1);
    QVERIFY(TRelayList::errorInfoText(errorInfo).startsWith(QString::number(errorInfo)));
}

QTEST_MAIN(TestRelay)
#include "tst_trelay.moc"
