#include "tbulletlist.h"

#include <algorithm>

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
    emit sig_shotWritten(id >= 0);
    return id >= 0;
}

bool TBulletList::updateBulletInDB(TBullet *shot)
{
    if (!writesShot(shot))
        return true;
    const bool stored = m_db->updateBullet(shot->id(), m_eventID, shot);
    emit sig_shotWritten(stored);
    return stored;
}

bool TBulletList::deleteBulletFromDB(const TBullet *shot)
{
    if (!m_db || shot->id() < 0)
        return true; // no row to delete
    return m_db->deleteBullet(shot->id());
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
    if (count < 1)
        return;
    if (const TMemberPlace *place = placeByMemberId(memberID)) {
        for (int i = 0; i < count; ++i) {
            const int number = place->shotCountOfStage(place->stage()) + 1;
            addShotFromTarget(memberID, number, TBullet::kNoHit, TBullet::kNoHit, 0, 0, fine);
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        const int number = shotCountOfMember(memberID) + 1;
        auto *shot = new TBullet(0, number, TBullet::kNoHit, TBullet::kNoHit, 0, 0, m_targetType,
                                 m_calibre, m_controlValue, fine);
        shot->setMemberID(memberID);
        shot->setStage(TMemberPlace::kMatch);
        if (saveBulletToDB(shot))
            m_offlineShots.append(shot);
        else
            delete shot;
    }
}

void TBulletList::deleteShotsOfMember(int memberID)
{
    if (TMemberPlace *place = placeByMemberId(memberID)) {
        for (const TBullet *shot : place->shots())
            deleteBulletFromDB(shot);
        place->resetAll();
        refreshAll(true);
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
    for (TBullet *shot : qAsConst(flagged)) {
        deleteBulletFromDB(shot);
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
            updateBulletInDB(shot);
        }
    }
    clearShotMarks(target);
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
    const bool written = shot->id() < 0 ? saveBulletToDB(shot) : updateBulletInDB(shot);
    if (!written) {
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
