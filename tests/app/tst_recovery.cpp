// The program killed (SIGKILL) in the middle of a relay and started again on
// the same run folder, while the range goes on as it was: every shot the
// line delivered before the kill is stored, the unfinished exercise is
// asked about when the competition is opened, and the relay is shot to its
// end. And the program closed with "X" while the match runs, and a second
// program started on the run folder of one that runs.

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "datapaths.h"
#include "ordinaryuser.h"
#include "roadtest.h"
#include "runfolderlock.h"
#include "simframe.h"
#include "simulatorthread.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "tusermodul.h"

namespace {

constexpr int kRifle60 = 1; // one position, 60 match shots (held without its final)
constexpr int kMatchShots = 60;
const QList<int> kLanes{1, 2};
// The program is killed once every lane's target was asked for this shot.
constexpr int kKillAtShot = 25;
constexpr int kShooterPaceMs = 40;
constexpr int kSlowPaceMs = 200;
// "X" is pressed once the first lane has this many stored match shots.
constexpr int kCloseAtShot = 10;
const QByteArray kMatchStarted = "RECOVERY: match started";
// The bus master writes a START to all targets as this many frames.
constexpr int kStartCopies = 3;
const QByteArray kRunning = "RECOVERY: running";
// A child run as the ordinary user works in the run folder its parent laid out.
const char *const kLaidOutVariable = "RANGE_RECOVERY_LAID_OUT";

// What any process opens or changes below a folder from now on (inotify):
// "opened <file>" or "changed <file>", the file's path relative to it.
class FolderWatch
{
public:
    explicit FolderWatch(const QString &path);
    ~FolderWatch();
    FolderWatch(const FolderWatch &) = delete;
    FolderWatch &operator=(const FolderWatch &) = delete;
    // What was seen since the last call, each once, in the order it came.
    QStringList seen();

private:
    int m_fd = -1;
    QHash<int, QString> m_folders; // by watch
};

} // namespace

class TestRecovery : public RoadTest
{
    Q_OBJECT

private slots:
    void init();
    void killedInTheMiddleOfARelay_data();
    void killedInTheMiddleOfARelay();
    void closedDuringTheMatch_data();
    void closedDuringTheMatch();
    void shotsWaitWhileTheDatabaseRefuses_data();
    void shotsWaitWhileTheDatabaseRefuses();
    void operatorWritesOnceTheFileIsWritable();
    void databaseFileGoesInTheMiddleOfARelay_data();
    void databaseFileGoesInTheMiddleOfARelay();
    void secondProgramOnTheRunFolder_data();
    void secondProgramOnTheRunFolder();

private:
    // The first `delivered` shots of the lane's target, at least, are stored
    // for the member as the target recorded them, and no other.
    void checkDeliveredShots(int eventID, int memberID, int lane, int delivered);
    // Where the shots a check found missing may be: the rows a connection
    // opened now reads at the path (the fixture's was opened before the
    // program ran, and a failed statement reads as no rows), and the shot
    // numbers the lane's target was asked for since the traffic was cleared.
    QString shortfall(int eventID, int memberID, int lane);
    // The distinct shots of its current page the lane's target answered a
    // poll with before the line's first STOP to all targets.
    int answeredBeforeStop(int lane);
    // The recovery program started on this run folder, running that test
    // function of its own, with the test's simulator.
    bool startProgram(QProcess &program, const QString &function);
    // A new competition on the range's lanes 1 and 2, its two members' relay
    // on the current relay page; the members, none when a step failed.
    QList<int> openTwoMemberRelay();
    // Opens the stored competition from the welcome page: the question
    // about the unfinished exercise shows, with the first member's name.
    bool openWithQuestion(int competition);
};

void TestRecovery::init()
{
    if (qEnvironmentVariableIsSet(kLaidOutVariable))
        useRunFolder(qEnvironmentVariable(kLaidOutVariable));
    RoadTest::init();
}

void TestRecovery::checkDeliveredShots(int eventID, int memberID, int lane, int delivered)
{
    const QVector<SimShot> shots =
        simulator()->call([lane](RangeSimulator &sim) { return sim.lane(lane)->target.shots(); });
    const Rows stored =
        rows("SELECT fNumber, fX, fY FROM tbullets WHERE fEventID=? AND fMemberID=? "
             "ORDER BY fNumber",
             {eventID, memberID});
    QVERIFY2(stored.size() >= delivered,
             qPrintable(QStringLiteral("lane %1: %2 stored, %3 delivered; %4")
                            .arg(lane)
                            .arg(stored.size())
                            .arg(delivered)
                            .arg(shortfall(eventID, memberID, lane))));
    QVERIFY(shots.size() >= stored.size());
    for (int n = 0; n < stored.size(); ++n)
        QCOMPARE(stored.at(n), (QVariantList{n + 1, shots.at(n).x, shots.at(n).y}));
}

QString TestRecovery::shortfall(int eventID, int memberID, int lane)
{
    StoredRows fresh;
    const Rows count = fresh.rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=? AND fMemberID=?",
                                  {eventID, memberID});
    const QList<TrafficEntry> traffic =
        simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
    QStringList polls;
    for (const TrafficEntry &entry : traffic) {
        if (entry.kind == TrafficEntry::Received && entry.address == lane
            && entry.code == SimFrame::kCodePoll && entry.bytes.size() > 3)
            polls << QString::number(quint8(entry.bytes.at(3)));
    }
    constexpr int kEnds = 8;
    if (polls.size() > 3 * kEnds)
        polls = polls.mid(0, kEnds) + QStringList{"..."} + polls.mid(polls.size() - kEnds);
    return QStringLiteral("a new connection reads %1; polls for %2")
        .arg(count.isEmpty() ? QStringLiteral("nothing (failed)") : count.first().first().toString(),
             polls.join(QLatin1Char(' ')));
}

bool TestRecovery::startProgram(QProcess &program, const QString &function)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("RANGE_RECOVERY_RUN_FOLDER", runFolder().path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.remove(kScreenshotVariable);
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(RECOVERY_PROGRAM_PATH, {function});
    return program.waitForStarted();
}

QList<int> TestRecovery::openTwoMemberRelay()
{
    if (!startRange(kLanes) || createCompetition(kRifle60, "Кубок") <= 0)
        return {};
    const QList<int> members{addNewMember("Иван", "Петров", 1),
                             addNewMember("Анна", "Смирнова", 2)};
    if (members.contains(-1) || !click("pBNext") || !openCurrentRelay())
        return {};
    return members;
}

bool TestRecovery::openWithQuestion(int competition)
{
    if (!click("pBContinue"))
        return false;
    sight("competitions-stored");
    if (!clickRow("lw_Competitions",
                  rowOf("lw_Competitions", TCompetitionList::CompIdRole, competition))
        || !click("pBNext1"))
        return false;
    QWidget *question = widget("DialogCheckMemberColBull");
    return question && question->isVisible()
        && widget<QLabel>("L_Name")->text() == QString("Петров Иван")
        && widget<QCheckBox>("CB_repeat")->isChecked();
}

void TestRecovery::killedInTheMiddleOfARelay_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("cleared at once") << false;
    // Mode 444 to the program run as an ordinary user: the clear is refused
    // and told; a program killed while it waits leaves the old rows whole
    // and asks again; cleared again, the rows go once the file is writable,
    // and only then is the relay shot again.
    QTest::newRow("cleared on a read-only file, killed, cleared again, made writable") << true;
}

void TestRecovery::killedInTheMiddleOfARelay()
{
    QFETCH(bool, readOnly);
    if (readOnly && !OrdinaryUser::modesHold()) {
        QByteArray output;
        QVERIFY2(OrdinaryUser::runCurrentTest(&output), output.constData());
        return;
    }
    QVERIFY(startRange(kLanes));
    const int competition = createCompetition(kRifle60, "Кубок");
    QVERIFY(competition > 0);
    const QList<int> members{addNewMember("Иван", "Петров", 1),
                             addNewMember("Анна", "Смирнова", 2)};
    QVERIFY(!members.contains(-1));
    QVERIFY(click("pBNext")); // the relays laid out: both members in relay 1, on targets 1 and 2
    QCOMPARE(page(), Page::Relays);
    const int event = userModul()->currentCompetition()->event(0)->id();

    // This window goes; another program shoots the relay and is killed.
    QVERIFY(shutDown());
    destroyWindow();
    QProcess program;
    QVERIFY2(startProgram(program, "shootUntilKilled"), qPrintable(program.errorString()));
    startShooters(kLanes, kShooterPaceMs);
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += program.readAllStandardOutput()).contains(kMatchStarted)
                                 || program.state() != QProcess::Running,
                             kTimeoutMs);
    QVERIFY2(program.state() == QProcess::Running, output.constData());
    // From here on the log holds the match only: its polls count from 1.
    // Not before the simulator has read the match's START, the line's
    // second: a simulator behind the line (a loaded machine) reads the
    // sighting's last polls after the program said that the match started.
    QTRY_VERIFY_WITH_TIMEOUT(simulator()->call([](RangeSimulator &sim) {
        return sim.framesReceivedWithCode(SimFrame::kCodeStart);
    }) > kStartCopies,
                             kTimeoutMs);
    simulator()->call([](RangeSimulator &sim) { sim.clearTraffic(); });
    QTRY_VERIFY_WITH_TIMEOUT(highestPolledShot(kLanes.at(0)) >= kKillAtShot
                                 && highestPolledShot(kLanes.at(1)) >= kKillAtShot,
                             kTimeoutMs);
    program.kill();
    QVERIFY(program.waitForFinished(kTimeoutMs));
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);
    stopShooters(kLanes);
    for (int i = 0; i < kLanes.size(); ++i) {
        // It asks a target for shot n + 1 only once shot n is stored.
        const int delivered = highestPolledShot(kLanes.at(i)) - 1;
        QVERIFY2(delivered >= kKillAtShot - 1, qPrintable(QString::number(delivered)));
        checkDeliveredShots(event, members.at(i), kLanes.at(i), delivered);
    }
    const QString allRows = "SELECT fMemberID, fNumber, fX, fY, fTime FROM tbullets "
                            "WHERE fEventID=? ORDER BY fMemberID, fNumber";
    const Rows oldRows = rows(allRows, {event});
    qInfo("rows of the killed match: %d", int(oldRows.size()));

    if (readOnly) {
        // Another program clears while the file refuses, tells it, and is
        // killed while the delete waits: the old rows stay, whole.
        QVERIFY(setDatabaseWritable(false));
        QProcess clearing;
        QVERIFY2(startProgram(clearing, "clearUntilKilled"), qPrintable(clearing.errorString()));
        output.clear();
        QTRY_VERIFY_WITH_TIMEOUT(
            (output += clearing.readAllStandardOutput()).contains("RECOVERY: reset waits")
                || clearing.state() != QProcess::Running,
            kTimeoutMs);
        QVERIFY2(clearing.state() == QProcess::Running, output.constData());
        clearing.kill();
        QVERIFY(clearing.waitForFinished(kTimeoutMs));
        QCOMPARE(rows(allRows, {event}), oldRows);
    }

    // Started again: the competition opens with its question about the
    // members who have not shot the exercise to its end.
    const int boxesBeforeStart = Warnings::shown().size();
    // After a second program killed, a range of its own: the line as a
    // range switched on anew.
    QVERIFY(readOnly ? startRange(kLanes) : reopenWindow());
    if (readOnly) {
        QTRY_VERIFY_WITH_TIMEOUT(Warnings::shown().size() > boxesBeforeStart, kTimeoutMs);
        takeWarnings(); // the start-up box: the file is read-only
        takeStorageErrors();
    }
    QVERIFY(openWithQuestion(competition));
    sight("unfinished-question", widget("DialogCheckMemberColBull"));
    // Cleared for both.
    QVERIFY(click("pbClear"));
    QVERIFY(!widget("DialogCheckMemberColBull")->isVisible());
    if (readOnly) {
        // Told once for both members; the old rows stay whole, and the
        // exercise is not offered to be shot over them.
        const int boxesBeforeClear = Warnings::shown().size();
        const auto titles = [&boxesBeforeClear] {
            QStringList told;
            for (const Warnings::Shown &box : Warnings::shown().mid(boxesBeforeClear))
                told << box.title;
            return told;
        };
        QTRY_COMPARE_WITH_TIMEOUT(titles(), QStringList{"Выстрелы участника не удалены!"},
                                  kTimeoutMs);
        QCOMPARE(rows(allRows, {event}), oldRows);
        QVERIFY(userModul()->isEventComplete(userModul()->currentCompetition()->event(0)));
        QVERIFY(setDatabaseWritable(true));
        QTRY_COMPARE_WITH_TIMEOUT(rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=?", {event}),
                                  (Rows{{0}}), kTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(
            titles(), (QStringList{"Выстрелы участника не удалены!", "Выстрелы снова записываются"}),
            kTimeoutMs);
        takeWarnings();
        takeStorageErrors(); // the refusals the box told
    }
    QCOMPARE(rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=?", {event}), (Rows{{0}}));
    QVERIFY(!userModul()->isEventComplete(userModul()->currentCompetition()->event(0)));
    // The relay is shot again from its start: the new match whole, nothing
    // of the old one among it.
    // Members counted as having shot while their delete waited: the check
    // led to the relays page.
    QCOMPARE(page(), readOnly ? Page::Relays : Page::Members);
    if (!readOnly)
        QVERIFY(click("pBNext"));
    QVERIFY(openCurrentRelay());
    QVERIFY(shootOnePositionRelay(kLanes));
    for (int member : members)
        QCOMPARE(storedShots(event, member), kMatchShots);
    const Rows newRows = rows(allRows, {event});
    for (const QVariantList &old : oldRows)
        QVERIFY2(!newRows.contains(old), qPrintable(old.at(1).toString()));
    qInfo("rows after the new match: %d", int(newRows.size()));
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::CompetitionTotal);
}

int TestRecovery::answeredBeforeStop(int lane)
{
    return simulator()->call([lane](RangeSimulator &sim) {
        const QByteArray stopAll = SimFrame::header(SimFrame::kAllTargets, 5, SimFrame::kCodeStop);
        const SimTargetUnit &target = sim.lane(lane)->target;
        QSet<int> answered;
        for (const TrafficEntry &entry : sim.traffic()) {
            if (entry.kind == TrafficEntry::Received && entry.bytes.startsWith(stopAll))
                break;
            const int number = SimFrame::byteAt(entry.bytes, 3);
            if (entry.kind == TrafficEntry::Sent && entry.address == lane
                && entry.code == SimFrame::kCodePoll && number > 0
                && entry.bytes == SimFrame::withCrc(target.shotAnswer(number)))
                answered.insert(number);
        }
        return answered.size();
    });
}

void TestRecovery::closedDuringTheMatch_data()
{
    QTest::addColumn<int>("paceMs");
    // A shot on each target as "X" is pressed, answered in the window's wait.
    QTest::newRow("a shot fired by hand at X") << 0;
    // Shooters faster than the lanes are polled: the bus master polls until
    // its stop reaches it, with answers on their way to the window. Where
    // they fall differs from round to round.
    for (int round = 1; round <= 3; ++round)
        QTest::addRow("shooters every 40 ms, round %d", round) << kShooterPaceMs;
}

void TestRecovery::closedDuringTheMatch()
{
    QFETCH(int, paceMs);
    const QList<int> members = openTwoMemberRelay();
    QVERIFY(!members.isEmpty());
    QVERIFY(click("pBNext"));
    QVERIFY(startSighting());
    QVERIFY(startMatch());
    simulator()->call([](RangeSimulator &sim) { sim.clearTraffic(); });
    const int event = userModul()->currentCompetition()->event(0)->id();
    const auto fire = [this] {
        for (int lane : kLanes)
            simulator()->call([lane](RangeSimulator &sim) { return sim.fireShot(lane, 100, 200, 0); });
    };
    if (paceMs > 0) {
        startShooters(kLanes, paceMs);
        QTRY_VERIFY_WITH_TIMEOUT(storedShots(event, members.first()) >= kCloseAtShot, kTimeoutMs);
    } else {
        fire();
        for (int member : members)
            QTRY_COMPARE_WITH_TIMEOUT(storedShots(event, member), 1, kTimeoutMs);
        fire();
    }
    QVERIFY(click("closeBTN"));
    QTRY_VERIFY_WITH_TIMEOUT(!workerThread(), kTimeoutMs);
    stopShooters(kLanes);
    for (int i = 0; i < kLanes.size(); ++i) {
        const int answered = answeredBeforeStop(kLanes.at(i));
        qInfo("lane %d: %d answered, %d stored", kLanes.at(i), answered,
              storedShots(event, members.at(i)));
        if (paceMs == 0)
            QCOMPARE(answered, 2);
        checkDeliveredShots(event, members.at(i), kLanes.at(i), answered);
    }
}

void TestRecovery::shotsWaitWhileTheDatabaseRefuses_data()
{
    QTest::addColumn<QString>("cause");
    // A header that asks for a newer writer: read-only for root as well.
    QTest::newRow("a newer writer's header, taken back") << "header";
    // As a range computer's user meets it: mode 444 to the program run as
    // an ordinary user, every module holding its connection as at start.
    QTest::newRow("mode 444, made writable") << "mode";
    QTest::newRow("mode 444, taken away for a while, put back writable") << "away";
}

void TestRecovery::shotsWaitWhileTheDatabaseRefuses()
{
    QFETCH(QString, cause);
    if (cause != "header" && !OrdinaryUser::modesHold()) {
        QByteArray output;
        QVERIFY2(OrdinaryUser::runCurrentTest(&output), output.constData());
        return;
    }
    const QList<int> lanes{1, 2, 3, 4};
    QVERIFY(startRange(lanes));
    const int competition = createCompetition(kRifle60, "Кубок");
    QVERIFY(competition > 0);
    const QList<int> members{
        addNewMember("Иван", "Петров", 1), addNewMember("Анна", "Смирнова", 2),
        addNewMember("Пётр", "Иванов", 3), addNewMember("Мария", "Кузнецова", 4)};
    QVERIFY(click("pBNext"));
    const int event = userModul()->currentCompetition()->event(0)->id();

    // The program starts on a file it may not write: told before a relay.
    QVERIFY(shutDown());
    destroyWindow();
    QVERIFY(cause == "header" ? setDatabaseReadOnly(true) : setDatabaseWritable(false));
    const int boxesBeforeStart = Warnings::shown().size();
    QVERIFY(reopenWindow());
    QTRY_VERIFY_WITH_TIMEOUT(Warnings::shown().size() > boxesBeforeStart, kTimeoutMs);
    const Warnings::Shown atStart = takeWarning();
    // The same advice as the refusal's box below: no restart is needed.
    QVERIFY2(atStart.text.contains(QFileInfo(TdbAccessor::databasePath()).fileName())
                 && atStart.text.contains("readonly database")
                 && atStart.text.contains("как только причина будет устранена")
                 && !atStart.text.contains("перезапустите"),
             qPrintable(atStart.text));
    QVERIFY(click("pBContinue"));
    QVERIFY(clickRow("lw_Competitions",
                     rowOf("lw_Competitions", TCompetitionList::CompIdRole, competition)));
    QVERIFY(click("pBNext1"));
    QVERIFY(click("pBNext"));
    QVERIFY(openCurrentRelay());

    const QString stored =
        "SELECT COUNT(DISTINCT fNumber), COUNT(*) FROM tbullets WHERE fEventID=?";
    const QString refused = "Выстрелы не записываются!";
    const QString storedAgain = "Выстрелы снова записываются";
    int boxesBefore = Warnings::shown().size();
    const auto boxes = [&boxesBefore] {
        QStringList titles;
        for (const Warnings::Shown &box : Warnings::shown().mid(boxesBefore))
            titles << box.title;
        return titles;
    };
    QVERIFY(shootOnePositionRelay(lanes, kKillAtShot, [&] {
        // One box says that no shot is stored, not one per shot.
        QTRY_COMPARE_WITH_TIMEOUT(boxes(), QStringList{refused}, kTimeoutMs);
        QCOMPARE(rows(stored, {event}), (Rows{{0, 0}}));
        const Warnings::Shown box = Warnings::shown().at(boxesBefore);
        QVERIFY2(box.text.contains(TdbAccessor::databasePath())
                     && box.text.contains("readonly database")
                     && box.text.contains("как только причина будет устранена"),
                 qPrintable(box.text));
        // What the box says to do, done while the program runs: the refused
        // shots are stored without a restart, as the box promised.
        const QString path = TdbAccessor::databasePath();
        if (cause == "away") {
            // Away until the program has tried to open it again a few
            // times, once a second (no new file is made meanwhile, and the
            // fixture reads nothing); put back as it was, then chmod 644.
            QVERIFY(setDatabaseWritable(false) && QFile::rename(path, path + ".away"));
            int failedOpens = 0;
            QTRY_VERIFY_WITH_TIMEOUT(
                (failedOpens += takeStorageErrors().count(TdbAccessor::ErrorOpen)) >= 4, kTimeoutMs);
            QVERIFY(!QFile::exists(path) && QFile::rename(path + ".away", path));
        }
        if (cause == "header")
            stopShooters(lanes);
        QVERIFY(cause == "header" ? setDatabaseReadOnly(false) : setDatabaseWritable(true));
        QTRY_COMPARE_WITH_TIMEOUT(boxes(), (QStringList{refused, storedAgain}), kTimeoutMs);
        if (cause != "header")
            return;

        // Then the database refuses only the second lane's shots for a
        // while (a trigger; a nearly full disk does the same), and the first
        // lane's are stored meanwhile: still one box for the refusal, one
        // when the second lane's shots are stored.
        boxesBefore = Warnings::shown().size();
        QVERIFY(exec(QStringLiteral("CREATE TRIGGER refuse_lane BEFORE INSERT ON tbullets "
                                    "WHEN NEW.fMemberID=%1 BEGIN SELECT RAISE(ABORT, 'refused'); "
                                    "END")
                         .arg(members.at(1))));
        const int firstLane = storedShots(event, members.at(0));
        const int secondLane = storedShots(event, members.at(1));
        startShooters(lanes, kShooterPaceMs);
        QTRY_VERIFY_WITH_TIMEOUT(storedShots(event, members.at(0)) >= firstLane + 10, kTimeoutMs);
        QCOMPARE(storedShots(event, members.at(1)), secondLane);
        QCOMPARE(boxes(), QStringList{refused});
        QVERIFY(exec("DROP TRIGGER refuse_lane"));
        QTRY_VERIFY_WITH_TIMEOUT(storedShots(event, members.at(1)) > secondLane, kTimeoutMs);
    }));
    // Every lane's match shots stored once each as its target has them; the
    // boxes came once each.
    for (int i = 0; i < lanes.size(); ++i)
        checkDeliveredShots(event, members.at(i), lanes.at(i), kMatchShots);
    QCOMPARE(rows(stored, {event}), (Rows{{kMatchShots, int(lanes.size()) * kMatchShots}}));
    QCOMPARE(boxes(), (QStringList{refused, storedAgain}));
    takeWarnings();
    takeStorageErrors(); // the refusals the boxes told
}

void TestRecovery::operatorWritesOnceTheFileIsWritable()
{
    if (!OrdinaryUser::modesHold()) {
        QByteArray output;
        QVERIFY2(OrdinaryUser::runCurrentTest(&output), output.constData());
        return;
    }
    const int competition = createCompetition(kRifle60, "Кубок");
    QVERIFY(competition > 0);
    QVERIFY(shutDown());
    destroyWindow();
    QVERIFY(setDatabaseWritable(false));
    const int boxesBeforeStart = Warnings::shown().size();
    QVERIFY(reopenWindow());
    QTRY_VERIFY_WITH_TIMEOUT(Warnings::shown().size() > boxesBeforeStart, kTimeoutMs);
    takeWarnings();
    takeStorageErrors(); // what the start-up box told
    // The competition is read through the handle SQLite opened read-only;
    // the file made writable, the member the operator adds is stored at
    // once, with no box, as the box promised.
    QVERIFY(click("pBContinue"));
    QVERIFY(clickRow("lw_Competitions",
                     rowOf("lw_Competitions", TCompetitionList::CompIdRole, competition)));
    QVERIFY(click("pBNext1"));
    QVERIFY(setDatabaseWritable(true));
    QVERIFY(addNewMember("Иван", "Петров", 1) > 0);
    QCOMPARE(Warnings::shown().size(), boxesBeforeStart + 1);
}

void TestRecovery::databaseFileGoesInTheMiddleOfARelay_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("told");
    const QString rewritten = "Файл Базы Данных записан заново";
    // Deleted by hand: its log is left at the path, and the program's
    // writes go on into it, seen by nobody else.
    QTest::newRow("removed") << "removed" << QStringList{rewritten};
    // A copy made earlier put in its place: kept beside it.
    QTest::newRow("replaced by an older copy") << "replaced" << QStringList{rewritten};
    // Deleted while its folder may not be written, on a disk with room:
    // told gone for want of the right to write, written again once it may.
    const QString gone = "Файл Базы Данных удалён!";
    QTest::newRow("removed while its folder may not be written")
        << "unwritable" << QStringList{gone, rewritten};
    // Its folder taken away with it, and the practice roster's file too:
    // nothing can be written there until the folder is made again, and the
    // shots wait meanwhile. Each file is told gone; the competitions file
    // written again, and the roster too unless its own use made it anew
    // first (on a busy machine it may); the shots once, when one came while
    // the folder was away.
    QTest::newRow("its folder taken away, then made again")
        << "folder" << QStringList{gone, gone, rewritten};
    // Moved away for a while and back with both files in it: each told
    // back, and a refusal of lane 2's shots after it told as without the
    // loss, and its end (the shots that waited meanwhile told so once).
    const QString back = "Файл Базы Данных снова на месте";
    QTest::newRow("its folder moved away and back")
        << "back"
        << QStringList{gone, gone, back, back, "Выстрелы не записываются!",
                       "Выстрелы снова записываются"};
}

void TestRecovery::databaseFileGoesInTheMiddleOfARelay()
{
    QFETCH(QString, how);
    QFETCH(QStringList, told);
    if (!OrdinaryUser::modesHold()) {
        QByteArray output;
        QVERIFY2(OrdinaryUser::runCurrentTest(&output), output.constData());
        return;
    }
    const QList<int> members = openTwoMemberRelay();
    QVERIFY(!members.isEmpty());
    const int event = userModul()->currentCompetition()->event(0)->id();
    const QString path = TdbAccessor::databasePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (how == "replaced")
        QVERIFY(QFile::copy(path, path + ".copy"));
    const int boxesBefore = Warnings::shown().size();
    // In the order they came: the two files' are told apart by the path.
    const auto boxes = [boxesBefore] {
        QStringList titles;
        bool storedAgain = false;
        int rewrites = 0;
        for (const Warnings::Shown &box : Warnings::shown().mid(boxesBefore)) {
            // Told at most once, whether shots waited or not.
            if (box.title == QStringLiteral("Выстрелы снова записываются") && !storedAgain) {
                storedAgain = true;
                continue;
            }
            // The roster's own, when it is written again rather than made anew.
            if (box.title == QStringLiteral("Файл Базы Данных записан заново") && ++rewrites == 2)
                continue;
            titles << box.title;
        }
        std::sort(titles.begin(), titles.end());
        return titles;
    };
    std::sort(told.begin(), told.end());
    QVERIFY(shootOnePositionRelay(kLanes, kKillAtShot, [&] {
        if (how == "removed") {
            QVERIFY(QFile::remove(path));
        } else if (how == "replaced") {
            QVERIFY(std::rename(QFile::encodeName(path + ".copy").constData(),
                                QFile::encodeName(path).constData())
                    == 0);
        } else if (how == "unwritable") {
            const QFile::Permissions writable = QFile::permissions(folder);
            QVERIFY(QFile::remove(path)
                    && QFile::setPermissions(folder, writable & ~QFile::WriteOwner & ~QFile::WriteUser));
            QTRY_VERIFY_WITH_TIMEOUT(boxes().contains("Файл Базы Данных удалён!"), kTimeoutMs);
            QVERIFY(QFile::setPermissions(folder, writable));
        } else if (how == "back") {
            // Slower, so that shots are left for the refusal.
            startShooters(kLanes, kSlowPaceMs);
            QVERIFY(QDir().rename(folder, folder + ".away"));
            QTRY_COMPARE_WITH_TIMEOUT(boxes().count("Файл Базы Данных удалён!"), 2, kTimeoutMs);
            // Shots come while it is away, and wait.
            const int fired = firedShots(kLanes.first());
            QTRY_VERIFY_WITH_TIMEOUT(firedShots(kLanes.first()) >= fired + 2, kTimeoutMs);
            QVERIFY(QDir().rename(folder + ".away", folder));
            QTRY_COMPARE_WITH_TIMEOUT(boxes().count("Файл Базы Данных снова на месте"), 2,
                                      kTimeoutMs);
            QVERIFY(exec(QStringLiteral("CREATE TRIGGER refuse_lane BEFORE INSERT ON tbullets "
                                        "WHEN NEW.fMemberID=%1 BEGIN SELECT RAISE(ABORT, "
                                        "'refused'); END")
                             .arg(members.at(1))));
            QTRY_VERIFY_WITH_TIMEOUT(boxes().contains("Выстрелы не записываются!"), kTimeoutMs);
            QVERIFY(exec("DROP TRIGGER refuse_lane"));
            return;
        } else {
            QVERIFY(QDir().rename(folder, folder + ".away"));
            QTRY_COMPARE_WITH_TIMEOUT(boxes().count("Файл Базы Данных удалён!"), 2, kTimeoutMs);
            QVERIFY(QDir().mkdir(folder));
        }
        // Written again at its path while the match goes on.
        QTRY_VERIFY_WITH_TIMEOUT(boxes().contains("Файл Базы Данных записан заново"),
                                 kTimeoutMs);
        QVERIFY(QFile::exists(path));
    }));
    // Every shot of the relay is in the file at its path, as the targets
    // have them; the operator was told once.
    for (int i = 0; i < kLanes.size(); ++i)
        checkDeliveredShots(event, members.at(i), kLanes.at(i), kMatchShots);
    qInfo("rows in the file at its path: %s",
          qPrintable(rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=?", {event})
                         .value(0)
                         .value(0)
                         .toString()));
    if (how == "folder")
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QFileInfo(folder, DataPaths::kShootersDb).filePath()),
                                 kTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(boxes(), told, kTimeoutMs);
    const QList<Warnings::Shown> shown = takeWarnings();
    // Only the causes met are told: the disk has room.
    for (const Warnings::Shown &box : shown)
        QVERIFY2(!box.text.contains("место на диске"), qPrintable(box.text));
    if (how == "replaced") {
        // The copy put in its place is kept beside it, and the box says where.
        const QStringList kept =
            QDir(folder).entryList({QFileInfo(path).fileName() + ".found-*"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QVERIFY2(shown.last().text.contains(kept.first()), qPrintable(shown.last().text));

        // Replaced again as the line closes, after the program's last look:
        // written again at the close, and the file found named too.
        QVERIFY(QFile::copy(path, path + ".copy"));
        connect(
            workerThread(), &QThread::finished, this,
            [&path] { std::rename(QFile::encodeName(path + ".copy"), QFile::encodeName(path)); },
            Qt::DirectConnection);
        QVERIFY(shutDown());
        QStringList found =
            QDir(folder).entryList({QFileInfo(path).fileName() + ".found-*"}, QDir::Files);
        found.removeAll(kept.first());
        QCOMPARE(found.size(), 1);
        const Warnings::Shown atClose = takeWarning();
        QVERIFY2(atClose.text.contains(found.first()), qPrintable(atClose.text));
    }
    takeStorageErrors(); // the refusals the boxes told
}

FolderWatch::FolderWatch(const QString &path)
    : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    QStringList folders{path};
    QDirIterator below(path, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (below.hasNext())
        folders << below.next();
    for (const QString &folder : qAsConst(folders)) {
        const int watch = inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                                            IN_OPEN | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE
                                                | IN_MOVED_FROM | IN_MOVED_TO);
        m_folders.insert(watch, QDir(path).relativeFilePath(folder));
    }
}

FolderWatch::~FolderWatch()
{
    if (m_fd >= 0)
        close(m_fd);
}

QStringList FolderWatch::seen()
{
    QStringList events;
    alignas(inotify_event) char buffer[4096];
    ssize_t length;
    while ((length = read(m_fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            const QString name = QDir::cleanPath(m_folders.value(event->wd) + QLatin1Char('/')
                                                 + QFile::decodeName(event->len ? event->name : ""));
            events << QStringLiteral("%1 %2").arg(event->mask & IN_OPEN ? "opened" : "changed", name);
            at += sizeof(inotify_event) + event->len;
        }
    }
    events.removeDuplicates();
    return events;
}

void TestRecovery::secondProgramOnTheRunFolder_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("the run folder the program's user's") << "own";
    // Installed by root for the operator's user (nobody), who runs both.
    QTest::newRow("the run folder root's, its ServerDatas the user's") << "installed";
    // Root ran a program there once with umask 077.
    QTest::newRow("a lock file root left there with mode 600") << "rootFile";
}

void TestRecovery::secondProgramOnTheRunFolder()
{
    QFETCH(QString, layout);
    const QString folder = runFolder().path();
    if (layout != "own" && !OrdinaryUser::modesHold()) {
        QVERIFY(shutDown());
        destroyWindow();
        // Made by this process's window, as older builds of the program locked the folder.
        QFile left(runFolder().filePath("range.lock"));
        left.remove();
        const QString given = layout == "installed" ? folder + "/ServerDatas" : folder;
        QCOMPARE(QProcess::execute("chown", {"-R", QString::number(OrdinaryUser::kNobody), given}),
                 0);
        QVERIFY(::chmod(QFile::encodeName(folder), 0755) == 0);
        QVERIFY(layout != "rootFile"
                || (left.open(QIODevice::WriteOnly) && ::fchmod(left.handle(), 0600) == 0));
        qputenv(kLaidOutVariable, QFile::encodeName(folder));
        QByteArray output;
        const bool passed = OrdinaryUser::runCurrentTest(&output);
        qunsetenv(kLaidOutVariable);
        QVERIFY2(passed, output.constData());
        return;
    }
    const int competition = createCompetition(kRifle60, "Кубок");
    QVERIFY(competition > 0);
    QVERIFY(shutDown());
    destroyWindow();
    QProcess first;
    QVERIFY2(startProgram(first, "waitUntilKilled"), qPrintable(first.errorString()));
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += first.readAllStandardOutput()).contains(kRunning)
                                 || first.state() != QProcess::Running,
                             kTimeoutMs);
    QVERIFY2(first.state() == QProcess::Running, output.constData());

    // The second program started on the folder is refused and says why,
    // and has opened nothing in it but the folders it locks, and changed
    // nothing. The first is held still meanwhile: a window that runs loads
    // its pictures and looks for its converters when it likes.
    const auto firstPid = pid_t(first.processId());
    // Every thread of it stopped; its stop left to be seen by others.
    siginfo_t stop;
    QVERIFY(::kill(firstPid, SIGSTOP) == 0
            && ::waitid(P_PID, id_t(firstPid), &stop, WSTOPPED | WNOWAIT) == 0);
    const int boxesBefore = Warnings::shown().size();
    FolderWatch watch(folder);
    QVERIFY(!reopenWindow());
    QStringList seen = watch.seen();
    QVERIFY(::kill(firstPid, SIGCONT) == 0);
    QCOMPARE(Warnings::shown().size(), boxesBefore + 1);
    const Warnings::Shown box = takeWarning();
    QCOMPARE(box.title, QString("Программа уже запущена!"));
    QVERIFY2(box.text.contains(folder), qPrintable(box.text));
    for (const QString &locked : RunFolderLock::lockedFolders())
        seen.removeAll(QStringLiteral("opened ") + locked);
    QVERIFY2(seen.isEmpty(), qPrintable(seen.join(QStringLiteral(", "))));
    QCOMPARE(first.state(), QProcess::Running);

    // The first killed: what it left in the folder refuses no start.
    first.kill();
    QVERIFY(first.waitForFinished(kTimeoutMs));
    QVERIFY(reopenWindow());
    QVERIFY(click("pBContinue"));
    QVERIFY(rowOf("lw_Competitions", TCompetitionList::CompIdRole, competition) >= 0);
}

RANGE_TEST_MAIN_AS_ORDINARY_USER(TestRecovery)
#include "tst_recovery.moc"
