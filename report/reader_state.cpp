#include "report/reader_state.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

const char kHead[] = "clavoro-report reader state 1";

enum Kind { kLine, kFlag, kVerdict, kText };

struct Field {
    const char* name;
    Kind kind;
    size_t at;   // in LogReader
    size_t size; // of a text's field
};

#define TEXT(name, member)                                                                         \
    { name, kText, offsetof(LogReader, member), sizeof LogReader::member }
const Field kFields[] = {
    {"line", kLine, offsetof(LogReader, lineNumber), 0},
    {"in run", kFlag, offsetof(LogReader, inRun), 0},
    {"run line", kLine, offsetof(LogReader, run.line), 0},
    TEXT("run date", run.dateText),
    TEXT("program", run.programVersion),
    TEXT("os", run.osName),
    TEXT("operator", run.operatorId),
    TEXT("product", run.productId),
    TEXT("batch", run.batchId),
    TEXT("layout", run.layout),
    {"run has keyboards", kFlag, offsetof(LogReader, runHasKeyboards), 0},
    {"keyboard", kFlag, offsetof(LogReader, keyboardOpen), 0},
    {"verdict seen", kFlag, offsetof(LogReader, verdictSeen), 0},
    {"keyboard line", kLine, offsetof(LogReader, keyboard.line), 0},
    TEXT("serial", keyboard.serial),
    TEXT("version", keyboard.version),
    TEXT("keyboard layout", keyboard.layout),
    {"verdict", kVerdict, offsetof(LogReader, keyboard.verdict), 0},
    TEXT("reason", keyboard.reason),
    TEXT("chattered key", keyboard.chatterKey),
    TEXT("vid", keyboard.keyboardVid),
    TEXT("pid", keyboard.keyboardPid),
    TEXT("rev", keyboard.keyboardRev),
    TEXT("name", keyboard.keyboardName),
};
#undef TEXT

const char kLayout[] = "used layout\t";

// The next line of the state from `at`, without its line end; false at the end.
bool NextLine(const std::string& state, size_t* at, std::string* line) {
    if (*at >= state.size()) {
        return false;
    }
    size_t end = state.find('\n', *at);
    end = end == std::string::npos ? state.size() : end;
    *line = state.substr(*at, end - *at);
    *at = end + 1;
    return true;
}

// A whole number of digits, at most `most`; -1 otherwise.
long Number(const std::string& text, long most) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != text.npos) {
        return -1;
    }
    const long n = std::atol(text.c_str());
    return n <= most ? n : -1;
}

} // namespace

std::string SaveReaderState(const LogReader& reader, const std::string& layouts) {
    const char* base = reinterpret_cast<const char*>(&reader);
    std::string state = kHead;
    for (const Field& f : kFields) {
        state += '\n';
        state += f.name;
        state += '\t';
        const char* at = base + f.at;
        if (f.kind == kText) {
            state += at;
        } else if (f.kind == kLine) {
            state += std::to_string(*reinterpret_cast<const long*>(at));
        } else if (f.kind == kFlag) {
            state += *reinterpret_cast<const bool*>(at) ? '1' : '0';
        } else {
            state += std::to_string(*reinterpret_cast<const int*>(at));
        }
    }
    for (size_t at = 0; at < layouts.size();) {
        size_t end = layouts.find('\n', at);
        end = end == std::string::npos ? layouts.size() : end;
        state += '\n';
        state += kLayout;
        state.append(layouts, at, end - at);
        at = end + 1;
    }
    return state;
}

bool RestoreReaderState(LogReader* reader, const std::string& state, std::string* layouts) {
    size_t at = 0;
    std::string line;
    if (!NextLine(state, &at, &line) || line != kHead) {
        return false;
    }
    LogReader r = *reader; // its events, file and code page
    char* base = reinterpret_cast<char*>(&r);
    for (const Field& f : kFields) {
        const size_t name = std::strlen(f.name);
        if (!NextLine(state, &at, &line) || line.compare(0, name, f.name) != 0 ||
            line.size() <= name || line[name] != '\t') {
            return false;
        }
        const std::string value = line.substr(name + 1);
        char* field = base + f.at;
        if (f.kind == kText) {
            if (value.size() >= f.size) {
                return false;
            }
            std::memcpy(field, value.c_str(), value.size() + 1);
            continue;
        }
        const long most = f.kind == kLine ? 1L << 62 : f.kind == kFlag ? 1 : kVerdictCount - 1;
        const long n = Number(value, most);
        if (n < 0) {
            return false;
        }
        if (f.kind == kLine) {
            *reinterpret_cast<long*>(field) = n;
        } else if (f.kind == kFlag) {
            *reinterpret_cast<bool*>(field) = n == 1;
        } else {
            *reinterpret_cast<int*>(field) = static_cast<int>(n);
        }
    }
    layouts->clear();
    while (NextLine(state, &at, &line)) {
        if (line.compare(0, sizeof kLayout - 1, kLayout) != 0) {
            return false;
        }
        *layouts += (layouts->empty() ? "" : "\n") + line.substr(sizeof kLayout - 1);
    }
    RunHeader& run = r.run;
    run.year = run.month = run.day = 0;
    ParseLogDate(run.dateText, std::strlen(run.dateText), &run.year, &run.month, &run.day);
    *reader = r;
    return true;
}
