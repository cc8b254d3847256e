#pragma once

#include <QString>

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
