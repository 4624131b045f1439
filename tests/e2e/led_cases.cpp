// The LED test and the system-key filter of Clavoro.exe under Wine.
//
// What can be seen from outside: the lock states the program sets with keybd_event
// are the system's (Wine's desktop) key state, and a driver thread that is not
// itself taking keyboard input sees them in GetKeyState (which brings its own key
// state up to date with the system's first). A key the filter's hook holds back
// never reaches the system's key state either, so GetAsyncKeyState in the driver
// tells a held-back key (not down) from one the system saw (down), while the
// program's statistics show whether the key was still tested.
// Switching the foreground between processes makes Wine's X11 driver set the lock
// states back to the X server's, so these cases never switch away from the program
// while they watch the lights.
#include "tests/e2e/clavoro_cases.h"

namespace {

const char* const kLockLayout =
    "# lock keys, system keys and A\r\n"
    "\"VK_CAPITAL\",58,\"Caps\",\"false\",\"CVSTATUSUP\",0,20,20,60,40\r\n"
    "\"VK_NUMLOCK\",69,\"Num\",\"true\",\"CVSTATUSUP\",0,90,20,60,40\r\n"
    "\"VK_SCROLL\",70,\"Scroll\",\"false\",\"CVSTATUSUP\",0,160,20,60,40\r\n"
    "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,230,20,40,40\r\n"
    "\"VK_LWIN\",91,\"Win\",\"true\",\"CVSTATUSUP\",0,20,100,60,40\r\n"
    "\"VK_APPS\",93,\"Menu\",\"true\",\"CVSTATUSUP\",0,90,100,60,40\r\n"
    "\"VK_TAB\",15,\"Tab\",\"false\",\"CVSTATUSUP\",0,160,100,60,40\r\n"
    "\"VK_MENU\",56,\"Alt\",\"false\",\"CVSTATUSUP\",0,230,100,60,40\r\n";

const Key kCapsKey = {VK_CAPITAL, 0x3A, false};
const Key kNumKey = {VK_NUMLOCK, 0x45, true};
const Key kScrollKey = {VK_SCROLL, 0x46, false};
const Key kLeftWinKey = {VK_LWIN, 0x5B, true};
const Key kAppsKey = {VK_APPS, 0x5D, true};
const Key kTabKey = {VK_TAB, 0x0F, false};
const Key kAltKey = {VK_LMENU, 0x38, false};
const int kFilterBox = 1019;

struct Locks {
    int caps, scroll, num;
    bool operator==(const Locks& o) const {
        return caps == o.caps && scroll == o.scroll && num == o.num;
    }
    bool operator!=(const Locks& o) const { return !(*this == o); }
};

// The cycle: Num, Caps, Scroll, all three, none.
const Locks kCycle[5] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}, {0, 0, 0}};

Locks ReadLocks() {
    return {GetKeyState(VK_CAPITAL) & 1, GetKeyState(VK_SCROLL) & 1, GetKeyState(VK_NUMLOCK) & 1};
}

std::string Show(const Locks& l) {
    std::string s;
    s += l.caps ? "Caps " : "caps ";
    s += l.scroll ? "Scroll " : "scroll ";
    s += l.num ? "Num" : "num";
    return s;
}

std::string Show(const std::vector<Locks>& seq) {
    std::string s;
    for (const Locks& l : seq) {
        s += "[" + Show(l) + "] ";
    }
    return s;
}

struct Seen {
    Locks locks;
    DWORD at; // ms after the watch began
};

// Watches the lock states for ms milliseconds and returns each state that held for at
// least 150 ms, in order (the few microseconds between the three keys of one step
// are not states). At atMs (if >= 0) it posts command `command` to the main window.
std::vector<Seen> WatchLocks(HWND main, int ms, int atMs = -1, int command = 0) {
    std::vector<Seen> seen;
    const DWORD start = GetTickCount();
    Locks current = ReadLocks();
    DWORD since = 0;
    bool posted = false;
    for (;;) {
        const DWORD now = GetTickCount() - start;
        if (!posted && atMs >= 0 && static_cast<int>(now) >= atMs) {
            PressButton(main, command);
            posted = true;
        }
        const Locks l = ReadLocks();
        const bool end = static_cast<int>(now) >= ms;
        if (l != current || end) {
            if (now - since >= 150 && (seen.empty() || seen.back().locks != current)) {
                seen.push_back({current, since});
            }
            current = l;
            since = now;
        }
        if (end) {
            return seen;
        }
        Sleep(10);
    }
}

std::vector<Locks> States(const std::vector<Seen>& seen) {
    std::vector<Locks> out;
    for (const Seen& s : seen) {
        out.push_back(s.locks);
    }
    return out;
}

// Brings the locks to `want` with real key presses, each taken by the program, then
// clears the key statuses. Every lock key is pressed at least once (twice when it is
// already right): under Wine a program started after a lock was switched on sees it
// off until the lock changes while the program runs.
int SetOperatorLocks(Program& p, Locks want) {
    const struct {
        Key key;
        int Locks::*field;
        const char* label;
    } keys[] = {{kCapsKey, &Locks::caps, "Caps"},
                {kScrollKey, &Locks::scroll, "Scroll"},
                {kNumKey, &Locks::num, "Num"}};
    PressButton(p.main, kClearButton);
    if (!CHECK(WaitControlText(p.main, kRecentKeys, ""))) {
        return 0;
    }
    std::string strip;
    for (const auto& k : keys) {
        // Pressed until the system shows the wanted state, at least once: what Wine
        // reports for a lock right after a program took the foreground may still be
        // the X server's, so the state is read again after every press.
        bool right = false;
        for (int press = 0; press < 4 && !right; ++press) {
            PressKey(p, k.key);
            strip = std::string(k.label) + " " + strip; // newest first
            if (!CHECK(WaitControlText(p.main, kRecentKeys, strip.c_str()))) {
                return 0;
            }
            right = WaitUntil([&] { return ReadLocks().*k.field == want.*k.field; }, 1500);
        }
        if (!CHECK(right)) {
            return 0;
        }
    }
    CHECK(WaitControlText(p.main, kLastKeyUp, "Num"));
    PressButton(p.main, kClearButton);
    return CHECK(WaitControlText(p.main, kRecentKeys, "")) &&
           CHECK(WaitControlText(p.main, kLastKeyUp, "N/A")) &&
           CHECK_EQ(Show(ReadLocks()), Show(want));
}

int StartLockProgram(Program& p, const char* arguments) {
    return CHECK(PrepareProgramFolder()) && CHECK(WriteLayout("Locks", kLockLayout)) &&
           CHECK(StartProgram(p, arguments)) && CHECK(WaitMainWindow(p)) && CHECK(BringToFront(p));
}

// The statistics as a Clear leaves them: nothing the LED test does may change them.
int StatisticsUntouched(HWND main) {
    return CHECK_EQ(ControlText(main, kRecentKeys), "") &&
           CHECK_EQ(ControlText(main, kWindowsCode), "0 (0x0)") &&
           CHECK_EQ(ControlText(main, kLastKeyDown), "N/A");
}

int IsBoxChecked(HWND main) {
    return SendDlgItemMessageA(main, kFilterBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ClickFilterBox(Program& p) {
    const POINT at = Centre(ControlScreenRect(p.main, kFilterBox));
    Click(p, at.x, at.y, kLeft);
}

int SystemSeesDown(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

} // namespace

// Five steps at 500 ms from the operator's Caps-only state; stopping gives it back
// and stops the steps.
E2E_CASE(cycle_steps_every_half_second) {
    Program p;
    REQUIRE(StartLockProgram(p, ""));
    const Locks operatorLocks = {1, 0, 0};
    REQUIRE(SetOperatorLocks(p, operatorLocks));

    PressButton(p.main, kLedButton);
    std::vector<Seen> seen = WatchLocks(p.main, 2900);
    const std::vector<Locks> expected = {operatorLocks, kCycle[0], kCycle[1],
                                         kCycle[2],     kCycle[3], kCycle[4]};
    if (seen.size() > expected.size()) {
        seen.resize(expected.size()); // a late machine may show the next round
    }
    CHECK_EQ(Show(States(seen)), Show(expected));
    if (seen.size() == expected.size()) {
        // 500 ms steps; the bounds leave room for a busy machine, not for another period.
        CHECK(seen[1].at >= 250 && seen[1].at <= 1500); // first step 500 ms after the start
        for (size_t i = 2; i < seen.size(); ++i) {
            const int step = static_cast<int>(seen[i].at - seen[i - 1].at);
            if (!CHECK(step >= 250 && step <= 1200)) {
                Note("step %d took %d ms", static_cast<int>(i), step);
            }
        }
    }
    CHECK(StatisticsUntouched(p.main));

    PressButton(p.main, kLedButton);
    CHECK(WaitUntil([&] { return ReadLocks() == operatorLocks; }, 2000));
    const std::vector<Seen> after = WatchLocks(p.main, 1300);
    CHECK_EQ(Show(States(after)), Show(std::vector<Locks>{operatorLocks}));
    CHECK(StatisticsUntouched(p.main));
    CHECK(CloseProgram(p));
}

// Stopped and started again, the cycle goes on with the step after the last one shown.
E2E_CASE(restart_continues_the_cycle) {
    Program p;
    REQUIRE(StartLockProgram(p, ""));
    const Locks operatorLocks = {1, 0, 0};
    REQUIRE(SetOperatorLocks(p, operatorLocks));

    PressButton(p.main, kLedButton);
    // Stop between the third and fourth step; watch on until the locks are back.
    const std::vector<Locks> first = States(WatchLocks(p.main, 2600, 1750, kLedButton));
    REQUIRE(first.size() >= 3);
    REQUIRE_EQ(Show(first.back()), Show(operatorLocks));
    int shown = -1; // cycle row of the last step before the stop
    for (int row = 0; row < 5; ++row) {
        if (first[first.size() - 2] == kCycle[row]) {
            shown = row;
        }
    }
    REQUIRE(shown >= 0);
    Note("stopped after row %d", shown);

    PressButton(p.main, kLedButton);
    // Long enough for the first step even when the timer is late; only the first step
    // after the operator's state counts.
    std::vector<Locks> second = States(WatchLocks(p.main, 1600));
    if (second.size() > 2) {
        second.resize(2);
    }
    CHECK_EQ(Show(second), Show(std::vector<Locks>{operatorLocks, kCycle[(shown + 1) % 5]}));
    PressButton(p.main, kLedButton);
    CHECK(WaitUntil([&] { return ReadLocks() == operatorLocks; }, 2000));
    CHECK(CloseProgram(p));
}

// Clear and Exit stop the LED test and give the operator's locks back.
E2E_CASE(clear_and_exit_restore_the_locks) {
    Program p;
    REQUIRE(StartLockProgram(p, ""));
    const Locks operatorLocks = {0, 1, 1};
    REQUIRE(SetOperatorLocks(p, operatorLocks));

    PressButton(p.main, kLedButton);
    CHECK(WaitUntil([&] { return ReadLocks() != operatorLocks; }, 2000));
    PressButton(p.main, kClearButton);
    CHECK(WaitUntil([&] { return ReadLocks() == operatorLocks; }, 2000));
    CHECK_EQ(Show(States(WatchLocks(p.main, 1300))), Show(std::vector<Locks>{operatorLocks}));
    CHECK(StatisticsUntouched(p.main));

    PressButton(p.main, kLedButton);
    CHECK(WaitUntil([&] { return ReadLocks() != operatorLocks; }, 2000));
    PressButton(p.main, kExitButton);
    DWORD code = 7;
    CHECK(WaitExit(p, &code));
    CHECK_EQ(code, 0);
    CHECK(WaitUntil([&] { return ReadLocks() == operatorLocks; }, 2000));
    CHECK_EQ(Show(ReadLocks()), Show(operatorLocks));

    // The window's close box ends a running LED test the same way.
    Program q;
    REQUIRE(CHECK(StartProgram(q, "")) && CHECK(WaitMainWindow(q)) && CHECK(BringToFront(q)));
    REQUIRE(SetOperatorLocks(q, operatorLocks));
    PressButton(q.main, kLedButton);
    CHECK(WaitUntil([&] { return ReadLocks() != operatorLocks; }, 2000));
    CHECK(CloseProgram(q));
    CHECK(WaitUntil([&] { return ReadLocks() == operatorLocks; }, 2000));
}

// A real Caps Lock press while the lights cycle is tested like any key; the cycle
// goes on.
E2E_CASE(real_caps_lock_is_tested_during_the_cycle) {
    Program p;
    REQUIRE(StartLockProgram(p, ""));
    const Locks operatorLocks = {0, 0, 0};
    REQUIRE(SetOperatorLocks(p, operatorLocks));

    PressButton(p.main, kLedButton);
    CHECK(WaitUntil([&] { return ReadLocks() == kCycle[0]; }, 4000)); // first step: Num
    PressKey(p, kCapsKey);
    CHECK(WaitControlText(p.main, kRecentKeys, "Caps "));
    CHECK_EQ(ControlText(p.main, kWindowsCode), "20 (0x14)");
    CHECK_EQ(ControlText(p.main, kBiosCode), "58 (0x3a)");
    CHECK(WaitControlText(p.main, kLastKeyUp, "Caps"));
    // The next steps are still the cycle's, whatever the press did to the light.
    CHECK(WaitUntil([&] { return ReadLocks() == kCycle[2]; }, 4000)); // Scroll only
    CHECK(WaitUntil([&] { return ReadLocks() == kCycle[3]; }, 3000)); // all three
    CHECK_EQ(ControlText(p.main, kRecentKeys), "Caps ");
    PressButton(p.main, kLedButton);
    CHECK(WaitUntil([&] { return ReadLocks() == operatorLocks; }, 2000));
    CHECK(CloseProgram(p));
}

// With the box ticked by a click, the Windows key, the application key and Alt+Tab
// never reach the system but are tested; unticking removes the hook.
E2E_CASE(filter_by_click_holds_back_system_keys) {
    Program p;
    REQUIRE(StartLockProgram(p, ""));
    REQUIRE(!IsBoxChecked(p.main));
    ClickFilterBox(p);
    REQUIRE(WaitUntil([&] { return IsBoxChecked(p.main); }, 3000));
    CHECK(BringToFront(p));

    KeyDown(p, kLeftWinKey);
    CHECK(WaitControlText(p.main, kWindowsCode, "91 (0x5b)"));
    CHECK(!SystemSeesDown(VK_LWIN));
    KeyUp(p, kLeftWinKey);
    CHECK(WaitControlText(p.main, kLastKeyUp, "Win"));
    CHECK_EQ(ControlText(p.main, kWindowsExtended), "E");
    CHECK_EQ(ControlText(p.main, kBiosCode), "91 (0x5b)");

    KeyDown(p, kAppsKey);
    CHECK(WaitControlText(p.main, kWindowsCode, "93 (0x5d)"));
    CHECK(!SystemSeesDown(VK_APPS));
    KeyUp(p, kAppsKey);
    CHECK(WaitControlText(p.main, kLastKeyUp, "Menu"));

    KeyDown(p, kAltKey);
    // A held-back key is posted to the window, and posted messages overtake input
    // still waiting in the queue: let the program take Alt before Tab comes.
    CHECK(WaitControlText(p.main, kWindowsCode, "18 (0x12)"));
    KeyDown(p, kTabKey);
    CHECK(WaitControlText(p.main, kWindowsCode, "9 (0x9)"));
    CHECK(SystemSeesDown(VK_MENU)); // Alt itself passes
    CHECK(!SystemSeesDown(VK_TAB));
    KeyUp(p, kTabKey);
    KeyUp(p, kAltKey);
    CHECK(WaitControlText(p.main, kLastKeyUp, "Alt"));
    CHECK_EQ(ControlText(p.main, kRecentKeys), "Tab Alt Menu Win "); // newest first

    ClickFilterBox(p);
    REQUIRE(WaitUntil([&] { return !IsBoxChecked(p.main); }, 3000));
    CHECK(BringToFront(p));
    PressKey(p, kKeyA);
    CHECK(WaitControlText(p.main, kWindowsCode, "65 (0x41)"));
    KeyDown(p, kLeftWinKey);
    CHECK(WaitControlText(p.main, kWindowsCode, "91 (0x5b)"));      // Wine has no Start menu
    CHECK(WaitUntil([] { return SystemSeesDown(VK_LWIN); }, 2000)); // no hook any more
    KeyUp(p, kLeftWinKey);
    CHECK(WaitUntil([] { return !SystemSeesDown(VK_LWIN); }, 2000));
    CHECK(CloseProgram(p));
}

// /f ticks the box and installs the filter before the first key.
E2E_CASE(filter_from_the_command_line) {
    Program p;
    REQUIRE(StartLockProgram(p, "/f"));
    CHECK(IsBoxChecked(p.main));
    KeyDown(p, kLeftWinKey);
    CHECK(WaitControlText(p.main, kWindowsCode, "91 (0x5b)"));
    CHECK(!SystemSeesDown(VK_LWIN));
    KeyUp(p, kLeftWinKey);
    CHECK(WaitControlText(p.main, kRecentKeys, "Win "));
    CHECK(WaitControlText(p.main, kLastKeyUp, "Win"));
    CHECK(CloseProgram(p));
}
