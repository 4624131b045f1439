// The test log of a batch run. Opened by the Operator dialog, closed when the main
// window is destroyed; every writer formats a whole record into the one line buffer
// and writes it with a single write, only while the log is open.
#pragma once
#include <cstdint>

struct TestRunInfo {
    char operatorId[50];
    char productId[50];
    char batchId[50];
    uint32_t keystrokes; // 0..100; 0 = presses not counted
    uint8_t overwrite;   // 1 overwrite the log, 0 append
    char serialNumber[50];
    char versionNumber[50];
};
extern TestRunInfo testRunInfo;

constexpr int kLogLineLength = 1024;

bool IsTestLogOpen();
// Opens path in text mode ("w" when overwrite, else "a"); 1 on success.
int OpenTestLog(const char* path, bool overwrite);
void CloseTestLog();
// Formats one record into the shared line buffer and writes it; nothing when closed.
void WriteLogRecord(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The key-matching records of /t: written only with detailedKeyLog on and the log open.
void WriteKeyTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
