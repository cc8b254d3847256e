// The team and qualification choosers of the shooter dialog and its two pages
// that create, change and remove teams and qualifications. The module holds
// the lists and the current team and qualification; each chooser row is the
// list entry at the same index.
#include "dialogshooter.h"

#include <QComboBox>

#include "nameentry.h"
#include "tcountry.h"
#include "tquality.h"
#include "tteam.h"
#include "tusermodul.h"
#include "ui_dialogshooter.h"
#include "warnings.h"

namespace {

enum StackPage { PageMain = 0, PageTeam = 1, PageQuality = 2 };

// Text of the first entry of each list, the no-team and no-qualification row.
const QString kNoneText = QStringLiteral("   ");

const QString kAskTeamName = QStringLiteral("Введите название команды.");

void appendToBoth(QComboBox *first, QComboBox *second, const QIcon &icon, const QString &text)
{
    first->addItem(icon, text);
    second->addItem(icon, text);
}

void selectInBoth(QComboBox *mainChooser, QComboBox *pageChooser, int row)
{
    mainChooser->setCurrentIndex(row);
    pageChooser->setCurrentIndex(row);
}

// The row that becomes current once the entry of row removedRow has gone:
// the one above it, the first when it was the first.
int rowAfterRemoval(int removedRow, const QComboBox *mainChooser)
{
    if (removedRow >= 1)
        return removedRow - 1;
    return mainChooser->count() > 0 ? 0 : -1;
}

// The team's country as chosen on the team page; -1 when none is.
int chosenTeamCountryID(const TUserModul *modul, const QComboBox *countries)
{
    const TCountry *country = modul->countryAt(countries->currentIndex());
    return country ? country->id() : -1;
}

} // namespace

void DialogShooter::on_pB_EditTeam_clicked()
{
    ui->stackedWidget->setCurrentIndex(PageTeam);
}

void DialogShooter::on_pB_EditQuality_clicked()
{
    ui->stackedWidget->setCurrentIndex(PageQuality);
}

void DialogShooter::on_pushButton_clicked()
{
    ui->stackedWidget->setCurrentIndex(PageMain);
}

void DialogShooter::on_pushButton_2_clicked()
{
    ui->stackedWidget->setCurrentIndex(PageMain);
}

QComboBox *DialogShooter::followingChooser(QComboBox *mainChooser, QComboBox *pageChooser) const
{
    return ui->stackedWidget->currentIndex() == PageMain ? pageChooser : mainChooser;
}

// Teams.

void DialogShooter::fillTeams()
{
    ui->CB_Team->clear();
    ui->CB_Team_2->clear();
    const TTeam *first = m_modul->teamAt(0);
    if (!first) {
        showCurrentTeam();
        return;
    }
    // The first row added to an emptied chooser becomes current and runs its
    // slot: from here on the first team is the current one.
    appendToBoth(ui->CB_Team, ui->CB_Team_2, QIcon(), kNoneText);
    for (const TTeam *team = m_modul->nextTeam(first); team; team = m_modul->nextTeam(team)) {
        const TCountry *country = m_modul->countryByID(team->countryXMLID());
        appendToBoth(ui->CB_Team, ui->CB_Team_2, country ? country->icon() : QIcon(),
                     team->name());
    }
    showCurrentTeam();
}

void DialogShooter::showCurrentTeam()
{
    const TTeam *team = m_modul->currentTeam();
    if (!team) {
        ui->CB_Country->setCurrentIndex(0);
        ui->IEName_team->setText(QString());
        return;
    }
    const bool editable = team->id() != 0;
    ui->pBChange_team->setEnabled(editable);
    ui->pbRemove_team->setEnabled(editable);
    if (editable) {
        ui->IEName_team->setText(team->name());
        ui->CB_Country->setCurrentIndex(m_modul->countryRow(team->countryXMLID()));
    } else {
        ui->IEName_team->setText(kNoneText);
        ui->CB_Country->setCurrentIndex(-1);
    }
    followingChooser(ui->CB_Team, ui->CB_Team_2)->setCurrentIndex(m_modul->currentTeamRow());
}

void DialogShooter::on_CB_Team_currentIndexChanged(int index)
{
    teamChosen(index);
}

void DialogShooter::on_CB_Team_2_currentIndexChanged(int index)
{
    teamChosen(index);
}

void DialogShooter::teamChosen(int row)
{
    if (const TTeam *team = m_modul->teamAt(row)) {
        m_modul->setCurrentTeam(team->id());
        showCurrentTeam();
    }
}

void DialogShooter::chooseTeam(int teamID)
{
    fillTeams();
    m_modul->setCurrentTeam(teamID);
    const int row = m_modul->currentTeamRow();
    if (m_modul->isTeamIndex(row))
        selectInBoth(ui->CB_Team, ui->CB_Team_2, row);
}

void DialogShooter::on_pbCreate_team_clicked()
{
    createTeam();
}

void DialogShooter::on_pBChange_team_clicked()
{
    changeTeam();
}

void DialogShooter::on_pbRemove_team_clicked()
{
    removeTeam();
}

void DialogShooter::createTeam()
{
    if (!NameEntry::named(this, ui->IEName_team->text(), QStringLiteral("Коменда не создана!"),
                          kAskTeamName)) {
        return;
    }
    const int newID = m_modul->addTeam(chosenTeamCountryID(m_modul, ui->CB_Country),
                                       ui->IEName_team->text());
    if (newID < 0) {
        Warnings::warning(this, QStringLiteral("Коменда не создана!"),
                          QStringLiteral("Не удалось создать новую команду"));
        return;
    }
    chooseTeam(newID);
}

void DialogShooter::changeTeam()
{
    const TTeam *team = m_modul->currentTeam();
    if (!team
        || !NameEntry::named(this, ui->IEName_team->text(), QStringLiteral("Редактирование!"),
                             kAskTeamName)) {
        return;
    }
    const int id = team->id();
    if (!m_modul->updateTeam(id, chosenTeamCountryID(m_modul, ui->CB_Country),
                             ui->IEName_team->text())) {
        Warnings::warning(this, QStringLiteral("Редактирование!"),
                          QStringLiteral("Не удалось редактировать команду"));
        return;
    }
    chooseTeam(id);
}

void DialogShooter::removeTeam()
{
    const TTeam *team = m_modul->currentTeam();
    if (!team)
        return;
    const int oldRow = ui->CB_Team->currentIndex();
    // The module refuses while a shooter belongs to the team.
    if (!m_modul->deleteTeam(team->id())) {
        Warnings::warning(this, QStringLiteral("Удаление!"),
                          QStringLiteral("Не удалось удалить команду, один или несколько "
                                         "участников находятся в этой команде."));
        return;
    }
    fillTeams();
    selectInBoth(ui->CB_Team, ui->CB_Team_2, rowAfterRemoval(oldRow, ui->CB_Team));
}

// Qualifications.

void DialogShooter::fillQualities()
{
    ui->CB_Quality->clear();
    ui->CB_Quality_2->clear();
    const TQuality *first = m_modul->qualityAt(0);
    if (!first) {
        showCurrentQuality();
        return;
    }
    appendToBoth(ui->CB_Quality, ui->CB_Quality_2, QIcon(), kNoneText);
    for (const TQuality *quality = m_modul->nextQuality(first); quality;
         quality = m_modul->nextQuality(quality)) {
        appendToBoth(ui->CB_Quality, ui->CB_Quality_2, QIcon(), quality->shortName());
    }
    showCurrentQuality();
}

void DialogShooter::showCurrentQuality()
{
    const TQuality *quality = m_modul->currentQuality();
    if (!quality) {
        ui->IEName_quality->setText(QString());
        return;
    }
    const bool editable = quality->id() != 0;
    ui->pBChange_quality->setEnabled(editable);
    ui->pbRemove_quality->setEnabled(editable);
    ui->IEName_quality->setText(editable ? quality->name() : kNoneText);
    ui->IEShortName_quality->setText(editable ? quality->shortName() : kNoneText);
    followingChooser(ui->CB_Quality, ui->CB_Quality_2)
        ->setCurrentIndex(m_modul->currentQualityRow());
}

void DialogShooter::on_CB_Quality_currentIndexChanged(int index)
{
    qualityChosen(index);
}

void DialogShooter::on_CB_Quality_2_currentIndexChanged(int index)
{
    qualityChosen(index);
}

void DialogShooter::qualityChosen(int row)
{
    if (const TQuality *quality = m_modul->qualityAt(row)) {
        m_modul->setCurrentQuality(quality->id());
        showCurrentQuality();
    }
}

void DialogShooter::chooseQuality(int qualityID)
{
    fillQualities();
    m_modul->setCurrentQuality(qualityID);
    const int row = m_modul->currentQualityRow();
    if (m_modul->isQualityIndex(row))
        selectInBoth(ui->CB_Quality, ui->CB_Quality_2, row);
}

void DialogShooter::on_pbCreate_quality_clicked()
{
    createQuality();
}

void DialogShooter::on_pBChange_quality_clicked()
{
    changeQuality();
}

void DialogShooter::on_pbRemove_quality_clicked()
{
    removeQuality();
}

void DialogShooter::createQuality()
{
    const int newID =
        m_modul->addQuality(ui->IEName_quality->text(), ui->IEShortName_quality->text());
    if (newID < 0) {
        Warnings::warning(this, QStringLiteral("Квалификация не создана!"),
                          QStringLiteral("Не удалось создать новую квалификацию"));
        return;
    }
    chooseQuality(newID);
}

void DialogShooter::changeQuality()
{
    const TQuality *quality = m_modul->currentQuality();
    if (!quality)
        return;
    const int id = quality->id();
    if (!m_modul->updateQuality(id, ui->IEName_quality->text(),
                                ui->IEShortName_quality->text())) {
        Warnings::warning(this, QStringLiteral("Редактирование!"),
                          QStringLiteral("Не удалось редактировать квалификацию"));
        return;
    }
    chooseQuality(id);
}

void DialogShooter::removeQuality()
{
    const TQuality *quality = m_modul->currentQuality();
    if (!quality)
        return;
    const int oldRow = ui->CB_Quality->currentIndex();
    // The module refuses while a shooter has the qualification.
    if (!m_modul->deleteQuality(quality->id())) {
        Warnings::warning(this, QStringLiteral("Удаление!"),
                          QStringLiteral("Не удалось удалить квалификацию, один или несколько "
                                         "участников имеют данную квалификацию."));
        return;
    }
    fillQualities();
    selectInBoth(ui->CB_Quality, ui->CB_Quality_2, rowAfterRemoval(oldRow, ui->CB_Quality));
}
