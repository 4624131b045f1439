#include <gtest/gtest.h>

#include "engine/filter/kb_filter_rules.h"

namespace {
constexpr int kTab = 0x09, kEsc = 0x1B, kLWin = 0x5B, kRWin = 0x5C, kApps = 0x5D, kA = 0x41,
              kF4 = 0x73;

LowLevelKey Down(int vk, int scan, bool extended = false, bool alt = false, bool ctrl = false) {
    return {vk, scan, extended, false, alt, ctrl};
}
LowLevelKey Up(int vk, int scan, bool extended = false, bool alt = false, bool ctrl = false) {
    return {vk, scan, extended, true, alt, ctrl};
}

class FilterRules : public ::testing::Test {
  protected:
    void SetUp() override { ResetFilterState(state); }
    bool Feed(const LowLevelKey& key, bool programFront = true, bool mainFront = true) {
        return FilterKeyEvent(state, key, programFront, mainFront, &posted);
    }
    FilterState state;
    PostedKey posted;
};

TEST_F(FilterRules, HoldsBackExactlyTheSystemKeys) {
    struct Case {
        const char* name;
        LowLevelKey key;
        bool held;
    };
    const Case cases[] = {
        {"left Windows", Down(kLWin, 0x5B, true), true},
        {"right Windows", Down(kRWin, 0x5C, true), true},
        {"application key", Down(kApps, 0x5D, true), true},
        {"Ctrl+Windows", Down(kLWin, 0x5B, true, false, true), true},
        {"Alt+Tab", Down(kTab, 0x0F, false, true), true},
        {"Alt+Esc", Down(kEsc, 0x01, false, true), true},
        {"Ctrl+Esc", Down(kEsc, 0x01, false, false, true), true},
        {"plain Tab", Down(kTab, 0x0F), false},
        {"Ctrl+Tab", Down(kTab, 0x0F, false, false, true), false},
        {"plain Esc", Down(kEsc, 0x01), false},
        {"Alt+F4", Down(kF4, 0x3E, false, true), false},
        {"Alt+A", Down(kA, 0x1E, false, true), false},
    };
    for (const Case& c : cases) {
        SetUp();
        EXPECT_EQ(c.held, Feed(c.key)) << c.name;
        EXPECT_EQ(c.held ? unsigned(c.key.virtualKey) : 0u, posted.virtualKey) << c.name;
    }
}

TEST_F(FilterRules, PostsTheKeyMessagesTheSystemWouldHaveSent) {
    ASSERT_TRUE(Feed(Down(kLWin, 0x5B, true)));
    EXPECT_EQ(kWmKeyDown, posted.message);
    EXPECT_EQ(0x015B0001u, posted.lParam);      // repeat 1, scan 5B, extended
    ASSERT_TRUE(Feed(Down(kLWin, 0x5B, true))); // auto-repeat: previous state down
    EXPECT_EQ(0x415B0001u, posted.lParam);
    ASSERT_TRUE(Feed(Up(kLWin, 0x5B, true)));
    EXPECT_EQ(kWmKeyUp, posted.message);
    EXPECT_EQ(0xC15B0001u, posted.lParam);

    ASSERT_TRUE(Feed(Down(kTab, 0x0F, false, true)));
    EXPECT_EQ(kWmSysKeyDown, posted.message);
    EXPECT_EQ(0x200F0001u, posted.lParam); // Alt context, not extended
    ASSERT_TRUE(Feed(Up(kTab, 0x0F, false, true)));
    EXPECT_EQ(kWmSysKeyUp, posted.message);
    EXPECT_EQ(0xE00F0001u, posted.lParam);
}

TEST_F(FilterRules, KeyUpFollowsItsHeldBackKeyDown) {
    // Alt let go before Tab: the Tab key-up is still ours, as a plain key-up.
    ASSERT_TRUE(Feed(Down(kTab, 0x0F, false, true)));
    EXPECT_TRUE(Feed(Up(kTab, 0x0F), false, false));
    EXPECT_EQ(0u, posted.message); // main window no longer in front: nothing posted
    // ...and the next plain Tab is the system's again.
    EXPECT_FALSE(Feed(Down(kTab, 0x0F)));
    EXPECT_FALSE(Feed(Up(kTab, 0x0F)));
    // A Windows key-up whose key-down the system saw is left to the system.
    EXPECT_FALSE(Feed(Up(kLWin, 0x5B, true)));
}

TEST_F(FilterRules, OnlyWhileTheProgramIsInFront) {
    EXPECT_FALSE(Feed(Down(kLWin, 0x5B, true), false, false));
    EXPECT_FALSE(Feed(Up(kLWin, 0x5B, true), false, false));
    // A dialog of the program in front: held back, but not handed to the test.
    EXPECT_TRUE(Feed(Down(kLWin, 0x5B, true), true, false));
    EXPECT_EQ(0u, posted.message);
    EXPECT_TRUE(Feed(Up(kLWin, 0x5B, true), true, false));
    EXPECT_EQ(0u, posted.message);
}
} // namespace
