// The main window at any display scale. The window is the 96-dpi window scaled: every
// control's template place, turned into pixels as the dialog manager does with the
// template font's size at 96 dpi, is multiplied by dpi / 96. Fonts do not grow exactly
// in proportion, so a label whose text has become wider than its box is widened, and
// whatever follows it in its row moves right by as much. At 96 dpi nothing moves: the
// window is the one the dialog manager makes from the template.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/dpi_scale.h"

// The rows under the legend that options show (the chatter row with /c, the keyboard row
// with /d) lie one under another in the template, from this line down and this far apart
// (dialog units). A row not shown takes no room: the rows under it move up.
constexpr int kOptionalRowsTop = 100;
constexpr int kOptionalRowPitch = 12;

enum ControlKind {
    kTextKind,    // a static text: widened when its text does not fit
    kImageKind,   // a static bitmap or icon: it takes its picture's size
    kPictureKind, // the owner-drawn keyboard picture, placed by ComputeMainLayout
    kButtonKind,  // the button row, placed by ComputeMainLayout
    kFrameKind,   // a group box: a frame around others, in no row
    kOtherKind,   // list, check box, radio button: its template place
};

struct TemplateControl {
    int id;
    int kind;
    int x, y, width, height; // dialog units
    bool visible;
};

struct DialogTemplate {
    int width, height; // the dialog's client size in dialog units
    int pointSize;     // of the template's font
    char faceName[64]; // in the ANSI code page
    int controlCount;
    TemplateControl controls[128];
};

// Reads a DIALOG (not DIALOGEX) resource as it lies in the executable: header, font
// and every control. 0 when the bytes are no such template or it has too many controls.
int ReadDialogTemplate(const uint8_t* bytes, size_t size, DialogTemplate* dialog);

// Pixels per 4 horizontal and 8 vertical dialog units: the template font's average
// character width and height at 96 dpi.
struct DialogBaseUnits {
    int x;
    int y;
};

struct ControlPlace {
    int x, y, width, height;
};

// The places of the controls at dpi. textWidths[i] is the width in pixels of control i's
// text in the window's font at dpi (0 for a control that shows no text); imageSizes[i]
// (both may be null) the 96-dpi size of an image control's picture, which it takes instead of its
// template size (the legend squares, the icon), scaled like the rest. The picture and the button
// row keep their template places here; ComputeMainLayout gives them theirs.
void PlaceControls(const DialogTemplate& dialog, DialogBaseUnits base, int dpi,
                   const int* textWidths, const ControlPlace* imageSizes, ControlPlace* places);

// The bottom edge of the lowest visible text above the picture: the legend, and every
// row shown below it (the chatter row with /c), so that the picture starts below it.
int LowestTextBottom(const DialogTemplate& dialog, const ControlPlace* places);

// The client size of the window when it opens at dpi: the template's size at 96 dpi
// scaled, and taller where needed so that at least as large a share of the picture's
// height shows as at 96 dpi.
struct ClientSize {
    int width;
    int height;
};
ClientSize OpeningClientSize(const DialogTemplate& dialog, DialogBaseUnits base, int dpi,
                             const ControlPlace* places, bool batchMode);
