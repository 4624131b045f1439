#include "layout_tools/kle2kbl/key_match.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "layout_tools/kle2kbl/windows_layouts.h"

namespace {

// Which place chooses a key's other codes.
enum Place {
    kAnywhere,
    kSided,    // the other codes are those of the right-hand key
    kPad,      // the other codes are those of the numeric pad
    kShiftRow, // the other codes are those of the key beside the left Shift (ISO)
};

struct NameRule {
    const char* spellings[16]; // lower case
    int place;
    KeyCodes codes;
    KeyCodes other;
    int yields = 0; // in the main block the key's place decides over this name
};

constexpr KeyCodes kNone = {0, 0, 0, ""};

// Tried in this order, over all labels of a key: a UK keyboard's ` and ' keys carry
// the symbols that tell them from a US keyboard's, so their rules come first.
constexpr NameRule kRules[] = {
    {{"esc", "escape"}, kAnywhere, {27, 1, 0, "Esc"}, kNone},
    {{"tab", "\xE2\x87\xA5", "\xE2\x86\xB9", "\xE2\x87\x86"}, kAnywhere, {9, 15, 0, "Tab"}, kNone},
    {{"caps lock", "capslock", "caps", "caps lk", "\xE2\x87\xAA", "\xE2\x87\xA9"},
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
    {{"home", "\xE2\x86\x96"}, kPad, {36, 71, 1, "Home"}, {103, 71, 0, "7"}},
    {{"end", "\xE2\x86\x98"}, kPad, {35, 79, 1, "End"}, {97, 79, 0, "1"}},
    {{"pgup", "page up", "pg up", "pageup", "\xE2\x87\x9E"},
     kPad,
     {33, 73, 1, "PgUp"},
     {105, 73, 0, "9"}},
    {{"pgdn", "page down", "pg dn", "pagedown", "pgdown", "page dn", "pg down", "\xE2\x87\x9F"},
     kPad,
     {34, 81, 1, "PgDn"},
     {99, 81, 0, "3"}},
    {{"\xE2\x86\x91", "up", "up arrow", "\xE2\x96\xB2"},
     kPad,
     {38, 72, 1, "^"},
     {104, 72, 0, "8"},
     1},
    {{"\xE2\x86\x93", "down", "down arrow", "\xE2\x96\xBC"},
     kPad,
     {40, 80, 1, "v"},
     {98, 80, 0, "2"},
     1},
    {{"\xE2\x86\x90", "left", "left arrow", "\xE2\x97\x80"},
     kPad,
     {37, 75, 1, "<"},
     {100, 75, 0, "4"},
     1},
    {{"\xE2\x86\x92", "right", "right arrow", "\xE2\x96\xB6"},
     kPad,
     {39, 77, 1, ">"},
     {102, 77, 0, "6"},
     1},
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
    {{"\xC2\xAC", "\xC2\xA6"}, kAnywhere, {223, 41, 0, "`"}, kNone, 1},
    {{"@"}, kAnywhere, {192, 40, 0, "'"}, kNone, 1},
    {{"#"}, kAnywhere, {222, 43, 0, "#"}, kNone, 1},
    {{"`", "~"}, kAnywhere, {192, 41, 0, "`"}, kNone, 1},
    {{"'", "\""}, kAnywhere, {222, 40, 0, "'"}, kNone, 1},
    {{"-", "_"}, kPad, {189, 12, 0, "-"}, {109, 74, 0, "-"}, 1},
    {{"=", "+"}, kPad, {187, 13, 0, "="}, {107, 78, 0, "+"}, 1},
    {{"*"}, kAnywhere, {106, 55, 0, "*"}, kNone, 1},
    {{"/", "?"}, kPad, {191, 53, 0, "/"}, {111, 53, 1, "/"}, 1},
    {{".", ">"}, kPad, {190, 52, 0, "."}, {110, 83, 0, "."}, 1},
    {{",", "<"}, kPad, {188, 51, 0, ","}, {110, 83, 0, ","}, 1},
    {{";", ":"}, kAnywhere, {186, 39, 0, ";"}, kNone, 1},
    {{"[", "{"}, kAnywhere, {219, 26, 0, "["}, kNone, 1},
    {{"]", "}"}, kAnywhere, {221, 27, 0, "]"}, kNone, 1},
    {{"\\", "|"}, kShiftRow, {220, 43, 0, "\\"}, {220, 86, 0, "\\"}, 1},
};

// The names of the keys in the languages of the national layouts (in UTF-8, as the
// drawings hold them). A key named here gets the name it carries as its label.
constexpr NameRule kNationalRules[] = {
    {{"échap", "echap"}, kAnywhere, {27, 1, 0, ""}, kNone},
    {{"feststell", "feststelltaste", "verr. maj", "verr maj", "verr.maj", "verrmaj", "bloq mayús",
      "bloq mayus", "bloc maiusc", "英数"},
     kAnywhere,
     {20, 58, 0, ""},
     kNone},
    {{"umschalt", "maj", "maj.", "mayús", "mayus", "maiusc", "skift", "vaihto"},
     kSided,
     {16, 42, 0, ""},
     {16, 54, 0, ""}},
    {{"strg"}, kSided, {17, 29, 0, ""}, {17, 29, 1, ""}},
    {{"menü"}, kAnywhere, {93, 93, 1, ""}, kNone},
    {{"leertaste", "espace", "espacio", "spazio", "mellanslag", "mellemrum", "välilyönti"},
     kAnywhere,
     {32, 57, 0, ""},
     kNone},
    {{"eingabe", "entrée", "entree", "intro", "invio", "retur"},
     kPad,
     {13, 28, 0, ""},
     {13, 28, 1, ""}},
    {{"rück", "rücktaste", "retour arrière", "retour", "effacement", "retroceso"},
     kAnywhere,
     {8, 14, 0, ""},
     kNone},
    {{"einfg", "inser", "insertar"}, kPad, {45, 82, 1, ""}, {96, 82, 0, ""}},
    {{"entf", "suppr", "supr", "canc"}, kPad, {46, 83, 1, ""}, {110, 83, 0, ""}},
    {{"pos1", "pos 1", "origine", "inicio", "début"}, kPad, {36, 71, 1, ""}, {103, 71, 0, ""}},
    {{"ende", "fin", "fine"}, kPad, {35, 79, 1, ""}, {97, 79, 0, ""}},
    {{"bild↑", "bild ↑", "bild auf", "pg préc", "pgpréc", "page préc", "re pág", "re pag", "repág",
      "pag↑", "pag ↑"},
     kPad,
     {33, 73, 1, ""},
     {105, 73, 0, ""}},
    {{"bild↓", "bild ↓", "bild ab", "pg suiv", "pgsuiv", "page suiv", "av pág", "av pag", "avpág",
      "pag↓", "pag ↓"},
     kPad,
     {34, 81, 1, ""},
     {99, 81, 0, ""}},
    {{"druck", "impr écran", "impr. écran", "impr ecran", "imp écr", "impr pant", "imp pant",
      "impr", "stamp", "stampa"},
     kAnywhere,
     {44, 55, 1, ""},
     kNone},
    {{"rollen", "arrêt défil", "arrêt défil.", "arret defil", "défil", "bloq despl", "bloq des",
      "bloc scorr", "scorr"},
     kAnywhere,
     {145, 70, 0, ""},
     kNone},
    {{"pausa", "untbr", "attn"}, kAnywhere, {19, 69, 0, ""}, kNone},
    {{"verr. num", "verr num", "verrnum", "verr.num", "bloq num", "bloq núm", "bloc num"},
     kAnywhere,
     {144, 69, 1, ""},
     kNone},
    // The keys of a JIS keyboard around the space bar, and its 半角/全角 key.
    {{"無変換"}, kAnywhere, {29, 123, 0, ""}, kNone},
    {{"変換"}, kAnywhere, {28, 121, 0, ""}, kNone},
    {{"かな", "カナ", "カタカナ", "ひらがな", "ローマ字"}, kAnywhere, {242, 112, 0, ""}, kNone},
    {{"半角/全角", "半角", "全角", "漢字"}, kAnywhere, {243, 41, 0, ""}, kNone},
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

// The main block row by row: the scan codes of the keys in their order, from the key at
// the left-hand end of the row. The number row of a JIS board has a yen key before
// Backspace, its row of Z a backslash key before the right Shift.
constexpr int kNumberRow[] = {41, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
constexpr int kJisNumberRow[] = {41, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 125, 14};
constexpr int kAnsiTabRow[] = {15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 43};
constexpr int kIsoTabRow[] = {15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28};
constexpr int kAnsiCapsRow[] = {58, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 28};
constexpr int kIsoCapsRow[] = {58, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 43};
constexpr int kAnsiShiftRow[] = {42, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54};
constexpr int kIsoShiftRow[] = {42, 86, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54};
constexpr int kJisShiftRow[] = {42, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 115, 54};

// The English labels of the main block's modifiers, for a key whose legend is a symbol
// or a word of a language kle2kbl does not know.
struct SlotLabel {
    int scan;
    const char* label;
};
constexpr SlotLabel kSlotLabels[] = {{14, "Bksp"},  {15, "Tab"},   {28, "Enter"},
                                     {42, "Shift"}, {54, "Shift"}, {58, "Caps Lock"}};

// What the labels alone say about a key.
struct NameMatch {
    int kind;
    int place;
    KeyCodes codes;
    KeyCodes other;
    int yields;
    std::string legend; // the legend that named the key in another language than English
};

// Lower case of ASCII and of the Latin-1 capitals, in UTF-8.
std::string Lower(const std::string& text) {
    std::string out;
    bool afterC3 = false; // a Latin-1 letter's second byte follows
    for (const char letter : text) {
        const unsigned char c = static_cast<unsigned char>(letter);
        const bool capital =
            (c >= 'A' && c <= 'Z') || (afterC3 && c >= 0x80 && c <= 0x9E && c != 0x97);
        out += static_cast<char>(capital ? c + 0x20 : c);
        afterC3 = c == 0xC3;
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
                  {96 + d, kPadScans[d], 0, kCharLabels[d]},
                  1,
                  ""};
        return true;
    }
    if (label.size() == 1 && label[0] >= 'a' && label[0] <= 'z') {
        const int n = label[0] - 'a';
        *match = {kKnownKey, kAnywhere, {'A' + n, kLetterScans[n], 0, kCharLabels[10 + n]},
                  kNone,     1,         ""};
        return true;
    }
    const int number = label.size() >= 2 && label[0] == 'f' ? std::atoi(label.c_str() + 1) : 0;
    if (number >= 1 && number <= 24 && label == "f" + std::to_string(number)) {
        *match = {kKnownKey,
                  kAnywhere,
                  {111 + number, kFunctionScans[number - 1], 0, kFunctionLabels[number - 1]},
                  kNone,
                  0,
                  ""};
        return true;
    }
    return false;
}

// The first rule, in table order, that a label spells; a rule of a national table keeps
// the label as it is drawn (shown) as the legend.
template <int N>
bool MatchNamedKey(const NameRule (&rules)[N], bool national, const std::string* labels,
                   const std::string* shown, int count, NameMatch* match) {
    for (const NameRule& rule : rules) {
        for (int i = 0; i < count; ++i) {
            for (const char* spelling : rule.spellings) {
                if (spelling != nullptr && labels[i] == spelling) {
                    const int kind = rule.codes.code == 0 ? kFnKey : kKnownKey;
                    *match = {kind,       rule.place,  rule.codes,
                              rule.other, rule.yields, national ? shown[i] : ""};
                    return true;
                }
            }
        }
    }
    return false;
}

// Labels in lower case; then once more with the symbols around a word left out
// ("Tab ↹", "⇧ Shift"); then each word of a label on its own ("Entrée ↵").
NameMatch MatchLabels(const KleKey& key) {
    NameMatch match = {kUnknownKey, kAnywhere, kNone, kNone, 0, ""};
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
    if (MatchNamedKey(kRules, false, labels, key.labels, kKleLabels, &match) ||
        MatchNamedKey(kNationalRules, true, labels, key.labels, kKleLabels, &match) ||
        MatchNamedKey(kRules, false, words, words, kKleLabels, &match)) {
        return match;
    }
    for (int i = 0; i < kKleLabels; ++i) {
        for (size_t start = 0; start < labels[i].size();) {
            size_t end = labels[i].find(' ', start);
            end = end == std::string::npos ? labels[i].size() : end;
            const std::string part = labels[i].substr(start, end - start);
            const std::string shown = key.labels[i].substr(start, end - start);
            if (MatchNamedKey(kRules, false, &part, &shown, 1, &match) ||
                MatchNamedKey(kNationalRules, true, &part, &shown, 1, &match)) {
                return match;
            }
            start = end + 1;
        }
    }
    // The editor draws the space bar as a wide key without a label.
    if (blank && key.width >= 3) {
        match = {kKnownKey, kAnywhere, {32, 57, 0, "Space"}, kNone, 0, ""};
    }
    return match;
}

double CentreX(const KleKey& key) {
    return key.x + key.width / 2;
}
double CentreY(const KleKey& key) {
    return key.y + key.height / 2;
}

bool IsKana(const std::string& text) {
    // Hiragana and katakana are U+3041 to U+30FF: E3 81 81 to E3 83 BF in UTF-8.
    return text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xE3 &&
           static_cast<unsigned char>(text[1]) >= 0x81 &&
           static_cast<unsigned char>(text[1]) <= 0x83;
}

// The label of a key placed by the main block: the legend it types without Shift (a
// letter in upper case), and the kana it types on a JIS keyboard (the last drawn).
std::string PlacedLabel(const KleKey& key) {
    std::string base =
        !key.labels[1].empty() && !IsKana(key.labels[1]) ? key.labels[1] : key.labels[0];
    base = IsKana(base) ? "" : base;
    if (base.size() == 1 && base[0] >= 'a' && base[0] <= 'z') {
        base[0] = static_cast<char>(base[0] - 'a' + 'A');
    }
    std::string kana;
    for (const std::string& label : key.labels) {
        kana = IsKana(label) ? label : kana;
    }
    // A comma cannot stand in a label beside other text.
    if (!kana.empty() && base != ",") {
        base += (base.empty() ? "" : " ") + kana;
    }
    return base;
}

// The key at a place of the main block. A named key keeps its name where the place
// means another key, unless the name yields to the place (arrows, symbols).
bool TakesPlace(const NameMatch& name, int scan) {
    if (name.kind == kFnKey) {
        return false;
    }
    return name.kind == kUnknownKey || name.yields || name.codes.scan == scan ||
           name.other.scan == scan;
}

MatchedKey PlacedKey(const KleKey& key, const NameMatch& name, int scan, int layout) {
    int32_t code = LayoutKeyCode(layout, scan);
    // A letter key sends its letter in every layout, wherever the letter is.
    const std::string& first = key.labels[0];
    if (first.size() == 1 &&
        ((first[0] >= 'A' && first[0] <= 'Z') || (first[0] >= 'a' && first[0] <= 'z'))) {
        code = first[0] & ~0x20;
    }
    std::string label = PlacedLabel(key);
    for (const SlotLabel& slot : kSlotLabels) {
        label = slot.scan == scan ? slot.label : label;
    }
    if (name.kind == kKnownKey && !name.yields) {
        label = name.legend.empty() ? name.codes.label : name.legend;
    }
    return {kKnownKey, {code, scan, 0, ""}, label};
}

// The keys of one row of the main block, left to right, given their scan codes.
void PlaceRow(const std::vector<KleKey>& keys, std::vector<size_t> row, const int* scans, int count,
              std::vector<int>* out) {
    std::sort(row.begin(), row.end(),
              [&keys](size_t a, size_t b) { return keys[a].x < keys[b].x; });
    for (size_t i = 0; i < row.size() && static_cast<int>(i) < count; ++i) {
        (*out)[row[i]] = scans[i];
    }
}

template <int N> constexpr int Length(const int (&)[N]) {
    return N;
}

} // namespace

MainBlock FindMainBlock(const std::vector<KleKey>& keys) {
    MainBlock block = {kNoMainBlock, std::vector<int>(keys.size(), 0)};
    const KleKey* tab = nullptr;
    for (const KleKey& key : keys) {
        const NameMatch name = MatchLabels(key);
        if (tab == nullptr && name.kind == kKnownKey && name.codes.code == 9) {
            tab = &key;
        }
    }
    if (tab == nullptr) {
        return block;
    }
    // The block is 15 key units wide from the left edge of Tab; its rows lie one unit
    // apart, from the number row above Tab's row to the row of Z below it.
    std::vector<size_t> rows[4];
    bool tallEnter = false;
    for (size_t i = 0; i < keys.size(); ++i) {
        const KleKey& key = keys[i];
        const double dy = key.y - tab->y;
        const int row = static_cast<int>(std::floor(dy + 0.5));
        if (std::fabs(dy - row) > 0.3 || row < -1 || row > 2 || CentreX(key) < tab->x ||
            CentreX(key) >= tab->x + 15) {
            continue;
        }
        rows[row + 1].push_back(i);
        tallEnter = tallEnter || (row == 0 && (key.height >= 1.5 || key.height2 >= 1.5));
    }
    // An ISO board has a key between the left Shift and Z, so its left Shift is short.
    double leftShift = 0, leftShiftX = 0;
    for (size_t i : rows[3]) {
        if (leftShift == 0 || keys[i].x < leftShiftX) {
            leftShift = keys[i].width;
            leftShiftX = keys[i].x;
        }
    }
    const bool shortShift = leftShift > 0 && leftShift < 1.75;
    // So is the last key of an ISO board's row of A, the one left of the Enter key.
    double lastCapsX = 0, lastCaps = 0;
    for (size_t i : rows[2]) {
        if (keys[i].x >= lastCapsX) {
            lastCapsX = keys[i].x;
            lastCaps = keys[i].width;
        }
    }
    const bool shortCaps = rows[2].size() == 13 && lastCaps < 1.5;
    block.board = rows[0].size() == 15 && tallEnter      ? kJisBoard
                  : tallEnter || shortShift || shortCaps ? kIsoBoard
                                                         : kAnsiBoard;
    const bool jis = block.board == kJisBoard;
    const bool iso = block.board != kAnsiBoard;
    PlaceRow(keys, rows[0], jis ? kJisNumberRow : kNumberRow,
             jis ? Length(kJisNumberRow) : Length(kNumberRow), &block.scans);
    PlaceRow(keys, rows[1], iso ? kIsoTabRow : kAnsiTabRow, Length(kIsoTabRow), &block.scans);
    PlaceRow(keys, rows[2], iso ? kIsoCapsRow : kAnsiCapsRow, Length(kIsoCapsRow), &block.scans);
    PlaceRow(keys, rows[3],
             shortShift ? kIsoShiftRow
             : jis      ? kJisShiftRow
                        : kAnsiShiftRow,
             shortShift || jis ? Length(kIsoShiftRow) : Length(kAnsiShiftRow), &block.scans);
    return block;
}

std::vector<MatchedKey> MatchKeys(const std::vector<KleKey>& keys, const MainBlock& block,
                                  int layout) {
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
        const int scan = block.scans[i];
        if (scan != 0 && TakesPlace(name, scan)) {
            matched.push_back(PlacedKey(key, name, scan, layout));
            continue;
        }
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
        const KeyCodes codes = other ? name.other : name.codes;
        std::string label = !name.legend.empty() ? name.legend : codes.label;
        if (name.kind != kKnownKey) {
            for (int k = kKleLabels - 1; k >= 0; --k) {
                label = key.labels[k].empty() ? label : key.labels[k];
            }
        }
        matched.push_back({name.kind, codes, label});
    }
    return matched;
}
