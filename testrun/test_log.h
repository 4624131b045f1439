// The test log of a batch run. Opened by the Operator dialog, closed when the main
// window is destroyed; every writer formats a whole record into the one line buffer
// and writes it with a single write, only while the log is open.
//
// A record is in the operating system's hands before its writer goes on, so a program
// that is ended by force loses nothing it has shown. At the end of each step of the run
// (the run header, a serial number, a verdict) CommitTestLog puts the file on the disk.
// A write that fails keeps its record, and every record after it, in order, until a
// commit writes them: the operator is asked there to retry or to go on without them.
#pragma once
#include <cstddef>
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
// Room for records that could not be written yet: about ten thousand keyboards' verdicts.
constexpr size_t kUnwrittenLogSize = 1 << 20;

bool IsTestLogOpen();
// Opens path for appending, emptied first when overwrite; 1 on success.
int OpenTestLog(const char* path, bool overwrite);
// Writes what is still unwritten (asking the operator once more while that fails) and
// closes the log.
void CloseTestLog();
// Formats one record into the shared line buffer and writes it; nothing when closed. A
// record is one line, whatever its arguments hold: its line end is the "\n" that closes
// it (added when missing), and any other control character in it is written as '?'.
void WriteLogRecord(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The key-matching records of /t: written only with detailedKeyLog on and the log open.
void WriteKeyTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The end of a step of the run: writes the records still unwritten, asking the operator
// to retry or to go on while that fails, then puts the file on the disk. 1 when every
// record is written; 0 when the operator went on without some (they stay kept).
int CommitTestLog();
// Bytes of records kept because they could not be written yet.
size_t UnwrittenLogBytes();
