#include "resultsfixture.h"
#include "total_mp_5.h"

#include <QtTest>

// The pistol match standings: precision stage (exercise 0) and rapid-fire
// stage (exercise 1) joined by member, over the running lists and over the
// stored exercises of the same shots.
class TestTotalMp5 : public QObject
{
    Q_OBJECT

private slots:
    void standings_data();
    void standings();
    void rowsMadeOnce();
};

void TestTotalMp5::standings_data()
{
    QTest::addColumn<int>("type");
    // "start number:precision shots|rapid-fire shots" (ResultsFixture::enter);
    // without "|" the member has no place in the rapid-fire running list.
    QTest::addColumn<QStringList>("members");
    // "START NUM|PRECISION|RAPID FIRE|TOTAL" per row in rank order.
    QTest::addColumn<QStringList>("running");
    QTest::addColumn<QStringList>("stored");

    // Both stages mark shots from 10.4 (ControlValue).
    const QStringList sum = {"1|280 *2|290 *5|570 *7"};
    QTest::newRow("stages and their sum") << 8 << QStringList{"1:2*105 26*100|5*105 24*100"}
                                          << sum << sum;
    // The stored exercise has a place for every member of the competition,
    // so there the stage reads 0 where the running list has no place.
    QTest::newRow("no rapid-fire place") << 8 << QStringList{"1:3*100"}
                                         << QStringList{"1|30 *0||30 *0"}
                                         << QStringList{"1|30 *0|0 *0|30 *0"};
    QTest::newRow("only the rapid-fire stage shot")
        << 8 << QStringList{"1:-|3*100", "2:100|"} << QStringList{"2|10 *0|0 *0|10 *0"}
        << QStringList{"1|0 *0|30 *0|30 *0", "2|10 *0|0 *0|10 *0"};
    const QStringList ties = {"1|20 *0|0 *0|20 *0", "2|10 *0|10 *0|20 *0",
                              "3|0 *0|20 *0|20 *0"};
    QTest::newRow("equal sums by start number")
        << 8 << QStringList{"2:100|100", "1:2*100|", "3:|2*100"} << ties << ties;
    QTest::newRow("higher sum first, whatever the inner tens")
        << 8 << QStringList{"1:2*105|100", "2:2*100|2*100"}
        << QStringList{"2|20 *0|20 *0|40 *0", "1|20 *2|10 *0|30 *2"}
        << QStringList{"2|20 *0|20 *0|40 *0", "1|20 *2|10 *0|30 *2"};
    // Type 9 has no rapid-fire exercise: the running table needs both lists
    // and stays empty, the stored one ranks by precision alone.
    QTest::newRow("no rapid-fire exercise") << 9 << QStringList{"1:100", "2:2*100"}
                                            << QStringList()
                                            << QStringList{"2|20 *0||20 *0", "1|10 *0||10 *0"};
}

void TestTotalMp5::standings()
{
    QFETCH(int, type);
    QFETCH(QStringList, members);
    QFETCH(QStringList, running);
    QFETCH(QStringList, stored);
    ResultsFixture f;
    QVERIFY(f.isValid());
    QVERIFY(f.newCompetition(type));
    const bool twoStages = f.competition()->eventCount() > 1;
    QVERIFY(f.enter(members));

    TOTAL_MP_5 runningModel(f.list(0), twoStages ? f.list(1) : nullptr);
    QAbstractItemModelTester runningTester(&runningModel,
                                           QAbstractItemModelTester::FailureReportingMode::QtTest);
    const std::unique_ptr<TViewBulletList> precision = f.storedList(0);
    const std::unique_ptr<TViewBulletList> rapidFire = twoStages ? f.storedList(1) : nullptr;
    QVERIFY(precision);
    TOTAL_MP_5 storedModel(precision.get(), rapidFire.get());
    QAbstractItemModelTester storedTester(&storedModel,
                                          QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(cellsFrom(runningModel, 3), running);
    QCOMPARE(cellsFrom(storedModel, 3), stored);
    if (running.size() == stored.size())
        checkMemberColumns(runningModel, storedModel);
    QCOMPARE(storedModel.headerData(6, Qt::Horizontal).toString(), QStringLiteral("    TOTAL   "));
    QCOMPARE(storedModel.headerData(7, Qt::Horizontal).toString(), QStringLiteral("7"));
}

void TestTotalMp5::rowsMadeOnce()
{
    ResultsFixture f;
    QVERIFY(f.isValid());
    QVERIFY(f.newCompetition(8));
    const int a = f.addMember(1);
    const int b = f.addMember(2);
    QVERIFY(f.shoot(f.list(0), a, {100}));
    QVERIFY(f.shoot(f.list(0), b, {100}));
    QVERIFY(f.shoot(f.list(1), b, {100}));
    TOTAL_MP_5 model(f.list(0), f.list(1));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(cellsFrom(model, 3), (QStringList{"2|10 *0|10 *0|20 *0", "1|10 *0||10 *0"}));

    // The rows were made once: later shots change the figures but not the
    // order, also when a view asks to sort; fresh standings take a new model.
    QVERIFY(f.shoot(f.list(1), a, {100, 100}));
    const QPersistentModelIndex selected(model.index(1, 0));
    model.sort(3, Qt::DescendingOrder);
    QCOMPARE(cellsFrom(model, 3), (QStringList{"2|10 *0|10 *0|20 *0", "1|10 *0|20 *0|30 *0"}));
    QCOMPARE(selected.row(), 1);
    TOTAL_MP_5 fresh(f.list(0), f.list(1));
    QCOMPARE(cellsFrom(fresh, 3), (QStringList{"1|10 *0|20 *0|30 *0", "2|10 *0|10 *0|20 *0"}));
}

QTEST_MAIN(TestTotalMp5)
#include "tst_totalmp5.moc"
