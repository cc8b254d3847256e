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
class OpenedFile
{
public:
    // The file the path names now is the one the connection just opened.
    // After a rewrite, true only when it is the file written (putBack), which
    // from then on is held by the connection alone: its second name goes.
    bool noteOpened(const QString &path);
    // The path names another file than the one opened, or none. False
    // before anything was opened. The path is looked at now, or when it was
    // last found naming the file opened kLookGapMs ago or longer, or not
    // found there at the last look: a replacement is found before any
    // statement run a gap after it, and the statements in between reach the
    // file the connection holds, which a rewrite copies whole.
    bool moved(bool lookNow = false);
    static constexpr qint64 kLookGapMs = 1000;
    bool known() const { return m_known; }

    // Writes what the open connection db holds to the path again: a whole
    // copy under a passing name, synced, put at the path (a file found there
    // is moved aside first, each under a name of its own listed in
    // keptAside, however often one comes back; none is ever replaced), and
    // only then every connection of the program to the old file closed and
    // its side files removed (they belong to the file that went: SQLite would
    // lay its log over the new one). The copy keeps its passing name as a
    // second one until a connection holds it (noteOpened), so that a file
    // put over it before is moved aside and it is put back (putBack). False
    // with the account of why in cause when it cannot be put in place; db
    // then stays open, holding all it held.
    bool rewrite(QSqlDatabase &db, QStringList *keptAside, QSqlError *cause);

    // Another connection to the path wrote it again: this one, closed with
    // the old file, opens on what was written.
    void expect(const OpenedFile &written);
    // Before a connection opens on the path after a rewrite: the path names
    // the file written, or does now, put back from its second name (a file
    // found there moved aside, its name added to keptAside). False when the
    // file written has no name left to be put back from: another connection
    // may hold it and write it again.
    bool putBack(QStringList *keptAside);
    // Nothing written is waited for: what the path names is taken as it
    // stands.
    void forgetWritten() { m_expecting = false; }

    // The moments of a rewrite at which another program may put a file at
    // the path: a test plays them through steps, called at each.
    enum class RewriteStep { FoundMovedAside, CopyInPlace };
    static void setRewriteSteps(std::function<void(RewriteStep)> steps);

private:
    static std::function<void(RewriteStep)> s_rewriteSteps;

    QString m_path;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_known = false;
    bool m_away = false; // the last look found another file at the path, or none
    QElapsedTimer m_sinceFound; // since the path last named the file opened
    // A rewrite put the file (m_device, m_inode) at the path, and no
    // connection has opened on it yet; m_secondName names it too, or is empty.
    bool m_expecting = false;
    QString m_secondName;
};
