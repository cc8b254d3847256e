// A practice as the operator runs it on the program's window against the
// range simulator: shooters created and put on targets in the practice
// dialogs, the participants checked on the set-up page, a rifle exercise run
// on the line with the exercise clock advanced by hand, its result on the
// exercise total page, and a new practice. Practice shots are never stored.

#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include "exerciseclock.h"
#include "roadtest.h"
#include "myevent.h"
#include "shootersdb.h"
#include "simulatorthread.h"
#include "tbullet.h"
#include "tbulletlist.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tmemberspractice.h"
#include "tmemberspracticeused.h"
#include "tpracticemodul.h"
#include "tseries.h"
#include "tshooter.h"
#include "ttargettype.h"

namespace {

using Registration = QList<QVariant>;

Registration registration(int target, const QString &family, const QString &name, int code)
{
    return {target, target, family, name, code};
}

constexpr int kRifleShots = 10; // the first practice exercise: 10 m air rifle, 10 shots
constexpr int kFace = 8;        // its target face, calibre and control value
constexpr int kCalibre = 450;
constexpr double kControlValue = 10.2;
constexpr qint64 kSightingMs = 900 * 1000;
// A start within this time of the last one is taken by the targets for a copy of it.
constexpr qint64 kStartCopyWindowMs = 150;

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 00:00:00"));
}

} // namespace

class TestPractice : public RoadTest
{
    Q_OBJECT

private slots:
    void practiceRoad();
    void searchLeftBehindHoldsNoMatch();

private:
    void createShooters();
    // The roster IDs of the shooters selected in the practice shooter list.
    QList<int> selectedShooters() const
    {
        QList<int> ids;
        const auto *list = widget<QAbstractItemView>("lwShooters");
        for (const QModelIndex &index : list->selectionModel()->selectedIndexes())
            ids << index.data(TMembersPractice::Id1Role).toInt();
        return ids;
    }
    void putShootersOnTargets();
    void checkRoster();
    // Presses START once the exercise offers it and waits for the mode it starts.
    void start(const QString &mode);
    // Every lane fires its shots; the shot list has them all in the match.
    void fireMatch(const QMap<int, QList<ScriptedShot>> &shots);
    // "sum *marked" of the shots as the total page shows a result in tenths.
    static QString resultOf(const QList<ScriptedShot> &shots);

    ManualClock m_clock;
    QElapsedTimer m_sinceStart;
};

void TestPractice::createShooters()
{
    QVERIFY(click("pBAdd"));
    QVERIFY(widget("DialogPracticeshooterlist")->isVisible());
    // The short form: a name and a family name.
    QVERIFY(type("IENameFirst", QStringLiteral("Иван")));
    QVERIFY(type("IENameSecond", QStringLiteral("Петров")));
    QVERIFY(click("pBCreateShooter"));
    // "ДОБАВИТЬ" acts on the shooter last clicked, not on the one just made:
    // no row is lit that it would not add.
    QCOMPARE(selectedShooters(), QList<int>{});

    // The full form, with a team and a qualification made on the way.
    QVERIFY(click("pbAddition"));
    QVERIFY(type("IENameFirst_a", QStringLiteral("Ольга")));
    QVERIFY(type("IENameSecond_a", QStringLiteral("Смирнова")));
    QVERIFY(click("rBGender1"));
    widget<QWidget>("DEBirthDay")->setProperty("date", QDate(2001, 4, 5));
    // The first country of the list is a country like the others.
    widget<QComboBox>("CB_Man_Country")->setCurrentIndex(0);
    QVERIFY(click("pB_EditTeam"));
    QVERIFY(type("IEName_team", QStringLiteral("Юность")));
    QVERIFY(click("pbCreate_team"));
    QVERIFY(click("pbSave_Team"));
    QVERIFY(click("pB_EditQuality"));
    QVERIFY(type("IEShortName_quality", QStringLiteral("КМС")));
    QVERIFY(type("IEName_quality", QStringLiteral("Кандидат в Мастера спорта")));
    QVERIFY(click("pbCreate_quality"));
    QVERIFY(click("pbSave_Quality"));
    QVERIFY(click("pBCreateShooter_a"));
    QCOMPARE(selectedShooters(), QList<int>{});
}

void TestPractice::putShootersOnTargets()
{
    // Each added shooter is offered the address one above the highest in use.
    auto *address = widget<QSpinBox>("sB_targetAddress");
    QCOMPARE(address->value(), 1);
    QVERIFY(clickPracticeShooter("lwShooters", practiceShooterID(QStringLiteral("Петров"))));
    QVERIFY(click("pBOK_2"));
    QCOMPARE(address->value(), 2);
    // Added: nothing is selected, and the form is empty.
    QCOMPARE(selectedShooters(), QList<int>{});
    QVERIFY(widget<QLineEdit>("IENameSecond")->text().isEmpty());
    QVERIFY(clickPracticeShooter("lwShooters", practiceShooterID(QStringLiteral("Смирнова")), true));
    QCOMPARE(address->value(), 3);
    QVERIFY(click("pBCansel_2"));
    QVERIFY(!widget("DialogPracticeshooterlist")->isVisible());
    QCOMPARE(practiceModul()->usedShooters()->rowCount(), 2);

    // Both on target 1 through the shooter dialog: Next refuses the line.
    QVERIFY(clickPracticeShooter("tw_members", practiceShooterID(QStringLiteral("Смирнова")), true));
    QVERIFY(widget("DialogPracticeShooter")->isVisible());
    widget<QSpinBox>("sb_TargetAddr_a")->setValue(1);
    QVERIFY(click("pBChangeShooter_a"));
    QVERIFY(!widget("DialogPracticeShooter")->isVisible());
    QVERIFY(click("pBNext"));
    QVERIFY(expectBox(QStringLiteral("Ошибка!"),
                      QStringLiteral("Выберите участников и проверьте адреса мишеней")));
    QCOMPARE(page(), Page::Practice);

    QVERIFY(clickPracticeShooter("tw_members", practiceShooterID(QStringLiteral("Смирнова")), true));
    widget<QSpinBox>("sb_TargetAddr_a")->setValue(2);
    QVERIFY(click("pBChangeShooter_a"));
    QVERIFY(!practiceModul()->hasTargetConflict());
    checkRoster();
}

// The rows the dialogs stored; changing a target there rewrites nothing else.
void TestPractice::checkRoster()
{
    const int country = practiceModul()->countryIDAt(0);
    QVERIFY(country > 0);
    QCOMPARE(ShootersDb::rows(QStringLiteral(
                 "SELECT fName, fFamily, fDateofBirth, fGender, fCountryXMLID, fTeamID, "
                 "fQualityID, fAddition FROM TShooters ORDER BY ID")),
             QList<QVariantList>({{"Иван", "Петров", today(), 0, 0, 0, 0, 0},
                                  {"Ольга", "Смирнова", "2001-04-05 00:00:00", 1, country, 1, 1, 1}}));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT ID, fName FROM TTeam ORDER BY ID")),
             QList<QVariantList>({{0, "NONE"}, {1, "Юность"}}));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT ID, fName, fshortname FROM tQualifications WHERE ID>0")),
             QList<QVariantList>({{1, "Кандидат в Мастера спорта", "КМС"}}));
}

void TestPractice::start(const QString &mode)
{
    QTRY_VERIFY_WITH_TIMEOUT(widget("pbStart")->isVisible() && widget("pbStart")->isEnabled(),
                             kTimeoutMs);
    QVERIFY(!m_sinceStart.isValid()
            || QTest::qWaitFor([this] { return m_sinceStart.elapsed() > 2 * kStartCopyWindowMs; },
                               kTimeoutMs));
    QVERIFY(click("pbStart"));
    QTRY_COMPARE_WITH_TIMEOUT(widget<QLabel>("l_mode")->text(), mode, kTimeoutMs);
    m_sinceStart.start();
}

void TestPractice::fireMatch(const QMap<int, QList<ScriptedShot>> &shots)
{
    for (auto lane = shots.begin(); lane != shots.end(); ++lane) {
        const int target = lane.key();
        const QList<ScriptedShot> script = lane.value();
        simulator()->call([&](RangeSimulator &sim) { sim.scheduleShots(target, script); });
    }
    TBulletList *list = practiceModul()->getBulletList();
    for (auto lane = shots.begin(); lane != shots.end(); ++lane) {
        QTRY_COMPARE_WITH_TIMEOUT(list->shotCountOfStage(lane.key(), TMemberPlace::kMatch),
                                  lane.value().size(), kTimeoutMs);
    }
}

QString TestPractice::resultOf(const QList<ScriptedShot> &shots)
{
    int tenths = 0;
    int marked = 0;
    for (const ScriptedShot &shot : shots) {
        const TBullet bullet(0, 0, shot.x, shot.y, quint8(shot.place), 0, targetTypeById(kFace),
                             kCalibre, kControlValue, 0);
        tenths += bullet.range10();
        marked += bullet.isControl();
    }
    return QString::number(tenths / 10.0, 'f', 1) + QStringLiteral(" *%1").arg(marked);
}

void TestPractice::practiceRoad()
{
    QVERIFY(startSimulator({1, 2}));
    simulator()->call([](RangeSimulator &sim) { sim.setStartCopyWindowMs(kStartCopyWindowMs); });
    QSignalSpy line(window(), &MainWindow::sig_AddTarget);
    QVERIFY(click("pushButton"));
    QCOMPARE(page(), Page::Practice);
    createShooters();
    putShootersOnTargets();

    // The first exercise offered: the rifle one of ten shots.
    QCOMPARE(widget<QComboBox>("cb_Events")->currentText(), QStringLiteral("10m Air Rifle 10 Shots"));
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Run);
    QCOMPARE(line.count(), 2);
    QCOMPARE(line.at(0), registration(1, QStringLiteral("Петров"), QStringLiteral("Иван"), 0));
    QCOMPARE(line.at(1), registration(2, QStringLiteral("Смирнова"), QStringLiteral("Ольга"), 2));
    line.clear();

    // Back before the start: the exercise goes, the line is emptied, the
    // participants stay.
    QVERIFY(click("pbBack"));
    QCOMPARE(page(), Page::Practice);
    QVERIFY(!currentEvent());
    QCOMPARE(line.count(), 1);
    QCOMPARE(line.first(), (Registration{-1, -1, QString(), QString(), 0}));
    QCOMPARE(practiceModul()->usedShooters()->rowCount(), 2);

    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Run);
    QVERIFY(currentEvent());
    currentEvent()->setClock(&m_clock);
    start(QStringLiteral("SIGHTING"));
    m_clock.advanceMs(kSightingMs);
    start(QStringLiteral("MATCH"));

    QMap<int, QList<ScriptedShot>> shots;
    for (int target : {1, 2}) {
        for (int i = 0; i < kRifleShots; ++i) {
            ScriptedShot shot;
            shot.afterMs = 20 * i;
            shot.x = quint16(target == 1 ? 5 * i : 40 + 30 * i);
            shot.y = quint16(target == 1 ? 3 * i : 25 * i);
            shot.place = 1;
            shots[target] << shot;
        }
    }
    fireMatch(shots);
    QTRY_VERIFY_WITH_TIMEOUT(widget("pBNext") && widget("pBNext")->isEnabled(), kTimeoutMs);
    QVERIFY(click("pBNext"));

    // Both results on the exercise total page.
    QCOMPARE(page(), Page::EventTotal);
    auto *total = widget<QAbstractItemView>("tv_eventTotal");
    auto *series = qobject_cast<TSeries *>(total->model());
    QVERIFY(series);
    QCOMPARE(series->rowCount(), 2);
    QMap<QString, QString> results;
    for (int row = 0; row < 2; ++row) {
        results[series->index(row, 0).data().toString()] =
            series->index(row, series->totalColumn()).data().toString();
    }
    QCOMPARE(results, (QMap<QString, QString>{{"Петров Иван", resultOf(shots[1])},
                                                {"Смирнова Ольга", resultOf(shots[2])}}));

    // Continue: a new practice, nobody on the line.
    line.clear();
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Practice);
    QVERIFY(!currentEvent());
    QCOMPARE(practiceModul()->usedShooters()->rowCount(), 0);
    QVERIFY(!practiceModul()->getCurrentEvent());
    QCOMPARE(line.last(), (Registration{-1, 0, QString(), QString(), 0}));

    // The roster is as the dialogs left it; no practice shot is stored.
    checkRoster();
    QCOMPARE(rows(QStringLiteral("SELECT COUNT(*) FROM tbullets")), Rows({{0}}));
}

// A practice left while it still seeks a target, then a competition's
// relay: converter reports during the relay change the net icon, not START.
void TestPractice::searchLeftBehindHoldsNoMatch()
{
    QVERIFY(startRange({1, 2}));
    QVERIFY(click("pushButton"));
    QVERIFY(click("pBAdd"));
    QVERIFY(type("IENameFirst", QStringLiteral("Иван")));
    QVERIFY(type("IENameSecond", QStringLiteral("Петров")));
    QVERIFY(click("pBCreateShooter"));
    // Target 5: the range has lanes 1 and 2 only.
    QVERIFY(type("sB_targetAddress", QStringLiteral("5")));
    QVERIFY(clickPracticeShooter("lwShooters", practiceShooterID(QStringLiteral("Петров"))));
    QVERIFY(click("pBOK_2"));
    QVERIFY(click("pBCansel_2"));
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Run);
    auto *mode = onPage<QLabel>(Page::Run, "label_mode");
    QTRY_COMPARE_WITH_TIMEOUT(mode->text(), QStringLiteral("Поиск мишеней"), kTimeoutMs);
    auto *start = onPage<QPushButton>(Page::Run, "pbStart");
    QVERIFY(!start->isEnabled());
    QVERIFY(click("pbBack"));
    QVERIFY(click("pbBack"));
    QCOMPARE(page(), Page::Welcome);

    QVERIFY(createCompetition(1, QStringLiteral("Кубок")) > 0);
    QVERIFY(addNewMember(QStringLiteral("Анна"), QStringLiteral("Смирнова"), 11) > 0);
    QVERIFY(addNewMember(QStringLiteral("Олег"), QStringLiteral("Кузнецов"), 12) > 0);
    QVERIFY(click("pBNext"));
    QVERIFY(openCurrentRelay());
    QVERIFY(click("pBNext"));
    QVERIFY(startSighting());
    QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled() && start->text().startsWith("MATCH"), kTimeoutMs);
    auto *converters = onPage<QLabel>(Page::Run, "l_colKommut");
    QVERIFY(simulator()->call([](RangeSimulator &sim) { return sim.unplug(0); }));
    QTRY_COMPARE_WITH_TIMEOUT(converters->text(), QString(), kTimeoutMs);
    QVERIFY(simulator()->call([](RangeSimulator &sim) { return sim.replug(0); }));
    QTRY_COMPARE_WITH_TIMEOUT(converters->text(), QStringLiteral("1"), kTimeoutMs);
    QVERIFY(start->isEnabled());
    QVERIFY(startMatch());
}

QTEST_MAIN(TestPractice)
#include "tst_practice.moc"
