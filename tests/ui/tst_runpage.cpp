// The run page on its own, driven the way the running exercise and the main
// window drive it: its set-up for a relay of the competition module, the
// captions and labels the exercise's calls leave, the shoot-off buttons and
// the sighting marks of the shot table.

#include <QLabel>
#include <QAbstractEventDispatcher>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

#include <memory>

#include "formexecuteevent.h"
#include "runcompetition.h"
#include "tbtndelegate.h"
#include "tmemberplace.h"
#include "tpracticedelegate.h"
#include "tpracticemodul.h"
#include "tseries.h"

namespace {

constexpr int kMatch = TMemberPlace::kMatch;
constexpr int kSeriesShots = 5;
constexpr int kFlaggedFine = 1;

// One call of the exercise on the page: a slot name and its argument(s).
struct Call
{
    const char *slot;
    int value = 0;
    QString text;
};

void callPage(FormExecuteEvent &page, const Call &call)
{
    const QByteArray slot = QByteArray("slot_myEvent_") + call.slot;
    bool called = false;
    if (qstrcmp(call.slot, "TimeChange") == 0) {
        called = QMetaObject::invokeMethod(&page, slot.constData(), Q_ARG(QString, call.text),
                                           Q_ARG(int, call.value));
    } else {
        called = QMetaObject::invokeMethod(&page, slot.constData(), Q_ARG(int, call.value));
    }
    QVERIFY2(called, slot.constData());
}

void callPage(FormExecuteEvent &page, const char *slot, bool value)
{
    const QByteArray name = QByteArray("slot_myEvent_") + slot;
    QVERIFY2(QMetaObject::invokeMethod(&page, name.constData(), Q_ARG(bool, value)),
             name.constData());
}

} // namespace

Q_DECLARE_METATYPE(QList<Call>)

class TestRunPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void competitionSetup_data();
    void competitionSetup();
    void startButtonAndClock_data();
    void startButtonAndClock();
    void modeBand_data();
    void modeBand();
    void aShotRepaintsItsRow();
    void shootOffButtons();
    void shootOffWithoutFlaggedShots();
    void deletedListIsLetGo();
    void practiceSearch();
    void practiceShootOffActsOnThePracticeList();
    void buttonEditors_data();
    void buttonEditors();
    void sightingMarks_data();
    void sightingMarks();

private:
    template <class W>
    W *child(const char *name) const
    {
        W *widget = m_page->findChild<W *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    bool shown(const char *name) const { return !child<QWidget>(name)->isHidden(); }
    // The page over a relay of a new competition, entered as the main window
    // enters it.
    TBulletList *enter(int type, int eventNum = 1);
    // The shoot-off buttons open in the shot table, by the row they report.
    QMap<int, QPushButton *> openButtons() const;

    std::unique_ptr<TestDataDir> m_dir;
    // The practice with its shot list, places on the given targets.
    TBulletList *practice(const QList<int> &targets);
    bool blinking() const
    {
        return !QAbstractEventDispatcher::instance()->registeredTimers(m_page.get()).isEmpty();
    }

    std::unique_ptr<TUserModul> m_modul;
    std::unique_ptr<TPracticeModul> m_practice;
    std::unique_ptr<FormExecuteEvent> m_page;
};

void TestRunPage::init()
{
    m_dir = std::make_unique<TestDataDir>();
    QVERIFY(RunCompetition::install(*m_dir));
    m_modul = std::make_unique<TUserModul>();
    m_practice = std::make_unique<TPracticeModul>();
    QVERIFY(m_practice->reload());
    m_page = std::make_unique<FormExecuteEvent>(m_modul.get(), m_practice.get());
    m_page->resize(1280, 900);
    m_page->show();
}

void TestRunPage::cleanup()
{
    m_page.reset();
    m_practice.reset();
    m_modul.reset();
    m_dir.reset();
}

TBulletList *TestRunPage::enter(int type, int eventNum)
{
    TBulletList *list = RunCompetition::prepare(*m_modul, type, {1, 2, 3}, eventNum);
    if (list) {
        list->setShotColumns(kSeriesShots);
        m_page->setMode(0);
    }
    return list;
}

TBulletList *TestRunPage::practice(const QList<int> &targets)
{
    m_practice->setCurrentEvent(1, 1);
    TBulletList *list = m_practice->getBulletList();
    if (!list)
        return nullptr;
    for (int target : targets)
        list->addPlace(target * 10, target, QStringLiteral("Shooter %1").arg(target));
    list->setShotColumns(kSeriesShots);
    return list;
}

QMap<int, QPushButton *> TestRunPage::openButtons() const
{
    QMap<int, QPushButton *> buttons;
    for (MyButtonWGT *editor : m_page->findChildren<MyButtonWGT *>())
        buttons.insert(editor->row(), editor->findChild<QPushButton *>());
    return buttons;
}

void TestRunPage::competitionSetup_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("eventNum");
    QTest::addColumn<bool>("printShown");
    QTest::addColumn<bool>("typeShown");
    // Print only for the one-position exercise (type ID 1); the competition's
    // type only for an exercise linked to a previous one or a non-final next.
    QTest::newRow("the only exercise") << int(RunCompetition::kRifle) << 1 << true << false;
    QTest::newRow("followed by a final") << int(RunCompetition::kRifleWithFinal) << 1 << true
                                         << false;
    QTest::newRow("precision stage") << int(RunCompetition::kPistol) << 1 << false << true;
    QTest::newRow("rapid-fire stage") << int(RunCompetition::kPistol) << 2 << false << true;
    QTest::newRow("three positions") << int(RunCompetition::kThreePositions) << 1 << false
                                     << false;
}

void TestRunPage::competitionSetup()
{
    QFETCH(int, type);
    QFETCH(int, eventNum);
    QFETCH(bool, printShown);
    QFETCH(bool, typeShown);
    // What an earlier exercise left on the page.
    callPage(*m_page, "BTNStopEnabled", true);
    callPage(*m_page, "BTNBackEnabled", false);
    callPage(*m_page, "BTNNextEnabled", true);
    callPage(*m_page, {"TimeChange", 0, QStringLiteral("12:34")});

    TBulletList *list = enter(type, eventNum);
    QVERIFY(list);
    QCOMPARE(child<QTableView>("tv_bullets")->model(), list);
    QCOMPARE(child<QTableView>("tv_series")->model(), list->series());
    QCOMPARE(shown("l_c"), typeShown);
    QCOMPARE(shown("l_conpetitionType"), typeShown);
    QVERIFY(!shown("label_2"));
    QVERIFY(!shown("label_mode"));
    QCOMPARE(child<QLabel>("l_conpetitionName")->text(), QStringLiteral("Cup"));
    QCOMPARE(child<QLabel>("l_relayNum")->text(), QStringLiteral("1"));
    QCOMPARE(child<QLabel>("l_time")->text(), QStringLiteral("00:00"));
    QVERIFY(shown("pbStart") && child<QPushButton>("pbStart")->isEnabled());
    QCOMPARE(child<QPushButton>("pbStart")->text(), QStringLiteral("START"));
    QVERIFY(!child<QPushButton>("pbStop")->isEnabled());
    QVERIFY(child<QPushButton>("pbBack")->isEnabled());
    QVERIFY(!shown("pBNext") && !child<QPushButton>("pBNext")->isEnabled());
    QCOMPARE(shown("pb_Print"), printShown);
    QVERIFY(!child<QPushButton>("pb_Print")->isEnabled());

    QMetaObject::invokeMethod(m_page.get(), "slot_myEvent_EventFinished");
    QVERIFY(shown("pBNext") && child<QPushButton>("pBNext")->isEnabled());
    QVERIFY(!shown("pbStart"));
    QVERIFY(!child<QPushButton>("pbStop")->isEnabled());
    QCOMPARE(shown("pb_Print"), printShown);
    QVERIFY(child<QPushButton>("pb_Print")->isEnabled());
}

void TestRunPage::startButtonAndClock_data()
{
    QTest::addColumn<QList<Call>>("calls");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("clock");
    const Call start{"BTNStartText", -1, {}};
    const Call match{"BTNStartText", 1, {}};
    const Call underButton{"TimeChange", 1, QStringLiteral("0.0")};
    QTest::newRow("as built") << QList<Call>{} << "SIGHTING"
                              << "TextLabel";
    QTest::newRow("time under the caption") << QList<Call>{start, underButton} << "START\n0.0"
                                            << "TextLabel";
    QTest::newRow("clock time restores the caption")
        << QList<Call>{start, underButton, {"TimeChange", 0, "00:07"}} << "START"
        << "00:07";
    QTest::newRow("aim 2 changes nothing")
        << QList<Call>{start, underButton, {"TimeChange", 2, "9.9"}} << "START\n0.0"
        << "TextLabel";
    QTest::newRow("unknown caption keeps it and drops the time")
        << QList<Call>{match, underButton, {"BTNStartText", 5, {}}} << "MATCH"
        << "TextLabel";
    QTest::newRow("sighting caption") << QList<Call>{match, {"BTNStartText", 0, {}}}
                                      << "SIGHTING"
                                      << "TextLabel";
}

void TestRunPage::startButtonAndClock()
{
    QFETCH(QList<Call>, calls);
    QFETCH(QString, button);
    QFETCH(QString, clock);
    for (const Call &call : calls)
        callPage(*m_page, call);
    QCOMPARE(child<QPushButton>("pbStart")->text(), button);
    QCOMPARE(child<QLabel>("l_time")->text(), clock);
}

void TestRunPage::modeBand_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bandShown");
    // Each call follows "MATCH".
    QTest::newRow("sighting") << 0 << "SIGHTING" << true;
    QTest::newRow("match") << 1 << "MATCH" << true;
    QTest::newRow("empty band") << -1 << "" << true;
    QTest::newRow("hidden band") << -2 << "" << false;
    QTest::newRow("unknown mode changes nothing") << 3 << "MATCH" << true;
}

void TestRunPage::modeBand()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(bool, bandShown);
    QVERIFY(!shown("f_mode")); // hidden as built
    callPage(*m_page, {"ModeText", 1, {}});
    callPage(*m_page, {"ModeText", mode, {}});
    QCOMPARE(child<QLabel>("l_mode")->text(), text);
    QCOMPARE(shown("f_mode"), bandShown);
}

// Records the regions a widget paints.
class PaintRecorder : public QObject
{
public:
    QRegion painted;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return QObject::eventFilter(watched, event);
    }
};

void TestRunPage::aShotRepaintsItsRow()
{
    TBulletList *list = enter(RunCompetition::kRifle);
    QVERIFY(list);
    auto *view = child<QTableView>("tv_bullets");
    QTRY_VERIFY(view->isVisible());
    // A sighting shot keeps the rows in order: its row is painted again,
    // the others are not.
    const int lane = list->placeAtRow(1)->target();
    list->setStageOfTarget(lane, 0);
    PaintRecorder recorder;
    view->viewport()->installEventFilter(&recorder);
    // The change of stage repaints the whole table first.
    QTRY_VERIFY(recorder.painted.contains(view->viewport()->rect()));
    recorder.painted = QRegion();
    QVERIFY(list->addShotFromTarget(list->memberIdOfTarget(lane), 1, 0, 25, 1, 30, 0));
    const QRect shotCell = view->visualRect(list->index(1, list->lastColumn() - kSeriesShots));
    QTRY_VERIFY(recorder.painted.contains(shotCell));
    QVERIFY(!recorder.painted.intersects(view->visualRect(list->index(0, 0))));
    QVERIFY(!recorder.painted.intersects(view->visualRect(list->index(2, 0))));
}

void TestRunPage::shootOffButtons()
{
    TBulletList *list = enter(RunCompetition::kPistol);
    QVERIFY(list);
    // A match series: lanes 1 and 2 fire it, lane 3 two shots and three
    // misses flagged for re-shooting.
    for (int lane : {1, 2, 3}) {
        list->setStageOfTarget(lane, kMatch);
        const int memberID = list->memberIdOfTarget(lane);
        const int fired = lane == 3 ? 2 : kSeriesShots;
        for (int n = 1; n <= fired; ++n)
            QVERIFY(list->addShotFromTarget(memberID, n, 100 * lane, 50, 1, 30, 0));
        list->addMisses(memberID, kSeriesShots - fired, kFlaggedFine);
    }
    QSignalSpy starts(m_page.get(), &FormExecuteEvent::sig_startEvent);
    callPage(*m_page, "DelegateView", true);
    QMap<int, QPushButton *> buttons = openButtons();
    QCOMPARE(buttons.size(), 3);
    const int rowOfLane3 = list->placeByTarget(3) == list->placeAtRow(2) ? 2 : -1;
    QCOMPARE(rowOfLane3, 2); // the lowest total is the last row
    QVERIFY(!buttons.value(0)->isEnabled() && !buttons.value(1)->isEnabled());
    QVERIFY(buttons.value(2)->isEnabled());

    // The rows move before the click: lane 3 takes the lead.
    list->deleteShotsOfMember(list->memberIdOfTarget(1));
    list->deleteShotsOfMember(list->memberIdOfTarget(2));
    QVERIFY(list->placeAtRow(0)->target() == 3);
    QTest::mouseClick(buttons.value(2), Qt::LeftButton);
    QCOMPARE(starts.count(), 1);
    QCOMPARE(starts.at(0), (QVariantList{3, 3}));
    QTest::mouseClick(buttons.value(0), Qt::LeftButton); // disabled
    QCOMPARE(starts.count(), 1);

    const int sumColumn = list->lastColumn();
    QVERIFY(child<QTableView>("tv_bullets")->itemDelegateForColumn(sumColumn));
    callPage(*m_page, "DelegateView", false);
    QVERIFY(!child<QTableView>("tv_bullets")->itemDelegateForColumn(sumColumn));
    QTRY_VERIFY(m_page->findChildren<MyButtonWGT *>().isEmpty());
    callPage(*m_page, "DelegateView", false); // nothing left to close
}

void TestRunPage::shootOffWithoutFlaggedShots()
{
    TBulletList *list = enter(RunCompetition::kPistol);
    QVERIFY(list);
    QSignalSpy starts(m_page.get(), &FormExecuteEvent::sig_startEvent);
    callPage(*m_page, "DelegateView", true);
    const QMap<int, QPushButton *> buttons = openButtons();
    QCOMPARE(buttons.size(), 3);
    for (QPushButton *button : buttons)
        QVERIFY(!button->isEnabled());
    QMetaObject::invokeMethod(m_page.get(), "delegatClicked", Q_ARG(int, 0));
    QCOMPARE(starts.count(), 0);
}

void TestRunPage::deletedListIsLetGo()
{
    TBulletList *list = enter(RunCompetition::kPistol);
    QVERIFY(list);
    const int competitionID = m_modul->currentCompetition()->id();
    callPage(*m_page, "DelegateView", true);
    QPointer<TBulletList> old = list;

    // Opening the competition again builds its shot lists anew.
    m_modul->openCompetition(competitionID, true);
    QVERIFY(old.isNull());
    QSignalSpy starts(m_page.get(), &FormExecuteEvent::sig_startEvent);
    callPage(*m_page, "DelegateView", true);
    QMetaObject::invokeMethod(m_page.get(), "delegatClicked", Q_ARG(int, 2));
    callPage(*m_page, "DelegateView", false);
    QCOMPARE(starts.count(), 0);
    child<QTableView>("tv_bullets")->grab(); // paints without the old list

    // The next set-up takes the module's new list.
    int errorInfo = -1, relayInfo = -1;
    QVERIFY(m_modul->firstUnfinishedRelay(&errorInfo, &relayInfo));
    m_page->setMode(0);
    TBulletList *fresh = m_modul->bulletList(m_modul->runRelayEvent()->id());
    QVERIFY(fresh);
    QCOMPARE(child<QTableView>("tv_bullets")->model(), fresh);
    // Unwiring the exercise lets go of it until the next set-up.
    m_page->dropShotList();
    QVERIFY(!qobject_cast<TBulletList *>(child<QTableView>("tv_bullets")->model()));
    QVERIFY(!qobject_cast<TSeries *>(child<QTableView>("tv_series")->model()));
}

void TestRunPage::practiceSearch()
{
    TBulletList *list = practice({4, 5});
    QVERIFY(list);
    auto *search = child<QLabel>("label_mode");
    auto *start = child<QPushButton>("pbStart");
    const QString fullRed = QStringLiteral("color: rgba(170, 0, 0, 255)");

    // No converter yet: the converter search blinks and START waits.
    m_page->setMode(1);
    QCOMPARE(child<QLabel>("l_conpetitionName")->text(), m_practice->getCurrentEvent()->nameEng());
    QCOMPARE(child<QTableView>("tv_bullets")->model(), list);
    QVERIFY(shown("label_mode") && !shown("frame_Comp_name1") && !shown("pb_Print"));
    QCOMPARE(search->text(), QStringLiteral("Поиск конвертора"));
    QVERIFY(!start->isEnabled());
    QTRY_VERIFY(search->styleSheet() != fullRed);
    // Back stops the blink; entering again blinks from full colour.
    QSignalSpy back(m_page.get(), &FormExecuteEvent::sig_Back);
    QTest::mouseClick(child<QPushButton>("pbBack"), Qt::LeftButton);
    QCOMPARE(back.count(), 1);
    QVERIFY(!blinking());
    m_page->setMode(1);
    QCOMPARE(search->styleSheet(), fullRed);
    QVERIFY(blinking());

    // Two converters: the target search.
    m_page->setNetState(2);
    QCOMPARE(search->text(), QStringLiteral("Поиск мишеней"));
    QCOMPARE(child<QLabel>("l_colKommut")->text(), QStringLiteral("2"));
    for (int target : {4, 5}) {
        list->setTargetFound(target, true);
        m_page->checkTargets();
        QCOMPARE(search->text(), QStringLiteral("Поиск мишеней")); // terminals still silent
        QVERIFY(!start->isEnabled());
    }
    for (int target : {4, 5}) {
        list->setPCFound(target, true);
        m_page->checkTargets();
    }
    QCOMPARE(search->text(), QStringLiteral("Мишени найдены"));
    QCOMPARE(search->styleSheet(), QStringLiteral("color: rgba(0, 85, 0, 255)"));
    QVERIFY(start->isEnabled() && !blinking());

    // A converter lost afterwards shows on the net indicator only.
    m_page->setNetState(0);
    QCOMPARE(child<QLabel>("l_colKommut")->text(), QString());
    QCOMPARE(search->text(), QStringLiteral("Мишени найдены"));
    QVERIFY(start->isEnabled() && !blinking());

    // A converter found while the search is not shown: the next practice
    // starts with the target search.
    m_page->setNetState(1);
    m_page->setMode(1);
    QCOMPARE(search->text(), QStringLiteral("Поиск мишеней"));
    QVERIFY(!start->isEnabled() && blinking());
}

void TestRunPage::practiceShootOffActsOnThePracticeList()
{
    // A competition is open with its own relay on lanes 1 to 3 while a
    // practice runs on targets 4 and 5.
    QVERIFY(RunCompetition::prepare(*m_modul, RunCompetition::kPistol, {1, 2, 3}));
    TBulletList *list = practice({4, 5});
    QVERIFY(list);
    list->setStageOfTarget(5, kMatch);
    for (int n = 1; n <= 3; ++n)
        QVERIFY(list->addShotFromTarget(50, n, 0, 25, 1, 30, 0));
    list->addMisses(50, 2, kFlaggedFine);
    m_page->setMode(1);

    QSignalSpy starts(m_page.get(), &FormExecuteEvent::sig_startEvent);
    callPage(*m_page, "DelegateView", true);
    const QMap<int, QPushButton *> buttons = openButtons();
    QCOMPARE(buttons.size(), 2);
    const int row = list->placeAtRow(0)->target() == 5 ? 0 : 1;
    QVERIFY(buttons.value(row)->isEnabled() && !buttons.value(1 - row)->isEnabled());
    QTest::mouseClick(buttons.value(row), Qt::LeftButton);
    QCOMPARE(starts.count(), 1);
    QCOMPARE(starts.at(0), (QVariantList{5, 2}));
}

void TestRunPage::buttonEditors_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("enable");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("enabled row") << 3 << QList<int>{1} << 1 << true;
    QTest::newRow("row left disabled") << 3 << QList<int>{1} << 0 << false;
    QTest::newRow("row beyond the flags") << 2 << QList<int>{0, 1} << 4 << false;
    QTest::newRow("no rows") << 0 << QList<int>{0} << 0 << false;
    QTest::newRow("enabling at the count") << 2 << QList<int>{2} << 2 << false;
}

void TestRunPage::buttonEditors()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, enable);
    QFETCH(int, row);
    QFETCH(bool, enabled);
    QStandardItemModel model(5, 2);
    QWidget parent;
    parent.show();
    TbtnDelegate delegate(rows);
    for (int r : enable)
        delegate.setRowEnabled(r);
    QSignalSpy clicks(&delegate, &TbtnDelegate::sig_btnClicked);
    std::unique_ptr<QWidget> editor(
        delegate.createEditor(&parent, QStyleOptionViewItem(), model.index(row, 1)));
    auto *button = editor->findChild<QPushButton *>();
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("перестрелка"));
    QCOMPARE(button->isEnabled(), enabled);
    editor->show();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks.count(), enabled ? 1 : 0);
    if (enabled)
        QCOMPARE(clicks.at(0).at(0).toInt(), row);

    delegate.disableAllRows();
    std::unique_ptr<QWidget> later(
        delegate.createEditor(&parent, QStyleOptionViewItem(), model.index(row, 1)));
    QVERIFY(!later->findChild<QPushButton *>()->isEnabled());
}

void TestRunPage::sightingMarks_data()
{
    // Cell contents: role 265 (none, 0 sighting, 1 match), display text
    // (none, empty or a value) and decoration; and whether the cell must look
    // exactly as the plain item delegate paints it or carry the mark.
    QTest::addColumn<QVariant>("stage");
    QTest::addColumn<QVariant>("text");
    QTest::addColumn<bool>("decorated");
    QTest::addColumn<bool>("markShown");
    QTest::addColumn<bool>("plain");
    const QVariant none;
    QTest::newRow("match shot") << QVariant(1) << QVariant("9.8") << true << true << true;
    QTest::newRow("name cell") << none << QVariant("Family1 Name1") << false << true << true;
    QTest::newRow("sighting shot") << QVariant(0) << QVariant("9.8") << true << true << false;
    QTest::newRow("sighting, empty text") << QVariant(0) << QVariant(QString("")) << false
                                          << true << false;
    QTest::newRow("sighting, no text") << QVariant(0) << none << false << true << true;
    QTest::newRow("sighting, mark missing") << QVariant(0) << QVariant("9.8") << false << false
                                            << false;
}

void TestRunPage::sightingMarks()
{
    QFETCH(QVariant, stage);
    QFETCH(QVariant, text);
    QFETCH(bool, decorated);
    QFETCH(bool, markShown);
    QFETCH(bool, plain);
    QTemporaryDir dir;
    const QString markPath = dir.filePath(QStringLiteral("mark.png"));
    QImage mark(6, 6, QImage::Format_ARGB32);
    mark.fill(Qt::red);
    QVERIFY(mark.save(markPath));

    QStandardItemModel model(1, 1);
    QStandardItem *item = new QStandardItem;
    if (stage.isValid())
        item->setData(stage, TBulletList::BulletPracticeRole);
    if (text.isValid())
        item->setData(text, Qt::DisplayRole);
    if (decorated) {
        QImage arrow(8, 8, QImage::Format_ARGB32);
        arrow.fill(Qt::blue);
        item->setData(arrow, Qt::DecorationRole);
    }
    model.setItem(0, 0, item);

    const QRect cell(0, 0, 80, 30);
    const auto paint = [&](const QAbstractItemDelegate &delegate) {
        QImage image(cell.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = cell;
        option.state = QStyle::State_Enabled;
        delegate.paint(&painter, option, model.index(0, 0));
        return image;
    };
    const QImage marked =
        paint(TPracticeDelegate(markShown ? markPath : dir.filePath("none.png"), nullptr));
    const QImage base = paint(QItemDelegate());
    QCOMPARE(marked == base, plain);
    const QColor corner = marked.pixelColor(cell.right() - 1, cell.top() + 1);
    QCOMPARE(corner == QColor(Qt::red), !plain && markShown);
    if (decorated && !plain) // the arrow, vertically centred, 5 pixels in
        QCOMPARE(marked.pixelColor(5, (30 - 8) / 2), QColor(Qt::blue));
}

QTEST_MAIN(TestRunPage)
#include "tst_runpage.moc"
