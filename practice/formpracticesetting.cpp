#include "formpracticesetting.h"

#include "ui_formpracticesetting.h"

#include <QHeaderView>

#include "teventlistproxy.h"
#include "tmemberspractice.h"
#include "tmemberspracticeused.h"
#include "tpracticemodul.h"
#include "warnings.h"

namespace {
// Weapon filter values of the exercise list.
constexpr int kRifle = 0;
constexpr int kPistol = 1;
} // namespace

FormPracticeSetting::FormPracticeSetting(TPracticeModul *module, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::FormPracticeSetting)
    , m_module(module)
{
    ui->setupUi(this);
    // Both boxes start checked, which is the list's own unfiltered state.
    ui->cb_Events->setModel(m_module->eventListProxy());
    ui->tw_members->setModel(m_module->usedShooters());
    QHeaderView *header = ui->tw_members->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(TMembersPractice::NameColumn, QHeaderView::Stretch);
}

FormPracticeSetting::~FormPracticeSetting()
{
    delete ui;
}

void FormPracticeSetting::on_cBWeaponRifle_clicked()
{
    applyWeaponFilter();
}

void FormPracticeSetting::on_cBWeaponPistol_clicked()
{
    applyWeaponFilter();
}

void FormPracticeSetting::applyWeaponFilter()
{
    const bool rifle = ui->cBWeaponRifle->isChecked();
    const bool pistol = ui->cBWeaponPistol->isChecked();
    int filter = TEventListProxy::kNoWeapon;
    if (rifle && pistol)
        filter = TEventListProxy::kAllWeapons;
    else if (rifle)
        filter = kRifle;
    else if (pistol)
        filter = kPistol;
    m_module->eventListProxy()->setWeaponFilter(filter);
}

void FormPracticeSetting::on_pBAdd_clicked()
{
    emit sig_AddShooter();
}

void FormPracticeSetting::on_pBRemove_clicked()
{
    if (m_selectedID >= 0)
        m_module->unuseShooter(m_selectedID);
}

void FormPracticeSetting::on_tw_members_clicked(QModelIndex index)
{
    if (index.row() < 0 || index.column() < 0 || !index.model())
        m_selectedID = -1;
    else
        m_selectedID = index.data(TMembersPractice::Id1Role).toInt();
}

void FormPracticeSetting::on_tw_members_doubleClicked(QModelIndex index)
{
    on_tw_members_clicked(index);
    if (index.isValid())
        emit sig_ChangeShooter(m_selectedID);
}

void FormPracticeSetting::on_pbBack_clicked()
{
    emit sig_Back();
}

void FormPracticeSetting::on_pBNext_clicked()
{
    if (!isReadyToStart()) {
        Warnings::warning(this, QStringLiteral("Ошибка!"),
                          QStringLiteral("Выберите участников и проверьте адреса мишеней"));
        return;
    }
    // Without an exercise the run page would open with nothing to run.
    if (!chooseExercise()) {
        Warnings::warning(this, QStringLiteral("Упражнение не выбрано!"),
                          QStringLiteral("Выберите упражнение"));
        return;
    }
    emit sig_Next();
}

bool FormPracticeSetting::isReadyToStart() const
{
    return m_module->usedShooters()->rowCount(QModelIndex()) > 0
           && !m_module->hasTargetConflict();
}

bool FormPracticeSetting::chooseExercise()
{
    // -1 when the weapon filter leaves the box empty.
    const int row = ui->cb_Events->currentIndex();
    if (row < 0)
        return false;
    TEventListProxy *exercises = m_module->eventListProxy();
    m_module->setCurrentEvent(exercises->eventIDOfRow(row), exercises->subNumOfRow(row));
    return m_module->getCurrentEvent() != nullptr;
}
