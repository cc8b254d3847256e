// A competition from an empty run folder to its printed result, as the
// operator walks it on the program's window against the range simulator.

#include <QtTest>

#include "roadtest.h"
#include "tcompetition.h"
#include "tusermodul.h"

namespace {

constexpr int kRifle60 = 1; // one position, 60 match shots (held without its final)
const QList<int> kLanes{1, 2, 3, 4};

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
}

QTEST_MAIN(TestCompetitionRoad)
#include "tst_competitionroad.moc"
