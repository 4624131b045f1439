// Where the picture and the button row of the main window go at a given client size;
// and the small text rules of the main window (layout selection, help page path).
#pragma once
#include <cstddef>

constexpr int kMaxRowButtons = 8;

struct MainLayout {
    int pictureX;
    int pictureY;
    int pictureWidth;
    int pictureHeight;
    int buttonY;
    int buttonCount;               // 8 in batch mode, 7 without "&Fail test"
    int buttonIds[kMaxRowButtons]; // left to right
    int buttonX[kMaxRowButtons];
};

// clientWidth/Height: the main window's client area; buttonWidth/Height: the Exit
// button's size, which every button of the row gets; legendBottom: bottom edge of the
// lowest row of texts above the picture (the legend, or a row shown below it) in client
// coordinates. The margins are those of the 96-dpi window scaled to dpi.
MainLayout ComputeMainLayout(int clientWidth, int clientHeight, int buttonWidth, int buttonHeight,
                             int legendBottom, bool batchMode, int dpi);

// The 700 x 340 picture is drawn scaled to the picture control's client width.
float PictureScaleFor(int pictureClientWidth);

struct LayoutCatalogue;
// Index of the layout named exactly (letter case counting) name, else 0 (the first).
int LayoutIndexByName(const LayoutCatalogue& layouts, const char* name);

// Module path cut at its last backslash (left whole when it has none).
void CutAtLastBackslash(char* path);

// "<folder of modulePath>\help\html\<page>"; 0 when it does not fit into size bytes.
int HelpPagePath(char* path, size_t size, const char* modulePath, const char* page);
