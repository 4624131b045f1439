// Text in the single-byte code pages that layout files are written in: a drawing's
// UTF-8 legends turned into Windows-1252 (the Western European layouts) or Shift-JIS
// (code page 932, the Japanese one), and back into characters for the picture. Test
// logs, written in a station's ANSI code page, are read from Windows-1252, -1250
// (Central European), -1251 (Cyrillic) or UTF-8 into UTF-8.
//
// Shift-JIS is covered only as far as Japanese keycaps need it: ASCII, hiragana,
// katakana, the long-vowel mark and the punctuation of the kana keys, the yen sign, and
// the kanji of the key names (変換, 無変換, 半角/全角, 英数, 漢字, ローマ字). Any other
// character is transliterated.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int kUtf8 = 65001;
constexpr int kWestern = 1252;
constexpr int kShiftJis = 932;
constexpr int kCentralEuropean = 1250;
constexpr int kCyrillic = 1251;

// A code page that logs may be read from: kWestern, kCentralEuropean, kCyrillic, kUtf8.
bool IsLogCodePage(int codePage);

// The characters of a text in the code page (kUtf8, kShiftJis or a log's code page). A
// byte sequence that the code page does not define gives U+FFFD.
std::vector<uint32_t> DecodeText(const std::string& text, int codePage);

// Appends the character in the code page (kUtf8, kWestern or kShiftJis); 0 (nothing
// appended) when it has none.
int EncodeChar(uint32_t c, int codePage, std::string* out);

// Appends a plain ASCII spelling of the character at text[at] ("Ue" for Ü, "nu" for
// ぬ, "^" for ↑, "Henkan" for the word 変換, "?" when there is none) and returns how many
// characters it took (at least 1).
size_t Transliterate(const std::vector<uint32_t>& text, size_t at, std::string* out);

// The UTF-8 text in the code page, each character the code page cannot hold
// transliterated; returns the number of characters transliterated.
int ConvertUtf8(const std::string& utf8, int codePage, std::string* out);
