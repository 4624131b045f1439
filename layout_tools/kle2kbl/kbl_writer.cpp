#include "layout_tools/kle2kbl/kbl_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/code_pages.h"
#include "layout/key_names.h"
#include "layout_tools/kle2kbl/key_match.h"
#include "layout_tools/kle2kbl/windows_layouts.h"

namespace {

constexpr int kPictureWidth = 700;
constexpr int kPictureHeight = 340;
constexpr int kMargin = 12;    // room for the keyboard's body around the keys
constexpr int kMouseTop = 240; // the mouse buttons where the bundled layouts have them
constexpr int kMinUnit = 8;    // pixels per key unit below which labels cannot be read
constexpr int kMaxUnit = 48;
constexpr int kSnapshotCode = 44; // Windows keeps Print Screen's key-down for itself

int Round(double value) {
    return static_cast<int>(std::floor(value + 0.5));
}

bool SecondIsLarger(const KleKey& key) {
    return key.width2 * key.height2 > key.width * key.height;
}

// A label as a layout line can hold it, in the code page: without control characters
// and commas (a comma alone excepted), at most 24 bytes.
std::string LayoutLabel(const std::string& utf8, int codePage, int* transliterated) {
    std::string text;
    *transliterated = ConvertUtf8(utf8, codePage, &text);
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t size =
            codePage == kShiftJis && ((c >= 0x81 && c <= 0x9F) || c >= 0xE0) ? 2 : 1;
        if (out.size() + size > 24) {
            break;
        }
        if (c >= ' ' && c != 0x7F && (c != ',' || text == ",")) {
            out += text.substr(i, size);
        }
        i += size;
    }
    const size_t first = out.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : out.substr(first, out.find_last_not_of(' ') - first + 1);
}

// A label of the code page in UTF-8, for messages.
std::string Utf8Text(const std::string& text, int codePage) {
    std::string out;
    for (uint32_t c : DecodeText(text, codePage)) {
        EncodeChar(c, kUtf8, &out);
    }
    return out;
}

// A text as it stands in a message or a comment: control characters left out, cut to
// at most 60 bytes without splitting a UTF-8 character.
std::string ShownText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= ' ') {
            out += c;
        }
    }
    size_t end = std::min<size_t>(out.size(), 60);
    while (end > 0 && end < out.size() && (static_cast<unsigned char>(out[end]) & 0xC0) == 0x80) {
        --end;
    }
    return out.substr(0, end);
}

// The key's first label, for messages.
std::string FirstLabel(const KleKey& key) {
    for (const std::string& label : key.labels) {
        if (!label.empty()) {
            return ShownText(label);
        }
    }
    return "";
}

std::string CodeText(int32_t code) {
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) {
        return std::string("'") + static_cast<char>(code) + "'";
    }
    for (const KeyName& name : keyNameTable) {
        if (name.code == code) {
            return std::string("\"") + name.name + "\"";
        }
    }
    return std::to_string(code);
}

void WriteHeader(const KleDrawing& drawing, const std::vector<MatchedKey>& matched,
                 const char* source, bool mouse, int layout, KblFile* file) {
    char line[256];
    std::snprintf(line, sizeof line, "# Written by kle2kbl from %s: %d keys%s.\n",
                  ShownText(source).c_str(), static_cast<int>(matched.size()),
                  mouse ? ", and a three-button mouse" : "");
    file->text += line;
    if (!drawing.name.empty()) {
        std::snprintf(line, sizeof line, "# Drawing: %s\n", ShownText(drawing.name).c_str());
        file->text += line;
    }
    file->text += "# Each line: key code, scan code, \"label\", \"extended\", \"start status\",\n"
                  "# highlight, left, top, width, height (rectangle on the 700 x 340 picture).\n";
    std::snprintf(line, sizeof line,
                  "# Codes of the Windows layout %s (%s), labels in code page %d.\n",
                  kWindowsLayouts[layout].names[0], kWindowsLayouts[layout].title,
                  kWindowsLayouts[layout].codePage);
    file->text += line;
    if (kWindowsLayouts[layout].codePage == kShiftJis) {
        file->text += "# The labels are Shift-JIS, as a Japanese Windows shows them; draw the "
                      "picture\n# again with: kbdraw --code-page 932 <this file>\n";
    }
    int shifts = 0, snapshots = 0, twoParts = 0;
    for (size_t i = 0; i < matched.size(); ++i) {
        shifts += matched[i].kind == kKnownKey && matched[i].codes.code == 16;
        snapshots += matched[i].kind == kKnownKey && matched[i].codes.code == kSnapshotCode;
        const KleKey& key = drawing.keys[i];
        twoParts +=
            key.x2 != 0 || key.y2 != 0 || key.width2 != key.width || key.height2 != key.height;
    }
    if (shifts > 1) {
        file->text += "# Left and right Shift send the same virtual-key code without the "
                      "extended\n# flag: test them in \"BIOS\" mode, where their scan codes "
                      "(42 and 54) tell them apart.\n";
    }
    if (snapshots > 0) {
        file->text += "# Windows keeps the key-down of Print Screen for itself and sends "
                      "programs\n# only its key-up, so the key is listed as not testable.\n";
    }
    if (twoParts > 0) {
        file->text += "# A key drawn in two parts (an ISO Enter) has the rectangle of its "
                      "larger part.\n";
    }
}

} // namespace

int PlaceKeys(const std::vector<KleKey>& keys, int left, int top, int width, int height,
              std::vector<PixelRect>* rects) {
    rects->clear();
    if (keys.empty()) {
        return 0;
    }
    double minX = keys[0].x, minY = keys[0].y, maxX = minX, maxY = minY;
    for (const KleKey& key : keys) {
        minX = std::min({minX, key.x, key.x + key.x2});
        minY = std::min({minY, key.y, key.y + key.y2});
        maxX = std::max({maxX, key.x + key.width, key.x + key.x2 + key.width2});
        maxY = std::max({maxY, key.y + key.height, key.y + key.y2 + key.height2});
    }
    const double unitsWide = maxX - minX;
    const double unitsHigh = maxY - minY;
    if (unitsWide <= 0 || unitsHigh <= 0) {
        return 0;
    }
    const int unit = std::min({static_cast<double>(kMaxUnit), std::floor(width / unitsWide),
                               std::floor(height / unitsHigh)});
    if (unit < kMinUnit) {
        return 0;
    }
    const int gap = unit >= 16 ? 2 : 1;
    const int originX = left + (width - Round(unitsWide * unit)) / 2;
    const int originY = top + (height - Round(unitsHigh * unit)) / 2;
    for (const KleKey& key : keys) {
        const bool second = SecondIsLarger(key);
        const double x = second ? key.x + key.x2 : key.x;
        const double y = second ? key.y + key.y2 : key.y;
        const double w = second ? key.width2 : key.width;
        const double h = second ? key.height2 : key.height;
        const int l = originX + Round((x - minX) * unit);
        const int t = originY + Round((y - minY) * unit);
        const int r = originX + Round((x + w - minX) * unit) - gap;
        const int b = originY + Round((y + h - minY) * unit) - gap;
        rects->push_back({l, t, std::max(1, r - l), std::max(1, b - t)});
    }
    return unit;
}

int MakeKblFile(const KleDrawing& drawing, const char* source, bool mouse, int layout,
                KblFile* file, std::string* error) {
    *file = {"", {}, {}, 0, kWestern};
    char text[256];
    if (drawing.keys.empty()) {
        *error = "the drawing has no keys";
        return 0;
    }
    for (const KleKey& key : drawing.keys) {
        if (key.rotation != 0) {
            std::snprintf(text, sizeof text,
                          "row %d, key %d (\"%s\") is rotated by %g degrees; kle2kbl does not "
                          "support rotated keys",
                          key.row, key.position, FirstLabel(key).c_str(), key.rotation);
            *error = text;
            return 0;
        }
    }
    std::vector<PixelRect> rects;
    const int bottom = mouse ? kMouseTop - 6 - kMargin : kPictureHeight - kMargin;
    if (PlaceKeys(drawing.keys, kMargin, kMargin, kPictureWidth - 2 * kMargin, bottom - kMargin,
                  &rects) == 0) {
        *error = "the drawing cannot be scaled to the 700 x 340 picture (too large, or its "
                 "keys have no size)";
        return 0;
    }
    const MainBlock block = FindMainBlock(drawing.keys);
    std::string why = "as --windows-layout chose";
    if (layout < 0) {
        layout = InferWindowsLayout(drawing.keys, block.scans, block.board, &why);
        why = "from the legends: " + why + " (--windows-layout chooses another)";
    }
    file->codePage = kWindowsLayouts[layout].codePage;
    std::snprintf(text, sizeof text, "Windows layout %s (%s), %s", kWindowsLayouts[layout].names[0],
                  kWindowsLayouts[layout].title, why.c_str());
    file->notes.push_back(text);
    const std::vector<MatchedKey> matched = MatchKeys(drawing.keys, block, layout);
    WriteHeader(drawing, matched, source, mouse, layout, file);
    int unknown = 0;
    for (size_t i = 0; i < matched.size(); ++i) {
        const KleKey& key = drawing.keys[i];
        KeyCodes codes = matched[i].codes;
        int transliterated = 0;
        std::string label = LayoutLabel(matched[i].label, file->codePage, &transliterated);
        if (transliterated > 0) {
            std::snprintf(text, sizeof text,
                          "row %d, key %d: \"%s\" is written as \"%s\" (code page %d cannot "
                          "hold it)",
                          key.row, key.position, ShownText(matched[i].label).c_str(),
                          Utf8Text(label, file->codePage).c_str(), file->codePage);
            file->notes.push_back(text);
        }
        bool testable = codes.code != kSnapshotCode;
        if (matched[i].kind != kKnownKey) {
            label = label.empty() ? "?" : label;
            const std::string name = FirstLabel(key);
            const char* why = matched[i].kind == kFnKey ? "sends nothing to the PC"
                                                        : "is not a key kle2kbl knows";
            std::snprintf(text, sizeof text, "row %d, key %d: \"%s\" %s", key.row, key.position,
                          name.c_str(), why);
            file->notTestable.push_back(text);
            std::snprintf(text, sizeof text, "# Not testable: \"%s\" (row %d, key %d) %s.\n",
                          name.c_str(), key.row, key.position, why);
            file->text += text;
            // A scan code that no key sends, so that the record never takes another key's
            // events in either match mode.
            codes = {0, 128 + unknown % 127, 0, ""};
            ++unknown;
            testable = false;
        }
        std::snprintf(text, sizeof text, "%s,%d,\"%s\",\"%s\",\"%s\",0,%d,%d,%d,%d\n",
                      CodeText(codes.code).c_str(), codes.scan, label.c_str(),
                      codes.extended ? "true" : "false", testable ? "CVSTATUSUP" : "CVSTATUSNOTEST",
                      rects[i].left, rects[i].top, rects[i].width, rects[i].height);
        file->text += text;
    }
    file->keys = static_cast<int>(matched.size());
    if (mouse) {
        file->text += "# The three mouse buttons: click them anywhere on the window but the "
                      "buttons.\n"
                      "\"LMOUSE\",0,\"Left\",\"true\",\"CVSTATUSUP\",0,295,240,44,34\n"
                      "\"MMOUSE\",0,\"Mid\",\"true\",\"CVSTATUSUP\",0,341,240,18,34\n"
                      "\"RMOUSE\",0,\"Right\",\"true\",\"CVSTATUSUP\",0,361,240,44,34\n";
        file->keys += 3;
    }
    return 1;
}
