#include "testrun/test_log.h"

#include <cstdarg>
#include <cstdio>

#include "app/app_state.h"

TestRunInfo testRunInfo;

static FILE* testLog = nullptr;
static char logLine[kLogLineLength];

bool IsTestLogOpen() {
    return testLog != nullptr;
}

int OpenTestLog(const char* path, bool overwrite) {
    CloseTestLog();
    testLog = std::fopen(path, overwrite ? "w" : "a");
    return testLog != nullptr ? 1 : 0;
}

void CloseTestLog() {
    if (testLog != nullptr) {
        std::fclose(testLog);
        testLog = nullptr;
    }
}

static void WriteRecord(const char* format, va_list args) {
    int n = std::vsnprintf(logLine, sizeof logLine, format, args);
    if (n < 0) {
        return;
    }
    // A record longer than the buffer is cut, never overrun; keep its line end.
    if (n >= kLogLineLength) {
        n = kLogLineLength - 1;
        logLine[n - 1] = '\n';
    }
    std::fwrite(logLine, 1, static_cast<size_t>(n), testLog);
}

void WriteLogRecord(const char* format, ...) {
    if (testLog == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    WriteRecord(format, args);
    va_end(args);
}

void WriteKeyTrace(const char* format, ...) {
    if (testLog == nullptr || !appState.detailedKeyLog) {
        return;
    }
    va_list args;
    va_start(args, format);
    WriteRecord(format, args);
    va_end(args);
}
