#include "resultsfixture.h"
#include "total_simple_one_model.h"

#include <QtTest>

// The one-position standings over the running shot list and over the stored
// exercise of the same shots: both must rank and total alike.
class TestTotalSimpleOne : public QObject
{
    Q_OBJECT

private slots:
    void standings_data();
    void standings();
    void headersAndOutOfRange();
};

void TestTotalSimpleOne::standings_data()
{
    QTest::addColumn<int>("type");
    // "start number:shot values in tenths", in the order the members join.
    QTest::addColumn<QStringList>("members");
    // "START NUM|TOTAL" per row, in rank order.
    QTest::addColumn<QStringList>("expected");

    // Type 1 shows tenths with ControlValue 10.2, type 2 the same face in
    // whole points, type 3 ControlValue 10.25 (marked from 103 tenths).
    QTest::newRow("no member") << 1 << QStringList() << QStringList();
    QTest::newRow("tenths: 9.9 and 10.8, the second marked")
        << 1 << QStringList{"1:99 108"} << QStringList{"1|20.7 *1"};
    QTest::newRow("points: each value truncated, then summed")
        << 2 << QStringList{"1:99 108"} << QStringList{"1|19 *1"};
    QTest::newRow("no match shot, tenths") << 1 << QStringList{"1:"} << QStringList{"1|0.0 *0"};
    QTest::newRow("no match shot, points") << 2 << QStringList{"1:"} << QStringList{"1|0 *0"};
    QTest::newRow("a miss adds nothing") << 2 << QStringList{"1:0 105"} << QStringList{"1|10 *1"};
    QTest::newRow("marked from exactly 10 x ControlValue")
        << 1 << QStringList{"1:102 101"} << QStringList{"1|20.3 *1"};
    QTest::newRow("ControlValue 10.25 rounds half away to 103")
        << 3 << QStringList{"1:102 103"} << QStringList{"1|20.5 *1"};
    // 19.4 and 19.1 share the whole part 19; the tenths decide.
    QTest::newRow("tenths rank: 19.4 above 19.1")
        << 1 << QStringList{"1:95 96", "2:97 97"} << QStringList{"2|19.4 *0", "1|19.1 *0"};
    QTest::newRow("equal totals by start number, whatever the joining order")
        << 1 << QStringList{"3:100", "1:100", "2:101"}
        << QStringList{"2|10.1 *0", "1|10.0 *0", "3|10.0 *0"};
    // 10.9 and 10.0 are both 10 points: equal in points mode, where the
    // inner ten decides before the start number.
    QTest::newRow("points rank: 10.9 and 10.0 tie, the inner ten first")
        << 2 << QStringList{"2:109", "1:100"} << QStringList{"2|10 *1", "1|10 *0"};
}

void TestTotalSimpleOne::standings()
{
    QFETCH(int, type);
    QFETCH(QStringList, members);
    QFETCH(QStringList, expected);
    ResultsFixture f;
    QVERIFY(f.isValid());
    QVERIFY(f.newCompetition(type));
    QVERIFY(f.enter(members));

    TOTAL_SIMPLE_ONE_MODEL running(f.list(0));
    QAbstractItemModelTester runningTester(&running,
                                           QAbstractItemModelTester::FailureReportingMode::QtTest);
    const std::unique_ptr<TViewBulletList> list = f.storedList(0);
    QVERIFY(list);
    TOTAL_SIMPLE_ONE_MODEL stored(list.get());
    QAbstractItemModelTester storedTester(&stored,
                                          QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(cellsFrom(running, 3), expected);
    QCOMPARE(cellsFrom(stored, 3), expected);
    checkMemberColumns(running, stored);
}

void TestTotalSimpleOne::headersAndOutOfRange()
{
    ResultsFixture f;
    QVERIFY(f.isValid());
    QVERIFY(f.newCompetition(1));
    QVERIFY(f.shoot(f.list(0), f.addMember(1), {100}));
    TOTAL_SIMPLE_ONE_MODEL model(f.list(0));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(model.columnCount(), 5);
    QStringList titles;
    for (int c = 0; c < 6; ++c)
        titles << model.headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"RANK", "NAME", "TEAM", "START NUM", "       TOTAL     ", "5"}));
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
    QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
    QCOMPARE(model.flags(model.index(0, 4)), Qt::ItemIsEnabled);
    QVERIFY(!model.index(1, 0).isValid());
    QVERIFY(!model.index(0, 5).isValid());

    // A model without a source is an empty table.
    TOTAL_SIMPLE_ONE_MODEL empty(static_cast<TBulletList *>(nullptr));
    QCOMPARE(empty.rowCount(), 0);
    QVERIFY(!empty.data(empty.index(0, 0)).isValid());
}

QTEST_MAIN(TestTotalSimpleOne)
#include "tst_totalsimpleone.moc"
