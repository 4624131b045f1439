// The application shell's portable parts: command line, trace, settings file and the
// main window's layout rules.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/main_layout.h"
#include "app/settings.h"
#include "base/app_state.h"
#include "base/append_file.h"
#include "base/station_settings.h"
#include "base/trace.h"
#include "layout/layout_catalogue.h"
#include "tests/fakes/fake_append_file.h"
#include "tests/fakes/fake_messages.h"
#include "tests/fakes/fake_station.h"
#include "tests/temp_path.h"

static int quitRequests = 0;
void PostQuitRequest() {
    ++quitRequests;
}

namespace {

// The flags batch, plug-in, detailed log and filter ("bpdf", a dash for each that is
// off), the quit requests, then the layout name, the plug-in marker and the trace file
// in brackets ("on" when the trace is on), the chatter threshold when set, /d, "end" when the
// program is to end at once, and the messages shown.
// With station options (null: no station settings) and the station's layout.
std::string Read(std::vector<std::string> args, const char* station = nullptr,
                 const char* stationLayout = "") {
    ResetAppState();
    std::snprintf(appState.dataFolder, sizeof appState.dataFolder, "/no/data");
    StationSettings settings = {};
    std::snprintf(settings.options, sizeof settings.options, "%s", station ? station : "");
    std::snprintf(settings.layout, sizeof settings.layout, "%s", stationLayout);
    quitRequests = 0;
    args.insert(args.begin(), "C:\\Clavoro\\Clavoro.exe");
    std::vector<const char*> argv;
    for (const std::string& a : args) {
        argv.push_back(a.c_str());
    }
    char marker[kPluginMarkerSize] = "";
    const int goOn = ReadCommandLine(static_cast<int>(argv.size()), argv.data(),
                                     station != nullptr ? &settings : nullptr, marker);
    const AppState& s = appState;
    std::string out = {s.batchMode ? 'b' : '-', s.pluginMode ? 'p' : '-',
                       s.detailedKeyLog ? 'd' : '-', s.filterSystemKeys ? 'f' : '-'};
    out += " " + std::to_string(quitRequests) + " [" + s.layoutName + "] [" + marker + "] [" +
           s.traceFilePath + (s.traceEnabled ? "] on" : "]");
    out += s.chatterThresholdMs != 0 ? " /c " + std::to_string(s.chatterThresholdMs) : "";
    out += s.oneKeyboard ? " /d" : "";
    out += goOn ? "" : " end";
    for (const ShownMessage& m : shownMessages) {
        EXPECT_TRUE(m.owner == nullptr && m.caption == "Clavoro Error" && m.icon == kIconNone);
        out += " " + m.text;
    }
    shownMessages.clear();
    return out;
}

TEST(CommandLine, OptionsAndTheirValues) {
    const std::string p = "ARD_PLUGIN_INT_4711", name(400, 'N'), marker(700, 'M');
    const std::string trace = TempPath("command_line_trace.txt");
    const std::string bad = ::testing::TempDir() + "no_such_folder/" + std::string(300, 'T');
    const std::string refused = "The option /c needs the chatter threshold in milliseconds, a "
                                "whole number from 1 to 250 (for example /c 30). Given: ",
                      exits = "\n\nClavoro will now exit";
    std::remove(trace.c_str());
    std::string station32Text, station33Text;
    for (int i = 0; i < 32; ++i) {
        station32Text += i < 31 ? "/f \t " : "";
        station33Text += "/f ";
    }
    const char* station32 = (station32Text += "/b").c_str();
    const char* station33 = (station33Text += "/b").c_str();
    const struct {
        std::vector<std::string> args;
        std::string expected;
        const char* station = nullptr; // the station's options, then its layout
        const char* stationLayout = "";
    } cases[] = {
        {{"/batch-anything"}, "b--- 0 [] [] []"}, // the first two characters count
        {{"/i"}, "---- 0 [] [] []"},
        {{"/f"}, "---f 0 [] [] []"},
        {{"/t"}, "b-d- 0 [] [] []"},
        {{"/p", p}, "bp-- 0 [] [" + p + "] []"},
        {{"/I"}, "---- 1 [] [] []"},
        {{"/b", "/k"}, "b--- 0 [] [] []"},   // a value is needed
        {{"/k", "/b"}, "---- 0 [/b] [] []"}, // the value is no option of its own...
        {{"/k", "/lx", trace}, "---- 0 [/lx] [] [" + trace + "] on"}, // ...but for later tests
        {{"/k", p}, "---- 0 [" + p + "] [" + p + "] []"},
        {{"x" + p + "y", "/b"}, "b--- 0 [] [x" + p + "y] []"},
        {{"/k", "UK105", "/b", "/f", "/t"}, "b-df 0 [UK105] [] []"}, // every one is read
        {{"/b", "/d", "/c", "30", "/k", "UK105"}, "b--- 0 [UK105] [] [] /c 30 /d"},
        {{"/k", "A", "/p", p, "/I", "/k", "B"}, "bp-- 1 [B] [" + p + "] []"}, // the later /k
        {{"/f", "/c", "250", "/t", "/d", "/l", "bare.txt", "/b"},
         "b-df 0 [] [] [/no/data\\bare.txt] /c 250 /d Could not open log file "
         "/no/data\\bare.txt.\n"}, // a trace named without a folder lies in the data folder
        {{}, "b--- 0 [UK 105] [] [] /c 30 /d", "/b /d /k \"UK 105\" /c 30"},
        {{"/c", "40", "/k", "US104"}, "b--- 0 [US104] [] [] /c 40", "/k UK105 /c 30 /b"},
        {{"/f"}, "b--f 0 [UK105] [] []", " /b\t/k US104 ", "UK105"}, // Layout over /k
        {{}, "b--f 0 [] [] []", station32}, // runs of blanks between 32 tokens
        {{}, "---f 0 [] [] []", station33}, // the 33rd token of the station's options left out
        {{"/b"}, "---- 0 [] [] [] end " + refused + "x" + exits, "/c x"},
        {{"/k", name, p + marker},
         "---- 0 [" + name.substr(0, 259) + "] [" + (p + marker).substr(0, 511) + "] []"},
        {{"/b", "/l"}, "b--- 0 [] [] []"},
        {{"/l", trace, "/b"}, "b--- 0 [] [] [" + trace + "] on"},
        {{"/l", bad},
         "---- 0 [] [] [" + bad.substr(0, 259) + "] Could not open log file " + bad.substr(0, 259) +
             ".\n"},
        {{"/b", "/c", "1"}, "b--- 0 [] [] [] /c 1"},
        {{"/c", "0250"}, "---- 0 [] [] [] /c 250"},
        {{"/c", "0", "/b"}, "---- 0 [] [] [] end " + refused + "0" + exits},
        {{"/c", "251"}, "---- 0 [] [] [] end " + refused + "251" + exits},
        {{"/c", "3ms"}, "---- 0 [] [] [] end " + refused + "3ms" + exits},
        {{"/b", "/c"}, "---- 0 [] [] [] end " + refused + "nothing" + exits},
        {{"/k", "/c", "9"}, "---- 0 [/c] [] [] /c 9"}, // a value, and then for /c as /lx is
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, Read(c.args, c.station, c.stationLayout))
            << c.args.size() << " arguments";
    }
    EXPECT_EQ("Created debug file\r\nCreated debug file\r\n", FileText(trace)) << "appended";
    std::remove(trace.c_str());
    ResetAppState();
}

// One line as the files hold it, whatever the text holds, also cut to its buffer.
TEST(Trace, FileLineHoldsNoLineBreakOfItsOwn) {
    const std::tuple<const char*, bool, size_t, const char*> rows[] = {
        {"a\nb\r", true, 16, "a?b?\r\n"},
        {"\t\x01\x1f \x7f~\xe9", false, 16, "??? ?~\xe9"},
        {"abc", true, 5, "ab\r\n"},
        {"abc", false, 3, "ab"}};
    for (const auto& [text, lineEnd, size, file] : rows) {
        char out[16];
        const size_t n = ToFileLine(text, lineEnd, out, size);
        EXPECT_EQ(file, std::string(out, n) + (out[n] == 0 ? "" : "!")) << text;
    }
}

// Each entry is one write of its own, in the file while the program runs; a write that
// fails loses that entry only; a second start appends.
TEST(Trace, EveryEntryIsOneWriteOfItsOwn) {
    const std::string path = TempPath("trace.txt");
    std::remove(path.c_str());
    ResetAppState();
    TraceLine("Show window");
    TraceKeyCode(65);
    EXPECT_FALSE(std::ifstream(path).good()) << "nothing is written without the option";
    ASSERT_EQ(1, OpenTrace(path.c_str()));
    const int writes = fakeDrive.writes;
    for (int code : {65, 66, 13, 67}) {
        TraceKeyCode(code);
    }
    TraceLine("Clear\nall start"); // a text from outside stays on its line
    EXPECT_EQ(writes + 5, fakeDrive.writes);
    fakeDrive.roomLeft = 0;
    TraceLine("InitDialog start");
    fakeDrive.roomLeft = SIZE_MAX;
    TraceLine("Show window");
    EXPECT_EQ("Created debug file\r\n65,66,\r\n67,Clear?all start\r\nShow window\r\n",
              FileText(path));
    ASSERT_EQ(1, OpenTrace(path.c_str()));
    EXPECT_EQ("Show window\r\nCreated debug file\r\n", FileText(path).substr(48));
    EXPECT_EQ(0, OpenTrace((::testing::TempDir() + "no/such/folder/trace.txt").c_str()));
    EXPECT_FALSE(appState.traceEnabled);
    std::remove(path.c_str());
    ResetAppState();
}

TEST(Settings, PlacementIsReadOnlyBehindTheMarker) {
    const std::string path = TempPath("settings.ini");
    const std::string unused = "0: -1,-1,-1,-1";
    const std::string cases[][2] = {
        {"[POSITION]\n100,80,675,463\n", "1: 100,80,675,463"},
        {"[position]\n10,20\n", "1: 10,20,675,463"},
        {"; saved [Position] here\r\n-50,-8,800,600", "1: -50,-8,800,600"},
        {"[POSITION]\n  10, 20,\t30, +40\n", "1: 10,20,30,40"},
        {"[POSITION]\n10 ,20,30,40\n", "1: 10,0,675,463"}, // the comma must follow at once
        {"[POSITION]\n10,,20,30", "1: 10,0,675,463"},
        {"[POSITION]\n1,2,3,4,5", "1: 1,2,3,4"},
        {"[POSITION]\n3,-,4", "1: 3,0,675,463"},
        {"[POSITION]\n99999999999,-99999999999,1,2", "1: 2147483647,-2147483648,1,2"},
        {std::string("[POSITION]\0\n10,10,640,480", 25), "1: 10,10,640,480"}, // a NUL in line 1
        {"[POSITION]\n   \t \n", "1: 0,0,675,463"},
        {"[POSITION]\nleft,top", unused},
        {"[POSITION]\n-", unused},
        {"[POSITION]\n", unused},
        {"POSITION\n1,2,3,4\n", unused},
        {"\n[POSITION]\n1,2,3,4\n", unused},
        {"", unused},
    };
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary) << c[0];
        WindowPlacement p = {-1, -1, -1, -1};
        const int usable = ReadPlacementFile(path.c_str(), &p);
        EXPECT_EQ(c[1], std::to_string(usable) + ": " + std::to_string(p.x) + "," +
                            std::to_string(p.y) + "," + std::to_string(p.width) + "," +
                            std::to_string(p.height))
            << c[0];
    }
    std::remove(path.c_str());
}

TEST(Settings, FileWrittenAndPlacementOnScreen) {
    const std::string path = TempPath("settings_written.ini");
    const WindowPlacement saved = {-50, 12, 1024, 700};
    ASSERT_EQ(1, WritePlacementFile(path.c_str(), &saved));
    EXPECT_EQ("[POSITION]\n-50,12,1024,700\n", FileText(path));
    ASSERT_EQ(1, WritePlacementFile(path.c_str(), nullptr)); // maximised at the end
    EXPECT_EQ("", FileText(path));
    std::remove(path.c_str());
    EXPECT_EQ(0, WritePlacementFile((::testing::TempDir() + "no/folder.ini").c_str(), &saved));

    EXPECT_TRUE(PlacementOnScreen({1279, 1023, 675, 463}, 1280, 1024));
    EXPECT_FALSE(PlacementOnScreen({1280, 0, 675, 463}, 1280, 1024));
    EXPECT_FALSE(PlacementOnScreen({0, 1024, 675, 463}, 1280, 1024));
    EXPECT_TRUE(PlacementOnScreen({-50, -5000, 675, 463}, 1280, 1024)); // no lower bound

    ResetAppState();
    std::snprintf(appState.settingsFolder, sizeof appState.settingsFolder, "C:\\Data\\Clavoro");
    char name[32];
    ASSERT_EQ(1, SettingsFilePath(name, sizeof name));
    EXPECT_STREQ("C:\\Data\\Clavoro\\Clavoro.ini", name);
    EXPECT_EQ(0, SettingsFilePath(name, 27)) << "one byte short";
    ResetAppState();
}

// Each station value from the policy key where it is set there, else from the station
// key. The data folder: beside the program outside the program-files folders where a file
// can be made, else the shared folder, else beside the program all the same.
TEST(Station, PolicyOverStationAndTheDataFolder) {
    fakeRegistry[kStationKey] = {{"Options", "/b"}, {"Layout", "UK105"}, {"LogFile", "\\\\s\\l"},
                                 {"Product", "KB"}, {"Batch", "Lot 7"},  {"Keystrokes", "5"}};
    fakeRegistry[kPolicyKey] = {{"Batch", "Lot 9"}, {"Layout", ""}, {"LogMode", "append"}};
    StationSettings s;
    for (int read = 0; read < 2; ++read) {
        std::memset(&s, 'x', sizeof s);
        ReadStationSettings(&s);
        EXPECT_EQ(read == 0 ? "/b|UK105|\\\\s\\l|KB|Lot 9|5|append" : "||||||",
                  std::string(s.options) + "|" + s.layout + "|" + s.logFile + "|" + s.product +
                      "|" + s.batch + "|" + s.keystrokes + "|" + s.logMode);
        fakeRegistry[kStationKey].clear();
        fakeRegistry[kPolicyKey].clear();
    }
    const std::string shared = "C:\\Data\\O\\C";
    const std::tuple<const char*, bool, std::string, std::string> rows[] = {
        {"C:\\Clavoro", true, shared, "C:\\Clavoro"},
        {"C:\\Clavoro", false, "", "C:\\Clavoro"},
        {"c:\\program files\\Clavoro", true, shared, shared},
        {"C:\\Program Files (x86)\\C", true, shared, shared},
        {"C:\\Program Filesx\\C", true, shared, "C:\\Program Filesx\\C"},
        {"C:\\Clavoro", false, shared, shared}};
    for (const auto& [program, writable, sharedFolder, expected] : rows) {
        ResetAppState();
        std::snprintf(appState.programFolder, sizeof appState.programFolder, "%s", program);
        fakeWritableFolders = {writable ? program : "C:\\"};
        fakeSharedFolder = sharedFolder;
        DetermineDataFolder();
        EXPECT_EQ(expected, appState.dataFolder) << program << writable << sharedFolder;
    }
    fakeWritableFolders.clear();
    fakeSharedFolder.clear();
    ResetAppState();
}

TEST(MainLayout, PictureBetweenLegendAndButtonRow) {
    const MainLayout l = ComputeMainLayout(700, 500, 68, 23, 150, true, 96);
    EXPECT_EQ("10,160 680x307, row at 472",
              std::to_string(l.pictureX) + "," + std::to_string(l.pictureY) + " " +
                  std::to_string(l.pictureWidth) + "x" + std::to_string(l.pictureHeight) +
                  ", row at " + std::to_string(l.buttonY));
    ASSERT_EQ(8, l.buttonCount);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(8 + k * 88, l.buttonX[k]);
    }
    const MainLayout i = ComputeMainLayout(700, 500, 68, 23, 150, false, 96);
    ASSERT_EQ(7, i.buttonCount) << "no Fail test button outside batch mode";
    EXPECT_EQ(1016, i.buttonIds[4]);
    // Centred with 20-pixel gaps, truncated toward zero, never clamped.
    const int rows[][3] = {{701, 0, 52}, {300, 1, -192}, {301, 0, -147}};
    for (const auto& r : rows) {
        EXPECT_EQ(r[2], ComputeMainLayout(r[0], 400, 68, 23, 150, r[1], 96).buttonX[0]) << r[0];
    }
}

TEST(MainLayout, LayoutByExactNameAndHelpPage) {
    char us[] = "US104", uk[] = "UK105", de[] = "DE105";
    KeyboardLayout a = {us, nullptr}, b = {uk, nullptr}, c = {de, nullptr};
    LayoutCatalogue layouts = {{&a, &b, &c}, 3, 0};
    const std::pair<const char*, int> rows[] = {
        {"UK105", 1}, {"DE105", 2}, {"uk105", 0}, {"UK10", 0}, {"", 0}};
    for (const auto& r : rows) {
        EXPECT_EQ(r.second, LayoutIndexByName(layouts, r.first)) << r.first;
    }
    char path[40];
    ASSERT_EQ(1, HelpPagePath(path, sizeof path, "C:\\Clavoro\\Clavoro.exe", "index.html"));
    EXPECT_STREQ("C:\\Clavoro\\help\\html\\index.html", path);
    EXPECT_EQ(0, HelpPagePath(path, 31, "C:\\Clavoro\\Clavoro.exe", "index.html"));
    char bare[] = "Clavoro.exe";
    CutAtLastBackslash(bare);
    EXPECT_STREQ("Clavoro.exe", bare);
}

} // namespace
