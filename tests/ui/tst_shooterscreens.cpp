// Shooters, teams and qualifications as the operator edits them on the real
// main window: through the shooter dialog opened from the members page and
// from the shooter list, with the rows of the database checked after each step.

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QtTest>

#include "dialogshooter.h"
#include "dialogshooterlist.h"
#include "mainwindowtest.h"
#include "memberroles.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tcountry.h"
#include "tusermodul.h"

namespace {
constexpr int kRussia = 2;   // first country of the default list
constexpr int kBelarus = 3;
constexpr int kUkraine = 4;
constexpr int kRifle60 = 1;  // a competition type of the default list
} // namespace

class TestShooterScreens : public MainWindowTest
{
    Q_OBJECT

private slots:
    void shootersFromBothSources();
    void teamsAndQualitiesInsideTheDialog();

private:
    // A stored competition opened through the competitions page.
    bool openMembersPage();
    bool dialogShown() const { return widget<DialogShooter>("DialogShooter")->isVisible(); }
    bool listShown() const { return widget<DialogShooterList>("DialogShooterList")->isVisible(); }
    void type(const char *edit, const QString &text) { widget<QLineEdit>(edit)->setText(text); }
    bool choose(const char *chooser, int row)
    {
        auto *box = widget<QComboBox>(chooser);
        if (!box->isVisible() || row < 0 || row >= box->count())
            return false;
        box->setCurrentIndex(row);
        return true;
    }
    // The chooser's row shows that country's flag.
    bool showsFlag(const char *chooser, int row, int countryID) const
    {
        const QIcon shown = widget<QComboBox>(chooser)->itemIcon(row);
        const TCountry *country = userModul()->countryByID(countryID);
        return country && !shown.isNull() && shown.cacheKey() == country->icon().cacheKey();
    }
    int shooterID(const QString &family)
    {
        return rows("SELECT ID FROM tshooters WHERE fFamily=?", {family}).value(0).value(0).toInt();
    }
};

bool TestShooterScreens::openMembersPage()
{
    if (!userModul()->newCompetition(kRussia, kRifle60, false, QDate(2020, 2, 15), QTime(9, 30),
                                     "Кубок"))
        return false;
    const int id = userModul()->currentCompetition()->id();
    return click("pBContinue")
        && clickRow("lw_Competitions", rowOf("lw_Competitions", TCompetitionList::CompIdRole, id))
        && click("pBNext1") && page() == Page::Members;
}

void TestShooterScreens::shootersFromBothSources()
{
    QVERIFY(openMembersPage());
    const int belarusRow = userModul()->countryRow(kBelarus);

    // From the members page: the new shooter becomes a member at once.
    QVERIFY(click("pBCreate"));
    QVERIFY(dialogShown());
    QVERIFY(click("rBGender1"));
    type("IEName_sh", "Анна");
    type("IENameSecond_sh", " О'Нил ");
    QVERIFY(choose("CB_Man_Country", belarusRow));
    QVERIFY(showsFlag("CB_Man_Country", belarusRow, kBelarus));
    QVERIFY(click("pBOK"));
    QVERIFY(!dialogShown() && !listShown());
    QCOMPARE(page(), Page::Members);
    const int anna = shooterID(" О'Нил ");
    QCOMPARE(rows("SELECT fName, fGender, fCountryXMLID, fTeamID, fQualityID FROM tshooters "
                  "WHERE ID=?", {anna}),
             Rows({{"Анна", 1, kBelarus, 0, 0}}));
    QCOMPARE(rows("SELECT fShooterID, fStartNumber FROM tmembers"), Rows({{anna, 1}}));
    QCOMPARE(column("tw_members", 1), QStringList({" О'Нил  Анна"}));

    // From the shooter list: the list comes back, the shooter is no member.
    QVERIFY(click("pBAdd"));
    QVERIFY(click("pBCreateShooter"));
    QVERIFY(dialogShown() && !listShown());
    // The form is empty again.
    QVERIFY(widget<QLineEdit>("IEName_sh")->text().isEmpty());
    QVERIFY(widget<QRadioButton>("rBGender0")->isChecked());
    QCOMPARE(widget<QComboBox>("CB_Man_Country")->currentIndex(), 0);
    QCOMPARE(widget<QComboBox>("CB_Team")->currentIndex(), -1);
    type("IEName_sh", "Борис");
    type("IENameSecond_sh", "Smith \\ \"Jr\"");
    QVERIFY(click("pBOK"));
    QVERIFY(!dialogShown() && listShown());
    const int boris = shooterID("Smith \\ \"Jr\"");
    QCOMPARE(rows("SELECT fName, fGender, fCountryXMLID FROM tshooters WHERE ID=?", {boris}),
             Rows({{"Борис", 0, kRussia}}));
    QCOMPARE(rows("SELECT COUNT(*) FROM tmembers"), Rows({{1}}));

    // Changed from the shooter list.
    QVERIFY(clickRow("lwShooters", rowOf("lwShooters", MemberRoles::ShooterIDRole, boris)));
    QVERIFY(click("pBChangeShooter"));
    QVERIFY(dialogShown() && !listShown());
    QCOMPARE(widget<QLineEdit>("IENameSecond_sh")->text(), "Smith \\ \"Jr\"");
    type("IENameSecond_sh", "Смирнов");
    QVERIFY(choose("CB_Man_Country", belarusRow));
    QVERIFY(click("pBOK"));
    QVERIFY(!dialogShown() && listShown());
    QCOMPARE(rows("SELECT fName, fFamily, fCountryXMLID FROM tshooters WHERE ID=?", {boris}),
             Rows({{"Борис", "Смирнов", kBelarus}}));

    // Cancel writes nothing; from the list it brings the list back, from the
    // members page it only closes.
    QVERIFY(click("pBChangeShooter"));
    type("IENameSecond_sh", "Другой");
    QVERIFY(click("pBCansel"));
    QVERIFY(!dialogShown() && listShown());
    QVERIFY(click("pBCansel"));
    QVERIFY(!listShown());
    QVERIFY(click("pBCreate"));
    QVERIFY(click("pBCansel"));
    QVERIFY(!dialogShown() && !listShown());
    QCOMPARE(rows("SELECT fFamily FROM tshooters ORDER BY ID"),
             Rows({{" О'Нил "}, {"Смирнов"}}));
}

void TestShooterScreens::teamsAndQualitiesInsideTheDialog()
{
    QVERIFY(openMembersPage());
    QVERIFY(click("pBAdd"));
    QVERIFY(click("pBCreateShooter"));

    // Created, with the flag of its country in both choosers.
    QVERIFY(click("pB_EditTeam"));
    type("IEName_team", "Динамо");
    QVERIFY(choose("CB_Country", userModul()->countryRow(kUkraine)));
    QVERIFY(click("pbCreate_team"));
    QCOMPARE(rows("SELECT ID, fName, fCountryXMLID FROM tteam WHERE ID>0"),
             Rows({{1, "Динамо", kUkraine}}));
    QCOMPARE(widget<QComboBox>("CB_Team_2")->currentText(), "Динамо");
    QVERIFY(showsFlag("CB_Team_2", 1, kUkraine));

    // Renamed into another country; a second one created and removed again.
    type("IEName_team", "«Динамо» \\ 2");
    QVERIFY(choose("CB_Country", userModul()->countryRow(kBelarus)));
    QVERIFY(click("pBChange_team"));
    QCOMPARE(rows("SELECT ID, fName, fCountryXMLID FROM tteam WHERE ID>0"),
             Rows({{1, "«Динамо» \\ 2", kBelarus}}));
    QVERIFY(showsFlag("CB_Team_2", 1, kBelarus));
    type("IEName_team", "Спартак");
    QVERIFY(click("pbCreate_team"));
    QCOMPARE(rows("SELECT COUNT(*) FROM tteam WHERE ID=2"), Rows({{1}}));
    QVERIFY(click("pbRemove_team"));
    QCOMPARE(rows("SELECT ID FROM tteam ORDER BY ID"), Rows({{0}, {1}}));
    QCOMPARE(widget<QComboBox>("CB_Team_2")->currentIndex(), 1);

    // Qualifications: the short name is shown, and stored back after a
    // change, in upper case.
    QVERIFY(click("pushButton"));
    QCOMPARE(widget<QComboBox>("CB_Team")->currentText(), "«Динамо» \\ 2");
    QVERIFY(click("pB_EditQuality"));
    type("IEShortName_quality", "кмс");
    type("IEName_quality", "Кандидат");
    QVERIFY(click("pbCreate_quality"));
    QCOMPARE(rows("SELECT ID, fName, fshortname FROM tqualifications WHERE ID>0"),
             Rows({{1, "Кандидат", "кмс"}}));
    QCOMPARE(widget<QComboBox>("CB_Quality_2")->currentText(), "КМС");
    type("IEName_quality", "Кандидат в мастера спорта");
    QVERIFY(click("pBChange_quality"));
    QCOMPARE(rows("SELECT fName, fshortname FROM tqualifications WHERE ID=1"),
             Rows({{"Кандидат в мастера спорта", "КМС"}}));
    type("IEShortName_quality", "мс");
    QVERIFY(click("pbCreate_quality"));
    QVERIFY(click("pbRemove_quality"));
    QCOMPARE(rows("SELECT ID FROM tqualifications ORDER BY ID"), Rows({{0}, {1}}));

    // The shooter gets what the choosers show; saved from the qualification
    // page, on which the dialog opens next time.
    QCOMPARE(widget<QComboBox>("CB_Quality_2")->currentText(), "КМС");
    type("IENameSecond_sh", "Зайцева");
    QVERIFY(click("pBOK"));
    QCOMPARE(rows("SELECT fTeamID, fQualityID FROM tshooters WHERE fFamily=?", {"Зайцева"}),
             Rows({{1, 1}}));

    // Changing her shows her qualification on that page too; now that she
    // has it and belongs to the team, neither can go.
    const int shooter = shooterID("Зайцева");
    QVERIFY(clickRow("lwShooters", rowOf("lwShooters", MemberRoles::ShooterIDRole, shooter)));
    QVERIFY(click("pBChangeShooter"));
    QCOMPARE(widget<QComboBox>("CB_Quality_2")->currentText(), "КМС");
    QCOMPARE(widget<QLineEdit>("IEName_quality")->text(), "Кандидат в мастера спорта");
    QVERIFY(click("pbRemove_quality"));
    QVERIFY(expectBox("Удаление!", "Не удалось удалить квалификацию, один или несколько "
                                   "участников имеют данную квалификацию."));
    QVERIFY(click("pushButton_2"));
    QVERIFY(click("pB_EditTeam"));
    QCOMPARE(widget<QLineEdit>("IEName_team")->text(), "«Динамо» \\ 2");
    QVERIFY(click("pbRemove_team"));
    QVERIFY(expectBox("Удаление!", "Не удалось удалить команду, один или несколько участников "
                                   "находятся в этой команде."));
    QCOMPARE(rows("SELECT COUNT(*) FROM tteam WHERE ID=1"), Rows({{1}}));
    QCOMPARE(rows("SELECT COUNT(*) FROM tqualifications WHERE ID=1"), Rows({{1}}));
    QVERIFY(click("pushButton"));
    QVERIFY(click("pBCansel"));
    QVERIFY(listShown());
}

QTEST_MAIN(TestShooterScreens)
#include "tst_shooterscreens.moc"
