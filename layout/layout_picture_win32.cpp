// The picture of the selected layout, held in an off-screen drawing context from
// which the keyboard picture control is painted.
#include <windows.h>

#include <cstdio>

#include "app/app_state.h"
#include "engine/key_engine.h"
#include "layout/layout_catalogue.h"
#include "resources/main_window_ids.h"
#include "testrun/test_log.h"

DrawHandle pictureDC = nullptr;
DrawHandle doublePictureDC = nullptr;

namespace {

HBITMAP pictureBitmap = nullptr;
HGDIOBJ bitmapBeforePicture = nullptr; // what pictureDC held when it was made
HBITMAP doubleBitmap = nullptr;
HGDIOBJ bitmapBeforeDouble = nullptr;

HDC PictureDC() {
    return reinterpret_cast<HDC>(pictureDC);
}

void FreeDrawing(DrawHandle* dc, HBITMAP* bitmap, HGDIOBJ* before) {
    if (*dc != nullptr) {
        if (*before != nullptr) {
            SelectObject(reinterpret_cast<HDC>(*dc), *before);
        }
        DeleteDC(reinterpret_cast<HDC>(*dc));
        *dc = nullptr;
    }
    if (*bitmap != nullptr) {
        DeleteObject(*bitmap);
        *bitmap = nullptr;
    }
    *before = nullptr;
}

// "<name>@2x.bmp" beside the picture, when there is one of 1400 x 680 or more.
void LoadDoublePicture(const char* name, HDC windowDC) {
    char file[300];
    std::snprintf(file, sizeof file, "%s@2x.bmp", name);
    doubleBitmap =
        static_cast<HBITMAP>(LoadImageA(nullptr, file, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    BITMAP size = {};
    if (doubleBitmap == nullptr || !GetObjectA(doubleBitmap, sizeof size, &size) ||
        size.bmWidth < 1400 || size.bmHeight < 680) {
        if (doubleBitmap != nullptr) {
            DeleteObject(doubleBitmap);
            doubleBitmap = nullptr;
        }
        return;
    }
    HDC dc = CreateCompatibleDC(windowDC);
    if (dc == nullptr) {
        DeleteObject(doubleBitmap);
        doubleBitmap = nullptr;
        return;
    }
    doublePictureDC = reinterpret_cast<DrawHandle>(dc);
    bitmapBeforeDouble = SelectObject(dc, doubleBitmap);
    SetMapMode(dc, GetMapMode(windowDC));
}

} // namespace

void FreePicture() {
    FreeDrawing(&pictureDC, &pictureBitmap, &bitmapBeforePicture);
    FreeDrawing(&doublePictureDC, &doubleBitmap, &bitmapBeforeDouble);
}

void SelectLayout(WindowHandle mainWindow) {
    HWND window = reinterpret_cast<HWND>(mainWindow);
    LRESULT selection = SendDlgItemMessageA(window, IDC_KEYBOARD_TYPE, CB_GETCURSEL, 0, 0);
    if (selection < 0 || selection >= catalogue.count || catalogue.slots[selection] == nullptr) {
        return; // no entry chosen: the current layout stays
    }
    catalogue.selected = static_cast<int>(selection);
    const KeyboardLayout* layout = catalogue.slots[selection];

    FreePicture();
    HWND pictureControl = GetDlgItem(window, IDC_KEYBOARD_PICTURE);
    HDC windowDC = GetDC(pictureControl);
    pictureDC = reinterpret_cast<DrawHandle>(CreateCompatibleDC(windowDC));
    if (appState.batchMode && IsTestLogOpen()) {
        WriteLogRecord("User changed keyboard layout to %s.kbl\n", layout->name);
    }
    // The file name alone: it is found in the working folder, which at a normal start
    // is the program folder.
    char pictureFile[300];
    std::snprintf(pictureFile, sizeof pictureFile, "%s.bmp", layout->name);
    pictureBitmap =
        static_cast<HBITMAP>(LoadImageA(nullptr, pictureFile, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (pictureBitmap != nullptr && pictureDC != nullptr) {
        bitmapBeforePicture = SelectObject(PictureDC(), pictureBitmap);
        SetMapMode(PictureDC(), GetMapMode(windowDC));
        LoadDoublePicture(layout->name, windowDC);
        engine.table = layout->table;
        ClearAll();
    }
    // Without a picture the earlier layout's table stays current.
    ReleaseDC(pictureControl, windowDC);
    InvalidateRect(window, nullptr, FALSE);
}
