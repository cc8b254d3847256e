// Members, relay placement with propagation, the run relay and the
// free-members filter, against a real competitions database.
#include "competitionfixture.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tfreemembers.h"
#include "tmembers.h"
#include "trelay.h"
#include "trelaylist.h"
#include "tshooter.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {

// Types of kFixtureTypes.
constexpr int kWithFinal = 3;
constexpr int kWithoutFinal = 4;

// A stored competition with members A, B, C, D (start numbers 1 to 4 unless
// given) and its members model.
struct Setup
{
    explicit Setup(int type = kWithFinal, const QList<int> &startNumbers = {1, 2, 3, 4})
    {
        competition = std::make_unique<TCompetition>(fixture.db.get(), 643, type, true);
        ok = fixture.valid && competition->insertToDb();
        members = std::make_unique<TMembers>(fixture.db.get());
        ok = ok && members->setCompetition(competition->id(), competition->event(0));
        for (int i = 0; i < startNumbers.size(); ++i) {
            TShooter shooter;
            shooter.setNames(QStringLiteral("Name%1").arg(i), QStringLiteral("Family%1").arg(i));
            shooter.setID(fixture.db->insertShooter(&shooter));
            shooterIDs.append(shooter.id());
            ok = ok && members->addMember(&shooter, startNumbers.at(i)) >= 0;
        }
    }

    TEvent *event(int num) const { return competition->eventByNum(num); }
    // Member by its place in the list of added shooters: 0 is A.
    TShooter *member(int which) const { return members->memberByShooterID(shooterIDs.at(which)); }
    int memberID(int which) const { return member(which)->memberID(); }

    TRelay *commit(int eventNum, int number, const QList<int> &who, bool propagate)
    {
        members->clearEditRelay();
        members->setEditRelay(event(eventNum), number);
        for (int i = 0; i < who.size(); ++i)
            members->addToEditRelay(member(who.at(i)), 10 + who.at(i));
        return members->commitEditRelay(propagate);
    }

    int placeRows(int eventNum, int number)
    {
        return fixture.rows(QStringLiteral("SELECT * FROM trelays WHERE fEventID=? AND fRelayNum=?"),
                            {event(eventNum)->id(), number});
    }

    // Marks the run relay's members as having shot its exercise.
    void shootRunRelay()
    {
        TRelay *run = members->relayList()->runRelay();
        for (int i = 0; i < run->memberCount(); ++i) {
            if (run->eventFinal())
                members->setMemberFinalDone(run->memberAt(i)->memberID(), true);
            else
                members->setMemberEventDone(run->memberAt(i)->memberID(), run->eventNum(), true);
        }
    }

    // Relays and members as text, to see that a refused change left them.
    QString snapshot() const
    {
        QStringList parts;
        for (int i = 0; i < members->relayCount(); ++i) {
            const TRelay *relay = members->relayAt(i);
            QStringList places;
            for (int m = 0; m < relay->memberCount(); ++m) {
                const int id = relay->memberAt(m)->memberID();
                places.append(QStringLiteral("%1@%2").arg(id).arg(relay->targetOfMember(id)));
            }
            parts.append(QStringLiteral("%1/%2:%3").arg(relay->eventNum()).arg(relay->number())
                             .arg(places.join(QLatin1Char(','))));
        }
        return parts.join(QLatin1Char(' ')) + QStringLiteral(" members %1").arg(members->memberCount());
    }

    CompetitionFixture fixture;
    std::unique_ptr<TCompetition> competition;
    std::unique_ptr<TMembers> members;
    QList<int> shooterIDs;
    bool ok = false;
};

} // namespace

class TestMembers : public QObject
{
    Q_OBJECT

private slots:
    void duplicateStartNumbersAreMarked();
    void sharedTargetsAreMarked();
    void commitPropagatesUpToTheFinal_data();
    void commitPropagatesUpToTheFinal();
    void commitReplacesALoadedRelay();
    void refusedPlacementWritesNothing();
    void refusedRemovalWritesNothing();
    void unplacingKeepsPlacesInOtherRelays();
    void deleteRelayStopsAtTheFinal();
    void failedWriteLeavesMemoryUnchanged_data();
    void failedWriteLeavesMemoryUnchanged();
    void runRelayStepsThroughTheCompetition_data();
    void runRelayStepsThroughTheCompetition();
    void reloadRestoresRelaysAndEditRelay();
    void removedMemberLeavesEveryRelay();
    void freeMembersFilter();
};

void TestMembers::duplicateStartNumbersAreMarked()
{
    Setup setup(kWithFinal, {7, 7, 8});
    QVERIFY(setup.ok);
    QAbstractItemModelTester tester(setup.members.get());
    TMembers &members = *setup.members;

    // Marked, never refused: both sevens show the mark.
    QCOMPARE(members.memberCount(), 3);
    QCOMPARE(members.index(0, 0).data().toString(), QStringLiteral("7 !"));
    QCOMPARE(members.index(1, 0).data().toString(), QStringLiteral("7 !"));
    QCOMPARE(members.index(2, 0).data().toString(), QStringLiteral("8  "));
    QVERIFY(members.hasStartNumberError());
    QCOMPARE(members.maxStartNumber(), 8);

    // A shooter who is a member already is refused and nothing is written.
    QCOMPARE(members.addMember(setup.member(0), 9), -1);
    QCOMPARE(setup.fixture.rows(QStringLiteral("SELECT * FROM tmembers")), 3);

    QVERIFY(members.setStartNumber(setup.memberID(0), 9));
    QVERIFY(!members.hasStartNumberError());
    QCOMPARE(members.index(2, TMembers::MemberColumn).data().toString(), QStringLiteral("Family0 Name0"));
    QCOMPARE(setup.fixture.intOf(QStringLiteral("SELECT fStartNumber FROM tmembers WHERE ID=?"),
                                 {setup.memberID(0)}, QStringLiteral("fStartNumber")),
             9);
}

void TestMembers::sharedTargetsAreMarked()
{
    Setup setup;
    QVERIFY(setup.ok);
    QAbstractItemModelTester tester(setup.members.get());
    TMembers &members = *setup.members;
    members.setEditRelay(setup.event(1), 1);
    QVERIFY(members.addToEditRelay(setup.member(0), 5));
    QVERIFY(members.addToEditRelay(setup.member(1), 5));
    QVERIFY(!members.addToEditRelay(setup.member(1), 6)); // already in it
    TRelay *relay = members.commitEditRelay(false);
    QVERIFY(relay);
    QAbstractItemModelTester relayTester(relay);

    members.setCurrentEventNum(1);
    QCOMPARE(members.index(0, TMembers::RelayColumn).data().toString(), QStringLiteral("1"));
    QCOMPARE(members.index(0, TMembers::TargetColumn).data().toString(), QStringLiteral("5 !"));
    QCOMPARE(members.index(2, TMembers::RelayColumn).data().toString(), QStringLiteral("NONE"));
    QCOMPARE(members.index(2, TMembers::TargetColumn).data().toString(), QStringLiteral("-1"));
    QVERIFY(!relay->applyTargets());

    QVERIFY(members.selectRelay(relay->eventID(), relay->number()));
    QVERIFY(members.moveMemberToTarget(setup.memberID(1), 6));
    QCOMPARE(members.index(0, TMembers::TargetColumn).data().toString(), QStringLiteral("5  "));
    QCOMPARE(setup.fixture.intOf(QStringLiteral("SELECT fMemberTarget FROM trelays WHERE fMemberID=?"),
                                 {setup.memberID(1)}, QStringLiteral("fMemberTarget")),
             6);
    members.setCurrentEventNum(-1);
    QCOMPARE(members.index(0, TMembers::TargetColumn).data().toString(), QString());
}

void TestMembers::commitPropagatesUpToTheFinal_data()
{
    QTest::addColumn<bool>("propagate");
    QTest::addColumn<int>("inSecond");

    // Relay 4 of exercise 1 is the same squad in exercise 2, never in the final.
    QTest::newRow("propagated") << true << 2;
    QTest::newRow("exercise 1 only") << false << 0;
}

void TestMembers::commitPropagatesUpToTheFinal()
{
    QFETCH(bool, propagate);
    QFETCH(int, inSecond);

    Setup setup;
    QVERIFY(setup.ok);
    QAbstractItemModelTester tester(setup.members->relayList());
    TRelay *relay = setup.commit(1, 4, {0, 2}, propagate);
    QVERIFY(relay);
    QCOMPARE(relay->eventNum(), 1);
    QCOMPARE(relay->memberCount(), 2);
    QCOMPARE(setup.placeRows(1, 4), 2);
    QCOMPARE(setup.placeRows(2, 4), inSecond);
    QCOMPARE(setup.placeRows(3, 4), 0);
    QCOMPARE(setup.members->relayCount(), propagate ? 2 : 1);
    const TRelay *second = setup.members->findRelay(4, 2);
    QCOMPARE(second != nullptr, propagate);
    if (second)
        QCOMPARE(second->targetOfMember(setup.memberID(2)), 12);
    QVERIFY(setup.members->editRelay()->isEmpty());
    QVERIFY(!setup.members->editRelay()->event());
}

void TestMembers::commitReplacesALoadedRelay()
{
    Setup setup;
    QVERIFY(setup.ok);
    QVERIFY(setup.commit(1, 1, {0, 1}, false));
    const TRelay *relay = setup.commit(1, 1, {2}, false);
    QVERIFY(relay);
    QCOMPARE(relay->memberCount(), 1);
    QVERIFY(relay->containsMember(setup.member(2)));
    QCOMPARE(setup.placeRows(1, 1), 1);
    QCOMPARE(setup.members->relayCount(), 1);
}

void TestMembers::refusedPlacementWritesNothing()
{
    Setup setup;
    QVERIFY(setup.ok);
    TMembers &members = *setup.members;
    QVERIFY(setup.commit(1, 2, {0}, false));
    TRelay *third = setup.commit(1, 3, {1}, false);
    QVERIFY(third);

    // At most one relay per exercise.
    QCOMPARE(members.placeMember(third, setup.member(0), 7), -1);
    // A relay that has been shot takes nobody: refused before the row is written.
    members.setMemberEventDone(setup.memberID(1), 1, true);
    QCOMPARE(members.placeMember(third, setup.member(2), 7), -1);
    QCOMPARE(setup.placeRows(1, 3), 1);
    QCOMPARE(third->memberCount(), 1);

    members.setMemberEventDone(setup.memberID(1), 1, false);
    QCOMPARE(members.placeMember(third, setup.member(2), 7), 1);
    QCOMPARE(setup.placeRows(1, 3), 2);
}

void TestMembers::refusedRemovalWritesNothing()
{
    Setup setup;
    QVERIFY(setup.ok);
    TMembers &members = *setup.members;
    TRelay *relay = setup.commit(1, 1, {0, 1}, true);
    QVERIFY(relay);
    QVERIFY(members.setCurrentRelay(relay));
    members.setMemberEventDone(setup.memberID(0), 1, true);
    const QString before = setup.snapshot();

    QVERIFY(!members.removeMemberFromLinkedRelays(setup.memberID(0), true));
    QCOMPARE(setup.snapshot(), before);
    QCOMPARE(setup.placeRows(1, 1), 2);
    QCOMPARE(setup.placeRows(2, 1), 2);

    QVERIFY(members.removeMemberFromLinkedRelays(setup.memberID(1), true));
    QCOMPARE(setup.placeRows(1, 1), 1);
    QCOMPARE(setup.placeRows(2, 1), 1);
    QVERIFY(!members.relayOfShooter(setup.shooterIDs.at(1), 2));
}

void TestMembers::unplacingKeepsPlacesInOtherRelays()
{
    Setup setup;
    QVERIFY(setup.ok);
    TMembers &members = *setup.members;
    QVERIFY(setup.commit(1, 1, {0, 1}, true));
    // In exercise 2, A moves from relay 1 to relay 2.
    QVERIFY(members.selectRelay(setup.event(2)->id(), 1));
    QVERIFY(members.removeMemberFromLinkedRelays(setup.memberID(0), false));
    QVERIFY(setup.commit(2, 2, {0}, false));

    // Leaving the linked relays 1 does not touch A's relay 2 of exercise 2.
    QVERIFY(members.selectRelay(setup.event(1)->id(), 1));
    QVERIFY(members.removeMemberFromLinkedRelays(setup.memberID(0), true));
    QCOMPARE(setup.placeRows(1, 1), 1);
    QCOMPARE(setup.placeRows(2, 2), 1);
    QCOMPARE(members.relayOfShooter(setup.shooterIDs.at(0), 2)->number(), 2);
}

void TestMembers::deleteRelayStopsAtTheFinal()
{
    Setup setup;
    QVERIFY(setup.ok);
    TMembers &members = *setup.members;
    QVERIFY(setup.commit(1, 2, {0}, true));
    setup.member(0)->setInFinal(true);
    QVERIFY(members.createRelay(setup.event(3), 2, setup.member(0), 1, true));
    QCOMPARE(setup.placeRows(3, 2), 1);

    QVERIFY(members.deleteRelay(setup.event(1), 2, true));
    QCOMPARE(setup.placeRows(1, 2), 0);
    QCOMPARE(setup.placeRows(2, 2), 0);
    QCOMPARE(setup.placeRows(3, 2), 1);
    QCOMPARE(members.relayCount(), 1);
    QVERIFY(members.findRelay(2, 3));
}

void TestMembers::failedWriteLeavesMemoryUnchanged_data()
{
    QTest::addColumn<int>("operation");
    // Each write fails once the relay places cannot be written.
    QTest::newRow("place") << 0;
    QTest::newRow("move to target") << 1;
    QTest::newRow("unplace") << 2;
    QTest::newRow("remove relay") << 3;
    QTest::newRow("remove member") << 4;
}

void TestMembers::failedWriteLeavesMemoryUnchanged()
{
    QFETCH(int, operation);

    Setup setup;
    QVERIFY(setup.ok);
    TMembers &members = *setup.members;
    TRelay *relay = setup.commit(1, 1, {0, 1}, false);
    QVERIFY(members.setCurrentRelay(relay));
    const QString before = setup.snapshot();
    QVERIFY(setup.fixture.db->execQuery(QStringLiteral("DROP TABLE trelays")));

    bool result = true;
    switch (operation) {
    case 0:
        result = members.placeMember(relay, setup.member(2), 9) >= 0;
        break;
    case 1:
        result = members.moveMemberToTarget(setup.memberID(0), 9);
        break;
    case 2:
        result = members.removeMemberFromLinkedRelays(setup.memberID(0), false);
        break;
    case 3:
        result = members.removeRelay(relay);
        break;
    default:
        result = members.removeMember(setup.memberID(0));
        break;
    }
    QVERIFY(!result);
    QCOMPARE(setup.snapshot(), before);
}

void TestMembers::runRelayStepsThroughTheCompetition_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("lastInfo");
    // The end of the competition: the final shot (1), or the last exercise
    // done without a final (2).
    QTest::newRow("with final") << kWithFinal << 1;
    QTest::newRow("without final") << kWithoutFinal << 2;
}

void TestMembers::runRelayStepsThroughTheCompetition()
{
    QFETCH(int, type);
    QFETCH(int, lastInfo);

    Setup setup(type);
    QVERIFY(setup.ok);
    TMembers &members = *setup.members;
    int errorInfo = -1;
    int relayInfo = -1;

    // No relays: no run relay, and stepping clears the key.
    QVERIFY(!members.startRun());
    QVERIFY(!members.setNextRelay(&errorInfo, &relayInfo));
    QCOMPARE(errorInfo, 1);
    QCOMPARE(relayInfo, -1);

    QVERIFY(setup.commit(1, 1, {0, 1}, true));
    QVERIFY(setup.commit(1, 2, {2, 3}, true));
    QCOMPARE(members.relayCount(), 4);
    QVERIFY(members.startRun());
    QCOMPARE(members.setNextRelay(&errorInfo, &relayInfo), members.relayAt(0));
    QCOMPARE(relayInfo, 4); // nobody has shot yet

    // Exercise 1 relays 1 and 2, then exercise 2 relays 1 and 2.
    for (int step = 1; step < 4; ++step) {
        members.setCurrentEventNum(members.relayList()->runRelay()->eventNum());
        // A cannot be picked in the exercise it has shot (relay 2 of exercise 1).
        QCOMPARE(bool(members.flags(members.index(0, 0)) & Qt::ItemIsEnabled), step != 2);
        setup.shootRunRelay();
        QCOMPARE(members.setNextRelay(&errorInfo, &relayInfo), members.relayAt(step));
        QCOMPARE(errorInfo, 0);
        QCOMPARE(relayInfo, 5);
    }
    QVERIFY(members.isEventComplete(setup.event(1)));
    QCOMPARE(members.flags(members.index(0, 0)), Qt::NoItemFlags); // A has shot
    setup.shootRunRelay();
    QVERIFY(members.hasAnyEventDone());
    TRelay *last = members.relayAt(3);
    if (type == kWithFinal) {
        QCOMPARE(members.setNextRelay(&errorInfo, &relayInfo), last);
        QCOMPARE(relayInfo, 3); // the final's relay must be entered first
        setup.member(0)->setInFinal(true);
        setup.member(2)->setInFinal(true);
        QVERIFY(!members.isEventComplete(setup.event(3)));
        QVERIFY(setup.commit(3, 1, {0, 2}, false));
        QVERIFY(members.setNextRelay(&errorInfo, &relayInfo) != last);
        QCOMPARE(relayInfo, 5);
        setup.shootRunRelay();
    }
    QVERIFY(members.currentRunRelay(&errorInfo, &relayInfo));
    QCOMPARE(errorInfo, 0);
    QCOMPARE(relayInfo, lastInfo);
}

void TestMembers::reloadRestoresRelaysAndEditRelay()
{
    Setup setup;
    QVERIFY(setup.ok);
    QVERIFY(setup.commit(1, 1, {0, 1}, true));
    setup.member(0)->setInFinal(true);
    QVERIFY(setup.commit(3, 1, {0}, false));
    const QString before = setup.snapshot();
    setup.members->setEditRelay(setup.event(2), 5);
    QVERIFY(setup.members->addToEditRelay(setup.member(2), 8));

    TMembers other(setup.fixture.db.get());
    QAbstractItemModelTester tester(&other);
    QVERIFY(other.setCompetition(setup.competition->id(), setup.competition->event(0)));
    QVERIFY(other.load());
    QCOMPARE(other.memberCount(), 4);
    QCOMPARE(other.memberAt(0)->family(), QStringLiteral("Family0"));
    QVERIFY(other.memberAt(0)->isInFinal());
    QVERIFY(!other.memberAt(1)->isInFinal());

    // The edit relay takes the reloaded records of its members; the current
    // member does not survive the reload.
    QVERIFY(setup.members->setCurrentMember(setup.shooterIDs.at(1)));
    QVERIFY(setup.members->load());
    QVERIFY(!setup.members->currentMember());
    QCOMPARE(setup.snapshot(), before);
    QCOMPARE(setup.members->editRelay()->memberAt(0), setup.member(2));
    QCOMPARE(setup.members->editRelay()->targetOfMember(setup.memberID(2)), 8);
}

void TestMembers::removedMemberLeavesEveryRelay()
{
    Setup setup;
    QVERIFY(setup.ok);
    TMembers &members = *setup.members;
    QAbstractItemModelTester tester(members.relayList());
    QVERIFY(setup.commit(1, 1, {0, 1}, true));
    QVERIFY(setup.commit(1, 2, {2}, true));
    members.setEditRelay(setup.event(1), 3);
    QVERIFY(members.addToEditRelay(setup.member(2), 4));

    QVERIFY(members.removeMember(setup.memberID(2)));
    QCOMPARE(members.memberCount(), 3);
    QCOMPARE(members.relayCount(), 2); // relays 2 were left empty
    QVERIFY(members.editRelay()->isEmpty());
    QCOMPARE(setup.placeRows(1, 2), 0);
    QVERIFY(members.removeShooter(setup.shooterIDs.at(0)));
    QCOMPARE(members.relayAt(0)->memberCount(), 1);
    QCOMPARE(setup.fixture.rows(QStringLiteral("SELECT * FROM tmembers")), 2);
}

void TestMembers::freeMembersFilter()
{
    Setup setup;
    QVERIFY(setup.ok);
    TMembers &members = *setup.members;
    TFreeMembers free(&members);
    QAbstractItemModelTester tester(&free);

    free.setEventNumFilter(0); // no exercise numbered 0
    QCOMPARE(free.rowCount(), 0);
    free.setEventNumFilter(1);
    QCOMPARE(free.rowCount(), 4);

    // A is placed in relay 1 and also put into the edit relay 2: only that
    // combination is hidden; B, only in the edit relay, and C, only placed,
    // still pass.
    QVERIFY(setup.commit(1, 1, {0, 2}, false));
    members.setEditRelay(setup.event(1), 2);
    QVERIFY(members.addToEditRelay(setup.member(0), 1));
    QVERIFY(members.addToEditRelay(setup.member(1), 2));
    free.invalidate();
    QCOMPARE(free.rowCount(), 3);
    QVERIFY(!members.isMemberFree(setup.member(0), setup.event(1)));

    // The final shows its finalists only.
    free.setEventNumFilter(3);
    QCOMPARE(free.rowCount(), 0);
    setup.member(3)->setInFinal(true);
    free.invalidate();
    QCOMPARE(free.rowCount(), 1);
    QCOMPARE(free.index(0, 0).data(MemberRoles::ShooterIDRole).toInt(), setup.shooterIDs.at(3));
}

QTEST_MAIN(TestMembers)
#include "tst_tmembers.moc"
