#include "layout_tools/kle2kbl/windows_layouts.h"

#include <initializer_list>

#include "base/code_pages.h"

namespace {

enum : int32_t {
    kOem1 = 186,
    kOemPlus = 187,
    kOemComma = 188,
    kOemMinus = 189,
    kOemPeriod = 190,
    kOem2 = 191,
    kOem3 = 192,
    kOem4 = 219,
    kOem5 = 220,
    kOem6 = 221,
    kOem7 = 222,
    kOem8 = 223,
    kOem102 = 226,
};

// The US layout's main block, row by row. The two keys that only JIS boards have get
// the codes of the Japanese layout.
constexpr LayoutKey kUsKeys[] = {
    {41, kOem3},    {2, '1'},      {3, '2'},    {4, '3'},        {5, '4'},         {6, '5'},
    {7, '6'},       {8, '7'},      {9, '8'},    {10, '9'},       {11, '0'},        {12, kOemMinus},
    {13, kOemPlus}, {125, kOem5},  {14, 8},     {15, 9},         {16, 'Q'},        {17, 'W'},
    {18, 'E'},      {19, 'R'},     {20, 'T'},   {21, 'Y'},       {22, 'U'},        {23, 'I'},
    {24, 'O'},      {25, 'P'},     {26, kOem4}, {27, kOem6},     {43, kOem5},      {28, 13},
    {58, 20},       {30, 'A'},     {31, 'S'},   {32, 'D'},       {33, 'F'},        {34, 'G'},
    {35, 'H'},      {36, 'J'},     {37, 'K'},   {38, 'L'},       {39, kOem1},      {40, kOem7},
    {42, 16},       {86, kOem102}, {44, 'Z'},   {45, 'X'},       {46, 'C'},        {47, 'V'},
    {48, 'B'},      {49, 'N'},     {50, 'M'},   {51, kOemComma}, {52, kOemPeriod}, {53, kOem2},
    {115, kOem102}, {54, 16},
};

constexpr LayoutKey kUk[] = {{41, kOem8}, {40, kOem3}, {43, kOem7}, {86, kOem5}};
constexpr LayoutKey kGerman[] = {{41, kOem5}, {12, kOem4},    {13, kOem6},    {21, 'Z'},
                                 {26, kOem1}, {27, kOemPlus}, {39, kOem3},    {40, kOem7},
                                 {43, kOem2}, {44, 'Y'},      {53, kOemMinus}};
constexpr LayoutKey kFrench[] = {{41, kOem7},     {12, kOem4},      {13, kOemPlus}, {16, 'A'},
                                 {17, 'Z'},       {26, kOem6},      {27, kOem1},    {30, 'Q'},
                                 {39, 'M'},       {40, kOem3},      {43, kOem5},    {44, 'W'},
                                 {50, kOemComma}, {51, kOemPeriod}, {52, kOem2},    {53, kOem8}};
// Spanish and Italian send the same codes from their different legends.
constexpr LayoutKey kSouthern[] = {{41, kOem5}, {12, kOem4},    {13, kOem6},
                                   {26, kOem1}, {27, kOemPlus}, {39, kOem3},
                                   {40, kOem7}, {43, kOem2},    {53, kOemMinus}};
constexpr LayoutKey kSwissGerman[] = {{41, kOem2}, {12, kOem4}, {13, kOem6},    {21, 'Z'},
                                      {26, kOem1}, {27, kOem3}, {39, kOem7},    {40, kOem5},
                                      {43, kOem8}, {44, 'Y'},   {53, kOemMinus}};
// Danish, Finnish, Norwegian and Swedish: the same codes.
constexpr LayoutKey kNordic[] = {{41, kOem5}, {12, kOemPlus}, {13, kOem4},
                                 {26, kOem6}, {27, kOem1},    {39, kOem3},
                                 {40, kOem7}, {43, kOem2},    {53, kOemMinus}};
// Without the input method: Hankaku/Zenkaku sends VK_OEM_AUTO, Eisu VK_OEM_ATTN.
constexpr LayoutKey kJapanese[] = {{41, 243},      {13, kOem7}, {26, kOem3}, {27, kOem4},
                                   {39, kOemPlus}, {40, kOem1}, {43, kOem6}, {58, 240}};

template <int N> constexpr int Count(const LayoutKey (&)[N]) {
    return N;
}

bool IsAsciiLetter(const std::string& text) {
    return text.size() == 1 &&
           ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

// The letter (upper case) of the key at the scan code, or 0.
char LetterAt(const std::vector<KleKey>& keys, const std::vector<int>& scans, int scan) {
    for (size_t i = 0; i < keys.size(); ++i) {
        if (scans[i] == scan && IsAsciiLetter(keys[i].labels[0])) {
            return static_cast<char>(keys[i].labels[0][0] & ~0x20);
        }
    }
    return 0;
}

// Whether a legend holds any of the texts (UTF-8).
bool LegendsHold(const std::vector<KleKey>& keys, std::initializer_list<const char*> texts) {
    for (const KleKey& key : keys) {
        for (const std::string& label : key.labels) {
            for (const char* text : texts) {
                if (label.find(text) != std::string::npos) {
                    return true;
                }
            }
        }
    }
    return false;
}

bool HasKana(const std::vector<KleKey>& keys) {
    for (const KleKey& key : keys) {
        for (const std::string& label : key.labels) {
            for (uint32_t c : DecodeText(label, kUtf8)) {
                if (c >= 0x3041 && c <= 0x30FF) {
                    return true;
                }
            }
        }
    }
    return false;
}

int Layout(const char* name) {
    return FindWindowsLayout(name);
}

} // namespace

const WindowsLayout kWindowsLayouts[] = {
    {{"us"}, "United States", kWestern, nullptr, 0},
    {{"uk"}, "United Kingdom", kWestern, kUk, Count(kUk)},
    {{"de"}, "German", kWestern, kGerman, Count(kGerman)},
    {{"fr"}, "French", kWestern, kFrench, Count(kFrench)},
    {{"es"}, "Spanish", kWestern, kSouthern, Count(kSouthern)},
    {{"it"}, "Italian", kWestern, kSouthern, Count(kSouthern)},
    {{"ch-de"}, "Swiss German", kWestern, kSwissGerman, Count(kSwissGerman)},
    {{"nordic", "da", "fi", "no", "sv"},
     "Danish, Finnish, Norwegian, Swedish",
     kWestern,
     kNordic,
     Count(kNordic)},
    {{"jp"}, "Japanese", kShiftJis, kJapanese, Count(kJapanese)},
};
const int kWindowsLayoutCount = sizeof kWindowsLayouts / sizeof kWindowsLayouts[0];

int FindWindowsLayout(const std::string& name) {
    for (int i = 0; i < kWindowsLayoutCount; ++i) {
        for (const char* n : kWindowsLayouts[i].names) {
            if (n != nullptr && name == n) {
                return i;
            }
        }
    }
    return -1;
}

std::string WindowsLayoutNames() {
    std::string out;
    for (int i = 0; i < kWindowsLayoutCount; ++i) {
        for (const char* n : kWindowsLayouts[i].names) {
            out += n != nullptr ? std::string(out.empty() ? "" : " ") + n : "";
        }
    }
    return out;
}

int32_t LayoutKeyCode(int layout, int scan) {
    const WindowsLayout& l = kWindowsLayouts[layout];
    for (int i = 0; i < l.count; ++i) {
        if (l.keys[i].scan == scan) {
            return l.keys[i].code;
        }
    }
    for (const LayoutKey& key : kUsKeys) {
        if (key.scan == scan) {
            return key.code;
        }
    }
    return 0;
}

int InferWindowsLayout(const std::vector<KleKey>& keys, const std::vector<int>& scans, int board,
                       std::string* why) {
    const bool kana = HasKana(keys);
    if (board == kJisBoard || kana) {
        *why = board == kJisBoard ? "a JIS main block (15 keys in the number row)" : "kana legends";
        return Layout("jp");
    }
    if ((LetterAt(keys, scans, 16) == 'A' && LetterAt(keys, scans, 17) == 'Z') ||
        (LetterAt(keys, scans, 30) == 'Q' && LetterAt(keys, scans, 44) == 'W')) {
        *why = "AZERTY letters";
        return Layout("fr");
    }
    if (LetterAt(keys, scans, 21) == 'Z' || LetterAt(keys, scans, 44) == 'Y') {
        const bool swiss = LegendsHold(keys, {"é", "è", "à"});
        *why = swiss ? "QWERTZ letters with é, è and à" : "QWERTZ letters";
        return Layout(swiss ? "ch-de" : "de");
    }
    if (LegendsHold(keys, {"Ñ", "ñ"})) {
        *why = "the letter Ñ";
        return Layout("es");
    }
    if (LegendsHold(keys, {"Å", "å"})) {
        *why = "the letter Å";
        return Layout("nordic");
    }
    if (LegendsHold(keys, {"ò", "ù", "ì"})) {
        *why = "the letters ò, ù and ì";
        return Layout("it");
    }
    if (board == kIsoBoard && LegendsHold(keys, {"£", "¬"})) {
        *why = "the UK symbols £ and ¬ on an ISO board";
        return Layout("uk");
    }
    if (board == kNoMainBlock) {
        *why = "no main block found (no Tab key), so the legends do not tell; us is taken";
        return Layout("us");
    }
    *why = board == kIsoBoard ? "the legends do not tell; uk is taken for an ISO board"
                              : "the legends do not tell; us is taken for an ANSI board";
    return Layout(board == kIsoBoard ? "uk" : "us");
}
