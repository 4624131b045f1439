// kblcheck: reads layout files exactly as Clavoro does at start-up and prints what the
// program would make of them, so that a layout author can check a file without a
// keyboard on the bench.
//
//   kblcheck [-b] file.kbl ...   (options may also follow the files; -- ends them)
//
// For each file: every message the program would show while reading it, and for a file
// that loads the table of its keys. Then some advice that the program itself never
// gives. -b reads the files as batch mode does (CVSTATUSFAIL keys start armed).
// Exit status: 0 when every file loads, 1 when one does not, 2 for a bad command line.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/message_box.h"
#include "base/tool_options.h"
#include "layout/layout_file.h"

namespace {

constexpr int kPictureWidth = 700;
constexpr int kPictureHeight = 340;

const char* StatusName(int32_t status) {
    switch (status) {
    case Untested:
        return "Untested";
    case NotTestable:
        return "NotTestable";
    case FailArmed:
        return "FailArmed";
    case FailDisarmed:
        return "FailDisarmed";
    case NotTestableFail:
        return "NotTestableFail";
    default:
        return "?";
    }
}

const char* SpecialName(int32_t code) {
    for (int row = 0; row < 5; ++row) {
        if (keyNameTable[row].code == code) {
            return keyNameTable[row].name;
        }
    }
    return "";
}

bool IsOrdinary(const KeyRecord& key) {
    return key.keyCode != kCompoundCode && key.keyCode != kModifiedCode;
}

std::string Describe(const KeyRecord& key) {
    char text[256];
    if (key.keyCode == kCompoundCode) {
        std::string codes;
        int n = 0;
        while (key.compoundCodes != nullptr && key.compoundCodes[n] != -1) {
            ++n;
        }
        for (int i = n - 1; i >= 0; --i) { // in file order, the order the keys go down
            codes += " " + std::to_string(key.compoundCodes[i]);
        }
        std::snprintf(text, sizeof text, "COMPOUND within %lld ms:%s",
                      static_cast<long long>(key.compoundTime), codes.c_str());
    } else if (key.keyCode == kModifiedCode) {
        if (key.baseCode == -1 && key.modifierCode == -1) {
            std::snprintf(text, sizeof text, "MODIFIED without codes (never recognised)");
        } else {
            std::snprintf(text, sizeof text, "MODIFIED %d with modifier %d", key.baseCode,
                          key.modifierCode);
        }
    } else {
        std::snprintf(text, sizeof text, "%s", SpecialName(key.keyCode));
    }
    return text;
}

void PrintTable(const KeyRecord* table) {
    std::printf("  %4s %6s %6s  %-16s %3s  %-15s %3s %5s %5s %5s %6s  %s\n", "#", "code", "scan",
                "label", "ext", "start status", "hl", "left", "top", "width", "height", "more");
    int i = 0;
    for (; table[i].keyCode != kEndCode; ++i) {
        const KeyRecord& k = table[i];
        const std::string more = Describe(k);
        std::printf("  %4d %6d %6d  %-16s %3u  %-15s %3d %5d %5d %5d %6d%s%s\n", i + 1, k.keyCode,
                    k.scanCode, k.label, k.extended, StatusName(k.status), k.highlight, k.left,
                    k.top, k.width, k.height, more.empty() ? "" : "  ", more.c_str());
    }
    std::printf("  end of table: %d keys\n", i);
}

void Advise(const char* text) {
    std::printf("  advice (the program never shows this): %s\n", text);
}

bool IsKeyOfFile(const KeyRecord* table, int32_t code) {
    for (int i = 0; table[i].keyCode != kEndCode; ++i) {
        if (IsOrdinary(table[i]) && table[i].keyCode == code) {
            return true;
        }
    }
    return false;
}

void AdviseOnTable(const KeyRecord* table) {
    char text[512];
    const int count = CountKeys(table);
    for (int i = 0; i < count; ++i) {
        const KeyRecord& k = table[i];
        if (static_cast<int64_t>(k.left) + k.width > kPictureWidth ||
            static_cast<int64_t>(k.top) + k.height > kPictureHeight) {
            std::snprintf(text, sizeof text,
                          "key %d (%s): rectangle %d,%d %dx%d reaches outside the %d x %d "
                          "picture",
                          i + 1, k.label, k.left, k.top, k.width, k.height, kPictureWidth,
                          kPictureHeight);
            Advise(text);
        }
        std::vector<int32_t> wanted;
        for (int c = 0; k.compoundCodes != nullptr && k.compoundCodes[c] != -1; ++c) {
            wanted.push_back(k.compoundCodes[c]);
        }
        if (k.keyCode == kModifiedCode && k.baseCode != -1) {
            wanted.push_back(k.baseCode);
            wanted.push_back(k.modifierCode);
        }
        std::string missing;
        for (int32_t code : wanted) {
            if (!IsKeyOfFile(table, code)) {
                missing += (missing.empty() ? "" : ", ") + std::to_string(code);
            }
        }
        if (!missing.empty()) {
            std::snprintf(text, sizeof text,
                          "key %d (%s): no key of this file has the code(s) %s, so this %s key "
                          "is never recognised",
                          i + 1, k.label, missing.c_str(),
                          k.keyCode == kCompoundCode ? "COMPOUND" : "MODIFIED");
            Advise(text);
        }
    }
    // Identical keys are tested one after the other, which an author may not intend.
    std::vector<bool> reported(count, false);
    for (int i = 0; i < count; ++i) {
        if (reported[i] || !IsOrdinary(table[i])) {
            continue;
        }
        std::string members = std::to_string(i + 1);
        int size = 1;
        for (int j = i + 1; j < count; ++j) {
            if (IsOrdinary(table[j]) && table[j].keyCode == table[i].keyCode &&
                table[j].scanCode == table[i].scanCode && table[j].extended == table[i].extended) {
                members += ", " + std::to_string(j + 1);
                reported[j] = true;
                ++size;
            }
        }
        if (size > 1) {
            std::snprintf(text, sizeof text,
                          "keys %s have the same code %d, scan code %d and extended flag: "
                          "each press tests the next of them in turn",
                          members.c_str(), table[i].keyCode, table[i].scanCode);
            Advise(text);
        }
    }
}

// The program ends lines only at line feeds: a file saved with carriage returns alone
// reads as one long line, cut into pieces of 149 characters.
void AdviseOnLineEnds(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Advise("the file cannot be opened");
        return;
    }
    char previous = 0;
    bool loneReturn = false;
    for (char c; !loneReturn && file.get(c); previous = c) {
        loneReturn = previous == '\r' && c != '\n';
    }
    if (loneReturn || previous == '\r') {
        Advise("the file has carriage returns without line feeds; the program does not end "
               "a line there");
    }
}

void AdviseOnPicture(const char* path) {
    std::string picture = path;
    const size_t slash = picture.find_last_of("/\\");
    const size_t dot = picture.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        picture.erase(dot);
    }
    picture += ".bmp";
    if (std::ifstream(picture).is_open()) {
        return;
    }
    const std::string text = "no picture " + picture + " beside the file; the program skips a " +
                             "layout without its picture";
    Advise(text.c_str());
}

// 1 when the file loads.
int CheckFile(const char* path) {
    std::printf("%s:\n", path);
    LineList lines = {nullptr};
    const int lineCount = ReadLayoutLines(&lines, path);
    KeyboardLayout* layout = nullptr;
    int loaded = 0;
    if (lineCount == 0) {
        char message[1024];
        std::snprintf(message, sizeof message, "Skipping the file \n%s\nas it contains no data.",
                      path);
        ShowMessage(nullptr, message, "Warning", kIconWarning);
    } else {
        loaded = LoadLayoutFile(nullptr, &lines, &layout, lineCount, path);
    }
    FreeLineList(&lines);
    if (loaded) {
        PrintTable(layout->table);
        AdviseOnTable(layout->table);
        FreeLayout(layout);
    } else {
        std::printf("  not loaded: the program skips this file\n");
    }
    AdviseOnLineEnds(path);
    AdviseOnPicture(path);
    return loaded;
}

} // namespace

// Every message of the reader, printed instead of shown in a box.
int ShowMessage(WindowHandle, const char* text, const char* caption, MessageIcon) {
    std::printf("== %s ==\n%s\n==\n", caption, text);
    return 1;
}

int main(int argc, char** argv) {
    const char* usage = "usage: kblcheck [-b] file.kbl ...\n"
                        "  -b  read CVSTATUSFAIL keys as batch mode does (armed)\n";
    const ToolOption options[] = {{"-b", 0}};
    ToolArgs args;
    const int read = ReadToolArgs(argc, argv, options, 1, &args);
    if (read == kArgsHelp) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (read == kArgsBad || args.operands.empty()) {
        if (read == kArgsBad) {
            std::fprintf(stderr, "kblcheck: %s\n", args.error);
        }
        std::fputs(usage, stderr);
        return 2;
    }
    appState.batchMode = !args.options.empty();
    int allLoaded = 1;
    for (const char* file : args.operands) {
        allLoaded &= CheckFile(file);
    }
    return allLoaded ? 0 : 1;
}
