// The About box and the placement rule shared by the dialogs that open centred.
#pragma once
#include "app/handles.h"

void RunAboutBox(WindowHandle owner);
void CentreOnOwner(WindowHandle dialog, WindowHandle owner);

struct DialogPlacement {
    int x;
    int y;
};
// The arithmetic of CentreOnOwner: dialog size w x h, owner's outer rectangle, screen size.
DialogPlacement CentredPosition(int w, int h, int ownerLeft, int ownerTop, int ownerWidth,
                                int ownerHeight, int screenWidth, int screenHeight);
