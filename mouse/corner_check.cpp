#include "mouse/corner_check.h"

#include "resources/mouse_dialog_ids.h"

int FindScreenCorner(int x, int y, int screenWidth, int screenHeight) {
    if (x <= 2 && y <= 2)
        return TopLeftCorner;
    if (x >= screenWidth - 2 && y <= 2)
        return TopRightCorner;
    // The bottom-left corner is one pixel narrower than the others: x = 2 does not count.
    if (x <= 1 && y >= screenHeight - 2)
        return BottomLeftCorner;
    if (x >= screenWidth - 2 && y >= screenHeight - 2)
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
