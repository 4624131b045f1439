// The layout reader (lines, then records), the key-name table and the catalogue. The
// sample layouts of tests/data/layouts go through the whole reader in kblcheck's check,
// which compares every record it prints; the tables here hold what that does not show.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "base/app_state.h"
#include "base/trace.h"
#include "engine/key_engine.h"
#include "layout/layout_catalogue.h"
#include "tests/fakes/fake_folder_listing.h"
#include "tests/fakes/fake_messages.h"
#include "tests/fakes/fake_station.h"
#include "tests/temp_path.h"

namespace {

WindowHandle const kOwner = reinterpret_cast<WindowHandle>(0x1234);
const std::string kFields = ",\"K\",\"false\",\"CVSTATUSUP\",1,2,3,4,5"; // fields 3 to 10
const std::string kKey = "27,1" + kFields + "\n";

// The messages shown since the last call, each as "caption|icon|text" after a "#".
// A line that cannot be split is reported without an owner, everything else with one.
std::string Messages() {
    std::string out;
    for (const ShownMessage& m : shownMessages) {
        EXPECT_EQ(m.caption == "Clavoro Error" ? nullptr : kOwner, m.owner) << m.text;
        out += "#" + m.caption + "|" + std::to_string(m.icon) + "|" + m.text;
    }
    shownMessages.clear();
    return out;
}

// A line's fields as "27|[Esc]": numbers bare, texts in brackets.
std::string Fields(const LayoutLine* line) {
    std::string out;
    for (const LayoutField* f = FirstField(line); f != nullptr; f = NextField(f)) {
        EXPECT_TRUE(f->isText ? f->intValue == 0 : f->text == nullptr);
        out += (out.empty() ? "" : "|") +
               (f->isText ? "[" + std::string(f->text) + "]" : std::to_string(f->intValue));
    }
    return out;
}

// The lines read from the bytes, joined by " / ", then " ! <text>" for every line that
// could not be split, with its text as far as the splitting left it.
std::string ReadText(const std::string& bytes) {
    LineList list = {nullptr};
    const int count = ReadLayoutText(&list, bytes.data(), bytes.size());
    std::string out;
    int lines = 0;
    for (const LayoutLine* line = list.first; line != nullptr; line = NextLine(line), ++lines) {
        out += (lines > 0 ? " / " : "") + Fields(line);
    }
    FreeLineList(&list);
    EXPECT_EQ(lines + static_cast<int>(shownMessages.size()), count) << "comments do not count";
    out += Messages();
    for (std::string frame : {"#Clavoro Error|48|Error parsing line beginning\n",
                              "\nPossible cause - non digit value outside quotes."}) {
        for (size_t at; (at = out.find(frame)) != std::string::npos;) {
            out.replace(at, frame.size(), frame[0] == '#' ? " ! " : "");
        }
    }
    return out;
}

TEST(ReadLayoutText, FieldsLinesAndPieces) {
    const std::string cases[][2] = {
        {"12abc,99999999999,'x,'\xE9',\"Esc\",\"Es", "12|2147483647|120|-23|[Esc]|[E]"},
        {",1,,2,\n,3", "1|2 / 3"},
        {"\",\",9,'\\'',1,',',2", "[,]|9|92|1|[,]|2"}, // a comma between quotes
        {"5,\",x,7\n6,',\"", "5 / 6"},                 // an unpaired quote ends the line
        {"\",x\n\"a,b\"\n27, 1\n-3\n,,,\n\n", " ! \" ! \"a ! 27 ! -3 ! ,,,\n ! \n"},
        {"1,2\n# note\n\"#a\",4\n5,#\n#", "1|2 / [#a]|4 ! 5"},
        // Pieces of 149 characters: 147 + ",2" and "3,4"; then 147 + ",7" and the line
        // feed as an empty line; 146 + ",5" and a CR LF fit in one.
        {std::string(147, '1') + ",23,4\n", "2147483647|2 / 3|4"},
        {std::string(147, '1') + ",7\n3\n", "2147483647|7 / 3 ! \n"},
        {std::string(146, '1') + ",5\r\n6\r\n", "2147483647|5 / 6"},
        {"#" + std::string(148, 'c') + "9,8\n", "9|8"}, // the rest of a long comment
        {"1,\"a\r\"\r\r\n2,\"b\"\r3,\"c\"\r", "1|[a\r\"] / 2|[b\"\r]|[c\"]"}, // a lone CR is text
        {std::string("1,2\0,3\n4\n", 9), "1|2 / 4"}, // a NUL ends the piece's text
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c[1], ReadText(c[0])) << c[0];
    }
    LineList list = {nullptr};
    EXPECT_EQ(0, ReadLayoutLines(&list, "/no/such/file.kbl"));
    EXPECT_EQ(0, ReadLayoutLines(&list, "/")) << "a folder reads as no lines";
    EXPECT_EQ(nullptr, SplitLayoutLine(nullptr));
}

// "code scan [label] extended s<status> h<highlight> left,top widthxheight t<time>
// m<base>/<modifier>", then " c<codes>" when the record holds a list of codes.
std::string Record(const KeyRecord& r) {
    char text[512];
    std::snprintf(text, sizeof text, "%d %d [%s] %u s%d h%d %d,%d %dx%d t%lld m%d/%d", r.keyCode,
                  r.scanCode, r.label, r.extended, r.status, r.highlight, r.left, r.top, r.width,
                  r.height, static_cast<long long>(r.compoundTime), r.baseCode, r.modifierCode);
    std::string out = text + std::string(r.compoundCodes != nullptr ? " c" : "");
    for (const int32_t* c = r.compoundCodes; c != nullptr && *c != -1; ++c) {
        out += (c == r.compoundCodes ? "" : ",") + std::to_string(*c);
    }
    return out;
}

// One key line on its own: its record, or "error"; then the Alt shortcuts it turned off.
std::string ParseOne(std::string text) {
    LineList lines = {SplitLayoutLine(&text[0])};
    KeyRecord record = {};
    int compounds = 0;
    std::string out = "error";
    if (ParseKeyLine(lines.first, &record, &compounds) == 1) {
        out = Record(record);
        std::free(record.label);
        std::free(record.compoundCodes);
    }
    FreeLineList(&lines);
    const AltShortcuts& a = altShortcuts;
    const bool on[] = {a.altAbout, a.altClear, a.altExit, a.altFail, a.altHelp, a.altLeds};
    for (int i = 0; i < 6; ++i) {
        out += on[i] ? "" : std::string(" no Alt+") + "ACEFHL"[i];
    }
    ResetAltShortcuts();
    return out;
}

TEST(ParseKeyLine, RecordsAndSyntaxErrors) {
    ResetAppState();
    const std::string k = kFields;
    const std::string mod = "\"MODIFIED\",0" + k + ",0,", m = "-6 -6 [K] 0 s0 h1 2,3 4x5 t-1 m";
    const std::string fail = "27,1,\"K\",\"false\",\"CVSTATUSFAIL\",1,2,3,4,5";
    const std::string compound = "\"COMPOUND\",0" + k + ",100,17";
    const std::string cases[][2] = {
        {"27,1,\"Esc\",\"TRUE\",\"CVSTATUSNOTESTFAIL\",3,10,20,30,40",
         "27 1 [Esc] 1 s9 h3 10,20 30x40 t-1 m-1/-1"},
        {fail, "27 1 [K] 0 s6 h1 2,3 4x5 t-1 m-1/-1"},
        {compound + ",18", "-2 -2 [K] 0 s0 h1 2,3 4x5 t100 m-1/-1 c18,17"}, // newest first
        {"\"VK_OEM_CLEAR\",\"x\",\"A\",\"true\",\"CVSTATUSUP\",\"a\",\"b\",7,8,\"c\"",
         "254 0 [A] 1 s0 h0 0,7 8x0 t-1 m-1/-1"}, // texts where numbers belong read as 0
        {mod + "65,17", m + "65/17"},
        {mod + "115,18", m + "115/18"}, // Alt+F4
        {mod + "65,18", m + "65/18 no Alt+A"},
        {mod + "67,164", m + "67/164 no Alt+C"},
        {mod + "69,165", m + "69/165 no Alt+E"},
        {mod + "70,18", m + "70/18 no Alt+F"},
        {mod + "72,18", m + "72/18 no Alt+H"},
        {mod + "76,18", m + "76/18 no Alt+L"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c[1], ParseOne(c[0])) << c[0];
    }
    // A line cut short of its tenth field, or a COMPOUND line of its twelfth; key code
    // -1 or -7; a label that is a number; a flag or status that is no keyword; eleven
    // codes; a MODIFIED key with one or two fields of its three.
    for (size_t at = compound.find(','); at != std::string::npos; at = compound.find(',', at + 1)) {
        EXPECT_EQ("error", ParseOne(compound.substr(0, at))) << compound.substr(0, at);
    }
    const std::string errors[] = {"\"vk_escape\",1" + k,
                                  "'\xFF',1" + k,
                                  "'\xF9',1" + k,
                                  "27,1,5,\"false\",\"CVSTATUSUP\",1,2,3,4,5",
                                  "27,1,\"K\",\"yes\",\"CVSTATUSUP\",1,2,3,4,5",
                                  "27,1,\"K\",1,\"CVSTATUSUP\",1,2,3,4,5",
                                  "27,1,\"K\",\"false\",\"CVSTATUSup\",1,2,3,4,5",
                                  "27,1,\"K\",\"false\",0,1,2,3,4,5",
                                  compound + ",1,2,3,4,5,6,7,8,9,10",
                                  mod.substr(0, mod.size() - 1),
                                  mod + "70"};
    for (const std::string& line : errors) {
        EXPECT_EQ("error", ParseOne(line)) << line;
    }
    appState.batchMode = true;
    EXPECT_EQ("27 1 [K] 0 s4 h1 2,3 4x5 t-1 m-1/-1", ParseOne(fail)) << "armed in batch mode";
    ResetAppState();
    for (const KeyName& row : keyNameTable) {
        EXPECT_EQ(row.code, LookUpKeyName(row.name)) << "no name is shadowed by an earlier row";
    }
}

std::string Error(int line, const std::string& file) {
    return "#Clavoro - Error|64|Syntax error in line " + std::to_string(line) +
           " (excluding comment lines) of file\n" + file + "\nSkipping file.";
}

TEST(LoadLayoutFile, NamesAndSyntaxErrors) {
    ResetAltShortcuts();
    std::string hundred;
    for (int i = 0; i < 100; ++i) {
        hundred += "\"COMPOUND\",0" + kFields + ",50,65,66\n";
    }
    const std::string cases[][3] = {
        {kKey + kKey, "US.Desk.kbl", "US.Desk: 2 keys"},
        {kKey, "C:\\x/NoDot", "NoDot: 1 keys"},
        {"# c\n" + kKey + "# c\n" + kKey + "27,1,\"x\"\n" + kKey, "A.kbl", Error(3, "A.kbl")},
        // lines that cannot be split do not count
        {kKey + " bad\n" + kKey + "27\n", "C:\\Clavoro\\B.kbl", Error(3, "B.kbl")},
        {" bad\n,,\n", "C.kbl", Error(1, "C.kbl")},
        {hundred + "\"COMPOUND\",0" + kFields + ",50,65\n", "D.kbl", Error(101, "D.kbl")},
        {hundred + "\"MODIFIED\",0" + kFields + "\n", "E.kbl", "E: 101 keys"}, // a new count
        // a switch turned off stays off when a later line spoils the file
        {"\"MODIFIED\",0" + kFields + ",0,72,18\n27\n", "F.kbl", Error(2, "F.kbl")},
    };
    for (const auto& c : cases) {
        LineList lines = {nullptr};
        const int count = ReadLayoutText(&lines, c[0].data(), c[0].size());
        shownMessages.clear(); // the line layer's own messages are checked above
        KeyboardLayout* layout = nullptr;
        const int loaded = LoadLayoutFile(kOwner, &lines, &layout, count, c[1].c_str());
        EXPECT_EQ(loaded, layout != nullptr ? 1 : 0);
        FreeLineList(&lines);
        std::string got = Messages();
        if (layout != nullptr) {
            const int keys = CountKeys(layout->table);
            EXPECT_EQ("-1 -1 [] 0 s0 h0 0,0 0x0 t-1 m-1/-1", Record(layout->table[keys]));
            got += std::string(layout->name) + ": " + std::to_string(keys) + " keys";
            FreeLayout(layout);
        }
        EXPECT_EQ(c[2], got);
    }
    EXPECT_FALSE(altShortcuts.altHelp);
    ResetAltShortcuts();
    // A caller's count short of the list must not write past the table.
    LineList lines = {nullptr};
    ReadLayoutText(&lines, (kKey + kKey).data(), 2 * kKey.size());
    KeyboardLayout* layout = nullptr;
    ASSERT_EQ(1, LoadLayoutFile(kOwner, &lines, &layout, 1, "Short.kbl"));
    EXPECT_EQ(2, CountKeys(layout->table));
    FreeLayout(layout);
    FreeLineList(&lines);
}

// A listed layout file with these bytes, and its picture unless told otherwise.
void Add(const std::string& name, const std::string& bytes = kKey, bool picture = true) {
    fakeFolderEntries.push_back(name);
    fakeFiles["C:\\Clavoro\\" + name] = bytes;
    if (picture) {
        fakeFiles["C:\\Clavoro\\" + name.substr(0, name.rfind('.')) + ".bmp"] = "";
    }
}

// The names of the layouts of the folder, then the messages shown.
std::string LoadCatalogue() {
    EXPECT_EQ(catalogue.count, LoadLayoutCatalogue(kOwner));
    EXPECT_EQ("C:\\Clavoro\\*.kbl", fakeListing);
    std::string out;
    for (int i = 0; i < catalogue.count; ++i) {
        out += std::string(i > 0 ? "," : "") + catalogue.slots[i]->name;
    }
    return out + Messages();
}

// Files skipped with a message do not count towards the hundred layouts; the 101st
// layout stops the listing with an alert. A folder without a layout, and the trace.
TEST(LoadLayoutCatalogue, SkippedFilesAndAtMostAHundred) {
    ResetAppState();
    std::snprintf(appState.programFolder, sizeof appState.programFolder, "C:\\Clavoro");
    const std::string trace = TempPath("catalogue_trace.txt");
    std::remove(trace.c_str());
    fakeFiles = {{"C:\\Clavoro\\Gone.bmp", ""}};
    fakeFolderEntries = {"Gone.kbl"}; // listed, with a picture, but unreadable
    Add("A.kbl");
    Add("B.kbl", kKey, false);
    Add("Comments.kbl", "# only a comment\n");
    Add("Bad.kbl", kKey + kKey + "27,1\n" + kKey);
    Add("US.Desk.kbl");
    std::string names = "A,US.Desk";
    for (int i = 0; i < 98; ++i) {
        Add("L" + std::to_string(i) + ".kbl");
        names += ",L" + std::to_string(i);
    }
    Add("Extra.kbl");
    Add("Late.kbl", kKey, false);
    const std::string noData = "#Warning|48|Skipping the file \nC:\\Clavoro\\";
    EXPECT_EQ(names + noData + "Gone.kbl\nas it contains no data." +
                  "#Warning|48|Cannot find the bitmap file\nB.bmp\ncorresponding to the keyboard "
                  "layout file\nC:\\Clavoro\\B.kbl.\nSkipping file." +
                  noData + "Comments.kbl\nas it contains no data." + Error(3, "Bad.kbl") +
                  "#Alert|64|More than 100 valid .kbl files have been found.\nOnly the first one "
                  "hundred will be taken.",
              LoadCatalogue());

    ASSERT_EQ(1, OpenTrace(trace.c_str()));
    fakeFolderEntries.clear();
    Add("Empty.kbl", "");
    EXPECT_EQ(noData + "Empty.kbl\nas it contains no data."
                       "#Clavoro - Error|48|No valid keyboard layout (.kbl) files have been\nfound "
                       "in the Clavoro directory.\n\nAt least one .kbl file is required to run "
                       "Clavoro.",
              LoadCatalogue());
    EXPECT_EQ("Created debug file\r\nLoad keyboard layouts - start\r\nLoad keyboard layouts - "
              "done\r\n",
              FileText(trace));
    std::remove(trace.c_str());
    FreeAllLayouts();
    ResetAppState();
}

// The picture loader is handed full paths in the program folder: with LR_LOADFROMFILE,
// LoadImageA opens a bare name in the working folder on Windows ("LoadImageA",
// https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-loadimagea;
// Wine also looks beside the program, so only this test shows it). The layout chosen
// is the one tested; an index outside the catalogue changes nothing.
TEST(SelectLayoutAt, PicturesByFullPathAndTheChosenTableTested) {
    ResetAppState();
    std::snprintf(appState.programFolder, sizeof appState.programFolder, "C:\\Clavoro");
    fakeFolderEntries.clear();
    Add("US104.kbl");
    Add("UK.105.kbl");
    ASSERT_EQ("US104,UK.105", LoadCatalogue());
    fakePictureLoads.clear();
    catalogue.slots[1]->table[0].status = TestedOk; // cleared when chosen
    for (const int index : {1, -1, 2}) {
        MakeCurrentTable(SelectLayoutAt(kOwner, index));
    }
    EXPECT_TRUE(catalogue.selected == 1 && engine.table == catalogue.slots[1]->table &&
                engine.table[0].status == Untested);
    MakeCurrentTable(SelectLayoutAt(kOwner, 0));
    EXPECT_TRUE(catalogue.selected == 0 && engine.table == catalogue.slots[0]->table);
    const std::string uk = "C:\\Clavoro\\UK.105.bmp|C:\\Clavoro\\UK.105@2x.bmp;",
                      us = "C:\\Clavoro\\US104.bmp|C:\\Clavoro\\US104@2x.bmp;";
    EXPECT_EQ(uk + us, fakePictureLoads);
    FreeAllLayouts();
    ResetAppState();
}

} // namespace
