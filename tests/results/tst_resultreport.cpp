#include "memberplaces.h"
#include "pdftext.h"
#include "prepareprint.h"
#include "reportengine.h"
#include "resultsfixture.h"
#include "tprintdata.h"
#include "tquality.h"

#include <QtTest>

// The result report of a one-position exercise: whether there is one, which
// template it takes, the row of each member place, and the printed PDF of a
// stored competition.
class TestResultReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void templateChoice_data();
    void templateChoice();
    void missingPieces();
    void reportRows_data();
    void reportRows();
    void printedReport_data();
    void printedReport();
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

void TestResultReport::initTestCase()
{
    Report::Engine::setSystemPrintersEnabled(false);
}

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

void TestResultReport::printedReport_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("members");
    QTest::addColumn<bool>("full");
    QTest::addColumn<int>("pages");

    // Full: member n shoots every series at 10.0 but for one shot worth n.
    // Else member n shoots n shots of 10.0. Either way the members rank in
    // reverse order of joining. A landscape sheet holds 14 rows below the
    // header, the next 16.
    QTest::newRow("60 shots, three members") << 1 << 3 << true << 1;
    QTest::newRow("40 shots, twenty members over two sheets") << 2 << 20 << false << 2;
}

void TestResultReport::printedReport()
{
    QFETCH(int, type);
    QFETCH(int, members);
    QFETCH(bool, full);
    QFETCH(int, pages);

    ResultsFixture fixture(ResultsFixture::RangeLists);
    QVERIFY(fixture.isValid() && fixture.newCompetition(type));
    const int series = type == 1 ? 6 : 4;
    QStringList entries;
    for (int n = 1; n <= members; ++n) {
        entries << (full ? QStringLiteral("%1:%2*100 %3").arg(10 + n).arg(series * 10 - 1).arg(n * 10)
                         : QStringLiteral("%1:%2*100").arg(10 + n).arg(n));
    }
    QVERIFY(fixture.enter(entries));

    // The stored competition as a later session opens it.
    const int competitionID = fixture.competition()->id();
    fixture.modul()->closeCompetition();
    fixture.modul()->openCompetition(competitionID, true);
    QVERIFY(fixture.competition() && fixture.list(0));
    // Every member gets a place as the totals pages have the list.
    placeAllMembers(fixture.modul(), fixture.list(0));

    TPrintData printData(1);
    QVERIFY(preparePrint(&printData, fixture.modul(), fixture.event(0), 0));
    QVERIFY(printData.print());
    QVERIFY(printData.pdfFile().contains(QLatin1String("/ServerDatas/Reports/")));
    const QStringList text = pdfPages(printData.pdfFile());
    QCOMPARE(text.size(), pages);

    const QStringList first = simplifiedLines(text.first());
    QCOMPARE(first.at(0), QStringLiteral("Чемпионат Cup %1").arg(type));
    QCOMPARE(first.at(1), QStringLiteral("По стрельбе из пневматического оружия ")
                              + fixture.event(0)->nameRus());
    QCOMPARE(first.at(2), fixture.competition()->startDate().toString(QStringLiteral("dd.MM.yyyy")));

    // pdftotext puts the family name, at the top of its cell, on a line of
    // its own; the first name shares the line of the centred cells: rank,
    // year, qualification, start number, the series and the total.
    const QStringList lines = simplifiedLines(text.join(QLatin1Char('\n')));
    int from = 0;
    for (int rank = 1; rank <= members; ++rank) {
        const int n = members + 1 - rank;
        QStringList cells{QString::number(rank), QStringLiteral("Name%1").arg(n),
                          QStringLiteral("1990"), QStringLiteral("MS"), QString::number(10 + n)};
        for (int k = 1; k <= series; ++k) {
            if (full)
                cells << (k < series ? QStringLiteral("100.0 *0") : QStringLiteral("%1.0 *0").arg(90 + n));
            else
                cells << (n >= 10 * k ? QStringLiteral("100.0 *0") : QStringLiteral("0"));
        }
        cells << QStringLiteral("%1.0 *0").arg(full ? series * 100 - 10 + n : 10 * n);
        const QString line = cells.join(QLatin1Char(' '));
        const int at = lines.indexOf(line, from);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("rank %1: %2").arg(rank).arg(line)));
        QCOMPARE(lines.value(at - 1), QStringLiteral("Family%1").arg(n));
        from = at;
        if (rank == 15)
            QVERIFY(simplifiedLines(text.value(1)).contains(line));
    }
    // Over all relays the relay line stays empty.
    QVERIFY(!text.first().contains(QStringLiteral("Смена")));
}

QTEST_MAIN(TestResultReport)
#include "tst_resultreport.moc"
