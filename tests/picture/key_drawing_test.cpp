#include <climits>

#include <gtest/gtest.h>

#include "engine/key_drawing.h"
#include "layout/key_table.h"

namespace {

struct ColourCase {
    int32_t status;
    int32_t highlight;
    int drawn;
    uint32_t colour;
};

TEST(KeyColour, EveryStatusAndHighlight) {
    const ColourCase cases[] = {
        {BeingPressed, 0, 1, 0x0000FF},
        {BeingPressed, 1, 1, 0xFFCC99},
        {BeingPressed, 2, 1, 0xEED2EE},
        {BeingPressed, 3, 1, 0xFFFFFF},
        {BeingPressed, 4, 1, 0x0000FF},
        {BeingPressed, -1, 1, 0x0000FF},
        {TestedOk, 0, 1, 0x00FF00},
        {TestedOk, 3, 1, 0x00FF00}, // the highlight matters only while the key is held
        {NotTestable, 0, 1, 0x35BFFF},
        {NotTestablePressed, 0, 1, 0x35BFFF},
        {NotTestableReleased, 0, 1, 0x35BFFF},
        {KeyFailure, 0, 1, 0xFF0000},
        {OverPressed, 0, 1, 0x770077},
        {UnderPressed, 0, 1, 0x007700},
        {Untested, 0, 0, 0},
        {FailArmed, 0, 0, 0},
        {FailDisarmed, 0, 0, 0},
        {NotTestableFail, 0, 0, 0},
        {12, 0, 0, 0},
        {-1, 0, 0, 0},
    };
    for (const ColourCase& c : cases) {
        uint32_t colour = 0xDEADBEEF;
        EXPECT_EQ(c.drawn, KeyColour(c.status, c.highlight, &colour))
            << "status " << c.status << " highlight " << c.highlight;
        if (c.drawn) {
            EXPECT_EQ(c.colour, colour) << "status " << c.status << " highlight " << c.highlight;
        }
    }
}

struct ScaleCase {
    int32_t left, top, width, height;
    float scale;
    KeyCorners expected;
};

TEST(ScaleKeyRect, CornersAreTruncatedProductsOfTheSums) {
    const ScaleCase cases[] = {
        {10, 20, 30, 40, 1.5f, {15, 30, 60, 90}},
        {10, 20, 30, 40, 1.0f, {10, 20, 40, 60}},
        // 667 / 700 as the layout pass computes it: 33 * s = 31.44 -> 31, 66 * s -> 62
        {33, 0, 33, 10, 667.0f / 700.0f, {31, 0, 62, 9}},
        // The right edge is scaled from the sum, not as x0 plus a scaled width.
        {1, 1, 1, 1, 1.5f, {1, 1, 3, 3}},
        // Truncation goes toward zero for negative coordinates.
        {-3, -1, 2, 2, 0.5f, {-1, 0, 0, 0}},
        {0, 0, 0, 0, 2.0f, {0, 0, 0, 0}},
    };
    for (const ScaleCase& c : cases) {
        const KeyCorners k = ScaleKeyRect(c.left, c.top, c.width, c.height, c.scale);
        EXPECT_EQ(c.expected.x0, k.x0) << c.left << "," << c.top << " at " << c.scale;
        EXPECT_EQ(c.expected.y0, k.y0) << c.left << "," << c.top << " at " << c.scale;
        EXPECT_EQ(c.expected.x1, k.x1) << c.left << "," << c.top << " at " << c.scale;
        EXPECT_EQ(c.expected.y1, k.y1) << c.left << "," << c.top << " at " << c.scale;
    }
}

TEST(ScaleKeyRect, SingleFloatPrecisionIsKept) {
    // 16777217 is not a float: it becomes 16777216 before the multiplication.
    const KeyCorners k = ScaleKeyRect(16777217, 0, 0, 0, 1.0f);
    EXPECT_EQ(16777216, k.x0);
}

TEST(ScaleKeyRect, HugeRectanglesNeitherOverflowNorWrap) {
    const KeyCorners k = ScaleKeyRect(INT_MAX, INT_MAX, INT_MAX, INT_MAX, 2.0f);
    EXPECT_EQ(INT_MAX, k.x0);
    EXPECT_EQ(INT_MAX, k.y1);
    const KeyCorners n = ScaleKeyRect(INT_MIN, 0, INT_MIN, 0, 1.0f);
    EXPECT_EQ(INT_MIN, n.x0);
    EXPECT_EQ(INT_MIN, n.x1);
}

} // namespace
