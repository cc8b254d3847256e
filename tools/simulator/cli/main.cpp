// range_simulator_cli: plays a shooting range for the desktop program.
//
//   range_simulator_cli [--com-dir DIR] [--serial LANES]... [--tcp PORT:LANES]...
//                       [--shooters SPREAD,PACE_MS[,DECOY_EVERY]] [--clock-speed N]
//                       [--script FILE] [--quiet]
//
// Each --serial adds a converter on a pseudo-terminal linked as COM1, COM2, ...
// in the COM directory (default: $RANGE_COM_DIR, else ./range-com); start the
// program with RANGE_COM_DIR set to that directory. Each --tcp adds a network
// converter on 127.0.0.1:PORT. LANES reads like "1-5,8". Without converters
// the range is one serial converter with lanes 1-10. Commands on standard
// input are listed by "help".

#include "rangesimulator.h"
#include "simframe.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kFirstDefaultLane = 1;
constexpr int kLastDefaultLane = 10;
constexpr int kMaxLane = 254;
constexpr char kDefaultComDir[] = "range-com";

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    (void)written;
}

QList<int> parseLanes(const QString &text, bool *ok)
{
    QList<int> lanes;
    *ok = !text.isEmpty();
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList ends = part.split(QLatin1Char('-'));
        bool firstOk = false;
        bool lastOk = ends.size() == 1;
        const int first = ends.at(0).toInt(&firstOk);
        const int last = ends.size() == 2 ? ends.at(1).toInt(&lastOk) : first;
        if (!firstOk || !lastOk || ends.size() > 2 || first < 1 || last > kMaxLane || first > last) {
            *ok = false;
            return {};
        }
        for (int lane = first; lane <= last; ++lane)
            lanes.append(lane);
    }
    return lanes;
}

void print(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString help()
{
    return QStringLiteral(
        "commands:\n"
        "  fire LANE X Y PLACE [TIME]   a shot (tenths of mm, place code 0..8, time in tenths)\n"
        "  unplug C | replug C          converter C (number as listed at start)\n"
        "  noise C HEX                  raw bytes on converter C's line\n"
        "  target LANE on|off|deaf      the lane's target unit present or not, or\n"
        "                               deaf: it hears nothing but records its shots\n"
        "  stale LANE N                 the lane's answer for shot N once more, late\n"
        "  terminal LANE on|off         the lane's terminal present or not\n"
        "  match LANE MODE              the terminal asks for mode 0 or 1\n"
        "  drop LANE COUNT              drop the lane's next COUNT answers (-1 all, 0 none)\n"
        "  break LANE COUNT             send the lane's next COUNT answers with a broken CRC\n"
        "  delay LANE MS                delay the lane's answers\n"
        "  quit");
}

bool runCommand(RangeSimulator &sim, const QString &line)
{
    const QStringList w = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.isEmpty())
        return true;
    const QString cmd = w.at(0);
    auto arg = [&w](int i) { return i < w.size() ? w.at(i).toInt() : 0; };
    if (cmd == QLatin1String("quit")) {
        QCoreApplication::quit();
    } else if (cmd == QLatin1String("fire") && w.size() >= 5) {
        const int number = sim.fireShot(arg(1), static_cast<quint16>(arg(2)), static_cast<quint16>(arg(3)),
                                        static_cast<qint8>(arg(4)), w.size() > 5 ? arg(5) : -1);
        if (number == 0)
            print(QStringLiteral("lane %1 refused the shot").arg(arg(1)));
    } else if (cmd == QLatin1String("unplug") && w.size() == 2) {
        sim.unplug(arg(1));
    } else if (cmd == QLatin1String("replug") && w.size() == 2) {
        if (!sim.replug(arg(1)))
            print(QStringLiteral("converter %1 could not be plugged back").arg(arg(1)));
    } else if (cmd == QLatin1String("noise") && w.size() == 3) {
        sim.injectBytes(arg(1), QByteArray::fromHex(w.at(2).toLatin1()));
    } else if ((cmd == QLatin1String("target") || cmd == QLatin1String("terminal")) && w.size() == 3) {
        const bool on = w.at(2) == QLatin1String("on");
        const bool deaf = w.at(2) == QLatin1String("deaf");
        if (cmd == QLatin1String("target")) {
            sim.setTargetPresent(arg(1), on || deaf);
            sim.setTargetHearing(arg(1), !deaf);
        } else {
            sim.setTerminalPresent(arg(1), on);
        }
    } else if (cmd == QLatin1String("stale") && w.size() == 3) {
        if (!sim.repeatShotAnswer(arg(1), arg(2)))
            print(QStringLiteral("lane %1 gave no answer for shot %2").arg(arg(1)).arg(arg(2)));
    } else if (cmd == QLatin1String("match") && w.size() == 3) {
        sim.requestMatch(arg(1), arg(2));
    } else if (cmd == QLatin1String("drop") && w.size() == 3) {
        sim.dropAnswers(arg(1), arg(2));
    } else if (cmd == QLatin1String("break") && w.size() == 3) {
        sim.breakAnswers(arg(1), arg(2));
    } else if (cmd == QLatin1String("delay") && w.size() == 3) {
        sim.setAnswerDelay(arg(1), arg(2));
    } else {
        return false;
    }
    return true;
}

// Script lines: "LANE AFTER_MS X Y PLACE [TIME]"; '#' starts a comment.
bool loadScript(RangeSimulator &sim, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QMap<int, QList<ScriptedShot>> shots;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).section(QLatin1Char('#'), 0, 0).simplified();
        const QStringList w = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w.isEmpty())
            continue;
        if (w.size() < 5)
            return false;
        ScriptedShot shot;
        shot.afterMs = w.at(1).toInt();
        shot.x = static_cast<quint16>(w.at(2).toInt());
        shot.y = static_cast<quint16>(w.at(3).toInt());
        shot.place = static_cast<qint8>(w.at(4).toInt());
        shot.timeTenths = w.size() > 5 ? w.at(5).toInt() : -1;
        shots[w.at(0).toInt()].append(shot);
    }
    for (auto it = shots.cbegin(); it != shots.cend(); ++it)
        sim.scheduleShots(it.key(), it.value());
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("range_simulator_cli"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plays converters, target units and terminals of a range."));
    parser.addHelpOption();
    const QCommandLineOption comDirOption(QStringLiteral("com-dir"),
                                          QStringLiteral("Folder for the COM links (default $RANGE_COM_DIR or ./range-com)."),
                                          QStringLiteral("dir"));
    const QCommandLineOption serialOption(QStringLiteral("serial"),
                                          QStringLiteral("A converter on a pseudo-terminal with these lanes, e.g. 1-5,8."),
                                          QStringLiteral("lanes"));
    const QCommandLineOption tcpOption(QStringLiteral("tcp"),
                                       QStringLiteral("A network converter on 127.0.0.1, e.g. 8080:11-20."),
                                       QStringLiteral("port:lanes"));
    const QCommandLineOption shootersOption(QStringLiteral("shooters"),
                                            QStringLiteral("A simulated shooter on every lane: spread in tenths of mm, pace in ms, "
                                                           "and every how many shots one is a decoy (its answer "
                                                           "holds a shorter window whose CRC checks)."),
                                            QStringLiteral("spread,pace[,decoy]"));
    const QCommandLineOption speedOption(QStringLiteral("clock-speed"),
                                         QStringLiteral("The program's exercise clock runs n times as fast as the targets' "
                                                        "(its RANGE_CLOCK_SPEED): the shooters fire a timed series within "
                                                        "its time on that clock."),
                                         QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption scriptOption(QStringLiteral("script"),
                                          QStringLiteral("Shots to fire: lines \"LANE AFTER_MS X Y PLACE [TIME]\"."),
                                          QStringLiteral("file"));
    const QCommandLineOption quietOption(QStringLiteral("quiet"), QStringLiteral("Do not print the traffic."));
    parser.addOptions({comDirOption, serialOption, tcpOption, shootersOption, speedOption, scriptOption,
                       quietOption});
    parser.process(app);

    QString comDir = parser.value(comDirOption);
    if (comDir.isEmpty())
        comDir = qEnvironmentVariable("RANGE_COM_DIR", QString::fromLatin1(kDefaultComDir));

    RangeSimulator sim;
    if (!sim.setComDirectory(comDir)) {
        qCritical("Cannot make the COM directory %s", qPrintable(comDir));
        return 1;
    }
    QStringList serial = parser.values(serialOption);
    const QStringList tcp = parser.values(tcpOption);
    if (serial.isEmpty() && tcp.isEmpty())
        serial << QStringLiteral("%1-%2").arg(kFirstDefaultLane).arg(kLastDefaultLane);
    QList<int> allLanes;
    for (const QString &lanesText : serial) {
        bool ok = false;
        const QList<int> lanes = parseLanes(lanesText, &ok);
        if (!ok || sim.addSerialConverter(lanes) < 0) {
            qCritical("Cannot add a serial converter with lanes %s", qPrintable(lanesText));
            return 1;
        }
        allLanes << lanes;
    }
    for (const QString &tcpOption : tcp) {
        bool ok = false;
        const int port = tcpOption.section(QLatin1Char(':'), 0, 0).toInt();
        const QList<int> lanes = parseLanes(tcpOption.section(QLatin1Char(':'), 1), &ok);
        if (!ok || port < 1 || port > 0xFFFF || sim.addTcpConverter(static_cast<quint16>(port), lanes) < 0) {
            qCritical("Cannot add a TCP converter %s", qPrintable(tcpOption));
            return 1;
        }
        allLanes << lanes;
    }

    if (parser.isSet(shootersOption)) {
        ShooterSettings settings;
        settings.spreadTenthsMm = parser.value(shootersOption).section(QLatin1Char(','), 0, 0).toInt();
        settings.paceMs = parser.value(shootersOption).section(QLatin1Char(','), 1, 1).toInt();
        settings.decoyEvery = parser.value(shootersOption).section(QLatin1Char(','), 2, 2).toInt();
        settings.clockSpeed = std::max(1, parser.value(speedOption).toInt());
        for (int lane : qAsConst(allLanes)) {
            settings.seed = static_cast<quint32>(lane);
            if (!sim.startShooter(lane, settings)) {
                qCritical("Bad shooter settings %s", qPrintable(parser.value(shootersOption)));
                return 1;
            }
        }
    }
    if (parser.isSet(scriptOption) && !loadScript(sim, parser.value(scriptOption))) {
        qCritical("Cannot read the script %s", qPrintable(parser.value(scriptOption)));
        return 1;
    }

    for (int i = 0; i < sim.converterCount(); ++i) {
        QStringList lanes;
        for (int lane : qAsConst(allLanes)) {
            if (sim.converterOfLane(lane) == i)
                lanes << QString::number(lane);
        }
        print(QStringLiteral("converter %1: %2 -> %3, lanes %4")
                  .arg(i)
                  .arg(sim.portName(i), sim.endpoint(i), lanes.join(QLatin1Char(' '))));
    }
    print(QStringLiteral("export RANGE_COM_DIR=%1").arg(sim.comDirectory()));
    print(QStringLiteral("type \"help\" for commands"));

    if (!parser.isSet(quietOption)) {
        QObject::connect(&sim, &RangeSimulator::sig_traffic, &sim, [&sim](const TrafficEntry &entry) {
            print(entry.toText(sim.portName(entry.converter)));
        });
    }

    // A read ends wherever the pipe or the terminal cut the bytes: commands
    // are whole lines, the last one also without its newline at the end.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    const auto run = [&sim](const QByteArray &bytes) {
        const QString line = QString::fromLocal8Bit(bytes);
        // Each command taken is said, so a log shows when it acted.
        if (line.trimmed() == QLatin1String("help"))
            print(help());
        else if (!runCommand(sim, line))
            print(QStringLiteral("unknown command: %1").arg(line));
        else if (!line.trimmed().isEmpty())
            print(QStringLiteral("done: %1").arg(line.simplified()));
    };
    QObject::connect(&input, &QSocketNotifier::activated, &sim, [&input, &pending, &run] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false); // end of input: keep running until a signal
            if (!pending.isEmpty())
                run(pending);
            pending.clear();
            return;
        }
        pending.append(buffer, static_cast<int>(n));
        for (int end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            run(line);
        }
    });

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return 1;
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    const int result = QCoreApplication::exec();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    return result;
}
