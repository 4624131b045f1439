#include "base/centred_dialog.h"

// Centred on the owner, then kept on the owner's monitor: pulled back at the right or bottom,
// then at the left or top, so that a dialog larger than the monitor shows its caption and its
// top-left part.
static int CentreOnAxis(int size, int ownerStart, int ownerSize, int areaStart, int areaSize) {
    int start = ownerStart + (ownerSize - size) / 2;
    if (start + size > areaStart + areaSize) {
        start = areaStart + areaSize - size;
    }
    if (start < areaStart) {
        start = areaStart;
    }
    return start;
}

DialogPlacement CentredPosition(int w, int h, const ScreenArea& owner, const ScreenArea& monitor) {
    DialogPlacement p;
    p.x = CentreOnAxis(w, owner.left, owner.width, monitor.left, monitor.width);
    p.y = CentreOnAxis(h, owner.top, owner.height, monitor.top, monitor.height);
    return p;
}
