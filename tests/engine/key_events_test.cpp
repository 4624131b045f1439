#include "tests/engine/engine_fixture.h"

namespace {

constexpr int kA = 65, kScanA = 30;

struct StatusRow {
    int32_t start;
    bool batch;
    uint32_t required;
    int downs; // key-down messages before the release (the later ones auto-repeat)
    int32_t afterDown, afterUp;
};

TEST_F(EngineTest, StatusMovesThroughThePressAndTheRelease) {
    const StatusRow cases[] = {
        {Untested, false, 0, 1, BeingPressed, TestedOk},
        {Untested, false, 1, 3, BeingPressed, TestedOk}, // counts only in batch mode
        {Untested, true, 0, 3, BeingPressed, TestedOk},
        {Untested, true, 1, 1, BeingPressed, TestedOk},
        {Untested, true, 1, 2, BeingPressed, OverPressed},
        {Untested, true, 3, 1, BeingPressed, UnderPressed},
        {Untested, true, 2, 2, BeingPressed, TestedOk},
        {NotTestable, true, 1, 1, NotTestablePressed, NotTestableReleased},
        {NotTestableReleased, false, 0, 2, NotTestablePressed, NotTestableReleased},
        {FailArmed, true, 0, 1, BeingPressed, TestedOk},
        {FailDisarmed, false, 0, 1, BeingPressed, TestedOk},
        {NotTestableFail, false, 0, 1, BeingPressed, TestedOk},
        {OverPressed, false, 0, 1, BeingPressed, TestedOk},
    };
    for (const StatusRow& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << " batch " << c.batch << " R "
                                        << c.required << " downs " << c.downs);
        rows.clear();
        Key(kA, kScanA, "A", 0, c.start);
        Key(66, 48, "B"); // keeps a batch test open
        Use();
        appState.batchMode = c.batch;
        testRunInfo.keystrokes = c.required;
        for (int n = 0; n < c.downs; ++n) {
            Down(kA, kScanA);
        }
        EXPECT_EQ(c.afterDown, Status(0));
        Up(kA, kScanA);
        EXPECT_EQ(c.afterUp, Status(0));
        EXPECT_FALSE(Called("RunFailReason"));
    }
}

TEST_F(EngineTest, SeparatePressesCountAgainstTheRequiredKeystrokes) {
    Key(kA, kScanA, "A");
    Key(66, 48, "B");
    Use();
    appState.batchMode = true;
    testRunInfo.keystrokes = 3;
    const int32_t expected[] = {UnderPressed, UnderPressed, TestedOk, OverPressed};
    for (int32_t after : expected) {
        Down(kA, kScanA);
        EXPECT_EQ(BeingPressed, Status(0));
        Up(kA, kScanA);
        EXPECT_EQ(after, Status(0));
    }
}

TEST_F(EngineTest, AutoRepeatCountsButKeepsThePressTime) {
    Key(kA, kScanA, "A");
    Key(66, 48, "B");
    Use();
    AtMs(1000);
    Down(66, 48);
    Up(66, 48);
    EXPECT_EQ(0, engine.stats.lagTimeMs) << "first press after a Clear";
    AtMs(1250);
    Down(kA, kScanA);
    AtMs(1700);
    Down(kA, kScanA, false, 3); // one message standing for three repeats
    Down(kA, kScanA, false, 0);
    AtMs(2050);
    Up(kA, kScanA);
    EXPECT_EQ(250, engine.stats.lagTimeMs);
    EXPECT_EQ(800, engine.stats.depressTimeMs);
    EXPECT_EQ(3, rows[0].pressCount) << "one count per message, whatever its repeat count";
    EXPECT_EQ(5, engine.historyPos) << "B, A and three repeats; a zero count pushes nothing";
    EXPECT_EQ(1250000, engine.history[1].time);
    EXPECT_EQ(1700000, engine.history[4].time);
}

TEST_F(EngineTest, SyntheticLockKeysChangeNothing) {
    Key(20, 58, "Caps");
    Use();
    for (int code : {20, 144, 145}) {
        Down(code, 255, true);
        Up(code, 255, true);
    }
    EXPECT_EQ(Untested, Status(0));
    EXPECT_TRUE(engineCalls.empty());
    EXPECT_EQ(0, engine.stats.lastWindowsCode);
    Down(20, 58);
    Up(20, 58);
    EXPECT_EQ(TestedOk, Status(0)) << "the real Caps Lock is tested";
}

TEST_F(EngineTest, AltShortcutsPostCommandsOrAreTested) {
    struct Row {
        std::vector<int> codes; // key-downs; a negative entry is a key-up of that code
        bool batch;
        bool aboutOn;
        std::vector<std::string> posted;
        bool lastKeyTested;
    } cases[] = {
        {{18, 65}, false, true, {"PostCommand 1016"}, false},
        {{18, 65}, false, false, {}, true},
        {{18, 66, 65}, false, true, {}, true},
        {{18, -18, 65}, false, true, {}, true},
        {{165, 65, 65}, false, true, {"PostCommand 1016", "PostCommand 1016"}, false},
        {{18, 70}, false, true, {}, true},
        {{18, 70}, true, true, {"PostCommand 1007"}, false},
        {{164, 115}, false, true, {"PostCommand 1003"}, false},
        {{18, 67, 69, 72, 76},
         false,
         true,
         {"PostCommand 1005", "PostCommand 1003", "PostCommand 1000", "PostCommand 1023"},
         false},
    };
    for (const Row& c : cases) {
        SCOPED_TRACE(testing::Message() << "case starting " << c.codes[0] << " of "
                                        << c.codes.size() << " batch " << c.batch);
        rows.clear();
        for (int code : {18, 164, 165, 65, 66, 67, 69, 70, 72, 76, 115}) {
            Key(code, code, "k");
        }
        Key(200, 200, "open");
        Use();
        appState.batchMode = c.batch;
        altShortcuts.altAbout = c.aboutOn;
        for (int code : c.codes) {
            code > 0 ? Down(code, code) : Up(-code, -code);
        }
        std::vector<std::string> posted;
        for (const std::string& call : engineCalls) {
            if (call.rfind("PostCommand", 0) == 0) {
                posted.push_back(call);
            }
        }
        EXPECT_EQ(c.posted, posted);
        int last = FindKeyRecord(c.codes.back(), 0, false);
        EXPECT_EQ(c.lastKeyTested ? BeingPressed : Untested, Status(last));
    }
}

TEST_F(EngineTest, MatchingByWindowsOrBiosCode) {
    Key(kA, kScanA, "A");
    Key(17, 29, "LCtrl");
    Key(163, 29, "RCtrl", 1);
    Key(200, kScanA, "A again");
    Key(kLeftMouseCode, kLeftMouseCode, "LMOUSE");
    Use();
    EXPECT_EQ(1, FindKeyRecord(17, 29, false));
    EXPECT_EQ(-1, FindKeyRecord(17, 29, true)) << "the extended flag must agree";
    EXPECT_EQ(4, FindKeyRecord(kLeftMouseCode, kLeftMouseCode, true));
    engine.matchMode = MatchBios;
    EXPECT_EQ(0, FindKeyRecord(200, kScanA, false)) << "first in table order wins";
    EXPECT_EQ(2, FindKeyRecord(0, 29, true));
    EXPECT_EQ(-1, FindKeyRecord(kA, 99, false));
    Down(kLeftMouseCode, 0);
    EXPECT_EQ(BeingPressed, Status(4)) << "mouse buttons count as extended";
}

TEST_F(EngineTest, IdenticalKeysTakeTurns) {
    Key(kA, kScanA, "A1");
    Key(66, 48, "B");
    Key(kA, kScanA, "A2");
    Key(kA, kScanA, "A3", 1); // not a member: other extended flag
    Use();
    EXPECT_EQ(
        (std::vector<int>{1, 0, 2, 0}),
        (std::vector<int>{rows[0].dupState, rows[1].dupState, rows[2].dupState, rows[3].dupState}));
    const int turns[] = {0, 2, 0};
    for (int turn : turns) {
        Down(kA, kScanA);
        EXPECT_EQ(BeingPressed, Status(turn));
        Up(kA, kScanA);
        EXPECT_EQ(TestedOk, Status(turn));
    }
    EXPECT_EQ(2, rows[0].pressCount) << "each member counts its own presses";
    EXPECT_EQ(Untested, Status(3));
}

TEST_F(EngineTest, UnknownKeysShowTheirCodesOnly) {
    Key(kA, kScanA, "A");
    Use();
    Down(90, 44, true);
    EXPECT_EQ(90, engine.stats.lastWindowsCode);
    EXPECT_EQ(44, engine.stats.lastBiosCode);
    EXPECT_NE(0u, engine.stats.lastExtended);
    EXPECT_EQ(-1, engine.history[0].keyIndex);
    EXPECT_EQ(std::vector<std::string>{"UpdateStatistics"}, engineCalls);
    engineCalls.clear();
    Up(90, 44, true);
    Up(kA, kScanA); // released without a press seen
    EXPECT_TRUE(engineCalls.empty());
    EXPECT_EQ(Untested, Status(0));
}

TEST_F(EngineTest, HistoryRingWrapsAndOverwritesTheOldest) {
    Key(kA, kScanA, "A");
    Key(66, 48, "B");
    Use();
    for (int n = 0; n < 104; ++n) {
        AtMs(n);
        Down(n % 2 == 0 ? kA : 66, n % 2 == 0 ? kScanA : 48);
    }
    EXPECT_EQ(4, engine.historyPos);
    EXPECT_EQ(103000, engine.history[3].time);
    EXPECT_EQ(4000, engine.history[4].time) << "slot 4 holds the oldest kept entry";
}

} // namespace
