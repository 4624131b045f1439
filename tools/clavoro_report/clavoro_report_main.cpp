// clavoro-report: summaries of Clavoro test logs for a production line.
//
//   clavoro-report [--csv FILE] [--html FILE] [--since YYYY-MM-DD] [--until YYYY-MM-DD]
//                  [--product ID] [--batch ID] LOG...
//
// Options may stand before or after the logs; "--" ends them, --help prints the usage.
// Exit status: 0 when every input was read, 2 when a file could not be opened (the
// others are still reported), 1 for a command line it does not understand.
#include <cstdio>
#include <cstring>

#include "tools/clavoro_report/log_file.h"
#include "tools/clavoro_report/report_html.h"
#include "tools/clavoro_report/report_model.h"
#include "tools/clavoro_report/report_text.h"
#include "tools/common/tool_options.h"

namespace {

const char* const kUsage =
    "usage: clavoro-report [--csv FILE] [--html FILE] [--since YYYY-MM-DD]\n"
    "                      [--until YYYY-MM-DD] [--product ID] [--batch ID] LOG...\n"
    "  options may stand before or after the logs; -- ends them\n";

// "2026-12-05" -> 20261205; 0 when it is not such a date.
int ParseDay(const char* text) {
    int y = 0, m = 0, d = 0;
    char end = 0;
    if (std::strlen(text) != 10 || std::sscanf(text, "%4d-%2d-%2d%c", &y, &m, &d, &end) != 3 ||
        m < 1 || m > 12 || d < 1 || d > 31) {
        return 0;
    }
    return y * 10000 + m * 100 + d;
}

enum Option { kCsv, kHtml, kSince, kUntil, kProduct, kBatch };
const ToolOption kOptions[] = {{"--csv", 1},   {"--html", 1},    {"--since", 1},
                               {"--until", 1}, {"--product", 1}, {"--batch", 1}};

} // namespace

int main(int argc, char** argv) {
    ToolArgs args;
    const int read = ReadToolArgs(argc, argv, kOptions, 6, &args);
    if (read == kArgsHelp) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (read == kArgsBad || args.operands.empty()) {
        if (read == kArgsBad) {
            std::fprintf(stderr, "clavoro-report: %s\n", args.error);
        }
        std::fputs(kUsage, stderr);
        return 1;
    }
    ReportFilters filters{};
    const char* csvPath = nullptr;
    const char* htmlPath = nullptr;
    for (const ToolArg& option : args.options) {
        if (option.option == kSince || option.option == kUntil) {
            const int day = ParseDay(option.value);
            if (day == 0) {
                std::fprintf(stderr, "clavoro-report: %s needs a date like 2026-12-05\n",
                             kOptions[option.option].name);
                return 1;
            }
            (option.option == kSince ? filters.since : filters.until) = day;
        } else if (option.option == kCsv) {
            csvPath = option.value;
        } else if (option.option == kHtml) {
            htmlPath = option.value;
        } else if (option.option == kProduct) {
            filters.product = option.value;
        } else {
            filters.batch = option.value;
        }
    }

    static Report report; // large; kept off the stack
    StartReport(&report, filters);
    report.warnings = stderr;
    if (csvPath != nullptr) {
        report.csv = std::fopen(csvPath, "wb");
        if (report.csv == nullptr) {
            std::fprintf(stderr, "clavoro-report: cannot write %s\n", csvPath);
            return 2;
        }
        WriteCsvHeader(report.csv);
    }

    int status = 0;
    static LogReader reader;
    for (const char* log : args.operands) {
        StartLogReader(&reader, ReportEvents(&report), log);
        if (!ReadLogFile(&reader, log)) {
            std::fprintf(stderr, "clavoro-report: cannot open %s\n", log);
            status = 2;
        }
    }
    WriteTextSummary(stdout, report);
    if (report.csv != nullptr && std::fclose(report.csv) != 0) {
        std::fprintf(stderr, "clavoro-report: writing %s failed\n", csvPath);
        status = 2;
    }
    if (htmlPath != nullptr) {
        FILE* html = std::fopen(htmlPath, "wb");
        if (html == nullptr) {
            std::fprintf(stderr, "clavoro-report: cannot write %s\n", htmlPath);
            return 2;
        }
        WriteHtmlReport(html, report);
        std::fclose(html);
    }
    return status;
}
