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

// Empty for any other code.
QString storageErrorText(int code);

// Why SQLite refused, in the operator's words with SQLite's own text after
// it, and what the operator can do about it. Both empty for no error.
struct StorageCause
{
    QString cause;
    QString remedy;
};
StorageCause storageFailureCause(const QSqlError &error);

// SQLite refused a write because its handle is read-only (SQLITE_READONLY).
// A handle that SQLite opened read-only stays so after the file may be
// written again; only a new one can write.
bool storageRefusedAsReadOnly(const QSqlError &error);

// The failure of an open that found no database file, with SQLite's own;
// storageFailureCause names the missing file.
QSqlError storageFileMissing(const QSqlError &openFailure);
