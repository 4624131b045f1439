#include <gtest/gtest.h>

#include "app/app_state.h"
#include "engine/system_key_filter.h"
#include "tests/fakes/fake_filter_seams.h"
#include "tests/fakes/fake_messages.h"

namespace {
WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x4321);
void* const kHook = reinterpret_cast<void*>(0x77);

class SystemKeyFilterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        ResetFakeFilterSeams();
        shownMessages.clear();
        filterHook = nullptr;
        screenSaverFlagSet = false;
        RecordPlatformVersion(kPlatformWin32Nt, 10);
    }
    void Click(bool checked) {
        fakeFilterBoxChecked = checked;
        ApplySystemKeyFilter(kWindow);
    }
};

TEST_F(SystemKeyFilterTest, NtFamilyInstallsTheHookOnce) {
    fakeLoadResult = kHook;
    Click(true);
    EXPECT_EQ(kHook, filterHook);
    EXPECT_TRUE(appState.filterSystemKeys);
    EXPECT_TRUE(fakeFilterBoxChecked);
    EXPECT_TRUE(shownMessages.empty());
    Click(true); // e.g. start-up with /f followed by the box's own state
    EXPECT_EQ(1, fakeLoadCalls);
    EXPECT_TRUE(fakeScreenSaverCalls.empty());
}

TEST_F(SystemKeyFilterTest, OlderFamilyUsesTheScreenSaverFlag) {
    RecordPlatformVersion(kPlatformWin32Windows, 4);
    fakeLoadResult = kHook;
    Click(true);
    EXPECT_EQ(0, fakeLoadCalls);
    EXPECT_TRUE(screenSaverFlagSet);
    EXPECT_TRUE(appState.filterSystemKeys);
    Click(false);
    EXPECT_EQ((std::vector<int>{1, 0}), fakeScreenSaverCalls);
    EXPECT_FALSE(appState.filterSystemKeys);
    EXPECT_TRUE(screenSaverFlagSet); // stays recorded
    EXPECT_TRUE(shownMessages.empty());
}

TEST_F(SystemKeyFilterTest, UnavailableFilterUnticksTheBoxWithOneMessagePerAttempt) {
    struct Case {
        int platform, major;
        void* loadResult;
        int loadCalls;
    };
    const Case cases[] = {
        {kPlatformWin32Nt, 3, kHook, 0},   // too old: the library is not even asked
        {kPlatformWin32Nt, 6, nullptr, 1}, // the library refuses
    };
    for (const Case& c : cases) {
        SetUp();
        RecordPlatformVersion(c.platform, c.major);
        fakeLoadResult = c.loadResult;
        for (int attempt = 1; attempt <= 2; ++attempt) {
            appState.filterSystemKeys = true; // as /f leaves it
            Click(true);
            EXPECT_FALSE(fakeFilterBoxChecked);
            EXPECT_FALSE(appState.filterSystemKeys);
            EXPECT_EQ(nullptr, filterHook);
            ASSERT_EQ(static_cast<size_t>(attempt), shownMessages.size());
            EXPECT_EQ(c.loadCalls * attempt, fakeLoadCalls);
        }
        const ShownMessage& m = shownMessages.back();
        EXPECT_EQ(kWindow, m.owner);
        EXPECT_EQ("This option is not available on this computer.\n"
                  "See help on the data source for more details.\n",
                  m.text);
        EXPECT_EQ("Error - Source not available", m.caption);
        EXPECT_EQ(kIconInformation, m.icon);
    }
}

TEST_F(SystemKeyFilterTest, UntickingRemovesTheHookAndAllowsAFreshOne) {
    fakeLoadResult = kHook;
    Click(true);
    Click(false);
    EXPECT_EQ((std::vector<void*>{kHook}), fakeUnloadedHooks);
    EXPECT_EQ(nullptr, filterHook);
    EXPECT_FALSE(appState.filterSystemKeys);
    Click(false); // nothing left to remove
    EXPECT_EQ(1u, fakeUnloadedHooks.size());
    Click(true);
    EXPECT_EQ(2, fakeLoadCalls);
    EXPECT_TRUE(fakeScreenSaverCalls.empty());
}

TEST_F(SystemKeyFilterTest, ShutDownReleasesWhateverIsOn) {
    fakeLoadResult = kHook;
    Click(true);
    ReleaseSystemKeyFilter();
    ReleaseSystemKeyFilter(); // nothing left the second time
    EXPECT_EQ((std::vector<void*>{kHook}), fakeUnloadedHooks);
    EXPECT_EQ(nullptr, filterHook);

    RecordPlatformVersion(kPlatformWin32Windows, 4);
    Click(true);
    ReleaseSystemKeyFilter();
    EXPECT_EQ((std::vector<int>{1, 0}), fakeScreenSaverCalls);
}
} // namespace
