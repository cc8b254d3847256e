#include "formpracticeshooter.h"

#include "ui_formpracticeshooter.h"

#include <QVBoxLayout>

#include "counrtylist.h"
#include "nameentry.h"
#include "practicetargets.h"
#include "tcountry.h"
#include "tpracticemodul.h"
#include "tquality.h"
#include "tshooter.h"
#include "tteam.h"
#include "warnings.h"

namespace {
// Item 0 of the team and qualification boxes stands for entry 0 of the
// module's list, the "none" entry.
const QString kNoneItem = QStringLiteral("   ");
const QString kEmptyQualityText = QStringLiteral("-");
const QString kAskShooterName = QStringLiteral("Введите имя стрелка.");
const QString kAskTeamName = QStringLiteral("Введите название команды.");

void setIndexWithin(QComboBox *box, int index)
{
    if (index >= 0 && index < box->count())
        box->setCurrentIndex(index);
}
} // namespace

formPracticeShooter::formPracticeShooter(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::formPracticeShooter)
{
    ui->setupUi(this);
    // The form file carries sample texts for the designer only.
    ui->IEShortName_quality->clear();
    ui->IEName_quality->clear();
    showShooter(-1);
}

formPracticeShooter::~formPracticeShooter()
{
    delete ui;
}

formPracticeShooter *formPracticeShooter::embed(QFrame *frame, TPracticeModul *module, int mode)
{
    auto *form = new formPracticeShooter;
    auto *layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(form);
    frame->setLayout(layout);
    form->fillAll(module);
    form->setChangeEnabled(mode);
    return form;
}

void formPracticeShooter::fillAll(TPracticeModul *module)
{
    m_module = module;
    fillTeams(-1);
    fillQualities(-1);
    fillCountries(-1, -1);
}

void formPracticeShooter::setChangeEnabled(int mode)
{
    m_mode = mode;
    if (mode != ListMode && mode != ChangeMode)
        return;
    const bool change = mode == ChangeMode;
    ui->f_target->setVisible(change);
    ui->f_target_a->setVisible(change);
    ui->pBCreateShooter->setEnabled(!change);
    ui->pBCreateShooter_a->setEnabled(!change);
}

void formPracticeShooter::refillTeamsQualities()
{
    fillTeams(-1);
    fillQualities(-1);
}

TShooter *formPracticeShooter::currentShooter() const
{
    if (!m_module || m_shownID < 0)
        return nullptr;
    return m_module->shooterById(m_shownID);
}

// Boxes.

void formPracticeShooter::fillTeams(int teamID)
{
    ui->CB_Team->clear();
    ui->CB_Team_2->clear();
    if (!m_module || !m_module->teamAt(0))
        return;
    ui->CB_Team->addItem(kNoneItem);
    ui->CB_Team_2->addItem(kNoneItem);
    int current = 0;
    for (const TTeam *team = m_module->nextTeam(m_module->teamAt(0)); team;
         team = m_module->nextTeam(team)) {
        const TCountry *country = m_module->countryByID(team->countryXMLID());
        const QIcon icon = country ? country->icon() : QIcon();
        ui->CB_Team->addItem(icon, team->name());
        ui->CB_Team_2->addItem(icon, team->name());
        if (team->id() == teamID)
            current = ui->CB_Team->count() - 1;
    }
    ui->CB_Team->setCurrentIndex(current);
    ui->CB_Team_2->setCurrentIndex(current);
}

void formPracticeShooter::fillQualities(int qualityID)
{
    ui->CB_Quality->clear();
    ui->CB_Quality_2->clear();
    if (!m_module || !m_module->qualityAt(0))
        return;
    ui->CB_Quality->addItem(kNoneItem);
    ui->CB_Quality_2->addItem(kNoneItem);
    int current = 0;
    for (const TQuality *quality = m_module->nextQuality(m_module->qualityAt(0)); quality;
         quality = m_module->nextQuality(quality)) {
        ui->CB_Quality->addItem(quality->shortName());
        ui->CB_Quality_2->addItem(quality->shortName());
        if (quality->id() == qualityID)
            current = ui->CB_Quality->count() - 1;
    }
    ui->CB_Quality->setCurrentIndex(current);
    ui->CB_Quality_2->setCurrentIndex(current);
}

void formPracticeShooter::fillCountries(int shooterCountryID, int teamCountryID)
{
    ui->CB_Man_Country->clear();
    ui->CB_Country->clear();
    if (!m_module || !m_module->countryAt(0))
        return;
    int shooterCurrent = -1;
    int teamCurrent = -1;
    for (const TCountry *country = m_module->countryAt(0); country;
         country = m_module->nextCountry(country)) {
        ui->CB_Country->addItem(country->icon(), country->nameRus());
        ui->CB_Man_Country->addItem(country->icon(), country->nameRus());
        const int index = ui->CB_Country->count() - 1;
        if (country->id() == shooterCountryID)
            shooterCurrent = index;
        if (country->id() == teamCountryID)
            teamCurrent = index;
    }
    setIndexWithin(ui->CB_Man_Country, shooterCurrent);
    setIndexWithin(ui->CB_Country, teamCurrent);
}

// The shown shooter.

void formPracticeShooter::showShooter(int id)
{
    m_shownID = id;
    const TShooter *shooter = currentShooter();
    ui->stackedWidget->setCurrentIndex(shooter && shooter->addition() ? FullPage : ShortPage);
    fillFields();
}

void formPracticeShooter::fillFields()
{
    const TShooter *shooter = currentShooter();
    if (!shooter) {
        ui->sb_TargetAddr->setValue(ui->sb_TargetAddr->minimum());
        ui->sb_TargetAddr_a->setValue(ui->sb_TargetAddr_a->minimum());
        ui->IENameFirst->clear();
        ui->IENameFirst_a->clear();
        ui->IENameSecond->clear();
        ui->IENameSecond_a->clear();
        clearFields();
        return;
    }
    // A free shooter is offered the next address after the participants'.
    const int target = shooter->isUsed()
                           ? shooter->target()
                           : maxTargetAddress() + 1;
    ui->sb_TargetAddr->setValue(target);
    ui->sb_TargetAddr_a->setValue(target);
    ui->IENameFirst->setText(shooter->name());
    ui->IENameFirst_a->setText(shooter->name());
    ui->IENameSecond->setText(shooter->family());
    ui->IENameSecond_a->setText(shooter->family());
    if (!shooter->addition()) {
        clearFields();
        return;
    }
    if (shooter->gender() == 0)
        ui->rBGender0->setChecked(true);
    else
        ui->rBGender1->setChecked(true);
    ui->DEBirthDay->setDate(shooter->dateOfBirth());
    const int countryIndex = m_module->countryByID(shooter->countryXMLID())
                                 ? m_module->countryIndexOf(shooter->countryXMLID())
                                 : 0;
    setIndexWithin(ui->CB_Man_Country, countryIndex);
    const TTeam *team = m_module->teamByID(shooter->teamID());
    setIndexWithin(ui->CB_Team, m_module->teamIndexOf(team));
    showTeam(team);
    const TQuality *quality = m_module->qualityByID(shooter->qualityID());
    setIndexWithin(ui->CB_Quality, m_module->qualityIndexOf(quality));
    showQuality(quality);
}

void formPracticeShooter::clearFields()
{
    ui->rBGender0->setChecked(true);
    ui->DEBirthDay->setDate(QDate::currentDate());
    setIndexWithin(ui->CB_Man_Country, 0);
    showTeam(nullptr);
    showQuality(nullptr);
}

void formPracticeShooter::showTeam(const TTeam *team)
{
    if (!team) {
        ui->IEName_team->clear();
        setIndexWithin(ui->CB_Country, 0);
        return;
    }
    ui->IEName_team->setText(team->name());
    setIndexWithin(ui->CB_Country, qMax(0, m_module->countryIndexOf(team->countryXMLID())));
}

void formPracticeShooter::showQuality(const TQuality *quality)
{
    if (!quality) {
        ui->IEName_quality->clear();
        ui->IEShortName_quality->clear();
        return;
    }
    ui->IEName_quality->setText(quality->name());
    ui->IEShortName_quality->setText(quality->shortName());
}

int formPracticeShooter::maxTargetAddress() const
{
    return PracticeTargets::highestUsed(m_module->membersPractice());
}

// Saving.

formPracticeShooter::Entry formPracticeShooter::readPage(bool full) const
{
    Entry entry;
    entry.full = full;
    if (!full) {
        entry.target = ui->sb_TargetAddr->value();
        entry.name = ui->IENameFirst->text();
        entry.family = ui->IENameSecond->text();
        entry.dateOfBirth = QDate::currentDate();
        return entry;
    }
    entry.target = ui->sb_TargetAddr_a->value();
    entry.name = ui->IENameFirst_a->text();
    entry.family = ui->IENameSecond_a->text();
    entry.dateOfBirth = ui->DEBirthDay->date();
    entry.gender = ui->rBGender0->isChecked() ? 0 : 1;
    // The country box has no "none" item: its first item is a country too.
    const int countryIndex = ui->CB_Man_Country->currentIndex();
    entry.countryID = countryIndex >= 0 ? m_module->countryIDAt(countryIndex) : 0;
    const int teamIndex = ui->CB_Team->currentIndex();
    entry.teamID = teamIndex > 0 ? m_module->teamIDAt(teamIndex) : 0;
    const int qualityIndex = ui->CB_Quality->currentIndex();
    entry.qualityID = qualityIndex > 0 ? m_module->qualityIDAt(qualityIndex) : 0;
    return entry;
}

void formPracticeShooter::createShooter(bool full)
{
    if (!m_module)
        return;
    const Entry entry = readPage(full);
    if (!NameEntry::named(this, entry.name + entry.family,
                          QStringLiteral("Не удалось создать стрелка!"), kAskShooterName)) {
        return;
    }
    m_shownID = m_module->addShooter(entry.name, entry.family, entry.dateOfBirth, entry.gender,
                                     entry.countryID, entry.teamID, entry.qualityID, full,
                                     false);
    if (m_shownID < 0) {
        Warnings::warning(this, QStringLiteral("Не удалось создать стрелка!"),
                          QStringLiteral("Не удалось создать стрелка!"));
        return;
    }
    m_module->setShooterAddition(m_shownID, full);
    if (m_mode == ChangeMode)
        m_module->setShooterTarget(m_shownID, entry.target);
    fillFields();
}

formPracticeShooter::Change formPracticeShooter::changeShooter(bool full)
{
    const TShooter *shooter = currentShooter();
    if (!shooter)
        return Change::NothingShown;
    const Entry entry = readPage(full);
    if (!shooter->sameData(entry.name, entry.family, entry.dateOfBirth, entry.gender,
                           entry.countryID, entry.teamID, entry.qualityID, full)) {
        const int stored = m_module->updateShooter(m_shownID, entry.name, entry.family,
                                                   entry.dateOfBirth, entry.gender,
                                                   entry.countryID, entry.teamID,
                                                   entry.qualityID, full);
        if (stored != m_shownID)
            return Change::Failed;
    }
    m_module->setShooterAddition(m_shownID, full);
    if (m_mode == ChangeMode)
        m_module->setShooterTarget(m_shownID, entry.target);
    fillFields();
    return Change::Stored;
}

void formPracticeShooter::saveShown(bool full)
{
    const Entry entry = readPage(full);
    if (currentShooter()
        && !NameEntry::named(this, entry.name + entry.family,
                             QStringLiteral("Не удалось изменить стрелка!"), kAskShooterName)) {
        return;
    }
    // The fields keep what was typed, so the operator can try again or leave.
    if (changeShooter(full) == Change::Failed) {
        Warnings::warning(this, QStringLiteral("Не удалось изменить стрелка!"),
                          QStringLiteral("Изменения стрелка не сохранены"));
        return;
    }
    emit sig_changeBTNClicked();
}

void formPracticeShooter::on_pBChangeShooter_clicked()
{
    saveShown(false);
}

void formPracticeShooter::on_pBChangeShooter_a_clicked()
{
    saveShown(true);
}

void formPracticeShooter::on_pBCreateShooter_clicked()
{
    createShooter(false);
}

void formPracticeShooter::on_pBCreateShooter_a_clicked()
{
    createShooter(true);
}

// Pages.

void formPracticeShooter::on_pbAddition_clicked()
{
    ui->sb_TargetAddr_a->setValue(ui->sb_TargetAddr->value());
    ui->IENameFirst_a->setText(ui->IENameFirst->text());
    ui->IENameSecond_a->setText(ui->IENameSecond->text());
    ui->stackedWidget->setCurrentIndex(FullPage);
}

void formPracticeShooter::on_pbShortly_clicked()
{
    ui->sb_TargetAddr->setValue(ui->sb_TargetAddr_a->value());
    ui->IENameFirst->setText(ui->IENameFirst_a->text());
    ui->IENameSecond->setText(ui->IENameSecond_a->text());
    ui->stackedWidget->setCurrentIndex(ShortPage);
}

// Teams.

void formPracticeShooter::on_pB_EditTeam_clicked()
{
    ui->CB_Team_2->setCurrentIndex(ui->CB_Team->currentIndex());
    ui->stackedWidget->setCurrentIndex(TeamPage);
}

void formPracticeShooter::on_CB_Team_2_currentIndexChanged(int index)
{
    if (m_module)
        showTeam(m_module->teamByID(m_module->teamIDAt(index)));
}

void formPracticeShooter::on_pbSave_Team_clicked()
{
    ui->CB_Team->setCurrentIndex(ui->CB_Team_2->currentIndex());
    ui->stackedWidget->setCurrentIndex(FullPage);
}

void formPracticeShooter::on_pbCreate_team_clicked()
{
    if (!m_module
        || !NameEntry::named(this, ui->IEName_team->text(),
                             QStringLiteral("Команда не создана!"), kAskTeamName)) {
        return;
    }
    const int id = m_module->addTeam(m_module->countryIDAt(ui->CB_Country->currentIndex()),
                                     ui->IEName_team->text());
    if (id < 0) {
        Warnings::warning(this, QStringLiteral("Коменда не создана!"),
                          QStringLiteral("Не удалось создать новую команду"));
        return;
    }
    fillTeams(id);
}

void formPracticeShooter::on_pBChange_team_clicked()
{
    if (!m_module
        || !NameEntry::named(this, ui->IEName_team->text(),
                             QStringLiteral("Команда не изменена!"), kAskTeamName)) {
        return;
    }
    const int index = ui->CB_Team_2->currentIndex();
    if (!m_module->updateTeam(index, m_module->countryIDAt(ui->CB_Country->currentIndex()),
                              ui->IEName_team->text())) {
        Warnings::warning(this, QStringLiteral("Редактирование!"),
                          QStringLiteral("Не удалось редактировать команду"));
        return;
    }
    // The boxes would go on showing the former name.
    fillTeams(m_module->teamIDAt(index));
}

void formPracticeShooter::on_pbRemove_team_clicked()
{
    // Item 0, "none", is no team to remove.
    const int index = ui->CB_Team_2->currentIndex();
    if (!m_module || index <= 0)
        return;
    if (!m_module->deleteTeam(index)) {
        Warnings::warning(this, QStringLiteral("Удаление!"),
                          QStringLiteral("Не удалось удалить команду"));
        return;
    }
    fillTeams(-1);
}

// Qualifications.

void formPracticeShooter::on_pB_EditQuality_clicked()
{
    ui->CB_Quality_2->setCurrentIndex(ui->CB_Quality->currentIndex());
    ui->stackedWidget->setCurrentIndex(QualityPage);
}

void formPracticeShooter::on_CB_Quality_2_currentIndexChanged(int index)
{
    if (m_module)
        showQuality(m_module->qualityByID(m_module->qualityIDAt(index)));
}

void formPracticeShooter::on_pbSave_Quality_clicked()
{
    ui->CB_Quality->setCurrentIndex(ui->CB_Quality_2->currentIndex());
    ui->stackedWidget->setCurrentIndex(FullPage);
}

QString formPracticeShooter::qualityText(const QString &text) const
{
    return text.isEmpty() ? kEmptyQualityText : text;
}

void formPracticeShooter::on_pbCreate_quality_clicked()
{
    if (!m_module)
        return;
    const int id = m_module->addQuality(qualityText(ui->IEName_quality->text()),
                                        qualityText(ui->IEShortName_quality->text()));
    if (id < 0) {
        Warnings::warning(this, QStringLiteral("Квалификация не создана!"),
                          QStringLiteral("Не удалось создать новую квалификацию"));
        return;
    }
    fillQualities(id);
}

void formPracticeShooter::on_pBChange_quality_clicked()
{
    if (!m_module)
        return;
    const int id = m_module->qualityIDAt(ui->CB_Quality_2->currentIndex());
    if (!m_module->updateQuality(id, qualityText(ui->IEName_quality->text()),
                                 qualityText(ui->IEShortName_quality->text()))) {
        Warnings::warning(this, QStringLiteral("Редактирование!"),
                          QStringLiteral("Не удалось редактировать квалификацию"));
        return;
    }
    fillQualities(id);
}

void formPracticeShooter::on_pbRemove_quality_clicked()
{
    // Item 0, "none", is no qualification to remove.
    const int index = ui->CB_Quality_2->currentIndex();
    if (!m_module || index <= 0)
        return;
    if (!m_module->deleteQuality(index)) {
        Warnings::warning(this, QStringLiteral("Удаление!"),
                          QStringLiteral("Не удалось удалить квалификацию"));
        return;
    }
    fillQualities(-1);
}
