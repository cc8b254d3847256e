#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

#include "dbfields.h"
#include "tmemberplace.h"

class QTimer;
class TBullet;
class TdbAccessor;

// The writes of one exercise's match shots into "tbullets", and those the
// database refused until they are stored.
//
// A refused shot of a target is not kept here: the shot list drops it and
// its lane is asked for it again, so the member counts as refused until a
// new shot of the member is stored in its place (the target's own, or a
// miss that stands for it). Misses, renumberings and deletions that no lane
// delivers again wait here and are tried again every second, all of them
// in one transaction, so that a change of several rows is stored whole or
// not at all. A new write goes after what waits, in its transaction: the
// rows never hold a later change without the earlier ones.
class TShotWrites : public QObject
{
    Q_OBJECT

public:
    // db (not owned) is null for a practice, which stores nothing.
    TShotWrites(int eventID, TdbAccessor *db, QObject *parent = nullptr);

    // Writes a new shot of the member, inserted or, under the key it
    // replaces, updated, after the writes that wait; a shot that is not
    // stored (a sighting shot, a practice) counts as written. A refused shot
    // of a target is asked for again; a refused miss waits here.
    bool writeTargetShot(TBullet *shot);
    void writeMiss(TBullet *shot);
    // The shot's row changed (a renumbering from storedNumber, the number
    // its row has); written now or later.
    void writeChange(TBullet *shot, int storedNumber);
    // The shot's row is deleted now or later. A delete that waits names the
    // row by its content (TdbAccessor::deleteBullet), as it is stored: with
    // the number it had before a renumbering that waits too.
    void deleteRow(const TBullet *shot);
    // Deletes the shot's row now; false when the database refused.
    bool tryDelete(const TBullet *shot);
    // Deletes every row of the member in the exercise in one statement, now
    // or, refused, later: it waits with the other refused writes and goes
    // first in their transaction, before any new shot of the member, so the
    // rows hold the member's old shots whole or none of them, never old and
    // new mixed. The rows' deletes that wait are in it. True when the rows
    // are gone now.
    bool deleteMemberRows(int memberID);
    // The member's rows wait to be deleted.
    bool memberRowsWait(int memberID) const { return m_unstoredPurges.contains(memberID); }
    bool hasWaitingMemberRows() const { return !m_unstoredPurges.isEmpty(); }
    // One change of a page: the rows deleted (as storedRow gave them), the
    // renumbered shots updated and the new ones inserted, in one
    // transaction with the writes that wait. When the database refuses, the
    // whole change waits here; no lane is asked again, since a shot it
    // delivered may stand before others already stored.
    void writePage(const QList<DbFields::ShotRow> &goneRows,
                   const QList<TMemberPlace::Renumbered> &renumbered,
                   const QList<TBullet *> &added);
    // The shot's row as it is stored now: with the number it had before a
    // renumbering that waits.
    DbFields::ShotRow storedRow(const TBullet *shot) const;

    // A shot of the member's target was refused and is asked for again.
    bool memberRefused(int memberID) const { return m_refusedMembers.contains(memberID); }
    bool hasWaitingWrites() const;
    // As hasWaitingWrites, leaving out the deletes of members' rows.
    bool hasWaitingShots() const;
    // The shots whose write waits, and the rows that wait to be deleted.
    QList<TBullet *> waitingShots() const;
    bool waits(const TBullet *shot) const;
    // A stored row waits to be deleted; rows are compared by content.
    bool deleteWaits(const DbFields::ShotRow &row) const;
    int waitingDeleteCount() const { return int(m_unstoredDeletes.size()); }
    // A waiting write follows its shot to a new record of it.
    void moveWrite(const TBullet *from, TBullet *to);
    // Their places left the line: no lane is asked for their shots any more.
    void forgetRefusedMembers();

signals:
    // hasWaitingWrites changed.
    void sig_writesWaiting(bool waiting);
    // The member's rows, deleted by deleteMemberRows, are gone.
    void sig_memberRowsGone(int memberID);

private:
    static constexpr int kRetryWritesMs = 1000;

    // A write the database refused, as long as its shot's record lives.
    struct Waiting
    {
        QPointer<TBullet> shot;
        int storedNumber = -1; // of the shot's row while its renumbering waits
    };

    bool stores(const TBullet *shot) const;
    bool insertOrUpdate(TBullet *shot);
    // The waiting writes and then these, in one transaction, so that no new
    // row is stored before a change that waits; false when the database
    // refused. The waiting writes wait on, and these with them, each with
    // the number its row had before, unless keepRefused is false.
    bool flush(const QList<DbFields::ShotRow> &goneRows, const QList<Waiting> &writes,
               bool keepRefused = true);
    // Deletes the members' rows, then the rows, and writes the shots in one
    // transaction; on a refusal nothing of it is stored and the new shots
    // have no key.
    bool commit(const QList<int> &members, const QList<DbFields::ShotRow> &rows,
                const QList<TBullet *> &shots);
    // The member's refusal ends with a new shot of it stored.
    bool noteShot(const TBullet *shot, bool stored);
    void retry();
    void updateWaiting();

    int m_eventID = -1;
    TdbAccessor *m_db = nullptr; // the competition module's; not owned
    // Members whose lane is asked again for a shot the database refused.
    QSet<int> m_refusedMembers;
    // Misses and renumbered shots the database refused; and rows of purged
    // or erased shots it kept.
    QList<Waiting> m_unstoredShots;
    QList<DbFields::ShotRow> m_unstoredDeletes;
    // Members whose every row of the exercise waits to be deleted.
    QList<int> m_unstoredPurges;
    QTimer *m_retryTimer = nullptr; // child; runs while writes of its own wait
    bool m_waiting = false;         // what sig_writesWaiting said last
};
