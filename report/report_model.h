// What the report says: per run and over all input, the keyboards by verdict, the
// failure reasons and the failed serial numbers, after the filters of the command line.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "report/log_reader.h"

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

// Keyboards of one model: "VID 046D PID C31C", the name of a device without ids,
// "none" (no key pressed), or "" (no Keyboard record).
struct ModelCount {
    std::string model;
    std::string name; // the first product name seen for a model with ids
    long verdicts[kVerdictCount];
};

struct RunTotals {
    RunHeader header;                 // as complete as the log had it
    std::vector<std::string> layouts; // every layout used, in order of first use
    long verdicts[kVerdictCount];
    std::vector<ReasonCount> reasons;
    std::vector<ReasonCount> chatterKeys; // keyboards failed by a chatter, per key
    std::vector<std::string> failedSerials;
    std::vector<ModelCount> models;
};

// Texts kept one after another in blocks that never move, each found by its position.
struct TextBlocks {
    std::vector<std::unique_ptr<char[]>> blocks;
    size_t used; // of the last block
};
uint64_t KeepText(TextBlocks* kept, const char* text);
const char* KeptText(const TextBlocks& kept, uint64_t at);

// One verdict of a serial number: its text at `at` in Report::serialText (positions grow
// in the order of reading; up to 2^40 bytes), its run's start in Report::runTimes (up to
// 2^23 runs).
struct SerialVerdict {
    uint64_t hash;
    uint64_t at : 40;
    uint64_t run : 23;
    uint64_t passed : 1;
};

// Per serial number with a verdict, the first and the last: by the start of their runs,
// and in the order read within a run or between runs that started at the same second.
struct SerialYields {
    long serials;
    long retested; // tested more than once
    long firstPassed;
    long finalPassed;
};

// A test of the serial number asked for.
struct SerialTest {
    std::string source;
    long line;
    long long when; // RunTime of its run
    std::string date;
    int verdict;
    std::string reason;
};

// Most frequent first; equal counts keep their order of first appearance.
std::vector<ReasonCount> MostFrequentFirst(const std::vector<ReasonCount>& counts);
// The same for keyboard models, by keyboards tested.
std::vector<ModelCount> MostTestedFirst(const std::vector<ModelCount>& models);
// Models are shown only when some keyboard had a Keyboard record.
bool ModelsKnown(const std::vector<ModelCount>& models);
// "VID 046D PID C31C \"USB Keyboard\"", a device's name, "none (no key pressed)".
std::string ModelLabel(const ModelCount& model);

struct Report {
    ReportFilters filters;
    std::vector<RunTotals> runs; // runs that pass the filters
    RunTotals totals;            // over those runs
    long unplacedLines;
    FILE* csv;          // one row per keyboard, or null
    FILE* warnings;     // unplaced lines, or null
    const char* serial; // only the tests of this serial number, for WriteSerialHistory
    std::vector<SerialVerdict> serialVerdicts; // in order of reading
    TextBlocks serialText;
    std::vector<long long> runTimes; // RunTime of each run started
    size_t runsStarted;
    SerialYields serialYields;           // by FinishReport
    std::vector<SerialTest> serialTests; // of serial, oldest first after FinishReport
    // Working state while reading.
    RunTotals current;
    bool currentCounted;
};

void StartReport(Report* report, const ReportFilters& filters);
LogEvents ReportEvents(Report* report);
// After the last log: the yields per serial number, the tests of the serial asked for
// in order.
void FinishReport(Report* report);
void WriteCsvHeader(FILE* csv);
// "t.log:12: could not place line: ..." with the line's start made printable.
void WriteUnplacedLine(FILE* out, const char* file, long line, const char* text, size_t length);

// The keyboards of a run or of a model, and those of them that failed.
template <typename Counts> long Tested(const Counts& counts) {
    long n = 0;
    for (long v : counts.verdicts) {
        n += v;
    }
    return n;
}
template <typename Counts> long Failed(const Counts& counts) {
    return counts.verdicts[VerdictFailedByOperator] + counts.verdicts[VerdictFailedByTest];
}
// Passed keyboards among those with a verdict, in percent; -1 when none had one.
double YieldPercent(const RunTotals& run);
// Part of a whole in percent, -1 when the whole is 0.
double Percent(long part, long whole);
// yyyymmdd of a run's date line, 0 when it has none.
int RunDate(const RunHeader& run);
// "2026-12-05", or "unknown".
std::string RunDateText(const RunHeader& run);
// yyyymmddhhmmss of a run's start, 0 when it has no date.
long long RunTime(const RunHeader& run);
