// The catalogue of layouts found in the program folder at start-up, and the
// selected layout's picture.
#pragma once
#include "app/handles.h"
#include "layout/layout_file.h"

constexpr int kMaxLayouts = 100;

struct LayoutCatalogue {
    KeyboardLayout* slots[kMaxLayouts];
    int count;
    int selected; // index of the selected layout
};
extern LayoutCatalogue catalogue;

int LoadLayoutCatalogue(WindowHandle owner);
void FreeAllLayouts();

// Win32 side (layout_picture_win32.cpp): picture of the selected layout.
void SelectLayout(WindowHandle mainWindow);
void FreePicture();
extern DrawHandle pictureDC;
// The same picture at twice the size ("<name>@2x.bmp", 1400 x 680), for a picture shown
// larger than 1.25 times; none when the layout has no such file.
extern DrawHandle doublePictureDC;
