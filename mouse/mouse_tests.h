// The two mouse test dialogs, modal, owned by the main window (Win32).
#pragma once
#include "app/handles.h"

void RunMouseMoveTest(WindowHandle owner);  // "MOUSETEST"
void RunMouseDriftTest(WindowHandle owner); // "MOUSEDRIFT"

// Moves a control of the dialog by (dx, dy) with its size unchanged and repaints it.
// The control's top-left corner in screen coordinates, moved by (dx, dy), is taken as
// the new position in the dialog's client coordinates; the full-screen mouse dialogs
// lie at the screen's origin, where the two nearly agree.
void MoveControlBy(WindowHandle dialog, int controlId, int dx, int dy);
