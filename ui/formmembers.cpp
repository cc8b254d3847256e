#include "formmembers.h"

#include "memberroles.h"
#include "tcompetition.h"
#include "tmembers.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tusermodul.h"
#include "ui_formmembers.h"
#include "warnings.h"

#include <QHeaderView>

namespace {
constexpr int kFromMembersPage = 1;
constexpr int kCreate = 0;
// The members page shows no exercise: no relay or target columns.
constexpr int kNoEvent = -1;
} // namespace

FormMembers::FormMembers(TUserModul *modul, QWidget *parent)
    : QWidget(parent), ui(new Ui::FormMembers), m_modul(modul)
{
    ui->setupUi(this);
    ui->frame_2->hide();
    ui->tw_members->setModel(m_modul->members());
    QHeaderView *header = ui->tw_members->horizontalHeader();
    header->setSectionResizeMode(TMembers::StartNumberColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(TMembers::MemberColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(TMembers::RelayColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(TMembers::TargetColumn, QHeaderView::Fixed);
}

FormMembers::~FormMembers()
{
    delete ui;
}

void FormMembers::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    TMembers *members = m_modul->members();
    members->setCurrentEventNum(kNoEvent);
    if (const TCompetition *competition = m_modul->currentCompetition()) {
        ui->l_conpetitionType->setText(competition->nameEng());
        ui->l_conpetitionName->setText(competition->name());
    }
    members->setCurrentMember(-1);
}

void FormMembers::on_tw_members_clicked(const QModelIndex &index)
{
    const int shooterID =
        index.isValid() ? index.data(MemberRoles::ShooterIDRole).toInt() : -1;
    m_modul->members()->setCurrentMember(shooterID);
}

void FormMembers::askStartNumber()
{
    const TShooter *member = m_modul->members()->currentMember();
    if (!member) {
        Warnings::warning(this, QStringLiteral("Участник не выбран!"),
                          QStringLiteral("Выберите участника"));
        return;
    }
    emit sig_changeNum(member->name() + QLatin1Char(' ') + member->family(),
                       member->startNumber());
}

void FormMembers::on_pbChangeStartNum_clicked()
{
    askStartNumber();
}

void FormMembers::on_tw_members_doubleClicked(const QModelIndex &)
{
    // The first click of the double click has made the row current.
    askStartNumber();
}

void FormMembers::slot_changeNum(int _num)
{
    TMembers *members = m_modul->members();
    const TShooter *member = members->currentMember();
    if (!member)
        return;
    m_modul->setStartNumber(member->memberID(), _num);
    members->setCurrentMember(-1);
    ui->tw_members->clearSelection();
}

void FormMembers::on_pBAdd_clicked()
{
    emit sig_dialogShooterList();
}

void FormMembers::slot_addMember(int _id, int _sNum)
{
    TShooterEnabledList *shooters = m_modul->shooters();
    if (TShooter *shooter = shooters->shooterByID(_id))
        m_modul->addMember(shooter, _sNum);
    shooters->selectShooter(-1);
}

void FormMembers::on_pBCreate_clicked()
{
    emit sig_dialogShooter(-1, kFromMembersPage, kCreate);
}

void FormMembers::on_pBRemove_clicked()
{
    const TShooter *member = m_modul->members()->currentMember();
    if (!member)
        return;
    m_modul->removeMember(member->memberID());
}

void FormMembers::on_pbBack_clicked()
{
    emit sig_Back();
}

void FormMembers::on_pBNext_clicked()
{
    const TMembers *members = m_modul->members();
    if (members->memberCount() < 1) {
        Warnings::warning(this, QStringLiteral("Участники: Ошибка!"),
                          QStringLiteral("Участники не выбраны!"));
        return;
    }
    if (members->hasStartNumberError()) {
        Warnings::warning(this, QStringLiteral("Стартовый номер: Ошибка!"),
                          QStringLiteral("Несколько участников имеют одинаковый стартовый номер!"));
        return;
    }
    emit sig_Next();
}
