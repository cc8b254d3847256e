#pragma once

#include <QString>

// Every connection of the program to one database file. SQLite keeps one
// shared-memory index per file for the whole process, shared by all its
// connections to it: one opened while the file could not be written maps
// the index read-only, and every later connection takes that mapping as
// long as any connection to the file stays open. A file that may be written
// again is written only through connections that were all closed together.
namespace FileConnections {

// Closes every open connection of this thread to the file, finishing their
// statements first; each opens again at its owner's next statement.
void closeAll(const QString &databasePath);

// Whether a connection of this thread has the file open.
bool anyOpen(const QString &databasePath);

} // namespace FileConnections
