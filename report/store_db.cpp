#include "report/store_db.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kCopyChunk = 1 << 16; // COPY data sent in pieces of about this size
// SQLite writes this many rows with one INSERT: a statement run per row costs more than
// the row itself.
constexpr int kBulkRows = 64;
// SQLite rows go to the writer thread in batches of this many, at most this many waiting.
constexpr int kHandOverRows = 16 * kBulkRows;
constexpr size_t kBatchesWaiting = 4;

int Fail(StoreDb* db, const char* what) {
    const char* why = db->kind == kStoreSqlite ? sqlite3_errmsg(db->lite) : PQerrorMessage(db->pg);
    std::snprintf(db->error, sizeof db->error, "%s: %s", what, why);
    size_t n = std::strlen(db->error);
    while (n > 0 && (db->error[n - 1] == '\n' || db->error[n - 1] == ' ')) {
        db->error[--n] = 0;
    }
    return 0;
}

int FailResult(StoreDb* db, PGresult* result, const char* what) {
    std::snprintf(db->error, sizeof db->error, "%s: %s", what, PQresultErrorMessage(result));
    PQclear(result);
    size_t n = std::strlen(db->error);
    while (n > 0 && db->error[n - 1] == '\n') {
        db->error[--n] = 0;
    }
    return 0;
}

// SQLite numbers "$2" by its first use in the statement, so values go by name.
int BindAll(StoreDb* db, sqlite3_stmt* stmt, const SqlValue* params, int count) {
    for (int i = 0; i < count; ++i) {
        const SqlValue& p = params[i];
        char name[16];
        std::snprintf(name, sizeof name, "$%d", i + 1);
        const int at = sqlite3_bind_parameter_index(stmt, name);
        const int rc =
            p.blob ? sqlite3_bind_blob(stmt, at, p.data, static_cast<int>(p.size), SQLITE_STATIC)
            : p.data == nullptr ? sqlite3_bind_null(stmt, at)
                                : sqlite3_bind_text(stmt, at, p.data, -1, SQLITE_STATIC);
        if (rc != SQLITE_OK) {
            return Fail(db, "binding a value");
        }
    }
    return 1;
}

PGresult* PgExec(StoreDb* db, const char* sql, const SqlValue* params, int count) {
    const char* values[16];
    int lengths[16], formats[16];
    if (count > 16) {
        return nullptr;
    }
    for (int i = 0; i < count; ++i) {
        values[i] = params[i].data;
        lengths[i] = static_cast<int>(params[i].size);
        formats[i] = params[i].blob ? 1 : 0;
    }
    return count == 0 ? PQexec(db->pg, sql)
                      : PQexecParams(db->pg, sql, count, nullptr, values, lengths, formats, 0);
}

// A COPY text field: backslash, tab and line breaks escaped.
void AppendCopyField(std::string* out, const char* text) {
    if (text == nullptr) {
        out->append("\\N");
        return;
    }
    for (;;) {
        const size_t plain = std::strcspn(text, "\\\t\n\r");
        out->append(text, plain);
        text += plain;
        if (*text == 0) {
            return;
        }
        out->push_back('\\');
        out->push_back(*text == '\t' ? 't' : *text == '\n' ? 'n' : *text == '\r' ? 'r' : '\\');
        ++text;
    }
}

// Splits a row of COPY text in place into its fields, its escapes undone; \N is NULL.
void SplitCopyRow(char* line, int size, std::vector<char*>* fields) {
    fields->clear();
    char* out = line;
    char* field = line;
    bool null = false;
    for (int i = 0; i < size; ++i) {
        char c = line[i];
        if (c == '\t' || c == '\n') {
            *out++ = 0;
            fields->push_back(null ? nullptr : field);
            field = out;
            null = false;
            continue;
        }
        if (c == '\\' && i + 1 < size) {
            c = line[++i];
            null = null || c == 'N';
            c = c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
        *out++ = c;
    }
}

// The end of a COPY out: its result, then the null that ends the command; 1 on success.
int EndCopyOut(DbRows* rows) {
    rows->ended = true;
    int ok = 1;
    while (PGresult* result = PQgetResult(rows->db->pg)) {
        if (ok && PQresultStatus(result) != PGRES_COMMAND_OK) {
            ok = FailResult(rows->db, result, "reading rows");
        } else {
            PQclear(result);
        }
    }
    return ok;
}

int SendCopy(DbBulk* bulk) {
    if (!bulk->copy.empty() &&
        PQputCopyData(bulk->db->pg, bulk->copy.data(), static_cast<int>(bulk->copy.size())) != 1) {
        return Fail(bulk->db, "sending rows");
    }
    bulk->copy.clear();
    return 1;
}

// Writes `rows` rows of the batch from `first` on with `insert`, an INSERT of that many.
int InsertWaiting(DbBulk* bulk, const DbBatch& batch, sqlite3_stmt* insert, int first, int rows) {
    const int columns = bulk->numbers + bulk->texts;
    int rc = SQLITE_OK;
    for (int i = 0; i < rows * columns && rc == SQLITE_OK; ++i) {
        const long long v = batch.values[static_cast<size_t>(first * columns + i)];
        if (i % columns < bulk->numbers || v < 0) {
            rc = v < 0 ? sqlite3_bind_null(insert, i + 1) : sqlite3_bind_int64(insert, i + 1, v);
        } else {
            rc = sqlite3_bind_text(insert, i + 1, batch.texts.c_str() + v, -1, SQLITE_STATIC);
        }
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(insert);
    }
    sqlite3_reset(insert);
    return rc == SQLITE_DONE || Fail(bulk->db, "writing a row");
}

// The writer thread: inserts the batches handed over until the bulk ends, and drops them
// once one failed.
void WriteBatches(DbBulk* bulk) {
    std::unique_lock<std::mutex> hold(bulk->lock);
    for (;;) {
        bulk->changed.wait(hold, [bulk] { return !bulk->full.empty() || bulk->ending; });
        if (bulk->full.empty()) {
            return;
        }
        const DbBatch batch = std::move(bulk->full.front());
        bulk->full.pop_front();
        bulk->changed.notify_all();
        bool ok = !bulk->writeFailed;
        hold.unlock();
        for (int first = 0; ok && first < batch.rows; first += kBulkRows) {
            ok = InsertWaiting(bulk, batch, bulk->insert, first, kBulkRows) != 0;
        }
        hold.lock();
        bulk->writeFailed = bulk->writeFailed || !ok;
    }
}

// Hands the batch gathered to the writer, started with the first; 0 once it failed.
int HandOver(DbBulk* bulk) {
    if (!bulk->writer.joinable()) {
        bulk->ending = bulk->writeFailed = false;
        bulk->writer = std::thread(WriteBatches, bulk);
    }
    std::unique_lock<std::mutex> hold(bulk->lock);
    bulk->changed.wait(hold,
                       [bulk] { return bulk->full.size() < kBatchesWaiting || bulk->writeFailed; });
    if (bulk->writeFailed) {
        return 0;
    }
    bulk->full.push_back(std::move(bulk->filling));
    bulk->filling = DbBatch{};
    bulk->changed.notify_all();
    return 1;
}

// Ends the writer when there is one, after the batches handed over (dropped without
// `write`); 0 when it failed.
int StopWriter(DbBulk* bulk, bool write) {
    if (!bulk->writer.joinable()) {
        return 1;
    }
    {
        const std::lock_guard<std::mutex> hold(bulk->lock);
        bulk->writeFailed = bulk->writeFailed || !write;
        bulk->ending = true;
    }
    bulk->changed.notify_all();
    bulk->writer.join();
    return bulk->writeFailed ? 0 : 1;
}

} // namespace

int OpenStoreDb(StoreDb* db, const char* where) {
    std::memset(db, 0, sizeof *db);
    if (std::strncmp(where, "postgresql://", 13) == 0 ||
        std::strncmp(where, "postgres://", 11) == 0) {
        db->kind = kStorePostgres;
        db->pg = PQconnectdb(where);
        if (PQstatus(db->pg) != CONNECTION_OK) {
            return Fail(db, "cannot connect");
        }
        // Texts go in and come back in UTF-8; dates read as 2026-12-05; "already exists"
        // notices stay quiet.
        if (PQsetClientEncoding(db->pg, "UTF8") != 0) {
            return Fail(db, "setting the client encoding");
        }
        return DbExec(db, "SET DateStyle = ISO; SET client_min_messages = warning");
    }
    db->kind = kStoreSqlite;
    if (sqlite3_open_v2(where, &db->lite,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        return Fail(db, "cannot open");
    }
    // Another import holds the store while it reads a log: wait for it.
    sqlite3_busy_timeout(db->lite, 10 * 60 * 1000);
    // Large pages make a B-tree flatter and imports faster (they take effect in a new
    // file only); readers go on while an import writes; a report reads the file mapped.
    // While another connection turns a new file to WAL, or closes the last one and ends
    // its WAL, SQLite answers "locked" at once instead of waiting: that is tried again.
    for (int tries = 0;; ++tries) {
        if (DbExec(db, "PRAGMA page_size = 65536; PRAGMA journal_mode = WAL;"
                       " PRAGMA synchronous = NORMAL; PRAGMA cache_size = -65536;"
                       " PRAGMA mmap_size = 1073741824")) {
            return 1;
        }
        if ((sqlite3_errcode(db->lite) & 0xFF) != SQLITE_BUSY || tries == 600) {
            return 0;
        }
        sqlite3_sleep(100);
    }
}

void CloseStoreDb(StoreDb* db) {
    if (db->lite != nullptr) {
        sqlite3_close(db->lite);
    }
    if (db->pg != nullptr) {
        PQfinish(db->pg);
    }
    db->lite = nullptr;
    db->pg = nullptr;
}

int DbExec(StoreDb* db, const char* sql, const SqlValue* params, int count) {
    if (db->kind == kStorePostgres) {
        PGresult* result = PgExec(db, sql, params, count);
        ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            return FailResult(db, result, "store");
        }
        PQclear(result);
        return 1;
    }
    if (count == 0) {
        return sqlite3_exec(db->lite, sql, nullptr, nullptr, nullptr) == SQLITE_OK
                   ? 1
                   : Fail(db, "store");
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db->lite, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        return Fail(db, "store");
    }
    int ok = BindAll(db, stmt, params, count);
    int rc = SQLITE_ROW;
    while (ok && rc == SQLITE_ROW) {
        rc = sqlite3_step(stmt);
    }
    if (ok && rc != SQLITE_DONE) {
        ok = Fail(db, "store");
    }
    sqlite3_finalize(stmt);
    return ok;
}

int DbQuery(StoreDb* db, DbRows* rows, const char* sql, const SqlValue* params, int count) {
    rows->db = db;
    rows->row = -1;
    rows->copy = false;
    if (db->kind == kStoreSqlite) {
        if (sqlite3_prepare_v2(db->lite, sql, -1, &rows->stmt, nullptr) != SQLITE_OK) {
            return Fail(db, "query");
        }
        return BindAll(db, rows->stmt, params, count);
    }
    rows->result = PgExec(db, sql, params, count);
    if (PQresultStatus(rows->result) != PGRES_TUPLES_OK) {
        FailResult(db, rows->result, "query");
        rows->result = nullptr;
        return 0;
    }
    rows->rows = PQntuples(rows->result);
    return 1;
}

int DbStream(StoreDb* db, DbRows* rows, const std::string& sql) {
    if (db->kind == kStoreSqlite) {
        return DbQuery(db, rows, sql.c_str());
    }
    rows->db = db;
    rows->copy = true;
    rows->line = nullptr;
    PGresult* result = PQexec(db->pg, ("COPY (" + sql + ") TO STDOUT").c_str());
    if (PQresultStatus(result) != PGRES_COPY_OUT) {
        rows->ended = true;
        return FailResult(db, result, "query");
    }
    PQclear(result);
    return 1;
}

int DbNext(DbRows* rows) {
    if (rows->ended) {
        return 0;
    }
    if (rows->copy) {
        PQfreemem(rows->line);
        rows->line = nullptr;
        const int size = PQgetCopyData(rows->db->pg, &rows->line, 0);
        if (size > 0) {
            SplitCopyRow(rows->line, size, &rows->fields);
            return 1;
        }
        return EndCopyOut(rows) && size == -1 ? 0 : -1;
    }
    if (rows->stmt != nullptr) {
        const int rc = sqlite3_step(rows->stmt);
        rows->ended = rc != SQLITE_ROW;
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
            return rc == SQLITE_ROW ? 1 : 0;
        }
        Fail(rows->db, "reading rows");
        return -1;
    }
    rows->ended = ++rows->row >= rows->rows;
    return rows->ended ? 0 : 1;
}

const char* DbText(DbRows* rows, int column) {
    if (rows->stmt != nullptr) {
        return reinterpret_cast<const char*>(sqlite3_column_text(rows->stmt, column));
    }
    if (rows->copy) {
        return static_cast<size_t>(column) < rows->fields.size() ? rows->fields[column] : nullptr;
    }
    return PQgetisnull(rows->result, rows->row, column)
               ? nullptr
               : PQgetvalue(rows->result, rows->row, column);
}

void DbTextInto(DbRows* rows, int column, char* field, size_t size) {
    const char* text = DbText(rows, column);
    size_t n = 0;
    if (text != nullptr) {
        n = rows->stmt != nullptr ? static_cast<size_t>(sqlite3_column_bytes(rows->stmt, column))
                                  : std::strlen(text);
        n = n < size ? n : size - 1;
        std::memcpy(field, text, n);
    }
    field[n] = 0;
}

long DbNumber(DbRows* rows, int column) {
    if (rows->stmt != nullptr) {
        return static_cast<long>(sqlite3_column_int64(rows->stmt, column));
    }
    const char* text = DbText(rows, column);
    return text == nullptr ? 0 : std::atol(text);
}

std::string DbBlob(DbRows* rows, int column) {
    if (rows->stmt != nullptr) {
        const void* data = sqlite3_column_blob(rows->stmt, column);
        return std::string(static_cast<const char*>(data),
                           data == nullptr ? 0 : sqlite3_column_bytes(rows->stmt, column));
    }
    size_t length = 0;
    unsigned char* bytes = PQunescapeBytea(
        reinterpret_cast<const unsigned char*>(PQgetvalue(rows->result, rows->row, column)),
        &length);
    std::string blob(reinterpret_cast<const char*>(bytes), bytes == nullptr ? 0 : length);
    PQfreemem(bytes);
    return blob;
}

void DbEndRows(DbRows* rows) {
    if (rows->stmt != nullptr) {
        sqlite3_finalize(rows->stmt);
    }
    if (rows->copy) {
        // The rows not read are read to their end: the connection is needed again.
        while (!rows->ended && DbNext(rows) == 1) {
        }
        PQfreemem(rows->line);
        rows->line = nullptr;
        rows->copy = false;
    }
    PQclear(rows->result);
    rows->stmt = nullptr;
    rows->result = nullptr;
    rows->ended = false;
}

int DbBulkStart(StoreDb* db, DbBulk* bulk, const char* table, const char* columns, int numbers,
                int texts) {
    bulk->db = db;
    bulk->numbers = numbers;
    bulk->texts = texts;
    bulk->insert = bulk->oneRow = nullptr;
    bulk->copy.clear();
    bulk->filling = DbBatch{};
    bulk->open = false;
    std::string sql;
    if (db->kind == kStorePostgres) {
        sql = std::string("COPY ") + table + " (" + columns + ") FROM STDIN";
        PGresult* result = PQexec(db->pg, sql.c_str());
        if (PQresultStatus(result) != PGRES_COPY_IN) {
            return FailResult(db, result, "starting to write rows");
        }
        PQclear(result);
    } else {
        std::string row = "(?";
        for (int i = 1; i < numbers + texts; ++i) {
            row += ", ?";
        }
        row += ")";
        // A row refused ends the whole transaction, as the import is given up anyway; so a
        // statement of many rows needs no journal of its own to be undone alone (with
        // 64 KiB pages that journal would copy each page it touches).
        sql = std::string("INSERT OR ROLLBACK INTO ") + table + " (" + columns + ") VALUES " + row;
        const std::string one = sql;
        for (int i = 1; i < kBulkRows; ++i) {
            sql += ", " + row;
        }
        if (sqlite3_prepare_v2(db->lite, one.c_str(), -1, &bulk->oneRow, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db->lite, sql.c_str(), -1, &bulk->insert, nullptr) != SQLITE_OK) {
            sqlite3_finalize(bulk->oneRow);
            return Fail(db, "starting to write rows");
        }
    }
    bulk->open = true;
    return 1;
}

int DbBulkRow(DbBulk* bulk, const long long* numbers, const char* const* texts) {
    if (bulk->insert == nullptr) {
        for (int i = 0; i < bulk->numbers; ++i) {
            char digits[24];
            const std::to_chars_result end =
                std::to_chars(digits, digits + sizeof digits, numbers[i]);
            bulk->copy.append(digits, end.ptr);
            bulk->copy.push_back('\t');
        }
        for (int i = 0; i < bulk->texts; ++i) {
            AppendCopyField(&bulk->copy, texts[i]);
            bulk->copy.push_back(i + 1 < bulk->texts ? '\t' : '\n');
        }
        return bulk->copy.size() < kCopyChunk || SendCopy(bulk);
    }
    DbBatch& batch = bulk->filling;
    for (int i = 0; i < bulk->numbers; ++i) {
        batch.values.push_back(numbers[i]);
    }
    for (int i = 0; i < bulk->texts; ++i) {
        batch.values.push_back(texts[i] == nullptr ? -1
                                                   : static_cast<long long>(batch.texts.size()));
        if (texts[i] != nullptr) {
            batch.texts.append(texts[i], std::strlen(texts[i]) + 1);
        }
    }
    return ++batch.rows < kHandOverRows || HandOver(bulk);
}

int DbBulkEnd(DbBulk* bulk, bool write) {
    if (!bulk->open) {
        return 1;
    }
    bulk->open = false;
    if (bulk->insert != nullptr) {
        int ok = StopWriter(bulk, write);
        const DbBatch& left = bulk->filling;
        int first = 0;
        for (; write && ok && first + kBulkRows <= left.rows; first += kBulkRows) {
            ok = InsertWaiting(bulk, left, bulk->insert, first, kBulkRows);
        }
        for (; write && ok && first < left.rows; ++first) {
            ok = InsertWaiting(bulk, left, bulk->oneRow, first, 1);
        }
        bulk->filling = DbBatch{};
        sqlite3_finalize(bulk->insert);
        sqlite3_finalize(bulk->oneRow);
        bulk->insert = bulk->oneRow = nullptr;
        return ok;
    }
    int ok = write && SendCopy(bulk);
    if (PQputCopyEnd(bulk->db->pg, ok ? nullptr : "abandoned") != 1) {
        ok = ok && Fail(bulk->db, "ending the rows");
    }
    // The COPY's result, then the null that ends the command.
    while (PGresult* result = PQgetResult(bulk->db->pg)) {
        if (ok && PQresultStatus(result) != PGRES_COMMAND_OK) {
            ok = FailResult(bulk->db, result, "writing rows");
        } else {
            PQclear(result);
        }
    }
    return ok;
}

long long DbQueryNumber(StoreDb* db, const char* sql, const SqlValue* params, int count) {
    DbRows rows{};
    const bool ok =
        DbQuery(db, &rows, sql, params, count) && DbNext(&rows) == 1 && DbText(&rows, 0) != nullptr;
    const long long n = ok ? std::atoll(DbText(&rows, 0)) : -1;
    DbEndRows(&rows);
    return n;
}

bool DbTableExists(StoreDb* db, const char* name) {
    const SqlValue table = SqlText(name);
    return DbQueryNumber(db,
                         db->kind == kStoreSqlite
                             ? "SELECT count(*) FROM sqlite_master WHERE name = $1"
                             : "SELECT count(*) FROM pg_class WHERE oid = to_regclass($1)",
                         &table, 1) > 0;
}

std::string DbSql(const StoreDb* db, std::string sql, const char* name, const char* lite,
                  const char* pg) {
    const char* value = db->kind == kStoreSqlite ? lite : pg;
    for (size_t at; (at = sql.find(name)) != std::string::npos;) {
        sql.replace(at, std::strlen(name), value);
    }
    return sql;
}

const char* DbNow(const StoreDb* db) {
    return db->kind == kStoreSqlite ? "strftime('%Y-%m-%d %H:%M:%S', 'now')"
                                    : "date_trunc('second', now() AT TIME ZONE 'UTC')";
}
