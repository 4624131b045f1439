// Chatter (/c 30): a key pressed again 5 ms after its release, in a plain, a batch and a
// plug-in run; pressed again 80 ms after its release it is no chatter. Nothing but the
// keys reaches the program between the events timed.
#include <cstdio>
#include <cstdlib>

#include "tests/e2e/driver.h"

namespace {

const char* const kLayout = "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,40,50,60,40\r\n"
                            "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,140,50,60,40\r\n";
const Key kKeyB = {'B', 0x30, false};
const int kChatterKey = 1049, kChatterCount = 1051, kKeyChatter = 1031, kContinue = 1033,
          kExitDialog = 1029;
const char* const kFailTitle = "Select the fail reason";

// A, at rest for a while, tapped, released for gapMs, pressed again and held a moment.
void PressAgainAfter(const Program& p, int gapMs) {
    Sleep(100);
    KeyDown(p, kKeyA);
    KeyUp(p, kKeyA);
    Sleep(gapMs);
    KeyDown(p, kKeyA);
    Sleep(50);
    KeyUp(p, kKeyA);
}

// The gap of "A, <gap> ms" in the chatter field once one is shown; -1 when none is.
int ChatterGap(HWND main) {
    if (!WaitUntil([&] { return ControlText(main, kChatterCount) == "1"; })) {
        ADD_FAILURE() << "no chatter counted; the field shows " << ControlText(main, kChatterKey);
        return -1;
    }
    const std::string shown = ControlText(main, kChatterKey);
    EXPECT_EQ(0u, shown.find("A, ")) << shown;
    const int gap = std::atoi(shown.c_str() + 3);
    std::printf("chatter of A sent 5 ms after its release, measured: %d ms\n", gap);
    EXPECT_TRUE(gap >= 0 && gap < 30) << shown;
    return gap;
}

// A pixel of the thick frame around key A (at 40, 50 of the picture, 40 high).
COLORREF MarkPixel(HWND main) {
    HWND picture = GetDlgItem(main, kPicture);
    RECT client = {};
    GetClientRect(picture, &client);
    POINT origin = {0, 0};
    ClientToScreen(picture, &origin);
    const float s = client.right / 700.0f;
    return ScreenPixel(origin.x + static_cast<int>(40 * s) + 1,
                       origin.y + static_cast<int>(70 * s));
}

bool HostSays(const char* line) {
    std::string out;
    if (!WaitUntil([&] { return ReadWholeFile("host.txt", &out) && out.find(line) != out.npos; })) {
        ADD_FAILURE() << "no line \"" << line << "\" in the host's output:\n" << out;
        return false;
    }
    return true;
}

} // namespace

TEST(Chatter, key_pressed_again_5_ms_after_its_release) {
    ASSERT_TRUE(PrepareProgramFolder() && WriteLayout("C", kLayout));
    Program p;
    ASSERT_TRUE(StartProgram(p, "/c 30 /l trace.txt") && WaitMainWindow(p));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(p.main, kChatterKey)));
    PressAgainAfter(p, 80);
    PressKey(p, kKeyB);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "B"));
    EXPECT_EQ("None", ControlText(p.main, kChatterKey)) << "80 ms is a finger's";
    PressAgainAfter(p, 5);
    const int gap = ChatterGap(p.main);
    EXPECT_TRUE(WaitUntil([&] { return MarkPixel(p.main) == RGB(255, 0, 255); }));
    std::string trace;
    EXPECT_TRUE(ReadWholeFile("trace.txt", &trace));
    EXPECT_NE(trace.npos,
              trace.find("Chatter: A, " + std::to_string(gap) + " ms after its release\r\n"))
        << trace;
    TerminateProcess(p.info.hProcess, 0); // its window would be found in place of the next
    WaitExit(p);

    // A batch run: the keys come right after the Serial dialog, while Wine still holds the
    // program; the chatter fails the keyboard with "Key chatter" checked.
    ASSERT_TRUE(StartProgram(p, "/t /c 30") && WaitMainWindow(p));
    HWND dialog = WaitWindow("#32770", "Clavoro Batch-ID");
    ASSERT_TRUE(dialog != nullptr);
    for (int id : {1021, 1022, 1023}) {
        SetDlgItemTextA(dialog, id, "x");
    }
    SetDlgItemTextA(dialog, 1028, InFolder("chatter.log").c_str());
    PressButton(dialog, kContinue);
    ASSERT_TRUE(WaitGone(dialog) && (dialog = WaitWindow("#32770", "Clavoro Serial Number")));
    SetDlgItemTextA(dialog, 1024, "SN-1");
    SetDlgItemTextA(dialog, 1025, "V1");
    PressButton(dialog, kContinue);
    ASSERT_TRUE(WaitGone(dialog));
    PressAgainAfter(p, 80);
    PressAgainAfter(p, 5);
    ASSERT_TRUE((dialog = WaitWindow("#32770", kFailTitle)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, kKeyChatter));
    const std::string record = "Chatter: A, " + std::to_string(ChatterGap(p.main));
    PressButton(dialog, kContinue);
    ASSERT_TRUE(WaitGone(dialog) && (dialog = WaitWindow("#32770", "Clavoro Serial Number")));
    PressButton(dialog, kExitDialog);
    EXPECT_TRUE(WaitExit(p));
    std::string log;
    EXPECT_TRUE(ReadWholeFile("chatter.log", &log));
    const size_t at = log.find("Key chatter: pressed "); // the /t record
    EXPECT_TRUE(at != log.npos && log.find("Key chatter: pressed", at + 1) == log.npos) << log;
    EXPECT_NE(log.npos, log.find("User Selection: FAILED\r\n    " + record +
                                 " ms after its release\r\n    Failure Reason: Key chatter\r\n"))
        << log;

    // A plug-in run: the host hears the reason.
    Program host;
    ASSERT_TRUE(StartProgram(host, "-- /c 30", "clavoro-host.exe", "host.txt") &&
                WaitMainWindow(p) && HostSays("attach:"));
    PressAgainAfter(p, 5);
    ASSERT_TRUE((dialog = WaitWindow("#32770", kFailTitle)));
    PressButton(dialog, kContinue);
    EXPECT_TRUE(HostSays("kind 3: \"Failed by user -    Failure Reason: Key chatter \""));
    EXPECT_TRUE(HostSays("state: 9 (test finished)"));
}
