#include <gtest/gtest.h>

#include "app/about_box.h"

namespace {

struct PlacementCase {
    const char* what;
    int w, h;
    int ownerLeft, ownerTop, ownerWidth, ownerHeight;
    int screenWidth, screenHeight;
    DialogPlacement expected;
};

TEST(CentredPosition, CentresAndKeepsTheDialogOnScreen) {
    const PlacementCase cases[] = {
        {"centred", 200, 100, 100, 100, 800, 600, 1280, 1024, {400, 350}},
        {"odd difference truncates", 201, 101, 0, 0, 800, 600, 1280, 1024, {299, 249}},
        {"owner half off the left", 200, 100, -400, 100, 800, 600, 1280, 1024, {0, 350}},
        {"owner above the top", 200, 100, 100, -600, 800, 600, 1280, 1024, {400, 0}},
        {"near the right edge", 200, 100, 1000, 100, 800, 600, 1280, 1024, {1080, 350}},
        {"near the bottom edge", 200, 100, 100, 900, 800, 600, 1280, 1024, {400, 924}},
        // Negative differences truncate toward zero: (100 - 301) / 2 is -100, not -101.
        {"dialog wider than owner", 301, 100, 500, 100, 100, 600, 1280, 1024, {400, 350}},
        // Only one correction: wider than the screen ends left of it.
        {"larger than the screen", 1400, 1100, 200, 100, 1280, 1024, 1280, 1024, {-120, -76}},
        {"larger and owner off the left", 1400, 100, -500, 0, 800, 600, 1280, 1024, {0, 250}},
    };
    for (const PlacementCase& c : cases) {
        const DialogPlacement p = CentredPosition(c.w, c.h, c.ownerLeft, c.ownerTop, c.ownerWidth,
                                                  c.ownerHeight, c.screenWidth, c.screenHeight);
        EXPECT_EQ(c.expected.x, p.x) << c.what;
        EXPECT_EQ(c.expected.y, p.y) << c.what;
    }
}

} // namespace
