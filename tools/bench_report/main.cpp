// Timings of the 60-shot result report of a stored competition of 100
// members with 60 shots each, opened by the competition module and placed as
// the competition total page has it:
//   1. preparePrint: the template choice, the variables and the 100 rows;
//   2. print: loading the template, laying the report out over its sheets
//      and writing the PDF file (no printer: the file in ServerDatas/Reports).
// Usage: bench_report [runs, default 10]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <vector>

#include "benchcompetition.h"
#include "benchreport.h"
#include "datapaths.h"
#include "memberplaces.h"
#include "prepareprint.h"
#include "reportengine.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tprintdata.h"
#include "tusermodul.h"

namespace {

using BenchReport::report;
using BenchReport::Spread;
using BenchReport::spreadOf;

// The reference lists the competition module reads.
bool copyLists(const QString &from)
{
    for (const QString &dir : {DataPaths::kEventsDir, DataPaths::kCountriesDir}) {
        if (!QDir().mkpath(dir))
            return false;
        const QDir source(from + QLatin1Char('/') + dir);
        for (const QString &name : source.entryList({QStringLiteral("*.xml")}, QDir::Files)) {
            if (!QFile::copy(source.filePath(name), dir + QLatin1Char('/') + name))
                return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = BenchReport::arguments(
        app,
        QStringLiteral("Times the 60-shot result report of a stored competition of 100 members: "
                       "preparing its rows, and laying it out into a PDF file."),
        {{QStringLiteral("runs"), QStringLiteral("Runs of each timing (default 10).")}});
    const int runs = args.isEmpty() ? 10 : qMax(1, args.first().toInt());
    Report::Engine::setSystemPrintersEnabled(false);

    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path())
        || !QDir().mkpath(QStringLiteral("ServerDatas/DataBase"))
        || !copyLists(QStringLiteral(RANGE_SOURCE_DIR "/data"))) {
        report(QStringLiteral("no temporary folder"));
        return 1;
    }
    TUserModul modul;
    if (modul.hasError() || !BenchCompetition::storeCompetition()) {
        report(QStringLiteral("no database"));
        return 1;
    }
    modul.loadQualities();
    modul.loadTeams();
    modul.openCompetition(BenchCompetition::kCompetitionID, true);
    TEvent *event = modul.currentCompetition() ? modul.currentCompetition()->event(0) : nullptr;
    TBulletList *list = event ? modul.bulletList(event->id()) : nullptr;
    if (!list) {
        report(QStringLiteral("competition not opened"));
        return 1;
    }
    placeAllMembers(&modul, list);

    TPrintData printData(1);
    std::vector<qint64> prepareSamples;
    std::vector<qint64> printSamples;
    QElapsedTimer timer;
    for (int run = 0; run < runs; ++run) {
        timer.start();
        if (!preparePrint(&printData, &modul, event, 0)) {
            report(QStringLiteral("no report for the exercise"));
            return 1;
        }
        prepareSamples.push_back(timer.nsecsElapsed());
        timer.start();
        if (!printData.print()) {
            report(QStringLiteral("report not printed"));
            return 1;
        }
        printSamples.push_back(timer.nsecsElapsed());
        // Every run prints anew into the same second's file name.
        QFile::remove(printData.pdfFile());
    }
    if (!preparePrint(&printData, &modul, event, 0) || !printData.print()) {
        report(QStringLiteral("report not printed"));
        return 1;
    }
    const Spread prepare = spreadOf(prepareSamples);
    const Spread print = spreadOf(printSamples);
    report(QStringLiteral("60-shot report of %1 members (%2 rows, %3 shots): preparePrint median "
                          "%4 ms, max %5 ms")
               .arg(BenchCompetition::kMembers)
               .arg(printData.rowCount())
               .arg(BenchCompetition::kMembers * BenchCompetition::kShotsPerMember)
               .arg(prepare.median, 0, 'f', 2)
               .arg(prepare.max, 0, 'f', 2));
    report(QStringLiteral("print to PDF (%1 sheets, %2 KiB): median %3 ms, p90 %4 ms, max %5 ms")
               .arg(printData.engine()->pageCount())
               .arg(QFileInfo(printData.pdfFile()).size() / 1024)
               .arg(print.median, 0, 'f', 1)
               .arg(print.p90, 0, 'f', 1)
               .arg(print.max, 0, 'f', 1));
    return 0;
}
