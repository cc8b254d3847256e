#include "dialogshooterlist.h"

#include "memberroles.h"
#include "tmembers.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tshootersproxy.h"
#include "tusermodul.h"
#include "ui_dialogshooterlist.h"
#include "warnings.h"

namespace {
constexpr int kFromShooterList = 0;
constexpr int kCreate = 0;
constexpr int kChange = 1;
} // namespace

DialogShooterList::DialogShooterList(TUserModul *modul, QWidget *parent)
    : QDialog(parent), ui(new Ui::DialogShooterList), m_modul(modul)
{
    ui->setupUi(this);
    ui->lwShooters->setModel(m_modul->shootersProxy());
    proposeStartNumber();
}

DialogShooterList::~DialogShooterList()
{
    delete ui;
}

void DialogShooterList::proposeStartNumber()
{
    // The spin box holds the value within its range.
    ui->sB_startNumEdit->setValue(m_modul->members()->maxStartNumber() + 1);
}

void DialogShooterList::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    proposeStartNumber();
    ui->lwShooters->clearSelection();
    const TShooter *current = m_modul->shooters()->currentShooter();
    if (!current)
        return;
    const int row = m_modul->shootersProxy()->rowOfShooter(current->id());
    if (row >= 0) {
        ui->lwShooters->selectionModel()->select(m_modul->shootersProxy()->index(row, 0),
                                                 QItemSelectionModel::Select);
    }
}

void DialogShooterList::on_lwShooters_clicked(const QModelIndex &index)
{
    const int shooterID =
        index.isValid() ? index.data(MemberRoles::ShooterIDRole).toInt() : -1;
    m_modul->shooters()->selectShooter(shooterID);
}

bool DialogShooterList::addCurrentShooter()
{
    const TShooter *current = m_modul->shooters()->currentShooter();
    if (!current)
        return false;
    emit sig_memberselected(current->id(), ui->sB_startNumEdit->value());
    hide();
    return true;
}

void DialogShooterList::warnNoShooter()
{
    Warnings::warning(this, QStringLiteral("Не выбран участник!"),
                      QStringLiteral("Выберите участника"));
}

void DialogShooterList::on_pBOK_clicked()
{
    if (!addCurrentShooter())
        warnNoShooter();
}

void DialogShooterList::on_lwShooters_doubleClicked(const QModelIndex &)
{
    // The first click of the double click has made the shooter current.
    addCurrentShooter();
}

void DialogShooterList::on_pBCreateShooter_clicked()
{
    emit sig_dialogShooter(-1, kFromShooterList, kCreate);
    hide();
}

void DialogShooterList::on_pBChangeShooter_clicked()
{
    const TShooter *current = m_modul->shooters()->currentShooter();
    if (!current) {
        warnNoShooter();
        return;
    }
    emit sig_dialogShooter(current->id(), kFromShooterList, kChange);
    hide();
}

void DialogShooterList::on_pbRemove_clicked()
{
    const TShooter *current = m_modul->shooters()->currentShooter();
    if (!current) {
        warnNoShooter();
        return;
    }
    const int result = m_modul->deleteShooter(current->id(), true);
    if (result == -1) {
        Warnings::warning(this, QStringLiteral("Участник не удален!"),
                          QStringLiteral("Стрелок учавствует в завершенных соревнованиях"));
    } else if (result == 0) {
        Warnings::warning(this, QStringLiteral("Участник не удален!"),
                          QStringLiteral("Проблемы с БД"));
    }
}

void DialogShooterList::on_pBCansel_clicked()
{
    hide();
}
