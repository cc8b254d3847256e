#pragma once

#include <QString>
#include <QUrl>

// URIs of a database file for SQLite (opened with QSQLITE_OPEN_URI).
namespace FileUri {

// An open that reads and writes the file that is there (read-only when its
// mode says so) and never makes one.
// readOnly for a connection that opens files only to read.
inline QString existing(const QString &path, bool readOnly = false)
{
    return QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(path, "/"))
        + (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw"));
}

// An open that reads the file as it stands, with no index or log beside it,
// as on a full disk, where SQLite cannot make the index of a file in WAL
// mode: what a log left by a killed program holds is not seen.
inline QString asItStands(const QString &path)
{
    return QStringLiteral("file:") + QString::fromLatin1(QUrl::toPercentEncoding(path, "/"))
        + QStringLiteral("?mode=ro&immutable=1");
}

} // namespace FileUri
