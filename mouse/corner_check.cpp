#include "mouse/corner_check.h"

#include "base/dpi_scale.h"
#include "resources/mouse_dialog_ids.h"

int FindScreenCorner(int x, int y, int screenWidth, int screenHeight, int dpi) {
    const int zone = ScaleToDpi(2, dpi);
    if (x <= zone && y <= zone)
        return TopLeftCorner;
    if (x >= screenWidth - zone && y <= zone)
        return TopRightCorner;
    // The bottom-left corner is one pixel narrower than the others: x = 2 does not count.
    if (x <= zone - 1 && y >= screenHeight - zone)
        return BottomLeftCorner;
    if (x >= screenWidth - zone && y >= screenHeight - zone)
        return BottomRightCorner;
    return NoCorner;
}

int CornerStatusField(int corner) {
    switch (corner) {
    case TopLeftCorner:
        return IDC_TOP_LEFT_STATUS;
    case TopRightCorner:
        return IDC_TOP_RIGHT_STATUS;
    case BottomLeftCorner:
        return IDC_BOTTOM_LEFT_STATUS;
    case BottomRightCorner:
        return IDC_BOTTOM_RIGHT_STATUS;
    }
    return 0;
}
