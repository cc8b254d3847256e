// The run page on a whole range line: the bus master on its worker thread,
// the range simulator with three lanes on pseudo-terminals, the competition
// and practice modules, and a real exercise wired between the bus master and
// the page as the main window wires it. The operator's buttons are pressed
// on the page; the exercise clock is advanced by hand.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTableView>
#include <QtTest>

#include <memory>

#include "appstyle.h"
#include "dialogheldshots.h"
#include "exerciseclock.h"
#include "formexecuteevent.h"
#include "myevent.h"
#include "rangeline.h"
#include "runcompetition.h"
#include "runpagelook.h"
#include "tbtndelegate.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tpracticemodul.h"
#include "tseries.h"
#include "warnings.h"

namespace {

const QList<int> kLanes{1, 2, 3};
constexpr int kTimeoutMs = RangeLine::kTimeoutMs;
constexpr int kSighting = TMemberPlace::kSighting;
constexpr int kMatch = TMemberPlace::kMatch;
constexpr int kRifleMatchShots = 10;  // the run competition's rifle exercise
constexpr int kThreePositionShots = 30;
constexpr int kSeriesShots = 5;       // a pistol series
constexpr qint64 kSightingMs = 900 * 1000;
constexpr qint64 kLoadMs = 7000;
constexpr qint64 kSeriesMs = 300000;
constexpr qint64 kBreakMs = 60000;
// A broadcast start goes out three times.
constexpr int kBroadcastCopies = 3;
// A start soon after the last one is taken for a copy of it by the targets.
constexpr qint64 kStartCopiesMs = RangeLine::kStartCopyWindowMs + 50;

} // namespace

class TestRunScreenLine : public QObject, public RunPageLook
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void rifleCompetition();
    void threePositionsStopped();
    void pistolShootOff();
    void practice();

private:
    // Presses a button of the page as the operator does; false while it is
    // hidden or disabled.
    bool press(const char *name);
    // START once the exercise offers it, and the targets' start confirmed
    // by the mode the page then shows.
    bool pressAndWaitForMode(const char *mode);
    // The targets take a start soon after the last one for a copy of it.
    bool waitOutStartCopies();
    // Shots are fired once every copy of the start is in: a copy taken in
    // late would restart the target.
    bool allStartCopiesIn(int before, int copies);
    // The exercise of the run relay of a new competition of the type, wired
    // and on the page, which is entered.
    MyEvent *enterCompetition(int type);
    // Each lane fires `count` shots; waits until the list has `expected` in
    // the stage on every lane.
    void fire(const QList<int> &lanes, int count, int stage, int expected);
    // The shot cell's look: the page's item delegate paints it with the
    // sighting mark in its top-right corner, or as a plain item.
    bool carriesSightingMark(const QModelIndex &cell) const;
    void advance(qint64 ms) { m_clock.advanceMs(ms); }
    // With RANGE_SCREENSHOT_DIR set, a picture of the page goes there.
    void snapshot(const char *name) const
    {
        const QString folder = qEnvironmentVariable("RANGE_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            m_page->grab().save(QDir(folder).filePath(QLatin1String(name) + QStringLiteral(".png")));
    }

    std::unique_ptr<RangeLine> m_line;
    std::unique_ptr<TUserModul> m_modul;
    std::unique_ptr<TPracticeModul> m_practice;
    TBulletList *m_list = nullptr; // the running exercise's, of its module
    ManualClock m_clock;
    MonotonicClock m_targetClock{1}; // the simulated targets count real time
    QElapsedTimer m_sinceStart; // real time since the targets' last start
    QRandomGenerator m_random{20240611};
};

void TestRunScreenLine::initTestCase()
{
    m_line = std::make_unique<RangeLine>(kLanes);
    QVERIFY(m_line->start(QStringLiteral("runline")));
    QVERIFY(RunCompetition::install(m_line->data()));
    // The program's look, its pictures as loose files in the run folder.
    QVERIFY(copyDirectoryRecursively(QStringLiteral(RANGE_SOURCE_DIR "/data/styles"),
                                     m_line->data().filePath(QStringLiteral("styles"))));
    applyApplicationStyle(*qApp);
    Warnings::setTestMode(true);
    m_modul = std::make_unique<TUserModul>();
    m_practice = std::make_unique<TPracticeModul>();
    QVERIFY(m_practice->reload());
    m_page = std::make_unique<FormExecuteEvent>(m_modul.get(), m_practice.get());
    m_page->resize(1280, 900);
    m_page->show();
    m_line->useRunScreen(m_page.get());
    QVERIFY(m_line->putLanesOnTheLine());
}

void TestRunScreenLine::cleanupTestCase()
{
    if (!m_line)
        return;
    m_line->unwire();
    m_page.reset();
    m_practice.reset();
    m_modul.reset();
    QVERIFY(m_line->stop());
    m_line.reset();
}

void TestRunScreenLine::cleanup()
{
    m_sinceStart.invalidate();
    // As the main window unwires an exercise.
    if (m_line)
        m_line->unwire();
    if (m_page)
        m_page->dropShotList();
    m_list = nullptr;
}

bool TestRunScreenLine::press(const char *name)
{
    auto *button = child<QPushButton>(name);
    if (!button || button->isHidden() || !button->isEnabled()) {
        qWarning("%s cannot be pressed", name);
        return false;
    }
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

bool TestRunScreenLine::pressAndWaitForMode(const char *mode)
{
    // START comes back once the exercise offers the next phase.
    const bool offered = QTest::qWaitFor(
        [&] { return shown("pbStart") && child("pbStart")->isEnabled(); }, kTimeoutMs);
    const int starts = m_line->startFramesReceived();
    if (!offered || !waitOutStartCopies() || !press("pbStart"))
        return false;
    const bool confirmed = QTest::qWaitFor(
        [&] { return shown("f_mode") && text("l_mode") == QLatin1String(mode); }, kTimeoutMs);
    return confirmed && allStartCopiesIn(starts, kBroadcastCopies);
}

bool TestRunScreenLine::allStartCopiesIn(int before, int copies)
{
    const bool in = QTest::qWaitFor(
        [&] { return m_line->startFramesReceived() >= before + copies; }, kTimeoutMs);
    m_sinceStart.start();
    return in;
}

bool TestRunScreenLine::waitOutStartCopies()
{
    return !m_sinceStart.isValid()
        || QTest::qWaitFor([&] { return m_sinceStart.elapsed() > kStartCopiesMs; });
}

MyEvent *TestRunScreenLine::enterCompetition(int type)
{
    m_list = RunCompetition::prepare(*m_modul, type, kLanes.size());
    if (!m_list)
        return nullptr;
    MyEvent *exercise = m_line->connectEvent(m_modul->runRelayEvent(), m_list, nullptr);
    if (exercise)
        exercise->setClock(&m_clock);
    m_page->setMode(0);
    return exercise;
}

void TestRunScreenLine::fire(const QList<int> &lanes, int count, int stage, int expected)
{
    for (int lane : lanes) {
        QList<ScriptedShot> script;
        for (int i = 0; i < count; ++i) {
            ScriptedShot shot;
            shot.afterMs = 20 * i;
            shot.x = quint16(m_random.bounded(0, 400));
            shot.y = quint16(m_random.bounded(0, 400));
            shot.place = qint8(m_random.bounded(0, 9));
            script << shot;
        }
        m_line->simulator().call([&](RangeSimulator &sim) { sim.scheduleShots(lane, script); });
    }
    for (int lane : lanes) {
        QVERIFY(QTest::qWaitFor([&] { return m_list->shotCountOfStage(lane, stage) == expected; },
                                kTimeoutMs));
    }
}

bool TestRunScreenLine::carriesSightingMark(const QModelIndex &cell) const
{
    const QImage mark(QStringLiteral(":/practice/img/practice/pract1.png"));
    auto *view = child<QTableView>("tv_bullets");
    const QRect rect(QPoint(0, 0), view->visualRect(cell).size());
    QImage image(rect.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = rect;
    option.state = QStyle::State_Enabled;
    view->itemDelegate()->paint(&painter, option, cell);
    painter.end();
    // The corner looks as the mark drawn over the white cell.
    QImage expected(mark.size(), QImage::Format_ARGB32);
    expected.fill(Qt::white);
    QPainter(&expected).drawImage(0, 0, mark);
    return !mark.isNull()
        && image.copy(rect.right() + 1 - mark.width(), 0, mark.width(), mark.height()) == expected;
}

void TestRunScreenLine::rifleCompetition()
{
    QVERIFY(enterCompetition(RunCompetition::kRifle));
    QCOMPARE(child<QTableView>("tv_bullets")->model(), m_list);
    QCOMPARE(child<QPushButton>("pbStart")->text(), QStringLiteral("START"));
    QVERIFY(shown("pb_Print") && !child("pb_Print")->isEnabled());
    QVERIFY(!child("pbStop")->isEnabled() && !shown("pBNext"));

    QVERIFY(pressAndWaitForMode("SIGHTING"));
    QVERIFY(!child("pbStart")->isEnabled() && !child("pbBack")->isEnabled());
    QVERIFY(child("pbStop")->isEnabled());
    advance(5000);
    QTRY_COMPARE_WITH_TIMEOUT(text("l_time"), QStringLiteral("00:05"), kTimeoutMs);

    fire(kLanes, 3, kSighting, 3);
    const int firstShot = m_list->lastColumn() - m_list->shotColumns();
    for (int row = 0; row < kLanes.size(); ++row) {
        const QModelIndex cell = m_list->index(row, firstShot + 2);
        QVERIFY(!cell.data().toString().isEmpty());
        QVERIFY(carriesSightingMark(cell));
    }
    snapshot("rifle-sighting");

    advance(kSightingMs);
    QTRY_COMPARE_WITH_TIMEOUT(text("l_time"), QStringLiteral("15:00"), kTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(child<QPushButton>("pbStart")->text(), QStringLiteral("MATCH"),
                              kTimeoutMs);
    QVERIFY(pressAndWaitForMode("MATCH"));
    fire(kLanes, kRifleMatchShots, kMatch, kRifleMatchShots);

    // The end: Next instead of START, and the report can be printed.
    QTRY_VERIFY_WITH_TIMEOUT(shown("pBNext"), kTimeoutMs);
    QVERIFY(child("pBNext")->isEnabled() && !shown("pbStart"));
    QVERIFY(!child("pbStop")->isEnabled());
    QVERIFY(shown("pb_Print") && child("pb_Print")->isEnabled());
    snapshot("rifle-finished");
    // Both tables show the match: its shots without the mark, its series.
    const TSeries *series = m_list->series();
    QCOMPARE(child<QTableView>("tv_series")->model(), series);
    for (int row = 0; row < kLanes.size(); ++row) {
        QVERIFY(!carriesSightingMark(m_list->index(row, firstShot)));
        QVERIFY(!m_list->index(row, m_list->lastColumn()).data().toString().isEmpty());
        QVERIFY(!series->index(row, series->firstShotColumn()).data().toString().isEmpty());
        QVERIFY(!series->index(row, series->totalColumn()).data().toString().isEmpty());
    }
}

void TestRunScreenLine::threePositionsStopped()
{
    constexpr int kHeld = 2;
    MyEvent *exercise = enterCompetition(RunCompetition::kThreePositions);
    QVERIFY(exercise);
    exercise->setTargetClock(&m_targetClock);
    QVERIFY(!shown("pb_Print"));
    // Lane 2's target takes both STARTs, but its answers are lost from
    // before the sighting until its shooter has fired two match shots:
    // nothing tells whether they were not fired in the sighting.
    int silences = 0;
    const QMetaObject::Connection heard = connect(
        m_line->bus(), &EMUProc::sig_TargetHeard, this,
        [&silences](int ta, bool hears) { silences += ta == kHeld && !hears ? 1 : 0; });
    m_line->simulator().call([](RangeSimulator &s) { s.dropAnswers(kHeld, -1); });
    QVERIFY(pressAndWaitForMode("SIGHTING"));
    QVERIFY(QTest::qWaitFor([&] { return silences > 0; }, kTimeoutMs));
    disconnect(heard);
    advance(kSightingMs);
    // The three positions' match leaves the mode band empty.
    QVERIFY(pressAndWaitForMode(""));
    // The line serves every test of the class: its earlier polls count too.
    const int pollsBefore = m_line->pollsFor(kHeld, 3);
    m_line->simulator().call([](RangeSimulator &s) {
        s.fireShot(kHeld, 100, 100, 1);
        s.fireShot(kHeld, 120, 80, 1);
        s.dropAnswers(kHeld, 0);
    });
    fire({1, 3}, 2, kMatch, 2);
    QVERIFY(QTest::qWaitFor([&] { return m_line->pollsFor(kHeld, 3) > pollsBefore; }, kTimeoutMs));
    QCOMPARE(m_list->shotCountOfStage(kHeld, kMatch), 0);

    // STOP asks about lane 2's held shots; both were fired after the match
    // START, so the official counts them from the first, and misses fill
    // every lane's match.
    Warnings::clear();
    DialogHeldShots::setTestRuling([](int target, const QList<HeldShot> &held) {
        return target == kHeld && held.size() == 2 ? 0 : LaneStart::kNone;
    });
    const auto noRuling = qScopeGuard([] { DialogHeldShots::setTestRuling({}); });
    QVERIFY(press("pbStop"));
    QTRY_VERIFY_WITH_TIMEOUT(shown("pBNext"), kTimeoutMs);
    QVERIFY(!shown("pbStart") && !shown("pb_Print"));
    for (int lane : kLanes)
        QCOMPARE(m_list->shotCountOfStage(lane, kMatch), kThreePositionShots);
    // Counted in their places: the two shots first, then the misses.
    const TMemberPlace *held = m_list->placeByTarget(kHeld);
    QCOMPARE(held->bulletAt(1, kMatch)->point(), QPoint(100, 100));
    QCOMPARE(held->bulletAt(2, kMatch)->point(), QPoint(120, 80));
    QVERIFY(held->totalInt() > 0);
    QCOMPARE(Warnings::shown().size(), 1);
    QCOMPARE(Warnings::last().title, QStringLiteral("Выстрелы под вопросом"));
    QCOMPARE(Warnings::last().text.count(QStringLiteral("выстрел ")), 2);
}

void TestRunScreenLine::pistolShootOff()
{
    MyEvent *exercise = enterCompetition(RunCompetition::kPistol);
    QVERIFY(exercise);
    QVERIFY(!shown("pb_Print"));
    // The targets have taken a start when the exercise shows its mode.
    QSignalSpy started(exercise, &MyEvent::sig_view_ModeText);
    const auto loadAndStart = [&](int copies) {
        const int before = started.count();
        const int starts = m_line->startFramesReceived();
        advance(kLoadMs);
        return QTest::qWaitFor([&] { return started.count() > before; }, kTimeoutMs)
            && allStartCopiesIn(starts, copies);
    };
    // The rest of a series: the series time, the grace time in which missed
    // shots become flagged misses, the break in which START is offered again.
    const auto finishSeries = [&] {
        advance(kSeriesMs);
        QTRY_COMPARE_WITH_TIMEOUT(text("l_time"), QStringLiteral("300.0"), kTimeoutMs);
        advance(kBreakMs);
        QTRY_VERIFY_WITH_TIMEOUT(shown("pbStart") && child("pbStart")->isEnabled(), kTimeoutMs);
    };

    QVERIFY(press("pbStart"));
    QVERIFY(loadAndStart(kBroadcastCopies));
    QCOMPARE(text("l_mode"), QStringLiteral("SIGHTING"));
    fire(kLanes, 2, kSighting, 2);
    finishSeries();
    QVERIFY(m_page->findChildren<MyButtonWGT *>().isEmpty()); // no shoot-off after sighting

    // Lane 3 lets two shots of the first match series pass: they become
    // misses flagged for a shoot-off.
    QVERIFY(waitOutStartCopies());
    QVERIFY(press("pbStart"));
    QVERIFY(loadAndStart(kBroadcastCopies));
    QCOMPARE(text("l_mode"), QStringLiteral("MATCH"));
    fire({1, 2}, kSeriesShots, kMatch, kSeriesShots);
    fire({3}, 3, kMatch, 3);
    finishSeries();
    QCOMPARE(m_list->countShotsWithStatus(3, RangeLine::kFlaggedFine), 2);

    // In the break each row has its button; only lane 3's can be pressed.
    QTRY_COMPARE_WITH_TIMEOUT(m_page->findChildren<MyButtonWGT *>().size(), kLanes.size(),
                              kTimeoutMs);
    QPushButton *shootOff = nullptr;
    for (MyButtonWGT *editor : m_page->findChildren<MyButtonWGT *>()) {
        auto *button = editor->findChild<QPushButton *>();
        const bool lane3 = m_list->placeAtRow(editor->row())->target() == 3;
        QCOMPARE(button->isEnabled(), lane3);
        if (lane3)
            shootOff = button;
    }
    QVERIFY(shootOff);
    snapshot("pistol-break");
    QSignalSpy starts(m_page.get(), &FormExecuteEvent::sig_startEvent);
    QVERIFY(waitOutStartCopies());
    QTest::mouseClick(shootOff, Qt::LeftButton);
    QCOMPARE(starts.count(), 1);
    QCOMPARE(starts.at(0), (QVariantList{3, 2}));

    // Lane 3 alone shoots again: its flagged misses and the buttons go, and
    // its two shots complete its series.
    QTRY_VERIFY_WITH_TIMEOUT(m_page->findChildren<MyButtonWGT *>().isEmpty(), kTimeoutMs);
    QCOMPARE(m_list->countShotsWithStatus(3, RangeLine::kFlaggedFine), 0);
    QVERIFY(loadAndStart(1)); // a start addressed to lane 3 alone
    fire({3}, 2, kMatch, kSeriesShots);
    finishSeries();
    for (int lane : kLanes)
        QCOMPARE(m_list->shotCountOfStage(lane, kMatch), kSeriesShots);
    QVERIFY(!shown("pBNext"));
}

void TestRunScreenLine::practice()
{
    m_practice->setCurrentEvent(1, 1); // a rifle practice of 10 shots
    m_list = m_practice->getBulletList();
    QVERIFY(m_list);
    for (int lane : kLanes)
        m_list->addPlace(100 * lane, lane, QStringLiteral("Practice %1").arg(lane));
    MyEvent *exercise = m_line->connectEvent(m_practice->getCurrentEvent(), m_list, nullptr);
    QVERIFY(exercise);
    exercise->setClock(&m_clock);
    // As the main window passes the bus master's reports on in a practice:
    // after the exercise has marked the target or terminal in the list.
    const auto check = [this] { m_page->checkTargets(); };
    const QList<QMetaObject::Connection> relays{
        connect(m_line->bus(), &EMUProc::sig_TargetEnabled, m_page.get(), check),
        connect(m_line->bus(), &EMUProc::sig_PCEnabled, m_page.get(), check)};
    m_page->setNetState(m_line->portsAlive());

    m_page->setMode(1);
    QCOMPARE(text("l_conpetitionName"), m_practice->getCurrentEvent()->nameEng());
    QCOMPARE(text("label_mode"), QStringLiteral("Поиск мишеней"));
    QVERIFY(!child("pbStart")->isEnabled() && !shown("pb_Print"));
    // The practice's targets are registered anew and found.
    QVERIFY(m_line->putLanesOnTheLine());
    QTRY_COMPARE_WITH_TIMEOUT(text("label_mode"), QStringLiteral("Мишени найдены"), kTimeoutMs);
    QVERIFY(child("pbStart")->isEnabled());
    snapshot("practice-found");

    QVERIFY(pressAndWaitForMode("SIGHTING"));
    fire(kLanes, 2, kSighting, 2);
    const int firstShot = m_list->lastColumn() - m_list->shotColumns();
    QVERIFY(carriesSightingMark(m_list->index(0, firstShot + 1)));
    advance(kSightingMs);
    QTRY_COMPARE_WITH_TIMEOUT(child<QPushButton>("pbStart")->text(), QStringLiteral("MATCH"),
                              kTimeoutMs);
    QVERIFY(pressAndWaitForMode("MATCH"));
    fire(kLanes, kRifleMatchShots, kMatch, kRifleMatchShots);
    QTRY_VERIFY_WITH_TIMEOUT(shown("pBNext"), kTimeoutMs);
    QVERIFY(!shown("pbStart") && !shown("pb_Print"));
    for (const QMetaObject::Connection &relay : relays)
        disconnect(relay);
}

QTEST_MAIN(TestRunScreenLine)
#include "moc_rangeline.cpp"
#include "tst_runscreenline.moc"
