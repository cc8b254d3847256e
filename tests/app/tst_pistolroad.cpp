// A pistol match of two stages (precision, then rapid fire) from an empty
// run folder, as the operator shoots it on the program's window against the
// range simulator: one lane misses a whole series and shoots it again
// through its shoot-off button in the break; another lane's cable is loose
// across the START of a precision series and of a rapid-fire window, so
// that its target stays on its earlier page, and the first is off across a long break.

#include <QAbstractItemView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTableView>
#include <QtTest>

#include <algorithm>
#include <functional>

#include "emurecords.h"
#include "roadtest.h"
#include "simulatorthread.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tusermodul.h"

namespace {

constexpr int kPistol25 = 8; // 30 precision shots, then 30 rapid-fire shots
const QList<int> kLanes{1, 2, 3};
constexpr int kMissingLane = 2;
// Lane 3's cable is loose from the break before precision series 4 until
// 0.5 s after its START (the series lasts 1.5 s), and from after window 2
// of rapid-fire series 2 until 150 ms after window 3's START (after the
// start's copies, before the window's grace time is over).
constexpr int kLooseLane = 3;
// Lane 1's last shot of this series is refused by the database through its break.
constexpr int kRefusedSeries = 5;
constexpr int kLooseSeries = 4;
constexpr int kLooseWindowSeries = 2;
constexpr int kWindowBeforeLoose = 2;
// Rapid-fire series before which lane 2 is off across a break longer than a
// converter may go unheard while asked: the series opens all the same.
constexpr int kOffSeries = 1;
constexpr int kQuietBreakMs = EmuPortState::kDefaultTimeoutMs + 5000;
// Then the converter's cable is out that long.
constexpr int kCableOutMs = 5000;
// Rapid-fire series through which lane 1's target is off; it is on again
// in the break after it. The words of a target's silence and its answer.
constexpr int kSilentSeries = 3, kBackLane = 1;
const QString kSilence = QStringLiteral("не отвечает больше 5 секунд"),
              kHeardAgain = QStringLiteral("снова отвечает.");
constexpr int kPrecisionHearAgainMs = 500;
constexpr int kRapidFireHearAgainMs = 150;
constexpr int kMatchSeries = 6;
constexpr int kSeriesShots = 5;
constexpr int kShooterPaceMs = 40;
// A precision series of 300 s then takes 1.5 s.
constexpr int kPrecisionClockSpeed = 200;
// A rapid-fire cycle of 10 s then takes 1 s: a target takes the start of each
// window as a new one even when the copies of the start before came late on a
// loaded machine (a start equal to the last within its copy window is taken
// for a copy, and the program rightly finds that target on its old page), and
// a shot has 800 ms to be fired and taken.
constexpr int kRapidFireClockSpeed = 10;
constexpr int kNameColumn = 1;      // of the match standings
constexpr int kPrecisionColumn = 4; // PRECISION STAGE
constexpr int kFlagged = 1;         // fine of a miss to be shot again
constexpr int kSeriesTimeoutMs = 30000;
// The range computers' screens; the window fills them.
const QList<QSize> kScreens{{1366, 768}, {1920, 1080}};

} // namespace

class TestPistolRoad : public RoadTest
{
    Q_OBJECT

private slots:
    void pistolMatch();

private:
    // Run page START of the next series (or the shoot-off button's
    // re-shoot), then waits for the break after it; duringSeries, when
    // given, runs right after the click.
    bool shootSeries(QAbstractButton *start, const std::function<void()> &duringSeries = {});
    // The operator was told once, naming the target, that the lane's
    // target did not take a START, or, at the series' end, that it gave no
    // new shot or that its shots could not tell whether it did (shots all
    // taken within the slack of both STARTs), and they are flagged.
    bool toldNotStarted(int lane);
    // How the page's word on a lane's flagged shots begins.
    static QString flaggedWord(int lane)
    {
        return QStringLiteral("Выстрелы отмечены для перестрела. Мишень %1").arg(lane);
    }
    // Waits until the run page's words say that of the lane's target.
    bool says(int lane, const QString &what);
    // The enabled shoot-off buttons of the run table.
    QList<QPushButton *> enabledShootOffButtons() const;
    QPushButton *shootOffButton(int row) const;
    // The window on a screen of that size, the break's run table laid out in
    // it: whether every row's shoot-off button is in sight and shows its
    // caption whole (the reason in the log when not).
    bool breakFits(const QSize &screen);
    // The run table's shot cells and sum of the lane's row, as shown.
    QStringList seriesShown(const TBulletList *list, int lane) const;
    static QStringList totalsOf(const QTableView *table);
    int shotsOf(int eventID, int memberID, int fine)
    {
        return rows("SELECT COUNT(*) FROM tbullets WHERE fEventID=? AND fMemberID=? AND fFine=?",
                    {eventID, memberID, fine})
            .value(0)
            .value(0)
            .toInt();
    }
};

bool TestPistolRoad::shootSeries(QAbstractButton *start,
                                 const std::function<void()> &duringSeries)
{
    auto *startButton = onPage<QPushButton>(Page::Run, "pbStart");
    QTest::mouseClick(start, Qt::LeftButton);
    // START is off from the load to the break.
    if (startButton->isEnabled() && startButton->isVisible()) {
        qWarning("shootSeries: START stayed on");
        return false;
    }
    if (duringSeries)
        duringSeries();
    auto *next = onPage<QPushButton>(Page::Run, "pBNext");
    return QTest::qWaitFor(
        [startButton, next] {
            return (startButton->isEnabled() && startButton->isVisible()) || next->isVisible();
        },
        kSeriesTimeoutMs);
}

bool TestPistolRoad::toldNotStarted(int lane)
{
    // At the page's end its shots are passed over, and it says so on the
    // page, no box in the operator's way: they are flagged to be shot
    // again, not waited for.
    const QString flagged = flaggedWord(lane);
    const bool told = QTest::qWaitFor(
        [&] { return runPageSays(flagged, QStringLiteral("отмечены для перестрела")); },
        kSeriesTimeoutMs);
    const QList<Warnings::Shown> boxes = takeWarnings();
    for (const Warnings::Shown &box : boxes)
        qInfo("box \"%s\": %s", qPrintable(box.title), qPrintable(box.text));
    return told && boxes.isEmpty() && !runPageSays(flagged, QStringLiteral("пока это не станет ясно"));
}

bool TestPistolRoad::says(int lane, const QString &what)
{
    return QTest::qWaitFor([&] { return runPageSays(QStringLiteral("Мишень %1 ").arg(lane), what); },
                           kSeriesTimeoutMs);
}

QList<QPushButton *> TestPistolRoad::enabledShootOffButtons() const
{
    QList<QPushButton *> buttons;
    const int rows = onPage<QAbstractItemView>(Page::Run, "tv_bullets")->model()->rowCount();
    for (int row = 0; row < rows; ++row) {
        QPushButton *button = shootOffButton(row);
        if (button && button->isVisible() && button->isEnabled())
            buttons << button;
    }
    return buttons;
}

QPushButton *TestPistolRoad::shootOffButton(int row) const
{
    auto *table = onPage<QAbstractItemView>(Page::Run, "tv_bullets");
    const QModelIndex sum = table->model()->index(row, table->model()->columnCount() - 1);
    QWidget *editor = table->indexWidget(sum);
    return editor ? editor->findChild<QPushButton *>() : nullptr;
}

bool TestPistolRoad::breakFits(const QSize &screen)
{
    window()->setWindowState(Qt::WindowNoState);
    window()->resize(screen);
    auto *table = onPage<QTableView>(Page::Run, "tv_bullets");
    QString fault;
    const auto fits = [&] {
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            const QPushButton *button = shootOffButton(row);
            QStyleOptionButton option;
            option.initFrom(button);
            const int room = button->style()
                                 ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                                 .width();
            const int caption = QFontMetrics(button->font()).horizontalAdvance(button->text());
            // In the rows' font, over its cell once the table is laid out.
            const int letters = QFontInfo(button->font()).pixelSize();
            const int rowLetters = QFontInfo(table->viewport()->font()).pixelSize();
            const QRect cell = button->parentWidget()->geometry();
            fault = QStringLiteral("row %1: a caption of %2 px in %3, letters of %4 px in rows of "
                                   "%5 px letters, its cell %6 px down in %7")
                        .arg(row).arg(caption).arg(room).arg(letters).arg(rowLetters)
                        .arg(cell.bottom()).arg(table->viewport()->height());
            if (caption > room || letters != rowLetters
                || !table->viewport()->rect().contains(cell))
                return false;
        }
        fault = QStringLiteral("the rows scroll");
        return window()->size() == screen && table->verticalScrollBar()->maximum() == 0;
    };
    if (QTest::qWaitFor(fits, kSeriesTimeoutMs))
        return true;
    qWarning("%dx%d: %s", screen.width(), screen.height(), qPrintable(fault));
    return false;
}

QStringList TestPistolRoad::seriesShown(const TBulletList *list, int lane) const
{
    QStringList cells;
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->placeAtRow(row)->target() != lane)
            continue;
        for (int column = list->lastColumn() - list->shotColumns(); column <= list->lastColumn();
             ++column)
            cells << list->index(row, column).data().toString();
    }
    return cells;
}

void TestPistolRoad::pistolMatch()
{
    QVERIFY(startRange(kLanes));
    setClockSpeed(kPrecisionClockSpeed);
    const int competition = createCompetition(kPistol25, "Кубок 25 м");
    QVERIFY(competition > 0);
    const QList<int> members{addNewMember("Пётр", "Соколов", 1),
                             addNewMember("Ирина", "Белова", 2),
                             addNewMember("Олег", "Гусев", 3)};
    const int looseMember = members.at(kLooseLane - 1);
    QVERIFY(!members.contains(-1));
    QVERIFY(click("pBNext"));
    QVERIFY(openCurrentRelay());
    const int precision = userModul()->currentCompetition()->eventByNum(1)->id();

    // Precision stage: a sighting series and six match series.
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Run);
    auto *start = onPage<QPushButton>(Page::Run, "pbStart");
    startShooters(kLanes, kShooterPaceMs);
    QVERIFY(shootSeries(start)); // sighting
    const QString refused = "Выстрелы не записываются!";
    const QString storedAgain = "Выстрелы снова записываются";
    // The title of the oldest box not taken yet, once there is one.
    const auto nextBox = [this] {
        Warnings::Shown box;
        const bool shown = QTest::qWaitFor(
            [&] { return !(box = takeWarning()).title.isEmpty(); }, kSeriesTimeoutMs);
        return shown ? box.title : QString();
    };
    for (int series = 1; series <= kMatchSeries; ++series) {
        if (series == 2) {
            stopShooters({kMissingLane});
            QVERIFY(exec("CREATE TRIGGER refuse BEFORE INSERT ON tbullets WHEN NEW.fX=65535 "
                         "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        }
        if (series == kRefusedSeries) {
            QVERIFY(exec(QStringLiteral("CREATE TRIGGER refuse_lane BEFORE INSERT ON tbullets "
                                        "WHEN NEW.fMemberID=%1 AND NEW.fNumber=%2 "
                                        "AND NEW.fX<>65535 "
                                        "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                             .arg(members.at(0))
                             .arg(series * kSeriesShots)));
        }
        if (series == kLooseSeries) {
            simulator()->call([](RangeSimulator &sim) {
                sim.loosenAcrossNextStart(kLooseLane, kPrecisionHearAgainMs);
            });
        }
        QVERIFY2(shootSeries(start), qPrintable(QString::number(series)));
        if (series == kLooseSeries) {
            // Its target still holds its 5 shots of series 3, fired within
            // 0.2 s of that START, and took none of series 4: those shots are
            // not stored again; the operator is told, and the lane's series
            // is flagged to be shot again.
            QVERIFY(toldNotStarted(kLooseLane));
            QCOMPARE(shotsOf(precision, looseMember, 0), (series - 1) * kSeriesShots);
            QCOMPARE(shotsOf(precision, looseMember, kFlagged), kSeriesShots);
            const QList<QPushButton *> reshoot = enabledShootOffButtons();
            QCOMPARE(reshoot.size(), 1);
            // Pressed, its row shows the series it shoots again, still
            // without a shot, not the whole one before it.
            QStringList shownAtPress;
            QVERIFY(shootSeries(reshoot.first(), [&] {
                shownAtPress = seriesShown(userModul()->bulletList(precision), kLooseLane);
            }));
            QCOMPARE(shownAtPress.join('|'), QString(kSeriesShots, '|'));
            QCOMPARE(shotsOf(precision, looseMember, 0), series * kSeriesShots);
            QCOMPARE(shotsOf(precision, looseMember, kFlagged), 0);
            // Shot again, its word is withdrawn.
            QVERIFY2(!runPageSays(flaggedWord(kLooseLane), QString()),
                     qPrintable(runPageWords().join('\n')));
        }
        if (series == kRefusedSeries) {
            // Lane 1's last shot was refused through the whole break: its
            // target is asked for it until it is stored, and no miss takes
            // its place at the end of the grace time.
            QCOMPARE(nextBox(), refused);
            QCOMPARE(shotsOf(precision, members.at(0), kFlagged), 0);
            QVERIFY(exec("DROP TRIGGER refuse_lane"));
            QTRY_COMPARE_WITH_TIMEOUT(shotsOf(precision, members.at(0), 0),
                                      series * kSeriesShots, kSeriesTimeoutMs);
            QCOMPARE(nextBox(), storedAgain);
            QCOMPARE(shotsOf(precision, members.at(0), kFlagged), 0);
        }
        if (series != 2)
            continue;
        // The silent lane's series was filled with misses flagged to be shot
        // again. The database refused them: they wait, told once, and are
        // stored once it takes them.
        QCOMPARE(nextBox(), refused);
        QCOMPARE(shotsOf(precision, members.at(1), kFlagged), 0);
        QVERIFY(exec("DROP TRIGGER refuse"));
        QTRY_COMPARE_WITH_TIMEOUT(shotsOf(precision, members.at(1), kFlagged), kSeriesShots,
                                  kSeriesTimeoutMs);
        QCOMPARE(nextBox(), storedAgain);
        // The break fits the range computers' screens: the flagged lane's
        // row, the last, is in sight with the others, each button's caption
        // whole.
        for (const QSize &screen : kScreens) {
            QVERIFY(breakFits(screen));
            sight(QStringLiteral("run-shoot-off-%1x%2").arg(screen.width()).arg(screen.height()));
        }
        window()->showOnScreen();
        // Its shoot-off button is the only one that offers it. The database
        // refuses the purge of the flagged misses: the re-shot series waits
        // with it, its shots asked for again and none stored beside the
        // misses, and once the purge is taken, in the series, it is stored
        // after it.
        const QList<QPushButton *> reshoot = enabledShootOffButtons();
        QCOMPARE(reshoot.size(), 1);
        startShooters({kMissingLane}, kShooterPaceMs);
        QVERIFY(exec("CREATE TRIGGER refuse BEFORE DELETE ON tbullets "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        const TBulletList *list = userModul()->bulletList(precision);
        bool reshotRefused = false;
        QVERIFY(shootSeries(reshoot.first(), [&] {
            reshotRefused = QTest::qWaitFor([&] { return list->shotRefused(members.at(1)); },
                                            kSeriesTimeoutMs);
            QCOMPARE(shotsOf(precision, members.at(1), 0), kSeriesShots);
            QCOMPARE(shotsOf(precision, members.at(1), kFlagged), kSeriesShots);
            QVERIFY(exec("DROP TRIGGER refuse"));
        }));
        QVERIFY(reshotRefused);
        QCOMPARE(nextBox(), refused);
        QCOMPARE(nextBox(), storedAgain);
        QCOMPARE(shotsOf(precision, members.at(1), kFlagged), 0);
        QCOMPARE(shotsOf(precision, members.at(1), 0), series * kSeriesShots);
    }
    QVERIFY(!takeStorageErrors().isEmpty());
    auto *next = onPage<QPushButton>(Page::Run, "pBNext");
    QTRY_VERIFY_WITH_TIMEOUT(next->isVisible() && next->isEnabled(), kSeriesTimeoutMs);
    stopShooters(kLanes);
    sight("run-precision-finished");
    for (int member : members) {
        QCOMPARE(shotsOf(precision, member, 0), kMatchSeries * kSeriesShots);
        QCOMPARE(storedShots(precision, member), kMatchSeries * kSeriesShots);
    }

    // The stage's total, then the rapid-fire stage of the same relay.
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::EventTotal);
    sight("precision-total");
    const QStringList precisionTotals =
        totalsOf(onPage<QTableView>(Page::EventTotal, "tv_eventTotal"));
    QCOMPARE(precisionTotals.size(), members.size());
    setClockSpeed(kRapidFireClockSpeed);
    QVERIFY(click("pBNext"));
    QVERIFY(lineAnswers());
    const int rapidFire = userModul()->currentCompetition()->eventByNum(2)->id();
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Run);
    startShooters(kLanes, kShooterPaceMs);
    for (int series = 0; series <= kMatchSeries; ++series) {
        if (series == kOffSeries) {
            simulator()->call([](RangeSimulator &s) { s.setTargetPresent(kMissingLane, false); });
            const auto *converters = onPage<QLabel>(Page::Run, "l_colKommut");
            QVERIFY(!QTest::qWaitFor([&] { return converters->text() != "1"; }, kQuietBreakMs));
            // The converter unplugged in the break too: back, it serves the
            // lanes that answer, and the START goes out to them.
            QVERIFY(simulator()->call([](RangeSimulator &s) { return s.unplug(0); }));
            QTRY_COMPARE_WITH_TIMEOUT(converters->text(), QString(), kSeriesTimeoutMs);
            QVERIFY(!QTest::qWaitFor([&] { return !converters->text().isEmpty(); }, kCableOutMs));
            QVERIFY(simulator()->call([](RangeSimulator &s) { return s.replug(0); }));
            QTRY_COMPARE_WITH_TIMEOUT(converters->text(), QString("1"), kSeriesTimeoutMs);
            QVERIFY(shootSeries(start));
            // Every word is of the off lane: its silence, and its answer
            // once it is on again.
            QVERIFY(says(kMissingLane, kSilence));
            simulator()->call([](RangeSimulator &s) { s.setTargetPresent(kMissingLane, true); });
            QVERIFY(says(kMissingLane, kHeardAgain));
            QVERIFY(takeWarnings().isEmpty());
            for (const QString &line : runPageWords())
                QVERIFY2(line.contains(QStringLiteral("Мишень %1 ").arg(kMissingLane))
                             || line.startsWith(QStringLiteral("Конвертор ")),
                         qPrintable(line));
            const QList<QPushButton *> reshoot = enabledShootOffButtons();
            QCOMPARE(reshoot.size(), 1);
            QVERIFY(shootSeries(reshoot.first()));
            continue;
        }
        if (series == kSilentSeries) {
            // Lane 1's target is off through a series, and on again in the
            // break: heard before the next START, its next series is stored,
            // though the one it missed is flagged, and so is the shot it gives
            // at once after that START: a page begun in its silence, heard
            // since only by a ping, could hold that shot as well.
            simulator()->call([](RangeSimulator &s) { s.setTargetPresent(kBackLane, false); });
            QVERIFY(shootSeries(start));
            QVERIFY(says(kBackLane, kSilence));
            simulator()->call([](RangeSimulator &s) { s.setTargetPresent(kBackLane, true); });
            const bool heardAgain = says(kBackLane, kHeardAgain);
            // What was said of the series it missed; the next says nothing of it.
            takeWarnings();
            const int stored = shotsOf(rapidFire, members.at(kBackLane - 1), 0);
            QVERIFY(shootSeries(start));
            ++series;
            QVERIFY(toldNotStarted(kBackLane));
            QCOMPARE(shotsOf(rapidFire, members.at(kBackLane - 1), 0), stored + kSeriesShots - 1);
            QVERIFY(heardAgain);
            continue;
        }
        if (series != kLooseWindowSeries) {
            QVERIFY2(shootSeries(start), qPrintable(QString::number(series)));
            continue;
        }
        // Once its window-2 shot is stored, lane 3's cable comes loose
        // across window 3's START.
        const int beforeLoose = (series - 1) * kSeriesShots + kWindowBeforeLoose;
        bool loosened = false;
        QVERIFY(shootSeries(start, [&] {
            loosened = QTest::qWaitFor(
                [&] { return shotsOf(rapidFire, looseMember, 0) >= beforeLoose; },
                kSeriesTimeoutMs);
            simulator()->call([](RangeSimulator &sim) {
                sim.loosenAcrossNextStart(kLooseLane, kRapidFireHearAgainMs);
            });
        }));
        QVERIFY(loosened);
        // Window 3 holds a miss flagged to be shot again, not window 2's shot.
        QVERIFY(toldNotStarted(kLooseLane));
        QCOMPARE(shotsOf(rapidFire, looseMember, 0), series * kSeriesShots - 1);
        QCOMPARE(shotsOf(rapidFire, looseMember, kFlagged), 1);
        const QList<QPushButton *> reshoot = enabledShootOffButtons();
        QCOMPARE(reshoot.size(), 1);
        QVERIFY(shootSeries(reshoot.first()));
        QCOMPARE(shotsOf(rapidFire, looseMember, 0), series * kSeriesShots);
    }
    QTRY_VERIFY_WITH_TIMEOUT(next->isVisible() && next->isEnabled(), kSeriesTimeoutMs);
    stopShooters(kLanes);
    sight("run-rapid-fire-finished");
    for (int member : members) {
        const int missed = member == members.at(kBackLane - 1) ? kSeriesShots + 1 : 0;
        QCOMPARE(shotsOf(rapidFire, member, 0), kMatchSeries * kSeriesShots - missed);
        QCOMPARE(shotsOf(rapidFire, member, kFlagged), missed);
    }

    // The rapid-fire stage's total, then the match's: each member's
    // precision figure is the one the first stage's total showed.
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::EventTotal);
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::CompetitionTotal);
    sight("competition-total");
    QCOMPARE(rows("SELECT fFinished FROM tcompetitions WHERE ID=?", {competition}), (Rows{{1}}));
    auto *total = onPage<QTableView>(Page::CompetitionTotal, "tvTotal");
    QCOMPARE(QString(total->model()->metaObject()->className()), QString("TOTAL_MP_5"));
    QCOMPARE(total->model()->rowCount(), members.size());
    QStringList precisionInMatch;
    for (int r = 0; r < total->model()->rowCount(); ++r)
        precisionInMatch << total->model()->index(r, kNameColumn).data().toString() + '|'
                                + total->model()->index(r, kPrecisionColumn).data().toString();
    std::sort(precisionInMatch.begin(), precisionInMatch.end());
    QCOMPARE(precisionInMatch, precisionTotals);
}

QStringList TestPistolRoad::totalsOf(const QTableView *table)
{
    // NAME and TOTAL of the series table, by name.
    QStringList totals;
    const QAbstractItemModel *model = table->model();
    for (int r = 0; model && r < model->rowCount(); ++r)
        totals << model->index(r, 0).data().toString() + '|'
                      + model->index(r, model->columnCount() - 1).data().toString();
    std::sort(totals.begin(), totals.end());
    return totals;
}

QTEST_MAIN(TestPistolRoad)
#include "tst_pistolroad.moc"
