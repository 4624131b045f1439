#include "base/code_pages.h"

namespace {

constexpr uint32_t kBad = 0xFFFD;

// Windows-1252 at 0x80 to 0x9F (0: no character); the rest is Latin-1.
constexpr uint16_t kWesternHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Windows-1250 and -1251 at 0x80 to 0xFF (0: no character).
constexpr uint16_t kCentralEuropeanHigh[128] = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021, 0x0000, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};
constexpr uint16_t kCyrillicHigh[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Shift-JIS double-byte characters of Japanese keycaps besides the kana, which follow
// their own order: ー 、 。 「 」 ・ ゛ ゜ ￥ 変 換 無 半 角 全 英 数 字 漢.
struct JisChar {
    uint32_t c;
    uint16_t code;
};
constexpr JisChar kJisChars[] = {
    {0x30FC, 0x815B}, {0x3001, 0x8141}, {0x3002, 0x8142}, {0x300C, 0x8175}, {0x300D, 0x8176},
    {0x30FB, 0x8145}, {0x309B, 0x814A}, {0x309C, 0x814B}, {0xFFE5, 0x818F}, {0x5909, 0x95CF},
    {0x63DB, 0x8AB7}, {0x7121, 0x96B3}, {0x534A, 0x94BC}, {0x89D2, 0x8A70}, {0x5168, 0x9153},
    {0x82F1, 0x8970}, {0x6570, 0x9094}, {0x5B57, 0x8E9A}, {0x6F22, 0x8ABF},
};
constexpr uint32_t kHiragana = 0x3041, kKatakana = 0x30A1;
constexpr uint32_t kKanaCount = 86;   // ぁ to ゖ, ァ to ヶ
constexpr uint32_t kJisHiragana = 83; // ぁ to ん: Shift-JIS has no ゔ ゕ ゖ

// The hiragana block in Shift-JIS runs on without a gap; the katakana block skips the
// trail byte 0x7F.
uint16_t KanaCode(uint32_t c) {
    if (c >= kHiragana && c < kHiragana + kJisHiragana) {
        return static_cast<uint16_t>(0x829F + (c - kHiragana));
    }
    if (c >= kKatakana && c < kKatakana + kKanaCount) {
        const uint32_t trail = 0x40 + (c - kKatakana);
        return static_cast<uint16_t>(0x8300 + trail + (trail >= 0x7F ? 1 : 0));
    }
    return 0;
}

uint32_t JisDecode(uint16_t code) {
    for (uint32_t c = kHiragana; c < kKatakana + kKanaCount; ++c) {
        if (KanaCode(c) == code && code != 0) {
            return c;
        }
    }
    for (const JisChar& j : kJisChars) {
        if (j.code == code) {
            return j.c;
        }
    }
    return kBad;
}

bool IsJisLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

void DecodeUtf8(const std::string& text, std::vector<uint32_t>* out) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        const int more = b < 0x80             ? 0
                         : (b & 0xE0) == 0xC0 ? 1
                         : (b & 0xF0) == 0xE0 ? 2
                         : (b & 0xF8) == 0xF0 ? 3
                                              : -1;
        uint32_t c = more == 0 ? b : more == 1 ? b & 0x1F : more == 2 ? b & 0x0F : b & 0x07;
        bool valid = more >= 0 && i + more < text.size();
        for (int k = 1; valid && k <= more; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        out->push_back(valid ? c : kBad);
        i += valid ? more + 1 : 1;
    }
}

// Plain spellings of Latin-1, 0xA0 to 0xFF: umlauts as in German, Å as in Danish.
constexpr const char* kLatin1[96] = {
    " ", "!",  "c", "L", "o",  "Yen", "|",  "S", "\"", "(c)", "a", "<<", "-",   "",    "(R)", "-",
    "o", "+-", "2", "3", "'",  "u",   "P",  ".", ",",  "1",   "o", ">>", "1/4", "1/2", "3/4", "?",
    "A", "A",  "A", "A", "Ae", "Aa",  "Ae", "C", "E",  "E",   "E", "E",  "I",   "I",   "I",   "I",
    "D", "N",  "O", "O", "O",  "O",   "Oe", "x", "Oe", "U",   "U", "U",  "Ue",  "Y",   "Th",  "ss",
    "a", "a",  "a", "a", "ae", "aa",  "ae", "c", "e",  "e",   "e", "e",  "i",   "i",   "i",   "i",
    "d", "n",  "o", "o", "o",  "o",   "oe", "/", "oe", "u",   "u", "u",  "ue",  "y",   "th",  "y"};

// Hepburn romaji of ぁ (and ァ) onwards.
constexpr const char* kRomaji[kKanaCount] = {
    "a",  "a",  "i",   "i",  "u",   "u",   "e",  "e",   "o",  "o",  "ka", "ga", "ki", "gi", "ku",
    "gu", "ke", "ge",  "ko", "go",  "sa",  "za", "shi", "ji", "su", "zu", "se", "ze", "so", "zo",
    "ta", "da", "chi", "ji", "tsu", "tsu", "zu", "te",  "de", "to", "do", "na", "ni", "nu", "ne",
    "no", "ha", "ba",  "pa", "hi",  "bi",  "pi", "fu",  "bu", "pu", "he", "be", "pe", "ho", "bo",
    "po", "ma", "mi",  "mu", "me",  "mo",  "ya", "ya",  "yu", "yu", "yo", "yo", "ra", "ri", "ru",
    "re", "ro", "wa",  "wa", "wi",  "we",  "wo", "n",   "vu", "ka", "ke"};

struct Spelling {
    uint32_t c;
    const char* text;
};
constexpr Spelling kSpellings[] = {
    {0x30FC, "-"}, {0x3001, ","},  {0x3002, "."}, {0x300C, "["},   {0x300D, "]"},
    {0x30FB, "."}, {0x309B, "\""}, {0x309C, "o"}, {0xFFE5, "Yen"}, {0x20AC, "EUR"},
    {0x2190, "<"}, {0x2191, "^"},  {0x2192, ">"}, {0x2193, "v"},
};

// The names on Japanese keys, read as words (無変換, 変換, 半角, 全角, 英数, 漢字, ローマ字,
// ひらがな, カタカナ, かな, カナ); the longer one first where one holds another.
struct Word {
    uint32_t c[4];
    const char* text;
};
constexpr Word kWords[] = {
    {{0x7121, 0x5909, 0x63DB}, "Muhen"},
    {{0x5909, 0x63DB}, "Henkan"},
    {{0x534A, 0x89D2}, "Han"},
    {{0x5168, 0x89D2}, "Zen"},
    {{0x82F1, 0x6570}, "Eisu"},
    {{0x6F22, 0x5B57}, "Kanji"},
    {{0x30ED, 0x30FC, 0x30DE, 0x5B57}, "Romaji"},
    {{0x3072, 0x3089, 0x304C, 0x306A}, "Hira"},
    {{0x30AB, 0x30BF, 0x30AB, 0x30CA}, "Kata"},
    {{0x304B, 0x306A}, "Kana"},
    {{0x30AB, 0x30CA}, "Kana"},
};

} // namespace

bool IsLogCodePage(int codePage) {
    return codePage == kWestern || codePage == kCentralEuropean || codePage == kCyrillic ||
           codePage == kUtf8;
}

std::vector<uint32_t> DecodeText(const std::string& text, int codePage) {
    std::vector<uint32_t> out;
    if (codePage == kUtf8) {
        DecodeUtf8(text, &out);
        return out;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(b);
        } else if (codePage == kWestern) {
            out.push_back(b >= 0xA0                     ? b
                          : kWesternHigh[b - 0x80] != 0 ? kWesternHigh[b - 0x80]
                                                        : kBad);
        } else if (codePage == kCentralEuropean || codePage == kCyrillic) {
            const uint16_t c =
                (codePage == kCyrillic ? kCyrillicHigh : kCentralEuropeanHigh)[b - 0x80];
            out.push_back(c != 0 ? c : kBad);
        } else if (b >= 0xA1 && b <= 0xDF) {
            out.push_back(0xFF61 + (b - 0xA1)); // half-width katakana
        } else if (IsJisLead(b) && i + 1 < text.size()) {
            out.push_back(
                JisDecode(static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(text[i + 1]))));
            ++i;
        } else {
            out.push_back(kBad);
        }
    }
    return out;
}

int EncodeChar(uint32_t c, int codePage, std::string* out) {
    if (c < 0x80) {
        *out += static_cast<char>(c);
        return 1;
    }
    if (codePage == kUtf8) {
        if (c < 0x800) {
            *out += static_cast<char>(0xC0 | (c >> 6));
        } else {
            if (c < 0x10000) {
                *out += static_cast<char>(0xE0 | (c >> 12));
            } else {
                *out += static_cast<char>(0xF0 | (c >> 18));
                *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            }
            *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *out += static_cast<char>(0x80 | (c & 0x3F));
        return 1;
    }
    if (codePage == kWestern) {
        for (int i = 0; i < 32; ++i) {
            if (kWesternHigh[i] == c) {
                *out += static_cast<char>(0x80 + i);
                return 1;
            }
        }
        if (c >= 0xA0 && c <= 0xFF) {
            *out += static_cast<char>(c);
            return 1;
        }
        return 0;
    }
    // The yen sign becomes the full-width one: 0x5C is a yen sign only in Japanese fonts
    // and a backslash in all others.
    const uint32_t jis = c == 0xA5 ? 0xFFE5 : c;
    uint16_t code = KanaCode(jis);
    for (const JisChar& j : kJisChars) {
        if (j.c == jis) {
            code = j.code;
        }
    }
    if (code == 0) {
        return 0;
    }
    *out += static_cast<char>(code >> 8);
    *out += static_cast<char>(code & 0xFF);
    return 1;
}

size_t Transliterate(const std::vector<uint32_t>& text, size_t at, std::string* out) {
    for (const Word& word : kWords) {
        size_t n = 0;
        while (n < 4 && word.c[n] != 0 && at + n < text.size() && text[at + n] == word.c[n]) {
            ++n;
        }
        if (n == 4 || (n > 0 && word.c[n] == 0)) {
            *out += word.text;
            return n;
        }
    }
    const uint32_t c = text[at];
    const uint32_t kana = c >= kKatakana ? c - kKatakana : c - kHiragana;
    if (c >= 0x20 && c < 0x7F) {
        *out += static_cast<char>(c);
    } else if (c >= 0xA0 && c <= 0xFF) {
        *out += kLatin1[c - 0xA0];
    } else if (c >= kHiragana && c < kKatakana + kKanaCount && kana < kKanaCount) {
        *out += kRomaji[kana];
    } else {
        const char* spelling = "?";
        for (const Spelling& s : kSpellings) {
            spelling = s.c == c ? s.text : spelling;
        }
        // An arrow after a word stands apart: "Bild v", not "Bildv".
        const char last = out->empty() ? ' ' : out->back();
        if (c >= 0x2190 && c <= 0x2193 && ((last | 0x20) >= 'a' && (last | 0x20) <= 'z')) {
            *out += ' ';
        }
        *out += spelling;
    }
    return 1;
}

int ConvertUtf8(const std::string& utf8, int codePage, std::string* out) {
    const std::vector<uint32_t> text = DecodeText(utf8, kUtf8);
    int transliterated = 0;
    for (size_t i = 0; i < text.size();) {
        if (EncodeChar(text[i], codePage, out)) {
            ++i;
        } else {
            i += Transliterate(text, i, out);
            ++transliterated;
        }
    }
    return transliterated;
}
