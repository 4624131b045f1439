#include "layout/layout_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/app_state.h"
#include "base/message_box.h"

AltShortcuts altShortcuts = {true, true, true, true, true, true};

void ResetAltShortcuts() {
    altShortcuts = {true, true, true, true, true, true};
}

// A layout that tests Alt plus one of the shortcut letters itself takes the letter away
// from the buttons, for every layout: the switches are decided when the files are read.
static void TurnOffAltShortcut(int32_t baseCode, int32_t modifierCode) {
    if (modifierCode != 18 && modifierCode != 164 && modifierCode != 165) {
        return; // VK_MENU, VK_LMENU, VK_RMENU
    }
    switch (baseCode) {
    case 'A':
        altShortcuts.altAbout = false;
        break;
    case 'C':
        altShortcuts.altClear = false;
        break;
    case 'E':
        altShortcuts.altExit = false;
        break;
    case 'F':
        altShortcuts.altFail = false;
        break;
    case 'H':
        altShortcuts.altHelp = false;
        break;
    case 'L':
        altShortcuts.altLeds = false;
        break;
    default:
        break;
    }
}

// "true" or "false" in any letter case; -1 for anything else.
static int ReadExtendedFlag(const char* text) {
    char lower[6] = {};
    size_t length = std::strlen(text);
    if (length > 5) {
        return -1;
    }
    for (size_t i = 0; i < length; ++i) {
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    }
    if (std::strcmp(lower, "true") == 0) {
        return 1;
    }
    if (std::strcmp(lower, "false") == 0) {
        return 0;
    }
    return -1;
}

// Starting status of a keyword, or -1 when the text is no keyword (exact case).
static int32_t ReadStatusKeyword(const char* text) {
    if (std::strcmp(text, "CVSTATUSUP") == 0) {
        return Untested;
    }
    if (std::strcmp(text, "CVSTATUSNOTEST") == 0) {
        return NotTestable;
    }
    if (std::strcmp(text, "CVSTATUSNOTESTFAIL") == 0) {
        return NotTestableFail;
    }
    if (std::strcmp(text, "CVSTATUSFAIL") == 0) {
        return appState.batchMode ? FailArmed : FailDisarmed;
    }
    return -1;
}

static char* CopyText(const char* text, size_t length) {
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text, length);
        copy[length] = '\0';
    }
    return copy;
}

int ParseKeyLine(const LayoutLine* line, KeyRecord* record, int* compoundCount) {
    KeyRecord key = {};
    key.compoundTime = -1;
    key.baseCode = -1;
    key.modifierCode = -1;

    const LayoutField* field = FirstField(line);
    if (field == nullptr) {
        return 0;
    }
    key.keyCode = field->isText ? LookUpKeyName(field->text) : field->intValue;
    if (key.keyCode == kEndCode || key.keyCode < kModifiedCode) {
        return 0;
    }

    field = NextField(field);
    if (field == nullptr) {
        return 0;
    }
    key.scanCode = key.keyCode < 0 ? key.keyCode : field->intValue;

    field = NextField(field);
    if (field == nullptr || !field->isText) {
        return 0;
    }
    const char* labelText = field->text;

    field = NextField(field);
    if (field == nullptr || !field->isText) {
        return 0;
    }
    const int extended = ReadExtendedFlag(field->text);
    if (extended < 0) {
        return 0;
    }
    key.extended = static_cast<uint32_t>(extended);

    // A number in the status field is taken as a syntax error, not as Untested: a
    // technician who wrote 0 or 3 there meant some status, and guessing which one
    // would show the key in a state its author did not choose.
    field = NextField(field);
    if (field == nullptr || !field->isText) {
        return 0;
    }
    key.status = ReadStatusKeyword(field->text);
    if (key.status < 0) {
        return 0;
    }

    int32_t* const numbers[] = {&key.highlight, &key.left, &key.top, &key.width, &key.height};
    for (int32_t* number : numbers) {
        field = NextField(field);
        if (field == nullptr) {
            return 0;
        }
        *number = field->intValue;
    }

    const LayoutField* extra = NextField(field); // field 11
    int32_t codes[kMaxCompoundCodes];
    int codeCount = 0;
    if (extra == nullptr) {
        if (key.keyCode == kCompoundCode) {
            return 0; // a COMPOUND key needs its time limit and codes
        }
    } else if (key.keyCode == kCompoundCode) {
        ++*compoundCount;
        if (*compoundCount > kMaxCompoundRecords) {
            return 0;
        }
        key.compoundTime = extra->intValue;
        for (const LayoutField* code = NextField(extra); code != nullptr; code = NextField(code)) {
            if (codeCount == kMaxCompoundCodes) {
                return 0;
            }
            codes[codeCount++] = code->intValue;
        }
        if (codeCount == 0) {
            return 0;
        }
    } else if (key.keyCode == kModifiedCode) {
        const LayoutField* base = NextField(extra);
        const LayoutField* modifier = NextField(base);
        if (base == nullptr || modifier == nullptr) {
            return 0;
        }
        key.baseCode = base->intValue;
        key.modifierCode = modifier->intValue;
        TurnOffAltShortcut(key.baseCode, key.modifierCode);
    }

    if (codeCount > 0) {
        // Newest first: the engine compares them with the key history, latest event first.
        key.compoundCodes = static_cast<int32_t*>(std::malloc((codeCount + 1) * sizeof(int32_t)));
        if (key.compoundCodes == nullptr) {
            return -1;
        }
        for (int i = 0; i < codeCount; ++i) {
            key.compoundCodes[i] = codes[codeCount - 1 - i];
        }
        key.compoundCodes[codeCount] = kEndCode;
    }
    key.label = CopyText(labelText, std::strlen(labelText));
    if (key.label == nullptr) {
        std::free(key.compoundCodes);
        return -1;
    }
    *record = key;
    return 1;
}

static void FreeRecords(KeyRecord* table, int count) {
    for (int i = 0; i < count; ++i) {
        std::free(table[i].label);
        std::free(table[i].compoundCodes);
    }
}

void FreeLayout(KeyboardLayout* layout) {
    if (layout == nullptr) {
        return;
    }
    if (layout->table != nullptr) {
        const int keys = CountKeys(layout->table);
        FreeRecords(layout->table, keys + 1); // the end record owns its empty label
        std::free(layout->table);
    }
    std::free(layout->name);
    std::free(layout);
}

static const char* WithoutFolder(const char* path) {
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/') {
            name = p + 1;
        }
    }
    return name;
}

int LoadLayoutFile(WindowHandle owner, const LineList* lines, KeyboardLayout** slot, int lineCount,
                   const char* fileName) {
    if (slot == nullptr) {
        return 0;
    }
    *slot = nullptr;
    const char* baseName = WithoutFolder(fileName != nullptr ? fileName : "");

    // One record per counted line; the list never holds more lines than were counted,
    // but a caller's miscount must not write past the table.
    int listed = 0;
    for (const LayoutLine* line = lines != nullptr ? lines->first : nullptr; line != nullptr;
         line = NextLine(line)) {
        ++listed;
    }
    const size_t records = static_cast<size_t>(std::max(lineCount, listed)) + 1;

    KeyboardLayout* layout = static_cast<KeyboardLayout*>(std::calloc(1, sizeof(KeyboardLayout)));
    if (layout == nullptr) {
        return 0;
    }
    const char* dot = std::strrchr(baseName, '.');
    layout->name = CopyText(baseName, dot != nullptr ? static_cast<size_t>(dot - baseName)
                                                     : std::strlen(baseName));
    layout->table = static_cast<KeyRecord*>(std::calloc(records, sizeof(KeyRecord)));
    if (layout->name == nullptr || layout->table == nullptr) {
        std::free(layout->table);
        std::free(layout->name);
        std::free(layout);
        return 0;
    }

    int compoundCount = 0;
    int parsed = 0;
    int result = 1;
    for (const LayoutLine* line = lines != nullptr ? lines->first : nullptr; line != nullptr;
         line = NextLine(line)) {
        result = ParseKeyLine(line, &layout->table[parsed], &compoundCount);
        if (result != 1) {
            break;
        }
        ++parsed;
    }
    if (result == 1 && parsed == 0) {
        result = 0; // no line could be split: the error is in line 1
    }
    if (result == 1) {
        KeyRecord& end = layout->table[parsed];
        end = KeyRecord{};
        end.keyCode = kEndCode;
        end.scanCode = kEndCode;
        end.baseCode = -1;
        end.modifierCode = -1;
        end.compoundTime = -1;
        end.label = CopyText("", 0);
        if (end.label == nullptr) {
            result = -1;
        }
    }
    if (result != 1) {
        if (result == 0) {
            char message[512];
            std::snprintf(message, sizeof message,
                          "Syntax error in line %d (excluding comment lines) of file\n%s\n"
                          "Skipping file.",
                          parsed + 1, baseName);
            ShowMessage(owner, message, "Clavoro - Error", kIconInformation);
        }
        FreeRecords(layout->table, parsed);
        std::free(layout->table);
        std::free(layout->name);
        std::free(layout);
        return 0;
    }
    *slot = layout;
    return 1;
}
