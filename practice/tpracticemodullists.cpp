#include "tpracticemodul.h"

#include "counrtylist.h"
#include "sqlstatement.h"
#include "storageerror.h"
#include "tcountry.h"
#include "tmemberspractice.h"
#include "tquality.h"
#include "tteam.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Reads every row of statement into records made by makeRecord, on the
// roster's connection: it holds the file, and is opened only on the file
// the roster keeps at the path. The StorageError code of a failure.
template <class Record, class Make>
int readList(TMembersPractice &roster, QSqlDatabase &db, const QString &statement,
             QList<Record *> *list, Make makeRecord)
{
    qDeleteAll(*list);
    list->clear();
    if (!roster.ensureDatabaseOpen())
        return StorageErrorOpen;
    bool ok = false;
    {
        QSqlQuery query(db);
        ok = runBound(query, statement);
        const QSqlRecord record = query.record();
        while (ok && query.next())
            list->append(makeRecord(query, record));
    }
    return ok ? StorageNoError : StorageErrorStatement;
}

template <class Record>
Record *at(const QList<Record *> &list, int index)
{
    return index >= 0 && index < list.size() ? list.at(index) : nullptr;
}

template <class Record>
int indexOfID(const QList<Record *> &list, int id)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i)->id() == id)
            return i;
    }
    return -1;
}

// The index of the first record with the same ID; 0 for null or none.
template <class Record>
int indexOfRecord(const QList<Record *> &list, const Record *record)
{
    return record ? qMax(0, indexOfID(list, record->id())) : 0;
}

// The record after the last one with the same ID; null for null, none or the end.
template <class Record>
Record *nextOf(const QList<Record *> &list, const Record *record)
{
    if (!record)
        return nullptr;
    for (int i = list.size() - 1; i >= 0; --i) {
        if (list.at(i)->id() == record->id())
            return at(list, i + 1);
    }
    return nullptr;
}

} // namespace

// Countries.

TCountry *TPracticeModul::countryAt(int index) const
{
    return m_countries->at(index);
}

TCountry *TPracticeModul::nextCountry(const TCountry *country) const
{
    return m_countries->nextCountry(country);
}

TCountry *TPracticeModul::countryByID(int id) const
{
    return m_countries->countryByID(id);
}

int TPracticeModul::countryIDAt(int index) const
{
    const TCountry *country = m_countries->at(index);
    return country ? country->id() : 0;
}

int TPracticeModul::countryIndexOf(int id) const
{
    return m_countries->indexOfID(id);
}

TCountry *TPracticeModul::currentCountry() const
{
    return m_countries->countryByID(m_currentCountryID);
}

// Teams.

bool TPracticeModul::loadTeams()
{
    const int error = readList(
        *m_members, m_db, QStringLiteral("SELECT * FROM tteam ORDER BY ID"), &m_teams,
        [](const QSqlQuery &query, const QSqlRecord &record) {
            return new TTeam(query.value(record.indexOf(QStringLiteral("ID"))).toInt(),
                             query.value(record.indexOf(QStringLiteral("fCountryXMLID"))).toInt(),
                             query.value(record.indexOf(QStringLiteral("fName"))).toString());
        });
    if (error != StorageNoError)
        reportError(error);
    return error == StorageNoError;
}

TTeam *TPracticeModul::teamAt(int index) const
{
    return at(m_teams, index);
}

int TPracticeModul::teamIDAt(int index) const
{
    const TTeam *team = teamAt(index);
    return team ? team->id() : 0;
}

TTeam *TPracticeModul::teamByID(int id) const
{
    return teamAt(indexOfID(m_teams, id));
}

int TPracticeModul::teamIndexOf(const TTeam *team) const
{
    return indexOfRecord(m_teams, team);
}

TTeam *TPracticeModul::nextTeam(const TTeam *team) const
{
    return nextOf(m_teams, team);
}

bool TPracticeModul::isTeamIndex(int index) const
{
    return index >= 0 && index < m_teams.size();
}

TTeam *TPracticeModul::currentTeam() const
{
    return teamByID(m_currentTeamID);
}

int TPracticeModul::currentTeamRow() const
{
    return indexOfID(m_teams, m_currentTeamID);
}

int TPracticeModul::addTeam(int countryXMLID, const QString &name)
{
    const int id = m_members->addTeam(countryXMLID, name);
    if (id >= 0)
        loadTeams();
    return id;
}

bool TPracticeModul::updateTeam(int index, int countryXMLID, const QString &name)
{
    const TTeam *team = teamAt(index);
    return team && updateTeamByID(team->id(), countryXMLID, name);
}

bool TPracticeModul::updateTeamByID(int id, int countryXMLID, const QString &name)
{
    if (!m_members->updateTeam(id, countryXMLID, name))
        return false;
    loadTeams();
    return true;
}

bool TPracticeModul::deleteTeam(int index)
{
    const TTeam *team = teamAt(index);
    return team && deleteTeamByID(team->id());
}

bool TPracticeModul::deleteTeamByID(int id)
{
    if (!m_members->deleteTeam(id))
        return false;
    loadTeams();
    return true;
}

// Qualifications.

bool TPracticeModul::loadQualities()
{
    const int error = readList(
        *m_members, m_db, QStringLiteral("SELECT * FROM tqualifications ORDER BY ID"), &m_qualities,
        [](const QSqlQuery &query, const QSqlRecord &record) {
            return new TQuality(query.value(record.indexOf(QStringLiteral("ID"))).toInt(),
                                query.value(record.indexOf(QStringLiteral("fName"))).toString(),
                                query.value(record.indexOf(QStringLiteral("fshortname"))).toString());
        });
    if (error != StorageNoError)
        reportError(error);
    return error == StorageNoError;
}

TQuality *TPracticeModul::qualityAt(int index) const
{
    return at(m_qualities, index);
}

int TPracticeModul::qualityIDAt(int index) const
{
    const TQuality *quality = qualityAt(index);
    return quality ? quality->id() : 0;
}

TQuality *TPracticeModul::qualityByID(int id) const
{
    return qualityAt(indexOfID(m_qualities, id));
}

int TPracticeModul::qualityIndexOf(const TQuality *quality) const
{
    return indexOfRecord(m_qualities, quality);
}

TQuality *TPracticeModul::nextQuality(const TQuality *quality) const
{
    return nextOf(m_qualities, quality);
}

bool TPracticeModul::isQualityIndex(int index) const
{
    return index >= 0 && index < m_qualities.size();
}

TQuality *TPracticeModul::currentQuality() const
{
    return qualityByID(m_currentQualityID);
}

int TPracticeModul::currentQualityRow() const
{
    return indexOfID(m_qualities, m_currentQualityID);
}

int TPracticeModul::addQuality(const QString &name, const QString &shortName)
{
    const int id = m_members->addQualification(name, shortName);
    if (id >= 0)
        loadQualities();
    return id;
}

bool TPracticeModul::updateQuality(int id, const QString &name, const QString &shortName)
{
    if (!m_members->updateQualification(id, name, shortName))
        return false;
    loadQualities();
    return true;
}

bool TPracticeModul::updateQualityAt(int index, const QString &name, const QString &shortName)
{
    const TQuality *quality = qualityAt(index);
    return quality && updateQuality(quality->id(), name, shortName);
}

bool TPracticeModul::deleteQuality(int index)
{
    const TQuality *quality = qualityAt(index);
    return quality && deleteQualityByID(quality->id());
}

bool TPracticeModul::deleteQualityByID(int id)
{
    if (!m_members->deleteQualification(id))
        return false;
    loadQualities();
    return true;
}
