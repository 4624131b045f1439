// The results store: test logs imported into SQLite or PostgreSQL, and read back as the
// log reader would have read the logs, so that every report comes out the same.
//
// A log is known by its path as given. The store keeps how far each log was read and
// where the reader stood there; the next import reads only what was appended since. A
// log that became shorter, or whose first bytes changed, was replaced: its rows are
// replaced. Each import of a log is one transaction holding that log's row, so imports
// repeated or run at the same time never double or lose a row.
//
// The native build links results_store.cpp; a build without the database libraries
// links results_store_absent.cpp, whose OpenResultsStore says so.
#pragma once
#include <cstddef>
#include <cstdio>

#include "tools/clavoro_report/log_reader.h"

struct ResultsStore;

// Opens the store, creating its tables on first use: an SQLite file, or a PostgreSQL
// server named by a postgresql:// URI. 0 on success; else the exit status for the
// command line (1: this build has no store, 2: it cannot be opened), why in error.
int OpenResultsStore(const char* where, ResultsStore** store, char* error, size_t errorSize);
void CloseResultsStore(ResultsStore* store);

// Imports what the log gained since its last import. Damaged lines met on the way are
// listed on warnings (may be null). 1 done, 0 the log cannot be opened, -1 the store
// failed (why in error; nothing of this log was changed).
int ImportLog(ResultsStore* store, const char* path, FILE* warnings, char* error, size_t errorSize);

// Hands everything in the store to the events, log by log in order of first import and
// line by line, as reading the logs would have; with a serial number, only the tests of
// that serial number and their runs, without the columns only the CSV shows. 1 done, 0
// the store failed (why in error).
int ReplayStore(ResultsStore* store, const LogEvents& events, const char* serial, char* error,
                size_t errorSize);
