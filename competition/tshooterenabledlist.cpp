#include "tshooterenabledlist.h"

#include <iterator>

#include "dbfields.h"
#include "tdbaccessor.h"
#include "tquality.h"
#include "tshooter.h"
#include "tteam.h"

namespace {

bool isShooterRole(int role)
{
    switch (role) {
    case TShooterEnabledList::ShooterIdRole:
    case TShooterEnabledList::ShooterFamilyNameRole:
    case TShooterEnabledList::ShooterNameRole:
    case TShooterEnabledList::ShooterBirthDateRole:
    case TShooterEnabledList::ShooterGenderRole:
    case TShooterEnabledList::MemberRole:
        return true;
    default:
        return false;
    }
}

} // namespace

TShooterEnabledList::TShooterEnabledList(TdbAccessor *db, bool load, QObject *parent)
    : QAbstractListModel(parent), m_db(db)
{
    if (load)
        this->load();
}

TShooterEnabledList::~TShooterEnabledList()
{
    qDeleteAll(m_list);
}

QModelIndex TShooterEnabledList::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent) || row >= m_list.size())
        return QModelIndex();
    return createIndex(row, column);
}

int TShooterEnabledList::rowCount(const QModelIndex &parent) const
{
    // A list has no children below its rows.
    return parent.isValid() ? 0 : m_list.size();
}

QVariant TShooterEnabledList::data(const QModelIndex &index, int role) const
{
    const TShooter *shooter = index.isValid() ? at(index.row()) : nullptr;
    if (!shooter)
        return QVariant();
    if (role == Qt::DisplayRole)
        return shooter->family() + QLatin1Char(' ') + shooter->name();
    return isShooterRole(role) ? MemberRoles::data(shooter, role) : QVariant();
}

QHash<int, QByteArray> TShooterEnabledList::roleNames() const
{
    QHash<int, QByteArray> names = MemberRoles::names();
    for (auto it = names.begin(); it != names.end();)
        it = isShooterRole(it.key()) ? std::next(it) : names.erase(it);
    return names;
}

TShooter *TShooterEnabledList::at(int row) const
{
    return row >= 0 && row < m_list.size() ? m_list.at(row) : nullptr;
}

TShooter *TShooterEnabledList::shooterByID(int shooterID) const
{
    for (TShooter *shooter : m_list) {
        if (shooter->id() == shooterID)
            return shooter;
    }
    return nullptr;
}

int TShooterEnabledList::rowOf(const TShooter *shooter) const
{
    if (!shooter)
        return -1;
    for (int row = 0; row < m_list.size(); ++row) {
        if (m_list.at(row)->id() == shooter->id())
            return row;
    }
    return -1;
}

TShooter *TShooterEnabledList::nextShooter(const TShooter *shooter) const
{
    const int row = rowOf(shooter);
    return row < 0 ? nullptr : at(row + 1);
}

void TShooterEnabledList::setCurrentShooter(const TShooter *shooter)
{
    if (shooter)
        m_currentShooterID = shooter->id();
}

int TShooterEnabledList::setCurrentRow(int row)
{
    if (const TShooter *shooter = at(row))
        m_currentShooterID = shooter->id();
    return m_currentShooterID;
}

TShooter *TShooterEnabledList::selectShooter(int shooterID)
{
    m_currentShooterID = shooterID;
    return currentShooter();
}

TShooter *TShooterEnabledList::currentShooter() const
{
    return shooterByID(m_currentShooterID);
}

void TShooterEnabledList::load()
{
    clear();
    if (!m_db)
        return;
    m_db->selectShooters(-1);
    QList<TShooter *> loaded;
    while (m_db->next()) {
        int id = -1, gender = 0, country = -1, team = -1, quality = -1;
        QString name, family;
        QDate birth;
        const bool ok = DbFields::readInt(m_db, QStringLiteral("ID"), &id)
            && DbFields::readText(m_db, QStringLiteral("fName"), &name)
            && DbFields::readText(m_db, QStringLiteral("fFamily"), &family)
            && DbFields::readInt(m_db, QStringLiteral("fGender"), &gender)
            && DbFields::readDate(m_db, QStringLiteral("fDateofBirth"), &birth)
            && DbFields::readInt(m_db, QStringLiteral("fCountryXMLID"), &country)
            && DbFields::readInt(m_db, QStringLiteral("fTeamID"), &team)
            && DbFields::readInt(m_db, QStringLiteral("fQualityID"), &quality);
        if (!ok) {
            DbFields::logCannotLoad(QStringLiteral("tshooters"));
            continue;
        }
        auto *shooter = new TShooter;
        shooter->setID(id);
        shooter->setNames(name, family);
        shooter->setDateOfBirth(birth);
        shooter->setGender(gender);
        shooter->setCountryXMLID(country);
        shooter->setTeamID(team);
        shooter->setQualityID(quality);
        loaded.append(shooter);
    }
    for (TShooter *shooter : loaded) {
        beginInsertRows(QModelIndex(), m_list.size(), m_list.size());
        m_list.append(shooter);
        endInsertRows();
    }
}

void TShooterEnabledList::clear()
{
    m_currentShooterID = -1;
    if (m_list.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_list.size() - 1);
    qDeleteAll(m_list);
    m_list.clear();
    endRemoveRows();
}

int TShooterEnabledList::storedTeamID(int teamID) const
{
    return m_db->isTeamExist(teamID) ? teamID : 0;
}

int TShooterEnabledList::storedQualityID(int qualityID) const
{
    return m_db->isQualificationExist(qualityID) ? qualityID : 0;
}

int TShooterEnabledList::addShooter(const TShooter *data)
{
    if (!data || !m_db)
        return -1;
    auto *shooter = new TShooter;
    shooter->setID(data->id());
    MemberRoles::copyPersonalData(data, shooter);
    shooter->setTeamID(storedTeamID(shooter->teamID()));
    shooter->setQualityID(storedQualityID(shooter->qualityID()));
    const int id = m_db->insertShooter(shooter);
    if (id < 0) {
        delete shooter;
        return -1;
    }
    shooter->setID(id);
    beginInsertRows(QModelIndex(), m_list.size(), m_list.size());
    m_list.append(shooter);
    endInsertRows();
    return id;
}

bool TShooterEnabledList::updateShooter(int shooterID, const TShooter *data)
{
    TShooter *listed = shooterByID(shooterID);
    if (!listed || !data || !m_db)
        return false;
    TShooter changed;
    changed.setID(shooterID);
    MemberRoles::copyPersonalData(data, &changed);
    // A team kept from before stays even when its row has gone since.
    if (changed.teamID() > 0 && changed.teamID() != listed->teamID())
        changed.setTeamID(storedTeamID(changed.teamID()));
    if (changed.qualityID() > 0 && changed.qualityID() != listed->qualityID())
        changed.setQualityID(storedQualityID(changed.qualityID()));
    if (!m_db->updateShooter(shooterID, &changed))
        return false;
    MemberRoles::copyPersonalData(&changed, listed);
    const QModelIndex changedRow = index(rowOf(listed));
    emit dataChanged(changedRow, changedRow);
    emit sig_shooterChanged(listed, -1);
    return true;
}

int TShooterEnabledList::removeShooter(int shooterID, bool checkUsed)
{
    TShooter *listed = shooterByID(shooterID);
    if (!listed || !m_db)
        return 0;
    const int result = m_db->deleteShooter(shooterID, checkUsed);
    if (result != 1)
        return result;
    const int row = rowOf(listed);
    beginRemoveRows(QModelIndex(), row, row);
    m_list.removeAt(row);
    endRemoveRows();
    emit sig_shooterChanged(nullptr, shooterID);
    delete listed;
    return 1;
}

int TShooterEnabledList::removeShooter(const TShooter *shooter, bool checkUsed)
{
    return shooter ? removeShooter(shooter->id(), checkUsed) : 0;
}

int TShooterEnabledList::addTeam(int countryXMLID, const QString &name)
{
    return m_db ? m_db->insertTeam(countryXMLID, name) : -1;
}

bool TShooterEnabledList::updateTeam(int teamID, int countryXMLID, const QString &name)
{
    return m_db && m_db->updateTeam(teamID, name, countryXMLID);
}

bool TShooterEnabledList::deleteTeam(const TTeam *team)
{
    return team && deleteTeamByID(team->id());
}

bool TShooterEnabledList::deleteTeamByID(int teamID)
{
    // Its ID would stay with the team's shooters and pass to the next team
    // created, which takes the greatest ID + 1.
    return m_db && !m_db->isTeamUsed(teamID) && m_db->deleteTeam(teamID);
}

int TShooterEnabledList::addQuality(const QString &name, const QString &shortName)
{
    return m_db ? m_db->insertQualification(name, shortName) : -1;
}

bool TShooterEnabledList::updateQuality(int qualityID, const QString &name, const QString &shortName)
{
    return m_db && m_db->updateQualification(qualityID, name, shortName);
}

bool TShooterEnabledList::deleteQuality(const TQuality *quality)
{
    return quality && deleteQualityByID(quality->id());
}

bool TShooterEnabledList::deleteQualityByID(int qualityID)
{
    return m_db && !m_db->isQualificationUsed(qualityID) && m_db->deleteQualification(qualityID);
}
