#include <QAbstractItemModelTester>
#include <QtTest>

#include "shotfixtures.h"
#include "tmemberplace.h"
#include "tseries.h"

using namespace shotfixtures;

namespace {

constexpr int kFullFirstSeriesColumn = 4;

// Rows as a shot list holds them, announced to the model one by one.
class SeriesRows
{
public:
    explicit SeriesRows(bool compact = false)
        : model(&places, 1, compact), tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest)
    {
    }
    ~SeriesRows() { qDeleteAll(places); }

    // A member in the match holding `shots` match shots, each worth `tenths`.
    TMemberPlace *add(int target, int shots, int tenths, bool showTenths = false)
    {
        auto *place = new TMemberPlace(target * 10, showTenths, target,
                                       QStringLiteral("Member %1").arg(target), target + 100,
                                       QImage(), QStringLiteral("RUS"), QStringLiteral("Dynamo"),
                                       QStringLiteral("MS"),
                                       TBulletParams(1, face(), kCalibre, kControlValue));
        place->setStage(TMemberPlace::kMatch, false);
        for (int i = 0; i < shots; ++i)
            place->addBullet(i + 1, 0, yForTenths(tenths), 1, 0, 0, false);
        places.append(place);
        model.rowInserted(places.size() - 1);
        return place;
    }

    QString text(int row, int column) const
    {
        return model.data(model.index(row, column)).toString();
    }

    QList<TMemberPlace *> places;
    TSeries model;
    QAbstractItemModelTester tester;
};

} // namespace

class TestSeries : public QObject
{
    Q_OBJECT

private slots:
    void seriesShownWhenComplete_data();
    void seriesShownWhenComplete();
    void tenths();
    void labels();
    void compactLayout();
    void seriesResult();
    void changingSeries();
    void rowsFollowTheList();
};

void TestSeries::seriesShownWhenComplete_data()
{
    QTest::addColumn<int>("seriesCount");
    QTest::addColumn<int>("shots");
    QTest::addColumn<QStringList>("cells"); // series columns, then TOTAL

    // Every shot is worth 9, none is marked.
    // Edge cases of the series model: 37 of 4 x 10 show series 1-3 and no TOTAL.
    QTest::newRow("37 of 40") << 4 << 37 << QStringList{"90 *0", "90 *0", "90 *0", "", ""};
    QTest::newRow("40 of 40") << 4 << 40 << QStringList{"90 *0", "90 *0", "90 *0", "90 *0", "360 *0"};
    // 65 of 6 x 10: columns still 1-6, TOTAL adds the 5 shots of series 7.
    QTest::newRow("65 of 60")
        << 6 << 65 << QStringList{"90 *0", "90 *0", "90 *0", "90 *0", "90 *0", "90 *0", "585 *0"};
    // 7 complete series of a 3-series page: the page of series 7-9 shows series 7.
    QTest::newRow("second page") << 3 << 70 << QStringList{"90 *0", "", "", ""};
    QTest::newRow("no match shot") << 2 << 0 << QStringList{"", "", ""};
    // Fewer shots than a series: nothing is complete.
    QTest::newRow("9 of a series of 10") << 1 << 9 << QStringList{"", ""};
}

void TestSeries::seriesShownWhenComplete()
{
    QFETCH(int, seriesCount);
    QFETCH(int, shots);
    QFETCH(QStringList, cells);
    SeriesRows rows;
    rows.model.setSeries(seriesCount, 10);
    rows.add(1, shots, 90);
    QStringList shown;
    for (int column = kFullFirstSeriesColumn; column < rows.model.columnCount(); ++column)
        shown << rows.text(0, column);
    QCOMPARE(shown, cells);
}

void TestSeries::tenths()
{
    SeriesRows rows;
    rows.model.setSeries(1, 10);
    rows.model.setShowTenths(true);
    // 6 x 9.9 + 2 x 9.0 + 2 x 10.5 = 98.4, the two 10.5 marked against 10.4.
    TMemberPlace *place = rows.add(1, 6, 99, true);
    for (int tenths : {90, 90, 105, 105})
        place->addBullet(place->shotCountOfStage(1) + 1, 0, yForTenths(tenths), 1, 0, 0, false);
    QCOMPARE(rows.text(0, kFullFirstSeriesColumn), QStringLiteral("98.4 *2"));
    QCOMPARE(rows.text(0, kFullFirstSeriesColumn + 1), QStringLiteral("98.4 *2"));
    rows.model.setShowTenths(false); // whole points: 6 x 9 + 2 x 9 + 2 x 10
    QCOMPARE(rows.text(0, kFullFirstSeriesColumn), QStringLiteral("92 *2"));
}

void TestSeries::labels()
{
    SeriesRows rows;
    rows.add(2, 0, 90);
    QCOMPARE(rows.text(0, 0), QStringLiteral("Member 2"));
    QCOMPARE(rows.text(0, 1), QStringLiteral("RUS/Dynamo"));
    QCOMPARE(rows.model.data(rows.model.index(0, 2)), QVariant(102));
    QCOMPARE(rows.model.data(rows.model.index(0, 3)), QVariant(2));
    QCOMPARE(rows.model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("TEAM"));
    QCOMPARE(rows.model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("        1       "));
    QCOMPARE(rows.model.headerData(5, Qt::Horizontal).toString(),
             QStringLiteral("           TOTAL           "));
    QVERIFY(!rows.model.headerData(0, Qt::Vertical).isValid());
    QCOMPARE(rows.model.flags(rows.model.index(0, 4)), Qt::ItemFlags(Qt::ItemIsEnabled));
}

void TestSeries::compactLayout()
{
    SeriesRows rows(true);
    rows.model.setSeries(2, 5);
    rows.add(4, 5, 100);
    // NAME, TARGET, two series, TOTAL.
    QCOMPARE(rows.model.columnCount(), 5);
    QCOMPARE(rows.model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("NAME"));
    QCOMPARE(rows.model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("TARGET"));
    QCOMPARE(rows.model.data(rows.model.index(0, 1)), QVariant(4));
    QCOMPARE(rows.text(0, 2), QStringLiteral("50 *0"));
    QCOMPARE(rows.text(0, 3), QString());
}

void TestSeries::seriesResult()
{
    SeriesRows rows;
    rows.add(1, 3, 105); // 3 x 10.5, all marked
    int sum = -5;
    int marked = -5;
    QVERIFY(!rows.model.seriesResultInt(9, sum, marked));
    QCOMPARE(sum, -5); // left as it was
    QCOMPARE(marked, -5);
    QVERIFY(rows.model.seriesResultInt(1, sum, marked));
    QCOMPARE(sum, 30);
    QCOMPARE(marked, 3);
    double tenths = 0.0;
    QVERIFY(rows.model.seriesResultTenths(1, tenths, marked));
    QCOMPARE(tenths, 31.5);
}

void TestSeries::changingSeries()
{
    SeriesRows rows;
    rows.add(1, 20, 90);
    QSignalSpy inserted(&rows.model, &QAbstractItemModel::columnsInserted);
    QSignalSpy removed(&rows.model, &QAbstractItemModel::columnsRemoved);
    rows.model.setSeries(6, 10);
    QCOMPARE(rows.model.columnCount(), kFullFirstSeriesColumn + 7);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 5); // after the one series column
    QCOMPARE(inserted.at(0).at(2).toInt(), 9);
    rows.model.setSeries(2, 10);
    QCOMPARE(rows.model.columnCount(), kFullFirstSeriesColumn + 3);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(rows.text(0, 6), QStringLiteral("180 *0"));
    // No series column at all (fewer match shots than one series): nothing to show, no crash.
    rows.model.setSeries(0, 10);
    QCOMPARE(rows.model.columnCount(), kFullFirstSeriesColumn + 1);
    QCOMPARE(rows.text(0, kFullFirstSeriesColumn), QString());
}

void TestSeries::rowsFollowTheList()
{
    SeriesRows rows;
    rows.add(1, 0, 90);
    rows.add(2, 0, 90);
    QCOMPARE(rows.model.rowCount(), 2);
    rows.model.removeAllRows();
    QCOMPARE(rows.model.rowCount(), 0);
    rows.model.removeAllRows(); // nothing left: nothing announced
    QCOMPARE(rows.model.rowCount(), 0);
    QVERIFY(!rows.model.index(0, 0).isValid());
}

QTEST_MAIN(TestSeries)
#include "tst_tseries.moc"
