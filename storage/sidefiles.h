#pragma once

#include <QString>
#include <QStringList>

// The files SQLite keeps next to a database file (its journal, its WAL log
// and the log's index). SQLite makes them with the mode of the database
// file, so a file read-only when they were made leaves them read-only, and a
// handle on the file, writable again, would still only read through them.
namespace SideFiles {

// The side files of the database that exist now.
QStringList existing(const QString &databasePath);

// Removes the database file with its side files.
void removeAll(const QString &databasePath);

// Gives each of the files the database file's own mode when the database
// file may be written and the file may not; false when one stays so.
bool makeWritableLike(const QString &databasePath, const QStringList &files);

// What the file and its side files are now (there or not, mode, owner, and
// the file's last change of content or mode): it changes when one of them
// is made writable or put back, or the file is written.
QString stamp(const QString &databasePath);

} // namespace SideFiles
