#include "openedfile.h"
#include "practicefixture.h"
#include "trelaypractice.h"
#include "tshooter.h"
#include "tteam.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <cstdio>

namespace {

QRegularExpression startsWith(const QString &text)
{
    return QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(text));
}

QString targetText(TMembersPractice *roster, int id)
{
    const int row = roster->rowOf(roster->shooterById(id));
    return roster->index(row, TMembersPractice::TargetColumn).data().toString();
}

} // namespace

class TestPracticeRoster : public QObject
{
    Q_OBJECT

private slots:
    void valuesStoredExactly_data();
    void valuesStoredExactly();
    void addChangeDelete();
    void failedStatementsAreFailures();
    void targetConflicts();
    void viewsFollowRoster();
    void readOnlyHandleKeptWhileReplaced();
    void listsReadFromTheFileHeld();
    void deleteRefusedAsMoved();
};

void TestPracticeRoster::valuesStoredExactly_data()
{
    QTest::addColumn<QString>("family");
    QTest::newRow("apostrophe") << QStringLiteral("O'Brien");
    QTest::newRow("backslash and quotes") << QStringLiteral("a\\b \"c\" \\'");
    QTest::newRow("cyrillic") << QStringLiteral("Щербакова-Ёлкина");
    QTest::newRow("injection") << QStringLiteral("x', 0, 0, 0, 0, 0, 0); DROP TABLE TShooters; --");
}

void TestPracticeRoster::valuesStoredExactly()
{
    QFETCH(QString, family);
    PracticeFixture f;
    const int id = f.modul->addShooter(family, family, QDate(1990, 12, 31), 0, 0, 0, 0, 1, false);
    QCOMPARE(id, 1);
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT fName, fFamily, fDateofBirth, fAddition FROM TShooters")),
             QList<QVariantList>({{family, family, QStringLiteral("1990-12-31 00:00:00"), 1}}));
    QCOMPARE(f.modul->addTeam(3, family), 1);
    QCOMPARE(f.modul->teamAt(1)->name(), family);
    QCOMPARE(f.modul->addQuality(family, family), 1);
    QVERIFY(f.modul->updateShooter(id, family, QStringLiteral("Z"), QDate(1990, 12, 31), 0, 0, 1, 1, 1) == id);

    QVERIFY(f.modul->reloadShooters());
    const TShooter *s = f.modul->shooterById(id);
    QVERIFY(s);
    QCOMPARE(s->name(), family);
    QCOMPARE(s->family(), QStringLiteral("Z"));
    QCOMPARE(s->dateOfBirth(), QDate(1990, 12, 31));
    QVERIFY(s->addition());
}

void TestPracticeRoster::addChangeDelete()
{
    PracticeFixture f;
    TMembersPractice *roster = f.roster();
    QCOMPARE(f.modul->addTeam(1, QStringLiteral("T1")), 1);
    // Team 5 and team -1 do not exist: stored and kept as "none".
    const int a = roster->addShooter("Anna", "Petrova", QDate(2001, 5, 3), 3, 7, 5, 0, 0, false);
    const int b = roster->addShooter("Boris", "Ivanov", QDate(1999, 2, 1), 0, 7, -1, 0, 1, false);
    const int c = roster->addShooter("Clara", "Orlova", QDate(2003, 8, 9), 1, 7, 1, 0, 0, false);
    QCOMPARE(QList<int>({a, b, c}), QList<int>({1, 2, 3}));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT ID, fGender, fTeamID, fAddition FROM TShooters ORDER BY ID")),
             QList<QVariantList>({{1, 1, 0, 0}, {2, 0, 0, 1}, {3, 1, 1, 0}}));
    QCOMPARE(roster->shooterById(a)->teamID(), 0);
    QCOMPARE(roster->index(0, 0).data().toString(), QStringLiteral("Petrova Anna"));

    TShooter data;
    data.setNames(QStringLiteral("Anna"), QStringLiteral("Smirnova"));
    data.setTeamID(7); // no team 7: written as 0
    data.setQualityID(0);
    QVERIFY(roster->updateShooter(a, &data));
    QCOMPARE(data.teamID(), 0);
    QCOMPARE(roster->index(0, 0).data().toString(), QStringLiteral("Smirnova Anna"));
    // The current team is kept even when its row went meanwhile.
    ShootersDb::exec(QStringLiteral("DELETE FROM TTeam WHERE ID=1"));
    data.setNames(QStringLiteral("Clara"), QStringLiteral("Orlova"));
    data.setTeamID(1);
    QVERIFY(roster->updateShooter(c, &data));
    data.setTeamID(-1); // "none" chosen: written without a lookup
    QVERIFY(roster->updateShooter(b, &data));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT fFamily, fTeamID FROM TShooters ORDER BY ID")),
             QList<QVariantList>({{"Smirnova", 0}, {"Orlova", -1}, {"Orlova", 1}}));
    QVERIFY(!roster->updateShooter(42, &data));

    QVERIFY(!roster->deleteShooterForward(42));
    QVERIFY(roster->deleteShooterForward(b));
    // A row already gone from the file still leaves the roster.
    ShootersDb::exec(QStringLiteral("DELETE FROM TShooters WHERE ID=3"));
    QVERIFY(roster->deleteShooterForward(c));
    QCOMPARE(roster->rowCount(), 1);
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT ID FROM TShooters")), QList<QVariantList>({{1}}));
    QCOMPARE(roster->maxID(QString()), 1);
    QCOMPARE(roster->maxID(QStringLiteral("tteam")), 0);
    QTest::ignoreMessage(QtWarningMsg, "Error in table's name");
    QCOMPARE(roster->maxID(QStringLiteral("TShooters; DROP TABLE TTeam")), -1);
}

void TestPracticeRoster::failedStatementsAreFailures()
{
    PracticeFixture f;
    TMembersPractice *roster = f.roster();
    const int a = roster->addShooter("Anna", "Petrova", QDate(2001, 5, 3), 1, 0, 0, 0, 0, false);
    QVERIFY(ShootersDb::exec(QStringLiteral("DROP TABLE TTeam")));
    // The team cannot be looked up: nothing is stored under a guessed team.
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Unable to execute query - SELECT * FROM TTeam")));
    QCOMPARE(roster->addShooter("Boris", "Ivanov", QDate(1999, 2, 1), 0, 0, 4, 0, 0, false), -1);
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT COUNT(*) FROM TShooters")), QList<QVariantList>({{1}}));
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Unable to execute query - SELECT MAX(ID) FROM TTeam")));
    QCOMPARE(f.modul->addTeam(0, QStringLiteral("x")), -1);

    QVERIFY(ShootersDb::exec(QStringLiteral("DROP TABLE TShooters")));
    // No MAX(ID): no shooter 0 is tried.
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Unable to execute query - SELECT MAX(ID) FROM TShooters")));
    QCOMPARE(roster->addShooter("Clara", "Orlova", QDate(2003, 8, 9), 1, 0, 0, 0, 0, false), -1);
    // A delete whose lookup failed is no success and keeps the row.
    QTest::ignoreMessage(QtWarningMsg, startsWith(QStringLiteral("Unable to execute query - SELECT * FROM TShooters")));
    QVERIFY(!f.modul->deleteShooter(a));
    QCOMPARE(roster->rowCount(), 1);
    QCOMPARE(roster->shooterAt(0)->id(), a);
}

void TestPracticeRoster::targetConflicts()
{
    PracticeFixture f;
    TMembersPractice *roster = f.roster();
    const int a = roster->addShooter("Anna", "Petrova", QDate(2001, 5, 3), 1, 0, 0, 0, 0, false);
    const int b = roster->addShooter("Boris", "Ivanov", QDate(1999, 2, 1), 0, 0, 0, 0, 0, false);
    const int c = roster->addShooter("Clara", "Orlova", QDate(2003, 8, 9), 1, 0, 0, 0, 0, false);
    QSignalSpy changes(roster, &QAbstractItemModel::dataChanged);

    f.modul->useShooter(a, 3);
    f.modul->useShooter(b, 3);
    QVERIFY(f.modul->hasTargetConflict());
    QCOMPARE(targetText(roster, a), QStringLiteral("3!"));
    QCOMPARE(targetText(roster, b), QStringLiteral("3!"));
    // A free shooter on the same target clashes with nobody and shows no target.
    roster->setShooterTargetById(c, 3);
    QCOMPARE(targetText(roster, c), QString());
    QVERIFY(!roster->shooterById(c)->errorTargetAddr());

    // A third one joining keeps the flag, yet its own mark must show.
    changes.clear();
    f.modul->useShooter(c, 3);
    QCOMPARE(targetText(roster, c), QStringLiteral("3!"));
    QVERIFY(changes.count() > 0);
    QCOMPARE(changes.last().at(0).value<QModelIndex>().row(), 2);

    f.modul->setShooterTarget(c, 5);
    f.modul->setShooterTarget(b, 4);
    QVERIFY(!f.modul->hasTargetConflict());
    QCOMPARE(targetText(roster, a), QStringLiteral("3 "));
    QCOMPARE(targetText(roster, b), QStringLiteral("4 "));
    QCOMPARE(targetText(roster, c), QStringLiteral("5 "));

    // Taking one of two clashing shooters out clears the clash.
    f.modul->setShooterTarget(c, 3);
    QVERIFY(f.modul->hasTargetConflict());
    QCOMPARE(f.modul->unuseShooter(c), c);
    QVERIFY(!f.modul->hasTargetConflict());
    QCOMPARE(roster->shooterById(c)->target(), -1);
    QCOMPARE(targetText(roster, c), QString());
}

void TestPracticeRoster::viewsFollowRoster()
{
    PracticeFixture f;
    TMembersPractice *roster = f.roster();
    TRelayPractice relay(roster);
    QAbstractItemModelTester relayTester(&relay, QAbstractItemModelTester::FailureReportingMode::QtTest);
    TMembersPracticeUsed *used = f.modul->usedShooters();
    TMembersPracticeUsed *free = f.modul->freeShooters();
    QCOMPARE(used->idAtProxyRow(0), -1);

    const int a = f.modul->addShooter("Anna", "Petrova", QDate(2001, 5, 3), 1, 0, 0, 0, 0, false);
    const int b = f.modul->addShooter("Boris", "Ivanov", QDate(1999, 2, 1), 0, 0, 0, 0, 0, true);
    const int c = f.modul->addShooter("Clara", "Orlova", QDate(2003, 8, 9), 1, 0, 0, 0, 0, false);
    QCOMPARE(used->rowCount(), 1);
    QCOMPARE(free->rowCount(), 2);
    QCOMPARE(free->proxyRowOfId(c), 1);

    f.modul->useShooter(c, 7);
    QCOMPARE(used->rowCount(), 2);
    QCOMPARE(used->idAtProxyRow(1), c);
    QCOMPARE(used->index(1, 1).data().toString(), QStringLiteral("7 "));
    QCOMPARE(free->idAtProxyRow(0), a);
    QCOMPARE(free->proxyRowOfId(c), -1);
    QCOMPARE(used->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Участник"));
    QCOMPARE(roster->headerData(2, Qt::Horizontal).toString(), QStringLiteral("2"));
    QVERIFY(!roster->headerData(0, Qt::Vertical).isValid());

    relay.fillFromRoster();
    QCOMPARE(relay.rowCount(), 2);
    QCOMPARE(relay.index(1, 0).data(TMembersPractice::Id1Role).toInt(), c);
    QSignalSpy relayChanges(&relay, &QAbstractItemModel::dataChanged);
    relay.SetEMUFound(7, true);
    QVERIFY(relay.index(1, 2).data(TRelayPractice::ShooterFoundRole).toBool());
    QCOMPARE(relayChanges.count(), 1);
    relay.SetEMUFound(99, true);
    QCOMPARE(relayChanges.count(), 1);

    // A deleted participant leaves every view, the relay table included.
    QVERIFY(f.modul->deleteShooter(c));
    QCOMPARE(used->rowCount(), 1);
    QCOMPARE(relay.rowCount(), 1);
    QCOMPARE(relay.index(0, 0).data().toString(), QStringLiteral("Ivanov Boris"));
    f.modul->unuseAllShooters();
    QCOMPARE(used->rowCount(), 0);
    QCOMPARE(free->rowCount(), 2);
    QCOMPARE(f.modul->shooterById(b)->target(), -1);
}

void TestPracticeRoster::readOnlyHandleKeptWhileReplaced()
{
    PracticeFixture f;
    QVERIFY(f.roster()->addShooter("Anna", "Petrova", QDate(2001, 5, 3), 1, 0, 0, 0, 0, false) > 0);
    const QString path = TPracticeModul::databasePath();
    const QString other = path + QStringLiteral(".other");
    const auto putOther = [&] {
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a roster") > 0);
        file.close();
        QVERIFY(QFile::rename(other, path) || (QFile::remove(path) && QFile::rename(other, path)));
    };
    {
        // A handle that only reads, replaced once the file changes.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "readOnly");
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        TMembersPractice roster(db, true);
        QCOMPARE(roster.rowCount(), 1);

        // Another file at the path, and one put there again at every try of
        // the rewrite: it fails, and the handle holding the roster stays.
        putOther();
        OpenedFile::setRewriteSteps([&](OpenedFile::RewriteStep at) {
            if (at == OpenedFile::RewriteStep::FoundMovedAside)
                putOther();
        });
        const bool loaded = roster.loadShooters();
        OpenedFile::setRewriteSteps({});
        QVERIFY(loaded);
        QCOMPARE(roster.rowCount(), 1);

        // The next statement writes it again at the path.
        QVERIFY(roster.loadShooters());
        QCOMPARE(roster.rowCount(), 1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("readOnly"));
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
    check.setDatabaseName(path);
    QVERIFY(check.open());
    QSqlQuery count(QStringLiteral("SELECT COUNT(*) FROM TShooters"), check);
    QVERIFY(count.next());
    QCOMPARE(count.value(0).toInt(), 1);
}

void TestPracticeRoster::listsReadFromTheFileHeld()
{
    PracticeFixture f;
    const QString path = TPracticeModul::databasePath();
    const QString other = path + QStringLiteral(".other");
    QVERIFY(QFile::copy(path, other));
    const int id = f.modul->addTeam(0, QStringLiteral("Held"));
    QVERIFY(id > 0);
    // Another file put at the path in the second before the roster looks:
    // the lists are read from the file the roster holds, which is kept.
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData())
            == 0);
    QVERIFY(f.modul->loadTeams());
    QVERIFY(f.modul->teamByID(id));
    QVERIFY(f.roster()->ensureDatabaseOpen());
    QTRY_VERIFY_WITH_TIMEOUT(f.modul->loadTeams() && QDir(QFileInfo(path).path())
                                                          .entryList({QStringLiteral("*.found-*")})
                                                          .size() == 1,
                             10000);
    QVERIFY(f.modul->teamByID(id));
}

void TestPracticeRoster::deleteRefusedAsMoved()
{
    PracticeFixture f;
    const QString path = TPracticeModul::databasePath();
    const QString other = path + QStringLiteral(".other");
    const int id = f.modul->addTeam(0, QStringLiteral("Held"));
    QVERIFY(id > 0);
    QVERIFY(QFile::copy(path, other));
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData())
            == 0);
    // SQLite refuses the write to a file replaced since it was opened: the
    // next statement writes the file again first, and is taken.
    QVERIFY(!f.modul->deleteTeamByID(id));
    QVERIFY(f.modul->addTeam(0, QStringLiteral("After")) > 0);

    // Replaced again, and the program closed before its next look: what
    // the roster held is at the path all the same, the copy kept aside.
    QVERIFY(QFile::copy(path, other));
    const int last = f.modul->addTeam(0, QStringLiteral("Last"));
    QVERIFY(last > 0);
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData())
            == 0);
    f.testers.clear();
    f.modul.reset();
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT fName FROM TTeam WHERE ID=%1").arg(last)),
             QList<QVariantList>({{QStringLiteral("Last")}}));
    QCOMPARE(QDir(QFileInfo(path).path()).entryList({QStringLiteral("*.found-*")}).size(), 2);
}

QTEST_MAIN(TestPracticeRoster)
#include "tst_practiceroster.moc"
