// The running exercise on the real main window: one exercise object at a
// time, wired between the bus master and the run page and unwired with its
// shot list let go, and the line's targets registered with the bus master.

#include <QApplication>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QtTest>

#include "celltexts.h"
#include "eventwiring.h"
#include "mainwindowtest.h"
#include "myevent.h"
#include "runcompetition.h"
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
    // shots (and a final), with fewer series to share the width.
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
    const int matchShots = type == RunCompetition::kRifle ? 60 : 40;
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
        + (matchShots == 40 ? "-40-shots" : "");
    sight(QStringLiteral("sighting-") + shown);
    // Every lane's whole match of the highest values: the widest sums and
    // totals there can be.
    list->setStageAll(MyEvent::StageMatch);
    for (int lane = 1; lane <= lanes; ++lane) {
        for (int n = 1; n <= matchShots; ++n)
            QVERIFY(list->addShotFromTarget(list->memberIdOfTarget(lane), n, 0, 0, 1, 10, 0));
    }
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

QTEST_MAIN(TestMainWindowEvent)
#include "tst_mainwindowevent.moc"
