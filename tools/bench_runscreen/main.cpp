// Shots for a line of 100 lanes arrive on the run page while both of its
// tables are on screen: each shot goes into the shot list the page shows
// (scored, and stored when it is a match shot), then the event loop brings
// the page up to date and paints it before the next shot. Reports the cost
// per shot, median and worst, of the model update and of the views' share,
// for sighting shots (kept in memory) and match shots (stored as they
// arrive, and moving rows whenever a total overtakes another).
//   bench_runscreen [match shots per lane, default 20] [--sheet] [--grab FILE]
// --sheet gives the page the program's style sheet and its pictures; --grab
// saves a picture of the page after the last shot. Runs on the offscreen
// platform unless a display is there (xvfb-run) or QT_QPA_PLATFORM says
// otherwise.

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTableView>

#include <memory>
#include <vector>

#include "appstyle.h"
#include "benchreport.h"
#include "formexecuteevent.h"
#include "runcompetition.h"
#include "testdatadir.h"
#include "tmemberplace.h"

using BenchReport::report;

namespace {

constexpr int kLanes = 100;
constexpr int kSightingShots = 5;
constexpr int kShotColumns = 10;
constexpr int kSeries = 6;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Counts the paints of a table's viewport.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

struct Phase
{
    std::vector<qint64> model;
    std::vector<qint64> views;
    std::vector<qint64> total;
    // Totals of the shots that left the rows in their order, and of those
    // that moved rows (the views then lay out and repaint all they show).
    std::vector<qint64> steady;
    std::vector<qint64> resorted;
    // Totals of the shots after which the shot table was painted (a shot
    // on a row out of sight paints nothing).
    std::vector<qint64> painted;
};

// The places in row order.
QVector<const TMemberPlace *> rowOrder(const TBulletList &list)
{
    QVector<const TMemberPlace *> order;
    for (const TMemberPlace *place = list.firstPlace(); place; place = list.nextPlace(place))
        order.append(place);
    return order;
}

// Runs the event loop until it has nothing left to do: posted events,
// delayed layouts and column fits, the repaint.
void settle()
{
    QAbstractEventDispatcher *dispatcher = QCoreApplication::eventDispatcher();
    for (int rounds = 0; rounds < 100; ++rounds) {
        QCoreApplication::sendPostedEvents();
        if (!dispatcher->processEvents(QEventLoop::AllEvents))
            return;
    }
}

// Every lane fires `count` shots in turn, as a line does.
bool shoot(TBulletList &list, int stage, int count, const PaintCounter &counter, Phase &phase)
{
    bool accepted = true;
    QElapsedTimer timer;
    list.setStageAll(stage);
    settle();
    for (int k = 0; k < count && accepted; ++k) {
        for (int lane = 1; lane <= kLanes && accepted; ++lane) {
            const int number = list.lastBulletNumberOfTarget(lane, stage) + 1;
            const int seed = lane * 131 + number * 17;
            const int paintsBefore = counter.paints;
            const QVector<const TMemberPlace *> orderBefore = rowOrder(list);
            timer.start();
            accepted = list.addShotFromTarget(list.memberIdOfTarget(lane), number, seed % 300,
                                              (seed * 7) % 300, 1, number * 40, 0);
            const qint64 model = timer.nsecsElapsed();
            settle();
            const qint64 total = timer.nsecsElapsed();
            phase.model.push_back(model);
            phase.views.push_back(total - model);
            phase.total.push_back(total);
            (rowOrder(list) != orderBefore ? phase.resorted : phase.steady).push_back(total);
            if (counter.paints > paintsBefore)
                phase.painted.push_back(total);
        }
    }
    return accepted;
}

QString spreadText(const std::vector<qint64> &samples)
{
    const BenchReport::Spread spread = BenchReport::spreadOf(samples);
    return QStringLiteral("median %1 ms, worst %2 ms")
        .arg(spread.median, 0, 'f', 3)
        .arg(spread.max, 0, 'f', 3);
}

void reportPhase(const char *name, const Phase &phase)
{
    report(QStringLiteral("%1: %2 shots, %3 of them repainted the shot table")
               .arg(QLatin1String(name))
               .arg(phase.total.size())
               .arg(phase.painted.size()));
    report(QStringLiteral("    per shot, all included: %1").arg(spreadText(phase.total)));
    report(QStringLiteral("    the shot list (scoring, storing): %1").arg(spreadText(phase.model)));
    report(QStringLiteral("    the views (layout, repaint): %1").arg(spreadText(phase.views)));
    if (!phase.steady.empty())
        report(QStringLiteral("    %1 shots kept the rows' order: %2")
                   .arg(phase.steady.size())
                   .arg(spreadText(phase.steady)));
    if (!phase.resorted.empty())
        report(QStringLiteral("    %1 shots re-sorted the rows: %2")
                   .arg(phase.resorted.size())
                   .arg(spreadText(phase.resorted)));
    if (!phase.painted.empty())
        report(QStringLiteral("    %1 shots repainted the shot table: %2")
                   .arg(phase.painted.size())
                   .arg(spreadText(phase.painted)));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Cost of one shot on the run page of a 100-lane line, tables on screen."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("shots"),
                                 QStringLiteral("Match shots per lane (default 20)."),
                                 QStringLiteral("[shots]"));
    const QCommandLineOption style(QStringLiteral("sheet"),
                                   QStringLiteral("With the program's style sheet."));
    const QCommandLineOption grab(QStringLiteral("grab"),
                                  QStringLiteral("Save a picture of the page to FILE."),
                                  QStringLiteral("FILE"));
    parser.addOption(style);
    parser.addOption(grab);
    parser.process(app);
    const QStringList positional = parser.positionalArguments();
    const int matchShots = positional.isEmpty() ? 20 : qMax(1, positional.first().toInt());
    const QString grabFile = parser.isSet(grab) ? QFileInfo(parser.value(grab)).absoluteFilePath()
                                                : QString();

    TestDataDir runFolder;
    if (!RunCompetition::install(runFolder)
        || (parser.isSet(style)
            && !copyDirectoryRecursively(QStringLiteral(RANGE_SOURCE_DIR "/data/styles"),
                                         runFolder.filePath(QStringLiteral("styles"))))) {
        report(QStringLiteral("cannot make the run folder"));
        return 1;
    }
    if (parser.isSet(style))
        applyApplicationStyle(app);

    TUserModul modul;
    TBulletList *list = RunCompetition::prepare(modul, RunCompetition::kRifle, kLanes);
    if (!list) {
        report(QStringLiteral("cannot prepare the line"));
        return 1;
    }
    // As the one-position exercise of 60 shots lays the list out.
    list->setShotColumns(kShotColumns);
    list->setSeriesSize(kSeries);
    FormExecuteEvent page(&modul, nullptr);
    page.resize(kWidth, kHeight);
    page.setMode(0);
    page.show();
    PaintCounter counter;
    page.findChild<QTableView *>(QStringLiteral("tv_bullets"))->viewport()->installEventFilter(&counter);
    settle();

    Phase sighting;
    Phase match;
    if (!shoot(*list, 0, kSightingShots, counter, sighting)
        || !shoot(*list, 1, matchShots, counter, match)) {
        report(QStringLiteral("a shot was refused"));
        return 1;
    }
    report(QStringLiteral("run page of %1 lanes, %2 x %3, platform %4, %5")
               .arg(kLanes)
               .arg(kWidth)
               .arg(kHeight)
               .arg(QGuiApplication::platformName())
               .arg(parser.isSet(style) ? QStringLiteral("program's style sheet")
                                        : QStringLiteral("no style sheet")));
    reportPhase("sighting shots", sighting);
    reportPhase("match shots", match);
    if (!grabFile.isEmpty() && !page.grab().save(grabFile)) {
        report(QStringLiteral("cannot save %1").arg(grabFile));
        return 1;
    }
    return 0;
}
