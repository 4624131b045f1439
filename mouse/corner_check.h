// Which screen corner a pointer position counts as, for the mouse movement test.
#pragma once

enum ScreenCorner {
    NoCorner = 0,
    TopLeftCorner,
    TopRightCorner,
    BottomLeftCorner,
    BottomRightCorner,
};

// The corners are checked in the order above and the first match wins. x and y are
// the pointer's place from the virtual screen's top-left corner; screenWidth and
// screenHeight are the virtual screen's size. The corner zones (2 pixels at 96 dpi, 1 for the
// bottom-left x) grow with the display scale dpi.
int FindScreenCorner(int x, int y, int screenWidth, int screenHeight, int dpi);

// The status field beside the corner's label, 0 for NoCorner.
int CornerStatusField(int corner);
