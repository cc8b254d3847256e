// The competition record: its chain of exercises from the type list, its
// model, and what it stores and loads.
#include "competitionfixture.h"
#include "tcompetition.h"
#include "tevent.h"

#include <QAbstractItemModelTester>
#include <QDomDocument>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int kCountry = 643;
const QDate kStartDate(2020, 2, 15);
const QTime kStartTime(9, 5, 30);

QList<int> numsOf(const TCompetition &competition)
{
    QList<int> nums;
    for (const TEvent *event = competition.event(0); event; event = event->next())
        nums.append(event->num());
    return nums;
}

// A stored competition of the test types.
std::unique_ptr<TCompetition> storedCompetition(CompetitionFixture &fixture, int type, bool final)
{
    auto competition = std::make_unique<TCompetition>(fixture.db.get(), kCountry, type, final);
    competition->setStartDateTime(kStartDate, kStartTime);
    competition->setName(QStringLiteral("Кубок 'Невы'"));
    return competition->insertToDb() ? std::move(competition) : nullptr;
}

} // namespace

class TestCompetition : public QObject
{
    Q_OBJECT

private slots:
    void chainFollowsTheTypeList_data();
    void chainFollowsTheTypeList();
    void modelRolesAndRows();
    void storedAndLoadedAgain();
    void exercisesOfOneTypeKeepTheirOwnRows();
    void storingTwiceKeepsOneCompetition();
    void storedWholeOrNotAtAll();
    void finishedFollowsTheExercises();
    void editStartedCompetition_data();
    void editStartedCompetition();
    void editChangesTypeOrFinal();
    void unknownTypeChangesNothing();
    void listedTypesMatchTheExerciseList();
};

void TestCompetition::chainFollowsTheTypeList_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("final");
    QTest::addColumn<QList<int>>("nums");

    // Num 3, 1, 2 and a final 4: non-finals by number, the final last, and
    // no final exercise for a competition without one.
    QTest::newRow("with final") << kFixtureTypes << true << QList<int>{1, 2, 3, 4};
    QTest::newRow("without final") << kFixtureTypes << false << QList<int>{1, 2, 3};
    QByteArray wrongRoot = kFixtureTypes;
    wrongRoot.replace("CompetititonList", "CompetitionList");
    QTest::newRow("root spelled otherwise") << wrongRoot << true << QList<int>{};
}

void TestCompetition::chainFollowsTheTypeList()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, final);
    QFETCH(QList<int>, nums);

    CompetitionFixture fixture(file);
    QVERIFY(fixture.valid);
    TCompetition competition(fixture.db.get(), kCountry, 1, final);
    QCOMPARE(numsOf(competition), nums);
    QCOMPARE(competition.eventCount(), nums.size());
    QCOMPARE(competition.finalEvent() != nullptr, final && !nums.isEmpty());
    if (!nums.isEmpty()) {
        QCOMPARE(competition.nameRus(), QStringLiteral("Цепь"));
        QVERIFY(!competition.event(0)->prev());
        QCOMPARE(competition.event(1)->prev(), competition.event(0));
        // Provisional keys follow the chain from the next free key.
        QCOMPARE(competition.event(0)->id(), fixture.db->getMaxEventID() + 1);
    }
}

void TestCompetition::modelRolesAndRows()
{
    CompetitionFixture fixture;
    TCompetition competition(1);
    QAbstractItemModelTester tester(&competition);
    QVERIFY(!competition.isStored());
    QCOMPARE(competition.event(0)->id(), 1); // type entries number their exercises

    const QModelIndex first = competition.index(0);
    QCOMPARE(first.data().toString(), QStringLiteral("10m Air Rifle 60 Shots"));
    QCOMPARE(first.data(TCompetition::EventNameTypeEnRole).toString(),
             QStringLiteral("10m Air Rifle 60 Shots")); // a series type shows its sub-type
    QCOMPARE(competition.index(1).data(TCompetition::EventNumRole).toInt(), 2);
    QVERIFY(!first.data(Qt::UserRole + 4).isValid()); // there is no role 260
    QVERIFY(!competition.index(-1).isValid());
    QCOMPARE(competition.roleNames().size(), 7);

    // Unstored: no database effect, and refused.
    QVERIFY(!competition.setEventFinished(1, true));
    QVERIFY(!competition.event(0)->isFinished());

    QSignalSpy inserted(&competition, &QAbstractItemModel::rowsInserted);
    competition.insertEvent(new TEvent);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 3);
    QCOMPARE(competition.event(3)->prev(), competition.event(2));
    QSignalSpy removed(&competition, &QAbstractItemModel::rowsRemoved);
    competition.clearEvents();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().at(1).toInt(), 0);
    QCOMPARE(removed.first().at(2).toInt(), 3);
}

void TestCompetition::storedAndLoadedAgain()
{
    CompetitionFixture fixture;
    const auto stored = storedCompetition(fixture, 2, false);
    QVERIFY(stored);
    QCOMPARE(stored->startDateText(), QStringLiteral("2020-02-15 09:05"));

    TCompetition loaded(fixture.db.get(), stored->id(), true);
    QAbstractItemModelTester tester(&loaded);
    QCOMPARE(loaded.startDate(), kStartDate);
    QCOMPARE(loaded.startTime(), kStartTime);
    QCOMPARE(loaded.name(), stored->name());
    QCOMPARE(loaded.countryXMLID(), kCountry);
    QCOMPARE(loaded.type(), 2);
    QCOMPARE(loaded.weapon(), 1);
    QCOMPARE(loaded.eventCount(), 2);
    QCOMPARE(loaded.event(0)->id(), stored->event(0)->id());
    QCOMPARE(loaded.event(1)->matchCount(), 30); // parameters from the exercise list

    TCompetition withoutEvents(fixture.db.get(), stored->id(), false);
    QCOMPARE(withoutEvents.eventCount(), 0);
    QCOMPARE(withoutEvents.nameEng(), QStringLiteral("Pistol"));
}

void TestCompetition::exercisesOfOneTypeKeepTheirOwnRows()
{
    CompetitionFixture fixture;
    const auto stored = storedCompetition(fixture, 1, true);
    QVERIFY(stored);
    // Exercises 1, 3 and the final share exercise type 1.
    const TEvent *third = stored->eventByNum(3);
    QVERIFY(stored->setEventStartDateTime(third->id(), QDate(2021, 3, 4), QTime(10, 0)));
    QVERIFY(stored->setEventFinished(third->id(), true));

    TCompetition loaded(fixture.db.get(), stored->id(), true);
    QSet<int> keys;
    for (int i = 0; i < loaded.eventCount(); ++i) {
        QCOMPARE(loaded.event(i)->id(), stored->event(i)->id());
        QCOMPARE(loaded.event(i)->isFinished(), loaded.event(i)->num() == 3);
        keys.insert(loaded.event(i)->id());
    }
    QCOMPARE(keys.size(), 4);
    QCOMPARE(loaded.eventByNum(3)->startDate(), QDate(2021, 3, 4));
    QVERIFY(loaded.eventByNum(1)->startDate() != QDate(2021, 3, 4));
}

void TestCompetition::storingTwiceKeepsOneCompetition()
{
    CompetitionFixture fixture;
    const auto stored = storedCompetition(fixture, 2, false);
    QVERIFY(stored);
    const int eventID = stored->event(0)->id();
    QVERIFY(!stored->insertToDb());
    QCOMPARE(fixture.rows(QStringLiteral("SELECT * FROM tcompetitions")), 1);
    QCOMPARE(fixture.rows(QStringLiteral("SELECT * FROM tevents")), 2);
    QCOMPARE(stored->event(0)->id(), eventID);
}

void TestCompetition::storedWholeOrNotAtAll()
{
    CompetitionFixture fixture;
    // The exercises table refuses the second exercise of a competition.
    QVERIFY(fixture.db->execQuery(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE INSERT ON tevents WHEN EXISTS (SELECT 1 FROM tevents "
        "WHERE fCompetitionID=NEW.fCompetitionID) BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    QVERIFY(!storedCompetition(fixture, 2, false));
    QCOMPARE(fixture.rows(QStringLiteral("SELECT * FROM tcompetitions")), 0);
    QCOMPARE(fixture.rows(QStringLiteral("SELECT * FROM tevents")), 0);
}

void TestCompetition::finishedFollowsTheExercises()
{
    CompetitionFixture fixture;
    const auto competition = storedCompetition(fixture, 2, false);
    QVERIFY(competition);
    QSignalSpy finished(competition.get(), &TCompetition::sig_CFinished);
    QSignalSpy changed(competition.get(), &QAbstractItemModel::dataChanged);
    const auto storedFlag = [&] {
        return fixture.intOf(QStringLiteral("SELECT fFinished FROM tcompetitions WHERE ID=?"),
                             {competition->id()}, QStringLiteral("fFinished"));
    };

    QVERIFY(competition->setEventFinished(competition->event(0)->id(), true));
    QCOMPARE(finished.count(), 0);
    QCOMPARE(changed.count(), 1);
    QVERIFY(competition->setEventFinished(competition->event(1)->id(), true));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.last().at(0).toBool(), true);
    QCOMPARE(storedFlag(), 1);

    QVERIFY(competition->setEventFinished(competition->event(0)->id(), false));
    QCOMPARE(finished.last().at(0).toBool(), false);
    QCOMPARE(storedFlag(), 0);
    QVERIFY(!competition->isFinished());
    QVERIFY(!competition->setEventFinished(-3, true));
}

void TestCompetition::editStartedCompetition_data()
{
    QTest::addColumn<bool>("finalShot");
    QTest::addColumn<bool>("finalAfter");
    QTest::addColumn<int>("eventsAfter");

    // A started competition keeps country, type and dates; its final goes
    // only while nobody has shot it.
    QTest::newRow("final not shot goes") << false << false << 3;
    QTest::newRow("final shot stays") << true << true << 4;
}

void TestCompetition::editStartedCompetition()
{
    QFETCH(bool, finalShot);
    QFETCH(bool, finalAfter);
    QFETCH(int, eventsAfter);

    CompetitionFixture fixture;
    const auto competition = storedCompetition(fixture, 1, true);
    QVERIFY(competition);
    QVERIFY(competition->setEventFinished(competition->event(0)->id(), true));
    if (finalShot)
        QVERIFY(competition->setEventFinished(competition->finalEvent()->id(), true));

    QVERIFY(competition->edit(1, 2, false, QDate(2022, 1, 1), QTime(8, 0), QStringLiteral("New")));
    QCOMPARE(competition->name(), QStringLiteral("New"));
    QCOMPARE(competition->isFinal(), finalAfter);
    QCOMPARE(competition->eventCount(), eventsAfter);

    TCompetition loaded(fixture.db.get(), competition->id(), true);
    QCOMPARE(loaded.type(), 1);
    QCOMPARE(loaded.countryXMLID(), kCountry);
    QCOMPARE(loaded.startDate(), kStartDate);
    QCOMPARE(loaded.name(), QStringLiteral("New"));
    QCOMPARE(loaded.isFinal(), finalAfter);
    QCOMPARE(fixture.rows(QStringLiteral("SELECT * FROM tevents")), eventsAfter);
}

void TestCompetition::editChangesTypeOrFinal()
{
    CompetitionFixture fixture;
    const auto competition = storedCompetition(fixture, 1, false);
    QVERIFY(competition);

    // Same type, final added: stored, named and parametrised at once.
    QVERIFY(competition->edit(kCountry, 1, true, kStartDate, kStartTime, QStringLiteral("A")));
    const TEvent *final = competition->finalEvent();
    QVERIFY(final);
    QCOMPARE(final->subNameEng(), QStringLiteral("10m Air Rifle Final 24 Shots"));
    QCOMPARE(final->matchCount(), 24);
    QVERIFY(fixture.db->isEventExist(final->id()));

    // Another type: the exercises are rebuilt and the old rows deleted.
    QVERIFY(competition->edit(7, 2, false, QDate(2023, 5, 6), kStartTime, QStringLiteral("B")));
    QCOMPARE(numsOf(*competition), (QList<int>{1, 2}));
    QCOMPARE(competition->event(1)->typeXMLID(), 3);
    QCOMPARE(fixture.rows(QStringLiteral("SELECT * FROM tevents WHERE fCompetitionID=?"),
                          {competition->id()}),
             2);
    QCOMPARE(fixture.rows(QStringLiteral("SELECT * FROM tevents WHERE fTypeXMLID=1")), 0);
    TCompetition loaded(fixture.db.get(), competition->id(), true);
    QCOMPARE(loaded.type(), 2);
    QCOMPARE(loaded.countryXMLID(), 7);
    QCOMPARE(loaded.startDate(), QDate(2023, 5, 6));
    QCOMPARE(loaded.event(1)->id(), competition->event(1)->id());
}

void TestCompetition::unknownTypeChangesNothing()
{
    CompetitionFixture fixture;
    const auto competition = storedCompetition(fixture, 2, false);
    QVERIFY(competition);
    const int firstKey = competition->event(0)->id();

    QVERIFY(!competition->edit(kCountry, 99, false, kStartDate, kStartTime, QStringLiteral("X")));
    QCOMPARE(competition->eventCount(), 2);
    QCOMPARE(competition->event(0)->id(), firstKey);
    QVERIFY(fixture.db->isEventExist(firstKey));
    QCOMPARE(competition->type(), 2);
}

void TestCompetition::listedTypesMatchTheExerciseList()
{
    // The project's own lists: every exercise of every competition type is
    // found in the exercise list, and no type lists an exercise type twice
    // on the same side of the final.
    TestDataDir dir;
    QVERIFY(dir.isValid());
    QFile file(TestDataDir::defaultDataPath() + QStringLiteral("/Events/CompetitionsType.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QDomDocument document;
    QVERIFY(document.setContent(&file));
    QCOMPARE(document.documentElement().tagName(), QStringLiteral("CompetititonList"));

    int types = 0;
    for (QDomElement type = document.documentElement().firstChildElement(); !type.isNull();
         type = type.nextSiblingElement()) {
        const int typeID = type.attribute(QStringLiteral("ID")).toInt();
        TCompetition entry(typeID);
        QVERIFY2(entry.eventCount() > 0, qPrintable(QString::number(typeID)));
        QVERIFY(entry.weapon() == 0 || entry.weapon() == 1);
        QVERIFY(!entry.nameEng().isEmpty() && !entry.nameRus().isEmpty());

        QList<TEvent *> events;
        for (int i = 0; i < entry.eventCount(); ++i)
            events.append(entry.event(i));
        std::unique_ptr<TEvent> final(entry.createFinalEvent(typeID));
        if (final) {
            QVERIFY(final->readEventsType(entry.eventsDir()));
            events.append(final.get());
        }
        QSet<QPair<int, bool>> kinds;
        for (TEvent *event : events) {
            QVERIFY(event->readEventsType(entry.eventsDir()));
            QVERIFY2(!event->subNameEng().isEmpty(), qPrintable(QString::number(typeID)));
            QVERIFY(!kinds.contains({event->typeXMLID(), event->isFinal()}));
            kinds.insert({event->typeXMLID(), event->isFinal()});
        }
        ++types;
    }
    QVERIFY(types >= 10);
}

QTEST_MAIN(TestCompetition)
#include "tst_tcompetition.moc"
