#include "tests/engine/engine_fixture.h"

namespace {

// A failure is reset by the verdict that ends the test: its status stays FailArmed.
TEST_F(EngineTest, CompoundKeysMatchRunsWithinTheirTime) {
    const std::tuple<const char*, int32_t, int64_t, const char*, const char*, int32_t, bool>
        cases[] = {
            {"in order", Untested, 50, "XY", "X@0 Y@30 ^Y@40", TestedOk, false},
            {"gap at the limit", Untested, 50, "XY", "X@0 Y@50 ^Y@60", TestedOk, false},
            {"gap one past", Untested, 50, "XY", "X@0 Y@51 ^Y@60", Untested, false},
            {"wrong order", Untested, 50, "XY", "Y@0 X@10 ^X@20", Untested, false},
            {"held until it repeats", Untested, 50, "XY", "X@0 Y@10 Y@40 ^Y@50", Untested, false},
            {"switched off", Untested, -1, "X", "X@0 ^X@10", Untested, false},
            {"single code", Untested, 0, "X", "X@0 ^X@10", TestedOk, false},
            {"never watched", FailDisarmed, 50, "XY", "X@0 Y@1 ^Y@2", FailDisarmed, false},
            {"failure in order", FailArmed, 50, "XY", "X@0 Y@30", FailArmed, true},
            {"failure reversed at the limit", FailArmed, 50, "XY", "Y@0 X@50", FailArmed, true},
            {"failure one past", FailArmed, 50, "XY", "Y@0 X@51", FailArmed, false},
            {"three in any order", FailArmed, 50, "XYZ", "Z@0 X@10 Y@20", FailArmed, true},
            // Sorting moves the keys, not the times: the gaps stay 10 and 60 ms.
            {"times stay in place", FailArmed, 50, "XYZ", "X@0 Z@60 Y@70", FailArmed, false},
        };
    for (const auto& [what, status, time, letters, strokes, expected, failsTest] : cases) {
        SCOPED_TRACE(what);
        rows.clear();
        Key('X', 45, "X");
        Key('Y', 21, "Y");
        Key('Z', 44, "Z");
        int k = Compound("XY", time, status, letters);
        Use();
        appState.batchMode = true;
        Play(strokes);
        EXPECT_EQ(expected, Status(k));
        EXPECT_EQ(failsTest, Called("RunFailReason"));
    }
}

// The trail is the watched key's status after each stroke. A code of 300 lies beyond the
// virtual-key range and sends the engine down its slower walk of the table.
TEST_F(EngineTest, ModifiedKeysNeedBothKeysHeldInEitherOrder) {
    Key(18, 56, "Alt");
    Key('A', 30, "A");
    Key('B', 48, "B", 0, NotTestable);
    Key(300, 90, "Wide");
    const int altA = Modified("Alt+A", 'A', 18), wideA = Modified("Wide+A", 'A', 300);
    const int bA = Modified("B+A", 'A', 'B'), aA = Modified("A+A", 'A', 'A');
    Use();
    altShortcuts.altAbout = false;
    const std::tuple<const char*, int, const char*> cases[] = {
        {"18 A A ^A ^18", altA, "01112"},
        {"A 18 ^18 ^A", altA, "0112"},
        {"18 A ^A ^18 A 18", altA, "011221"},
        {"18 300 ^300 ^18", altA, "0000"},
        {"A 300 ^A ^300", wideA, "0112"},
        {"A B", bA, "00"}, // a not-testable modifier never counts as held
        {"A", aA, "0"},    // the modifier's own key is never its base too
        {"300 A", aA, "00"},
    };
    for (const auto& [strokes, watch, trail] : cases) {
        ClearAll();
        EXPECT_EQ(trail, Play(strokes, watch)) << strokes;
    }
}

} // namespace
