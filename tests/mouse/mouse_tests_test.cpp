#include <string>

#include <gtest/gtest.h>

#include "mouse/dialog_placement.h"
#include "mouse/drift_test.h"
#include "mouse/move_counter.h"
#include "resources/mouse_dialog_ids.h"

namespace {

// Times are milliseconds after the opening, read from a counter of 10 MHz.
const int W = 1280, H = 1024;
MoveTestUpdate MoveAt(int64_t ms, int x = 600, int y = 500) {
    MoveTestUpdate u;
    MoveTestMouseMove(x, y, 5000000000 + ms * 10000, &u);
    return u;
}

// The status field a pointer position sets to "Ok", and the position shown.
TEST(MoveTest, CornersAndPosition) {
    OpenMoveTest(0, 0, W, H, 10000000, 5000000000, 96);
    const int TL = IDC_TOP_LEFT_STATUS, TR = IDC_TOP_RIGHT_STATUS;
    const int BL = IDC_BOTTOM_LEFT_STATUS, BR = IDC_BOTTOM_RIGHT_STATUS;
    const int cases[][3] = {
        {0, 0, TL},         {2, 2, TL},         {3, 0, 0},         {0, 3, 0},
        {W - 2, 0, TR},     {W - 1, 2, TR},     {W - 3, 0, 0},     {W - 1, 3, 0},
        {1, H - 1, BL},     {0, H - 2, BL},     {2, H - 1, 0},     {0, H - 3, 0},
        {W - 2, H - 2, BR}, {W - 1, H - 1, BR}, {W - 3, H - 1, 0}, {W - 1, H - 3, 0},
        {W / 2, H / 2, 0},
    };
    for (const auto& c : cases) {
        MoveTestUpdate u = MoveAt(1, c[0], c[1]);
        EXPECT_EQ(c[2], u.cornerField) << c[0] << "," << c[1];
        EXPECT_EQ(std::to_string(c[0]) + "," + std::to_string(c[1]), u.positionText);
    }
    // At 200 % the zones are twice as wide: 4 pixels, 3 for the bottom-left x.
    OpenMoveTest(0, 0, W, H, 10000000, 5000000000, 192);
    const int wide[][3] = {
        {4, 4, TL}, {5, 0, 0}, {3, H - 4, BL}, {4, H - 1, 0}, {W - 4, H - 4, BR}};
    for (const auto& c : wide) {
        EXPECT_EQ(c[2], MoveAt(1, c[0], c[1]).cornerField) << c[0] << "," << c[1];
    }
    // A monitor left of and above the main one: the virtual screen from -1920,-200.
    OpenMoveTest(-1920, -200, 1920 + W, H + 200, 10000000, 5000000000, 96);
    const int beside[][3] = {{-1920, -200, TL}, {-1917, -200, 0},   {0, 0, 0},
                             {W - 1, -198, TR}, {-1919, H - 1, BL}, {W - 2, H - 2, BR},
                             {W - 1, H - 3, 0}};
    for (const auto& c : beside) {
        EXPECT_EQ(c[2], MoveAt(1, c[0], c[1]).cornerField) << c[0] << "," << c[1];
    }
}

// Counting windows of a second: the first message after one closes it and shows its
// count, uncounted itself; the maximum stays; a resting mouse shows 0 after 1.2 s.
TEST(MoveTest, MessageRate) {
    OpenMoveTest(0, 0, W, H, 10000000, 5000000000, 96);
    const struct {
        char event; // 'M' a mouse move, 'T' a timer tick
        int64_t ms;
        const char* shown; // the rate text shown then, "" none
    } events[] = {{'M', 999, ""},
                  {'M', 1000, "1 (max: 1)"},
                  {'M', 1998, ""},
                  {'M', 1999, ""},
                  {'M', 2000, "2 (max: 2)"},
                  {'M', 2999, ""},
                  {'M', 3000, "1 (max: 2)"},
                  {'T', 4199, ""},
                  {'T', 4200, "0 (max: 2)"},
                  {'M', 5199, ""},
                  {'T', 5399, ""}};
    for (const auto& e : events) {
        char rate[32] = "";
        const int64_t now = 5000000000 + e.ms * 10000;
        const bool ticked = e.event == 'T' && MoveTestTimerTick(now, rate, sizeof rate) != 0;
        EXPECT_EQ(e.shown, std::string(e.event == 'M' ? MoveAt(e.ms).rateText
                                       : ticked       ? rate
                                                      : ""))
            << e.event << e.ms;
    }
    OpenMoveTest(0, 0, 1920, 1080, 10000000, 5000000000 + 50000 * 10000, 96);
    MoveAt(50999);
    EXPECT_STREQ("1 (max: 1)", MoveAt(51000).rateText) << "opening resets the counts";
    EXPECT_EQ(IDC_TOP_RIGHT_STATUS, MoveAt(51001, 1918, 0).cornerField) << "and the screen";
}

TEST(MouseTests, CounterMillisecondsAndControlPlacement) {
    EXPECT_EQ(1, CounterMilliseconds(100, 100 + 3579, 3579545)) << "3579 ticks per ms";
    EXPECT_EQ(250, CounterMilliseconds(0, 250, 600)) << "under 1000 ticks per second";
    // The virtual screen's corner, the main monitor's size, dpi; dx, dy.
    const int cases[][7] = {{0, 0, 1280, 1024, 96, 440, 362},
                            {0, 0, 1366, 767, 96, 483, 233},
                            {0, 0, 300, 200, 96, -50, -50},
                            {0, 0, 2560, 1440, 144, 980, 495},
                            {-1920, -200, 1280, 1024, 96, 2360, 562}}; // a monitor left, above
    for (const auto& c : cases) {
        ControlOffset offset = MouseDialogControlOffset(c[0], c[1], c[2], c[3], c[4]);
        EXPECT_EQ(std::to_string(c[5]) + "," + std::to_string(c[6]),
                  std::to_string(offset.dx) + "," + std::to_string(offset.dy))
            << c[0] << "," << c[1] << " " << c[2] << "x" << c[3];
    }
}

// One event of the drift dialog ('S' Start or 'T' a timer tick at ms, 'M' a mouse move
// to (ms, y)) and what the dialog does then: "status|coordinates|buttons stop start
// pause", with buttons -1 left as they are, 0 disabled, 1 enabled.
std::string Drift(char event, int ms, int y = 0) {
    DriftUpdate u;
    const int64_t now = 1000000 + ms * int64_t{3579}; // a counter of 3579545 Hz
    if (event == 'S') {
        StartDriftTest(now, &u);
    } else if (event == 'T') {
        DriftTimerTick(now, &u);
    } else {
        DriftMouseMove(ms, y, &u);
    }
    char text[256];
    std::snprintf(text, sizeof text, "%s|%s|%d %d %d %d", u.statusShown ? u.status : "",
                  u.coordinatesShown ? u.coordinates : "", u.buttons, u.stopTimer, u.startTimer,
                  u.pauseMs);
    return text;
}

// Seconds end only at a tick a full second after the last one; movement in the
// countdown moves the start, one movement in the watch fails, later ones are ignored.
TEST(DriftTest, CountdownWatchAndFailure) {
    OpenDriftTest(3579545);
    const struct {
        char event;
        int ms, y;
        const char* shown;
    } steps[] = {
        {'M', 300, 400, "|Start Co-ordinates: 300,400|-1 0 0 0"},
        {'T', 100, 0, "||-1 1 0 0"}, // a tick while idle stops the timer
        {'S', 0, 0, "Test begins in: 5 seconds||0 0 1 0"},
        {'T', 999, 0, "Test begins in: 5 seconds||-1 0 0 0"},
        {'T', 1150, 0, "Test begins in: 4 seconds||-1 0 0 0"},
        {'T', 2149, 0, "Test begins in: 4 seconds||-1 0 0 0"},
        {'T', 2150, 0, "Test begins in: 3 seconds||-1 0 0 0"},
        {'M', -20, 700, "|Start Co-ordinates: -20,700|-1 0 0 0"},
        {'T', 3150, 0, "Test begins in: 2 seconds||-1 0 0 0"},
        {'T', 4150, 0, "Test begins in: 1 seconds||-1 0 0 0"},
        {'T', 5150, 0, "Test ends in: 10 seconds||-1 0 0 0"},
        {'T', 6150, 0, "Test ends in: 9 seconds||-1 0 0 0"},
        {'M', 5, 6,
         "Failed! Mouse movement detected|Start Co-ordinates: -20,700\n"
         "Current Co-ordinates: 5,6|1 1 0 500"},
        {'M', 9, 9, "||-1 0 0 0"},
        {'T', 6350, 0, "||-1 1 0 0"},
        {'S', 7000, 0, "Test begins in: 5 seconds||0 0 1 0"},
        {'M', 1, 2, "|Start Co-ordinates: 1,2|-1 0 0 0"},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(s.shown, Drift(s.event, s.ms, s.y)) << s.event << s.ms;
    }
}

// Left alone: "Test passed" 15 s after Start. After a pass movement sets the start
// again; the start survives a new opening of the dialog.
TEST(DriftTest, PassAndReopening) {
    OpenDriftTest(3579545);
    Drift('S', 0);
    for (int s = 1; s <= 15; ++s) {
        const char* phase = s < 5 ? "Test begins in: " : s < 15 ? "Test ends in: " : "";
        const std::string left = s < 15 ? std::to_string(s < 5 ? 5 - s : 15 - s) + " seconds" : "";
        EXPECT_EQ(phase + left + (s < 15 ? "||-1 0 0 0" : "Test passed||1 1 0 0"),
                  Drift('T', s * 1000));
    }
    EXPECT_EQ("||-1 1 0 0", Drift('T', 16000)) << "idle again";
    EXPECT_EQ("|Start Co-ordinates: 33,44|-1 0 0 0", Drift('M', 33, 44));
    OpenDriftTest(3579545);
    Drift('S', 20000);
    for (int ms = 21000; ms <= 25000; ms += 1000) {
        Drift('T', ms);
    }
    EXPECT_EQ("Failed! Mouse movement detected|Start Co-ordinates: 33,44\n"
              "Current Co-ordinates: 0,0|1 1 0 500",
              Drift('M', 0, 0));
}

} // namespace
