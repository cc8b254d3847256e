// A practice as the operator runs it on the program's window: shooters
// created and put on targets in the practice dialogs, the participants
// checked on the set-up page, the line given to the bus master, and the
// practice ended and started afresh. Practice shots are never stored.

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include "shootersdb.h"
#include "mainwindowtest.h"
#include "tmemberspractice.h"
#include "tmemberspracticeused.h"
#include "tpracticemodul.h"
#include "tbulletlist.h"
#include "tseries.h"
#include "tshooter.h"

namespace {

using Registration = QList<QVariant>;

Registration registration(int target, const QString &family, const QString &name, int code)
{
    return {target, target, family, name, code};
}

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd 00:00:00"));
}

} // namespace

class TestPractice : public MainWindowTest
{
    Q_OBJECT

private slots:
    void practiceRoad();

private:
    // Types into the visible line edit of that name, as the keyboard would.
    bool type(const QString &objectName, const QString &text)
    {
        auto *edit = widget<QLineEdit>(objectName);
        if (!edit || !edit->isVisible())
            return false;
        edit->selectAll();
        edit->insert(text);
        return true;
    }
    // Clicks (twice: double-clicks) the row of the view that shows that shooter.
    bool clickShooter(const QString &view, int id, bool twice = false)
    {
        return clickRow(view, rowOf(view, TMembersPractice::Id1Role, id), twice);
    }
    // The roster ID of the shooter of that family name; -1 when none.
    int shooterID(const QString &family) const
    {
        const TMembersPractice *roster = practiceModul()->membersPractice();
        for (int row = 0; row < roster->count(); ++row) {
            if (roster->shooterAt(row)->family() == family)
                return roster->shooterAt(row)->id();
        }
        return -1;
    }
    void createShooters();
    void putShootersOnTargets();
    void checkRoster();
};

void TestPractice::createShooters()
{
    QVERIFY(click("pBAdd"));
    QVERIFY(widget("DialogPracticeshooterlist")->isVisible());
    // The short form: a name and a family name.
    QVERIFY(type("IENameFirst", QStringLiteral("Иван")));
    QVERIFY(type("IENameSecond", QStringLiteral("Петров")));
    QVERIFY(click("pBCreateShooter"));

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

}

void TestPractice::putShootersOnTargets()
{
    // Each added shooter is offered the address one above the highest in use.
    auto *address = widget<QSpinBox>("sB_targetAddress");
    QCOMPARE(address->value(), 1);
    QVERIFY(clickShooter("lwShooters", shooterID(QStringLiteral("Петров"))));
    QVERIFY(click("pBOK_2"));
    QCOMPARE(address->value(), 2);
    QVERIFY(clickShooter("lwShooters", shooterID(QStringLiteral("Смирнова")), true));
    QCOMPARE(address->value(), 3);
    QVERIFY(click("pBCansel_2"));
    QVERIFY(!widget("DialogPracticeshooterlist")->isVisible());
    QCOMPARE(practiceModul()->usedShooters()->rowCount(), 2);

    // Both on target 1 through the shooter dialog: Next refuses the line.
    QVERIFY(clickShooter("tw_members", shooterID(QStringLiteral("Смирнова")), true));
    QVERIFY(widget("DialogPracticeShooter")->isVisible());
    widget<QSpinBox>("sb_TargetAddr_a")->setValue(1);
    QVERIFY(click("pBChangeShooter_a"));
    QVERIFY(!widget("DialogPracticeShooter")->isVisible());
    QVERIFY(click("pBNext"));
    QVERIFY(expectBox(QStringLiteral("Ошибка!"),
                      QStringLiteral("Выберите участников и проверьте адреса мишеней")));
    QCOMPARE(page(), Page::Practice);

    QVERIFY(clickShooter("tw_members", shooterID(QStringLiteral("Смирнова")), true));
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

void TestPractice::practiceRoad()
{
    QSignalSpy line(window(), &MainWindow::sig_AddTarget);
    QVERIFY(click("pushButton"));
    QCOMPARE(page(), Page::Practice);
    createShooters();
    putShootersOnTargets();

    QVERIFY(click("pBNext"));
    QCOMPARE(line.count(), 2);
    QCOMPARE(line.at(0), registration(1, QStringLiteral("Петров"), QStringLiteral("Иван"), 0));
    QCOMPARE(line.at(1), registration(2, QStringLiteral("Смирнова"), QStringLiteral("Ольга"), 2));
    line.clear();

    // Back from the run: the line is emptied; the participants stay.
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setCurrentRelayWidgetBACK"));
    QCOMPARE(page(), Page::Practice);
    QCOMPARE(line.count(), 1);
    QCOMPARE(line.first(), (Registration{-1, -1, QString(), QString(), 0}));
    QCOMPARE(practiceModul()->usedShooters()->rowCount(), 2);
    line.clear();

    QVERIFY(click("pBNext"));
    QCOMPARE(line.count(), 2);
    line.clear();
    QVERIFY(QMetaObject::invokeMethod(window(), "slot_setRelayFinished"));
    QCOMPARE(page(), Page::EventTotal);
    auto *total = widget<QAbstractItemView>("tv_eventTotal");
    QCOMPARE(total->model(), practiceModul()->getBulletList()->series());
    QCOMPARE(total->model()->rowCount(), 2);

    // Continue: a new practice, nobody on the line.
    QVERIFY(click("pBNext"));
    QCOMPARE(page(), Page::Practice);
    QCOMPARE(practiceModul()->usedShooters()->rowCount(), 0);
    QVERIFY(!practiceModul()->getCurrentEvent());
    QVERIFY(!total->model() || total->model()->rowCount() == 0);
    QCOMPARE(line.last(), (Registration{-1, 0, QString(), QString(), 0}));

    // No practice shot is ever stored.
    QCOMPARE(rows(QStringLiteral("SELECT COUNT(*) FROM tbullets")), Rows({{0}}));
}

QTEST_MAIN(TestPractice)
#include "tst_practice.moc"
