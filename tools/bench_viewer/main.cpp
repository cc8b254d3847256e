// The results viewer opening a stored competition of 100 members with four
// exercises of 60 shots each:
//   1. from the click on the competition in the list until the page has
//      painted its header and standings (the viewer module loads all four
//      exercises in between);
//   2. the exercise tab shown (series and shot tables with their pictures),
//      another series chosen, another exercise chosen, the relay tab shown.
// The page runs with the program's style sheet and pictures, on a database of
// its own in a temporary run folder.
//
//   range_bench_viewer [runs, default 15] [picture folder]
//
// With a picture folder it saves the three tabs of the last run as PNG files
// (run under xvfb-run -a for the real window system).
#include <QApplication>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QtTest>

#include <functional>
#include <vector>

#include "appstyle.h"
#include "benchcompetition.h"
#include "benchreport.h"
#include "formview.h"
#include "testdatadir.h"
#include "tviewmodul.h"

namespace {

using BenchReport::report;
using BenchReport::Spread;
using BenchReport::spreadOf;

constexpr int kEvents = 4;

// Type 1 with four one-position exercises of 60 shots in tenths.
const QByteArray kCompetitionTypes = R"(<?xml version="1.0" encoding="UTF-8"?>
<CompetititonList>
  <CompetitionType ID="1" NameEng="Bench 4x60" NameRus="Bench 4x60" weapon="0">
    <Event Final="0" Num="1" TypeID="1" SubType="1"/>
    <Event Final="0" Num="2" TypeID="1" SubType="1"/>
    <Event Final="0" Num="3" TypeID="1" SubType="1"/>
    <Event Final="0" Num="4" TypeID="1" SubType="1"/>
  </CompetitionType>
</CompetititonList>
)";

// Counts the paints of a widget, to know that a step reached the screen.
class PaintCount : public QObject
{
public:
    explicit PaintCount(QWidget *widget) { widget->installEventFilter(this); }
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        Q_UNUSED(watched)
        if (event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    int m_count = 0;
};

// Runs the step, then the posted layout and paint events, as the event loop
// does before it waits again; the time in nanoseconds, or -1 when the
// watched widget was not painted.
qint64 timeUntilPainted(QWidget *watched, const std::function<void()> &step)
{
    PaintCount paints(watched);
    QElapsedTimer timer;
    timer.start();
    step();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const qint64 elapsed = timer.nsecsElapsed();
    return paints.count() > 0 ? elapsed : -1;
}

void clickRow(QListView *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(list->model()->index(row, 0)).center());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = BenchReport::arguments(
        app,
        QStringLiteral("Times the results viewer opening a stored competition of 100 members, "
                       "4 exercises and 60 shots each, until the page shows it, and its tabs."),
        {{QStringLiteral("runs"), QStringLiteral("Runs of each timing (default 15).")},
         {QStringLiteral("pictures"), QStringLiteral("Folder for PNG pictures of the three tabs.")}});
    const int runs = args.isEmpty() ? 15 : qMax(1, args.first().toInt());
    const QString pictures = args.value(1);

    TestDataDir runFolder;
    if (!runFolder.isValid()
        || !runFolder.writeFile(QStringLiteral("ServerDatas/Events/CompetitionsType.xml"),
                                kCompetitionTypes)
        || !copyDirectoryRecursively(QStringLiteral(RANGE_SOURCE_DIR "/data/styles"),
                                     runFolder.filePath(QStringLiteral("styles")))
        || !QDir().mkpath(runFolder.filePath(QStringLiteral("ServerDatas/DataBase")))) {
        report(QStringLiteral("no run folder"));
        return 1;
    }
    initUiResources();
    applyApplicationStyle(app);
    {
        // The schema comes with the first connection.
        TdbAccessor schema(QStringLiteral("schema"));
        if (schema.isError() || !BenchCompetition::storeCompetition(kEvents)) {
            report(QStringLiteral("no database"));
            return 1;
        }
    }

    TViewModul modul;
    FormVIEW page(&modul);
    page.resize(1600, 1000);
    page.show();
    if (!QTest::qWaitForWindowExposed(&page)) {
        report(QStringLiteral("the page is not shown"));
        return 1;
    }
    modul.closeAndRefreshLists();
    page.findChild<QAbstractButton *>(QStringLiteral("rbfin0"))->click();
    auto *list = page.findChild<QListView *>(QStringLiteral("lw_comp_NOTfinished"));
    auto *tabs = page.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    auto *events = page.findChild<QComboBox *>(QStringLiteral("cB_Event"));
    auto *totals = page.findChild<QTableView *>(QStringLiteral("tvTotal"));
    auto *shots = page.findChild<QTableView *>(QStringLiteral("tv_eventBullets"));
    auto *relayShots = page.findChild<QTableView *>(QStringLiteral("tv_relayBullets"));
    auto *series3 = page.findChild<QPushButton *>(QStringLiteral("pB_series3"));
    if (!list || list->model()->rowCount() != 1) {
        report(QStringLiteral("the stored competition is not listed"));
        return 1;
    }

    std::vector<qint64> open, exerciseTab, series, exercise, relayTab;
    bool painted = true;
    const auto sample = [&painted](std::vector<qint64> &samples, qint64 ns) {
        painted = painted && ns >= 0;
        samples.push_back(ns);
    };
    for (int run = 0; run < runs; ++run) {
        tabs->setCurrentIndex(0);
        QCoreApplication::processEvents();
        sample(open, timeUntilPainted(totals->viewport(), [&] { clickRow(list, 0); }));
        sample(exerciseTab, timeUntilPainted(shots->viewport(), [&] { tabs->setCurrentIndex(1); }));
        sample(series, timeUntilPainted(shots->viewport(), [&] { series3->click(); }));
        sample(exercise, timeUntilPainted(shots->viewport(), [&] { events->setCurrentIndex(3); }));
        sample(relayTab, timeUntilPainted(relayShots->viewport(), [&] { tabs->setCurrentIndex(2); }));
    }
    if (!painted || totals->model()->rowCount() != BenchCompetition::kMembers) {
        report(QStringLiteral("a step did not reach the screen"));
        return 1;
    }

    const auto line = [](const QString &what, const std::vector<qint64> &samples) {
        const Spread spread = spreadOf(samples);
        report(QStringLiteral("%1: median %2 ms, p90 %3 ms, max %4 ms")
                   .arg(what)
                   .arg(spread.median, 0, 'f', 1)
                   .arg(spread.p90, 0, 'f', 1)
                   .arg(spread.max, 0, 'f', 1));
    };
    report(QStringLiteral("stored competition: %1 members, %2 exercises, %3 shots each, %4 runs")
               .arg(BenchCompetition::kMembers)
               .arg(kEvents)
               .arg(BenchCompetition::kShotsPerMember)
               .arg(runs));
    line(QStringLiteral("click on the competition until the standings are painted"), open);
    line(QStringLiteral("exercise tab painted"), exerciseTab);
    line(QStringLiteral("series 3 painted"), series);
    line(QStringLiteral("exercise 4 chosen and painted"), exercise);
    line(QStringLiteral("relay tab painted"), relayTab);

    if (!pictures.isEmpty()) {
        QDir().mkpath(pictures);
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            page.grab().save(QStringLiteral("%1/viewer-tab%2.png").arg(pictures).arg(tab + 1), "PNG");
        }
    }
    return 0;
}
