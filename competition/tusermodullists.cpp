// Countries, teams, qualifications, shooters and members of the competition
// module: every edit goes to the database first and is followed by a reload of
// the list concerned, so the screens show what the database holds.
#include "tusermodul.h"

#include "counrtylist.h"
#include "dbfields.h"
#include "tbulletlist.h"
#include "tcompetition.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "tfreemembers.h"
#include "tmembers.h"
#include "tquality.h"
#include "tshooter.h"
#include "tshooterenabledlist.h"
#include "tshootersproxy.h"
#include "tteam.h"

namespace {

template <typename Record>
Record *recordAt(const QList<Record *> &list, int row)
{
    return row >= 0 && row < list.size() ? list.at(row) : nullptr;
}

// The row of the first record with that ID; -1 when none.
template <typename Record>
int rowOfID(const QList<Record *> &list, int id)
{
    for (int row = 0; row < list.size(); ++row) {
        if (list.at(row)->id() == id)
            return row;
    }
    return -1;
}

// The record after the last one that has the given one's ID.
template <typename Record>
Record *nextOf(const QList<Record *> &list, const Record *record)
{
    if (!record)
        return nullptr;
    for (int row = list.size() - 1; row >= 0; --row) {
        if (list.at(row)->id() == record->id())
            return list.value(row + 1, nullptr);
    }
    return nullptr;
}

// The done state of one member, which lives in memory only.
struct DoneState
{
    QList<int> doneNums;
    bool inFinal = false;
    bool finalDone = false;
};

} // namespace

// Countries.

TCountry *TUserModul::countryAt(int index) const
{
    return m_countries->at(index);
}

TCountry *TUserModul::nextCountry(const TCountry *country) const
{
    return m_countries->nextCountry(country);
}

TCountry *TUserModul::countryByID(int countryXMLID) const
{
    return m_countries->countryByID(countryXMLID);
}

int TUserModul::countryRow(int countryXMLID) const
{
    return m_countries->indexOfID(countryXMLID);
}

TCountry *TUserModul::currentCountry() const
{
    return m_countries->countryByID(m_currentCountryID);
}

// Teams.

void TUserModul::loadTeams()
{
    qDeleteAll(m_teams);
    m_teams.clear();
    m_db->selectTeams();
    while (m_db->next()) {
        int id = -1, country = -1;
        QString name;
        if (!DbFields::readInt(m_db, QStringLiteral("ID"), &id)
            || !DbFields::readInt(m_db, QStringLiteral("fCountryXMLID"), &country)
            || !DbFields::readText(m_db, QStringLiteral("fName"), &name)) {
            DbFields::logCannotLoad(QStringLiteral("tteam"));
            continue;
        }
        m_teams.append(new TTeam(id, country, name));
    }
}

TTeam *TUserModul::currentTeam() const
{
    return recordAt(m_teams, currentTeamRow());
}

int TUserModul::currentTeamRow() const
{
    return rowOfID(m_teams, m_currentTeamID);
}

TTeam *TUserModul::teamAt(int row) const
{
    return recordAt(m_teams, row);
}

bool TUserModul::isTeamIndex(int row) const
{
    return teamAt(row) != nullptr;
}

TTeam *TUserModul::nextTeam(const TTeam *team) const
{
    return nextOf(m_teams, team);
}

QString TUserModul::teamName(int teamID) const
{
    const TTeam *team = recordAt(m_teams, rowOfID(m_teams, teamID));
    return team ? team->name() : QString();
}

int TUserModul::teamCountryXMLID(int teamID) const
{
    const TTeam *team = recordAt(m_teams, rowOfID(m_teams, teamID));
    return team ? team->countryXMLID() : 0;
}

int TUserModul::addTeam(int countryXMLID, const QString &name)
{
    const int id = m_shooters->addTeam(countryXMLID, name);
    if (id >= 0)
        loadTeams();
    return id;
}

bool TUserModul::updateTeam(int teamID, int countryXMLID, const QString &name)
{
    const bool updated = m_shooters->updateTeam(teamID, countryXMLID, name);
    if (updated)
        loadTeams();
    return updated;
}

bool TUserModul::deleteTeam(int teamID)
{
    const bool deleted = m_shooters->deleteTeamByID(teamID);
    if (deleted)
        loadTeams();
    return deleted;
}

bool TUserModul::updateTeamAt(int row, int countryXMLID, const QString &name)
{
    const TTeam *team = teamAt(row);
    return team && updateTeam(team->id(), countryXMLID, name);
}

bool TUserModul::deleteTeamAt(int row)
{
    const TTeam *team = teamAt(row);
    return team && deleteTeam(team->id());
}

// Qualifications.

void TUserModul::loadQualities()
{
    qDeleteAll(m_qualities);
    m_qualities.clear();
    m_db->selectQualifications();
    while (m_db->next()) {
        int id = -1;
        QString name, shortName;
        if (!DbFields::readInt(m_db, QStringLiteral("ID"), &id)
            || !DbFields::readText(m_db, QStringLiteral("fName"), &name)
            || !DbFields::readText(m_db, QStringLiteral("fshortname"), &shortName)) {
            DbFields::logCannotLoad(QStringLiteral("tqualifications"));
            continue;
        }
        m_qualities.append(new TQuality(id, name, shortName));
    }
}

TQuality *TUserModul::currentQuality() const
{
    return recordAt(m_qualities, currentQualityRow());
}

int TUserModul::currentQualityRow() const
{
    return rowOfID(m_qualities, m_currentQualityID);
}

TQuality *TUserModul::qualityAt(int row) const
{
    return recordAt(m_qualities, row);
}

bool TUserModul::isQualityIndex(int row) const
{
    return qualityAt(row) != nullptr;
}

TQuality *TUserModul::nextQuality(const TQuality *quality) const
{
    return nextOf(m_qualities, quality);
}

QString TUserModul::qualityShortName(int qualityID) const
{
    const TQuality *quality = recordAt(m_qualities, rowOfID(m_qualities, qualityID));
    return quality ? quality->shortName() : QString();
}

int TUserModul::addQuality(const QString &name, const QString &shortName)
{
    const int id = m_shooters->addQuality(name, shortName);
    if (id >= 0)
        loadQualities();
    return id;
}

bool TUserModul::updateQuality(int qualityID, const QString &name, const QString &shortName)
{
    const bool updated = m_shooters->updateQuality(qualityID, name, shortName);
    if (updated)
        loadQualities();
    return updated;
}

bool TUserModul::deleteQuality(int qualityID)
{
    const bool deleted = m_shooters->deleteQualityByID(qualityID);
    if (deleted)
        loadQualities();
    return deleted;
}

bool TUserModul::updateQualityAt(int row, const QString &name, const QString &shortName)
{
    const TQuality *quality = qualityAt(row);
    return quality && updateQuality(quality->id(), name, shortName);
}

bool TUserModul::deleteQualityAt(int row)
{
    const TQuality *quality = qualityAt(row);
    return quality && deleteQuality(quality->id());
}

// Shooters.

int TUserModul::addShooter(const QString &name, const QString &family, const QDate &dateOfBirth,
                           int gender, int countryXMLID, int teamID, int qualityID)
{
    TShooter shooter;
    shooter.setPersonalData(name, family, dateOfBirth, gender, countryXMLID, teamID, qualityID);
    const int id = m_shooters->addShooter(&shooter);
    if (id < 0)
        return -1;
    m_shooters->load();
    return id;
}

bool TUserModul::updateShooter(int shooterID, const QString &name, const QString &family,
                               const QDate &dateOfBirth, int gender, int countryXMLID,
                               int teamID, int qualityID)
{
    if (!m_shooters->shooterByID(shooterID))
        return false;
    TShooter shooter;
    shooter.setID(shooterID);
    shooter.setPersonalData(name, family, dateOfBirth, gender, countryXMLID, teamID, qualityID);
    const bool updated = m_shooters->updateShooter(shooterID, &shooter);
    if (updated)
        m_shooters->load();
    return updated;
}

int TUserModul::deleteShooter(int shooterID, bool checkUsed)
{
    const TShooter *member = m_members->memberByShooterID(shooterID);
    const int memberID = member ? member->memberID() : -1;
    const int result = m_shooters->removeShooter(shooterID, checkUsed);
    if (result != 1)
        return result;
    // The stored shots of the member went with the shooter.
    if (memberID >= 0)
        dropShotsOfMember(memberID);
    m_shooters->load();
    reloadMembersKeepingState();
    return result;
}

void TUserModul::reloadShooters()
{
    m_shooters->load();
}

// Members.

bool TUserModul::addMember(TShooter *shooter, int startNumber)
{
    if (!shooter || m_members->addMember(shooter, startNumber) < 0)
        return false;
    reloadMembersKeepingState();
    return true;
}

bool TUserModul::removeMember(int memberID)
{
    // The member model changes nothing in memory when the database refuses.
    if (!m_members->removeMember(memberID))
        return false;
    dropShotsOfMember(memberID);
    reloadMembersKeepingState();
    return true;
}

bool TUserModul::setStartNumber(int memberID, int number)
{
    if (!m_members->memberByMemberID(memberID))
        return false;
    const bool stored = m_members->setStartNumber(memberID, number);
    m_freeMembers->invalidate();
    return stored;
}

void TUserModul::reloadMembers()
{
    reloadMembersKeepingState();
}

void TUserModul::dropShotsOfMember(int memberID)
{
    // The rows are gone already; deleting them again only empties memory.
    for (TBulletList *list : qAsConst(m_bulletLists)) {
        if (list->shotCountOfMember(memberID) > 0 || list->placeByMemberId(memberID))
            list->deleteShotsOfMember(memberID);
    }
}

void TUserModul::reloadMembersKeepingState(bool reattach)
{
    QHash<int, DoneState> states;
    for (const TShooter *member = m_members->memberAt(0); member;
         member = m_members->nextMember(member)) {
        DoneState &state = states[member->memberID()];
        for (int num = 1; num <= TShooter::kMaxEventNum; ++num) {
            if (member->isEventDone(num))
                state.doneNums.append(num);
        }
        state.inFinal = member->isInFinal();
        state.finalDone = member->finalState() == 1;
    }
    if (reattach && m_competition)
        m_members->setCompetition(m_competition->id(), firstEvent());
    m_members->load();
    for (TShooter *member = m_members->memberAt(0); member;
         member = m_members->nextMember(member)) {
        const auto state = states.constFind(member->memberID());
        if (state == states.constEnd())
            continue;
        for (int num : state->doneNums)
            member->setEventDone(num, true);
        if (state->inFinal)
            member->setFinalDone(state->finalDone);
    }
    m_members->refreshMember(-1);
    refilterShooters();
}
