#pragma once

#include <QSqlDatabase>
#include <QSqlError>

// Whether SQLite may write into a database file. A file or folder that
// cannot be written still opens and serves reads, so nothing else tells
// before the first change is refused.
namespace WriteProbe {

// Writes the file's user version back as it stands, which changes nothing
// but needs the right to write the file and its journal. Opens the
// connection for it and closes it again. cause, when given, receives
// SQLite's account of a refusal.
bool canWrite(QSqlDatabase &db, QSqlError *cause = nullptr);

// The same on a connection that is open and stays open: the version is
// written back inside a transaction that is rolled back.
bool rewriteVersion(QSqlDatabase &db, QSqlError *cause = nullptr);

// The same, committed: a write the file takes.
bool writeVersion(QSqlDatabase &db, QSqlError *cause = nullptr);

} // namespace WriteProbe
