#include "prepareprint.h"
#include "reportengine.h"
#include "resultsfixture.h"
#include "tprintdata.h"
#include "tquality.h"

#include <QtTest>

// The result report of a one-position exercise: whether there is one, which
// template it takes, and the row of each member place. The printed report is
// checked on the real window (tst_totalsprint).
class TestResultReport : public QObject
{
    Q_OBJECT

private slots:
    void templateChoice_data();
    void templateChoice();
    void missingPieces();
    void reportRows_data();
    void reportRows();
};

namespace {

const QString kReport40 = QStringLiteral(":/report/report/report_simple40.lrxml");
const QString kReport60 = QStringLiteral(":/report/report/report_simple60.lrxml");
const QString kDefaultReport = QStringLiteral(":/report/report/report1.lrxml");

QStringList rowOf(const TPrintData &printData, int row)
{
    QStringList cells;
    for (int c = 0; c < printData.columnCount(); ++c)
        cells << printData.cell(row, c);
    return cells;
}

} // namespace

void TestResultReport::templateChoice_data()
{
    QTest::addColumn<int>("type");        // competition type of the program's list
    QTest::addColumn<bool>("final");
    QTest::addColumn<int>("eventIndex");
    // "" the exercise as the list has it; else a copy of it whose
    // "MatchCount" is this ("-": none at all).
    QTest::addColumn<QString>("matchCount");
    QTest::addColumn<QString>("report"); // empty: no report
    QTest::addColumn<int>("columns");

    QTest::newRow("type 1: rifle, 60 shots") << 1 << false << 0 << "" << kReport60 << 13;
    QTest::newRow("type 2: rifle, 40 shots") << 2 << false << 0 << "" << kReport40 << 11;
    QTest::newRow("type 3: pistol, 60 shots") << 3 << false << 0 << "" << kReport60 << 13;
    QTest::newRow("final of 24 shots") << 2 << true << 1 << "" << QString() << 0;
    QTest::newRow("precision stage") << 8 << false << 0 << "" << QString() << 0;
    QTest::newRow("rapid-fire stage") << 8 << false << 1 << "" << QString() << 0;
    QTest::newRow("three positions") << 11 << false << 0 << "" << QString() << 0;
    for (const char *count : {"10", "20", "30", "45", "-"})
        QTest::addRow("one position, MatchCount %s", count)
            << 2 << false << 0 << count << QString() << 0;
    QTest::newRow("one position, MatchCount 40 of its own") << 4 << false << 0 << "40"
                                                            << kReport40 << 11;
}

void TestResultReport::templateChoice()
{
    QFETCH(int, type);
    QFETCH(bool, final);
    QFETCH(int, eventIndex);
    QFETCH(QString, matchCount);
    QFETCH(QString, report);
    QFETCH(int, columns);

    ResultsFixture fixture(ResultsFixture::RangeLists);
    QVERIFY(fixture.isValid());
    QVERIFY(fixture.modul()->newCompetition(ResultsData::kRussia, type, final,
                                            QStringLiteral("Cup")));
    QVERIFY(fixture.enter({QStringLiteral("7:")}));
    TEvent *event = fixture.event(eventIndex);
    QVERIFY(event && fixture.list(eventIndex));
    std::unique_ptr<TEvent> copy;
    if (!matchCount.isEmpty()) {
        copy = std::make_unique<TEvent>(event->id(), event->typeXMLID(), event->subType(),
                                        event->weapon(), event->nameEng(), event->nameRus(),
                                        event->subNameEng(), event->subNameRus());
        if (matchCount != QLatin1String("-"))
            copy->insertParam(QStringLiteral("MatchCount"), matchCount);
        event = copy.get();
    }

    TPrintData printData(1);
    printData.addRow({QStringLiteral("before")});
    QCOMPARE(preparePrint(&printData, fixture.modul(), event, 0), !report.isEmpty());
    if (report.isEmpty()) {
        // Nothing of the print module changed.
        QCOMPARE(printData.reportFile(), kDefaultReport);
        QCOMPARE(printData.rowCount(), 1);
        QCOMPARE(printData.columnCount(), 1);
        return;
    }
    QCOMPARE(printData.reportFile(), report);
    QCOMPARE(printData.columnCount(), columns);
    QCOMPARE(printData.rowCount(), 1);
    QCOMPARE(printData.cell(0, 5), QStringLiteral("7"));
    Report::DataManager *data = printData.engine()->dataManager();
    QCOMPARE(data->variable(QStringLiteral("CompetitionName")).toString(), QStringLiteral("Cup"));
    QCOMPARE(data->variable(QStringLiteral("CompetitionType")).toString(), event->nameRus());
    QCOMPARE(data->variable(QStringLiteral("CompetitionDate")).toString(),
             fixture.competition()->startDate().toString(QStringLiteral("dd.MM.yyyy")));
}

void TestResultReport::missingPieces()
{
    ResultsFixture fixture(ResultsFixture::RangeLists);
    QVERIFY(fixture.isValid() && fixture.newCompetition(2));
    TEvent *event = fixture.event(0);
    TPrintData printData(1);
    QVERIFY(preparePrint(&printData, fixture.modul(), event, 0));
    QVERIFY(!preparePrint(nullptr, fixture.modul(), event, 0));
    QVERIFY(!preparePrint(&printData, nullptr, event, 0));
    QVERIFY(!preparePrint(&printData, fixture.modul(), nullptr, 0));
    // An exercise the module holds no shot list for.
    TEvent stranger(event->id() + 1000, 1, 2, 0, event->nameEng(), event->nameRus(),
                    event->subNameEng(), event->subNameRus());
    stranger.insertParam(QStringLiteral("MatchCount"), QStringLiteral("40"));
    QVERIFY(!preparePrint(&printData, fixture.modul(), &stranger, 0));
    QVERIFY(!fillPrintRows(&printData, nullptr, fixture.modul(), 4));
    QVERIFY(!fillPrintRows(nullptr, fixture.list(0), fixture.modul(), 4));
    // An exercise without places still has its (empty) report.
    QVERIFY(fillPrintRows(&printData, fixture.list(0), fixture.modul(), 4));
    fixture.modul()->closeCompetition();
    QVERIFY(!preparePrint(&printData, fixture.modul(), event, 0));
}

void TestResultReport::reportRows_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("rows"); // cells joined by "|"

    // Shots of 10.4 mark on both faces (ControlValue 10.2 rifle, 10.4
    // pistol); the pistol counts whole points, so 10.4 is worth 10.
    QTest::newRow("rifle, 40 shots in tenths") << 2 << QStringList{
        "1|Family1|Name1|1990|MS|11|104.0 *10|104.0 *10|104.0 *10|95.0 *0|407.0 *30",
        "2|Family2|Name2|1990|MS|12|100.0 *0|100.0 *0|100.0 *0|0|350.0 *0",
        "3|Family4|Name4|1985||14|0|0|0|0|9.0 *0",
        "4|Family3|Name3|1990|MS|13|0|0|0|0|5.0 *0",
        "5|||||15|0|0|0|0|0.0 *0"};
    QTest::newRow("pistol, 40 shots in whole points") << 4 << QStringList{
        "1|Family1|Name1|1990|MS|11|100 *10|100 *10|100 *10|90 *0|390 *30",
        "2|Family2|Name2|1990|MS|12|100 *0|100 *0|100 *0|0|350 *0",
        "3|Family4|Name4|1985||14|0|0|0|0|9 *0",
        "4|Family3|Name3|1990|MS|13|0|0|0|0|5 *0",
        "5|||||15|0|0|0|0|0 *0"};
}

void TestResultReport::reportRows()
{
    QFETCH(int, type);
    QFETCH(QStringList, rows);

    ResultsFixture fixture(ResultsFixture::RangeLists);
    QVERIFY(fixture.isValid() && fixture.newCompetition(type));
    // 40 shots; 35 shots; one shot; and a shooter of no known qualification.
    QVERIFY(fixture.enter({QStringLiteral("11:30*104 10*95"), QStringLiteral("12:35*100"),
                           QStringLiteral("13:50")}));
    TUserModul *modul = fixture.modul();
    const int shooter = modul->addShooter(QStringLiteral("Name4"), QStringLiteral("Family4"),
                                          QDate(1985, 6, 1), 0, ResultsData::kRussia,
                                          fixture.teamId(), 0);
    QVERIFY(modul->addMember(modul->shooters()->shooterByID(shooter), 14));
    const int fourth = modul->members()->memberByShooterID(shooter)->memberID();
    QVERIFY(fixture.shoot(fixture.list(0), fourth, {90}));
    // The place of a member no longer in the competition.
    fixture.list(0)->addPlace(fourth + 1000, 115, QStringLiteral("Gone"), 15, QImage(),
                              QString(), QString(), QString());

    TPrintData printData(1);
    QVERIFY(preparePrint(&printData, modul, fixture.event(0), 2));
    QCOMPARE(printData.rowCount(), rows.size());
    for (int r = 0; r < rows.size(); ++r)
        QCOMPARE(rowOf(printData, r).join(QLatin1Char('|')), rows.at(r));
    QCOMPARE(printData.engine()->dataManager()->variable(QStringLiteral("Realy")).toString(),
             QStringLiteral("Смена 2"));
}

QTEST_MAIN(TestResultReport)
#include "tst_resultreport.moc"
