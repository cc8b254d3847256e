#include "formrelays.h"

#include "ui_formrelays.h"

#include "tcompetition.h"
#include "tevent.h"
#include "tmembers.h"
#include "trelay.h"
#include "tshooter.h"
#include "tusermodul.h"
#include "warnings.h"

#include <QHeaderView>
#include <QStringList>

#include <algorithm>

namespace {

// Modes of TUserModul::unplaceMember.
constexpr int kFromCurrentRelay = 1;

} // namespace

FormRelays::FormRelays(TUserModul *module, int AddrStart, int AddrCol, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::FormRelays>())
    , m_module(module)
    , m_addrStart(AddrStart)
    , m_addrCol(AddrCol)
{
    m_ui->setupUi(this);
    m_ui->frame_2->hide();
    m_ui->tw_members->setModel(m_module->members());
}

FormRelays::~FormRelays() = default;

void FormRelays::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    prepareRelays();
    if (const TCompetition *competition = m_module->currentCompetition()) {
        m_ui->l_conpetitionType->setText(competition->nameEng());
        m_ui->l_conpetitionName->setText(competition->name());
    }
    TMembers *members = m_module->members();
    if (const TEvent *first = members->firstEvent())
        m_ui->cBAutoFill->setVisible(first->next() && !first->next()->isFinal());
    fillEvents();
    members->setCurrentEventNum(m_ui->cBEvents->count() > 0
                                    ? m_ui->cBEvents->currentData().toInt()
                                    : 0);
    QHeaderView *header = m_ui->tw_members->horizontalHeader();
    header->setSectionResizeMode(TMembers::StartNumberColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(TMembers::MemberColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(TMembers::RelayColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(TMembers::TargetColumn, QHeaderView::ResizeToContents);
    members->setCurrentMember(-1);
}

void FormRelays::fillEvents()
{
    m_ui->cBEvents->clear();
    for (const TEvent *event = m_module->members()->firstEvent(); event; event = event->next()) {
        if (event->isFinal())
            continue;
        m_ui->cBEvents->addItem(event->nameEng(), event->num());
    }
    m_ui->cBEvents->setCurrentIndex(m_ui->cBEvents->count() > 0 ? 0 : -1);
}

void FormRelays::on_cBEvents_currentIndexChanged(int index)
{
    m_module->members()->setCurrentEventNum(m_ui->cBEvents->itemData(index).toInt());
}

void FormRelays::prepareRelays()
{
    TMembers *members = m_module->members();
    TEvent *first = members->firstEvent();
    if (members->relayCount() > 0 || !first || members->memberCount() == 0)
        return;
    const int perRelay = std::max(m_addrCol, 1);
    int relay = 0;
    int position = 0;
    for (TShooter *member = members->memberAt(0); member; member = members->nextMember(member)) {
        if (position == 0) {
            ++relay;
            m_module->beginEditRelay(first, relay);
        }
        m_module->placeMember(member->memberID(), m_addrStart + position, true, false);
        if (++position == perRelay) {
            m_module->commitEditRelay(true);
            position = 0;
        }
    }
    if (position > 0)
        m_module->commitEditRelay(true);
}

void FormRelays::on_pbBack_clicked()
{
    emit sig_Back();
}

void FormRelays::on_tw_members_clicked(const QModelIndex &index)
{
    const int shooterID = index.data(MemberRoles::ShooterIDRole).toInt();
    TMembers *members = m_module->members();
    if (members->memberByShooterID(shooterID))
        members->setCurrentMember(shooterID);
}

void FormRelays::on_pushButton_clicked()
{
    if (!editSelectedMember())
        Warnings::warning(this, QStringLiteral("Участник не выбран!"),
                          QStringLiteral("Выберите участника."));
}

void FormRelays::on_tw_members_doubleClicked(const QModelIndex &)
{
    editSelectedMember();
}

int FormRelays::highestRelayNumber() const
{
    const TMembers *members = m_module->members();
    int highest = 0;
    for (const TRelay *relay = members->relayAt(0); relay; relay = members->nextRelay(relay))
        highest = std::max(highest, relay->number());
    return highest;
}

bool FormRelays::editSelectedMember()
{
    TMembers *members = m_module->members();
    const TShooter *member = members->currentMember();
    const int eventNum = members->currentEventNum();
    if (!member || eventNum < 0)
        return false;
    int relayNum = -1;
    int target = -1;
    if (const TRelay *relay = members->relayOfShooter(member->id(), eventNum)) {
        relayNum = relay->number();
        target = relay->targetOfMember(member->memberID());
    }
    emit sig_relayCount(highestRelayNumber());
    emit sig_changeRelay(member->family() + QLatin1Char(' ') + member->name(), relayNum, target);
    return true;
}

void FormRelays::slot_changeRelay(int relaynum, int targetaddr)
{
    setMemberRelay(relaynum, targetaddr);
}

void FormRelays::setMemberRelay(int relay, int target)
{
    TMembers *members = m_module->members();
    const TShooter *member = members->currentMember();
    const int eventNum = members->currentEventNum();
    const TCompetition *competition = m_module->currentCompetition();
    TEvent *event = competition ? competition->eventByNum(eventNum) : nullptr;
    if (!member || !event)
        return;
    const bool repeat = m_ui->cBAutoFill->isChecked();
    const int memberID = member->memberID();

    if (const TRelay *old = members->relayOfShooter(member->id(), eventNum)) {
        const int oldNumber = old->number();
        members->selectRelay(event->id(), oldNumber);
        if (oldNumber == relay) {
            if (old->targetOfMember(memberID) != target)
                members->moveMemberToTarget(memberID, target);
            return;
        }
        m_module->unplaceMember(memberID, repeat, kFromCurrentRelay);
    }

    if (members->findRelay(relay, eventNum)) {
        members->selectRelay(event->id(), relay);
        m_module->placeMember(memberID, target, repeat, true);
    } else {
        m_module->beginEditRelay(event, relay);
        m_module->placeMember(memberID, target, repeat, false);
        m_module->commitEditRelay(repeat);
    }
}

void FormRelays::on_pBNext_clicked()
{
    if (checkAllInRelays() && checkTargets())
        emit sig_Next();
}

bool FormRelays::checkAllInRelays()
{
    const TMembers *members = m_module->members();
    QStringList unplaced;
    for (const TEvent *event = members->firstEvent(); event; event = event->next()) {
        if (event->isFinal())
            continue;
        for (const TShooter *member = members->memberAt(0); member;
             member = members->nextMember(member)) {
            if (members->isMemberFree(member, event)) {
                unplaced.append(event->nameEng());
                break;
            }
        }
    }
    if (unplaced.isEmpty())
        return true;
    QString text = QStringLiteral("Смены не назначены в упражнениях:");
    for (const QString &name : qAsConst(unplaced))
        text += QLatin1Char('\n') + name;
    Warnings::warning(this, QStringLiteral("Участники вне смен!"), text);
    return false;
}

bool FormRelays::checkTargets()
{
    const TMembers *members = m_module->members();
    QStringList shared;
    QStringList missing;
    for (const TRelay *relay = members->relayAt(0); relay; relay = members->nextRelay(relay)) {
        const QString line = QStringLiteral("Упражнение %1: смена %2")
                                 .arg(relay->event() ? relay->event()->nameEng() : QString())
                                 .arg(relay->number());
        if (relay->hasDuplicateTargets())
            shared.append(line);
        if (relay->hasMissingTargets())
            missing.append(line);
    }
    if (shared.isEmpty() && missing.isEmpty())
        return true;
    QString text;
    if (!shared.isEmpty()) {
        text += QStringLiteral("Совпадение мишеней у стрелков:");
        for (const QString &line : qAsConst(shared))
            text += QLatin1Char('\n') + line;
        text += QLatin1Char('\n');
    }
    if (!missing.isEmpty()) {
        text += QStringLiteral("Мишени не установлены у стрелков:");
        for (const QString &line : qAsConst(missing))
            text += QLatin1Char('\n') + line;
    }
    Warnings::warning(this, QStringLiteral("Несколько стрелков на одной мишени!"), text);
    return false;
}
