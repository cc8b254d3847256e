#include "tbulletlist.h"

#include <algorithm>

#include "tdbaccessor.h"
#include "tmemberplace.h"
#include "tseries.h"

// The shot operations of the list: adding, storing, misses, deleting and the
// re-shoot of flagged shots.

namespace {

// The place's shots that keep says to take, in list order.
template <typename Keep>
QList<TBullet *> shotsOf(const TMemberPlace *place, Keep keep)
{
    QList<TBullet *> chosen;
    for (TBullet *shot : place->shots()) {
        if (keep(shot))
            chosen.append(shot);
    }
    return chosen;
}

// The place's shots of the stage by their running number.
QList<TBullet *> stageInOrder(const TMemberPlace *place, int stage)
{
    QList<TBullet *> ofStage = shotsOf(place, [stage](const TBullet *shot) {
        return shot->stage() == stage;
    });
    std::stable_sort(ofStage.begin(), ofStage.end(), [](const TBullet *a, const TBullet *b) {
        return a->number() < b->number();
    });
    return ofStage;
}

} // namespace

void TBulletList::keepUnstoredOffline()
{
    for (TBullet *shot : m_writes->waitingShots()) {
        if (m_offlineShots.contains(shot))
            continue;
        TBullet *offline = newOfflineShot(shot->memberID(), shot->number(), shot->point().x(),
                                          shot->point().y(), shot->positionCode(), shot->time(),
                                          shot->fine());
        offline->setID(shot->id());
        m_offlineShots.append(offline);
        m_writes->moveWrite(shot, offline);
    }
    m_writes->forgetRefusedMembers();
}

TBullet *TBulletList::newOfflineShot(int memberID, int number, int x, int y, int positionCode,
                                     int time, int fine) const
{
    auto *shot = new TBullet(0, number, x, y, quint8(positionCode), time, m_targetType, m_calibre,
                             m_controlValue, fine);
    shot->setMemberID(memberID);
    shot->setStage(TMemberPlace::kMatch);
    return shot;
}

TBullet *TBulletList::addShotFromTarget(int memberID, int number, int x, int y,
                                        quint8 positionCode, int time, int fine)
{
    TMemberPlace *place = placeByMemberId(memberID);
    if (!place)
        return nullptr;
    TBullet *shot = place->addBullet(number, x, y, positionCode, time, fine, false);
    if (!m_writes->writeTargetShot(shot)) {
        place->removeShot(shot);
        return nullptr;
    }
    refreshPlace(place, shot->stage() == TMemberPlace::kMatch);
    return shot;
}

void TBulletList::addMisses(int memberID, int count, int fine)
{
    TMemberPlace *place = placeByMemberId(memberID);
    for (int i = 0; i < count; ++i) {
        TBullet *shot = nullptr;
        if (place) {
            // A miss takes the place's stage: in sighting it is not stored.
            shot = place->addBullet(place->shotCountOfStage(place->stage()) + 1, TBullet::kNoHit,
                                    TBullet::kNoHit, 0, 0, fine, false);
        } else {
            shot = newOfflineShot(memberID, shotCountOfMember(memberID) + 1, TBullet::kNoHit,
                                  TBullet::kNoHit, 0, 0, fine);
            m_offlineShots.append(shot);
        }
        // No target delivers a miss again: a refused one waits.
        m_writes->writeMiss(shot);
    }
    if (place && count > 0)
        refreshPlace(place, place->stage() == TMemberPlace::kMatch);
}

bool TBulletList::deleteShotsOfMember(int memberID)
{
    // Out of memory first: a write of theirs that waits goes with them.
    if (TMemberPlace *place = placeByMemberId(memberID)) {
        place->resetAll();
        refreshAll(true);
    }
    for (auto it = m_offlineShots.begin(); it != m_offlineShots.end();) {
        if ((*it)->memberID() == memberID) {
            delete *it;
            it = m_offlineShots.erase(it);
        } else {
            ++it;
        }
    }
    // The rows go all at once, or wait whole; a reload meanwhile leaves
    // them unread.
    return m_writes->deleteMemberRows(memberID);
}

int TBulletList::shotState(int memberID, int limit) const
{
    const int count = shotCountOfMember(memberID);
    if (count == 0)
        return 0;
    return count < limit ? 1 : 2;
}

int TBulletList::shotCountOfMember(int memberID) const
{
    if (const TMemberPlace *place = placeByMemberId(memberID))
        return place->countMatchShots(-1);
    return int(std::count_if(m_offlineShots.cbegin(), m_offlineShots.cend(),
                             [memberID](const TBullet *shot) {
                                 return shot->memberID() == memberID
                                     && shot->stage() == TMemberPlace::kMatch;
                             }));
}

void TBulletList::purgeFlaggedShots(int target)
{
    TMemberPlace *place = placeByTarget(target);
    if (!place)
        return;
    // The row shows the series being shot again, not the one before it.
    if (const TBullet *first = place->firstFlagged(m_shotColumns))
        place->shootAgainFrom(first->number());
    removeShots(place, shotsOf(place, [](const TBullet *shot) { return shot->isFine(); }));
    clearShotMarks(target);
}

void TBulletList::amendPage(int target, const QVector<int> &withdraw,
                            const QVector<LaneShot> &shots, int pagesBack)
{
    TMemberPlace *place = placeByTarget(target);
    if (!place)
        return;
    const int stage = place->stage();
    const int page = place->resetCounter() - pagesBack;
    const auto onPage = [page, stage](const TBullet *shot) {
        return shot->stage() == stage && shot->resetCounter() == page;
    };
    QList<DbFields::ShotRow> goneRows;
    for (TBullet *shot : shotsOf(place, [&](const TBullet *shot) {
             return onPage(shot) && withdraw.contains(shot->shotID());
         })) {
        if (shot->id() >= 0)
            goneRows.append(m_writes->storedRow(shot));
        place->removeShot(shot);
    }
    // A shot goes before the first of its page that the target numbered
    // after it: the page keeps the order the target shot it in.
    QList<TBullet *> order = stageInOrder(place, stage);
    QList<TBullet *> added;
    for (const LaneShot &shot : shots) {
        TBullet *made = place->addBullet(shot.number, shot.point.x(), shot.point.y(),
                                         quint8(shot.place), shot.timeTenths, -1, false);
        made->setResetCounter(page);
        order.insert(std::find_if(order.begin(), order.end(),
                                  [&](const TBullet *later) {
                                      return later->stage() == stage
                                          && (later->resetCounter() > page
                                              || (onPage(later) && later->shotID() > shot.number));
                                  }),
                     made);
        added.append(made);
    }
    QList<TMemberPlace::Renumbered> renumbered;
    for (const TMemberPlace::Renumbered &change : place->renumberInOrder(order)) {
        if (!added.contains(change.shot))
            renumbered.append(change);
    }
    m_writes->writePage(goneRows, renumbered, added);
    refreshPlace(place, stage == TMemberPlace::kMatch);
}

void TBulletList::newTargetPage(int target)
{
    if (TMemberPlace *place = placeByTarget(target))
        place->newTargetPage();
}

int TBulletList::placeInStage(int target, int number, int pagesBack) const
{
    const TMemberPlace *place = placeByTarget(target);
    if (!place)
        return 0;
    const int stage = place->stage();
    const int page = place->resetCounter() - pagesBack;
    return 1 + shotsOf(place, [&](const TBullet *shot) {
               return shot->stage() == stage
                   && (shot->resetCounter() < page
                       || (shot->resetCounter() == page && shot->shotID() < number));
           }).size();
}

QString TBulletList::valueText(const LaneShot &shot) const
{
    const TBullet scored(0, shot.number, shot.point.x(), shot.point.y(), quint8(shot.place),
                         shot.timeTenths, m_targetType, m_calibre, m_controlValue, 0);
    return scored.valueText(m_showTenths);
}

void TBulletList::removeShots(TMemberPlace *place, const QList<TBullet *> &shots)
{
    for (TBullet *shot : shots) {
        m_writes->deleteRow(shot);
        place->removeShot(shot);
    }
    // Close the gaps, each stage counting from 1 again.
    for (int stage : {TMemberPlace::kSighting, TMemberPlace::kMatch}) {
        for (const TMemberPlace::Renumbered &change :
             place->renumberInOrder(stageInOrder(place, stage)))
            m_writes->writeChange(change.shot, change.formerNumber);
    }
}

void TBulletList::clearShotMarks(int target)
{
    TMemberPlace *place = placeByTarget(target);
    if (!place)
        return;
    place->clearFlags();
    refreshAll(false);
}

bool TBulletList::hasShotWithFine(int fine) const
{
    return std::any_of(m_places.cbegin(), m_places.cend(), [&](const TMemberPlace *place) {
        return place->countFineInSeries(fine, m_shotColumns) > 0;
    });
}

TBullet *TBulletList::replaceFlaggedShot(int memberID, int number, int x, int y,
                                         quint8 positionCode, int time)
{
    TMemberPlace *place = placeByMemberId(memberID);
    TBullet *flagged = place ? place->firstFlagged(m_shotColumns) : nullptr;
    if (!flagged)
        return nullptr;
    TBullet *shot = place->addBullet(number, x, y, positionCode, time, kFlaggedFine, false);
    // Fine 1 records the re-shot; the flag itself is cleared, or the next
    // replacement would take this shot again instead of the next flagged one.
    shot->setFineFlag(false);
    shot->setID(flagged->id());
    place->renumberShot(shot, flagged->number());
    // A flagged shot that never reached the table gets a row of its own.
    // A write of the flagged shot that waits is the replacement's now, or
    // it would be stored beside it.
    m_writes->moveWrite(flagged, shot);
    if (!m_writes->writeTargetShot(shot)) {
        m_writes->moveWrite(shot, flagged);
        place->removeShot(shot);
        return nullptr;
    }
    place->removeShot(flagged);
    refreshPlace(place, shot->stage() == TMemberPlace::kMatch);
    return shot;
}

bool TBulletList::seriesResultInt(int target, int &sum, int &marked) const
{
    return m_series->seriesResultInt(target, sum, marked);
}

bool TBulletList::seriesResultTenths(int target, double &sum, int &marked) const
{
    return m_series->seriesResultTenths(target, sum, marked);
}
