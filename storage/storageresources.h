#pragma once

// Registers the resources compiled into the storage library (the schema
// script). A static library's resources are not registered on their own;
// TdbAccessor calls this, so no program has to. Safe to call repeatedly.
void initStorageResources();
