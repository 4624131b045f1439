// The picture of the selected layout, held in an off-screen drawing context from
// which the keyboard picture control is painted.
#include <windows.h>

#include "layout/layout_catalogue.h"
#include "resources/main_window_ids.h"

DrawHandle pictureDC = nullptr;
DrawHandle doublePictureDC = nullptr;

namespace {

HBITMAP pictureBitmap = nullptr;
HGDIOBJ bitmapBeforePicture = nullptr; // what pictureDC held when it was made
HBITMAP doubleBitmap = nullptr;
HGDIOBJ bitmapBeforeDouble = nullptr;

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

// The double-size picture at path, when it is one of 1400 x 680 or more.
void LoadDoublePicture(const char* path, HDC windowDC) {
    if (path[0] == 0) {
        return;
    }
    doubleBitmap =
        static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
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

void LoadLayoutPictures(WindowHandle mainWindow, const char* picturePath,
                        const char* doublePicturePath) {
    HWND window = reinterpret_cast<HWND>(mainWindow);
    FreePicture();
    HWND pictureControl = GetDlgItem(window, IDC_KEYBOARD_PICTURE);
    HDC windowDC = GetDC(pictureControl);
    // A full path: a bare name would be looked for in the working folder.
    pictureBitmap = picturePath[0] != 0
                        ? static_cast<HBITMAP>(
                              LoadImageA(nullptr, picturePath, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE))
                        : nullptr;
    HDC dc = pictureBitmap != nullptr ? CreateCompatibleDC(windowDC) : nullptr;
    if (dc != nullptr) {
        pictureDC = reinterpret_cast<DrawHandle>(dc);
        bitmapBeforePicture = SelectObject(dc, pictureBitmap);
        SetMapMode(dc, GetMapMode(windowDC));
        LoadDoublePicture(doublePicturePath, windowDC);
    } else if (pictureBitmap != nullptr) {
        DeleteObject(pictureBitmap);
        pictureBitmap = nullptr;
    }
    ReleaseDC(pictureControl, windowDC);
    // Without a picture the keys are drawn on the plain control, not over the last one.
    InvalidateRect(window, nullptr, pictureDC == nullptr ? TRUE : FALSE);
}

KeyRecord* SelectLayout(WindowHandle mainWindow) {
    HWND window = reinterpret_cast<HWND>(mainWindow);
    const LRESULT selection = SendDlgItemMessageA(window, IDC_KEYBOARD_TYPE, CB_GETCURSEL, 0, 0);
    return SelectLayoutAt(mainWindow, static_cast<int>(selection)); // none chosen: nothing changes
}
