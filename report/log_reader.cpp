#include "report/log_reader.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/code_pages.h"

namespace {

const char* const kVerdictNames[kVerdictCount] = {
    "PASSED", "FAILED by the operator after verification", "FAILED by the test", "INCOMPLETE"};

// The key-matching records of /t and the verdict check: known, but nothing to count.
const char* const kTraceRecords[] = {
    "=============================================",
    "Key Down: Windows - ",
    "Key Up: Windows - ",
    "Attempting key match of type ",
    "Key matched: ",
    "Recorded time key depressed",
    "New status ",
    "New Compound Key status ",
    "New Modified Key status ",
    "Completed Key down processing",
    "Completed Key up processing",
    "Attempting to match compound key ",
    "Sorted compound characters and History",
    "History scancode ",
    "Compound key match status ",
    "Attempting to match Modified key ",
    "Checking whether the test has passed. User verifiaction required: ",
    "Key chatter: ",
    "Not tested: ",
};

// "<key>, <gap> ms after its release", the text of a chatter record: the length of the
// key's name (which may hold commas itself), or 0 when the text is not of that form.
size_t ChatterKeyLength(const char* text, size_t length) {
    static const char kTail[] = " ms after its release";
    const size_t tail = sizeof kTail - 1;
    if (length < tail || std::memcmp(text + length - tail, kTail, tail) != 0) {
        return 0;
    }
    size_t end = length - tail;
    const size_t digitsEnd = end;
    while (end > 0 && text[end - 1] >= '0' && text[end - 1] <= '9') {
        --end;
    }
    if (end == digitsEnd || end < 3 || text[end - 1] != ' ' || text[end - 2] != ',') {
        return 0;
    }
    return end - 2;
}

bool StartsWith(const char* text, size_t length, const char* prefix, size_t* prefixLength) {
    size_t n = std::strlen(prefix);
    if (length < n || std::memcmp(text, prefix, n) != 0) {
        return false;
    }
    *prefixLength = n;
    return true;
}

bool Equals(const char* text, size_t length, const char* word) {
    size_t n = std::strlen(word);
    return length == n && std::memcmp(text, word, n) == 0;
}

// Copies a value in UTF-8, cut to the field at a character's start, with NUL and
// control bytes made visible as '?' so that every output format shows what the log
// held without breaking.
void CopyValue(char* field, const char* text, size_t length, int codePage) {
    if (length > static_cast<size_t>(kFieldLength - 1)) {
        length = kFieldLength - 1;
    }
    size_t i = 0;
    for (; i < length && static_cast<unsigned char>(text[i]) < 0x80; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        field[i] = (c < 32 && c != '\t') || c == 127 ? '?' : static_cast<char>(c);
    }
    if (i < length) {
        std::string utf8;
        for (uint32_t c : DecodeText(std::string(text + i, length - i), codePage)) {
            EncodeChar(c < 32 && c != '\t' ? '?' : c == 127 ? '?' : c, kUtf8, &utf8);
        }
        size_t n = utf8.size() < kFieldLength - 1 - i ? utf8.size() : kFieldLength - 1 - i;
        while (n < utf8.size() && n > 0 && (utf8[n] & 0xC0) == 0x80) {
            --n; // a character cut in two is left out
        }
        std::memcpy(field + i, utf8.data(), n);
        i += n;
    }
    field[i] = 0;
}

// "Loaded keyboard layout US104.kbl" -> "US104".
void CopyLayoutName(char* field, const char* text, size_t length, int codePage) {
    if (length >= 4 && std::memcmp(text + length - 4, ".kbl", 4) == 0) {
        length -= 4;
    }
    CopyValue(field, text, length, codePage);
}

void Unplaced(LogReader* r, const char* text, size_t length) {
    if (r->events.unplacedLine != nullptr) {
        r->events.unplacedLine(r->events.context, r->file, r->lineNumber, text, length);
    }
}

// Ends the keyboard on the bench: it is done with its verdict, or incomplete.
void CloseKeyboard(LogReader* r) {
    if (!r->keyboardOpen) {
        return;
    }
    if (!r->verdictSeen) {
        r->keyboard.verdict = VerdictIncomplete;
    }
    if (r->events.keyboardDone != nullptr) {
        r->events.keyboardDone(r->events.context, r->run, r->keyboard);
    }
    r->keyboardOpen = false;
    r->verdictSeen = false;
}

void EndRun(LogReader* r) {
    CloseKeyboard(r);
    if (r->inRun && r->events.runEnded != nullptr) {
        r->events.runEnded(r->events.context, r->run);
    }
    r->inRun = false;
}

void StartRun(LogReader* r) {
    EndRun(r);
    std::memset(&r->run, 0, sizeof r->run);
    r->runHasKeyboards = false;
    std::snprintf(r->run.file, sizeof r->run.file, "%s", r->file);
    r->run.line = r->lineNumber;
    r->inRun = true;
    if (r->events.runStarted != nullptr) {
        r->events.runStarted(r->events.context, r->run);
    }
}

int MonthNumber(const char* m) {
    static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i) {
        if (std::memcmp(m, kMonths[i], 3) == 0) {
            return i + 1;
        }
    }
    return 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsUpperHex4(const char* t) {
    for (int i = 0; i < 4; ++i) {
        if (!IsDigit(t[i]) && (t[i] < 'A' || t[i] > 'F')) {
            return false;
        }
    }
    return true;
}

// The text of a Keyboard record: IDENTITY [", rev " HHHH] [", \"" NAME "\""], where
// IDENTITY is "VID hhhh PID hhhh", a device name without ids, or "none". Read from the
// right, since only the name is quoted and it holds no quote. False when the text is
// not of that form; the keyboard is then left as it was.
bool ReadKeyboardIdentity(KeyboardRecord* kb, const char* text, size_t length, int codePage) {
    size_t end = length;
    size_t nameAt = 0, nameLength = 0;
    if (end > 0 && text[end - 1] == '"') {
        size_t quote = end - 1;
        while (quote > 0 && text[quote - 1] != '"') {
            --quote;
        }
        if (quote < 4 || std::memcmp(text + quote - 3, ", \"", 3) != 0) {
            return false;
        }
        nameAt = quote;
        nameLength = end - 1 - quote;
        end = quote - 3;
    }
    size_t revAt = 0;
    if (end >= 10 && std::memcmp(text + end - 10, ", rev ", 6) == 0) {
        if (!IsUpperHex4(text + end - 4)) {
            return false;
        }
        revAt = end - 4;
        end -= 10;
    }
    const bool ids = end == 17 && std::memcmp(text, "VID ", 4) == 0 && IsUpperHex4(text + 4) &&
                     std::memcmp(text + 8, " PID ", 5) == 0 && IsUpperHex4(text + 13);
    const bool none = Equals(text, end, "none");
    if (end == 0 || (!ids && end >= 4 && std::memcmp(text, "VID ", 4) == 0) ||
        (none && end != length)) {
        return false;
    }
    CopyValue(kb->keyboardVid, ids ? text + 4 : text, ids ? 4 : 0, codePage);
    CopyValue(kb->keyboardPid, ids ? text + 13 : text, ids ? 4 : 0, codePage);
    CopyValue(kb->keyboardRev, text + revAt, revAt > 0 ? 4 : 0, codePage);
    if (nameLength > 0) {
        CopyValue(kb->keyboardName, text + nameAt, nameLength, codePage);
    } else {
        CopyValue(kb->keyboardName, text, ids ? 0 : end, codePage);
    }
    return true;
}

} // namespace

const char* LogReaderVersion() {
    return CLAVORO_READER_VERSION;
}

const char* VerdictName(int verdict) {
    return kVerdictNames[verdict]; // the reader sets no other verdict
}

int ParseLogDate(const char* t, size_t length, int* year, int* month, int* day) {
    // Www Mmm dd hh:mm:ss yyyy
    static const char* const kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    if (length != 24 || t[3] != ' ' || t[7] != ' ' || t[10] != ' ' || t[13] != ':' ||
        t[16] != ':' || t[19] != ' ') {
        return 0;
    }
    bool knownDay = false;
    for (const char* d : kDays) {
        knownDay = knownDay || std::memcmp(t, d, 3) == 0;
    }
    const int digits[] = {8, 9, 11, 12, 14, 15, 17, 18, 20, 21, 22, 23};
    for (int i : digits) {
        if (!IsDigit(t[i])) {
            return 0;
        }
    }
    const int m = MonthNumber(t + 4);
    const int d = (t[8] - '0') * 10 + (t[9] - '0');
    const int y = (t[20] - '0') * 1000 + (t[21] - '0') * 100 + (t[22] - '0') * 10 + (t[23] - '0');
    static const int kDaysIn[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    const auto two = [t](int at) { return (t[at] - '0') * 10 + (t[at + 1] - '0'); };
    if (!knownDay || m == 0 || y == 0 || d < 1 || d > kDaysIn[m - 1] ||
        (m == 2 && d == 29 && !leap) || two(11) > 23 || two(14) > 59 || two(17) > 59) {
        return 0;
    }
    *year = y;
    *month = m;
    *day = d;
    return 1;
}

void StartLogReader(LogReader* reader, const LogEvents& events, const char* fileName,
                    int codePage) {
    std::memset(reader, 0, sizeof *reader);
    reader->events = events;
    reader->codePage = codePage;
    std::snprintf(reader->file, sizeof reader->file, "%s", fileName);
}

void ReadLogLine(LogReader* r, const char* text, size_t length) {
    ++r->lineNumber;
    if (length > 0 && text[length - 1] == '\r') {
        --length;
    }
    if (std::memchr(text, '\r', length) != nullptr) {
        // No record holds a CR of its own: this was a typed field with a line break, and
        // what follows may be the rest of that field passing for records. The keyboard on
        // the bench takes nothing after it.
        CloseKeyboard(r);
        Unplaced(r, text, length);
        return;
    }
    size_t n = 0;
    if (Equals(text, length, "======== START OF NEW TEST RUN ========")) {
        StartRun(r);
        return;
    }
    for (const char* record : kTraceRecords) {
        if (StartsWith(text, length, record, &n)) {
            if (!r->inRun) {
                Unplaced(r, text, length);
            }
            return;
        }
    }
    if (!r->inRun) {
        Unplaced(r, text, length);
        return;
    }
    RunHeader& run = r->run;
    if (StartsWith(text, length, "Serial number: ", &n)) {
        CloseKeyboard(r);
        std::memset(&r->keyboard, 0, sizeof r->keyboard);
        std::snprintf(r->keyboard.file, sizeof r->keyboard.file, "%s", r->file);
        r->keyboard.line = r->lineNumber;
        CopyValue(r->keyboard.serial, text + n, length - n, r->codePage);
        std::memcpy(r->keyboard.layout, run.layout, sizeof run.layout);
        r->keyboardOpen = true;
        r->runHasKeyboards = true;
        return;
    }
    if (StartsWith(text, length, "Version number: ", &n) && r->keyboardOpen && !r->verdictSeen) {
        CopyValue(r->keyboard.version, text + n, length - n, r->codePage);
        return;
    }
    // A second record comes when a Clear let another device be chosen: the last names the
    // keyboard that was tested.
    if (StartsWith(text, length, "    Keyboard: ", &n) && r->keyboardOpen && !r->verdictSeen &&
        ReadKeyboardIdentity(&r->keyboard, text + n, length - n, r->codePage)) {
        return;
    }
    if (r->keyboardOpen && !r->verdictSeen) {
        int verdict = -1;
        if (Equals(text, length, "User verification: PASSED")) {
            verdict = VerdictPassed;
        } else if (Equals(text, length, "User verification: FAILED")) {
            verdict = VerdictFailedByOperator;
        } else if (Equals(text, length, "User Selection: FAILED")) {
            verdict = VerdictFailedByTest;
        }
        if (verdict >= 0) {
            r->keyboard.verdict = verdict;
            r->verdictSeen = true;
            if (verdict == VerdictPassed) {
                CloseKeyboard(r);
            }
            return;
        }
    }
    if (StartsWith(text, length, "    Chatter: ", &n) && r->keyboardOpen && r->verdictSeen) {
        const size_t key = ChatterKeyLength(text + n, length - n);
        if (key > 0) {
            CopyValue(r->keyboard.chatterKey, text + n, key, r->codePage);
            return;
        }
    }
    if (StartsWith(text, length, "    Failure Reason: ", &n) && r->keyboardOpen && r->verdictSeen) {
        CopyValue(r->keyboard.reason, text + n, length - n, r->codePage);
        CloseKeyboard(r);
        return;
    }
    if (StartsWith(text, length, "Loaded keyboard layout ", &n) ||
        StartsWith(text, length, "User changed keyboard layout to ", &n)) {
        CopyLayoutName(run.layout, text + n, length - n, r->codePage);
        if (r->events.layoutChanged != nullptr) {
            r->events.layoutChanged(r->events.context, run);
        }
        return;
    }
    if (r->runHasKeyboards) {
        Unplaced(r, text, length); // header records belong before the first keyboard
        return;
    }
    int year = 0, month = 0, day = 0;
    if (StartsWith(text, length, "Clavoro ", &n)) {
        // "Clavoro V3.2 build 1002,  Windows XP"
        const char* comma = static_cast<const char*>(std::memchr(text, ',', length));
        size_t versionEnd = comma != nullptr ? static_cast<size_t>(comma - text) : length;
        CopyValue(run.programVersion, text + n, versionEnd - n, r->codePage);
        if (comma != nullptr) {
            size_t os = versionEnd + 1;
            while (os < length && text[os] == ' ') {
                ++os;
            }
            CopyValue(run.osName, text + os, length - os, r->codePage);
        }
    } else if (run.year == 0 && ParseLogDate(text, length, &year, &month, &day)) {
        CopyValue(run.dateText, text, length, r->codePage);
        run.year = year;
        run.month = month;
        run.day = day;
    } else if (StartsWith(text, length, "Operator identification: ", &n)) {
        CopyValue(run.operatorId, text + n, length - n, r->codePage);
    } else if (StartsWith(text, length, "Product identification: ", &n)) {
        CopyValue(run.productId, text + n, length - n, r->codePage);
    } else if (StartsWith(text, length, "Batch identification: ", &n)) {
        CopyValue(run.batchId, text + n, length - n, r->codePage);
    } else {
        Unplaced(r, text, length);
    }
}

size_t ReadLogLines(LogReader* reader, const char* data, size_t size) {
    size_t start = 0;
    while (start < size) {
        const char* end = static_cast<const char*>(std::memchr(data + start, '\n', size - start));
        if (end == nullptr) {
            break;
        }
        size_t stop = static_cast<size_t>(end - data);
        ReadLogLine(reader, data + start, stop - start);
        start = stop + 1;
    }
    return start;
}

void ReadLogText(LogReader* reader, const char* text, size_t size) {
    size_t used = ReadLogLines(reader, text, size);
    if (used < size) {
        ReadLogLine(reader, text + used, size - used);
    }
    EndRun(reader);
}
