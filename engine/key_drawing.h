// Drawing the key states over the keyboard picture: a hatched polygon per key in the
// colour of its status, scaled with the picture.
#pragma once
#include <cstdint>

#include "base/handles.h"

// Picture control's client width / 700, set by the main window's layout pass; and the
// window's display scale in dots per inch, which sets the width of the hatch lines and
// frames (96: the system's hatch brush, as drawn at 100 %).
extern float pictureScale;
extern int pictureDpi;

// 2 when the picture at twice the size is drawn: there is one and the picture is shown
// larger than 1.25 times; else 1.
int PictureSourceScale(float scale, bool haveDouble);

// Owner-draw of the picture control (WM_DRAWITEM): does nothing unless controlId is 1006.
void DrawKeyboard(int controlId, DrawHandle dc);
void DrawFailedKeys(DrawHandle dc);
// DrawKey(window, dc, index) is declared in engine/engine_seams.h.

// A key that chattered (/c) gets a frame over its hatch (3 pixels thick at 96 dpi), in a
// colour (0x00BBGGRR) that no status uses: it stays visible whatever the key's status.
constexpr uint32_t kChatterMarkColour = 0xFF00FF;

// Portable parts, unit-tested: the hatch colour of a status (0x00BBGGRR), 0 when the
// status is not drawn; and the four scaled corners of a key rectangle.
int KeyColour(int32_t status, int32_t highlight, uint32_t* colour);
struct KeyCorners {
    int x0, y0, x1, y1;
};
// Pixel figures of the keyboard picture at dpi: the spacing of the hatch lines and their
// width, the key's outline and the chatter frame.
struct HatchFigures {
    int spacing;      // 8 at 96 dpi, as the system's hatch brushes
    int lineWidth;    // 1 at 96 dpi
    int frameWidth;   // the key's outline
    int chatterWidth; // the frame of a key that chattered
};
HatchFigures HatchFiguresFor(int dpi);
KeyCorners ScaleKeyRect(int32_t left, int32_t top, int32_t width, int32_t height, float scale);
