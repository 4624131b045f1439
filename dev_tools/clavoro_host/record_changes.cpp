#include "dev_tools/clavoro_host/record_changes.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

// A text field as the program stored it: up to its zero, never past its width.
std::string FieldText(const char* field, int width) {
    return std::string(field, std::find(field, field + width, '\0'));
}

struct Lines {
    char (*lines)[kChangeLineLength];
    int count;
};

void Add(Lines* l, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Add(Lines* l, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(l->lines[l->count], kChangeLineLength, format, args);
    va_end(args);
    ++l->count;
}

void TextChange(Lines* l, const char* name, const char* before, const char* after, int width) {
    const std::string text = FieldText(after, width);
    if (FieldText(before, width) != text) {
        Add(l, "%s: \"%s\"", name, text.c_str());
    }
}

} // namespace

int DescribeRecordChanges(const PluginSharedRecord& before, const PluginSharedRecord& after,
                          char lines[kMaxChangeLines][kChangeLineLength]) {
    Lines l{lines, 0};
    // Clavoro writes 1 there last; whatever the host left there before does not count.
    if (before.attachedFlag != 1 && after.attachedFlag == 1) {
        Add(&l, "attach: code %u, program \"%s\", state %d, status \"%s\", \"%s\" %lld",
            after.attachCode, FieldText(after.programName, 20).c_str(), after.stateCode,
            FieldText(after.statusText, 20).c_str(), FieldText(after.operationsLabel, 20).c_str(),
            static_cast<long long>(after.operationsCount));
        return l.count; // the rest of the record was written with the attach
    }
    if (after.runWord != before.runWord) {
        Add(&l, "runWord: %u", after.runWord);
    }
    if (after.operationsCount != before.operationsCount) {
        Add(&l, "operations: %lld", static_cast<long long>(after.operationsCount));
    }
    if (after.messageCount != before.messageCount ||
        (after.messagePending != 0 && before.messagePending == 0)) {
        Add(&l, "message %u, kind %u: \"%s\"", after.messageCount, after.messageKind,
            FieldText(after.messageText, 100).c_str());
    }
    if (after.stateCode != before.stateCode) {
        Add(&l, "state: %d%s", after.stateCode, after.stateCode == 9 ? " (test finished)" : "");
    }
    TextChange(&l, "status", before.statusText, after.statusText, 20);
    TextChange(&l, "label 2", before.label2, after.label2, 20);
    TextChange(&l, "label 3", before.label3, after.label3, 20);
    if (after.value2 != before.value2) {
        Add(&l, "value 2: %lld", static_cast<long long>(after.value2));
    }
    if (after.value3 != before.value3) {
        Add(&l, "value 3: %lld", static_cast<long long>(after.value3));
    }
    return l.count;
}

void DumpRecord(const PluginSharedRecord& record, char lines[kDumpLines][64]) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (int line = 0; line < kDumpLines; ++line) {
        int n = std::snprintf(lines[line], 64, "%04x:", line * 16);
        for (int i = 0; i < 16; ++i) {
            n += std::snprintf(lines[line] + n, 64 - static_cast<size_t>(n), " %02x",
                               bytes[line * 16 + i]);
        }
    }
}
