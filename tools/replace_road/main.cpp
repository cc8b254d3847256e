// One relay of the real main window, 4 lanes of 60 match shots, a shot every
// 500 ms, run as an ordinary user, while a process of its own (as a person or
// a backup tool would) watches the database file's path: each time a new
// file of the program's appears there, it waits 0-300 ms at random and
// renames an older copy of the file (one it copied earlier in the relay) over
// the path. After the relay, with the window shut down, the road weighs:
//   - the file at the path against the shots the simulated targets delivered,
//     per lane: shots lost, doubled, misplaced (not the target's shot of that
//     number);
//   - every file put at the path kept aside, byte for byte;
//   - no ".rewrite*" file left beside it.
// It prints one line "ROAD: ..." (and appends it to --report FILE), with how
// many replacements came within 20 ms of the program's file, and fails when
// anything was lost, doubled, misplaced or not kept.
//
//   range_replace_road [--report FILE] [--replacements N] [--longest-wait MS]
//
// --longest-wait narrows the wait (300 ms) to aim at the moments just after
// the program put its file at the path: at 5 ms it catches a rewrite that
// lets the copy's second name go as soon as a connection has opened it,
// before that connection wrote (half of such roads lose shots).
//
// Run as root, the relay runs in a child that is the user "nobody"
// (OrdinaryUser), and the replacing process with it; --report then carries
// the figures out (give it a file the user "nobody" may write to). A loaded
// machine is made by running three at a time beside six busy processes, e.g.
//   while :; do build/tools/lanemodel/lanemodel_cli --seeds 1000 1400; done
//
// The same executable is the replacing process (--replacer, started by the
// road itself).

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <set>
#include <sys/stat.h>
#include <thread>

#include "ordinaryuser.h"
#include "roadtest.h"
#include "simulatorthread.h"
#include "tcompetition.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "tusermodul.h"

namespace {

constexpr int kRifle60 = 1; // one position, 60 match shots
constexpr int kMatchShots = 60;
constexpr int kShotEveryMs = 500;
constexpr int kLongestWaitMs = 300;
constexpr int kQuickMs = 20;
const QList<int> kLanes{1, 2, 3, 4};
const char *const kReportVariable = "RANGE_ROAD_REPORT";
const char *const kReplacementsVariable = "RANGE_ROAD_REPLACEMENTS";
const char *const kLongestWaitVariable = "RANGE_ROAD_LONGEST_WAIT";

std::atomic<bool> g_stop{false};

quint64 inodeAt(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}

QByteArray hashOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

// The replacing process: copies the file at the path into the folder of its
// copies, and each time a new file of the program's is at the path, copies
// it too and puts the copy taken before it at the path. Each file put there
// is a line of the list, "<inode> <sha256> <ms since the program's file was
// seen>", written before the rename.
int replace(const QString &path, const QString &copies, const QString &list, int most,
            int longestWaitMs)
{
    std::signal(SIGTERM, [](int) { g_stop = true; });
    QFile listed(list);
    if (!QDir().mkpath(copies) || !listed.open(QIODevice::WriteOnly | QIODevice::Append))
        return 2;
    std::set<quint64> ours;
    QString held = copies + QStringLiteral("/copy-0");
    QString fresh;
    if (!QFile::copy(path, held))
        return 2;
    // The first one a second after the start; then after each of the program's.
    auto due = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    auto found = std::chrono::steady_clock::now(); // when the program's file was seen there
    bool waiting = true;
    int put = 0;
    while (!g_stop && put < most) {
        const auto now = std::chrono::steady_clock::now();
        const quint64 at = inodeAt(path);
        // Not ours after ours: the program's, new (its inode may be one its
        // files had before, freed as it closed them).
        if (!waiting && at != 0 && !ours.count(at)) {
            // A copy of it for the next time.
            found = now;
            due = now + std::chrono::milliseconds(
                            QRandomGenerator::global()->bounded(longestWaitMs + 1));
            waiting = true;
            fresh = copies + QStringLiteral("/copy-%1").arg(put + 1);
            if (!QFile::copy(path, fresh))
                fresh.clear();
        }
        if (waiting && now >= due) {
            if (fresh.isEmpty()) {
                fresh = copies + QStringLiteral("/copy-%1").arg(put + 1);
                if (!QFile::copy(path, fresh))
                    return 2;
            }
            const quint64 inode = inodeAt(held);
            const auto after =
                std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - found)
                    .count();
            listed.write(QByteArray::number(inode) + ' ' + hashOf(held) + ' '
                         + QByteArray::number(qint64(after)) + '\n');
            listed.flush();
            ours.insert(inode);
            if (std::rename(QFile::encodeName(held).constData(), QFile::encodeName(path).constData())
                != 0) {
                std::perror("rename");
                return 2;
            }
            ++put;
            waiting = false;
            held = fresh;
            fresh.clear();
        }
        // Often enough to see the program's file within a millisecond.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return 0;
}

} // namespace

class ReplaceRoad : public RoadTest
{
    Q_OBJECT

private slots:
    void olderCopyAfterEachRewrite();
};

void ReplaceRoad::olderCopyAfterEachRewrite()
{
    if (!OrdinaryUser::modesHold()) {
        QByteArray output;
        QVERIFY2(OrdinaryUser::runCurrentTest(&output), output.constData());
        return;
    }
    QVERIFY(startRange(kLanes));
    QVERIFY(createCompetition(kRifle60, "Кубок") > 0);
    const QList<int> members{
        addNewMember("Иван", "Петров", 1), addNewMember("Анна", "Смирнова", 2),
        addNewMember("Пётр", "Иванов", 3), addNewMember("Мария", "Кузнецова", 4)};
    QVERIFY(!members.contains(-1));
    QVERIFY(click("pBNext"));
    QVERIFY(openCurrentRelay());
    const int event = userModul()->currentCompetition()->event(0)->id();
    const QString path = TdbAccessor::databasePath();
    const QString folder = QFileInfo(path).absolutePath();
    const QString copies = runFolder().filePath(".replacer");
    const QString list = copies + ".list";
    bool most = false;
    const int replacements = qEnvironmentVariableIntValue(kReplacementsVariable, &most);
    bool longest = false;
    const int longestWaitMs = qEnvironmentVariableIntValue(kLongestWaitVariable, &longest);
    QProcess replacer;
    replacer.setProcessChannelMode(QProcess::ForwardedChannels);
    QVERIFY(shootOnePositionRelay(kLanes, 1, [&] {
        startShooters(kLanes, kShotEveryMs);
        replacer.start(QCoreApplication::applicationFilePath(),
                       {"--replacer", path, copies, list,
                        QString::number(most ? replacements : 20),
                        QString::number(longest ? longestWaitMs : kLongestWaitMs)});
        QVERIFY(replacer.waitForStarted());
    }));
    if (replacer.state() != QProcess::NotRunning) {
        replacer.terminate();
        QVERIFY(replacer.waitForFinished(kTimeoutMs));
    }
    QCOMPARE(replacer.exitCode(), 0);
    QVERIFY(shutDown());
    destroyWindow();

    // What was put at the path, and what of it the folder holds as it was.
    QFile listed(list);
    QVERIFY(listed.open(QIODevice::ReadOnly));
    QList<QByteArray> put;
    int quick = 0; // put within kQuickMs of the program's file coming
    for (const QByteArray &line : listed.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        put << line.split(' ').value(1);
        quick += line.split(' ').value(2).toInt() < kQuickMs ? 1 : 0;
    }
    QHash<QByteArray, int> inFolder; // files beside the path, by their hash
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (QFileInfo(folder, name).filePath() != path)
            ++inFolder[hashOf(QFileInfo(folder, name).filePath())];
    }
    int kept = 0;
    for (const QByteArray &hash : qAsConst(put)) {
        if (inFolder.value(hash) > 0) {
            --inFolder[hash];
            ++kept;
        }
    }
    const QStringList rewrites =
        QDir(folder).entryList({QFileInfo(path).fileName() + ".rewrite*"}, QDir::Files | QDir::Hidden);

    // The file at the path, per lane, against the target's match shots.
    int lost = 0, doubled = 0, misplaced = 0;
    QStringList lanes;
    {
        StoredRows atPath;
        for (int i = 0; i < kLanes.size(); ++i) {
            const int lane = kLanes.at(i);
            const QVector<SimShot> shots = simulator()->call(
                [lane](RangeSimulator &sim) { return sim.lane(lane)->target.shots(); });
            const Rows stored = atPath.rows(
                "SELECT fNumber, fX, fY FROM tbullets WHERE fEventID=? AND fMemberID=?",
                {event, members.at(i)});
            QSet<int> numbers;
            for (const QVariantList &row : stored) {
                const int n = row.at(0).toInt();
                if (numbers.contains(n))
                    ++doubled;
                else if (n < 1 || n > shots.size() || row.at(1).toInt() != shots.at(n - 1).x
                         || row.at(2).toInt() != shots.at(n - 1).y)
                    ++misplaced;
                numbers.insert(n);
            }
            for (int n = 1; n <= kMatchShots; ++n)
                lost += numbers.contains(n) ? 0 : 1;
            lanes << QStringLiteral("%1:%2").arg(lane).arg(stored.size());
        }
    }
    QMap<QString, int> told; // the boxes, by title
    for (const Warnings::Shown &box : takeWarnings())
        ++told[box.title];
    takeStorageErrors();
    QStringList boxes;
    for (auto it = told.cbegin(); it != told.cend(); ++it)
        boxes << QStringLiteral("%1 x%2").arg(it.key()).arg(it.value());
    const QString road =
        QStringLiteral("ROAD: lost %1 doubled %2 misplaced %3 replacements %4 (%5 within %6 ms) "
                       "kept %7 rewrite-left %8 rows %9 boxes [%10]")
            .arg(lost).arg(doubled).arg(misplaced).arg(put.size()).arg(quick).arg(kQuickMs)
            .arg(kept).arg(rewrites.size()).arg(lanes.join(' ')).arg(boxes.join("; "));
    std::printf("%s\n", qPrintable(road));
    std::fflush(stdout);
    QFile report(qEnvironmentVariable(kReportVariable));
    if (!report.fileName().isEmpty() && report.open(QIODevice::Append))
        report.write(road.toUtf8() + '\n');
    QVERIFY2(lost == 0 && doubled == 0 && misplaced == 0, qPrintable(road));
    QVERIFY2(kept == put.size() && rewrites.isEmpty() && !put.isEmpty(), qPrintable(road));
}

int main(int argc, char *argv[])
{
    if (argc == 7 && qstrcmp(argv[1], "--replacer") == 0)
        return replace(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]),
                       QFile::decodeName(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]));
    // The road's options go to the ordinary user's child through the
    // environment; the rest are QTest's, such as the function it is given.
    const QHash<QByteArray, const char *> options{{"--report", kReportVariable},
                                                  {"--replacements", kReplacementsVariable},
                                                  {"--longest-wait", kLongestWaitVariable}};
    QStringList arguments{QString::fromLocal8Bit(argv[0])};
    for (int i = 1; i < argc; ++i) {
        if (options.contains(argv[i]) && i + 1 < argc) {
            qputenv(options.value(argv[i]), argv[i + 1]);
            ++i;
        } else {
            arguments << QString::fromLocal8Bit(argv[i]);
        }
    }
    if (!OrdinaryUser::becomeAskedUser())
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    ReplaceRoad road;
    return QTest::qExec(&road, arguments);
}

#include "main.moc"
