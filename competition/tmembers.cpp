// The members table: loading, the member records and their marks.
#include "tmembers.h"

#include "dbfields.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "trelay.h"
#include "trelaylist.h"
#include "tshooter.h"

#include <QHash>

namespace {

const QString kID = QStringLiteral("ID");
const QString kShooterID = QStringLiteral("fShooterID");
const QString kStartNumber = QStringLiteral("fStartNumber");
const QString kRelayNum = QStringLiteral("fRelayNum");
const QString kMemberID = QStringLiteral("fMemberID");
const QString kMemberTarget = QStringLiteral("fMemberTarget");

} // namespace

TMembers::TMembers(TdbAccessor *db, QObject *parent)
    : QAbstractTableModel(parent), m_db(db), m_relays(new TRelayList(this))
{
}

TMembers::~TMembers()
{
    // The relays refer to the member records, so they go first.
    m_relays->clearEditRelay();
    m_relays->clear();
    qDeleteAll(m_members);
    m_members.clear();
}

QModelIndex TMembers::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return QModelIndex();
    return createIndex(row, column);
}

int TMembers::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_members.size();
}

int TMembers::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TMembers::data(const QModelIndex &index, int role) const
{
    const TShooter *member = memberAt(index.isValid() ? index.row() : -1);
    if (!member)
        return QVariant();

    if (role == ErrorStartNumRole)
        return member->errorStartNum();
    if (role != Qt::DisplayRole)
        return MemberRoles::data(member, role);

    if (index.column() == StartNumberColumn)
        return QStringLiteral("%1 %2").arg(member->startNumber()).arg(member->errorStartNumMark());
    if (index.column() == MemberColumn)
        return QStringLiteral("%1 %2").arg(member->family(), member->name());
    if (index.column() != RelayColumn && index.column() != TargetColumn)
        return QVariant();

    if (m_currentEventNum < 0)
        return QString();
    const TRelay *relay = relayOfShooter(member->id(), m_currentEventNum);
    if (index.column() == RelayColumn)
        return relay ? QStringLiteral("%1").arg(relay->number()) : QStringLiteral("NONE");
    const int target = relay ? relay->targetOfMember(member->memberID()) : -1;
    if (target < 0)
        return QStringLiteral("-1");
    return QStringLiteral("%1 %2").arg(target).arg(member->errorTargetAddrMark());
}

QVariant TMembers::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0)
        return QVariant();
    switch (section) {
    case StartNumberColumn:
        return QStringLiteral("Старт.номер");
    case MemberColumn:
        return QStringLiteral("Участник");
    case RelayColumn:
        return QStringLiteral("Смена");
    case TargetColumn:
        return QStringLiteral("Мишень");
    default:
        return QStringLiteral("%1").arg(section);
    }
}

Qt::ItemFlags TMembers::flags(const QModelIndex &index) const
{
    const TShooter *member = memberAt(index.isValid() ? index.row() : -1);
    if (!member)
        return Qt::NoItemFlags;
    constexpr Qt::ItemFlags kSelectable = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    // A member that has shot the exercise on screen keeps its relay place.
    if (m_currentEventNum < 0)
        return hasDoneAnyEvent(member) ? Qt::NoItemFlags : kSelectable;
    const TEvent *event = eventByNum(m_currentEventNum);
    if (!event || hasDoneEvent(member, event))
        return Qt::NoItemFlags;
    return kSelectable;
}

void TMembers::sort(int, Qt::SortOrder)
{
    sortModelRows(*this, m_members, TShooter::lessByStartNumber);
}

QHash<int, QByteArray> TMembers::roleNames() const
{
    QHash<int, QByteArray> names = MemberRoles::names();
    names.insert(ErrorStartNumRole, "errorStartNum");
    return names;
}

bool TMembers::setCompetition(int competitionID, TEvent *firstEvent)
{
    if (competitionID >= 1 && !m_db->isCompetitionExist(competitionID))
        return false;
    const bool none = competitionID < 1;
    m_competitionID = none ? -1 : competitionID;
    m_firstEvent = none ? nullptr : firstEvent;
    // The edit relay may point at an exercise of the competition that is
    // going away; its members are about to be deleted too.
    m_relays->clearEditRelay();
    m_relays->clear();
    m_relays->setFirstEvent(m_firstEvent);
    clearMembers();
    m_currentShooterID = -1;
    return true;
}

void TMembers::clearMembers()
{
    if (m_members.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_members.size() - 1);
    const QList<TShooter *> gone = m_members;
    m_members.clear();
    endRemoveRows();
    qDeleteAll(gone);
}

bool TMembers::load()
{
    if (m_competitionID < 0)
        return false;

    // The edit relay survives a reload: it takes the new records of the
    // same shooters, since the old ones are deleted here.
    TRelay *edit = m_relays->editRelay();
    QList<QPair<int, int>> editPlaces; // shooter ID, target
    for (int i = 0; i < edit->memberCount(); ++i) {
        const TShooter *member = edit->memberAt(i);
        editPlaces.append({member->id(), edit->targetOfMember(member->memberID())});
    }
    edit->clear();
    m_relays->clear();
    clearMembers();
    // A selection made on the old rows must not act on the reloaded ones.
    m_currentShooterID = -1;

    QList<TShooter *> loaded;
    m_db->selectMembers(m_competitionID);
    while (m_db->next()) {
        int memberID = -1;
        int shooterID = -1;
        int startNumber = -1;
        if (!DbFields::readInt(m_db, kID, &memberID)
            || !DbFields::readInt(m_db, kShooterID, &shooterID)
            || !DbFields::readInt(m_db, kStartNumber, &startNumber)) {
            DbFields::logCannotLoad(QStringLiteral("tmembers"));
            continue;
        }
        auto *member = new TShooter;
        member->setMemberID(memberID);
        member->setID(shooterID);
        member->setStartNumber(startNumber);
        loaded.append(member);
    }
    if (!loaded.isEmpty()) {
        beginInsertRows(QModelIndex(), 0, loaded.size() - 1);
        m_members = loaded;
        endInsertRows();
    }
    for (TShooter *member : qAsConst(m_members))
        fillPersonalData(member);

    for (TEvent *event = m_firstEvent; event; event = event->next())
        loadRelays(event);
    for (const auto &place : qAsConst(editPlaces)) {
        if (TShooter *member = memberByShooterID(place.first))
            m_relays->editRelayAddMember(member, place.second);
    }
    sort();
    checkStartNumbers();
    return true;
}

void TMembers::fillPersonalData(TShooter *member)
{
    if (member->id() < 0)
        return;
    m_db->selectShooter(member->id());
    if (m_db->first())
        return;
    QString name;
    QString family;
    int gender = 0;
    QDate dateOfBirth;
    int countryXMLID = -1;
    int teamID = -1;
    int qualityID = -1;
    if (!DbFields::readText(m_db, QStringLiteral("fName"), &name)
        || !DbFields::readText(m_db, QStringLiteral("fFamily"), &family)
        || !DbFields::readInt(m_db, QStringLiteral("fGender"), &gender)
        || !DbFields::readDate(m_db, QStringLiteral("fDateofBirth"), &dateOfBirth)
        || !DbFields::readInt(m_db, QStringLiteral("fCountryXMLID"), &countryXMLID)
        || !DbFields::readInt(m_db, QStringLiteral("fTeamID"), &teamID)
        || !DbFields::readInt(m_db, QStringLiteral("fQualityID"), &qualityID)) {
        DbFields::logCannotLoad(QStringLiteral("tshooters"));
        return;
    }
    member->setNames(name, family);
    member->setGender(gender);
    member->setDateOfBirth(dateOfBirth);
    member->setCountryXMLID(countryXMLID);
    member->setTeamID(teamID);
    member->setQualityID(qualityID);
}

bool TMembers::loadRelays(TEvent *event)
{
    if (!event || event->id() < 0)
        return false;
    m_relays->removeRelaysOfEvent(event);
    if (event->num() < 0)
        return false;

    struct Place
    {
        int relayNum;
        int memberID;
        int target;
    };
    QList<Place> places;
    m_db->selectEventRelays(event->id());
    while (m_db->next()) {
        Place place{-1, -1, -1};
        if (!DbFields::readInt(m_db, kRelayNum, &place.relayNum)
            || !DbFields::readInt(m_db, kMemberID, &place.memberID)
            || !DbFields::readInt(m_db, kMemberTarget, &place.target)) {
            DbFields::logCannotLoad(QStringLiteral("trelays"));
            continue;
        }
        places.append(place);
    }

    for (const Place &place : qAsConst(places)) {
        if (!m_relays->findRelay(event->id(), place.relayNum)
            && !m_relays->addRelay(event, place.relayNum))
            return false;
        TShooter *member = memberByMemberID(place.memberID);
        if (!member)
            return false;
        m_relays->placeMember(event->id(), place.relayNum, member, place.target);
        if (event->isFinal())
            member->setInFinal(true);
    }
    return true;
}

int TMembers::addMember(TShooter *shooter, int startNumber)
{
    if (!shooter || m_competitionID < 0 || containsShooter(shooter->id()))
        return -1;
    auto *member = new TShooter;
    member->setID(shooter->id());
    MemberRoles::copyPersonalData(shooter, member);
    member->setStartNumber(startNumber);

    const int memberID = m_db->insertMember(member, m_competitionID);
    if (memberID < 0) {
        delete member;
        return -1;
    }
    member->setMemberID(memberID);
    const int row = m_members.size();
    beginInsertRows(QModelIndex(), row, row);
    m_members.append(member);
    endInsertRows();
    sort();
    checkStartNumbers();
    return rowOfMember(member);
}

bool TMembers::removeMember(int memberID)
{
    TShooter *member = memberByMemberID(memberID);
    if (!member || !m_db->deleteMember(memberID))
        return false;
    removeMemberRecord(member);
    checkStartNumbers();
    return true;
}

bool TMembers::removeShooter(int shooterID)
{
    if (!m_db->deleteShooterMember(shooterID, m_competitionID))
        return false;
    if (TShooter *member = memberByShooterID(shooterID))
        removeMemberRecord(member);
    checkStartNumbers();
    return true;
}

void TMembers::removeMemberRecord(TShooter *member)
{
    m_relays->forgetMember(member);
    const int row = m_members.indexOf(member);
    beginRemoveRows(QModelIndex(), row, row);
    m_members.removeAt(row);
    endRemoveRows();
    delete member;
}

bool TMembers::setStartNumber(int memberID, int startNumber)
{
    TShooter *member = memberByMemberID(memberID);
    if (!member || !m_db->setStartNumber(memberID, startNumber))
        return false;
    member->setStartNumber(startNumber);
    refreshMember(member->id());
    sort();
    checkStartNumbers();
    return true;
}

bool TMembers::checkStartNumbers()
{
    QHash<int, int> membersWithNumber;
    for (const TShooter *member : qAsConst(m_members))
        ++membersWithNumber[member->startNumber()];

    bool changed = false;
    for (TShooter *member : qAsConst(m_members)) {
        const bool duplicate = membersWithNumber.value(member->startNumber()) > 1;
        if (duplicate == member->errorStartNum())
            continue;
        member->setErrorStartNum(duplicate);
        changed = true;
        refreshMember(member->id());
    }
    return !changed;
}

bool TMembers::hasStartNumberError() const
{
    return std::any_of(m_members.cbegin(), m_members.cend(),
                       [](const TShooter *member) { return member->errorStartNum(); });
}

int TMembers::maxStartNumber() const
{
    if (m_members.isEmpty())
        return 0;
    int highest = m_members.first()->startNumber();
    for (const TShooter *member : m_members)
        highest = qMax(highest, member->startNumber());
    return highest;
}

TShooter *TMembers::memberAt(int row) const
{
    return row >= 0 && row < m_members.size() ? m_members.at(row) : nullptr;
}

TShooter *TMembers::nextMember(const TShooter *member) const
{
    const int row = rowOfMember(member);
    return row < 0 ? nullptr : memberAt(row + 1);
}

int TMembers::rowOfMember(const TShooter *member) const
{
    if (!member)
        return -1;
    for (int row = 0; row < m_members.size(); ++row) {
        if (m_members.at(row)->memberID() == member->memberID())
            return row;
    }
    return -1;
}

TShooter *TMembers::memberByMemberID(int memberID) const
{
    for (TShooter *member : m_members) {
        if (member->memberID() == memberID)
            return member;
    }
    return nullptr;
}

TShooter *TMembers::memberByShooterID(int shooterID) const
{
    for (TShooter *member : m_members) {
        if (member->id() == shooterID)
            return member;
    }
    return nullptr;
}

TShooter *TMembers::setCurrentMember(int shooterID)
{
    m_currentShooterID = shooterID;
    return currentMember();
}

TShooter *TMembers::currentMember() const
{
    return m_currentShooterID < 0 ? nullptr : memberByShooterID(m_currentShooterID);
}

void TMembers::setCurrentEventNum(int eventNum)
{
    m_currentEventNum = eventNum;
    if (eventNum >= 0)
        m_relays->checkTargetsOfEvent(eventNum);
    announceAllRowsChanged();
}

TEvent *TMembers::eventByNum(int eventNum) const
{
    for (TEvent *event = m_firstEvent; event; event = event->next()) {
        if (event->num() == eventNum)
            return event;
    }
    return nullptr;
}

bool TMembers::hasDoneEvent(const TShooter *member, const TEvent *event) const
{
    return event->isFinal() ? member->finalState() == 1 : member->isEventDone(event->num());
}

bool TMembers::hasDoneAnyEvent(const TShooter *member) const
{
    for (const TEvent *event = m_firstEvent; event; event = event->next()) {
        if (hasDoneEvent(member, event))
            return true;
    }
    return false;
}

bool TMembers::hasAnyEventDone() const
{
    return std::any_of(m_members.cbegin(), m_members.cend(),
                       [this](const TShooter *member) { return hasDoneAnyEvent(member); });
}

void TMembers::setMemberEventDone(int memberID, int eventNum, bool done)
{
    TShooter *member = memberByMemberID(memberID);
    if (!member)
        return;
    member->setEventDone(eventNum, done);
    refreshMember(member->id());
}

void TMembers::setMemberFinalDone(int memberID, bool done)
{
    TShooter *member = memberByMemberID(memberID);
    if (!member)
        return;
    member->setFinalDone(done);
    refreshMember(member->id());
}

bool TMembers::isEventComplete(const TEvent *event) const
{
    if (!event)
        return false;
    if (event->isFinal()) {
        // Members outside the final count as done.
        return std::all_of(m_members.cbegin(), m_members.cend(),
                           [](const TShooter *member) { return member->finalState() != 0; });
    }
    return std::all_of(m_members.cbegin(), m_members.cend(), [event](const TShooter *member) {
        return member->isEventDone(event->num());
    });
}

void TMembers::refreshMember(int shooterID)
{
    if (shooterID >= 0) {
        announceRowChanged(m_members.indexOf(memberByShooterID(shooterID)));
        m_relays->refreshShooter(shooterID);
        return;
    }
    announceAllRowsChanged();
    for (const TShooter *member : qAsConst(m_members))
        m_relays->refreshShooter(member->id());
}

void TMembers::slot_MemberChecked(const TShooter *shooter, int shID)
{
    if (shooter) {
        TShooter *member = memberByShooterID(shooter->id());
        if (!member)
            return;
        MemberRoles::copyPersonalData(shooter, member);
        refreshMember(member->id());
    } else if (shID >= 0 && containsShooter(shID)) {
        removeShooter(shID);
    }
}

void TMembers::announceAllRowsChanged()
{
    if (!m_members.isEmpty())
        emit dataChanged(index(0, 0), index(m_members.size() - 1, ColumnCount - 1));
}

void TMembers::announceRowChanged(int row)
{
    if (row >= 0 && row < m_members.size())
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}
