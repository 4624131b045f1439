#include "tools/kle2kbl/key_match.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Which place chooses a key's other codes.
enum Place {
    kAnywhere,
    kSided,    // the other codes are those of the right-hand key
    kPad,      // the other codes are those of the numeric pad
    kShiftRow, // the other codes are those of the key beside the left Shift (ISO)
};

struct NameRule {
    const char* spellings[12]; // lower case
    int place;
    KeyCodes codes;
    KeyCodes other;
};

constexpr KeyCodes kNone = {0, 0, 0, ""};

// Tried in this order, over all labels of a key: a UK keyboard's ` and ' keys carry
// the symbols that tell them from a US keyboard's, so their rules come first.
constexpr NameRule kRules[] = {
    {{"esc", "escape"}, kAnywhere, {27, 1, 0, "Esc"}, kNone},
    {{"tab", "\xE2\x87\xA5", "\xE2\x86\xB9"}, kAnywhere, {9, 15, 0, "Tab"}, kNone},
    {{"caps lock", "capslock", "caps", "caps lk", "\xE2\x87\xAA"},
     kAnywhere,
     {20, 58, 0, "Caps Lock"},
     kNone},
    {{"shift", "\xE2\x87\xA7"}, kSided, {16, 42, 0, "Shift"}, {16, 54, 0, "Shift"}},
    {{"ctrl", "control", "ctl", "\xE2\x8C\x83"}, kSided, {17, 29, 0, "Ctrl"}, {17, 29, 1, "Ctrl"}},
    {{"altgr", "alt gr"}, kAnywhere, {18, 56, 1, "AltGr"}, kNone},
    {{"alt", "option", "opt", "\xE2\x8C\xA5"}, kSided, {18, 56, 0, "Alt"}, {18, 56, 1, "Alt"}},
    {{"win", "windows", "super", "cmd", "command", "gui", "meta", "os", "\xE2\x8C\x98",
      "\xE2\x8A\x9E"},
     kSided,
     {91, 91, 1, "Win"},
     {92, 92, 1, "Win"}},
    {{"menu", "app", "apps", "application", "context", "context menu", "\xE2\x89\xA3",
      "\xE2\x96\xA4"},
     kAnywhere,
     {93, 93, 1, "Menu"},
     kNone},
    {{"space", "spacebar", "space bar", "\xE2\x90\xA3"}, kAnywhere, {32, 57, 0, "Space"}, kNone},
    {{"enter", "return", "ent", "rtn", "\xE2\x86\xB5", "\xE2\x8F\x8E", "\xE2\x8C\xA4"},
     kPad,
     {13, 28, 0, "Enter"},
     {13, 28, 1, "Enter"}},
    {{"backspace", "back space", "bksp", "bkspc", "bkspace", "bs", "back", "\xE2\x8C\xAB"},
     kAnywhere,
     {8, 14, 0, "Bksp"},
     kNone},
    {{"ins", "insert"}, kPad, {45, 82, 1, "Ins"}, {96, 82, 0, "0"}},
    {{"del", "delete", "\xE2\x8C\xA6"}, kPad, {46, 83, 1, "Del"}, {110, 83, 0, "."}},
    {{"home"}, kPad, {36, 71, 1, "Home"}, {103, 71, 0, "7"}},
    {{"end"}, kPad, {35, 79, 1, "End"}, {97, 79, 0, "1"}},
    {{"pgup", "page up", "pg up", "pageup"}, kPad, {33, 73, 1, "PgUp"}, {105, 73, 0, "9"}},
    {{"pgdn", "page down", "pg dn", "pagedown", "pgdown", "page dn", "pg down"},
     kPad,
     {34, 81, 1, "PgDn"},
     {99, 81, 0, "3"}},
    {{"\xE2\x86\x91", "up", "up arrow", "\xE2\x96\xB2"}, kPad, {38, 72, 1, "^"}, {104, 72, 0, "8"}},
    {{"\xE2\x86\x93", "down", "down arrow", "\xE2\x96\xBC"},
     kPad,
     {40, 80, 1, "v"},
     {98, 80, 0, "2"}},
    {{"\xE2\x86\x90", "left", "left arrow", "\xE2\x97\x80"},
     kPad,
     {37, 75, 1, "<"},
     {100, 75, 0, "4"}},
    {{"\xE2\x86\x92", "right", "right arrow", "\xE2\x96\xB6"},
     kPad,
     {39, 77, 1, ">"},
     {102, 77, 0, "6"}},
    {{"clear"}, kPad, {12, 76, 0, "Clear"}, {101, 76, 0, "5"}},
    {{"prtsc", "print screen", "prtscn", "prt sc", "prt scr", "prtscr", "prt scn", "printscreen",
      "print scrn", "print", "psc", "sysrq"},
     kAnywhere,
     {44, 55, 1, "Prt Sc"},
     kNone},
    {{"scroll lock", "scrlk", "scr lk", "scroll", "scrolllock", "scrlck", "slck", "scr lock",
      "scroll lk"},
     kAnywhere,
     {145, 70, 0, "Scr Lk"},
     kNone},
    {{"pause", "break", "pause break", "pause/break", "pause brk"},
     kAnywhere,
     {19, 69, 0, "Pause"},
     kNone},
    {{"num lock", "numlock", "num lk", "numlk", "num", "nmlk"},
     kAnywhere,
     {144, 69, 1, "Num Lk"},
     kNone},
    {{"fn", "function"}, kAnywhere, kNone, kNone},
    {{"\xC2\xAC", "\xC2\xA6"}, kAnywhere, {223, 41, 0, "`"}, kNone},
    {{"@"}, kAnywhere, {192, 40, 0, "'"}, kNone},
    {{"#"}, kAnywhere, {222, 43, 0, "#"}, kNone},
    {{"`", "~"}, kAnywhere, {192, 41, 0, "`"}, kNone},
    {{"'", "\""}, kAnywhere, {222, 40, 0, "'"}, kNone},
    {{"-", "_"}, kPad, {189, 12, 0, "-"}, {109, 74, 0, "-"}},
    {{"=", "+"}, kPad, {187, 13, 0, "="}, {107, 78, 0, "+"}},
    {{"*"}, kAnywhere, {106, 55, 0, "*"}, kNone},
    {{"/", "?"}, kPad, {191, 53, 0, "/"}, {111, 53, 1, "/"}},
    {{".", ">"}, kPad, {190, 52, 0, "."}, {110, 83, 0, "."}},
    {{",", "<"}, kAnywhere, {188, 51, 0, ","}, kNone},
    {{";", ":"}, kAnywhere, {186, 39, 0, ";"}, kNone},
    {{"[", "{"}, kAnywhere, {219, 26, 0, "["}, kNone},
    {{"]", "}"}, kAnywhere, {221, 27, 0, "]"}, kNone},
    {{"\\", "|"}, kShiftRow, {220, 43, 0, "\\"}, {220, 86, 0, "\\"}},
};

constexpr const char* kCharLabels[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B",
                                       "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N",
                                       "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr int kDigitScans[10] = {11, 2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr int kPadScans[10] = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73};
constexpr int kLetterScans[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                  49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
constexpr int kFunctionScans[24] = {59,  60,  61,  62,  63,  64,  65,  66,  67,  68,  87,  88,
                                    100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 118};
constexpr const char* kFunctionLabels[24] = {
    "F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",  "F9",  "F10", "F11", "F12",
    "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};

// What the labels alone say about a key.
struct NameMatch {
    int kind;
    int place;
    KeyCodes codes;
    KeyCodes other;
};

std::string Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// Digits, letters and function keys, which need no table of spellings.
bool MatchCharacterKey(const std::string& label, NameMatch* match) {
    if (label.size() == 1 && label[0] >= '0' && label[0] <= '9') {
        const int d = label[0] - '0';
        *match = {kKnownKey,
                  kPad,
                  {'0' + d, kDigitScans[d], 0, kCharLabels[d]},
                  {96 + d, kPadScans[d], 0, kCharLabels[d]}};
        return true;
    }
    if (label.size() == 1 && label[0] >= 'a' && label[0] <= 'z') {
        const int n = label[0] - 'a';
        *match = {kKnownKey, kAnywhere, {'A' + n, kLetterScans[n], 0, kCharLabels[10 + n]}, kNone};
        return true;
    }
    const int number = label.size() >= 2 && label[0] == 'f' ? std::atoi(label.c_str() + 1) : 0;
    if (number >= 1 && number <= 24 && label == "f" + std::to_string(number)) {
        *match = {kKnownKey,
                  kAnywhere,
                  {111 + number, kFunctionScans[number - 1], 0, kFunctionLabels[number - 1]},
                  kNone};
        return true;
    }
    return false;
}

// The first rule, in table order, that a label spells.
bool MatchNamedKey(const std::string* labels, int count, NameMatch* match) {
    for (const NameRule& rule : kRules) {
        for (int i = 0; i < count; ++i) {
            for (const char* spelling : rule.spellings) {
                if (spelling != nullptr && labels[i] == spelling) {
                    const int kind = rule.codes.code == 0 ? kFnKey : kKnownKey;
                    *match = {kind, rule.place, rule.codes, rule.other};
                    return true;
                }
            }
        }
    }
    return false;
}

// Labels in lower case; then once more with the symbols around a word left out
// ("Tab ↹", "⇧ Shift").
NameMatch MatchLabels(const KleKey& key) {
    NameMatch match = {kUnknownKey, kAnywhere, kNone, kNone};
    std::string labels[kKleLabels];
    std::string words[kKleLabels];
    bool blank = true;
    for (int i = 0; i < kKleLabels; ++i) {
        labels[i] = Lower(key.labels[i]);
        blank = blank && labels[i].empty();
        for (char c : labels[i]) {
            if (static_cast<unsigned char>(c) < 0x80) {
                words[i] += c;
            }
        }
        const size_t first = words[i].find_first_not_of(' ');
        words[i] = first == std::string::npos
                       ? ""
                       : words[i].substr(first, words[i].find_last_not_of(' ') - first + 1);
    }
    for (int i = 0; i < kKleLabels; ++i) {
        if (MatchCharacterKey(labels[i], &match)) {
            return match;
        }
    }
    if (MatchNamedKey(labels, kKleLabels, &match) || MatchNamedKey(words, kKleLabels, &match)) {
        return match;
    }
    // The editor draws the space bar as a wide key without a label.
    if (blank && key.width >= 3) {
        match = {kKnownKey, kAnywhere, {32, 57, 0, "Space"}, kNone};
    }
    return match;
}

double CentreX(const KleKey& key) {
    return key.x + key.width / 2;
}
double CentreY(const KleKey& key) {
    return key.y + key.height / 2;
}

} // namespace

std::vector<MatchedKey> MatchKeys(const std::vector<KleKey>& keys) {
    std::vector<NameMatch> names;
    double spaceLeft = 0, spaceRight = 0;
    bool hasSpace = false;
    const KleKey* numLock = nullptr;
    const KleKey* z = nullptr;
    for (const KleKey& key : keys) {
        names.push_back(MatchLabels(key));
        const int code = names.back().kind == kKnownKey ? names.back().codes.code : -1;
        if (code == 32) {
            spaceLeft = hasSpace ? std::fmin(spaceLeft, key.x) : key.x;
            spaceRight = hasSpace ? std::fmax(spaceRight, key.x + key.width) : key.x + key.width;
            hasSpace = true;
        } else if (code == 144) {
            numLock = &key;
        } else if (code == 'Z') {
            z = &key;
        }
    }
    std::vector<MatchedKey> matched;
    for (size_t i = 0; i < keys.size(); ++i) {
        const KleKey& key = keys[i];
        const NameMatch& name = names[i];
        bool other = false;
        if (name.place == kSided && hasSpace) {
            other = CentreX(key) > (spaceLeft + spaceRight) / 2;
        } else if (name.place == kSided) {
            // Without a space bar, a key with a namesake to its left is the right one.
            for (size_t j = 0; j < keys.size(); ++j) {
                other =
                    other || (names[j].place == kSided && names[j].codes.code == name.codes.code &&
                              CentreX(keys[j]) < CentreX(key));
            }
        } else if (name.place == kPad && numLock != nullptr) {
            other = key.x > numLock->x - 0.01 && key.y > numLock->y - 0.01;
        } else if (name.place == kShiftRow && z != nullptr) {
            other = std::fabs(CentreY(key) - CentreY(*z)) < 0.5;
        }
        matched.push_back({name.kind, other ? name.other : name.codes});
    }
    return matched;
}
