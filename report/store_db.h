// The two databases a results store lives in, SQLite and PostgreSQL, behind the few
// operations the store needs: statements with parameters, rows read one at a time, and
// rows written in bulk. The SQL is the same for both but for the types of the schema
// and what StoreSql names; parameters are written $1, $2, ... in order of first use.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct pg_conn;
struct pg_result;

enum StoreKind { kStoreSqlite, kStorePostgres };

struct StoreDb {
    StoreKind kind;
    sqlite3* lite;
    pg_conn* pg;
    char error[512]; // why the last operation failed
};

// A parameter: a text, a blob of `size` bytes, or SQL NULL (a null text that is no blob).
struct SqlValue {
    const char* data;
    size_t size;
    bool blob;
};
inline SqlValue SqlText(const char* text) {
    return {text, 0, false};
}

// "postgresql://..." or "postgres://..." is a server; anything else an SQLite file,
// created when missing. 1 on success.
int OpenStoreDb(StoreDb* db, const char* where);
void CloseStoreDb(StoreDb* db);

// Runs one statement; 1 on success.
int DbExec(StoreDb* db, const char* sql, const SqlValue* params = nullptr, int count = 0);
// The number a query gives first, -1 when it gives none.
long long DbQueryNumber(StoreDb* db, const char* sql, const SqlValue* params = nullptr,
                        int count = 0);
// Whether the store has this table or view.
bool DbTableExists(StoreDb* db, const char* name);
// The SQL with each `name` in it replaced by `lite` for SQLite, `pg` for PostgreSQL.
std::string DbSql(const StoreDb* db, std::string sql, const char* name, const char* lite,
                  const char* pg);
// The SQL for the time now in UTC, to the second (in SQLite as ISO 8601 text).
const char* DbNow(const StoreDb* db);

// Rows of a query, read one at a time.
struct DbRows {
    StoreDb* db;
    sqlite3_stmt* stmt;
    pg_result* result;
    int row, rows;
    bool ended;
    bool copy;                 // PostgreSQL: rows streamed by COPY, one in `line` at a time
    char* line;                // that row, split in place into
    std::vector<char*> fields; // its fields, null for NULL
};
int DbQuery(StoreDb* db, DbRows* rows, const char* sql, const SqlValue* params = nullptr,
            int count = 0);
// The same for many rows, which PostgreSQL streams while they are read (a query without
// parameters).
int DbStream(StoreDb* db, DbRows* rows, const std::string& sql);
// 1 with a row to read, 0 at the end, -1 on failure.
int DbNext(DbRows* rows);
// A column of the current row as text, null for NULL.
const char* DbText(DbRows* rows, int column);
// The same into a field of `size` bytes, cut to fit; NULL gives "".
void DbTextInto(DbRows* rows, int column, char* field, size_t size);
long DbNumber(DbRows* rows, int column);
// A blob column's bytes.
std::string DbBlob(DbRows* rows, int column);
void DbEndRows(DbRows* rows);

// SQLite rows waiting to be inserted: a text waits in `texts` with its NUL; the values
// hold the numbers and where each text starts (-1 for NULL).
struct DbBatch {
    std::vector<long long> values;
    std::string texts;
    int rows = 0;
};

// Rows written in bulk into one table: COPY for PostgreSQL, prepared INSERTs of many rows
// for SQLite, by a thread of their own once there are many, so that the log is read on
// meanwhile. While one is open no other statement may run on the connection.
// The first `numbers` columns are integers, then `texts` texts.
struct DbBulk {
    StoreDb* db;
    int numbers, texts;
    std::string copy;     // PostgreSQL: COPY data not yet sent
    sqlite3_stmt* insert; // SQLite: an INSERT of many rows at once
    sqlite3_stmt* oneRow; // and one of a row, for those left at the end
    DbBatch filling;      // SQLite: the rows being gathered
    std::thread writer;   // SQLite: inserts the full batches
    std::mutex lock;      // over what follows
    std::condition_variable changed;
    std::deque<DbBatch> full;
    bool ending, writeFailed;
    bool open;
};
int DbBulkStart(StoreDb* db, DbBulk* bulk, const char* table, const char* columns, int numbers,
                int texts);
// One row: its integers, then its texts (a null one for NULL).
int DbBulkRow(DbBulk* bulk, const long long* numbers, const char* const* texts);
// Writes the rows that wait and ends; without `write` they are dropped, since the
// transaction they belong to failed (SQLite may have ended it already).
int DbBulkEnd(DbBulk* bulk, bool write = true);
