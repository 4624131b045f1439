#include "report/store_schema.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/code_pages.h"
#include "clavoro_version.h"
#include "report/source_name.h"

namespace {

// The tables, with what differs between the databases in braces. A log is a source; each
// time it is replaced it starts a new generation, and every row read from it is keyed by
// its generation and its line; a keyboard also by the line of its run, so that a run's
// keyboards lie together; its key to the run is checked when the import commits, since a
// run's row is written after its keyboards. Texts are UTF-8, NULL when absent. `keyboards` shows
// each keyboard with its run's columns, as the CSV does: the header of a run is complete before its
// first keyboard, so a run's values are its keyboards'.
const char* const kSchema =
    "CREATE TABLE store_version (schema_version INTEGER NOT NULL, written_by TEXT NOT NULL);"
    "INSERT INTO store_version VALUES ({version}, 'clavoro-report " CLAVORO_VERSION "');"
    "CREATE TABLE sources (source_id {id}, path TEXT NOT NULL UNIQUE);"
    "CREATE TABLE generations (generation_id {id},"
    " source_id INTEGER NOT NULL REFERENCES sources (source_id), generation INTEGER NOT NULL,"
    " first_imported_at {stamp} NOT NULL, imported_at {stamp} NOT NULL,"
    " bytes_read BIGINT NOT NULL, lines_read BIGINT NOT NULL, bytes_seen BIGINT NOT NULL,"
    " first_bytes {blob} NOT NULL, code_page INTEGER NOT NULL, reader_version TEXT NOT NULL,"
    " reader_state TEXT, UNIQUE (source_id, generation));"
    "CREATE TABLE runs ("
    " generation_id INTEGER NOT NULL REFERENCES generations (generation_id), line INTEGER NOT NULL,"
    " run_start {stamp}, run_date {date}, date_text TEXT, program TEXT, os TEXT, operator TEXT,"
    " product TEXT, batch TEXT, layouts TEXT, PRIMARY KEY (generation_id, line));"
    "CREATE TABLE keyboard_tests ("
    " generation_id INTEGER NOT NULL, run_line INTEGER NOT NULL, line INTEGER NOT NULL,"
    " layout TEXT, serial TEXT{c}, version TEXT,"
    " verdict_code SMALLINT NOT NULL CHECK (verdict_code BETWEEN 0 AND 3), reason TEXT,"
    " chattered_key TEXT, keyboard_vid TEXT, keyboard_pid TEXT, keyboard_rev TEXT,"
    " keyboard_name TEXT, PRIMARY KEY (generation_id, run_line, line),"
    " FOREIGN KEY (generation_id, run_line) REFERENCES runs (generation_id, line)"
    " DEFERRABLE INITIALLY DEFERRED){clustered};"
    "CREATE TABLE damaged_lines ("
    " generation_id INTEGER NOT NULL REFERENCES generations (generation_id), line INTEGER NOT NULL,"
    " text TEXT NOT NULL, PRIMARY KEY (generation_id, line));"
    "CREATE INDEX keyboard_tests_serial ON keyboard_tests (serial);"
    "CREATE INDEX runs_run_date ON runs (run_date);"
    "CREATE INDEX runs_product ON runs (product);"
    "CREATE INDEX runs_batch ON runs (batch);"
    "CREATE VIEW keyboards AS SELECT s.path AS source, g.generation, k.line, r.run_start,"
    " r.run_date, r.operator, r.product, r.batch, k.layout, k.serial, k.version,"
    " CASE k.verdict_code WHEN 0 THEN 'PASSED' WHEN 1 THEN"
    " 'FAILED by the operator after verification' WHEN 2 THEN 'FAILED by the test'"
    " ELSE 'INCOMPLETE' END AS verdict, k.verdict_code, k.reason, k.chattered_key,"
    " k.keyboard_vid, k.keyboard_pid, k.keyboard_rev, k.keyboard_name, k.generation_id,"
    " k.run_line FROM keyboard_tests k"
    " JOIN runs r ON r.generation_id = k.generation_id AND r.line = k.run_line"
    " JOIN generations g ON g.generation_id = k.generation_id"
    " JOIN sources s ON s.source_id = g.source_id;";

// A store of an earlier version (schema 1 or 2: imported_files, runs, keyboard_tests,
// damaged_lines; texts the logs' bytes, '' when absent) into the tables above: each log
// is a source with one generation, which the next import reads again from its start
// while the log is the same. Runs and keyboards keep their lines and numbers.
const char* const kOldTables[] = {"imported_files", "runs", "keyboard_tests", "damaged_lines"};
const char* const kMigration =
    "INSERT INTO sources (source_id, path) SELECT file_id, source FROM old_imported_files;"
    "INSERT INTO generations SELECT file_id, file_id, 1, {old time}, {old time}, bytes_read,"
    " lines_read, bytes_read, first_bytes, {code page}, '', NULL FROM old_imported_files;"
    "INSERT INTO runs SELECT file_id, line, {old start}, run_date, NULLIF(date_text, ''),"
    " NULLIF(program, ''), NULLIF(os, ''), NULLIF(operator, ''), NULLIF(product, ''),"
    " NULLIF(batch, ''), NULLIF(layouts, '') FROM old_runs;"
    "INSERT INTO keyboard_tests SELECT file_id, run_line, line, NULLIF(layout, ''),"
    " NULLIF(serial, ''), NULLIF(version, ''), verdict, NULLIF(reason, ''),"
    " NULLIF(chattered_key, ''), NULLIF(keyboard_vid, ''), NULLIF(keyboard_pid, ''),"
    " NULLIF(keyboard_rev, ''), NULLIF(keyboard_name, '') FROM old_keyboard_tests;"
    "INSERT INTO damaged_lines SELECT file_id, line, text FROM old_damaged_lines;"
    "DROP TABLE old_damaged_lines; DROP TABLE old_keyboard_tests; DROP TABLE old_runs;"
    "DROP TABLE old_imported_files;{serials}";

// The texts an earlier version kept as the logs' bytes, per table: its key's columns,
// then its texts.
struct OldTexts {
    const char* table;
    int keys;
    const char* columns[13]; // up to a null
};
const OldTexts kOldTexts[] = {
    {"runs",
     2,
     {"generation_id", "line", "date_text", "program", "os", "operator", "product", "batch",
      "layouts"}},
    {"keyboard_tests",
     3,
     {"generation_id", "run_line", "line", "layout", "serial", "version", "reason", "chattered_key",
      "keyboard_vid", "keyboard_pid", "keyboard_rev", "keyboard_name"}},
    {"sources", 1, {"source_id", "path"}}};

std::string Schema(const StoreDb* db) {
    const std::string version = std::to_string(kStoreSchemaVersion);
    std::string s = DbSql(db, kSchema, "{version}", version.c_str(), version.c_str());
    s = DbSql(db, s, "{id}", "INTEGER PRIMARY KEY", "SERIAL PRIMARY KEY");
    s = DbSql(db, s, "{blob}", "BLOB", "BYTEA");
    s = DbSql(db, s, "{stamp}", "TEXT", "TIMESTAMP(0)");
    s = DbSql(db, s, "{date}", "TEXT", "DATE");
    s = DbSql(db, s, "{c}", "", " COLLATE \"C\"");
    return DbSql(db, s, "{clustered}", " WITHOUT ROWID", "");
}

// The texts an earlier version wrote as the logs' bytes, into UTF-8 (paths from UTF-8,
// the rest from the code page given). PostgreSQL gives back the bytes when asked for
// Latin-1, which that version stored them as, and finds the rows that need it; SQLite
// looks at all.
bool ConvertOldTexts(StoreDb* db, int codePage) {
    const bool pg = db->kind == kStorePostgres;
    bool ok = !pg || DbExec(db, "SET LOCAL client_encoding = 'LATIN1'");
    std::vector<std::string> changed[3]; // the rows to change, their columns one after another
    for (int t = 0; ok && t < 3; ++t) {
        const OldTexts& o = kOldTexts[t];
        std::string columns, texts;
        int count = 0;
        for (; o.columns[count] != nullptr; ++count) {
            columns += std::string(count == 0 ? "" : ", ") + o.columns[count];
            texts +=
                count < o.keys ? "" : std::string(count == o.keys ? "" : ", ") + o.columns[count];
        }
        const std::string sql = "SELECT " + columns + " FROM " + o.table +
                                (pg ? " WHERE concat(" + texts + ") ~ '[^\\x01-\\x7f]'" : "");
        DbRows rows{};
        ok = DbQuery(db, &rows, sql.c_str());
        int next = 0;
        while (ok && (next = DbNext(&rows)) == 1) {
            bool high = false;
            std::vector<std::string> row;
            for (int c = 0; c < count; ++c) {
                const char* text = DbText(&rows, c);
                row.push_back(text == nullptr ? "" : text);
                for (const char* b = text; c >= o.keys && b != nullptr && *b != 0; ++b) {
                    high = high || static_cast<unsigned char>(*b) >= 0x80;
                }
            }
            if (high) {
                changed[t].insert(changed[t].end(), row.begin(), row.end());
            }
        }
        DbEndRows(&rows);
        ok = ok && next == 0;
    }
    ok = ok && (!pg || DbExec(db, "SET LOCAL client_encoding = 'UTF8'"));
    for (int t = 0; ok && t < 3; ++t) {
        const OldTexts& o = kOldTexts[t];
        int count = 0;
        std::string set, where;
        for (; o.columns[count] != nullptr; ++count) {
            std::string& to = count < o.keys ? where : set;
            to += std::string(to.empty()       ? ""
                              : count < o.keys ? " AND "
                                               : ", ") +
                  o.columns[count] + " = $" + std::to_string(count + 1);
        }
        const std::string sql =
            std::string("UPDATE ") + o.table + " SET " + set + " WHERE " + where;
        for (size_t at = 0; ok && at < changed[t].size(); at += count) {
            std::vector<std::string> row(changed[t].begin() + at, changed[t].begin() + at + count);
            std::vector<SqlValue> values;
            for (int c = 0; c < count; ++c) {
                if (c >= o.keys) {
                    std::string utf8;
                    for (uint32_t ch : DecodeText(row[c], t == 2 ? kUtf8 : codePage)) {
                        EncodeChar(ch, kUtf8, &utf8);
                    }
                    row[c] = utf8;
                }
                values.push_back(c >= o.keys && row[c].empty() ? SqlValue{nullptr, 0, false}
                                                               : SqlText(row[c].c_str()));
            }
            ok = DbExec(db, sql.c_str(), values.data(), count);
        }
    }
    return ok;
}

// Sources named by the path an earlier version was given take their name (source_name.h)
// when the log is found from here with the first bytes it had, and no other source has
// that name; the others keep the path they had.
bool NameOldSources(StoreDb* db) {
    std::vector<std::pair<std::string, std::string>> renamed; // id, name
    DbRows rows{};
    bool ok = DbQuery(db, &rows,
                      "SELECT s.source_id, s.path, g.first_bytes FROM sources s"
                      " JOIN generations g ON g.source_id = s.source_id ORDER BY s.source_id");
    int next = 0;
    while (ok && (next = DbNext(&rows)) == 1) {
        std::string name;
        const std::string first = DbBlob(&rows, 2);
        FILE* log =
            LogSourceName(DbText(&rows, 1), &name) ? std::fopen(name.c_str(), "rb") : nullptr;
        std::string head(first.size(), 0);
        const bool same = log != nullptr &&
                          std::fread(&head[0], 1, head.size(), log) == head.size() &&
                          head == first && name != DbText(&rows, 1);
        if (log != nullptr) {
            std::fclose(log);
        }
        if (same) {
            renamed.emplace_back(DbText(&rows, 0), name);
        }
    }
    DbEndRows(&rows);
    ok = ok && next == 0;
    for (const auto& [id, name] : renamed) {
        const SqlValue values[2] = {SqlText(id.c_str()), SqlText(name.c_str())};
        ok = ok && DbExec(db,
                          "UPDATE sources SET path = $2 WHERE source_id = $1 AND NOT EXISTS"
                          " (SELECT 1 FROM sources WHERE path = $2)",
                          values, 2);
    }
    return ok;
}

// Moves the tables of an earlier version aside, makes the new ones and fills them.
bool Migrate(StoreDb* db, int codePage) {
    bool ok =
        DbExec(db, "DROP VIEW keyboards; DROP INDEX keyboard_tests_serial;"
                   " DROP INDEX runs_run_date; DROP INDEX runs_product; DROP INDEX runs_batch");
    for (const char* table : kOldTables) {
        std::string sql = std::string("ALTER TABLE ") + table + " RENAME TO old_" + table;
        // PostgreSQL names a table's key after the table: the new tables' keys take the names.
        if (db->kind == kStorePostgres) {
            sql += std::string("; ALTER TABLE old_") + table + " RENAME CONSTRAINT " + table +
                   "_pkey TO old_" + table + "_pkey";
        }
        ok = ok && DbExec(db, sql.c_str());
    }
    std::string sql = DbSql(db, kMigration, "{old time}", "COALESCE(imported_at, {now})",
                            "COALESCE(imported_at AT TIME ZONE 'UTC', {now})");
    sql = DbSql(db, sql, "{now}", DbNow(db), DbNow(db));
    sql = DbSql(db, sql, "{old start}", "datetime(run_date || ' ' || substr(date_text, 12, 8))",
                "CASE WHEN substr(date_text, 12, 8) ~ '^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]$'"
                " THEN run_date + CAST(substr(date_text, 12, 8) AS TIME) END");
    sql = DbSql(db, sql, "{code page}", std::to_string(codePage).c_str(),
                std::to_string(codePage).c_str());
    // PostgreSQL's numbers for new rows go on after those taken over.
    sql = DbSql(db, sql, "{serials}", "",
                "SELECT setval(pg_get_serial_sequence('sources', 'source_id'),"
                " (SELECT max(source_id) FROM sources));"
                "SELECT setval(pg_get_serial_sequence('generations', 'generation_id'),"
                " (SELECT max(generation_id) FROM generations))");
    return ok && DbExec(db, Schema(db).c_str()) && DbExec(db, sql.c_str()) &&
           ConvertOldTexts(db, codePage) && NameOldSources(db);
}

} // namespace

int MakeStoreTables(StoreDb* db, int codePage) {
    if (DbTableExists(db, "store_version")) {
        return 1;
    }
    if (DbTableExists(db, "imported_files")) {
        return Migrate(db, codePage) ? 1 : 0;
    }
    return DbExec(db, Schema(db).c_str());
}
