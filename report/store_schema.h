// The tables of the results store: made on first use, or migrated in place from those
// of an earlier version. See docs/results-store.md ("The schema") for what SQL users
// read in them.
#pragma once
#include "report/store_db.h"

// The schema this version writes (stored in store_version); a store of a newer one is
// refused.
constexpr int kStoreSchemaVersion = 3;

// Makes the tables, or migrates those of an earlier version (its texts the logs' bytes in
// the code page given), unless they are there. The caller holds the store's lock in a
// transaction; 1 on success.
int MakeStoreTables(StoreDb* db, int codePage);
