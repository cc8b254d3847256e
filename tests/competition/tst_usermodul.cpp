#include "modulefixture.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "tfreemembers.h"
#include "testdatadir.h"
#include "tmembers.h"
#include "trelay.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tshootersproxy.h"
#include "tteam.h"
#include "tusermodul.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
constexpr int kMatch = 1;           // stage of match shots
constexpr int kCountry = 2;         // a country of the default country list
const QDate kStart(2020, 2, 15);
const QTime kStartTime(9, 5, 30);
} // namespace

class TestUserModul : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wholeCompetition();
    void shotCountCheck_data();
    void shotCountCheck();
    void repeatedAnswer();
    void staleAnswerKeepsCompleteShots();
    void failedStatementDoesNotBlockNewCompetition();
    void unusableDatabaseRefusesNewCompetition();
    void unopenableDatabaseReportedAsSuch();
    void errorText_data();
    void errorText();
    void lifecycleAndShotLists();
    void typeChangeRebuildsMembersAndLists();
    void typeChangeOfSameLengthRebuildsMembersAndLists();
    void removeMemberRefusedByDatabase();
    void doneStateSurvivesMemberChanges();
    void relayEditingRefusals();
    void finalMarksAndAdmission();
    void teamsAndQualities();

private:
    TUserModul &modul() { return *m_modul; }
    // A restart of the program on the same data.
    void restart();
    int addShooter(const QString &family);
    // The member ID of the shooter with that family name, added with start number.
    int addMember(const QString &family, int startNumber);
    TShooter *member(int memberID) { return modul().members()->memberByMemberID(memberID); }
    TEvent *event(int num) { return modul().currentCompetition()->eventByNum(num); }
    bool composeRelay(TEvent *event, int number, const QList<int> &memberIDs, bool propagate);
    // Match shots the target reports for the member, through the exercise's shot list.
    void shoot(TEvent *event, const TShooter *member, int target, int count);
    int storedShots(int eventID, int memberID, const QString &where = QString());

    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TUserModul> m_modul;
};

void TestUserModul::init()
{
    m_dir = std::make_unique<TestDataDir>();
    QVERIFY(ModuleData::install(*m_dir));
    restart();
}

void TestUserModul::cleanup()
{
    m_modul.reset();
    m_dir.reset();
}

void TestUserModul::restart()
{
    m_modul.reset(); // one connection "main" at a time
    m_modul = std::make_unique<TUserModul>();
}

int TestUserModul::addShooter(const QString &family)
{
    return modul().addShooter(QStringLiteral("N"), family, QDate(1990, 5, 17), 0, kCountry, 0, 0);
}

int TestUserModul::addMember(const QString &family, int startNumber)
{
    const int shooterID = addShooter(family);
    if (!modul().addMember(modul().shooters()->shooterByID(shooterID), startNumber))
        return -1;
    return modul().members()->memberByShooterID(shooterID)->memberID();
}

bool TestUserModul::composeRelay(TEvent *event, int number, const QList<int> &memberIDs,
                                 bool propagate)
{
    if (!modul().beginEditRelay(event, number))
        return false;
    int target = 1;
    for (int memberID : memberIDs) {
        if (!modul().placeMember(memberID, target++, propagate, false))
            return false;
    }
    return modul().commitEditRelay(propagate);
}

void TestUserModul::shoot(TEvent *event, const TShooter *member, int target, int count)
{
    TBulletList *list = modul().bulletList(event->id());
    QVERIFY(list);
    if (!list->placeByMemberId(member->memberID()))
        list->addPlace(member->memberID(), target, member->family(), member->startNumber(),
                       QImage(), QStringLiteral("RUS"), QString(), QString());
    list->setStageOfTarget(target, kMatch);
    for (int i = 0; i < count; ++i) {
        const int number = list->lastBulletNumberOfTarget(target, kMatch) + 1;
        QVERIFY(list->addShotFromTarget(member->memberID(), number, 10 * i, 20, 0, 30 * i, 0));
    }
}

int TestUserModul::storedShots(int eventID, int memberID, const QString &where)
{
    TdbAccessor *db = modul().db();
    db->execSelect(QStringLiteral("SELECT COUNT(*) AS n FROM tbullets WHERE fEventID=? AND "
                                  "fMemberID=?")
                       + where,
                   {eventID, memberID});
    return db->first() ? -1 : db->value(QStringLiteral("n")).toInt();
}

void TestUserModul::wholeCompetition()
{
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kRifleCup, true, kStart, kStartTime,
                                   QStringLiteral("Cup")));
    const int competitionID = modul().currentCompetition()->id();
    TEvent *first = event(1), *second = event(2), *final = event(3);
    QVERIFY(first && second && final && final->isFinal());
    QCOMPARE(modul().bulletLists().size(), 3);

    const int a = addMember(QStringLiteral("A"), 1);
    const int b = addMember(QStringLiteral("B"), 2);
    QVERIFY(modul().members()->setCurrentMember(member(b)->id()));
    const int c = addMember(QStringLiteral("C"), 3);
    QVERIFY(!modul().members()->currentMember()); // the addition reloaded the members
    QAbstractItemModelTester tester(modul().members(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(modul().shootersProxy()->rowCount(), 0); // every shooter is a member now

    // Relays 1 (A, B) and 2 (C) of exercise 1, carried on to exercise 2; the
    // final takes A and C.
    QVERIFY(composeRelay(first, 1, {a, b}, true));
    QVERIFY(composeRelay(first, 2, {c}, true));
    QVERIFY(modul().setMemberInFinal(a, true));
    QVERIFY(modul().setMemberInFinal(c, true));
    QVERIFY(composeRelay(final, 1, {a, c}, false));
    QCOMPARE(modul().members()->relayCount(), 5);

    // B shoots 2 of exercise 1's 3 shots, C 1 of exercise 2's 4; the operator
    // moves on all the same.
    const auto shotsOf = [&](const TEvent *e, int memberID) {
        if (e == first && memberID == b)
            return 2;
        if (e == second && memberID == c)
            return 1;
        return e->matchCount();
    };
    QSignalSpy relayFinished(&modul(), &TUserModul::sig_relayFinished);
    QList<QPair<int, int>> order;
    int errorInfo = -1, relayInfo = -1;
    while (TRelay *relay = modul().firstUnfinishedRelay(&errorInfo, &relayInfo)) {
        QVERIFY(order.size() < 6);
        order << qMakePair(relay->eventNum(), relay->number());
        QVERIFY(modul().prepareRunRelay());
        TEvent *running = modul().runRelayEvent();
        modul().bulletList(running->id())->reload();
        QList<int> shooting;
        for (int i = 0; i < relay->memberCount(); ++i)
            shooting << relay->memberAt(i)->memberID();
        for (int memberID : shooting)
            shoot(running, member(memberID), member(memberID)->target(), shotsOf(running, memberID));
        for (int memberID : shooting)
            QVERIFY(modul().setMemberEventDone(running, memberID, true));
    }
    const QList<QPair<int, int>> expectedOrder = {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 1}};
    QCOMPARE(order, expectedOrder);
    // No relay left and the final complete: the competition is over.
    QCOMPARE(errorInfo, 0);
    QCOMPARE(relayInfo, 1);
    // One signal per complete relay of an ordinary exercise: (exercise complete,
    // all ordinary exercises complete, final complete).
    const QList<QVariantList> expectedFinished = {{false, false, false}, {true, false, false},
                                                  {false, false, false}, {true, true, false}};
    QCOMPARE(QList<QVariantList>(relayFinished.begin(), relayFinished.end()), expectedFinished);
    QVERIFY(modul().setCompetitionFinished(true));
    QCOMPARE(modul().storedCompetitions()->rowCount(), 0);

    // Reopened after a restart: the done marks come back from the stored shots.
    restart();
    QSignalSpy ask(&modul(), &TUserModul::sig_askColBull);
    modul().openCompetition(competitionID, true);
    first = event(1);
    second = event(2);
    QCOMPARE(ask.count(), 1);
    QCOMPARE(ask.at(0), (QVariantList{first->id(), b, QStringLiteral("B N"), QStringLiteral("Rifle 3")}));

    // "Clear": B's shots of exercise 1 go; the walk goes on to C in exercise 2.
    modul().slot_ColBullDialogClosed(first->id(), b, TUserModul::ColBullClear, false);
    QCOMPARE(storedShots(first->id(), b), 0);
    QCOMPARE(ask.count(), 2);
    QCOMPARE(ask.at(1).at(0).toInt(), second->id());
    QCOMPARE(ask.at(1).at(1).toInt(), c);
    // "Fill": C gets 3 misses (fine 0) to its 4 shots.
    modul().slot_ColBullDialogClosed(second->id(), c, TUserModul::ColBullFill, false);
    QCOMPARE(storedShots(second->id(), c), 4);
    QCOMPARE(storedShots(second->id(), c, QStringLiteral(" AND fX=65535 AND fFine=0")), 3);
    QCOMPARE(modul().bulletList(second->id())->shotCountOfMember(c), 4);
    QCOMPARE(ask.count(), 2);

    QVERIFY(member(a)->isEventDone(1) && member(a)->isEventDone(2));
    QVERIFY(!member(b)->isEventDone(1) && member(b)->isEventDone(2));
    QVERIFY(member(c)->isEventDone(1) && member(c)->isEventDone(2));
    QCOMPARE(member(a)->finalState(), 1);
    QCOMPARE(member(c)->finalState(), 1);
    QCOMPARE(member(b)->finalState(), -1); // not admitted by the check
    // B has to shoot exercise 1 again.
    TRelay *again = modul().firstUnfinishedRelay(&errorInfo, &relayInfo);
    QVERIFY(again);
    QCOMPARE(qMakePair(again->eventNum(), again->number()), qMakePair(1, 1));
    QCOMPARE(relayInfo, 4);
}

void TestUserModul::shotCountCheck_data()
{
    QTest::addColumn<int>("shots");
    QTest::addColumn<bool>("done");
    QTest::addColumn<int>("questions");
    // The pistol cup's exercise needs 3 match shots ("MatchCount" of ModuleData).
    QTest::newRow("no shot: not done, no question") << 0 << false << 0;
    QTest::newRow("2 of 3: asked") << 2 << false << 1;
    QTest::newRow("exactly 3: done") << 3 << true << 0;
    QTest::newRow("4 of 3: done") << 4 << true << 0;
}

void TestUserModul::shotCountCheck()
{
    QFETCH(int, shots);
    QFETCH(bool, done);
    QFETCH(int, questions);
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kPistolCup, false, QStringLiteral("Cup")));
    const int id = addMember(QStringLiteral("A"), 1);
    shoot(event(1), member(id), 1, shots);
    QVERIFY(modul().setMemberEventDone(event(1), id, !done)); // the opposite of the outcome

    QSignalSpy ask(&modul(), &TUserModul::sig_askColBull);
    modul().openCompetition(modul().currentCompetition()->id(), true);
    QCOMPARE(ask.count(), questions);
    QCOMPARE(member(id)->isEventDone(1), done);
}

void TestUserModul::repeatedAnswer()
{
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kRifleCup, false, QStringLiteral("Cup")));
    const int a = addMember(QStringLiteral("A"), 1);
    const int b = addMember(QStringLiteral("B"), 2);
    shoot(event(1), member(a), 1, 1);
    shoot(event(1), member(b), 2, 2);
    shoot(event(2), member(a), 1, 3);
    const int first = event(1)->id(), second = event(2)->id();

    QSignalSpy ask(&modul(), &TUserModul::sig_askColBull);
    modul().openCompetition(modul().currentCompetition()->id(), true);
    QCOMPARE(ask.count(), 1);
    // "Add" for all: every short member of every exercise is filled without a question.
    modul().slot_ColBullDialogClosed(first, a, TUserModul::ColBullFill, true);
    QCOMPARE(ask.count(), 1);
    QCOMPARE(storedShots(first, a), 3);
    QCOMPARE(storedShots(first, b), 3);
    QCOMPARE(storedShots(second, a), 4);
    QCOMPARE(storedShots(second, b), 0);
    QVERIFY(member(b)->isEventDone(1) && !member(b)->isEventDone(2));
    // An answer for an exercise that does not exist changes nothing.
    modul().slot_ColBullDialogClosed(second + 10, a, TUserModul::ColBullClear, false);
    QCOMPARE(storedShots(first, a), 3);
}

void TestUserModul::staleAnswerKeepsCompleteShots()
{
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kPistolCup, false, QStringLiteral("Cup")));
    const int a = addMember(QStringLiteral("A"), 1);
    shoot(event(1), member(a), 1, 2);
    QSignalSpy ask(&modul(), &TUserModul::sig_askColBull);
    modul().openCompetition(modul().currentCompetition()->id(), true);
    QCOMPARE(ask.count(), 1);
    const int eventID = event(1)->id();

    // The question waits without blocking; meanwhile A shoots the missing shot.
    shoot(event(1), member(a), 1, 1);
    modul().slot_ColBullDialogClosed(eventID, a, TUserModul::ColBullClear, false);
    QCOMPARE(storedShots(eventID, a), 3);
    QCOMPARE(modul().bulletList(eventID)->shotCountOfMember(a), 3);
    QVERIFY(member(a)->isEventDone(1));
    QCOMPARE(ask.count(), 1);
}

void TestUserModul::failedStatementDoesNotBlockNewCompetition()
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Unable to execute query")));
    QVERIFY(!modul().db()->execQuery(QStringLiteral("SELECT * FROM nowhere")));
    QCOMPARE(modul().lastError(), int(TUserModul::ErrorStatement));
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kPistolCup, false, QStringLiteral("Cup")));
    QVERIFY(modul().currentCompetition()->id() > 0);
    QCOMPARE(modul().storedCompetitions()->rowCount(), 1);
}

void TestUserModul::unusableDatabaseRefusesNewCompetition()
{
    m_modul.reset();
    QVERIFY(QDir(m_dir->filePath(QStringLiteral("ServerDatas/DataBase"))).removeRecursively());
    restart();
    QVERIFY(modul().hasError());
    QVERIFY(!modul().errorText().isEmpty());
    QVERIFY(!modul().newCompetition(kCountry, ModuleData::kPistolCup, false, QStringLiteral("Cup")));
    // The unstored competition stays current without a key from the database.
    QVERIFY(modul().currentCompetition());
    QCOMPARE(modul().currentCompetition()->id(), -1);
    QCOMPARE(modul().storedCompetitions()->rowCount(), 0);
}

void TestUserModul::unopenableDatabaseReportedAsSuch()
{
    // The file is there, so nothing is imported, but it cannot be opened.
    m_modul.reset();
    const QString file = TdbAccessor::databasePath();
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir().mkpath(file));
    restart();
    QCOMPARE(modul().lastError(), int(TUserModul::ErrorOpen));
    QCOMPARE(modul().errorText(), QStringLiteral("Не могу открыть Базу Данных"));
    QVERIFY(!modul().newCompetition(kCountry, ModuleData::kPistolCup, false, QStringLiteral("Cup")));
}

void TestUserModul::errorText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    // Codes of the storage layer and the module's texts for them.
    QTest::newRow("0, none") << 0 << QString();
    QTest::newRow("1, import") << 1 << QStringLiteral("Ошибка импорта Базы Данных");
    QTest::newRow("2, open") << 2 << QStringLiteral("Не могу открыть Базу Данных");
    QTest::newRow("3, statement") << 3 << QStringLiteral("Ошибка при запросе/ответе Базы Данных");
    QTest::newRow("4, unknown") << 4 << QString();
}

void TestUserModul::errorText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QVERIFY(!modul().hasError());
    modul().errorSQL(code);
    QCOMPARE(modul().errorText(), text);
    QCOMPARE(modul().hasError(), code > 0);
}

void TestUserModul::lifecycleAndShotLists()
{
    QCOMPARE(modul().competitionTypes()->rowCount(), 3);
    QVERIFY(!modul().currentCompetition());
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kRifleCup, true, kStart, kStartTime,
                                   QStringLiteral("Cup")));
    TCompetition *competition = modul().currentCompetition();
    const int id = competition->id();
    QList<int> listIDs;
    for (const TBulletList *list : modul().bulletLists())
        listIDs << list->eventId();
    QCOMPARE(listIDs, (QList<int>{event(1)->id(), event(2)->id(), event(3)->id()}));
    QCOMPARE(modul().members()->competitionID(), id);

    // One exercise's list is rebuilt and moves to the end of the cache.
    TBulletList *rebuilt = modul().makeBulletList(event(1)->id());
    QCOMPARE(modul().bulletLists().last(), rebuilt);
    QCOMPARE(modul().bulletList(event(1)->id()), rebuilt);
    QVERIFY(!modul().makeBulletList(event(3)->id() + 100));

    QVERIFY(modul().editCompetition(kCountry, ModuleData::kRifleCup, true, kStart, kStartTime,
                                    QStringLiteral("Spring Cup")));
    QCOMPARE(modul().storedCompetitions()->index(0).data(TCompetitionList::CompCompetitionNameRole),
             QVariant(QStringLiteral("Spring Cup")));

    // Opened without load: the competition only, members empty, the cache kept.
    modul().closeCompetition();
    QVERIFY(!modul().currentCompetition());
    modul().openCompetition(id, false);
    QCOMPARE(modul().currentCompetition()->name(), QStringLiteral("Spring Cup"));
    QCOMPARE(modul().members()->competitionID(), -1);
    QCOMPARE(modul().bulletLists().size(), 3);

    QVERIFY(modul().deleteCompetition());
    QVERIFY(!modul().currentCompetition());
    QVERIFY(modul().bulletLists().isEmpty());
    QCOMPARE(modul().storedCompetitions()->rowCount(), 0);
    QVERIFY(!modul().db()->isCompetitionExist(id));
    QVERIFY(!modul().deleteCompetition());

    // A type without exercises leaves an empty cache.
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kEmptyCup, false, QStringLiteral("Empty")));
    QVERIFY(!modul().makeBulletList(-1));
    QVERIFY(modul().bulletLists().isEmpty());
}

void TestUserModul::typeChangeRebuildsMembersAndLists()
{
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kRifleCup, true, QStringLiteral("Cup")));
    const int a = addMember(QStringLiteral("A"), 1);
    QVERIFY(composeRelay(event(1), 1, {a}, true));
    QAbstractItemModelTester tester(modul().members(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester freeTester(modul().freeMembers(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);

    // Not yet started: a new type replaces every exercise record.
    QVERIFY(modul().editCompetition(kCountry, ModuleData::kPistolCup, false, kStart, kStartTime,
                                    QStringLiteral("Cup")));
    TCompetition *competition = modul().currentCompetition();
    QCOMPARE(competition->eventCount(), 1);
    QCOMPARE(modul().members()->firstEvent(), competition->event(0));
    QCOMPARE(modul().members()->relayCount(), 0); // the old relays went with their exercises
    QVERIFY(member(a));
    QCOMPARE(modul().bulletLists().size(), 1);
    QCOMPARE(modul().bulletLists().first()->eventId(), competition->event(0)->id());
    QVERIFY(composeRelay(event(1), 1, {a}, false));
}

void TestUserModul::typeChangeOfSameLengthRebuildsMembersAndLists()
{
    // A second one-exercise type: its exercise takes the place, and often the
    // memory and the key, of the one it replaces.
    QByteArray types = ModuleData::kCompetitionTypes;
    types.replace("</CompetititonList>",
                  "  <CompetitionType ID=\"4\" NameEng=\"Air Cup\" NameRus=\"AC\" weapon=\"0\">\n"
                  "    <Event Final=\"0\" Num=\"1\" TypeID=\"1\" SubType=\"2\"/>\n"
                  "  </CompetitionType>\n</CompetititonList>");
    QVERIFY(m_dir->writeFile(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"), types));
    restart();
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kPistolCup, false, QStringLiteral("Cup")));
    const int a = addMember(QStringLiteral("A"), 1);
    QVERIFY(composeRelay(event(1), 1, {a}, false));
    shoot(event(1), member(a), 1, 2);

    QVERIFY(modul().editCompetition(kCountry, 4, false, kStart, kStartTime, QStringLiteral("Cup")));
    // The database lost the old exercise's relays and shots; memory must follow.
    QCOMPARE(event(1)->matchCount(), 4);
    QCOMPARE(modul().members()->relayCount(), 0);
    QCOMPARE(modul().bulletLists().size(), 1);
    QCOMPARE(modul().bulletList(event(1)->id())->shotCountOfMember(a), 0);
    QVERIFY(composeRelay(event(1), 1, {a}, false));
}

void TestUserModul::removeMemberRefusedByDatabase()
{
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kPistolCup, false, QStringLiteral("Cup")));
    const int a = addMember(QStringLiteral("A"), 1);
    shoot(event(1), member(a), 1, 2);
    const int eventID = event(1)->id();
    TdbAccessor *db = modul().db();
    QVERIFY(db->execQuery(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON tbullets "
                                         "BEGIN SELECT RAISE(ABORT, 'refused'); END")));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Unable to execute query")));
    QVERIFY(!modul().removeMember(a));
    QVERIFY(member(a));
    QCOMPARE(storedShots(eventID, a), 2);
    QCOMPARE(modul().bulletList(eventID)->shotCountOfMember(a), 2);
    QCOMPARE(modul().shootersProxy()->rowCount(), 0);

    QVERIFY(db->execQuery(QStringLiteral("DROP TRIGGER refuse")));
    QVERIFY(modul().removeMember(a));
    QVERIFY(!member(a));
    QCOMPARE(storedShots(eventID, a), 0);
    QCOMPARE(modul().bulletList(eventID)->shotCountOfMember(a), 0);
    QCOMPARE(modul().shootersProxy()->rowCount(), 1); // the shooter can be added again
}

void TestUserModul::doneStateSurvivesMemberChanges()
{
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kRifleCup, true, QStringLiteral("Cup")));
    const int a = addMember(QStringLiteral("A"), 1);
    QVERIFY(modul().setMemberInFinal(a, true));
    QVERIFY(modul().setMemberEventDone(event(1), a, true));
    QVERIFY(modul().setMemberEventDone(event(3), a, true));

    // Members are reloaded after every addition and removal; the done marks
    // live in memory only and must not go with them.
    const int b = addMember(QStringLiteral("B"), 2);
    QVERIFY(modul().removeMember(b));
    QVERIFY(member(a)->isEventDone(1));
    QVERIFY(!member(a)->isEventDone(2));
    QCOMPARE(member(a)->finalState(), 1);
}

void TestUserModul::relayEditingRefusals()
{
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kRifleCup, true, QStringLiteral("Cup")));
    const int a = addMember(QStringLiteral("A"), 1);
    int errorInfo = -1, relayInfo = -1;
    QVERIFY(!modul().firstUnfinishedRelay(&errorInfo, &relayInfo));
    QCOMPARE(errorInfo, 1); // no relay at all

    QVERIFY(!modul().beginEditRelay(nullptr, 1));
    QVERIFY(!modul().placeMember(a + 50, 1, false, false));
    QVERIFY(!modul().unplaceMember(a, false, 2));
    QVERIFY(!modul().commitEditRelay(false)); // nobody in the edit relay
    // No current relay: placing "into the current relay" places nowhere.
    QVERIFY(!modul().placeMember(a, 1, false, true));

    QVERIFY(composeRelay(event(1), 1, {a}, false));
    QCOMPARE(modul().members()->currentRelay()->number(), 1);
    QVERIFY(!modul().beginEditRelay(event(1), 1)); // relay 1 of exercise 1 exists
    QVERIFY(modul().beginEditRelay(event(2), 1));
    QVERIFY(modul().deleteCurrentRelay(false));
    QCOMPARE(modul().members()->relayCount(), 0);
    QVERIFY(!modul().deleteCurrentRelay(false));
}

void TestUserModul::finalMarksAndAdmission()
{
    QVERIFY(modul().newCompetition(kCountry, ModuleData::kRifleCup, true, QStringLiteral("Cup")));
    const int a = addMember(QStringLiteral("A"), 1);
    TEvent *final = event(3);

    // Outside the final: marking it done is refused and admits nobody.
    QVERIFY(!modul().setMemberEventDone(final, a, true));
    QVERIFY(modul().setMemberEventDone(final, a, false));
    QCOMPARE(member(a)->finalState(), -1);

    QVERIFY(modul().setMemberInFinal(a, true));
    QVERIFY(composeRelay(final, 1, {a}, false));
    QVERIFY(modul().setMemberInFinal(a, false)); // leaves the final relay too
    QCOMPARE(modul().members()->relayCount(), 0);
    QCOMPARE(member(a)->finalState(), -1);
}

void TestUserModul::teamsAndQualities()
{
    // The schema's empty team 0, then the teams added here.
    QCOMPARE(modul().addTeam(kCountry, QStringLiteral("Dynamo")), 1);
    QCOMPARE(modul().addTeam(3, QStringLiteral("Spartak")), 2);
    QVERIFY(modul().db()->execQuery(QStringLiteral(
        "INSERT INTO tteam (ID, fName, fCountryXMLID) VALUES (3, 'Broken', 'x')")));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Cannot load data:")));
    QVERIFY(modul().updateTeam(2, 3, QStringLiteral("Spartak M")));
    QCOMPARE(modul().teams().size(), 3); // the unreadable row is left out

    QVERIFY(!modul().teamAt(-1) && !modul().teamAt(3));
    QVERIFY(!modul().isTeamIndex(3));
    int visited = 0;
    for (const TTeam *team = modul().teamAt(0); team; team = modul().nextTeam(team))
        ++visited;
    QCOMPARE(visited, 3);
    QCOMPARE(modul().teamName(2), QStringLiteral("Spartak M"));
    QCOMPARE(modul().teamCountryXMLID(2), 3);
    QVERIFY(modul().teamName(9).isEmpty());
    QCOMPARE(modul().teamCountryXMLID(9), 0);
    modul().setCurrentTeam(2);
    QCOMPARE(modul().currentTeamRow(), 2);

    QCOMPARE(modul().addQuality(QStringLiteral("Master"), QStringLiteral("ms")), 1);
    QCOMPARE(modul().qualityShortName(1), QStringLiteral("MS"));
    QVERIFY(modul().deleteQuality(1));
    QVERIFY(modul().qualityShortName(1).isEmpty());
    QCOMPARE(modul().qualities().size(), 1);
}

QTEST_MAIN(TestUserModul)
#include "tst_usermodul.moc"
