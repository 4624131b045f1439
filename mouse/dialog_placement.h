// Where the controls of the full-screen mouse test dialogs go.
#pragma once

struct ControlOffset {
    int dx;
    int dy;
};

// The controls' block of about 400 x 300 pixels (at 96 dpi; larger by the display scale
// dpi) is moved to the middle of the first monitor (monitors side by side share the
// virtual-screen width equally).
ControlOffset MouseDialogControlOffset(int screenWidth, int screenHeight, int monitors, int dpi);

// The controls of each dialog in the order they are moved.
extern const int moveTestControls[];
extern const int moveTestControlCount;
extern const int driftTestControls[];
extern const int driftTestControlCount;
