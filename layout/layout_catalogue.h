// The catalogue of layouts found in the program folder at start-up, and the
// selected layout's picture.
#pragma once
#include "base/handles.h"
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

// Makes entry index of the catalogue the selected layout, whatever its picture does: the
// layout in the list is the layout tested and the one the log names. Its picture and
// its double-size picture are loaded from the program folder by full path (never from
// the working folder, which a shortcut or a host program may set anywhere). Returns its
// table, for the key engine to test (MakeCurrentTable); an index outside the catalogue
// changes nothing and returns null.
KeyRecord* SelectLayoutAt(WindowHandle mainWindow, int index);

// Seam (layout_picture_win32.cpp; a recorder in the unit tests): replaces the picture
// with the bitmap file at picturePath (none when it cannot be loaded: the keys are drawn
// on the plain control) and, where there is one of 1400 x 680 or more, the one at
// doublePicturePath; an empty path loads nothing.
void LoadLayoutPictures(WindowHandle mainWindow, const char* picturePath,
                        const char* doublePicturePath);

// Win32 side (layout_picture_win32.cpp): picture of the selected layout.
KeyRecord* SelectLayout(WindowHandle mainWindow); // the entry chosen in the keyboard-type list
void FreePicture();
extern DrawHandle pictureDC;
// The same picture at twice the size ("<name>@2x.bmp", 1400 x 680), for a picture shown
// larger than 1.25 times; none when the layout has no such file.
extern DrawHandle doublePictureDC;
