// Drawing the key states over the keyboard picture: a hatched polygon per key in the
// colour of its status, scaled with the picture.
#pragma once
#include <cstdint>

#include "app/handles.h"

// Picture control's client width / 700, set by the main window's layout pass.
extern float pictureScale;

// Owner-draw of the picture control (WM_DRAWITEM): does nothing unless controlId is 1006.
void DrawKeyboard(int controlId, DrawHandle dc);
void DrawFailedKeys(DrawHandle dc);
// DrawKey(window, dc, index) is declared in engine/engine_seams.h.

// A key that chattered (/c) gets a frame this many pixels thick over its hatch, in a
// colour (0x00BBGGRR) that no status uses: it stays visible whatever the key's status.
constexpr uint32_t kChatterMarkColour = 0xFF00FF;
constexpr int kChatterMarkWidth = 3;

// Portable parts, unit-tested: the hatch colour of a status (0x00BBGGRR), 0 when the
// status is not drawn; and the four scaled corners of a key rectangle.
int KeyColour(int32_t status, int32_t highlight, uint32_t* colour);
struct KeyCorners {
    int x0, y0, x1, y1;
};
KeyCorners ScaleKeyRect(int32_t left, int32_t top, int32_t width, int32_t height, float scale);
