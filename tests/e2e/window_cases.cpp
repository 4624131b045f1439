// The main window's layout at different sizes: the picture fills the space under
// the legend and the seven buttons of an interactive run are centred below it.
#include "tests/e2e/clavoro_cases.h"

E2E_CASE(button_row_follows_the_size) {
    Program p;
    REQUIRE(StartWithLayouts(p, {"Small"}, ""));
    const int order[] = {kMouseDriftButton, kMouseMoveButton, kLedButton, kClearButton,
                         kAboutButton,      kHelpButton,      kExitButton};
    const RECT exitRect = ControlClientRect(p.main, kExitButton);
    const int bw = exitRect.right - exitRect.left;
    const int bh = exitRect.bottom - exitRect.top;
    REQUIRE(bw > 0 && bh > 0);
    // Wide, the start size, and so narrow that the row starts left of the window.
    const SIZE sizes[] = {{1000, 700}, {675, 463}, {300, 420}, {820, 560}};
    for (const SIZE& size : sizes) {
        Note("window %ld x %ld", size.cx, size.cy);
        SetWindowPos(p.main, nullptr, 20, 20, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client = {};
        GetClientRect(p.main, &client);
        const int W = client.right;
        const int H = client.bottom;
        const int t = ControlClientRect(p.main, kKeyTestedOkLabel).bottom + 10;
        const int ph = H - t - bh - 10;
        const int x0 = (W - 7 * (bw + 20) + 20) / 2;
        const int y = t + ph + 5;
        // The layout pass runs in the program's thread; wait for the last button.
        CHECK(WaitUntil([&] {
            const RECT r = ControlClientRect(p.main, kExitButton);
            return r.left == x0 + 6 * (bw + 20) && r.top == y;
        }));
        for (int k = 0; k < 7; ++k) {
            const RECT r = ControlClientRect(p.main, order[k]);
            CHECK_EQ(r.left, x0 + k * (bw + 20));
            CHECK_EQ(r.top, y);
            CHECK_EQ(r.right - r.left, bw);
            CHECK_EQ(r.bottom - r.top, bh);
        }
        const RECT picture = ControlClientRect(p.main, kPicture);
        CHECK_EQ(picture.left, 10);
        CHECK_EQ(picture.top, t);
        CHECK_EQ(picture.right - picture.left, W - 20);
        CHECK_EQ(picture.bottom - picture.top, ph);
        CHECK(GetDlgItem(p.main, kFailButton) == nullptr);
    }
    CHECK(CloseProgram(p));
}
