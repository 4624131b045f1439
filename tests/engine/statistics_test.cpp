#include "engine/statistics.h"
#include "tests/engine/engine_fixture.h"

namespace {

typedef std::vector<std::string> Texts;

class StatisticsTest : public EngineTest {
  protected:
    Texts Format() {
        StatisticsTexts t;
        FormatStatistics(&t);
        Texts out;
        for (int i = 0; i < kStatisticsFieldCount; ++i) {
            out.push_back(StatisticsText(&t, i));
        }
        return out;
    }
};

TEST_F(StatisticsTest, FieldsAfterClearAKeyAndAMouseButton) {
    Key(65, 30, "A");
    Key(163, 29, "RCtrl", 1);
    Key(kLeftMouseCode, kLeftMouseCode, "Left button");
    Use();
    EXPECT_EQ((Texts{"0 (0x0)", "0 (0x0)", "0ms", "0ms", "", "", "N/A", "N/A", "", "0.0"}),
              Format());
    AtMs(100);
    Down(163, 29, true);
    AtMs(600);
    Down(65, 30);
    AtMs(640);
    Up(65, 30);
    EXPECT_EQ(
        (Texts{"30 (0x1e)", "65 (0x41)", "40ms", "500ms", "", "", "A", "A", "A RCtrl ", "2.0"}),
        Format());
    Down(kLeftMouseCode, 0);
    Texts mouse = Format();
    EXPECT_EQ((Texts{"LMOUSE", "LMOUSE", "E", "E", "Left button"}),
              (Texts{mouse[0], mouse[1], mouse[4], mouse[5], mouse[6]}));
    Down(90, 44);
    EXPECT_EQ("90 (0x5a)", Format()[1]) << "a key not in the layout still shows its code";
    EXPECT_EQ("Left button", Format()[6]);
}

TEST_F(StatisticsTest, TypingRateOverTheLastTenKeyDowns) {
    Key(65, 30, "A");
    Use();
    struct Row {
        const char* what;
        std::vector<int64_t> downsUs; // counter of each fresh key-down, in microseconds
        const char* rate;
    } cases[] = {
        {"one key", {0}, "0.0"},
        {"500 ms apart", {0, 500000}, "2.0"},
        {"only nine gaps count",
         {0, 1000000, 1100000, 1200000, 1300000, 1400000, 1500000, 1600000, 1700000, 1800000,
          1900000},
         "10.0"},
        {"under a millisecond", {0, 200, 400}, "0.0"},
    };
    for (const Row& c : cases) {
        SCOPED_TRACE(c.what);
        ClearAll();
        for (int64_t t : c.downsUs) {
            fakeCounter = t;
            Down(65, 30);
            Up(65, 30);
        }
        EXPECT_EQ(c.rate, Format()[9]);
    }
}

TEST_F(StatisticsTest, StripKeepsTheNewestWholeNames) {
    const char* longName = "A-rather-long-label"; // 19 characters and a blank
    Key(65, 30, longName);
    Key(66, 48, "B");
    Use();
    Down(66, 48);
    for (int n = 0; n < 120; ++n) {
        Down(65, 30);
    }
    std::string strip = Format()[8];
    EXPECT_LT(strip.size(), static_cast<size_t>(kRecentKeysLength));
    EXPECT_EQ(1499u / 20 * 20, strip.size()) << "as many whole names as fit";
    EXPECT_EQ(0u, strip.find(std::string(longName) + " " + longName + " "));
    EXPECT_EQ(std::string::npos, strip.find("B "));
}

} // namespace
