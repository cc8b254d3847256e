// The shooter dialog and the shooter's own fields; its team and qualification
// pages are in dialogshooterlists.cpp.
#include "dialogshooter.h"

#include <QLineEdit>
#include <QShowEvent>

#include "nameentry.h"
#include "tcountry.h"
#include "tmembers.h"
#include "tquality.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tteam.h"
#include "tusermodul.h"
#include "ui_dialogshooter.h"
#include "warnings.h"

DialogShooter::DialogShooter(TUserModul *modul, QWidget *parent)
    : QDialog(parent), ui(new Ui::DialogShooter), m_modul(modul)
{
    ui->setupUi(this);
    for (QLineEdit *edit : {ui->IEName_sh, ui->IENameSecond_sh, ui->IEName_team,
                            ui->IEShortName_quality, ui->IEName_quality}) {
        NameEntry::keepWholeText(edit);
    }
    ui->stackedWidget->setCurrentIndex(0);
    fillCountries();
}

DialogShooter::~DialogShooter()
{
    delete ui;
}

void DialogShooter::fillCountries()
{
    ui->CB_Country->clear();
    ui->CB_Man_Country->clear();
    for (const TCountry *country = m_modul->countryAt(0); country;
         country = m_modul->nextCountry(country)) {
        ui->CB_Country->addItem(country->icon(), country->nameRus());
        ui->CB_Man_Country->addItem(country->icon(), country->nameRus());
    }
    if (m_modul->countryAt(0)) {
        ui->CB_Country->setCurrentIndex(0);
        ui->CB_Man_Country->setCurrentIndex(0);
    }
}

void DialogShooter::slot_Show(int _shooterID, int _sourse, int _mode)
{
    if (_shooterID >= 0)
        m_shooter = m_modul->shooters()->selectShooter(_shooterID);
    else
        m_shooter = nullptr;
    m_source = _sourse;
    m_mode = _mode;
    show();
}

void DialogShooter::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The window system's own show (a restore after minimising, the window
    // being mapped) must not overwrite what the operator has typed.
    if (event->spontaneous())
        return;
    fillTeams();
    fillQualities();
    fillShooterFields();
}

void DialogShooter::fillShooterFields()
{
    if (!m_shooter) {
        ui->rBGender0->setChecked(true);
        ui->IEName_sh->setText(QString());
        ui->IENameSecond_sh->setText(QString());
        ui->DEStart_sh->setDate(QDate::currentDate());
        ui->CB_Man_Country->setCurrentIndex(0);
        // Blank choosers; the module's current team and qualification stay
        // the first of each list, which a new shooter then gets.
        ui->CB_Team->setCurrentIndex(-1);
        ui->CB_Quality->setCurrentIndex(-1);
        return;
    }
    // Choosing a team or qualification below runs the choosers' slots; the
    // record is read before, so nothing of it is needed afterwards.
    const int teamID = m_shooter->teamID();
    const int qualityID = m_shooter->qualityID();
    if (m_shooter->gender() == 0)
        ui->rBGender0->setChecked(true);
    else
        ui->rBGender1->setChecked(true);
    ui->IEName_sh->setText(m_shooter->name());
    ui->IENameSecond_sh->setText(m_shooter->family());
    ui->DEStart_sh->setDate(m_shooter->dateOfBirth());
    ui->CB_Man_Country->setCurrentIndex(m_modul->countryRow(m_shooter->countryXMLID()));

    // A team or qualification whose row is gone leaves the chooser where the
    // fill put it, while the module's current ID names no record: saving then
    // stores none (0).
    // Both choosers are set: the dialog may open on a team or qualification
    // page, whose chooser would not follow the main page's.
    m_modul->setCurrentTeam(teamID);
    const int teamRow = m_modul->currentTeamRow();
    if (m_modul->isTeamIndex(teamRow)) {
        ui->CB_Team->setCurrentIndex(teamRow);
        ui->CB_Team_2->setCurrentIndex(teamRow);
    }
    m_modul->setCurrentQuality(qualityID);
    const int qualityRow = m_modul->currentQualityRow();
    if (m_modul->isQualityIndex(qualityRow)) {
        ui->CB_Quality->setCurrentIndex(qualityRow);
        ui->CB_Quality_2->setCurrentIndex(qualityRow);
    }
}

int DialogShooter::chosenGender() const
{
    return ui->rBGender0->isChecked() ? 0 : 1;
}

int DialogShooter::chosenCountryID() const
{
    const TCountry *country = m_modul->countryAt(ui->CB_Man_Country->currentIndex());
    return country ? country->id() : 0;
}

int DialogShooter::chosenTeamID() const
{
    const TTeam *team = m_modul->currentTeam();
    return team ? team->id() : 0;
}

int DialogShooter::chosenQualityID() const
{
    const TQuality *quality = m_modul->currentQuality();
    return quality ? quality->id() : 0;
}

void DialogShooter::on_pBOK_clicked()
{
    if (m_mode == Create)
        createShooter();
    else if (m_mode == Change)
        changeShooter();
}

void DialogShooter::on_pBCansel_clicked()
{
    emit sig_shooterChanged(m_source);
}

void DialogShooter::createShooter()
{
    const QString name = ui->IEName_sh->text();
    const QString family = ui->IENameSecond_sh->text();
    if ((name + family).trimmed().isEmpty()) {
        Warnings::warning(this, QStringLiteral("Участник не создан!"),
                          QStringLiteral("Введите имя стрелка."));
        return;
    }
    const int newID = m_modul->addShooter(name, family, ui->DEStart_sh->date(), chosenGender(),
                                          chosenCountryID(), chosenTeamID(), chosenQualityID());
    if (newID < 0) {
        Warnings::warning(this, QStringLiteral("Участник не создан!"),
                          QStringLiteral("Не удалось создать участника."));
        return;
    }
    TShooter *created = m_modul->shooters()->selectShooter(newID);
    if (m_source == FromMembers) {
        TMembers *members = m_modul->members();
        const int startNumber = members->maxStartNumber() + 1;
        // The shooter is stored either way; saving again would store a second
        // one, so the dialog still closes and the operator adds the shooter
        // from the shooter list.
        if (created && m_modul->addMember(created, startNumber)) {
            members->setCurrentMember(newID);
        } else {
            Warnings::warning(this, QStringLiteral("Участник не добавлен!"),
                              QStringLiteral("Стрелок сохранён. Добавьте его в соревнование "
                                             "из списка стрелков."));
        }
    }
    emit sig_shooterChanged(m_source);
}

void DialogShooter::changeShooter()
{
    if (!m_shooter) {
        Warnings::warning(this, QStringLiteral("Данные не изменены!"),
                          QStringLiteral("Не выбран участник."));
        return;
    }
    const int id = m_shooter->id();
    const bool updated = m_modul->updateShooter(
        id, ui->IEName_sh->text(), ui->IENameSecond_sh->text(), ui->DEStart_sh->date(),
        chosenGender(), chosenCountryID(), chosenTeamID(), chosenQualityID());
    if (!updated) {
        Warnings::warning(this, QStringLiteral("Данные не изменены!"),
                          QStringLiteral("Не удалось изменить данные участника."));
        return;
    }
    m_shooter = m_modul->shooters()->selectShooter(id);
    if (m_source == FromMembers)
        m_modul->members()->setCurrentMember(id);
    emit sig_shooterChanged(m_source);
}
