#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "base/code_pages.h"
#include "layout/layout_file.h"
#include "layout_tools/kle2kbl/kbl_writer.h"
#include "layout_tools/kle2kbl/key_match.h"
#include "layout_tools/kle2kbl/kle_reader.h"
#include "layout_tools/kle2kbl/windows_layouts.h"
#include "tests/fakes/fake_messages.h"
#include "tests/temp_path.h"

namespace {

// "label|label@x,y", the size when not 1x1, "+x2,y2 w2xh2" for a second rectangle and
// "#row.position"; or "error line:column".
std::string Keys(const std::string& text) {
    KleDrawing drawing;
    KleError error;
    if (!ReadKle(text, &drawing, &error)) {
        return "error " + std::to_string(error.line) + ":" + std::to_string(error.column);
    }
    std::string out = drawing.name.empty() ? "" : "[" + drawing.name + "] ";
    for (const KleKey& k : drawing.keys) {
        const std::string labels = k.labels[0] + (k.labels[1].empty() ? "" : "|" + k.labels[1]);
        char line[200];
        std::snprintf(line, sizeof line, "%s@%g,%g", labels.c_str(), k.x, k.y);
        out += line;
        if (k.width != 1 || k.height != 1) {
            std::snprintf(line, sizeof line, " %gx%g", k.width, k.height);
            out += line;
        }
        if (k.x2 != 0 || k.y2 != 0 || k.width2 != k.width || k.height2 != k.height) {
            std::snprintf(line, sizeof line, " +%g,%g %gx%g", k.x2, k.y2, k.width2, k.height2);
            out += line;
        }
        out += " #" + std::to_string(k.row) + "." + std::to_string(k.position) + "; ";
    }
    return out;
}

TEST(KleReader, BothFormsPropertiesAndErrors) {
    const char* cases[][2] = {
        {"[{\"name\":\"Pad\"},[\"A\",\"B\\\"]\"],[{\"x\":0.5,\"w\":2},\"C\",\"D\"]]",
         "[Pad] A@0,0 #1.1; B\"]@1,0 #1.2; C@0.5,1 2x1 #2.1; D@2.5,1 #2.2; "},
        {"[\"A\",{x:1,a:7,z:0,A:0,Z:0,_:0,b0:0,b9:0},\"B\"],\n[{y:0.5},\"C\"]", // names unquoted
         "A@0,0 #1.1; B@2,0 #1.2; C@0,1.5 #2.1; "},
        {"[\"A\",\"B\"]", "A@0,0 #1.1; B@1,0 #1.2; "},
        {"[{h:2,w:1.5},\"A\",{d:true},\"X\",\"B\"]", "A@0,0 1.5x2 #1.1; B@2.5,0 #1.3; "},
        {"[{x:0.25,w:1.25,h:2,w2:1.5,h2:1,x2:-0.25},\"Enter\",{w2:2,y2:1},\"A\",\"B\"]",
         "Enter@0.25,0 1.25x2 +-0.25,0 1.5x1 #1.1; A@1.5,0 +0,1 2x1 #1.2; B@2.5,0 #1.3; "},
        {"[{r:15,rx:1,ry:2},\"A\"],[\"B\"]", "A@1,2 #1.1; B@1,3 #2.1; "},
        {"[{y:1},\"A\"],[{x:1},\"B\"]", "A@0,1 #1.1; B@1,2 #2.1; "},
        {"[\"!\\n1\",\"<b>Caps</b><br>Lock\",\" a &amp; b&#33;&#x2190;&#;&#127;&#x80;&#x7ff;&#2048;"
         "&#xFFFF;&#x10000;\",\"\\\"\\n'\",\"x:1\"]", // UTF-8 of one, two and three bytes, or none
         "!|1@0,0 #1.1; Caps Lock@1,0 #1.2; a & b!\xE2\x86\x90&#;\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80"
         "\xEF\xBF\xBF@2,0 #1.3; \"|'@3,0 #1.4; "
         "x:1@4,0 #1.5; "},
        {"[\"<\",\"<>\",\"a<b>c</b><a><z><A><Z><0>\"]",
         "<@0,0 #1.1; <>@1,0 #1.2; ac<0>@2,0 #1.3; "},
        {"[{a:null,d:false,x:-1},\"A\",]", "error 1:28"},
        {"[\"A\"],\n[{x:1.5,},\"B\"]", "error 2:9"},
        {"[\"A\nB\"]", "error 1:4"},
        {"{name:\"x\"},\n[\"A\",{y:1}\n", "error 3:1"},
        {"[[\"A\"],\n 5]", "error 0:0"},
        {"[[\"A\", 5]]", "error 0:0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Keys(c[0]), c[1]) << c[0];
    }
}

// "code/scan" with "e" for an extended key, "fn" or "?" per key.
std::string Codes(const std::string& text) {
    KleDrawing drawing;
    KleError error;
    EXPECT_TRUE(ReadKle(text, &drawing, &error)) << text;
    std::string out;
    for (const MatchedKey& key : MatchKeys(drawing.keys, FindMainBlock(drawing.keys), 0)) {
        out += key.kind == kFnKey ? "fn "
               : key.kind == kUnknownKey
                   ? "? "
                   : std::to_string(key.codes.code) + "/" + std::to_string(key.codes.scan) +
                         (key.codes.extended ? "e " : " ");
    }
    return out;
}

TEST(KeyMatch, SpellingsSidesPadAndUkKeys) {
    const char* cases[][2] = {
        {"[\"Esc\",\"Escape\",\"\\u00c9CHAP\",\"<b>Esc</b>\",\"Pause\\nBreak\",\"ScrLk\"]",
         "27/1 27/1 27/1 27/1 19/69 145/70 "},
        {"[\"PgUp\",\"Page Up\",\"PrtSc\",\"Print Screen\",\"Del\",\"Delete\",\"Ins\",\"Insert\"]",
         "33/73e 33/73e 44/55e 44/55e 46/83e 46/83e 45/82e 45/82e "},
        {"[\"Caps Lock\",\"Caps\",\"Enter\",\"Return\",\"Backspace\",\"Menu\",\"App\",\"AltGr\","
         "\"Tab \xE2\x86\xB9\",\"PgDn\",\"Page Down\"]",
         "20/58 20/58 13/28 13/28 8/14 93/93e 93/93e 18/56e 9/15 34/81e 34/81e "},
        {"[\"Win\"],[\"Super\"],[\"Cmd\"],[\"GUI\"],[\"Ctrl\"],[\"Control\"]",
         "91/91e 91/91e 91/91e 91/91e 17/29 17/29 "},
        {"[\"\xE2\x86\x90\",\"\xE2\x86\x91\",\"\xE2\x86\x92\",\"\xE2\x86\x93\",\"Left\",\"Up\","
         "\"&rarr;\",\"down\"]",
         "37/75e 38/72e 39/77e 40/80e 37/75e 38/72e 39/77e 40/80e "},
        {"[{w:1.25},\"Shift\",\"A\",{w:6},\"\",{w:1.25},\"Shift\"],"
         "[\"Ctrl\",\"Win\",{x:7},\"Alt\",\"Win\",\"Ctrl\"]", // right of the space bar's middle
         "16/42 65/30 32/57 16/54 17/29 91/91e 18/56e 92/92e 17/29e "},
        {"[\"Shift\",\"Ctrl\",\"Shift\",\"Ctrl\"]", "16/42 17/29 16/54 17/29e "},
        {"[\"Home\",\"Num Lock\",\"/\"],[\"End\",\"7\\nHome\",\"8\\n\xE2\x86\x91\",\"+\"],"
         "[\"Enter\",\".\\nDel\",\"0\\nIns\",\"Enter\"]",
         "36/71e 144/69e 111/53e 35/79e 103/71 104/72 107/78 13/28 110/83 96/82 13/28e "},
        {"[\"7\\nHome\",\"/\",\"-\",\"+\\n=\",\"*\",\"<\\n,\",\".\"]",
         "55/8 191/53 189/12 187/13 106/55 188/51 190/52 "},
        {"[\"\xC2\xAC\\n`\",\"@\\n'\",\"~\\n#\",\"~\\n`\",\"\\\"\\n'\",\"|\\n\\\\\"],"
         "[\"|\\n\\\\\",\"Z\"],[\"Ctrl\"]", // beside Z, wherever the last key is
         "223/41 192/40 222/43 192/41 222/40 220/43 220/86 90/44 17/29 "},
        {"[\"q\",\"F1\",\"F12\",\"F13\",\"F24\",\"F25\",\"Fn\",\"Foo\",\"\",{w:3},\"\"]",
         "81/16 112/59 123/88 124/100 135/118 ? fn ? ? 32/57 "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Codes(c[0]), c[1]) << c[0];
    }
}

// "legend=code/scan" (with "e" for an extended key) of the keys that carry the listed
// legends (their first or second label), after the name of the Windows layout taken.
std::string PlacedCodes(const std::string& text, const char* layoutName,
                        const std::string& legends) {
    KleDrawing drawing;
    KleError error;
    EXPECT_TRUE(ReadKle(text, &drawing, &error)) << text;
    const MainBlock block = FindMainBlock(drawing.keys);
    std::string why;
    const int layout = layoutName[0] != '\0'
                           ? FindWindowsLayout(layoutName)
                           : InferWindowsLayout(drawing.keys, block.scans, block.board, &why);
    const std::vector<MatchedKey> keys = MatchKeys(drawing.keys, block, layout);
    std::string out = kWindowsLayouts[layout].names[0];
    std::istringstream in(legends);
    std::string done = " ";
    for (std::string legend; in >> legend;) {
        legend = legend.substr(0, legend.find('='));
        if (done.find(" " + legend + " ") != std::string::npos) {
            continue;
        }
        done += legend + " ";
        for (size_t i = 0; i < keys.size(); ++i) {
            if (drawing.keys[i].labels[0] == legend || drawing.keys[i].labels[1] == legend) {
                out += " " + legend + "=" + std::to_string(keys[i].codes.code) + "/" +
                       std::to_string(keys[i].codes.scan) + (keys[i].codes.extended ? "e" : "");
            }
        }
    }
    return out;
}

// The cases of national_rows.txt: the Windows layout taken and the codes of the keys that
// differ from the US keys with the same legends.
TEST(KeyMatch, TheMainBlockPlacesNationalKeys) {
    std::istringstream in(FileText(CLAVORO_TEST_DATA "/kle/national_rows.txt"));
    std::string layout, drawing;
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line[0] == '=') {
            layout = line.substr(std::min<size_t>(2, line.size()));
            drawing.clear();
        } else if (line.rfind("-> ", 0) == 0) {
            EXPECT_EQ(PlacedCodes(drawing, layout.c_str(), line.substr(3)), line.substr(3))
                << drawing;
            ++cases;
        } else if (line[0] != '#') {
            drawing += line + "\n";
        }
    }
    EXPECT_EQ(16, cases);
}

// (key code, scan code, extended) of every record, sorted, read by the program's reader.
std::vector<std::tuple<int, int, int>> CodesOfLayout(const std::string& path) {
    shownMessages.clear();
    LineList lines = {nullptr};
    const int count = ReadLayoutLines(&lines, path.c_str());
    KeyboardLayout* layout = nullptr;
    EXPECT_EQ(LoadLayoutFile(nullptr, &lines, &layout, count, path.c_str()), 1) << path;
    FreeLineList(&lines);
    EXPECT_TRUE(shownMessages.empty()) << path;
    std::vector<std::tuple<int, int, int>> codes;
    for (int i = 0; layout != nullptr && layout->table[i].keyCode != kEndCode; ++i) {
        const KeyRecord& k = layout->table[i];
        codes.emplace_back(k.keyCode, k.scanCode, static_cast<int>(k.extended));
    }
    FreeLayout(layout);
    std::sort(codes.begin(), codes.end());
    return codes;
}

TEST(Kle2kbl, StandardDrawingsGiveTheCodesOfTheBundledLayouts) {
    // Drawing, the bundled layout with the same keys, whether the key codes must be the
    // same too (else the scan codes and extended flags), letters with their scan codes in
    // the order of the alphabet, what standard error says, and lines the file holds.
    const char* cases[][6] = {
        {"ansi104.json", "US104.kbl", "codes", "",
         "us (United States), from the legends: the legends do not tell; us", ""},
        {"iso105.txt", "UK105.kbl", "codes", "",
         "uk (United Kingdom), from the legends: the UK symbols", ""},
        {"tkl87.json", "TKL87.kbl", "codes", "", "us (United States), from the legends", ""},
        {"de105.json", "UK105.kbl", "scans", "Y44 Z21",
         "de (German), from the legends: QWERTZ letters (--windows-layout chooses another)|"
         "row 2, key 17: \"Bild↑\" is written as \"Bild ^\" (code page 1252 cannot hold it)",
         "\n\"VK_OEM_1\",26,\"\xDC\",|\n'Z',21,\"Z\",|\n\"VK_OEM_PLUS\",27,\"+\",|"
         "\n\"VK_SCROLL\",70,\"Rollen\",|\n\"VK_PRIOR\",73,\"Bild ^\",|\n\"VK_TAB\",15,\"Tab\","},
        {"fr105.txt", "UK105.kbl", "scans", "A16 M39 Q30 W44 Z17",
         "fr (French), from the legends: AZERTY",
         "\n\"VK_OEM_7\",41,\"\xB2\",|\n'1',2,\"&\",|\n\"VK_CAPITAL\",58,\"Verr. maj\","},
        // Q た, the comma key without its kana, 無変換.
        {"jp109.json", "JP109.kbl", "codes", "",
         "jp (Japanese), from the legends: a JIS main block",
         "\n'Q',16,\"Q \x82\xBD\",|\n\"VK_OEM_COMMA\",51,\",\",|"
         "\n\"VK_NONCONVERT\",123,\"\x96\xB3\x95\xCF\x8A\xB7\","},
    };
    for (const auto& c : cases) {
        KleDrawing drawing;
        KleError error;
        ASSERT_TRUE(
            ReadKle(FileText(std::string(CLAVORO_TEST_DATA "/kle/") + c[0]), &drawing, &error));
        KblFile file;
        std::string why;
        ASSERT_EQ(MakeKblFile(drawing, c[0], true, -1, &file, &why), 1) << why;
        EXPECT_TRUE(file.notTestable.empty()) << c[0];
        EXPECT_NE(std::string::npos, file.text.find("# Left and right Shift")) << c[0];
        EXPECT_EQ(std::string(c[1]) != "US104.kbl" && std::string(c[1]) != "TKL87.kbl",
                  file.text.find("in two parts") != file.text.npos);
        std::string notes;
        for (const std::string& note : file.notes) {
            notes += note + "|";
        }
        EXPECT_NE(notes.find(c[4]), std::string::npos) << notes;
        std::istringstream lines(c[5]);
        for (std::string line; std::getline(lines, line, '|');) {
            EXPECT_NE(file.text.find(line), std::string::npos) << c[0] << ": " << line;
        }
        const std::string path = TempPath("kle2kbl.kbl");
        std::ofstream(path, std::ios::binary) << file.text;
        auto written = CodesOfLayout(path);
        auto bundled = CodesOfLayout(std::string(CLAVORO_LAYOUTS "/") + c[1]);
        std::string letters;
        for (auto* codes : {&written, &bundled}) {
            for (auto& k : *codes) {
                const int code = std::get<0>(k);
                if (codes == &written && code >= 'A' && code <= 'Z' &&
                    std::string(c[3]).find(static_cast<char>(code)) != std::string::npos) {
                    letters += (letters.empty() ? "" : " ") +
                               std::string(1, static_cast<char>(code)) +
                               std::to_string(std::get<1>(k));
                }
                std::get<0>(k) = c[2] == std::string("codes") ? code : 0;
            }
            std::sort(codes->begin(), codes->end());
        }
        EXPECT_EQ(written, bundled) << c[0];
        EXPECT_EQ(letters, c[3]);
        std::remove(path.c_str());
    }
}

TEST(Kle2kbl, WritesRectanglesLabelsAndNotTestableKeys) {
    KleDrawing drawing;
    KleError error;
    ASSERT_TRUE(ReadKle("[\"Escape key\",\"Fn\",\"\\u00e9t\xC3\xA9 "
                        "abcdefghijklmnopqrs\xC3\xA9z\",{x:0.5,w:1.25,h:2,w2:1.5,h2:1,"
                        "x2:-0.25},\"Entrée ↵\"],[\"<\\n,\",\"PrtSc\",{x2:-0.5},\"A\",\"Shift\"]",
                        &drawing, &error));
    KblFile file;
    std::string why;
    ASSERT_EQ(MakeKblFile(drawing, "pad.json", false, -1, &file, &why), 1);
    // A label cut to 24 bytes of code page 1252; of two parts of one size, the first; one
    // Shift: no note on telling left and right apart.
    EXPECT_EQ(
        file.text,
        "# Written by kle2kbl from pad.json: 8 keys.\n"
        "# Each line: key code, scan code, \"label\", \"extended\", \"start status\",\n"
        "# highlight, left, top, width, height (rectangle on the 700 x 340 picture).\n"
        "# Codes of the Windows layout us (United States), labels in code page 1252.\n"
        "# Windows keeps the key-down of Print Screen for itself and sends programs\n"
        "# only its key-up, so the key is listed as not testable.\n"
        "# A key drawn in two parts (an ISO Enter) has the rectangle of its larger part.\n"
        "\"VK_ESCAPE\",1,\"Esc\",\"false\",\"CVSTATUSUP\",0,236,122,46,46\n"
        "# Not testable: \"Fn\" (row 1, key 2) sends nothing to the PC.\n"
        "0,128,\"Fn\",\"false\",\"CVSTATUSNOTEST\",0,284,122,46,46\n"
        "# Not testable: \"\xC3\xA9t\xC3\xA9 abcdefghijklmnopqrs\xC3\xA9z\" (row 1, key 3) is not "
        "a key "
        "kle2kbl knows.\n"
        "0,129,\"\xE9t\xE9 abcdefghijklmnopqrs\xE9\",\"false\",\"CVSTATUSNOTEST\",0,332,122,46,46\n"
        "\"VK_RETURN\",28,\"Entr\xE9"
        "e\",\"false\",\"CVSTATUSUP\",0,404,122,58,94\n"
        "\"VK_OEM_COMMA\",51,\",\",\"false\",\"CVSTATUSUP\",0,236,170,46,46\n"
        "\"VK_SNAPSHOT\",55,\"Prt Sc\",\"true\",\"CVSTATUSNOTEST\",0,284,170,46,46\n"
        "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,332,170,46,46\n"
        "\"VK_SHIFT\",42,\"Shift\",\"false\",\"CVSTATUSUP\",0,380,170,46,46\n");
    EXPECT_EQ(file.notTestable.size(), 2u);
}

TEST(CodePages, LegendsInTheCodePagesOfTheLayouts) {
    // UTF-8 legend, code page, the text written, how many characters were transliterated.
    const struct {
        const char* legend;
        int codePage;
        const char* text;
        int transliterated;
    } cases[] = {
        {"Ü ß é ² €", kWestern, "\xDC \xDF \xE9 \xB2 \x80", 0},
        {"ÿ", kWestern, "\xFF", 0},
        {"Ü ø", kShiftJis, "Ue oe", 2},
        {"ぬ ァ ソ ム ヶ ー ￥ ¥", kShiftJis,
         "\x82\xCA \x83\x40 \x83\x5C \x83\x80 \x83\x96 \x81\x5B \x81\x8F \x81\x8F", 0},
        {"無変換 変換 半角/全角 英数", kShiftJis,
         "\x96\xB3\x95\xCF\x8A\xB7 \x95\xCF\x8A\xB7 \x94\xBC\x8A\x70/\x91\x53\x8A\x70 "
         "\x89\x70\x90\x94",
         0},
        {"無変換 ローマ字 カナ ゖ", kWestern, "Muhen Romaji Kana ke", 4},
        {"Bild↑ ← Ő \xFF", kWestern, "Bild ^ < ? ?", 4},
    };
    for (const auto& c : cases) {
        std::string text;
        EXPECT_EQ(ConvertUtf8(c.legend, c.codePage, &text), c.transliterated) << c.legend;
        EXPECT_EQ(text, c.text) << c.legend;
    }
}

} // namespace
