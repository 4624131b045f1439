#include "tests/engine/engine_fixture.h"

namespace {

constexpr int kX = 88, kY = 89, kZ = 90;

struct Stroke {
    int code; // negative: the key-up of that code
    int64_t atMs;
};

struct CompoundRow {
    const char* what;
    int32_t status;
    int64_t time;
    std::vector<int32_t> codes; // as the layout file lists them
    std::vector<Stroke> strokes;
    int32_t expected;
    bool failsTest;
};

TEST_F(EngineTest, CompoundKeysMatchRunsWithinTheirTime) {
    const CompoundRow cases[] = {
        {"in order", Untested, 50, {kX, kY}, {{kX, 0}, {kY, 30}, {-kY, 40}}, TestedOk, false},
        {"gap at the limit",
         Untested,
         50,
         {kX, kY},
         {{kX, 0}, {kY, 50}, {-kY, 60}},
         TestedOk,
         false},
        {"gap one past", Untested, 50, {kX, kY}, {{kX, 0}, {kY, 51}, {-kY, 60}}, Untested, false},
        {"wrong order", Untested, 50, {kX, kY}, {{kY, 0}, {kX, 10}, {-kX, 20}}, Untested, false},
        {"held until it repeats",
         Untested,
         50,
         {kX, kY},
         {{kX, 0}, {kY, 10}, {kY, 40}, {-kY, 50}},
         Untested,
         false},
        {"switched off", Untested, -1, {kX}, {{kX, 0}, {-kX, 10}}, Untested, false},
        {"single code", Untested, 0, {kX}, {{kX, 0}, {-kX, 10}}, TestedOk, false},
        {"never watched",
         FailDisarmed,
         50,
         {kX, kY},
         {{kX, 0}, {kY, 1}, {-kY, 2}},
         FailDisarmed,
         false},
        {"failure in order", FailArmed, 50, {kX, kY}, {{kX, 0}, {kY, 30}}, FailArmed, true},
        {"failure reversed", FailArmed, 50, {kX, kY}, {{kY, 0}, {kX, 30}}, FailArmed, true},
        {"failure too slow", FailArmed, 50, {kX, kY}, {{kY, 0}, {kX, 51}}, FailArmed, false},
        {"three in any order",
         FailArmed,
         50,
         {kX, kY, kZ},
         {{kZ, 0}, {kX, 10}, {kY, 20}},
         FailArmed,
         true},
        // Sorting moves the keys, not the times: the gaps stay 10 and 60 ms.
        {"times stay in place",
         FailArmed,
         50,
         {kX, kY, kZ},
         {{kX, 0}, {kZ, 60}, {kY, 70}},
         FailArmed,
         false},
    };
    for (const CompoundRow& c : cases) {
        SCOPED_TRACE(c.what);
        rows.clear();
        codeLists.clear();
        Key(kX, 45, "X");
        Key(kY, 21, "Y");
        Key(kZ, 44, "Z");
        int k = Compound("XY", c.time, c.status, c.codes);
        Use();
        appState.batchMode = true;
        for (const Stroke& s : c.strokes) {
            AtMs(s.atMs);
            s.code > 0 ? Down(s.code, 0) : Up(-s.code, 0);
        }
        EXPECT_EQ(c.expected, Status(k)) << "a failure is reset by the verdict";
        EXPECT_EQ(c.failsTest, Called("RunFailReason"));
    }
}

struct ModifiedRow {
    const char* what;
    std::vector<int> strokes;   // key-downs; negative: key-ups
    std::vector<int32_t> after; // status of the modified key after each stroke
};

TEST_F(EngineTest, ModifiedKeysNeedBothKeysInEitherOrder) {
    constexpr int kAlt = 18, kA = 65;
    const ModifiedRow cases[] = {
        {"Alt first",
         {kAlt, kA, kA, -kA, -kAlt},
         {Untested, BeingPressed, BeingPressed, BeingPressed, TestedOk}},
        {"A first", {kA, kAlt, -kAlt, -kA}, {Untested, BeingPressed, BeingPressed, TestedOk}},
        {"pressed again",
         {kAlt, kA, -kA, -kAlt, kA, kAlt},
         {Untested, BeingPressed, BeingPressed, TestedOk, TestedOk, BeingPressed}},
        {"other key", {kAlt, 66, -66, -kAlt}, {Untested, Untested, Untested, Untested}},
    };
    for (const ModifiedRow& c : cases) {
        SCOPED_TRACE(c.what);
        rows.clear();
        Key(kAlt, 56, "Alt");
        Key(kA, 30, "A");
        Key(66, 48, "B");
        int m = Modified("Alt+A", kA, kAlt);
        Use();
        altShortcuts.altAbout = false;
        for (size_t n = 0; n < c.strokes.size(); ++n) {
            int code = c.strokes[n];
            code > 0 ? Down(code, 0) : Up(-code, 0);
            EXPECT_EQ(c.after[n], Status(m)) << "after stroke " << n;
        }
    }
}

TEST_F(EngineTest, HeldKeysAsTheModifiedKeysSeeThem) {
    Key(18, 56, "Alt", 0, NotTestable);
    Key(65, 30, "A");
    Key(300, 90, "Wide"); // a code beyond the virtual-key range
    int alt = Modified("Alt+A", 65, 18);
    int wide = Modified("Wide+A", 65, 300);
    int same = Modified("A+A", 65, 65);
    Use();
    altShortcuts.altAbout = false;
    Down(18, 56);
    Down(65, 30);
    Down(300, 90);
    EXPECT_EQ(Untested, Status(alt)) << "a not-testable modifier never counts as held";
    EXPECT_EQ(BeingPressed, Status(wide));
    EXPECT_EQ(Untested, Status(same)) << "the modifier's own key is never its base too";
}

} // namespace
