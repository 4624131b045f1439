// What the batch-run dialogs decide and write, without the window system: the checks
// of the Operator dialog, the run header, and the serial and verdict records. The
// dialog procedures (*_win32.cpp) only read their controls and call these.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>

#include "base/handles.h"
#include "base/station_settings.h"

constexpr const char* kProgramVersion = "V3.2";
constexpr const char* kProgramBuild = "1002";

constexpr int kIdentificationLength = 49; // characters of every identification field
constexpr int kKeystrokesLength = 4;
constexpr int kLogFileNameLength = 399;

// The fields of the Operator dialog as read at "Continue"; each buffer holds what the
// dialog's edit control returned, cut to the field's length.
struct OperatorEntry {
    char operatorId[kIdentificationLength + 1];
    char productId[kIdentificationLength + 1];
    char batchId[kIdentificationLength + 1];
    char keystrokes[kKeystrokesLength + 1];
    char logFileName[kLogFileNameLength + 1];
    bool append; // "Append to log file" checked
};

// Keystrokes text as a signed decimal (blanks, a sign, digits up to the first other
// character; no digits gives 0), kept as the unsigned value, so "-5" is 4294967291.
uint32_t ParseKeystrokes(const char* text);

// The file part of a log name: not empty and none of \ / : * ? < > |.
bool IsValidLogFileName(const char* part);

// "test.log" in the data folder, cut to size.
void DefaultLogPath(char* out, size_t size);

// The Operator dialog as it opens: product and batch identification, keystrokes and log
// mode from the station's settings; the station's log file, else the default log. The
// operator identification is left empty: each operator enters their own.
void OperatorDefaults(const StationSettings& station, OperatorEntry* entry);

// A chosen log name whose file part has no extension gets ".log" (when it fits).
void AddLogExtension(char* path, size_t size);

// Short name (at most 12 characters) of the system from its version record.
const char* OsNameFromVersion(unsigned major, unsigned minor, unsigned platformId);

// "Wed Jan 02 09:05:07 2026": 24 characters, English names, two-digit day.
void FormatLogDate(const std::tm& now, char* out, size_t size);

// Every text that goes from a dialog into the test log is one line of printable
// characters: true when text holds a control character (codes 1 to 31 and 127, tab
// included), which the dialog refuses as it refuses an empty field.
bool HoldsControlCharacter(const char* text);

// Steps of "Continue" up to the opening of the log: stores the fields in testRunInfo,
// shows each failed check (owned by dialog) in order, sets the overwrite flag. 1 valid.
// *field is the edit control the dialog leaves selected (one that holds a control
// character), 0 for none.
int CheckOperatorEntry(WindowHandle dialog, const OperatorEntry& entry, int* field);

// The whole of "Continue": the checks, the opening of the log and records 1 to 6 of
// the run header. 1 when the dialog may end; 0 keeps it open, with *field selected.
int AcceptOperatorEntry(WindowHandle dialog, const OperatorEntry& entry, const char* osName,
                        const std::tm& now, int* field);

void WriteRunHeader(const char* osName, const std::tm& now);

// Why "Continue" of the Serial dialog was refused: the text of its message line and the
// edit control it leaves selected (0 for none).
struct SerialRefusal {
    char message[96];
    int field;
};

// "Continue" of the Serial dialog: stores both fields; when one is empty or holds a
// control character returns 0 with *refusal filled in and writes nothing, else writes
// the serial and version records and returns 1.
int AcceptSerial(const char* serialNumber, const char* versionNumber, SerialRefusal* refusal);

// Passverification: writes the PASSED or FAILED record.
void WriteVerification(bool passed);

// Key chatter is offered only with /c.
enum FailReason {
    kBadKey = 1,
    kBadRow = 2,
    kBadColumn = 3,
    kBadLeds = 4,
    kOtherReason = 5,
    kKeyChatter = 6,
};

// The first of Bad key, Bad row, Bad column, Bad LEDs, Key chatter that is checked, else
// Other reason.
FailReason FailReasonFromChecks(const bool checked[5]);
const char* FailReasonRecord(FailReason reason);
// Writes the reason's record and, in plug-in mode, tells the host (message kind 3).
void ReportFailReason(FailReason reason);
