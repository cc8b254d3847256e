#include "dialogpracticeshooter.h"
#include "dialogpracticeshooterlist.h"
#include "formpracticesetting.h"
#include "practicefixture.h"
#include "tevent.h"
#include "tshooter.h"
#include "warnings.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include <cstdio>

namespace {

template <class T = QWidget>
T *child(const QWidget *root, const char *name)
{
    T *found = root->findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("no widget %s", name);
    return found;
}

bool click(const QWidget *root, const char *name)
{
    auto *button = child<QAbstractButton>(root, name);
    if (!button || !button->isVisible() || !button->isEnabled())
        return false;
    // A check box takes a click on its box and text only; click() hits it wherever it is.
    button->click();
    return true;
}

// The row of the view whose shooter has that roster ID; -1 when none.
int rowOfId(const QAbstractItemView *view, int id)
{
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        if (view->model()->index(row, 0).data(TMembersPractice::Id1Role).toInt() == id)
            return row;
    }
    return -1;
}

void clickRow(QAbstractItemView *view, int row, bool twice = false)
{
    const QPoint centre = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

void type(const QWidget *root, const char *name, const QString &text)
{
    // Key clicks carry Latin letters only.
    auto *edit = child<QLineEdit>(root, name);
    edit->selectAll();
    edit->insert(text);
}

} // namespace

class TestPracticeScreens : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setupPageChecksBeforeNext();
    void listDialogPutsShootersOnTargets();
    void teamAndQualityEdits();
    void refusedEditToldAndTakenAgain_data();
    void refusedEditToldAndTakenAgain();
    void blankNamesRefused();
    void shooterDialogClosesOnlyWhenStored();
};

void TestPracticeScreens::init()
{
    Warnings::setTestMode(true);
    Warnings::clear();
}

void TestPracticeScreens::cleanup()
{
    const QList<Warnings::Shown> left = Warnings::shown();
    Warnings::clear();
    QVERIFY2(left.isEmpty(), qPrintable(left.isEmpty() ? QString() : left.first().title));
}

void TestPracticeScreens::setupPageChecksBeforeNext()
{
    PracticeFixture f;
    FormPracticeSetting page(f.modul.get());
    page.show();
    QSignalSpy next(&page, &FormPracticeSetting::sig_Next);
    QSignalSpy change(&page, &FormPracticeSetting::sig_ChangeShooter);
    auto *events = child<QComboBox>(&page, "cb_Events");
    auto *table = child<QAbstractItemView>(&page, "tw_members");

    int pistols = 0;
    for (int row = 0; row < f.modul->eventList()->rowCount(); ++row)
        pistols += f.modul->eventList()->index(row).data(TEventList::EventWeaponRole).toInt() == 1;
    QVERIFY(pistols > 0 && pistols < f.modul->eventList()->rowCount());
    QCOMPARE(events->count(), f.modul->eventList()->rowCount());
    QVERIFY(click(&page, "cBWeaponRifle"));
    QCOMPARE(events->count(), pistols);
    QVERIFY(click(&page, "cBWeaponPistol"));
    QCOMPARE(events->count(), 0);

    // Nobody taking part, then two on one target: the one warning for both.
    QVERIFY(click(&page, "pBNext"));
    const int first = f.modul->addShooter("Анна", "Орлова", QDate(), 0, 0, 0, 0, 0, false);
    const int second = f.modul->addShooter("Олег", "Белов", QDate(), 0, 0, 0, 0, 0, false);
    f.modul->useShooter(first, 4);
    f.modul->useShooter(second, 4);
    QVERIFY(click(&page, "pBNext"));
    for (const Warnings::Shown &box : Warnings::shown()) {
        QCOMPARE(box.title, QStringLiteral("Ошибка!"));
        QCOMPARE(box.text, QStringLiteral("Выберите участников и проверьте адреса мишеней"));
    }
    QCOMPARE(Warnings::shown().size(), 2);
    Warnings::clear();

    // Removing one of the two clears the clash.
    clickRow(table, rowOfId(table, second));
    QCOMPARE(page.selectedID(), second);
    QVERIFY(click(&page, "pBRemove"));
    QVERIFY(!f.modul->hasTargetConflict());
    QCOMPARE(table->model()->rowCount(), 1);

    // No exercise offered: refused, the module keeps no exercise.
    QVERIFY(click(&page, "pBNext"));
    QCOMPARE(Warnings::last().title, QStringLiteral("Упражнение не выбрано!"));
    QCOMPARE(Warnings::last().text, QStringLiteral("Выберите упражнение"));
    Warnings::clear();
    QCOMPARE(next.count(), 0);
    QVERIFY(!f.modul->getCurrentEvent());

    QVERIFY(click(&page, "cBWeaponPistol"));
    events->setCurrentIndex(1);
    QVERIFY(click(&page, "pBNext"));
    QCOMPARE(next.count(), 1);
    QVERIFY(f.modul->getCurrentEvent() && f.modul->getBulletList());
    QCOMPARE(f.modul->getCurrentEvent()->weapon(), 1);
    QCOMPARE(f.modul->getCurrentEvent()->subType(),
             f.modul->eventListProxy()->subNumOfRow(1));

    clickRow(table, 0, true);
    QCOMPARE(change.count(), 1);
    QCOMPARE(change.first().first().toInt(), first);
}

void TestPracticeScreens::listDialogPutsShootersOnTargets()
{
    PracticeFixture f;
    const int onSeven = f.modul->addShooter("Ян", "Ким", QDate(), 0, 0, 0, 0, 0, false);
    const int free1 = f.modul->addShooter("Ия", "Лис", QDate(), 0, 0, 0, 0, 0, false);
    const int onThree = f.modul->addShooter("Ли", "Бо", QDate(), 0, 0, 0, 0, 0, false);
    const int free2 = f.modul->addShooter("Ом", "Ра", QDate(), 0, 0, 0, 0, 1, false);
    f.modul->useShooter(onSeven, 7);
    f.modul->useShooter(onThree, 3);
    DialogPracticeshooterlist dialog(f.modul.get());
    dialog.showDialog();
    auto *list = child<QAbstractItemView>(&dialog, "lwShooters");
    auto *address = child<QSpinBox>(&dialog, "sB_targetAddress");
    QCOMPARE(address->value(), 8);
    QCOMPARE(list->model()->rowCount(), 2);

    // A click shows the shooter in the form; a double click adds it on the
    // suggested address.
    clickRow(list, rowOfId(list, free2));
    QCOMPARE(child<QLineEdit>(&dialog, "IENameSecond_a")->text(), QStringLiteral("Ра"));
    clickRow(list, rowOfId(list, free1), true);
    QVERIFY(f.modul->shooterById(free1)->isUsed());
    QCOMPARE(f.modul->shooterById(free1)->target(), 8);
    QCOMPARE(address->value(), 9);
    QVERIFY(child<QLineEdit>(&dialog, "IENameSecond")->text().isEmpty());
    QCOMPARE(dialog.selectedID(), -1);

    // Nothing selected: nothing added.
    QVERIFY(click(&dialog, "pBOK_2"));
    QVERIFY(!f.modul->shooterById(free2)->isUsed());

    // A change that cannot be stored is said, here too.
    clickRow(list, rowOfId(list, free2));
    QVERIFY(ShootersDb::exec(QStringLiteral("DELETE FROM TShooters WHERE ID=%1").arg(free2)));
    type(&dialog, "IENameFirst_a", QStringLiteral("Оля"));
    QVERIFY(click(&dialog, "pBChangeShooter_a"));
    QCOMPARE(Warnings::last().title, QStringLiteral("Не удалось изменить стрелка!"));
    Warnings::clear();

    QVERIFY(click(&dialog, "pbRemove"));
    QVERIFY(!f.modul->shooterById(free2));
    QCOMPARE(list->model()->rowCount(), 0);
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT ID FROM TShooters ORDER BY ID")),
             QList<QVariantList>({{onSeven}, {free1}, {onThree}}));
    QVERIFY(click(&dialog, "pBCansel_2"));
    QVERIFY(!dialog.isVisible());
}

void TestPracticeScreens::teamAndQualityEdits()
{
    PracticeFixture f;
    DialogPracticeshooterlist dialog(f.modul.get());
    dialog.showDialog();
    // List mode: no target rows, creation offered.
    QVERIFY(!child<QWidget>(&dialog, "f_target")->isVisible());
    QVERIFY(click(&dialog, "pbAddition"));

    // A qualification without texts is stored with "-" for both.
    QVERIFY(click(&dialog, "pB_EditQuality"));
    type(&dialog, "IEShortName_quality", QString());
    type(&dialog, "IEName_quality", QString());
    QVERIFY(click(&dialog, "pbCreate_quality"));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT ID, fName, fshortname FROM tQualifications WHERE ID>0")),
             QList<QVariantList>({{1, "-", "-"}}));
    QVERIFY(click(&dialog, "pbSave_Quality"));
    QCOMPARE(child<QComboBox>(&dialog, "CB_Quality")->currentIndex(), 1);

    // A renamed team shows its new name at once.
    QVERIFY(click(&dialog, "pB_EditTeam"));
    type(&dialog, "IEName_team", QStringLiteral("Динамо"));
    QVERIFY(click(&dialog, "pbCreate_team"));
    type(&dialog, "IEName_team", QStringLiteral("Спартак"));
    QVERIFY(click(&dialog, "pBChange_team"));
    QCOMPARE(child<QComboBox>(&dialog, "CB_Team_2")->currentText(), QStringLiteral("Спартак"));
    QCOMPARE(ShootersDb::rows(QStringLiteral("SELECT ID, fName FROM TTeam WHERE ID>0")),
             QList<QVariantList>({{1, "Спартак"}}));
}

void TestPracticeScreens::refusedEditToldAndTakenAgain_data()
{
    QTest::addColumn<QByteArray>("editPage");
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QList<QVariantList>>("after");
    // Before each edit the file holds team 1 "Динамо" and qualification 1
    // "МС"; the edit fields show them, renamed to "Спартак" and "КМС".
    const QString teams = QStringLiteral("SELECT ID, fName FROM TTeam WHERE ID>0");
    const QString qualities = QStringLiteral("SELECT ID, fshortname FROM tQualifications WHERE ID>0");
    QTest::newRow("create team") << QByteArray("pB_EditTeam") << QByteArray("pbCreate_team")
                                 << "Коменда не создана!" << teams
                                 << QList<QVariantList>({{1, "Динамо"}, {2, "Спартак"}});
    QTest::newRow("change team") << QByteArray("pB_EditTeam") << QByteArray("pBChange_team")
                                 << "Редактирование!" << teams
                                 << QList<QVariantList>({{1, "Спартак"}});
    QTest::newRow("remove team") << QByteArray("pB_EditTeam") << QByteArray("pbRemove_team")
                                 << "Удаление!" << teams << QList<QVariantList>();
    QTest::newRow("create qualification")
        << QByteArray("pB_EditQuality") << QByteArray("pbCreate_quality")
        << "Квалификация не создана!" << qualities
        << QList<QVariantList>({{1, "МС"}, {2, "КМС"}});
    QTest::newRow("change qualification")
        << QByteArray("pB_EditQuality") << QByteArray("pBChange_quality") << "Редактирование!"
        << qualities << QList<QVariantList>({{1, "КМС"}});
    QTest::newRow("remove qualification")
        << QByteArray("pB_EditQuality") << QByteArray("pbRemove_quality") << "Удаление!"
        << qualities << QList<QVariantList>();
}

void TestPracticeScreens::refusedEditToldAndTakenAgain()
{
    QFETCH(QByteArray, editPage);
    QFETCH(QByteArray, button);
    QFETCH(QString, title);
    QFETCH(QString, stored);
    QFETCH(QList<QVariantList>, after);
    PracticeFixture f;
    QCOMPARE(f.modul->addTeam(0, QStringLiteral("Динамо")), 1);
    QCOMPARE(f.modul->addQuality(QStringLiteral("Мастер спорта"), QStringLiteral("МС")), 1);
    DialogPracticeshooterlist dialog(f.modul.get());
    dialog.showDialog();
    QVERIFY(click(&dialog, "pbAddition"));
    QVERIFY(click(&dialog, editPage.constData()));
    child<QComboBox>(&dialog, "CB_Team_2")->setCurrentIndex(1);
    child<QComboBox>(&dialog, "CB_Quality_2")->setCurrentIndex(1);
    type(&dialog, "IEName_team", QStringLiteral("Спартак"));
    type(&dialog, "IEShortName_quality", QStringLiteral("КМС"));

    // Another program puts a copy of the file at the path just after the
    // roster's look of a second: SQLite refuses the roster's write, and the
    // operator is told as in the competition's dialogs.
    QSignalSpy looked(f.roster()->findChild<QTimer *>(), &QTimer::timeout);
    QVERIFY(looked.wait(5000));
    const QString path = TPracticeModul::databasePath();
    QVERIFY(QFile::copy(path, path + QStringLiteral(".other")));
    QVERIFY(::rename(QFile::encodeName(path + QStringLiteral(".other")).constData(),
                     QFile::encodeName(path).constData())
            == 0);
    QVERIFY(click(&dialog, button.constData()));
    QCOMPARE(Warnings::shown().size(), 1);
    QCOMPARE(Warnings::last().title, title);
    Warnings::clear();

    // The same click again is taken, into the file at the path.
    QVERIFY(click(&dialog, button.constData()));
    QCOMPARE(ShootersDb::rows(stored), after);
}

void TestPracticeScreens::blankNamesRefused()
{
    PracticeFixture f;
    DialogPracticeshooterlist dialog(f.modul.get());
    dialog.showDialog();
    QVERIFY(click(&dialog, "pbAddition"));
    type(&dialog, "IENameFirst_a", QStringLiteral("   "));
    type(&dialog, "IENameSecond_a", QString());
    QVERIFY(click(&dialog, "pBCreateShooter_a"));
    QCOMPARE(Warnings::last().title, QStringLiteral("Не удалось создать стрелка!"));
    QVERIFY(ShootersDb::rows(QStringLiteral("SELECT ID FROM TShooters")).isEmpty());

    QVERIFY(click(&dialog, "pB_EditTeam"));
    type(&dialog, "IEName_team", QStringLiteral(" "));
    QVERIFY(click(&dialog, "pbCreate_team"));
    QCOMPARE(Warnings::last().title, QStringLiteral("Команда не создана!"));
    QVERIFY(ShootersDb::rows(QStringLiteral("SELECT ID FROM TTeam WHERE ID>0")).isEmpty());
    Warnings::clear();
}

void TestPracticeScreens::shooterDialogClosesOnlyWhenStored()
{
    PracticeFixture f;
    const int anna = f.modul->addShooter("Анна", "Орлова", QDate(), 0, 0, 0, 0, 0, false);
    const int oleg = f.modul->addShooter("Олег", "Белов", QDate(), 0, 0, 0, 0, 0, false);
    f.modul->useShooter(anna, 2);
    f.modul->useShooter(oleg, 5);
    DialogPracticeShooter dialog(f.modul.get());
    QCOMPARE(dialog.objectName(), QStringLiteral("DialogPracticeShooter"));

    // Unchanged data: nothing written, the address applied, closed.
    dialog.showShooter(anna);
    auto *address = child<QSpinBox>(&dialog, "sb_TargetAddr");
    QVERIFY(address->isVisible());
    QCOMPARE(address->value(), 2);
    QVERIFY(!child<QWidget>(&dialog, "pBCreateShooter")->isEnabled());
    address->setValue(5);
    QVERIFY(click(&dialog, "pBChangeShooter"));
    QVERIFY(!dialog.isVisible());
    QVERIFY(f.modul->hasTargetConflict());
    QCOMPARE(f.modul->shooterById(anna)->target(), 5);

    // The row went behind the roster's back: the change fails, the dialog
    // stays with what was typed and the target is not applied.
    dialog.showShooter(oleg);
    QVERIFY(ShootersDb::exec(QStringLiteral("DELETE FROM TShooters WHERE ID=%1").arg(oleg)));
    type(&dialog, "IENameSecond", QStringLiteral("Белых"));
    child<QSpinBox>(&dialog, "sb_TargetAddr")->setValue(9);
    QVERIFY(click(&dialog, "pBChangeShooter"));
    QCOMPARE(Warnings::shown().size(), 1);
    QCOMPARE(Warnings::last().title, QStringLiteral("Не удалось изменить стрелка!"));
    QCOMPARE(Warnings::last().text, QStringLiteral("Изменения стрелка не сохранены"));
    Warnings::clear();
    QVERIFY(dialog.isVisible());
    QCOMPARE(child<QLineEdit>(&dialog, "IENameSecond")->text(), QStringLiteral("Белых"));
    QCOMPARE(f.modul->shooterById(oleg)->target(), 5);
    QCOMPARE(f.modul->shooterById(oleg)->family(), QStringLiteral("Белов"));
}

QTEST_MAIN(TestPracticeScreens)
#include "tst_practicescreens.moc"
