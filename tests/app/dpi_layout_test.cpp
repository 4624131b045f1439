#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dpi_layout.h"
#include "app/main_layout.h"
#include "resources/main_window_ids.h"

namespace {

// The main window's rows below the settings strip, as in resources/main_window.rc, with
// one row of the strip; chars: the length of the control's text.
struct Row {
    int id, kind, x, y, width, height;
    bool visible;
    int chars;
};
const Row kRows[] = {
    {-1, kFrameKind, 7, 7, 443, 63, true, 8},
    {-1, kTextKind, 226, 15, 54, 10, true, 13}, // "Last key down" and its field
    {IDC_LAST_KEY_DOWN, kTextKind, 281, 14, 38, 11, true, 3},
    {IDC_RECENT_KEYS, kTextKind, 7, 73, 470, 11, true, 7},
    {-1, kImageKind, 12, 90, 8, 8, true, 0},
    {IDC_LEGEND_TESTED_OK, kTextKind, 19, 88, 60, 9, true, 13},
    {-1, kImageKind, 88, 90, 8, 8, true, 0},
    {-1, kTextKind, 95, 88, 80, 9, true, 20},
    {-1, kImageKind, 182, 90, 8, 8, true, 0},
    {-1, kTextKind, 189, 88, 55, 9, true, 12},
    {-1, kImageKind, 251, 90, 8, 8, true, 0},
    {-1, kTextKind, 258, 88, 50, 9, true, 11},
    {-1, kImageKind, 314, 90, 8, 8, true, 0},
    {-1, kTextKind, 321, 88, 75, 9, true, 17},
    {-1, kImageKind, 403, 90, 8, 8, true, 0},
    {-1, kTextKind, 410, 88, 66, 9, true, 16},
    {IDC_CHATTER_LEGEND_MARK, kImageKind, 12, 102, 8, 8, false, 0},
    {IDC_CHATTER_LEGEND, kTextKind, 19, 100, 60, 9, false, 11},
    {IDC_CHATTER_KEY, kTextKind, 117, 100, 130, 9, false, 4},
    {IDC_KEYBOARD_PICTURE, kPictureKind, 7, 99, 467, 213, true, 0},
    {IDC_EXIT_BUTTON, kButtonKind, 418, 318, 45, 14, true, 5},
};
const DialogBaseUnits kBase = {6, 12}; // "MS Sans Serif" 8 points at 96 dpi under Wine
const int kCount = sizeof kRows / sizeof kRows[0];

DialogTemplate MainRows(bool chatterRow) {
    DialogTemplate t = {486, 338, 8, "MS Sans Serif", kCount, {}};
    for (int i = 0; i < kCount; ++i) {
        const Row& r = kRows[i];
        t.controls[i] = {r.id,
                         r.kind,
                         r.x,
                         r.y,
                         r.width,
                         r.height,
                         r.visible || chatterRow,
                         r.kind == kPictureKind};
    }
    return t;
}

// Text widths of a font that grows a little faster than the scale, as hinted fonts do.
int TextWidthAt(int chars, int dpi) {
    return chars * 6 * dpi / 96 + (dpi > 96 ? chars / 2 : 0);
}

bool Overlap(const ControlPlace& a, const ControlPlace& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

// At every scale and with the chatter row shown or not: the window at its opening size
// holds every control; texts are whole; the rows under the strip, the picture and the
// button row lie over nothing else; at least the share of the picture's rows shows
// that shows at 96 dpi; at 96 dpi every place is the dialog manager's.
TEST(DpiLayout, EveryScaleHoldsTheWholeWindow) {
    for (bool chatter : {false, true}) {
        double share96 = 0;
        for (int dpi : {96, 120, 144, 192}) {
            SCOPED_TRACE(std::to_string(dpi) + (chatter ? " dpi, chatter row" : " dpi"));
            const DialogTemplate t = MainRows(chatter);
            std::vector<int> widths;
            std::vector<ControlPlace> images, p(kCount);
            for (const Row& r : kRows) {
                widths.push_back(r.kind == kTextKind ? TextWidthAt(r.chars, dpi) : 0);
                images.push_back(r.kind == kImageKind ? ControlPlace{0, 0, 8, 8}
                                                      : ControlPlace{0, 0, 0, 0});
            }
            PlaceControls(t, kBase, dpi, widths.data(), images.data(), p.data());
            const ClientSize size = OpeningClientSize(t, kBase, dpi, p.data(), false);
            const MainLayout l =
                ComputeMainLayout(size.width, size.height, p[kCount - 1].width,
                                  p[kCount - 1].height, LowestTextBottom(t, p.data()), false, dpi);
            p[kCount - 2] = {l.pictureX, l.pictureY, l.pictureWidth, l.pictureHeight};
            p[kCount - 1] = {l.buttonX[l.buttonCount - 1], l.buttonY, p[kCount - 1].width,
                             p[kCount - 1].height};
            for (int i = 0; i < kCount; ++i) {
                if (!t.controls[i].visible) {
                    continue;
                }
                EXPECT_TRUE(p[i].x >= 0 && p[i].y >= 0 && p[i].x + p[i].width <= size.width &&
                            p[i].y + p[i].height <= size.height)
                    << "control " << i << " outside " << size.width << "x" << size.height;
                EXPECT_GE(p[i].width, widths[i]) << "text of control " << i << " cut";
                for (int j = 3; j < i; ++j) { // the strip's own rows keep the template's
                    EXPECT_FALSE(t.controls[j].visible && Overlap(p[i], p[j]))
                        << i << " over " << j;
                }
            }
            const int drawn = static_cast<int>(PictureScaleFor(l.pictureWidth) * 340);
            const double share =
                (l.pictureHeight < drawn ? l.pictureHeight : drawn) / static_cast<double>(drawn);
            if (dpi == 96) {
                share96 = share;
                EXPECT_EQ(729, size.width);
                EXPECT_EQ(507, size.height);
                EXPECT_EQ(chatter ? 302 : 320, l.pictureHeight) << "as ever at 100 %";
                EXPECT_EQ(143, p[7].x) << "\"Key is Being Pressed\"";
            }
            EXPECT_GE(share, share96);
            if (dpi == 96 || dpi == 144) { // on a 1366 x 768 and a 1920 x 1080 screen
                EXPECT_TRUE(size.width + 20 <= 1366 * dpi / 96 &&
                            size.height + 80 <= 768 * dpi / 96);
            }
        }
    }
}

// A text that has grown moves the rest of its row by its growth, and nothing else.
TEST(DpiLayout, GrowingTextMovesOnlyItsRow) {
    const DialogTemplate t = MainRows(true);
    std::vector<int> widths(kCount, 0);
    std::vector<ControlPlace> before(kCount), after(kCount);
    PlaceControls(t, kBase, 144, widths.data(), nullptr, before.data());
    widths[7] = before[7].width + 9; // "Key is Being Pressed"
    PlaceControls(t, kBase, 144, widths.data(), nullptr, after.data());
    for (int i = 0; i < kCount; ++i) {
        const bool rightInRow = i > 7 && i < 16;
        EXPECT_EQ(before[i].x + (rightInRow ? 9 : 0), after[i].x) << i;
        EXPECT_EQ(before[i].width + (i == 7 ? 9 : 0), after[i].width) << i;
    }
}

// The figures of the drawing and the rounding of every scaled figure.
TEST(DpiLayout, ScaledFigures) {
    const int rows[][6] = {// dpi, spacing, line, chatter frame, 10 px, 20 px
                           {96, 8, 1, 3, 10, 20},
                           {120, 10, 1, 4, 13, 25},
                           {144, 12, 2, 5, 15, 30},
                           {192, 16, 2, 6, 20, 40}};
    for (const auto& r : rows) {
        const HatchFigures f = HatchFiguresFor(r[0]);
        EXPECT_EQ(std::vector<int>(r + 1, r + 6),
                  (std::vector<int>{f.spacing, f.lineWidth, f.chatterWidth, ScaleToDpi(10, r[0]),
                                    ScaleToDpi(20, r[0])}))
            << r[0];
    }
    EXPECT_EQ(-2, MulDivRound(-3, 3, 4)); // halves away from zero, as MulDiv
    EXPECT_EQ(2, MulDivRound(-3, 3, -4));
    EXPECT_EQ(0, MulDivRound(5, 5, 0));
}

// A template as the resource compiler lays it out: header with font, then each control
// on a four-byte boundary, classes as atoms or names, texts or picture numbers.
TEST(DpiLayout, ReadsTheTemplateResource) {
    std::vector<uint8_t> b;
    const auto word = [&](int w) {
        b.push_back(static_cast<uint8_t>(w & 0xFF));
        b.push_back(static_cast<uint8_t>((w >> 8) & 0xFF));
    };
    const auto text = [&](const char* s) {
        for (; *s != 0; ++s) {
            word(*s);
        }
        word(0);
    };
    const auto control = [&](uint32_t style, int x, int id) {
        while (b.size() % 4 != 0) {
            b.push_back(0);
        }
        word(static_cast<int>(style & 0xFFFF));
        word(static_cast<int>(style >> 16));
        word(0), word(0), word(x), word(20), word(30), word(10), word(id);
    };
    word(0x40), word(0x10CF), word(0), word(0), word(3), word(0), word(0), word(486), word(338);
    word(0), text("Clavoro"), text("Orvane Clavoro"), word(8), text("MS Sans Serif");
    control(0x10000000, 7, 0xFFFF); // LTEXT: the Static atom, a text
    word(0xFFFF), word(0x82), text("Key Tested OK"), word(0);
    control(0x0000000E, 12, 1046); // a hidden bitmap by name, its picture by number
    text("Static"), word(0xFFFF), word(155), word(4), word(0), word(0);
    control(0x10010007, 9, 0xFFFF); // a group box
    word(0xFFFF), word(0x80), text("Settings"), word(0);

    DialogTemplate t;
    ASSERT_EQ(1, ReadDialogTemplate(b.data(), b.size(), &t));
    EXPECT_EQ("486x338 8 MS Sans Serif 3", std::to_string(t.width) + "x" +
                                               std::to_string(t.height) + " " +
                                               std::to_string(t.pointSize) + " " + t.faceName +
                                               " " + std::to_string(t.controlCount));
    const int expected[][4] = {
        {-1, kTextKind, 7, 1}, {1046, kImageKind, 12, 0}, {-1, kFrameKind, 9, 1}};
    for (int i = 0; i < 3; ++i) {
        const TemplateControl& c = t.controls[i];
        EXPECT_EQ(std::vector<int>(expected[i], expected[i] + 4),
                  (std::vector<int>{c.id, c.kind, c.x, c.visible ? 1 : 0}))
            << i;
        EXPECT_EQ(20, c.y);
    }
    EXPECT_EQ(0, ReadDialogTemplate(b.data(), b.size() - 3, &t)) << "cut short";
}

} // namespace
