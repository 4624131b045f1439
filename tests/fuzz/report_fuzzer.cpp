// libFuzzer target: any bytes as a test log, with every output written to memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "report/report_html.h"
#include "report/report_model.h"
#include "report/report_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Report report;
    ReportFilters filters{};
    StartReport(&report, filters);
    char* text = nullptr;
    size_t textSize = 0;
    FILE* out = open_memstream(&text, &textSize);
    report.csv = out;
    report.warnings = out;
    LogReader reader;
    StartLogReader(&reader, ReportEvents(&report), "fuzz.log");
    ReadLogText(&reader, reinterpret_cast<const char*>(data), size);
    FinishReport(&report);
    WriteTextSummary(out, report);
    WriteHtmlReport(out, report);
    std::fclose(out);
    std::free(text);
    return 0;
}
