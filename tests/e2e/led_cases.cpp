// The LED test and the system-key filter, seen in the system's key state: GetKeyState
// of this thread (which takes no keyboard input) shows the lock states the program set,
// GetAsyncKeyState tells a key the filter held back from one the system saw. Switching
// the foreground between processes makes Wine set the locks back to the X server's, so
// the program stays in front while the lights are watched.
#include "tests/e2e/driver.h"

namespace {

const int kCaps = 1, kNum = 2, kScroll = 4; // bits of Locks()

int Locks() {
    return (GetKeyState(VK_CAPITAL) & 1) * kCaps + (GetKeyState(VK_NUMLOCK) & 1) * kNum +
           (GetKeyState(VK_SCROLL) & 1) * kScroll;
}

bool StartWithLockKeys(Program& p, const char* arguments) {
    return PrepareProgramFolder() &&
           WriteLayout("Locks",
                       "\"VK_CAPITAL\",58,\"Caps\",\"false\",\"CVSTATUSUP\",0,20,20,60,40\r\n"
                       "\"VK_NUMLOCK\",69,\"Num\",\"true\",\"CVSTATUSUP\",0,90,20,60,40\r\n"
                       "\"VK_SCROLL\",70,\"Scroll\",\"false\",\"CVSTATUSUP\",0,160,20,60,40\r\n"
                       "\"VK_LWIN\",91,\"Win\",\"true\",\"CVSTATUSUP\",0,20,100,60,40\r\n"
                       "\"VK_TAB\",15,\"Tab\",\"false\",\"CVSTATUSUP\",0,160,100,60,40\r\n"
                       "\"VK_MENU\",56,\"Alt\",\"false\",\"CVSTATUSUP\",0,230,100,60,40\r\n"
                       "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,230,20,40,40\r\n") &&
           StartProgram(p, arguments) && WaitMainWindow(p) && BringToFront(p.main);
}

// Each lock key pressed until the system shows the wanted state, and at least once: a
// program started after a lock changed sees it wrong until it changes while the program
// runs. A last A tells when the program has taken them all.
bool SetLocks(const Program& p, int want) {
    const struct {
        Key key;
        int bit;
    } keys[] = {{{VK_CAPITAL, 0x3A, false}, kCaps},
                {{VK_NUMLOCK, 0x45, true}, kNum},
                {{VK_SCROLL, 0x46, false}, kScroll}};
    for (const auto& k : keys) {
        int right = 0;
        for (int press = 0; press < 4 && !right; ++press) {
            const int before = Locks();
            PressKey(p, k.key);
            right = WaitUntil([&] { return Locks() != before; }, 1500) &&
                    (Locks() & k.bit) == (want & k.bit);
        }
        if (!right) {
            ADD_FAILURE() << "the lock keys could not be set";
            return false;
        }
    }
    PressKey(p, kKeyA);
    return WaitControlText(p.main, kLastKeyUp, "A");
}

bool SystemSeesDown(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

} // namespace

// From the operator's Caps Lock the lights step through Num, Caps, Scroll, all three and
// none, 500 ms apart; our own lock-key events are not tested. Stopping gives the
// operator's lights back, and so does a normal close while they cycle.
TEST(Led, lights_cycle_and_come_back) {
    Program p;
    ASSERT_TRUE(StartWithLockKeys(p, ""));
    ASSERT_TRUE(SetLocks(p, kCaps));
    PressButton(p.main, kLedButton);
    DWORD firstStep = 0;
    for (int step : {kNum, kCaps, kScroll, kCaps | kNum | kScroll, 0}) {
        EXPECT_TRUE(WaitUntil([&] { return Locks() == step; }, 1500))
            << "waited for locks " << step << ", the system shows " << Locks();
        firstStep = firstStep != 0 ? firstStep : GetTickCount();
    }
    EXPECT_TRUE(GetTickCount() - firstStep >= 1500); // four steps of 500 ms, a late one among them
    EXPECT_EQ(ControlText(p.main, kWindowsCode), "65 (0x41)"); // our own lock keys: untested
    PressButton(p.main, kLedButton);
    EXPECT_TRUE(WaitUntil([&] { return Locks() == kCaps; }, 2000));

    PressButton(p.main, kLedButton);
    EXPECT_TRUE(WaitUntil([&] { return Locks() != kCaps; }, 2000));
    EXPECT_TRUE(CloseProgram(p));
    EXPECT_TRUE(WaitUntil([&] { return Locks() == kCaps; }, 2000));
}

// With /f the Windows key is tested but the system never sees it; unticked by a click
// the system sees it; ticked by a click, Alt passes and Tab after it is held back.
TEST(Led, filter_holds_back_system_keys) {
    const Key win = {VK_LWIN, 0x5B, true}, alt = {VK_LMENU, 0x38, false},
              tab = {VK_TAB, 0x0F, false};
    Program p;
    ASSERT_TRUE(StartWithLockKeys(p, "/f"));
    EXPECT_TRUE(IsDlgButtonChecked(p.main, kFilterBox));
    KeyDown(p, win);
    EXPECT_TRUE(WaitControlText(p.main, kWindowsCode, "91 (0x5b)"));
    EXPECT_TRUE(!SystemSeesDown(VK_LWIN));
    KeyUp(p, win);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "Win"));

    ClickControl(p.main, kFilterBox);
    ASSERT_TRUE(WaitUntil([&] { return !IsDlgButtonChecked(p.main, kFilterBox); }));
    KeyDown(p, win);
    EXPECT_TRUE(WaitUntil([] { return SystemSeesDown(VK_LWIN); }, 2000));
    KeyUp(p, win);
    EXPECT_TRUE(WaitUntil([] { return !SystemSeesDown(VK_LWIN); }, 2000));

    ClickControl(p.main, kFilterBox);
    ASSERT_TRUE(WaitUntil([&] { return IsDlgButtonChecked(p.main, kFilterBox); }));
    KeyDown(p, alt);
    // A held-back key is posted to the window, and posted messages overtake input still
    // in the queue: the program takes Alt before Tab comes.
    EXPECT_TRUE(WaitControlText(p.main, kWindowsCode, "18 (0x12)"));
    KeyDown(p, tab);
    EXPECT_TRUE(WaitControlText(p.main, kWindowsCode, "9 (0x9)"));
    EXPECT_TRUE(SystemSeesDown(VK_MENU));
    EXPECT_TRUE(!SystemSeesDown(VK_TAB));
    KeyUp(p, tab);
    KeyUp(p, alt);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "Alt"));
}
