#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

#include <functional>

// The database file a connection holds open, against the file its path
// names. A file removed or replaced while the program runs stays open to
// the program and takes its writes (in WAL mode SQLite goes on writing the
// log left at the path), but no other program sees them and all of them go
// with the program's close. So the path is checked, and the file written
// again at its path from what the connection holds.
//
// The rule every step keeps: what the program wrote always has a name on
// disk the program made, until the path is found naming that very file
// after a connection wrote to it; a connection holding it is never closed
// while another file is at the path; and no file at the path is taken for
// the program's own unless the program wrote it or found it there.
class OpenedFile
{
public:
    // What keep found and did.
    enum class Kept {
        AtPath,    // the path names the file held
        Back,      // it does again, after a look that found it gone
        Rewritten, // it names a copy written now from the connection
        Lost,      // gone, and it cannot be written again (told once)
        StillLost, // and still cannot, or the next try waits for its gap
    };
    // Whether a connection may open on the path now.
    enum class Opening {
        Own,           // the path names the file the program wrote, or none waits
        Held,          // another file there, and the file written is held by another connection
        TakenAsItStands, // the file written has no name left and none holds it
    };

    // The file the path names now is the one the connection just opened.
    // After a rewrite, true only when it is the file written (putBack).
    bool noteOpened(const QString &path);
    // A connection opened on a rewritten copy writes it, and the path is
    // looked at after that write: only a file found there so is in place,
    // and its second name goes. Until then the copy keeps that name; false
    // while it is not proven (the next keep finds it moved when another
    // file came).
    bool proveInPlace(QSqlDatabase &db);
    // The open connection was refused a write as read-only while the file
    // is at its path (WriteProbe::onlyReads): not when it moved.
    bool onlyReads(QSqlDatabase &db);
    // The path names another file than the one opened, or none. False
    // before anything was opened. The path is looked at now, or when it was
    // last found naming the file opened kLookGapMs ago or longer, or not
    // found there at the last look: a replacement is found before any
    // statement run a gap after it, and the statements in between reach the
    // file the connection holds, which a rewrite copies whole.
    bool moved(bool lookNow = false);
    static constexpr qint64 kLookGapMs = 1000;
    bool known() const { return m_known; }
    // Gone, and not written again yet: writes wait.
    bool lost() const { return m_lost; }
    // SQLite refused a write as read-only: true when that is because the
    // file moved (SQLite's own word for it, or the path naming another
    // file), which the next keep writes again. False for a refusal of a
    // file that is at its path and may not be written.
    bool refusedAsMoved(const QSqlError &refusal);

    // The path still names the file the connection holds, or names it now,
    // written again from the connection (the names of files found at the
    // path in keptAside); a rewrite that failed waits kLookGapMs before
    // the next unless lookNow, which also looks at the path now. cause is
    // why the file cannot be written again (Lost, and StillLost when it was
    // tried again).
    Kept keep(QSqlDatabase &db, bool lookNow, QStringList *keptAside, QSqlError *cause);

    // Before the connection closes for good: the path is looked at now and
    // the file written again when another is there.
    void keepBeforeClose(QSqlDatabase &db);

    // Writes what the open connection db holds to the path again: a whole
    // copy under a passing name, synced, put at the path (a file found there
    // is moved aside first, each under a name of its own listed in
    // keptAside, however often one comes back; none is ever replaced), and
    // only then every connection of the program to the old file closed and
    // its side files removed (they belong to the file that went: SQLite would
    // lay its log over the new one). The copy keeps its passing name until
    // proveInPlace, so that a file put over it before is moved aside and it
    // is put back (putBack). Where the file system gives no second names,
    // a twin of the copy goes to the path and the copy keeps its own. False
    // with the account of why in cause when it cannot be put in place; db
    // then stays open, holding all it held.
    bool rewrite(QSqlDatabase &db, QStringList *keptAside, QSqlError *cause);

    // Another connection to the path wrote it again: this one, closed with
    // the old file, opens on what was written.
    void expect(const OpenedFile &written);
    // Before a connection opens on the path: Own when the path names the
    // file written, or does now, put back from its kept name (a file found
    // there moved aside, its name added to keptAside), or when nothing
    // waits; heldElsewhere says whether another connection holds the file
    // written, which then writes it again. A file taken as it stands is
    // the program's own from then on.
    Opening beforeOpen(QStringList *keptAside, bool heldElsewhere);

    // Before the program first opens the path, with no connection on it:
    // what a program stopped inside a rewrite or by a power cut left beside
    // the file. A copy under a rewrite's passing name goes when it is a
    // second name of the file at the path or holds its very bytes, else it
    // is kept aside as a found file. A log or journal goes with the file the
    // program last opened at the path (its note, logOwnerName): beside
    // another file, or none, it is kept aside, never applied to that file.
    // Only at start: later the program's own rewrite may wait under the
    // passing name. The names kept aside are added to found.
    static void clearLeftovers(const QString &path, QStringList *found);
    // The note of which file the log and journal at the path belong to.
    static QString logOwnerName(const QString &path);

    // The moments of a rewrite at which another program may put a file at
    // the path: a test plays them through steps, called at each. CopyWritten
    // comes once the copy is made, before anything is put at the path;
    // CopyOpened as a connection has opened on the copy, before the path is
    // looked at; CopyTaken once it was found there, before its first write.
    enum class RewriteStep { CopyWritten, FoundMovedAside, CopyInPlace, CopyOpened, CopyTaken };
    static void setRewriteSteps(std::function<void(RewriteStep)> steps);
    // The file system refuses a second name to a file, as FAT does.
    static void setSecondNamesRefused(bool refused);

private:
    // The path names the file written, or does now, put back from its kept
    // name; false when that name is gone.
    bool putBack(QStringList *keptAside);
    static void step(RewriteStep at);

    static std::function<void(RewriteStep)> s_rewriteSteps;
    static bool s_secondNamesRefused;

    QString m_path;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_known = false;
    bool m_away = false; // the last look found another file at the path, or none
    QElapsedTimer m_sinceFound; // since the path last named the file opened
    // A rewrite put the file (m_device, m_inode) at the path, and it is not
    // proven there yet: m_keptName names it too (or its twin, m_keptDevice
    // and m_keptInode), or is empty when that name went.
    bool m_expecting = false;
    QString m_keptName;
    quint64 m_keptDevice = 0;
    quint64 m_keptInode = 0;
    bool m_lost = false;
    QElapsedTimer m_sinceRewrite; // since the last rewrite that was tried
};
