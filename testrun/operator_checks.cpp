#include "testrun/operator_checks.h"

#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "base/message_box.h"
#include "resources/batch_dialog_ids.h"
#include "testrun/plugin_link.h"
#include "testrun/test_log.h"

static const char* const kErrorCaption = "Clavoro: Error";

uint32_t ParseKeystrokes(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Unsigned arithmetic wraps instead of overflowing; the field holds 4 characters
    // anyway, so only the sign matters in practice.
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10u + static_cast<uint32_t>(*p - '0');
        ++p;
    }
    return negative ? 0u - value : value;
}

// The whole file part is examined, however long: a name the file system cannot take
// (more than 255 characters) is then refused by the opening with its own message,
// rather than being cut or called invalid for characters it does not hold.
bool IsValidLogFileName(const char* part) {
    if (part[0] == 0) {
        return false;
    }
    return std::strpbrk(part, "\\/:*?<>|") == nullptr;
}

void DefaultLogPath(char* out, size_t size) {
    DataFilePath("test.log", out, size);
}

void OperatorDefaults(const StationSettings& station, OperatorEntry* entry) {
    *entry = OperatorEntry{};
    std::snprintf(entry->productId, sizeof entry->productId, "%s", station.product);
    std::snprintf(entry->batchId, sizeof entry->batchId, "%s", station.batch);
    StationKeystrokes(station, entry->keystrokes, sizeof entry->keystrokes);
    if (station.logFile[0] != 0) {
        std::snprintf(entry->logFileName, sizeof entry->logFileName, "%s", station.logFile);
    } else {
        DefaultLogPath(entry->logFileName, sizeof entry->logFileName);
    }
    entry->append = StationAppends(station);
}

void AddLogExtension(char* path, size_t size) {
    const char* part = std::strrchr(path, '\\');
    part = part != nullptr ? part + 1 : path;
    size_t length = std::strlen(path);
    if (part[0] == 0 || std::strchr(part, '.') != nullptr || length + 4 >= size) {
        return;
    }
    std::memcpy(path + length, ".log", 5);
}

const char* OsNameFromVersion(unsigned major, unsigned minor, unsigned platformId) {
    if (platformId == 1) {
        if (minor == 0) {
            return "Windows 95";
        }
        return minor < 90 ? "Windows 98" : "Windows ME";
    }
    if (platformId == 2) {
        if (major <= 3) {
            return "NT3";
        }
        if (major == 4) {
            return "NT4";
        }
        if (major == 5 && minor == 0) {
            return "Windows 2000";
        }
        return "Windows XP";
    }
    return "Unknown";
}

void FormatLogDate(const std::tm& now, char* out, size_t size) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // The C library keeps both in range; the modulo only makes a stray value harmless.
    std::snprintf(out, size, "%s %s %02d %02d:%02d:%02d %d",
                  kDays[static_cast<unsigned>(now.tm_wday) % 7],
                  kMonths[static_cast<unsigned>(now.tm_mon) % 12], now.tm_mday, now.tm_hour,
                  now.tm_min, now.tm_sec, now.tm_year + 1900);
}

static void ShowError(WindowHandle dialog, const char* text) {
    ShowMessage(dialog, text, kErrorCaption, kIconNone);
}

// A line break in a field would write a record of its own into the log (a serial number
// that never was, a verdict the keyboard never got); a tab or another control character
// makes the log hard to read and to parse. Such a text is refused, never changed.
bool HoldsControlCharacter(const char* text) {
    for (const char* c = text; *c != 0; ++c) {
        const unsigned char u = static_cast<unsigned char>(*c);
        if (u < ' ' || u == 127) {
            return true;
        }
    }
    return false;
}

namespace {

// A field of a dialog whose text goes into the test log.
struct LoggedField {
    int control;
    const char* name; // as the dialog's messages call it
    const char* text;
};

// The control of the first field that holds a control character, with the message that
// names it; 0 when none does.
int FindControlCharacter(const LoggedField* fields, int count, char* message, size_t size) {
    for (int i = 0; i < count; ++i) {
        if (HoldsControlCharacter(fields[i].text)) {
            std::snprintf(message, size,
                          "The %s may not hold line breaks or other control characters",
                          fields[i].name);
            return fields[i].control;
        }
    }
    return 0;
}

} // namespace

int CheckOperatorEntry(WindowHandle dialog, const OperatorEntry& entry, int* field) {
    bool valid = true;
    *field = 0;
    std::snprintf(testRunInfo.operatorId, sizeof testRunInfo.operatorId, "%s", entry.operatorId);
    std::snprintf(testRunInfo.productId, sizeof testRunInfo.productId, "%s", entry.productId);
    std::snprintf(testRunInfo.batchId, sizeof testRunInfo.batchId, "%s", entry.batchId);
    testRunInfo.keystrokes = ParseKeystrokes(entry.keystrokes);

    if (testRunInfo.operatorId[0] == 0) {
        ShowError(dialog, "You must enter an Operator identification");
        valid = false;
    }
    if (testRunInfo.productId[0] == 0 && valid) {
        ShowError(dialog, "You must enter a Product identification");
        valid = false;
    }
    if (testRunInfo.batchId[0] == 0 && valid) {
        ShowError(dialog, "You must enter a Batch identification");
        valid = false;
    }
    const LoggedField identifications[] = {
        {IDC_OPERATOR_ID, "Operator identification", testRunInfo.operatorId},
        {IDC_PRODUCT_ID, "Product identification", testRunInfo.productId},
        {IDC_BATCH_ID, "Batch identification", testRunInfo.batchId},
    };
    char refusal[96];
    if (valid) {
        *field = FindControlCharacter(identifications, 3, refusal, sizeof refusal);
        if (*field != 0) {
            ShowError(dialog, refusal);
            valid = false;
        }
    }
    if (testRunInfo.keystrokes > 100 && valid) {
        ShowError(dialog, "You must enter a number of keystrokes between 1 and 100");
        valid = false;
    }

    // The log name is checked whatever the fields above gave; one message at most.
    const char* name = entry.logFileName;
    const char* lastSlash = std::strrchr(name, '\\');
    if (name[0] == 0 && valid) {
        ShowError(dialog, "Log Filename invalid: NULL not allowed");
        valid = false;
    } else if (lastSlash == nullptr) {
        ShowError(dialog, "Log Filename invalid: No path specified");
        valid = false;
    } else if (!IsValidLogFileName(lastSlash + 1)) {
        ShowError(dialog, "Log Filename invalid: NULL \\ / : * ? < > | not allowed");
        valid = false;
    }

    testRunInfo.overwrite = entry.append ? 0 : 1;
    return valid ? 1 : 0;
}

void WriteRunHeader(const char* osName, const std::tm& now) {
    char date[32];
    FormatLogDate(now, date, sizeof date);
    WriteLogRecord("======== START OF NEW TEST RUN ========\n");
    WriteLogRecord("Clavoro %s build %s,  %s\n", kProgramVersion, kProgramBuild, osName);
    WriteLogRecord("%s\n", date);
    WriteLogRecord("Operator identification: %s\n", testRunInfo.operatorId);
    WriteLogRecord("Product identification: %s\n", testRunInfo.productId);
    WriteLogRecord("Batch identification: %s\n", testRunInfo.batchId);
}

int AcceptOperatorEntry(WindowHandle dialog, const OperatorEntry& entry, const char* osName,
                        const std::tm& now, int* field) {
    if (CheckOperatorEntry(dialog, entry, field) == 0) {
        return 0;
    }
    if (OpenTestLog(entry.logFileName, testRunInfo.overwrite != 0) == 0) {
        ShowError(dialog, "Unable to open log file. Please enter an alternate Filename");
        return 0;
    }
    WriteRunHeader(osName, now);
    CommitTestLog();
    return 1;
}

int AcceptSerial(const char* serialNumber, const char* versionNumber, SerialRefusal* refusal) {
    std::snprintf(testRunInfo.serialNumber, sizeof testRunInfo.serialNumber, "%s", serialNumber);
    std::snprintf(testRunInfo.versionNumber, sizeof testRunInfo.versionNumber, "%s", versionNumber);
    if (testRunInfo.serialNumber[0] == 0 || testRunInfo.versionNumber[0] == 0) {
        std::snprintf(refusal->message, sizeof refusal->message,
                      "Please enter a Serial Number and Version");
        refusal->field = 0;
        return 0;
    }
    const LoggedField fields[] = {
        {IDC_SERIAL_NUMBER, "Serial number", testRunInfo.serialNumber},
        {IDC_VERSION_NUMBER, "Version number", testRunInfo.versionNumber},
    };
    refusal->field = FindControlCharacter(fields, 2, refusal->message, sizeof refusal->message);
    if (refusal->field != 0) {
        return 0;
    }
    WriteLogRecord("Serial number: %s\n", testRunInfo.serialNumber);
    WriteLogRecord("Version number: %s\n", testRunInfo.versionNumber);
    CommitTestLog();
    return 1;
}

void WriteVerification(bool passed) {
    WriteLogRecord(passed ? "User verification: PASSED\n" : "User verification: FAILED\n");
}

FailReason FailReasonFromChecks(const bool checked[5]) {
    static const FailReason kInOrder[5] = {kBadKey, kBadRow, kBadColumn, kBadLeds, kKeyChatter};
    for (int i = 0; i < 5; ++i) {
        if (checked[i]) {
            return kInOrder[i];
        }
    }
    return kOtherReason;
}

const char* FailReasonRecord(FailReason reason) {
    switch (reason) {
    case kBadKey:
        return "    Failure Reason: Bad key\n";
    case kBadRow:
        return "    Failure Reason: Bad row\n";
    case kBadColumn:
        return "    Failure Reason: Bad column\n";
    case kBadLeds:
        return "    Failure Reason: Bad LEDs\n";
    case kKeyChatter:
        return "    Failure Reason: Key chatter\n";
    case kOtherReason:
        break;
    }
    return "    Failure Reason: Other reason\n";
}

void ReportFailReason(FailReason reason) {
    const char* record = FailReasonRecord(reason);
    WriteLogRecord("%s", record);
    if (appState.pluginMode) {
        char text[128];
        std::snprintf(text, sizeof text, "Failed by user -%s", record);
        PostHostMessage(text, 3);
    }
}
