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
    // Its lane delivers it again: refused, it does not wait here.
    return noteShot(shot, flush({}, {{shot, shot->number()}}, false));
}

void TShotWrites::writeMiss(TBullet *shot)
{
    if (!stores(shot))
        return;
    // No lane delivers a miss: a refused one waits here, and one stored
    // stands for the shot its lane was asked for.
    if (flush({}, {{shot, shot->number()}}))
        noteShot(shot, true);
}

void TShotWrites::writeChange(TBullet *shot, int storedNumber)
{
    // Not the shot a lane is asked for: the member's refusal stays.
    if (stores(shot))
        flush({}, {{shot, storedNumber}});
}

DbFields::ShotRow TShotWrites::storedRow(const TBullet *shot) const
{
    DbFields::ShotRow row = TdbAccessor::bulletRow(shot);
    for (const Waiting &waiting : m_unstoredShots) {
        if (waiting.shot == shot)
            row.number = waiting.storedNumber;
    }
    return row;
}

bool TShotWrites::tryDelete(const TBullet *shot)
{
    if (!m_db || shot->id() < 0)
        return true; // no row to delete
    return m_db->deleteBullet(m_eventID, storedRow(shot));
}

void TShotWrites::writePage(const QList<DbFields::ShotRow> &goneRows,
                            const QList<TMemberPlace::Renumbered> &renumbered,
                            const QList<TBullet *> &added)
{
    if (!m_db)
        return;
    // The renumbered rows before the new ones. A new shot has no row yet:
    // its own number stands for the one it would have.
    QList<Waiting> writes;
    for (const TMemberPlace::Renumbered &change : renumbered) {
        if (stores(change.shot))
            writes.append({change.shot, change.formerNumber});
    }
    for (TBullet *shot : added) {
        if (stores(shot))
            writes.append({shot, shot->number()});
    }
    if (goneRows.isEmpty() && writes.isEmpty())
        return;
    QList<const TBullet *> inserted;
    for (const Waiting &write : qAsConst(writes)) {
        if (write.shot->id() < 0)
            inserted.append(write.shot);
    }
    if (!flush(goneRows, writes))
        return;
    for (const TBullet *shot : qAsConst(inserted))
        noteShot(shot, true);
}

bool TShotWrites::flush(const QList<DbFields::ShotRow> &goneRows, const QList<Waiting> &writes,
                        bool keepRefused)
{
    // What waits goes first, in the same transaction: the rows never hold
    // a later change without the earlier ones. A shot purged or erased
    // since is gone, and so is its write.
    QList<Waiting> waiting;
    for (const Waiting &write : qAsConst(m_unstoredShots)) {
        if (write.shot)
            waiting.append(write);
    }
    const QList<DbFields::ShotRow> rows = m_unstoredDeletes + goneRows;
    QList<Waiting> all = waiting;
    // A write that waits already keeps the number its row had before.
    for (const Waiting &write : writes) {
        if (!waits(write.shot))
            all.append(write);
    }
    QList<TBullet *> shots;
    for (const Waiting &write : qAsConst(all))
        shots.append(write.shot);
    const QList<int> purges = m_unstoredPurges;
    const bool done = commit(purges, rows, shots);
    if (done) {
        m_unstoredPurges.clear();
        m_unstoredDeletes.clear();
        m_unstoredShots.clear();
    } else if (keepRefused) {
        m_unstoredDeletes = rows;
        m_unstoredShots = all;
    } else {
        m_unstoredShots = waiting;
    }
    if (m_unstoredPurges.isEmpty() && m_unstoredDeletes.isEmpty() && m_unstoredShots.isEmpty())
        m_retryTimer->stop();
    else if (!m_retryTimer->isActive())
        m_retryTimer->start();
    updateWaiting();
    if (done) {
        for (int memberID : purges)
            emit sig_memberRowsGone(memberID);
    }
    return done;
}

bool TShotWrites::commit(const QList<int> &members, const QList<DbFields::ShotRow> &rows,
                         const QList<TBullet *> &shots)
{
    QList<TBullet *> inserted;
    const bool done = m_db->inTransaction([&] {
        for (int memberID : members) {
            if (!m_db->deleteMemberBullets(m_eventID, memberID))
                return false;
        }
        // Deletes first: a renumbering may give a shot the number of a row
        // that is deleted, and rows are named by what they hold.
        for (const DbFields::ShotRow &row : rows) {
            if (!m_db->deleteBullet(m_eventID, row))
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

bool TShotWrites::deleteMemberRows(int memberID)
{
    if (!m_db)
        return true;
    // Rows of the member named one by one are among its rows.
    m_unstoredDeletes.erase(std::remove_if(m_unstoredDeletes.begin(), m_unstoredDeletes.end(),
                                           [memberID](const DbFields::ShotRow &row) {
                                               return row.memberID == memberID;
                                           }),
                            m_unstoredDeletes.end());
    if (!m_unstoredPurges.contains(memberID))
        m_unstoredPurges.append(memberID);
    return flush({}, {});
}

void TShotWrites::deleteRow(const TBullet *shot)
{
    if (tryDelete(shot))
        return;
    m_unstoredDeletes.append(storedRow(shot));
    m_retryTimer->start();
    updateWaiting();
}

bool TShotWrites::deleteWaits(const DbFields::ShotRow &row) const
{
    return std::any_of(m_unstoredDeletes.cbegin(), m_unstoredDeletes.cend(),
                       [&row](const DbFields::ShotRow &waiting) {
                           return waiting.memberID == row.memberID
                               && waiting.number == row.number && waiting.x == row.x
                               && waiting.y == row.y && waiting.positionCode == row.positionCode
                               && waiting.time == row.time;
                       });
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

void TShotWrites::retry()
{
    // A stored shot leaves a refusal of its member standing: that ends
    // only with a new shot of the member.
    flush({}, {});
}

bool TShotWrites::hasWaitingWrites() const
{
    return hasWaitingShots() || !m_unstoredPurges.isEmpty();
}

bool TShotWrites::hasWaitingShots() const
{
    return !m_refusedMembers.isEmpty() || !m_unstoredDeletes.isEmpty()
        || std::any_of(m_unstoredShots.cbegin(), m_unstoredShots.cend(),
                       [](const Waiting &waiting) { return !waiting.shot.isNull(); });
}

QList<TBullet *> TShotWrites::waitingShots() const
{
    QList<TBullet *> shots;
    for (const Waiting &waiting : m_unstoredShots) {
        if (waiting.shot)
            shots.append(waiting.shot);
    }
    return shots;
}

bool TShotWrites::waits(const TBullet *shot) const
{
    return std::any_of(m_unstoredShots.cbegin(), m_unstoredShots.cend(),
                       [shot](const Waiting &waiting) { return waiting.shot == shot; });
}

void TShotWrites::moveWrite(const TBullet *from, TBullet *to)
{
    for (Waiting &waiting : m_unstoredShots) {
        if (waiting.shot == from)
            waiting.shot = to;
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
