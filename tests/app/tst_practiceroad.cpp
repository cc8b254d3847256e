// A practice from an empty run folder, as the operator runs it from the
// welcome page against the range simulator with the exercise clock sped up:
// three new shooters of the practice roster on three targets, a sighting
// and a match shot by simulated shooters, each result as the targets
// recorded it, and a new practice that starts empty. Nothing of it is
// stored in the competitions database.

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "roadtest.h"
#include "simulatorthread.h"
#include "tbullet.h"
#include "tmemberspracticeused.h"
#include "tpracticemodul.h"
#include "tseries.h"
#include "ttargettype.h"

namespace {

const QList<int> kLanes{1, 2, 3};
struct Shooter
{
    QString name;
    QString family;
};
const QList<Shooter> kShooters{{"Иван", "Петров"}, {"Ольга", "Смирнова"}, {"Денис", "Волков"}};
// The first practice exercise: 10 m air rifle, 10 shots, on this face with
// this calibre and control value.
const QString kExercise = "10m Air Rifle 10 Shots";
constexpr int kFace = 8;
constexpr int kCalibre = 450;
constexpr double kControlValue = 10.2;

} // namespace

class TestPracticeRoad : public RoadTest
{
    Q_OBJECT

private slots:
    void practiceRoad();

private:
    // "sum *marked" of what the lane's target recorded since its last start,
    // as the total page shows a result in tenths.
    QString resultOnTarget(int lane);
};

QString TestPracticeRoad::resultOnTarget(int lane)
{
    const QVector<SimShot> shots =
        simulator()->call([lane](RangeSimulator &sim) { return sim.lane(lane)->target.shots(); });
    int tenths = 0;
    int marked = 0;
    for (const SimShot &shot : shots) {
        const TBullet bullet(0, shot.number, shot.x, shot.y, quint8(shot.place), 0,
                             targetTypeById(kFace), kCalibre, kControlValue, 0);
        tenths += bullet.range10();
        marked += bullet.isControl();
    }
    return QString::number(tenths / 10.0, 'f', 1) + QString(" *%1").arg(marked);
}

void TestPracticeRoad::practiceRoad()
{
    QVERIFY(startRange(kLanes));
    QVERIFY(click("pushButton"));
    QCOMPARE(page(), Page::Practice);

    // Three new shooters of the roster, each put on the next target.
    QVERIFY(click("pBAdd"));
    QWidget *list = widget("DialogPracticeshooterlist");
    for (const Shooter &shooter : kShooters) {
        QVERIFY(type("IENameFirst", shooter.name));
        QVERIFY(type("IENameSecond", shooter.family));
        QVERIFY(click("pBCreateShooter"));
    }
    sight("practice-shooter-list", list);
    for (int i = 0; i < kShooters.size(); ++i) {
        QCOMPARE(widget<QSpinBox>("sB_targetAddress")->value(), kLanes.at(i));
        QVERIFY(clickPracticeShooter("lwShooters", practiceShooterID(kShooters.at(i).family)));
        QVERIFY(click("pBOK_2"));
    }
    QVERIFY(click("pBCansel_2"));
    QVERIFY(!list->isVisible());
    QCOMPARE(practiceModul()->usedShooters()->rowCount(), kShooters.size());
    // A participant's own dialog, left as it is.
    QVERIFY(clickPracticeShooter("tw_members", practiceShooterID(kShooters.at(2).family), true));
    QWidget *dialog = widget("DialogPracticeShooter");
    auto *target = dialog->findChild<QSpinBox *>("sb_TargetAddr"); // of the short form
    QVERIFY(target && dialog->isVisible());
    QCOMPARE(target->value(), kLanes.at(2));
    sight("practice-shooter-dialog", dialog);
    QVERIFY(click("pBChangeShooter"));
    QCOMPARE(widget<QComboBox>("cb_Events")->currentText(), kExercise);
    sight("practice");

    // The run: the page finds the targets, then sighting and match.
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Run);
    auto *start = onPage<QPushButton>(Page::Run, "pbStart");
    QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), kTimeoutMs);
    QCOMPARE(onPage<QLabel>(Page::Run, "label_mode")->text(), QString("Мишени найдены"));
    startShooters(kLanes, 40);
    QVERIFY(startSighting());
    sight("practice-run");
    QVERIFY(startMatch());
    auto *next = onPage<QPushButton>(Page::Run, "pBNext");
    QTRY_VERIFY_WITH_TIMEOUT(next->isVisible() && next->isEnabled(), kTimeoutMs);
    stopShooters(kLanes);
    sight("practice-run-finished");

    // Each result is what the shooter's target recorded in the match.
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::EventTotal);
    sight("practice-total");
    auto *series = qobject_cast<TSeries *>(
        onPage<QAbstractItemView>(Page::EventTotal, "tv_eventTotal")->model());
    QVERIFY(series);
    QCOMPARE(series->rowCount(), kShooters.size());
    for (int row = 0; row < series->rowCount(); ++row) {
        const QString name = series->index(row, 0).data().toString();
        const int i =
            int(std::find_if(kShooters.cbegin(), kShooters.cend(),
                             [&](const Shooter &s) { return s.family + ' ' + s.name == name; })
                - kShooters.cbegin());
        QVERIFY2(i < kShooters.size(), qPrintable(name));
        QCOMPARE(series->index(row, series->totalColumn()).data().toString(),
                 resultOnTarget(kLanes.at(i)));
    }

    // A new practice starts empty; the welcome page is one step back.
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Practice);
    QCOMPARE(practiceModul()->usedShooters()->rowCount(), 0);
    QVERIFY(click("pbBack"));
    QCOMPARE(page(), Page::Welcome);
    QCOMPARE(rows("SELECT COUNT(*) FROM tbullets"), (Rows{{0}}));
}

QTEST_MAIN(TestPracticeRoad)
#include "tst_practiceroad.moc"
