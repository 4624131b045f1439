// The results store: test logs imported into SQLite or PostgreSQL, and read back as the
// log reader would have read the logs, so that every report comes out the same.
//
// A log is one source, known by its name (source_name.h) however its path is spelled.
// The store keeps how far each log was read and where the reader stood there; the next
// import reads only what was appended since, and an import that finds nothing new
// writes nothing. A log that became shorter, or whose first bytes changed, was replaced:
// it starts a new generation of its source, and the earlier generations stay. Each import
// of a log is one transaction holding that log's row, so imports repeated or run at the
// same time never double or lose a row. Texts are stored in UTF-8. A store made by an
// earlier version is migrated in place when it is opened.
//
// The native build links results_store.cpp; a build without the database libraries
// links results_store_absent.cpp, whose OpenResultsStore says so.
#pragma once
#include <cstddef>
#include <cstdio>

#include "report/log_reader.h"

struct ResultsStore;

// Opens the store, creating its tables on first use or migrating those of an earlier
// version: an SQLite file, or a PostgreSQL server named by a postgresql:// URI. Logs are
// read in the code page given. 0 on success; else the exit status for the command line
// (1: this build has no store, or it cannot be opened), why in error.
int OpenResultsStore(const char* where, int codePage, ResultsStore** store, char* error,
                     size_t errorSize);
// Closes it; after imports that wrote, SQLite's planner statistics are brought up to date.
void CloseResultsStore(ResultsStore* store);

// Imports what the log gained since its last import. Damaged lines met on the way are
// listed on warnings (may be null). 1 done, 0 the log cannot be opened, -1 the store
// failed (why in error; nothing of this log was changed).
int ImportLog(ResultsStore* store, const char* path, FILE* warnings, char* error, size_t errorSize);

// Removes a source with all its generations: the log by any spelling of its path, or by
// its name in the store. 1 done (its keyboards counted in `keyboards`), 0 the store has no
// such source, -1 the store failed (why in error).
int ForgetLog(ResultsStore* store, const char* log, long* keyboards, char* error, size_t errorSize);

// Hands everything in the store to the events, generation by generation in order of
// first import and line by line, as reading the logs would have; a generation after a
// source's first is named "LOG, generation N". With a serial number, only the tests of
// that serial number and their runs. The columns that only the CSV shows are read only
// with `csvColumns`. 1 done, 0 the store failed (why in error).
int ReplayStore(ResultsStore* store, const LogEvents& events, const char* serial, bool csvColumns,
                char* error, size_t errorSize);
