#include "tdbaccessor.h"
#include "testdatadir.h"
#include "tmembers.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tshootersproxy.h"
#include "tteam.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// sig_shooterChanged carries it; the spies need to know the type.
Q_DECLARE_METATYPE(const TShooter *)

class TestShooterList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<const TShooter *>(); }
    void init();
    void cleanup();

    void loadAndRoles();
    void unreadableRowSkipped();
    void addShooterReferences_data();
    void addShooterReferences();
    void updateShooterReferences_data();
    void updateShooterReferences();
    void removeShooter_data();
    void removeShooter();
    void clearEmptyListAnnouncesNothing();
    void proxyHidesMembers();

private:
    std::unique_ptr<TShooter> shooter(const QString &name, const QString &family, int team = 1) const;
    // fTeamID of a stored shooter.
    int storedTeam(int shooterID);

    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TdbAccessor> m_db;
};

void TestShooterList::init()
{
    m_dir = std::make_unique<TestDataDir>();
    QVERIFY(m_dir->isValid());
    m_db = std::make_unique<TdbAccessor>(QStringLiteral("shooter-list"));
    QVERIFY(!m_db->isError());
    // Team 1 and qualification 1 exist besides the schema's empty entries 0.
    QCOMPARE(m_db->insertTeam(2, QStringLiteral("Dynamo")), 1);
    QCOMPARE(m_db->insertQualification(QStringLiteral("Master"), QStringLiteral("ms")), 1);
}

void TestShooterList::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

std::unique_ptr<TShooter> TestShooterList::shooter(const QString &name, const QString &family,
                                                   int team) const
{
    auto s = std::make_unique<TShooter>();
    s->setNames(name, family);
    s->setDateOfBirth(QDate(1990, 5, 17));
    s->setGender(1);
    s->setCountryXMLID(2);
    s->setTeamID(team);
    s->setQualityID(1);
    return s;
}

int TestShooterList::storedTeam(int shooterID)
{
    m_db->selectShooter(shooterID);
    return m_db->first() ? -100 : m_db->value(QStringLiteral("fTeamID")).toInt();
}

void TestShooterList::loadAndRoles()
{
    QCOMPARE(m_db->insertShooter(shooter("Anna", "Petrova").get()), 1);
    QCOMPARE(m_db->insertShooter(shooter("Boris", "Ivanov").get()), 2);
    TShooterEnabledList list(m_db.get());
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(list.rowCount(), 2);
    const QModelIndex first = list.index(0);
    QCOMPARE(first.data(Qt::DisplayRole).toString(), QStringLiteral("Petrova Anna"));
    QCOMPARE(first.data(TShooterEnabledList::ShooterIdRole).toInt(), 1);
    QCOMPARE(first.data(TShooterEnabledList::ShooterBirthDateRole).toDate(), QDate(1990, 5, 17));
    QCOMPARE(first.data(TShooterEnabledList::ShooterGenderRole).toInt(), 1);
    QCOMPARE(first.data(TShooterEnabledList::MemberRole).toBool(), true);
    // A shooter is no member: no member ID (258), start number (259) or role 260.
    for (int role = 258; role <= 260; ++role)
        QVERIFY(!first.data(role).isValid());
    QCOMPARE(list.roleNames().size(), 6);
    QVERIFY(!list.roleNames().contains(258));
    QVERIFY(!list.index(2).isValid());
    QCOMPARE(list.nextShooter(list.at(0)), list.at(1));
    QVERIFY(!list.nextShooter(list.at(1)));
}

void TestShooterList::unreadableRowSkipped()
{
    QCOMPARE(m_db->insertShooter(shooter("Anna", "Petrova").get()), 1);
    QVERIFY(m_db->execQuery(QStringLiteral(
        "INSERT INTO tshooters (ID, fName, fFamily, fDateofBirth, fGender, fCountryXMLID, "
        "fTeamID, fQualityID) VALUES (2, 'X', 'Y', 'no date', 0, 2, 0, 0)")));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Cannot load data:")));
    TShooterEnabledList list(m_db.get());
    QCOMPARE(list.rowCount(), 1);
    QCOMPARE(list.at(0)->family(), QStringLiteral("Petrova"));
}

void TestShooterList::addShooterReferences_data()
{
    QTest::addColumn<int>("team");
    QTest::addColumn<int>("storedTeam");
    // init() stores team 1; 0 is the schema's empty team.
    QTest::newRow("existing team kept") << 1 << 1;
    QTest::newRow("missing team becomes 0") << 5 << 0;
    QTest::newRow("no team (-1) becomes 0") << -1 << 0;
}

void TestShooterList::addShooterReferences()
{
    QFETCH(int, team);
    QFETCH(int, storedTeam);
    TShooterEnabledList list(m_db.get());
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&list, &TShooterEnabledList::sig_shooterChanged);

    const int id = list.addShooter(shooter("Anna", "Petrova", team).get());
    QCOMPARE(id, 1);
    QCOMPARE(this->storedTeam(id), storedTeam);
    QCOMPARE(list.shooterByID(id)->teamID(), storedTeam);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(changed.count(), 0);
}

void TestShooterList::updateShooterReferences_data()
{
    QTest::addColumn<int>("newTeam");
    QTest::addColumn<int>("expected");
    // The shooter starts in team 2, whose row is deleted before the update.
    QTest::newRow("kept team stays although its row is gone") << 2 << 2;
    QTest::newRow("changed to a missing team gives 0") << 7 << 0;
    QTest::newRow("changed to an existing team") << 1 << 1;
}

void TestShooterList::updateShooterReferences()
{
    QFETCH(int, newTeam);
    QFETCH(int, expected);
    QCOMPARE(m_db->insertTeam(2, QStringLiteral("Spartak")), 2);
    TShooterEnabledList list(m_db.get());
    const int id = list.addShooter(shooter("Anna", "Petrova", 2).get());
    QVERIFY(m_db->deleteTeam(2));
    QSignalSpy changed(&list, &TShooterEnabledList::sig_shooterChanged);

    auto data = shooter("Anna", "Sidorova", newTeam);
    QVERIFY(list.updateShooter(id, data.get()));
    QCOMPARE(storedTeam(id), expected);
    QCOMPARE(list.shooterByID(id)->family(), QStringLiteral("Sidorova"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<const TShooter *>(), list.shooterByID(id));
    QCOMPARE(changed.at(0).at(1).toInt(), -1);

    // A shooter the list does not have changes nothing.
    QVERIFY(!list.updateShooter(id + 1, data.get()));
    QCOMPARE(changed.count(), 1);
}

void TestShooterList::removeShooter_data()
{
    QTest::addColumn<bool>("checkUsed");
    QTest::addColumn<int>("result");
    // The shooter is a member with one stored shot.
    QTest::newRow("in use, checked: refused") << true << -1;
    QTest::newRow("not checked: deleted") << false << 1;
}

void TestShooterList::removeShooter()
{
    QFETCH(bool, checkUsed);
    QFETCH(int, result);
    TShooterEnabledList list(m_db.get());
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const int id = list.addShooter(shooter("Anna", "Petrova").get());
    list.addShooter(shooter("Boris", "Ivanov").get());
    QVERIFY(m_db->execQuery(QStringLiteral("INSERT INTO tmembers (ID, fCompetitionID, fShooterID, "
                                           "fStartNumber) VALUES (1, 1, ?, 1)"),
                            {id}));
    QVERIFY(m_db->execQuery(QStringLiteral("INSERT INTO tbullets (ID, fEventID, fMemberID, "
                                           "fNumber) VALUES (1, 1, 1, 1)")));
    QSignalSpy changed(&list, &TShooterEnabledList::sig_shooterChanged);

    QCOMPARE(list.removeShooter(id, checkUsed), result);
    const bool deleted = result == 1;
    QCOMPARE(list.count(), deleted ? 1 : 2);
    QCOMPARE(list.shooterByID(id) == nullptr, deleted);
    QCOMPARE(changed.count(), deleted ? 1 : 0);
    if (deleted) {
        QVERIFY(!changed.at(0).at(0).value<const TShooter *>());
        QCOMPARE(changed.at(0).at(1).toInt(), id);
    }
    QCOMPARE(list.removeShooter(99, false), 0);
}

void TestShooterList::clearEmptyListAnnouncesNothing()
{
    TShooterEnabledList list(m_db.get());
    QSignalSpy removing(&list, &QAbstractItemModel::rowsAboutToBeRemoved);
    list.clear();
    QCOMPARE(removing.count(), 0);
    list.addShooter(shooter("Anna", "Petrova").get());
    list.selectShooter(1);
    list.clear();
    QCOMPARE(removing.count(), 1);
    QCOMPARE(list.currentShooterID(), -1);
}

void TestShooterList::proxyHidesMembers()
{
    TShooterEnabledList list(m_db.get());
    for (const char *family : {"A", "B", "C"})
        list.addShooter(shooter("N", family).get());
    const int competition = m_db->insertCompetition(false, 2, 1, false, QTime(9, 0),
                                                    QDate(2020, 2, 15), QStringLiteral("Cup"));
    TMembers members(m_db.get());
    QVERIFY(members.setCompetition(competition, nullptr));
    TShootersProxy proxy(&list, &members);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(proxy.rowCount(), 3);
    QCOMPARE(proxy.rowOfShooter(3), 2);

    QVERIFY(members.addMember(list.shooterByID(2), 1) >= 0);
    // The proxy does not watch the members: it changes when re-filtered.
    QCOMPARE(proxy.rowCount(), 3);
    proxy.invalidate();
    QCOMPARE(proxy.rowCount(), 2);
    QCOMPARE(proxy.rowOfShooter(2), -1);
    QCOMPARE(proxy.rowOfShooter(3), 1);
    QCOMPARE(proxy.index(1, 0).data(TShooterEnabledList::ShooterIdRole).toInt(), 3);
}

QTEST_MAIN(TestShooterList)
#include "tst_shooterlist.moc"
