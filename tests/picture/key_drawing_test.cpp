#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "engine/key_drawing.h"
#include "layout/key_table.h"

namespace {

TEST(KeyColour, EveryStatusAndHighlight) {
    const struct {
        int32_t status, highlight;
        uint32_t colour;
    } drawn[] = {
        {BeingPressed, 0, 0x0000FF},
        {BeingPressed, 1, 0xFFCC99},
        {BeingPressed, 2, 0xEED2EE},
        {BeingPressed, 3, 0xFFFFFF},
        {BeingPressed, 4, 0x0000FF},
        {BeingPressed, -1, 0x0000FF},
        {TestedOk, 0, 0x00FF00},
        {TestedOk, 3, 0x00FF00}, // highlight only while held
        {NotTestable, 0, 0x35BFFF},
        {NotTestablePressed, 0, 0x35BFFF},
        {NotTestableReleased, 0, 0x35BFFF},
        {KeyFailure, 0, 0xFF0000},
        {OverPressed, 0, 0x770077},
        {UnderPressed, 0, 0x007700},
    };
    for (const auto& c : drawn) {
        uint32_t colour = 0xDEADBEEF;
        EXPECT_EQ(1, KeyColour(c.status, c.highlight, &colour)) << c.status << "/" << c.highlight;
        EXPECT_EQ(c.colour, colour) << "status " << c.status << " highlight " << c.highlight;
    }
    const int32_t plain[] = {Untested, FailArmed, FailDisarmed, NotTestableFail, 12, -1};
    for (int32_t status : plain) {
        uint32_t colour = 0;
        EXPECT_EQ(0, KeyColour(status, 0, &colour)) << "status " << status << " is not hatched";
    }
}

TEST(ScaleKeyRect, CornersAreTruncatedProductsOfTheSums) {
    const struct {
        int32_t left, top, width, height;
        float scale;
        const char* corners;
    } cases[] = {
        {10, 20, 30, 40, 1.5f, "15,30 60,90"},
        // 667 / 700 as the layout pass computes it: 33 * s = 31.44 -> 31, 66 * s -> 62
        {33, 0, 33, 10, 667.0f / 700.0f, "31,0 62,9"},
        // The right edge is scaled from the sum, not as x0 plus a scaled width.
        {1, 1, 1, 1, 1.5f, "1,1 3,3"},
        {-3, -1, 2, 2, 0.5f, "-1,0 0,0"}, // truncation toward zero
        // 16777217 is no float: single precision is kept, as the drawing code has it.
        {16777217, 0, 0, 0, 1.0f, "16777216,0 16777216,0"},
        // Huge rectangles neither overflow nor wrap.
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 2.0f, "2147483647,2147483647 2147483647,2147483647"},
        {INT_MIN, 0, INT_MIN, 0, 1.0f, "-2147483648,0 -2147483648,0"},
    };
    for (const auto& c : cases) {
        const KeyCorners k = ScaleKeyRect(c.left, c.top, c.width, c.height, c.scale);
        EXPECT_EQ(c.corners, std::to_string(k.x0) + "," + std::to_string(k.y0) + " " +
                                 std::to_string(k.x1) + "," + std::to_string(k.y1))
            << c.left << "," << c.top << " at " << c.scale;
    }
}

} // namespace
