// Times the practice roster on a range-sized list: adding shooters to
// "shooters.sqlite", loading them, taking every one of them into a practice
// on a target (each target change checks all targets for clashes), walking
// the participants as the run preparation does, and releasing everybody.
#include "benchreport.h"
#include "tmemberspractice.h"
#include "tpracticemodul.h"
#include "tshooter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kDefaultShooters = 1000;

double msSince(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = BenchReport::arguments(
        app, QStringLiteral("Times the practice roster on a range-sized list of shooters."),
        {{QStringLiteral("shooters"), QStringLiteral("Shooters on the list (default %1).").arg(kDefaultShooters)},
         {QStringLiteral("folder"), QStringLiteral("Where the working folder is made (default: the current folder).")}});
    const int shooters = args.size() > 0 ? args.at(0).toInt() : kDefaultShooters;
    const QString base = args.size() > 1 ? args.at(1) : QDir::currentPath();
    QTemporaryDir work(base + QStringLiteral("/practicebench-XXXXXX"));
    if (shooters < 1 || !work.isValid()
        || !QDir().mkpath(work.path() + QStringLiteral("/ServerDatas/DataBase"))
        || !QDir::setCurrent(work.path())) {
        std::fprintf(stderr, "cannot make a working folder below %s\n", qPrintable(base));
        return 1;
    }

    QElapsedTimer timer;
    {
        TPracticeModul modul;
        modul.reload();
        timer.start();
        for (int i = 0; i < shooters; ++i) {
            if (modul.addShooter(QStringLiteral("Name %1").arg(i), QStringLiteral("Family"),
                                 QDate(2000, 1, 1), i % 2, 0, 0, 0, 0, false) < 0) {
                std::fprintf(stderr, "adding shooter %d failed\n", i);
                return 1;
            }
        }
        std::printf("add %d shooters: %.1f ms (%.3f ms each)\n", shooters, msSince(timer),
                    msSince(timer) / shooters);
    }

    TPracticeModul modul;
    timer.start();
    modul.reload();
    std::printf("load teams, qualifications and %d shooters: %.1f ms\n",
                modul.membersPractice()->count(), msSince(timer));

    timer.start();
    for (int row = 0; row < shooters; ++row)
        modul.useShooter(modul.membersPractice()->getShooter(row)->id(), row % 255 + 1);
    std::printf("take all in on targets 1..255: %.1f ms (conflict: %s)\n", msSince(timer),
                modul.hasTargetConflict() ? "yes" : "no");

    timer.start();
    int used = 0;
    for (TShooter *s = modul.firstUsedShooter(); s; s = modul.nextUsedShooter(s))
        ++used;
    std::printf("walk %d participants: %.1f ms\n", used, msSince(timer));

    timer.start();
    modul.unuseAllShooters();
    std::printf("release all: %.1f ms\n", msSince(timer));
    return 0;
}
