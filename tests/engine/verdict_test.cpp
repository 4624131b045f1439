#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tests/engine/engine_fixture.h"
#include "tests/fakes/fake_led_seams.h"
#include "tests/fakes/fake_plugin_seams.h"

namespace {

typedef std::vector<std::string> Calls;

class VerdictTest : public EngineTest {
  protected:
    std::string logPath = testing::TempDir() + "engine_verdict.log";
    void SetUp() override {
        EngineTest::SetUp();
        appState.batchMode = true;
        appState.mainWindow = reinterpret_cast<WindowHandle>(&logPath); // any non-null handle
        Key(65, 30, "A");
        Key(66, 48, "B", 0, NotTestableFail);
        Key(67, 46, "C", 0, NotTestable);
        Use();
        std::remove(logPath.c_str());
        ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
    }
    std::string Log() {
        CloseTestLog();
        std::ifstream in(logPath);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(VerdictTest, DialogSequences) {
    const Calls afterVerdict = {"UpdateStatistics", "RepaintWindow", "FocusWindow"};
    struct Row {
        const char* what;
        bool verification;
        int pass, serial;
        Calls dialogs, end;
        bool failedLine;
    } cases[] = {
        {"pass, next keyboard",
         true,
         1,
         1,
         {"RunPassVerification", "FocusWindow"},
         {"RunSerial", "FocusWindow"},
         false},
        {"operator fails it",
         true,
         0,
         1,
         {"RunPassVerification", "FocusWindow", "RunFailReason", "FocusWindow"},
         {"RunSerial", "FocusWindow"},
         false},
        {"failure, then Exit",
         false,
         1,
         0,
         {"RunFailReason", "FocusWindow"},
         {"RunSerial", "FocusWindow", "DestroyMainWindow"},
         true},
    };
    for (const Row& c : cases) {
        SCOPED_TRACE(c.what);
        engineCalls.clear();
        fakePassResult = c.pass;
        fakeSerialResult = c.serial;
        EXPECT_FALSE(EndTest(appState.mainWindow, c.verification));
        Calls expected = c.dialogs;
        expected.insert(expected.end(), afterVerdict.begin(), afterVerdict.end());
        expected.insert(expected.end(), c.end.begin(), c.end.end());
        EXPECT_EQ(expected, engineCalls);
    }
    EXPECT_EQ("User Selection: FAILED\n", Log()) << "only the failure writes this line";
}

TEST_F(VerdictTest, KeyTraceNamesTheVerdictKind) {
    appState.detailedKeyLog = true;
    EndTest(appState.mainWindow, false);
    EndTest(appState.mainWindow, true);
    EXPECT_EQ("Checking whether the test has passed. User verifiaction required: 0\n"
              "User Selection: FAILED\n"
              "Checking whether the test has passed. User verifiaction required: 1\n",
              Log());
}

TEST_F(VerdictTest, PluginRunReportsToTheHostAndEnds) {
    appState.pluginMode = true;
    std::memset(fakeHostBlock, 0, sizeof fakeHostBlock);
    fakeHostFailure = 0;
    ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT_1"));
    EndTest(appState.mainWindow, true);
    const PluginSharedRecord& r = *reinterpret_cast<const PluginSharedRecord*>(fakeHostBlock);
    EXPECT_EQ(1, r.operationsCount);
    EXPECT_EQ(9, r.stateCode);
    EXPECT_EQ((Calls{"RunPassVerification", "FocusWindow", "UpdateStatistics", "RepaintWindow",
                     "FocusWindow", "DestroyMainWindow"}),
              engineCalls);
    pluginLink.record = nullptr;
}

TEST_F(VerdictTest, LastReleaseAsksForTheVerdictAndClears) {
    testRunInfo.keystrokes = 1;
    Down(65, 30);
    Up(65, 30);
    EXPECT_TRUE(Called("RunPassVerification")) << "B and C count as done";
    EXPECT_EQ(Untested, Status(0));
    EXPECT_EQ(-1, engine.history[0].keyIndex);
    EXPECT_EQ(-1, engine.stats.lastUpIndex);
}

TEST_F(VerdictTest, ForbiddenKeyFailsAtOnce) {
    for (bool down : {true, false}) {
        SCOPED_TRACE(down ? "key-down" : "key-up");
        engineCalls.clear();
        down ? Down(66, 48) : Up(66, 48);
        EXPECT_EQ((Calls{"RunFailReason", "FocusWindow", "UpdateStatistics", "RepaintWindow",
                         "FocusWindow", "RunSerial", "FocusWindow"}),
                  engineCalls);
        EXPECT_EQ(NotTestableFail, Status(1));
    }
}

TEST_F(VerdictTest, ClearAllResetsStatusesStatsAndLeds) {
    const int32_t before[12] = {Untested,        BeingPressed,       TestedOk,
                                NotTestable,     FailArmed,          KeyFailure,
                                FailDisarmed,    NotTestablePressed, NotTestableReleased,
                                NotTestableFail, UnderPressed,       OverPressed};
    const int32_t after[12] = {Untested,    Untested,        Untested,     NotTestable,
                               FailArmed,   FailArmed,       FailDisarmed, NotTestable,
                               NotTestable, NotTestableFail, Untested,     Untested};
    rows.clear();
    for (int32_t s : before) {
        Key(100 + s, 0, "k", 0, s);
    }
    Use();
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(after[i], Status(i)) << "from status " << before[i];
    }
    ledTestRunning = true;
    fakeLedTimerRunning = true;
    appState.mainWindow = nullptr;
    engineCalls.clear();
    ClearAll();
    EXPECT_FALSE(ledTestRunning);
    EXPECT_FALSE(fakeLedTimerRunning);
    EXPECT_TRUE(engineCalls.empty()) << "no statistics before the main window exists";
}

TEST_F(VerdictTest, CompleteOnlyInBatchModeWithNothingOpen) {
    EXPECT_FALSE(IsTestComplete()) << "A is untested";
    rows[0].status = UnderPressed;
    EXPECT_TRUE(IsTestComplete());
    rows[2].status = BeingPressed;
    EXPECT_FALSE(IsTestComplete());
    rows[2].status = NotTestablePressed;
    appState.batchMode = false;
    EXPECT_FALSE(IsTestComplete());
}

} // namespace
