#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mouse/drift_test.h"

namespace {

const int64_t kFrequency = 3579545; // an odd counter: 3579 ticks per millisecond
int64_t Ms(int64_t ms) {
    return 1000000 + ms * (kFrequency / 1000);
}

class DriftTestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        driftTest = DriftTestState();
        OpenDriftTest(kFrequency);
    }

    DriftUpdate Start(int64_t atMs) {
        DriftUpdate update;
        StartDriftTest(Ms(atMs), &update);
        return update;
    }
    DriftUpdate Tick(int64_t atMs) {
        DriftUpdate update;
        DriftTimerTick(Ms(atMs), &update);
        return update;
    }
    DriftUpdate MoveTo(int x, int y) {
        DriftUpdate update;
        DriftMouseMove(x, y, &update);
        return update;
    }
    // Ticks every 200 ms from fromMs up to and including toMs; the status lines shown.
    std::vector<std::string> RunTicks(int64_t fromMs, int64_t toMs) {
        std::vector<std::string> shown;
        for (int64_t t = fromMs; t <= toMs; t += 200) {
            DriftUpdate update = Tick(t);
            if (update.statusShown && (shown.empty() || shown.back() != update.status))
                shown.push_back(update.status);
        }
        return shown;
    }
};

TEST_F(DriftTestTest, FullRunWithoutMovement) {
    DriftUpdate start = Start(0);
    EXPECT_EQ(kDriftTimerId, start.startTimer);
    EXPECT_EQ(0, start.buttons) << "Close and Start disabled";
    EXPECT_STREQ("Test begins in: 5 seconds", start.status);

    std::vector<std::string> expected;
    for (int s = 5; s >= 1; s--)
        expected.push_back("Test begins in: " + std::to_string(s) + " seconds");
    for (int s = 10; s >= 1; s--)
        expected.push_back("Test ends in: " + std::to_string(s) + " seconds");
    EXPECT_EQ(expected, RunTicks(200, 14800));
    EXPECT_TRUE(driftTest.running);

    DriftUpdate last = Tick(15000);
    EXPECT_STREQ("Test passed", last.status);
    EXPECT_EQ(1, last.stopTimer);
    EXPECT_EQ(1, last.buttons);
    EXPECT_FALSE(driftTest.running);
    EXPECT_FALSE(driftTest.watching);
}

TEST_F(DriftTestTest, ASecondEndsOnlyAtATickAfterAFullSecond) {
    Start(0);
    EXPECT_STREQ("Test begins in: 5 seconds", Tick(999).status);
    // A late tick counts one second only and the next second starts at that tick.
    EXPECT_STREQ("Test begins in: 4 seconds", Tick(1150).status);
    EXPECT_STREQ("Test begins in: 4 seconds", Tick(2149).status);
    EXPECT_STREQ("Test begins in: 3 seconds", Tick(2150).status);
}

TEST_F(DriftTestTest, MovementDuringCountdownOnlyMovesTheStart) {
    Start(0);
    Tick(1000);
    DriftUpdate update = MoveTo(-20, 700);
    EXPECT_STREQ("Start Co-ordinates: -20,700", update.coordinates);
    EXPECT_EQ(0, update.statusShown);
    EXPECT_EQ(0, update.stopTimer);
    EXPECT_TRUE(driftTest.running);
}

TEST_F(DriftTestTest, OneMovementDuringTheWatchFails) {
    MoveTo(300, 400);
    Start(0);
    RunTicks(200, 5000); // into the watch
    ASSERT_TRUE(driftTest.watching);
    DriftUpdate failed = MoveTo(301, 400);
    EXPECT_EQ(1, failed.stopTimer);
    EXPECT_EQ(500, failed.pauseMs);
    EXPECT_STREQ("Failed! Mouse movement detected", failed.status);
    EXPECT_STREQ("Start Co-ordinates: 300,400\nCurrent Co-ordinates: 301,400", failed.coordinates);
    EXPECT_EQ(1, failed.buttons);
    EXPECT_FALSE(driftTest.running);

    // Further movement is ignored until the next start, and so is a stray tick.
    DriftUpdate later = MoveTo(900, 900);
    EXPECT_EQ(0, later.coordinatesShown);
    EXPECT_EQ(300, driftTest.startX);
    DriftUpdate stray = Tick(5200);
    EXPECT_EQ(1, stray.stopTimer);
    EXPECT_EQ(0, stray.statusShown);

    Start(6000);
    EXPECT_STREQ("Start Co-ordinates: 5,6", MoveTo(5, 6).coordinates);
}

TEST_F(DriftTestTest, StartPositionSurvivesReopening) {
    MoveTo(11, 22);
    Start(0);
    RunTicks(200, 15000);
    EXPECT_STREQ("Start Co-ordinates: 33,44", MoveTo(33, 44).coordinates)
        << "after a pass movement updates the start again";

    OpenDriftTest(kFrequency);
    EXPECT_EQ(0, driftTest.timerId);
    Start(20000);
    RunTicks(20200, 25000);
    EXPECT_STREQ("Start Co-ordinates: 33,44\nCurrent Co-ordinates: 0,0", MoveTo(0, 0).coordinates);
}

} // namespace
