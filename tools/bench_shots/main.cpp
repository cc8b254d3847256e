// Timings of the shot list on a database of its own in a temporary folder:
//   1. adding one match shot from a target answer, storage included, on a
//      list of 100 places (median and spread over many shots);
//   2. loading a stored exercise of 100 places with 60 shots each: building
//      the list from "tbullets" and putting every member on the line;
//   3. one full read of the run table, as a repaint does.
// Usage: bench_shots [shots per place for 1, default 20]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "benchreport.h"
#include "benchshots.h"
#include "tbulletlist.h"
#include "tdbaccessor.h"
#include "tmemberplace.h"
#include "tseries.h"
#include "ttargettype.h"

namespace {

constexpr int kPlaces = 100;
constexpr int kStoredShotsPerPlace = 60;
constexpr int kEventID = 1;
constexpr int kCalibre = 450;
constexpr double kControlValue = 10.4;
constexpr int kFaceId = 3;
constexpr int kLoadRuns = 15;
constexpr int kShotsPerSeries = 10;
constexpr int kSeriesCount = 6;

using BenchReport::report;
using BenchReport::Spread;
using BenchReport::spreadOf;

std::unique_ptr<TBulletList> newList(TdbAccessor *db)
{
    auto list = std::make_unique<TBulletList>(kEventID, db, targetTypeById(kFaceId), true, kCalibre,
                                              kControlValue);
    list->setShotColumns(kShotsPerSeries);
    list->setSeriesSize(kSeriesCount);
    return list;
}

void addPlaces(TBulletList *list)
{
    for (int member = 1; member <= kPlaces; ++member)
        list->addPlace(member, member, QStringLiteral("Member %1").arg(member), member, QImage(),
                       QStringLiteral("RUS"), QStringLiteral("Team"), QStringLiteral("MS"));
}

// A shot somewhere on the face, the same for the same seed.
QPoint shotPoint(int seed)
{
    return QPoint((seed * 37) % 400, (seed * 91) % 400);
}

void benchAddShot(TdbAccessor *db, int shotsPerPlace)
{
    auto list = newList(db);
    addPlaces(list.get());
    list->setStageAll(1);
    std::vector<qint64> samples;
    QElapsedTimer timer;
    for (int number = 1; number <= shotsPerPlace; ++number) {
        for (int member = 1; member <= kPlaces; ++member) {
            const QPoint p = shotPoint(number * kPlaces + member);
            timer.start();
            const TBullet *shot = list->addShotFromTarget(member, number, p.x(), p.y(), 1,
                                                          number * 50, -1);
            samples.push_back(timer.nsecsElapsed());
            if (!shot) {
                report(QStringLiteral("adding a shot failed"));
                return;
            }
        }
    }
    const Spread s = spreadOf(samples);
    report(QStringLiteral("add match shot (100 places, %1 shots): median %2 ms, p90 %3 ms, max %4 ms")
                 .arg(samples.size())
                 .arg(s.median, 0, 'f', 3)
                 .arg(s.p90, 0, 'f', 3)
                 .arg(s.max, 0, 'f', 3));
}

// Stores 100 x 60 match shots of a second exercise in one transaction.
bool storeExercise(int eventID)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(TdbAccessor::databasePath());
        ok = db.open() && db.transaction();
        QSqlQuery query(db);
        ok = ok && BenchShots::prepareMatchShot(query);
        for (int member = 1; ok && member <= kPlaces; ++member) {
            for (int number = 1; ok && number <= kStoredShotsPerPlace; ++number) {
                ok = BenchShots::insertMatchShot(query, eventID, member, number,
                                                 shotPoint(number * kPlaces + member));
            }
        }
        ok = ok && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

void benchLoad(TdbAccessor *db, int eventID)
{
    std::vector<qint64> readSamples;
    std::vector<qint64> totalSamples;
    QElapsedTimer timer;
    int shots = 0;
    for (int run = 0; run < kLoadRuns; ++run) {
        timer.start();
        auto list = std::make_unique<TBulletList>(eventID, db, targetTypeById(kFaceId), true,
                                                  kCalibre, kControlValue);
        readSamples.push_back(timer.nsecsElapsed());
        list->setShotColumns(kShotsPerSeries);
        list->setSeriesSize(kSeriesCount);
        addPlaces(list.get());
        totalSamples.push_back(timer.nsecsElapsed());
        shots = 0;
        for (const TMemberPlace *place = list->firstPlace(); place; place = list->nextPlace(place))
            shots += place->countMatchShots(-1);
    }
    const Spread read = spreadOf(readSamples);
    const Spread total = spreadOf(totalSamples);
    report(QStringLiteral("load stored exercise (%1 places x %2 shots, %3 placed): "
                            "median %4 ms (reading the rows %5 ms), max %6 ms")
                 .arg(kPlaces)
                 .arg(kStoredShotsPerPlace)
                 .arg(shots)
                 .arg(total.median, 0, 'f', 2)
                 .arg(read.median, 0, 'f', 2)
                 .arg(total.max, 0, 'f', 2));
}

void benchRepaint(TdbAccessor *db, int eventID)
{
    auto list = std::make_unique<TBulletList>(eventID, db, targetTypeById(kFaceId), true,
                                              kCalibre, kControlValue);
    list->setShotColumns(kShotsPerSeries);
    list->setSeriesSize(kSeriesCount);
    addPlaces(list.get());
    // The run screen in the match, showing the last series of every row.
    list->setStageAll(1);
    list->setShowArrows(true, -1);
    std::vector<qint64> samples;
    QElapsedTimer timer;
    int filled = 0;
    for (int run = 0; run < kLoadRuns; ++run) {
        timer.start();
        filled = 0;
        for (int row = 0; row < list->rowCount(); ++row) {
            for (int column = 0; column < list->columnCount(); ++column) {
                const QModelIndex cell = list->index(row, column);
                filled += list->data(cell).isValid() ? 1 : 0;
                list->data(cell, Qt::DecorationRole);
            }
            for (int column = 0; column < list->series()->columnCount(); ++column)
                filled += list->series()->data(list->series()->index(row, column)).isValid();
        }
        samples.push_back(timer.nsecsElapsed());
    }
    report(QStringLiteral("read every cell of both tables (%1 rows, %2 texts): median %3 ms")
                 .arg(list->rowCount())
                 .arg(filled)
                 .arg(spreadOf(samples).median, 0, 'f', 2));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = BenchReport::arguments(
        app,
        QStringLiteral("Times the shot list on a database of its own: adding a match shot, loading a "
                       "stored exercise of 100 places, reading the run table."),
        {{QStringLiteral("shots"), QStringLiteral("Shots per place for the adding timing (default 20).")}});
    const int shotsPerPlace = args.isEmpty() ? 20 : qMax(1, args.first().toInt());

    QTemporaryDir folder;
    if (!folder.isValid() || !QDir().mkpath(folder.filePath(QStringLiteral("ServerDatas/DataBase")))
        || !QDir::setCurrent(folder.path())) {
        report(QStringLiteral("no temporary folder"));
        return 1;
    }
    TdbAccessor db(QStringLiteral("bench"));
    if (db.isError()) {
        report(QStringLiteral("no database"));
        return 1;
    }
    benchAddShot(&db, shotsPerPlace);
    const int storedEvent = kEventID + 1;
    if (!storeExercise(storedEvent)) {
        report(QStringLiteral("storing the exercise failed"));
        return 1;
    }
    benchLoad(&db, storedEvent);
    benchRepaint(&db, storedEvent);
    return 0;
}
