#include <gtest/gtest.h>

#include "mouse/corner_check.h"
#include "mouse/dialog_placement.h"

namespace {

const int W = 1280;
const int H = 1024;

TEST(CornerCheck, BoundsOfEachCorner) {
    struct Case {
        int x, y, corner;
    } cases[] = {
        {0, 0, TopLeftCorner},
        {2, 2, TopLeftCorner},
        {3, 0, NoCorner},
        {0, 3, NoCorner},
        {W - 2, 0, TopRightCorner},
        {W - 1, 2, TopRightCorner},
        {W - 3, 0, NoCorner},
        {W - 1, 3, NoCorner},
        {1, H - 1, BottomLeftCorner},
        {0, H - 2, BottomLeftCorner},
        {2, H - 1, NoCorner},
        {0, H - 3, NoCorner},
        {W - 2, H - 2, BottomRightCorner},
        {W - 1, H - 1, BottomRightCorner},
        {W - 3, H - 1, NoCorner},
        {W / 2, H / 2, NoCorner},
        // Frame messages of a second monitor left of the first carry negative x.
        {-500, 0, TopLeftCorner},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.corner, FindScreenCorner(c.x, c.y, W, H)) << c.x << "," << c.y;
}

TEST(CornerCheck, FirstMatchWinsOnATinyScreen) {
    // On a 3 x 3 screen every point is in several corners at once.
    EXPECT_EQ(TopLeftCorner, FindScreenCorner(1, 1, 3, 3));
    EXPECT_EQ(TopRightCorner, FindScreenCorner(3, 1, 4, 3));
    EXPECT_EQ(BottomLeftCorner, FindScreenCorner(0, 3, 3, 4));
}

TEST(DialogPlacement, BlockCentredOnTheFirstMonitor) {
    struct Case {
        int width, height, monitors, dx, dy;
    } cases[] = {
        {1280, 1024, 1, 440, 362}, {1920, 1080, 1, 760, 390},
        {3840, 1080, 2, 760, 390}, // two monitors side by side
        {1366, 767, 1, 483, 233},  // odd sizes round down
        {300, 200, 1, -50, -50},   // a screen smaller than the block
        {1280, 1024, 0, 440, 362}, // no monitor reported: taken as one
    };
    for (const Case& c : cases) {
        ControlOffset offset = MouseDialogControlOffset(c.width, c.height, c.monitors);
        EXPECT_EQ(c.dx, offset.dx) << c.width << "x" << c.height << "/" << c.monitors;
        EXPECT_EQ(c.dy, offset.dy) << c.width << "x" << c.height << "/" << c.monitors;
    }
}

} // namespace
