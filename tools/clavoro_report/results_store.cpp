#include "tools/clavoro_report/results_store.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/clavoro_report/log_file.h"
#include "tools/clavoro_report/packed_keyboards.h"
#include "tools/clavoro_report/report_model.h"
#include "tools/clavoro_report/store_db.h"

struct ResultsStore {
    StoreDb db;
};

namespace {

// The tables, with what differs between the databases in braces. A row is keyed by its
// log's number in imported_files and its line; a keyboard also by the line of its run,
// so that a run's keyboards lie together. Texts are the log's bytes ('' when absent, as
// in the CSV); run_date is NULL when the run's date line is missing or damaged.
// `keyboards` shows each keyboard with its run's columns, as the CSV does: the header of
// a run is complete before its first keyboard, so a run's values are its keyboards'.
// A run also holds its keyboards packed (packed_keyboards.h): a report reads those, a
// row per run instead of a row per keyboard; the rows of keyboard_tests are for SQL and
// for the tests of one serial number.
const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS imported_files ("
    " file_id {id}, source TEXT NOT NULL UNIQUE, bytes_read BIGINT NOT NULL,"
    " lines_read BIGINT NOT NULL, first_bytes {blob} NOT NULL, reader_state {blob},"
    " imported_at {time});"
    "CREATE TABLE IF NOT EXISTS runs ("
    " file_id BIGINT NOT NULL, line BIGINT NOT NULL, source TEXT NOT NULL, run_date {date},"
    " date_text TEXT NOT NULL, program TEXT NOT NULL, os TEXT NOT NULL, operator TEXT NOT NULL,"
    " product TEXT NOT NULL, batch TEXT NOT NULL, layouts TEXT NOT NULL,"
    " packed_keyboards {blob} NOT NULL, PRIMARY KEY (file_id, line));{packed}"
    "CREATE TABLE IF NOT EXISTS keyboard_tests ("
    " file_id BIGINT NOT NULL, run_line BIGINT NOT NULL, line BIGINT NOT NULL,"
    " layout TEXT NOT NULL, serial TEXT{c} NOT NULL, version TEXT NOT NULL,"
    " verdict SMALLINT NOT NULL, reason TEXT NOT NULL, chattered_key TEXT NOT NULL,"
    " keyboard_vid TEXT NOT NULL, keyboard_pid TEXT NOT NULL, keyboard_rev TEXT NOT NULL,"
    " keyboard_name TEXT NOT NULL, PRIMARY KEY (file_id, run_line, line)){clustered};"
    "CREATE TABLE IF NOT EXISTS damaged_lines ("
    " file_id BIGINT NOT NULL, line BIGINT NOT NULL, source TEXT NOT NULL, text TEXT NOT NULL,"
    " PRIMARY KEY (file_id, line));"
    "CREATE INDEX IF NOT EXISTS keyboard_tests_serial ON keyboard_tests (serial);"
    "CREATE INDEX IF NOT EXISTS runs_run_date ON runs (run_date);"
    "CREATE INDEX IF NOT EXISTS runs_product ON runs (product);"
    "CREATE INDEX IF NOT EXISTS runs_batch ON runs (batch);"
    "{view} keyboards AS SELECT r.source, k.line, r.run_date, r.operator, r.product, r.batch,"
    " k.layout, k.serial, k.version, CASE k.verdict WHEN 0 THEN 'PASSED'"
    " WHEN 1 THEN 'FAILED by the operator after verification' WHEN 2 THEN 'FAILED by the test'"
    " ELSE 'INCOMPLETE' END AS verdict, k.reason, k.chattered_key, k.keyboard_vid,"
    " k.keyboard_pid, k.keyboard_rev, k.keyboard_name, k.file_id, k.run_line"
    " FROM keyboard_tests k JOIN runs r ON r.file_id = k.file_id AND r.line = k.run_line;";

// The columns written, integers first.
const char* const kKeyboardColumns =
    "file_id, run_line, line, verdict, layout, serial, version, reason, chattered_key, "
    "keyboard_vid, keyboard_pid, keyboard_rev, keyboard_name";
const char* const kRunColumns = "file_id, line, source, run_date, date_text, program, os, operator,"
                                " product, batch, layouts, packed_keyboards";

// Runs and damaged lines wait in memory until this many, then go in bulk.
constexpr size_t kPendingRows = 10000;
// The first bytes of a log kept to tell a replaced log.
constexpr size_t kFirstBytes = 256;
// A damaged line is kept as the report shows it, cut to this length.
constexpr size_t kDamagedText = 200;

// Where the reader stood: its state after the file name, as bytes, then the layouts of
// its run. A store written by a build whose reader differs in size reads the log again
// from its start; a change to LogReader that keeps its size must change the mark.
constexpr size_t kStateAt = offsetof(LogReader, lineNumber);
constexpr size_t kStateSize = sizeof(LogReader) - kStateAt;
const char kStateMark[] = "clavoro reader 2";

std::string Replace(std::string text, const char* name, const char* value) {
    for (size_t at; (at = text.find(name)) != std::string::npos;) {
        text.replace(at, std::strlen(name), value);
    }
    return text;
}

void Copy(char* error, size_t size, const char* text) {
    std::snprintf(error, size, "%s", text);
}

std::string Number(long long n) {
    return std::to_string(n);
}

// A field of the reader's records filled from the store; texts there were cut already.
void SetField(char* field, size_t size, const char* text) {
    const size_t n = text == nullptr ? 0 : strnlen(text, size - 1);
    std::memcpy(field, text == nullptr ? "" : text, n);
    field[n] = 0;
}

// "2026-12-05" into the run's date; null leaves it unknown.
void SetDate(RunHeader* run, const char* text) {
    run->year = run->month = run->day = 0;
    if (text != nullptr && std::strlen(text) == 10) {
        run->year = std::atoi(text);
        run->month = std::atoi(text + 5);
        run->day = std::atoi(text + 8);
    }
}

// ---- Import --------------------------------------------------------------------------

struct PendingRun {
    RunHeader header;
    std::string layouts;
    std::string keyboards; // packed
};

struct Importer {
    StoreDb* db;
    const char* source;
    long long fileId;
    FILE* warnings;
    LogReader* reader;
    DbBulk keyboards;
    std::vector<PendingRun> runs;
    std::vector<std::pair<long, std::string>> damaged;
    std::string layouts;   // of the run being read, one per line, in order of first use
    KeyboardPacker packer; // its keyboards
    std::string state;     // the reader at the end of the last whole line
    long long wholeEnd;    // that end
    long wholeLines;       // lines up to it
    bool failed;
};

// "clavoro reader 1, 4376 bytes": what the state that follows is.
std::string StateHead() {
    return std::string(kStateMark) + ", " + std::to_string(kStateSize) + " bytes";
}

std::string SaveState(const LogReader& reader, const std::string& layouts) {
    return StateHead() +
           std::string(reinterpret_cast<const char*>(&reader) + kStateAt, kStateSize) + layouts;
}

bool RestoreState(LogReader* reader, const std::string& state, std::string* layouts) {
    const std::string head = StateHead();
    if (state.size() < head.size() + kStateSize || state.compare(0, head.size(), head) != 0) {
        return false;
    }
    std::memcpy(reinterpret_cast<char*>(reader) + kStateAt, state.data() + head.size(), kStateSize);
    *layouts = state.substr(head.size() + kStateSize);
    return true;
}

// Writes the runs and damaged lines that wait; the keyboards' bulk is ended first.
void Flush(Importer* imp) {
    imp->failed = imp->failed || !DbBulkEnd(&imp->keyboards);
    if (imp->failed) {
        return;
    }
    DbBulk bulk;
    if (!imp->runs.empty()) {
        imp->failed = !DbBulkStart(imp->db, &bulk, "runs", kRunColumns, 2, 9, true);
        for (size_t i = 0; i < imp->runs.size() && !imp->failed; ++i) {
            const RunHeader& h = imp->runs[i].header;
            const std::string date = RunDateText(h);
            const long long numbers[2] = {imp->fileId, h.line};
            const char* texts[9] = {imp->source,
                                    RunDate(h) == 0 ? nullptr : date.c_str(),
                                    h.dateText,
                                    h.programVersion,
                                    h.osName,
                                    h.operatorId,
                                    h.productId,
                                    h.batchId,
                                    imp->runs[i].layouts.c_str()};
            imp->failed = !DbBulkRow(&bulk, numbers, texts, &imp->runs[i].keyboards);
        }
        imp->failed = !DbBulkEnd(&bulk, !imp->failed) || imp->failed;
        imp->runs.clear();
    }
    if (!imp->damaged.empty() && !imp->failed) {
        imp->failed =
            !DbBulkStart(imp->db, &bulk, "damaged_lines", "file_id, line, source, text", 2, 2);
        for (size_t i = 0; i < imp->damaged.size() && !imp->failed; ++i) {
            const long long numbers[2] = {imp->fileId, imp->damaged[i].first};
            const char* texts[2] = {imp->source, imp->damaged[i].second.c_str()};
            imp->failed = !DbBulkRow(&bulk, numbers, texts);
        }
        imp->failed = !DbBulkEnd(&bulk, !imp->failed) || imp->failed;
        imp->damaged.clear();
    }
}

void OnImportRunStarted(void* context, const RunHeader& run) {
    Importer* imp = static_cast<Importer*>(context);
    imp->layouts.clear();
    StartPacking(&imp->packer, run.line);
}

void OnImportLayout(void* context, const RunHeader& run) {
    std::string& layouts = static_cast<Importer*>(context)->layouts;
    const std::string name = run.layout;
    if (!name.empty() && ("\n" + layouts + "\n").find("\n" + name + "\n") == std::string::npos) {
        layouts += layouts.empty() ? name : "\n" + name;
    }
}

void OnImportKeyboard(void* context, const RunHeader& run, const KeyboardRecord& kb) {
    Importer* imp = static_cast<Importer*>(context);
    if (imp->failed) {
        return;
    }
    if (!imp->keyboards.open &&
        !DbBulkStart(imp->db, &imp->keyboards, "keyboard_tests", kKeyboardColumns, 4, 9)) {
        imp->failed = true;
        return;
    }
    const long long numbers[4] = {imp->fileId, run.line, kb.line, kb.verdict};
    const char* texts[9] = {kb.layout,      kb.serial,      kb.version,
                            kb.reason,      kb.chatterKey,  kb.keyboardVid,
                            kb.keyboardPid, kb.keyboardRev, kb.keyboardName};
    imp->failed = !DbBulkRow(&imp->keyboards, numbers, texts);
    PackKeyboard(&imp->packer, kb);
}

void OnImportRunEnded(void* context, const RunHeader& run) {
    Importer* imp = static_cast<Importer*>(context);
    imp->runs.push_back({run, imp->layouts, imp->packer.bytes});
    if (imp->runs.size() >= kPendingRows) {
        Flush(imp);
    }
}

void OnImportUnplaced(void* context, const char* file, long line, const char* text, size_t length) {
    Importer* imp = static_cast<Importer*>(context);
    if (imp->warnings != nullptr) {
        WriteUnplacedLine(imp->warnings, file, line, text, length);
    }
    std::string shown(text, length < kDamagedText ? length : kDamagedText);
    for (char& c : shown) {
        const unsigned char u = static_cast<unsigned char>(c);
        c = u < 32 || u >= 127 ? '?' : c;
    }
    imp->damaged.emplace_back(line, shown);
    if (imp->damaged.size() >= kPendingRows) {
        Flush(imp);
    }
}

void AtWholeLines(void* context, long long end) {
    Importer* imp = static_cast<Importer*>(context);
    imp->wholeEnd = end;
    imp->wholeLines = imp->reader->lineNumber;
    imp->state = SaveState(*imp->reader, imp->layouts);
}

// The rows read from the log's lines from these on are read again: every keyboard from
// `keyboards` on is of the run at `runs` or a later one.
bool DeleteFrom(StoreDb* db, long long fileId, long keyboards, long runs, long damaged) {
    const std::string f = Number(fileId), k = Number(keyboards), r = Number(runs),
                      d = Number(damaged);
    const SqlValue kp[3] = {SqlText(f.c_str()), SqlText(r.c_str()), SqlText(k.c_str())};
    const SqlValue rp[2] = {SqlText(f.c_str()), SqlText(r.c_str())};
    const SqlValue dp[2] = {SqlText(f.c_str()), SqlText(d.c_str())};
    return DbExec(db,
                  "DELETE FROM keyboard_tests WHERE file_id = $1 AND run_line >= $2"
                  " AND line >= $3",
                  kp, 3) &&
           DbExec(db, "DELETE FROM runs WHERE file_id = $1 AND line >= $2", rp, 2) &&
           DbExec(db, "DELETE FROM damaged_lines WHERE file_id = $1 AND line >= $2", dp, 2);
}

// The keyboards of the run the last import left open, those before `cut`, packed again:
// the run's row is written anew when the run ends. False when the store lacks them.
bool ResumePacking(StoreDb* db, Importer* imp, const RunHeader& run, long cut) {
    const std::string f = Number(imp->fileId), r = Number(run.line);
    const SqlValue params[2] = {SqlText(f.c_str()), SqlText(r.c_str())};
    DbRows rows{};
    const bool found =
        DbQuery(db, &rows, "SELECT packed_keyboards FROM runs WHERE file_id = $1 AND line = $2",
                params, 2) &&
        DbNext(&rows) == 1;
    const std::string packed = found ? DbBlob(&rows, 0) : std::string();
    DbEndRows(&rows);
    StartPacking(&imp->packer, run.line);
    KeyboardUnpacker unpacker;
    StartUnpacking(&unpacker, packed, run.line, "");
    int next = 0;
    while (found && (next = UnpackKeyboard(&unpacker)) == 1 && unpacker.keyboard.line < cut) {
        PackKeyboard(&imp->packer, unpacker.keyboard);
    }
    return found && next >= 0;
}

// ---- Replay --------------------------------------------------------------------------

// One log's runs and damaged lines, handed on in line order between its keyboards.
struct FileReplay {
    const LogEvents* events;
    std::string source;
    std::vector<PendingRun> runs;
    std::vector<std::pair<long, std::string>> damaged;
    size_t nextRun, nextDamaged;
    long openRun;          // index into runs, -1 before the first
    RunHeader keyboardRun; // the open run, or an empty one before the first
    KeyboardRecord keyboard;
};

void EndOpenRun(FileReplay* f) {
    if (f->openRun >= 0 && f->events->runEnded != nullptr) {
        f->events->runEnded(f->events->context, f->runs[f->openRun].header);
    }
}

void StartNextRun(FileReplay* f) {
    EndOpenRun(f);
    f->openRun = static_cast<long>(f->nextRun++);
    PendingRun& run = f->runs[f->openRun];
    const LogEvents& e = *f->events;
    if (e.runStarted != nullptr) {
        e.runStarted(e.context, run.header);
    }
    for (size_t at = 0; at < run.layouts.size() && e.layoutChanged != nullptr;) {
        size_t end = run.layouts.find('\n', at);
        end = end == std::string::npos ? run.layouts.size() : end;
        RunHeader h = run.header;
        SetField(h.layout, sizeof h.layout, run.layouts.substr(at, end - at).c_str());
        e.layoutChanged(e.context, h);
        at = end + 1;
    }
    f->keyboardRun = run.header;
}

// Hands on the run starts and damaged lines before this line.
void ReplayBefore(FileReplay* f, long line) {
    for (;;) {
        const long run = f->nextRun < f->runs.size() ? f->runs[f->nextRun].header.line : LONG_MAX;
        const long damaged =
            f->nextDamaged < f->damaged.size() ? f->damaged[f->nextDamaged].first : LONG_MAX;
        if (run >= line && damaged >= line) {
            return;
        }
        if (run < damaged) {
            StartNextRun(f);
        } else {
            const std::string& text = f->damaged[f->nextDamaged++].second;
            if (f->events->unplacedLine != nullptr) {
                f->events->unplacedLine(f->events->context, f->source.c_str(), damaged, text.data(),
                                        text.size());
            }
        }
    }
}

void HandOn(FileReplay* f, const KeyboardRecord& kb) {
    ReplayBefore(f, kb.line);
    if (f->events->keyboardDone != nullptr) {
        f->events->keyboardDone(f->events->context, f->keyboardRun, kb);
    }
}

// A test of the serial number asked for, read from keyboard_tests; the columns only the
// CSV shows are left empty.
void ReplaySerialTest(FileReplay* f, DbRows* rows) {
    KeyboardRecord& kb = f->keyboard;
    kb.line = DbNumber(rows, 0);
    DbTextInto(rows, 1, kb.serial, sizeof kb.serial);
    const long verdict = DbNumber(rows, 2);
    kb.verdict =
        verdict >= 0 && verdict < kVerdictCount ? static_cast<int>(verdict) : VerdictIncomplete;
    DbTextInto(rows, 3, kb.reason, sizeof kb.reason);
    DbTextInto(rows, 4, kb.chatterKey, sizeof kb.chatterKey);
    DbTextInto(rows, 5, kb.keyboardVid, sizeof kb.keyboardVid);
    DbTextInto(rows, 6, kb.keyboardPid, sizeof kb.keyboardPid);
    DbTextInto(rows, 7, kb.keyboardName, sizeof kb.keyboardName);
    HandOn(f, kb);
}

// Every run of the log with its packed keyboards, and its damaged lines between them.
bool ReplayRuns(StoreDb* db, FileReplay* f) {
    for (size_t i = 0; i < f->runs.size(); ++i) {
        const PendingRun& run = f->runs[i];
        ReplayBefore(f, run.header.line + 1);
        KeyboardUnpacker unpacker;
        StartUnpacking(&unpacker, run.keyboards, run.header.line, f->source.c_str());
        int next;
        while ((next = UnpackKeyboard(&unpacker)) == 1) {
            HandOn(f, unpacker.keyboard);
        }
        if (next < 0) {
            std::snprintf(db->error, sizeof db->error,
                          "the keyboards of the run at line %ld of %s are damaged", run.header.line,
                          f->source.c_str());
            return false;
        }
    }
    return true;
}

// Loads a log's runs; whole, also their keyboards and the log's damaged lines, which the
// tests of one serial number do without.
bool StartFile(StoreDb* db, FileReplay* f, const std::string& fileId, const char* source,
               bool whole) {
    f->source = source;
    f->runs.clear();
    f->damaged.clear();
    f->nextRun = f->nextDamaged = 0;
    f->openRun = -1;
    std::memset(&f->keyboardRun, 0, sizeof f->keyboardRun);
    std::memset(&f->keyboard, 0, sizeof f->keyboard);
    SetField(f->keyboardRun.file, sizeof f->keyboardRun.file, source);
    SetField(f->keyboard.file, sizeof f->keyboard.file, source);
    const SqlValue param = SqlText(fileId.c_str());
    DbRows rows{};
    const std::string sql =
        std::string("SELECT line, run_date, date_text, program, os, operator, product, batch,"
                    " layouts, ") +
        (whole ? "packed_keyboards" : "''") + " FROM runs WHERE file_id = $1 ORDER BY line";
    bool ok = DbQuery(db, &rows, sql.c_str(), &param, 1);
    int next = 0;
    while (ok && (next = DbNext(&rows)) == 1) {
        f->runs.emplace_back();
        RunHeader& h = f->runs.back().header;
        std::memset(&h, 0, sizeof h);
        SetField(h.file, sizeof h.file, source);
        h.line = DbNumber(&rows, 0);
        SetDate(&h, DbText(&rows, 1));
        DbTextInto(&rows, 2, h.dateText, sizeof h.dateText);
        DbTextInto(&rows, 3, h.programVersion, sizeof h.programVersion);
        DbTextInto(&rows, 4, h.osName, sizeof h.osName);
        DbTextInto(&rows, 5, h.operatorId, sizeof h.operatorId);
        DbTextInto(&rows, 6, h.productId, sizeof h.productId);
        DbTextInto(&rows, 7, h.batchId, sizeof h.batchId);
        f->runs.back().layouts = DbText(&rows, 8);
        f->runs.back().keyboards = DbBlob(&rows, 9);
    }
    DbEndRows(&rows);
    ok = ok && next == 0;
    if (ok && whole) {
        ok = DbQuery(db, &rows,
                     "SELECT line, text FROM damaged_lines WHERE file_id = $1 ORDER BY line",
                     &param, 1);
        while (ok && (next = DbNext(&rows)) == 1) {
            f->damaged.emplace_back(DbNumber(&rows, 0), DbText(&rows, 1));
        }
        DbEndRows(&rows);
        ok = ok && next == 0;
    }
    return ok;
}

void EndFile(FileReplay* f) {
    ReplayBefore(f, LONG_MAX);
    EndOpenRun(f);
}

// Every log in order of first import, each with its runs' keyboards in line order; for
// one serial number only the logs that tested it, and only its tests, found by its index.
bool Replay(StoreDb* db, FileReplay* f, const char* serial) {
    std::vector<std::pair<std::string, std::string>> files;
    const SqlValue param = SqlText(serial);
    DbRows rows{};
    bool ok =
        DbQuery(db, &rows,
                serial == nullptr ? "SELECT file_id, source FROM imported_files ORDER BY file_id"
                                  : "SELECT file_id, source FROM imported_files WHERE file_id IN"
                                    " (SELECT file_id FROM keyboard_tests WHERE serial = $1)"
                                    " ORDER BY file_id",
                &param, serial == nullptr ? 0 : 1);
    int next = 0;
    while (ok && (next = DbNext(&rows)) == 1) {
        files.emplace_back(DbText(&rows, 0), DbText(&rows, 1));
    }
    DbEndRows(&rows);
    ok = ok && next == 0;
    for (size_t i = 0; ok && i < files.size(); ++i) {
        const std::string& id = files[i].first;
        ok = StartFile(db, f, id, files[i].second.c_str(), serial == nullptr);
        if (serial == nullptr) {
            ok = ok && ReplayRuns(db, f);
        } else {
            const SqlValue both[2] = {param, SqlText(id.c_str())};
            ok = ok && DbQuery(db, &rows,
                               "SELECT line, serial, verdict, reason, chattered_key, keyboard_vid,"
                               " keyboard_pid, keyboard_name FROM keyboard_tests"
                               " WHERE serial = $1 AND file_id = $2 ORDER BY run_line, line",
                               both, 2);
            while (ok && (next = DbNext(&rows)) == 1) {
                ReplaySerialTest(f, &rows);
            }
            DbEndRows(&rows);
            ok = ok && next == 0;
        }
        EndFile(f);
    }
    return ok;
}

} // namespace

int OpenResultsStore(const char* where, ResultsStore** store, char* error, size_t errorSize) {
    ResultsStore* s = new ResultsStore{};
    StoreDb* db = &s->db;
    bool ok = OpenStoreDb(db, where) != 0;
    // The view is made last, in the same transaction as the tables.
    if (ok && !DbExec(db, "SELECT 1 FROM keyboards WHERE 1 = 0")) {
        const bool lite = db->kind == kStoreSqlite;
        std::string schema =
            Replace(kSchema, "{id}", lite ? "INTEGER PRIMARY KEY" : "BIGSERIAL PRIMARY KEY");
        schema = Replace(schema, "{blob}", lite ? "BLOB" : "BYTEA");
        schema = Replace(schema, "{date}", lite ? "TEXT" : "DATE");
        schema = Replace(schema, "{time}", lite ? "TEXT" : "TIMESTAMPTZ");
        schema = Replace(schema, "{c}", lite ? "" : " COLLATE \"C\"");
        schema = Replace(schema, "{clustered}", lite ? " WITHOUT ROWID" : "");
        // Packed already: PostgreSQL's compression would only cost time.
        schema = Replace(schema, "{packed}",
                         lite ? ""
                              : "ALTER TABLE runs ALTER COLUMN packed_keyboards SET STORAGE"
                                " EXTERNAL;");
        schema = Replace(schema, "{view}",
                         lite ? "CREATE VIEW IF NOT EXISTS" : "CREATE OR REPLACE VIEW");
        // Two first uses at once create the tables once: the second finds the view made
        // (running the schema again would lock tables the first may be importing into).
        DbRows rows{};
        ok = DbExec(db, lite ? "BEGIN IMMEDIATE" : "BEGIN; SELECT pg_advisory_xact_lock(2029)") &&
             DbQuery(db, &rows,
                     lite ? "SELECT count(*) FROM sqlite_master WHERE name = 'keyboards'"
                          : "SELECT count(*) FROM pg_class WHERE oid = to_regclass('keyboards')",
                     nullptr, 0) &&
             DbNext(&rows) == 1;
        const bool made = ok && DbNumber(&rows, 0) > 0;
        DbEndRows(&rows);
        ok = ok && (made || DbExec(db, schema.c_str())) && DbExec(db, "COMMIT");
        if (!ok) {
            const std::string why = db->error;
            DbExec(db, "ROLLBACK");
            Copy(db->error, sizeof db->error, why.c_str());
        }
    }
    // A store made before runs held their keyboards cannot be read by this version.
    if (ok && !DbExec(db, "SELECT packed_keyboards FROM runs WHERE 1 = 0")) {
        Copy(db->error, sizeof db->error,
             "the store was made by an earlier clavoro-report: import the logs into a new store");
        ok = false;
    }
    if (!ok) {
        Copy(error, errorSize, db->error);
        CloseStoreDb(db);
        delete s;
        return 2;
    }
    *store = s;
    return 0;
}

void CloseResultsStore(ResultsStore* store) {
    CloseStoreDb(&store->db);
    delete store;
}

int ImportLog(ResultsStore* store, const char* path, FILE* warnings, char* error,
              size_t errorSize) {
    StoreDb* db = &store->db;
    // The log's first bytes and size now, to tell it from the log imported before.
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return 0;
    }
    char head[kFirstBytes];
    const size_t headSize = std::fread(head, 1, sizeof head, file);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);

    LogReader reader;
    Importer imp{};
    imp.db = db;
    imp.source = path;
    imp.warnings = warnings;
    imp.reader = &reader;
    LogEvents events{};
    events.context = &imp;
    events.runStarted = OnImportRunStarted;
    events.layoutChanged = OnImportLayout;
    events.keyboardDone = OnImportKeyboard;
    events.runEnded = OnImportRunEnded;
    events.unplacedLine = OnImportUnplaced;
    StartLogReader(&reader, events, path);

    const SqlValue empty = {"", 0, true};
    const SqlValue created[2] = {SqlText(path), empty};
    const SqlValue source = SqlText(path);
    DbRows rows{};
    bool ok =
        DbExec(db, db->kind == kStoreSqlite ? "BEGIN IMMEDIATE" : "BEGIN") &&
        DbExec(db,
               "INSERT INTO imported_files (source, bytes_read, lines_read, first_bytes)"
               " VALUES ($1, 0, 0, $2) ON CONFLICT (source) DO NOTHING",
               created, 2) &&
        DbQuery(db, &rows,
                db->kind == kStoreSqlite ? "SELECT bytes_read, first_bytes, reader_state, file_id"
                                           " FROM imported_files WHERE source = $1"
                                         : "SELECT bytes_read, first_bytes, reader_state, file_id"
                                           " FROM imported_files WHERE source = $1 FOR UPDATE",
                &source, 1) &&
        DbNext(&rows) == 1;
    long from = 0;
    if (ok) {
        // Read on from where the last import stopped, unless the log was replaced.
        imp.fileId = DbNumber(&rows, 3);
        const long read = DbNumber(&rows, 0);
        const std::string first = DbBlob(&rows, 1);
        const bool same = read > 0 && size >= read && first.size() <= headSize &&
                          std::memcmp(first.data(), head, first.size()) == 0 &&
                          RestoreState(&reader, DbBlob(&rows, 2), &imp.layouts);
        DbEndRows(&rows);
        const long next = reader.lineNumber + 1;
        const long cut = reader.keyboardOpen ? reader.keyboard.line : next;
        if (same && (!reader.inRun || ResumePacking(db, &imp, reader.run, cut))) {
            from = read;
            ok = DeleteFrom(db, imp.fileId, cut, reader.inRun ? reader.run.line : next, next);
        } else {
            StartLogReader(&reader, events, path);
            imp.layouts.clear();
            ok = DeleteFrom(db, imp.fileId, 0, 0, 0);
        }
    } else {
        DbEndRows(&rows);
    }
    int result = -1;
    if (ok) {
        if (!ReadLogFileFrom(&reader, path, from, AtWholeLines, &imp)) {
            result = 0;
            ok = false;
        } else {
            Flush(&imp);
            ok = !imp.failed;
        }
    }
    if (ok) {
        const std::string bytes = Number(imp.wholeEnd), lines = Number(imp.wholeLines);
        const size_t firstSize = imp.wholeEnd < static_cast<long long>(headSize)
                                     ? static_cast<size_t>(imp.wholeEnd)
                                     : headSize;
        const SqlValue values[5] = {source,
                                    SqlText(bytes.c_str()),
                                    SqlText(lines.c_str()),
                                    {head, firstSize, true},
                                    {imp.state.data(), imp.state.size(), true}};
        ok = DbExec(db,
                    "UPDATE imported_files SET bytes_read = $2, lines_read = $3, first_bytes = $4,"
                    " reader_state = $5, imported_at = CURRENT_TIMESTAMP WHERE source = $1",
                    values, 5) &&
             DbExec(db, "COMMIT");
        if (ok) {
            return 1;
        }
    }
    if (result == -1) {
        Copy(error, errorSize, db->error);
    }
    DbBulkEnd(&imp.keyboards, false);
    DbExec(db, "ROLLBACK");
    return result;
}

int ReplayStore(ResultsStore* store, const LogEvents& events, const char* serial, char* error,
                size_t errorSize) {
    StoreDb* db = &store->db;
    FileReplay f;
    f.events = &events;
    // One snapshot for the whole report, while imports may go on. The tests of one serial
    // number are found by its index.
    const bool ok =
        DbExec(db, db->kind == kStoreSqlite ? "BEGIN"
                                            : "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY;"
                                              " SET LOCAL jit = off") &&
        Replay(db, &f, serial) && DbExec(db, "COMMIT");
    if (!ok) {
        Copy(error, errorSize, db->error);
        DbExec(db, "ROLLBACK");
    }
    return ok ? 1 : 0;
}
