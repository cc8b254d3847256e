#include "tviewbulletlist.h"

#include <algorithm>

#include "counrtylist.h"
#include "createmyevent.h"
#include "dbfields.h"
#include "rankorder.h"
#include "tbullet.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "tmemberplace.h"
#include "tviewmemberplace.h"
#include "tviewseries.h"

namespace {

constexpr int kRifleSeriesSize = 10;
constexpr int kPistolSeriesSize = 5;

// An integer field of the current row, or fallback with the debug line.
int intOr(const TdbAccessor *db, const char *field, int fallback, const char *table)
{
    int value = fallback;
    if (!DbFields::readInt(db, QLatin1String(field), &value)) {
        DbFields::logCannotLoad(QStringLiteral("%1.%2").arg(QLatin1String(table),
                                                             QLatin1String(field)));
        return fallback;
    }
    return value;
}

QString textOr(const TdbAccessor *db, const char *field, const QString &logName)
{
    QString value;
    if (!DbFields::readText(db, QLatin1String(field), &value))
        DbFields::logCannotLoad(logName);
    return value;
}

RankKey rankKeyOf(const TViewMemberPlace *place)
{
    return {place->totalUnits(), place->showTenths() ? 0 : place->markedCount(),
            place->startNumber(), place->target(), place->memberId()};
}

} // namespace

TViewBulletList::TViewBulletList(const CounrtyList *countries, int competitionId, int eventId,
                                 TdbAccessor *db, const TTargetType *targetType,
                                 bool showTenths, int calibre, double controlValue)
    : m_db(db), m_countries(countries), m_competitionId(competitionId), m_eventId(eventId),
      m_targetType(targetType), m_calibre(calibre), m_controlValue(controlValue),
      m_showTenths(showTenths)
{
}

TViewBulletList::~TViewBulletList()
{
    clear();
    clearSeries();
}

bool TViewBulletList::loadAll()
{
    loadMembers();
    loadShooters();
    loadRelays();
    loadTeams();
    loadQualities();
    loadBullets();
    return true;
}

bool TViewBulletList::loadMembers()
{
    if (!m_db)
        return true;
    clear();
    m_db->selectMembers(m_competitionId);
    while (m_db->next()) {
        int id = 0, shooterId = 0, startNumber = 0;
        if (!DbFields::readInt(m_db, QStringLiteral("ID"), &id)
            || !DbFields::readInt(m_db, QStringLiteral("fShooterID"), &shooterId)
            || !DbFields::readInt(m_db, QStringLiteral("fStartNumber"), &startNumber)) {
            DbFields::logCannotLoad(QStringLiteral("tmembers"));
            continue;
        }
        m_places.append(new TViewMemberPlace(id, shooterId, startNumber, m_showTenths, &m_series));
    }
    return true;
}

bool TViewBulletList::loadShooters()
{
    if (!m_db)
        return true;
    for (TViewMemberPlace *place : qAsConst(m_places)) {
        m_db->selectShooter(place->shooterId());
        if (m_db->first())
            continue;
        const QString name = textOr(m_db, "fName", QStringLiteral("Shooter.fName"));
        const QString family = textOr(m_db, "fFamily", QStringLiteral("Shooter.fFamily"));
        QDate born;
        if (!DbFields::readDate(m_db, QStringLiteral("fDateofBirth"), &born))
            DbFields::logCannotLoad(QStringLiteral("Shooter.fDateofBirth"));
        place->setNames(name, family);
        place->setDateOfBirth(born);
        place->setGender(intOr(m_db, "fGender", 0, "Shooter"));
        place->setCountryXMLID(intOr(m_db, "fCountryXMLID", -1, "Shooter"));
        place->setTeamID(intOr(m_db, "fTeamID", -1, "Shooter"));
        place->setQualityID(intOr(m_db, "fQualityID", -1, "Shooter"));
        place->setCountry(m_countries ? m_countries->countryByID(place->countryXMLID())
                                      : nullptr);
    }
    return true;
}

bool TViewBulletList::loadRelays()
{
    if (!m_db)
        return true;
    QSet<int> relays;
    for (TViewMemberPlace *place : qAsConst(m_places)) {
        m_db->selectMemberRelays(m_eventId, place->memberId());
        if (m_db->first())
            continue;
        place->setRelayNumber(intOr(m_db, "fRelayNum", -1, "Shooter"));
        place->setTarget(intOr(m_db, "fMemberTarget", -1, "Shooter"));
        relays.insert(place->relayNumber());
    }
    m_relays = relays;
    return true;
}

bool TViewBulletList::loadTeams()
{
    if (!m_db)
        return true;
    for (TViewMemberPlace *place : qAsConst(m_places)) {
        m_db->selectTeam(place->teamID());
        if (m_db->first())
            continue;
        const QString name = textOr(m_db, "fName", QStringLiteral("Team.fName"));
        const int countryId = intOr(m_db, "fCountryXMLID", -1, "Team");
        const QString shortName = textOr(m_db, "fshortName", QStringLiteral("Team.fshortName"));
        place->setTeam(name, shortName, countryId,
                       m_countries ? m_countries->countryByID(countryId) : nullptr);
    }
    return true;
}

bool TViewBulletList::loadQualities()
{
    if (!m_db)
        return true;
    for (TViewMemberPlace *place : qAsConst(m_places)) {
        m_db->selectQualification(place->qualityID());
        if (m_db->first())
            continue;
        const QString name = textOr(m_db, "fName", QStringLiteral("Quality.fName"));
        const QString shortName = textOr(m_db, "fshortname", QStringLiteral("Quality.fshortName"));
        place->setQuality(name, shortName);
    }
    return true;
}

bool TViewBulletList::loadBullets()
{
    if (!m_db)
        return true;
    for (TViewMemberPlace *place : qAsConst(m_places)) {
        m_db->selectMemberBullets(m_eventId, place->memberId());
        while (m_db->next()) {
            DbFields::ShotRow row;
            if (!DbFields::readShotRow(m_db, &row)) {
                DbFields::logCannotLoad(QStringLiteral("tbullets"));
                continue;
            }
            // The stored value is not read: the shot is scored again from its
            // coordinates with the exercise's current parameters. "fP" is the
            // target's byte, whether stored signed or not.
            auto *shot = new TBullet(-1, row.number, row.x, row.y, quint8(row.positionCode),
                                     row.time, m_targetType, m_calibre, m_controlValue, row.fine);
            shot->setID(row.id);
            shot->setMemberID(place->memberId());
            shot->setStage(TMemberPlace::kMatch);
            place->addBullet(shot);
        }
    }
    std::stable_sort(m_places.begin(), m_places.end(),
                     [](const TViewMemberPlace *a, const TViewMemberPlace *b) {
                         return rankedBefore(rankKeyOf(a), rankKeyOf(b));
                     });
    return true;
}

void TViewBulletList::clear()
{
    qDeleteAll(m_places);
    m_places.clear();
    m_relays.clear();
}

void TViewBulletList::clearSeries()
{
    qDeleteAll(m_series);
    m_series.clear();
}

void TViewBulletList::appendSeries(int size)
{
    m_series.append(new TViewSeries(size, m_series.isEmpty() ? nullptr : m_series.last()));
}

const TViewSeries *TViewBulletList::seriesOf(int number) const
{
    return number >= 1 && number <= m_series.size() ? m_series.at(number - 1) : nullptr;
}

int TViewBulletList::seriesSize(int number) const
{
    const TViewSeries *series = seriesOf(number);
    return series ? series->size() : 0;
}

int TViewBulletList::seriesFirstIndex(int number) const
{
    const TViewSeries *series = seriesOf(number);
    return series ? series->firstIndex() : 0;
}

TViewMemberPlace *TViewBulletList::placeAt(int index) const
{
    return index >= 0 && index < m_places.size() ? m_places.at(index) : nullptr;
}

TViewMemberPlace *TViewBulletList::placeByShooterId(int shooterId) const
{
    for (TViewMemberPlace *place : m_places) {
        if (place->shooterId() == shooterId)
            return place;
    }
    return nullptr;
}

void layoutSeriesOfEvent(const TEvent *event, TViewBulletList *list)
{
    if (!event || !list)
        return;
    int size = 0;
    switch (event->typeXMLID()) {
    case kEventSimpleOne:
    case kEventDifficultOne:
        size = kRifleSeriesSize;
        break;
    case kEventPrecisionStage:
    case kEventRapidFireStage:
        size = kPistolSeriesSize;
        break;
    default:
        return;
    }
    list->clearSeries();
    const int count = event->matchCount() / size;
    for (int i = 0; i < count; ++i)
        list->appendSeries(size);
}
