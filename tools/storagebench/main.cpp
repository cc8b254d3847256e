// Median time to store one match shot, and the time to read back a large
// competition's shots through the per-member selects the shot lists use.
#include "benchreport.h"
#include "tbullet.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "tshooter.h"
#include "ttargettype.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kMembers = 100;
constexpr int kEvents = 4;
constexpr int kShotsPerMember = 60;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = BenchReport::arguments(
        app, QStringLiteral("Times storing one match shot and reading back a large competition's shots."),
        {{QStringLiteral("folder"), QStringLiteral("Where the working folder is made (default: the current folder).")}});
    const QString base = args.isEmpty() ? QDir::currentPath() : args.first();
    QTemporaryDir work(base + QStringLiteral("/storagebench-XXXXXX"));
    if (!work.isValid() || !QDir().mkpath(work.path() + QStringLiteral("/ServerDatas/DataBase"))
        || !QDir::setCurrent(work.path())) {
        std::fprintf(stderr, "cannot make a working folder below %s\n", qPrintable(base));
        return 1;
    }

    TdbAccessor db(QStringLiteral("bench"));
    const int competitionID = db.insertCompetition(false, 2, 1, false, QTime::currentTime(),
                                                   QDate::currentDate(), QStringLiteral("Bench"));
    std::vector<int> eventIDs;
    for (int e = 0; e < kEvents; ++e) {
        TEvent event;
        event.setTypeXMLID(1);
        eventIDs.push_back(db.insertEvent(&event, competitionID));
    }
    std::vector<int> memberIDs;
    for (int m = 0; m < kMembers; ++m) {
        TShooter shooter;
        shooter.setNames(QStringLiteral("Name %1").arg(m), QStringLiteral("Family"));
        shooter.setID(db.insertShooter(&shooter));
        shooter.setStartNumber(m + 1);
        memberIDs.push_back(db.insertMember(&shooter, competitionID));
    }
    if (db.isError() || competitionID < 0) {
        std::fprintf(stderr, "cannot prepare the database\n");
        return 1;
    }

    // Shots arrive member after member within an exercise, as on a range.
    std::vector<qint64> insertNs;
    insertNs.reserve(kMembers * kEvents * kShotsPerMember);
    QElapsedTimer timer;
    for (int eventID : eventIDs) {
        for (int shot = 1; shot <= kShotsPerMember; ++shot) {
            for (int memberID : memberIDs) {
                TBullet bullet(0, shot, shot * 7 % 400, memberID % 300, 0, shot * 10,
                               targetTypeById(3), 450, 10.4, 0);
                bullet.setMemberID(memberID);
                timer.start();
                if (db.insertBullet(&bullet, eventID) < 0)
                    return 1;
                insertNs.push_back(timer.nsecsElapsed());
            }
        }
    }
    std::sort(insertNs.begin(), insertNs.end());
    const double medianMs = insertNs[insertNs.size() / 2] / 1e6;
    const double p95Ms = insertNs[insertNs.size() * 95 / 100] / 1e6;

    timer.start();
    long long valueSum = 0;
    int read = 0;
    for (int eventID : eventIDs) {
        for (int memberID : memberIDs) {
            db.selectMemberBullets(eventID, memberID);
            while (db.next()) {
                valueSum += qRound(db.value(QStringLiteral("fRange10")).toDouble() * 10)
                    + db.value(QStringLiteral("fX")).toInt() + db.value(QStringLiteral("fY")).toInt();
                ++read;
            }
        }
    }
    const double readMs = timer.nsecsElapsed() / 1e6;

    std::printf("shots stored: %zu (%d members, %d exercises, %d shots each)\n", insertNs.size(),
                kMembers, kEvents, kShotsPerMember);
    std::printf("insert one shot: median %.3f ms, 95th percentile %.3f ms\n", medianMs, p95Ms);
    std::printf("read back %d shots through %d per-member selects: %.1f ms (checksum %lld)\n",
                read, kMembers * kEvents, readMs, valueSum);
    return read == int(insertNs.size()) ? 0 : 1;
}
