#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/led_test.h"
#include "tests/fakes/fake_engine_seams.h"
#include "tests/fakes/fake_led_seams.h"

namespace {
constexpr int kCaps = 20;
constexpr int kNum = 144;
constexpr int kScroll = 145;

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x1234);

struct Locks {
    bool caps, scroll, num;
};

Locks CurrentLocks() {
    return {(fakeKeyboardState[kCaps] & 1) != 0, (fakeKeyboardState[kScroll] & 1) != 0,
            (fakeKeyboardState[kNum] & 1) != 0};
}

void SetLocks(Locks locks) {
    fakeKeyboardState[kCaps] = locks.caps ? 1 : 0;
    fakeKeyboardState[kScroll] = locks.scroll ? 1 : 0;
    fakeKeyboardState[kNum] = locks.num ? 1 : 0;
}

class LedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(fakeKeyboardState, 0, sizeof fakeKeyboardState);
        fakeLockToggles.clear();
        fakeLedTimerRunning = false;
        ledTestRunning = false;
        ledStep = 0;
        ResetFakeEngineSeams();
    }
};

// The lights after each tick, starting from step 0: Num, Caps, Scroll, all, none.
const Locks kExpectedCycle[5] = {
    {false, false, true}, {true, false, false},  {false, true, false},
    {true, true, true},   {false, false, false},
};

TEST_F(LedTest, TicksFollowTheCycleFromAnyStartingLocks) {
    const Locks starts[] = {
        {false, false, false}, {true, false, false}, {true, true, true}, {false, true, true}};
    for (const Locks& start : starts) {
        SetUp();
        SetLocks(start);
        ToggleLedTest(kWindow);
        ASSERT_TRUE(ledTestRunning);
        EXPECT_TRUE(fakeLedTimerRunning);
        EXPECT_TRUE(fakeLockToggles.empty()) << "starting must not touch the locks";
        for (int tick = 0; tick < 7; ++tick) {
            LedTestTick();
            Locks now = CurrentLocks();
            const Locks& want = kExpectedCycle[tick % 5];
            EXPECT_EQ(want.caps, now.caps) << "tick " << tick;
            EXPECT_EQ(want.scroll, now.scroll) << "tick " << tick;
            EXPECT_EQ(want.num, now.num) << "tick " << tick;
        }
        EXPECT_EQ(2, ledStep);
    }
}

// A tick sets Caps, Scroll, Num; a stop restores Num, Caps, Scroll.
TEST_F(LedTest, LockKeysAreSentInTheirFixedOrder) {
    ledStep = 3; // all three go on, then all three must come back off
    ToggleLedTest(kWindow);
    LedTestTick();
    ToggleLedTest(kWindow);
    EXPECT_FALSE(ledTestRunning);
    EXPECT_FALSE(fakeLedTimerRunning);
    EXPECT_EQ((std::vector<int>{kCaps, kScroll, kNum, kNum, kCaps, kScroll}), fakeLockToggles);
}

TEST_F(LedTest, StopAfterAnyNumberOfTicksGivesBackTheOperatorsLocks) {
    for (int ticks = 0; ticks <= 5; ++ticks) {
        SetUp();
        SetLocks({true, false, false});   // Caps on, Num and Scroll off
        fakeKeyboardState[kCaps] |= 0x80; // other bits of the saved byte don't matter
        ToggleLedTest(kWindow);
        for (int i = 0; i < ticks; ++i) {
            LedTestTick();
        }
        StopLedTest();
        Locks now = CurrentLocks();
        EXPECT_TRUE(now.caps) << ticks << " ticks";
        EXPECT_FALSE(now.num) << ticks << " ticks";
        EXPECT_FALSE(now.scroll) << ticks << " ticks";
    }
}

TEST_F(LedTest, RestartContinuesTheCycleWhereItStopped) {
    ToggleLedTest(kWindow);
    LedTestTick();
    LedTestTick();
    ToggleLedTest(kWindow);
    ASSERT_EQ(2, ledStep);
    const size_t sent = fakeLockToggles.size();
    LedTestTick(); // stopped: nothing happens
    EXPECT_EQ(sent, fakeLockToggles.size());
    EXPECT_EQ(2, ledStep);
    SetLocks({true, false, true});
    ToggleLedTest(kWindow);
    LedTestTick(); // row 2: Caps off, Scroll on, Num off
    Locks now = CurrentLocks();
    EXPECT_FALSE(now.caps);
    EXPECT_TRUE(now.scroll);
    EXPECT_FALSE(now.num);
    EXPECT_EQ(3, ledStep);
}

TEST_F(LedTest, BothDirectionsRepaintAndGiveTheFocusBack) {
    ToggleLedTest(kWindow);
    ToggleLedTest(kWindow);
    EXPECT_EQ(
        (std::vector<std::string>{"RepaintWindow", "FocusWindow", "RepaintWindow", "FocusWindow"}),
        engineCalls);
}

TEST_F(LedTest, SetLockKeySendsOnlyWhenTheToggleBitDiffers) {
    struct Case {
        uint8_t stateByte;
        int wanted;
        bool sends;
    };
    const Case cases[] = {
        {0x00, 0, false}, {0x01, 1, false},   {0x81, 1, false},    {0x00, 1, true}, {0x01, 0, true},
        {0x80, 0, false}, {0x00, 0x81, true}, {0x01, 0x80, false}, // a wanted value is on when
                                                                   // non-zero, held bit or not
    };
    for (const Case& c : cases) {
        SetUp();
        fakeKeyboardState[kScroll] = c.stateByte;
        SetLockKey(c.wanted, kScroll);
        EXPECT_EQ(c.sends ? 1u : 0u, fakeLockToggles.size())
            << "state " << int(c.stateByte) << " wanted " << c.wanted;
    }
}
} // namespace
