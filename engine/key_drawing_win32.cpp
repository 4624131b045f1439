// Painting the picture and the key hatches onto the picture control 1006.
#include <windows.h>

#include "app/app_state.h"
#include "engine/engine_seams.h"
#include "engine/key_drawing.h"
#include "engine/key_engine.h"
#include "layout/layout_catalogue.h"

constexpr int kPictureControl = 1006;

void DrawKeyboard(int controlId, DrawHandle dc) {
    if (controlId != kPictureControl) {
        return;
    }
    HDC target = reinterpret_cast<HDC>(dc);
    SetStretchBltMode(target, HALFTONE);
    // The height follows the width's scale, so the picture keeps its proportions.
    const int width = static_cast<int>(pictureScale * 700.0);
    const int height = static_cast<int>(pictureScale * 340.0);
    if (pictureDC != nullptr) {
        StretchBlt(target, 0, 0, width, height, reinterpret_cast<HDC>(pictureDC), 0, 0, 700, 340,
                   SRCCOPY);
    }
    if (engine.table == nullptr) {
        return;
    }
    for (int i = 0; engine.table[i].keyCode != kEndCode; ++i) {
        DrawKey(appState.mainWindow, dc, i);
    }
    DrawFailedKeys(dc);
}

void DrawFailedKeys(DrawHandle dc) {
    if (engine.table == nullptr) {
        return;
    }
    // Failures are drawn last so that they stay visible where key rectangles overlap.
    for (int i = 0; engine.table[i].keyCode != kEndCode; ++i) {
        if (engine.table[i].status == KeyFailure) {
            DrawKey(appState.mainWindow, dc, i);
        }
    }
}

// Drawn after the hatch, inside the key's outline (x1 and y1 included).
static void DrawChatterMark(HDC target, const KeyCorners& c) {
    HBRUSH brush = CreateSolidBrush(kChatterMarkColour);
    if (brush == nullptr) {
        return;
    }
    const int w = kChatterMarkWidth;
    const RECT bars[4] = {{c.x0, c.y0, c.x1 + 1, c.y0 + w},
                          {c.x0, c.y1 + 1 - w, c.x1 + 1, c.y1 + 1},
                          {c.x0, c.y0, c.x0 + w, c.y1 + 1},
                          {c.x1 + 1 - w, c.y0, c.x1 + 1, c.y1 + 1}};
    for (const RECT& bar : bars) {
        FillRect(target, &bar, brush);
    }
    DeleteObject(brush);
}

void DrawKey(WindowHandle window, DrawHandle dc, int index) {
    if (engine.table == nullptr || index < 0) {
        return;
    }
    const KeyRecord& key = engine.table[index];
    uint32_t colour = 0;
    if (!KeyColour(key.status, key.highlight, &colour)) {
        return;
    }
    HBRUSH brush = CreateHatchBrush(HS_DIAGCROSS, colour);
    if (brush == nullptr) {
        return;
    }
    const KeyCorners c = ScaleKeyRect(key.left, key.top, key.width, key.height, pictureScale);

    HDC target = reinterpret_cast<HDC>(dc);
    HWND control = nullptr;
    if (target == nullptr) {
        control = GetDlgItem(reinterpret_cast<HWND>(window), kPictureControl);
        if (control != nullptr) {
            target = GetDC(control);
        }
    }
    if (target != nullptr) {
        HGDIOBJ previous = SelectObject(target, brush);
        // Transparent background: the picture shows between the hatch lines.
        SetBkMode(target, TRANSPARENT);
        const POINT corners[4] = {{c.x0, c.y0}, {c.x1, c.y0}, {c.x1, c.y1}, {c.x0, c.y1}};
        Polygon(target, corners, 4);
        SelectObject(target, previous);
        if (key.chattered) {
            DrawChatterMark(target, c);
        }
        if (control != nullptr) {
            ReleaseDC(control, target);
        }
    }
    DeleteObject(brush);
}
