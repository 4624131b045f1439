// Reads Clavoro test logs record by record and turns them into runs and keyboards.
// A log may hold several runs (appended), the key-matching records of /t, CR LF or
// LF line ends, and damage of any kind: every line is either placed or reported.
// Values come out in UTF-8, read from the code page the station wrote the log in.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/code_pages.h"

constexpr int kFieldLength = 256; // longer values are cut (the program writes at most 49)

enum Verdict : int {
    VerdictPassed = 0,
    VerdictFailedByOperator = 1, // "No" in the pass check
    VerdictFailedByTest = 2,     // a failure the test found, or the Fail test button
    VerdictIncomplete = 3,       // a serial number with no verdict before the run ended
};
constexpr int kVerdictCount = 4;
const char* VerdictName(int verdict);

struct RunHeader {
    char file[kFieldLength];
    long line;                   // line of the run's start record
    char dateText[kFieldLength]; // as the program wrote it
    int year, month, day;        // 0 when the date line is missing or damaged
    char programVersion[kFieldLength];
    char osName[kFieldLength];
    char operatorId[kFieldLength];
    char productId[kFieldLength];
    char batchId[kFieldLength];
    char layout[kFieldLength]; // layout at the time (changes during the run)
};

struct KeyboardRecord {
    char file[kFieldLength];
    long line; // line of its serial-number record
    char serial[kFieldLength];
    char version[kFieldLength];
    char layout[kFieldLength];
    int verdict;
    char reason[kFieldLength];     // empty for a pass
    char chatterKey[kFieldLength]; // the key whose chatter failed it (/c), else empty
    // Its "    Keyboard: " record (batch runs with /d): the vendor and product id as the
    // system writes them, the HID version, and the product name, or for a device without
    // ids its name as the system gives it ("none" when no key of it was pressed).
    char keyboardVid[5];
    char keyboardPid[5];
    char keyboardRev[5];
    char keyboardName[kFieldLength];
};

// What the reader reports; any member may be null.
struct LogEvents {
    void* context;
    void (*runStarted)(void* context, const RunHeader& run);
    void (*layoutChanged)(void* context, const RunHeader& run); // a layout record: run.layout
    void (*keyboardDone)(void* context, const RunHeader& run, const KeyboardRecord& keyboard);
    void (*runEnded)(void* context, const RunHeader& run);
    void (*unplacedLine)(void* context, const char* file, long line, const char* text,
                         size_t length);
};

struct LogReader {
    LogEvents events;
    char file[kFieldLength];
    int codePage; // of the log's texts (base/code_pages.h)
    long lineNumber;
    bool inRun;
    RunHeader run;
    bool runHasKeyboards; // its header is complete: the header records come before
    bool keyboardOpen;    // a serial number was read
    bool verdictSeen;     // its verdict has come; a reason may still follow
    KeyboardRecord keyboard;
};

// The log's texts are in the code page given.
void StartLogReader(LogReader* reader, const LogEvents& events, const char* fileName,
                    int codePage = kWestern);
// What identifies the way this build reads logs: a digest of the reader's sources, so
// that rows read by another reader can be read again.
const char* LogReaderVersion();
// Feeds one line without its line end (a CR before the LF is dropped here).
void ReadLogLine(LogReader* reader, const char* text, size_t length);
// Feeds every line of data that ends in LF; returns the bytes used, so what is left
// is the start of a line still to come.
size_t ReadLogLines(LogReader* reader, const char* data, size_t size);
// The whole text of one log: its lines, the last one also without a line end, then
// the end of the log (an open keyboard becomes incomplete, the run ends).
void ReadLogText(LogReader* reader, const char* text, size_t size);

// "Sat Dec 05 15:17:58 2026" -> year, month, day; 1 on success, 0 for a text of another
// form, a day the calendar does not have or a time the clock does not have.
int ParseLogDate(const char* text, size_t length, int* year, int* month, int* day);
