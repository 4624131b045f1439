#include "engine/statistics.h"
#include "tests/engine/engine_fixture.h"

namespace {

class StatisticsTest : public EngineTest {
  protected:
    // Fields first..last joined by "|".
    std::string Fields(int first = 0, int last = kStatisticsFieldCount - 1) {
        StatisticsTexts t;
        FormatStatistics(&t);
        std::string out = StatisticsText(&t, first);
        for (int i = first + 1; i <= last; ++i) {
            out = out + "|" + StatisticsText(&t, i);
        }
        return out;
    }
};

TEST_F(StatisticsTest, FieldsAfterClearAKeyAndAMouseButton) {
    Key('A', 30, "A");
    Key(163, 29, "RCtrl", 1);
    Key(kLeftMouseCode, kLeftMouseCode, "Left button");
    Use();
    EXPECT_EQ("0 (0x0)|0 (0x0)|0ms|0ms|||N/A|N/A||0.0", Fields());
    Play("163@100 A@600 ^A@640");
    EXPECT_EQ("30 (0x1e)|65 (0x41)|40ms|500ms|||A|A|A RCtrl |2.0", Fields());
    Send(true, kLeftMouseCode, 0, false); // a mouse button counts as extended all the same
    EXPECT_EQ("LMOUSE|LMOUSE|40ms|40ms|E|E|Left button|A|Left button A RCtrl |3.7", Fields());
}

TEST_F(StatisticsTest, TypingRateOverTheLastTenKeyDowns) {
    Key('A', 30, "A");
    Use();
    Play("A@0 ^A");
    EXPECT_EQ("0.0", Fields(9, 9)) << "one key-down has no gap";
    for (int us : {200, 400}) {
        fakeCounter = us;
        Play("A ^A");
    }
    EXPECT_EQ("0.0", Fields(9, 9)) << "all gaps together under a millisecond";
    for (int ms = 1000; ms < 2000; ms += 100) {
        Play("A@" + std::to_string(ms) + " ^A");
    }
    EXPECT_EQ("10.0", Fields(9, 9)) << "only the nine gaps of the last ten key-downs count";
}

TEST_F(StatisticsTest, StripKeepsTheNewestWholeNames) {
    const char* longName = "A-rather-long-label"; // 19 characters and a blank
    Key('A', 30, longName);
    Key('B', 48, "B");
    Use();
    for (int n = 0; n <= 120; ++n) {
        Play(n == 0 ? "B" : "A");
    }
    std::string strip = Fields(8, 8);
    EXPECT_LT(strip.size(), static_cast<size_t>(kRecentKeysLength));
    EXPECT_EQ(1499u / 20 * 20, strip.size()) << "as many whole names as fit";
    EXPECT_EQ(0u, strip.find(std::string(longName) + " " + longName + " "));
    EXPECT_EQ(std::string::npos, strip.find("B "));
}

} // namespace
