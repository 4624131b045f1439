#include "tests/engine/engine_fixture.h"

namespace {

// B stays untested so a batch test stays open; A is released once more after the downs.
TEST_F(EngineTest, StatusMovesThroughThePressAndTheRelease) {
    const std::tuple<int32_t, bool, uint32_t, const char*, int32_t, int32_t> cases[] = {
        {Untested, false, 0, "A", BeingPressed, TestedOk},
        {Untested, false, 1, "A A A", BeingPressed, TestedOk}, // counts only in batch mode
        {Untested, true, 0, "A A A", BeingPressed, TestedOk},
        {Untested, true, 1, "A", BeingPressed, TestedOk},
        {Untested, true, 1, "A A", BeingPressed, OverPressed}, // auto-repeat counts
        {Untested, true, 3, "A ^A A", BeingPressed, UnderPressed},
        {Untested, true, 3, "A ^A A ^A A", BeingPressed, TestedOk},
        {Untested, true, 3, "A ^A A ^A A ^A A", BeingPressed, OverPressed},
        {NotTestable, true, 1, "A", NotTestablePressed, NotTestableReleased},
        {NotTestableReleased, false, 0, "A A", NotTestablePressed, NotTestableReleased},
        {NotTestableFail, false, 0, "A", BeingPressed, TestedOk},
        {OverPressed, false, 0, "A", BeingPressed, TestedOk},
    };
    for (const auto& [start, batch, required, downs, afterDown, afterUp] : cases) {
        SCOPED_TRACE(testing::Message() << "start " << start << " batch " << batch << " R "
                                        << required << " " << downs);
        rows.clear();
        Key('A', 30, "A", 0, start);
        Key('B', 48, "B");
        Use();
        appState.batchMode = batch;
        testRunInfo.keystrokes = required;
        Play(downs);
        EXPECT_EQ(afterDown, Status(0));
        Play("^A");
        EXPECT_EQ(afterUp, Status(0));
    }
}

TEST_F(EngineTest, AutoRepeatCountsButKeepsThePressTime) {
    Key('A', 30, "A");
    Key('B', 48, "B");
    Use();
    Play("B@1000 ^B");
    EXPECT_EQ(0, engine.stats.lagTimeMs) << "first press after a Clear";
    Play("A@1250 A@1700");
    Press(true, 'A', 3); // one message standing for three repeats
    Press(true, 'A', 0);
    Play("^A@2050");
    EXPECT_EQ(250, engine.stats.lagTimeMs);
    EXPECT_EQ(800, engine.stats.depressTimeMs);
    EXPECT_EQ(4, rows[0].pressCount) << "one count per message, whatever its repeat count";
    EXPECT_EQ(6, engine.historyPos) << "B, A, A and three repeats; a zero count pushes nothing";
    EXPECT_EQ(1250000, engine.history[1].time);
    EXPECT_EQ(1700000, engine.history[5].time);
}

TEST_F(EngineTest, KeysOutsideTheTableChangeNothing) {
    Key(20, 58, "Caps");
    Use();
    for (int code : {20, 144, 145}) { // the lock keys the LED test sends itself
        Send(true, code, 255, true);
        Send(false, code, 255, true);
    }
    EXPECT_EQ("", Calls());
    EXPECT_EQ(0, engine.stats.lastWindowsCode);
    Send(true, 'Z', 44, true);
    EXPECT_EQ("UpdateStatistics", Calls());
    EXPECT_EQ('Z', engine.stats.lastWindowsCode);
    EXPECT_EQ(-1, engine.history[0].keyIndex);
    Send(false, 'Z', 44, true);
    Play("^20"); // released without a press seen
    EXPECT_EQ("UpdateStatistics", Calls());
    EXPECT_EQ(Untested, Status(0));
    Play("20 ^20");
    EXPECT_EQ(TestedOk, Status(0)) << "the real Caps Lock is tested";
}

TEST_F(EngineTest, AltShortcutsPostCommandsOrAreTested) {
    const std::tuple<const char*, bool, bool, const char*, bool> cases[] = {
        {"18 A", false, true, "1016", false},
        {"18 A", false, false, "", true},
        {"18 B A", false, true, "", true},
        {"18 ^18 A", false, true, "", true},
        {"165 A A", false, true, "1016 1016", false},
        {"18 F", false, true, "", true},
        {"18 F", true, true, "1007", false},
        {"164 115", false, true, "1003", false},
        {"18 C E H L", false, true, "1005 1003 1000 1023", false},
    };
    for (const auto& [strokes, batch, aboutOn, posted, lastKeyTested] : cases) {
        SCOPED_TRACE(testing::Message() << strokes << " batch " << batch << " about " << aboutOn);
        rows.clear();
        for (int code : {18, 164, 165, 65, 66, 67, 69, 70, 72, 76, 115}) {
            Key(code, 0, "k");
        }
        Key(200, 0, "open");
        Use();
        appState.batchMode = batch;
        altShortcuts.altAbout = aboutOn;
        Play(strokes);
        EXPECT_EQ(posted, Calls("PostCommand "));
        int last = FindKeyRecord(CodeOf(std::strrchr(strokes, ' ') + 1), 0, false);
        EXPECT_EQ(lastKeyTested ? BeingPressed : Untested, Status(last));
    }
}

TEST_F(EngineTest, MatchingByWindowsOrBiosCode) {
    Key('A', 30, "A");
    Key(17, 29, "LCtrl");
    Key(163, 29, "RCtrl", 1);
    Key(200, 30, "A again");
    Key(kLeftMouseCode, kLeftMouseCode, "LMOUSE");
    Use();
    EXPECT_EQ(1, FindKeyRecord(17, 29, false));
    EXPECT_EQ(-1, FindKeyRecord(17, 29, true)) << "the extended flag must agree";
    EXPECT_EQ(4, FindKeyRecord(kLeftMouseCode, kLeftMouseCode, true));
    engine.matchMode = MatchBios;
    EXPECT_EQ(0, FindKeyRecord(200, 30, false)) << "first in table order wins";
    EXPECT_EQ(2, FindKeyRecord(0, 29, true));
    EXPECT_EQ(-1, FindKeyRecord('A', 99, false));
}

TEST_F(EngineTest, IdenticalKeysTakeTurns) {
    Key('A', 30, "A1");
    Key('B', 48, "B");
    Key('A', 30, "A2");
    Key('A', 30, "A3", 1); // not a member: other extended flag
    Use();
    EXPECT_EQ(1, rows[0].dupState);
    EXPECT_EQ(2, rows[2].dupState);
    for (int turn : {0, 2, 0}) {
        EXPECT_EQ("12", Play("A ^A", turn)) << "turn of record " << turn;
    }
    EXPECT_EQ(2, rows[0].pressCount) << "each member counts its own presses";
    EXPECT_EQ(Untested, Status(3));
}

TEST_F(EngineTest, HistoryRingWrapsAndOverwritesTheOldest) {
    Key('A', 30, "A");
    Key('B', 48, "B");
    Use();
    for (int n = 0; n < 104; ++n) {
        Play((n % 2 == 0 ? "A@" : "B@") + std::to_string(n));
    }
    EXPECT_EQ(4, engine.historyPos);
    EXPECT_EQ(103000, engine.history[3].time);
    EXPECT_EQ(4000, engine.history[4].time) << "slot 4 holds the oldest kept entry";
}

TEST_F(EngineTest, KeyTraceOfOnePressAndRelease) {
    Key('X', 45, "X");
    Compound("XC", 100, Untested, "X");
    Modified("Alt+X", 'X', 18);
    Use();
    appState.detailedKeyLog = true;
    OpenLog();
    Play("X@10 ^X@70");
    EXPECT_EQ("=============================================\n"
              "Key Down: Windows - 88, BIOS - 45\n"
              "Attempting key match of type 1\n"
              "Key matched: X. Current status 0\n"
              "Recorded time key depressed\n"
              "New status 1\n"
              "Attempting to match Modified key Alt+X\n"
              "Completed Key down processing\n"
              "=============================================\n"
              "Key Up: Windows - 88, BIOS - 45\n"
              "Attempting key match of type 1\n"
              "Key matched: X. Current status 1\n"
              "New status 2\n"
              "Attempting to match compound key XC\n"
              "History scancode 88. Compound key scancode 88. Time diff 0 (reqd: 100) \n"
              "Compound key match status 1\n"
              "Completed Key up processing\n",
              Log());
}

} // namespace
