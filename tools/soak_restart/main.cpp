// The program killed (SIGKILL) in the middle of a match and started again,
// cycle after cycle, while the range goes on: the simulated shooters never
// stop, so the targets hold the killed match's page (and go on filling it)
// while the program starts, clears the unfinished members and shoots the
// relay again from its sighting START, which one lane a cycle, in turn,
// misses while it answers polls. After each restart, once every target
// holds a random number of match shots, the program is killed again and each
// lane is weighed:
//   - stored against held: the member's stored match shots against the shots
//     the lane's target holds on its page, and whether each stored shot is
//     the target's shot of that number (a shot of an earlier page is not);
//   - looping: the numbers the lane was polled for since the match START
//     going back again and again (a lane read again from an earlier shot
//     more than kLoopBackSteps times);
//   - told: the message boxes the program showed in the cycle.
// A lane that loops, lags (kLagShots behind the cycle's best lane), has a
// stored shot that is not its target's, or was in a start state other than
// Fresh (the program's first page), Taken and New (judging, kept, other...)
// gets the cycle's trace written to the output folder: the lane's START
// frames, polls, answers and shots from the simulator's log, merged with the
// lane's start state (LaneStart) as the program went through it and the
// boxes it showed, as the killed program printed them.
//
//   range_soak_restart [--cycles N] [--minutes M] [--lanes N] [--pace MS]
//                      [--clock-speed N] [--out DIR]
//
// The same executable is the killed program (--program, started by the
// soak itself): the real main window on the soak's run folder, walking the
// operator's road from the competition list to the match.

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include <sys/prctl.h>

#include "lanestart.h"
#include "rangesimulator.h"
#include "roadtest.h"
#include "simframe.h"
#include "simulatorthread.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tusermodul.h"

namespace {

constexpr int kRifle60 = 1; // one position, 60 match shots
// A lane read again from an earlier number more often than this loops.
constexpr int kLoopBackSteps = 3;
// A lane with this many stored shots fewer than the best lane of the cycle lags.
constexpr int kLagShots = 6;
const QByteArray kLinePrefix = "SOAK: ";
const QByteArray kMatchStarted = "SOAK: match started";
const char *const kRunFolderVariable = "RANGE_SOAK_RUN_FOLDER";
const char *const kLanesVariable = "RANGE_SOAK_LANES";
const char *const kClockVariable = "RANGE_SOAK_CLOCK_SPEED";

struct Options
{
    int cycles = 100;
    int minutes = 45;
    int lanes = 4;
    int paceMs = 100;
    int clockSpeed = RoadTest::kClockSpeed;
    QString out = QStringLiteral("soak-restart");
    bool traceAll = false;
    int killFrom = 5; // the kill comes once every target holds this many match shots, or more
    int killTo = 44;
    int seed = 1;
};

Options g_options;

const char *stateName(LaneStart::State state)
{
    switch (state) {
    case LaneStart::State::Fresh: return "Fresh";
    case LaneStart::State::Taken: return "Taken";
    case LaneStart::State::Judging: return "Judging";
    case LaneStart::State::New: return "New";
    case LaneStart::State::Kept: return "Kept";
    case LaneStart::State::Other: return "Other";
    }
    return "?";
}

void say(const QString &line)
{
    std::printf("%s%lld %s\n", kLinePrefix.constData(), QDateTime::currentMSecsSinceEpoch(),
                qPrintable(line));
    std::fflush(stdout);
}

} // namespace

// ---------------------------------------------------------------- the killed program

class SoakProgram : public RoadTest
{
    Q_OBJECT

private slots:
    void init()
    {
        // Goes with the soak, should the soak itself be ended.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        useRunFolder(qEnvironmentVariable(kRunFolderVariable));
        RoadTest::init();
        setClockSpeed(qEnvironmentVariableIntValue(kClockVariable));
        shortenBusGaps();
    }

    void shootUntilKilled()
    {
        QVERIFY(click("pBContinue"));
        QVERIFY(clickRow("lw_Competitions", 0));
        QVERIFY(click("pBNext1"));
        int cleared = 0;
        for (QWidget *question = widget("DialogCheckMemberColBull");
             question && question->isVisible() && cleared < 100;
             question = widget("DialogCheckMemberColBull")) {
            QVERIFY(click("pbClear"));
            ++cleared;
        }
        say(QStringLiteral("cleared %1 question(s)").arg(cleared));
        QCOMPARE(page(), Page::Members);
        const int eventID = userModul()->currentCompetition()->event(0)->id();
        QVERIFY(click("pBNext"));
        QVERIFY(openCurrentRelay());
        QTimer trace;
        connect(&trace, &QTimer::timeout, this, [this, eventID] { traceLanes(eventID); });
        trace.start(1);
        QVERIFY(click("pBNext"));
        QVERIFY(startSighting());
        say(QStringLiteral("sighting started"));
        QVERIFY(startMatch());
        std::printf("%s\n", kMatchStarted.constData());
        std::fflush(stdout);
        // The soak kills the program long before this.
        QTest::qWait(10 * kTimeoutMs);
        QFAIL("the program was not killed");
    }

private:
    // Each lane's start state and every box, as they change.
    void traceLanes(int eventID)
    {
        const QList<Warnings::Shown> boxes = Warnings::shown();
        for (int i = m_boxes; i < boxes.size(); ++i)
            say(QStringLiteral("box \"%1\": %2")
                    .arg(boxes.at(i).title, QString(boxes.at(i).text).replace('\n', " / ")));
        m_boxes = boxes.size();
        const TBulletList *list = userModul()->bulletList(eventID);
        const int lanes = qEnvironmentVariableIntValue(kLanesVariable);
        for (int lane = 1; list && lane <= lanes; ++lane) {
            const TMemberPlace *place = list->placeByTarget(lane);
            if (!place)
                continue;
            const QString now = QStringLiteral("%1 read up to %2%3")
                                    .arg(stateName(place->laneStart().state()))
                                    .arg(place->lastBulletNumber(place->stage()))
                                    .arg(place->laneStart().holdsShots() ? " holding" : "");
            if (m_states.value(lane) != now) {
                m_states[lane] = now;
                say(QStringLiteral("lane %1 %2").arg(lane).arg(now));
            }
        }
    }

    QHash<int, QString> m_states;
    int m_boxes = 0;
};

// ---------------------------------------------------------------- the soak

namespace {

struct LaneWeight
{
    int lane = 0;
    int held = 0;       // the target's page at the kill
    int stored = 0;     // the member's stored match shots
    int foreign = 0;    // stored shots that are not the target's shot of that number
    int backSteps = 0;  // polls for a lower number than the one before, since the match START
    QList<int> polls;   // numbers polled since the match START, repeats of one in a row kept once
    bool loops() const { return backSteps > kLoopBackSteps; }
    bool lags(int best) const { return best - stored >= kLagShots; }
};

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

} // namespace

class SoakRestart : public RoadTest
{
    Q_OBJECT

private slots:
    void killAndRestart();

private:
    QList<LaneWeight> weigh(int eventID, const QList<int> &members, const QList<int> &held,
                            const QList<TrafficEntry> &traffic, int matchStart);
    void writeTrace(int cycle, const LaneWeight &weight, const QList<TrafficEntry> &traffic,
                    const QList<QByteArray> &output, qint64 simEpochMs);
    qint64 simulatorEpochMs();

    QList<int> m_lanes;
};

// The wall time (ms since the epoch) of the simulator's clock zero, from its
// latest log entry: the line is polled every few ms.
qint64 SoakRestart::simulatorEpochMs()
{
    const QList<TrafficEntry> traffic = simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return traffic.isEmpty() ? now : now - traffic.last().timeUs / 1000;
}

QList<LaneWeight> SoakRestart::weigh(int eventID, const QList<int> &members,
                                     const QList<int> &held, const QList<TrafficEntry> &traffic,
                                     int matchStart)
{
    QList<LaneWeight> weights;
    for (int i = 0; i < m_lanes.size(); ++i) {
        LaneWeight w;
        w.lane = m_lanes.at(i);
        w.held = held.at(i);
        const QVector<SimShot> shots = simulator()->call(
            [lane = w.lane](RangeSimulator &sim) { return sim.lane(lane)->target.shots(); });
        const Rows stored = rows("SELECT fNumber, fX, fY FROM tbullets WHERE fEventID=? AND "
                                 "fMemberID=? ORDER BY fNumber",
                                 {eventID, members.at(i)});
        w.stored = stored.size();
        for (const QVariantList &row : stored) {
            const int n = row.value(0).toInt();
            if (n < 1 || n > shots.size() || row.value(1).toInt() != shots.at(n - 1).x
                || row.value(2).toInt() != shots.at(n - 1).y)
                ++w.foreign;
        }
        int previous = 0;
        for (int e = matchStart; e < traffic.size(); ++e) {
            const TrafficEntry &entry = traffic.at(e);
            if (entry.kind != TrafficEntry::Received || entry.address != w.lane
                || entry.code != SimFrame::kCodePoll || entry.bytes.size() <= 3)
                continue;
            const int number = SimFrame::byteAt(entry.bytes, 3);
            if (number == previous)
                continue;
            if (number < previous)
                ++w.backSteps;
            w.polls << number;
            previous = number;
        }
        weights << w;
    }
    return weights;
}

void SoakRestart::writeTrace(int cycle, const LaneWeight &weight,
                             const QList<TrafficEntry> &traffic, const QList<QByteArray> &output,
                             qint64 simEpochMs)
{
    QFile file(QDir(g_options.out).filePath(QStringLiteral("cycle-%1-lane-%2.txt").arg(cycle).arg(weight.lane)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    QTextStream stream(&file);
    stream << "cycle " << cycle << " lane " << weight.lane << ": held " << weight.held
           << ", stored " << weight.stored << ", not the target's " << weight.foreign
           << ", back steps " << weight.backSteps << "\n";
    QStringList polls;
    for (int n : weight.polls)
        polls << QString::number(n);
    stream << "polls since the match START (a run of one number once): " << polls.join(' ') << "\n\n";
    // Both logs by wall time: the simulator's frames of the lane (and every
    // START), the program's lines.
    QList<QPair<qint64, QString>> lines;
    for (const TrafficEntry &entry : traffic) {
        const bool start = entry.kind == TrafficEntry::Received && entry.code == SimFrame::kCodeStart;
        if (entry.address != weight.lane && !start)
            continue;
        static const char *const kinds[] = {"<-", "->", "noise", "injected", "SHOT"};
        lines << qMakePair(simEpochMs + entry.timeUs / 1000,
                           QStringLiteral("sim %1 %2").arg(kinds[entry.kind], hex(entry.bytes)));
    }
    for (const QByteArray &line : output) {
        if (!line.startsWith(kLinePrefix))
            continue;
        const QList<QByteArray> parts = line.mid(kLinePrefix.size()).split(' ');
        bool stamped = false;
        const qint64 at = parts.value(0).toLongLong(&stamped);
        if (stamped)
            lines << qMakePair(at, QStringLiteral("program ")
                                       + QString::fromUtf8(line.mid(kLinePrefix.size() + parts.value(0).size() + 1)));
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    const qint64 first = lines.isEmpty() ? 0 : lines.first().first;
    for (const auto &line : lines)
        stream << QString::number(line.first - first).rightJustified(7) << " ms  " << line.second << "\n";
}

void SoakRestart::killAndRestart()
{
    for (int lane = 1; lane <= g_options.lanes; ++lane)
        m_lanes << lane;
    QVERIFY(QDir().mkpath(g_options.out));
    QVERIFY(startRange(m_lanes));
    QVERIFY(createCompetition(kRifle60, "Soak") > 0);
    QList<int> members;
    for (int lane : m_lanes)
        members << addNewMember(QStringLiteral("Name%1").arg(lane), QStringLiteral("Family%1").arg(lane), lane);
    QVERIFY(!members.contains(-1));
    QVERIFY(click("pBNext")); // one relay: member n on target n
    const int eventID = userModul()->currentCompetition()->event(0)->id();
    QVERIFY(shutDown());
    destroyWindow();
    // The shooters fire from now on, through every kill and restart.
    startShooters(m_lanes, g_options.paceMs);

    QRandomGenerator random(quint32(g_options.seed));
    QElapsedTimer soak;
    soak.start();
    int cycles = 0;
    int failed = 0;
    QMap<int, int> loops, lags, foreign, leftTaken;
    QSet<QString> boxes;
    QList<QString> noted;
    std::printf("cycle  kill at  lane: held/stored back-steps  [LOOP LAG FOREIGN]  boxes\n");
    while (cycles < g_options.cycles && soak.elapsed() < qint64(g_options.minutes) * 60000) {
        ++cycles;
        simulator()->call([](RangeSimulator &sim) { sim.clearTraffic(); });
        // One lane a cycle, in turn, misses the relay's first START while it
        // answers polls: it keeps the killed match's page through the sighting.
        const int missing = m_lanes.at((cycles - 1) % m_lanes.size());
        simulator()->call([missing](RangeSimulator &sim) { sim.missNextStart(missing); });
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kRunFolderVariable, runFolder().path());
        environment.insert(kLanesVariable, QString::number(g_options.lanes));
        environment.insert(kClockVariable, QString::number(g_options.clockSpeed));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.remove(kScreenshotVariable);
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QByteArray buffer;
        QList<QByteArray> output;
        connect(&program, &QProcess::readyReadStandardOutput, this, [&] {
            buffer += program.readAllStandardOutput();
            for (int end = buffer.indexOf('\n'); end >= 0; end = buffer.indexOf('\n')) {
                output << buffer.left(end);
                buffer.remove(0, end + 1);
            }
        });
        program.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--program")});
        QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));
        int matchStart = -1;
        const bool started = QTest::qWaitFor(
            [&] {
                if (output.contains(kMatchStarted)) {
                    matchStart = simulator()->call([](RangeSimulator &sim) { return sim.traffic().size(); });
                    return true;
                }
                return program.state() != QProcess::Running;
            },
            3 * kTimeoutMs);
        if (!started || matchStart < 0) {
            ++failed;
            std::printf("%5d  the program did not reach the match (%s); output:\n", cycles,
                        started ? "it ended" : "time-out");
            for (const QByteArray &line : output)
                std::printf("    %s\n", line.constData());
            program.kill();
            program.waitForFinished(kTimeoutMs);
            continue;
        }
        // The match START: the last START frame before the program said so.
        QList<TrafficEntry> traffic = simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
        for (int e = qMin(matchStart, int(traffic.size())) - 1; e >= 0; --e) {
            if (traffic.at(e).kind == TrafficEntry::Received && traffic.at(e).code == SimFrame::kCodeStart) {
                matchStart = e;
                break;
            }
        }
        const int killAt =
            g_options.killFrom + int(random.bounded(g_options.killTo - g_options.killFrom + 1));
        const auto heldShots = [this] {
            QList<int> held;
            for (int lane : m_lanes)
                held << simulator()->call([lane](RangeSimulator &sim) { return int(sim.lane(lane)->target.shots().size()); });
            return held;
        };
        const bool reached = QTest::qWaitFor([&] {
            const QList<int> held = heldShots();
            return *std::min_element(held.cbegin(), held.cend()) >= killAt
                   || program.state() != QProcess::Running;
        }, 3 * kTimeoutMs);
        if (!reached || program.state() != QProcess::Running)
            std::printf("%5d  the program ended or the targets stayed short before the kill\n", cycles);
        const QList<int> held = heldShots();
        const qint64 simEpoch = simulatorEpochMs();
        program.kill();
        program.waitForFinished(kTimeoutMs);
        buffer += program.readAllStandardOutput();
        output << buffer.split('\n');
        traffic = simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
        const QList<LaneWeight> weights = weigh(eventID, members, held, traffic, matchStart);
        QStringList told;
        for (const QByteArray &line : output) {
            const int box = line.indexOf(" box ");
            if (line.startsWith(kLinePrefix) && box > 0) {
                told << QString::fromUtf8(line.mid(box + 5));
                boxes << QString::fromUtf8(line.mid(box + 5));
            }
        }
        // The start states each lane went through, where it left Taken.
        QMap<int, QStringList> paths;
        for (const QByteArray &out : output) {
            const QList<QByteArray> parts = out.split(' ');
            if (!out.startsWith(kLinePrefix) || parts.value(2) != "lane" || parts.size() <= 4)
                continue;
            QStringList &path = paths[parts.value(3).toInt()];
            const QString state = QString::fromLatin1(parts.value(4));
            // Every lane opens Fresh, before the program's first START.
            if (path.isEmpty() && state == QLatin1String("Fresh"))
                continue;
            if (path.isEmpty() || path.last() != state)
                path << state;
        }
        int best = 0;
        for (const LaneWeight &w : weights)
            best = qMax(best, w.stored);
        QString line = QStringLiteral("%1  %2    ").arg(cycles, 5).arg(killAt, 3);
        for (const LaneWeight &w : weights) {
            QString marks;
            if (w.loops()) {
                marks += " LOOP";
                ++loops[w.lane];
            }
            if (w.lags(best)) {
                marks += " LAG";
                ++lags[w.lane];
            }
            if (w.foreign > 0) {
                marks += QStringLiteral(" FOREIGN%1").arg(w.foreign);
                ++foreign[w.lane];
            }
            line += QStringLiteral("%1: %2/%3 %4%5  ").arg(w.lane).arg(w.held).arg(w.stored).arg(w.backSteps).arg(marks);
            const QStringList path = paths.value(w.lane);
            const bool doubted = std::any_of(path.cbegin(), path.cend(), [](const QString &state) {
                return state != QLatin1String("Taken") && state != QLatin1String("New");
            });
            if (!marks.isEmpty() || doubted || g_options.traceAll)
                writeTrace(cycles, w, traffic, output, simEpoch);
            if (!marks.isEmpty()) {
                noted << QStringLiteral("cycle %1 lane %2:%3").arg(cycles).arg(w.lane).arg(marks);
            }
        }
        line += QStringLiteral("%1 box(es)").arg(told.size());
        for (auto path = paths.cbegin(); path != paths.cend(); ++path) {
            if (path.value().size() > 1 || path.value().value(0) != QLatin1String("Taken")) {
                line += QStringLiteral("  lane %1 %2").arg(path.key()).arg(path.value().join('>'));
                ++leftTaken[path.key()];
            }
        }
        std::printf("%s\n", qPrintable(line));
        for (const QString &box : told)
            std::printf("       box %s\n", qPrintable(box));
        std::fflush(stdout);
    }
    stopShooters(m_lanes);

    std::printf("\n%d cycles in %.1f min (%d did not reach the match), %d lanes, shooters every %d ms, "
                "clock x%d\n",
                cycles, soak.elapsed() / 60000.0, failed, g_options.lanes, g_options.paceMs,
                g_options.clockSpeed);
    for (int lane : m_lanes)
        std::printf("lane %d: looped in %d, lagged in %d, stored a shot not its target's in %d, "
                    "left Taken in %d\n",
                    lane, loops.value(lane), lags.value(lane), foreign.value(lane),
                    leftTaken.value(lane));
    for (const QString &note : noted)
        std::printf("  %s\n", qPrintable(note));
    std::printf("boxes shown: %d kinds\n", int(boxes.size()));
    for (const QString &box : boxes)
        std::printf("  %s\n", qPrintable(box));
    QCOMPARE(failed, 0);
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Kills the real program (SIGKILL) mid-match and starts it again, cycle after cycle, "
        "against the range simulator with shooters that never stop; after each restart it "
        "weighs every lane: stored shots against the target's, polls that loop, boxes shown. "
        "Traces of the lanes that loop or lag go to the output folder.");
    parser.addHelpOption();
    const QCommandLineOption cycles("cycles", "Kill and restart cycles (default 100).", "N", "100");
    const QCommandLineOption minutes("minutes", "Stop after this many minutes (default 45).", "M", "45");
    const QCommandLineOption lanes("lanes", "Lanes, one member each (default 4).", "N", "4");
    const QCommandLineOption pace("pace", "A shot on every lane every MS (default 100).", "MS", "100");
    const QCommandLineOption clock("clock-speed", "Exercise clock factor (default 300).", "N",
                                   QString::number(RoadTest::kClockSpeed));
    const QCommandLineOption out("out", "Folder for the traces (default soak-restart).", "DIR",
                                 "soak-restart");
    const QCommandLineOption seed("seed", "Seed of the kill points (default 1).", "N", "1");
    const QCommandLineOption kill("kill-at",
                                  "Kill once every target holds a random number of match shots "
                                  "from FROM to TO (default 5-44).",
                                  "FROM-TO", "5-44");
    const QCommandLineOption traceAll("trace-all", "Write the trace of every lane of every cycle.");
    const QCommandLineOption program("program", "Be the killed program (the soak starts it).");
    parser.addOptions({cycles, minutes, lanes, pace, clock, out, seed, kill, traceAll, program});
    parser.process(app);
    const QStringList testArguments{app.arguments().value(0)};
    if (parser.isSet(program)) {
        SoakProgram killed;
        return QTest::qExec(&killed, testArguments);
    }
    g_options.cycles = qMax(1, parser.value(cycles).toInt());
    g_options.minutes = qMax(1, parser.value(minutes).toInt());
    g_options.lanes = qBound(1, parser.value(lanes).toInt(), 10);
    g_options.paceMs = qMax(10, parser.value(pace).toInt());
    g_options.clockSpeed = qMax(1, parser.value(clock).toInt());
    g_options.out = parser.value(out);
    g_options.seed = parser.value(seed).toInt();
    g_options.traceAll = parser.isSet(traceAll);
    const QStringList killRange = parser.value(kill).split('-');
    g_options.killFrom = qBound(1, killRange.value(0).toInt(), 59);
    g_options.killTo = qBound(g_options.killFrom, killRange.value(1).toInt(), 59);
    qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(qint64(g_options.minutes + 10) * 60000));
    SoakRestart soak;
    return QTest::qExec(&soak, testArguments);
}

#include "main.moc"
