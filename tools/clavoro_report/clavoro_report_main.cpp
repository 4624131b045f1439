// clavoro-report: summaries of Clavoro test logs for a production line.
//
//   clavoro-report [--csv FILE] [--html FILE] [--since YYYY-MM-DD] [--until YYYY-MM-DD]
//                  [--product ID] [--batch ID] LOG...
//
// Exit status: 0 when every input was read, 2 when a file could not be opened (the
// others are still reported), 1 for a command line it does not understand.
#include <cstdio>
#include <cstring>

#include "tools/clavoro_report/log_file.h"
#include "tools/clavoro_report/report_html.h"
#include "tools/clavoro_report/report_model.h"
#include "tools/clavoro_report/report_text.h"

namespace {

int Usage() {
    std::fputs("usage: clavoro-report [--csv FILE] [--html FILE] [--since YYYY-MM-DD]\n"
               "                      [--until YYYY-MM-DD] [--product ID] [--batch ID] LOG...\n",
               stderr);
    return 1;
}

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

} // namespace

int main(int argc, char** argv) {
    ReportFilters filters{};
    const char* csvPath = nullptr;
    const char* htmlPath = nullptr;
    int firstLog = argc;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        bool hasValue = i + 1 < argc;
        if (std::strcmp(a, "--csv") == 0 && hasValue) {
            csvPath = argv[++i];
        } else if (std::strcmp(a, "--html") == 0 && hasValue) {
            htmlPath = argv[++i];
        } else if ((std::strcmp(a, "--since") == 0 || std::strcmp(a, "--until") == 0) && hasValue) {
            int day = ParseDay(argv[i + 1]);
            if (day == 0) {
                std::fprintf(stderr, "clavoro-report: %s needs a date like 2026-12-05\n", a);
                return 1;
            }
            (a[2] == 's' ? filters.since : filters.until) = day;
            ++i;
        } else if (std::strcmp(a, "--product") == 0 && hasValue) {
            filters.product = argv[++i];
        } else if (std::strcmp(a, "--batch") == 0 && hasValue) {
            filters.batch = argv[++i];
        } else if (a[0] == '-' && a[1] == '-') {
            return Usage();
        } else {
            firstLog = i;
            break;
        }
    }
    if (firstLog >= argc) {
        return Usage();
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
    for (int i = firstLog; i < argc; ++i) {
        StartLogReader(&reader, ReportEvents(&report), argv[i]);
        if (!ReadLogFile(&reader, argv[i])) {
            std::fprintf(stderr, "clavoro-report: cannot open %s\n", argv[i]);
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
