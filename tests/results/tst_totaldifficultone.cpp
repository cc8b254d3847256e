#include "resultsfixture.h"
#include "total_difficult_one_model.h"

#include <QtTest>

// The three-position standings over the running shot list and over the
// stored exercise of the same shots.
class TestTotalDifficultOne : public QObject
{
    Q_OBJECT

private slots:
    void standings_data();
    void standings();
    void compactForm();
};

void TestTotalDifficultOne::standings_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("seriesPerPosition");
    // "start number:shot values in tenths", in the order the members join.
    QTest::addColumn<QStringList>("members");
    // "START NUM|KNEELING|PRONE|STANDING|TOTAL" per row in rank order, over
    // the running list and over the stored exercise.
    QTest::addColumn<QStringList>("running");
    QTest::addColumn<QStringList>("stored");

    // Both exercises mark shots from 10.3 (ControlValue); type 11 has 2
    // series per position, type 12 4.
    const QStringList full120 = {"1|400 *40|400 *40|400 *40|1200 *120"};
    QTest::newRow("3x40, 120 shots of 10.5") << 12 << 4 << QStringList{"1:120*105"} << full120
                                             << full120;
    const QStringList positions = {"1|200 *0|200 *20|180 *0|580 *20"};
    QTest::newRow("3x20, each position its own figures")
        << 11 << 2 << QStringList{"1:20*100 20*103 20*95"} << positions << positions;
    // Running: a position adds only complete series, so KNEELING shows the
    // first 10 shots while TOTAL counts all 15; stored series add what they hold.
    QTest::newRow("3x20, 15 shots kneeling")
        << 11 << 2 << QStringList{"1:15*95"} << QStringList{"1|90 *0|0 *0|0 *0|135 *0"}
        << QStringList{"1|135 *0|0 *0|0 *0|135 *0"};
    QTest::newRow("ranked by total, equal totals by start number")
        << 11 << 2 << QStringList{"2:10*100", "3:20*100", "1:10*100"}
        << QStringList{"3|200 *0|0 *0|0 *0|200 *0", "1|100 *0|0 *0|0 *0|100 *0",
                       "2|100 *0|0 *0|0 *0|100 *0"}
        << QStringList{"3|200 *0|0 *0|0 *0|200 *0", "1|100 *0|0 *0|0 *0|100 *0",
                       "2|100 *0|0 *0|0 *0|100 *0"};
    // The shot list ranks by the tenths it shows ("VIew10"), 594.0 above
    // 580.0; the table shows whole points and ranks by them.
    QTest::newRow("60 x 9.9 shows 540 and stands below 580")
        << 11 << 2 << QStringList{"1:60*99", "2:40*100 20*90"}
        << QStringList{"2|200 *0|200 *0|180 *0|580 *0", "1|180 *0|180 *0|180 *0|540 *0"}
        << QStringList{"2|200 *0|200 *0|180 *0|580 *0", "1|180 *0|180 *0|180 *0|540 *0"};
    QTest::newRow("equal points: more inner tens first, though fewer tenths")
        << 11 << 2 << QStringList{"1:5*109 5*100", "2:10*103"}
        << QStringList{"2|100 *10|0 *0|0 *0|100 *10", "1|100 *5|0 *0|0 *0|100 *5"}
        << QStringList{"2|100 *10|0 *0|0 *0|100 *10", "1|100 *5|0 *0|0 *0|100 *5"};
    QTest::newRow("no series per position: the positions read 0")
        << 11 << 0 << QStringList{"1:20*100"} << QStringList{"1|0 *0|0 *0|0 *0|200 *0"}
        << QStringList{"1|0 *0|0 *0|0 *0|200 *0"};
}

void TestTotalDifficultOne::standings()
{
    QFETCH(int, type);
    QFETCH(int, seriesPerPosition);
    QFETCH(QStringList, members);
    QFETCH(QStringList, running);
    QFETCH(QStringList, stored);
    ResultsFixture f;
    QVERIFY(f.isValid());
    QVERIFY(f.newCompetition(type));
    QVERIFY(f.enter(members));

    TOTAL_DIFFICULT_ONE_MODEL runningModel(f.list(0), seriesPerPosition, false);
    QAbstractItemModelTester runningTester(&runningModel,
                                           QAbstractItemModelTester::FailureReportingMode::QtTest);
    const std::unique_ptr<TViewBulletList> list = f.storedList(0);
    QVERIFY(list);
    TOTAL_DIFFICULT_ONE_MODEL storedModel(list.get(), seriesPerPosition, false);
    QAbstractItemModelTester storedTester(&storedModel,
                                          QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(cellsFrom(runningModel, 3), running);
    QCOMPARE(cellsFrom(storedModel, 3), stored);
    checkMemberColumns(runningModel, storedModel);
    // A practice's compact result ranks alike.
    TOTAL_DIFFICULT_ONE_MODEL compactModel(f.list(0), seriesPerPosition, true);
    QStringList figures;
    for (const QString &row : qAsConst(running))
        figures << row.section(QLatin1Char('|'), 1);
    QCOMPARE(cellsFrom(compactModel, 1), figures);
}

void TestTotalDifficultOne::compactForm()
{
    ResultsFixture f;
    QVERIFY(f.isValid());
    QVERIFY(f.newCompetition(11));
    QVERIFY(f.shoot(f.list(0), f.addMember(1), shotValues("20*100 5*105")));
    const std::unique_ptr<TViewBulletList> list = f.storedList(0);
    QVERIFY(list);
    TOTAL_DIFFICULT_ONE_MODEL running(f.list(0), 2, true);
    TOTAL_DIFFICULT_ONE_MODEL stored(list.get(), 2, true);
    for (TOTAL_DIFFICULT_ONE_MODEL *model : {&running, &stored}) {
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList titles;
        for (int c = 0; c < 6; ++c)
            titles << model->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles,
                 (QStringList{"NAME", "KNEELING", "  PRONE ", "STANDING", "    TOTAL   ", "5"}));
        // No rank, team or start number, so no flag anywhere.
        for (int c = 0; c < model->columnCount(); ++c)
            QVERIFY(!model->index(0, c).data(Qt::DecorationRole).isValid());
    }
    QCOMPARE(cellsFrom(running, 0), QStringList{"Family1 Name1|200 *0|0 *0|0 *0|250 *5"});
    QCOMPARE(cellsFrom(stored, 0), QStringList{"Name1|200 *0|50 *5|0 *0|250 *5"});
}

QTEST_MAIN(TestTotalDifficultOne)
#include "tst_totaldifficultone.moc"
