#include "tbullet.h"
#include "tdbaccessor.h"
#include "testdatadir.h"
#include "tevent.h"
#include "tshooter.h"
#include "ttargettype.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QStringList kTables = {"tcompetitions", "tevents", "tmembers", "trelays",
                             "tbullets",      "tshooters", "tteam",  "tqualifications"};

int rowCount(TdbAccessor &db, const QString &table)
{
    db.execSelect(QStringLiteral("SELECT COUNT(*) AS n FROM ") + table);
    db.first();
    return db.value(QStringLiteral("n")).toInt();
}

// One field of every row the last select returned, as text.
QStringList column(TdbAccessor &db, const QString &field)
{
    QStringList values;
    while (db.next())
        values << db.value(field).toString();
    return values;
}

// Row counts of kTables, in that order.
QList<int> rowCounts(TdbAccessor &db)
{
    QList<int> counts;
    for (const QString &table : kTables)
        counts << rowCount(db, table);
    return counts;
}

std::unique_ptr<TShooter> shooter(const QString &name, const QString &family, int gender,
                                  int startNumber = -1)
{
    auto s = std::make_unique<TShooter>();
    s->setNames(name, family);
    s->setDateOfBirth(QDate(1990, 5, 17));
    s->setGender(gender);
    s->setCountryXMLID(2);
    s->setTeamID(1);
    s->setQualityID(1);
    s->setStartNumber(startNumber);
    return s;
}

std::unique_ptr<TEvent> makeEvent(int typeXMLID, bool final)
{
    auto e = std::make_unique<TEvent>();
    e->setTypeXMLID(typeXMLID);
    e->setFinal(final);
    e->setStartDateTime(QDate(2020, 2, 15), QTime(9, 5, 30));
    return e;
}

// A shot on the target type 8 face at calibre 4.5 mm: y 0 is 10.9, y 25 is
// 10.0, y 36 is 9.5 (ring width and inner radius 2.5 mm).
std::unique_ptr<TBullet> bullet(int memberID, int number, int y = 0, quint8 code = 0, int fine = 0)
{
    auto b = std::make_unique<TBullet>(0, number, 0, y, code, 123, targetTypeById(8), 450, 10.4, fine);
    b->setMemberID(memberID);
    return b;
}

// Shooters 1-3 (1 and 3 women), competitions 1 (open) and 2 (finished),
// exercises 1 and 2 (final) of competition 1 and 3 of competition 2,
// members 1 (shooter 1) and 2 (shooter 2) of competition 1 and 3 (shooter 1)
// of competition 2, their relay places and six shots.
void seed(TdbAccessor &db)
{
    QCOMPARE(db.insertTeam(2, QStringLiteral("Team")), 1);
    QCOMPARE(db.insertQualification(QStringLiteral("Master"), QStringLiteral("ms")), 1);
    QCOMPARE(db.insertShooter(shooter("Anna", "A", 0).get()), 1);
    QCOMPARE(db.insertShooter(shooter("Boris", "B", 1).get()), 2);
    QCOMPARE(db.insertShooter(shooter("Vera", "V", 0).get()), 3);
    QCOMPARE(db.insertCompetition(false, 2, 10, true, QTime(9, 0), QDate(2020, 2, 15), "Open"), 1);
    QCOMPARE(db.insertCompetition(true, 2, 11, false, QTime(9, 0), QDate(2020, 2, 16), "Done"), 2);
    QCOMPARE(db.insertEvent(makeEvent(5, false).get(), 1), 1);
    QCOMPARE(db.insertEvent(makeEvent(6, true).get(), 1), 2);
    QCOMPARE(db.insertEvent(makeEvent(5, false).get(), 2), 3);
    auto m1 = shooter("Anna", "A", 0, 20);
    m1->setID(1);
    auto m2 = shooter("Boris", "B", 1, 10);
    m2->setID(2);
    QCOMPARE(db.insertMember(m1.get(), 1), 1);
    QCOMPARE(db.insertMember(m2.get(), 1), 2);
    QCOMPARE(db.insertMember(m1.get(), 2), 3);
    QVERIFY(db.insertRelay(1, 1, 1, 3));
    QVERIFY(db.insertRelay(1, 1, 2, 4));
    QVERIFY(db.insertRelay(2, 1, 1, 3));
    QVERIFY(db.insertRelay(3, 1, 3, 5));
    QCOMPARE(db.insertBullet(bullet(1, 2).get(), 1), 1);
    QCOMPARE(db.insertBullet(bullet(1, 1).get(), 1), 2);
    QCOMPARE(db.insertBullet(bullet(2, 1).get(), 1), 3);
    QCOMPARE(db.insertBullet(bullet(1, 1).get(), 2), 4);
    QCOMPARE(db.insertBullet(bullet(3, 1).get(), 3), 5);
    QCOMPARE(db.insertBullet(bullet(3, 2).get(), 3), 6);
}

// Counts after seed(), in the order of kTables.
const QList<int> kSeeded = {2, 3, 3, 4, 6, 3, 2, 2};

enum Operation {
    DeleteCompetition1,
    DeleteShooter1Checked,
    DeleteShooter1,
    DeleteShooter3Checked,
    DeleteMember1,
    DeleteEvent1,
    DeleteFinalEvents1,
    DeleteFinalEvents2,
    DeleteShooterMember1,
    DeleteShooterMember3,
    ClearAll,
};

int runOperation(TdbAccessor &db, int operation)
{
    switch (operation) {
    case DeleteCompetition1: return db.deleteCompetition(1);
    case DeleteShooter1Checked: return db.deleteShooter(1, true);
    case DeleteShooter1: return db.deleteShooter(1, false);
    case DeleteShooter3Checked: return db.deleteShooter(3, true);
    case DeleteMember1: return db.deleteMember(1);
    case DeleteEvent1: return db.deleteEvent(1);
    case DeleteFinalEvents1: return db.deleteFinalEvents(1);
    case DeleteFinalEvents2: return db.deleteFinalEvents(2);
    case DeleteShooterMember1: return db.deleteShooterMember(1, 1);
    case DeleteShooterMember3: return db.deleteShooterMember(3, 1);
    case ClearAll: return db.clearAll();
    }
    return -99;
}

} // namespace

class TestDbOperations : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void textRoundTrip_data();
    void textRoundTrip();
    void keysAndCompetitionKey();
    void shotValues();
    void selects();
    void existenceChecks();
    void updates();
    void cascades_data();
    void cascades();
    void cascadeFailureUndoesAll_data();
    void cascadeFailureUndoesAll();

private:
    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TdbAccessor> m_db;
};

void TestDbOperations::init()
{
    m_dir = std::make_unique<TestDataDir>(TestDataDir::Empty);
    QVERIFY(m_dir->isValid());
    m_db = std::make_unique<TdbAccessor>(QStringLiteral("main"));
    seed(*m_db);
}

void TestDbOperations::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

void TestDbOperations::textRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("single quote") << QStringLiteral("O'Brien");
    QTest::newRow("double quote") << QStringLiteral("Say \"ten\"");
    QTest::newRow("backslash") << QStringLiteral("C:\\range\\");
    QTest::newRow("cyrillic") << QStringLiteral("Ёлкина-Щукина");
    QTest::newRow("emoji") << QStringLiteral("🎯 Мишень 🇷🇺");
    QTest::newRow("injection") << QStringLiteral("x'); DROP TABLE tshooters; --");
    QTest::newRow("placeholders") << QStringLiteral("%1 %2 ? :name");
    QTest::newRow("empty") << QString();
}

void TestDbOperations::textRoundTrip()
{
    QFETCH(QString, text);
    TdbAccessor &db = *m_db;
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);

    const int shooterID = db.insertShooter(shooter(text, text + text, 1).get());
    QCOMPARE(shooterID, 4);
    db.selectShooter(shooterID);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fName")).toString(), text);
    QCOMPARE(db.value(QStringLiteral("fFamily")).toString(), text + text);
    QCOMPARE(db.updateShooter(1, shooter(text, text, 1).get()), true);
    db.selectShooter(1);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fFamily")).toString(), text);

    const int teamID = db.insertTeam(3, text);
    db.selectTeam(teamID);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fName")).toString(), text);

    QVERIFY(db.updateQualification(1, text, text));
    db.selectQualification(1);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fshortname")).toString(), text);

    const int competitionID = db.insertCompetition(false, 2, 10, false, QTime(8, 0), QDate(2021, 1, 1), text);
    db.selectCompetition(competitionID);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fName")).toString(), text);

    // Texts stay texts (an empty name is '' and not NULL), and no table went.
    db.execSelect(QStringLiteral("SELECT typeof(fName) AS t FROM tshooters WHERE ID=?"), {shooterID});
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("t")).toString(), QStringLiteral("text"));
    QCOMPARE(rowCount(db, QStringLiteral("tshooters")), 4);
    QCOMPARE(errors.count(), 0);
}

void TestDbOperations::keysAndCompetitionKey()
{
    TdbAccessor &db = *m_db;
    QCOMPARE(db.getMaxCompetitionID(), 2);
    QCOMPARE(db.insertCompetition(false, 2, 10, false, QTime(8, 0), QDate(2021, 1, 1), "Five", 5), 5);
    // An existing key is refused without a statement.
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);
    QCOMPARE(db.insertCompetition(false, 2, 10, false, QTime(8, 0), QDate(2021, 1, 1), "Again", 5), -1);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(rowCount(db, QStringLiteral("tcompetitions")), 3);
    QCOMPARE(db.insertCompetition(false, 2, 10, false, QTime(8, 0), QDate(2021, 1, 1), "Next"), 6);
    QCOMPARE(db.getMaxBulletID(), 6);
    QCOMPARE(db.getMaxMemberID(), 3);
    QCOMPARE(db.getMaxEventID(), 3);
    QCOMPARE(db.getMaxShooterID(), 3);
}

void TestDbOperations::shotValues()
{
    TdbAccessor &db = *m_db;
    const int nineFive = db.insertBullet(bullet(2, 7, 36).get(), 1);
    const int ten = db.insertBullet(bullet(2, 8, 25).get(), 1);
    const int noCode = db.insertBullet(bullet(2, 9, 0, 255, 2).get(), 1);
    QCOMPARE(nineFive, 7);
    db.execSelect(QStringLiteral("SELECT * FROM tbullets WHERE ID>=? ORDER BY ID"), {nineFive});
    QVERIFY(db.next());
    QCOMPARE(db.value(QStringLiteral("fRange10")).toDouble(), 9.5);
    QCOMPARE(db.value(QStringLiteral("fY")).toInt(), 36);
    QCOMPARE(db.value(QStringLiteral("fTime")).toInt(), 123);
    QCOMPARE(db.value(QStringLiteral("fEventActive")).toInt(), 1);
    QVERIFY(db.next());
    QCOMPARE(db.value(QStringLiteral("fRange10")).toDouble(), 10.0);
    QVERIFY(db.next());
    // A code above 8 scores nothing and is stored as the signed byte it was.
    QCOMPARE(db.value(QStringLiteral("fP")).toInt(), -1);
    QCOMPARE(db.value(QStringLiteral("fX")).toInt(), 0xFFFF);
    QCOMPARE(db.value(QStringLiteral("fRange10")).toDouble(), 0.0);
    QCOMPARE(db.value(QStringLiteral("fFine")).toInt(), 2);
    Q_UNUSED(ten)

    QVERIFY(db.updateBullet(noCode, 3, bullet(3, 4, 36).get()));
    db.selectMemberBullets(3, 3);
    QCOMPARE(column(db, QStringLiteral("fNumber")), QStringList({"1", "2", "4"}));
}

void TestDbOperations::selects()
{
    TdbAccessor &db = *m_db;
    db.selectShooters(-1);
    QCOMPARE(column(db, QStringLiteral("ID")).size(), 3);
    db.selectShooters(0);
    QStringList names = column(db, QStringLiteral("fName"));
    names.sort();
    QCOMPARE(names, QStringList({"Anna", "Vera"}));

    db.selectCompetitions(false);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("ID")).toInt(), 1);
    QCOMPARE(db.value(QStringLiteral("fTypeXMLID")).toInt(), 10);
    bool ok = true;
    db.value(QStringLiteral("fName"), &ok); // only the two columns
    QVERIFY(!ok);
    QVERIFY(!db.next());

    db.selectMembers(1); // by start number: member 2 has 10, member 1 has 20
    QCOMPARE(column(db, QStringLiteral("ID")), QStringList({"2", "1"}));
    db.selectMemberBullets(1, 1);
    QCOMPARE(column(db, QStringLiteral("ID")), QStringList({"2", "1"})); // by number, not by key
    db.selectEventBullets(1);
    QCOMPARE(column(db, QStringLiteral("ID")).size(), 3);

    db.selectFinalEvents(1);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("ID")).toInt(), 2);
    QCOMPARE(db.value(QStringLiteral("fStartDate")).toString(), QStringLiteral("2020-02-15 09:05:30"));
    db.selectEventsByType(2, 5);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("ID")).toInt(), 3);
    db.selectEventRelays(1);
    QCOMPARE(column(db, QStringLiteral("fMemberID")).size(), 2);
    db.selectMemberRelays(3, 3);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fMemberTarget")).toInt(), 5);
    QCOMPARE(db.value(QStringLiteral("fRelayNum")).toInt(), 1);

    db.selectShooter(1);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fDateofBirth")).toString(), QStringLiteral("1990-05-17 00:00:00"));
}

void TestDbOperations::existenceChecks()
{
    TdbAccessor &db = *m_db;
    QVERIFY(db.isCompetitionExist(2) && !db.isCompetitionExist(3));
    QVERIFY(db.isEventExist(3) && !db.isEventExist(4));
    QVERIFY(db.isShooterExist(3) && !db.isShooterExist(4));
    QVERIFY(db.isTeamExist(0) && !db.isTeamExist(2));
    QVERIFY(db.isQualificationExist(1) && !db.isQualificationExist(2));
    QVERIFY(db.isMemberExist(3) && !db.isMemberExist(4));
    QVERIFY(db.isBulletExist(6) && !db.isBulletExist(7));
    QVERIFY(db.isShooterInCompetition(1, 2));
    QVERIFY(!db.isShooterInCompetition(2, 2));
    QVERIFY(db.isRelayPlaceExist(2, 1, 1));
    QVERIFY(!db.isRelayPlaceExist(2, 1, 2));
    QVERIFY(db.isMemberInEventRelays(1, 2));
    QVERIFY(!db.isMemberInEventRelays(2, 2));
    QVERIFY(db.isRelayNumExist(3, 1));
    QVERIFY(!db.isRelayNumExist(3, 2));
    QVERIFY(db.isShooterUsed(1));
    QVERIFY(!db.isShooterUsed(3));

    // A member has one place per exercise: the second is refused and reported,
    // and the accessor goes on.
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Unable to execute query - INSERT INTO TRelays")));
    QVERIFY(!db.insertRelay(1, 2, 1, 9));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), int(TdbAccessor::ErrorStatement));
    QVERIFY(!db.isError());
    QVERIFY(db.insertRelay(1, 2, 3, 9));
}

void TestDbOperations::updates()
{
    TdbAccessor &db = *m_db;
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);
    // Refused before any statement when the row is missing.
    QVERIFY(!db.updateShooter(9, shooter("No", "One", 0).get()));
    QVERIFY(!db.updateTeam(9, "No", 2));
    QVERIFY(!db.updateQualification(9, "No", "n"));
    QVERIFY(!db.updateCompetition(9, true, 2, 3, true, QTime(), QDate(), "No"));
    QVERIFY(!db.setCompetitionFinished(9, true));
    QVERIFY(!db.updateEvent(9, makeEvent(1, false).get(), 1));
    QVERIFY(!db.setEventFinished(9, true));
    QVERIFY(!db.setEventStartDate(9, QDate(2020, 1, 1), QTime()));
    QVERIFY(!db.setStartNumber(9, 1));
    QVERIFY(!db.setMemberTarget(1, 2, 1, 7)); // no place in relay 2
    // These have no check: a missing row still succeeds.
    QVERIFY(db.setBulletFine(99, 1));
    QVERIFY(db.deleteBullet(99));
    QCOMPARE(errors.count(), 0);
    QCOMPARE(rowCounts(db), kSeeded);

    QVERIFY(db.updateCompetition(1, true, 7, 12, false, QTime(7, 8, 9), QDate(2022, 3, 4), "Renamed"));
    db.selectCompetition(1);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fFinished")).toInt(), 1);
    QCOMPARE(db.value(QStringLiteral("fFinal")).toInt(), 0);
    QCOMPARE(db.value(QStringLiteral("fCountryXMLID")).toInt(), 7);
    QCOMPARE(db.value(QStringLiteral("fstartDate")).toString(), QStringLiteral("2022-03-04 07:08:09"));
    QVERIFY(db.setCompetitionFinished(1, false));
    db.selectCompetitions(false);
    QVERIFY(!db.first());

    QVERIFY(db.setEventFinished(1, true));
    QVERIFY(db.setEventStartDate(1, QDate(2023, 12, 31), QTime(23, 59, 58)));
    db.selectEventsByType(1, 5);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fFinished")).toInt(), 1);
    QCOMPARE(db.value(QStringLiteral("fStartDate")).toString(), QStringLiteral("2023-12-31 23:59:58"));
    QVERIFY(db.updateEvent(1, makeEvent(8, true).get(), 2));
    db.selectFinalEvents(2);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fTypeXMLID")).toInt(), 8);

    QVERIFY(db.setBulletFine(3, 1));
    QVERIFY(db.setStartNumber(1, 5));
    QVERIFY(db.setMemberTarget(1, 1, 1, 7));
    QVERIFY(db.updateTeam(1, "Renamed", 9));
    db.selectMemberRelays(1, 1);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fMemberTarget")).toInt(), 7);
    db.selectMembers(1);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("ID")).toInt(), 1); // start number 5 now comes first
    db.selectTeam(1);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fCountryXMLID")).toInt(), 9);
    QVERIFY(db.deleteMemberRelays(1, 1));
    QVERIFY(!db.isMemberInEventRelays(1, 1));
    QVERIFY(db.deleteRelay(3, 1));
    QVERIFY(!db.isRelayNumExist(3, 1));
    QVERIFY(db.deleteTeam(1) && !db.isTeamExist(1));
    QVERIFY(db.deleteQualification(1) && !db.isQualificationExist(1));
    QVERIFY(db.deleteMemberBullets(3));
    QVERIFY(db.deleteBullet(1) && !db.isBulletExist(1));
    QCOMPARE(rowCount(db, QStringLiteral("tbullets")), 3);
    QCOMPARE(errors.count(), 0);
}

void TestDbOperations::cascades_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("result");
    // Counts of competitions, events, members, relays, shots, shooters,
    // teams, qualifications afterwards, from the rows seed() makes.
    QTest::addColumn<QList<int>>("counts");

    QTest::newRow("competition 1 with its exercises, members, places, shots; register kept")
        << int(DeleteCompetition1) << 1 << QList<int>{1, 1, 1, 1, 2, 3, 2, 2};
    QTest::newRow("shooter 1 checked: has shots, refused")
        << int(DeleteShooter1Checked) << -1 << kSeeded;
    QTest::newRow("shooter 1 with members 1 and 3, their places and shots")
        << int(DeleteShooter1) << 1 << QList<int>{2, 3, 1, 1, 1, 2, 2, 2};
    QTest::newRow("shooter 3 checked: never shot")
        << int(DeleteShooter3Checked) << 1 << QList<int>{2, 3, 3, 4, 6, 2, 2, 2};
    QTest::newRow("member 1 with its two places and three shots")
        << int(DeleteMember1) << 1 << QList<int>{2, 3, 2, 2, 3, 3, 2, 2};
    QTest::newRow("exercise 1 with two places and three shots")
        << int(DeleteEvent1) << 1 << QList<int>{2, 2, 3, 2, 3, 3, 2, 2};
    QTest::newRow("final of competition 1")
        << int(DeleteFinalEvents1) << 1 << QList<int>{2, 2, 3, 3, 5, 3, 2, 2};
    QTest::newRow("competition 2 has no final: false, nothing deleted")
        << int(DeleteFinalEvents2) << 0 << kSeeded;
    QTest::newRow("shooter 1 leaves competition 1 as member 1")
        << int(DeleteShooterMember1) << 1 << QList<int>{2, 3, 2, 2, 3, 3, 2, 2};
    QTest::newRow("shooter 3 is no member: true, nothing deleted")
        << int(DeleteShooterMember3) << 1 << kSeeded;
    QTest::newRow("clear all, key-0 rows too")
        << int(ClearAll) << 1 << QList<int>{0, 0, 0, 0, 0, 0, 0, 0};
}

void TestDbOperations::cascades()
{
    QFETCH(int, operation);
    QFETCH(int, result);
    QFETCH(QList<int>, counts);
    QCOMPARE(rowCounts(*m_db), kSeeded);
    QCOMPARE(runOperation(*m_db, operation), result);
    QCOMPARE(rowCounts(*m_db), counts);
    m_db->execSelect(QStringLiteral("SELECT * FROM TVersion"));
    QVERIFY(!m_db->first());
}

void TestDbOperations::cascadeFailureUndoesAll_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<QStringList>("obstacle");
    QTest::addColumn<QString>("failing"); // the statement that fails
    QTest::addColumn<QString>("release");

    // Each of these deletes shots last (or after other statements), so a
    // shot that cannot be deleted fails the cascade after rows were deleted.
    const QStringList keepShots = {QStringLiteral(
        "CREATE TEMP TRIGGER keep_shots BEFORE DELETE ON tbullets "
        "BEGIN SELECT RAISE(ABORT, 'shots are kept'); END")};
    const QPair<Operation, const char *> deletingShots[] = {
        {DeleteCompetition1, "deleteCompetition"}, {DeleteShooter1, "deleteShooter"},
        {DeleteMember1, "deleteMember"},           {DeleteEvent1, "deleteEvent"},
        {DeleteFinalEvents1, "deleteFinalEvents"}, {DeleteShooterMember1, "deleteShooterMember"},
        {ClearAll, "clearAll"}};
    for (const auto &op : deletingShots)
        QTest::addRow("%s, shot delete refused", op.second)
            << int(op.first) << keepShots << "DELETE FROM tbullets" << "DROP TRIGGER keep_shots";

    // Each of these deletes member 1, which the guard row holds on to: a
    // deferred foreign key lets every statement run and refuses the commit.
    const QStringList guard = {
        QStringLiteral("PRAGMA foreign_keys=ON"),
        QStringLiteral("CREATE TABLE tguard (fMemberID INTEGER REFERENCES tmembers(ID) "
                       "DEFERRABLE INITIALLY DEFERRED)"),
        QStringLiteral("INSERT INTO tguard VALUES (1)")};
    const QPair<Operation, const char *> deletingMember1[] = {
        {DeleteCompetition1, "deleteCompetition"}, {DeleteShooter1, "deleteShooter"},
        {DeleteMember1, "deleteMember"}, {DeleteShooterMember1, "deleteShooterMember"}};
    for (const auto &op : deletingMember1)
        QTest::addRow("%s, commit refused", op.second)
            << int(op.first) << guard << "COMMIT" << "DELETE FROM tguard";
}

void TestDbOperations::cascadeFailureUndoesAll()
{
    QFETCH(int, operation);
    QFETCH(QStringList, obstacle);
    QFETCH(QString, failing);
    QFETCH(QString, release);
    TdbAccessor &db = *m_db;
    for (const QString &statement : obstacle)
        QVERIFY(db.execQuery(statement));
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(
        QStringLiteral("^Unable to execute query - ") + QRegularExpression::escape(failing)));
    QCOMPARE(runOperation(db, operation), 0);
    QCOMPARE(errors.count(), 1);
    // All or nothing: the statements before the failing one were undone.
    QCOMPARE(rowCounts(db), kSeeded);
    QVERIFY(!db.isError());

    QVERIFY(db.execQuery(release));
    QCOMPARE(runOperation(db, operation), 1);
    QVERIFY(rowCounts(db) != kSeeded);
}

QTEST_MAIN(TestDbOperations)
#include "tst_dboperations.moc"
