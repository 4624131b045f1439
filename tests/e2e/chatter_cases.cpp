// Chatter (/c 30): a key pressed again 5 ms after its release is framed and shown with its
// gap, and fails a batch keyboard with its records; 80 ms after its release it is none.
// Nothing but the keys reaches the program between the events timed.
#include <cstdio>
#include <cstdlib>

#include "tests/e2e/driver.h"

namespace {

const char* const kLayout = "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,40,50,60,40\r\n"
                            "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,140,50,60,40\r\n";
const int kChatterKey = 1049, kChatterCount = 1051;

// A at rest, tapped, released for gapMs, pressed again and held a moment.
void PressAgainAfter(const Program& p, int gapMs) {
    Sleep(100);
    PressKey(p, kKeyA);
    Sleep(gapMs);
    KeyDown(p, kKeyA);
    Sleep(50);
    KeyUp(p, kKeyA);
}

// The chatter figure once it counts a key: "A, <gap> ms", the gap under 30 ms.
std::string ChatterShown(HWND main) {
    EXPECT_TRUE(WaitControlText(main, kChatterCount, "1"));
    const std::string shown = ControlText(main, kChatterKey);
    std::printf("A pressed again 5 ms after its release reads \"%s\"\n", shown.c_str());
    const int gap = std::atoi(shown.c_str() + 3);
    EXPECT_TRUE(shown.find("A, ") == 0 && gap >= 0 && gap < 30) << shown;
    return shown;
}

// Wine, told that a window manager looks after Clavoro's windows, holds the program for
// 2 s after a dialog is hidden, waiting for the manager's answer: a backlog of input.
const char* const kWineSettings = "Software\\Wine\\AppDefaults\\Clavoro.exe\\X11 Driver";
struct WineWaitsForAManager {
    WineWaitsForAManager() {
        RegSetKeyValueA(HKEY_CURRENT_USER, kWineSettings, "Managed", REG_SZ, "Y", 2);
    }
    ~WineWaitsForAManager() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kWineSettings, "Managed"); }
};

} // namespace

TEST(Chatter, key_pressed_again_5_ms_after_its_release) {
    ASSERT_TRUE(PrepareProgramFolder() && WriteLayout("C", kLayout));
    Program p;
    ASSERT_TRUE(StartProgram(p, "/c 30") && WaitMainWindow(p));
    PressAgainAfter(p, 80);
    PressKey(p, {'B', 0x30, false});
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "B"));
    EXPECT_EQ("None", ControlText(p.main, kChatterKey)) << "80 ms is a finger's";
    PressAgainAfter(p, 5);
    ChatterShown(p.main);
    // The frame on the left edge of A (at 40, 50 of the picture, 40 high).
    EXPECT_TRUE(WaitUntil([&] { return ShowsHatch(p.main, 40, 50, 2, RGB(255, 0, 255)); }));
    ASSERT_TRUE(TerminateProcess(p.info.hProcess, 0) && WaitExit(p)); // gone before the next

    // A batch run: the keys come while Wine still holds the program after the Serial
    // dialog, and are timed by their stamps.
    WineWaitsForAManager hold;
    HWND dialog = StartBatchRun(p, "/t /c 30", InFolder("chatter.log"));
    ASSERT_TRUE(dialog != nullptr && WaitGone(dialog) && Answer(kSerialTitle, kContinue, "SN-1"));
    PressAgainAfter(p, 80);
    PressAgainAfter(p, 5);
    ASSERT_TRUE((dialog = WaitWindow("#32770", kFailTitle)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, kKeyChatter));
    const std::string shown = ChatterShown(p.main);
    ASSERT_TRUE(Answer(kFailTitle, kContinue) && Answer(kSerialTitle, kExitDialog));
    EXPECT_TRUE(WaitExit(p));
    std::string log;
    EXPECT_TRUE(ReadWholeFile("chatter.log", &log));
    const size_t at = log.find("Key chatter: pressed "); // the /t record, once
    EXPECT_TRUE(at != log.npos && log.find("Key chatter: pressed", at + 1) == log.npos) << log;
    EXPECT_NE(log.npos, log.find("User Selection: FAILED\r\n    Chatter: " + shown +
                                 " after its release\r\n    Failure Reason: Key chatter\r\n"))
        << log;
}
