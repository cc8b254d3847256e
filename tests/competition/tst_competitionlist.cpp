#include "modulefixture.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tcompetitionlistproxy.h"
#include "tdbaccessor.h"
#include "testdatadir.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestCompetitionList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typeVariantRows();
    void unreadableTypeList_data();
    void unreadableTypeList();
    void storedCompetitions_data();
    void storedCompetitions();
    void unreadableStoredRow();
    void currentByVariant();
    void weaponFilter_data();
    void weaponFilter();

private:
    // A stored competition row as the storage layer writes it.
    int storeCompetition(int type, bool finished, const QString &name);

    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TdbAccessor> m_db;
};

void TestCompetitionList::init()
{
    m_dir = std::make_unique<TestDataDir>();
    QVERIFY(ModuleData::install(*m_dir));
    m_db = std::make_unique<TdbAccessor>(QStringLiteral("competition-list"));
    QVERIFY(!m_db->isError());
}

void TestCompetitionList::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

int TestCompetitionList::storeCompetition(int type, bool finished, const QString &name)
{
    return m_db->insertCompetition(finished, 2, type, false, QTime(9, 5, 30), QDate(2020, 2, 15),
                                   name);
}

void TestCompetitionList::typeVariantRows()
{
    TCompetitionList types;
    QAbstractItemModelTester tester(&types, QAbstractItemModelTester::FailureReportingMode::QtTest);

    // The three types of ModuleData::kCompetitionTypes, in file order.
    QCOMPARE(types.rowCount(), 3);
    QVERIFY(!types.isStored());
    const QModelIndex first = types.index(0);
    QCOMPARE(first.data(TCompetitionList::CompTypeXMLIDRole).toInt(), ModuleData::kRifleCup);
    QCOMPARE(first.data(TCompetitionList::CompIdRole).toInt(), -1);
    QCOMPARE(first.data(TCompetitionList::CompNameTypeEngRole).toString(), QStringLiteral("Rifle Cup"));
    QCOMPARE(first.data(TCompetitionList::CompNameTypeRusRole).toString(), QStringLiteral("RC"));
    QCOMPARE(types.index(1).data(TCompetitionList::CompWeaponTypeRole).toInt(), 1);
    QCOMPARE(first.data(TCompetitionList::CompCompetitionRole).toBool(), true);
    // A type has no competition name: the display text starts with the blank.
    QCOMPARE(first.data(Qt::DisplayRole).toString(), QStringLiteral(" Rifle Cup"));
    QVERIFY(!first.data(Qt::ToolTipRole).isValid());
    QVERIFY(!types.index(3).isValid());
    QCOMPARE(types.roleNames().size(), 10);
    QCOMPARE(types.roleNames().value(TCompetitionList::CompWeaponTypeRole),
             QByteArray("compWeaponType"));

    // The type variant has no stored competitions and no templates.
    QSignalSpy removed(&types, &QAbstractItemModel::rowsRemoved);
    QCOMPARE(types.loadCompetitions(0), -1);
    QCOMPARE(types.rowCount(), 3);
    QCOMPARE(removed.count(), 0);
    QVERIFY(!types.hasType(ModuleData::kRifleCup));
}

void TestCompetitionList::unreadableTypeList_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing file") << QByteArray();
    // The root is spelled "CompetititonList"; the plain spelling is another root.
    QTest::newRow("other root") << QByteArray("<CompetitionList><T ID=\"1\"/></CompetitionList>");
    QTest::newRow("not well-formed") << QByteArray("<CompetititonList><T ID=\"1\">");
}

void TestCompetitionList::unreadableTypeList()
{
    QFETCH(QByteArray, content);
    const QString file = m_dir->filePath(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"));
    QVERIFY(QFile::remove(file));
    if (!content.isEmpty())
        QVERIFY(m_dir->writeFile(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"), content));
    QVERIFY(storeCompetition(ModuleData::kRifleCup, false, QStringLiteral("Open")) > 0);

    TCompetitionList types;
    QCOMPARE(types.rowCount(), 0);
    // Without templates the stored competition is still shown.
    TCompetitionList stored(m_db.get());
    QCOMPARE(stored.loadCompetitions(0), 1);
    QCOMPARE(stored.index(0).data(TCompetitionList::CompWeaponTypeRole).toInt(), -1);
}

void TestCompetitionList::storedCompetitions_data()
{
    QTest::addColumn<int>("finished");
    QTest::addColumn<QStringList>("names");
    // Stored: "Spring" (type 1, open), "Summer" (type 2, finished), "Ghost"
    // (type 9, open, a type the list does not have), "Autumn" (type 1, open).
    QTest::newRow("unfinished, unknown type too") << 0 << QStringList{"Spring", "Ghost", "Autumn"};
    QTest::newRow("finished") << 1 << QStringList{"Summer"};
}

void TestCompetitionList::storedCompetitions()
{
    QFETCH(int, finished);
    QFETCH(QStringList, names);
    QVERIFY(storeCompetition(ModuleData::kRifleCup, false, QStringLiteral("Spring")) > 0);
    QVERIFY(storeCompetition(ModuleData::kPistolCup, true, QStringLiteral("Summer")) > 0);
    QVERIFY(storeCompetition(9, false, QStringLiteral("Ghost")) > 0);
    QVERIFY(storeCompetition(ModuleData::kRifleCup, false, QStringLiteral("Autumn")) > 0);

    TCompetitionList stored(m_db.get());
    QAbstractItemModelTester tester(&stored, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(stored.isStored());
    QCOMPARE(stored.rowCount(), 0);
    QVERIFY(stored.hasType(ModuleData::kPistolCup));
    QVERIFY(!stored.hasType(9));

    QCOMPARE(stored.loadCompetitions(finished), names.size());
    QStringList shown;
    for (int row = 0; row < stored.rowCount(); ++row)
        shown << stored.index(row).data(TCompetitionList::CompCompetitionNameRole).toString();
    QCOMPARE(shown, names);
    const QModelIndex first = stored.index(0);
    QCOMPARE(first.data(Qt::DisplayRole).toString(),
             names.first() + QLatin1Char(' ')
                 + first.data(TCompetitionList::CompNameTypeEngRole).toString());
    QCOMPARE(first.data(TCompetitionList::CompCountryIDRole).toInt(), 2);
    QCOMPARE(first.data(TCompetitionList::CompStartDateTimeRole).toString(),
             QDate(2020, 2, 15).toString(Qt::TextDate) + QStringLiteral(" ")
                 + QTime(9, 5, 30).toString(Qt::TextDate));

    // A second load replaces the rows.
    QCOMPARE(stored.loadCompetitions(finished), names.size());
    QCOMPARE(stored.rowCount(), names.size());
}

void TestCompetitionList::unreadableStoredRow()
{
    QVERIFY(storeCompetition(ModuleData::kRifleCup, false, QStringLiteral("Spring")) > 0);
    QVERIFY(m_db->execQuery(QStringLiteral("INSERT INTO tcompetitions (ID, fFinished, fTypeXMLID, "
                                           "fName) VALUES (7, 0, 'x', 'Broken')")));
    TCompetitionList stored(m_db.get());
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^Cannot load data:")));
    // The unreadable row ends the whole load.
    QCOMPARE(stored.loadCompetitions(0), -1);
    QCOMPARE(stored.rowCount(), 0);
}

void TestCompetitionList::currentByVariant()
{
    QCOMPARE(storeCompetition(ModuleData::kRifleCup, false, QStringLiteral("Spring")), 1);
    QCOMPARE(storeCompetition(ModuleData::kRifleCup, false, QStringLiteral("Autumn")), 2);
    TCompetitionList stored(m_db.get());
    stored.loadCompetitions(0);
    TCompetitionList types;

    // The same ID 2: competition 2 in the database variant, type 2 in the type variant.
    QCOMPARE(stored.setCurrentID(2)->name(), QStringLiteral("Autumn"));
    QCOMPARE(types.setCurrentID(2)->nameEng(), QStringLiteral("Pistol Cup"));
    QCOMPARE(types.current()->type(), ModuleData::kPistolCup);
    QVERIFY(!stored.setCurrentID(3));
    QVERIFY(!types.setCurrentID(7));
}

void TestCompetitionList::weaponFilter_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QList<int>>("typeIDs");
    // Weapons of ModuleData::kCompetitionTypes: type 1 rifle (0), 2 pistol (1), 3 rifle.
    QTest::newRow("-1, both weapons") << -1 << QList<int>{1, 2, 3};
    QTest::newRow("0, rifle") << 0 << QList<int>{1, 3};
    QTest::newRow("1, pistol") << 1 << QList<int>{2};
    QTest::newRow("2, no weapon ticked") << 2 << QList<int>{};
}

void TestCompetitionList::weaponFilter()
{
    QFETCH(int, filter);
    QFETCH(QList<int>, typeIDs);
    TCompetitionList types;
    TCompetitionlistProxy proxy(&types);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(proxy.weaponFilter(), -1);
    proxy.setWeaponFilter(filter);

    QList<int> shown;
    for (int row = 0; row < proxy.rowCount(); ++row)
        shown << proxy.index(row, 0).data(TCompetitionList::CompTypeXMLIDRole).toInt();
    QCOMPARE(shown, typeIDs);
    for (int n = 0; n < typeIDs.size(); ++n) {
        QCOMPARE(proxy.typeIDAtRow(n), typeIDs.at(n));
        QCOMPARE(proxy.rowOfTypeID(typeIDs.at(n)), n);
    }
    QCOMPARE(proxy.typeIDAtRow(typeIDs.size()), -1);
    if (!typeIDs.contains(ModuleData::kRifleCup))
        QCOMPARE(proxy.rowOfTypeID(ModuleData::kRifleCup), -1);
}

QTEST_MAIN(TestCompetitionList)
#include "tst_competitionlist.moc"
