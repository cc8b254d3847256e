#include "dialogpracticeshooterlist.h"

#include "ui_dialogpracticeshooterlist.h"

#include <QItemSelectionModel>

#include "formpracticeshooter.h"
#include "practicetargets.h"
#include "tmemberspractice.h"
#include "tmemberspracticeused.h"
#include "tpracticemodul.h"

DialogPracticeshooterlist::DialogPracticeshooterlist(TPracticeModul *module, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::DialogPracticeshooterlist)
    , m_module(module)
{
    ui->setupUi(this);
    m_shooterForm = formPracticeShooter::embed(ui->frameInfo, m_module,
                                               formPracticeShooter::ListMode);
    ui->lwShooters->setModel(m_module->freeShooters());
}

DialogPracticeshooterlist::~DialogPracticeshooterlist()
{
    delete m_shooterForm;
    delete ui;
}

void DialogPracticeshooterlist::showDialog()
{
    m_shooterForm->refillTeamsQualities();
    ui->sB_targetAddress->setValue(maxTargetAddress() + 1);
    // The style gives buttons a small fixed minimum width, below their text:
    // open large enough for every caption.
    resize(size().expandedTo(sizeHint()));
    show();
}

int DialogPracticeshooterlist::maxTargetAddress() const
{
    return PracticeTargets::highestUsed(m_module->membersPractice());
}

void DialogPracticeshooterlist::on_lwShooters_clicked(QModelIndex index)
{
    if (index.row() < 0 || index.column() < 0 || !index.model()) {
        m_selectedID = -1;
        return;
    }
    m_selectedID = index.data(TMembersPractice::Id1Role).toInt();
    m_shooterForm->showShooter(m_selectedID);
}

void DialogPracticeshooterlist::on_lwShooters_doubleClicked(QModelIndex index)
{
    on_lwShooters_clicked(index);
    if (index.isValid())
        addSelectedShooter();
}

void DialogPracticeshooterlist::on_pBCansel_2_clicked()
{
    hide();
}

void DialogPracticeshooterlist::on_pBOK_2_clicked()
{
    addSelectedShooter();
}

void DialogPracticeshooterlist::addSelectedShooter()
{
    const int target = ui->sB_targetAddress->value();
    // With no selection the module answers -1 too: the form is emptied all the same.
    if (m_module->useShooter(m_selectedID, target) == m_selectedID)
        resetSelection();
}

void DialogPracticeshooterlist::on_pbRemove_clicked()
{
    if (m_module->deleteShooter(m_selectedID))
        resetSelection();
}

void DialogPracticeshooterlist::resetSelection()
{
    select(-1);
    m_shooterForm->showShooter(-1);
    ui->sB_targetAddress->setValue(maxTargetAddress() + 1);
}

void DialogPracticeshooterlist::select(int id)
{
    m_selectedID = id;
    const int row = m_module->freeShooters()->proxyRowOfId(id);
    const QModelIndex index = m_module->freeShooters()->index(row, 0);
    QItemSelectionModel *selection = ui->lwShooters->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    ui->lwShooters->scrollTo(index);
}
