// The running exercise on the real main window: one exercise object at a
// time, wired between the bus master and the run page and unwired with its
// shot list let go, and the line's targets registered with the bus master.

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QScopeGuard>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "dialogheldshots.h"

#include "busframe.h"
#include "celltexts.h"
#include "eventwiring.h"
#include "exerciseclock.h"
#include "formexecuteevent.h"
#include "mainwindowtest.h"
#include "myevent.h"
#include "runcompetition.h"
#include "simulatorthread.h"
#include "targettime.h"
#include "tmemberplace.h"
#include "tplacecolumns.h"
#include "warnings.h"
#include "truntableview.h"

Q_DECLARE_METATYPE(QList<int>)

class TestMainWindowEvent : public MainWindowTest
{
    Q_OBJECT

private slots:
    void registration_data();
    void registration();
    void oneExerciseAtATime();
    void typeWithoutExercise();
    void wholeLineOnScreen_data();
    void wholeLineOnScreen();
    void laneAcrossTheMatchStart_data();
    void laneAcrossTheMatchStart();
    void rulingByKeyboard();

private:
    // A competition's relay on lanes 1 to `lanes` being shot, the run page
    // entered for it.
    TBulletList *enterRunPage(int lanes = 2, const QString &family = QString(),
                              const QStringList &firstMember = QStringList(),
                              int type = RunCompetition::kRifle);
    // Every figure and title of the table is whole: each cell's and each
    // title's size hint fits its column, but in the columns that give way.
    void figuresWhole(const TRunTableView *view);
};

void TestMainWindowEvent::registration_data()
{
    QTest::addColumn<int>("members");
    QTest::addColumn<QList<int>>("codes");
    // 0 first, 1 middle, 2 last, 3 the only one.
    QTest::newRow("none: the list stays") << 0 << QList<int>{};
    QTest::newRow("one member") << 1 << QList<int>{3};
    QTest::newRow("two members") << 2 << QList<int>{0, 2};
    QTest::newRow("four members") << 4 << QList<int>{0, 1, 1, 2};
}

void TestMainWindowEvent::registration()
{
    QFETCH(int, members);
    QFETCH(QList<int>, codes);
    QList<LineTarget> line;
    for (int i = 1; i <= members; ++i)
        line.append({i + 4, 10 + i, QStringLiteral("Family%1").arg(i), QStringLiteral("N%1").arg(i)});
    QSignalSpy added(window(), &MainWindow::sig_AddTarget);
    registerLine(line);
    QCOMPARE(added.count(), codes.size());
    for (int i = 0; i < added.count(); ++i) {
        const LineTarget &target = line.at(i);
        QCOMPARE(added.at(i), (QVariantList{target.address, target.startNumber, target.familyName,
                                            target.name, codes.at(i)}));
    }
}

TBulletList *TestMainWindowEvent::enterRunPage(int lanes, const QString &family,
                                               const QStringList &firstMember, int type)
{
    TBulletList *list = RunCompetition::prepare(*userModul(), type, lanes, 1, family, firstMember);
    if (!list || !click(QStringLiteral("pbNEW")))
        return nullptr;
    return list;
}

void TestMainWindowEvent::oneExerciseAtATime()
{
    TBulletList *list = enterRunPage();
    QVERIFY(list);
    TEvent *event = userModul()->runRelayEvent();
    QVERIFY(connectEvent(event, list, nullptr));
    QPointer<MyEvent> first = currentEvent();
    QVERIFY(connectEvent(event, list, nullptr));
    QVERIFY(first.isNull());
    QVERIFY(currentEvent());
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setExecutableEvent"));
    QCOMPARE(page(), Page::Run);
    auto *shots = widget<QTableView>(QStringLiteral("tv_bullets"));
    QCOMPARE(shots->model(), list);

    // START from the page, the targets' confirmation and a shot from the bus
    // master reach the one exercise.
    QVERIFY(click(QStringLiteral("pbStart")));
    emit bus()->sig_EventStarted();
    QVERIFY(widget<QPushButton>(QStringLiteral("pbStop"))->isEnabled());
    emit bus()->sig_AddBullet(1, 1, QPoint(0, 25), schar(1), 10, 10);
    QCOMPARE(list->shotCountOfStage(1, MyEvent::StageSighting), 1);

    // Unwired: reports reach no exercise, and the page lets the list go.
    disconnectEvent();
    QVERIFY(!currentEvent());
    emit bus()->sig_AddBullet(2, 1, QPoint(0, 25), schar(1), 10, 10);
    QCOMPARE(list->shotCountOfStage(2, MyEvent::StageSighting), 0);
    QVERIFY(!qobject_cast<TBulletList *>(shots->model()));
    // The next entry takes it again.
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setExecutableEvent"));
    QCOMPARE(shots->model(), list);
}

void TestMainWindowEvent::typeWithoutExercise()
{
    TBulletList *list = enterRunPage();
    QVERIFY(list);
    QVERIFY(connectEvent(userModul()->runRelayEvent(), list, nullptr));
    QPointer<MyEvent> previous = currentEvent();
    TEvent noKind;
    noKind.setTypeXMLID(4);
    QVERIFY(!connectEvent(&noKind, list, nullptr));
    QVERIFY(previous.isNull());
    QVERIFY(!currentEvent());
    // The page is shown all the same; its START reaches nobody.
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setExecutableEvent"));
    QVERIFY(click(QStringLiteral("pbStart")));
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_finishCompetition"));
    QCOMPARE(page(), Page::Welcome);
}

void TestMainWindowEvent::wholeLineOnScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("lanes");
    // The application's font is the platform's (offscreen: larger than the
    // form's 9 pt) instead of that of X without a desktop.
    QTest::addColumn<bool>("platformFont");
    QTest::addColumn<QStringList>("firstMember");
    // The run folder's competition type: 1 a match of 60 shots, 2 one of 40
    // shots (and a final), with fewer series to share the width, 8 a pistol
    // stage of 30 shots seen in a break, a shoot-off button on every row.
    QTest::addColumn<int>("type");
    // The range computers' screens, and the relays the operator must see
    // whole on them.
    const QStringList ordinary;
    constexpr int k60 = RunCompetition::kRifle;
    constexpr int k40 = RunCompetition::kRifleWithFinal;
    QTest::newRow("1366x768") << QSize(1366, 768) << 10 << false << ordinary << k60;
    QTest::newRow("1920x1080") << QSize(1920, 1080) << 14 << false << ordinary << k60;
    // The longest relay whose rows all fit a 1366x768 page, in the least font.
    QTest::newRow("1366x768, 16 lanes") << QSize(1366, 768) << 16 << false << ordinary << k60;
    // A short relay: its rows grow to the highest.
    QTest::newRow("1366x768, 4 lanes") << QSize(1366, 768) << 4 << false << ordinary << k60;
    QTest::newRow("1366x768, 4 lanes, 40 shots") << QSize(1366, 768) << 4 << false << ordinary << k40;
    QTest::newRow("1920x1080, 10 lanes") << QSize(1920, 1080) << 10 << false << ordinary << k60;
    // The tables keep the form's font, whatever the application's.
    // 20 lanes fit in rows of the form's font, not in the platform's.
    QTest::newRow("1920x1080, 20 lanes, the platform's font")
        << QSize(1920, 1080) << 20 << true << ordinary << k60;
    // A name longer than the room left beside the figures gives way to them.
    const QStringList longName{QStringLiteral("Константинопольский-Щербаков"),
                               QStringLiteral("Александр")};
    QTest::newRow("1366x768, 4 lanes, a long name") << QSize(1366, 768) << 4 << false << longName << k60;
    QTest::newRow("1920x1080, 4 lanes, a long name") << QSize(1920, 1080) << 4 << false << longName << k60;
    QTest::newRow("1920x1080, 4 lanes, a long name, 40 shots")
        << QSize(1920, 1080) << 4 << false << longName << k40;
    // The buttons are no taller than the rows and widen their column.
    constexpr int kBreak = RunCompetition::kPistol;
    QTest::newRow("1366x768, 16 lanes, a pistol break") << QSize(1366, 768) << 16 << false << ordinary << kBreak;
    QTest::newRow("1920x1080, 20 lanes, a pistol break") << QSize(1920, 1080) << 20 << false << ordinary << kBreak;
}

void TestMainWindowEvent::figuresWhole(const TRunTableView *view)
{
    const auto *texts = dynamic_cast<const CellTexts *>(view->model());
    QVERIFY(texts);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.widget = view;
    option.font = view->shownFont();
    option.fontMetrics = QFontMetrics(option.font);
    const QHeaderView *header = view->horizontalHeader();
    QStyleOptionHeader title;
    title.initFrom(header);
    for (int column = 0; column < view->model()->columnCount(); ++column) {
        if (texts->givesWay(column))
            continue;
        // The blanks around a numbered column's title centre it and may be cut.
        title.text = view->model()->headerData(column, Qt::Horizontal).toString().trimmed();
        QList<QPair<QString, int>> needs{
            {title.text, header->style()->sizeFromContents(QStyle::CT_HeaderSection, &title, QSize(), header).width()}};
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const QModelIndex cell = view->model()->index(row, column);
            needs.append({cell.data().toString(), view->itemDelegate(cell)->sizeHint(option, cell).width()});
        }
        for (const auto &[text, width] : needs) {
            QVERIFY2(width <= view->columnWidth(column),
                     qPrintable(QStringLiteral("%1: \"%2\" needs %3 px in %4")
                                    .arg(view->objectName(), text)
                                    .arg(width)
                                    .arg(view->columnWidth(column))));
        }
    }
}

void TestMainWindowEvent::wholeLineOnScreen()
{
    QFETCH(QSize, screen);
    QFETCH(int, lanes);
    QFETCH(bool, platformFont);
    QFETCH(QStringList, firstMember);
    QFETCH(int, type);
    const QString family = QStringLiteral("Гольденвейзерова"); // 16 letters
    const bool pistolBreak = type == RunCompetition::kPistol;
    const int matchShots = type == RunCompetition::kRifle ? 60 : pistolBreak ? 30 : 40;
    // The font of X without a desktop's own, as on the range computers (the
    // offscreen platform's is larger), in a window built with it.
    const QFont font = QApplication::font();
    const auto restoreFont = qScopeGuard([font] { QApplication::setFont(font); });
    if (!platformFont)
        QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
    QVERIFY(reopenWindow());
    window()->resize(screen);
    TBulletList *list = enterRunPage(lanes, family, firstMember, type);
    QVERIFY(list);
    QVERIFY(connectEvent(userModul()->runRelayEvent(), list, nullptr));
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setExecutableEvent"));
    // In the sighting: the mode band and the time under START are shown.
    QVERIFY(click(QStringLiteral("pbStart")));
    emit bus()->sig_EventStarted();
    emit bus()->sig_AddBullet(1, 1, QPoint(0, 25), schar(1), 10, 10);
    const QString shown = QStringLiteral("%1-lanes-%2x%3%4").arg(lanes).arg(screen.width())
        .arg(screen.height()).arg(firstMember.isEmpty() ? "" : "-long-name")
        + (matchShots == 40 ? "-40-shots" : pistolBreak ? "-pistol-break" : "");
    sight(QStringLiteral("sighting-") + shown);
    // Every lane's whole match of the highest values: the widest sums and
    // totals there can be.
    list->setStageAll(MyEvent::StageMatch);
    for (int lane = 1; lane <= lanes; ++lane) {
        for (int n = 1; n <= matchShots; ++n)
            QVERIFY(list->addShotFromTarget(list->memberIdOfTarget(lane), n, 0, 0, 1, 10, 0));
    }
    if (pistolBreak)
        emit currentEvent()->sig_view_DelegateView(true);
    sight(QStringLiteral("run-") + shown);

    // Each table shows every row and column (SUMM, TOTAL) without
    // scrolling, every figure and title whole, the ordinary names in full,
    // and rows that share its height up to the highest; the window keeps to
    // the screen.
    for (const char *name : {"tv_bullets", "tv_series"}) {
        const auto *view = widget<TRunTableView>(QLatin1String(name));
        // The form's font stays the table's own, the least it shows.
        QCOMPARE(view->font().pointSize(), 9);
        const int row = lanes - 1;
        const int column = view->model()->columnCount() - 1;
        // Once laid out, the last row and column end inside the table.
        QTRY_VERIFY2(view->rowViewportPosition(row) + view->rowHeight(row)
                             <= view->viewport()->height()
                         && view->columnViewportPosition(column) + view->columnWidth(column)
                             <= view->viewport()->width(),
                     name);
        QVERIFY2(view->verticalScrollBar()->maximum() == 0
                     && view->horizontalScrollBar()->maximum() == 0,
                 name);
        // An item delegate elides a text wider than its cell less a margin
        // on either side.
        const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        int longest = 0;
        for (const QString &shooter : MainWindowTest::column(QLatin1String(name), 0)) {
            if (firstMember.isEmpty() || !shooter.startsWith(firstMember.first()))
                longest = qMax(longest, qCeil(QFontMetricsF(view->shownFont()).horizontalAdvance(shooter)));
        }
        QVERIFY2(longest + 2 * margin < view->columnWidth(0), name);
        figuresWhole(view);
        const int rowHeight = view->rowHeight(0);
        QVERIFY2(rowHeight == TRunTableView::kMaxRowHeight
                     || view->viewport()->height() - lanes * rowHeight < lanes,
                 qPrintable(QStringLiteral("%1: rows of %2 px").arg(name).arg(rowHeight)));
    }
    QCOMPARE(window()->size(), screen);
}

void TestMainWindowEvent::laneAcrossTheMatchStart_data()
{
    QTest::addColumn<bool>("deaf");
    QTest::addColumn<bool>("heldAfterStart");
    QTest::addColumn<int>("stopAfter");
    QTest::addColumn<int>("sightingShots");
    // Deaf for 1.5 s across the match START, its shot fired just after it
    // (or 0.4 s before it, the sighting over and no longer polled): nothing
    // tells which side of the START it is; the ruling asks, and is answered
    // by what the target did.
    QTest::newRow("deaf, its first match shot held: counted from it") << true << true << -1 << 0;
    QTest::newRow("deaf, a sighting shot held: none counted") << true << false << -1 << 0;
    // Deaf across both STARTs, counting from long before: two sighting
    // shots 0.4 s before the match START and its first match shot after it
    // are held together; counted from the match shot, every match shot is
    // stored and no sighting shot.
    QTest::newRow("deaf across both STARTs: the START placed among them") << true << true << -1 << 2;
    // STOP after 5 more match shots with the first one held: asked at STOP,
    // before the misses.
    QTest::newRow("deaf, STOP while its first match shot is held") << true << true << 5 << 0;
    // Missed while it answers polls; its one sighting shot, read 3 s before
    // the START, is no match shot, and nothing is held.
    QTest::newRow("missed START, a sighting shot") << false << false << -1 << 0;
}

void TestMainWindowEvent::laneAcrossTheMatchStart()
{
    QFETCH(bool, deaf);
    QFETCH(bool, heldAfterStart);
    QFETCH(int, stopAfter);
    QFETCH(int, sightingShots);
    constexpr int kLane = 2;
    constexpr int kSightingX = 21;
    constexpr int kMatch = 60; // the run folder's rifle exercise
    constexpr int kHeldX = 11;
    QVERIFY(startSimulator({1, 2, 3}));
    shortenLineWaits();
    TBulletList *list = enterRunPage(3);
    QVERIFY(list && connectEvent(userModul()->runRelayEvent(), list, nullptr));
    registerLine({{1, 1, "F", "N"}, {2, 2, "F", "N"}, {3, 3, "F", "N"}});
    QTRY_VERIFY_WITH_TIMEOUT(list->allTargetsFound() && list->allPCsFound(), kTimeoutMs);
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setExecutableEvent"));
    ManualClock clock;
    TargetTime targetTime; // lane 2's shots come seconds apart on it, at once
    currentEvent()->setClock(&clock);
    currentEvent()->setTargetClock(&targetTime);
    // The exercise outlives this function's clocks: it runs on its own again.
    const auto ownClocks = qScopeGuard([event = QPointer<MyEvent>(currentEvent())] {
        if (event) {
            event->stopEventTimer();
            event->setClock(nullptr);
        }
    });
    // The official rules by what the target did: the held shot at x 11 is
    // the first after the START, or none is.
    QList<QList<HeldShot>> rulings;
    DialogHeldShots::setTestRuling([&](int target, const QList<HeldShot> &held) {
        rulings << held;
        const auto it = std::find_if(held.cbegin(), held.cend(),
                                     [](const HeldShot &h) { return h.point.x() == kHeldX; });
        return target == kLane && heldAfterStart && it != held.cend() ? int(it - held.cbegin())
                                                                         : LaneStart::kNone;
    });
    const auto noRuling = qScopeGuard([] { DialogHeldShots::setTestRuling({}); });
    const auto sim = [this](auto call) { return simulator()->call(call); };
    const auto skip = [&](qint64 ms) {
        targetTime.skipAheadMs(ms);
        sim([ms](RangeSimulator &s) { s.skipAheadMs(ms); });
    };
    QHash<int, qint64> firedAt; // by x, on the targets' clock
    const auto fireAfter = [&](qint64 ms, int x) {
        skip(ms);
        firedAt.insert(x, targetTime.nowMs());
        QVERIFY(sim([x](RangeSimulator &s) { return s.fireShot(kLane, quint16(x), 40, 1); }) > 0);
    };
    const auto start = [&](const QString &mode) {
        const auto starts = [&] { return sim([](RangeSimulator &s) { return s.framesReceivedWithCode(0xA0); }); };
        const int before = starts();
        QTRY_VERIFY_WITH_TIMEOUT(widget(QStringLiteral("pbStart"))->isEnabled(), kTimeoutMs);
        QVERIFY(click(QStringLiteral("pbStart")));
        QTRY_VERIFY_WITH_TIMEOUT(widget<QLabel>(QStringLiteral("l_mode"))->text() == mode && starts() >= before + 3, kTimeoutMs);
    };
    // Lane 2 says twice more it lacks that shot: it was not taken yet.
    const auto noShot = [&](int number) {
        const QByteArray poll = frameWithCrc(bytesOf({kLane, 0x09, BusCode::kReadBullet, number, 0, 0, 0}));
        const auto polled = [&] { return sim([=](RangeSimulator &s) { return s.framesReceived(kLane); }).count(poll); };
        const int before = polled();
        QTRY_VERIFY_WITH_TIMEOUT(polled() >= before + 2, kTimeoutMs);
    };
    const auto stored = [&](const char *where) {
        return rows(QStringLiteral("SELECT COUNT(*) FROM tbullets WHERE fMemberID = ? AND ") + where,
                    {list->memberIdOfTarget(kLane)}).value(0).value(0).toInt();
    };
    if (sightingShots > 0)
        sim([](RangeSimulator &s) { s.setTargetHearing(kLane, false); });
    start(QStringLiteral("SIGHTING"));
    skip(10000); // the sighting lasts seconds on the targets' clock
    if (sightingShots == 0) // deaf, it hears no poll
        noShot(1);
    if (!deaf)
        fireAfter(0, kHeldX); // lane 2's first shot, of the sighting or of the match
    QTRY_COMPARE_WITH_TIMEOUT(list->shotCountOfStage(kLane, MyEvent::StageSighting), int(!deaf), kTimeoutMs);
    skip(deaf && !heldAfterStart ? 2600 : 3000);
    clock.advanceMs(900 * 1000);
    sim([deaf](RangeSimulator &s) { deaf ? s.loosenAcrossNextStart(kLane, 1500) : s.missNextStart(kLane); });
    if (deaf && !heldAfterStart)
        fireAfter(400, kHeldX); // the sighting is over: no longer polled
    for (int k = 0; k < sightingShots; ++k)
        fireAfter(k == 0 ? 2600 : 0, kSightingX + k);
    if (sightingShots > 0)
        skip(400);
    start(QStringLiteral("MATCH"));
    if (deaf && heldAfterStart)
        fireAfter(0, kHeldX);
    // A lane's lamp in the TARGET column, found by the target it shows.
    const auto lampOf = [list](int target) {
        const QModelIndex at = list->match(list->index(0, TPlaceColumns::full().target), Qt::DisplayRole,
                                           QString::number(target), 1, Qt::MatchExactly).value(0);
        return at.data(Qt::DecorationRole).value<QImage>();
    };
    if (deaf) {
        QTRY_COMPARE_WITH_TIMEOUT(list->placeByTarget(kLane)->laneStart().heldCount(),
                                  1 + sightingShots, kTimeoutMs);
        QVERIFY(!lampOf(kLane).isNull() && lampOf(kLane) != lampOf(1));
        sight(QStringLiteral("run-lane-held"));
    }
    QList<ScriptedShot> shots;
    for (int i = 0; i < kMatch; ++i)
        shots << ScriptedShot{10 * i, quint16(100 + i), 50, 1};
    sim([&](RangeSimulator &s) { s.scheduleShots(1, shots); s.scheduleShots(3, shots); });
    noShot(2 + sightingShots);
    const int fired = stopAfter >= 0 ? stopAfter : kMatch - int(deaf && heldAfterStart);
    for (int shot = 1; shot <= fired; ++shot) {
        fireAfter(2000, 100 + shot);
        // The last may be joined at once by the held one, counted.
        QTRY_VERIFY_WITH_TIMEOUT(list->shotCountOfStage(kLane, MyEvent::StageMatch) >= shot,
                                 kTimeoutMs);
    }
    if (stopAfter >= 0)
        QVERIFY(click(QStringLiteral("pbStop")));
    if (deaf) {
        QTRY_COMPARE_WITH_TIMEOUT(Warnings::last().title, QStringLiteral("Выстрелы под вопросом"), kTimeoutMs);
        QCOMPARE(rulings.size(), 1);
        QCOMPARE(rulings.first().size(), 1 + sightingShots);
        // In the page's order: the sighting shots, then the one at x 11.
        const HeldShot held = rulings.first().last();
        QCOMPARE(held.point.x(), kHeldX);
        QCOMPARE(held.targetNumber, 1 + sightingShots);
        QCOMPARE(held.number, 1); // counted first, the match's first
        // The moments it can have been taken at hold the one it was, on
        // both sides of the START.
        const qint64 startMs = list->placeByTarget(kLane)->laneStart().startMs();
        QVERIFY(held.fromKnown && held.toKnown && held.fromMs < 0 && held.toMs > 0);
        // Each listed shot's moments hold the one it was, none before the
        // targets' clock began; none is told wholly before the START, which
        // went out up to a second before its confirmation was read.
        for (const HeldShot &listed : rulings.first()) {
            const qint64 firedMs = firedAt.value(listed.point.x()) - startMs;
            QVERIFY2((!listed.fromKnown || (-startMs <= listed.fromMs && listed.fromMs <= firedMs))
                         && (!listed.toKnown || (firedMs <= listed.toMs && listed.toMs >= 0)),
                     qPrintable(QStringLiteral("x %1 at %2 ms: %3").arg(listed.point.x()).arg(firedMs)
                                    .arg(DialogHeldShots::momentsText(listed))));
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(widget(QStringLiteral("pBNext")), kTimeoutMs); // the one shown
    QCOMPARE(stored("1"), kMatch);
    // STOP fills the match with misses after the ruling.
    QCOMPARE(stored("fX = 65535"), stopAfter >= 0 ? kMatch - stopAfter - 1 : 0);
    // Counted, the held shot is the match's first; a sighting shot never is.
    QCOMPARE(stored("fX = 11"), int(deaf && heldAfterStart));
    QCOMPARE(stored("fNumber = 1 AND fX = 11"), int(deaf && heldAfterStart));
    QCOMPARE(stored("fX IN (21, 22)"), 0);
    QCOMPARE(lampOf(kLane), lampOf(1));
    for (const Warnings::Shown &box : takeWarnings())
        QVERIFY2(deaf || box.title != QStringLiteral("Выстрелы под вопросом"), qPrintable(box.text));
}

void TestMainWindowEvent::rulingByKeyboard()
{
    // Three sighting shots and twenty-three match shots of a lane deaf
    // across both STARTs, held together, as the run page asks about them:
    // its own dialog, one a lane, the boxes on as for the operator. The
    // sighting shots were read 100 s before the match START: on the page of
    // either earlier START they were taken just before, or, had the target
    // taken this START and shot the same again, in its first 2.4 s.
    using Page = LaneStart::Doubt::Page;
    QList<HeldShot> held;
    for (int k = 0; k < 26; ++k) {
        HeldShot shot;
        shot.targetNumber = k + 1;
        shot.point = QPoint(100 + k, 50);
        const qint64 before = -101600 + 100 * k;
        shot.fromMs = k < 3 ? before : 1800 + 1000 * (k - 3);
        shot.toMs = k < 3 ? 2400 : shot.fromMs + 3800;
        shot.accounts = {{Page::ThisStart, k < 3 ? 0 : shot.fromMs, shot.toMs, true, true}};
        if (k < 3)
            shot.accounts << HeldShot::Moments{Page::EarlierStart, before + 700, before + 1500, true, true}
                          << HeldShot::Moments{Page::EarlierStart, before, before + 700, true, true};
        shot.readBefore = k < 3;
        shot.readBeforeMs = 100000 - 100 * k;
        shot.gapTenths = k == 3 ? 29 : 10;
        shot.number = 1;
        shot.value = QStringLiteral("%1").arg(k < 3 ? 5.0 : 8.6, 0, 'f', 1);
        held << shot;
    }
    TBulletList *list = enterRunPage();
    QVERIFY(list && connectEvent(userModul()->runRelayEvent(), list, nullptr));
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setExecutableEvent"));
    auto *page = window()->findChild<FormExecuteEvent *>();
    QVERIFY(page);
    QSignalSpy ruled(page, &FormExecuteEvent::sig_ruleShots);
    Warnings::setTestMode(false);
    const auto boxesOff = qScopeGuard([] { Warnings::setTestMode(true); });
    const auto ask = [page](const QList<HeldShot> &shots, bool atStop) {
        QMetaObject::invokeMethod(page, "slot_myEvent_ShotsInDoubt", Q_ARG(int, 2),
                                  Q_ARG(QList<HeldShot>, shots), Q_ARG(bool, atStop));
    };
    const auto open = [page] { return page->findChildren<DialogHeldShots *>(); };
    // Asked with part of the list, then with all of it: one dialog, showing
    // the list it was asked last.
    ask(held.mid(0, 3), false);
    ask(held, false);
    QCOMPARE(open().size(), 1);
    DialogHeldShots &dialog = *open().first();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Named by its member as well as by its target.
    const TMemberPlace *member = list->placeByTarget(2);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("L_title"))->text(),
             QStringLiteral("Выстрелы под вопросом: мишень 2, %1, стартовый номер %2")
                 .arg(member->name()).arg(member->startNumber()));
    // Within the screen, the list scrolling where it has no room.
    const QSize room = window()->screen()->availableGeometry().size();
    QVERIFY2(dialog.width() <= room.width() && dialog.height() <= room.height(),
             qPrintable(QStringLiteral("%1x%2").arg(dialog.width()).arg(dialog.height())));
    sight(QStringLiteral("ruling"), &dialog);
    auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("tw_shots"));
    // The texts around the list keep clear of it.
    QVERIFY(table && table->geometry().bottom()
                         < dialog.findChild<QLabel *>(QStringLiteral("L_after"))->geometry().top());
    QVERIFY(table && dialog.focusWidget() == table);
    QCOMPARE(table->rowCount(), 27); // and "none"
    // Each case in a column of its own (the spans of the two earlier STARTs
    // touch: one), never one range across both; no column for a case no
    // shot has. What was read before the START says so. No place before a
    // choice.
    // On a screen too narrow for them, a span's parts are lines of their own.
    QCOMPARE(table->item(0, 3)->text().replace('\n', ' '), QStringLiteral("от 1 мин 41,6 с до 1 мин 40,1 с до СТАРТ"));
    QCOMPARE(table->item(0, 4)->text(), QStringLiteral("в первые 2,4 с после СТАРТ"));
    QCOMPARE(table->item(3, 3)->text(), QStringLiteral("—"));
    QVERIFY(!table->isColumnHidden(3) && !table->isColumnHidden(4) && table->isColumnHidden(5));
    QCOMPARE(DialogHeldShots::momentsText(held.first()),
             QStringLiteral("от 1 мин 41,6 с до 1 мин 40,1 с до СТАРТ — если мишень не приняла СТАРТ\n"
                            "в первые 2,4 с после СТАРТ — если мишень приняла СТАРТ"));
    QCOMPARE(table->item(2, 6)->text(), QStringLiteral("за 1 мин 39,8 с"));
    QCOMPARE(table->item(3, 6)->text(), QStringLiteral("нет"));
    QCOMPARE(table->item(3, 2)->text(), QString());
    // Nothing chosen: Enter and Escape leave the question open.
    QTest::keyClick(table, Qt::Key_Return);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible() && ruled.isEmpty());
    // End goes to "none", below the fold; Home back to the first shot.
    QTest::keyClick(table, Qt::Key_End);
    QCOMPARE(dialog.chosen(), LaneStart::kNone);
    QCOMPARE(table->item(25, 2)->text(), QStringLiteral("не засчитан"));
    QTest::keyClick(table, Qt::Key_Home);
    QCOMPARE(dialog.chosen(), 0);
    // Down to the first match shot: it takes place 1, the ones before none.
    for (int k = 0; k < 3; ++k)
        QTest::keyClick(table, Qt::Key_Down);
    QCOMPARE(dialog.chosen(), 3);
    QCOMPARE(table->item(2, 2)->text(), QStringLiteral("не засчитан"));
    QCOMPARE(table->item(3, 2)->text(), QStringLiteral("1"));
    QCOMPARE(table->item(25, 2)->text(), QStringLiteral("23"));
    QCOMPARE(table->item(3, 4)->text().replace('\n', ' '), QStringLiteral("от 1,8 с до 5,6 с после СТАРТ"));
    QTest::keyClick(table, Qt::Key_Return);
    QTRY_COMPARE(ruled.size(), 1);
    QCOMPARE(ruled.first(), (QVariantList{2, 3}));
    QTRY_VERIFY(open().isEmpty());
    // At STOP it is asked modally: the answer comes before the call returns.
    bool modal = false;
    QTimer::singleShot(0, page, [&] {
        for (DialogHeldShots *asked : open()) {
            modal = asked->isModal();
            auto *list = asked->findChild<QTableWidget *>(QStringLiteral("tw_shots"));
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        }
    });
    ask(held.mid(0, 1), true);
    QVERIFY(modal);
    QCOMPARE(ruled.size(), 2);
    QCOMPARE(ruled.last(), (QVariantList{2, 0}));

    // A pistol stage fills nothing with misses at STOP.
    DialogHeldShots pistol(page);
    DialogHeldShots::Lane pistolLane;
    pistolLane.target = 2;
    pistolLane.reshotInBreak = true;
    pistol.setShots(pistolLane, held.mid(0, 3), false);
    QVERIFY(!pistol.findChild<QLabel *>(QStringLiteral("L_after"))->text().contains(QStringLiteral("промах")));

    // Deaf for minutes across the START, every shot read before it: the widest texts.
    QList<HeldShot> deaf;
    for (int k = 0; k < 40; ++k) {
        const qint64 readMs = -98150 + 2000 * k;
        HeldShot shot;
        shot.targetNumber = k + 1;
        shot.accounts = {{Page::EarlierStart, readMs - 1750, readMs, true, true},
                         {Page::ThisStart, 77850 + 2000 * k, 81350 + 2000 * k, true, true},
                         {Page::SwitchedOn, readMs - 1750, 81350 + 2000 * k, true, true}};
        shot.readBefore = true;
        shot.readBeforeMs = -readMs;
        shot.gapTenths = k == 0 ? 1234 : 20;
        shot.earlierPage = k == 0;
        deaf << shot;
    }
    // Across the START, each end rounded outwards, "до" only of a side: a
    // span that ends in the first tenth after the START is across it, one
    // that ends in the last tenth before it is not.
    const auto span = [](qint64 fromMs, qint64 toMs) {
        HeldShot across;
        across.accounts = {{Page::SwitchedOn, fromMs, toMs, true, true}};
        return DialogHeldShots::momentsText(across);
    };
    QCOMPARE(span(-450, 1250),
             QStringLiteral("с 0,5 с до СТАРТ по 1,3 с после СТАРТ — если мишень выключали и включили"));
    QCOMPARE(span(-450, 40),
             QStringLiteral("с 0,5 с до СТАРТ по 0,1 с после СТАРТ — если мишень выключали и включили"));
    QCOMPARE(span(-450, -40), QStringLiteral("от 0,5 с до 0,0 с до СТАРТ — если мишень выключали и включили"));
    // On the range computers' screens and font: every column, and every row
    // of 7 shots. Moved to the screen's foot and asked again with as many as
    // need more than two thirds of its height, it shows them all still,
    // grown and moved back within the screen.
    const QFont font = QApplication::font();
    const auto restoreFont = qScopeGuard([font] { QApplication::setFont(font); });
    QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
    for (const QPair<QSize, int> &screen :
         {qMakePair(QSize(1366, 768), 12), qMakePair(QSize(1920, 1080), 24)}) {
        const QRect area(QPoint(), screen.first);
        for (int count : {40, 7}) {
            DialogHeldShots shown(page);
            shown.setShots(pistolLane, deaf.mid(0, count), false);
            shown.fitTo(area);
            shown.show();
            const auto *list = shown.findChild<QTableWidget *>(QStringLiteral("tw_shots"));
            const auto shows = [list](bool everyRow) {
                const int row = list->rowCount() - 1, column = list->columnCount() - 1;
                return list->columnViewportPosition(column) + list->columnWidth(column)
                        <= list->viewport()->width()
                    && list->horizontalScrollBar()->maximum() == 0
                    && (!everyRow
                        || list->rowViewportPosition(row) + list->rowHeight(row) <= list->viewport()->height());
            };
            QTRY_VERIFY(shows(count == 7));
            QVERIFY(shown.width() <= area.width() && shown.height() <= area.height());
            const QString name = QStringLiteral("ruling-%1-%2x%3").arg(count).arg(area.width()).arg(area.height());
            sight(name, &shown);
            if (count == 40)
                continue;
            shown.move(shown.x(), area.bottom() + 1 - shown.frameGeometry().height());
            shown.setShots(pistolLane, deaf.mid(0, screen.second), false);
            shown.fitTo(area);
            QTRY_VERIFY(shows(true));
            QVERIFY(area.contains(shown.frameGeometry()) && shown.height() > area.height() * 2 / 3);
            sight(name + QStringLiteral("-grown"), &shown);
            // Asked again with fewer, it takes the size it takes asked with them alone.
            DialogHeldShots alone(page);
            alone.setShots(pistolLane, deaf.mid(0, 3), false);
            shown.setShots(pistolLane, deaf.mid(0, 3), false);
            QTRY_COMPARE(shown.size(), alone.size());
        }
    }
    // A series' end takes the place of what was said of the lane during it,
    // on the page, not in a box; its count says what it counts.
    QVERIFY(takeWarnings().isEmpty());
    QMetaObject::invokeMethod(page, "slot_myEvent_TargetStartInDoubt", Q_ARG(int, 2));
    QMetaObject::invokeMethod(page, "slot_myEvent_TargetShotsFlagged", Q_ARG(int, 2), Q_ARG(int, 5),
                              Q_ARG(bool, false));
    const auto *band = page->findChild<QListWidget *>(QStringLiteral("lw_laneWords"));
    QStringList lane;
    for (int row = 0; row < band->count(); ++row) {
        if (band->item(row)->text().contains(QStringLiteral("Мишень 2")))
            lane << band->item(row)->text();
    }
    QCOMPARE(lane.size(), 1);
    const QString end = lane.first();
    QVERIFY2(end.startsWith(QStringLiteral("Выстрелы отмечены для перестрела")), qPrintable(end));
    QVERIFY2(!end.contains(QRegularExpression(QStringLiteral("\\(\\d+\\)"))), qPrintable(end));
    QVERIFY(takeWarnings().isEmpty());
}

QTEST_MAIN(TestMainWindowEvent)
#include "tst_mainwindowevent.moc"
