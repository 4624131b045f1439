#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/clavoro_report/log_file.h"
#include "tools/clavoro_report/log_reader.h"

namespace {

// Everything the reader reported, as short readable lines.
struct Seen {
    std::vector<std::string> keyboards; // "serial version layout verdict reason"
    std::vector<std::string> runs;      // "operator/product/batch date"
    std::vector<long> unplaced;         // line numbers
};

void OnKeyboard(void* c, const RunHeader&, const KeyboardRecord& k) {
    static_cast<Seen*>(c)->keyboards.push_back(std::string(k.serial) + " " + k.version + " " +
                                               k.layout + " " + VerdictName(k.verdict) + " [" +
                                               k.reason + "] @" + std::to_string(k.line));
}
void OnRunEnded(void* c, const RunHeader& r) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", r.year, r.month, r.day);
    static_cast<Seen*>(c)->runs.push_back(std::string(r.operatorId) + "/" + r.productId + "/" +
                                          r.batchId + " " + date + " " + r.osName);
}
void OnUnplaced(void* c, const char*, long line, const char*, size_t) {
    static_cast<Seen*>(c)->unplaced.push_back(line);
}

void Start(LogReader* reader, Seen* seen, const char* name) {
    LogEvents events{};
    events.context = seen;
    events.keyboardDone = OnKeyboard;
    events.runEnded = OnRunEnded;
    events.unplacedLine = OnUnplaced;
    StartLogReader(reader, events, name);
}

Seen Read(const std::string& log) {
    Seen seen;
    LogReader reader;
    Start(&reader, &seen, "t.log");
    ReadLogBuffer(&reader, log.data(), log.size());
    FinishLogReader(&reader);
    return seen;
}

const std::string kHeader = "======== START OF NEW TEST RUN ========\r\n"
                            "Clavoro V3.2 build 1002,  Windows XP\r\n"
                            "Sat Dec 05 15:17:58 2026\r\n"
                            "Operator identification: op\r\n"
                            "Product identification: prod\r\n"
                            "Batch identification: b1\r\n"
                            "Loaded keyboard layout US104.kbl\r\n";

TEST(LogReader, VerdictsOfAWholeRun) {
    Seen seen =
        Read(kHeader + "Serial number: S1\r\nVersion number: V1\r\nUser verification: PASSED\r\n"
                       "Serial number: S2\r\nVersion number: V1\r\nUser verification: FAILED\r\n"
                       "    Failure Reason: Bad row\r\n"
                       "Serial number: S3\r\nVersion number: V1\r\nUser Selection: FAILED\r\n"
                       "    Failure Reason: Other reason\r\n"
                       "Serial number: S4\r\nVersion number: V2\r\n");
    ASSERT_EQ(4u, seen.keyboards.size());
    EXPECT_EQ("S1 V1 US104 PASSED [] @8", seen.keyboards[0]);
    EXPECT_EQ("S2 V1 US104 FAILED by the operator after verification [Bad row] @11",
              seen.keyboards[1]);
    EXPECT_EQ("S3 V1 US104 FAILED by the test [Other reason] @15", seen.keyboards[2]);
    EXPECT_EQ("S4 V2 US104 INCOMPLETE [] @19", seen.keyboards[3]);
    ASSERT_EQ(1u, seen.runs.size());
    EXPECT_EQ("op/prod/b1 2026-12-05 Windows XP", seen.runs[0]);
    EXPECT_TRUE(seen.unplaced.empty());
}

TEST(LogReader, AppendedRunsKeyTraceAndLayoutChanges) {
    std::string trace = "=============================================\n"
                        "Key Down: Windows - 65, BIOS - 30\n"
                        "Attempting key match of type 1\n"
                        "Key matched: A. Current status 0\n"
                        "Recorded time key depressed\n"
                        "New status 1\n"
                        "Completed Key down processing\n"
                        "Checking whether the test has passed. User verifiaction required: 1\n";
    std::string lf = kHeader;
    for (size_t p; (p = lf.find("\r\n")) != std::string::npos;) {
        lf.erase(p, 1); // the same run with LF line ends
    }
    Seen seen = Read(kHeader + "Serial number: A\r\nVersion number: 1\r\n" + trace +
                     "User verification: PASSED\r\n" + lf +
                     "User changed keyboard layout to UK105.kbl\n"
                     "Serial number: B\nVersion number: 1\n" +
                     trace + "User verification: FAILED\n    Failure Reason: Bad LEDs\n");
    ASSERT_EQ(2u, seen.keyboards.size());
    EXPECT_EQ("A 1 US104 PASSED [] @8", seen.keyboards[0]);
    EXPECT_EQ("B 1 UK105 FAILED by the operator after verification [Bad LEDs] @27",
              seen.keyboards[1]);
    EXPECT_EQ(2u, seen.runs.size());
    EXPECT_TRUE(seen.unplaced.empty());
}

TEST(LogReader, DamageIsReportedByLineAndTheRestStillCounts) {
    std::string garbage("\x01\x02garbage\xff\xfe", 11);
    std::string withNul("Serial number: X\0Y", 18);
    Seen seen = Read("stray line before any run\n" + kHeader + garbage + "\r\n" + withNul +
                     "\r\nUser verification: PASSED\r\n" + "    Failure Reason: Bad key\r\n" +
                     std::string(100000, 'z') + "\r\n" +
                     "======== START OF NEW TEST RUN ========\r\n" +   // a header without records
                     "Clavoro V3.2 build 1002,  NT4\r\nSat Dec 05 1"); // cut off
    ASSERT_EQ(1u, seen.keyboards.size());
    EXPECT_EQ("X?Y  US104 PASSED [] @10", seen.keyboards[0]);
    EXPECT_EQ((std::vector<long>{1, 9, 12, 13, 16}), seen.unplaced);
    ASSERT_EQ(2u, seen.runs.size());
    EXPECT_EQ("// 0000-00-00 NT4", seen.runs[1]);
}

TEST(LogReader, HeaderRecordsAfterTheFirstKeyboardAreNotTakenForHeaders) {
    Seen seen = Read(kHeader + "Serial number: A\r\nOperator identification: late\r\n"
                               "User verification: PASSED\r\n");
    EXPECT_EQ((std::vector<long>{9}), seen.unplaced);
    EXPECT_EQ("op/prod/b1 2026-12-05 Windows XP", seen.runs[0]);
}

TEST(LogReader, Dates) {
    const char* const cases[][2] = {
        {"Sat Dec 05 15:17:58 2026", "1 2026-12-5"}, {"Mon Jan 31 00:00:00 2000", "1 2000-1-31"},
        {"Sat Dec  5 15:17:58 2026", "0 0-0-0"}, // asctime's blank-padded day is not ours
        {"Sat Dez 05 15:17:58 2026", "0 0-0-0"},     {"Sat Dec 05 15:17:58 2026 ", "0 0-0-0"},
        {"Xyz Dec 05 15:17:58 2026", "0 0-0-0"},
    };
    for (const auto& c : cases) {
        int y = 0, m = 0, d = 0;
        const int ok = ParseLogDate(c[0], std::strlen(c[0]), &y, &m, &d);
        EXPECT_EQ(c[1], std::to_string(ok) + " " + std::to_string(y) + "-" + std::to_string(m) +
                            "-" + std::to_string(d))
            << c[0];
    }
}

TEST(LogFile, LinesLongerThanABlockAndAMissingFile) {
    std::string path = ::testing::TempDir() + "clavoro_report_long.log";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::string log = kHeader + "Serial number: " + std::string(3 << 20, 'Q') +
                      "\r\nVersion number: 9\r\nUser verification: PASSED";
    std::fwrite(log.data(), 1, log.size(), f);
    std::fclose(f);

    Seen seen;
    LogReader reader;
    Start(&reader, &seen, path.c_str());
    ASSERT_EQ(1, ReadLogFile(&reader, path.c_str()));
    ASSERT_EQ(1u, seen.keyboards.size());
    EXPECT_EQ(std::string(kFieldLength - 1, 'Q') + " 9 US104 PASSED [] @8", seen.keyboards[0]);
    EXPECT_TRUE(seen.unplaced.empty());
    std::remove(path.c_str());

    EXPECT_EQ(0, ReadLogFile(&reader, (path + ".missing").c_str()));
}

} // namespace
