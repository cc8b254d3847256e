#include "formcompetitiontotal.h"
#include "formeventtotal.h"
#include "resultsfixture.h"
#include "tseries.h"
#include "ttargettype.h"

#include <QtTest>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>

// The exercise and competition total pages: which table they show for which
// exercise or competition, their print frames, and that no table outlives
// the page's time on screen.
class TestTotalPages : public QObject
{
    Q_OBJECT

private slots:
    void eventTotal_data();
    void eventTotal();
    void eventTotalNextAndRelease();
    void competitionTotalRenewsAndReleases();
};

namespace {

QString classOf(const QAbstractItemModel *model)
{
    return model ? QString::fromLatin1(model->metaObject()->className()) : QString();
}

QStringList headerTitles(const QAbstractItemModel *model)
{
    QStringList titles;
    for (int c = 0; model && c < model->columnCount(); ++c)
        titles << model->headerData(c, Qt::Horizontal).toString().trimmed();
    return titles;
}

template <class T>
T *child(const QWidget &page, const char *name)
{
    T *widget = page.findChild<T *>(QLatin1String(name));
    if (!widget)
        qWarning("no %s on the page", name);
    return widget;
}

// A practice list of the three-position face with one participant.
std::unique_ptr<TBulletList> practiceList()
{
    auto list = std::make_unique<TBulletList>(targetTypeById(7), true, 560, 10.3);
    list->addPlace(1, 5, QStringLiteral("Shooter One"));
    return list;
}

} // namespace

void TestTotalPages::eventTotal_data()
{
    QTest::addColumn<int>("type");     // exercise type
    QTest::addColumn<int>("subType");
    QTest::addColumn<bool>("practice"); // a practice run: the page's own table
    QTest::addColumn<QString>("model"); // class shown; empty: none
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("print");

    QTest::newRow("one position") << 1 << 1 << false << "TSeries" << QStringList() << true;
    QTest::newRow("precision stage") << 2 << 1 << false << "TSeries" << QStringList() << false;
    QTest::newRow("rapid-fire stage") << 3 << 1 << false << "TSeries" << QStringList() << false;
    QTest::newRow("practice one position: series, no print")
        << 1 << 1 << true << "TSeries" << QStringList() << false;
    QTest::newRow("practice 3x40: compact three positions")
        << 6 << 2 << true << "TOTAL_DIFFICULT_ONE_MODEL"
        << QStringList{"NAME", "KNEELING", "PRONE", "STANDING", "TOTAL"} << false;
    QTest::newRow("practice three positions of an unknown sub-type")
        << 6 << 3 << true << "" << QStringList() << false;
}

void TestTotalPages::eventTotal()
{
    QFETCH(int, type);
    QFETCH(int, subType);
    QFETCH(bool, practice);
    QFETCH(QString, model);
    QFETCH(QStringList, titles);
    QFETCH(bool, print);

    // The list outlives the page, as the modules' lists outlive the pages.
    std::unique_ptr<TBulletList> list = practiceList();
    FormEventTotal page;
    auto *table = child<QTableView>(page, "tv_eventTotal");
    auto *frame = child<QFrame>(page, "framePrint");
    QVERIFY(table && frame);
    TEvent event(1, type, subType, 0, QStringLiteral("Name of type"), QStringLiteral("Тип"),
                 QStringLiteral("Name of sub-type"), QStringLiteral("Подтип"));
    if (!practice)
        page.setPrintVisible(type == 1); // as the main window does
    page.setEvent(&event, list.get(), practice);
    page.show();

    QCOMPARE(child<QLabel>(page, "l_eventType")->text(), QStringLiteral("Name of type"));
    QCOMPARE(classOf(table->model()), model);
    if (model == QLatin1String("TSeries"))
        QCOMPARE(table->model(), list->series());
    if (!titles.isEmpty()) {
        QCOMPARE(headerTitles(table->model()), titles);
        QAbstractItemModelTester tester(table->model());
    }
    QCOMPARE(frame->isVisible(), print);
    if (!model.isEmpty())
        QCOMPARE(table->horizontalHeader()->sectionResizeMode(0), QHeaderView::Stretch);
}

void TestTotalPages::eventTotalNextAndRelease()
{
    std::unique_ptr<TBulletList> list = practiceList();
    FormEventTotal page;
    auto *table = child<QTableView>(page, "tv_eventTotal");
    TEvent event(1, 6, 1, 0, QStringLiteral("DifficultOne"), QStringLiteral("Три"),
                 QStringLiteral("3x20"), QStringLiteral("3x20"));
    page.setEvent(&event, list.get(), true);
    QPointer<QAbstractItemModel> compact = table->model();
    QVERIFY(compact && compact != list->series());
    QCOMPARE(child<QLabel>(page, "l_eventType")->text(), QStringLiteral("3x20"));

    // Next empties the table before the main window moves on.
    QSignalSpy next(&page, &FormEventTotal::sig_Next);
    QSignalSpy print(&page, &FormEventTotal::sig_Print);
    QTest::mouseClick(child<QPushButton>(page, "pBNext"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);
    QVERIFY(!table->model() || table->model()->columnCount() == 0);
    QTest::mouseClick(child<QPushButton>(page, "pushButton"), Qt::LeftButton);
    QCOMPARE(print.count(), 1);

    // Once released, the page's own table is gone and the list may go too.
    page.setEvent(&event, list.get(), true);
    compact = table->model();
    page.releaseModel();
    QVERIFY(compact.isNull());
    list.reset();
    page.show();
    QVERIFY(!page.grab().isNull());

    // A null list shows an empty table.
    page.setEvent(&event, nullptr, false);
    QVERIFY(!table->model() || table->model()->rowCount() == 0);
}

void TestTotalPages::competitionTotalRenewsAndReleases()
{
    ResultsFixture fixture;
    QVERIFY(fixture.isValid());
    FormCompetitionTotal page(fixture.modul());
    auto *table = child<QTableView>(page, "tvTotal");
    page.show();
    QVERIFY(child<QLabel>(page, "l_c")->isVisible());
    // Without a competition the table stays empty.
    page.setCompetition();
    QVERIFY(!table->model() || table->model()->columnCount() == 0);
    QVERIFY(!child<QLabel>(page, "l_c")->isVisible());

    // Type 7 has no totals table, yet its report can be printed.
    QVERIFY(fixture.newCompetition(7) && fixture.enter({QStringLiteral("3:10*100")}));
    page.setCompetition();
    QVERIFY(!table->model() || table->model()->columnCount() == 0);
    QVERIFY(child<QFrame>(page, "f_print")->isVisible());
    QCOMPARE(child<QLabel>(page, "l_conpetitionName")->text(), QStringLiteral("Cup 7"));
    QCOMPARE(child<QLabel>(page, "l_conpetitionType")->text(), fixture.competition()->nameEng());

    QVERIFY(fixture.newCompetition(2) && fixture.enter({QStringLiteral("3:10*100")}));
    page.setCompetition();
    QPointer<QAbstractItemModel> first = table->model();
    QVERIFY(first);
    // The figures come fresh from the lists in a new table.
    QVERIFY(fixture.enter({QStringLiteral("4:10*104")}));
    page.setCompetition();
    QVERIFY(first.isNull());
    QCOMPARE(table->model()->rowCount(), 2);
    QCOMPARE(table->horizontalHeader()->sectionResizeMode(1), QHeaderView::Stretch);

    QSignalSpy next(&page, &FormCompetitionTotal::sig_Next);
    QSignalSpy print(&page, &FormCompetitionTotal::sig_Print);
    QTest::mouseClick(child<QPushButton>(page, "pBNext"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(page, "pushButton"), Qt::LeftButton);
    QCOMPARE(next.count(), 1);
    QCOMPARE(print.count(), 1);

    // Released, the table is gone before another competition replaces the
    // lists it read.
    QPointer<QAbstractItemModel> second = table->model();
    page.releaseModel();
    QVERIFY(second.isNull());
    fixture.modul()->closeCompetition();
    QVERIFY(!page.grab().isNull());
}

QTEST_MAIN(TestTotalPages)
#include "tst_totalpages.moc"
