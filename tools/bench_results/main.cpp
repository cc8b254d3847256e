// Timings of the stored results, on a database of their own in a temporary
// folder holding one exercise of 100 members with 60 shots each:
//   1. loading it into a TViewBulletList as the viewer does (every load step
//      and the series layout);
//   2. building each totals table over it and reading every cell, text and
//      flag, as a view does on its first paint.
// Usage: bench_results [runs, default 15]

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "benchcompetition.h"
#include "benchreport.h"
#include "counrtylist.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "total_difficult_one_model.h"
#include "total_mp_5.h"
#include "total_simple_one_model.h"
#include "ttargettype.h"
#include "tviewbulletlist.h"
#include "tviewmemberplace.h"

namespace {

using BenchCompetition::kCompetitionID;
using BenchCompetition::kEventID;
using BenchCompetition::kMembers;
using BenchCompetition::kShotsPerMember;
using BenchCompetition::storeCompetition;

constexpr int kFaceId = 8;
constexpr int kCalibre = 450;
constexpr double kControlValue = 10.2;

using BenchReport::report;
using BenchReport::Spread;
using BenchReport::spreadOf;

std::unique_ptr<TViewBulletList> loadList(TdbAccessor *db, const CounrtyList *countries,
                                          const TEvent &event)
{
    auto list = std::make_unique<TViewBulletList>(countries, kCompetitionID, kEventID, db,
                                                  targetTypeById(kFaceId), true, kCalibre,
                                                  kControlValue);
    list->loadAll();
    layoutSeriesOfEvent(&event, list.get());
    return list;
}

// Every cell's text and every flag, as a view's first paint asks for them.
int readAll(const QAbstractItemModel &model)
{
    int filled = 0;
    for (int c = 0; c < model.columnCount(); ++c)
        filled += model.headerData(c, Qt::Horizontal).isValid() ? 1 : 0;
    for (int r = 0; r < model.rowCount(); ++r) {
        for (int c = 0; c < model.columnCount(); ++c) {
            const QModelIndex cell = model.index(r, c);
            filled += model.data(cell).isValid() ? 1 : 0;
            model.data(cell, Qt::DecorationRole);
        }
    }
    return filled;
}

void benchTable(const QString &name, int runs,
                const std::function<std::unique_ptr<QAbstractItemModel>()> &build)
{
    std::vector<qint64> buildSamples;
    std::vector<qint64> totalSamples;
    QElapsedTimer timer;
    int filled = 0;
    for (int run = 0; run < runs; ++run) {
        timer.start();
        const std::unique_ptr<QAbstractItemModel> model = build();
        buildSamples.push_back(timer.nsecsElapsed());
        filled = readAll(*model);
        totalSamples.push_back(timer.nsecsElapsed());
    }
    const Spread built = spreadOf(buildSamples);
    const Spread total = spreadOf(totalSamples);
    report(QStringLiteral("%1: built in %2 ms; built and every cell read (%3 cells) median %4 ms, "
                          "max %5 ms")
               .arg(name)
               .arg(built.median, 0, 'f', 3)
               .arg(filled)
               .arg(total.median, 0, 'f', 3)
               .arg(total.max, 0, 'f', 3));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = BenchReport::arguments(
        app,
        QStringLiteral("Times loading a stored exercise of 100 members with 60 shots as the viewer does, "
                       "and building and reading each totals table over it."),
        {{QStringLiteral("runs"), QStringLiteral("Runs of each timing (default 15).")}});
    const int runs = args.isEmpty() ? 15 : qMax(1, args.first().toInt());

    QTemporaryDir folder;
    if (!folder.isValid() || !QDir().mkpath(folder.filePath(QStringLiteral("ServerDatas/DataBase")))
        || !QDir::setCurrent(folder.path())) {
        report(QStringLiteral("no temporary folder"));
        return 1;
    }
    TdbAccessor db(QStringLiteral("view"));
    if (db.isError() || !storeCompetition()) {
        report(QStringLiteral("no database"));
        return 1;
    }
    CounrtyList countries;
    countries.load(QStringLiteral(RANGE_SOURCE_DIR "/data/ServerDatas/Countries"),
                   QStringLiteral("CountyList.xml"));
    TEvent event(kEventID, 1, 1, 0, QStringLiteral("SimpleOne"), QString(), QString(), QString());
    event.insertParam(QStringLiteral("MatchCount"), QString::number(kShotsPerMember));

    std::vector<qint64> samples;
    QElapsedTimer timer;
    int shots = 0;
    for (int run = 0; run < runs; ++run) {
        timer.start();
        const std::unique_ptr<TViewBulletList> list = loadList(&db, &countries, event);
        samples.push_back(timer.nsecsElapsed());
        shots = 0;
        for (int i = 0; i < list->placeCount(); ++i)
            shots += list->placeAt(i)->bulletCount();
    }
    const Spread load = spreadOf(samples);
    report(QStringLiteral("load stored exercise (%1 members x %2 shots, %3 loaded, %4 countries): "
                          "median %5 ms, max %6 ms")
               .arg(kMembers)
               .arg(kShotsPerMember)
               .arg(shots)
               .arg(countries.count())
               .arg(load.median, 0, 'f', 2)
               .arg(load.max, 0, 'f', 2));

    const std::unique_ptr<TViewBulletList> first = loadList(&db, &countries, event);
    const std::unique_ptr<TViewBulletList> second = loadList(&db, &countries, event);
    benchTable(QStringLiteral("TOTAL_SIMPLE_ONE_MODEL"), runs, [&] {
        return std::make_unique<TOTAL_SIMPLE_ONE_MODEL>(first.get());
    });
    benchTable(QStringLiteral("TOTAL_DIFFICULT_ONE_MODEL (2 series per position)"), runs, [&] {
        return std::make_unique<TOTAL_DIFFICULT_ONE_MODEL>(first.get(), 2, false);
    });
    benchTable(QStringLiteral("TOTAL_MP_5 (two stored stages)"), runs, [&] {
        return std::make_unique<TOTAL_MP_5>(first.get(), second.get());
    });
    return 0;
}
