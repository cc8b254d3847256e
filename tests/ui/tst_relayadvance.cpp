// A pistol match shot relay by relay on the real main window against the
// range simulator: two relays of two members in the precision stage and two
// in its rapid-fire stage, each prepared on the current relay page, shot on
// the run page on a hand-advanced exercise clock and marked done, the stage's
// totals between the stages, the competition's totals at the end. One relay
// is left unfinished when the program is closed, and shot again after its
// members' results were cleared; the converter is unplugged and plugged back
// while it shoots. And the bus log window on the same line.

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

#include "eventwiring.h"
#include "exerciseclock.h"
#include "fakerunscreen.h"
#include "formcurrentrelay.h"
#include "formeventtotal.h"
#include "formexecuteevent.h"
#include "formlog.h"
#include "mainwindowtest.h"
#include "myevent.h"
#include "simulatorthread.h"
#include "targetio.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmembers.h"
#include "trelay.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"

namespace {

constexpr int kCountry = 2; // a country of the default country list
constexpr int kPistol25 = 8; // precision stage, then rapid-fire stage
constexpr int kPistol50 = 6; // one exercise of 60 shots
const QList<int> kLanes{1, 2};
constexpr int kMembers = 4;
constexpr int kSeriesShots = 5;
constexpr int kMatchSeries = 6;
constexpr int kMatchShots = kSeriesShots * kMatchSeries;
constexpr int kStageSighting = 0;
constexpr int kStageMatch = 1;
constexpr int kMissX = 65535; // x and y of a miss as the shots table stores them
// A shot's own time within a rapid-fire window, tenths of a second.
constexpr int kInWindowTenths = 15;
// Exercise time of the phases, ms.
constexpr qint64 kLoadMs = 7000;
constexpr qint64 kSeriesMs = 300000;
constexpr qint64 kWindowMs = 3000;
constexpr qint64 kGraceMs = 5000;
constexpr qint64 kBreakMs = 60000;

// One fired shot as its stored row should read.
struct Shot
{
    int x = 0;
    int y = 0;
    bool operator==(const Shot &other) const { return x == other.x && y == other.y; }
};

// How many of the log window's port labels read the text. A converter
// plugged back in is taken by whichever port looks for one first once its
// device is there again, not necessarily by the port it left.
int portsReading(const FormLog *log, const QString &text)
{
    int reading = 0;
    for (int id = 1; id <= TargetIO::kPortCount; ++id) {
        const auto *label = log->findChild<QLabel *>(QStringLiteral("l_Addr%1").arg(id));
        reading += label && label->text() == text ? 1 : 0;
    }
    return reading;
}

} // namespace

class TestRelayAdvance : public MainWindowTest
{
    Q_OBJECT

private slots:
    void pistolMatchRelayByRelay();
    void logWindowFollowsTheBus();
    void oneExerciseGoesStraightToItsTotals();

private:
    // A new pistol match with kMembers members on start numbers 1.. and the
    // window on its relays page: relays of two on targets 1 and 2.
    void openPistolMatch() { openMatch(kPistol25); }
    void openMatch(int type);
    TShooter *memberOn(int startNumber) const;

    // The relay on the current relay page once its line answers: its
    // exercise is the stage's, its number and members as given, and the
    // exercise runs on the test's clock. Then the run page.
    void relayIsReady(int eventNum, int relay, const QList<int> &startNumbers);
    // Shoots the whole stage of the relay on the run page and presses Next;
    // with unplugAt above 0, the converter is unplugged in that match series.
    void shootPrecision(int unplugAt = -1);
    // The sighting and the first match series only; the relay stays unfinished.
    void shootPrecisionStart();
    // The program closed and opened again on the stored competition, as far
    // as the question about members short of match shots.
    void continueAfterRestart();
    void shootRapidFire();

    // One series: START, the confirmed start(s), the shots, the series'
    // end; shots are fired while the converter is unplugged when asked.
    void precisionSeries(int shots, bool unplug);
    void rapidFireSeries();
    void fire(int shotsPerLane, int timeTenths, bool unplug);
    void advanceToStart(qint64 ms);
    void startIsIn(int startsBefore);
    void waitFor(const char *slot, const QString &value, int before);
    int count(const char *slot, const QString &value) const
    {
        return m_screen.valuesOf(QString::fromLatin1(slot)).count(value);
    }
    int stageOfTheRun() const;
    void converterLostAndBack(const std::function<void()> &whileLost);

    // The simulator's record: shots fired per lane, start frames received.
    QList<Shot> firedOn(int lane) const;
    int startFramesReceived() const;
    // The stored match rows of the member in the stage, misses apart.
    QList<Shot> storedShots(int eventNum, int startNumber, int *misses = nullptr);
    void checkStage(int eventNum);

    TEvent *event(int num) const { return userModul()->currentCompetition()->eventByNum(num); }
    TBulletList *listOf(int eventNum) const
    {
        return userModul()->bulletList(event(eventNum)->id());
    }

    ManualClock m_clock;
    FakeRunScreen m_screen; // what the running exercise told the run page
    QElapsedTimer m_sinceStart;
    QRandomGenerator m_random{20240611};
    QMap<int, int> m_laneOf;             // start number -> lane of its relay
    QMap<int, QList<Shot>> m_fired;      // start number -> shots fired in the running stage
    QList<int> m_shooting;               // start numbers of the relay on the line
    int m_eventNum = 0;
};

void TestRelayAdvance::openMatch(int type)
{
    QVERIFY(click(QStringLiteral("pbNEW")));
    QVERIFY(userModul()->newCompetition(kCountry, type, false, QStringLiteral("Cup")));
    for (int number = 1; number <= kMembers; ++number) {
        const int shooterID =
            userModul()->addShooter(QStringLiteral("N"), QStringLiteral("F%1").arg(number),
                                    QDate(1990, 1, number), 0, kCountry, 0, 0);
        TShooter *shooter = userModul()->shooters()->shooterByID(shooterID);
        QVERIFY(shooter && userModul()->addMember(shooter, number));
    }
    QVERIFY(window()->showPage(Page::Members));
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::Relays);
}

TShooter *TestRelayAdvance::memberOn(int startNumber) const
{
    TMembers *members = userModul()->members();
    for (TShooter *member = members->memberAt(0); member; member = members->nextMember(member)) {
        if (member->startNumber() == startNumber)
            return member;
    }
    return nullptr;
}

void TestRelayAdvance::relayIsReady(int eventNum, int relay, const QList<int> &startNumbers)
{
    QCOMPARE(page(), Page::CurrentRelay);
    TRelay *run = userModul()->currentRunRelay(nullptr, nullptr);
    QVERIFY(run);
    QCOMPARE(run->event(), event(eventNum));
    QCOMPARE(run->number(), relay);
    QCOMPARE(widget<QLabel>(QStringLiteral("l_relayNum"))->text(), QString::number(relay));
    QCOMPARE(run->memberCount(), startNumbers.size());
    m_shooting.clear();
    for (int i = 0; i < startNumbers.size(); ++i) {
        const TShooter *member = run->memberAt(i);
        QCOMPARE(member->startNumber(), startNumbers.at(i));
        // Nobody of the relay counts as done before it has shot.
        QVERIFY(!member->isEventDone(eventNum));
        m_laneOf[member->startNumber()] = run->targetOfMember(member->memberID());
        m_shooting << member->startNumber();
    }
    // The stage's list shows the relay's members on their targets.
    TBulletList *list = listOf(eventNum);
    QCOMPARE(list->placeCount(), startNumbers.size());
    QCOMPARE(widget<QTableView>(QStringLiteral("tv_relay"))->model()->rowCount(),
             startNumbers.size());

    auto *next = widget<QPushButton>(QStringLiteral("pBNext"));
    QTRY_VERIFY_WITH_TIMEOUT(next->isEnabled(), kTimeoutMs);
    MyEvent *exercise = currentEvent();
    QVERIFY(exercise);
    exercise->setClock(&m_clock);
    m_screen.calls.clear();
    connect(exercise, &MyEvent::sig_view_TimeChange, &m_screen,
            &FakeRunScreen::slot_myEvent_TimeChange);
    connect(exercise, &MyEvent::sig_view_BTNStartText, &m_screen,
            &FakeRunScreen::slot_myEvent_BTNStartText);
    connect(exercise, &MyEvent::sig_view_BTNStopEnabled, &m_screen,
            &FakeRunScreen::slot_myEvent_BTNStopEnabled);
    connect(exercise, &MyEvent::sig_view_ModeText, &m_screen,
            &FakeRunScreen::slot_myEvent_ModeText);
    connect(exercise, &MyEvent::sig_view_EventFinished, &m_screen,
            &FakeRunScreen::slot_myEvent_EventFinished);
    m_eventNum = eventNum;
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::Run);
    QCOMPARE(widget<QLabel>(QStringLiteral("l_relayNum"))->text(), QString::number(relay));
    m_sinceStart.invalidate();
}

void TestRelayAdvance::advanceToStart(qint64 ms)
{
    // A start soon after the last one would be taken for a copy of it.
    if (m_sinceStart.isValid())
        QVERIFY(QTest::qWaitFor([this] { return m_sinceStart.elapsed() > 200; }, kTimeoutMs));
    m_clock.advanceMs(ms);
}

void TestRelayAdvance::startIsIn(int startsBefore)
{
    constexpr int kCopies = 3;
    QVERIFY(QTest::qWaitFor([&] { return startFramesReceived() >= startsBefore + kCopies; },
                            kTimeoutMs));
    m_sinceStart.start();
}

void TestRelayAdvance::waitFor(const char *slot, const QString &value, int before)
{
    QVERIFY2(QTest::qWaitFor([&] { return count(slot, value) > before; }, kTimeoutMs),
             qPrintable(QStringLiteral("%1 %2").arg(slot, value)));
}

int TestRelayAdvance::stageOfTheRun() const
{
    return m_screen.valuesOf(QStringLiteral("ModeText")).last() == QLatin1String("0")
        ? kStageSighting
        : kStageMatch;
}

void TestRelayAdvance::fire(int shotsPerLane, int timeTenths, bool unplug)
{
    const int stage = stageOfTheRun();
    TBulletList *list = listOf(m_eventNum);
    QMap<int, int> expected;
    for (int number : qAsConst(m_shooting))
        expected[number] = list->shotCountOfStage(m_laneOf.value(number), stage) + shotsPerLane;
    const auto shoot = [&] {
        for (int number : qAsConst(m_shooting)) {
            const int lane = m_laneOf.value(number);
            const int before = firedOn(lane).size();
            QList<ScriptedShot> script;
            for (int i = 0; i < shotsPerLane; ++i) {
                ScriptedShot shot;
                shot.afterMs = 10 * i;
                shot.x = quint16(m_random.bounded(0, 800));
                shot.y = quint16(m_random.bounded(0, 800));
                shot.place = qint8(m_random.bounded(0, 9));
                shot.timeTenths = timeTenths;
                script << shot;
            }
            simulator()->call([&](RangeSimulator &sim) { sim.scheduleShots(lane, script); });
            QVERIFY(QTest::qWaitFor([&] { return firedOn(lane).size() == before + shotsPerLane; },
                                    kTimeoutMs));
            if (stage == kStageMatch)
                m_fired[number] += firedOn(lane).mid(before);
        }
    };
    if (unplug)
        converterLostAndBack(shoot);
    else
        shoot();
    for (int number : qAsConst(m_shooting)) {
        const int lane = m_laneOf.value(number);
        QTRY_COMPARE_WITH_TIMEOUT(list->shotCountOfStage(lane, stage), expected.value(number),
                                  kTimeoutMs);
    }
}

// The converter goes while the shots are fired; every page that shows the
// line says so, and shows it back once it answers again.
void TestRelayAdvance::converterLostAndBack(const std::function<void()> &whileLost)
{
    // The run page's converter count, the current relay page's, and the log
    // window's port.
    const QList<QLabel *> counts{
        widget<QLabel>(QStringLiteral("l_colKommut")),
        window()->findChild<FormCurrentRelay *>()->findChild<QLabel *>(QStringLiteral("l_colKommut"))};
    const FormLog *log = window()->findChild<FormLog *>();
    for (QLabel *count : counts)
        QCOMPARE(count->text(), QStringLiteral("1"));
    QCOMPARE(portsReading(log, QStringLiteral("COM1")), 1);
    // Pulled a while after the START, once every lane has answered since:
    // the program knows each target took it before the line went. (Pulled
    // as the START goes out, each target may have been switched off and on
    // unseen and missed it: the shots fired then are in doubt.)
    constexpr int kHeardAfterStartMs = 1500;
    const int tracedBefore =
        simulator()->call([](RangeSimulator &sim) { return int(sim.traffic().size()); });
    m_clock.advanceMs(kHeardAfterStartMs);
    const auto answeredSince = [this, tracedBefore](int lane) {
        constexpr int kPollCode = 0xA3;
        const QList<TrafficEntry> traffic =
            simulator()->call([](RangeSimulator &sim) { return sim.traffic(); });
        return std::count_if(traffic.cbegin() + std::min(tracedBefore, int(traffic.size())), traffic.cend(),
                             [lane](const TrafficEntry &entry) {
                                 return entry.kind == TrafficEntry::Sent && entry.address == lane
                                     && entry.code == kPollCode;
                             });
    };
    for (int number : qAsConst(m_shooting))
        QTRY_VERIFY_WITH_TIMEOUT(answeredSince(m_laneOf.value(number)) >= 2, kTimeoutMs);
    QVERIFY(simulator()->call([](RangeSimulator &sim) { return sim.unplug(0); }));
    whileLost();
    for (QLabel *count : counts)
        QTRY_COMPARE_WITH_TIMEOUT(count->text(), QString(), kTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(portsReading(log, QStringLiteral("-")), TargetIO::kPortCount, kTimeoutMs);
    const TRelay *run = userModul()->currentRunRelay(nullptr, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!run->memberAt(0)->isTargetEnabled(), kTimeoutMs);
    QVERIFY(simulator()->call([](RangeSimulator &sim) { return sim.replug(0); }));
    for (QLabel *count : counts)
        QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("1"), kTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(portsReading(log, QStringLiteral("COM1")), 1, kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(run->memberAt(0)->isTargetEnabled(), kTimeoutMs);
}

void TestRelayAdvance::precisionSeries(int shots, bool unplug)
{
    const int modeTexts = m_screen.valuesOf(QStringLiteral("ModeText")).size();
    QVERIFY(click(QStringLiteral("pbStart")));
    const int starts = startFramesReceived();
    advanceToStart(kLoadMs);
    QVERIFY(QTest::qWaitFor(
        [&] { return m_screen.valuesOf(QStringLiteral("ModeText")).size() > modeTexts; },
        kTimeoutMs));
    startIsIn(starts);
    fire(shots, -1, unplug);

    const int over = count("TimeChange", QStringLiteral("300.0 0"));
    m_clock.advanceMs(kSeriesMs);
    waitFor("TimeChange", QStringLiteral("300.0 0"), over);
    const int graceDone = count("BTNStopEnabled", QStringLiteral("1"));
    m_clock.advanceMs(kGraceMs);
    waitFor("BTNStopEnabled", QStringLiteral("1"), graceDone);
    const int breaks = count("BTNStartText", QStringLiteral("-1"));
    m_clock.advanceMs(kBreakMs - kGraceMs);
    waitFor("BTNStartText", QStringLiteral("-1"), breaks);
}

void TestRelayAdvance::rapidFireSeries()
{
    constexpr int kWindows = 5;
    QVERIFY(click(QStringLiteral("pbStart")));
    for (int window = 0; window < kWindows; ++window) {
        const int opened = count("TimeChange", QStringLiteral("0.0 0"));
        const int starts = startFramesReceived();
        advanceToStart(kLoadMs);
        waitFor("TimeChange", QStringLiteral("0.0 0"), opened);
        startIsIn(starts);
        fire(1, -1, false);
        const int closed = count("TimeChange", QStringLiteral("3.2 0"));
        m_clock.advanceMs(kWindowMs);
        waitFor("TimeChange", QStringLiteral("3.2 0"), closed);
    }
    const int breaks = count("BTNStartText", QStringLiteral("-1"));
    m_clock.advanceMs(kBreakMs);
    waitFor("BTNStartText", QStringLiteral("-1"), breaks);
}

void TestRelayAdvance::shootPrecision(int unplugAt)
{
    precisionSeries(1, false); // sighting
    for (int series = 1; series <= kMatchSeries; ++series)
        precisionSeries(kSeriesShots, series == unplugAt);
    auto *next = widget<QPushButton>(QStringLiteral("pBNext"));
    QTRY_VERIFY_WITH_TIMEOUT(next && next->isVisible() && next->isEnabled(), kTimeoutMs);
    QVERIFY(click(QStringLiteral("pBNext")));
}

void TestRelayAdvance::shootPrecisionStart()
{
    precisionSeries(1, false);
    precisionSeries(kSeriesShots, false);
}

void TestRelayAdvance::continueAfterRestart()
{
    QVERIFY(reopenWindow());
    shortenLineWaits();
    QVERIFY(click(QStringLiteral("pBContinue")));
    QVERIFY(clickRow(QStringLiteral("lw_Competitions"), 0));
    QVERIFY(click(QStringLiteral("pBNext1")));
    auto *question = widget<QWidget>(QStringLiteral("DialogCheckMemberColBull"));
    QTRY_VERIFY_WITH_TIMEOUT(question && question->isVisible(), kTimeoutMs);
}

void TestRelayAdvance::shootRapidFire()
{
    rapidFireSeries(); // sighting
    for (int series = 1; series <= kMatchSeries; ++series)
        rapidFireSeries();
    auto *next = widget<QPushButton>(QStringLiteral("pBNext"));
    QTRY_VERIFY_WITH_TIMEOUT(next && next->isVisible() && next->isEnabled(), kTimeoutMs);
    QVERIFY(click(QStringLiteral("pBNext")));
}

QList<Shot> TestRelayAdvance::firedOn(int lane) const
{
    const QList<SimShot> fired =
        simulator()->call([lane](RangeSimulator &sim) { return sim.shotsFired(lane); });
    QList<Shot> shots;
    for (const SimShot &shot : fired)
        shots << Shot{shot.x, shot.y};
    return shots;
}

int TestRelayAdvance::startFramesReceived() const
{
    constexpr int kStartCode = 0xA0;
    return simulator()->call(
        [](RangeSimulator &sim) { return sim.framesReceivedWithCode(kStartCode); });
}

QList<Shot> TestRelayAdvance::storedShots(int eventNum, int startNumber, int *misses)
{
    const Rows stored = rows(QStringLiteral("SELECT fX, fY FROM tbullets WHERE fEventID = ? AND "
                                            "fMemberID = ? ORDER BY fNumber"),
                             {event(eventNum)->id(), memberOn(startNumber)->memberID()});
    QList<Shot> shots;
    int missed = 0;
    for (const QVariantList &row : stored) {
        if (row.at(0).toInt() == kMissX)
            ++missed;
        else
            shots << Shot{row.at(0).toInt(), row.at(1).toInt()};
    }
    if (misses)
        *misses = missed;
    return shots;
}

// Every member's stored match rows of the stage are the shots fired on its
// lane while its relay shot, each once, in the order fired.
void TestRelayAdvance::checkStage(int eventNum)
{
    const Rows all = rows(QStringLiteral("SELECT COUNT(*) FROM tbullets WHERE fEventID = ?"),
                          {event(eventNum)->id()});
    QCOMPARE(all.value(0).value(0).toInt(), kMembers * kMatchShots);
    for (int number = 1; number <= kMembers; ++number) {
        int misses = -1;
        const QList<Shot> stored = storedShots(eventNum, number, &misses);
        QCOMPARE(misses, 0);
        QCOMPARE(stored.size(), kMatchShots);
        QCOMPARE(stored, m_fired.value(number));
    }
    m_fired.clear();
}

void TestRelayAdvance::pistolMatchRelayByRelay()
{
    QVERIFY(runFolder().writeFile(QStringLiteral("ServerDatas/Config.ini"),
                                  "[SET_CLIENTS]\nAddrStart=1\nAddrCol=2\n"));
    QVERIFY(startSimulator(kLanes));
    shortenLineWaits();
    openPistolMatch();

    // Precision stage: relay 1, then relay 2, each marked done after its Next.
    QVERIFY(click(QStringLiteral("pBNext")));
    relayIsReady(1, 1, {1, 2});
    shootPrecision();
    for (int number : {1, 2})
        QVERIFY(memberOn(number)->isEventDone(1));
    relayIsReady(1, 2, {3, 4});
    shootPrecisionStart();
    for (int number : {3, 4}) {
        QCOMPARE(storedShots(1, number).size(), kSeriesShots);
        m_fired.remove(number);
    }

    // Closed with relay 2 unfinished: opening the competition again asks
    // about its members, short of match shots, and their shots are cleared
    // for all of them.
    continueAfterRestart();
    QCOMPARE(widget<QLabel>(QStringLiteral("L_Name"))->text(), QStringLiteral("F3 N"));
    QVERIFY(widget<QCheckBox>(QStringLiteral("CB_repeat"))->isChecked());
    QVERIFY(click(QStringLiteral("pbClear")));
    QCOMPARE(page(), Page::Relays);
    for (int number : {3, 4})
        QVERIFY(storedShots(1, number).isEmpty());
    // Relay 1 has shot the stage; relay 2 is the first unfinished one.
    QVERIFY(click(QStringLiteral("pBNext")));
    relayIsReady(1, 2, {3, 4});
    shootPrecision(3);
    for (int number : {1, 2, 3, 4})
        QVERIFY(memberOn(number)->isEventDone(1));
    checkStage(1);

    // The stage is complete and has a next one: its totals, every member numbered.
    QCOMPARE(page(), Page::EventTotal);
    QCOMPARE(listOf(1)->placeCount(), kMembers);
    QVERIFY(click(QStringLiteral("pBNext")));

    // Rapid-fire stage on the same relays; the precision list follows each relay.
    relayIsReady(2, 1, {1, 2});
    QCOMPARE(listOf(1)->placeCount(), 2);
    shootRapidFire();
    relayIsReady(2, 2, {3, 4});
    shootRapidFire();
    checkStage(2);

    // The last stage's totals, then the competition's, stored as finished.
    QCOMPARE(page(), Page::EventTotal);
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::CompetitionTotal);
    const Rows finished = rows(QStringLiteral("SELECT fFinished FROM tcompetitions WHERE ID = ?"),
                               {userModul()->currentCompetition()->id()});
    QCOMPARE(finished.value(0).value(0).toInt(), 1);
    QVERIFY(takeWarnings().isEmpty());

}

void TestRelayAdvance::logWindowFollowsTheBus()
{
    QVERIFY(startSimulator({1}));
    auto *log = window()->findChild<FormLog *>();
    QVERIFY(log && log->isHidden());
    auto *list = log->findChild<QTreeWidget *>(QStringLiteral("TW_Report"));
    auto *port = log->findChild<QLabel *>(QStringLiteral("l_Addr1"));
    // A line to look after; the log records while hidden: the converter and
    // target search writes and reads.
    registerLine({LineTarget{1, 1, QStringLiteral("F"), QStringLiteral("N")}});
    QTRY_COMPARE_WITH_TIMEOUT(port->text(), QStringLiteral("COM1"), kTimeoutMs);
    const auto rowsOf = [list](const QString &direction) {
        int found = 0;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = list->topLevelItem(i);
            if (row->text(2) == direction && row->text(1) == QStringLiteral("1 COM1")
                && !row->text(3).isEmpty())
                ++found;
        }
        return found;
    };
    QTRY_VERIFY_WITH_TIMEOUT(rowsOf(QStringLiteral(" >>> ")) > 0 && rowsOf(QStringLiteral(" <<< ")) > 0,
                             kTimeoutMs);

    // Its buttons' names are common ones: its own are pressed.
    const auto press = [log](const char *name) {
        auto *button = log->findChild<QPushButton *>(QString::fromLatin1(name));
        if (!button || !button->isVisible() || !button->isEnabled())
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    };
    window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window()));
    QTest::keyClick(window(), Qt::Key_L, Qt::ControlModifier);
    QVERIFY(log->isVisible());

    // Recording off: the window's switch comes back from the main window.
    QVERIFY(press("btn_enable"));
    auto *onOff = log->findChild<QPushButton *>(QStringLiteral("btn_enable"));
    QCOMPARE(onOff->text(), QStringLiteral("Start"));
    QVERIFY(press("pushButton"));
    QCOMPARE(list->topLevelItemCount(), 0);
    // The converter goes: the indicator follows, the list stays empty.
    QVERIFY(simulator()->call([](RangeSimulator &sim) { return sim.unplug(0); }));
    QTRY_COMPARE_WITH_TIMEOUT(portsReading(log, QStringLiteral("-")), TargetIO::kPortCount, kTimeoutMs);
    QCOMPARE(list->topLevelItemCount(), 0);
    QVERIFY(simulator()->call([](RangeSimulator &sim) { return sim.replug(0); }));
    QTRY_COMPARE_WITH_TIMEOUT(portsReading(log, QStringLiteral("COM1")), 1, kTimeoutMs);
    QCOMPARE(list->topLevelItemCount(), 0);

    // On again: rows come.
    QVERIFY(press("btn_enable"));
    QCOMPARE(onOff->text(), QStringLiteral("Stop"));
    QTRY_VERIFY_WITH_TIMEOUT(list->topLevelItemCount() > 0, kTimeoutMs);

    // Ctrl+L twice: hidden, then shown; "X" hides it.
    QTest::keyClick(window(), Qt::Key_L, Qt::ControlModifier);
    QVERIFY(log->isHidden());
    QTest::keyClick(window(), Qt::Key_L, Qt::ControlModifier);
    QVERIFY(log->isVisible());
    QVERIFY(press("pushButton_2"));
    QVERIFY(log->isHidden());
}

// Without a line: the run page's Next stands for a relay that has shot.
void TestRelayAdvance::oneExerciseGoesStraightToItsTotals()
{
    auto *runPage = window()->findChild<FormExecuteEvent *>();
    auto *stageTotals = window()->findChild<FormEventTotal *>();
    // In a competition, before any relay is being shot.
    QVERIFY(click(QStringLiteral("pbNEW")));
    emit runPage->sig_Next();
    QVERIFY(expectBox(QStringLiteral("Смена не найдена!"),
                      QStringLiteral("Не удалось найти следующую смену")));
    emit stageTotals->sig_Next();
    QVERIFY(expectBox(QStringLiteral("Смена не найдена!"),
                      QStringLiteral("Не удалось найти следующую смену")));
    QCOMPARE(page(), Page::Competitions);

    // One relay of all members: its Next marks them done and, the exercise
    // having no stage beside it, shows the competition's totals at once.
    QVERIFY(window()->showPage(Page::Welcome));
    openMatch(kPistol50);
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::CurrentRelay);
    QVERIFY(currentEvent());
    emit runPage->sig_Next();
    QCOMPARE(page(), Page::CompetitionTotal);
    for (int number = 1; number <= kMembers; ++number)
        QVERIFY(memberOn(number)->isEventDone(1));
    const Rows finished = rows(QStringLiteral("SELECT fFinished FROM tcompetitions WHERE ID = ?"),
                               {userModul()->currentCompetition()->id()});
    QCOMPARE(finished.value(0).value(0).toInt(), 1);

    // Its Next leaves the line empty and the exercise unwired.
    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), Page::Welcome);
    QVERIFY(!currentEvent());
}

QTEST_MAIN(TestRelayAdvance)
#include "tst_relayadvance.moc"
