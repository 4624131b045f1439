#include "mouse/dialog_placement.h"

#include "base/dpi_scale.h"
#include "resources/mouse_dialog_ids.h"

ControlOffset MouseDialogControlOffset(int screenLeft, int screenTop, int mainWidth, int mainHeight,
                                       int dpi) {
    ControlOffset offset;
    offset.dx = mainWidth / 2 - screenLeft - ScaleToDpi(200, dpi);
    offset.dy = mainHeight / 2 - screenTop - ScaleToDpi(150, dpi);
    return offset;
}

const int moveTestControls[] = {
    IDC_MOUSE_INFO_GROUP, IDC_RATE_LABEL,       IDC_POSITION_LABEL,     IDC_RAW_LABEL,
    IDC_RATE_VALUE,       IDC_POSITION_VALUE,   IDC_RAW_VALUE,          IDC_CORNER_GROUP,
    IDC_TOP_LEFT_LABEL,   IDC_TOP_RIGHT_LABEL,  IDC_BOTTOM_LEFT_LABEL,  IDC_BOTTOM_RIGHT_LABEL,
    IDC_TOP_LEFT_STATUS,  IDC_TOP_RIGHT_STATUS, IDC_BOTTOM_LEFT_STATUS, IDC_BOTTOM_RIGHT_STATUS,
    IDC_MOUSE_CLOSE,
};
const int moveTestControlCount = sizeof moveTestControls / sizeof moveTestControls[0];

const int driftTestControls[] = {
    IDC_DRIFT_EXPLANATION, IDC_DRIFT_START,       IDC_DRIFT_STATUS,
    IDC_MOUSE_CLOSE,       IDC_DRIFT_COORDINATES,
};
const int driftTestControlCount = sizeof driftTestControls / sizeof driftTestControls[0];
