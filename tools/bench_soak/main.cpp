// A match day on the real main window against the range simulator, to see
// whether the program grows as the day goes on: a competition of ten
// members a relay, one position and 60 match shots, shot as 6 relays (or as
// many as asked, ten to a competition) on 10 lanes with a simulated shooter
// on every lane and the exercise clock sped up. For every relay it prints
// the resident memory and the open file handles when the match starts and
// when the relay is over, the GUI thread's CPU time per shot taken during
// the match, and the window's item selection models; at the end the growth
// per relay from the end of the first relay to the end of the last. It
// checks that every shot of each competition is stored.
//
//   range_bench_soak [relays, default 6] [Qt Test options]
//                               (offscreen unless QT_QPA_PLATFORM says otherwise)
//
// The bus master keeps the line tests' short gaps (a tenth of the range's),
// so a lane is polled every 20 ms x 10 lanes. The simulator keeps only the
// last minutes of its traffic log, so that the process's growth is the
// program's.

#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QtTest>

#include <cstdio>

#include "benchprocess.h"
#include "rangesimulator.h"
#include "roadtest.h"
#include "simulatorthread.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tusermodul.h"

namespace {

constexpr int kRifle60 = 1;
constexpr int kLanes = 10;
constexpr int kDefaultRelays = 6;
constexpr int kRelaysPerCompetition = 10;
constexpr int kMaxRelayMs = 120000; // members added and a relay shot, on a busy machine
constexpr int kMatchShots = 60;
// About two minutes of a 10-lane line's polls and answers.
constexpr int kTrafficLimit = 10000;

struct Sample
{
    qint64 residentKb = 0;
    int handles = 0;
    qint64 cpuUs = 0;
    int stored = 0;
    qint64 wallMs = 0;
    int selectionModels = 0;
};

} // namespace

class BenchSoak : public RoadTest
{
    Q_OBJECT

public:
    explicit BenchSoak(int relays) : m_relays(relays) {}
    int relays() const { return m_relays; }

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
                day.elapsed(), int(window()->findChildren<QItemSelectionModel *>().size())};
    }

    int m_relays = kDefaultRelays;
};

void BenchSoak::matchDay()
{
    QList<int> lanes;
    for (int lane = 1; lane <= kLanes; ++lane)
        lanes << lane;
    QVERIFY(startRange(lanes));
    simulator()->call([](RangeSimulator &sim) { sim.setTrafficLimit(kTrafficLimit); });

    std::printf("relay  RSS kB (match start -> end)  handles  GUI CPU us/shot  shots  wall s"
                "  selection models\n");
    QElapsedTimer day;
    day.start();
    QList<double> perShot;
    QList<Sample> ends;
    // Start numbers go up to 100: a competition of ten relays at most, then
    // the next one, as a range does over a weekend.
    for (int competition = 1; ends.size() < m_relays; ++competition) {
        const int relays = qMin(kRelaysPerCompetition, m_relays - int(ends.size()));
        QVERIFY(createCompetition(kRifle60, QStringLiteral("Soak %1").arg(competition)) > 0);
        for (int n = 1; n <= kLanes * relays; ++n)
            QVERIFY(addNewMember(QStringLiteral("Name%1").arg(n),
                                 QStringLiteral("Family%1-%2").arg(competition).arg(n), n)
                    > 0);
        const int eventID = userModul()->currentCompetition()->event(0)->id();
        // The relays laid out by default: ten members a relay on targets 1 to 10.
        QVERIFY(click("pBNext"));
        QVERIFY(openCurrentRelay());
        for (int relay = 1; relay <= relays; ++relay) {
            Sample start;
            Sample end;
            QVERIFY(shootOnePositionRelay(lanes, 1, [&] { start = sample(eventID, day); }));
            end = sample(eventID, day);
            const int shots = end.stored - start.stored;
            perShot << (shots > 0 ? double(end.cpuUs - start.cpuUs) / shots : 0.0);
            ends << end;
            std::printf("%5d  %8lld -> %8lld          %3d -> %3d  %10.0f  %5d  %6.1f  %5d\n",
                        int(ends.size()), start.residentKb, end.residentKb, start.handles,
                        end.handles, perShot.last(),
                        end.stored - (relay - 1) * kLanes * kMatchShots, end.wallMs / 1000.0,
                        end.selectionModels);
            std::fflush(stdout);
            QVERIFY(click("pBNext"));
            if (relay < relays)
                QVERIFY(lineAnswers());
        }
        QCOMPARE(page(), Page::CompetitionTotal);

        // Every shot of the competition is stored, 60 for each member.
        QCOMPARE(rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=?", {eventID}),
                 (Rows{{kLanes * relays * kMatchShots}}));
        QCOMPARE(rows("SELECT COUNT(*) FROM (SELECT fMemberID FROM tbullets WHERE fEventID=? "
                      "GROUP BY fMemberID HAVING COUNT(*)=?)",
                      {eventID, kMatchShots}),
                 (Rows{{kLanes * relays}}));
        QVERIFY(click("pBNext"));
        QCOMPARE(page(), Page::Welcome);
    }
    std::printf("GUI CPU per shot: first relay %.0f us, last relay %.0f us\n", perShot.first(),
                perShot.last());
    if (m_relays > 1) {
        const double later = m_relays - 1;
        std::printf("growth per relay after the first: RSS %.0f kB, selection models %.1f\n",
                    (ends.last().residentKb - ends.first().residentKb) / later,
                    (ends.last().selectionModels - ends.first().selectionModels) / later);
    }
}

// The relay count, when given, comes before Qt Test's own options.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QStringList arguments = app.arguments();
    bool isCount = false;
    const int relays = arguments.value(1).toInt(&isCount);
    if (isCount)
        arguments.removeAt(1);
    BenchSoak bench(isCount ? qMax(1, relays) : kDefaultRelays);
    // Qt Test ends a test function after 5 minutes; a relay takes about 20 s.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(kMaxRelayMs * (bench.relays() + 10)));
    return QTest::qExec(&bench, arguments);
}

#include "main.moc"
