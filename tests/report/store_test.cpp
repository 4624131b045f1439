// The results store against SQLite and a PostgreSQL server: whatever was imported, and
// however often, the store's report is the report of the logs as they stand.
#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/report/memory_output.h"
#include "tests/temp_path.h"
#include "tools/clavoro_report/log_file.h"
#include "tools/clavoro_report/packed_keyboards.h"
#include "tools/clavoro_report/report_html.h"
#include "tools/clavoro_report/report_model.h"
#include "tools/clavoro_report/report_text.h"
#include "tools/clavoro_report/results_store.h"
#include "tools/clavoro_report/store_db.h"

namespace {

// Summary, CSV, page and damaged lines; the summary and page without a CSV; the tests of
// serial R1: from the logs or the store.
std::string Everything(const std::vector<std::string>& logs, ResultsStore* store) {
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
            EXPECT_EQ(1, ReplayStore(store, ReportEvents(&report), serial, error, sizeof error))
                << error;
        }
        for (size_t i = 0; store == nullptr && i < logs.size(); ++i) {
            static LogReader reader;
            StartLogReader(&reader, ReportEvents(&report), logs[i].c_str());
            ReadLogFile(&reader, logs[i].c_str());
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

void Import(const std::string& where, const std::string& log) {
    ResultsStore* store = nullptr;
    char error[600] = "";
    ASSERT_EQ(0, OpenResultsStore(where.c_str(), &store, error, sizeof error)) << error;
    EXPECT_EQ(1, ImportLog(store, log.c_str(), nullptr, error, sizeof error)) << error;
    CloseResultsStore(store);
}

// Two runs, the later one written first; a layout change, damage (a NUL in it), a CR
// inside a line, keyboards of two models, a serial number tested in both runs, and a
// keyboard on the bench when the log ends.
const std::string kLog =
    std::string(
        "======== START OF NEW TEST RUN ========\r\nClavoro V3.2 build 1002,  Windows XP\r\n"
        "Sun Dec 06 08:00:00 2026\r\nOperator identification: Anna, \"3\"\r\n"
        "Product identification: KB-104\r\nBatch identification: B1\r\n"
        "Loaded keyboard layout US104.kbl\r\nSerial number: R1\r\nVersion number: V1\r\n"
        "    Keyboard: VID 046D PID C31C, rev 6400, \"M\xfcller\\x\ty\"\r\nUser Selection: "
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
    bool again; // as imported before: nothing is read again, no damage listed again
};

class StoreCases : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
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
            std::thread other([&] {
                if (atOnce) {
                    Import(where_, a_);
                }
            });
            ResultsStore* store = nullptr;
            char error[600] = "";
            EXPECT_EQ(0, OpenResultsStore(where_.c_str(), &store, error, sizeof error)) << error;
            MemoryOutput damage;
            for (size_t i = 0; store != nullptr && i < logs.size(); ++i) {
                EXPECT_EQ(1, ImportLog(store, logs[i].c_str(), damage.file, error, sizeof error))
                    << error;
            }
            const std::string listed = damage.Take();
            EXPECT_TRUE(!step.again || listed.empty()) << listed;
            other.join();
            if (store != nullptr) {
                const std::string direct = Everything(logs, nullptr);
                const std::string stored = Everything(logs, store);
                EXPECT_TRUE(direct == stored) << step.a.size() << FirstDifference(direct, stored);
                EXPECT_EQ(0, ImportLog(store, "/nonexistent.log", nullptr, error, sizeof error));
                CloseResultsStore(store);
            }
        }
    }
    std::string a_, b_, where_, schema_;
};

// The log with 3000 keyboards more: enough rows for SQLite's writer thread.
std::string LongLog() {
    std::string log = kLog;
    for (int i = 0; i < 3000; ++i) {
        log += "Serial number: S" + std::to_string(i) + "\r\nUser verification: PASSED\r\n";
    }
    return log;
}

TEST_P(StoreCases, Imports) {
    // Imported twice, then growing from every kind of cut: in a header, a keyboard's
    // records, a verdict line, a damaged line, after a verdict that waits for its reason.
    std::vector<Step> steps = {{kLog, "", false}, {kLog, "", true}};
    size_t cut = 0;
    for (const char* at : {"Sun Dec", "\r\nVersion number: V1", "PASSED\r\nSerial number: R3",
                           "ge \x01", "FAILED\r\n    Failure", "Bad row", "R4\r\n"}) {
        cut = kLog.find(at, cut) + 4;
        steps.push_back({kLog.substr(0, cut), "", false});
    }
    steps.push_back({kLog, "", false});
    Play(steps);
    // Replaced by a shorter log, and by one of the same size whose first bytes changed; a
    // second log, reported after the first.
    Play({{kLog.substr(0, kLog.find("Serial number: R3")), "", false},
          {Retitled(kLog.substr(0, kLog.find("Serial number: R3"))), kLog, false}});
}

// Imports of one log from two connections at once, into a store they both create, and
// again when the log has grown.
TEST_P(StoreCases, TwoImportsAtOnce) {
    const std::string log = LongLog();
    Play({{log.substr(0, log.size() / 2), "", false}, {log, "", false}}, true);
}

// A store that refuses a row in the middle of an import (a trigger refuses the log's
// second run, then its keyboard R3, which SQLite's writer thread meets): nothing of the
// log is kept, and the import says why.
TEST_P(StoreCases, FailedImportKeepsNothing) {
    Write(a_, LongLog());
    ResultsStore* store = nullptr;
    char error[600] = "";
    ASSERT_EQ(0, OpenResultsStore(where_.c_str(), &store, error, sizeof error)) << error;
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
        const std::string none = Everything({}, nullptr), stored = Everything({}, store);
        EXPECT_TRUE(none == stored) << FirstDifference(none, stored);
    }
    CloseResultsStore(store);
}

// Texts that grow, shrink, empty and fill their fields come back; bytes cut anywhere or
// a verdict out of range are refused, never read past.
TEST(PackedKeyboards, BackAsPackedAndDamageRefused) {
    static KeyboardRecord kbs[4];
    const std::string full(kFieldLength - 1, 'x');
    const char* serials[] = {"SN-0999", "SN-1000", "SN-10", ""};
    for (int i = 0; i < 4; ++i) {
        kbs[i] = {};
        kbs[i].line = 10 + 3 * i + (i == 3 ? 900 : 0);
        kbs[i].verdict = i;
        std::strcpy(kbs[i].serial, serials[i]);
        std::strcpy(kbs[i].keyboardVid, i % 2 == 0 ? "046D" : "");
        std::strcpy(kbs[i].reason, i == 2 ? full.c_str() : "Bad key");
        std::strcpy(kbs[i].keyboardName, i == 1 ? "USB \"Keyboard\"\t\x80" : "");
    }
    static KeyboardPacker packer;
    StartPacking(&packer, 8);
    for (const KeyboardRecord& kb : kbs) {
        PackKeyboard(&packer, kb);
    }
    static KeyboardUnpacker u;
    StartUnpacking(&u, packer.bytes, 8, "a.log");
    for (const KeyboardRecord& kb : kbs) {
        ASSERT_EQ(1, UnpackKeyboard(&u));
        EXPECT_STREQ("a.log", u.keyboard.file);
        EXPECT_EQ(kb.line, u.keyboard.line);
        EXPECT_EQ(kb.verdict, u.keyboard.verdict);
        for (const auto& text : {&KeyboardRecord::serial, &KeyboardRecord::reason,
                                 &KeyboardRecord::keyboardName, &KeyboardRecord::version}) {
            EXPECT_STREQ(kb.*text, u.keyboard.*text);
        }
        EXPECT_STREQ(kb.keyboardVid, u.keyboard.keyboardVid);
    }
    EXPECT_EQ(0, UnpackKeyboard(&u));
    for (size_t cut = 1; cut < packer.bytes.size(); ++cut) {
        const std::string part = packer.bytes.substr(0, cut); // ASan sees a read past it
        StartUnpacking(&u, part, 8, "a.log");
        int next = 1, keyboards = 0;
        while ((next = UnpackKeyboard(&u)) == 1) {
            ++keyboards;
        }
        EXPECT_TRUE(next == -1 || (next == 0 && keyboards < 4)) << cut;
    }
    // A line that does not go forward, a text beyond the last, more of a text shared than
    // there was, a text longer than the bytes left, a serial number longer than its field.
    for (const std::string& bad :
         {std::string("\x00\x00", 2), std::string("\x01\x80\x10"), std::string("\x01\x04\x05\x00"),
          std::string("\x01\x04\x00\x7fz"),
          std::string("\x01\x04\x00\x80\x02", 5) + std::string(kFieldLength, 'z')}) {
        StartUnpacking(&u, bad, 8, "a.log");
        EXPECT_EQ(-1, UnpackKeyboard(&u)) << bad.size();
    }
    const std::string incomplete = "\x01\x03";
    StartUnpacking(&u, incomplete, 8, "a.log");
    EXPECT_EQ(1, UnpackKeyboard(&u));
    EXPECT_EQ(VerdictIncomplete, u.keyboard.verdict);
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreCases, ::testing::Values("sqlite", "postgres"));

} // namespace
