#include "report/report_text.h"

#include <string>

namespace {

// The failed serial numbers listed in the text summary; the CSV has them all.
constexpr size_t kSerialsShown = 20;

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) {
        text += text.empty() ? n : ", " + n;
    }
    return text.empty() ? "-" : text;
}

void WriteCountList(FILE* out, const char* title, const std::vector<ReasonCount>& counts) {
    if (counts.empty()) {
        return;
    }
    std::fprintf(out, "  %s:\n", title);
    for (const ReasonCount& r : MostFrequentFirst(counts)) {
        // Padded to 24 characters, not bytes: a character of UTF-8 may take up to four.
        int width = 24;
        for (const char c : r.reason) {
            width += (c & 0xC0) == 0x80 ? 1 : 0;
        }
        std::fprintf(out, "    %-*s %ld\n", width, r.reason.c_str(), r.count);
    }
}

void WriteModels(FILE* out, const std::vector<ModelCount>& models) {
    if (!ModelsKnown(models)) {
        return;
    }
    std::fprintf(out, "  Keyboard models:\n");
    for (const ModelCount& m : MostTestedFirst(models)) {
        std::fprintf(out, "    %s: tested %ld   passed %ld   failed %ld\n", ModelLabel(m).c_str(),
                     Tested(m), m.verdicts[VerdictPassed], Failed(m));
    }
}

// The counts of a run, or of all runs with the yields per serial number.
void WriteCounts(FILE* out, const RunTotals& run, const SerialYields* serials) {
    std::fprintf(out, "  Keyboards tested: %ld   passed: %ld   failed: %ld   incomplete: %ld\n",
                 Tested(run), run.verdicts[VerdictPassed], Failed(run),
                 run.verdicts[VerdictIncomplete]);
    std::fprintf(out,
                 "  Failed by the operator after verification: %ld   failed by the test: %ld\n",
                 run.verdicts[VerdictFailedByOperator], run.verdicts[VerdictFailedByTest]);
    double yield = YieldPercent(run);
    if (yield < 0) {
        std::fprintf(out, "  Yield: -");
    } else {
        std::fprintf(out, "  Yield: %.1f%%", yield);
    }
    if (serials != nullptr && serials->retested > 0) {
        std::fprintf(out,
                     "   first-pass yield: %.1f%%   final yield: %.1f%% (%ld serial numbers, "
                     "%ld tested more than once)",
                     Percent(serials->firstPassed, serials->serials),
                     Percent(serials->finalPassed, serials->serials), serials->serials,
                     serials->retested);
    }
    std::fprintf(out, "\n");
    WriteCountList(out, "Failure reasons", run.reasons);
    WriteCountList(out, "Keys that chattered (keyboards)", run.chatterKeys);
    WriteModels(out, run.models);
}

void WriteSerials(FILE* out, const std::vector<std::string>& serials) {
    if (serials.empty()) {
        return;
    }
    std::fprintf(out, "  Failed serial numbers:");
    for (size_t i = 0; i < serials.size() && i < kSerialsShown; ++i) {
        std::fprintf(out, "%s %s", i == 0 ? "" : ",", serials[i].c_str());
    }
    if (serials.size() > kSerialsShown) {
        std::fprintf(out, " ... and %zu more (see --csv)", serials.size() - kSerialsShown);
    }
    std::fprintf(out, "\n");
}

} // namespace

void WriteTextSummary(FILE* out, const Report& report) {
    int number = 0;
    for (const RunTotals& run : report.runs) {
        const RunHeader& h = run.header;
        std::fprintf(out, "Run %d: %s (%s, line %ld)\n", ++number,
                     h.dateText[0] != 0 ? h.dateText : "date unknown", h.file, h.line);
        std::fprintf(out, "  Operator: %s   Product: %s   Batch: %s\n", h.operatorId, h.productId,
                     h.batchId);
        std::fprintf(out, "  Layout(s): %s\n", Joined(run.layouts).c_str());
        WriteCounts(out, run, nullptr);
        WriteSerials(out, run.failedSerials);
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "Totals over %zu run(s)\n", report.runs.size());
    WriteCounts(out, report.totals, &report.serialYields);
    if (report.unplacedLines > 0) {
        std::fprintf(out, "  Lines that could not be placed: %ld (listed on standard error)\n",
                     report.unplacedLines);
    }
}

void WriteSerialHistory(FILE* out, const Report& report) {
    const char* serial = report.serial;
    if (report.serialTests.empty()) {
        std::fprintf(out, "Serial number %s: no test found\n", serial);
        return;
    }
    std::fprintf(out, "Serial number %s: %zu test(s), oldest first\n", serial,
                 report.serialTests.size());
    for (const SerialTest& t : report.serialTests) {
        std::fprintf(out, "  %-19s  %s%s%s  (%s, line %ld)\n", t.date.c_str(),
                     VerdictName(t.verdict), t.reason.empty() ? "" : ": ", t.reason.c_str(),
                     t.source.c_str(), t.line);
    }
}
