#include "counrtylist.h"
#include "practicefixture.h"
#include "practiceresources.h"
#include "schemafile.h"
#include "storageerror.h"
#include "tbulletlist.h"
#include "tevent.h"
#include "tquality.h"
#include "tshooter.h"
#include "tteam.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

QRegularExpression startsWith(const QString &text)
{
    return QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(text));
}

QStringList teamNames(const TPracticeModul &modul)
{
    QStringList names;
    for (const TTeam *team = modul.teamAt(0); team; team = modul.nextTeam(team))
        names << team->name();
    return names;
}

} // namespace

class TestPracticeModul : public QObject
{
    Q_OBJECT

private slots:
    void firstStartMakesSchema();
    void fileWithoutTablesGetsSchema_data();
    void fileWithoutTablesGetsSchema();
    void brokenSchemaLeavesNoFile_data();
    void brokenSchemaLeavesNoFile();
    void unusableDatabaseReportedAtStart();
    void teamsAndQualifications();
    void practiceSetUpAndReset();
};

void TestPracticeModul::firstStartMakesSchema()
{
    initPracticeResources();
    QFile script(QLatin1String(TPracticeModul::kSchemaResource));
    QVERIFY(script.open(QIODevice::ReadOnly));
    const QByteArray content = script.readAll();
    // Five statements, each on a line of its own ending in CR LF.
    QCOMPARE(content.count("\r\n"), 5);
    QCOMPARE(content.count('\n'), 5);
    QVERIFY(content.endsWith(";\r\n"));

    PracticeFixture f;
    QVERIFY(!f.modul->hasError());
    QVERIFY(QFile::exists(f.dir.filePath(QStringLiteral("ServerDatas/DataBase/shooters.sqlite"))));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name")),
             QList<QVariantList>({{"TShooters"}, {"TTeam"}, {"tQualifications"}}));
    QCOMPARE(teamNames(*f.modul), QStringList({"NONE"}));
    QCOMPARE(f.modul->qualityAt(0)->name(), QStringLiteral("NONE"));
    QVERIFY(!f.modul->qualityAt(1));
    QCOMPARE(f.roster()->rowCount(), 0);
    // Out of the list: null and ID 0, never an error.
    QCOMPARE(f.modul->teamIDAt(-1), 0);
    QCOMPARE(f.modul->teamIDAt(1), 0);
    QVERIFY(!f.modul->teamAt(1));
    QCOMPARE(f.modul->qualityIDAt(-1), 0);
    QCOMPARE(f.modul->countryIDAt(f.modul->countries()->count()), 0);
    QVERIFY(f.modul->countries()->count() > 0);
}

void TestPracticeModul::fileWithoutTablesGetsSchema_data()
{
    QTest::addColumn<QString>("leftBehind"); // empty: a zero-byte file
    QTest::newRow("zero bytes") << QString();
    QTest::newRow("header only") << QStringLiteral("PRAGMA user_version=2");
}

void TestPracticeModul::fileWithoutTablesGetsSchema()
{
    QFETCH(QString, leftBehind);
    TestDataDir dir;
    QFile empty(TPracticeModul::databasePath());
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    if (!leftBehind.isEmpty())
        QVERIFY(ShootersDb::exec(leftBehind));

    TPracticeModul modul;
    QVERIFY(modul.reload());
    QVERIFY(!modul.hasError());
    QCOMPARE(modul.addShooter("Anna", "Petrova", QDate(2001, 5, 3), 1, 0, 0, 0, 0, false), 1);
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT fFamily FROM TShooters")).size(), 1);
}

void TestPracticeModul::brokenSchemaLeavesNoFile_data()
{
    QTest::addColumn<int>("brokenLine");
    QTest::newRow("first table") << 0;
    QTest::newRow("third table") << 2;
    QTest::newRow("last seed row") << 4;
}

void TestPracticeModul::brokenSchemaLeavesNoFile()
{
    QFETCH(int, brokenLine);
    TestDataDir dir;
    initPracticeResources();
    QFile script(QLatin1String(TPracticeModul::kSchemaResource));
    QVERIFY(script.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = script.readAll().split('\n');
    lines[brokenLine] = "CREATE TABLE broken ( oops\r";
    QVERIFY(dir.writeFile(QStringLiteral("broken.sql"), lines.join('\n')));

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("shot"));
        db.setDatabaseName(TPracticeModul::databasePath());
        QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Unable to execute query - CREATE TABLE broken")));
        QVERIFY(!SchemaFile::ensure(db, dir.filePath(QStringLiteral("broken.sql"))));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("shot"));
    // Nothing half-made stays to be taken for a database on the next start.
    QCOMPARE(QDir(dir.filePath(QStringLiteral("ServerDatas/DataBase"))).entryList(QDir::Files),
             QStringList());

    TPracticeModul modul;
    QVERIFY(modul.reload());
    QCOMPARE(teamNames(modul), QStringList({"NONE"}));
}

void TestPracticeModul::unusableDatabaseReportedAtStart()
{
    TestDataDir dir;
    QVERIFY(QDir(dir.filePath(QStringLiteral("ServerDatas/DataBase"))).removeRecursively());
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Cannot open database:")));
    TPracticeModul modul;
    // Raised before anyone could listen: kept for the owner to ask.
    QVERIFY(modul.hasError());
    QCOMPARE(modul.lastError(), int(StorageErrorImport));
    QCOMPARE(modul.errorText(), QStringLiteral("Ошибка импорта Базы Данных"));

    QSignalSpy errors(&modul, &TPracticeModul::errorSQL);
    for (int i = 0; i < 3; ++i)
        QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Cannot open database:")));
    QVERIFY(!modul.reload());
    QVERIFY(errors.count() >= 1);
    QCOMPARE(errors.last().at(0).toInt(), int(StorageErrorOpen));
    QVERIFY(!modul.teamAt(0));
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Cannot open database:")));
    QCOMPARE(modul.addShooter("A", "B", QDate(2000, 1, 1), 0, 0, 0, 0, 0, false), -1);
    QCOMPARE(modul.membersPractice()->rowCount(), 0);
}

void TestPracticeModul::teamsAndQualifications()
{
    PracticeFixture f;
    TPracticeModul &modul = *f.modul;
    QCOMPARE(modul.addTeam(5, QStringLiteral("Динамо")), 1);
    QCOMPARE(modul.addTeam(6, QStringLiteral("Zenit")), 2);
    QCOMPARE(teamNames(modul), QStringList({"NONE", "Динамо", "Zenit"}));
    QVERIFY(modul.updateTeam(2, 7, QStringLiteral("Зенит")));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT fName, fCountryXMLID FROM TTeam WHERE ID=2")),
             QList<QVariantList>({{QStringLiteral("Зенит"), 7}}));
    QCOMPARE(modul.teamIndexOf(modul.teamByID(2)), 2);
    QVERIFY(!modul.nextTeam(modul.teamAt(2)));

    QCOMPARE(modul.addQuality(QStringLiteral("Мастер спорта"), QStringLiteral("мс")), 1);
    QCOMPARE(modul.qualityByID(1)->shortName(), QStringLiteral("МС"));
    // A change that keeps the short name must not write the name over it.
    QVERIFY(modul.updateQuality(1, QStringLiteral("Мастер спорта России"), modul.qualityByID(1)->shortName()));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT fName, fshortname FROM tQualifications WHERE ID=1")),
             QList<QVariantList>({{QStringLiteral("Мастер спорта России"), QStringLiteral("МС")}}));

    const int a = modul.addShooter("Anna", "Petrova", QDate(2001, 5, 3), 1, 0, 1, 1, 0, false);
    const int b = modul.addShooter("Boris", "Ivanov", QDate(1999, 2, 1), 0, 0, 2, 1, 0, false);
    // Deleting a team or qualification sends its shooters back to "none",
    // on disk and in the roster, so the next entry made cannot adopt them.
    QVERIFY(modul.deleteTeam(1));
    QVERIFY(modul.deleteQualityByID(1));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT ID, fTeamID, fQualityID FROM TShooters ORDER BY ID")),
             QList<QVariantList>({{a, 0, 0}, {b, 2, 0}}));
    QCOMPARE(modul.shooterById(a)->teamID(), 0);
    QCOMPARE(modul.shooterById(b)->qualityID(), 0);
    QCOMPARE(teamNames(modul), QStringList({"NONE", "Зенит"}));
    QCOMPARE(modul.addTeam(1, QStringLiteral("New")), 3);
    QCOMPARE(modul.updateShooter(a, "Anna", "Petrova", QDate(2001, 5, 3), 1, 0, 0, 0, 0), a);
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT fTeamID FROM TShooters WHERE ID=%1").arg(a)),
             QList<QVariantList>({{0}}));

    // Entry 0 stands for "none": it can be renamed but not deleted.
    QVERIFY(!modul.deleteTeam(0));
    QVERIFY(!modul.deleteTeamByID(0));
    QVERIFY(!modul.deleteQuality(0));
    QVERIFY(modul.updateTeam(0, 0, QStringLiteral("   ")));
    QCOMPARE(teamNames(modul).first(), QStringLiteral("   "));
    QCOMPARE(modul.teamIDAt(0), 0);
    QCOMPARE(modul.qualityIDAt(0), 0);
    // An index outside the list is refused without a statement.
    QVERIFY(!modul.updateTeam(9, 0, QStringLiteral("x")));
    QVERIFY(!modul.deleteQuality(-1));
}

void TestPracticeModul::practiceSetUpAndReset()
{
    PracticeFixture f;
    TPracticeModul &modul = *f.modul;
    const int a = modul.addShooter("Anna", "Petrova", QDate(2001, 5, 3), 1, 0, 0, 0, 0, false);
    const int b = modul.addShooter("Boris", "Ivanov", QDate(1999, 2, 1), 0, 0, 0, 0, 0, false);
    const int c = modul.addShooter("Clara", "Orlova", QDate(2003, 8, 9), 1, 0, 0, 0, 0, false);
    QCOMPARE(modul.useShooter(c, 4), c);
    QCOMPARE(modul.useShooter(a, 2), a);
    QCOMPARE(modul.useShooter(99, 5), -1);
    QCOMPARE(modul.usedShooters()->rowCount(), 2);
    QCOMPARE(modul.freeShooters()->rowCount(), 1);
    QCOMPARE(modul.usedShooters()->idAtProxyRow(0), a); // roster order, not the order taken in
    QVERIFY(!modul.hasTargetConflict());

    modul.setCurrentEvent(1, 1); // 10 m air rifle, 10 shots
    TEvent *event = modul.getCurrentEvent();
    QVERIFY(event);
    QCOMPARE(event->matchCount(), 10);
    TBulletList *list = modul.getBulletList();
    QVERIFY(list);
    QCOMPARE(list->placeCount(), 0);
    QCOMPARE(list->eventId(), -1);
    QVERIFY(list->showTenths());

    // What the main window does before it runs the practice.
    QList<int> targets;
    for (TShooter *s = modul.firstUsedShooter(); s; s = modul.nextUsedShooter(s)) {
        list->addPlace(s->id(), s->target(), s->family() + QLatin1Char(' ') + s->name());
        targets << s->target();
    }
    QCOMPARE(targets, QList<int>({2, 4}));
    QCOMPARE(list->placeCount(), 2);

    // Choosing again starts from an empty list.
    modul.setCurrentEvent(1, 1);
    QCOMPARE(modul.getBulletList()->placeCount(), 0);
    modul.getBulletList()->addPlace(a, 2, QStringLiteral("Petrova Anna"));

    modul.resetPractice();
    QVERIFY(!modul.getCurrentEvent());
    QVERIFY(modul.getBulletList());
    QCOMPARE(modul.getBulletList()->placeCount(), 0);
    QVERIFY(!modul.firstUsedShooter());
    for (int id : {a, b, c})
        QCOMPARE(modul.shooterById(id)->target(), -1);
    QCOMPARE(modul.usedShooters()->rowCount(), 0);
    QCOMPARE(modul.freeShooters()->rowCount(), 3);

    // A pair no exercise has leaves neither an exercise nor a shot list.
    modul.setCurrentEvent(-1, -1);
    QVERIFY(!modul.getCurrentEvent());
    QVERIFY(!modul.getBulletList());
    // Nothing of the practice was stored.
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT COUNT(*) FROM TShooters")),
             QList<QVariantList>({{3}}));
}

QTEST_MAIN(TestPracticeModul)
#include "tst_practicemodul.moc"
