// The run page on its own, driven the way the running exercise and the main
// window drive it: its set-up for a relay of the competition module, what
// the exercise's calls leave on it, the shoot-off buttons, the practice
// search and the sighting marks of the shot table.

#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

#include <memory>

#include "formexecuteevent.h"
#include "runcompetition.h"
#include "runpagelook.h"
#include "tbtndelegate.h"
#include "tmemberplace.h"
#include "tpracticedelegate.h"
#include "tpracticemodul.h"
#include "tseries.h"
#include "warnings.h"

namespace {

constexpr int kSeriesShots = 5;
constexpr int kFlaggedFine = 1;

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

} // namespace

class TestRunPage : public QObject, public RunPageLook
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void competitionSetup_data();
    void competitionSetup();
    void exerciseCalls_data();
    void exerciseCalls();
    void laneWords_data();
    void laneWords();
    void aShotRepaintsItsRow();
    void shootOffButtons();
    void deletedListIsLetGo();
    void practiceSearch();
    void practiceShootOffActsOnThePracticeList();
    void sightingMarks_data();
    void sightingMarks();

private:
    // One call of the exercise: "Slot", "Slot:2:true" (ints and bools),
    // "TimeChange:text:aim".
    void call(const QString &entry);
    // The page over the run relay (lanes 1 to 3) of a new competition.
    TBulletList *enter(int type, int eventNum = 1);
    // The practice of 10 rifle shots with places on these targets.
    TBulletList *practice(const QList<int> &targets);
    // A match series of the pistol: `fired` shots, then misses flagged for
    // a shoot-off.
    void series(TBulletList *list, int lane, int fired);
    // The open shoot-off buttons by the row they report.
    QMap<int, QPushButton *> openButtons() const;
    bool blinking() const
    {
        return !QAbstractEventDispatcher::instance()->registeredTimers(m_page.get()).isEmpty();
    }

    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TUserModul> m_modul;
    std::unique_ptr<TPracticeModul> m_practice;
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

void TestRunPage::call(const QString &entry)
{
    const QStringList parts = entry.split(QLatin1Char(':'));
    const QByteArray slot = "slot_myEvent_" + parts.first().toLatin1();
    const QString argument = parts.value(1);
    bool called = false;
    if (parts.size() == 1)
        called = QMetaObject::invokeMethod(m_page.get(), slot);
    else if (parts.first() == QLatin1String("TimeChange"))
        called = QMetaObject::invokeMethod(m_page.get(), slot, Q_ARG(QString, argument),
                                           Q_ARG(int, parts.value(2).toInt()));
    else {
        // Each argument an int, or a bool where it reads so.
        QVariantList values;
        for (const QString &part : parts.mid(1))
            values << (part == QLatin1String("true") || part == QLatin1String("false")
                           ? QVariant(part == QLatin1String("true"))
                           : QVariant(part.toInt()));
        QGenericArgument arguments[3];
        for (int i = 0; i < values.size() && i < 3; ++i)
            arguments[i] = QGenericArgument(values.at(i).typeName(), values.at(i).constData());
        called = values.size() <= 3
            && QMetaObject::invokeMethod(m_page.get(), slot, arguments[0], arguments[1], arguments[2]);
    }
    QVERIFY2(called, slot.constData());
}

TBulletList *TestRunPage::enter(int type, int eventNum)
{
    TBulletList *list = RunCompetition::prepare(*m_modul, type, 3, eventNum);
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
    for (int target : targets)
        list->addPlace(target * 10, target, QStringLiteral("Shooter %1").arg(target));
    list->setShotColumns(kSeriesShots);
    return list;
}

void TestRunPage::series(TBulletList *list, int lane, int fired)
{
    list->setStageOfTarget(lane, TMemberPlace::kMatch);
    const int memberID = list->memberIdOfTarget(lane);
    for (int n = 1; n <= fired; ++n)
        QVERIFY(list->addShotFromTarget(memberID, n, 100 * lane, 50, 1, 30, 0));
    list->addMisses(memberID, kSeriesShots - fired, kFlaggedFine);
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
    for (const char *entry : {"BTNStopEnabled:true", "BTNBackEnabled:false", "EventFinished",
                             "TimeChange:12.3:0"})
        call(QLatin1String(entry));

    TBulletList *list = enter(type, eventNum);
    QVERIFY(list);
    QCOMPARE(child<QTableView>("tv_bullets")->model(), list);
    QCOMPARE(child<QTableView>("tv_series")->model(), list->series());
    QCOMPARE(shown("l_c") && shown("l_conpetitionType"), typeShown);
    QVERIFY(!shown("label_2") && !shown("label_mode"));
    QCOMPARE(text("l_relayNum"), QStringLiteral("1"));
    QCOMPARE(text("l_time"), QStringLiteral("00:00"));
    QVERIFY(shown("pbStart") && child("pbStart")->isEnabled() && child("pbBack")->isEnabled());
    QCOMPARE(child<QPushButton>("pbStart")->text(), QStringLiteral("START"));
    QVERIFY(!child("pbStop")->isEnabled() && !shown("pBNext"));
    QCOMPARE(shown("pb_Print"), printShown);
    QVERIFY(!child("pb_Print")->isEnabled());
}

void TestRunPage::exerciseCalls_data()
{
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<QString>("mode"); // "hidden" when the mode band is
    QTest::newRow("as built") << QStringList() << "SIGHTING"
                              << "TextLabel"
                              << "hidden";
    QTest::newRow("a time under the caption")
        << QStringList{"BTNStartText:-1", "TimeChange:0.0:1"} << "START\n0.0"
        << "TextLabel"
        << "hidden";
    QTest::newRow("the clock restores the caption")
        << QStringList{"BTNStartText:-1", "TimeChange:0.0:1", "TimeChange:00.7:0"} << "START"
        << "00.7"
        << "hidden";
    QTest::newRow("aim 2 changes nothing")
        << QStringList{"BTNStartText:-1", "TimeChange:0.0:1", "TimeChange:9.9:2"} << "START\n0.0"
        << "TextLabel"
        << "hidden";
    QTest::newRow("unknown caption: kept, the time dropped")
        << QStringList{"BTNStartText:1", "TimeChange:3:1", "BTNStartText:5"} << "MATCH"
        << "TextLabel"
        << "hidden";
    QTest::newRow("match") << QStringList{"ModeText:1"} << "SIGHTING"
                           << "TextLabel"
                           << "MATCH";
    QTest::newRow("empty mode, band kept") << QStringList{"ModeText:1", "ModeText:-1"}
                                           << "SIGHTING"
                                           << "TextLabel"
                                           << "";
    QTest::newRow("band hidden") << QStringList{"ModeText:1", "ModeText:-2"} << "SIGHTING"
                                 << "TextLabel"
                                 << "hidden";
    QTest::newRow("unknown mode changes nothing") << QStringList{"ModeText:0", "ModeText:3"}
                                                  << "SIGHTING"
                                                  << "TextLabel"
                                                  << "SIGHTING";
}

void TestRunPage::exerciseCalls()
{
    QFETCH(QStringList, calls);
    QFETCH(QString, button);
    QFETCH(QString, clock);
    QFETCH(QString, mode);
    for (const QString &entry : calls)
        call(entry);
    QCOMPARE(child<QPushButton>("pbStart")->text(), button);
    QCOMPARE(text("l_time"), clock);
    QCOMPARE(shown("f_mode") ? text("l_mode") : QStringLiteral("hidden"), mode);
}

void TestRunPage::laneWords_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("cannotTell");
    QTest::addColumn<QString>("never"); // what the word must not say
    // What makes the word untrue: nothing (a lane that has had no START
    // holds nothing and missed none), its next START, its flagged shots shot again.
    QTest::addColumn<QString>("untrueBy");
    // Held shots of a lane that may well have taken every START (shots just
    // like the earlier page's): no "not started" in the title. A shot held
    // after the next START is that START's to tell of.
    QTest::newRow("held") << "TargetShotsHeld:2" << "Выстрелы задержаны!" << true << QString() << "start";
    // What was read, not what the target did (an answer lost, a shot not read yet).
    // Its own title: not the words of a target silent for seconds.
    QTest::newRow("silent around the START") << "TargetStartInDoubt:2" << "Ответ на СТАРТ не получен!"
                                             << true << "не отвечала" << QString();
    // Nothing but repeats: no "cannot tell" of shots that are not new.
    QTest::newRow("no new shot") << "TargetNoNewShots:2" << "Нет новых выстрелов!" << false
                                 << "от неё нет" << QString();
    // Its earlier shots may still be put to the operator: not told they
    // were not counted, only that those before the START are not.
    QTest::newRow("did not take the START") << "TargetNotStarted:2:false" << "Мишень не запущена!"
                                            << false << "прежн" << QString();
    // Its sighting time ran out: it passes no more shots, so the relay
    // does not wait for them.
    QTest::newRow("takes no shot") << "TargetNotStarted:2:true" << "Мишень не запущена!" << false
                                   << "передаст все выстрелы" << QString();
    // A page lost is read in its answers: the target may not have been
    // switched off.
    QTest::newRow("page lost") << "TargetPageLost:2:0" << "Мишень выключалась!" << false
                               << "(её выключали)" << "start";
    // Only repeats read in a series: new shots may be on the target unread.
    QTest::newRow("repeats flagged") << "TargetShotsFlagged:2:3:true"
                                     << "Выстрелы отмечены для перестрела" << false << "не передала"
                                     << "reshoot";
}

void TestRunPage::laneWords()
{
    QFETCH(QString, entry);
    QFETCH(QString, title);
    QFETCH(bool, cannotTell);
    QFETCH(QString, untrueBy);
    TBulletList *list = enter(RunCompetition::kPistol);
    QVERIFY(list);
    LaneStart &lane = list->placeByTarget(2)->laneStart();
    if (untrueBy == QLatin1String("reshoot"))
        series(list, 2, 2);
    // A shot the database refused is held until it is stored.
    if (entry.startsWith(QLatin1String("TargetShotsHeld"))) {
        lane.answer({1, QPoint(100, 50), 30, 1}, 1100);
        lane.refused(1);
    }
    Warnings::setTestMode(true);
    const auto boxesBack = qScopeGuard([] { Warnings::setTestMode(false); });
    Warnings::clear();
    // A line in the page's band, under its title, not a box over the page.
    call(entry);
    const auto *band = child<QListWidget>("lw_laneWords");
    QVERIFY(band && band->isVisible());
    QCOMPARE(band->count(), 1);
    const QString line = band->item(0)->text();
    QVERIFY2(line.startsWith(title), qPrintable(line));
    QVERIFY(line.contains(QStringLiteral("мишен")));
    QCOMPARE(line.contains(QStringLiteral("нельзя узнать")), cannotTell);
    QFETCH(QString, never);
    QVERIFY2(never.isEmpty() || !line.contains(never), qPrintable(line));
    // Withdrawn once the lane's shot list says otherwise; never a box.
    if (untrueBy == QLatin1String("start")) {
        lane.beginPage(5000);
        if (entry.startsWith(QLatin1String("TargetShotsHeld"))) {
            lane.answer({1, QPoint(100, 50), 10, 1}, 6100);
            lane.refused(1);
        }
        QVERIFY(lane.holdsShots() == entry.startsWith(QLatin1String("TargetShotsHeld")));
        list->showHeld(2);
    } else if (untrueBy == QLatin1String("reshoot")) {
        list->purgeFlaggedShots(2);
    }
    QTRY_VERIFY(band->isHidden());
    QVERIFY(Warnings::shown().isEmpty());
}

void TestRunPage::aShotRepaintsItsRow()
{
    TBulletList *list = enter(RunCompetition::kRifle);
    QVERIFY(list);
    auto *view = child<QTableView>("tv_bullets");
    const int lane = list->placeAtRow(1)->target();
    list->setStageOfTarget(lane, TMemberPlace::kSighting);
    PaintRecorder recorder;
    view->viewport()->installEventFilter(&recorder);
    // The change of stage repaints the whole table first.
    QTRY_VERIFY(recorder.painted.contains(view->viewport()->rect()));
    recorder.painted = QRegion();
    // A sighting shot keeps the rows in order: its row is painted again, no
    // other.
    QVERIFY(list->addShotFromTarget(list->memberIdOfTarget(lane), 1, 0, 25, 1, 30, 0));
    QTRY_VERIFY(recorder.painted.contains(view->visualRect(list->index(1, 4))));
    QVERIFY(!recorder.painted.intersects(view->visualRect(list->index(0, 0))));
    QVERIFY(!recorder.painted.intersects(view->visualRect(list->index(2, 0))));
}

void TestRunPage::shootOffButtons()
{
    TBulletList *list = enter(RunCompetition::kPistol);
    QVERIFY(list);
    QSignalSpy starts(m_page.get(), &FormExecuteEvent::sig_startEvent);
    // Nobody has flagged shots: a disabled button on every row.
    call(QStringLiteral("DelegateView:true"));
    QCOMPARE(openButtons().size(), 3);
    for (QPushButton *button : openButtons())
        QVERIFY(!button->isEnabled());
    QMetaObject::invokeMethod(m_page.get(), "delegatClicked", Q_ARG(int, 0));

    // Lane 3 fires two shots of the series, three are flagged misses; it is
    // the last row. Asked again, the buttons follow the flags.
    series(list, 1, kSeriesShots);
    series(list, 2, kSeriesShots);
    series(list, 3, 2);
    QCOMPARE(list->placeAtRow(2)->target(), 3);
    call(QStringLiteral("DelegateView:true"));
    QTRY_COMPARE(m_page->findChildren<MyButtonWGT *>().size(), 3);
    const QMap<int, QPushButton *> buttons = openButtons();
    QVERIFY(!buttons.value(0)->isEnabled() && !buttons.value(1)->isEnabled());
    QVERIFY(buttons.value(2)->isEnabled());

    // The rows move before the click, lane 3 to the top: its button still
    // starts lane 3's shoot-off of its three flagged shots.
    list->deleteShotsOfMember(list->memberIdOfTarget(1));
    list->deleteShotsOfMember(list->memberIdOfTarget(2));
    QCOMPARE(list->placeAtRow(0)->target(), 3);
    QTest::mouseClick(buttons.value(2), Qt::LeftButton);
    QTest::mouseClick(buttons.value(0), Qt::LeftButton);
    QCOMPARE(starts.count(), 1);
    QCOMPARE(starts.at(0), (QVariantList{3, 3}));

    auto *view = child<QTableView>("tv_bullets");
    QVERIFY(view->itemDelegateForColumn(list->lastColumn()));
    call(QStringLiteral("DelegateView:false"));
    QVERIFY(!view->itemDelegateForColumn(list->lastColumn()));
    QTRY_VERIFY(m_page->findChildren<MyButtonWGT *>().isEmpty());
    call(QStringLiteral("DelegateView:false")); // nothing left to close
}

void TestRunPage::deletedListIsLetGo()
{
    QPointer<TBulletList> old = enter(RunCompetition::kPistol);
    QVERIFY(old);
    series(old, 3, 2);
    call(QStringLiteral("DelegateView:true"));

    // Opening the competition again builds its shot lists anew: the page
    // neither paints nor acts on the old one.
    m_modul->openCompetition(m_modul->currentCompetition()->id(), true);
    QVERIFY(old.isNull());
    QSignalSpy starts(m_page.get(), &FormExecuteEvent::sig_startEvent);
    call(QStringLiteral("DelegateView:true"));
    QMetaObject::invokeMethod(m_page.get(), "delegatClicked", Q_ARG(int, 2));
    call(QStringLiteral("DelegateView:false"));
    QCOMPARE(starts.count(), 0);
    m_page->grab();

    // The next set-up takes the new list; unwiring lets it go again.
    int errorInfo = -1, relayInfo = -1;
    QVERIFY(m_modul->firstUnfinishedRelay(&errorInfo, &relayInfo));
    m_page->setMode(0);
    QCOMPARE(child<QTableView>("tv_bullets")->model(),
             m_modul->bulletList(m_modul->runRelayEvent()->id()));
    m_page->dropShotList();
    QVERIFY(!qobject_cast<TBulletList *>(child<QTableView>("tv_bullets")->model()));
    QVERIFY(!qobject_cast<TSeries *>(child<QTableView>("tv_series")->model()));
}

void TestRunPage::practiceSearch()
{
    TBulletList *list = practice({4, 5});
    auto *start = child("pbStart");
    const QString fullRed = QStringLiteral("color: rgba(170, 0, 0, 255)");

    // No converter yet: the converter search blinks and START waits.
    m_page->setMode(1);
    QCOMPARE(text("l_conpetitionName"), m_practice->getCurrentEvent()->nameEng());
    QCOMPARE(child<QTableView>("tv_bullets")->model(), list);
    QVERIFY(shown("label_mode") && !shown("frame_Comp_name1") && !shown("pb_Print"));
    QCOMPARE(text("label_mode"), QStringLiteral("Поиск конвертора"));
    QVERIFY(!start->isEnabled());
    QTRY_VERIFY(child("label_mode")->styleSheet() != fullRed);
    // Back stops the blink; entering again blinks from full colour.
    QSignalSpy back(m_page.get(), &FormExecuteEvent::sig_Back);
    QTest::mouseClick(child<QPushButton>("pbBack"), Qt::LeftButton);
    QCOMPARE(back.count(), 1);
    QVERIFY(!blinking());
    m_page->setMode(1);
    QCOMPARE(child("label_mode")->styleSheet(), fullRed);
    QVERIFY(blinking());

    // Two converters: the target search, until every target and terminal
    // has answered.
    m_page->setNetState(2);
    QCOMPARE(text("label_mode"), QStringLiteral("Поиск мишеней"));
    QCOMPARE(text("l_colKommut"), QStringLiteral("2"));
    for (int target : {4, 5}) {
        list->setTargetFound(target, true);
        m_page->checkTargets();
    }
    list->setPCFound(4, true);
    m_page->checkTargets();
    QVERIFY(!start->isEnabled() && blinking());
    list->setPCFound(5, true);
    m_page->checkTargets();
    QCOMPARE(text("label_mode"), QStringLiteral("Мишени найдены"));
    QCOMPARE(child("label_mode")->styleSheet(), QStringLiteral("color: rgba(0, 85, 0, 255)"));
    QVERIFY(start->isEnabled() && !blinking());

    // A converter lost afterwards shows on the net indicator only.
    m_page->setNetState(0);
    QCOMPARE(text("l_colKommut"), QString());
    QCOMPARE(text("label_mode"), QStringLiteral("Мишени найдены"));
    QVERIFY(start->isEnabled() && !blinking());
    // One found again while the search is not shown: the next practice
    // starts with the target search.
    m_page->setNetState(1);
    m_page->setMode(1);
    QCOMPARE(text("label_mode"), QStringLiteral("Поиск мишеней"));
    QVERIFY(!start->isEnabled() && blinking());
}

void TestRunPage::practiceShootOffActsOnThePracticeList()
{
    // A competition's relay stands on lanes 1 to 3 while a practice runs on
    // targets 4 and 5.
    QVERIFY(RunCompetition::prepare(*m_modul, RunCompetition::kPistol, 3));
    TBulletList *list = practice({4, 5});
    series(list, 5, 3);
    m_page->setMode(1);

    QSignalSpy starts(m_page.get(), &FormExecuteEvent::sig_startEvent);
    call(QStringLiteral("DelegateView:true"));
    const QMap<int, QPushButton *> buttons = openButtons();
    QCOMPARE(buttons.size(), 2);
    const int row = list->placeAtRow(0)->target() == 5 ? 0 : 1;
    QVERIFY(buttons.value(row)->isEnabled() && !buttons.value(1 - row)->isEnabled());
    QTest::mouseClick(buttons.value(row), Qt::LeftButton);
    QCOMPARE(starts.count(), 1);
    QCOMPARE(starts.at(0), (QVariantList{5, 2}));
}

void TestRunPage::sightingMarks_data()
{
    // Cell contents: role 265 (none, 0 sighting, 1 match), display text
    // (none, empty or a value) and a decoration; whether the mark file is
    // there; whether the cell looks exactly as the plain item delegate
    // paints it.
    QTest::addColumn<QVariant>("stage");
    QTest::addColumn<QVariant>("text");
    QTest::addColumn<bool>("decorated");
    QTest::addColumn<bool>("markThere");
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
    QFETCH(bool, markThere);
    QFETCH(bool, plain);
    QTemporaryDir dir;
    const QString markPath = dir.filePath(QStringLiteral("mark.png"));
    QImage mark(6, 6, QImage::Format_ARGB32);
    mark.fill(Qt::red);
    QVERIFY(mark.save(markPath));

    QStandardItemModel model(1, 1);
    auto *item = new QStandardItem;
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
    const QImage marked = paint(TPracticeDelegate(markThere ? markPath : dir.filePath("no.png"),
                                                  nullptr));
    QCOMPARE(marked == paint(QItemDelegate()), plain);
    QCOMPARE(marked.pixelColor(cell.right() - 1, 1) == QColor(Qt::red), !plain && markThere);
    if (decorated && !plain) // the arrow, vertically centred, 5 pixels in
        QCOMPARE(marked.pixelColor(5, (30 - 8) / 2), QColor(Qt::blue));
}

QTEST_MAIN(TestRunPage)
#include "tst_runpage.moc"
