#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "layout/layout_catalogue.h"

namespace {

TEST(MainLayoutTest, PictureFillsTheSpaceBetweenLegendAndButtonRow) {
    MainLayout l = ComputeMainLayout(700, 500, 68, 23, 150, true);
    EXPECT_EQ(10, l.pictureX);
    EXPECT_EQ(160, l.pictureY);
    EXPECT_EQ(680, l.pictureWidth);
    EXPECT_EQ(500 - 160 - 23 - 10, l.pictureHeight);
    EXPECT_EQ(l.pictureY + l.pictureHeight + 5, l.buttonY);
    EXPECT_EQ(500 - 5, l.buttonY + 23); // 5 pixels under the row
}

TEST(MainLayoutTest, RowOrderWithAndWithoutFailTest) {
    const int batch[] = {1090, 1089, 1023, 1005, 1007, 1016, 1000, 1003};
    const int interactive[] = {1090, 1089, 1023, 1005, 1016, 1000, 1003};
    MainLayout b = ComputeMainLayout(900, 600, 68, 23, 150, true);
    ASSERT_EQ(8, b.buttonCount);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(batch[k], b.buttonIds[k]);
        EXPECT_EQ(b.buttonX[0] + k * 88, b.buttonX[k]);
    }
    MainLayout i = ComputeMainLayout(900, 600, 68, 23, 150, false);
    ASSERT_EQ(7, i.buttonCount);
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(interactive[k], i.buttonIds[k]);
    }
}

TEST(MainLayoutTest, RowIsCentredAndMayStartLeftOfTheWindow) {
    struct {
        int width;
        bool batch;
        int x0;
    } cases[] = {
        {700, true, 8},     // (700 - 8*88 + 20) / 2
        {700, false, 52},   // (700 - 7*88 + 20) / 2
        {701, false, 52},   // 105 / 2 truncated
        {300, true, -192},  // narrower than the row: no clamping
        {301, false, -147}, // -295 / 2 truncates toward zero, not down to -148
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(c.x0, ComputeMainLayout(c.width, 400, 68, 23, 150, c.batch).buttonX[0]);
    }
    for (int width = 100; width < 1400; width += 37) {
        MainLayout l = ComputeMainLayout(width, 400, 68, 23, 150, false);
        int left = l.buttonX[0];
        int right = width - (l.buttonX[l.buttonCount - 1] + 68);
        EXPECT_LE(std::abs(left - right), 1) << width;
    }
}

TEST(MainLayoutTest, PictureScaleFollowsTheControlWidth) {
    EXPECT_FLOAT_EQ(1.0f, PictureScaleFor(700));
    EXPECT_FLOAT_EQ(0.5f, PictureScaleFor(350));
    EXPECT_FLOAT_EQ(0.0f, PictureScaleFor(0));
}

TEST(MainLayoutTest, LayoutIsChosenByExactName) {
    char us[] = "US104", uk[] = "UK105", de[] = "DE105";
    KeyboardLayout a = {us, nullptr}, b = {uk, nullptr}, c = {de, nullptr};
    LayoutCatalogue layouts = {};
    layouts.slots[0] = &a;
    layouts.slots[1] = &b;
    layouts.slots[2] = &c;
    layouts.count = 3;
    EXPECT_EQ(1, LayoutIndexByName(layouts, "UK105"));
    EXPECT_EQ(2, LayoutIndexByName(layouts, "DE105"));
    EXPECT_EQ(0, LayoutIndexByName(layouts, "uk105"));
    EXPECT_EQ(0, LayoutIndexByName(layouts, "UK10"));
    EXPECT_EQ(0, LayoutIndexByName(layouts, ""));
}

TEST(MainLayoutTest, HelpPageLiesBelowTheProgramFolder) {
    char path[400];
    ASSERT_EQ(1, HelpPagePath(path, sizeof path, "C:\\Tools\\Clavoro\\Clavoro.exe", "index.html"));
    EXPECT_STREQ("C:\\Tools\\Clavoro\\help\\html\\index.html", path);
    char small[16];
    EXPECT_EQ(0, HelpPagePath(small, sizeof small, "C:\\Tools\\Clavoro.exe", "index.html"));
    char folder[] = "C:\\a\\b.exe";
    CutAtLastBackslash(folder);
    EXPECT_STREQ("C:\\a", folder);
    char bare[] = "Clavoro.exe";
    CutAtLastBackslash(bare);
    EXPECT_STREQ("Clavoro.exe", bare);
}

} // namespace
