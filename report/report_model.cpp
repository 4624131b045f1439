#include "report/report_model.h"

#include <algorithm>
#include <cstdlib>
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

// Counts keyboards of a model with these verdicts; the first name seen stays.
void AddModel(std::vector<ModelCount>* models, const char* model, const char* name,
              const long* verdicts) {
    ModelCount* m = nullptr;
    for (ModelCount& known : *models) {
        m = known.model == model ? &known : m;
    }
    if (m == nullptr) {
        models->push_back(ModelCount{model, "", {}});
        m = &models->back();
    }
    for (int v = 0; v < kVerdictCount; ++v) {
        m->verdicts[v] += verdicts[v];
    }
    if (m->name.empty()) {
        m->name = name;
    }
}

constexpr size_t kTextBlock = 1 << 20;

uint64_t Fnv1a(const char* text) {
    uint64_t h = 14695981039346656037ull;
    for (const char* p = text; *p != 0; ++p) {
        h = (h ^ static_cast<unsigned char>(*p)) * 1099511628211ull;
    }
    return h;
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
    report->runsStarted += 1;
    report->current = RunTotals{};
    report->current.header = run;
}

void OnLayoutChanged(void* context, const RunHeader& run) {
    AddLayout(&static_cast<Report*>(context)->current, run.layout);
}

void OnKeyboardDone(void* context, const RunHeader& run, const KeyboardRecord& kb) {
    Report* report = static_cast<Report*>(context);
    const char* serial = report->serial;
    if (!RunPassesFilters(report->filters, run) ||
        (serial != nullptr && std::strcmp(serial, kb.serial) != 0)) {
        return;
    }
    // Its run's start, taken at the run's first keyboard (the header is complete then).
    const size_t runIndex = report->runsStarted > 0 ? report->runsStarted - 1 : 0;
    if (report->runTimes.size() <= runIndex) {
        report->runTimes.resize(runIndex + 1, RunTime(run));
    }
    const long long when = report->runTimes[runIndex];
    if (serial != nullptr) {
        char shown[32] = "date unknown";
        if (when != 0) {
            std::snprintf(shown, sizeof shown, "%s %.8s", RunDateText(run).c_str(),
                          run.dateText + 11);
        }
        report->serialTests.push_back({kb.file, kb.line, when, shown, kb.verdict, kb.reason});
    }
    RunTotals& current = report->current;
    current.verdicts[kb.verdict] += 1;
    long one[kVerdictCount] = {};
    one[kb.verdict] = 1;
    if (kb.keyboardVid[0] != 0) {
        char ids[32];
        std::snprintf(ids, sizeof ids, "VID %s PID %s", kb.keyboardVid, kb.keyboardPid);
        AddModel(&current.models, ids, kb.keyboardName, one);
    } else {
        AddModel(&current.models, kb.keyboardName, "", one);
    }
    if (kb.verdict != VerdictIncomplete) {
        SerialVerdict v{Fnv1a(kb.serial), KeepText(&report->serialText, kb.serial), 0, 0};
        v.run = runIndex;
        v.passed = kb.verdict == VerdictPassed ? 1 : 0;
        report->serialVerdicts.push_back(v);
    }
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
        WriteCsvField(report->csv, kb.chatterKey, false);
        WriteCsvField(report->csv, kb.keyboardVid, false);
        WriteCsvField(report->csv, kb.keyboardPid, false);
        WriteCsvField(report->csv, kb.keyboardRev, false);
        WriteCsvField(report->csv, kb.keyboardName, true);
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
    for (const ModelCount& m : current.models) {
        AddModel(&totals.models, m.model.c_str(), m.name.c_str(), m.verdicts);
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
    if (report->warnings != nullptr) {
        WriteUnplacedLine(report->warnings, file, line, text, length);
    }
}

} // namespace

void WriteUnplacedLine(FILE* out, const char* file, long line, const char* text, size_t length) {
    // Show the start of the line, with bytes that would garble a terminal made visible.
    char shown[81];
    size_t n = length < 80 ? length : 80;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        shown[i] = c < 32 || c >= 127 ? '?' : static_cast<char>(c);
    }
    shown[n] = 0;
    std::fprintf(out, "%s:%ld: could not place line: %s%s\n", file, line, shown,
                 length > 80 ? "..." : "");
}

void StartReport(Report* report, const ReportFilters& filters) {
    report->filters = filters;
    report->runs.clear();
    report->totals = RunTotals{};
    report->current = RunTotals{};
    report->unplacedLines = 0;
    report->csv = nullptr;
    report->warnings = nullptr;
    report->serial = nullptr;
    report->serialVerdicts.clear();
    report->serialText = TextBlocks{};
    report->runTimes.clear();
    report->runsStarted = 0;
    report->serialYields = SerialYields{};
    report->serialTests.clear();
}

uint64_t KeepText(TextBlocks* kept, const char* text) {
    const size_t size = std::strlen(text) + 1; // a field: at most kFieldLength
    if (kept->blocks.empty() || kept->used + size > kTextBlock) {
        kept->blocks.emplace_back(new char[kTextBlock]);
        kept->used = 0;
    }
    std::memcpy(kept->blocks.back().get() + kept->used, text, size);
    const size_t at = (kept->blocks.size() - 1) * kTextBlock + kept->used;
    kept->used += size;
    return at;
}

const char* KeptText(const TextBlocks& kept, uint64_t at) {
    return kept.blocks[at / kTextBlock].get() + at % kTextBlock;
}

void FinishReport(Report* report) {
    std::vector<SerialVerdict>& v = report->serialVerdicts;
    const TextBlocks& text = report->serialText;
    const std::vector<long long>& when = report->runTimes;
    auto same = [&text](const SerialVerdict& a, const SerialVerdict& b) {
        return a.hash == b.hash && std::strcmp(KeptText(text, a.at), KeptText(text, b.at)) == 0;
    };
    // Grouped by serial number, each group in order of testing.
    std::sort(v.begin(), v.end(), [&](const SerialVerdict& a, const SerialVerdict& b) {
        if (a.hash != b.hash) {
            return a.hash < b.hash;
        }
        const int c = std::strcmp(KeptText(text, a.at), KeptText(text, b.at));
        if (c != 0) {
            return c < 0;
        }
        return when[a.run] != when[b.run] ? when[a.run] < when[b.run] : a.at < b.at;
    });
    SerialYields& y = report->serialYields;
    y = SerialYields{};
    for (size_t first = 0, last = 0; first < v.size(); first = ++last) {
        while (last + 1 < v.size() && same(v[first], v[last + 1])) {
            ++last;
        }
        y.serials += 1;
        y.retested += last > first ? 1 : 0;
        y.firstPassed += v[first].passed ? 1 : 0;
        y.finalPassed += v[last].passed ? 1 : 0;
    }
    std::stable_sort(report->serialTests.begin(), report->serialTests.end(),
                     [](const SerialTest& a, const SerialTest& b) { return a.when < b.when; });
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
               "reason,chattered key,keyboard vid,keyboard pid,keyboard rev,keyboard name\r\n",
               csv);
}

std::vector<ReasonCount> MostFrequentFirst(const std::vector<ReasonCount>& counts) {
    std::vector<ReasonCount> sorted = counts;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const ReasonCount& a, const ReasonCount& b) { return a.count > b.count; });
    return sorted;
}

std::vector<ModelCount> MostTestedFirst(const std::vector<ModelCount>& models) {
    std::vector<ModelCount> sorted = models;
    std::stable_sort(sorted.begin(), sorted.end(), [](const ModelCount& a, const ModelCount& b) {
        return Tested(a) > Tested(b);
    });
    return sorted;
}

bool ModelsKnown(const std::vector<ModelCount>& models) {
    for (const ModelCount& m : models) {
        if (!m.model.empty()) {
            return true;
        }
    }
    return false;
}

std::string ModelLabel(const ModelCount& m) {
    if (m.model.empty()) {
        return "no Keyboard record";
    }
    if (m.model == "none") {
        return "none (no key pressed)";
    }
    return m.name.empty() ? m.model : m.model + " \"" + m.name + "\"";
}

double Percent(long part, long whole) {
    return whole == 0 ? -1.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

double YieldPercent(const RunTotals& run) {
    return Percent(run.verdicts[VerdictPassed], run.verdicts[VerdictPassed] + Failed(run));
}

int RunDate(const RunHeader& run) {
    return run.year == 0 ? 0 : run.year * 10000 + run.month * 100 + run.day;
}

long long RunTime(const RunHeader& run) {
    const char* t = run.dateText; // "Sat Dec 05 15:17:58 2026" when it has a date
    if (RunDate(run) == 0) {
        return 0;
    }
    return RunDate(run) * 1000000ll + std::atol(t + 11) * 10000 + std::atol(t + 14) * 100 +
           std::atol(t + 17);
}

std::string RunDateText(const RunHeader& run) {
    if (run.year == 0) {
        return "unknown";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", run.year, run.month, run.day);
    return text;
}
