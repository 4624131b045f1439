// The results store against SQLite and a PostgreSQL server: whatever was imported, and
// however often, the store's report is the report of every generation of the logs.
#include <libpq-fe.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "report/reader_state.h"
#include "report/report_html.h"
#include "report/report_model.h"
#include "report/report_text.h"
#include "report/results_store.h"
#include "report/source_name.h"
#include "report/store_db.h"
#include "tests/report/memory_output.h"
#include "tests/temp_path.h"

namespace {

// A generation of a log as the report names it, and its bytes.
struct Generation {
    std::string name, text;
};

// Summary, CSV, page and damaged lines; the summary and page without a CSV; the tests of
// serial R1: from the logs' texts or the store.
std::string Everything(const std::vector<Generation>& logs, ResultsStore* store,
                       int codePage = kWestern) {
    std::string all;
    for (int output : {0, 1, 2}) {
        const char* serial = output == 2 ? "R1" : nullptr;
        static Report report;
        StartReport(&report, {});
        MemoryOutput text, csv, html, warnings;
        report.csv = output == 0 ? csv.file : nullptr;
        report.warnings = output == 0 ? warnings.file : nullptr;
        report.serial = serial;
        char error[600] = "";
        if (store != nullptr) {
            EXPECT_EQ(1, ReplayStore(store, ReportEvents(&report), serial, output == 0, error,
                                     sizeof error))
                << error;
        }
        for (size_t i = 0; store == nullptr && i < logs.size(); ++i) {
            static LogReader reader;
            StartLogReader(&reader, ReportEvents(&report), logs[i].name.c_str(), codePage);
            ReadLogText(&reader, logs[i].text.data(), logs[i].text.size());
        }
        FinishReport(&report);
        if (serial != nullptr) {
            WriteSerialHistory(text.file, report); // the only output with --serial
        } else {
            WriteTextSummary(text.file, report);
            WriteHtmlReport(html.file, report);
        }
        all += text.Take() + csv.Take() + html.Take() + warnings.Take();
    }
    return all;
}

// The two texts from their first difference on.
std::string FirstDifference(const std::string& a, const std::string& b) {
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) {
        ++at;
    }
    at = at > 100 ? at - 100 : 0;
    return "\n" + a.substr(at, 300) + "\n----\n" + b.substr(at, 300);
}

void Write(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

std::string RealPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    const std::string name = real == nullptr ? path : real;
    std::free(real);
    return name;
}

// Two runs, the later one written first; a layout change, damage (a NUL in it), a CR
// inside a line, keyboards of two models, texts in the Western code page, a serial number
// tested in both runs, and a keyboard on the bench when the log ends.
const std::string kLog =
    std::string(
        "======== START OF NEW TEST RUN ========\r\nClavoro V3.2 build 1002,  Windows XP\r\n"
        "Sun Dec 06 08:00:00 2026\r\nOperator identification: J\xfcrgen, \"3\"\r\n"
        "Product identification: KB-104\r\nBatch identification: B1\r\n"
        "Loaded keyboard layout US104.kbl\r\nSerial number: R1\r\nVersion number: V1\r\n"
        "    Keyboard: VID 046D PID C31C, rev 6400, \"M\xfcller\\x\ty \x80\"\r\nUser Selection: "
        "FAILED\r\n"
        "    Chatter: A, 5 ms after its release\r\n    Failure Reason: Key chatter\r\n") +
    std::string("garbage \x01\0\r\n", 12) +
    "User changed keyboard layout to UK105.kbl\r\nSerial number: R2\r\n"
    "Version number: V1\r\r\nUser verification: PASSED\r\nSerial number: R3\r\n"
    "    Keyboard: none\r\nUser verification: PASSED\r\n"
    "======== START OF NEW TEST RUN ========\r\nSat Dec 05 09:00:00 2026\r\n"
    "Product identification: KB-105\r\nSerial number: R1\r\n"
    "    Keyboard: \\\\?\\ACPI#PNP0303\r\nUser verification: FAILED\r\n"
    "    Failure Reason: Bad row\r\nSerial number: R4\r\nVersion number: V2\r\n";

std::string Retitled(std::string log) {
    log.replace(log.find("Sun Dec 06"), 10, "Mon Dec 07");
    return log;
}

// Each step writes log A (and B when given), imports them, and compares the reports.
struct Step {
    std::string a, b;
    bool again;    // as imported before: nothing is read again, no damage listed again
    bool replaced; // A was replaced: a new generation
};

class StoreCases : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_NE(nullptr, getcwd(cwd_, sizeof cwd_));
        a_ = TempPath("a.log");
        b_ = TempPath("b.log");
        if (std::string(GetParam()) == "sqlite") {
            where_ = TempPath("store.db");
            return;
        }
        const char* server = std::getenv("CLAVORO_TEST_POSTGRES");
        ASSERT_NE(nullptr, server)
            << "CLAVORO_TEST_POSTGRES names no server (scripts/test starts one)";
        // A schema of its own for each case, since cases run side by side.
        schema_ = "clavoro_t" + std::to_string(getpid());
        where_ = std::string(server) + "&options=-csearch_path%3D" + schema_;
        Sql(server, "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE; CREATE SCHEMA " + schema_);
    }
    void TearDown() override {
        EXPECT_EQ(0, chdir(cwd_));
        if (!schema_.empty()) {
            Sql(std::getenv("CLAVORO_TEST_POSTGRES"), "DROP SCHEMA " + schema_ + " CASCADE");
        }
        for (const std::string& f : {a_, b_, where_, where_ + "-wal", where_ + "-shm"}) {
            std::remove(f.c_str());
        }
    }
    static void Sql(const char* server, const std::string& sql) {
        PGconn* c = PQconnectdb(server);
        PGresult* r = PQexec(c, ("SET client_min_messages = warning; " + sql).c_str());
        EXPECT_EQ(PGRES_COMMAND_OK, PQresultStatus(r)) << PQerrorMessage(c);
        PQclear(r);
        PQfinish(c);
    }
    // The first column of a query's rows, a line each.
    std::string Store(const std::string& sql) {
        StoreDb db;
        EXPECT_EQ(1, OpenStoreDb(&db, where_.c_str())) << db.error;
        DbRows rows{};
        std::string out;
        EXPECT_EQ(1, DbQuery(&db, &rows, sql.c_str())) << db.error << sql;
        while (DbNext(&rows) == 1) {
            out += std::string(DbText(&rows, 0)) + "\n";
        }
        DbEndRows(&rows);
        CloseStoreDb(&db);
        return out;
    }
    ResultsStore* Open(int codePage = kWestern) {
        ResultsStore* store = nullptr;
        char error[600] = "";
        EXPECT_EQ(0, OpenResultsStore(where_.c_str(), codePage, &store, error, sizeof error))
            << error;
        return store;
    }
    void Import(const std::string& log, int codePage = kWestern) {
        ResultsStore* store = Open(codePage);
        char error[600] = "";
        EXPECT_EQ(1, ImportLog(store, log.c_str(), nullptr, error, sizeof error)) << error;
        CloseResultsStore(store);
    }
    void ExpectReport(const std::vector<Generation>& logs, int codePage = kWestern) {
        ResultsStore* store = Open(codePage);
        ASSERT_NE(nullptr, store);
        const std::string direct = Everything(logs, nullptr, codePage);
        const std::string stored = Everything(logs, store);
        EXPECT_TRUE(direct == stored) << FirstDifference(direct, stored);
        CloseResultsStore(store);
    }
    // Writes, imports and compares, step by step; `atOnce` imports log A from a second
    // connection at the same time.
    void Play(const std::vector<Step>& steps, bool atOnce = false) {
        for (const Step& step : steps) {
            Write(a_, step.a);
            std::vector<std::string> logs = {a_};
            if (!step.b.empty()) {
                Write(b_, step.b);
                logs.push_back(b_);
            }
            // The generations expected: A's last one is replaced by a new one or grows.
            if (step.replaced || aAt_ < 0) {
                aAt_ = static_cast<int>(expected_.size());
                expected_.push_back({RealPath(a_), ""});
                if (++aGenerations_ > 1) {
                    expected_.back().name += ", generation " + std::to_string(aGenerations_);
                }
            }
            expected_[static_cast<size_t>(aAt_)].text = step.a;
            if (!step.b.empty()) {
                bAt_ = bAt_ < 0 ? static_cast<int>(expected_.size()) : bAt_;
                expected_.resize(std::max(expected_.size(), static_cast<size_t>(bAt_ + 1)));
                expected_[static_cast<size_t>(bAt_)] = {RealPath(b_), step.b};
            }
            std::thread other([&] {
                if (atOnce) {
                    Import(a_);
                }
            });
            ResultsStore* store = Open();
            char error[600] = "";
            MemoryOutput damage;
            for (size_t i = 0; store != nullptr && i < logs.size(); ++i) {
                EXPECT_EQ(1, ImportLog(store, logs[i].c_str(), damage.file, error, sizeof error))
                    << error;
            }
            const std::string listed = damage.Take();
            EXPECT_TRUE(!step.again || listed.empty()) << listed;
            other.join();
            if (store != nullptr) {
                EXPECT_EQ(0, ImportLog(store, "/nonexistent.log", nullptr, error, sizeof error));
                CloseResultsStore(store);
            }
            ExpectReport(expected_);
        }
    }
    char cwd_[PATH_MAX];
    std::string a_, b_, where_, schema_;
    std::vector<Generation> expected_; // in order of first import
    int aAt_ = -1, bAt_ = -1, aGenerations_ = 0;
};

// The log with 10001 damaged lines and 3000 keyboards more: more damaged lines than an
// import keeps waiting at once, and enough rows for SQLite's writer thread.
std::string LongLog() {
    std::string log = kLog;
    for (int i = 0; i <= 10000; ++i) {
        log += "x\r\n";
    }
    for (int i = 0; i < 3000; ++i) {
        log += "Serial number: S" + std::to_string(i) + "\r\nUser verification: PASSED\r\n";
    }
    return log;
}

TEST_P(StoreCases, ImportsAndGenerations) {
    // Imported twice, then growing from every kind of cut: in a header, a keyboard's
    // records, a verdict line, a damaged line, after a verdict that waits for its reason.
    std::vector<Step> steps = {{kLog, "", false, false}, {kLog, "", true, false}};
    size_t cut = 0;
    for (const char* at :
         {"Sun Dec", "\r\nVersion number: V1", "ge \x01", "PASSED\r\nSerial number: R3",
          "FAILED\r\n    Failure", "Bad row", "R4\r\n"}) {
        cut = kLog.find(at, cut);
        ASSERT_NE(std::string::npos, cut) << at;
        cut += 4;
        // The first cut is shorter than the log imported: a new generation; then it grows.
        steps.push_back({kLog.substr(0, cut), "", false, steps.size() == 2});
    }
    steps.push_back({kLog, "", false, false});
    Play(steps);
    // Overwritten by a shorter log, and by one of the same size whose first bytes changed:
    // the earlier generations stay; a second log, reported after them.
    const std::string shorter = kLog.substr(0, kLog.find("Serial number: R3"));
    Play({{shorter, "", false, true}, {Retitled(shorter), kLog, false, true}});
    EXPECT_EQ("4\n", Store("SELECT count(*) FROM generations g JOIN sources s ON s.source_id ="
                           " g.source_id WHERE s.path = '" +
                           RealPath(a_) + "'"));
    // Removing the log removes all its generations and nothing else.
    ResultsStore* store = Open();
    char error[600] = "";
    long keyboards = 0;
    EXPECT_EQ(0, ForgetLog(store, "/nonexistent/x.log", &keyboards, error, sizeof error));
    EXPECT_EQ(0, ForgetLog(store, TempPath("never.log").c_str(), &keyboards, error, sizeof error));
    EXPECT_EQ(1, ForgetLog(store, a_.c_str(), &keyboards, error, sizeof error)) << error;
    EXPECT_EQ(5 + 5 + 2 + 2, keyboards);
    CloseResultsStore(store);
    ExpectReport({{RealPath(b_), kLog}});
    EXPECT_EQ("1\n", Store("SELECT count(*) FROM sources"));
}

// Every spelling of one log's path is one source: ".", "..", a symbolic link.
TEST_P(StoreCases, OneLogOneSource) {
    const std::string folder = TempPath("logs"), link = TempPath("link.log");
    ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
    ASSERT_EQ(0, mkdir((folder + "/sub").c_str(), 0700));
    const std::string log = folder + "/test.log";
    Write(log, kLog);
    ASSERT_EQ(0, symlink(log.c_str(), link.c_str()));
    ASSERT_EQ(0, chdir(folder.c_str()));
    for (const std::string& spelling : {log, folder + "/./test.log", std::string("sub/../test.log"),
                                        std::string("test.log"), link}) {
        Import(spelling);
    }
    ExpectReport({{RealPath(log), kLog}});
    EXPECT_EQ("1\n", Store("SELECT count(*) FROM sources"));
    for (const std::string& f : {log, link, folder + "/sub", folder}) {
        std::remove(f.c_str());
    }
}

// An import that finds nothing new (here a log whose run is still open) changes nothing
// in the store; SQLite's planner has statistics of the rows.
TEST_P(StoreCases, UnchangedLogWritesNothing) {
    Write(a_, kLog.substr(0, kLog.find("Serial number: R3"))); // a run open, its layouts kept
    Import(a_);
    const bool lite = schema_.empty();
    const std::string rows =
        "SELECT string_agg(xmin::text || ctid::text, ',') FROM (SELECT xmin, ctid FROM"
        " generations UNION ALL SELECT xmin, ctid FROM runs UNION ALL SELECT xmin, ctid FROM"
        " keyboard_tests UNION ALL SELECT xmin, ctid FROM damaged_lines) t";
    StoreDb watcher; // SQLite's data_version changes when another connection writes
    ASSERT_EQ(1, OpenStoreDb(&watcher, where_.c_str()));
    DbRows version{};
    const auto look = [&] {
        EXPECT_EQ(1, DbQuery(&watcher, &version, lite ? "PRAGMA data_version" : rows.c_str()));
        EXPECT_EQ(1, DbNext(&version));
        const std::string seen = DbText(&version, 0);
        DbEndRows(&version);
        return seen;
    };
    const std::string before = look();
    Import(a_);
    EXPECT_EQ(before, look());
    CloseStoreDb(&watcher);
    if (lite) {
        EXPECT_EQ("1\n",
                  Store("SELECT count(*) > 0 FROM sqlite_stat1 WHERE tbl = 'keyboard_tests'"));
    }
}

// A log read by another reader, or whose saved reader state is damaged, is read again
// from its start (a row changed by hand comes back as the log has it), once; so is a
// log read in another code page.
TEST_P(StoreCases, ReadAgainByAnotherReader) {
    Write(a_, kLog);
    Import(a_);
    for (const char* change : {"reader_version = 'another'", "reader_state = 'damaged'",
                               "reader_state = replace(reader_state, 'verdict\t', 'verdict\t9')",
                               "reader_state = replace(reader_state, 'rev\t', 'rev\t12345')",
                               "reader_state = reader_state || '\nforeign line'"}) {
        StoreDb db;
        ASSERT_EQ(1, OpenStoreDb(&db, where_.c_str()));
        EXPECT_EQ(1, DbExec(&db, (std::string("UPDATE generations SET ") + change +
                                  "; UPDATE keyboard_tests SET serial = 'changed'")
                                     .c_str()))
            << db.error;
        CloseStoreDb(&db);
        Import(a_);
        ExpectReport({{RealPath(a_), kLog}});
    }
    Import(a_, kCyrillic);
    ExpectReport({{RealPath(a_), kLog}}, kCyrillic);
}

// A store made by the version before this schema (tests/data/store, made from landed.log:
// an SQLite file, and for PostgreSQL its dump) is migrated in place when opened, its texts
// into UTF-8 and its source named as the log found from here, and reports as the log does;
// the next import reads the log again and adds nothing. A newer store is refused.
TEST_P(StoreCases, EarlierStoreMigratesNewerRefused) {
    const std::string data = std::string(CLAVORO_TEST_DATA) + "/store/";
    if (schema_.empty()) {
        Write(where_, FileText(data + "landed.db"));
    } else {
        Sql(std::getenv("CLAVORO_TEST_POSTGRES"),
            "SET search_path = " + schema_ + "; " + FileText(data + "landed.pgsql"));
    }
    ASSERT_EQ(0, chdir(data.c_str()));
    const std::vector<Generation> landed = {{RealPath("landed.log"), FileText("landed.log")}};
    ExpectReport(landed);
    Import("landed.log");
    ExpectReport(landed);
    StoreDb db;
    ASSERT_EQ(1, OpenStoreDb(&db, where_.c_str()));
    EXPECT_EQ(1, DbExec(&db, "UPDATE store_version SET schema_version = 4"));
    CloseStoreDb(&db);
    ResultsStore* store = nullptr;
    char error[600] = "";
    EXPECT_EQ(1, OpenResultsStore(where_.c_str(), kWestern, &store, error, sizeof error));
    EXPECT_NE(nullptr, std::strstr(error, "made by a newer clavoro-report (schema version 4;"))
        << error;
}

// Imports of one log from two connections at once, into a store they both create, and
// again when the log has grown.
TEST_P(StoreCases, TwoImportsAtOnce) {
    const std::string log = LongLog();
    Play({{log.substr(0, log.size() / 2), "", false, false}, {log, "", false, false}}, true);
}

// A store that refuses a row in the middle of an import (a trigger refuses the log's
// second run, then its keyboard R3, which SQLite's writer thread meets): nothing of the
// log is kept, and the import says why.
TEST_P(StoreCases, FailedImportKeepsNothing) {
    Write(a_, LongLog());
    ResultsStore* store = Open();
    ASSERT_NE(nullptr, store);
    char error[600] = "";
    for (const char* refused :
         {"runs WHEN NEW.product = 'KB-105'", "keyboard_tests WHEN NEW.serial = 'R3'"}) {
        const std::string table(refused, std::strchr(refused, ' '));
        const std::string when = std::strchr(refused, ' ') + 6;
        StoreDb db;
        ASSERT_EQ(1, OpenStoreDb(&db, where_.c_str())) << db.error;
        const std::string trigger =
            schema_.empty()
                ? "DROP TRIGGER IF EXISTS refuse; CREATE TRIGGER refuse BEFORE INSERT ON " + table +
                      " WHEN " + when + " BEGIN SELECT RAISE(ABORT, 'refused'); END"
                : "CREATE OR REPLACE FUNCTION refuse() RETURNS trigger AS $$BEGIN RAISE"
                  " EXCEPTION 'refused'; END$$ LANGUAGE plpgsql; DROP TRIGGER IF EXISTS refuse"
                  " ON runs; CREATE TRIGGER refuse BEFORE INSERT ON " +
                      table + " FOR EACH ROW WHEN (" + when + ") EXECUTE FUNCTION refuse()";
        EXPECT_EQ(1, DbExec(&db, trigger.c_str())) << db.error;
        CloseStoreDb(&db);
        EXPECT_EQ(-1, ImportLog(store, a_.c_str(), nullptr, error, sizeof error));
        EXPECT_NE(std::string::npos, std::string(error).find("refused")) << error;
        EXPECT_NE('\n', error[std::strlen(error) - 1]);
        const std::string none = Everything({}, nullptr), stored = Everything({}, store);
        EXPECT_TRUE(none == stored) << FirstDifference(none, stored);
    }
    CloseResultsStore(store);
}

// A log on a network share is named as the server names it, wherever it is mounted; a
// local disk, also one mounted on a share's folder, by the path.
TEST(SourceName, NetworkSharesByTheServersName) {
    const std::string mounts = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                               "30 22 0:40 / /srv/clavoro rw - cifs //files/clavoro rw\n"
                               "31 22 0:41 /export/logs /mnt/line\\0403 rw - nfs4 files:/ rw\n"
                               "32 30 8:2 / /srv/clavoro/local rw - ext4 /dev/sdb1 rw\n"
                               "33 22 0:42 / /srv/clavoro2 rw shared:5 - smb3 //files/clavoro rw\n";
    const std::pair<const char*, const char*> cases[] = {
        {"/srv/clavoro/line3/test.log", "//files/clavoro/line3/test.log"},
        {"/srv/clavoro2/line3/test.log", "//files/clavoro/line3/test.log"},
        {"/mnt/line 3/test.log", "files:/export/logs/test.log"},
        {"/srv/clavoro/local/test.log", "/srv/clavoro/local/test.log"},
        {"/srv/clavoroX/test.log", "/srv/clavoroX/test.log"},
        {"/home/test.log", "/home/test.log"}};
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(name, NameOnServer(path, mounts)) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreCases, ::testing::Values("sqlite", "postgres"));

} // namespace
