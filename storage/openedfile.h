#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

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
    void noteOpened(const QString &path);
    // The path names another file than the one opened, or none. False
    // before anything was opened. The path is looked at now, or when it was
    // last found naming the file opened kLookGapMs ago or longer: a
    // replacement is found before any statement run a gap after it, and
    // the statements in between reach the file the connection holds,
    // which a rewrite copies whole.
    bool moved(bool lookNow = false);
    static constexpr qint64 kLookGapMs = 1000;
    bool known() const { return m_known; }

    // Writes what the open connection db holds to path again: a whole copy
    // under a passing name, synced, then every connection of the program to
    // the old file closed, its side files removed (they belong to the file
    // that went: SQLite would lay its log over the new one) and the copy
    // moved to the path. A file found at the path is kept beside it; its
    // name goes to keptAside (empty when the path was free). False with the
    // account of why in cause when the copy cannot be made or put in place;
    // until the connections are closed db stays open, holding all it held.
    static bool rewrite(QSqlDatabase &db, const QString &path, QString *keptAside,
                        QSqlError *cause);

private:
    QString m_path;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_known = false;
    QElapsedTimer m_sinceFound; // since the path last named the file opened
};
