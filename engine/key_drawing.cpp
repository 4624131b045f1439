#include "engine/key_drawing.h"

#include <algorithm>
#include <climits>

#include "base/dpi_scale.h"
#include "layout/key_table.h"

float pictureScale = 1.0f;
int pictureDpi = 96;

int PictureSourceScale(float scale, bool haveDouble) {
    return haveDouble && scale > 1.25f ? 2 : 1;
}

int KeyColour(int32_t status, int32_t highlight, uint32_t* colour) {
    switch (status) {
    case BeingPressed:
        // The layout's highlight picks a paler colour for keys that are hard to see in red.
        switch (highlight) {
        case 1:
            *colour = 0xFFCC99;
            break;
        case 2:
            *colour = 0xEED2EE;
            break;
        case 3:
            *colour = 0xFFFFFF;
            break;
        default:
            *colour = 0x0000FF;
            break;
        }
        return 1;
    case TestedOk:
        *colour = 0x00FF00;
        return 1;
    case NotTestable:
    case NotTestablePressed:
    case NotTestableReleased:
        *colour = 0x35BFFF;
        return 1;
    case KeyFailure:
        *colour = 0xFF0000;
        return 1;
    case OverPressed:
        *colour = 0x770077;
        return 1;
    case UnderPressed:
        *colour = 0x007700;
        return 1;
    default:
        return 0;
    }
}

// A layout may hold any number of digits; products beyond the int range are pinned to
// its ends instead of being converted (which would be undefined).
static int TruncateToInt(float value) {
    if (value >= 2147483648.0f) {
        return INT_MAX;
    }
    return static_cast<int>(std::max(value, -2147483648.0f)); // -2^31 converts exactly
}

KeyCorners ScaleKeyRect(int32_t left, int32_t top, int32_t width, int32_t height, float scale) {
    // Sums in 64 bits so that large coordinates cannot overflow before the conversion.
    const int64_t right = static_cast<int64_t>(left) + width;
    const int64_t bottom = static_cast<int64_t>(top) + height;
    KeyCorners c;
    c.x0 = TruncateToInt(static_cast<float>(left) * scale);
    c.y0 = TruncateToInt(static_cast<float>(top) * scale);
    c.x1 = TruncateToInt(static_cast<float>(right) * scale);
    c.y1 = TruncateToInt(static_cast<float>(bottom) * scale);
    return c;
}

HatchFigures HatchFiguresFor(int dpi) {
    HatchFigures f;
    f.spacing = ScaleToDpi(8, dpi);
    f.lineWidth = std::max(ScaleToDpi(1, dpi), 1);
    f.frameWidth = f.lineWidth;
    f.chatterWidth = ScaleToDpi(3, dpi);
    return f;
}
