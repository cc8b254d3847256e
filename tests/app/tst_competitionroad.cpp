// A competition from an empty run folder to its printed result, as the
// operator walks it on the program's window against the range simulator.

#include <QLabel>
#include <QtTest>

#include "roadtest.h"
#include "simulatorthread.h"
#include "tevent.h"
#include "tcompetition.h"
#include "tusermodul.h"

namespace {

constexpr int kRifle60 = 1; // one position, 60 match shots (held without its final)
const QList<int> kLanes{1, 2};
constexpr int kMatchShots = 60;

struct Entrant
{
    QString name;
    QString family;
    int startNumber;
};

const QList<Entrant> kEntrants{{"Иван", "Петров", 11},
                               {"Анна", "Смирнова", 12},
                               {"Олег", "Кузнецов", 13},
                               {"Мария", "Орлова", 14}};

} // namespace

class TestCompetitionRoad : public RoadTest
{
    Q_OBJECT

private slots:
    void competitionRoad();
};

void TestCompetitionRoad::competitionRoad()
{
    QVERIFY(startRange(kLanes));
    sight("welcome");
    const int competition = createCompetition(kRifle60, "Кубок города");
    QVERIFY(competition > 0);
    QList<int> members;
    for (const Entrant &entrant : kEntrants)
        members << addNewMember(entrant.name, entrant.family, entrant.startNumber);
    QVERIFY(!members.contains(-1));
    sight("members");
    QCOMPARE(rows("SELECT fStartNumber FROM tmembers WHERE fCompetitionID=? ORDER BY ID", {competition}),
             (Rows{{11}, {12}, {13}, {14}}));

    // Two relays on the two lanes: the last two members move to relay 2.
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Relays);
    QVERIFY(moveMember(2, 2, 1));
    QVERIFY(moveMember(3, 2, 2));
    sight("relays");
    const int event = userModul()->currentCompetition()->event(0)->id();
    QCOMPARE(rows("SELECT fMemberID, fRelayNum, fMemberTarget FROM trelays WHERE fEventID=? "
                  "ORDER BY fRelayNum, fMemberTarget", {event}),
             (Rows{{members[0], 1, 1}, {members[1], 1, 2}, {members[2], 2, 1}, {members[3], 2, 2}}));

    // Relay 1, the converter unplugged and plugged back in during its match.
    QVERIFY(openCurrentRelay());
    QVERIFY(shootOnePositionRelay(kLanes, kMatchShots / 3, [this] {
        QVERIFY(simulator()->call([](RangeSimulator &sim) { return sim.unplug(0); }));
        QTRY_COMPARE_WITH_TIMEOUT(onPage<QLabel>(Page::Run, "l_colKommut")->text(), QString(), kTimeoutMs);
        QVERIFY(simulator()->call([](RangeSimulator &sim) { return sim.replug(0); }));
        QTRY_COMPARE_WITH_TIMEOUT(onPage<QLabel>(Page::Run, "l_colKommut")->text(), QString("1"), kTimeoutMs);
    }));
    for (int i = 0; i < 2; ++i)
        QCOMPARE(storedShots(event, members[i]), kMatchShots);
}

QTEST_MAIN(TestCompetitionRoad)
#include "tst_competitionroad.moc"
