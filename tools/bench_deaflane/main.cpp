// How late a lane's match shots show on the run page when its target was
// deaf across the match START, against the lanes that took it: the real main
// window against the range simulator with the bus's own gaps (a lane polled
// every 200 ms x lanes), a rifle competition made through the window's
// pages, a simulated shooter on every lane at the pace scripts/run.sh gives
// it (6 s at real speed, a tenth of that at x10 but no less than 2 s), and
// the exercise clock at the given speed. One lane's target goes deaf (it
// hears nothing, records its shots) a while before the sighting's end and
// hears again a while after the match START, as "target N deaf" and
// "target N on" do through the simulator's commands.
//
// For every shot the simulator records after the match START (the first
// start frame of the match on the wire; as many as the match counts), the
// time from its firing to its row: the moment the run page's shot list
// first holds it among the lane's match shots, found by its place on the
// face (the list stores a match shot in the database in the same step,
// unless the database refuses it; a shot held for a ruling shows once it is
// ruled, the ones after it before it). Per lane: median, 90th percentile
// and maximum, the rows at START + 45 s, the first row after the START and
// the slowest shot; then whether the rows stored are the shots fired after
// the START, in order, and the boxes the operator was shown. A held shot is
// ruled by what the simulator knows: the first held shot fired after the
// START.
//
//   range_bench_deaflane [--speed N] [--lanes N] [--deaf LANE] [--type ID]
//                        [--deaf-before MS] [--back-after MS] [--pace MS]
//                        [--runs N] [--trace FILE] [Qt Test options]
//
// --speed: the exercise clock's speed (default 10); --lanes: lanes 1 to N
// (3); --deaf: the deaf lane (2); --type: the competition type
// (CompetitionsType.xml, default 2, the 40-shot air rifle); --deaf-before:
// deaf that long before the sighting's end by the exercise clock (2500);
// --back-after: hears again that long after the match START (6000);
// --pace: the shooters' pace instead of scripts/run.sh's for the speed (a
// real-speed pace with the sighting sped up: a target that missed the match
// START still runs the sighting's 15 minutes on its own clock, and at real
// speed they are over by then, so it takes no shot); --runs: the road that many times, each on a fresh run folder (1); --trace:
// every shot, poll and row, with its time, into that file. Offscreen unless
// QT_QPA_PLATFORM says otherwise. Not a test of CTest: a run lasts minutes.

#include <QFile>
#include <QMutex>
#include <QPushButton>
#include <QTableView>
#include <QTextStream>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "dialogheldshots.h"
#include "myevent.h"
#include "rangesimulator.h"
#include "rifleseriesevent.h"
#include "roadtest.h"
#include "simulatorthread.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tusermodul.h"

namespace {

constexpr int kStartCode = 0xA0;
constexpr int kPollCode = 0xA3;
constexpr int kSpreadTenthsMm = 40; // as scripts/run.sh gives the shooters
constexpr int kRealPaceMs = 6000;
constexpr int kFastestPaceMs = 2000; // the bus reads each of 10 lanes once in it
constexpr qint64 kCountAtMs = 45000; // the rows counted this long after the START
constexpr int kRowCheckMs = 20;      // the rows looked at this often besides the list's signals
constexpr int kStepTimeoutMs = 120000;

// The options given by number, with their defaults; --trace names a file.
const QHash<QString, int> kDefaults{{"--speed", 10},       {"--lanes", 3},         {"--deaf", 2},
                                    {"--type", 2},         {"--deaf-before", 2500}, {"--back-after", 6000},
                                    {"--runs", 1},         {"--pace", 0}};

struct Options
{
    QHash<QString, int> numbers = kDefaults;
    QString trace;
    int operator[](const char *name) const { return numbers.value(QLatin1String(name)); }
};

// A shot the simulator's target recorded, or a poll it took in (for that
// number, without a place), on the bench's clock.
struct Fired
{
    double ms = 0;
    int lane = 0;
    int number = 0;
    QPoint point; // tenths of a millimetre from the centre, magnitudes
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const auto rank = size_t(std::ceil(p * double(values.size())));
    return values.at(std::max<size_t>(rank, 1) - 1);
}

QString seconds(double ms)
{
    return std::isnan(ms) ? QStringLiteral("-") : QString::number(ms / 1000.0, 'f', 2);
}

} // namespace

class BenchDeafLane : public RoadTest
{
    Q_OBJECT

public:
    explicit BenchDeafLane(const Options &options) : m_options(options) {}

private slots:
    void deafAcrossTheMatchStart_data();
    void deafAcrossTheMatchStart();

private:
    double nowMs() const { return double(m_clock.nsecsElapsed()) / 1e6; }
    // The simulator's shots and start frames, stamped in its own thread as
    // they happen.
    void recordTraffic();
    QList<Fired> firedAfter(int lane, double fromMs) const;
    // The first held shot fired after the match START, by its number on the
    // target's page and its place on the face: the truth the official rules by.
    int rule(int target, const QList<HeldShot> &held) const;
    void setHearing(bool hears, double *atMs);
    void report(const TBulletList *list, int eventID, int matchCount, double sightingOverMs);
    void writeTrace(int run) const;

    Options m_options;
    QElapsedTimer m_clock;
    mutable QMutex m_lock; // guards the two lists below, filled in the simulator's thread
    QList<Fired> m_fired;
    QList<Fired> m_polls;
    QList<double> m_starts;
    // By lane: when each of its match shots (as firedAfter the START gives
    // them) first showed on the run page; NAN while it has not.
    QHash<int, std::vector<double>> m_rows;
    double m_matchStartMs = -1;
    double m_deafMs = -1;
    double m_onMs = -1;
    int m_rulings = 0;
};

void BenchDeafLane::recordTraffic()
{
    simulator()->call([this](RangeSimulator &sim) {
        connect(
            &sim, &RangeSimulator::sig_traffic, &sim,
            [this](const TrafficEntry &entry) {
                const auto byte = [&entry](int i) { return int(quint8(entry.bytes.at(i))); };
                const double at = nowMs();
                QMutexLocker locker(&m_lock);
                if (entry.kind == TrafficEntry::Shot)
                    m_fired << Fired{at, entry.address, byte(3),
                                     QPoint(byte(4) << 8 | byte(5), byte(6) << 8 | byte(7))};
                else if (entry.kind == TrafficEntry::Received && entry.code == kStartCode)
                    m_starts << at;
                else if (entry.kind == TrafficEntry::Received && entry.code == kPollCode
                         && entry.bytes.size() > 3)
                    m_polls << Fired{at, entry.address, byte(3), QPoint()};
            },
            Qt::DirectConnection);
    });
}

QList<Fired> BenchDeafLane::firedAfter(int lane, double fromMs) const
{
    QMutexLocker locker(&m_lock);
    QList<Fired> shots;
    for (const Fired &shot : m_fired) {
        if (shot.lane == lane && shot.ms > fromMs)
            shots << shot;
    }
    return shots;
}

int BenchDeafLane::rule(int target, const QList<HeldShot> &held) const
{
    const QList<Fired> match = m_matchStartMs < 0 ? QList<Fired>() : firedAfter(target, m_matchStartMs);
    for (int i = 0; i < held.size(); ++i) {
        const HeldShot &shot = held.at(i);
        const bool fired = std::any_of(match.cbegin(), match.cend(), [&shot](const Fired &f) {
            return f.number == shot.targetNumber && f.point.x() == std::abs(shot.point.x())
                   && f.point.y() == std::abs(shot.point.y());
        });
        if (fired)
            return i;
    }
    return LaneStart::kNone;
}

void BenchDeafLane::setHearing(bool hears, double *atMs)
{
    const int lane = m_options["--deaf"];
    simulator()->call([lane, hears](RangeSimulator &sim) {
        sim.setTargetPresent(lane, true);
        sim.setTargetHearing(lane, hears);
    });
    *atMs = nowMs();
}

void BenchDeafLane::deafAcrossTheMatchStart_data()
{
    QTest::addColumn<int>("run");
    for (int run = 1; run <= m_options["--runs"]; ++run)
        QTest::newRow(qPrintable(QStringLiteral("run %1").arg(run))) << run;
}

void BenchDeafLane::deafAcrossTheMatchStart()
{
    QFETCH(int, run);
    {
        QMutexLocker locker(&m_lock);
        m_fired.clear();
        m_polls.clear();
        m_starts.clear();
    }
    m_rows.clear();
    m_matchStartMs = m_deafMs = m_onMs = -1;
    m_rulings = 0;
    m_clock.start();
    setClockSpeed(m_options["--speed"]);
    QList<int> lanes;
    for (int lane = 1; lane <= m_options["--lanes"]; ++lane)
        lanes << lane;
    // The range's own bus gaps and start-copy window, as the program meets them.
    QVERIFY(startSimulator(lanes));
    recordTraffic();
    DialogHeldShots::setTestRuling([this](int target, const QList<HeldShot> &held) {
        ++m_rulings;
        return rule(target, held);
    });
    const auto noRuling = qScopeGuard([] { DialogHeldShots::setTestRuling({}); });

    QVERIFY(createCompetition(m_options["--type"], QStringLiteral("Deaf lane")) > 0);
    for (int lane : lanes)
        QVERIFY(addNewMember(QStringLiteral("Name%1").arg(lane), QStringLiteral("Family%1").arg(lane), lane) > 0);
    TEvent *event = userModul()->currentCompetition()->event(0);
    const int eventID = event->id();
    // The relays as laid out by default: the members on targets 1 to N.
    QVERIFY(click("pBNext"));
    QVERIFY(openCurrentRelay());
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Run);
    auto *list = qobject_cast<TBulletList *>(widget<QTableView>("tv_bullets")->model());
    QVERIFY(list);

    // A shot shows the moment the list holds it among the lane's match
    // shots (found by its place on the face: a shot held waits, and the
    // ones after it show before it); the list's signals say when it
    // changed, a timer catches what they might not.
    const int matchCount = event->matchCount();
    const auto lookAtRows = [this, list, &lanes, matchCount] {
        if (m_matchStartMs < 0)
            return;
        const double now = nowMs();
        for (int lane : lanes) {
            QList<QPoint> onPage;
            if (const TMemberPlace *place = list->placeByTarget(lane)) {
                for (const TBullet *shot : place->shots()) {
                    if (shot->stage() == TMemberPlace::kMatch)
                        onPage << shot->point();
                }
            }
            const QList<Fired> match = firedAfter(lane, m_matchStartMs).mid(0, matchCount);
            std::vector<double> &shown = m_rows[lane];
            shown.resize(size_t(match.size()), NAN);
            for (int k = 0; k < match.size(); ++k) {
                const int row = onPage.indexOf(match.at(k).point);
                if (row < 0)
                    continue;
                onPage.removeAt(row);
                if (std::isnan(shown[size_t(k)]))
                    shown[size_t(k)] = now;
            }
        }
    };
    connect(list, &QAbstractItemModel::dataChanged, this, lookAtRows);
    connect(list, &QAbstractItemModel::layoutChanged, this, lookAtRows);
    connect(list, &QAbstractItemModel::modelReset, this, lookAtRows);
    QTimer rowCheck;
    connect(&rowCheck, &QTimer::timeout, this, lookAtRows);
    rowCheck.start(kRowCheckMs);

    const int paceMs = m_options["--pace"] > 0
        ? m_options["--pace"]
        : std::max(kFastestPaceMs, kRealPaceMs / m_options["--speed"]);
    startShooters(lanes, paceMs, kSpreadTenthsMm);
    const auto stop = qScopeGuard([this, &lanes] { stopShooters(lanes); });
    QVERIFY(startSighting());
    const double sightingMs = nowMs();
    const double sightingLengthMs = RifleSeriesEvent::kSightingSeconds * 1000.0 / m_options["--speed"];
    const double deafAtMs = sightingMs + sightingLengthMs - m_options["--deaf-before"];
    auto *start = onPage<QPushButton>(Page::Run, "pbStart");
    const auto matchOffered = [start] {
        return start->isEnabled() && start->text().startsWith(QStringLiteral("MATCH"));
    };
    const int sightingBoundMs = int(sightingLengthMs) + kStepTimeoutMs;
    QVERIFY(QTest::qWaitFor([&] { return nowMs() >= deafAtMs || matchOffered(); }, sightingBoundMs));
    QVERIFY2(!matchOffered(), "the sighting was over before the lane went deaf");
    setHearing(false, &m_deafMs);
    QVERIFY(QTest::qWaitFor(matchOffered, sightingBoundMs));
    const double sightingOverMs = nowMs();
    const double clickMs = nowMs();
    QVERIFY(startMatch());
    QVERIFY(QTest::qWaitFor(
        [&] {
            QMutexLocker locker(&m_lock);
            return !m_starts.isEmpty() && m_starts.last() >= clickMs;
        },
        kStepTimeoutMs));
    {
        QMutexLocker locker(&m_lock);
        m_matchStartMs = *std::find_if(m_starts.cbegin(), m_starts.cend(),
                                       [clickMs](double at) { return at >= clickMs; });
    }
    QVERIFY(QTest::qWaitFor([&] { return nowMs() >= clickMs + m_options["--back-after"]; },
                            kStepTimeoutMs));
    setHearing(true, &m_onMs);

    // Until the exercise is over: every lane has its count.
    auto *next = onPage<QPushButton>(Page::Run, "pBNext");
    const int matchBoundMs = matchCount * paceMs * 3 + kStepTimeoutMs;
    const bool finished = QTest::qWaitFor([next] { return next->isVisible() && next->isEnabled(); },
                                          matchBoundMs);
    lookAtRows();
    rowCheck.stop();
    if (!finished)
        std::printf("the exercise did not finish within %d s\n", matchBoundMs / 1000);
    std::printf("\nrun %d: speed x%d, %d lanes, lane %d deaf, a shot every %d ms, %d match shots\n",
                run, m_options["--speed"], m_options["--lanes"], m_options["--deaf"], paceMs, matchCount);
    report(list, eventID, matchCount, sightingOverMs);
    writeTrace(run);
}

void BenchDeafLane::report(const TBulletList *list, int eventID, int matchCount,
                           double sightingOverMs)
{
    const double startMs = m_matchStartMs;
    std::printf("deaf %.1f s before the sighting was over; match START %.2f s after it was "
                "offered; hears again START + %.1f s\n",
                (sightingOverMs - m_deafMs) / 1000.0, (startMs - sightingOverMs) / 1000.0,
                (m_onMs - startMs) / 1000.0);
    std::printf("from a shot's firing to its row on the run page, s:\n");
    std::printf("lane  fired  rows  median    p90    max   rows@START+45s  first row  stored  "
                "right  slowest shot (fired, shown; s from START)\n");
    for (int lane = 1; lane <= m_options["--lanes"]; ++lane) {
        const QList<Fired> match = firedAfter(lane, startMs).mid(0, matchCount);
        const std::vector<double> &shown = m_rows[lane];
        std::vector<double> delays;
        int slowest = -1;
        for (int k = 0; k < match.size() && k < int(shown.size()); ++k) {
            if (std::isnan(shown.at(size_t(k))))
                continue;
            delays.push_back(shown.at(size_t(k)) - match.at(k).ms);
            if (slowest < 0 || delays.back() > shown.at(size_t(slowest)) - match.at(slowest).ms)
                slowest = k;
        }
        const auto by45 = std::count_if(shown.cbegin(), shown.cend(),
                                        [startMs](double at) { return at <= startMs + kCountAtMs; });
        const double first = delays.empty() ? NAN : *std::min_element(shown.cbegin(), shown.cend(), [](double a, double b) {
            return std::isnan(b) || (!std::isnan(a) && a < b);
        }) - startMs;
        // The stored rows against the shots fired after the START, in order.
        const Rows stored =
            rows("SELECT fNumber, fX, fY FROM tbullets WHERE fEventID = ? AND fMemberID = ? "
                 "ORDER BY fNumber",
                 {eventID, list->memberIdOfTarget(lane)});
        int right = 0;
        for (int k = 0; k < stored.size() && k < match.size(); ++k) {
            if (stored.at(k).value(1).toInt() == match.at(k).point.x()
                && stored.at(k).value(2).toInt() == match.at(k).point.y())
                ++right;
        }
        const QString slow = slowest < 0 ? QStringLiteral("-")
                                         : QStringLiteral("#%1 %2, %3")
                                               .arg(match.at(slowest).number)
                                               .arg(seconds(match.at(slowest).ms - startMs),
                                                    seconds(shown.at(size_t(slowest)) - startMs));
        std::printf("%4d  %5d  %4d  %6s  %5s  %5s  %15d  %9s  %6d  %5d  %s\n", lane, int(match.size()),
                    int(delays.size()), qPrintable(seconds(percentile(delays, 0.5))),
                    qPrintable(seconds(percentile(delays, 0.9))),
                    qPrintable(seconds(delays.empty() ? NAN
                                                      : *std::max_element(delays.cbegin(), delays.cend()))),
                    int(by45), qPrintable(seconds(first)), int(stored.size()), right, qPrintable(slow));
    }
    std::printf("rulings asked: %d\n", m_rulings);
    QMap<QString, int> boxes;
    for (const Warnings::Shown &box : takeWarnings())
        ++boxes[box.title];
    for (auto it = boxes.cbegin(); it != boxes.cend(); ++it)
        std::printf("box \"%s\": %d\n", qPrintable(it.key()), it.value());
    const QList<int> errors = takeStorageErrors();
    if (!errors.isEmpty())
        std::printf("storage errors: %d\n", int(errors.size()));
    std::fflush(stdout);
}

void BenchDeafLane::writeTrace(int run) const
{
    if (m_options.trace.isEmpty())
        return;
    QFile file(m_options.trace);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&file);
    const double zero = m_matchStartMs;
    out << "# run " << run << ": times in s from the match START; deaf "
        << (m_deafMs - zero) / 1000 << ", on " << (m_onMs - zero) / 1000 << "\n";
    QMutexLocker locker(&m_lock);
    for (const Fired &shot : m_fired)
        out << QString::asprintf("%9.3f fired lane %d #%d %d,%d\n", (shot.ms - zero) / 1000, shot.lane,
                                 shot.number, shot.point.x(), shot.point.y());
    for (const Fired &poll : m_polls)
        out << QString::asprintf("%9.3f polled lane %d #%d\n", (poll.ms - zero) / 1000, poll.lane,
                                 poll.number);
    locker.unlock();
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        const QList<Fired> match = firedAfter(it.key(), zero);
        for (size_t k = 0; k < it.value().size(); ++k)
            out << QString::asprintf("%9.3f row lane %d #%d\n", (it.value().at(k) - zero) / 1000,
                                     it.key(), match.at(int(k)).number);
    }
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt Test ends a test function after 5 minutes; a run at real speed
    // takes about 20.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(3600 * 1000));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QStringList arguments = app.arguments();
    Options options;
    for (int i = 1; i + 1 < arguments.size();) {
        const QString name = arguments.at(i);
        bool ok = name == QLatin1String("--trace");
        if (ok)
            options.trace = arguments.at(i + 1);
        else if (options.numbers.contains(name))
            options.numbers[name] = arguments.at(i + 1).toInt(&ok);
        if (!ok) {
            ++i;
            continue;
        }
        arguments.erase(arguments.begin() + i, arguments.begin() + i + 2);
    }
    if (options["--speed"] < 1 || options["--lanes"] < 1 || options["--deaf"] < 1
        || options["--deaf"] > options["--lanes"] || options["--runs"] < 1) {
        std::fprintf(stderr, "bad options\n");
        return 2;
    }
    BenchDeafLane bench(options);
    return QTest::qExec(&bench, arguments);
}

#include "main.moc"
