// A match day on the real main window against the range simulator, to see
// whether the program grows as the day goes on: a competition of 60
// members, one position and 60 match shots, shot as 6 relays on 10 lanes
// with a simulated shooter on every lane and the exercise clock sped up.
// For every relay it prints the resident memory and the open file handles
// when the match starts and when the relay is over, and the GUI thread's
// CPU time per shot taken during the match; at the end it checks that every
// shot of the day is stored.
//
//   range_bench_soak            (offscreen unless QT_QPA_PLATFORM says otherwise)
//
// The bus master keeps the line tests' short gaps (a tenth of the range's),
// so a lane is polled every 20 ms x 10 lanes.

#include <QElapsedTimer>
#include <QtTest>

#include <cstdio>

#include "benchprocess.h"
#include "roadtest.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tusermodul.h"

namespace {

constexpr int kRifle60 = 1;
constexpr int kLanes = 10;
constexpr int kRelays = 6;
constexpr int kMatchShots = 60;

struct Sample
{
    qint64 residentKb = 0;
    int handles = 0;
    qint64 cpuUs = 0;
    int stored = 0;
    qint64 wallMs = 0;
};

} // namespace

class BenchSoak : public RoadTest
{
    Q_OBJECT

private slots:
    void matchDay();

private:
    Sample sample(int eventID, const QElapsedTimer &day)
    {
        return {residentKb(), openHandles(), threadCpuUs(),
                rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=?", {eventID})
                    .value(0)
                    .value(0)
                    .toInt(),
                day.elapsed()};
    }
};

void BenchSoak::matchDay()
{
    QList<int> lanes;
    for (int lane = 1; lane <= kLanes; ++lane)
        lanes << lane;
    QVERIFY(startRange(lanes));
    QVERIFY(createCompetition(kRifle60, "Soak") > 0);
    for (int n = 1; n <= kLanes * kRelays; ++n)
        QVERIFY(addNewMember(QStringLiteral("Name%1").arg(n), QStringLiteral("Family%1").arg(n), n)
                > 0);
    const int eventID = userModul()->currentCompetition()->event(0)->id();
    // The relays laid out by default: ten members a relay on targets 1 to 10.
    QVERIFY(click("pBNext"));
    QVERIFY(openCurrentRelay());

    std::printf("relay  RSS kB (match start -> end)  handles  GUI CPU us/shot  shots  wall s\n");
    QElapsedTimer day;
    day.start();
    QList<double> perShot;
    for (int relay = 1; relay <= kRelays; ++relay) {
        Sample start;
        Sample end;
        QVERIFY(shootOnePositionRelay(lanes, 1, [&] { start = sample(eventID, day); }));
        end = sample(eventID, day);
        const int shots = end.stored - start.stored;
        perShot << (shots > 0 ? double(end.cpuUs - start.cpuUs) / shots : 0.0);
        std::printf("%5d  %8lld -> %8lld          %3d -> %3d  %10.0f  %5d  %6.1f\n", relay,
                    start.residentKb, end.residentKb, start.handles, end.handles, perShot.last(),
                    end.stored - (relay - 1) * kLanes * kMatchShots, end.wallMs / 1000.0);
        std::fflush(stdout);
        QVERIFY(click("pBNext"));
        if (relay < kRelays)
            QVERIFY(lineAnswers());
    }
    QCOMPARE(page(), Page::CompetitionTotal);

    // Every shot of the day is stored, 60 for each member.
    QCOMPARE(rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=?", {eventID}),
             (Rows{{kLanes * kRelays * kMatchShots}}));
    QCOMPARE(rows("SELECT COUNT(*) FROM (SELECT fMemberID FROM tbullets WHERE fEventID=? "
                  "GROUP BY fMemberID HAVING COUNT(*)=?)",
                  {eventID, kMatchShots}),
             (Rows{{kLanes * kRelays}}));
    std::printf("GUI CPU per shot: first relay %.0f us, last relay %.0f us\n", perShot.first(),
                perShot.last());
}

QTEST_MAIN(BenchSoak)
#include "main.moc"
