// Pictures: the key hatch colours and rectangles, dialog centring, and the keyboard
// pictures that kbdraw draws for layout files.
#include <climits>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "base/centred_dialog.h"
#include "base/code_pages.h"
#include "engine/key_drawing.h"
#include "layout_tools/kbdraw/keyboard_picture.h"
#include "layout_tools/kbdraw/pixel_font.h"

namespace {

TEST(KeyColour, EveryStatusAndHighlight) {
    // Status, highlight, colour (0 when the key is not hatched).
    const uint32_t cases[][3] = {{BeingPressed, 0, 0x0000FF}, {BeingPressed, 1, 0xFFCC99},
                                 {BeingPressed, 3, 0xFFFFFF}, {BeingPressed, 4, 0x0000FF},
                                 {TestedOk, 3, 0x00FF00},     {NotTestableReleased, 0, 0x35BFFF},
                                 {KeyFailure, 0, 0xFF0000},   {OverPressed, 0, 0x770077},
                                 {UnderPressed, 0, 0x007700}, {Untested, 1, 0},
                                 {NotTestableFail, 0, 0},     {12, 0, 0}};
    for (const auto& c : cases) {
        uint32_t colour = 0;
        EXPECT_EQ(c[2] != 0,
                  KeyColour(static_cast<int32_t>(c[0]), static_cast<int32_t>(c[1]), &colour) == 1);
        EXPECT_EQ(c[2], colour) << "status " << c[0] << " highlight " << c[1];
    }
}

TEST(ScaleKeyRect, CornersAreTruncatedProductsOfTheSums) {
    const struct {
        int32_t left, top, width, height;
        float scale;
        const char* corners;
    } cases[] = {
        {10, 20, 30, 40, 1.5f, "15,30 60,90"},
        {1, 1, 1, 1, 1.5f, "1,1 3,3"},    // the sum is scaled, not the width
        {-3, -1, 2, 2, 0.5f, "-1,0 0,0"}, // truncated toward zero
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 2.0f, "2147483647,2147483647 2147483647,2147483647"},
        {INT_MIN, 0, INT_MIN, 0, 1.0f, "-2147483648,0 -2147483648,0"},
    };
    for (const auto& c : cases) {
        const KeyCorners k = ScaleKeyRect(c.left, c.top, c.width, c.height, c.scale);
        EXPECT_EQ(c.corners, std::to_string(k.x0) + "," + std::to_string(k.y0) + " " +
                                 std::to_string(k.x1) + "," + std::to_string(k.y1));
    }
}

TEST(CentredPosition, CentresAndKeepsTheDialogOnTheOwnersMonitor) {
    const int cases[][12] = {
        // dialog w, h; owner left, top, width, height; monitor's work area likewise; x, y
        {200, 100, 100, 100, 800, 600, 0, 0, 1280, 1024, 400, 350},
        {201, 101, 0, 0, 800, 600, 0, 0, 1280, 1024, 299, 249},
        {301, 100, 500, 100, 100, 600, 0, 0, 1280, 1024, 400, 350}, // (100 - 301) / 2 is -100
        {1400, 1100, 200, 100, 1280, 1024, 0, 0, 1280, 1024, 0, 0}, // larger: its caption shows
        // A monitor left of and above the main one, the owner on it, off its left and top edges,
        // off its right and bottom edges.
        {200, 100, -1700, -900, 800, 600, -1920, -1080, 1920, 1040, -1400, -650},
        {200, 100, -2300, -1400, 800, 600, -1920, -1080, 1920, 1040, -1920, -1080},
        {200, 100, -300, -200, 800, 600, -1920, -1080, 1920, 1040, -200, -140},
    };
    for (const auto& c : cases) {
        const DialogPlacement p =
            CentredPosition(c[0], c[1], {c[2], c[3], c[4], c[5]}, {c[6], c[7], c[8], c[9]});
        EXPECT_EQ(std::to_string(c[10]) + "," + std::to_string(c[11]),
                  std::to_string(p.x) + "," + std::to_string(p.y));
    }
}

int CountColour(const Picture& p, uint32_t colour) {
    int n = 0;
    for (uint32_t c : p.pixels) {
        n += c == colour ? 1 : 0;
    }
    return n;
}

TEST(PixelFont, WidthsAndInk) {
    const struct {
        const char* text;
        int n, scale, width;
    } cases[] = {
        {"A", 1, 1, 5}, {"AB", 2, 2, 22},   {".", 1, 1, 1}, {"AB", 1, 1, 5},
        {"", 5, 1, 0},  {"A\tB", 3, 1, 11}, // characters without a glyph take no room
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.width, TextWidth(c.text, c.n, c.scale)) << c.text << " " << c.n;
    }
    EXPECT_EQ(0, GlyphWidth('\x7f') + GlyphWidth('\x81') + GlyphWidth('\xc0') + GlyphWidth('\x1f'));
    EXPECT_EQ(8, GlyphWidth(' ') + GlyphWidth('~')) << "the first and the last glyph";

    Picture p = MakePicture(20, 12, 0xFFFFFF);
    DrawText(&p, 2, 1, "-\t-", 3, 1, 0);
    EXPECT_EQ(8, CountColour(p, 0));
    const uint32_t* row = &p.pixels[4 * 20]; // two dashes of four pixels, one pixel apart
    EXPECT_EQ("0 0 16777215 0 0", std::to_string(row[2]) + " " + std::to_string(row[5]) + " " +
                                      std::to_string(row[6]) + " " + std::to_string(row[7]) + " " +
                                      std::to_string(row[10]));
    Picture q = MakePicture(20, 12, 0xFFFFFF);
    DrawText(&q, 0, 0, "--", 1, 2, 0);
    EXPECT_EQ(16, CountColour(q, 0)); // one character of two: 4 x 1 pixels, each 2 x 2
    Picture r = MakePicture(3, 3, 0xFFFFFF);
    DrawText(&r, -2, -3, "WWWW", 4, 1, 0); // half off the picture: the rest is drawn
    EXPECT_GT(CountColour(r, 0), 0);
}

TEST(FitLabel, WrapsAtBlanksAndCutsWhatCannotFit) {
    const std::string cases[][4] = {
        // label, width, height, lines joined by "/"
        {"Esc", "22", "22", "Esc"},
        {"Caps Lock", "24", "22", "Caps/Lock"},
        {"Caps Lock", "60", "22", "Caps Lock"},
        {"Print Screen Key", "70", "8", "Print Screen"}, // one line of room
        {"a b c d e", "5", "30", "a/b/c"},               // three lines at most
        {"WWWWWWWW", "17", "9", "WWW"},                  // a word too wide is cut
        {"   ", "30", "30", ""},
        {"W", "3", "30", ""},
        {std::string(500, 'i'), "10000", "9", std::string(63, 'i')},
    };
    for (const auto& c : cases) {
        LabelLines lines;
        const int n = FitLabel(c[0].c_str(), std::stoi(c[1]), std::stoi(c[2]), &lines);
        std::string joined;
        for (int i = 0; i < n; ++i) {
            joined += (i > 0 ? "/" : "") + std::string(lines.text[i]);
        }
        EXPECT_EQ(c[3], joined) << c[0];
    }
}

TEST(PictureText, WesternLettersDrawnTheRestTransliterated) {
    const char* cases[][3] = {
        // label, its code page, the text drawn
        {"\xC4 \xDF \xE9 \xA7", "1252", "\xC4 \xDF \xE9 \xA7"}, // Ä ß é §: the font has them
        {"\xC0\xBD\x80", "1252", "A1/2EUR"},                    // À ½ €: it has not
        {"1 \x82\xCA", "932", "1 nu"},                          // 1 ぬ
        {"\x96\xB3\x95\xCF\x8A\xB7 \x81\x8F \xB1", "932", "Muhen Yen ?"}, // 無変換 ￥, half-width ｱ
        {"\x83\x80\x82", "932", "mu?"}, // ム (after the gap at 0x837F), a lead byte alone
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PictureText(c[0], std::string(c[1]) == "932" ? kShiftJis : kWestern), c[2])
            << c[0];
    }
}

KeyRecord Key(int32_t code, const char* label, int left, int top, int width, int height) {
    KeyRecord k = {};
    k.keyCode = code, k.label = const_cast<char*>(label), k.left = left, k.top = top;
    k.width = width, k.height = height;
    return k;
}

TEST(DrawLayoutPicture, KeysSitOnABodyAndMouseButtonsOnAMouse) {
    KeyRecord table[] = {
        Key(65, "", 100, 100, 40, 30),
        Key(66, "W", 150, 100, 40, 30),
        Key(kLeftMouseCode, "", 300, 250, 30, 30),
        Key(kRightMouseCode, "", 332, 250, 30, 30),
        Key(kModifiedCode, "", 200, 100, 40, 30),
        Key(71, "", 500, 100, 4, 30), // too narrow for round corners
        // Left out: at the right or bottom edge of the picture, no width or no height.
        Key(67, "", 700, 100, 40, 30),
        Key(68, "", 100, 340, 40, 30),
        Key(69, "", 600, 100, 0, 30),
        Key(70, "", 100, 200, 40, 0),
        Key(kEndCode, "", 0, 0, 0, 0),
    };
    const Picture p = DrawLayoutPicture(table, kWestern);
    ASSERT_EQ(kPictureWidth * kPictureHeight, static_cast<int>(p.pixels.size()));
    const auto at = [&](int x, int y) { return p.pixels[y * p.width + x]; };
    const uint32_t desk = at(5, 5), body = at(145, 115), cap = at(120, 115);
    EXPECT_TRUE(desk != body && body != cap && at(220, 115) != cap); // a combination's cap
    EXPECT_EQ(0x909192u, at(100, 115)) << "the skirt at the edge: 62% of the cap's E9EAEC";
    EXPECT_EQ(0x909192u, at(500, 100)) << "a narrow key's corner";
    EXPECT_EQ(desk, at(100, 80)); // beyond the body's margin
    EXPECT_EQ(desk, at(600, 115));
    EXPECT_EQ(desk, at(120, 200));
    const uint32_t mouse = at(330, 300); // the mouse reaches below its buttons
    EXPECT_TRUE(mouse != desk && mouse != body);
    int differences = 0; // the labelled key differs by its ink only
    for (int y = 100; y < 130; ++y) {
        for (int x = 0; x < 40; ++x) {
            differences += at(100 + x, y) != at(150 + x, y) ? 1 : 0;
        }
    }
    EXPECT_TRUE(differences > 5 && differences < 40) << differences;
    EXPECT_EQ(kPictureWidth * kPictureHeight,
              CountColour(DrawLayoutPicture(table + 10, kWestern), desk));

    // Twice the size: the same picture, a pixel of it in each 2 x 2 square but where a
    // label's centring rounds the other way.
    const Picture twice = DrawLayoutPicture(table, kWestern, 2);
    ASSERT_EQ(4 * p.pixels.size(), twice.pixels.size());
    int same = 0;
    for (int y = 0; y < twice.height; ++y) {
        for (int x = 0; x < twice.width; ++x) {
            same += twice.pixels[y * twice.width + x] == at(x / 2, y / 2) ? 1 : 0;
        }
    }
    EXPECT_GT(same, static_cast<int>(twice.pixels.size()) - 100);
}

} // namespace
