#include "pdftext.h"
#include "reportengine.h"
#include "reportlayout.h"
#include "testdatadir.h"

#include <QtTest>

// The report engine on templates of its own: how it fills texts, runs a data
// band over sheets, numbers the sheets, and asks its sources.
class TestReportEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dataBandRunsOverSheets();
    void silentSourceEndsItsBand();
    void templateErrors();
};

namespace {

// A4 portrait with 10 mm bands: 25 rows fit below the 20 mm header on the
// first sheet, 27 on the next, above the 10 mm footer. Fields a source does not list print empty, as do unset variables.
const QByteArray kListTemplate = R"(<?xml version="1.0" encoding="UTF-8"?>
<report>
  <page orientation="portrait" margin="50">
    <band kind="pageFooter" height="100">
      <text x="0" y="0" width="2000" height="100">Лист $V{#PAGE} из $V{#PAGE_COUNT}</text>
    </band>
    <band kind="reportHeader" height="200">
      <text x="0" y="0" width="2000" height="100" align="left">Title $V{Name}[$V{Unset}]</text>
      <text x="0" y="100" width="300" height="100" frame="1">alpha beta gamma delta epsilon</text>
    </band>
    <band kind="data" source="rows" height="100">
      <text width="300" frame="1">row $D{rows.Value1}</text>
      <text width="600" frame="1">$D{rows.Value2}</text>
      <text width="300" frame="1">[$D{rows.Unknown}][$D{none.Value1}]</text>
    </band>
  </page>
</report>
)";

// A row of the result report: the place, and the name cell with the
// surname over the first name (12 mm for two lines of 12 points).
const QByteArray kNameRowTemplate = R"(<?xml version="1.0" encoding="UTF-8"?>
<report>
  <page orientation="landscape" margin="50">
    <band kind="data" source="rows" height="120">
      <text width="110" size="12" frame="1">$D{rows.Value1}</text>
      <text width="600" size="12" align="left top" frame="1">$D{rows.Value2}</text>
    </band>
  </page>
</report>
)";

// Answers like a table of `rows` records with the fields Value1 and Value2
// (the first record's Value2 firstValue2 when set), and records the state
// of every answer as it arrives.
class TableSource : public QObject
{
public:
    TableSource(Report::CallbackSource *source, int rows) : m_rows(rows)
    {
        connect(source, &Report::CallbackSource::sig_dataRequested, this,
                [this](const Report::Request &request, QVariant &answer) {
                    answersReset = answersReset && !answer.isValid();
                    ++requests;
                    switch (request.kind) {
                    case Report::RequestKind::IsEmpty:
                        answer = m_rows == 0;
                        break;
                    case Report::RequestKind::HasNext:
                        answer = m_cursor < m_rows;
                        break;
                    case Report::RequestKind::ColumnCount:
                        answer = 2;
                        break;
                    case Report::RequestKind::ColumnHeaderData:
                        answer = QStringLiteral("Value%1").arg(request.index + 1);
                        break;
                    case Report::RequestKind::ColumnData:
                        if (request.columnName == QLatin1String("Value1"))
                            answer = request.index + 1;
                        else if (request.columnName == QLatin1String("Value2"))
                            answer = request.index == 0 && !firstValue2.isEmpty()
                                ? firstValue2
                                : QStringLiteral("record-%1").arg(request.index + 1);
                        else
                            unknownAsked = true;
                        break;
                    case Report::RequestKind::RowCount:
                        answer = m_rows;
                        break;
                    }
                });
        connect(source, &Report::CallbackSource::sig_moveRequested, this,
                [this](Report::Move move, bool &answer) {
                    answersReset = answersReset && !answer;
                    m_cursor = move == Report::Move::First ? 0 : m_cursor + 1;
                    answer = m_cursor < m_rows;
                });
    }

    QString firstValue2;
    bool answersReset = true;
    bool unknownAsked = false;
    int requests = 0;

private:
    int m_rows = 0;
    int m_cursor = 0;
};

} // namespace

void TestReportEngine::initTestCase()
{
    Report::Engine::setSystemPrintersEnabled(false);
}

void TestReportEngine::dataBandRunsOverSheets()
{
    TestDataDir dir;
    QVERIFY(dir.isValid() && dir.writeFile(QStringLiteral("list.xml"), kListTemplate));
    Report::Engine engine;
    // Variables and sources come before the template and stay with it.
    engine.dataManager()->setReportVariable(QStringLiteral("Name"), QStringLiteral("Cup"));
    TableSource rows(engine.dataManager()->createCallbackSource(QStringLiteral("rows")), 60);
    QVERIFY(engine.loadFromFile(dir.filePath(QStringLiteral("list.xml"))));
    const QString pdf = dir.filePath(QStringLiteral("out/list.pdf"));
    QVERIFY(engine.printToPdf(pdf));
    QCOMPARE(engine.pageCount(), 3);
    QVERIFY(rows.answersReset);
    QVERIFY(!rows.unknownAsked);

    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 3);
    QStringList records;
    for (int page = 0; page < pages.size(); ++page) {
        const QStringList lines = simplifiedLines(pages.at(page));
        QCOMPARE(lines.last(), QStringLiteral("Лист %1 из 3").arg(page + 1));
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("row ")))
                records << line;
        }
        if (page == 0) {
            QCOMPARE(lines.at(0), QStringLiteral("Title Cup[]"));
            // Wider than its 30 mm cell, the text wraps inside it.
            QVERIFY(lines.at(1).startsWith(QLatin1String("alpha")));
            QVERIFY(!lines.at(1).contains(QLatin1String("delta")));
            QVERIFY(lines.at(2).contains(QLatin1String("delta"))
                    || lines.at(3).contains(QLatin1String("delta")));
        }
    }
    QCOMPARE(records.size(), 60);
    for (int i = 0; i < records.size(); ++i)
        QCOMPARE(records.at(i), QStringLiteral("row %1 record-%1 [][]").arg(i + 1));
    QVERIFY(simplifiedLines(pages.at(1)).first().startsWith(QLatin1String("row 26 ")));
    QVERIFY(simplifiedLines(pages.at(2)).first().startsWith(QLatin1String("row 53 ")));

    // A surname that wraps in the name cell: the row grows to hold it and
    // the first name under it whole, and the next row starts below it.
    QVERIFY(dir.writeFile(QStringLiteral("names.xml"), kNameRowTemplate));
    Report::Template names;
    QString error;
    QVERIFY2(Report::readTemplate(dir.filePath(QStringLiteral("names.xml")), &names, &error),
             qPrintable(error));
    const QString surname = QStringLiteral("Александровский-Преображенский");
    rows.firstValue2 = surname + QStringLiteral("\nКонстантин");
    const QList<Report::Sheet> sheets = Report::layoutReport(names, engine.dataManager());
    QVERIFY(!sheets.isEmpty() && sheets.first().items.size() >= 4);
    const QList<Report::PlacedItem> &items = sheets.first().items;
    const QRect name = items.at(1).item.rect;
    QCOMPARE(items.at(1).item.text, rows.firstValue2);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qRound(12 * 2540 / 72.0)); // 12 points in hundredths of a millimetre
    const QFontMetricsF metrics(font);
    QVERIFY(metrics.horizontalAdvance(surname) > (name.width() - 16) * 10); // wider than the cell
    QVERIFY2(name.height() * 10 >= 3 * metrics.height(), qPrintable(QString::number(name.height())));
    QCOMPARE(items.at(0).item.rect.height(), name.height());
    QCOMPARE(items.at(2).item.rect.y(), name.y() + name.height());
}

void TestReportEngine::silentSourceEndsItsBand()
{
    TestDataDir dir;
    QVERIFY(dir.isValid() && dir.writeFile(QStringLiteral("list.xml"), kListTemplate));
    Report::Engine engine;
    QVERIFY(engine.loadFromFile(dir.filePath(QStringLiteral("list.xml"))));
    // A source nobody answers: it is not empty, has no row count, and its
    // moves stay unanswered; the band must end at once.
    Report::CallbackSource *silent = engine.dataManager()->createCallbackSource(QStringLiteral("Rows"));
    int moves = 0;
    connect(silent, &Report::CallbackSource::sig_moveRequested, this,
            [&moves](Report::Move, bool &) { ++moves; });
    const QString pdf = dir.filePath(QStringLiteral("silent.pdf"));
    QVERIFY(engine.printToPdf(pdf));
    QCOMPARE(engine.pageCount(), 1);
    QCOMPARE(moves, 1);
    const QStringList lines = simplifiedLines(pdfPages(pdf).value(0));
    QCOMPARE(lines.first(), QStringLiteral("Title []"));
    QVERIFY(std::none_of(lines.cbegin(), lines.cend(),
                         [](const QString &line) { return line.startsWith(QLatin1String("row")); }));

    // The same source answering again prints its rows; a new source of the
    // same name replaces the old one.
    TableSource rows(engine.dataManager()->createCallbackSource(QStringLiteral("rows")), 2);
    QVERIFY(engine.printToPdf(pdf));
    QVERIFY(simplifiedLines(pdfPages(pdf).value(0)).contains(QStringLiteral("row 2 record-2 [][]")));
    QCOMPARE(moves, 1);
}

void TestReportEngine::templateErrors()
{
    TestDataDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(dir.writeFile(QStringLiteral("notxml.xml"), "Title"));
    QVERIFY(dir.writeFile(QStringLiteral("other.xml"), "<html><page/></html>"));
    QVERIFY(dir.writeFile(QStringLiteral("nopage.xml"), "<report></report>"));
    QVERIFY(dir.writeFile(QStringLiteral("cut.xml"), kListTemplate.left(300)));
    QVERIFY(dir.writeFile(QStringLiteral("list.xml"), kListTemplate));

    Report::Engine engine;
    QVERIFY(engine.loadFromFile(dir.filePath(QStringLiteral("list.xml"))));
    for (const QString &name : {QStringLiteral("missing.xml"), QStringLiteral("notxml.xml"),
                                QStringLiteral("other.xml"), QStringLiteral("nopage.xml"),
                                QStringLiteral("cut.xml")}) {
        QVERIFY2(!engine.loadFromFile(dir.filePath(name)), qPrintable(name));
        QVERIFY2(!engine.loadError().isEmpty(), qPrintable(name));
        // A failed load leaves no template behind, not even the one before.
        QVERIFY2(!engine.printToPdf(dir.filePath(QStringLiteral("x.pdf"))), qPrintable(name));
        QVERIFY(!engine.printReport());
    }
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.pdf"))));
    // The result templates are in the resources.
    for (const QString &name : {QStringLiteral("report1"), QStringLiteral("report_simple40"),
                                QStringLiteral("report_simple60")})
        QVERIFY(engine.loadFromFile(QStringLiteral(":/report/report/%1.lrxml").arg(name)));
}

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
