#include "report/report_html.h"

#include <algorithm>
#include <string>

namespace {

constexpr size_t kSerialsShown = 200; // per run on the page; the CSV has them all

std::string Html(const char* text) {
    std::string s;
    AppendHtmlText(&s, text);
    return s;
}
std::string Html(const std::string& text) {
    return Html(text.c_str());
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
std::string Number(long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}
std::string YieldText(const RunTotals& run) {
    double y = YieldPercent(run);
    return y < 0 ? "-" : Format("%.1f%%", y);
}

// A horizontal bar chart: one row per label, bars scaled to the largest value.
std::string BarChart(const std::vector<std::pair<std::string, double>>& rows, double maximum,
                     const char* unit, const char* colour) {
    const int labelWidth = 220, barWidth = 360, rowHeight = 24;
    int height = rowHeight * static_cast<int>(rows.size()) + 8;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      Number(labelWidth + barWidth + 80) + "\" height=\"" + Number(height) +
                      "\" role=\"img\">\n";
    int y = 4;
    for (const auto& row : rows) {
        double fraction = maximum > 0 ? row.second / maximum : 0;
        int w = static_cast<int>(fraction * barWidth + 0.5);
        svg += "<text x=\"" + Number(labelWidth - 6) + "\" y=\"" + Number(y + 16) +
               "\" text-anchor=\"end\">" + Html(row.first) + "</text>";
        svg += "<rect x=\"" + Number(labelWidth) + "\" y=\"" + Number(y + 3) + "\" width=\"" +
               Number(w) + "\" height=\"" + Number(rowHeight - 6) + "\" fill=\"" + colour + "\"/>";
        svg += "<text x=\"" + Number(labelWidth + w + 6) + "\" y=\"" + Number(y + 16) + "\">" +
               Format(unit, row.second) + "</text>\n";
        y += rowHeight;
    }
    return svg + "</svg>\n";
}

// The counts of a run, or of all runs with the yields per serial number.
std::string CountsTable(const RunTotals& run, const SerialYields* serials) {
    const bool retested = serials != nullptr && serials->retested > 0;
    std::string t = "<table class=\"counts\"><tr><th>Tested</th><th>Passed</th><th>Failed by the "
                    "operator</th><th>Failed by the test</th><th>Incomplete</th><th>Yield</th>";
    if (retested) {
        t += "<th>First-pass yield</th><th>Final yield</th><th>Serial numbers</th><th>Tested "
             "more than once</th>";
    }
    t += "</tr><tr><td>" + Number(Tested(run)) + "</td><td>" + Number(run.verdicts[VerdictPassed]) +
         "</td><td>" + Number(run.verdicts[VerdictFailedByOperator]) + "</td><td>" +
         Number(run.verdicts[VerdictFailedByTest]) + "</td><td>" +
         Number(run.verdicts[VerdictIncomplete]) + "</td><td>" + YieldText(run) + "</td>";
    if (retested) {
        t += "<td>" + Format("%.1f%%", Percent(serials->firstPassed, serials->serials)) +
             "</td><td>" + Format("%.1f%%", Percent(serials->finalPassed, serials->serials)) +
             "</td><td>" + Number(serials->serials) + "</td><td>" + Number(serials->retested) +
             "</td>";
    }
    return t + "</tr></table>\n";
}

// A table of names and the keyboards counted for each, most first; none when empty.
std::string CountTable(const std::vector<ReasonCount>& counts, const char* heading) {
    if (counts.empty()) {
        return "";
    }
    std::string t = std::string("<table><tr><th>") + heading + "</th><th>Keyboards</th></tr>";
    for (const ReasonCount& r : MostFrequentFirst(counts)) {
        t += "<tr><td>" + Html(r.reason) + "</td><td>" + Number(r.count) + "</td></tr>";
    }
    return t + "</table>\n";
}

std::string ModelsTable(const std::vector<ModelCount>& models) {
    if (!ModelsKnown(models)) {
        return "";
    }
    std::string t =
        "<table><tr><th>Keyboard model</th><th>Tested</th><th>Passed</th><th>Failed</th>"
        "</tr>";
    for (const ModelCount& m : MostTestedFirst(models)) {
        t += "<tr><td>" + Html(ModelLabel(m)) + "</td><td>" + Number(Tested(m)) + "</td><td>" +
             Number(m.verdicts[VerdictPassed]) + "</td><td>" + Number(Failed(m)) + "</td></tr>";
    }
    return t + "</table>\n";
}

std::string ReasonsTable(const RunTotals& run) {
    return CountTable(run.reasons, "Failure reason") +
           CountTable(run.chatterKeys, "Key that chattered") + ModelsTable(run.models);
}

std::string Serials(const std::vector<std::string>& serials) {
    if (serials.empty()) {
        return "";
    }
    std::string t = "<p class=\"serials\"><b>Failed serial numbers:</b> ";
    for (size_t i = 0; i < serials.size() && i < kSerialsShown; ++i) {
        t += (i == 0 ? "" : ", ") + Html(serials[i]);
    }
    if (serials.size() > kSerialsShown) {
        t += " &hellip; and " + Number(static_cast<long>(serials.size() - kSerialsShown)) +
             " more (see the CSV export)";
    }
    return t + "</p>\n";
}

const char* kStyle = R"(<style>
body { font-family: Arial, Helvetica, sans-serif; margin: 24px; color: #222; }
h1 { font-size: 22px; } h2 { font-size: 18px; margin-top: 28px; } h3 { font-size: 15px; }
table { border-collapse: collapse; margin: 8px 0 12px 0; }
th, td { border: 1px solid #999; padding: 3px 8px; text-align: left; font-size: 13px; }
th { background: #e8e8e8; }
table.counts td { text-align: right; }
.run { border-top: 2px solid #444; padding-top: 6px; page-break-inside: avoid; }
.serials { font-size: 12px; word-wrap: break-word; }
svg text { font-size: 12px; font-family: Arial, Helvetica, sans-serif; }
@media print { body { margin: 0; } .run { page-break-inside: avoid; } }
</style>
)";

} // namespace

void AppendHtmlText(std::string* html, const char* text) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        unsigned char c = *p;
        switch (c) {
        case '&':
            *html += "&amp;";
            break;
        case '<':
            *html += "&lt;";
            break;
        case '>':
            *html += "&gt;";
            break;
        case '"':
            *html += "&quot;";
            break;
        default:
            *html += static_cast<char>(c);
        }
    }
}

void WriteHtmlReport(FILE* out, const Report& report) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
                       "<title>Clavoro test report</title>\n";
    page += kStyle;
    page += "</head><body>\n<h1>Clavoro test report</h1>\n";
    page += "<h2>All runs (" + Number(static_cast<long>(report.runs.size())) + ")</h2>\n";
    page += CountsTable(report.totals, &report.serialYields) + ReasonsTable(report.totals);

    if (!report.totals.reasons.empty()) {
        std::vector<std::pair<std::string, double>> rows;
        double maximum = 0;
        for (const ReasonCount& r : report.totals.reasons) {
            rows.emplace_back(r.reason, static_cast<double>(r.count));
            maximum = std::max(maximum, static_cast<double>(r.count));
        }
        std::stable_sort(rows.begin(), rows.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        page += "<h3>Failure reasons</h3>\n" + BarChart(rows, maximum, "%.0f", "#c0392b");
    }
    std::vector<std::pair<std::string, double>> yields;
    int number = 0;
    for (const RunTotals& run : report.runs) {
        ++number;
        double y = YieldPercent(run);
        if (y >= 0) {
            yields.emplace_back("Run " + std::to_string(number) + ", " + RunDateText(run.header),
                                y);
        }
    }
    if (!yields.empty()) {
        page += "<h3>Yield per run</h3>\n" + BarChart(yields, 100.0, "%.1f%%", "#27ae60");
    }
    if (report.unplacedLines > 0) {
        page += "<p>" + Number(report.unplacedLines) +
                " line(s) of the input could not be placed; the tool listed them on standard "
                "error.</p>\n";
    }

    number = 0;
    for (const RunTotals& run : report.runs) {
        const RunHeader& h = run.header;
        page += "<div class=\"run\"><h2>Run " + std::to_string(++number) + ": " +
                Html(h.dateText[0] != 0 ? h.dateText : "date unknown") + "</h2>\n";
        page += "<table><tr><th>Operator</th><td>" + Html(h.operatorId) +
                "</td></tr><tr><th>Product</th><td>" + Html(h.productId) +
                "</td></tr><tr><th>Batch</th><td>" + Html(h.batchId) +
                "</td></tr><tr><th>Layout(s)</th><td>";
        for (size_t i = 0; i < run.layouts.size(); ++i) {
            page += (i == 0 ? "" : ", ") + Html(run.layouts[i]);
        }
        page += "</td></tr><tr><th>Program</th><td>" + Html(h.programVersion) + " " +
                Html(h.osName) + "</td></tr><tr><th>Source</th><td>" + Html(h.file) + ", line " +
                Number(h.line) + "</td></tr></table>\n";
        page +=
            CountsTable(run, nullptr) + ReasonsTable(run) + Serials(run.failedSerials) + "</div>\n";
    }
    page += "</body></html>\n";
    std::fwrite(page.data(), 1, page.size(), out);
}
