#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/kbdraw/keyboard_picture.h"
#include "tools/kbdraw/pixel_font.h"

namespace {

TEST(PixelFont, WidthsAreProportionalWithOneGap) {
    const struct {
        const char* text;
        int n, size, width;
    } cases[] = {
        {"A", 1, 1, 5},    {"AB", 2, 1, 11}, {"AB", 2, 2, 22},
        {".", 1, 1, 1},    {"AB", 1, 1, 5}, // only the first n characters
        {"", 5, 1, 0},                      //
        {"A\tB", 2, 1, 5},                  // characters without a glyph take no room
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.width, TextWidth(c.text, c.n, c.size)) << c.text << " " << c.n;
    }
    EXPECT_EQ(0, GlyphWidth('\x7f'));
    EXPECT_EQ(0, GlyphWidth('\xe9'));
    for (char c = 33; c < 127; ++c) {
        EXPECT_TRUE(GlyphWidth(c) > 0 && GlyphWidth(c) <= 5) << c;
    }
}

int CountColour(const Picture& p, uint32_t colour) {
    int n = 0;
    for (uint32_t c : p.pixels) {
        n += c == colour ? 1 : 0;
    }
    return n;
}

TEST(PixelFont, DrawsInkOnlyInsideTheGlyphBoxAndThePicture) {
    Picture p = MakePicture(20, 12, 0xFFFFFF);
    DrawText(&p, 2, 1, "-", 1, 1, 0);
    EXPECT_EQ(4, CountColour(p, 0));
    EXPECT_EQ(0u, p.pixels[4 * 20 + 2]) << "the dash starts at the left of the box";
    EXPECT_EQ(0u, p.pixels[4 * 20 + 5]);
    Picture q = MakePicture(20, 12, 0xFFFFFF);
    DrawText(&q, 0, 0, "-", 1, 2, 0);
    EXPECT_EQ(16, CountColour(q, 0)); // 4 x 1 pixels, each 2 x 2

    // Half off the picture: the visible part is drawn, nothing outside is touched.
    Picture r = MakePicture(3, 3, 0xFFFFFF);
    DrawText(&r, -2, -3, "WWWW", 4, 1, 0);
    EXPECT_GT(CountColour(r, 0), 0);
}

struct FitCase {
    const char* label;
    int width;
    int height;
    std::vector<std::string> lines;
};

TEST(FitLabel, WrapsAtBlanksAndCutsWhatCannotFit) {
    const FitCase cases[] = {
        {"Esc", 22, 22, {"Esc"}},
        {"Caps Lock", 24, 22, {"Caps", "Lock"}},
        {"Caps Lock", 60, 22, {"Caps Lock"}},
        {"Scr Lk", 22, 22, {"Scr", "Lk"}},
        {"Print Screen Key", 70, 8, {"Print Screen"}}, // one line of room: words left out
        {"a b c d e", 5, 30, {"a", "b", "c"}},         // at most three lines
        {"WWWWWWWW", 17, 9, {"WWW"}},                  // a word too wide is cut
        {"", 30, 30, {}},
        {"   ", 30, 30, {}},
        {"W", 3, 30, {}}, // not even one character fits
    };
    for (const FitCase& c : cases) {
        LabelLines lines;
        const int n = FitLabel(c.label, c.width, c.height, &lines);
        ASSERT_EQ(static_cast<int>(c.lines.size()), n) << c.label;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(c.lines[i], lines.text[i]) << c.label;
            EXPECT_LE(TextWidth(lines.text[i], 64, 1), c.width) << c.label;
        }
    }
}

TEST(FitLabel, LongLabelsStayInsideTheBuffers) {
    LabelLines lines;
    EXPECT_EQ(1, FitLabel(std::string(500, 'i').c_str(), 10000, 9, &lines));
    EXPECT_LT(std::strlen(lines.text[0]), sizeof lines.text[0]);
}

KeyRecord Key(int32_t code, const char* label, int left, int top, int width, int height) {
    KeyRecord k = {};
    k.keyCode = code;
    k.label = const_cast<char*>(label);
    k.left = left;
    k.top = top;
    k.width = width;
    k.height = height;
    return k;
}

uint32_t At(const Picture& p, int x, int y) {
    return p.pixels[y * p.width + x];
}

TEST(DrawLayoutPicture, KeysSitOnABodyAndMouseButtonsOnAMouse) {
    char empty[] = "";
    char label[] = "W";
    KeyRecord table[] = {
        Key(65, empty, 100, 100, 40, 30),
        Key(66, label, 150, 100, 40, 30),
        Key(kLeftMouseCode, empty, 300, 250, 30, 30),
        Key(kRightMouseCode, empty, 332, 250, 30, 30),
        Key(67, empty, 5000, 100, 40, 30), // outside the picture: left out
        Key(kEndCode, empty, 0, 0, 0, 0),
    };
    const Picture p = DrawLayoutPicture(table);
    ASSERT_EQ(kPictureWidth, p.width);
    ASSERT_EQ(kPictureHeight, p.height);
    const uint32_t desk = At(p, 5, 5);
    const uint32_t body = At(p, 145, 115); // between the two keys
    const uint32_t cap = At(p, 120, 115);  // centre of the unlabelled key
    EXPECT_NE(desk, body);
    EXPECT_NE(body, cap);
    EXPECT_EQ(desk, At(p, 100, 80)); // beyond the body's margin

    // The labelled key differs from the plain one only by its ink.
    int differences = 0;
    for (int y = 100; y < 130; ++y) {
        for (int x = 0; x < 40; ++x) {
            differences += At(p, 100 + x, y) != At(p, 150 + x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(differences, 5);
    EXPECT_LT(differences, 40);

    // The mouse body reaches below the buttons; the key outside the picture added no body.
    EXPECT_NE(desk, At(p, 330, 300));
    EXPECT_EQ(desk, At(p, 600, 115));
}

TEST(DrawLayoutPicture, AnEmptyTableIsJustTheDesk) {
    char empty[] = "";
    KeyRecord table[] = {Key(kEndCode, empty, 0, 0, 0, 0)};
    const Picture p = DrawLayoutPicture(table);
    EXPECT_EQ(kPictureWidth * kPictureHeight, CountColour(p, At(p, 0, 0)));
}

} // namespace
