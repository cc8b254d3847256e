#pragma once

#include <QString>

class QSqlError;

// The codes with which the storage layer and the modules over it report a
// database failure, and the text the operator is shown for each.
enum StorageError {
    StorageNoError = 0,
    StorageErrorImport = 1,    // the schema could not be made
    StorageErrorOpen = 2,      // the file could not be opened
    StorageErrorStatement = 3, // a statement failed
};

// What a module tells the operator about its file, through the main
// window's one storage slot: what waits to be written (flags, 0 once
// nothing waits any more), or that the file went while the program had it
// open and was written again.
enum StorageWord {
    StorageNothingWaits = 0,
    StorageShotsWait = 1,      // shots or their changes refused, waiting
    StorageResetWaits = 2,     // a delete of a member's shots refused, waiting
    StorageFileGone = 4,       // removed or replaced while open and not written again: writes wait
    StorageWaitFlags = StorageShotsWait | StorageResetWaits | StorageFileGone,
    StorageFileRewritten = 8,  // removed or replaced while open, and written again (once)
    StorageFileBack = 16,      // gone while open, and back at its path as it went (once)
};

// Empty for any other code.
QString storageErrorText(int code);

// Why SQLite refused, in the operator's words, what the operator can do
// about it, and SQLite's own text ("SQLite: «...»"). All empty for no error.
struct StorageCause
{
    QString cause;
    QString remedy;
    QString said;
};
StorageCause storageFailureCause(const QSqlError &error);

// SQLite refused a write because its handle is read-only (SQLITE_READONLY).
// A handle that SQLite opened read-only stays so after the file may be
// written again; only a new one can write.
bool storageRefusedAsReadOnly(const QSqlError &error);

// SQLite refused a write because the file was moved or removed since it
// was opened (SQLITE_READONLY_DBMOVED). The driver gives that code only
// where SQLite gives extended codes, and the same text as for a read-only
// file: OpenedFile::refusedAsMoved also looks at the path.
bool storageRefusedAsMoved(const QSqlError &error);

// The failure of an open that found no database file at databasePath,
// with SQLite's own; storageFailureCause names the missing file, or its
// missing folder.
QSqlError storageFileMissing(const QSqlError &openFailure, const QString &databasePath);

// The disk that holds databasePath has no room left for SQLite now, and
// the failure is one a full disk gives: SQLite says so, or it cannot grow
// the file, its log or their index (an I/O error), cannot make a file, or
// was left a handle that only reads (opened so because nothing else could
// be read).
bool storageFailedOnFullDisk(const QSqlError &error, const QString &databasePath);
// The failure as a full disk's (storageFailureCause tells it so) when it
// failed on a full disk; any other as it is.
QSqlError storageOnFullDisk(const QSqlError &error, const QString &databasePath);

// The failure of a database file removed or replaced while it was open
// that could not be written again at its path (OpenedFile::rewrite), with
// the account of why; storageFailureCause names it so.
QSqlError storageFileGone(const QSqlError &rewriteFailure, const QString &databasePath);

// A write refused because the file moved (OpenedFile::refusedAsMoved), or
// an open refused because another file is at the path: storageFailureCause
// names it so, and no read-only file.
QSqlError storageFileMoved(const QSqlError &refusal);
