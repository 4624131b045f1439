#include "app/about_box.h"

// Centred on the owner, then pulled back onto the screen at the left/top or the
// right/bottom. Only one correction per axis: a dialog larger than the screen keeps a
// negative coordinate, so its top-left part is what goes missing.
static int CentreOnAxis(int size, int ownerStart, int ownerSize, int screenSize) {
    int start = ownerStart + (ownerSize - size) / 2;
    if (start < 0) {
        start = 0;
    } else if (start + size > screenSize) {
        start = screenSize - size;
    }
    return start;
}

DialogPlacement CentredPosition(int w, int h, int ownerLeft, int ownerTop, int ownerWidth,
                                int ownerHeight, int screenWidth, int screenHeight) {
    DialogPlacement p;
    p.x = CentreOnAxis(w, ownerLeft, ownerWidth, screenWidth);
    p.y = CentreOnAxis(h, ownerTop, ownerHeight, screenHeight);
    return p;
}
