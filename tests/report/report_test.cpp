#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "report/log_file.h"
#include "report/report_html.h"
#include "report/report_model.h"
#include "report/report_text.h"
#include "tests/report/memory_output.h"
#include "tests/temp_path.h"

namespace {

struct Outputs {
    std::string text, csv, html; // the CSV without its header, with LF line ends
};

// The whole report over logs given as texts, each read as "t.log"; the lines that
// could not be placed are listed after the CSV rows.
Outputs RunReport(const std::vector<std::string>& logs, ReportFilters filters = {}) {
    static Report report;
    StartReport(&report, filters);
    MemoryOutput text, csv, html;
    report.csv = report.warnings = csv.file;
    for (const std::string& log : logs) {
        static LogReader reader;
        StartLogReader(&reader, ReportEvents(&report), "t.log");
        const std::vector<char> exact(log.begin(), log.end()); // nothing to read past it
        ReadLogText(&reader, exact.data(), exact.size());
    }
    FinishReport(&report);
    WriteTextSummary(text.file, report);
    WriteHtmlReport(html.file, report);
    Outputs out = {text.Take(), csv.Take(), html.Take()};
    for (size_t p; (p = out.csv.find('\r')) != std::string::npos;) {
        out.csv.erase(p, 1);
    }
    return out;
}

const std::string kHeader = "======== START OF NEW TEST RUN ========\r\n"
                            "Clavoro V3.2 build 1002,  Windows XP\r\n"
                            "Sat Dec 05 15:17:58 2026\r\n"
                            "Operator identification: op\r\n"
                            "Product identification: prod\r\n"
                            "Batch identification: b1\r\n"
                            "Loaded keyboard layout US104.kbl\r\n";
const std::string kRun = "2026-12-05,op,prod,b1,";

// Each keyboard of the logs as its CSV row, and every line that belongs nowhere. (The
// golden test of three_keyboards.log shows every verdict and the key-matching records.)
TEST(LogReader, RunsKeyboardsAndDamage) {
    const std::string field(300, 'v'), cut(255, 'v'), stray = "stray" + std::string(75, 's');
    const std::pair<std::string, std::string> cases[] = {
        // Appended runs, the second with LF line ends and none after its last line.
        {kHeader + "Serial number: A\r\nUser verification: PASSED\r\n" +
             "======== START OF NEW TEST RUN ========\nSat Dec 06 08:00:00 2026\n" +
             "Product identification: p2\nSerial number: B\nUser verification: FAILED\n" +
             "    Failure Reason: Bad LEDs\nUser Selection: FAILED", // the reason ends the keyboard
         "t.log,8," + kRun + "US104,A,,PASSED,,,,,,\n" +
             "t.log,13,2026-12-06,,p2,,,B,,FAILED by the operator after verification,Bad "
             "LEDs,,,,,\n"
             "t.log:16: could not place line: User Selection: FAILED\n"},
        // Before any run, damage, a header record after the first keyboard, a reason
        // without a verdict, a verdict without a keyboard, a late version; a run cut off in its
        // date.
        {stray + "\nKey Up: Windows - 65, BIOS - 30\n" + kHeader + "\x01garbage~\x7f\xff\r\n" +
             std::string("Serial number: X\0Y\tZ\x7f\r\n", 23) +
             "Operator identification: late\r\n" +
             "    Failure Reason: Bad key\r\nUser verification: PASSED\r\nUser Selection: "
             "FAILED\r\n" +
             "Version number: 2\r\n" + std::string(100, 'z') +
             "\r\n======== START OF NEW TEST RUN ========\r\n" + "Serial number: Y\r\nSat Dec 05 1",
         "t.log:1: could not place line: " + stray +
             "\n" // 80 characters: all shown
             "t.log:2: could not place line: Key Up: Windows - 65, BIOS - 30\n"
             "t.log:10: could not place line: ?garbage~??\n"
             "t.log:12: could not place line: Operator identification: late\n"
             "t.log:13: could not place line:     Failure Reason: Bad key\n"
             "t.log,11," +
             kRun +
             "US104,X?Y\tZ?,,PASSED,,,,,,\n"
             "t.log:15: could not place line: User Selection: FAILED\n"
             "t.log:16: could not place line: Version number: 2\n"
             "t.log:17: could not place line: " +
             std::string(80, 'z') +
             "...\n"
             "t.log:20: could not place line: Sat Dec 05 1\n"
             "t.log,19,unknown,,,,,Y,,INCOMPLETE,,,,,,\n"},
        // Values are cut to the field; a layout's ".kbl" is dropped, only at the end.
        {"======== START OF NEW TEST RUN ========\nBatch identification: " + field +
             "\nLoaded keyboard layout .kbl\nSerial number: " + field +
             "\nLoaded keyboard layout x.kb\nSerial number: 2\n",
         "t.log,4,unknown,,," + cut + ",," + cut + ",,INCOMPLETE,,,,,,\nt.log,6,unknown,,," + cut +
             ",x.kb,2,,INCOMPLETE,,,,,,\n"},
        // A chatter names its key (a comma key too) before the reason; its /t record is known;
        // a chatter record without its gap is damage.
        {kHeader + "Serial number: C\r\nKey chatter: pressed 4 ms after its release (threshold " +
             "30 ms)\r\nUser Selection: FAILED\r\n    Chatter: ,, 19 ms after its release\r\n" +
             "    Chatter: A, ms after its release\r\n    Failure Reason: Key chatter\r\n",
         "t.log:12: could not place line:     Chatter: A, ms after its release\n"
         "t.log,8," +
             kRun + "US104,C,,FAILED by the test,Key chatter,\",\",,,,\n"},
        // The Keyboard record: ids, revision and a name; a device without ids; none. Before its
        // keyboard's verdict, exactly of its form; the last one names the keyboard. A /t record of
        // a key not tested is no damage.
        {kHeader + "Serial number: K1\r\nVersion number: V\r\n" +
             "    Keyboard: VID 09AF PID C31C, rev 6400, \"Logi, USB\"\r\n" +
             "    Keyboard: VID 046D PID C31C\r\nNot tested: by a program\r\n" +
             "User verification: PASSED\r\n" +
             "Serial number: K2\r\n    Keyboard: \\\\?\\ACPI#PNP0303#4&1d8\r\n" +
             "User Selection: FAILED\r\n    Keyboard: none\r\n    Failure Reason: Bad key\r\n" +
             "Serial number: K3\r\n    Keyboard: VID 046d PID C31C\r\n" +
             "    Keyboard: none, rev 0001\r\n    Keyboard: VID 845E PID 0002, rev 12\r\n" +
             "    Keyboard: \r\n    Keyboard: x, \"\r\n    Keyboard: none\r\n" +
             "User verification: PASSED\r\nSerial number: K4\r\n" +
             "    Keyboard: VID 845E PID 0002, \"\"\r\n",
         "t.log,8," + kRun + "US104,K1,V,PASSED,,,046D,C31C,,\n" +
             "t.log:17: could not place line:     Keyboard: none\nt.log,14," + kRun +
             "US104,K2,,FAILED by the test,Bad key,,,,,\\\\?\\ACPI#PNP0303#4&1d8\n" +
             "t.log:20: could not place line:     Keyboard: VID 046d PID C31C\n"
             "t.log:21: could not place line:     Keyboard: none, rev 0001\n"
             "t.log:22: could not place line:     Keyboard: VID 845E PID 0002, rev 12\n"
             "t.log:23: could not place line:     Keyboard: \n"
             "t.log:24: could not place line:     Keyboard: x, \"\nt.log,19," +
             kRun + "US104,K3,,PASSED,,,,,,none\nt.log,27," + kRun +
             "US104,K4,,INCOMPLETE,,,845E,0002,,\n"},
        // A line break typed into a field leaves a CR inside a line: that line and what
        // follows it for the keyboard are damage, never a verdict; so is a header record
        // after the run's first keyboard.
        {kHeader + "Serial number: SN-9\r\r\nUser verification: PASSED\r\n" +
             "Serial number: B\r\nVersion number: V1\r\r\nUser verification: PASSED\r\n" +
             "Serial number: C\r\nUser verification: PASSED\r\nOperator identification: late\r\n",
         "t.log:8: could not place line: Serial number: SN-9?\n"
         "t.log:9: could not place line: User verification: PASSED\nt.log,10," +
             kRun + "US104,B,,INCOMPLETE,,,,,,\n" +
             "t.log:11: could not place line: Version number: V1?\n"
             "t.log:12: could not place line: User verification: PASSED\nt.log,13," +
             kRun + "US104,C,,PASSED,,,,,,\n" +
             "t.log:15: could not place line: Operator identification: late\n"},
    };
    for (const auto& [log, csv] : cases) {
        EXPECT_EQ(csv, RunReport({log}).csv) << log.substr(0, 100);
    }
}

TEST(LogReader, Dates) {
    const std::pair<const char*, const char*> cases[] = {
        {"Sat Dec 05 15:17:58 2026", "1 2026-12-5"}, {"Mon Jan 31 00:00:00 2000", "1 2000-1-31"},
        {"Sat Dec  5 15:17:58 2026", "0 0-0-0"}, // asctime's blank-padded day is not ours
        {"Sat Dez 05 15:17:58 2026", "0 0-0-0"},     {"Sat Dec 05 15:17:58 2026 ", "0 0-0-0"},
        {"Xyz Dec 05 15:17:58 2026", "0 0-0-0"},     {"Sat Dec 00 15:17:58 2026", "0 0-0-0"},
        {"Sat Dec 32 15:17:58 2026", "0 0-0-0"},     {"Thu Feb 29 15:17:58 2024", "1 2024-2-29"},
        {"Sun Feb 29 15:17:58 2026", "0 0-0-0"},     {"Sun Feb 29 15:17:58 2100", "0 0-0-0"},
        {"Tue Feb 29 15:17:58 2000", "1 2000-2-29"}, {"Sat Apr 31 15:17:58 2026", "0 0-0-0"},
        {"Sat Dec 05 15:17:58 0000", "0 0-0-0"},     {"Sat Dec 05 23:59:59 2026", "1 2026-12-5"},
        {"Sat Dec 05 24:17:58 2026", "0 0-0-0"},     {"Sat Dec 05 15:60:58 2026", "0 0-0-0"},
        {"Sat Dec 05 15:17:60 2026", "0 0-0-0"}};
    for (const auto& [text, date] : cases) {
        int y = 0, m = 0, d = 0;
        const int ok = ParseLogDate(text, std::strlen(text), &y, &m, &d);
        EXPECT_EQ(date, std::to_string(ok) + " " + std::to_string(y) + "-" + std::to_string(m) +
                            "-" + std::to_string(d))
            << text;
    }
}

// Texts come out in UTF-8 from the code page of the log: each code page's own letters,
// a byte it does not define, a control byte after a letter, and a value cut to its field
// before a character that would not fit whole.
TEST(LogReader, TextsIntoUtf8) {
    const std::string filled(254, 'x');
    const std::tuple<int, std::string, std::string> cases[] = {
        {kWestern, "M\xfcller \x80\x81", "M\xc3\xbcller \xe2\x82\xac\xef\xbf\xbd"},
        {kCentralEuropean, "\x8a\xe8\xfc", "\xc5\xa0\xc4\x8d\xc3\xbc"},
        {kCyrillic, "\xcf\xf0\x80", "\xd0\x9f\xd1\x80\xd0\x82"},
        {kUtf8, "M\xc3\xbcller\xff", "M\xc3\xbcller\xef\xbf\xbd"},
        {kUtf8, "\xc2\x80\xc3\xbf\xf0\x90\x80\x80", "\xc2\x80\xc3\xbf\xf0\x90\x80\x80"},
        {kWestern, "\xfc\x01\t", "\xc3\xbc?\t"},
        {kWestern, filled + "\xfc", filled},
        {kWestern, filled.substr(1) + "\xfc", filled.substr(1) + "\xc3\xbc"}};
    for (const auto& [codePage, text, utf8] : cases) {
        std::string seen;
        LogEvents events{};
        events.context = &seen;
        events.runEnded = [](void* context, const RunHeader& run) {
            *static_cast<std::string*>(context) = run.operatorId;
        };
        static LogReader reader;
        StartLogReader(&reader, events, "t.log", codePage);
        const std::string log = kHeader.substr(0, kHeader.find("Operator")) +
                                "Operator identification: " + text + "\r\n";
        ReadLogText(&reader, log.data(), log.size());
        EXPECT_EQ(utf8, seen) << codePage << " " << text;
    }
}

// The file layer: a line longer than its block keeps its head, every file is closed, a
// missing file fails.
TEST(LogFile, LongLinesClosedFilesAndAMissingFile) {
    const std::string path = TempPath("long.log");
    const std::string log = kHeader + "Serial number: " + std::string(3 << 20, 'Q') +
                            "\r\nVersion number: 9\r\nUser verification: PASSED";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(log.data(), 1, log.size(), f);
    std::fclose(f);
    static Report report;
    StartReport(&report, {});
    MemoryOutput csv;
    report.csv = report.warnings = csv.file;
    LogReader reader;
    StartLogReader(&reader, ReportEvents(&report), "t.log");
    ASSERT_EQ(1, ReadLogFile(&reader, path.c_str()));
    // Each file read is closed: 40 reads under a limit of 32 open files.
    rlimit limit;
    getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit low = {32, limit.rlim_max};
    setrlimit(RLIMIT_NOFILE, &low);
    int read = 0;
    for (int i = 0; i < 40; ++i) {
        LogReader quiet;
        StartLogReader(&quiet, LogEvents{}, "q");
        read += ReadLogFile(&quiet, path.c_str());
    }
    setrlimit(RLIMIT_NOFILE, &limit);
    EXPECT_EQ(40, read);
    std::remove(path.c_str());
    EXPECT_EQ(0, ReadLogFile(&reader, path.c_str()));
    EXPECT_EQ("t.log,8," + kRun + "US104," + std::string(255, 'Q') + ",9,PASSED,,,,,,\r\n",
              csv.Take());
}

// Three runs: one of product "prod" on 2026-12-05, one of "other" without a date, and one
// of "line 3" whose keyboards chattered, the comma key first and A on two of them.
const std::string kThreeRuns =
    kHeader + "Serial number: S1\r\nUser verification: PASSED\r\nSerial number: S2\r\n" +
    "User Selection: FAILED\r\n    Failure Reason: Bad key\r\nSerial number: S3\r\n" +
    "User verification: FAILED\r\n======== START OF NEW TEST RUN ========\r\n" +
    "Product identification: other\r\nSerial number: O\r\nUser Selection: FAILED\r\n" +
    "    Failure Reason: Bad key\r\nSerial number: P\r\nUser verification: FAILED\r\n" +
    "    Failure Reason: Bad row\r\nSerial number: Q\r\n" +
    "======== START OF NEW TEST RUN ========\r\nProduct identification: line 3\r\n" +
    "Serial number: T1\r\nUser Selection: FAILED\r\n    Chatter: ,, 8 ms after its release\r\n" +
    "    Failure Reason: Key chatter\r\nSerial number: T2\r\nUser Selection: FAILED\r\n" +
    "    Chatter: A, 5 ms after its release\r\n    Failure Reason: Bad key\r\n" +
    "Serial number: T3\r\nUser Selection: FAILED\r\n    Chatter: A, 12 ms after its release\r\n" +
    "    Failure Reason: Key chatter\r\n";

// The runs each filter keeps, and the totals over them.
TEST(Report, FiltersAndTotals) {
    const std::string one = "Totals over 1 run(s)\n  Keyboards tested: 3 ";
    const std::pair<ReportFilters, std::string> cases[] = {
        {{0, 0, nullptr, nullptr},
         "Totals over 3 run(s)\n  Keyboards tested: 9   passed: 1   failed: 7   incomplete: 1\n"
         "  Failed by the operator after verification: 2   failed by the test: 5\n"
         "  Yield: 12.5%\n  Failure reasons:\n    Bad key                  3\n"
         "    Key chatter              2\n    (no reason given)        1\n"
         "    Bad row                  1\n  Keys that chattered (keyboards):\n"
         "    A                        2\n    ,                        1\n"},
        {{20261205, 20261205, nullptr, nullptr}, one},
        {{20261206, 0, nullptr, nullptr}, "Totals over 0 run(s)"},
        {{0, 20261204, nullptr, nullptr}, "Totals over 0 run(s)"},
        {{0, 20261231, nullptr, nullptr}, one}, // a run without a date is left out
        {{0, 0, "prod", nullptr}, one},
        {{0, 0, "prodX", nullptr}, "Totals over 0 run(s)"},
        {{0, 0, nullptr, "b1"}, one},
        {{0, 0, "prod", "b2"}, "Totals over 0 run(s)"},
        {{0, 0, "other", nullptr},
         "date unknown (t.log, line 15)\n  Operator:    Product: other   "
         "Batch: \n  Layout(s): -\n  Keyboards tested: 3"},
    };
    for (const auto& [filters, shown] : cases) {
        const std::string text = RunReport({kThreeRuns}, filters).text;
        EXPECT_NE(std::string::npos, text.find(shown)) << text;
    }
    const std::string html = RunReport({kThreeRuns}).html;
    EXPECT_NE(std::string::npos, html.find("<th>Key that chattered</th><th>Keyboards</th></tr>"
                                           "<tr><td>A</td><td>2</td></tr><tr><td>,</td><td>1"))
        << html;
}

// The lists of failed serials cut at 20 in the summary and 200 on the page, a run with
// no verdict yet, and what the page makes of markup and of texts in the Western code page.
TEST(Report, LongListsAndHtml) {
    std::vector<std::string> logs;
    for (int count : {201, 200, 20}) {
        logs.push_back("======== START OF NEW TEST RUN ========\r\n"
                       "Clavoro V3.2 build 1002,  Windows XP\r\n"
                       "Operator identification: <b>M\xfcller & Co</b>\r\n");
        for (int i = 1; i <= count; ++i) {
            logs.back() +=
                "Serial number: F" + std::to_string(i) + "\r\nUser Selection: FAILED\r\n";
        }
    }
    logs[0] += "    Failure Reason: Bad \x80\x9fkey\r\n";
    logs.push_back(kHeader + "x\n");
    Outputs out = RunReport(logs);
    EXPECT_NE(std::string::npos, out.text.find(", F20 ... and 181 more (see --csv)\n"));
    EXPECT_NE(std::string::npos, out.text.find(", F20 ... and 180 more (see --csv)\n"));
    EXPECT_EQ(std::string::npos, out.text.find("and 0 more"));
    EXPECT_EQ(std::string::npos, out.html.find("and 0 more"));
    EXPECT_NE(std::string::npos, out.text.find("  Yield: -\n")) << out.text;
    EXPECT_NE(std::string::npos,
              out.text.find("could not be placed: 1 (listed on standard error)"));
    EXPECT_NE(std::string::npos, out.html.find(", F200 &hellip; and 1 more (see the CSV export)"));
    EXPECT_NE(std::string::npos, out.html.find("&lt;b&gt;M\xc3\xbcller &amp; Co&lt;/b&gt;"));
    EXPECT_NE(std::string::npos, out.html.find("Bad \xe2\x82\xac\xc5\xb8key")); // Bad €Ÿkey
}

} // namespace

// A later run written first in the log: per serial number the first and the last verdict
// go by the runs' dates. Keyboards per model, and those without a Keyboard record.
TEST(Report, ModelsRetestsAndOneSerial) {
    const std::string log =
        "======== START OF NEW TEST RUN ========\r\nSun Dec 06 08:00:00 2026\r\n"
        "Serial number: R1\r\n    Keyboard: VID 046D PID C31C, \"Logi\"\r\n"
        "User Selection: FAILED\r\n    Failure Reason: Bad key\r\n"
        "Serial number: R2\r\n    Keyboard: VID 046D PID C31C\r\nUser verification: PASSED\r\n"
        "Serial number: R3\r\n    Keyboard: none\r\nUser verification: PASSED\r\n"
        "======== START OF NEW TEST RUN ========\r\nSat Dec 05 09:00:00 2026\r\n"
        "Serial number: R1\r\n    Keyboard: VID 845E PID 0002\r\nUser verification: PASSED\r\n"
        "Serial number: R4\r\n";
    Outputs out = RunReport({log});
    EXPECT_NE(std::string::npos,
              out.text.find("Totals over 2 run(s)\n  Keyboards tested: 5   passed: 3   failed: 1"
                            "   incomplete: 1\n  Failed by the operator after verification: 0"
                            "   failed by the test: 1\n  Yield: 75.0%   first-pass yield: 100.0%"
                            "   final yield: 66.7% (3 serial numbers, 1 tested more than once)\n"
                            "  Failure reasons:\n    Bad key                  1\n"
                            "  Keyboard models:\n"
                            "    VID 046D PID C31C \"Logi\": tested 2   passed 1   failed 1\n"
                            "    none (no key pressed): tested 1   passed 1   failed 0\n"
                            "    VID 845E PID 0002: tested 1   passed 1   failed 0\n"
                            "    no Keyboard record: tested 1   passed 0   failed 0\n"))
        << out.text;
    EXPECT_NE(std::string::npos, out.html.find("<td>75.0%</td><td>100.0%</td><td>66.7%</td>"));
    EXPECT_NE(std::string::npos, out.html.find("<tr><td>VID 046D PID C31C &quot;Logi&quot;</td>"
                                               "<td>2</td><td>1</td><td>1</td></tr>"));
    // No model lines, and no first-pass yield, where nothing calls for them.
    EXPECT_EQ(std::string::npos, RunReport({kThreeRuns}).text.find("model"));
    EXPECT_EQ(std::string::npos, RunReport({kThreeRuns}).html.find("First-pass"));

    static Report report;
    StartReport(&report, {});
    report.serial = "R1";
    LogReader reader;
    StartLogReader(&reader, ReportEvents(&report), "t.log");
    ReadLogText(&reader, log.data(), log.size());
    FinishReport(&report);
    MemoryOutput history;
    WriteSerialHistory(history.file, report);
    EXPECT_EQ("Serial number R1: 2 test(s), oldest first\n"
              "  2026-12-05 09:00:00  PASSED  (t.log, line 15)\n"
              "  2026-12-06 08:00:00  FAILED by the test: Bad key  (t.log, line 3)\n",
              history.Take());
}
