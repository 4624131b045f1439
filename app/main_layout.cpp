#include "app/main_layout.h"

#include <cstdio>
#include <cstring>

#include "app/dpi_layout.h"
#include "layout/layout_catalogue.h"
#include "resources/main_window_ids.h"

namespace {

const int kRowOrder[kMaxRowButtons] = {
    IDC_MOUSE_DRIFT_BUTTON, IDC_MOUSE_MOVE_BUTTON, IDC_TEST_LEDS_BUTTON, IDC_CLEAR_BUTTON,
    IDC_FAIL_TEST_BUTTON,   IDC_ABOUT_BUTTON,      IDC_HELP_BUTTON,      IDC_EXIT_BUTTON,
};

// Pixels of the 96-dpi window: around the picture, between it and the button row, and
// between two buttons.
const int kMargin = 10;
const int kRowGap = 5;
const int kButtonGap = 20;

} // namespace

MainLayout ComputeMainLayout(int clientWidth, int clientHeight, int buttonWidth, int buttonHeight,
                             int legendBottom, bool batchMode, int dpi) {
    const int margin = ScaleToDpi(kMargin, dpi);
    MainLayout layout = {};
    layout.pictureX = margin;
    layout.pictureY = legendBottom + margin;
    layout.pictureWidth = clientWidth - 2 * margin;
    layout.pictureHeight = clientHeight - layout.pictureY - buttonHeight - margin;
    layout.buttonY = layout.pictureY + layout.pictureHeight + ScaleToDpi(kRowGap, dpi);

    for (int id : kRowOrder) {
        if (id == IDC_FAIL_TEST_BUTTON && !batchMode) {
            continue; // "&Fail test" exists in batch mode only
        }
        layout.buttonIds[layout.buttonCount++] = id;
    }
    // Centred with 20-pixel gaps (at 96 dpi); a window narrower than the row starts it
    // left of the client area (integer division truncating toward zero, no clamping).
    const int gap = ScaleToDpi(kButtonGap, dpi);
    const int step = buttonWidth + gap;
    const int x0 = (clientWidth - layout.buttonCount * step + gap) / 2;
    for (int k = 0; k < layout.buttonCount; ++k) {
        layout.buttonX[k] = x0 + k * step;
    }
    return layout;
}

float PictureScaleFor(int pictureClientWidth) {
    return static_cast<float>(pictureClientWidth / 700.0);
}

int LayoutIndexByName(const LayoutCatalogue& layouts, const char* name) {
    int selected = 0;
    for (int i = 0; i < layouts.count; ++i) {
        if (std::strcmp(layouts.slots[i]->name, name) == 0) {
            selected = i;
        }
    }
    return selected;
}

void CutAtLastBackslash(char* path) {
    char* last = std::strrchr(path, '\\');
    if (last != nullptr) {
        *last = 0;
    }
}

int HelpPagePath(char* path, size_t size, const char* modulePath, const char* page) {
    char folder[300];
    std::snprintf(folder, sizeof folder, "%s", modulePath);
    CutAtLastBackslash(folder);
    int n = std::snprintf(path, size, "%s\\help\\html\\%s", folder, page);
    return static_cast<size_t>(n) < size ? 1 : 0;
}
