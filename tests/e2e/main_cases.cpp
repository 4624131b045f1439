// The main window of an interactive run, its start-up messages and the files it writes.

#include "clavoro_version.h"
#include "tests/e2e/driver.h"

namespace {

// At a larger scale Right Ctrl's box lies outside the picture control's old rectangle.
const char* const kLayout =
    "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,40,50,60,40\r\n"
    "\"VK_CONTROL\",29,\"Right Ctrl\",\"true\",\"CVSTATUSUP\",0,600,260,60,40\r\n"
    "\"LMOUSE\",0,\"Left button\",\"true\",\"CVSTATUSUP\",0,20,200,60,40\r\n"
    "\"MMOUSE\",0,\"Middle button\",\"true\",\"CVSTATUSUP\",0,100,200,60,40\r\n"
    "\"RMOUSE\",0,\"Right button\",\"true\",\"CVSTATUSUP\",0,180,200,60,40\r\n";

} // namespace

// Keys and mouse buttons reach the engine: codes and names in the fields, a key's hatch
// red while held and green after; then the picture at another place and size, the About
// box and Clear. At the normal end the placement is saved and used at the next start, and
// the trace of /l is appended to what the file held; a window that ends maximised empties
// the settings file.
TEST(Main, input_shown_and_files_written) {
    ASSERT_TRUE(PrepareProgramFolder() && WriteLayout("Keys", kLayout) &&
                WriteTextFile("trace.txt", "from an earlier run\r\n"));
    Program p;
    ASSERT_TRUE(StartProgram(p, "/l trace.txt") && WaitMainWindow(p));
    EXPECT_TRUE(GetDlgItem(p.main, kFailButton) == nullptr); // not a batch run

    KeyDown(p, kKeyA);
    EXPECT_TRUE(WaitControlText(p.main, kWindowsCode, "65 (0x41)"));
    EXPECT_EQ(ControlText(p.main, kBiosCode), "30 (0x1e)");
    EXPECT_EQ(ControlText(p.main, kLastKeyDown), "A");
    EXPECT_TRUE(WaitUntil([&] { return ShowsHatch(p.main, 40, 50, 60, kRed); }));
    KeyUp(p, kKeyA);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "A"));
    EXPECT_TRUE(WaitUntil([&] { return ShowsHatch(p.main, 40, 50, 60, kGreen); }));

    PressKey(p, kKeyRightCtrl);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "Right Ctrl"));
    EXPECT_EQ(ControlText(p.main, kWindowsCode), "17 (0x11)");
    EXPECT_EQ(ControlText(p.main, kExtended), "E");

    const RECT picture = ControlScreenRect(p.main, kPicture);
    const struct {
        MouseButton button;
        const char* code;
        const char* label;
    } clicks[] = {{kLeft, "LMOUSE", "Left button"},
                  {kMiddle, "MMOUSE", "Middle button"},
                  {kRight, "RMOUSE", "Right button"}};
    for (const auto& click : clicks) {
        ClickControl(p.main, kPicture, click.button);
        EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, click.label));
        EXPECT_EQ(ControlText(p.main, kWindowsCode), click.code);
    }
    EXPECT_EQ(ControlText(p.main, kRecentKeys),
              "Right button Middle button Left button Right Ctrl A ");

    // Larger: the picture drawn again in full at the new scale (Right Ctrl's box now lies
    // where the control was not before).
    const LONG oldWidth = picture.right - picture.left;
    SetWindowPos(p.main, nullptr, 100, 80, 1000, 760, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] {
        const RECT r = ControlScreenRect(p.main, kPicture);
        return r.right - r.left > oldWidth + 200;
    }));
    EXPECT_TRUE(WaitUntil([&] { return ShowsHatch(p.main, 600, 260, 60, kGreen); }));

    PressButton(p.main, kAboutButton);
    HWND about = WaitWindow("#32770", "Orvane Clavoro");
    ASSERT_TRUE(about != nullptr);
    char version[64]; // the build's version 3.2.1002 reads "Clavoro V3.2 Build: 1002"
    snprintf(version, sizeof version, "Clavoro V%d.%d Build: %d", CLAVORO_VERSION_MAJOR,
             CLAVORO_VERSION_MINOR, CLAVORO_VERSION_BUILD);
    EXPECT_EQ(ControlText(about, 1039), version);
    PressButton(about, IDCANCEL);
    EXPECT_TRUE(WaitGone(about));

    PressButton(p.main, kClearButton);
    EXPECT_TRUE(WaitControlText(p.main, kWindowsCode, "0 (0x0)"));
    EXPECT_EQ(ControlText(p.main, kRecentKeys), "");
    EXPECT_TRUE(WaitUntil([&] { return !ShowsHatch(p.main, 40, 50, 60, kGreen); }));

    EXPECT_TRUE(CloseProgram(p));
    std::string text;
    EXPECT_TRUE(ReadWholeFile("trace.txt", &text));
    EXPECT_EQ(text.substr(0, 41), "from an earlier run\r\nCreated debug file\r\n");
    EXPECT_TRUE(text.find("Show window\r\n65,17,Clear all start\r\n") != text.npos); // no buttons
    EXPECT_TRUE(text.size() > 41 && text.substr(text.size() - 12) == "WM_DESTROY\r\n");
    EXPECT_TRUE(ReadWholeFile(SettingsFilePath(), &text));
    EXPECT_EQ(text, "[POSITION]\r\n100,80,1000,760\r\n");

    ASSERT_TRUE(StartProgram(p, "") && WaitMainWindow(p));
    RECT r = {};
    EXPECT_TRUE(GetWindowRect(p.main, &r) && r.left == 100 && r.top == 80 && r.right == 1100 &&
                r.bottom == 840);
    PostMessageA(p.main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(p.main) != 0; }));
    EXPECT_TRUE(CloseProgram(p));
    EXPECT_TRUE(ReadWholeFile(SettingsFilePath(), &text));
    EXPECT_EQ(text, "");
}

// A bad trace path and a layout without its picture are reported before the window
// shows, a picture that is no bitmap is not, /k picks the layout; without any layout,
// and as a plug-in without its host, the program says so and ends.
TEST(Main, start_up_messages) {
    const char* const line = "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,20,20,40,40\r\n";
    ASSERT_TRUE(
        PrepareProgramFolder() && WriteLayout("Good", line) && WriteTextFile("Text.kbl", line) &&
        WriteTextFile("Text.bmp", "BM but no picture\r\n") && WriteTextFile("Lost.kbl", line));
    Program p;
    ASSERT_TRUE(StartProgram(p, "/k Text /l nofolder\\trace.txt"));
    EXPECT_TRUE(ExpectMessage("Clavoro Error", "Could not open log file nofolder\\trace.txt.\n"));
    EXPECT_TRUE(ExpectMessage(
        "Warning", "Cannot find the bitmap file\nLost.bmp\ncorresponding to the keyboard "
                   "layout file\n" +
                       InFolder("Lost.kbl") + ".\nSkipping file."));
    ASSERT_TRUE(WaitMainWindow(p));
    EXPECT_TRUE(WindowOf("#32770", nullptr) == nullptr);
    EXPECT_TRUE(SendDlgItemMessageA(p.main, kLayoutList, CB_GETCOUNT, 0, 0) == 2);
    EXPECT_EQ(ControlText(p.main, kLayoutList), "Text");
    PressKey(p, kKeyA);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "A"));

    ASSERT_TRUE(PrepareProgramFolder() && StartProgram(p, ""));
    EXPECT_TRUE(ExpectMessage(
        "Clavoro - Error", "No valid keyboard layout (.kbl) files have been\nfound in the Clavoro "
                           "directory.\n\nAt least one .kbl file is required to run Clavoro."));
    EXPECT_TRUE(ExpectMessage("Error", "No keyboard layout files found/n/nClavoro will now exit"));
    EXPECT_TRUE(WaitExit(p));

    ASSERT_TRUE(WriteLayout("Good", line) && StartProgram(p, "/p ARD_PLUGIN_INT_nobody"));
    EXPECT_TRUE(
        ExpectMessage("Clavoro: Error", "Unable to initialize interface with Ardentis (2)"));
    EXPECT_TRUE(WaitExit(p));
}
