// The About box dialog.
#include <windows.h>

#include <cstdio>

#include "app/about_box.h"
#include "app/dpi_layout.h"
#include "base/app_state.h"
#include "base/centred_dialog.h"
#include "base/window_dpi_win32.h"
#include "clavoro_version.h"
#include "resources/about_box_ids.h"

static void PaintLogo(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    if (dc == nullptr) {
        return;
    }
    HINSTANCE instance = static_cast<HINSTANCE>(appState.instance);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP logo = LoadBitmapA(instance, MAKEINTRESOURCEA(ABOUT_LOGO_BITMAP));
    HWND area = GetDlgItem(dialog, ABOUT_LOGO_AREA);
    if (memory != nullptr && logo != nullptr && area != nullptr) {
        HGDIOBJ previous = SelectObject(memory, logo);
        SetMapMode(memory, GetMapMode(dc));
        RECT r;
        GetWindowRect(area, &r);
        POINT topLeft = {r.left, r.top};
        ScreenToClient(dialog, &topLeft);
        // Unscaled at 100 %; at a larger display scale the logo grows with the dialog.
        const int dpi = WindowDpi(dialog);
        const int w = r.right - r.left, h = r.bottom - r.top;
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, topLeft.x, topLeft.y, w, h, memory, 0, 0, MulDivRound(w, kBaseDpi, dpi),
                   MulDivRound(h, kBaseDpi, dpi), SRCCOPY);
        SelectObject(memory, previous);
    }
    if (memory != nullptr) {
        DeleteDC(memory);
    }
    if (logo != nullptr) {
        DeleteObject(logo);
    }
    EndPaint(dialog, &paint);
}

// The product picture at the dialog's display scale (the control centres it).
static HBITMAP scaledProduct = nullptr;
static void ScaleProductPicture(HWND dialog) {
    const int dpi = WindowDpi(dialog);
    if (dpi == kBaseDpi) {
        return;
    }
    HBITMAP product = LoadBitmapA(static_cast<HINSTANCE>(appState.instance),
                                  MAKEINTRESOURCEA(ABOUT_PRODUCT_BITMAP));
    BITMAP size;
    if (product != nullptr && GetObjectA(product, sizeof size, &size)) {
        HBITMAP scaled =
            static_cast<HBITMAP>(CopyImage(product, IMAGE_BITMAP, ScaleToDpi(size.bmWidth, dpi),
                                           ScaleToDpi(size.bmHeight, dpi), LR_COPYDELETEORG));
        if (scaled != nullptr) {
            SendDlgItemMessageA(dialog, ABOUT_PRODUCT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                                reinterpret_cast<LPARAM>(scaled));
            scaledProduct = scaled;
            return;
        }
    }
    if (product != nullptr) {
        DeleteObject(product);
    }
}

static INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        ScaleProductPicture(dialog);
        CentreOnOwner(reinterpret_cast<WindowHandle>(dialog), appState.mainWindow);
        char line[64];
        // The build's version 3.2.1002 reads "Clavoro V3.2 Build: 1002".
        std::snprintf(line, sizeof line, "%s V%d.%d Build: %d", "Clavoro", CLAVORO_VERSION_MAJOR,
                      CLAVORO_VERSION_MINOR, CLAVORO_VERSION_BUILD);
        SetDlgItemTextA(dialog, ABOUT_VERSION_LINE, line);
        return TRUE;
    }
    case WM_PAINT:
        // Painted on every paint message, so the logo comes back when uncovered.
        PaintLogo(dialog);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        if (scaledProduct != nullptr) { // the control does not delete what it was given
            DeleteObject(scaledProduct);
            scaledProduct = nullptr;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void RunAboutBox(WindowHandle owner) {
    DialogBoxParamA(static_cast<HINSTANCE>(appState.instance), "AboutBox",
                    reinterpret_cast<HWND>(owner), AboutBoxProc, 0);
}
