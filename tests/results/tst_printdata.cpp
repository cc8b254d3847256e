#include "pdftext.h"
#include "reportengine.h"
#include "testdatadir.h"
#include "tprintdata.h"

#include <QtTest>
#include <QImage>
#include <QPainter>

// The print module: what its data sources answer the engine, its report
// variables, and what a print does when the template or the output fails.
class TestPrintData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dataSourceAnswers_data();
    void dataSourceAnswers();
    void reportVariables();
    void twoReportsInARow();
    void printFailures();
};

namespace {

const QString kUntouched = QStringLiteral("untouched");
const QString kEmpty = QStringLiteral("<empty>");

QString answerText(const QVariant &answer)
{
    if (answer.userType() == QMetaType::QImage) {
        const QImage image = answer.value<QImage>();
        return QStringLiteral("image %1x%2").arg(image.width()).arg(image.height());
    }
    const QString text = answer.toString();
    return text.isEmpty() ? kEmpty : text;
}

// A template of one data band over "list1", three fields a row.
const QByteArray kRowsTemplate = R"(<report><page orientation="portrait" margin="50">
  <band kind="data" source="list1" height="80">
    <text width="400">$D{list1.Value1}</text><text width="400">$D{list1.Value2}</text>
    <text width="400">$D{list1.Value3}</text>
  </band></page></report>)";

} // namespace

void TestPrintData::initTestCase()
{
    Report::Engine::setSystemPrintersEnabled(false);
}

void TestPrintData::dataSourceAnswers_data()
{
    QTest::addColumn<int>("rows");    // row r holds "r<r>c<c>" for c below cells
    QTest::addColumn<int>("cells");
    QTest::addColumn<int>("columns"); // the module's column count
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("picture");
    // Requests and moves in order: First, Next, IsEmpty, HasNext, RowCount,
    // ColumnCount, "Header <index>", "Data <index> <column>", "Kind <n>".
    QTest::addColumn<QString>("script");
    // One answer per step; "untouched": the receiver left the answer as it came.
    QTest::addColumn<QString>("expected");

    const QString list = QStringLiteral("list1");
    const QString pixmap = QStringLiteral("Pixmap1");
    QTest::newRow("no rows: empty, nothing to move to")
        << 0 << 0 << 1 << list << false << "IsEmpty;RowCount;HasNext;First;HasNext"
        << "true;0;false;untouched;false";
    // First answers true; Next to 1, 2 and 3; the move after that resets
    // the cursor to 0 without answering, so HasNext holds again.
    QTest::newRow("three rows: First, Next to the end and once more")
        << 3 << 3 << 3 << list << false << "IsEmpty;First;Next;Next;Next;Next;HasNext;RowCount"
        << "false;true;true;true;false;untouched;true;3";
    QTest::newRow("Next moves through the rows the data is read from")
        << 3 << 3 << 3 << list << false << "First;Data 0 Value1;Next;Data 1 Value3;Next;HasNext"
        << "true;r0c0;true;r1c2;true;true";
    QTest::newRow("field beyond the column count is no field")
        << 1 << 11 << 11 << list << false << "Data 0 Value12;Data 0 Value11;ColumnCount"
        << "untouched;r0c10;11";
    QTest::newRow("row index beyond the rows reads empty")
        << 1 << 11 << 11 << list << false << "Data 5 Value2" << kEmpty;
    QTest::newRow("row shorter than the column count reads empty")
        << 1 << 2 << 5 << list << false << "Data 0 Value2;Data 0 Value4" << "r0c1;" + kEmpty;
    QTest::newRow("field names are exact, case and all")
        << 1 << 3 << 3 << list << false << "Data 0 value2;Data 0 Value02;Data 0 Value2"
        << "untouched;untouched;r0c1";
    QTest::newRow("header names count from Value1 at index 0")
        << 0 << 0 << 11 << list << false << "Header 0;Header 10;Header 11;Header -1"
        << "Value1;Value11;untouched;untouched";
    QTest::newRow("a request of no known kind is not answered")
        << 2 << 1 << 1 << list << false << "Kind 6;Kind -1" << "untouched;untouched";
    QTest::newRow("Pixmap1 without a picture")
        << 0 << 0 << 1 << pixmap << false
        << "IsEmpty;HasNext;RowCount;ColumnCount;Header 3;Data 0 Picture"
        << "false;false;1;1;Picture;untouched";
    QTest::newRow("Pixmap1 answers its picture for any field or index")
        << 0 << 0 << 1 << pixmap << true << "Data 7 anything;Data 0 Picture"
        << "image 4x3;image 4x3";
}

void TestPrintData::dataSourceAnswers()
{
    QFETCH(int, rows);
    QFETCH(int, cells);
    QFETCH(int, columns);
    QFETCH(QString, source);
    QFETCH(bool, picture);
    QFETCH(QString, script);
    QFETCH(QString, expected);

    TPrintData printData(1);
    printData.setReport(QStringLiteral(":/report/report/report_simple40.lrxml"), columns);
    for (int r = 0; r < rows; ++r) {
        QStringList row;
        for (int c = 0; c < cells; ++c)
            row << QStringLiteral("r%1c%2").arg(r).arg(c);
        printData.addRow(row);
    }
    if (picture) {
        QPixmap pixmap(4, 3);
        pixmap.fill(Qt::red);
        printData.composePicture(pixmap);
    }

    const QStringList steps = script.split(QLatin1Char(';'));
    const QStringList answers = expected.split(QLatin1Char(';'));
    QCOMPARE(answers.size(), steps.size());
    for (int i = 0; i < steps.size(); ++i) {
        const QStringList words = steps.at(i).split(QLatin1Char(' '));
        const QString &step = words.first();
        QString answer;
        if (step == QLatin1String("First") || step == QLatin1String("Next")) {
            // Starts opposite to the expected answer, so silence shows; an
            // untouched answer starts true, where a computed one is false.
            bool result = answers.at(i) == kUntouched || answers.at(i) == QLatin1String("false");
            const bool before = result;
            printData.slotChangePos1(step == QLatin1String("First") ? Report::Move::First
                                                                   : Report::Move::Next,
                                     result);
            answer = answers.at(i) == kUntouched && result == before
                         ? kUntouched
                         : QVariant(result).toString();
        } else {
            Report::Request request;
            if (step == QLatin1String("IsEmpty"))
                request.kind = Report::RequestKind::IsEmpty;
            else if (step == QLatin1String("HasNext"))
                request.kind = Report::RequestKind::HasNext;
            else if (step == QLatin1String("RowCount"))
                request.kind = Report::RequestKind::RowCount;
            else if (step == QLatin1String("ColumnCount"))
                request.kind = Report::RequestKind::ColumnCount;
            else if (step == QLatin1String("Header"))
                request.kind = Report::RequestKind::ColumnHeaderData;
            else if (step == QLatin1String("Data"))
                request.kind = Report::RequestKind::ColumnData;
            else
                request.kind = static_cast<Report::RequestKind>(words.value(1).toInt());
            if (step != QLatin1String("Kind"))
                request.index = words.value(1).toInt();
            request.columnName = words.value(2);
            QVariant data = kUntouched;
            if (source == QLatin1String("list1"))
                printData.slotGetCallbackData1(request, data);
            else
                printData.slotGetCallbackDataPixmap1(request, data);
            answer = answerText(data);
        }
        QVERIFY2(answer == answers.at(i),
                 qPrintable(QStringLiteral("step %1 (%2): %3").arg(i).arg(steps.at(i), answer)));
    }
}

void TestPrintData::reportVariables()
{
    TPrintData printData(1);
    QCOMPARE(printData.reportFile(), QStringLiteral(":/report/report/report1.lrxml"));
    Report::DataManager *data = printData.engine()->dataManager();
    // After the reset the date is the date value of today, the relay empty.
    QCOMPARE(data->variable(QStringLiteral("CompetitionDate")), QVariant(QDate::currentDate()));
    QCOMPARE(data->variable(QStringLiteral("Realy")), QVariant(QString()));
    QCOMPARE(data->variable(QStringLiteral("CompetitionName")), QVariant(QString()));

    printData.setRelay(3);
    QCOMPARE(data->variable(QStringLiteral("Realy")).toString(), QStringLiteral("Смена 3"));
    printData.setRelay(0);
    QCOMPARE(data->variable(QStringLiteral("Realy")).toString(), QString());
    printData.setCompetitionDate(QDate(2020, 3, 5));
    QCOMPARE(data->variable(QStringLiteral("CompetitionDate")), QVariant(QStringLiteral("05.03.2020")));
    printData.setCompetitionName(QStringLiteral("Cup"));
    printData.setCompetitionType(QStringLiteral("Rifle"));
    printData.addRow({QStringLiteral("a")});

    // A new report: a new engine with the variables reset, no rows left.
    const Report::Engine *before = printData.engine();
    printData.setReport(QStringLiteral(":/report/report/report_simple60.lrxml"), 13);
    QVERIFY(printData.engine() != before);
    data = printData.engine()->dataManager();
    QCOMPARE(data->variable(QStringLiteral("CompetitionName")), QVariant(QString()));
    QCOMPARE(data->variable(QStringLiteral("CompetitionType")), QVariant(QString()));
    QCOMPARE(data->variable(QStringLiteral("CompetitionDate")), QVariant(QDate::currentDate()));
    QCOMPARE(printData.rowCount(), 0);
    QCOMPARE(printData.columnCount(), 13);
    QVERIFY(data->source(QStringLiteral("list1")) && data->source(QStringLiteral("Pixmap1")));
}

void TestPrintData::twoReportsInARow()
{
    TestDataDir dir;
    QVERIFY(dir.isValid() && dir.writeFile(QStringLiteral("rows.xml"), kRowsTemplate));
    TPrintData printData(1);
    printData.setReport(dir.filePath(QStringLiteral("rows.xml")), 3);
    printData.setCompetitionName(QStringLiteral("First cup"));
    printData.addRow({QStringLiteral("alpha"), QStringLiteral("one"), QStringLiteral("two")});
    printData.addRow({QStringLiteral("beta")});
    QVERIFY(printData.print());
    const QString first = printData.pdfFile();
    QVERIFY(first.startsWith(dir.filePath(QStringLiteral("ServerDatas/Reports/"))));
    QVERIFY(first.endsWith(QLatin1String("_First cup.pdf")));

    printData.setReport(dir.filePath(QStringLiteral("rows.xml")), 3);
    printData.setCompetitionName(QStringLiteral("Second: cup"));
    printData.addRow({QStringLiteral("gamma")});
    QVERIFY(printData.print());
    const QString second = printData.pdfFile();
    // A colon has no place in a file name on every system.
    QVERIFY(second.endsWith(QLatin1String("_Second_ cup.pdf")));

    QCOMPARE(simplifiedLines(pdfPages(first).value(0)),
             QStringList({QStringLiteral("alpha one two"), QStringLiteral("beta")}));
    QCOMPARE(simplifiedLines(pdfPages(second).value(0)), QStringList({QStringLiteral("gamma")}));
}

void TestPrintData::printFailures()
{
    TestDataDir dir;
    QVERIFY(dir.isValid() && dir.writeFile(QStringLiteral("rows.xml"), kRowsTemplate)
            && dir.writeFile(QStringLiteral("broken.xml"), "<report><page>"));
    TPrintData printData(1);

    printData.setReport(dir.filePath(QStringLiteral("missing.xml")), 3);
    QVERIFY(!printData.print());
    QCOMPARE(printData.lastFailure(), TPrintData::TemplateFailed);
    printData.setReport(dir.filePath(QStringLiteral("broken.xml")), 3);
    QVERIFY(!printData.print());
    QCOMPARE(printData.lastFailure(), TPrintData::TemplateFailed);

    // No printer and the reports folder cannot be made: a file has its name.
    QVERIFY(dir.writeFile(QStringLiteral("ServerDatas/Reports"), "not a folder"));
    printData.setReport(dir.filePath(QStringLiteral("rows.xml")), 3);
    printData.addRow({QStringLiteral("alpha")});
    QVERIFY(!printData.print());
    QCOMPARE(printData.lastFailure(), TPrintData::FileFailed);
    QVERIFY(printData.pdfFile().startsWith(dir.filePath(QStringLiteral("ServerDatas/Reports/"))));
    QVERIFY(!QFile::exists(printData.pdfFile()));

    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("ServerDatas/Reports"))));
    QVERIFY(printData.print());
    QCOMPARE(printData.lastFailure(), TPrintData::NoFailure);
    QVERIFY(QFileInfo(printData.pdfFile()).size() > 0);
}

QTEST_MAIN(TestPrintData)
#include "tst_printdata.moc"
