// The competition wizard's first two pages on the real main window, as the
// operator walks them: creating, editing, deleting and opening competitions,
// then composing the members through the shooter list and start number
// dialogs. Every action is checked against the rows the database then holds.

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
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

constexpr int kRifle60 = 1;       // rifle type: one exercise and a final
constexpr int kRifle40 = 2;       // rifle type: one exercise and a final
constexpr int kPistol60 = 3;      // pistol type
constexpr int kUnknownCountry = 9999;
constexpr auto kTester = QAbstractItemModelTester::FailureReportingMode::QtTest;
const QString kReadBack = QStringLiteral("readback");

} // namespace

class TestCompetitionScreens : public MainWindowTest
{
    Q_OBJECT

private slots:
    void cleanup();

    // Competitions page.
    void createCompetition();
    void creationRefused_data();
    void creationRefused();
    void storedCompetitions();
    void weaponFilter();
    void exerciseGoesWithTheCompetition();

    // Members page with its two dialogs.
    void composeMembers();
    void deleteShooters();

private:
    // The stored rows of a select, each as its list of values, read through a
    // connection of the test's own.
    QSqlDatabase readBack();
    QList<QVariantList> rows(const QString &statement, const QVariantList &values = {});
    bool exec(const QString &statement, const QVariantList &values = {});
    bool clickRow(const QString &viewName, int row, bool twice = false);
    // The view's row whose role holds that value; -1 when none.
    int rowOf(const QString &viewName, int role, int value) const;
    bool expectBox(const QString &title, const QString &text);
    int storeCompetition(int country, int type, const QString &name);
    // Through the competitions page in mode 1 onto the members page.
    bool openOnMembersPage(int competitionID);
    QStringList memberTexts(int column) const;
};

void TestCompetitionScreens::cleanup()
{
    if (QSqlDatabase::contains(kReadBack))
        QSqlDatabase::database(kReadBack, false).close();
    QSqlDatabase::removeDatabase(kReadBack);
    MainWindowTest::cleanup();
}

QSqlDatabase TestCompetitionScreens::readBack()
{
    QSqlDatabase db = QSqlDatabase::contains(kReadBack)
        ? QSqlDatabase::database(kReadBack)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kReadBack);
    if (!db.isOpen()) {
        db.setDatabaseName(
            runFolder().filePath(QStringLiteral("ServerDatas/DataBase/competitions.sqlite")));
        db.open();
    }
    return db;
}

QList<QVariantList> TestCompetitionScreens::rows(const QString &statement,
                                                 const QVariantList &values)
{
    QList<QVariantList> result;
    QSqlQuery query(readBack());
    if (!query.prepare(statement))
        return result;
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        return result;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row.append(query.value(i));
        result.append(row);
    }
    return result;
}

bool TestCompetitionScreens::exec(const QString &statement, const QVariantList &values)
{
    QSqlQuery query(readBack());
    if (!query.prepare(statement))
        return false;
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

bool TestCompetitionScreens::clickRow(const QString &viewName, int row, bool twice)
{
    auto *view = widget<QAbstractItemView>(viewName);
    if (!view || !view->isVisible() || !view->model() || row < 0)
        return false;
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    return true;
}

int TestCompetitionScreens::rowOf(const QString &viewName, int role, int value) const
{
    const QAbstractItemModel *model = widget<QAbstractItemView>(viewName)->model();
    for (int row = 0; model && row < model->rowCount(); ++row) {
        if (model->index(row, 0).data(role).toInt() == value)
            return row;
    }
    return -1;
}

bool TestCompetitionScreens::expectBox(const QString &title, const QString &text)
{
    const Warnings::Shown box = takeWarning();
    if (box.title == title && box.text == text)
        return true;
    qWarning("expected \"%s\" / \"%s\", got \"%s\" / \"%s\"", qPrintable(title), qPrintable(text),
             qPrintable(box.title), qPrintable(box.text));
    return false;
}

int TestCompetitionScreens::storeCompetition(int country, int type, const QString &name)
{
    if (!userModul()->newCompetition(country, type, false, QDate(2020, 2, 15), QTime(9, 30), name))
        return -1;
    return userModul()->currentCompetition()->id();
}

bool TestCompetitionScreens::openOnMembersPage(int competitionID)
{
    window()->showPage(Page::Welcome);
    return click(QStringLiteral("pBContinue"))
        && clickRow(QStringLiteral("lw_Competitions"),
                    rowOf(QStringLiteral("lw_Competitions"), TCompetitionList::CompIdRole,
                          competitionID))
        && click(QStringLiteral("pBNext1")) && page() == Page::Members;
}

QStringList TestCompetitionScreens::memberTexts(int column) const
{
    QStringList texts;
    const QAbstractItemModel *model = widget<QTableView>(QStringLiteral("tw_members"))->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

void TestCompetitionScreens::createCompetition()
{
    QVERIFY(click(QStringLiteral("pbNEW")));
    QCOMPARE(page(), Page::Competitions);
    auto *list = widget<QListView>(QStringLiteral("lw_Competitions"));
    QCOMPARE(list->model(), userModul()->competitionTypesProxy());
    QAbstractItemModelTester tester(list->model(), kTester);

    QVERIFY(click(QStringLiteral("pBNext1")));
    QVERIFY(expectBox(QStringLiteral("Упражнение не установлено!"),
                      QStringLiteral("Не выбран тип упражнения")));

    QVERIFY(clickRow(QStringLiteral("lw_Competitions"),
                     rowOf(QStringLiteral("lw_Competitions"), TCompetitionList::CompTypeXMLIDRole,
                           kRifle60)));
    // The type record's moment, not the present one.
    const TCompetition *type = userModul()->competitionTypes()->setCurrentID(kRifle60);
    QCOMPARE(widget<QDateEdit>(QStringLiteral("dateEdit"))->date(), type->startDate());
    widget<QDateEdit>(QStringLiteral("dateEdit"))->setDate(QDate(2020, 2, 15));
    widget<QTimeEdit>(QStringLiteral("timeEdit"))->setTime(QTime(9, 30));
    widget<QLineEdit>(QStringLiteral("IEName"))->setText(QStringLiteral("Кубок"));
    const TCountry *country = userModul()->countryAt(0);
    const QString question = QStringLiteral("Соревнование: 10m Air Rifle 60 Shots\n"
                                            "Страна проведения: %1\n"
                                            "Наименование: Кубок\n"
                                            "Дата проведения: 2020-02-15 09:30\n"
                                            "Продолжить?")
                                 .arg(country->nameRus());

    // Cancel takes the stored competition back.
    Warnings::setNextAnswer(QMessageBox::Cancel);
    QVERIFY(click(QStringLiteral("pBNext1")));
    QCOMPARE(Warnings::last().icon, QMessageBox::Question);
    QVERIFY(expectBox(QStringLiteral("Будет создано соревнование:"), question));
    QCOMPARE(page(), Page::Competitions);
    QVERIFY(rows(QStringLiteral("SELECT ID FROM tcompetitions")).isEmpty());
    QVERIFY(rows(QStringLiteral("SELECT ID FROM tevents")).isEmpty());
    QCOMPARE(widget<QLineEdit>(QStringLiteral("IEName"))->text(), QStringLiteral("Кубок"));

    Warnings::setNextAnswer(QMessageBox::Yes);
    widget<QDateEdit>(QStringLiteral("dateEdit"))->setDate(QDate(2020, 2, 15));
    widget<QTimeEdit>(QStringLiteral("timeEdit"))->setTime(QTime(9, 30));
    QVERIFY(click(QStringLiteral("pBNext1")));
    QVERIFY(expectBox(QStringLiteral("Будет создано соревнование:"), question));
    QCOMPARE(page(), Page::Members);
    const QList<QVariantList> stored = rows(QStringLiteral(
        "SELECT ID, fName, fTypeXMLID, fCountryXMLID, fFinal, fFinished FROM tcompetitions"));
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().mid(1), (QVariantList{QStringLiteral("Кубок"), kRifle60,
                                                  country->id(), 0, 0}));
    // Created without its final.
    QCOMPARE(rows(QStringLiteral("SELECT ID FROM tevents WHERE fCompetitionID=?"),
                  {stored.first().first()})
                 .size(),
             1);
    QCOMPARE(userModul()->currentCompetition()->id(), stored.first().first().toInt());
}

void TestCompetitionScreens::creationRefused_data()
{
    QTest::addColumn<QByteArray>("countryList");
    QTest::addColumn<bool>("refuseInsert");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("the database refuses the competition")
        << QByteArray() << true << QStringLiteral("Ошибка базы данных!")
        << QStringLiteral("Ошибка при запросе/ответе Базы Данных");
    QTest::newRow("no country to hold it in")
        << QByteArray("<CountryList/>") << false << QStringLiteral("Страна не выбрана!")
        << QStringLiteral("Список стран пуст");
}

void TestCompetitionScreens::creationRefused()
{
    QFETCH(QByteArray, countryList);
    QFETCH(bool, refuseInsert);
    QFETCH(QString, title);
    QFETCH(QString, text);

    if (!countryList.isEmpty()) {
        QVERIFY(runFolder().writeFile(QStringLiteral("ServerDatas/Countries/CountyList.xml"),
                                      countryList));
        QVERIFY(reopenWindow());
    }
    if (refuseInsert) {
        QVERIFY(exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tcompetitions "
                                    "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    }
    QVERIFY(click(QStringLiteral("pbNEW")));
    QVERIFY(clickRow(QStringLiteral("lw_Competitions"), 0));
    QVERIFY(click(QStringLiteral("pBNext1")));
    QVERIFY(expectBox(title, text));
    QCOMPARE(page(), Page::Competitions);
    QVERIFY(rows(QStringLiteral("SELECT ID FROM tcompetitions")).isEmpty());
    QCOMPARE(takeStorageErrors().isEmpty(), !refuseInsert);
}

void TestCompetitionScreens::storedCompetitions()
{
    const QList<int> ids{storeCompetition(2, kRifle60, QStringLiteral("Rifle")),
                         storeCompetition(kUnknownCountry, kRifle60, QStringLiteral("Abroad")),
                         storeCompetition(2, kPistol60, QStringLiteral("Pistol"))};
    QVERIFY(!ids.contains(-1));
    QVERIFY(click(QStringLiteral("pBContinue")));
    QCOMPARE(widget<QListView>(QStringLiteral("lw_Competitions"))->model(),
             userModul()->storedCompetitionsProxy());
    auto *typeBox = widget<QComboBox>(QStringLiteral("comboBoxCompetition"));
    QCOMPARE(typeBox->model(), userModul()->competitionTypesProxy());
    QAbstractItemModelTester tester(userModul()->storedCompetitionsProxy(), kTester);

    const QString chooseOne = QStringLiteral("Выберите упражнение");
    QVERIFY(click(QStringLiteral("pbSaveChanges")));
    QVERIFY(expectBox(QStringLiteral("Упражнение не установлено!"), chooseOne));
    QVERIFY(click(QStringLiteral("pbDelete")));
    QVERIFY(expectBox(QStringLiteral("Упражнение не удалено!"), chooseOne));

    // A new name and type for the first.
    const auto rowOfID = [this](int id) {
        return rowOf(QStringLiteral("lw_Competitions"), TCompetitionList::CompIdRole, id);
    };
    QVERIFY(clickRow(QStringLiteral("lw_Competitions"), rowOfID(ids.at(0))));
    auto *name = widget<QLineEdit>(QStringLiteral("IEName"));
    QCOMPARE(name->text(), QStringLiteral("Rifle"));
    auto *events = widget<QListWidget>(QStringLiteral("lw_events"));
    QCOMPARE(events->count(), 1); // the final is not listed
    QVERIFY(events->item(0)->text().endsWith(QLatin1Char(' ')));
    name->setText(QStringLiteral("Rifle 40"));
    typeBox->setCurrentIndex(userModul()->competitionTypesProxy()->rowOfTypeID(kRifle40));
    QVERIFY(click(QStringLiteral("pbSaveChanges")));
    QCOMPARE(rows(QStringLiteral("SELECT fName, fTypeXMLID FROM tcompetitions WHERE ID=?"),
                  {ids.at(0)}),
             (QList<QVariantList>{{QStringLiteral("Rifle 40"), kRifle40}}));
    // Chosen again from the rebuilt list.
    const QModelIndexList selected =
        widget<QListView>(QStringLiteral("lw_Competitions"))->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().data(TCompetitionList::CompIdRole).toInt(), ids.at(0));
    QCOMPARE(name->text(), QStringLiteral("Rifle 40"));

    // A country the list does not hold stays the stored one.
    QVERIFY(clickRow(QStringLiteral("lw_Competitions"), rowOfID(ids.at(1))));
    QCOMPARE(widget<QComboBox>(QStringLiteral("cB_Country"))->currentIndex(), -1);
    name->setText(QStringLiteral("Abroad 2"));
    QVERIFY(click(QStringLiteral("pbSaveChanges")));
    QCOMPARE(rows(QStringLiteral("SELECT fName, fCountryXMLID FROM tcompetitions WHERE ID=?"),
                  {ids.at(1)}),
             (QList<QVariantList>{{QStringLiteral("Abroad 2"), kUnknownCountry}}));

    // Deleted: gone with its exercises, and nothing can act on it any more.
    QVERIFY(click(QStringLiteral("pbDelete")));
    QVERIFY(rows(QStringLiteral("SELECT ID FROM tcompetitions WHERE ID=?"), {ids.at(1)}).isEmpty());
    QVERIFY(rows(QStringLiteral("SELECT ID FROM tevents WHERE fCompetitionID=?"), {ids.at(1)})
                .isEmpty());
    QCOMPARE(rowOfID(ids.at(1)), -1);
    QVERIFY(name->text().isEmpty());
    QVERIFY(click(QStringLiteral("pbSaveChanges")));
    QVERIFY(expectBox(QStringLiteral("Упражнение не установлено!"), chooseOne));
    QVERIFY(click(QStringLiteral("pbDelete")));
    QVERIFY(expectBox(QStringLiteral("Упражнение не удалено!"), chooseOne));
    QVERIFY(click(QStringLiteral("pBNext1")));
    QVERIFY(expectBox(QStringLiteral("Упражнение не выбрано!"), chooseOne));
    QCOMPARE(rows(QStringLiteral("SELECT ID FROM tcompetitions")).size(), 2);

    // Opened with its members.
    QVERIFY(clickRow(QStringLiteral("lw_Competitions"), rowOfID(ids.at(2))));
    QVERIFY(click(QStringLiteral("pBNext1")));
    QCOMPARE(page(), Page::Members);
    QCOMPARE(userModul()->currentCompetition()->id(), ids.at(2));
}

void TestCompetitionScreens::weaponFilter()
{
    const int rifle = storeCompetition(2, kRifle60, QStringLiteral("Rifle"));
    const int pistol = storeCompetition(2, kPistol60, QStringLiteral("Pistol"));
    QVERIFY(click(QStringLiteral("pBContinue")));
    QAbstractItemModelTester types(userModul()->competitionTypesProxy(), kTester);
    QAbstractItemModelTester stored(userModul()->storedCompetitionsProxy(), kTester);
    const auto listed = [this] {
        QList<int> ids;
        const QAbstractItemModel *model = widget<QListView>(QStringLiteral("lw_Competitions"))->model();
        for (int row = 0; row < model->rowCount(); ++row)
            ids.append(model->index(row, 0).data(TCompetitionList::CompIdRole).toInt());
        return ids;
    };
    auto *typeBox = widget<QComboBox>(QStringLiteral("comboBoxCompetition"));
    const int allTypes = typeBox->count();
    QCOMPARE(listed(), (QList<int>{rifle, pistol}));
    QVERIFY(clickRow(QStringLiteral("lw_Competitions"), 0));
    QCOMPARE(typeBox->currentText(), QStringLiteral(" 10m Air Rifle 60 Shots"));

    // Pistol only: the rifle competition and the rifle types go; the type box
    // shows no type rather than another one.
    QVERIFY(click(QStringLiteral("cBWeaponRifle")));
    QCOMPARE(listed(), QList<int>{pistol});
    QCOMPARE(typeBox->currentIndex(), -1);
    for (int row = 0; row < typeBox->count(); ++row)
        QCOMPARE(typeBox->model()->index(row, 0).data(TCompetitionList::CompWeaponTypeRole).toInt(), 1);
    QVERIFY(click(QStringLiteral("pbSaveChanges")));
    QVERIFY(expectBox(QStringLiteral("Упражнение не установлено!"),
                      QStringLiteral("Не выбран тип упражнения")));
    QCOMPARE(rows(QStringLiteral("SELECT fTypeXMLID FROM tcompetitions WHERE ID=?"), {rifle}),
             (QList<QVariantList>{{kRifle60}}));

    // Neither weapon: both lists empty; rifle only: the rifle ones back.
    QVERIFY(click(QStringLiteral("cBWeaponPistol")));
    QVERIFY(listed().isEmpty());
    QCOMPARE(typeBox->count(), 0);
    QVERIFY(click(QStringLiteral("cBWeaponRifle")));
    QCOMPARE(listed(), QList<int>{rifle});
    QVERIFY(typeBox->count() > 0 && typeBox->count() < allTypes);

    // The new-competition list is filtered the same way.
    window()->showPage(Page::Welcome);
    QVERIFY(click(QStringLiteral("pbNEW")));
    QCOMPARE(widget<QListView>(QStringLiteral("lw_Competitions"))->model()->rowCount(),
             typeBox->count());
    QVERIFY(click(QStringLiteral("cBWeaponPistol")));
    QCOMPARE(widget<QListView>(QStringLiteral("lw_Competitions"))->model()->rowCount(), allTypes);
}

void TestCompetitionScreens::exerciseGoesWithTheCompetition()
{
    QVERIFY(openOnMembersPage(storeCompetition(2, kRifle60, QStringLiteral("Cup"))));
    TEvent *event = userModul()->currentCompetition()->event(0);
    QPointer<MyEvent> exercise = createMyEvent(userModul()->bulletList(event->id()), event, nullptr);
    QVERIFY(exercise);
    holdEvent(exercise);

    // Back where the competition can be replaced or deleted: the exercise
    // made for it is gone first.
    QVERIFY(click(QStringLiteral("pbBack")));
    QCOMPARE(page(), Page::Competitions);
    QVERIFY(exercise.isNull());
    QVERIFY(!currentEvent());
}

void TestCompetitionScreens::composeMembers()
{
    const int competition = storeCompetition(2, kRifle60, QStringLiteral("Cup"));
    const int petrov = userModul()->addShooter(QStringLiteral("Иван"), QStringLiteral("Петров"),
                                               QDate(1990, 1, 1), 0, 2, 0, 0);
    const int smirnova = userModul()->addShooter(QStringLiteral("Анна"), QStringLiteral("Смирнова"),
                                                 QDate(1991, 1, 1), 1, 2, 0, 0);
    QVERIFY(openOnMembersPage(competition));
    QCOMPARE(widget<QTableView>(QStringLiteral("tw_members"))->model(), userModul()->members());
    QAbstractItemModelTester members(userModul()->members(), kTester);
    QAbstractItemModelTester offered(userModul()->shootersProxy(), kTester);
    const auto storedMembers = [&] {
        return rows(QStringLiteral("SELECT fShooterID, fStartNumber FROM tmembers "
                                   "WHERE fCompetitionID=? ORDER BY fShooterID"),
                    {competition});
    };

    QVERIFY(click(QStringLiteral("pBNext")));
    QVERIFY(expectBox(QStringLiteral("Участники: Ошибка!"), QStringLiteral("Участники не выбраны!")));
    QVERIFY(click(QStringLiteral("pBRemove"))); // nothing to remove, nothing said
    QVERIFY(click(QStringLiteral("pbChangeStartNum")));
    QVERIFY(expectBox(QStringLiteral("Участник не выбран!"), QStringLiteral("Выберите участника")));

    // The first member, with the proposed start number.
    QVERIFY(click(QStringLiteral("pBAdd")));
    auto *dialog = widget<DialogShooterList>(QStringLiteral("DialogShooterList"));
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(widget<QListView>(QStringLiteral("lwShooters"))->model(), userModul()->shootersProxy());
    auto *proposed = widget<QSpinBox>(QStringLiteral("sB_startNumEdit"));
    QCOMPARE(proposed->value(), 1);
    QVERIFY(click(QStringLiteral("pBOK")));
    QVERIFY(expectBox(QStringLiteral("Не выбран участник!"), QStringLiteral("Выберите участника")));
    QVERIFY(clickRow(QStringLiteral("lwShooters"),
                     userModul()->shootersProxy()->rowOfShooter(petrov)));
    QVERIFY(click(QStringLiteral("pBOK")));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(storedMembers(), (QList<QVariantList>{{petrov, 1}}));

    // The second with the first one's number: both marked.
    QVERIFY(click(QStringLiteral("pBAdd")));
    QCOMPARE(proposed->value(), 2);
    QCOMPARE(userModul()->shootersProxy()->rowOfShooter(petrov), -1);
    QVERIFY(widget<QListView>(QStringLiteral("lwShooters"))->selectionModel()->selectedIndexes().isEmpty());
    proposed->setValue(1);
    QVERIFY(clickRow(QStringLiteral("lwShooters"),
                     userModul()->shootersProxy()->rowOfShooter(smirnova), true));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(storedMembers(), (QList<QVariantList>{{petrov, 1}, {smirnova, 1}}));
    QCOMPARE(memberTexts(TMembers::StartNumberColumn), (QStringList{"1 !", "1 !"}));
    QVERIFY(click(QStringLiteral("pBNext")));
    QVERIFY(expectBox(QStringLiteral("Стартовый номер: Ошибка!"),
                      QStringLiteral("Несколько участников имеют одинаковый стартовый номер!")));

    // A new number: cancelled first, then given.
    QSignalSpy asked(widget<FormMembers>(QStringLiteral("FormMembers")), &FormMembers::sig_changeNum);
    const int row = memberTexts(TMembers::MemberColumn).indexOf(QStringLiteral("Смирнова Анна"));
    QVERIFY(clickRow(QStringLiteral("tw_members"), row, true));
    QCOMPARE(asked.size(), 1);
    QCOMPARE(widget<QLabel>(QStringLiteral("l_shooter"))->text(), QStringLiteral("Анна Смирнова"));
    QVERIFY(click(QStringLiteral("pBCansel")));
    QCOMPARE(storedMembers(), (QList<QVariantList>{{petrov, 1}, {smirnova, 1}}));
    QVERIFY(click(QStringLiteral("pbChangeStartNum")));
    widget<QSpinBox>(QStringLiteral("sB_startNumEdit"))->setValue(2);
    QVERIFY(click(QStringLiteral("pbOK")));
    QCOMPARE(storedMembers(), (QList<QVariantList>{{petrov, 1}, {smirnova, 2}}));
    QCOMPARE(memberTexts(TMembers::StartNumberColumn), (QStringList{"1  ", "2  "}));
    QVERIFY(widget<QTableView>(QStringLiteral("tw_members"))->selectionModel()->selectedIndexes().isEmpty());
    QVERIFY(click(QStringLiteral("pbChangeStartNum")));
    QVERIFY(expectBox(QStringLiteral("Участник не выбран!"), QStringLiteral("Выберите участника")));

    // Removed: offered again by the dialog.
    QVERIFY(clickRow(QStringLiteral("tw_members"), 0));
    QVERIFY(click(QStringLiteral("pBRemove")));
    QCOMPARE(storedMembers(), (QList<QVariantList>{{smirnova, 2}}));
    QVERIFY(userModul()->shootersProxy()->rowOfShooter(petrov) >= 0);

    QVERIFY(click(QStringLiteral("pBNext")));
    QCOMPARE(page(), window()->hasPage(Page::Relays) ? Page::Relays : Page::Members);
}

void TestCompetitionScreens::deleteShooters()
{
    // Two shooters of an earlier competition, one of them with a stored shot.
    QVERIFY(storeCompetition(2, kRifle60, QStringLiteral("Earlier")) > 0);
    const int shot = userModul()->addShooter(QStringLiteral("A"), QStringLiteral("Shot"),
                                             QDate(1990, 1, 1), 0, 2, 0, 0);
    const int unused = userModul()->addShooter(QStringLiteral("B"), QStringLiteral("Unused"),
                                               QDate(1990, 1, 1), 0, 2, 0, 0);
    QVERIFY(userModul()->addMember(userModul()->shooters()->shooterByID(shot), 1));
    QVERIFY(userModul()->addMember(userModul()->shooters()->shooterByID(unused), 2));
    const QVariantList shotMember =
        rows(QStringLiteral("SELECT ID FROM tmembers WHERE fShooterID=?"), {shot}).value(0);
    QVERIFY(exec(QStringLiteral("INSERT INTO tbullets (fEventID, fMemberID, fNumber, fX, fY, fP, "
                                "fEventActive, fTime, fFine) VALUES (?, ?, 1, 0, 0, 1, 1, 10, 0)"),
                 {userModul()->currentCompetition()->event(0)->id(), shotMember.value(0)}));
    QVERIFY(openOnMembersPage(storeCompetition(2, kRifle60, QStringLiteral("Now"))));
    QVERIFY(click(QStringLiteral("pBAdd")));
    const auto storedShooter = [this](int id) {
        return rows(QStringLiteral("SELECT ID FROM tshooters WHERE ID=?"), {id}).size();
    };

    QVERIFY(click(QStringLiteral("pbRemove")));
    QVERIFY(expectBox(QStringLiteral("Не выбран участник!"), QStringLiteral("Выберите участника")));
    QVERIFY(clickRow(QStringLiteral("lwShooters"), userModul()->shootersProxy()->rowOfShooter(shot)));
    QVERIFY(click(QStringLiteral("pbRemove")));
    QVERIFY(expectBox(QStringLiteral("Участник не удален!"),
                      QStringLiteral("Стрелок учавствует в завершенных соревнованиях")));
    QCOMPARE(storedShooter(shot), 1);

    QVERIFY(clickRow(QStringLiteral("lwShooters"), userModul()->shootersProxy()->rowOfShooter(unused)));
    QVERIFY(click(QStringLiteral("pbRemove")));
    QCOMPARE(storedShooter(unused), 0);
    QVERIFY(rows(QStringLiteral("SELECT ID FROM tmembers WHERE fShooterID=?"), {unused}).isEmpty());
    QCOMPARE(userModul()->shootersProxy()->rowOfShooter(unused), -1);
    QVERIFY(widget<DialogShooterList>(QStringLiteral("DialogShooterList"))->isVisible());

    // Creating and changing a shooter hand over to the shooter dialog.
    QSignalSpy handed(widget<DialogShooterList>(QStringLiteral("DialogShooterList")),
                      &DialogShooterList::sig_dialogShooter);
    QVERIFY(clickRow(QStringLiteral("lwShooters"), userModul()->shootersProxy()->rowOfShooter(shot)));
    QVERIFY(click(QStringLiteral("pBChangeShooter")));
    QCOMPARE(handed.takeFirst(), (QVariantList{shot, 0, 1}));
    QVERIFY(!widget<DialogShooterList>(QStringLiteral("DialogShooterList"))->isVisible());
}

QTEST_MAIN(TestCompetitionScreens)
#include "tst_competitionscreens.moc"
