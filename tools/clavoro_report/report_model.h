// What the report says: per run and over all input, the keyboards by verdict, the
// failure reasons and the failed serial numbers, after the filters of the command line.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "tools/clavoro_report/log_reader.h"

struct ReportFilters {
    int since; // yyyymmdd, 0 = no limit
    int until;
    const char* product; // null = any
    const char* batch;
};

struct ReasonCount {
    std::string reason; // a failure reason, or the name of a key that chattered
    long count;
};

struct RunTotals {
    RunHeader header;                 // as complete as the log had it
    std::vector<std::string> layouts; // every layout used, in order of first use
    long verdicts[kVerdictCount];
    std::vector<ReasonCount> reasons;
    std::vector<ReasonCount> chatterKeys; // keyboards failed by a chatter, per key
    std::vector<std::string> failedSerials;
};

// Most frequent first; equal counts keep their order of first appearance.
std::vector<ReasonCount> MostFrequentFirst(const std::vector<ReasonCount>& counts);

struct Report {
    ReportFilters filters;
    std::vector<RunTotals> runs; // runs that pass the filters
    RunTotals totals;            // over those runs
    long unplacedLines;
    FILE* csv;      // one row per keyboard, or null
    FILE* warnings; // unplaced lines, or null
    // Working state while reading.
    RunTotals current;
    bool currentCounted;
};

void StartReport(Report* report, const ReportFilters& filters);
LogEvents ReportEvents(Report* report);
void WriteCsvHeader(FILE* csv);

long Tested(const RunTotals& run);
long Failed(const RunTotals& run);
// Passed keyboards among those with a verdict, in percent; -1 when none had one.
double YieldPercent(const RunTotals& run);
// yyyymmdd of a run's date line, 0 when it has none.
int RunDate(const RunHeader& run);
// "2026-12-05", or "unknown".
std::string RunDateText(const RunHeader& run);
