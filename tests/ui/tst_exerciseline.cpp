// A whole line without screens: the bus master on its worker thread, the
// range simulator with three lanes on pseudo-terminals, a temporary
// competitions database, and an exercise wired as the main window wires it,
// shot from START through the sighting and the match by simulated shooters.

#include <QPointer>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>

#include <memory>

#include "busframe.h"
#include "emuproc.h"
#include "eventwiring.h"
#include "exerciseclock.h"
#include "fakerunscreen.h"
#include "myevent.h"
#include "simulatorthread.h"
#include "tbullet.h"
#include "tbulletlist.h"
#include "tdbaccessor.h"
#include "testdatadir.h"
#include "tevent.h"
#include "ttargettype.h"

namespace {

const QList<int> kLanes{1, 2, 3};
constexpr int kTargetNum = 8;
constexpr int kCalibre = 450;
constexpr double kControlValue = 10.4;
constexpr int kSearchTimeoutMs = 60000;
constexpr int kShootingTimeoutMs = 120000;
constexpr qint64 kSightingMs = 900 * 1000;
constexpr int kStageSighting = 0;
constexpr int kStageMatch = 1;

int memberOn(int lane)
{
    return lane * 10;
}

// The answer a lane's target gives to a poll for this shot, as it goes on the wire.
QByteArray shotAnswer(int lane, int number, const ScriptedShot &shot)
{
    return frameWithCrc(bytesOf({lane, 0x0E, BusCode::kReadBullet, number, shot.x >> 8,
                                 shot.x & 0xFF, shot.y >> 8, shot.y & 0xFF, quint8(shot.place),
                                 (shot.timeTenths >> 16) & 0xFF, (shot.timeTenths >> 8) & 0xFF,
                                 shot.timeTenths & 0xFF}));
}

// One shot as the test's shooter fired it.
struct FiredShot
{
    int lane = 0;
    int x = 0;
    int y = 0;
    int place = 0;
};

} // namespace

class TestExerciseLine : public QObject
{
    Q_OBJECT

signals:
    // The main window's signals to the bus master.
    void sig_AddTarget(int target, int startNumber, QString familyName, QString name,
                       int firstlast);
    void stopAll();

private slots:
    void init();
    void cleanup();
    void onePosition();
    void threePositions();

private:
    // The exercise record stored in the database, its shot list and the
    // exercise wired to the bus master and the run screen.
    MyEvent *openExercise(int typeXMLID, int matchCount);
    void putLanesOnTheLine();
    void startAndConfirm();
    void endSighting();
    // Fires count shots on every lane, a few milliseconds apart, and waits
    // until the shot list has them in the given stage.
    void fireOnEveryLane(int count, int stage, int expectedInStage);
    void checkStoredShots(const QList<FiredShot> &expected);

    std::unique_ptr<TestDataDir> m_data;
    std::unique_ptr<SimulatorThread> m_simulator;
    QThread *m_thread = nullptr;
    QPointer<EMUProc> m_bus; // deletes itself when its loop has ended
    std::unique_ptr<TdbAccessor> m_db;
    std::unique_ptr<TEvent> m_event;
    std::unique_ptr<TBulletList> m_list;
    std::unique_ptr<FakeRunScreen> m_screen;
    std::unique_ptr<EventWiring> m_wiring;
    ManualClock m_clock;
    QRandomGenerator m_random{20240607};
    QList<FiredShot> m_matchShots;
};

void TestExerciseLine::init()
{
    m_data = std::make_unique<TestDataDir>();
    QVERIFY(m_data->isValid());
    const QString comDir = m_data->filePath(QStringLiteral("com"));
    m_simulator = std::make_unique<SimulatorThread>();
    QVERIFY(m_simulator->call([&](RangeSimulator &sim) { return sim.setComDirectory(comDir); }));
    QCOMPARE(m_simulator->call([](RangeSimulator &sim) { return sim.addSerialConverter(kLanes); }),
             0);
    qputenv("RANGE_COM_DIR", comDir.toLocal8Bit());

    // As the main window builds it.
    m_thread = new QThread;
    m_bus = new EMUProc(0, 1, 10);
    m_bus->moveToThread(m_thread);
    m_bus->moveIoToThread();
    connect(m_thread, &QThread::started, m_bus, &EMUProc::process);
    connect(m_bus, &EMUProc::sig_finished, m_thread, &QThread::quit);
    connect(m_bus, &EMUProc::sig_finished, m_bus, &QObject::deleteLater);
    connect(this, &TestExerciseLine::stopAll, m_bus, &EMUProc::stop);
    connect(this, &TestExerciseLine::sig_AddTarget, m_bus, &EMUProc::slot_view_AddMember);
    m_thread->start();

    m_db = std::make_unique<TdbAccessor>(QStringLiteral("line"));
    m_screen = std::make_unique<FakeRunScreen>();
    m_wiring = std::make_unique<EventWiring>(m_bus, m_screen.get());
    m_matchShots.clear();
}

void TestExerciseLine::cleanup()
{
    m_wiring.reset();
    if (m_thread) {
        // As the main window stops: the bus master's sig_finished ends the
        // thread through this thread's event loop, which must keep running.
        emit stopAll();
        QTRY_VERIFY_WITH_TIMEOUT(m_thread->isFinished(), kSearchTimeoutMs);
        delete m_thread;
        m_thread = nullptr;
    }
    m_list.reset();
    m_event.reset();
    m_db.reset();
    m_simulator.reset();
    m_screen.reset();
    qunsetenv("RANGE_COM_DIR");
    m_data.reset();
}

MyEvent *TestExerciseLine::openExercise(int typeXMLID, int matchCount)
{
    m_event = std::make_unique<TEvent>();
    m_event->setTypeXMLID(typeXMLID);
    m_event->setSubType(1);
    m_event->insertParam(QStringLiteral("MatchCount"), QString::number(matchCount));
    m_event->insertParam(QStringLiteral("TargetNum"), QString::number(kTargetNum));
    const int competition = m_db->insertCompetition(false, 1, 1, false, QTime(9, 0),
                                                    QDate(2024, 6, 7), QStringLiteral("Line"));
    const int eventID = m_db->insertEvent(m_event.get(), competition);
    if (competition < 0 || eventID < 0)
        return nullptr;
    m_event->setID(eventID);
    m_list = std::make_unique<TBulletList>(eventID, m_db.get(), targetTypeById(kTargetNum), true,
                                           kCalibre, kControlValue);
    for (int lane : kLanes) {
        m_list->addPlace(memberOn(lane), lane, QStringLiteral("Shooter %1").arg(lane), lane,
                         QImage(), QString(), QString(), QString());
    }
    MyEvent *exercise = m_wiring->connectEvent(m_event.get(), m_list.get(), nullptr);
    if (exercise)
        exercise->setClock(&m_clock);
    return exercise;
}

void TestExerciseLine::putLanesOnTheLine()
{
    // firstlast: 0 the first lane, 1 a middle one, 2 the last.
    for (int i = 0; i < kLanes.size(); ++i) {
        const int firstlast = i == 0 ? 0 : (i == kLanes.size() - 1 ? 2 : 1);
        emit sig_AddTarget(kLanes.at(i), kLanes.at(i), QStringLiteral("Family"),
                           QStringLiteral("Name"), firstlast);
    }
    QTRY_VERIFY_WITH_TIMEOUT(m_list->allTargetsFound(), kSearchTimeoutMs);
}

void TestExerciseLine::startAndConfirm()
{
    const int modes = m_screen->valuesOf(QStringLiteral("ModeText")).size();
    m_screen->pressStart();
    QTRY_VERIFY_WITH_TIMEOUT(m_screen->valuesOf(QStringLiteral("ModeText")).size() > modes,
                             kSearchTimeoutMs);
}

void TestExerciseLine::endSighting()
{
    m_clock.advanceMs(kSightingMs);
    QTRY_VERIFY_WITH_TIMEOUT(
        m_screen->valuesOf(QStringLiteral("TimeChange")).contains(QStringLiteral("15:00 0")),
        kSearchTimeoutMs);
}

void TestExerciseLine::fireOnEveryLane(int count, int stage, int expectedInStage)
{
    for (int lane : kLanes) {
        const int held = m_simulator->call(
            [&](RangeSimulator &sim) { return sim.lane(lane)->target.shots().size(); });
        QList<ScriptedShot> script;
        while (script.size() < count) {
            ScriptedShot shot;
            shot.afterMs = 20 * script.size();
            shot.x = quint16(m_random.bounded(0, 400));
            shot.y = quint16(m_random.bounded(0, 400));
            shot.place = qint8(m_random.bounded(0, 9));
            shot.timeTenths = m_random.bounded(1, 9000);
            // Each lane's first shot is one whose answer ends in a CRC with a
            // zero high byte: its first 13 bytes check on their own.
            const QByteArray answer = shotAnswer(lane, held + script.size() + 1, shot);
            if (script.isEmpty() && quint8(answer.at(answer.size() - 1)) != 0)
                continue;
            script << shot;
            if (stage == kStageMatch)
                m_matchShots << FiredShot{lane, shot.x, shot.y, shot.place};
        }
        m_simulator->call([&](RangeSimulator &sim) { sim.scheduleShots(lane, script); });
    }
    for (int lane : kLanes) {
        QTRY_COMPARE_WITH_TIMEOUT(m_list->shotCountOfStage(lane, stage), expectedInStage,
                                  kShootingTimeoutMs);
    }
}

void TestExerciseLine::checkStoredShots(const QList<FiredShot> &expected)
{
    // Every stored row is one fired match shot, in its lane's order, with the
    // value its coordinates give on the exercise's face and calibre.
    QMap<int, QList<FiredShot>> byMember;
    for (const FiredShot &shot : expected)
        byMember[memberOn(shot.lane)] << shot;
    m_db->selectEventBullets(m_event->id());
    int rows = 0;
    QMap<int, int> numberSeen;
    for (bool more = !m_db->first(); more; more = m_db->next()) {
        ++rows;
        const int member = m_db->value(QStringLiteral("fMemberID")).toInt();
        const int number = m_db->value(QStringLiteral("fNumber")).toInt();
        QVERIFY2(number >= 1 && number <= byMember.value(member).size(),
                 qPrintable(QStringLiteral("member %1 shot %2").arg(member).arg(number)));
        const FiredShot fired = byMember.value(member).at(number - 1);
        QCOMPARE(m_db->value(QStringLiteral("fX")).toInt(), fired.x);
        QCOMPARE(m_db->value(QStringLiteral("fY")).toInt(), fired.y);
        QCOMPARE(m_db->value(QStringLiteral("fP")).toInt(), fired.place);
        const TBullet value(0, number, fired.x, fired.y, quint8(fired.place), 0,
                            targetTypeById(kTargetNum), kCalibre, kControlValue, 0);
        QCOMPARE(m_db->value(QStringLiteral("fRange10")).toDouble(), value.range());
        ++numberSeen[member];
    }
    QCOMPARE(rows, expected.size());
    for (int lane : kLanes)
        QCOMPARE(numberSeen.value(memberOn(lane)), byMember.value(memberOn(lane)).size());
}

void TestExerciseLine::onePosition()
{
    constexpr int kMatchCount = 10;
    MyEvent *exercise = openExercise(1, kMatchCount);
    QVERIFY(exercise);
    putLanesOnTheLine();

    startAndConfirm();
    QCOMPARE(m_screen->valuesOf(QStringLiteral("ModeText")).last(), QStringLiteral("0"));
    fireOnEveryLane(3, kStageSighting, 3);
    endSighting();

    startAndConfirm();
    QCOMPARE(m_screen->valuesOf(QStringLiteral("ModeText")).last(), QStringLiteral("1"));
    fireOnEveryLane(kMatchCount, kStageMatch, kMatchCount);
    QTRY_COMPARE_WITH_TIMEOUT(m_screen->valuesOf(QStringLiteral("EventFinished")).size(), 1,
                              kShootingTimeoutMs);
    checkStoredShots(m_matchShots);
}

void TestExerciseLine::threePositions()
{
    // 30 match shots: 10 per position.
    constexpr int kMatchCount = 30;
    constexpr int kPositionShots = 10;
    MyEvent *exercise = openExercise(6, kMatchCount);
    QVERIFY(exercise);
    putLanesOnTheLine();

    startAndConfirm();
    fireOnEveryLane(2, kStageSighting, 2);
    endSighting();
    startAndConfirm();

    for (int position = 1; position <= 3; ++position) {
        fireOnEveryLane(kPositionShots, kStageMatch, position * kPositionShots);
        if (position == 3)
            break;
        // The lanes are reset into the sighting of the next position; each
        // shooter fires a sighting shot and asks for match from the terminal.
        const int sightingCode = position == 1 ? 4 : 6;
        for (int lane : kLanes)
            QTRY_COMPARE_WITH_TIMEOUT(m_list->positionCode(lane), sightingCode, kShootingTimeoutMs);
        fireOnEveryLane(1, kStageSighting, 1);
        for (int lane : kLanes)
            m_simulator->call([&](RangeSimulator &sim) { sim.requestMatch(lane, 1); });
        for (int lane : kLanes) {
            QTRY_COMPARE_WITH_TIMEOUT(m_list->positionCode(lane), sightingCode + 1,
                                      kShootingTimeoutMs);
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_screen->valuesOf(QStringLiteral("EventFinished")).size(), 1,
                              kShootingTimeoutMs);
    checkStoredShots(m_matchShots);
}

QTEST_MAIN(TestExerciseLine)
#include "moc_fakerunscreen.cpp"
#include "tst_exerciseline.moc"
