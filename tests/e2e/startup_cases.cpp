// Start-up: messages about unusable layout files and a bad trace path, and the
// command-line choice of the layout.
#include <cstring>

#include "tests/e2e/clavoro_cases.h"

namespace {

struct FileToWrite {
    const char* name;
    const char* text; // nullptr: a white bitmap
};

struct Message {
    const char* caption;
    const char* text; // "<folder>" stands for the program folder
};

std::string WithFolder(const char* text) {
    std::string out(text);
    const size_t at = out.find("<folder>");
    if (at != std::string::npos) {
        out.replace(at, 8, ProgramFolder());
    }
    return out;
}

const char* const kGoodLine = "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,20,20,40,40\r\n";
const char* const kNoLayoutMessage =
    "No valid keyboard layout (.kbl) files have been\nfound in the "
    "Clavoro directory.\n\nAt least one .kbl file is required to "
    "run Clavoro.";
const char* const kExitMessage = "No keyboard layout files found/n/nClavoro will now exit";

} // namespace

// Each unusable file is reported once and skipped; the others are listed. With no
// usable layout at all both closing messages come and the program ends by itself.
E2E_CASE(unusable_layout_files) {
    struct Row {
        const char* what;
        std::vector<FileToWrite> files;
        std::vector<Message> messages;
        const char* survivor; // the one listed layout, or nullptr: the program ends
    };
    const Row rows[] = {
        {"picture missing",
         {{"Good.kbl", kGoodLine}, {"Good.bmp", nullptr}, {"Lost.kbl", kGoodLine}},
         {{"Warning", "Cannot find the bitmap file\nLost.bmp\ncorresponding to the keyboard "
                      "layout file\n<folder>\\Lost.kbl.\nSkipping file."}},
         "Good"},
        {"syntax error in the second key line",
         {{"Good.kbl", kGoodLine},
          {"Good.bmp", nullptr},
          {"Bad.kbl", "# comment\r\n'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,20,20,40,40\r\n"
                      "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,70,20,40\r\n"},
          {"Bad.bmp", nullptr}},
         {{"Clavoro - Error",
           "Syntax error in line 2 (excluding comment lines) of file\nBad.kbl\nSkipping file."}},
         "Good"},
        {"a line that cannot be split is left out, the file stays",
         {{"Good.kbl", "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,20,20,40,40\r\n"
                       " 27,1,\"Esc\",\"false\",\"CVSTATUSUP\",0,10,12,28,24\r\n"
                       "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,70,20,40,40\r\n"},
          {"Good.bmp", nullptr}},
         {{"Clavoro Error",
           "Error parsing line beginning\n 27\nPossible cause - non digit value outside quotes."}},
         "Good"},
        {"only comments",
         {{"Good.kbl", kGoodLine},
          {"Good.bmp", nullptr},
          {"Empty.kbl", "# nothing\r\n# here\r\n"},
          {"Empty.bmp", nullptr}},
         {{"Warning", "Skipping the file \n<folder>\\Empty.kbl\nas it contains no data."}},
         "Good"},
        {"the only layout lacks its picture",
         {{"Lost.kbl", kGoodLine}},
         {{"Warning", "Cannot find the bitmap file\nLost.bmp\ncorresponding to the keyboard "
                      "layout file\n<folder>\\Lost.kbl.\nSkipping file."},
          {"Clavoro - Error", kNoLayoutMessage},
          {"Error", kExitMessage}},
         nullptr},
        {"no layout file at all",
         {},
         {{"Clavoro - Error", kNoLayoutMessage}, {"Error", kExitMessage}},
         nullptr},
    };
    for (const Row& row : rows) {
        Note("%s", row.what);
        REQUIRE(PrepareProgramFolder());
        for (const FileToWrite& file : row.files) {
            CHECK(file.text != nullptr ? WriteTextFile(file.name, file.text)
                                       : WriteBitmap(file.name, RGB(255, 255, 255)));
        }
        Program p;
        REQUIRE(StartProgram(p, ""));
        for (const Message& message : row.messages) {
            CHECK(FindTopWindow(p, mainWindowClass, nullptr) == nullptr); // not shown yet
            CHECK(ExpectMessage(p, message.caption, WithFolder(message.text)));
        }
        if (row.survivor == nullptr) {
            CHECK(WaitExit(p));
            continue;
        }
        if (CHECK(WaitMainWindow(p))) {
            CHECK_EQ(LayoutCount(p.main), 1);
            CHECK_EQ(LayoutEntry(p.main, 0), std::string(row.survivor));
            CHECK(FindTopWindow(p, "#32770", nullptr) == nullptr); // no further message
        }
        CHECK(CloseProgram(p));
    }
}

// A trace file in a folder that does not exist: one message, then the program runs
// without a trace and creates no folder.
E2E_CASE(trace_in_missing_folder) {
    REQUIRE(PrepareProgramFolder());
    REQUIRE(WriteLayout("Only"));
    Program p;
    REQUIRE(StartProgram(p, "/l nofolder\\trace.txt"));
    CHECK(ExpectMessage(p, "Clavoro Error", "Could not open log file nofolder\\trace.txt.\n"));
    REQUIRE(WaitMainWindow(p));
    CHECK(FindTopWindow(p, "#32770", nullptr) == nullptr);
    CHECK(CloseProgram(p));
    CHECK(!FileExists("nofolder"));
}

// /k picks a layout by its exact name; anything else leaves the first listed one.
E2E_CASE(layout_chosen_on_command_line) {
    REQUIRE(PrepareProgramFolder());
    for (const char* name : {"Alpha", "Bravo", "Charlie"}) {
        REQUIRE(WriteLayout(name));
    }
    // The program lists its folder in the system's order; so do we.
    const std::vector<std::string> listed = ListedLayouts();
    REQUIRE_EQ(listed.size(), 3u);
    std::string upper = listed[1];
    for (char& c : upper) {
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    }
    struct Row {
        std::string arguments;
        std::string selected;
    };
    const Row rows[] = {
        {"/k " + listed[1], listed[1]},
        {"/k " + upper, listed[0]},
        {"/k NoSuchKeyboard", listed[0]},
        {"/k", listed[0]},
        {"/k " + listed[1] + " /k " + listed[2], listed[2]},
        {"/kx " + listed[2], listed[2]}, // only the first two characters name the option
        {"/K " + listed[1], listed[0]},  // options are case-sensitive
        // five arguments: none of them is looked at (no layout, no trace, no batch run)
        {"/k " + listed[1] + " /l trace.txt /b", listed[0]},
    };
    for (const Row& row : rows) {
        Note("arguments: %s", row.arguments.c_str());
        Program p;
        REQUIRE(StartProgram(p, row.arguments.c_str()));
        REQUIRE(WaitMainWindow(p));
        CHECK_EQ(LayoutCount(p.main), 3);
        CHECK_EQ(SelectedLayout(p.main), row.selected);
        CHECK(GetDlgItem(p.main, kFailButton) == nullptr); // never a batch run here
        CHECK(CloseProgram(p));
    }
    CHECK(!FileExists("trace.txt"));
}
