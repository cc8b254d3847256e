// The competition wizard's first two pages on the real main window, as the
// operator walks them: creating, editing, deleting and opening competitions,
// then composing the members through the shooter list and start number
// dialogs. Every action is checked against the rows the database then holds.

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTimeEdit>
#include <QtTest>

#include "createmyevent.h"
#include "dialogshooterlist.h"
#include "formmembers.h"
#include "mainwindowtest.h"
#include "myevent.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tcompetitionlistproxy.h"
#include "tcountry.h"
#include "tevent.h"
#include "tmembers.h"
#include "tshooterenabledlist.h"
#include "tshootersproxy.h"
#include "tusermodul.h"

namespace {

constexpr int kRussia = 2;
constexpr int kRifle60 = 1; // types of the default list; each rifle type has a final
constexpr int kRifle40 = 2;
constexpr int kPistol60 = 3;
constexpr int kUnknownCountry = 9999;
constexpr auto kTester = QAbstractItemModelTester::FailureReportingMode::QtTest;
const QString kChooseEvent = "Выберите упражнение";
const QString kChooseMember = "Выберите участника";

} // namespace

class TestCompetitionScreens : public MainWindowTest
{
    Q_OBJECT

private slots:
    // Competitions page.
    void createCompetition();
    void creationRefused_data();
    void creationRefused();
    void nameKeptWholeButNotBlank();
    void storedCompetitions();
    void weaponFilter();
    void exerciseGoesWithTheCompetition();

    // Members page with its two dialogs.
    void composeMembers();
    void deleteShooters();

private:
    bool clickCompetition(int id)
    {
        return clickRow("lw_Competitions",
                        rowOf("lw_Competitions", TCompetitionList::CompIdRole, id));
    }
    int storeCompetition(int country, int type, const QString &name);
    int addShooter(const QString &name, const QString &family)
    {
        return userModul()->addShooter(name, family, QDate(1990, 1, 1), 0, kRussia, 0, 0);
    }
    // Through the competitions page in mode 1 onto the members page.
    bool openOnMembersPage(int competitionID);
};

int TestCompetitionScreens::storeCompetition(int country, int type, const QString &name)
{
    if (!userModul()->newCompetition(country, type, false, QDate(2020, 2, 15), QTime(9, 30), name))
        return -1;
    return userModul()->currentCompetition()->id();
}

bool TestCompetitionScreens::openOnMembersPage(int competitionID)
{
    window()->showPage(Page::Welcome);
    return click("pBContinue") && clickCompetition(competitionID) && click("pBNext1")
        && page() == Page::Members;
}

void TestCompetitionScreens::createCompetition()
{
    QVERIFY(click("pbNEW"));
    QCOMPARE(page(), Page::Competitions);
    QCOMPARE(widget<QListView>("lw_Competitions")->model(), userModul()->competitionTypesProxy());
    QAbstractItemModelTester tester(userModul()->competitionTypesProxy(), kTester);

    QVERIFY(click("pBNext1"));
    QVERIFY(expectBox("Упражнение не установлено!", "Не выбран тип упражнения"));

    QVERIFY(clickRow("lw_Competitions",
                     rowOf("lw_Competitions", TCompetitionList::CompTypeXMLIDRole, kRifle60)));
    // The moment the type list was built, not the present one.
    auto *date = widget<QDateEdit>("dateEdit");
    QCOMPARE(date->date(), userModul()->competitionTypes()->setCurrentID(kRifle60)->startDate());
    const auto fill = [&] {
        date->setDate(QDate(2020, 2, 15));
        widget<QTimeEdit>("timeEdit")->setTime(QTime(9, 30));
    };
    fill();
    widget<QLineEdit>("IEName")->setText("Кубок");
    const QString question = QString("Соревнование: 10m Air Rifle 60 Shots\n"
                                     "Страна проведения: %1\n"
                                     "Наименование: Кубок\n"
                                     "Дата проведения: 2020-02-15 09:30\n"
                                     "Продолжить?")
                                 .arg(userModul()->countryAt(0)->nameRus());

    // Cancel takes the stored competition back; the name stays.
    Warnings::setNextAnswer(QMessageBox::Cancel);
    QVERIFY(click("pBNext1"));
    QCOMPARE(Warnings::last().icon, QMessageBox::Question);
    QVERIFY(expectBox("Будет создано соревнование:", question));
    QCOMPARE(page(), Page::Competitions);
    QVERIFY(rows("SELECT ID FROM tcompetitions UNION SELECT ID FROM tevents").isEmpty());
    QCOMPARE(widget<QLineEdit>("IEName")->text(), QString("Кубок"));

    Warnings::setNextAnswer(QMessageBox::Yes);
    fill();
    QVERIFY(click("pBNext1"));
    QVERIFY(expectBox("Будет создано соревнование:", question));
    QCOMPARE(page(), Page::Members);
    const Rows stored = rows("SELECT ID, fName, fTypeXMLID, fCountryXMLID, fFinal, fFinished "
                             "FROM tcompetitions");
    QCOMPARE(stored.size(), 1);
    const QVariant id = stored.first().first();
    QCOMPARE(stored.first().mid(1),
             (QVariantList{"Кубок", kRifle60, userModul()->countryAt(0)->id(), 0, 0}));
    QCOMPARE(rows("SELECT ID FROM tevents WHERE fCompetitionID=?", {id}).size(), 1); // no final
    QCOMPARE(userModul()->currentCompetition()->id(), id.toInt());
}

void TestCompetitionScreens::creationRefused_data()
{
    QTest::addColumn<QByteArray>("countryList");
    QTest::addColumn<bool>("refuseInsert");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text"); // what the box's text says, among other things

    QTest::newRow("the database refuses it")
        << QByteArray() << true << QString("Ошибка базы данных!")
        << QString("competitions.sqlite: Ошибка при запросе/ответе Базы Данных: ошибка SQLite "
                   "(SQLite: «refused»).");
    QTest::newRow("no country to hold it in") << QByteArray("<CountryList/>") << false
                                              << QString("Страна не выбрана!")
                                              << QString("Список стран пуст");
}

void TestCompetitionScreens::creationRefused()
{
    QFETCH(QByteArray, countryList);
    QFETCH(bool, refuseInsert);
    QFETCH(QString, title);
    QFETCH(QString, text);

    if (!countryList.isEmpty()) {
        QVERIFY(runFolder().writeFile("ServerDatas/Countries/CountyList.xml", countryList));
        QVERIFY(reopenWindow());
        QTRY_VERIFY_WITH_TIMEOUT(!Warnings::shown().isEmpty(), kTimeoutMs);
        QCOMPARE(takeWarning().title, QString("Файлы программы не прочитаны!"));
    }
    if (refuseInsert) {
        QVERIFY(exec("CREATE TRIGGER refuse BEFORE INSERT ON tcompetitions "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    }
    QVERIFY(click("pbNEW"));
    QVERIFY(clickRow("lw_Competitions", 0));
    QVERIFY(click("pBNext1"));
    const Warnings::Shown refused = takeWarning();
    QCOMPARE(refused.title, title);
    QVERIFY2(refused.text.contains(text), qPrintable(refused.text));
    QCOMPARE(page(), Page::Competitions);
    QVERIFY(rows("SELECT ID FROM tcompetitions").isEmpty());
    QCOMPARE(takeStorageErrors().isEmpty(), !refuseInsert);
}

void TestCompetitionScreens::nameKeptWholeButNotBlank()
{
    QVERIFY(click("pbNEW"));
    QVERIFY(clickRow("lw_Competitions", 0));
    widget<QLineEdit>("IEName")->setText("   ");
    QVERIFY(click("pBNext1"));
    QVERIFY(expectBox("Соревнование не создано!", "Введите наименование соревнования."));
    QVERIFY(rows("SELECT ID FROM tcompetitions").isEmpty());

    // Past the 32767 characters a line edit keeps by default.
    const QString name(40000, QChar(0x416));
    widget<QLineEdit>("IEName")->setText(name);
    Warnings::setNextAnswer(QMessageBox::Yes);
    QVERIFY(click("pBNext1"));
    QCOMPARE(takeWarning().title, QString("Будет создано соревнование:"));
    QCOMPARE(rows("SELECT fName FROM tcompetitions"), (Rows{{name}}));
}

void TestCompetitionScreens::storedCompetitions()
{
    const int rifle = storeCompetition(kRussia, kRifle60, "Rifle");
    const int abroad = storeCompetition(kUnknownCountry, kRifle60, "Abroad");
    const int pistol = storeCompetition(kRussia, kPistol60, "Pistol");
    QVERIFY(click("pBContinue"));
    QCOMPARE(widget<QListView>("lw_Competitions")->model(), userModul()->storedCompetitionsProxy());
    auto *typeBox = widget<QComboBox>("comboBoxCompetition");
    QCOMPARE(typeBox->model(), userModul()->competitionTypesProxy());
    QAbstractItemModelTester tester(userModul()->storedCompetitionsProxy(), kTester);

    QVERIFY(click("pbSaveChanges"));
    QVERIFY(expectBox("Упражнение не установлено!", kChooseEvent));
    QVERIFY(click("pbDelete"));
    QVERIFY(expectBox("Упражнение не удалено!", kChooseEvent));

    // A new name and type.
    QVERIFY(clickCompetition(rifle));
    auto *name = widget<QLineEdit>("IEName");
    QCOMPARE(name->text(), QString("Rifle"));
    auto *events = widget<QListWidget>("lw_events");
    QCOMPARE(events->count(), 1); // without the final
    QVERIFY(events->item(0)->text().endsWith(' '));
    name->setText("Rifle 40");
    typeBox->setCurrentIndex(userModul()->competitionTypesProxy()->rowOfTypeID(kRifle40));
    QVERIFY(click("pbSaveChanges"));
    QCOMPARE(rows("SELECT fName, fTypeXMLID FROM tcompetitions WHERE ID=?", {rifle}),
             (Rows{{"Rifle 40", kRifle40}}));
    // Chosen again from the rebuilt list.
    const QModelIndexList selected =
        widget<QListView>("lw_Competitions")->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().data(TCompetitionList::CompIdRole).toInt(), rifle);
    QCOMPARE(name->text(), QString("Rifle 40"));

    // A country the list does not hold stays the stored one.
    QVERIFY(clickCompetition(abroad));
    QCOMPARE(widget<QComboBox>("cB_Country")->currentIndex(), -1);
    name->setText("Abroad 2");
    QVERIFY(click("pbSaveChanges"));
    QCOMPARE(rows("SELECT fName, fCountryXMLID FROM tcompetitions WHERE ID=?", {abroad}),
             (Rows{{"Abroad 2", kUnknownCountry}}));

    // Deleted with its exercises; nothing can act on it any more.
    QVERIFY(click("pbDelete"));
    QVERIFY(rows("SELECT ID FROM tcompetitions WHERE ID=? UNION "
                 "SELECT ID FROM tevents WHERE fCompetitionID=?",
                 {abroad, abroad})
                .isEmpty());
    QCOMPARE(rowOf("lw_Competitions", TCompetitionList::CompIdRole, abroad), -1);
    QVERIFY(name->text().isEmpty());
    QVERIFY(click("pbSaveChanges"));
    QVERIFY(expectBox("Упражнение не установлено!", kChooseEvent));
    QVERIFY(click("pbDelete"));
    QVERIFY(expectBox("Упражнение не удалено!", kChooseEvent));
    QVERIFY(click("pBNext1"));
    QVERIFY(expectBox("Упражнение не выбрано!", kChooseEvent));
    QCOMPARE(rows("SELECT ID FROM tcompetitions").size(), 2);

    // Opened with its members.
    QVERIFY(clickCompetition(pistol));
    QVERIFY(click("pBNext1"));
    QCOMPARE(page(), Page::Members);
    QCOMPARE(userModul()->currentCompetition()->id(), pistol);
}

void TestCompetitionScreens::weaponFilter()
{
    const int rifle = storeCompetition(kRussia, kRifle60, "Rifle");
    const int pistol = storeCompetition(kRussia, kPistol60, "Pistol");
    QVERIFY(click("pBContinue"));
    QAbstractItemModelTester types(userModul()->competitionTypesProxy(), kTester);
    QAbstractItemModelTester stored(userModul()->storedCompetitionsProxy(), kTester);
    const auto listed = [this] {
        QList<int> ids;
        const QAbstractItemModel *model = widget<QListView>("lw_Competitions")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            ids.append(model->index(row, 0).data(TCompetitionList::CompIdRole).toInt());
        return ids;
    };
    auto *typeBox = widget<QComboBox>("comboBoxCompetition");
    const int allTypes = typeBox->count();
    QCOMPARE(listed(), (QList<int>{rifle, pistol}));
    QVERIFY(clickCompetition(rifle));
    QCOMPARE(typeBox->currentText(), QString(" 10m Air Rifle 60 Shots"));

    // Pistol only: the rifle competition and the rifle types go; the type box
    // shows no type rather than another one, and saving is refused.
    QVERIFY(click("cBWeaponRifle"));
    QCOMPARE(listed(), QList<int>{pistol});
    QCOMPARE(typeBox->currentIndex(), -1);
    for (int row = 0; row < typeBox->count(); ++row)
        QCOMPARE(typeBox->model()->index(row, 0).data(TCompetitionList::CompWeaponTypeRole), 1);
    QVERIFY(click("pbSaveChanges"));
    QVERIFY(expectBox("Упражнение не установлено!", "Не выбран тип упражнения"));
    QCOMPARE(rows("SELECT fTypeXMLID FROM tcompetitions WHERE ID=?", {rifle}), (Rows{{kRifle60}}));

    // Neither weapon: both lists empty; rifle only: the rifle ones back.
    QVERIFY(click("cBWeaponPistol"));
    QVERIFY(listed().isEmpty());
    QCOMPARE(typeBox->count(), 0);
    QVERIFY(click("cBWeaponRifle"));
    QCOMPARE(listed(), QList<int>{rifle});
    QVERIFY(typeBox->count() > 0 && typeBox->count() < allTypes);

    // The list of new competitions is filtered the same way.
    window()->showPage(Page::Welcome);
    QVERIFY(click("pbNEW"));
    QCOMPARE(column("lw_Competitions", 0).size(), typeBox->count());
    QVERIFY(click("cBWeaponPistol"));
    QCOMPARE(column("lw_Competitions", 0).size(), allTypes);
}

void TestCompetitionScreens::exerciseGoesWithTheCompetition()
{
    QVERIFY(openOnMembersPage(storeCompetition(kRussia, kRifle60, "Cup")));
    TEvent *event = userModul()->currentCompetition()->event(0);
    QPointer<MyEvent> exercise =
        createMyEvent(userModul()->bulletList(event->id()), event, nullptr);
    QVERIFY(exercise);
    holdEvent(exercise);

    // Back where the competition can be replaced or deleted: the exercise
    // made for it is gone first.
    QVERIFY(click("pbBack"));
    QCOMPARE(page(), Page::Competitions);
    QVERIFY(exercise.isNull());
    QVERIFY(!currentEvent());
}

void TestCompetitionScreens::composeMembers()
{
    const int competition = storeCompetition(kRussia, kRifle60, "Cup");
    const int petrov = addShooter("Иван", "Петров");
    const int smirnova = addShooter("Анна", "Смирнова");
    QVERIFY(openOnMembersPage(competition));
    QCOMPARE(widget<QTableView>("tw_members")->model(), userModul()->members());
    QAbstractItemModelTester members(userModul()->members(), kTester);
    QAbstractItemModelTester offered(userModul()->shootersProxy(), kTester);
    const auto storedMembers = [&] {
        return rows("SELECT fShooterID, fStartNumber FROM tmembers WHERE fCompetitionID=? "
                    "ORDER BY fShooterID",
                    {competition});
    };

    QVERIFY(click("pBNext"));
    QVERIFY(expectBox("Участники: Ошибка!", "Участники не выбраны!"));
    QVERIFY(click("pBRemove")); // nothing to remove, nothing said
    QVERIFY(click("pbChangeStartNum"));
    QVERIFY(expectBox("Участник не выбран!", kChooseMember));

    // The first member, with the proposed start number.
    QVERIFY(click("pBAdd"));
    auto *dialog = widget<DialogShooterList>("DialogShooterList");
    QVERIFY(dialog->isVisible());
    QCOMPARE(widget<QListView>("lwShooters")->model(), userModul()->shootersProxy());
    auto *proposed = widget<QSpinBox>("sB_startNumEdit");
    QCOMPARE(proposed->value(), 1);
    QVERIFY(click("pBOK"));
    QVERIFY(expectBox("Не выбран участник!", kChooseMember));
    QVERIFY(clickRow("lwShooters", userModul()->shootersProxy()->rowOfShooter(petrov)));
    QVERIFY(click("pBOK"));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(storedMembers(), (Rows{{petrov, 1}}));

    // The second, double-clicked, with the first one's number: both marked.
    QVERIFY(click("pBAdd"));
    QCOMPARE(proposed->value(), 2);
    QCOMPARE(userModul()->shootersProxy()->rowOfShooter(petrov), -1);
    QVERIFY(widget<QListView>("lwShooters")->selectionModel()->selectedIndexes().isEmpty());
    proposed->setValue(1);
    QVERIFY(clickRow("lwShooters", userModul()->shootersProxy()->rowOfShooter(smirnova), true));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(storedMembers(), (Rows{{petrov, 1}, {smirnova, 1}}));
    QCOMPARE(column("tw_members", TMembers::StartNumberColumn), (QStringList{"1 !", "1 !"}));
    QVERIFY(click("pBNext"));
    QVERIFY(expectBox("Стартовый номер: Ошибка!",
                      "Несколько участников имеют одинаковый стартовый номер!"));

    // A new number, from a double click: cancelled first, then given.
    QSignalSpy asked(widget<FormMembers>("FormMembers"), &FormMembers::sig_changeNum);
    const int row = column("tw_members", TMembers::MemberColumn).indexOf("Смирнова Анна");
    QVERIFY(clickRow("tw_members", row, true));
    QCOMPARE(asked.size(), 1);
    QCOMPARE(widget<QLabel>("l_shooter")->text(), QString("Анна Смирнова"));
    QVERIFY(click("pBCansel"));
    QVERIFY(click("pbChangeStartNum"));
    widget<QSpinBox>("sB_startNumEdit")->setValue(2);
    QVERIFY(click("pbOK"));
    QCOMPARE(storedMembers(), (Rows{{petrov, 1}, {smirnova, 2}}));
    QCOMPARE(column("tw_members", TMembers::StartNumberColumn), (QStringList{"1  ", "2  "}));
    QVERIFY(widget<QTableView>("tw_members")->selectionModel()->selectedIndexes().isEmpty());
    QVERIFY(click("pbChangeStartNum"));
    QVERIFY(expectBox("Участник не выбран!", kChooseMember));

    // Removed: offered again by the dialog.
    QVERIFY(clickRow("tw_members", 0));
    QVERIFY(click("pBRemove"));
    QCOMPARE(storedMembers(), (Rows{{smirnova, 2}}));
    QVERIFY(userModul()->shootersProxy()->rowOfShooter(petrov) >= 0);

    QVERIFY(click("pBNext"));
    QCOMPARE(page(), window()->hasPage(Page::Relays) ? Page::Relays : Page::Members);
}

void TestCompetitionScreens::deleteShooters()
{
    // Two members of an earlier competition, one of them with a stored shot.
    QVERIFY(storeCompetition(kRussia, kRifle60, "Earlier") > 0);
    const int shot = addShooter("A", "Shot");
    const int unused = addShooter("B", "Unused");
    QVERIFY(userModul()->addMember(userModul()->shooters()->shooterByID(shot), 1));
    QVERIFY(userModul()->addMember(userModul()->shooters()->shooterByID(unused), 2));
    QVERIFY(exec("INSERT INTO tbullets (fEventID, fMemberID, fNumber, fX, fY, fP, fEventActive, "
                 "fTime, fFine) "
                 "SELECT ?, ID, 1, 0, 0, 1, 1, 10, 0 FROM tmembers WHERE fShooterID=?",
                 {userModul()->currentCompetition()->event(0)->id(), shot}));
    QVERIFY(openOnMembersPage(storeCompetition(kRussia, kRifle60, "Now")));
    QVERIFY(click("pBAdd"));
    const auto stored = [this](int id) {
        return rows("SELECT ID FROM tshooters WHERE ID=? UNION "
                    "SELECT ID FROM tmembers WHERE fShooterID=?",
                    {id, id})
            .size();
    };

    QVERIFY(click("pbRemove"));
    QVERIFY(expectBox("Не выбран участник!", kChooseMember));
    QVERIFY(clickRow("lwShooters", userModul()->shootersProxy()->rowOfShooter(shot)));
    QVERIFY(click("pbRemove"));
    QVERIFY(expectBox("Участник не удален!", "Стрелок учавствует в завершенных соревнованиях"));
    QVERIFY(stored(shot) > 0);

    // Gone with its membership elsewhere; the dialog stays.
    QVERIFY(clickRow("lwShooters", userModul()->shootersProxy()->rowOfShooter(unused)));
    QVERIFY(click("pbRemove"));
    QCOMPARE(stored(unused), 0);
    QCOMPARE(userModul()->shootersProxy()->rowOfShooter(unused), -1);

    // Changing a shooter hands it over to the shooter dialog.
    QSignalSpy handed(widget<DialogShooterList>("DialogShooterList"),
                      &DialogShooterList::sig_dialogShooter);
    QVERIFY(clickRow("lwShooters", userModul()->shootersProxy()->rowOfShooter(shot)));
    QVERIFY(click("pBChangeShooter"));
    QCOMPARE(handed.takeFirst(), (QVariantList{shot, 0, 1}));
    QVERIFY(!widget<DialogShooterList>("DialogShooterList")->isVisible());
}

QTEST_MAIN(TestCompetitionScreens)
#include "tst_competitionscreens.moc"
