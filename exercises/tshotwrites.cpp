#include "tshotwrites.h"

#include <algorithm>

#include <QTimer>

#include "tbullet.h"
#include "tdbaccessor.h"
#include "tmemberplace.h"

TShotWrites::TShotWrites(int eventID, TdbAccessor *db, QObject *parent)
    : QObject(parent), m_eventID(eventID), m_db(db)
{
    m_retryTimer = new QTimer(this);
    m_retryTimer->setInterval(kRetryWritesMs);
    connect(m_retryTimer, &QTimer::timeout, this, &TShotWrites::retry);
}

bool TShotWrites::stores(const TBullet *shot) const
{
    return m_db && shot->stage() == TMemberPlace::kMatch;
}

bool TShotWrites::insertOrUpdate(TBullet *shot)
{
    if (shot->id() >= 0)
        return m_db->updateBullet(shot->id(), m_eventID, shot);
    const int id = m_db->insertBullet(shot, m_eventID);
    if (id >= 0)
        shot->setID(id);
    return id >= 0;
}

bool TShotWrites::writeTargetShot(TBullet *shot)
{
    if (!stores(shot))
        return true; // sighting shots live in memory only
    return noteShot(shot, insertOrUpdate(shot));
}

void TShotWrites::writeMiss(TBullet *shot)
{
    if (!stores(shot))
        return;
    // No lane delivers a miss: a refused one waits here, and one stored
    // stands for the shot its lane was asked for.
    if (insertOrUpdate(shot))
        noteShot(shot, true);
    else
        keep(shot);
}

void TShotWrites::writeChange(TBullet *shot)
{
    // Not the shot a lane is asked for: the member's refusal stays.
    if (stores(shot) && !insertOrUpdate(shot))
        keep(shot);
}

bool TShotWrites::tryDelete(const TBullet *shot)
{
    if (!m_db || shot->id() < 0)
        return true; // no row to delete
    return m_db->deleteBullet(shot->id());
}

void TShotWrites::writePage(const QList<int> &goneRows, const QList<TBullet *> &shots)
{
    if (!m_db)
        return;
    QList<TBullet *> stored;
    for (TBullet *shot : shots) {
        if (stores(shot))
            stored.append(shot);
    }
    if (goneRows.isEmpty() && stored.isEmpty())
        return;
    QList<const TBullet *> added;
    for (const TBullet *shot : qAsConst(stored)) {
        if (shot->id() < 0)
            added.append(shot);
    }
    if (!flush(goneRows, stored))
        return;
    for (const TBullet *shot : qAsConst(added))
        noteShot(shot, true);
}

bool TShotWrites::flush(const QList<int> &goneRows, const QList<TBullet *> &shots)
{
    // What waits goes first, in the same transaction: the rows never hold
    // a later change without the earlier ones.
    const QList<int> rows = m_unstoredDeletes + goneRows;
    QList<TBullet *> all = waitingShots();
    for (TBullet *shot : shots) {
        if (!all.contains(shot))
            all.append(shot);
    }
    const bool done = commit(rows, all);
    m_unstoredDeletes = done ? QList<int>() : rows;
    m_unstoredShots.clear();
    if (done) {
        m_retryTimer->stop();
    } else {
        for (TBullet *shot : qAsConst(all))
            m_unstoredShots.append(shot);
        m_retryTimer->start();
    }
    updateWaiting();
    return done;
}

bool TShotWrites::commit(const QList<int> &rows, const QList<TBullet *> &shots)
{
    QList<TBullet *> inserted;
    const bool done = m_db->inTransaction([&] {
        for (int row : rows) {
            if (!m_db->deleteBullet(row))
                return false;
        }
        for (TBullet *shot : shots) {
            const bool isNew = shot->id() < 0;
            if (!insertOrUpdate(shot))
                return false;
            if (isNew)
                inserted.append(shot);
        }
        return true;
    });
    if (!done) {
        for (TBullet *shot : qAsConst(inserted))
            shot->setID(-1);
    }
    return done;
}

void TShotWrites::deleteRow(const TBullet *shot)
{
    if (tryDelete(shot))
        return;
    m_unstoredDeletes.append(shot->id());
    m_retryTimer->start();
    updateWaiting();
}

bool TShotWrites::noteShot(const TBullet *shot, bool stored)
{
    if (stored)
        m_refusedMembers.remove(shot->memberID());
    else
        m_refusedMembers.insert(shot->memberID());
    updateWaiting();
    return stored;
}

void TShotWrites::keep(TBullet *shot)
{
    if (!m_unstoredShots.contains(shot))
        m_unstoredShots.append(shot);
    m_retryTimer->start();
    updateWaiting();
}

void TShotWrites::retry()
{
    // A shot purged or erased since is gone, and so is its write. A stored
    // one leaves a refusal of its member standing: that ends only with a
    // new shot of the member.
    flush({}, {});
}

bool TShotWrites::hasWaitingWrites() const
{
    return !m_refusedMembers.isEmpty() || !m_unstoredDeletes.isEmpty()
        || std::any_of(m_unstoredShots.cbegin(), m_unstoredShots.cend(),
                       [](const QPointer<TBullet> &shot) { return !shot.isNull(); });
}

QList<TBullet *> TShotWrites::waitingShots() const
{
    QList<TBullet *> shots;
    for (const QPointer<TBullet> &shot : m_unstoredShots) {
        if (shot)
            shots.append(shot);
    }
    return shots;
}

bool TShotWrites::waits(const TBullet *shot) const
{
    return std::any_of(m_unstoredShots.cbegin(), m_unstoredShots.cend(),
                       [shot](const QPointer<TBullet> &waiting) { return waiting == shot; });
}

void TShotWrites::moveWrite(const TBullet *from, TBullet *to)
{
    for (QPointer<TBullet> &waiting : m_unstoredShots) {
        if (waiting == from)
            waiting = to;
    }
}

void TShotWrites::forgetRefusedMembers()
{
    m_refusedMembers.clear();
    updateWaiting();
}

void TShotWrites::updateWaiting()
{
    const bool waiting = hasWaitingWrites();
    if (waiting == m_waiting)
        return;
    m_waiting = waiting;
    emit sig_writesWaiting(waiting);
}
