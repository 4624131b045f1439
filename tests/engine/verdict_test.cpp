
#include "tests/engine/engine_fixture.h"
#include "tests/fakes/fake_led_seams.h"
#include "tests/fakes/fake_plugin_seams.h"

namespace {

const std::string kAsked = "RunPassVerification FocusWindow ";
const std::string kFailed = "RunFailReason FocusWindow ";
const std::string kCleared = "UpdateStatistics RepaintWindow FocusWindow "; // every verdict
const std::string kNext = "RunSerial FocusWindow";

class VerdictTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        appState.batchMode = true;
        appState.mainWindow = reinterpret_cast<WindowHandle>(this); // any non-null handle
        Key('A', 30, "A");
        Key('B', 48, "B", 0, NotTestableFail);
        Key('C', 46, "C", 0, NotTestable);
        Use();
        OpenLog();
    }
};

TEST_F(VerdictTest, DialogSequencesAndTheirLogLines) {
    appState.detailedKeyLog = true;
    // Verification asked for, plug-in run, what the two dialogs answer, the calls made.
    const std::tuple<bool, bool, int, int, std::string> cases[] = {
        {true, false, 1, 1, kAsked + kCleared + kNext},
        {true, false, 0, 1, kAsked + kFailed + kCleared + kNext},
        {false, false, 1, 0, kFailed + kCleared + kNext + " DestroyMainWindow"},
        {true, true, 1, 1, kAsked + kCleared + "DestroyMainWindow"},
    };
    for (const auto& [verification, plugin, pass, serial, calls] : cases) {
        engineCalls.clear();
        fakePassResult = pass;
        fakeSerialResult = serial;
        appState.pluginMode = plugin;
        if (plugin) {
            fakeHostFailure = 0;
            ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT_1"));
        }
        EXPECT_FALSE(EndTest(appState.mainWindow, verification));
        EXPECT_EQ(calls, Calls());
    }
    EXPECT_EQ(1, pluginLink.record->operationsCount);
    EXPECT_EQ(9, pluginLink.record->stateCode);
    const std::string check = "Checking whether the test has passed. User verifiaction required: ";
    EXPECT_EQ(check + "1\n" + check + "1\n" + check + "0\nUser Selection: FAILED\n" + check + "1\n",
              Log())
        << "only the failure writes its line";
}

TEST_F(VerdictTest, ForbiddenKeyFailsAtOnceAndTheLastReleaseAsksForTheVerdict) {
    for (const char* stroke : {"B", "^B"}) {
        engineCalls.clear();
        Play(stroke);
        EXPECT_EQ(kFailed + kCleared + kNext, Calls()) << stroke;
        EXPECT_EQ(NotTestableFail, Status(1));
    }
    testRunInfo.keystrokes = 1;
    Play("A ^A");
    EXPECT_TRUE(Called("RunPassVerification")) << "B and C count as done";
    EXPECT_EQ(Untested, Status(0));
    EXPECT_EQ(-1, engine.history[0].keyIndex);
    EXPECT_EQ(-1, engine.stats.lastUpIndex);
}

TEST_F(VerdictTest, ClearAllResetsStatusesAndStopsTheLeds) {
    // What each status becomes, in the order of the statuses.
    const int32_t after[] = {Untested,    Untested,        Untested,     NotTestable,
                             FailArmed,   FailArmed,       FailDisarmed, NotTestable,
                             NotTestable, NotTestableFail, Untested,     Untested};
    rows.clear();
    for (int32_t status = 0; status < 12; ++status) {
        Key(100 + status, 0, "k", 0, status);
    }
    Use();
    for (int32_t status = 0; status < 12; ++status) {
        EXPECT_EQ(after[status], Status(status)) << "from status " << status;
    }
    ledTestRunning = fakeLedTimerRunning = true;
    appState.mainWindow = nullptr;
    ClearAll();
    EXPECT_FALSE(ledTestRunning);
    EXPECT_FALSE(fakeLedTimerRunning);
    EXPECT_EQ("", Calls()) << "no statistics before the main window exists";
}

TEST_F(VerdictTest, CompleteOnlyInBatchModeWithNothingOpen) {
    EXPECT_FALSE(IsTestComplete()) << "A is untested";
    rows[0].status = UnderPressed;
    EXPECT_TRUE(IsTestComplete());
    rows[2].status = BeingPressed;
    EXPECT_FALSE(IsTestComplete());
}

} // namespace
