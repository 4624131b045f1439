#include "report/results_store.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clavoro_version.h"
#include "report/log_file.h"
#include "report/reader_state.h"
#include "report/report_model.h"
#include "report/source_name.h"
#include "report/store_db.h"
#include "report/store_schema.h"

struct ResultsStore {
    StoreDb db;
    int codePage;
    bool wrote; // an import wrote something
};

namespace {

// The columns written, integers first.
const char* const kKeyboardColumns =
    "generation_id, run_line, line, verdict_code, layout, serial, version, reason, chattered_key,"
    " keyboard_vid, keyboard_pid, keyboard_rev, keyboard_name";
const char* const kRunColumns = "generation_id, line, run_start, run_date, date_text, program, os,"
                                " operator, product, batch, layouts";

// Runs and damaged lines wait in memory until this many, then go in bulk.
constexpr size_t kPendingRows = 10000;
// The first bytes of a log kept to tell a replaced log.
constexpr size_t kFirstBytes = 256;
// A damaged line is kept as the report shows it, cut to this length.
constexpr size_t kDamagedText = 200;

void Copy(char* error, size_t size, const char* text) {
    std::snprintf(error, size, "%s", text);
}

std::string Number(long long n) {
    return std::to_string(n);
}

const char* OrNull(const char* text) {
    return text[0] == 0 ? nullptr : text;
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

// Ends a transaction that failed, keeping why.
void Undo(StoreDb* db) {
    const std::string why = db->error;
    DbExec(db, "ROLLBACK");
    Copy(db->error, sizeof db->error, why.c_str());
}

// ---- Import --------------------------------------------------------------------------

struct PendingRun {
    RunHeader header;
    std::string layouts;
};

struct Importer {
    StoreDb* db;
    long long generationId;
    FILE* warnings;
    LogReader* reader;
    DbBulk keyboards;
    std::vector<PendingRun> runs;
    std::vector<std::pair<long, std::string>> damaged;
    std::string layouts; // of the run being read, one per line, in order of first use
    std::string state;   // the reader at the end of the last whole line
    long long wholeEnd;  // that end
    long wholeLines;     // lines up to it
    bool failed;
};

// "2026-12-05 15:17:58", the start of a run with a date.
std::string RunStart(const RunHeader& h) {
    return RunDateText(h) + " " + std::string(h.dateText + 11, 8);
}

// Writes the runs and damaged lines that wait; the keyboards' bulk is ended first.
void Flush(Importer* imp) {
    imp->failed = imp->failed || !DbBulkEnd(&imp->keyboards);
    if (imp->failed) {
        return;
    }
    DbBulk bulk;
    if (!imp->runs.empty()) {
        imp->failed = !DbBulkStart(imp->db, &bulk, "runs", kRunColumns, 2, 9);
        for (size_t i = 0; i < imp->runs.size() && !imp->failed; ++i) {
            const RunHeader& h = imp->runs[i].header;
            const bool dated = RunDate(h) != 0;
            const std::string start = dated ? RunStart(h) : "", date = RunDateText(h);
            const long long numbers[2] = {imp->generationId, h.line};
            const char* texts[9] = {dated ? start.c_str() : nullptr,
                                    dated ? date.c_str() : nullptr,
                                    OrNull(h.dateText),
                                    OrNull(h.programVersion),
                                    OrNull(h.osName),
                                    OrNull(h.operatorId),
                                    OrNull(h.productId),
                                    OrNull(h.batchId),
                                    OrNull(imp->runs[i].layouts.c_str())};
            imp->failed = !DbBulkRow(&bulk, numbers, texts);
        }
        imp->failed = !DbBulkEnd(&bulk, !imp->failed) || imp->failed;
        imp->runs.clear();
    }
    if (!imp->damaged.empty() && !imp->failed) {
        imp->failed =
            !DbBulkStart(imp->db, &bulk, "damaged_lines", "generation_id, line, text", 2, 1);
        for (size_t i = 0; i < imp->damaged.size() && !imp->failed; ++i) {
            const long long numbers[2] = {imp->generationId, imp->damaged[i].first};
            const char* texts[1] = {imp->damaged[i].second.c_str()};
            imp->failed = !DbBulkRow(&bulk, numbers, texts);
        }
        imp->failed = !DbBulkEnd(&bulk, !imp->failed) || imp->failed;
        imp->damaged.clear();
    }
}

void OnImportRunStarted(void* context, const RunHeader&) {
    static_cast<Importer*>(context)->layouts.clear();
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
    const long long numbers[4] = {imp->generationId, run.line, kb.line, kb.verdict};
    const char* texts[9] = {
        OrNull(kb.layout),      OrNull(kb.serial),      OrNull(kb.version),
        OrNull(kb.reason),      OrNull(kb.chatterKey),  OrNull(kb.keyboardVid),
        OrNull(kb.keyboardPid), OrNull(kb.keyboardRev), OrNull(kb.keyboardName)};
    imp->failed = !DbBulkRow(&imp->keyboards, numbers, texts);
}

void OnImportRunEnded(void* context, const RunHeader& run) {
    Importer* imp = static_cast<Importer*>(context);
    imp->runs.push_back({run, imp->layouts});
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
    imp->state = SaveReaderState(*imp->reader, imp->layouts);
}

// The rows read from the log's lines from these on are read again: every keyboard from
// `keyboards` on is of the run at `runs` or a later one.
bool DeleteFrom(StoreDb* db, long long generation, long keyboards, long runs, long damaged) {
    const std::string g = Number(generation), k = Number(keyboards), r = Number(runs),
                      d = Number(damaged);
    const SqlValue kp[3] = {SqlText(g.c_str()), SqlText(r.c_str()), SqlText(k.c_str())};
    const SqlValue rp[2] = {SqlText(g.c_str()), SqlText(r.c_str())};
    const SqlValue dp[2] = {SqlText(g.c_str()), SqlText(d.c_str())};
    return DbExec(db,
                  "DELETE FROM keyboard_tests WHERE generation_id = $1 AND run_line >= $2"
                  " AND line >= $3",
                  kp, 3) &&
           DbExec(db, "DELETE FROM runs WHERE generation_id = $1 AND line >= $2", rp, 2) &&
           DbExec(db, "DELETE FROM damaged_lines WHERE generation_id = $1 AND line >= $2", dp, 2);
}

// The last generation of a source, as the store has it.
struct Generation {
    bool found;
    long long sourceId, id, number, bytesRead, bytesSeen;
    std::string firstBytes, readerVersion, state;
    int codePage;
};

bool LastGeneration(StoreDb* db, const std::string& source, Generation* g) {
    const SqlValue name = SqlText(source.c_str());
    DbRows rows{};
    *g = Generation{};
    bool ok = DbQuery(db, &rows,
                      "SELECT s.source_id, g.generation_id, g.generation, g.bytes_read,"
                      " g.bytes_seen, g.first_bytes, g.reader_version, g.code_page,"
                      " g.reader_state FROM sources s JOIN generations g"
                      " ON g.source_id = s.source_id WHERE s.path = $1"
                      " ORDER BY g.generation DESC LIMIT 1",
                      &name, 1);
    const int next = ok ? DbNext(&rows) : -1;
    if (next == 1) {
        g->found = true;
        g->sourceId = DbNumber(&rows, 0);
        g->id = DbNumber(&rows, 1);
        g->number = DbNumber(&rows, 2);
        g->bytesRead = DbNumber(&rows, 3);
        g->bytesSeen = DbNumber(&rows, 4);
        g->firstBytes = DbBlob(&rows, 5);
        g->readerVersion = DbText(&rows, 6);
        g->codePage = static_cast<int>(DbNumber(&rows, 7));
        g->state = DbText(&rows, 8) == nullptr ? "" : DbText(&rows, 8);
    }
    DbEndRows(&rows);
    return next >= 0;
}

// How an import goes on from the last generation of the log.
enum Continue {
    kNothingNew,    // the log is as it was when imported last
    kReadOn,        // it grew: read from where the reader stood
    kReadAgain,     // read by another reader, or in another code page: read again from its start
    kNewGeneration, // replaced, or not imported before
};

Continue HowToGoOn(const Generation& g, const char* head, size_t headSize, long long size,
                   int codePage, LogReader* reader, std::string* layouts) {
    const bool same = g.found && size >= g.bytesRead && g.firstBytes.size() <= headSize &&
                      std::memcmp(g.firstBytes.data(), head, g.firstBytes.size()) == 0;
    if (!same) {
        return kNewGeneration;
    }
    if (g.readerVersion != LogReaderVersion() || g.codePage != codePage ||
        !RestoreReaderState(reader, g.state, layouts)) {
        return kReadAgain;
    }
    return size == g.bytesSeen ? kNothingNew : kReadOn;
}

// ---- Replay --------------------------------------------------------------------------

// One generation's runs and damaged lines, handed on in line order between its keyboards.
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

// A keyboard read from keyboard_tests: line, verdict, serial, reason, chattered key, vid,
// pid, name, then with the CSV's columns layout, version and rev.
void HandOn(FileReplay* f, DbRows* rows, bool csvColumns) {
    KeyboardRecord& kb = f->keyboard;
    kb.line = DbNumber(rows, 0);
    const long verdict = DbNumber(rows, 1);
    kb.verdict =
        verdict >= 0 && verdict < kVerdictCount ? static_cast<int>(verdict) : VerdictIncomplete;
    DbTextInto(rows, 2, kb.serial, sizeof kb.serial);
    DbTextInto(rows, 3, kb.reason, sizeof kb.reason);
    DbTextInto(rows, 4, kb.chatterKey, sizeof kb.chatterKey);
    DbTextInto(rows, 5, kb.keyboardVid, sizeof kb.keyboardVid);
    DbTextInto(rows, 6, kb.keyboardPid, sizeof kb.keyboardPid);
    DbTextInto(rows, 7, kb.keyboardName, sizeof kb.keyboardName);
    if (csvColumns) {
        DbTextInto(rows, 8, kb.layout, sizeof kb.layout);
        DbTextInto(rows, 9, kb.version, sizeof kb.version);
        DbTextInto(rows, 10, kb.keyboardRev, sizeof kb.keyboardRev);
    }
    ReplayBefore(f, kb.line);
    if (f->events->keyboardDone != nullptr) {
        f->events->keyboardDone(f->events->context, f->keyboardRun, kb);
    }
}

// Loads a generation's runs and, without a serial number, its damaged lines.
bool StartFile(StoreDb* db, FileReplay* f, const std::string& id, const std::string& source,
               bool damaged) {
    f->source = source;
    f->runs.clear();
    f->damaged.clear();
    f->nextRun = f->nextDamaged = 0;
    f->openRun = -1;
    std::memset(&f->keyboardRun, 0, sizeof f->keyboardRun);
    std::memset(&f->keyboard, 0, sizeof f->keyboard);
    SetField(f->keyboardRun.file, sizeof f->keyboardRun.file, source.c_str());
    SetField(f->keyboard.file, sizeof f->keyboard.file, source.c_str());
    const SqlValue param = SqlText(id.c_str());
    DbRows rows{};
    bool ok = DbQuery(db, &rows,
                      "SELECT line, run_date, date_text, program, os, operator, product, batch,"
                      " layouts FROM runs WHERE generation_id = $1 ORDER BY line",
                      &param, 1);
    int next = 0;
    while (ok && (next = DbNext(&rows)) == 1) {
        f->runs.emplace_back();
        RunHeader& h = f->runs.back().header;
        std::memset(&h, 0, sizeof h);
        SetField(h.file, sizeof h.file, source.c_str());
        h.line = DbNumber(&rows, 0);
        SetDate(&h, DbText(&rows, 1));
        DbTextInto(&rows, 2, h.dateText, sizeof h.dateText);
        DbTextInto(&rows, 3, h.programVersion, sizeof h.programVersion);
        DbTextInto(&rows, 4, h.osName, sizeof h.osName);
        DbTextInto(&rows, 5, h.operatorId, sizeof h.operatorId);
        DbTextInto(&rows, 6, h.productId, sizeof h.productId);
        DbTextInto(&rows, 7, h.batchId, sizeof h.batchId);
        f->runs.back().layouts = DbText(&rows, 8) == nullptr ? "" : DbText(&rows, 8);
    }
    DbEndRows(&rows);
    ok = ok && next == 0;
    if (ok && damaged) {
        ok = DbQuery(db, &rows,
                     "SELECT line, text FROM damaged_lines WHERE generation_id = $1 ORDER BY line",
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

// Every generation in order of first import, each with its keyboards in line order; for
// one serial number only the generations that tested it, and only its tests, found by its
// index.
bool Replay(StoreDb* db, FileReplay* f, const char* serial, bool csvColumns) {
    std::vector<std::pair<std::string, std::string>> files;
    const SqlValue param = SqlText(serial);
    DbRows rows{};
    bool ok = DbQuery(db, &rows,
                      serial == nullptr
                          ? "SELECT g.generation_id, s.path, g.generation FROM generations g"
                            " JOIN sources s ON s.source_id = g.source_id ORDER BY g.generation_id"
                          : "SELECT g.generation_id, s.path, g.generation FROM generations g"
                            " JOIN sources s ON s.source_id = g.source_id WHERE g.generation_id"
                            " IN (SELECT generation_id FROM keyboard_tests WHERE serial = $1)"
                            " ORDER BY g.generation_id",
                      &param, serial == nullptr ? 0 : 1);
    int next = 0;
    while (ok && (next = DbNext(&rows)) == 1) {
        const long generation = DbNumber(&rows, 2);
        files.emplace_back(DbText(&rows, 0),
                           std::string(DbText(&rows, 1)) +
                               (generation > 1 ? ", generation " + Number(generation) : ""));
    }
    DbEndRows(&rows);
    ok = ok && next == 0;
    const std::string select =
        std::string("SELECT line, verdict_code, serial, reason, chattered_key, keyboard_vid,"
                    " keyboard_pid, keyboard_name") +
        (csvColumns ? ", layout, version, keyboard_rev" : "") +
        " FROM keyboard_tests WHERE generation_id = ";
    const std::string order =
        std::string(serial == nullptr ? "" : " AND serial = $1") + " ORDER BY run_line, line";
    for (size_t i = 0; ok && i < files.size(); ++i) {
        ok = StartFile(db, f, files[i].first, files[i].second, serial == nullptr);
        const std::string query = select + files[i].first + order;
        // A generation's keyboards stream from PostgreSQL while the report reads them.
        ok = ok && (serial == nullptr ? DbStream(db, &rows, query)
                                      : DbQuery(db, &rows, query.c_str(), &param, 1));
        while (ok && (next = DbNext(&rows)) == 1) {
            HandOn(f, &rows, csvColumns);
        }
        DbEndRows(&rows);
        ok = ok && next == 0;
        EndFile(f);
    }
    return ok;
}

} // namespace

int OpenResultsStore(const char* where, int codePage, ResultsStore** store, char* error,
                     size_t errorSize) {
    ResultsStore* s = new ResultsStore{};
    s->codePage = codePage;
    StoreDb* db = &s->db;
    bool ok = OpenStoreDb(db, where) != 0;
    if (ok && db->kind == kStorePostgres) {
        DbRows rows{};
        ok = DbQuery(db, &rows, "SHOW server_encoding") && DbNext(&rows) == 1;
        const std::string encoding = ok ? DbText(&rows, 0) : "";
        DbEndRows(&rows);
        if (ok && encoding != "UTF8") {
            std::snprintf(db->error, sizeof db->error,
                          "the database's encoding is %s: a store needs a database in UTF8"
                          " (CREATE DATABASE ... ENCODING 'UTF8' TEMPLATE template0)",
                          encoding.c_str());
            ok = false;
        }
    }
    // Two first uses at once make the tables once: the second finds them made.
    if (ok && !DbTableExists(db, "store_version")) {
        ok = DbExec(db, db->kind == kStoreSqlite ? "BEGIN IMMEDIATE"
                                                 : "BEGIN; SELECT pg_advisory_xact_lock(2029)") &&
             MakeStoreTables(db, codePage) && DbExec(db, "COMMIT");
        if (!ok) {
            Undo(db);
        }
    }
    const long long version =
        ok ? DbQueryNumber(db, "SELECT max(schema_version) FROM store_version") : 0;
    if (ok && version > kStoreSchemaVersion) {
        std::snprintf(db->error, sizeof db->error,
                      "the store was made by a newer clavoro-report (schema version %lld; this"
                      " one, %s, knows up to %d): use that version or a newer one",
                      version, CLAVORO_VERSION, kStoreSchemaVersion);
    } else if (ok && version != kStoreSchemaVersion) {
        Copy(db->error, sizeof db->error, "the store's table store_version names no version");
    }
    ok = ok && version == kStoreSchemaVersion;
    if (!ok) {
        Copy(error, errorSize, db->error);
        CloseStoreDb(db);
        delete s;
        return 1;
    }
    *store = s;
    return 0;
}

void CloseResultsStore(ResultsStore* store) {
    // SQLite's planner statistics, sampled (its optimize pragma would analyze only the
    // tables this connection queried).
    if (store->wrote && store->db.kind == kStoreSqlite) {
        DbExec(&store->db, "PRAGMA analysis_limit = 1000; ANALYZE");
    }
    CloseStoreDb(&store->db);
    delete store;
}

int ImportLog(ResultsStore* store, const char* path, FILE* warnings, char* error,
              size_t errorSize) {
    StoreDb* db = &store->db;
    std::string source;
    FILE* file = LogSourceName(path, &source) ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) {
        return 0;
    }
    // The log's first bytes and size now, to tell it from the log imported before.
    char head[kFirstBytes];
    const size_t headSize = std::fread(head, 1, sizeof head, file);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);

    LogReader reader;
    Importer imp{};
    imp.db = db;
    imp.warnings = warnings;
    imp.reader = &reader;
    LogEvents events{};
    events.context = &imp;
    events.runStarted = OnImportRunStarted;
    events.layoutChanged = OnImportLayout;
    events.keyboardDone = OnImportKeyboard;
    events.runEnded = OnImportRunEnded;
    events.unplacedLine = OnImportUnplaced;
    StartLogReader(&reader, events, source.c_str(), store->codePage);

    // A log with nothing new is only looked at.
    Generation g;
    bool ok = LastGeneration(db, source, &g);
    if (ok &&
        HowToGoOn(g, head, headSize, size, store->codePage, &reader, &imp.layouts) == kNothingNew) {
        return 1;
    }
    // Then again under the source's lock, as another import may have gone first.
    const SqlValue name = SqlText(source.c_str());
    ok = ok && DbExec(db, db->kind == kStoreSqlite ? "BEGIN IMMEDIATE" : "BEGIN") &&
         DbExec(db, "INSERT INTO sources (path) VALUES ($1) ON CONFLICT (path) DO NOTHING", &name,
                1) &&
         (db->kind == kStoreSqlite ||
          DbExec(db, "SELECT source_id FROM sources WHERE path = $1 FOR UPDATE", &name, 1)) &&
         LastGeneration(db, source, &g);
    Continue how = kNewGeneration;
    long from = 0;
    if (ok) {
        StartLogReader(&reader, events, source.c_str(), store->codePage);
        imp.layouts.clear();
        how = HowToGoOn(g, head, headSize, size, store->codePage, &reader, &imp.layouts);
        imp.generationId = g.id;
    }
    if (ok && how == kNewGeneration) {
        const std::string number = Number(g.found ? g.number + 1 : 1),
                          page = Number(store->codePage);
        const SqlValue values[5] = {name,
                                    SqlText(number.c_str()),
                                    SqlText(page.c_str()),
                                    SqlText(LogReaderVersion()),
                                    {"", 0, true}};
        imp.generationId = DbQueryNumber(
            db,
            DbSql(db,
                  "INSERT INTO generations (source_id, generation, first_imported_at, imported_at,"
                  " bytes_read, lines_read, bytes_seen, first_bytes, code_page, reader_version)"
                  " SELECT source_id, $2, {now}, {now}, 0, 0, 0, $5, $3, $4 FROM sources"
                  " WHERE path = $1 RETURNING generation_id",
                  "{now}", DbNow(db), DbNow(db))
                .c_str(),
            values, 5);
        ok = imp.generationId > 0;
    } else if (ok && how == kReadAgain) {
        StartLogReader(&reader, events, source.c_str(), store->codePage);
        imp.layouts.clear();
        ok = DeleteFrom(db, g.id, 0, 0, 0);
    } else if (ok && how == kReadOn) {
        // Read on from where the last import stopped: the keyboard still on the bench and
        // the run still open are read again.
        from = static_cast<long>(g.bytesRead);
        const long next = reader.lineNumber + 1;
        const long cut = reader.keyboardOpen ? reader.keyboard.line : next;
        ok = DeleteFrom(db, g.id, cut, reader.inRun ? reader.run.line : next, next);
    } else if (ok) {
        return DbExec(db, "COMMIT") ? 1 : (Copy(error, errorSize, db->error), -1);
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
        const std::string id = Number(imp.generationId), bytes = Number(imp.wholeEnd),
                          lines = Number(imp.wholeLines), seen = Number(size),
                          page = Number(store->codePage);
        const size_t firstSize = imp.wholeEnd < static_cast<long long>(headSize)
                                     ? static_cast<size_t>(imp.wholeEnd)
                                     : headSize;
        const SqlValue values[8] = {SqlText(id.c_str()),         SqlText(bytes.c_str()),
                                    SqlText(lines.c_str()),      SqlText(seen.c_str()),
                                    {head, firstSize, true},     SqlText(page.c_str()),
                                    SqlText(LogReaderVersion()), SqlText(imp.state.c_str())};
        ok = DbExec(db,
                    DbSql(db,
                          "UPDATE generations SET bytes_read = $2, lines_read = $3,"
                          " bytes_seen = $4, first_bytes = $5, code_page = $6,"
                          " reader_version = $7, reader_state = $8, imported_at = {now}"
                          " WHERE generation_id = $1",
                          "{now}", DbNow(db), DbNow(db))
                        .c_str(),
                    values, 8) &&
             DbExec(db, "COMMIT");
        if (ok) {
            store->wrote = true;
            return 1;
        }
    }
    if (result == -1) {
        Copy(error, errorSize, db->error);
    }
    DbBulkEnd(&imp.keyboards, false);
    Undo(db);
    return result;
}

int ForgetLog(ResultsStore* store, const char* log, long* keyboards, char* error,
              size_t errorSize) {
    StoreDb* db = &store->db;
    std::string source = log;
    const SqlValue exact = SqlText(log);
    if (DbQueryNumber(db, "SELECT count(*) FROM sources WHERE path = $1", &exact, 1) <= 0 &&
        !LogSourceName(log, &source, false)) {
        return 0;
    }
    const SqlValue name = SqlText(source.c_str());
    const char* const kWhere =
        " WHERE generation_id IN (SELECT generation_id FROM generations g JOIN sources s"
        " ON s.source_id = g.source_id WHERE s.path = $1)";
    bool ok = DbExec(db, db->kind == kStoreSqlite ? "BEGIN IMMEDIATE" : "BEGIN");
    const long long found =
        ok ? DbQueryNumber(db, "SELECT count(*) FROM sources WHERE path = $1", &name, 1) : 0;
    *keyboards = static_cast<long>(DbQueryNumber(
        db, (std::string("SELECT count(*) FROM keyboard_tests") + kWhere).c_str(), &name, 1));
    for (const char* table : {"keyboard_tests", "damaged_lines", "runs"}) {
        ok = ok && found > 0 &&
             DbExec(db, (std::string("DELETE FROM ") + table + kWhere).c_str(), &name, 1);
    }
    ok = ok && found > 0 &&
         DbExec(db,
                "DELETE FROM generations WHERE source_id IN (SELECT source_id FROM sources WHERE"
                " path = $1)",
                &name, 1) &&
         DbExec(db, "DELETE FROM sources WHERE path = $1", &name, 1) && DbExec(db, "COMMIT");
    if (ok) {
        store->wrote = true;
        return 1;
    }
    Undo(db);
    if (found == 0) {
        return 0;
    }
    Copy(error, errorSize, db->error);
    return -1;
}

int ReplayStore(ResultsStore* store, const LogEvents& events, const char* serial, bool csvColumns,
                char* error, size_t errorSize) {
    StoreDb* db = &store->db;
    FileReplay f;
    f.events = &events;
    // One snapshot for the whole report, while imports may go on. A generation's keyboards
    // are read in the order of their key, which lies in the order of reading, whatever
    // PostgreSQL's statistics say (after a large import it has none yet); the tests of one
    // serial number are found by its index.
    const bool ok =
        DbExec(db, db->kind == kStoreSqlite ? "BEGIN"
                   : serial != nullptr
                       ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"
                       : "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; SET LOCAL jit = off;"
                         " SET LOCAL enable_sort = off; SET LOCAL enable_bitmapscan = off") &&
        Replay(db, &f, serial, csvColumns) && DbExec(db, "COMMIT");
    if (!ok) {
        Copy(error, errorSize, db->error);
        DbExec(db, "ROLLBACK");
    }
    return ok ? 1 : 0;
}
