#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "layout/layout_file.h"
#include "tests/fakes/fake_messages.h"
#include "tests/layout/temp_files.h"

namespace {

WindowHandle const kOwner = reinterpret_cast<WindowHandle>(0x1234);

std::string Codes(const int32_t* codes) {
    if (codes == nullptr) {
        return "-";
    }
    std::string out;
    for (int i = 0; codes[i] != -1; ++i) {
        out += (i > 0 ? "," : "") + std::to_string(codes[i]);
    }
    return out + ",end";
}

// "code scan [label] extended s<status> h<highlight> left,top widthxheight t<time>
// c<codes> m<base>/<modifier>"
std::string Describe(const KeyRecord& r) {
    char text[512];
    std::snprintf(text, sizeof text, "%d %d [%s] %u s%d h%d %d,%d %dx%d t%lld c%s m%d/%d",
                  r.keyCode, r.scanCode, r.label, r.extended, r.status, r.highlight, r.left, r.top,
                  r.width, r.height, static_cast<long long>(r.compoundTime),
                  Codes(r.compoundCodes).c_str(), r.baseCode, r.modifierCode);
    return text;
}

// Parses one key line on its own; "error" for a syntax error.
std::string ParseOne(const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    LineList lines = {SplitLayoutLine(buffer.data())};
    if (lines.first == nullptr) {
        return "unsplittable";
    }
    KeyRecord record = {};
    std::string out = "error";
    if (ParseKeyLine(lines.first, &record, nullptr) == 1) {
        out = Describe(record);
        std::free(record.label);
        std::free(record.compoundCodes);
    }
    FreeLineList(&lines);
    return out;
}

class LayoutFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        ResetAltShortcuts();
        shownMessages.clear();
    }
    void TearDown() override { FreeLayout(layout); }
    // Reads a file with these bytes through both layers; the result of LoadLayoutFile.
    int Load(const std::string& bytes, const char* fileName = "test.kbl") {
        FreeLayout(layout);
        layout = nullptr;
        LineList lines = {nullptr};
        const int count = ReadLayoutLines(&lines, folder.Write("file.kbl", bytes).c_str());
        const int result = LoadLayoutFile(kOwner, &lines, &layout, count, fileName);
        FreeLineList(&lines);
        return result;
    }
    // Loads one of the sample files under their full path.
    int LoadSample(const char* name) {
        const std::string path = std::string(CLAVORO_LAYOUT_DATA) + "/" + name + ".kbl";
        FreeLayout(layout);
        layout = nullptr;
        LineList lines = {nullptr};
        const int count = ReadLayoutLines(&lines, path.c_str());
        const int result = LoadLayoutFile(kOwner, &lines, &layout, count, path.c_str());
        FreeLineList(&lines);
        return result;
    }
    TempFolder folder;
    KeyboardLayout* layout = nullptr;
};

const char* const kFields = ",\"K\",\"false\",\"CVSTATUSUP\",1,2,3,4,5"; // fields 3 to 10

TEST(ParseKeyLine, Records) {
    ResetAppState();
    ResetAltShortcuts();
    const std::string k = kFields;
    const std::string fail = "27,1,\"K\",\"false\",\"CVSTATUSFAIL\",1,2,3,4,5";
    const std::string rest = " [K] 0 s0 h1 2,3 4x5 t-1 c- m-1/-1";
    struct Case {
        std::string line;
        std::string expected;
    } cases[] = {
        {"27,1,\"Esc\",\"TRUE\",\"CVSTATUSNOTESTFAIL\",3,10,20,30,40",
         "27 1 [Esc] 1 s9 h3 10,20 30x40 t-1 c- m-1/-1"},
        {"27,1,\"\",\"False\",\"CVSTATUSNOTEST\",0,0,0,0,0",
         "27 1 [] 0 s3 h0 0,0 0x0 t-1 c- m-1/-1"},
        {"\"RMOUSE\",77" + k, "-3 -3" + rest},
        // texts where numbers belong read as 0
        {"65,\"x\",\"A\",\"true\",\"CVSTATUSUP\",\"a\",\"b\",7,8,\"c\"",
         "65 0 [A] 1 s0 h0 0,7 8x0 t-1 c- m-1/-1"},
        {"27,1" + k + ",9,9,9", "27 1" + rest},
        {"'\xFA',0" + k, "-6 -6" + rest}, // signed byte -6
        {fail, "27 1 [K] 0 s6 h1 2,3 4x5 t-1 c- m-1/-1"},
        {"\"COMPOUND\",0" + k + ",100,17", "-2 -2 [K] 0 s0 h1 2,3 4x5 t100 c17,end m-1/-1"},
        {"\"COMPOUND\",0" + k + ",5,1,2,3,4,5,6,7,8,9,10",
         "-2 -2 [K] 0 s0 h1 2,3 4x5 t5 c10,9,8,7,6,5,4,3,2,1,end m-1/-1"},
        {"\"MODIFIED\",0" + k, "-6 -6" + rest},
        {"\"MODIFIED\",0" + k + ",0,70,18", "-6 -6 [K] 0 s0 h1 2,3 4x5 t-1 c- m70/18"},
        {"\"MODIFIED\",0" + k + ",0,70,18,99", "-6 -6 [K] 0 s0 h1 2,3 4x5 t-1 c- m70/18"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ParseOne(c.line)) << c.line;
    }
    appState.batchMode = true;
    EXPECT_EQ("27 1 [K] 0 s4 h1 2,3 4x5 t-1 c- m-1/-1", ParseOne(fail)) << "fail in batch mode";
    ResetAppState();
}

TEST(ParseKeyLine, SyntaxErrors) {
    const std::string k = kFields;
    const std::string bad[] = {
        "27,1,\"Esc\",\"false\",\"CVSTATUSUP\",0,10,12,28",
        "27",
        "\"vk_escape\",1" + k,
        "'\xFF',1" + k, // -1 is the end record's code
        "'\xF9',1" + k, // -7
        "27,1,5,\"false\",\"CVSTATUSUP\",1,2,3,4,5",
        "27,1,\"K\",\"yes\",\"CVSTATUSUP\",1,2,3,4,5",
        "27,1,\"K\",1,\"CVSTATUSUP\",1,2,3,4,5",
        "27,1,\"K\",\"false\",\"CVSTATUSup\",1,2,3,4,5",
        "27,1,\"K\",\"false\",0,1,2,3,4,5", // a number is no status
        "\"COMPOUND\",0" + k + ",100",
        "\"COMPOUND\",0" + k + ",5,1,2,3,4,5,6,7,8,9,10,11",
        "\"MODIFIED\",0" + k + ",0",
        "\"MODIFIED\",0" + k + ",0,70",
    };
    for (const std::string& line : bad) {
        EXPECT_EQ("error", ParseOne(line)) << line;
    }
}

TEST(ParseKeyLine, AltModifiedKeysTurnOffTheirShortcut) {
    struct Case {
        int base;
        int modifier;
        const char* left; // switches still on: About Clear Exit Fail Help Leds
    } cases[] = {
        {65, 18, "-CEFHL"}, {67, 164, "A-EFHL"}, {69, 165, "AC-FHL"}, {70, 18, "ACE-HL"},
        {72, 18, "ACEF-L"}, {76, 18, "ACEFH-"},  {115, 18, "ACEFHL"}, // Alt+F4 is no switch
        {65, 17, "ACEFHL"}, {66, 18, "ACEFHL"},
    };
    for (const Case& c : cases) {
        ResetAltShortcuts();
        const std::string line = "\"MODIFIED\",0" + std::string(kFields) + ",0," +
                                 std::to_string(c.base) + "," + std::to_string(c.modifier);
        ASSERT_NE("error", ParseOne(line));
        const AltShortcuts& a = altShortcuts;
        const std::string left = {a.altAbout ? 'A' : '-', a.altClear ? 'C' : '-',
                                  a.altExit ? 'E' : '-',  a.altFail ? 'F' : '-',
                                  a.altHelp ? 'H' : '-',  a.altLeds ? 'L' : '-'};
        EXPECT_EQ(c.left, left) << c.base << " with " << c.modifier;
    }
    ResetAltShortcuts();
}

TEST(LookUpKeyName, AliasesSdkValuesAndExactNames) {
    const struct {
        const char* name;
        int code;
    } rows[] = {
        // clang-format off
        {"LMOUSE", -5}, {"MODIFIED", -6}, {"VK_KANA", 21}, {"VK_HANGUL", 21}, {"VK_KANJI", 25},
        {"VK_OEM_FJ_JISHO", 146}, {"VK_OEM_FJ_ROYA", 150}, {"VK_OEM_102", 226}, {"VK_F24", 135},
        {"VK_OEM_CLEAR", 254}, {"vk_escape", -1}, {"VK_ESCAPE ", -1}, {"", -1}, {"VK_A", -1},
        // clang-format on
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.code, LookUpKeyName(r.name)) << r.name;
    }
    for (const KeyName& row : keyNameTable) {
        EXPECT_EQ(row.code, LookUpKeyName(row.name)) << "no name is shadowed by an earlier row";
    }
}

TEST_F(LayoutFileTest, WorkedExample) {
    ASSERT_EQ(1, LoadSample("worked_example"));
    EXPECT_STREQ("worked_example", layout->name);
    const char* expected[] = {
        "27 1 [Esc] 0 s0 h0 10,12 28x24 t-1 c- m-1/-1",
        "65 30 [A] 0 s0 h1 60,70 28x24 t-1 c- m-1/-1",
        "13 28 [Enter] 1 s3 h0 600,110 28x52 t-1 c- m-1/-1",
        "-5 -5 [Left button] 1 s0 h0 640,10 40x30 t-1 c- m-1/-1",
        "-2 -2 [Mail] 0 s0 h0 300,300 60x20 t100 c77,16,17,end m-1/-1",
        "-6 -6 [Alt+F] 0 s0 h0 380,300 60x20 t-1 c- m70/18",
    };
    ASSERT_EQ(6, CountKeys(layout->table));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(expected[i], Describe(layout->table[i])) << "record " << i;
        EXPECT_EQ(0, layout->table[i].dupState);
        EXPECT_EQ(0, layout->table[i].pressCount);
    }
    const KeyRecord& end = layout->table[6];
    EXPECT_EQ("-1 -1 [] 0 s0 h0 0,0 0x0 t-1 c- m-1/-1", Describe(end));
    EXPECT_EQ(0, end.downTime);
    EXPECT_FALSE(altShortcuts.altFail);
    EXPECT_TRUE(altShortcuts.altExit);
    EXPECT_TRUE(shownMessages.empty());
}

TEST_F(LayoutFileTest, SampleLayouts) {
    struct Case {
        const char* file;
        int loaded;
        int keys;
        const char* lastKey;
    } cases[] = {
        {"windows_line_ends", 1, 3, "113 60 [F2] 0 s0 h0 80,12 28x24 t-1 c- m-1/-1"},
        // carriage returns alone end no line: the second key is fields 11 on of the first
        {"carriage_returns_only", 1, 1, "27 1 [Esc] 0 s0 h0 10,12 28x24 t-1 c- m-1/-1"},
        {"lone_commas_and_quotes", 1, 4, "254 0 [] 1 s0 h7 0,0 700x340 t-1 c- m-1/-1"},
        {"failure_combinations", 1, 10, "-3 -3 [Right] 1 s0 h0 660,90 40x30 t-1 c- m-1/-1"},
        {"compound_and_modified", 1, 14, "-6 -6 [Never] 0 s0 h2 520,300 60x20 t-1 c- m-1/-1"},
        {"syntax_error_third_line", 0, 0, ""},
        {"compound_limit", 0, 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.loaded, LoadSample(c.file)) << c.file;
        if (layout != nullptr) {
            ASSERT_EQ(c.keys, CountKeys(layout->table)) << c.file;
            EXPECT_EQ(c.lastKey, Describe(layout->table[c.keys - 1])) << c.file;
        }
    }
    EXPECT_FALSE(altShortcuts.altExit) << "Alt+E with the left Alt key";
    EXPECT_TRUE(altShortcuts.altAbout) << "Ctrl+A is no Alt shortcut";
}

TEST_F(LayoutFileTest, SyntaxErrorsSkipTheFile) {
    const std::string good = "27,1" + std::string(kFields) + "\n";
    struct Case {
        std::string bytes;
        const char* fileName;
        const char* message; // the text of the one message shown
    } cases[] = {
        {"# c\n" + good + "# c\n" + good + "27,1,\"x\"\n" + good, "A.kbl",
         "Syntax error in line 3 (excluding comment lines) of file\nA.kbl\nSkipping file."},
        // lines that cannot be split do not count
        {good + " bad\n" + good + "27\n", "US.Desk.kbl",
         "Syntax error in line 3 (excluding comment lines) of file\nUS.Desk.kbl\nSkipping file."},
        {" bad\n,,\n", "C:\\Clavoro\\B.kbl",
         "Syntax error in line 1 (excluding comment lines) of file\nB.kbl\nSkipping file."},
    };
    for (const Case& c : cases) {
        shownMessages.clear();
        EXPECT_EQ(0, Load(c.bytes, c.fileName));
        EXPECT_EQ(nullptr, layout);
        ASSERT_FALSE(shownMessages.empty());
        const ShownMessage& m = shownMessages.back();
        EXPECT_EQ(c.message, m.text);
        EXPECT_EQ("Clavoro - Error", m.caption);
        EXPECT_EQ(kIconInformation, m.icon);
        EXPECT_EQ(kOwner, m.owner);
    }
    // A switch turned off stays off when a later line spoils the file.
    EXPECT_EQ(0, Load("\"MODIFIED\",0" + std::string(kFields) + ",0,72,18\n27\n"));
    EXPECT_FALSE(altShortcuts.altHelp);
}

TEST_F(LayoutFileTest, NameIsTheFileNameWithoutItsLastExtension) {
    const std::string good = "27,1" + std::string(kFields) + "\n";
    for (const char* name : {"US.Desk.kbl", "NoDot"}) {
        ASSERT_EQ(1, Load(good, name));
        EXPECT_EQ(std::string(name).substr(0, 7), layout->name);
    }
}

TEST_F(LayoutFileTest, AtMostOneHundredCompoundKeysPerFile) {
    std::string hundred;
    for (int i = 0; i < 100; ++i) {
        hundred += "\"COMPOUND\",0" + std::string(kFields) + ",50,65,66\n";
    }
    const std::string noTime = "\"MODIFIED\",0" + std::string(kFields) + "\n";
    ASSERT_EQ(1, Load(hundred + noTime));
    EXPECT_EQ(101, CountKeys(layout->table));
    ASSERT_EQ(1, Load(hundred)) << "the count starts again for every file";
    EXPECT_EQ(0, Load(hundred + "\"COMPOUND\",0" + std::string(kFields) + ",50,65\n"));
    ASSERT_EQ(1u, shownMessages.size());
    EXPECT_EQ(0u, shownMessages[0].text.find("Syntax error in line 101 "));
}

} // namespace
