#include "tbulletlist.h"

#include <algorithm>

#include <QTimer>

#include "tdbaccessor.h"
#include "tmemberplace.h"
#include "tseries.h"

// The shot operations of the list: adding, storing, misses, deleting and the
// re-shoot of flagged shots.

bool TBulletList::writesShot(const TBullet *shot) const
{
    return m_storesShots && m_db && shot->stage() == TMemberPlace::kMatch;
}

bool TBulletList::saveBulletToDB(TBullet *shot)
{
    if (!writesShot(shot))
        return true; // sighting shots live in memory only
    const int id = m_db->insertBullet(shot, m_eventID);
    if (id >= 0)
        shot->setID(id);
    return noteWrite(shot, id >= 0);
}

bool TBulletList::updateBulletInDB(TBullet *shot)
{
    if (!writesShot(shot))
        return true;
    return noteWrite(shot, m_db->updateBullet(shot->id(), m_eventID, shot));
}

bool TBulletList::writeShot(TBullet *shot)
{
    return shot->id() < 0 ? saveBulletToDB(shot) : updateBulletInDB(shot);
}

bool TBulletList::deleteBulletFromDB(const TBullet *shot)
{
    if (!m_db || shot->id() < 0)
        return true; // no row to delete
    return m_db->deleteBullet(shot->id());
}

bool TBulletList::noteWrite(const TBullet *shot, bool stored)
{
    if (stored)
        m_refusedMembers.remove(shot->memberID());
    else
        m_refusedMembers.insert(shot->memberID());
    updateWaiting();
    return stored;
}

void TBulletList::keepUnstored(TBullet *shot)
{
    if (!m_unstoredShots.contains(shot))
        m_unstoredShots.append(shot);
    m_retryTimer->start();
    updateWaiting();
}

void TBulletList::deleteOrKeepRow(const TBullet *shot)
{
    if (deleteBulletFromDB(shot))
        return;
    m_unstoredDeletes.append(shot->id());
    m_retryTimer->start();
    updateWaiting();
}

void TBulletList::retryWrites()
{
    for (auto it = m_unstoredDeletes.begin(); it != m_unstoredDeletes.end();)
        it = m_db->deleteBullet(*it) ? m_unstoredDeletes.erase(it) : it + 1;
    const QList<QPointer<TBullet>> unstored = m_unstoredShots;
    m_unstoredShots.clear();
    for (const QPointer<TBullet> &shot : unstored) {
        // A shot purged or erased since is gone, and so is its write.
        if (shot && !writeShot(shot))
            m_unstoredShots.append(shot);
    }
    if (m_unstoredShots.isEmpty() && m_unstoredDeletes.isEmpty())
        m_retryTimer->stop();
    updateWaiting();
}

bool TBulletList::hasWaitingWrites() const
{
    return !m_refusedMembers.isEmpty() || !m_unstoredDeletes.isEmpty()
        || std::any_of(m_unstoredShots.cbegin(), m_unstoredShots.cend(),
                       [](const QPointer<TBullet> &shot) { return !shot.isNull(); });
}

void TBulletList::updateWaiting()
{
    const bool waiting = hasWaitingWrites();
    if (waiting == m_waiting)
        return;
    m_waiting = waiting;
    emit sig_writesWaiting(waiting);
}

void TBulletList::keepUnstoredOffline()
{
    for (QPointer<TBullet> &shot : m_unstoredShots) {
        if (!shot || m_offlineShots.contains(shot))
            continue;
        TBullet *offline = newOfflineShot(shot->memberID(), shot->number(), shot->point().x(),
                                          shot->point().y(), shot->positionCode(), shot->time(),
                                          shot->fine());
        offline->setID(shot->id());
        m_offlineShots.append(offline);
        shot = offline;
    }
    // No lane of these places is asked any more.
    m_refusedMembers.clear();
    updateWaiting();
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
    if (!saveBulletToDB(shot)) {
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
        // No target delivers a miss again: a refused one waits in the list.
        if (!saveBulletToDB(shot))
            keepUnstored(shot);
    }
    if (place && count > 0)
        refreshPlace(place, place->stage() == TMemberPlace::kMatch);
}

void TBulletList::deleteShotsOfMember(int memberID)
{
    if (TMemberPlace *place = placeByMemberId(memberID)) {
        for (const TBullet *shot : place->shots())
            deleteOrKeepRow(shot);
        place->resetAll();
        refreshAll(true);
        updateWaiting();
        return;
    }
    for (auto it = m_offlineShots.begin(); it != m_offlineShots.end();) {
        TBullet *shot = *it;
        if (shot->memberID() == memberID && deleteBulletFromDB(shot)) {
            delete shot;
            it = m_offlineShots.erase(it);
        } else {
            ++it;
        }
    }
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
    QList<TBullet *> flagged;
    for (TBullet *shot : place->shots()) {
        if (shot->isFine())
            flagged.append(shot);
    }
    removeShots(place, flagged);
    clearShotMarks(target);
    updateWaiting();
}

void TBulletList::withdrawPage(int target)
{
    TMemberPlace *place = placeByTarget(target);
    if (!place)
        return;
    QList<TBullet *> page;
    for (TBullet *shot : place->shots()) {
        if (shot->stage() == place->stage() && shot->resetCounter() == place->resetCounter())
            page.append(shot);
    }
    removeShots(place, page);
    refreshPlace(place, place->stage() == TMemberPlace::kMatch);
    updateWaiting();
}

void TBulletList::newTargetPage(int target)
{
    if (TMemberPlace *place = placeByTarget(target))
        place->newTargetPage();
}

void TBulletList::removeShots(TMemberPlace *place, const QList<TBullet *> &shots)
{
    for (TBullet *shot : shots) {
        deleteOrKeepRow(shot);
        place->removeShot(shot);
    }
    // Close the gaps, each stage counting from 1 again.
    for (int stage : {TMemberPlace::kSighting, TMemberPlace::kMatch}) {
        QList<TBullet *> ofStage;
        for (TBullet *shot : place->shots()) {
            if (shot->stage() == stage)
                ofStage.append(shot);
        }
        std::stable_sort(ofStage.begin(), ofStage.end(), [](const TBullet *a, const TBullet *b) {
            return a->number() < b->number();
        });
        for (int i = 0; i < ofStage.size(); ++i) {
            TBullet *shot = ofStage.at(i);
            if (shot->number() == i + 1)
                continue;
            place->renumberShot(shot, i + 1);
            if (!updateBulletInDB(shot))
                keepUnstored(shot);
        }
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
    if (!writeShot(shot)) {
        place->removeShot(shot);
        return nullptr;
    }
    place->removeShot(flagged);
    refreshPlace(place, shot->stage() == TMemberPlace::kMatch);
    updateWaiting();
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
