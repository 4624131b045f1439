// Painting the picture and the key hatches onto the picture control 1006.
#include <windows.h>

#include "base/app_state.h"
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
    // Shown larger than 1.25 times, the picture is drawn from its double-size copy,
    // which is sharper than the small one stretched.
    const int source = PictureSourceScale(pictureScale, doublePictureDC != nullptr);
    DrawHandle from = source == 2 ? doublePictureDC : pictureDC;
    if (from != nullptr) {
        StretchBlt(target, 0, 0, width, height, reinterpret_cast<HDC>(from), 0, 0, 700 * source,
                   340 * source, SRCCOPY);
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

// A frame w pixels thick inside the key's corners (x1 and y1 included).
static void DrawFrame(HDC target, const KeyCorners& c, int w, HBRUSH brush) {
    const RECT bars[4] = {{c.x0, c.y0, c.x1 + 1, c.y0 + w},
                          {c.x0, c.y1 + 1 - w, c.x1 + 1, c.y1 + 1},
                          {c.x0, c.y0, c.x0 + w, c.y1 + 1},
                          {c.x1 + 1 - w, c.y0, c.x1 + 1, c.y1 + 1}};
    for (const RECT& bar : bars) {
        FillRect(target, &bar, brush);
    }
}

// Drawn after the hatch, inside the key's outline.
static void DrawChatterMark(HDC target, const KeyCorners& c) {
    HBRUSH brush = CreateSolidBrush(kChatterMarkColour);
    if (brush != nullptr) {
        DrawFrame(target, c, HatchFiguresFor(pictureDpi).chatterWidth, brush);
        DeleteObject(brush);
    }
}

// Above 100 % the system's hatch brush (1-pixel lines 8 pixels apart) would look ever
// finer: the same diagonal cross is drawn with lines and spacing scaled, band by band
// (x - y, and x + y, within [c, c + width) for c a multiple of the spacing), clipped to
// the key, then the outline as wide as the lines.
static void DrawScaledHatch(HDC target, const KeyCorners& c, HBRUSH brush) {
    const HatchFigures f = HatchFiguresFor(pictureDpi);
    const int saved = SaveDC(target);
    IntersectClipRect(target, c.x0, c.y0, c.x1 + 1, c.y1 + 1);
    SelectObject(target, GetStockObject(NULL_PEN));
    SelectObject(target, brush);
    const int top = c.y0, bottom = c.y1 + 1, w = f.lineWidth;
    auto first = [&](int low) {
        return (low >= 0 ? low : low - f.spacing + 1) / f.spacing * f.spacing;
    };
    for (int k = first(c.x0 - bottom - w); k <= c.x1 - top; k += f.spacing) {
        const POINT band[4] = {
            {k + top, top}, {k + w + top, top}, {k + w + bottom, bottom}, {k + bottom, bottom}};
        Polygon(target, band, 4);
    }
    for (int k = first(c.x0 + top - w); k <= c.x1 + bottom; k += f.spacing) {
        const POINT band[4] = {
            {k - top, top}, {k + w - top, top}, {k + w - bottom, bottom}, {k - bottom, bottom}};
        Polygon(target, band, 4);
    }
    RestoreDC(target, saved);
    DrawFrame(target, c, f.frameWidth, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
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
    const HatchFigures figures = HatchFiguresFor(pictureDpi);
    const bool systemHatch = figures.spacing == 8 && figures.lineWidth == 1;
    HBRUSH brush = systemHatch ? CreateHatchBrush(HS_DIAGCROSS, colour) : CreateSolidBrush(colour);
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
        if (systemHatch) {
            HGDIOBJ previous = SelectObject(target, brush);
            // Transparent background: the picture shows between the hatch lines.
            SetBkMode(target, TRANSPARENT);
            const POINT corners[4] = {{c.x0, c.y0}, {c.x1, c.y0}, {c.x1, c.y1}, {c.x0, c.y1}};
            Polygon(target, corners, 4);
            SelectObject(target, previous);
        } else {
            DrawScaledHatch(target, c, brush);
        }
        if (key.chattered) {
            DrawChatterMark(target, c);
        }
        if (control != nullptr) {
            ReleaseDC(control, target);
        }
    }
    DeleteObject(brush);
}
