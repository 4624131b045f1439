#include <string>

#include <gtest/gtest.h>

#include "mouse/move_counter.h"
#include "resources/mouse_dialog_ids.h"

namespace {

// A counter of 10 MHz; Ms(n) is the reading n milliseconds after opening.
const int64_t kFrequency = 10000000;
const int64_t kOpenedAt = 5000000000;
int64_t Ms(int64_t ms) {
    return kOpenedAt + ms * (kFrequency / 1000);
}

class MoveCounterTest : public ::testing::Test {
  protected:
    void SetUp() override { OpenMoveTest(1280, 1024, kFrequency, Ms(0)); }

    MoveTestUpdate Move(int64_t atMs, int x = 600, int y = 500) {
        MoveTestUpdate update;
        MoveTestMouseMove(x, y, Ms(atMs), &update);
        return update;
    }
    std::string Tick(int64_t atMs) {
        char rate[32] = "unchanged";
        int shown = MoveTestTimerTick(Ms(atMs), rate, sizeof rate);
        return shown ? std::string(rate) : std::string();
    }
};

TEST(CounterMilliseconds, WholeMillisecondsAndSlowCounters) {
    EXPECT_EQ(999, CounterMilliseconds(0, 9999999, kFrequency));
    EXPECT_EQ(1000, CounterMilliseconds(0, 10000000, kFrequency));
    EXPECT_EQ(1, CounterMilliseconds(100, 100 + 3579, 3579545)) << "3579 ticks per ms";
    EXPECT_EQ(250, CounterMilliseconds(0, 250, 600)) << "under 1000 ticks per second";
}

TEST_F(MoveCounterTest, PositionAndCornerOfEachMessage) {
    MoveTestUpdate update = Move(10, -3, 1023);
    EXPECT_STREQ("-3,1023", update.positionText);
    EXPECT_EQ(IDC_BOTTOM_LEFT_STATUS, update.cornerField);
    update = Move(20, 1278, 1022);
    EXPECT_EQ(IDC_BOTTOM_RIGHT_STATUS, update.cornerField);
    update = Move(30, 640, 0);
    EXPECT_EQ(0, update.cornerField);
    EXPECT_EQ(0, update.rateShown);
}

TEST_F(MoveCounterTest, AWindowEndsWithTheFirstMessageAfterASecond) {
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(0, Move(100 + i * 100).rateShown);
    EXPECT_EQ(0, Move(999).rateShown);
    MoveTestUpdate closing = Move(1000);
    ASSERT_EQ(1, closing.rateShown);
    EXPECT_STREQ("8 (max: 8)", closing.rateText) << "the closing message is not counted";
    EXPECT_EQ(0, moveTest.messageCount);

    // The next window starts at the closing message and keeps the maximum.
    Move(1500);
    Move(1600);
    EXPECT_STREQ("2 (max: 8)", Move(2000).rateText);
    for (int i = 0; i < 10; i++)
        Move(2100 + i);
    EXPECT_EQ(10, moveTest.maximum) << "the maximum follows the running count";
    EXPECT_STREQ("10 (max: 10)", Move(3000).rateText);
}

TEST_F(MoveCounterTest, RestingMouseShowsZeroAfterTheIdleTime) {
    for (int i = 0; i < 5; i++)
        Move(10 * i);
    EXPECT_EQ("", Tick(1000));
    EXPECT_EQ("", Tick(1199));
    EXPECT_EQ("0 (max: 5)", Tick(1200));
    EXPECT_EQ("", Tick(2200)) << "the idle check started a new window";
    EXPECT_EQ("0 (max: 5)", Tick(2400));
    // Movement after the rest is counted from the tick's window.
    Move(2500);
    EXPECT_STREQ("1 (max: 5)", Move(3400).rateText);
}

TEST_F(MoveCounterTest, OpeningResetsTheCountsButNotTheNewWindow) {
    for (int i = 0; i < 20; i++)
        Move(i);
    OpenMoveTest(1920, 1080, kFrequency, Ms(50000));
    EXPECT_EQ(0, moveTest.maximum);
    MoveTestUpdate update;
    MoveTestMouseMove(1918, 0, Ms(50001), &update);
    EXPECT_EQ(IDC_TOP_RIGHT_STATUS, update.cornerField) << "the new screen width is used";
    MoveTestMouseMove(1, 1, Ms(51001), &update);
    EXPECT_STREQ("1 (max: 1)", update.rateText);
}

} // namespace
