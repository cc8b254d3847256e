#include "keptfile.h"
#include "openedfile.h"
#include "ordinaryuser.h"
#include "storageerror.h"
#include "storageresources.h"
#include "tbullet.h"
#include "tdbaccessor.h"
#include "testdatadir.h"
#include "ttargettype.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

#include <cstdio>
#include <memory>

#include <unistd.h>
#include <utility>

namespace {

const QString kConnection = QStringLiteral("main");

QRegularExpression startsWith(const QString &text)
{
    return QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(text));
}

// A copy of the schema script whose line `line` (from 0) is replaced.
QByteArray brokenScript(int line)
{
    initStorageResources();
    QFile script(QLatin1String(TdbAccessor::kSchemaResource));
    if (!script.open(QIODevice::ReadOnly))
        return QByteArray();
    QList<QByteArray> lines = script.readAll().split('\n');
    lines[line] = "CREATE TABLE broken ( oops\r";
    return lines.join('\n');
}

// Runs statements on the database file through a connection of its own, as
// another program (or an earlier, killed run) would have left the file.
bool prepareFile(const QString &path, const QStringList &statements)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("prep"));
        db.setDatabaseName(path);
        ok = db.open();
        for (const QString &statement : statements) {
            QSqlQuery query(db);
            ok = ok && query.exec(statement);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("prep"));
    return ok;
}

// Another program puts from at path, over whatever is there.
bool putAt(const QString &from, const QString &path)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(path).constData())
        == 0;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDbAccessor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void schemaScript();
    void newFileFromScript();
    void connectionSettings();
    void rowSetReading();
    void rowSetWriting();
    void maxIDAndTableNames_data();
    void maxIDAndTableNames();
    void failedStatementDoesNotPoison();
    void failedSelectLeavesSetEmpty();
    void missingDirectoryIsTriedAgain();
    void writesAfterARefusal_data();
    void writesAfterARefusal();
    void failedImportRemovesFile_data();
    void failedImportRemovesFile();
    void importIntoExistingFileKeepsIt();
    void fileWithoutTablesGetsSchema_data();
    void fileWithoutTablesGetsSchema();
    void fileWithSomeTablesIsKept();
    void missingScript();
    void twoConnections();
    void fileAtThePathDuringARewrite_data();
    void fileAtThePathDuringARewrite();
    void heldFileBackDuringARewrite();
    void folderAwayThenReplacedAtTheClose();
    void refusalOfAMovedFile();
    void leftoversOfAnEarlierRun_data();
    void leftoversOfAnEarlierRun();

private:
    // A fresh empty data tree and a database made from the schema script.
    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TdbAccessor> m_db;
};

void TestDbAccessor::init()
{
    m_dir = std::make_unique<TestDataDir>(TestDataDir::Empty);
    QVERIFY(m_dir->isValid());
    m_db = std::make_unique<TdbAccessor>(kConnection);
}

void TestDbAccessor::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

void TestDbAccessor::schemaScript()
{
    initStorageResources();
    QFile script(QLatin1String(TdbAccessor::kSchemaResource));
    QVERIFY(script.open(QIODevice::ReadOnly));
    const QByteArray content = script.readAll();
    QVERIFY(content.endsWith("\r\n"));
    // Twelve lines, every one ending in CR LF: no lone CR or LF, no blank line.
    QCOMPARE(content.count("\r\n"), 12);
    QCOMPARE(content.count('\r'), 12);
    QCOMPARE(content.count('\n'), 12);
    QVERIFY(!content.contains("\r\n\r\n"));
    const QList<QByteArray> lines = content.split('\n');
    // Only the last CREATE TABLE goes without a semicolon.
    QVERIFY(lines.at(8).startsWith("CREATE TABLE \"tteam\""));
    QVERIFY(!lines.at(8).trimmed().endsWith(';'));
    QVERIFY(lines.at(7).trimmed().endsWith(';'));
}

void TestDbAccessor::newFileFromScript()
{
    TdbAccessor &db = *m_db;
    QVERIFY(!db.isError());
    QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("ServerDatas/DataBase/competitions.sqlite"))));
    QCOMPARE(TdbAccessor::databasePath(),
             QDir::currentPath() + QStringLiteral("/ServerDatas/DataBase/competitions.sqlite"));
    // The import closes the connection; the first statement opens it again.
    QVERIFY(!QSqlDatabase::database(kConnection, false).isOpen());

    db.execSelect(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"));
    QStringList tables;
    while (db.next())
        tables << db.value(QStringLiteral("name")).toString();
    QCOMPARE(tables, QStringList({"TVersion", "tbullets", "tcompetitions", "tevents", "tmembers",
                                  "tqualifications", "trelays", "tshooters", "tteam"}));

    db.execSelect(QStringLiteral("SELECT * FROM TVersion"));
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fver_first")).toInt(), 2);
    QCOMPARE(db.value(QStringLiteral("fver_second")).toInt(), 1);
    QVERIFY(!db.next());

    db.selectTeams();
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("ID")).toInt(), 0);
    QCOMPARE(db.value(QStringLiteral("fName")).toString(), QString());
    QCOMPARE(db.value(QStringLiteral("fCountryXMLID")).toInt(), 0);
    bool ok = false;
    db.value(QStringLiteral("fshortName"), &ok);
    QVERIFY(ok);
    db.selectQualifications();
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("ID")).toInt(), 0);
    QCOMPARE(db.value(QStringLiteral("fshortname")).toString(), QString());
    QVERIFY(!db.next());
    // Key 0 is the empty entry, so the first key handed out is 1.
    QCOMPARE(db.insertTeam(2, QStringLiteral("Team")), 1);
    QCOMPARE(db.insertQualification(QStringLiteral("Q"), QStringLiteral("q")), 1);
}

void TestDbAccessor::connectionSettings()
{
    TdbAccessor &db = *m_db;
    db.execSelect(QStringLiteral("PRAGMA journal_mode"));
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("journal_mode")).toString(), QStringLiteral("wal"));
    db.execSelect(QStringLiteral("PRAGMA synchronous"));
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("synchronous")).toInt(), 2); // FULL

    // The per-member and per-competition lookups are served by an index.
    const QStringList lookups = {
        QStringLiteral("SELECT * FROM tbullets WHERE fEventID=1 AND fMemberID=2 ORDER BY fNumber"),
        QStringLiteral("SELECT * FROM tbullets WHERE fMemberID=2"),
        QStringLiteral("SELECT * FROM TRelays WHERE fEventID=1 AND fMemberID=2"),
        QStringLiteral("SELECT * FROM TMembers WHERE fCompetitionID=1 ORDER BY fStartNumber"),
        QStringLiteral("SELECT * FROM TEvents WHERE fCompetitionID=1 AND fTypeXMLID=3"),
    };
    for (const QString &lookup : lookups) {
        db.execSelect(QStringLiteral("EXPLAIN QUERY PLAN ") + lookup);
        QString plan;
        while (db.next())
            plan += db.value(QStringLiteral("detail")).toString() + QLatin1Char(';');
        QVERIFY2(plan.contains(QStringLiteral("USING INDEX"))
                     || plan.contains(QStringLiteral("USING COVERING INDEX")),
                 qPrintable(lookup + QStringLiteral(" -> ") + plan));
    }
}

void TestDbAccessor::rowSetReading()
{
    TdbAccessor &db = *m_db;
    QVERIFY(db.insertCompetition(false, 2, 5, true, QTime(9, 5, 30), QDate(2020, 2, 15),
                                 QStringLiteral("A")) == 1);
    QVERIFY(db.insertCompetition(false, 2, 5, true, QTime(9, 5, 30), QDate(2020, 2, 15),
                                 QStringLiteral("B")) == 2);

    db.execSelect(QStringLiteral("SELECT * FROM tcompetitions ORDER BY ID"));
    bool ok = true;
    QVERIFY(!db.value(QStringLiteral("ID"), &ok).isValid()); // the cursor stands before the rows
    QVERIFY(!ok);
    QStringList names;
    while (db.next())
        names << db.value(QStringLiteral("fName")).toString();
    QCOMPARE(names, QStringList({"A", "B"}));
    QVERIFY(!db.next());
    // Read to the end, the rows are not kept until the next select.
    QVERIFY(db.first());

    db.execSelect(QStringLiteral("SELECT * FROM tcompetitions ORDER BY ID"));
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fName"), &ok).toString(), QStringLiteral("A"));
    QVERIFY(ok);
    QCOMPARE(db.value(QStringLiteral("fstartDate")).toString(), QStringLiteral("2020-02-15 09:05:30"));
    // Fields are keyed by the declared case.
    QVERIFY(!db.value(QStringLiteral("fStartdate"), &ok).isValid());
    QVERIFY(!ok);

    db.execSelect(QStringLiteral("SELECT * FROM tcompetitions WHERE ID=99"));
    QVERIFY(db.first());
    QVERIFY(!db.next());
}

void TestDbAccessor::rowSetWriting()
{
    TdbRecordSet set;
    QVERIFY(!set.addValue(QStringLiteral("a"), 1)); // no row to write into
    QVERIFY(set.addValue(QStringLiteral("a"), 1, true));
    QVERIFY(set.addValue(QStringLiteral("b"), 2));
    QVERIFY(set.addRow());
    QVERIFY(set.addValue(QStringLiteral("a"), 3));
    QCOMPARE(set.rowCount(), 2);
    QVERIFY(set.next());
    QCOMPARE(set.value(QStringLiteral("b")).toInt(), 2);
    QVERIFY(set.next());
    bool ok = true;
    set.value(QStringLiteral("b"), &ok);
    QVERIFY(!ok);
    set.clear();
    QVERIFY(set.first());
    QVERIFY(!set.addValue(QStringLiteral("a"), 1));
}

void TestDbAccessor::maxIDAndTableNames_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("maxID");
    // The fixed table index; "tteam" and "tqualifications" hold the key-0 row.
    QTest::newRow("0 competitions") << 0 << "tcompetitions" << 0;
    QTest::newRow("1 events") << 1 << "tevents" << 0;
    QTest::newRow("2 shooters") << 2 << "tshooters" << 0;
    QTest::newRow("3 team") << 3 << "tteam" << 0;
    QTest::newRow("4 qualifications") << 4 << "tqualifications" << 0;
    QTest::newRow("5 members") << 5 << "tmembers" << 0;
    QTest::newRow("7 bullets") << 7 << "tbullets" << 0;
    QTest::newRow("8 names nothing") << 8 << "" << -1;
    QTest::newRow("-1 names nothing") << -1 << "" << -1;
}

void TestDbAccessor::maxIDAndTableNames()
{
    QFETCH(int, table);
    QFETCH(QString, name);
    QFETCH(int, maxID);
    TdbAccessor &db = *m_db;
    QCOMPARE(TdbAccessor::tableName(table), name);
    if (name.isEmpty()) {
        QTest::ignoreMessage(QtWarningMsg, "Error in table's name");
        QTest::ignoreMessage(QtWarningMsg, "Error in table's name");
        QVERIFY(!db.isExist(table, 0));
    }
    QCOMPARE(db.getMaxID(table), maxID);
}

void TestDbAccessor::failedStatementDoesNotPoison()
{
    TdbAccessor &db = *m_db;
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Unable to execute query - INSERT INTO nowhere")));
    QVERIFY(!db.execQuery(QStringLiteral("INSERT INTO nowhere VALUES (1)")));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), int(TdbAccessor::ErrorStatement));
    QVERIFY(!db.isError());
    // The next statement runs as if nothing happened.
    QCOMPARE(db.insertTeam(3, QStringLiteral("After")), 1);
    QCOMPARE(errors.count(), 1);
}

void TestDbAccessor::failedSelectLeavesSetEmpty()
{
    TdbAccessor &db = *m_db;
    db.selectTeams();
    QVERIFY(!db.first());
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Unable to execute query - SELECT * FROM nowhere")));
    QVERIFY(!db.execSelect(QStringLiteral("SELECT * FROM nowhere")));
    QVERIFY(db.first());
}

void TestDbAccessor::missingDirectoryIsTriedAgain()
{
    m_db.reset();
    QVERIFY(QDir(m_dir->filePath(QStringLiteral("ServerDatas/DataBase"))).removeRecursively());

    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Cannot open database:")));
    TdbAccessor db(kConnection);
    QVERIFY(db.isError());
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);

    // The first statement tries again; within a second of its failure the
    // next is refused without a new attempt.
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Cannot open database:")));
    QCOMPARE(db.getMaxTeamID(), -1);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), int(TdbAccessor::ErrorOpen));
    QTest::ignoreMessage(QtWarningMsg, "Data Base not accepted");
    QCOMPARE(db.insertTeam(1, QStringLiteral("x")), -1);
    QCOMPARE(errors.count(), 1);

    // The directory back, a later statement opens again: only the file that
    // is there, and the schema makes a file only at start.
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("ServerDatas/DataBase"))));
    QTRY_VERIFY_WITH_TIMEOUT(db.getMaxTeamID() == -1 && errors.count() == 2, 10000);
    QCOMPARE(errors.at(1).at(0).toInt(), int(TdbAccessor::ErrorOpen));
    QVERIFY(!QFile::exists(TdbAccessor::databasePath()));
}

void TestDbAccessor::writesAfterARefusal_data()
{
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("takenAway");
    // The operator does what the refusal's box says: chmod 644.
    QTest::newRow("made writable") << true << false;
    // The operator moves the file away to mend it, and puts it back.
    QTest::newRow("taken away and put back writable") << true << true;
    // The operator sees the file is read-only before changing anything: no
    // refusal tells the handle, only the write probe at its open.
    QTest::newRow("made writable before a change") << false << false;
}

void TestDbAccessor::writesAfterARefusal()
{
    if (!OrdinaryUser::modesHold()) {
        QByteArray output;
        QVERIFY2(OrdinaryUser::runCurrentTest(&output), output.constData());
        return;
    }
    QFETCH(bool, refused);
    QFETCH(bool, takenAway);
    constexpr int kWaitMs = 10000; // a refused handle is opened again once a second
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFile::Permissions writable = readOnly | QFile::WriteOwner;
    const QString path = TdbAccessor::databasePath();
    QCOMPARE(m_db->insertTeam(1, QStringLiteral("Before")), 1);
    m_db.reset();

    // The program starts on the file made read-only and opens it for a
    // read, or for its first write, which is refused.
    QVERIFY(QFile::setPermissions(path, readOnly));
    TdbAccessor db(kConnection);
    QVERIFY(!db.isError());
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);
    if (refused) {
        QCOMPARE(db.insertTeam(1, QStringLiteral("Refused")), -1);
        QVERIFY(storageRefusedAsReadOnly(db.lastFailure()));
    } else {
        QCOMPARE(db.getMaxTeamID(), 1);
    }

    if (takenAway) {
        // While the file is away the writes are refused and the open tried
        // again, but no file is made in its place.
        const QString away = m_dir->filePath(QStringLiteral("away.sqlite"));
        QVERIFY(QFile::rename(path, away));
        QTRY_VERIFY_WITH_TIMEOUT(db.insertTeam(1, QStringLiteral("Away")) == -1
                                     && errors.last().at(0).toInt() == TdbAccessor::ErrorOpen,
                                 kWaitMs);
        const int failedOpens = errors.count();
        QTRY_VERIFY_WITH_TIMEOUT(db.insertTeam(1, QStringLiteral("Away")) == -1
                                     && errors.count() > failedOpens,
                                 kWaitMs);
        QVERIFY(!QFile::exists(path));
        QVERIFY(QFile::rename(away, path));
    }
    // The first change after it is made writable is stored, and nothing
    // more is refused.
    QVERIFY(QFile::setPermissions(path, writable));
    const int failures = errors.count();
    QCOMPARE(db.insertTeam(1, QStringLiteral("After")), 2);
    QCOMPARE(errors.count(), failures);

    // Stored in the file the operator sees.
    TdbAccessor check(QStringLiteral("check"));
    check.selectTeam(2);
    QVERIFY(!check.first());
    QCOMPARE(check.value(QStringLiteral("fName")).toString(), QStringLiteral("After"));
}

void TestDbAccessor::failedImportRemovesFile_data()
{
    QTest::addColumn<int>("brokenLine");
    QTest::newRow("first table") << 0;
    QTest::newRow("after five tables") << 5;
    QTest::newRow("last insert") << 11;
}

void TestDbAccessor::failedImportRemovesFile()
{
    QFETCH(int, brokenLine);
    TdbAccessor &db = *m_db;
    const QString script = m_dir->filePath(QStringLiteral("broken.sql"));
    QVERIFY(m_dir->writeFile(QStringLiteral("broken.sql"), brokenScript(brokenLine)));
    QVERIFY(QFile::remove(TdbAccessor::databasePath()));

    QSignalSpy errors(&db, &TdbAccessor::errorSQL);
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Unable to execute query - CREATE TABLE broken")));
    QVERIFY(!db.importDB(script));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), int(TdbAccessor::ErrorImport));
    QVERIFY(db.isError());
    // No half-made file stays behind to be taken for a database.
    QVERIFY(!QFile::exists(TdbAccessor::databasePath()));
    QCOMPARE(QDir(m_dir->filePath(QStringLiteral("ServerDatas/DataBase"))).entryList(QDir::Files),
             QStringList());

    // The next statement opens only a file that is there: the schema makes
    // one at start.
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Cannot open database:")));
    QCOMPARE(db.insertTeam(1, QStringLiteral("x")), -1);
    QCOMPARE(errors.count(), 2);
    QVERIFY(!QFile::exists(TdbAccessor::databasePath()));
}

void TestDbAccessor::importIntoExistingFileKeepsIt()
{
    TdbAccessor &db = *m_db;
    QCOMPARE(db.insertTeam(1, QStringLiteral("Kept")), 1);
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Unable to execute query - CREATE TABLE")));
    QVERIFY(!db.importDB());
    QVERIFY(QFile::exists(TdbAccessor::databasePath()));
    db.selectTeam(1);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fName")).toString(), QStringLiteral("Kept"));
    db.execSelect(QStringLiteral("SELECT * FROM TVersion"));
    QVERIFY(!db.first());
    QVERIFY(!db.next()); // still one version row: the import was undone as a whole
}

void TestDbAccessor::fileWithoutTablesGetsSchema_data()
{
    QTest::addColumn<QStringList>("leftBehind"); // none: a zero-byte file
    QTest::newRow("zero bytes: killed before SQLite wrote a page") << QStringList();
    QTest::newRow("header only: killed after the journal mode was set")
        << QStringList({"PRAGMA journal_mode=WAL", "PRAGMA user_version=3"});
    QTest::newRow("a table that is not ours") << QStringList({"CREATE TABLE notes (x TEXT)"});
}

void TestDbAccessor::fileWithoutTablesGetsSchema()
{
    QFETCH(QStringList, leftBehind);
    m_db.reset();
    const QString path = TdbAccessor::databasePath();
    QVERIFY(QFile::remove(path));
    QFile empty(path);
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    if (!leftBehind.isEmpty())
        QVERIFY(prepareFile(path, leftBehind));

    TdbAccessor db(kConnection);
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);
    QVERIFY(!db.isError());
    db.execSelect(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"));
    QStringList tables;
    while (db.next())
        tables << db.value(QStringLiteral("name")).toString();
    for (const char *table : {"TVersion", "tbullets", "tcompetitions", "tteam", "tshooters"})
        QVERIFY2(tables.contains(QLatin1String(table)), table);

    TBullet shot(0, 1, 120, -45, 0, 37, targetTypeById(3), 450, 10.4, 0);
    shot.setMemberID(4);
    QCOMPARE(db.insertBullet(&shot, 1), 1);
    db.selectMemberBullets(1, 4);
    QVERIFY(!db.first());
    QCOMPARE(db.value(QStringLiteral("fX")).toInt(), 120);
    QCOMPARE(db.value(QStringLiteral("fY")).toInt(), -45);
    QCOMPARE(errors.count(), 0);
}

void TestDbAccessor::fileWithSomeTablesIsKept()
{
    // No import of ours leaves a part of the tables, so such a file is not
    // taken for an empty one: it keeps what it holds.
    m_db.reset();
    const QString path = TdbAccessor::databasePath();
    QVERIFY(QFile::remove(path));
    QVERIFY(prepareFile(path, {"CREATE TABLE tcompetitions (ID INTEGER PRIMARY KEY, fName TEXT)",
                               "INSERT INTO tcompetitions VALUES (7, 'Cup')"}));
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Data Base not accepted:")));
    {
        TdbAccessor db(kConnection);
        QVERIFY(db.isError());
    }
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
    check.setDatabaseName(path);
    QVERIFY(check.open());
    QSqlQuery query(QStringLiteral("SELECT fName FROM tcompetitions WHERE ID=7"), check);
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(), QStringLiteral("Cup"));
    QVERIFY(!check.tables().contains(QStringLiteral("tbullets")));
    query = QSqlQuery();
    check.close();
    check = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

void TestDbAccessor::missingScript()
{
    TdbAccessor &db = *m_db;
    QSignalSpy errors(&db, &TdbAccessor::errorSQL);
    QTest::ignoreMessage(QtWarningMsg, "fileImport: :/nothing.sql dont exist");
    QVERIFY(!db.importDB(QStringLiteral(":/nothing.sql")));
    QCOMPARE(errors.count(), 1);
    QVERIFY(QFile::exists(TdbAccessor::databasePath()));
}

void TestDbAccessor::twoConnections()
{
    TdbAccessor &main = *m_db;
    TdbAccessor view(QStringLiteral("view"));
    const QString path = TdbAccessor::databasePath();
    QVERIFY(QFile::copy(path, path + ".copy"));
    QVERIFY(QFile::copy(path, path + ".copy2"));
    QCOMPARE(main.insertTeam(4, QStringLiteral("Seen")), 1);
    view.selectTeam(1);
    QVERIFY(!view.first());
    QCOMPARE(view.value(QStringLiteral("fName")).toString(), QStringLiteral("Seen"));

    // The file replaced by the copy made before: whichever accessor finds
    // it first writes it again, and each is told, the operator's included.
    QSignalSpy mainTold(&main, &TdbAccessor::fileLost);
    QSignalSpy viewTold(&view, &TdbAccessor::fileLost);
    QVERIFY(std::rename(QFile::encodeName(path + ".copy").constData(),
                        QFile::encodeName(path).constData())
            == 0);
    QTRY_VERIFY_WITH_TIMEOUT(mainTold.size() + viewTold.size() > 0, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(mainTold.size() + viewTold.size(), 2, 3000);
    QCOMPARE(mainTold.first(), viewTold.first());
    QCOMPARE(mainTold.first().first().toBool(), true);
    QVERIFY(!main.isFileLost() && !view.isFileLost());

    // Replaced again before the accessor whose connection the rewrite
    // closed has looked: it opens none on the copy, and its insert is in
    // the file at the path.
    TdbAccessor &closed =
        QSqlDatabase::database(QStringLiteral("main"), false).isOpen() ? view : main;
    QVERIFY(putAt(path + ".copy2", path));
    QCOMPARE(closed.insertTeam(4, QStringLiteral("Later")), 2);
    view.selectTeam(2);
    QVERIFY(!view.first());
    QCOMPARE(view.value(QStringLiteral("fName")).toString(), QStringLiteral("Later"));
    view.selectTeam(1);
    QVERIFY(!view.first());
    QCOMPARE(view.value(QStringLiteral("fName")).toString(), QStringLiteral("Seen"));

    // A cleaning tool takes the copy written again, both its names, before
    // a connection opens on it: none holds it, and the accessors go on
    // with the file at the path, waiting for nothing.
    QVERIFY(QFile::copy(path, path + ".copy"));
    QVERIFY(QFile::copy(path, path + ".copy2"));
    bool played = false;
    OpenedFile::setRewriteSteps([&](OpenedFile::RewriteStep at) {
        if (at == OpenedFile::RewriteStep::CopyInPlace && !std::exchange(played, true))
            QVERIFY(QFile::remove(path + ".rewrite") && putAt(path + ".copy2", path));
    });
    mainTold.clear();
    viewTold.clear();
    QVERIFY(putAt(path + ".copy", path));
    QTRY_VERIFY_WITH_TIMEOUT(played, 10000);
    OpenedFile::setRewriteSteps({});
    const int taken = main.insertTeam(4, QStringLiteral("Taken"));
    QVERIFY(taken > 0);
    view.selectTeam(taken);
    QVERIFY(!view.first());
    QCOMPARE(view.value(QStringLiteral("fName")).toString(), QStringLiteral("Taken"));
}

void TestDbAccessor::fileAtThePathDuringARewrite_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("secondNames");
    // A backup tool puts its copy back again while the program moves the
    // one it found aside, once the program's copy is in place, as a
    // connection opens on it, and once it was found there but before it
    // was written: SQLite refuses that write as read-only, as the file
    // moved.
    QTest::newRow("between the two renames")
        << int(OpenedFile::RewriteStep::FoundMovedAside) << true;
    QTest::newRow("before a connection opens on the copy")
        << int(OpenedFile::RewriteStep::CopyInPlace) << true;
    QTest::newRow("as a connection opens on the copy")
        << int(OpenedFile::RewriteStep::CopyOpened) << true;
    QTest::newRow("before the copy's first write") << int(OpenedFile::RewriteStep::CopyTaken)
                                                   << true;
    // A file system that gives no file two names (FAT, some shares).
    QTest::newRow("no second names, before a connection opens on the copy")
        << int(OpenedFile::RewriteStep::CopyInPlace) << false;
    QTest::newRow("no second names, before the copy's first write")
        << int(OpenedFile::RewriteStep::CopyTaken) << false;
}

void TestDbAccessor::fileAtThePathDuringARewrite()
{
    QFETCH(int, step);
    QFETCH(bool, secondNames);
    TdbAccessor &db = *m_db;
    const QString path = TdbAccessor::databasePath();
    const QFileInfo file(path);
    const auto named = [&file](const QString &pattern) {
        return file.dir().entryList({file.fileName() + pattern}, QDir::Files);
    };
    QVERIFY(QFile::copy(path, path + ".older") && QFile::copy(path, path + ".again"));
    const QByteArray older = contentOf(path + ".older");
    // A copy left by a program killed in a rewrite.
    const QByteArray left = "left by a killed run";
    {
        QFile copy(path + ".rewrite");
        QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(left) == left.size());
    }
    QCOMPARE(db.insertTeam(4, QStringLiteral("Before")), 1);
    bool played = false;
    OpenedFile::setSecondNamesRefused(!secondNames);
    OpenedFile::setRewriteSteps([&](OpenedFile::RewriteStep at) {
        if (int(at) == step && !std::exchange(played, true))
            QVERIFY(putAt(path + ".again", path));
    });
    QSignalSpy told(&db, &TdbAccessor::fileLost);
    QVERIFY(putAt(path + ".older", path));
    QTRY_COMPARE_WITH_TIMEOUT(named(".found-*").size(), 2, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty() && !db.isFileLost(), 10000);
    OpenedFile::setRewriteSteps({});
    OpenedFile::setSecondNamesRefused(false);

    // Both shots in the file at the path; both copies kept aside, each
    // under a name of its own, as they were put there, and the copy left
    // before too, and no other name of the program's.
    QCOMPARE(db.insertTeam(4, QStringLiteral("After")), 2);
    TdbAccessor check(QStringLiteral("check"));
    QVERIFY(check.isTeamExist(1) && check.isTeamExist(2));
    for (const QString &name : named(".found-*"))
        QVERIFY2(contentOf(file.dir().filePath(name)) == older, qPrintable(name));
    const QStringList copies = named(".rewrite*");
    QCOMPARE(copies.size(), 1);
    QCOMPARE(contentOf(file.dir().filePath(copies.first())), left);
}

void TestDbAccessor::heldFileBackDuringARewrite()
{
    // Moved away and back, as its folder may be, while the program writes
    // it again: the file back is the one the connection holds, no other's,
    // and stays at its path with everything.
    TdbAccessor &db = *m_db;
    const QString path = TdbAccessor::databasePath();
    QCOMPARE(db.insertTeam(4, QStringLiteral("Before")), 1);
    bool played = false;
    OpenedFile::setRewriteSteps([&](OpenedFile::RewriteStep at) {
        if (at == OpenedFile::RewriteStep::CopyWritten && !std::exchange(played, true))
            QVERIFY(putAt(path + ".away", path));
    });
    QSignalSpy told(&db, &TdbAccessor::fileLost);
    QVERIFY(putAt(path, path + ".away"));
    QTRY_VERIFY_WITH_TIMEOUT(played, 10000);
    OpenedFile::setRewriteSteps({});
    QCOMPARE(db.insertTeam(4, QStringLiteral("After")), 2);
    QVERIFY(told.isEmpty());
    const QFileInfo file(path);
    // Nothing kept aside, no copy left.
    QCOMPARE(file.dir().entryList({file.fileName() + QStringLiteral(".*")}, QDir::Files),
             QStringList());
}

void TestDbAccessor::folderAwayThenReplacedAtTheClose()
{
    // The folder moved away with the file: told as that, with no word of
    // rights or room, and SQLite's own words apart. The file replaced just
    // before the close is written again too.
    TdbAccessor &db = *m_db;
    QCOMPARE(db.insertTeam(4, QStringLiteral("Before")), 1);
    const QString folder = QFileInfo(TdbAccessor::databasePath()).absolutePath();
    QSignalSpy lost(&db, &TdbAccessor::fileLost);
    QVERIFY(QDir().rename(folder, folder + ".away"));
    QTRY_VERIFY_WITH_TIMEOUT(db.isFileLost(), 10000);
    // Told once, as not written again.
    QCOMPARE(lost.size(), 1);
    QCOMPARE(lost.first().first().toBool(), false);
    const StorageCause why = storageFailureCause(db.lastFailure());
    QVERIFY2(why.cause.contains(QStringLiteral("папки")) || why.cause.contains(QStringLiteral("папка")),
             qPrintable(why.cause));
    QVERIFY2(!why.remedy.contains(QStringLiteral("Разрешите запись"))
                 && !why.remedy.contains(QStringLiteral("место на диске"))
                 && !why.cause.contains(QStringLiteral("SQLite")),
             qPrintable(why.cause + '\n' + why.remedy));
    QVERIFY(QDir().rename(folder + ".away", folder));
    QTRY_VERIFY_WITH_TIMEOUT(!db.isFileLost(), 10000);
    QCOMPARE(db.insertTeam(4, QStringLiteral("After")), 2);
    QCOMPARE(lost.size(), 1);

    // Replaced by an older copy, and the program closed before its next
    // look: what it held is at the path all the same, and the copy kept
    // aside, not overlaid by the log the connection leaves.
    const QString path = TdbAccessor::databasePath();
    QVERIFY(QFile::copy(path, path + ".older"));
    QCOMPARE(db.insertTeam(4, QStringLiteral("Last")), 3);
    QVERIFY(putAt(path + ".older", path));
    m_db.reset();
    TdbAccessor check(QStringLiteral("check"));
    QVERIFY(check.isTeamExist(3));
    const QFileInfo file(path);
    QCOMPARE(file.dir().entryList({file.fileName() + QStringLiteral(".found-*")}).size(), 1);
}

void TestDbAccessor::refusalOfAMovedFile()
{
    // Where the driver gives SQLite's extended codes, a write refused
    // because the file was replaced says so (SQLITE_READONLY_DBMOVED): told
    // as that, no read-only file's, and the file is written again at the
    // next keep, with no wait for the look of a second.
    const QString path = TdbAccessor::databasePath();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "moved");
        db.setDatabaseName(path);
        KeptFile kept(&db, nullptr);
        QSqlError failure;
        QCOMPARE(kept.open(&failure), KeptFile::Opened::Yes);
        QVERIFY(QFile::copy(path, path + ".older") && putAt(path + ".older", path));
        const QSqlError dbMoved(QString(), QStringLiteral("attempt to write a readonly database"),
                                QSqlError::StatementError, QStringLiteral("1032"));
        QSqlError told;
        QCOMPARE(kept.refused(dbMoved, &told), KeptFile::Refusal::Moved);
        QVERIFY2(storageFailureCause(told).cause.contains(QStringLiteral("заменён")),
                 qPrintable(storageFailureCause(told).cause));
        QVERIFY(kept.file().moved());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("moved"));
}

void TestDbAccessor::leftoversOfAnEarlierRun_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<int>("keptAside");
    // A power cut inside a rewrite, or a close right after one: the copy
    // in place keeps its passing name too.
    QTest::newRow("copy's second name") << "link" << 0;
    // A power cut before the copy was put in place: it may hold the only
    // account of what was written.
    QTest::newRow("copy holding other data") << "other" << 1;
    // A power cut after another program put its own database at the path:
    // the log beside it is the program's file's.
    QTest::newRow("log of the program's file beside another") << "log" << 1;
}

void TestDbAccessor::leftoversOfAnEarlierRun()
{
    QFETCH(QString, left);
    QFETCH(int, keptAside);
    // The program's file with a log of its first writes, as a power cut
    // leaves them.
    const QString earlier = QFileInfo(TdbAccessor::databasePath()).absoluteFilePath();
    QCOMPARE(m_db->insertTeam(4, QStringLiteral("Held")), 1);
    const QByteArray log = contentOf(earlier + QStringLiteral("-wal"));
    const QByteArray owner = contentOf(OpenedFile::logOwnerName(earlier));
    QVERIFY(!log.isEmpty() && !owner.isEmpty());
    m_db.reset();

    // The next start, on the run folder so left.
    const TestDataDir dir(TestDataDir::Empty);
    const QString path = QFileInfo(TdbAccessor::databasePath()).absoluteFilePath();
    QVERIFY(prepareFile(path, {QStringLiteral("CREATE TABLE mine (v TEXT)"),
                               QStringLiteral("INSERT INTO mine VALUES ('kept')")}));
    const QByteArray before = contentOf(path);
    const auto write = [](const QString &name, const QByteArray &content) {
        QFile file(name);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    };
    if (left == QLatin1String("link"))
        QVERIFY(::link(QFile::encodeName(path).constData(),
                       QFile::encodeName(path + QStringLiteral(".rewrite")).constData())
                == 0);
    else if (left == QLatin1String("other"))
        QVERIFY(write(path + QStringLiteral(".rewrite"), contentOf(earlier)));
    else
        QVERIFY(write(path + QStringLiteral("-wal"), log)
                && write(OpenedFile::logOwnerName(path), owner));
    const TdbAccessor started(kConnection);

    // The file at the path is as it was left, with the program's tables
    // added; nothing but found files beside it.
    {
        QSqlDatabase db = QSqlDatabase::database(kConnection);
        QSqlQuery mine(QStringLiteral("SELECT v FROM mine"), db);
        QVERIFY2(mine.next(), qPrintable(mine.lastError().text()));
        QCOMPARE(mine.value(0).toString(), QStringLiteral("kept"));
        QSqlQuery check(QStringLiteral("PRAGMA integrity_check"), db);
        QVERIFY(check.next());
        QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
    }
    const QFileInfo file(path);
    QCOMPARE(file.dir().entryList({file.fileName() + QStringLiteral(".rewrite*")}, QDir::Files),
             QStringList());
    const QStringList found = file.dir().entryList({file.fileName() + QStringLiteral("*.found-*")},
                                                   QDir::Files);
    QCOMPARE(found.size(), keptAside);
    if (keptAside > 0)
        QCOMPARE(contentOf(file.dir().filePath(found.first())),
                 left == QLatin1String("log") ? log : contentOf(earlier));
    QVERIFY(before != contentOf(earlier));
}

RANGE_TEST_MAIN_AS_ORDINARY_USER(TestDbAccessor)
#include "tst_dbaccessor.moc"
