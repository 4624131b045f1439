// The placement rule of the dialogs that open over their owner (the About box, the batch
// and verdict dialogs).
#pragma once
#include "base/handles.h"

// Centres the dialog on its owner and keeps it on the owner's monitor.
void CentreOnOwner(WindowHandle dialog, WindowHandle owner);

struct DialogPlacement {
    int x;
    int y;
};
struct ScreenArea {
    int left;
    int top;
    int width;
    int height;
};
// The arithmetic of CentreOnOwner: dialog size w x h, the owner's outer rectangle, and the work
// area of the owner's monitor, in virtual-screen coordinates (negative left of and above the
// main monitor).
DialogPlacement CentredPosition(int w, int h, const ScreenArea& owner, const ScreenArea& monitor);
