// Where the controls of the full-screen mouse test dialogs go.
#pragma once

struct VirtualScreen {
    int left; // negative where a monitor lies left of or above the main one
    int top;
    int width;
    int height;
};

struct ControlOffset {
    int dx;
    int dy;
};

// The full-screen dialogs cover the virtual screen, whose top-left corner (screenLeft,
// screenTop) lies left of and above the main monitor's when another monitor is there. The
// controls' block of about 400 x 300 pixels (at 96 dpi; larger by the display scale dpi) is
// moved by this offset in the dialog's client coordinates to the middle of the main monitor
// (mainWidth x mainHeight, its top-left corner at 0,0).
ControlOffset MouseDialogControlOffset(int screenLeft, int screenTop, int mainWidth, int mainHeight,
                                       int dpi);

// The controls of each dialog in the order they are moved.
extern const int moveTestControls[];
extern const int moveTestControlCount;
extern const int driftTestControls[];
extern const int driftTestControlCount;
