// Plays a range of seeded roads through the lanes' START judgement and
// prints the roads that break an invariant, the count for each invariant and
// how many roads ran a second.

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QMap>
#include <QSet>
#include <QTextStream>

#include <algorithm>

#include "lanemodel.h"

namespace {

constexpr int kDefaultExamples = 20;

void usage(QTextStream &out)
{
    out << "Usage: lanemodel_cli --seeds FROM TO [--drift PERMILLE] [--no-reshoots] [--kind K] [--examples N]\n"
           "       lanemodel_cli --verbose SEED [--drift PERMILLE] [--no-reshoots]\n"
           "       lanemodel_cli --digest FROM TO [--drift PERMILLE] [--no-reshoots]\n"
           "  --seeds FROM TO   play the roads of seeds FROM..TO (inclusive)\n"
           "  --verbose SEED    play one road and print its trace (the failing lanes' only)\n"
           "  --drift PERMILLE  the targets' clocks run up to this much fast or slow (default 20)\n"
           "  --no-reshoots     no lane re-shoots in a break (the roads as they were before)\n"
           "  --kind K          roads of a kind besides the ordinary mix (0): 1 late copies around\n"
           "                    each START, 2 the same read late across it, 3 rapid-fire windows\n"
           "                    settled 5 s after their end, 4 5-10 lanes at the range's poll gap\n"
           "                    and a x10 pace, one deaf across the match START\n"
           "  --examples N      roads printed for each invariant (default 20)\n"
           "  --digest FROM TO  one line a road: what became of its right shots, its polls,\n"
           "                    its failures and a hash of its whole trace (every answer, state,\n"
           "                    word and verdict), to compare two builds road for road\n";
}

QString line(const LaneModel::Outcome &o)
{
    QStringList parts;
    for (const LaneModel::Failure &f : o.failures)
        parts << QStringLiteral("%1 (lane %2, START %3: %4)")
                     .arg(LaneModel::invariantName(f.invariant)).arg(f.lane).arg(f.page).arg(f.detail);
    return QStringLiteral("seed %1: %2\n    road: %3").arg(o.seed).arg(parts.join(QStringLiteral("; ")), o.road);
}

int verbose(quint64 seed, const LaneModel::Options &options, QTextStream &out)
{
    LaneModel::Options traced = options;
    traced.trace = true;
    const LaneModel::Outcome o = LaneModel::runRoad(seed, traced);
    out << (o.failures.isEmpty() ? QStringLiteral("seed %1: no fault\n    road: %2").arg(seed).arg(o.road) : line(o))
        << "\n";
    QSet<QString> lanes;
    for (const LaneModel::Failure &f : o.failures)
        lanes << QStringLiteral(" L%1 ").arg(f.lane);
    for (const QString &t : o.trace) {
        const bool shown = lanes.isEmpty() || t.contains(QStringLiteral(" -- "))
            || std::any_of(lanes.cbegin(), lanes.cend(), [&t](const QString &l) { return t.contains(l); });
        if (shown)
            out << t << "\n";
    }
    return o.failures.isEmpty() ? 0 : 1;
}

// One line a road, the same for two builds that judge every answer alike.
int digest(quint64 from, quint64 to, const LaneModel::Options &options, QTextStream &out)
{
    LaneModel::Options traced = options;
    traced.trace = true;
    for (quint64 seed = from; seed <= to; ++seed) {
        const LaneModel::Outcome o = LaneModel::runRoad(seed, traced);
        QCryptographicHash hash(QCryptographicHash::Sha1);
        for (const QString &t : o.trace)
            hash.addData(t.toUtf8().append('\n'));
        const auto d = [](const LaneModel::Outcome::Delivered &x) {
            return QStringLiteral("%1/%2/%3/%4/%5").arg(x.right).arg(x.judged).arg(x.ruled).arg(x.lost).arg(x.unread);
        };
        out << seed << ' ' << d(o.all) << ' ' << d(o.troubled) << ' ' << o.polls << ' ' << o.simulatedMs
            << ' ' << o.failures.size() << ' ' << hash.result().toHex().left(16) << '\n';
    }
    out.flush();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    LaneModel::Options options;
    quint64 from = 0, to = 0, traced = 0;
    bool ranged = false, trace = false, digested = false;
    int examples = kDefaultExamples;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--seeds") && i + 2 < args.size()) {
            from = args.at(++i).toULongLong();
            to = args.at(++i).toULongLong();
            ranged = true;
        } else if (a == QLatin1String("--digest") && i + 2 < args.size()) {
            from = args.at(++i).toULongLong();
            to = args.at(++i).toULongLong();
            ranged = digested = true;
        } else if (a == QLatin1String("--verbose") && i + 1 < args.size()) {
            traced = args.at(++i).toULongLong();
            trace = true;
        } else if (a == QLatin1String("--drift") && i + 1 < args.size()) {
            options.maxDriftPermille = args.at(++i).toInt();
        } else if (a == QLatin1String("--kind") && i + 1 < args.size()) {
            options.kind = LaneModel::RoadKind(args.at(++i).toInt());
        } else if (a == QLatin1String("--no-reshoots")) {
            options.reshoots = false;
        } else if (a == QLatin1String("--examples") && i + 1 < args.size()) {
            examples = args.at(++i).toInt();
        } else {
            usage(out);
            return a == QLatin1String("--help") ? 0 : 2;
        }
    }
    if (trace)
        return verbose(traced, options, out);
    if (!ranged || to < from) {
        usage(out);
        return 2;
    }

    if (digested)
        return digest(from, to, options, out);

    QMap<int, int> roadsBroken; // by invariant
    QMap<int, int> shown;
    quint64 failing = 0;
    qint64 polls = 0, simulatedMs = 0;
    LaneModel::Outcome::Delivered all, troubled;
    qint64 rulings = 0, rulingsAsked = 0, rulingsDecided = 0;
    QElapsedTimer timer;
    timer.start();
    for (quint64 seed = from; seed <= to; ++seed) {
        const LaneModel::Outcome o = LaneModel::runRoad(seed, options);
        polls += o.polls;
        simulatedMs += o.simulatedMs;
        all += o.all;
        troubled += o.troubled;
        rulings += o.rulings;
        rulingsAsked += o.rulingsAsked;
        rulingsDecided += o.rulingsDecided;
        if (o.failures.isEmpty())
            continue;
        ++failing;
        QSet<int> kinds;
        for (const LaneModel::Failure &f : o.failures)
            kinds << int(f.invariant);
        bool print = false;
        for (int k : qAsConst(kinds)) {
            ++roadsBroken[k];
            print = print || shown[k]++ < examples;
        }
        if (print)
            out << line(o) << "\n";
        out.flush();
    }
    const qint64 ms = std::max<qint64>(1, timer.elapsed());
    const quint64 roads = to - from + 1;
    out << "\nroads " << roads << ", broken " << failing << "\n";
    for (int k = 0; k < LaneModel::kInvariants; ++k)
        out << "  " << LaneModel::invariantName(LaneModel::Invariant(k)) << ": " << roadsBroken.value(k) << "\n";
    const auto delivered = [&out](const char *lanes, const LaneModel::Outcome::Delivered &d) {
        out << "right shots of " << lanes << ": " << d.right << ", stored as judged " << d.judged
            << ", on a ruling " << d.ruled << ", never though read " << d.lost << ", never read "
            << d.unread << "\n";
    };
    delivered("every lane", all);
    delivered("lanes deaf, off or missing the START", troubled);
    out << "rulings " << rulings << " (asked " << rulingsAsked << ", the rest held at a pistol page's end), listing only shots every case shown decides " << rulingsDecided << "\n";
    out << "polls " << polls << ", simulated " << simulatedMs / 3600000.0 << " h, " << ms << " ms, "
        << qint64(double(roads) * 1000.0 / double(ms)) << " roads/s\n";
    return failing == 0 ? 0 : 1;
}
