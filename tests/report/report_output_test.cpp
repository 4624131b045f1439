#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <vector>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tools/clavoro_report/log_file.h"
#include "tools/clavoro_report/report_html.h"
#include "tools/clavoro_report/report_model.h"
#include "tools/clavoro_report/report_text.h"

namespace {

const std::string kSample = std::string(CLAVORO_TEST_DATA) + "/logs/three_keyboards.log";

// Runs the whole report over files, with the outputs captured as strings.
struct Outputs {
    std::string text, csv, html, warnings;
};

std::string Slurp(FILE* f) {
    std::string s;
    std::rewind(f);
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        s.append(buffer, n);
    }
    std::fclose(f);
    return s;
}

Outputs RunReport(const std::vector<std::string>& files, ReportFilters filters = {}) {
    static Report report;
    StartReport(&report, filters);
    FILE* text = std::tmpfile();
    FILE* html = std::tmpfile();
    report.csv = std::tmpfile();
    report.warnings = std::tmpfile();
    WriteCsvHeader(report.csv);
    for (const std::string& f : files) {
        static LogReader reader;
        StartLogReader(&reader, ReportEvents(&report), "sample.log");
        EXPECT_EQ(1, ReadLogFile(&reader, f.c_str())) << f;
    }
    WriteTextSummary(text, report);
    WriteHtmlReport(html, report);
    return {Slurp(text), Slurp(report.csv), Slurp(html), Slurp(report.warnings)};
}

TEST(Report, TextSummaryOfASampleRun) {
    Outputs out = RunReport({kSample});
    EXPECT_EQ("Run 1: Sat Dec 05 15:17:58 2026 (sample.log, line 1)\n"
              "  Operator: Anna, \"line 3\"   Product: KB-104   Batch: B42\n"
              "  Layout(s): US104, UK105\n"
              "  Keyboards tested: 4   passed: 1   failed: 2   incomplete: 1\n"
              "  Failed by the operator after verification: 1   failed by the test: 1\n"
              "  Yield: 33.3%\n"
              "  Failure reasons:\n"
              "    Bad row                  1\n"
              "    Bad key                  1\n"
              "  Failed serial numbers: SN2, SN3\n"
              "\n"
              "Totals over 1 run(s)\n"
              "  Keyboards tested: 4   passed: 1   failed: 2   incomplete: 1\n"
              "  Failed by the operator after verification: 1   failed by the test: 1\n"
              "  Yield: 33.3%\n"
              "  Failure reasons:\n"
              "    Bad row                  1\n"
              "    Bad key                  1\n",
              out.text);
    EXPECT_EQ("", out.warnings);
}

TEST(Report, CsvRowsQuoteWhatTheOperatorTyped) {
    Outputs out = RunReport({kSample});
    EXPECT_EQ("source file,line,run date,operator,product,batch,layout,serial,version,verdict,"
              "reason\r\n"
              "sample.log,8,2026-12-05,\"Anna, \"\"line 3\"\"\",KB-104,B42,US104,SN1,V1,PASSED,\r\n"
              "sample.log,11,2026-12-05,\"Anna, \"\"line 3\"\"\",KB-104,B42,US104,SN2,V1,"
              "FAILED by the operator after verification,Bad row\r\n"
              "sample.log,16,2026-12-05,\"Anna, \"\"line 3\"\"\",KB-104,B42,UK105,SN3,V2,"
              "FAILED by the test,Bad key\r\n"
              "sample.log,22,2026-12-05,\"Anna, \"\"line 3\"\"\",KB-104,B42,UK105,SN4,V2,"
              "INCOMPLETE,\r\n",
              out.csv);
}

TEST(Report, FiltersSelectRuns) {
    struct Case {
        ReportFilters filters;
        size_t runs;
    } cases[] = {
        {{20261205, 20261205, nullptr, nullptr}, 1},
        {{20261206, 0, nullptr, nullptr}, 0},
        {{0, 20261204, nullptr, nullptr}, 0},
        {{0, 0, "KB-104", nullptr}, 1},
        {{0, 0, "KB-105", nullptr}, 0},
        {{0, 0, nullptr, "B42"}, 1},
        {{0, 0, "KB-104", "B43"}, 0},
    };
    for (const Case& c : cases) {
        Outputs out = RunReport({kSample}, c.filters);
        std::string expected = "Totals over " + std::to_string(c.runs) + " run(s)";
        EXPECT_NE(std::string::npos, out.text.find(expected)) << out.text;
        EXPECT_EQ(c.runs == 1 ? 5u : 1u, std::count(out.csv.begin(), out.csv.end(), '\n'));
    }
}

TEST(Report, TotalsAddUpOverFilesAndRuns) {
    Outputs out = RunReport({kSample, kSample});
    EXPECT_NE(std::string::npos, out.text.find("Totals over 2 run(s)\n  Keyboards tested: 8   "
                                               "passed: 2   failed: 4   incomplete: 2\n"));
    EXPECT_NE(std::string::npos, out.text.find("    Bad row                  2\n"));
}

TEST(Report, HtmlIsSelfContainedAndEscaped) {
    std::string path = ::testing::TempDir() + "clavoro_report_html.log";
    {
        std::ofstream f(path, std::ios::binary);
        f << "======== START OF NEW TEST RUN ========\r\n"
             "Operator identification: <b>M\xfcller & Co</b>\r\n"
             "Serial number: S<1>\r\nUser verification: FAILED\r\n"
             "    Failure Reason: Bad \x85key\r\n";
    }
    Outputs out = RunReport({path});
    std::remove(path.c_str());
    EXPECT_NE(std::string::npos, out.html.find("&lt;b&gt;M\xc3\xbcller &amp; Co&lt;/b&gt;"));
    EXPECT_NE(std::string::npos, out.html.find("S&lt;1&gt;"));
    EXPECT_NE(std::string::npos, out.html.find("Bad ?key"));
    EXPECT_NE(std::string::npos, out.html.find("<svg"));
    EXPECT_EQ(std::string::npos, out.html.find("<script"));
    EXPECT_EQ(std::string::npos, out.html.find("src="));
    EXPECT_EQ(std::string::npos, out.html.find("href="));
}

} // namespace
