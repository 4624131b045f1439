#include "testrun/test_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "base/append_file.h"
#include "base/message_box.h"

TestRunInfo testRunInfo;

namespace {

AppendFile testLog = {nullptr};
char logPath[400];
char logLine[kLogLineLength];
char fileLine[kLogLineLength + 2]; // the record as one line ending in CR LF

// Records that could not be written yet, in their order, and whose they are.
char unwritten[kUnwrittenLogSize];
size_t unwrittenLength = 0;
char firstSerial[sizeof testRunInfo.serialNumber];
char lastSerial[sizeof testRunInfo.serialNumber];
unsigned lostRecords = 0; // found no room among the unwritten ones
char failure[kFailureTextSize];
// Records handed to the system since the disk last said it had them all, and whose they are.
bool unconfirmed = false;
char unconfirmedFirst[sizeof testRunInfo.serialNumber];
char unconfirmedLast[sizeof testRunInfo.serialNumber];

// The key-matching records of /t may not take the last part of the room: the serial
// numbers and verdicts that come after them must still find some.
constexpr size_t kRoomForVerdicts = 64 * 1024;

void Keep(const char* bytes, size_t n, bool keyTrace) {
    const size_t room = sizeof unwritten - (keyTrace ? kRoomForVerdicts : 0);
    if (unwrittenLength + n > room) {
        ++lostRecords;
        return;
    }
    if (unwrittenLength == 0) {
        std::snprintf(firstSerial, sizeof firstSerial, "%s", testRunInfo.serialNumber);
    }
    std::snprintf(lastSerial, sizeof lastSerial, "%s", testRunInfo.serialNumber);
    std::memcpy(unwritten + unwrittenLength, bytes, n);
    unwrittenLength += n;
}

// Writes the kept records; what reached the file leaves them, also part of one.
bool WriteUnwritten() {
    size_t written = 0;
    const int ok =
        AppendToFile(&testLog, unwritten, unwrittenLength, &written, failure, sizeof failure);
    std::memmove(unwritten, unwritten + written, unwrittenLength - written);
    unwrittenLength -= written;
    return ok != 0;
}

// Records that found no room are gone once those before them are written: say so once.
void ReportLostRecords() {
    if (lostRecords == 0) {
        return;
    }
    char text[600];
    std::snprintf(text, sizeof text,
                  "%u records found no room while the test log could not be written and are "
                  "missing from\n%s",
                  lostRecords, logPath);
    lostRecords = 0;
    ShowMessage(appState.mainWindow, text, "Clavoro: Error", kIconExclamation);
}

void WriteRecord(const char* format, va_list args, bool keyTrace) {
    int n = std::vsnprintf(logLine, sizeof logLine, format, args);
    if (n < 0) {
        return;
    }
    // A record is one line: what comes before its closing "\n" is its text, and no text
    // handed in may start a line of its own (a serial number holding a line break would
    // forge a verdict). A record longer than the buffer is cut, never overrun.
    if (n >= kLogLineLength) {
        n = kLogLineLength - 2;
    } else if (n > 0 && logLine[n - 1] == '\n') {
        --n;
    }
    logLine[n] = 0;
    const size_t length = ToFileLine(logLine, true, fileLine, sizeof fileLine);
    if (!unconfirmed) {
        std::snprintf(unconfirmedFirst, sizeof unconfirmedFirst, "%s", testRunInfo.serialNumber);
        unconfirmed = true;
    }
    std::snprintf(unconfirmedLast, sizeof unconfirmedLast, "%s", testRunInfo.serialNumber);
    // While earlier records wait, this one waits behind them: nothing is written out of
    // order, and a failing drive is tried again only at the next commit, not at every key.
    const bool waiting = unwrittenLength > 0;
    Keep(fileLine, length, keyTrace);
    if (!waiting) {
        WriteUnwritten();
    }
}

// "serial number SN-2", "serial numbers SN-1 to SN-3", "the run header" ...
void DescribeRecords(char* out, size_t size, const char* firstSerial, const char* lastSerial) {
    if (firstSerial[0] == 0 && lastSerial[0] == 0) {
        std::snprintf(out, size, "the run header");
    } else if (firstSerial[0] == 0) {
        std::snprintf(out, size, "the run header to serial number %s", lastSerial);
    } else if (std::strcmp(firstSerial, lastSerial) == 0) {
        std::snprintf(out, size, "serial number %s", firstSerial);
    } else {
        std::snprintf(out, size, "serial numbers %s to %s", firstSerial, lastSerial);
    }
}

// Retry and Cancel until the kept records are written or the operator goes on.
bool WriteUnwrittenOrAsk(const char* whatCancelDoes) {
    while (!WriteUnwritten()) {
        char which[128];
        DescribeRecords(which, sizeof which, firstSerial, lastSerial);
        char lost[96] = "";
        if (lostRecords > 0) {
            std::snprintf(lost, sizeof lost,
                          "\n%u later records found no room and will be missing.", lostRecords);
        }
        char text[1024];
        std::snprintf(text, sizeof text,
                      "The test log could not be written:\n%s\n%s\n\nRecords not written: "
                      "%s.%s\n\nFree space on the drive or reconnect it, then choose Retry to "
                      "write them. %s",
                      logPath, failure, which, lost, whatCancelDoes);
        if (!AskRetryOrCancel(text, "Clavoro: Error", kIconStop)) {
            return false;
        }
    }
    ReportLostRecords();
    return true;
}

// A flush the disk refuses (a share gone, a write the drive had taken and then failed) leaves
// the records it was to confirm in doubt: Retry and Cancel until the disk has them.
bool FlushOrAsk(const char* whatCancelDoes) {
    while (unconfirmed && !FlushAppendFile(&testLog, failure, sizeof failure)) {
        char which[128];
        DescribeRecords(which, sizeof which, unconfirmedFirst, unconfirmedLast);
        char text[1024];
        std::snprintf(text, sizeof text,
                      "The test log could not be put on the disk:\n%s\n%s\n\nRecords not "
                      "confirmed: %s.\n\nReconnect the drive, then choose Retry. %s",
                      logPath, failure, which, whatCancelDoes);
        if (!AskRetryOrCancel(text, "Clavoro: Error", kIconStop)) {
            return false;
        }
    }
    unconfirmed = false;
    return true;
}

} // namespace

bool IsTestLogOpen() {
    return testLog.handle != nullptr;
}

int OpenTestLog(const char* path, bool overwrite) {
    CloseTestLog();
    std::snprintf(logPath, sizeof logPath, "%s", path);
    char why[kFailureTextSize];
    return OpenAppendFile(&testLog, path, overwrite, why, sizeof why);
}

void CloseTestLog() {
    if (testLog.handle == nullptr) {
        return;
    }
    if (unwrittenLength == 0 || WriteUnwrittenOrAsk("Cancel ends the program without them.")) {
        FlushOrAsk("Cancel ends the program without knowing they are on the disk.");
    }
    CloseAppendFile(&testLog);
    unwrittenLength = 0;
    lostRecords = 0;
    unconfirmed = false;
}

int CommitTestLog() {
    if (testLog.handle == nullptr) {
        return 1;
    }
    if (unwrittenLength > 0 &&
        !WriteUnwrittenOrAsk("Cancel goes on with the test and keeps them, to be written before "
                             "the next record.")) {
        return 0;
    }
    return FlushOrAsk("Cancel goes on with the test; the disk is asked again at the next "
                      "serial number or verdict.")
               ? 1
               : 0;
}

size_t UnwrittenLogBytes() {
    return unwrittenLength;
}

void WriteLogRecord(const char* format, ...) {
    if (testLog.handle == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    WriteRecord(format, args, false);
    va_end(args);
}

void WriteKeyTrace(const char* format, ...) {
    if (testLog.handle == nullptr || !appState.detailedKeyLog) {
        return;
    }
    va_list args;
    va_start(args, format);
    WriteRecord(format, args, true);
    va_end(args);
}
