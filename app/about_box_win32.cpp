// The About box dialog and the centring rule of the dialogs that open over the main window.
#include <windows.h>

#include <cstdio>

#include "app/about_box.h"
#include "app/app_state.h"
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
        BitBlt(dc, topLeft.x, topLeft.y, r.right - r.left, r.bottom - r.top, memory, 0, 0, SRCCOPY);
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

static INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
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
    default:
        return FALSE;
    }
}

void RunAboutBox(WindowHandle owner) {
    DialogBoxParamA(static_cast<HINSTANCE>(appState.instance), "AboutBox",
                    reinterpret_cast<HWND>(owner), AboutBoxProc, 0);
}

void CentreOnOwner(WindowHandle dialog, WindowHandle owner) {
    HWND self = reinterpret_cast<HWND>(dialog);
    RECT box;
    RECT ownerRect;
    if (!GetWindowRect(self, &box) || !GetWindowRect(reinterpret_cast<HWND>(owner), &ownerRect)) {
        return;
    }
    // The resolution of the display that the dialog itself is drawn on.
    int screenWidth = 0;
    int screenHeight = 0;
    HDC dc = GetDC(self);
    if (dc != nullptr) {
        screenWidth = GetDeviceCaps(dc, HORZRES);
        screenHeight = GetDeviceCaps(dc, VERTRES);
        ReleaseDC(self, dc);
    }
    const DialogPlacement p =
        CentredPosition(box.right - box.left, box.bottom - box.top, ownerRect.left, ownerRect.top,
                        ownerRect.right - ownerRect.left, ownerRect.bottom - ownerRect.top,
                        screenWidth, screenHeight);
    SetWindowPos(self, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
