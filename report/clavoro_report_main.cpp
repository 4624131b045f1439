// clavoro-report: summaries of Clavoro test logs for a production line.
//
//   clavoro-report [--store STORE [--import-only | --forget]] [--serial S] [--csv FILE]
//                  [--html FILE] [--since YYYY-MM-DD] [--until YYYY-MM-DD] [--product ID]
//                  [--batch ID] [--code-page CP] LOG...
//
// Options may stand before or after the logs; "--" ends them, --help prints the usage.
// With --store the logs are imported into the store first and the report comes from all
// of the store; without logs it comes from the store alone. --forget removes the logs
// from the store instead. --serial lists the tests of one serial number instead of the
// summary. --code-page names the code page the logs' texts are in (1252 when not given).
// Exit status: 0 when every input was read, 1 when a file could not be opened, the store
// failed (the others are still reported) or this build has no store, 2 for a command
// line it does not understand.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/tool_options.h"
#include "report/log_file.h"
#include "report/report_html.h"
#include "report/report_model.h"
#include "report/report_text.h"
#include "report/results_store.h"

namespace {

const char* const kUsage =
    "usage: clavoro-report [--store STORE [--import-only | --forget]] [--serial S]\n"
    "                      [--csv FILE] [--html FILE] [--since YYYY-MM-DD]\n"
    "                      [--until YYYY-MM-DD] [--product ID] [--batch ID]\n"
    "                      [--code-page 1252|1250|1251|65001] LOG...\n"
    "  STORE: an SQLite file, or postgresql://user@host/db; LOG may be left out with it\n"
    "  options may stand before or after the logs; -- ends them\n";

// Exit statuses.
constexpr int kTrouble = 1; // a file, the store, or a build without the store
constexpr int kBadCommandLine = 2;

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

enum Option {
    kCsv,
    kHtml,
    kSince,
    kUntil,
    kProduct,
    kBatch,
    kStore,
    kSerial,
    kCodePage,
    kImportOnly,
    kForget
};
const ToolOption kOptions[] = {{"--csv", 1},         {"--html", 1},    {"--since", 1},
                               {"--until", 1},       {"--product", 1}, {"--batch", 1},
                               {"--store", 1},       {"--serial", 1},  {"--code-page", 1},
                               {"--import-only", 0}, {"--forget", 0}};
constexpr int kOptionCount = sizeof kOptions / sizeof kOptions[0];

int Usage(const char* why) {
    if (why != nullptr) {
        std::fprintf(stderr, "clavoro-report: %s\n", why);
    }
    std::fputs(kUsage, stderr);
    return kBadCommandLine;
}

// Removes the logs from the store; 0 when each was in it.
int Forget(ResultsStore* store, const std::vector<const char*>& logs) {
    int status = 0;
    for (const char* log : logs) {
        char error[600];
        long keyboards = 0;
        const int done = ForgetLog(store, log, &keyboards, error, sizeof error);
        if (done == 1) {
            std::printf("clavoro-report: %s removed from the store with its %ld keyboard(s)\n", log,
                        keyboards);
        } else {
            std::fprintf(stderr, "clavoro-report: %s: %s\n", log,
                         done == 0 ? "the store holds no such log" : error);
            status = kTrouble;
        }
    }
    CloseResultsStore(store);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    ToolArgs args;
    const int read = ReadToolArgs(argc, argv, kOptions, kOptionCount, &args);
    if (read == kArgsHelp) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (read == kArgsBad) {
        return Usage(args.error);
    }
    ReportFilters filters{};
    const char* csvPath = nullptr;
    const char* htmlPath = nullptr;
    const char* storePath = nullptr;
    const char* serial = nullptr;
    bool importOnly = false, forget = false;
    int codePage = kWestern;
    for (const ToolArg& option : args.options) {
        if (option.option == kSince || option.option == kUntil) {
            const int day = ParseDay(option.value);
            if (day == 0) {
                return Usage(
                    (std::string(kOptions[option.option].name) + " needs a date like 2026-12-05")
                        .c_str());
            }
            (option.option == kSince ? filters.since : filters.until) = day;
        } else if (option.option == kCsv) {
            csvPath = option.value;
        } else if (option.option == kHtml) {
            htmlPath = option.value;
        } else if (option.option == kProduct) {
            filters.product = option.value;
        } else if (option.option == kBatch) {
            filters.batch = option.value;
        } else if (option.option == kStore) {
            storePath = option.value;
        } else if (option.option == kSerial) {
            serial = option.value;
        } else if (option.option == kCodePage) {
            codePage = std::atoi(option.value);
            if (!IsLogCodePage(codePage) || std::to_string(codePage) != option.value) {
                return Usage("--code-page takes 1252, 1250, 1251 or 65001");
            }
        } else {
            (option.option == kForget ? forget : importOnly) = true;
        }
    }
    if (storePath == nullptr && (args.operands.empty() || importOnly || forget)) {
        return Usage(importOnly ? "--import-only needs --store"
                     : forget   ? "--forget needs --store"
                                : nullptr);
    }
    if (forget && (importOnly || serial != nullptr || csvPath != nullptr || htmlPath != nullptr ||
                   args.operands.empty())) {
        return Usage("--forget takes the logs to remove and no other option");
    }
    if (importOnly && (serial != nullptr || csvPath != nullptr || htmlPath != nullptr)) {
        return Usage("--import-only writes no report");
    }
    if (serial != nullptr && (csvPath != nullptr || htmlPath != nullptr)) {
        return Usage("--serial lists the tests of one serial number, without --csv or --html");
    }

    char error[600];
    ResultsStore* store = nullptr;
    if (storePath != nullptr) {
        const int status = OpenResultsStore(storePath, codePage, &store, error, sizeof error);
        if (status != 0) {
            std::fprintf(stderr, "clavoro-report: %s\n", error);
            return status;
        }
        if (forget) {
            return Forget(store, args.operands);
        }
    }
    static Report report; // large; kept off the stack
    StartReport(&report, filters);
    report.warnings = stderr;
    report.serial = serial;
    if (csvPath != nullptr) {
        report.csv = std::fopen(csvPath, "wb");
        if (report.csv == nullptr) {
            std::fprintf(stderr, "clavoro-report: cannot write %s\n", csvPath);
            return kTrouble;
        }
        WriteCsvHeader(report.csv);
    }

    int status = 0;
    static LogReader reader;
    for (const char* log : args.operands) {
        int done = 0;
        if (store != nullptr) {
            // The damaged lines are listed by the report from the store, with the others.
            done = ImportLog(store, log, importOnly ? stderr : nullptr, error, sizeof error);
        } else {
            StartLogReader(&reader, ReportEvents(&report), log, codePage);
            done = ReadLogFile(&reader, log);
        }
        if (done < 0) {
            std::fprintf(stderr, "clavoro-report: importing %s: %s\n", log, error);
            CloseResultsStore(store);
            return kTrouble;
        }
        if (done == 0) {
            std::fprintf(stderr, "clavoro-report: cannot open %s\n", log);
            status = kTrouble;
        }
    }
    if (store != nullptr) {
        const int replayed = importOnly || ReplayStore(store, ReportEvents(&report), serial,
                                                       csvPath != nullptr, error, sizeof error);
        CloseResultsStore(store);
        if (!replayed) {
            std::fprintf(stderr, "clavoro-report: reading the store: %s\n", error);
            return kTrouble;
        }
        if (importOnly) {
            return status;
        }
    }
    FinishReport(&report);
    if (serial != nullptr) {
        WriteSerialHistory(stdout, report);
        return status;
    }
    WriteTextSummary(stdout, report);
    if (report.csv != nullptr && std::fclose(report.csv) != 0) {
        std::fprintf(stderr, "clavoro-report: writing %s failed\n", csvPath);
        status = kTrouble;
    }
    if (htmlPath != nullptr) {
        FILE* html = std::fopen(htmlPath, "wb");
        if (html == nullptr) {
            std::fprintf(stderr, "clavoro-report: cannot write %s\n", htmlPath);
            return kTrouble;
        }
        WriteHtmlReport(html, report);
        std::fclose(html);
    }
    return status;
}
