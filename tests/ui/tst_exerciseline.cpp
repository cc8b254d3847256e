// A whole line without screens: the bus master on its worker thread, the
// range simulator with three lanes on pseudo-terminals, a temporary
// competitions database, and an exercise wired as the main window wires it,
// shot from START through the sighting and the match by simulated shooters.
// The line is set up once; each test runs its exercise on it.

#include <QRandomGenerator>
#include <QtTest>

#include <memory>

#include "busframe.h"
#include "exerciseclock.h"
#include "myevent.h"
#include "rangeline.h"
#include "tevent.h"

namespace {

const QList<int> kLanes{1, 2, 3};
constexpr int kTargetNum = 8;
constexpr int kCalibre = 450;
constexpr double kControlValue = 10.4;
constexpr int kSearchTimeoutMs = RangeLine::kTimeoutMs;
constexpr int kShootingTimeoutMs = 120000;
constexpr qint64 kSightingMs = 900 * 1000;
constexpr int kStageSighting = 0;
constexpr int kStageMatch = 1;
// The match of the lanes judged on the targets' own clock, and its bound:
// a lane read past its shots or polled without end does not get it.
constexpr int kJudgedMatch = 10;
constexpr int kJudgedTimeoutMs = 30000;
// Own times of the lanes that took the START: within 2 s of it.
constexpr int kFreshTenths = 2;
const QList<int> kOtherLanes{1, 3};

// The answer a lane's target gives to a poll for this shot, as it goes on the wire.
QByteArray shotAnswer(int lane, int number, const ScriptedShot &shot)
{
    return frameWithCrc(bytesOf({lane, 0x0E, BusCode::kReadBullet, number, shot.x >> 8,
                                 shot.x & 0xFF, shot.y >> 8, shot.y & 0xFF, quint8(shot.place),
                                 (shot.timeTenths >> 16) & 0xFF, (shot.timeTenths >> 8) & 0xFF,
                                 shot.timeTenths & 0xFF}));
}

} // namespace

class TestExerciseLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void onePosition();
    void threePositions();
    void targetDeafAcrossTheMatchStart();
    void lateCopiesOfEarlierAnswers();
    void laneDeafAcrossTheMatchStart_data();
    void laneDeafAcrossTheMatchStart();
    void oneLostAnswerIsNoSilence();
    void shotsLikeSightingShots_data();
    void shotsLikeSightingShots();
    void laneDeafFromSightingToMatch();
    void targetCountingFromAnHourBefore();
    void targetLosesItsPageMidMatch_data();
    void targetLosesItsPageMidMatch();

private:
    // The exercise record stored in the database, its shot list and the
    // exercise wired to the bus master and the run screen.
    MyEvent *openExercise(int typeXMLID, int matchCount);
    // START through the button; false when it is disabled or the start is
    // not confirmed and in whole on the targets.
    bool startAndConfirm();
    // Runs the exercise's clock on by what is left of the sighting (all of it by default).
    void endSighting(qint64 leftMs = kSightingMs);
    // Fires count shots on every lane, a few milliseconds apart, stamped
    // with own times from minTimeTenths to below maxTimeTenths (the targets
    // count on the exercise's clock, which stands while they fire), and
    // waits until the shot list has them in the given stage.
    void fireOnEveryLane(int count, int stage, int expectedInStage,
                         const QList<int> &lanes = kLanes, int maxTimeTenths = 2, int minTimeTenths = 1);
    int pollsFor(int lane, int number) { return m_line->pollsFor(lane, number); }
    // The exercise judged on the targets' real clock, as on the range.
    bool openJudged()
    {
        MyEvent *exercise = openExercise(1, kJudgedMatch);
        if (exercise)
            exercise->setTargetClock(&m_targetClock);
        return exercise;
    }
    // One shot on the lane now, by default stamped with its target's count;
    // its number, 0 when the target refused it.
    int fireOn(int lane, int x, int y, int timeTenths = -1)
    {
        return m_line->simulator().call([=](RangeSimulator &s) {
            return s.fireShot(lane, quint16(x), quint16(y), 1, timeTenths);
        });
    }
    void otherLanesShoot(int count, int stage)
    {
        fireOnEveryLane(count, stage, count, kOtherLanes, kFreshTenths);
    }
    QStringList told(const char *slot) const
    {
        return m_line->screen().valuesOf(QString::fromLatin1(slot));
    }
    // The lane's stored match is what its shooter fired after the match
    // START, and the relay ends; then the boxes, unless null: the lanes
    // told they missed the START, none told it cannot be known.
    void matchEnds(int lane, int firedBeforeMatch, const QStringList *notStarted);
    void checkStoredShots()
    {
        m_line->checkStoredShots(m_event->id(), m_matchShots, kTargetNum, kCalibre,
                                 kControlValue);
    }

    std::unique_ptr<RangeLine> m_line;
    std::unique_ptr<TEvent> m_event;
    std::unique_ptr<TBulletList> m_list;
    ManualClock m_clock;
    MonotonicClock m_targetClock{1}; // the simulated targets count real time
    QRandomGenerator m_random{20240607};
    QMap<int, QList<ExpectedRow>> m_matchShots; // by lane, in shot order
};

void TestExerciseLine::initTestCase()
{
    m_line = std::make_unique<RangeLine>(kLanes);
    QVERIFY(m_line->start(QStringLiteral("line")));
    QVERIFY(m_line->putLanesOnTheLine());
}

void TestExerciseLine::cleanupTestCase()
{
    if (m_line)
        QVERIFY(m_line->stop());
    m_line.reset();
}

void TestExerciseLine::init()
{
    QVERIFY(m_line);
    m_matchShots.clear();
    // Each test reads the shots and polls of its own from the log.
    m_line->simulator().call([](RangeSimulator &s) { s.clearTraffic(); });
}

void TestExerciseLine::cleanup()
{
    // The exercise refers to its list, the list to the database.
    if (m_line)
        m_line->unwire();
    m_list.reset();
    m_event.reset();
}

MyEvent *TestExerciseLine::openExercise(int typeXMLID, int matchCount)
{
    m_event = std::make_unique<TEvent>();
    m_event->setTypeXMLID(typeXMLID);
    m_event->setSubType(1);
    m_event->insertParam(QStringLiteral("MatchCount"), QString::number(matchCount));
    m_event->insertParam(QStringLiteral("TargetNum"), QString::number(kTargetNum));
    const int competition = m_line->db().insertCompetition(
        false, 1, 1, false, QTime(9, 0), QDate(2024, 6, 7), QStringLiteral("Line"));
    const int eventID = m_line->db().insertEvent(m_event.get(), competition);
    if (competition < 0 || eventID < 0)
        return nullptr;
    m_event->setID(eventID);
    m_list = m_line->makeList(eventID, kTargetNum, true, kCalibre, kControlValue);
    MyEvent *exercise = m_line->connectEvent(m_event.get(), m_list.get(), nullptr);
    if (exercise)
        exercise->setClock(&m_clock);
    return exercise;
}

bool TestExerciseLine::startAndConfirm()
{
    const int modes = m_line->screen().valuesOf(QStringLiteral("ModeText")).size();
    const int starts = m_line->startFramesReceived();
    constexpr int kCopies = 3;
    return m_line->screen().pressStart()
        && QTest::qWaitFor(
               [&] {
                   return m_line->screen().valuesOf(QStringLiteral("ModeText")).size() > modes
                       && m_line->startFramesReceived() >= starts + kCopies;
               },
               kSearchTimeoutMs);
}

void TestExerciseLine::endSighting(qint64 leftMs)
{
    m_clock.advanceMs(leftMs);
    QTRY_VERIFY_WITH_TIMEOUT(
        m_line->screen().valuesOf(QStringLiteral("TimeChange")).contains(QStringLiteral("15:00 0")),
        kSearchTimeoutMs);
}

void TestExerciseLine::fireOnEveryLane(int count, int stage, int expectedInStage,
                                       const QList<int> &lanes, int maxTimeTenths, int minTimeTenths)
{
    QMap<int, int> firedBefore;
    for (int lane : lanes) {
        const int held = m_line->targetShotCount(lane);
        firedBefore[lane] = m_line->firedShotCount(lane);
        QList<ScriptedShot> script;
        while (script.size() < count) {
            ScriptedShot shot;
            shot.afterMs = 20 * script.size();
            shot.x = quint16(m_random.bounded(0, 400));
            shot.y = quint16(m_random.bounded(0, 400));
            shot.place = qint8(m_random.bounded(0, 9));
            shot.timeTenths = m_random.bounded(minTimeTenths, maxTimeTenths);
            // Each lane's first shot is one whose answer ends in a CRC with a
            // zero high byte: its first 13 bytes check on their own.
            const QByteArray answer = shotAnswer(lane, held + script.size() + 1, shot);
            if (script.isEmpty() && quint8(answer.at(answer.size() - 1)) != 0)
                continue;
            // The second lands where a shorter window inside its answer checks too.
            shot.decoy = script.size() == 1;
            script << shot;
        }
        m_line->simulator().call([&](RangeSimulator &sim) { sim.scheduleShots(lane, script); });
    }
    for (int lane : lanes) {
        QTRY_COMPARE_WITH_TIMEOUT(m_list->shotCountOfStage(lane, stage), expectedInStage,
                                  kShootingTimeoutMs);
        if (stage == kStageMatch)
            m_matchShots[lane] += m_line->firedRows(lane, firedBefore.value(lane));
    }
}

void TestExerciseLine::onePosition()
{
    constexpr int kMatchCount = 10;
    MyEvent *exercise = openExercise(1, kMatchCount);
    QVERIFY(exercise);

    QVERIFY(startAndConfirm());
    QCOMPARE(m_line->screen().valuesOf(QStringLiteral("ModeText")).last(), QStringLiteral("0"));
    fireOnEveryLane(3, kStageSighting, 3);
    endSighting();

    QVERIFY(startAndConfirm());
    QCOMPARE(m_line->screen().valuesOf(QStringLiteral("ModeText")).last(), QStringLiteral("1"));
    fireOnEveryLane(kMatchCount, kStageMatch, kMatchCount);
    QTRY_COMPARE_WITH_TIMEOUT(m_line->screen().valuesOf(QStringLiteral("EventFinished")).size(), 1,
                              kShootingTimeoutMs);
    checkStoredShots();
}

void TestExerciseLine::threePositions()
{
    // 30 match shots: 10 per position.
    constexpr int kMatchCount = 30;
    constexpr int kPositionShots = 10;
    MyEvent *exercise = openExercise(6, kMatchCount);
    QVERIFY(exercise);

    QVERIFY(startAndConfirm());
    fireOnEveryLane(2, kStageSighting, 2);
    endSighting();
    // The sighting time is over: the match is started through the button.
    QVERIFY(startAndConfirm());

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
            m_line->simulator().call([&](RangeSimulator &sim) { sim.requestMatch(lane, 1); });
        for (int lane : kLanes) {
            QTRY_COMPARE_WITH_TIMEOUT(m_list->positionCode(lane), sightingCode + 1,
                                      kShootingTimeoutMs);
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_line->screen().valuesOf(QStringLiteral("EventFinished")).size(), 1,
                              kShootingTimeoutMs);
    checkStoredShots();
}

void TestExerciseLine::targetDeafAcrossTheMatchStart()
{
    // Lane 2's cable is loose from shortly before the sighting ends until
    // after the match START: its target records its shots but hears neither
    // the polls nor the START, so it keeps its sighting shots and counts its
    // time from the sighting's start.
    constexpr int kMatchCount = 10;
    constexpr int kDeaf = 2;
    QVERIFY(openExercise(1, kMatchCount));
    QVERIFY(startAndConfirm());
    // Read at once, their own times are those of the exercise's clock.
    fireOnEveryLane(3, kStageSighting, 3, kLanes, 2);
    SimulatorThread &sim = m_line->simulator();
    sim.call([](RangeSimulator &s) {
        s.setTargetHearing(kDeaf, false);
        s.fireShot(kDeaf, 100, 100, 1, 8800); // shots 4 and 5: sighting shots never read
        s.fireShot(kDeaf, 120, 90, 2, 8900);
    });
    endSighting();
    QVERIFY(startAndConfirm());
    // Past the sighting's time limit of its count it refuses shots.
    QCOMPARE(sim.call([](RangeSimulator &s) { return s.fireShot(kDeaf, 60, 70, 3, 9010); }), 0);
    sim.call([](RangeSimulator &s) { s.setTargetHearing(kDeaf, true); });
    fireOnEveryLane(kMatchCount, kStageMatch, kMatchCount, {1, 3});

    // Once its target is asked for shot 6 every earlier answer is in: its
    // sighting shots 4 and 5 are passed over, none is stored.
    QTRY_VERIFY_WITH_TIMEOUT(pollsFor(kDeaf, 6) > 0, kShootingTimeoutMs);
    checkStoredShots();
    QCOMPARE(m_list->shotCountOfStage(kDeaf, kStageMatch), 0);
    // It is told that its target takes no shot: its sighting time ran out.
    QCOMPARE(m_line->screen().valuesOf(QStringLiteral("TargetNotStarted")),
             QStringList{"2 refuses"});
    // Its match is not complete, so neither is the relay.
    QCOMPARE(m_line->screen().valuesOf(QStringLiteral("EventFinished")).size(), 0);
}

void TestExerciseLine::lateCopiesOfEarlierAnswers()
{
    constexpr int kMatchCount = 10;
    constexpr int kLane = 2;
    QVERIFY(openExercise(1, kMatchCount));
    QVERIFY(startAndConfirm());
    // The sighting's shots come in its last second, read at once (their
    // own times are those of the exercise's clock), and the match START
    // right after it: a late copy on the line is of an answer of the last
    // moments, and the polls for shot 4 were among them.
    constexpr int kLastSecond = int(kSightingMs / 100) - 10;
    m_clock.advanceMs(kSightingMs - 1000);
    fireOnEveryLane(3, kStageSighting, 3, kLanes, kLastSecond + 2, kLastSecond);
    endSighting(1000);
    QVERIFY(startAndConfirm());
    SimulatorThread &sim = m_line->simulator();
    const auto copy = [&](int number) {
        return sim.call([&](RangeSimulator &s) { return s.repeatShotAnswer(kLane, number); });
    };
    // Lane 2 took the match START, but while it waits for its first match
    // shot the line brings its answer for sighting shot 3 once more, then
    // that for shot 1 twice: just what a target that missed the START
    // answers. Its first shot of the match tells.
    // Each copy is read for a poll of shot 1 before the next one goes out
    // (and the last before the clock moves on: read a minute later, a copy
    // of shot 1 would be one no answer of the last moments can be).
    QVERIFY(copy(3));
    for (int time = 0; time < 2; ++time) {
        const int asked = pollsFor(kLane, 1);
        QVERIFY(copy(1));
        QTRY_VERIFY_WITH_TIMEOUT(pollsFor(kLane, 1) >= asked + 2, kShootingTimeoutMs);
    }
    QVERIFY(m_line->screen().valuesOf(QStringLiteral("TargetNotStarted")).isEmpty());

    // The match shots carry their own times since the START, as a target
    // that took it stamps them.
    m_clock.advanceMs(60 * 1000);
    fireOnEveryLane(kMatchCount, kStageMatch, kMatchCount, kLanes, 600);
    QTRY_COMPARE_WITH_TIMEOUT(m_line->screen().valuesOf(QStringLiteral("EventFinished")).size(), 1,
                              kShootingTimeoutMs);
    QVERIFY(m_line->screen().valuesOf(QStringLiteral("TargetNotStarted")).isEmpty());
    checkStoredShots();
}

void TestExerciseLine::laneDeafAcrossTheMatchStart_data()
{
    QTest::addColumn<int>("shotsRead");
    // Its page is read past by the shots' own times on the targets' clock
    // (the sighting lasted seconds of it) and the moments it had no shot, and
    // what the shooter fired after the match START is the match, whether a
    // shot of its page was read before or none.
    QTest::newRow("kept page, its first shot read") << 1;
    QTest::newRow("kept page, nothing of it read") << 0;
    // Its shots fired 8 s into the sighting, older than any shot of a page
    // begun at the match START can be when it hears again: back, it is
    // asked at once for its last shot read, and read on after it; the shots
    // before that one are not asked for again.
    QTest::newRow("kept page, three shots read") << 3;
}

void TestExerciseLine::laneDeafAcrossTheMatchStart()
{
    // Lane 2's target hears nothing from just after the sighting START (or
    // its first shot) until just after the match START, which it misses;
    // its shooter fires on, every shot stamped with the target's own time.
    QFETCH(int, shotsRead);
    constexpr int kMatchCount = 10;
    constexpr int kLane = 2;
    MyEvent *exercise = openExercise(1, kMatchCount);
    QVERIFY(exercise);
    exercise->setTargetClock(&m_targetClock);
    SimulatorThread &sim = m_line->simulator();
    const auto fire = [&](int x) {
        return sim.call([x](RangeSimulator &s) { return s.fireShot(kLane, quint16(x), 50, 1); });
    };
    const auto hear = [&](bool hears) {
        sim.call([hears](RangeSimulator &s) { s.setTargetHearing(kLane, hears); });
    };
    // The bus master's word that the lane went silent, taken in this thread.
    int silences = 0;
    const QMetaObject::Connection heard = connect(
        m_line->bus(), &EMUProc::sig_TargetHeard, this,
        [&silences](int ta, bool hears) { silences += ta == kLane && !hears ? 1 : 0; });
    QVERIFY(startAndConfirm());
    const qint64 sightingAt = m_targetClock.nowMs();
    if (shotsRead > 2)
        QTRY_VERIFY_WITH_TIMEOUT(m_targetClock.nowMs() - sightingAt > 8000, kShootingTimeoutMs);
    for (int shot = 1; shot <= shotsRead; ++shot) {
        QVERIFY(fire(90 + shot) > 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_list->shotCountOfStage(kLane, kStageSighting), shot,
                                  kShootingTimeoutMs);
    }
    hear(false);
    QVERIFY(fire(110) > 0);
    QVERIFY(fire(120) > 0);
    fireOnEveryLane(2, kStageSighting, 2, {1, 3});
    QTRY_VERIFY_WITH_TIMEOUT(silences > 0, kShootingTimeoutMs);
    disconnect(heard);
    const qint64 silentAt = m_targetClock.nowMs();
    QTRY_VERIFY_WITH_TIMEOUT(m_targetClock.nowMs() - silentAt > 3000, kShootingTimeoutMs);
    endSighting();
    QVERIFY(startAndConfirm());
    const qint64 matchAt = m_targetClock.nowMs();
    const int storedFrom = m_line->firedShotCount(kLane);
    // Its shooter fires once the other lanes have their match, and seconds
    // after the START: a shot within our reading's slack of it could be
    // either side.
    fireOnEveryLane(kMatchCount, kStageMatch, kMatchCount, {1, 3});
    QTRY_VERIFY_WITH_TIMEOUT(m_targetClock.nowMs() - matchAt > 3000, kShootingTimeoutMs);
    QVERIFY(fire(130) > 0);
    const int secondAsked = pollsFor(kLane, 2);
    // Counted in the simulator's turn that makes it hear, so that a poll
    // written meanwhile, which it does not hear, is not counted as asked after.
    const QByteArray pollOfFirst = frameWithCrc(bytesOf({kLane, 0x09, BusCode::kReadBullet, 1, 0, 0, 0}));
    const int heardFrom = sim.call([](RangeSimulator &s) {
        s.setTargetHearing(kLane, true);
        return s.framesReceived(kLane).size();
    });

    // Its page read to its end, its shooter fires on: the match is what it
    // fired after the match START, from its last shot above on (when nothing
    // of its page was read, the next shot tells when that one was taken,
    // once the target has said twice that it lacked it: one "no shot" may be
    // a late copy).
    const int onPage = shotsRead + 3;
    QTRY_VERIFY_WITH_TIMEOUT(pollsFor(kLane, onPage + 1) > 2, kShootingTimeoutMs);
    if (shotsRead > 2) {
        QCOMPARE(pollsFor(kLane, 2), secondAsked);
        // Nor the shot asked for while it was silent, once the last shot
        // read was asked for after it heard again. (Until the exercise has
        // judged the answer that told it hears, a busy machine may still
        // write that poll.)
        const QList<QByteArray> heard = sim.call([](RangeSimulator &s) { return s.framesReceived(kLane); }).mid(heardFrom);
        const QByteArray pollOfLast = frameWithCrc(bytesOf({kLane, 0x09, BusCode::kReadBullet, quint8(shotsRead), 0, 0, 0}));
        const int readOnFrom = heard.indexOf(pollOfLast);
        QVERIFY(readOnFrom >= 0);
        QVERIFY2(!heard.mid(readOnFrom).contains(pollOfFirst),
                 qPrintable(QStringLiteral("shot 1 polled %1 times after the read-on began")
                                .arg(heard.mid(readOnFrom).count(pollOfFirst))));
    }
    for (int shot = 1; shot < kMatchCount; ++shot)
        QVERIFY(fire(140 + shot) > 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_line->screen().valuesOf(QStringLiteral("EventFinished")).size(), 1,
                              kShootingTimeoutMs);
    m_matchShots[kLane] = m_line->firedRows(kLane, storedFrom);
    checkStoredShots();
    QCOMPARE(m_line->screen().valuesOf(QStringLiteral("TargetNotStarted")),
             QStringList{QString::number(kLane)});
    QCOMPARE(m_line->screen().valuesOf(QStringLiteral("TargetStartInDoubt")), QStringList());
}

void TestExerciseLine::oneLostAnswerIsNoSilence()
{
    // A busy line loses an answer now and then: lane 2's first answer after
    // the sighting START, with no earlier page to compare its shots with,
    // does not put the lane in doubt.
    MyEvent *exercise = openExercise(1, 10);
    QVERIFY(exercise);
    exercise->setTargetClock(&m_targetClock);
    m_line->simulator().call([](RangeSimulator &s) { s.dropAnswers(2, 1); });
    QVERIFY(startAndConfirm());
    fireOnEveryLane(2, kStageSighting, 2);
    QCOMPARE(m_line->screen().valuesOf(QStringLiteral("TargetStartInDoubt")), QStringList());
    QCOMPARE(m_line->screen().valuesOf(QStringLiteral("TargetNotStarted")), QStringList());
}

void TestExerciseLine::matchEnds(int lane, int firedBeforeMatch, const QStringList *notStarted)
{
    // Waited for once: the QTRY macros wait thrice their time on a failure.
    const auto stored = [&] { return m_list->shotCountOfStage(lane, kStageMatch); };
    if (!QTest::qWaitFor([&] { return stored() == kJudgedMatch; }, kJudgedTimeoutMs))
        QCOMPARE(stored(), kJudgedMatch);
    if (!QTest::qWaitFor([&] { return !told("EventFinished").isEmpty(); }, kJudgedTimeoutMs))
        QCOMPARE(told("EventFinished").size(), 1);
    m_matchShots[lane] = m_line->firedRows(lane, firedBeforeMatch);
    checkStoredShots();
    if (!notStarted || QTest::currentTestFailed())
        return;
    QCOMPARE(told("TargetNotStarted"), *notStarted);
    QCOMPARE(told("TargetStartInDoubt"), QStringList());
}

void TestExerciseLine::shotsLikeSightingShots_data()
{
    QTest::addColumn<int>("sightingShots");
    QTest::addColumn<int>("alikeMatchShots");
    // "No shot 4" answered in the sighting: match shot 4 is new, and with it
    // the page whose shots 1-3 look like the sighting's.
    QTest::newRow("identical-shot shooter") << 3 << kJudgedMatch;
    // Match shot 2, answered, is one the sighting page never held.
    QTest::newRow("match shot 1 like the only sighting shot") << 1 << 1;
}

void TestExerciseLine::shotsLikeSightingShots()
{
    // Lane 2 takes both STARTs; its shooter puts shots alike, on one point
    // at own time 0.0 s: its sighting shots, then the first of the match.
    QFETCH(int, sightingShots);
    QFETCH(int, alikeMatchShots);
    constexpr int kLane = 2;
    QVERIFY(openJudged());
    QVERIFY(startAndConfirm());
    const qint64 sightingFrom = m_targetClock.nowMs();
    for (int i = 0; i < sightingShots; ++i)
        QVERIFY(fireOn(kLane, 150, 150, 0) > 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_list->shotCountOfStage(kLane, kStageSighting), sightingShots,
                              kJudgedTimeoutMs);
    otherLanesShoot(3, kStageSighting);
    // The sighting lasts seconds of the targets' clock, polled throughout.
    QTRY_VERIFY_WITH_TIMEOUT(m_targetClock.nowMs() - sightingFrom > 3000, kJudgedTimeoutMs);
    endSighting();
    QVERIFY(startAndConfirm());
    const int firedBefore = m_line->firedShotCount(kLane);
    for (int i = 0; i < kJudgedMatch; ++i) {
        const bool alike = i < alikeMatchShots;
        QVERIFY(alike ? fireOn(kLane, 150, 150, 0) > 0 : fireOn(kLane, 200 + 10 * i, 90) > 0);
    }
    otherLanesShoot(kJudgedMatch, kStageMatch);
    const QStringList none;
    matchEnds(kLane, firedBefore, &none);
}

void TestExerciseLine::laneDeafFromSightingToMatch()
{
    // Lane 2's target takes the sighting START, answers, and is deaf from
    // just after it until 1 s after the match START, which it misses. Its
    // shooter fires a shot a second on the target's count throughout: the
    // sighting shots, answered after the match START, carry own times of up
    // to 12 s that no page begun 1 s before can hold.
    constexpr int kLane = 2;
    constexpr int kSightingShots = 12;
    SimulatorThread &sim = m_line->simulator();
    QVERIFY(openJudged());
    QVERIFY(startAndConfirm());
    QTRY_VERIFY_WITH_TIMEOUT(pollsFor(kLane, 1) > 0, kJudgedTimeoutMs);
    sim.call([](RangeSimulator &s) {
        s.loosenAcrossNextStart(kLane, 1000);
        s.startShooter(kLane, ShooterSettings{100, 1000, kSightingShots, 7});
    });
    otherLanesShoot(3, kStageSighting);
    QTRY_COMPARE_WITH_TIMEOUT(m_line->firedShotCount(kLane), kSightingShots, kJudgedTimeoutMs);
    // The match START comes seconds after its last sighting shot.
    const qint64 lastSightingShot = m_targetClock.nowMs();
    QTRY_VERIFY_WITH_TIMEOUT(m_targetClock.nowMs() > lastSightingShot + 2000, kJudgedTimeoutMs);
    endSighting();
    QVERIFY(startAndConfirm());
    // Its first match shot comes 2.5 s after the START: one within the slack
    // of our reading of the START and of its answers could be either side,
    // and would be held.
    const qint64 matchAt = m_targetClock.nowMs();
    QTRY_VERIFY_WITH_TIMEOUT(m_targetClock.nowMs() > matchAt + 1500, kJudgedTimeoutMs);
    sim.call([](RangeSimulator &s) {
        s.startShooter(kLane, ShooterSettings{100, 1000, kJudgedMatch, 8});
    });
    otherLanesShoot(kJudgedMatch, kStageMatch);
    QTRY_COMPARE_WITH_TIMEOUT(m_line->firedShotCount(kLane), kSightingShots + kJudgedMatch,
                              kJudgedTimeoutMs);
    const QStringList missed{QString::number(kLane)};
    matchEnds(kLane, kSightingShots, &missed);
}

void TestExerciseLine::targetCountingFromAnHourBefore()
{
    // Lane 2's target was switched on an hour before the line's clock began
    // and is deaf across the sighting and the match START: it stamps every
    // shot with its count since then. Its three sighting shots come seconds
    // before the match START; after it its shooter fires five shots while
    // the target is deaf and five, 0.3 s apart, once it hears again.
    constexpr int kLane = 2;
    constexpr int kHourTenths = 36000;
    constexpr qint64 kBeyondClockSlackMs = 8000;
    SimulatorThread &sim = m_line->simulator();
    const auto fireStamped = [&](int count, int paceMs) {
        const int fired = m_line->firedShotCount(kLane);
        QList<ScriptedShot> script;
        for (int i = 0; i < count; ++i) {
            const int afterMs = paceMs * i;
            const int stamp = kHourTenths + int((m_targetClock.nowMs() + afterMs) / 100);
            script << ScriptedShot{afterMs, quint16(100 + 20 * i), quint16(60 + 10 * i), 1, stamp};
        }
        sim.call([&](RangeSimulator &s) { s.scheduleShots(kLane, script); });
        QTRY_COMPARE_WITH_TIMEOUT(m_line->firedShotCount(kLane), fired + count, kJudgedTimeoutMs);
    };
    QVERIFY(openJudged());
    sim.call([](RangeSimulator &s) {
        s.restartTarget(kLane);
        s.setTargetHearing(kLane, false);
    });
    QVERIFY(startAndConfirm());
    const qint64 sightingShotsMs = m_targetClock.nowMs();
    fireStamped(3, 100);
    otherLanesShoot(3, kStageSighting);
    QTRY_VERIFY_WITH_TIMEOUT(m_targetClock.nowMs() > sightingShotsMs + kBeyondClockSlackMs,
                             kJudgedTimeoutMs);
    endSighting();
    QVERIFY(startAndConfirm());
    const int firedBefore = m_line->firedShotCount(kLane);
    // Its shooter fires seconds after the START, as on the range.
    const qint64 matchFrom = m_targetClock.nowMs();
    QTRY_VERIFY_WITH_TIMEOUT(m_targetClock.nowMs() > matchFrom + 2000, kJudgedTimeoutMs);
    fireStamped(5, 100);
    sim.call([](RangeSimulator &s) { s.setTargetHearing(kLane, true); });
    fireStamped(5, 300);
    otherLanesShoot(kJudgedMatch, kStageMatch);
    const QStringList missed{QString::number(kLane)};
    matchEnds(kLane, firedBefore, &missed);
}

void TestExerciseLine::targetLosesItsPageMidMatch_data()
{
    QTest::addColumn<bool>("deafAcrossStart");
    QTest::newRow("its shots stored") << false;
    // Deaf for 1.5 s across the match START with its five shots fired at
    // once: they are held, with its sighting shots, when the page is lost,
    // and put to the operator, who counts them from the first fired after
    // the START: they take their places before the new page's shots.
    QTest::newRow("its shots held") << true;
}

void TestExerciseLine::targetLosesItsPageMidMatch()
{
    // Lane 2's target loses its power five shots into the match and gets it
    // back once the bus master found it silent: its memory is empty and it
    // took no START. Its shooter fires the last five shots on that page.
    QFETCH(bool, deafAcrossStart);
    constexpr int kLane = 2;
    constexpr int kBeforeCut = 5;
    int silences = 0;
    const QMetaObject::Connection heard = connect(
        m_line->bus(), &EMUProc::sig_TargetHeard, this,
        [&silences](int ta, bool hears) { silences += ta == kLane && !hears ? 1 : 0; });
    QVERIFY(openJudged());
    QVERIFY(startAndConfirm());
    fireOnEveryLane(3, kStageSighting, 3, kLanes, kFreshTenths);
    endSighting();
    if (deafAcrossStart)
        m_line->simulator().call([](RangeSimulator &s) { s.loosenAcrossNextStart(kLane, 1500); });
    QVERIFY(startAndConfirm());
    const int firedBefore = m_line->firedShotCount(kLane);
    for (int i = 0; i < kBeforeCut; ++i)
        QVERIFY(fireOn(kLane, 80 + 20 * i, 40) > 0);
    // Deaf across the START, it kept its sighting page: its three sighting
    // shots (0.2 s on its count) come again before the match's, read
    // together once it hears again, and nothing parts them from the START.
    const int sightingShots = deafAcrossStart ? 3 : 0;
    const LaneStart &lane = m_list->placeByTarget(kLane)->laneStart();
    QTRY_COMPARE_WITH_TIMEOUT(m_list->shotCountOfStage(kLane, kStageMatch) + lane.heldCount(),
                              kBeforeCut + sightingShots, kJudgedTimeoutMs);
    const int held = lane.heldCount();
    QCOMPARE(held, deafAcrossStart ? kBeforeCut + sightingShots : 0);
    // What the answers told of each held shot's moment, against the START.
    const qint64 matchStartMs = lane.startMs();
    const QVector<LaneStart::Doubt> heldBefore = lane.doubts();
    QList<HeldShot> asked;
    m_line->screen().heldAsked = [&asked](const QList<HeldShot> &shots) { asked = shots; };
    const auto forget = qScopeGuard([this] { m_line->screen().heldAsked = {}; });
    m_line->simulator().call([](RangeSimulator &s) { s.setTargetPresent(kLane, false); });
    QTRY_VERIFY_WITH_TIMEOUT(silences > 0, kJudgedTimeoutMs);
    disconnect(heard);
    m_line->simulator().call([](RangeSimulator &s) {
        s.restartTarget(kLane);
        s.setTargetPresent(kLane, true);
    });
    for (int i = 0; i < kJudgedMatch - kBeforeCut; ++i)
        QCOMPARE(fireOn(kLane, 300 + 20 * i, 70), i + 1);
    otherLanesShoot(kJudgedMatch, kStageMatch);
    if (deafAcrossStart) {
        // Asked at once, the ruling is answered once the lane's stored and
        // held shots make its count: it is then polled no more.
        QTRY_COMPARE_WITH_TIMEOUT(m_list->shotCountOfStage(kLane, kStageMatch),
                                  kJudgedMatch - held, kJudgedTimeoutMs);
        QCOMPARE(told("ShotsInDoubt"), QStringList{QStringLiteral("%1 0").arg(kLane)});
        // The first shot fired after the START is the one at x 80.
        const QVector<LaneStart::Doubt> doubts = lane.doubts();
        QCOMPARE(doubts.size(), held);
        QCOMPARE(doubts.at(sightingShots).shot.point.x(), 80);
        // The ruling tells them as it could before the page was lost, still
        // against the match START.
        QCOMPARE(asked.size(), held);
        for (int k = 0; k < held; ++k) {
            const PageTrace::Span was = heldBefore.at(k).taken;
            const HeldShot &shot = asked.at(k);
            QCOMPARE(shot.point, heldBefore.at(k).shot.point);
            QCOMPARE(shot.fromKnown, was.from > -PageTrace::kUnbounded / 2);
            QCOMPARE(shot.toKnown, was.to < PageTrace::kUnbounded / 2);
            QVERIFY(!shot.fromKnown || shot.fromMs == was.from - matchStartMs);
            QVERIFY(!shot.toKnown || shot.toMs >= was.to - matchStartMs);
            // The sighting shots, and only they, were read before the START;
            // taken after it, had the target taken it, or on its sighting page.
            QCOMPARE(shot.readBefore, k < sightingShots);
            const auto told = [&shot](LaneStart::Doubt::Page page) {
                return std::any_of(shot.accounts.cbegin(), shot.accounts.cend(),
                                   [page](const HeldShot::Moments &m) { return m.page == page; });
            };
            QVERIFY(told(LaneStart::Doubt::Page::ThisStart) && told(LaneStart::Doubt::Page::EarlierStart));
        }
        emit m_line->screen().sig_ruleShots(kLane, sightingShots);
    }
    matchEnds(kLane, firedBefore, nullptr);
    // The operator is told the target lost its page (with the shot held of
    // it), and nothing else.
    QCOMPARE(told("TargetPageLost"),
             QStringList{deafAcrossStart ? QStringLiteral("%1 held %2").arg(kLane).arg(held)
                                         : QString::number(kLane)});
    QCOMPARE(told("TargetNotStarted"), QStringList());
}

QTEST_MAIN(TestExerciseLine)
#include "moc_rangeline.cpp"
#include "tst_exerciseline.moc"
