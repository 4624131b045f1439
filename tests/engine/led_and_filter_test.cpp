// The LED test, the "Filter system keys" switch and the filter's rules, observed through
// the calls they make to the window system.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "base/app_state.h"
#include "engine/filter/kb_filter_rules.h"
#include "engine/led_test.h"
#include "engine/system_key_filter.h"
#include "tests/fakes/fake_engine_seams.h"
#include "tests/fakes/fake_messages.h"

namespace {

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x10);
const int kLocks[3] = {20, 145, 144}; // Caps, Scroll and Num Lock

// The three locks as letters, capital when on.
std::string Locks() {
    std::string out = "csn";
    for (int i = 0; i < 3; ++i) {
        out[i] = static_cast<char>((fake.keyboard[kLocks[i]] & 1) != 0 ? out[i] - 32 : out[i]);
    }
    return out;
}

// The step is never reset: each row goes on where the one before stopped.
TEST(LedTest, CycleOrderAndTheLocksGivenBack) {
    fake = FakeSeams();
    ledTestRunning = false;
    ledStep = 0;
    // The operator's locks, ticks, the locks after each tick.
    const std::tuple<const char*, int, const char*> cases[] = {
        {"csn", 7, "csN Csn cSn CSN csn csN Csn"},
        {"CsN", 2, "cSn CSN"},
        {"CSN", 1, "csn"},
    };
    for (const auto& [start, ticks, lights] : cases) {
        fake.calls.clear();
        for (int i = 0; i < 3; ++i) {
            fake.keyboard[kLocks[i]] = start[i] < 'a' ? 0x81 : 0x00; // the held bit is ignored
        }
        ToggleLedTest(kWindow);
        EXPECT_EQ("Timer Repaint Focus", fake.calls);
        std::string seen;
        for (int n = 0; n < ticks; ++n) {
            LedTestTick();
            seen += (n == 0 ? "" : " ") + Locks();
        }
        EXPECT_EQ(lights, seen);
        ToggleLedTest(kWindow);
        EXPECT_FALSE(ledTestRunning);
        LedTestTick();
        EXPECT_EQ(start, Locks()) << "given back, and no tick acts while stopped";
    }
    // All three set in one tick in the order Caps, Scroll, Num; given back Num, Caps, Scroll.
    EXPECT_EQ("Timer Repaint Focus Toggle 20 Toggle 145 Toggle 144 KillTimer Toggle 144 Toggle 20 "
              "Toggle 145 Repaint Focus",
              fake.calls);
}

// Clicks on the check box ("1" ticked, "0" unticked) and the release at shut-down ("R").
TEST(SystemKeyFilter, HookOrScreenSaverFlagAndTheMessageWhenUnavailable) {
    void* const hook = reinterpret_cast<void*>(0x77);
    // Platform, major version, what LoadKBFilter returns, clicks, the calls, the flag
    // after each click, the messages shown.
    const std::tuple<int, int, void*, const char*, const char*, const char*, size_t> cases[] = {
        {kPlatformWin32Nt, 4, hook, "1 1 0 0 1 R R", "Load Unload Load Unload", "1100111", 0},
        {kPlatformWin32Windows, 4, hook, "1 0 R", "ScreenSaver 1 ScreenSaver 0 ScreenSaver 0",
         "100", 0},
        {kPlatformWin32Nt, 3, hook, "1 1", "Box 0 Box 0", "00", 2},
        {kPlatformWin32Nt, 6, nullptr, "1 1", "Load Box 0 Load Box 0", "00", 2},
    };
    for (const auto& [platform, major, loads, clicks, calls, flags, messages] : cases) {
        ResetAppState();
        fake = FakeSeams();
        fake.filterHook = loads;
        shownMessages.clear();
        filterHook = nullptr;
        screenSaverFlagSet = false;
        RecordPlatformVersion(platform, major);
        std::istringstream in(clicks);
        std::string click, seen;
        while (in >> click) {
            if (click == "R") {
                ReleaseSystemKeyFilter();
            } else {
                fake.filterBox = click == "1";
                ApplySystemKeyFilter(kWindow);
            }
            seen += appState.filterSystemKeys ? "1" : "0";
        }
        EXPECT_EQ(calls, fake.calls) << clicks;
        EXPECT_EQ(flags, seen) << clicks;
        ASSERT_EQ(messages, shownMessages.size()) << clicks;
    }
    const ShownMessage& m = shownMessages.back();
    EXPECT_TRUE(m.owner == kWindow && m.icon == kIconInformation);
    EXPECT_EQ("Error - Source not available: This option is not available on this computer.\n"
              "See help on the data source for more details.\n",
              m.caption + ": " + m.text);
}

// One sequence of low-level events; the filter remembers which key-downs it held back.
TEST(FilterRules, SystemKeysAreHeldBackAndHandedToTheMainWindow) {
    constexpr int kTab = 0x09, kEsc = 0x1B, kLWin = 0x5B, kApps = 0x5D;
    struct Row {
        int vk, scan;
        bool ext, up, alt, ctrl, programInFront, mainInFront, held;
        unsigned message;
        uint32_t lParam;
    } const rows[] = {
        {kLWin, 0x5B, 1, 0, 0, 0, 1, 1, 1, kWmKeyDown, 0x015B0001}, // repeat 1, scan, extended
        {kLWin, 0x5B, 1, 0, 0, 1, 1, 1, 1, kWmKeyDown, 0x415B0001}, // auto-repeat: was down
        {kLWin, 0x5B, 1, 1, 0, 0, 1, 1, 1, kWmKeyUp, 0xC15B0001},
        {kLWin, 0x5B, 1, 1, 0, 0, 1, 1, 0, 0, 0}, // its key-down was the system's
        {0x5C, 0x5C, 1, 0, 0, 0, 1, 1, 1, kWmKeyDown, 0x015C0001},
        {kApps, 0x5D, 1, 0, 0, 0, 1, 1, 1, kWmKeyDown, 0x015D0001},
        {kApps, 0x5D, 1, 1, 0, 0, 1, 1, 1, kWmKeyUp, 0xC15D0001},
        {kTab, 0x0F, 0, 0, 1, 0, 1, 1, 1, kWmSysKeyDown, 0x200F0001}, // Alt+Tab
        {kTab, 0x0F, 0, 1, 1, 0, 1, 1, 1, kWmSysKeyUp, 0xE00F0001},
        {kTab, 0x0F, 0, 0, 1, 0, 1, 1, 1, kWmSysKeyDown, 0x200F0001},
        {kTab, 0x0F, 0, 1, 0, 0, 0, 0, 1, 0, 0}, // Alt let go, program left: still ours
        {kTab, 0x0F, 0, 0, 0, 0, 1, 1, 0, 0, 0},
        {kTab, 0x0F, 0, 1, 0, 0, 1, 1, 0, 0, 0},
        {kEsc, 0x01, 0, 0, 1, 0, 1, 1, 1, kWmSysKeyDown, 0x20010001}, // Alt+Esc
        {kEsc, 0x01, 0, 1, 0, 0, 1, 1, 1, kWmKeyUp, 0xC0010001},
        {kEsc, 0x01, 0, 0, 0, 1, 1, 1, 1, kWmKeyDown, 0x00010001}, // Ctrl+Esc
        {kEsc, 0x01, 0, 1, 0, 1, 1, 1, 1, kWmKeyUp, 0xC0010001},
        {kEsc, 0x01, 0, 0, 0, 0, 1, 1, 0, 0, 0},
        {'A', 0x1E, 0, 0, 1, 0, 1, 1, 0, 0, 0},   // Alt+A
        {kApps, 0x5D, 1, 0, 0, 0, 0, 0, 0, 0, 0}, // another program in front
        {kApps, 0x5D, 1, 0, 0, 0, 1, 0, 1, 0, 0}, // a dialog of ours: held, not handed on
        {kApps, 0x5D, 1, 1, 0, 0, 1, 0, 1, 0, 0},
    };
    FilterState state;
    ResetFilterState(state);
    for (const Row& r : rows) {
        const long n = &r - rows;
        PostedKey posted = {1, 1, 1};
        LowLevelKey key = {r.vk, r.scan, r.ext, r.up, r.alt, r.ctrl};
        EXPECT_EQ(r.held, FilterKeyEvent(state, key, r.programInFront, r.mainInFront, &posted))
            << "row " << n;
        EXPECT_EQ(r.message, posted.message) << "row " << n;
        EXPECT_EQ(r.message != 0 ? unsigned(r.vk) : 0u, posted.virtualKey) << "row " << n;
        EXPECT_EQ(r.lParam, posted.lParam) << "row " << n;
    }
}
} // namespace
