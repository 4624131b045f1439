#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/dpi_layout.h"
#include "app/main_layout.h"
#include "engine/key_drawing.h"
#include "resources/main_window_ids.h"

namespace {

// The main window's rows below the settings strip as in resources/main_window.rc (the
// legend, the chatter row, the keyboard row, the picture, Exit), and a row of the strip;
// shown: 1 always, 2 with /c, 4 with /d; chars: the text's length. Wine's "MS Sans Serif"
// 8 points is 6 x 12 at 96 dpi.
struct Row {
    int id, kind, x, y, width, height;
    int shown;
    int chars;
};
const Row kRows[] = {
    {-1, kFrameKind, 7, 7, 443, 63, 1, 8},       {-1, kTextKind, 226, 15, 54, 10, 1, 13},
    {1012, kTextKind, 281, 14, 38, 11, 1, 3},    {1013, kTextKind, 7, 73, 470, 11, 1, 7},
    {-1, kImageKind, 12, 90, 8, 8, 1, 0},        {1045, kTextKind, 19, 88, 60, 9, 1, 13},
    {-1, kImageKind, 88, 90, 8, 8, 1, 0},        {-1, kTextKind, 95, 88, 80, 9, 1, 20},
    {-1, kImageKind, 182, 90, 8, 8, 1, 0},       {-1, kTextKind, 189, 88, 55, 9, 1, 12},
    {-1, kImageKind, 251, 90, 8, 8, 1, 0},       {-1, kTextKind, 258, 88, 50, 9, 1, 11},
    {-1, kImageKind, 314, 90, 8, 8, 1, 0},       {-1, kTextKind, 321, 88, 75, 9, 1, 17},
    {-1, kImageKind, 403, 90, 8, 8, 1, 0},       {-1, kTextKind, 410, 88, 66, 9, 1, 16},
    {1046, kImageKind, 12, 102, 8, 8, 2, 0},     {1047, kTextKind, 19, 100, 60, 9, 2, 11},
    {1049, kTextKind, 117, 100, 130, 9, 2, 4},   {1052, kTextKind, 12, 112, 80, 9, 4, 20},
    {1054, kTextKind, 322, 112, 154, 9, 4, 36},  {1006, kPictureKind, 7, 99, 467, 213, 1, 0},
    {1003, kButtonKind, 418, 318, 45, 14, 1, 5},
};
const int kCount = sizeof kRows / sizeof kRows[0];
const DialogBaseUnits kBase = {6, 12};

DialogTemplate MainRows(int options) {
    DialogTemplate t = {486, 338, 8, "MS Sans Serif", kCount, {}};
    for (int i = 0; i < kCount; ++i) {
        const Row& r = kRows[i];
        t.controls[i] = {r.id, r.kind, r.x, r.y, r.width, r.height, (r.shown & (1 | options)) != 0};
    }
    return t;
}

bool Overlap(const ControlPlace& a, const ControlPlace& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

// At every scale, with and without the chatter and keyboard rows, in the window at its
// opening size (a row not shown taking no room):
// every control inside it, every text whole (in a font that grows a little faster than
// the scale, as hinted fonts do), nothing below the strip over anything else, at least
// the share of the picture's rows that shows at 96 dpi; at 96 dpi the places of before.
TEST(DpiLayout, EveryScaleHoldsTheWholeWindow) {
    for (int options : {0, 2, 4, 6}) {
        double share96 = 0;
        for (int dpi : {96, 120, 144, 192}) {
            SCOPED_TRACE(std::to_string(dpi) + " dpi, rows " + std::to_string(options));
            const DialogTemplate t = MainRows(options);
            std::vector<int> widths;
            std::vector<ControlPlace> images, p(kCount);
            for (const Row& r : kRows) {
                widths.push_back(r.kind == kTextKind ? r.chars * (6 * dpi + 48 * (dpi > 96)) / 96
                                                     : 0);
                images.push_back({0, 0, r.kind == kImageKind ? 8 : 0, 8});
            }
            PlaceControls(t, kBase, dpi, widths.data(), images.data(), p.data());
            const ClientSize size = OpeningClientSize(t, kBase, dpi, p.data(), false);
            ControlPlace& exit = p[kCount - 1];
            const MainLayout l = ComputeMainLayout(size.width, size.height, exit.width, exit.height,
                                                   LowestTextBottom(t, p.data()), false, dpi);
            p[kCount - 2] = {l.pictureX, l.pictureY, l.pictureWidth, l.pictureHeight};
            exit = {l.buttonX[l.buttonCount - 1], l.buttonY, exit.width, exit.height};
            for (int i = 0; i < kCount; ++i) {
                EXPECT_TRUE(p[i].x >= 0 && p[i].y >= 0 && p[i].x + p[i].width <= size.width &&
                            p[i].y + p[i].height <= size.height)
                    << i;
                EXPECT_GE(p[i].width, t.controls[i].visible ? widths[i] : 0) << "cut " << i;
                for (int j = 3; j < i; ++j) { // the strip keeps the template's own overlaps
                    EXPECT_FALSE(t.controls[i].visible && t.controls[j].visible &&
                                 Overlap(p[i], p[j]))
                        << i << " over " << j;
                }
            }
            const int drawn = static_cast<int>(PictureScaleFor(l.pictureWidth) * 340);
            const double share = std::min(l.pictureHeight, drawn) / static_cast<double>(drawn);
            if (dpi == 96) {
                share96 = share;
                EXPECT_EQ("729x507 143 " +
                              std::to_string(320 - 18 * (options / 4 + options % 4 / 2)),
                          std::to_string(size.width) + "x" + std::to_string(size.height) + " " +
                              std::to_string(p[7].x) + " " + std::to_string(l.pictureHeight));
            }
            EXPECT_GE(share, share96);
            if (dpi == 96 || dpi == 144) { // on a 1366 x 768 and a 1920 x 1080 screen
                EXPECT_TRUE(size.width + 20 <= 1366 * dpi / 96 &&
                            size.height + 80 <= 768 * dpi / 96);
            }
        }
    }
}

// The figures of the picture at each scale (hatch spacing and line, chatter frame, 10 and
// 20 pixels), rounded as MulDiv rounds; the double-size picture above 1.25 times only.
TEST(DpiLayout, ScaledFigures) {
    std::string figures;
    for (int dpi : {96, 120, 144, 192}) {
        const HatchFigures f = HatchFiguresFor(dpi);
        for (int v :
             {f.spacing, f.lineWidth, f.chatterWidth, ScaleToDpi(10, dpi), ScaleToDpi(20, dpi)}) {
            figures += std::to_string(v) + " ";
        }
        figures.back() = '|';
    }
    EXPECT_EQ("8 1 3 10 20|10 1 4 13 25|12 2 5 15 30|16 2 6 20 40|", figures);
    EXPECT_EQ(1, PictureSourceScale(1.25f, true) * PictureSourceScale(2.0f, false));
    EXPECT_EQ(2, PictureSourceScale(1.26f, true));
    EXPECT_EQ(0, MulDivRound(5, 96, 0)) << "no divisor, no result";
}

// A template as windres writes it for: 486 x 338, "MS Sans Serif" 8; LTEXT "Key Tested OK"
// -1 at 7,20; CONTROL 155, 1046, "Static", SS_BITMAP | NOT WS_VISIBLE at 12,20; GROUPBOX
// "Settings" -1 at 9,20; CONTROL "x", 7, "button", BS_PUSHBUTTON at 1,20 (class names as
// upper-case strings, classes as atoms, a picture by number, each control on a DWORD).
TEST(DpiLayout, ReadsTheTemplateResource) {
    const std::string hex =
        "4000cf0000000000040000000000e6015201000043004c00410056004f0052004f000000000008004d005300"
        "2000530061006e00730020005300650072006900660000000000025000000000070014001e000a00ffffffff"
        "82004b0065007900200054006500730074006500640020004f004b00000000000e000040000000000c001400"
        "1e000a0016045300540041005400490043000000ffff9b00000000000700005000000000090014001e000a00"
        "ffffffff8000530065007400740069006e00670073000000000000000000005000000000010014001e000a00"
        "070042005500540054004f004e000000780000000000";
    std::vector<uint8_t> b;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        b.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    DialogTemplate t;
    ASSERT_EQ(1, ReadDialogTemplate(b.data(), b.size(), &t));
    std::string read = std::to_string(t.width) + "x" + std::to_string(t.height) + " " +
                       std::to_string(t.pointSize) + " " + t.faceName;
    for (int i = 0; i < t.controlCount; ++i) {
        const TemplateControl& c = t.controls[i];
        read += " " + std::to_string(c.id) + ":" + std::to_string(c.kind) + ":" +
                std::to_string(c.x) + "," + std::to_string(c.y) + ":" + std::to_string(c.visible);
    }
    EXPECT_EQ("486x338 8 MS Sans Serif -1:0:7,20:1 1046:1:12,20:0 -1:4:9,20:1 7:3:1,20:1", read);
    EXPECT_EQ(0, ReadDialogTemplate(b.data(), b.size() - 3, &t)) << "cut short";
    // Templates of n static controls without text: 128 fit, 129 do not; no DIALOGEX is read.
    const uint8_t control[28] = {0, 0, 0, 0x50, 0, 0, 0,    0,    0,    0, 0,    0,
                                 0, 0, 0, 0,    0, 0, 0xFF, 0xFF, 0x82, 0, 0xFF, 0xFF};
    for (const auto& [n, version, read] : {std::tuple{128, 0, 1}, {129, 0, 0}, {1, 1, 0}}) {
        std::vector<uint8_t> m(24, 0); // style, or a DIALOGEX's version and signature; count
        m[0] = uint8_t(version), m[2] = m[3] = uint8_t(version * 0xFF), m[8] = uint8_t(n);
        for (int i = 0; i < n; ++i) {
            m.insert(m.end(), control, control + 28);
        }
        EXPECT_EQ(read, ReadDialogTemplate(m.data(), m.size(), &t)) << n;
    }
    for (int k = 0; k < 54; ++k) { // 54 more characters before the face name: cut to 63
        b.insert(b.begin() + 40, {static_cast<uint8_t>(k == 0 ? 0x80 : k == 1 ? 0x7F : 'X'), 0});
    }
    ASSERT_EQ(1, ReadDialogTemplate(b.data(), b.size(), &t));
    EXPECT_EQ(std::string(52, 'X') + "\x7F?MS Sans S", t.faceName) << "U+0080 is no ASCII";
}

} // namespace
