// The About box and the placement rule shared by the dialogs that open centred.
#pragma once
#include "base/handles.h"

void RunAboutBox(WindowHandle owner);
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
