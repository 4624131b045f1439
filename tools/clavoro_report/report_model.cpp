#include "tools/clavoro_report/report_model.h"

#include <algorithm>
#include <cstring>

namespace {

bool RunPassesFilters(const ReportFilters& f, const RunHeader& run) {
    int date = RunDate(run);
    if ((f.since != 0 || f.until != 0) && date == 0) {
        return false; // a run without a readable date cannot be placed in a period
    }
    if (f.since != 0 && date < f.since) {
        return false;
    }
    if (f.until != 0 && date > f.until) {
        return false;
    }
    if (f.product != nullptr && std::strcmp(f.product, run.productId) != 0) {
        return false;
    }
    return f.batch == nullptr || std::strcmp(f.batch, run.batchId) == 0;
}

void AddLayout(RunTotals* totals, const char* layout) {
    if (layout[0] == 0) {
        return;
    }
    for (const std::string& known : totals->layouts) {
        if (known == layout) {
            return;
        }
    }
    totals->layouts.push_back(layout);
}

void AddCount(std::vector<ReasonCount>* counts, const std::string& name, long count) {
    for (ReasonCount& r : *counts) {
        if (r.reason == name) {
            r.count += count;
            return;
        }
    }
    counts->push_back({name, count});
}

// RFC 4180: a field with a comma, quote or line break is quoted, quotes doubled.
void WriteCsvField(FILE* csv, const char* text, bool last) {
    bool quote = std::strpbrk(text, ",\"\r\n") != nullptr;
    if (quote) {
        std::fputc('"', csv);
        for (const char* p = text; *p != 0; ++p) {
            if (*p == '"') {
                std::fputc('"', csv);
            }
            std::fputc(*p, csv);
        }
        std::fputc('"', csv);
    } else {
        std::fputs(text, csv);
    }
    std::fputs(last ? "\r\n" : ",", csv);
}

void OnRunStarted(void* context, const RunHeader& run) {
    Report* report = static_cast<Report*>(context);
    report->current = RunTotals{};
    report->current.header = run;
}

void OnLayoutChanged(void* context, const RunHeader& run) {
    AddLayout(&static_cast<Report*>(context)->current, run.layout);
}

void OnKeyboardDone(void* context, const RunHeader& run, const KeyboardRecord& kb) {
    Report* report = static_cast<Report*>(context);
    if (!RunPassesFilters(report->filters, run)) {
        return;
    }
    RunTotals& current = report->current;
    current.verdicts[kb.verdict] += 1;
    if (kb.verdict == VerdictFailedByOperator || kb.verdict == VerdictFailedByTest) {
        AddCount(&current.reasons, kb.reason[0] != 0 ? kb.reason : "(no reason given)", 1);
        current.failedSerials.push_back(kb.serial);
    }
    if (kb.chatterKey[0] != 0) {
        AddCount(&current.chatterKeys, kb.chatterKey, 1);
    }
    if (report->csv != nullptr) {
        char line[32];
        std::snprintf(line, sizeof line, "%ld", kb.line);
        std::string date = RunDateText(run);
        WriteCsvField(report->csv, kb.file, false);
        WriteCsvField(report->csv, line, false);
        WriteCsvField(report->csv, date.c_str(), false);
        WriteCsvField(report->csv, run.operatorId, false);
        WriteCsvField(report->csv, run.productId, false);
        WriteCsvField(report->csv, run.batchId, false);
        WriteCsvField(report->csv, kb.layout, false);
        WriteCsvField(report->csv, kb.serial, false);
        WriteCsvField(report->csv, kb.version, false);
        WriteCsvField(report->csv, VerdictName(kb.verdict), false);
        WriteCsvField(report->csv, kb.reason, false);
        WriteCsvField(report->csv, kb.chatterKey, true);
    }
}

void OnRunEnded(void* context, const RunHeader& run) {
    Report* report = static_cast<Report*>(context);
    RunTotals& current = report->current;
    current.header = run;
    if (!RunPassesFilters(report->filters, run)) {
        return;
    }
    RunTotals& totals = report->totals;
    for (int v = 0; v < kVerdictCount; ++v) {
        totals.verdicts[v] += current.verdicts[v];
    }
    for (const ReasonCount& r : current.reasons) {
        AddCount(&totals.reasons, r.reason, r.count);
    }
    for (const ReasonCount& k : current.chatterKeys) {
        AddCount(&totals.chatterKeys, k.reason, k.count);
    }
    for (const std::string& layout : current.layouts) {
        AddLayout(&totals, layout.c_str());
    }
    totals.failedSerials.insert(totals.failedSerials.end(), current.failedSerials.begin(),
                                current.failedSerials.end());
    report->runs.push_back(std::move(current));
    current = RunTotals{};
}

void OnUnplacedLine(void* context, const char* file, long line, const char* text, size_t length) {
    Report* report = static_cast<Report*>(context);
    report->unplacedLines += 1;
    if (report->warnings == nullptr) {
        return;
    }
    // Show the start of the line, with bytes that would garble a terminal made visible.
    char shown[81];
    size_t n = length < 80 ? length : 80;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        shown[i] = c < 32 || c >= 127 ? '?' : static_cast<char>(c);
    }
    shown[n] = 0;
    std::fprintf(report->warnings, "%s:%ld: could not place line: %s%s\n", file, line, shown,
                 length > 80 ? "..." : "");
}

} // namespace

void StartReport(Report* report, const ReportFilters& filters) {
    report->filters = filters;
    report->runs.clear();
    report->totals = RunTotals{};
    report->current = RunTotals{};
    report->unplacedLines = 0;
    report->csv = nullptr;
    report->warnings = nullptr;
}

LogEvents ReportEvents(Report* report) {
    LogEvents events{};
    events.context = report;
    events.runStarted = OnRunStarted;
    events.layoutChanged = OnLayoutChanged;
    events.keyboardDone = OnKeyboardDone;
    events.runEnded = OnRunEnded;
    events.unplacedLine = OnUnplacedLine;
    return events;
}

void WriteCsvHeader(FILE* csv) {
    std::fputs("source file,line,run date,operator,product,batch,layout,serial,version,verdict,"
               "reason,chattered key\r\n",
               csv);
}

std::vector<ReasonCount> MostFrequentFirst(const std::vector<ReasonCount>& counts) {
    std::vector<ReasonCount> sorted = counts;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const ReasonCount& a, const ReasonCount& b) { return a.count > b.count; });
    return sorted;
}

long Tested(const RunTotals& run) {
    long n = 0;
    for (long v : run.verdicts) {
        n += v;
    }
    return n;
}

long Failed(const RunTotals& run) {
    return run.verdicts[VerdictFailedByOperator] + run.verdicts[VerdictFailedByTest];
}

double YieldPercent(const RunTotals& run) {
    long decided = run.verdicts[VerdictPassed] + Failed(run);
    if (decided == 0) {
        return -1.0;
    }
    return 100.0 * static_cast<double>(run.verdicts[VerdictPassed]) / static_cast<double>(decided);
}

int RunDate(const RunHeader& run) {
    return run.year == 0 ? 0 : run.year * 10000 + run.month * 100 + run.day;
}

std::string RunDateText(const RunHeader& run) {
    if (run.year == 0) {
        return "unknown";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", run.year, run.month, run.day);
    return text;
}
