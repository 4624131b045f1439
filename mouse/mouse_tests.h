// The two mouse test dialogs, modal, owned by the main window (Win32).
#pragma once
#include "base/handles.h"
#include "mouse/dialog_placement.h"

void RunMouseMoveTest(WindowHandle owner);  // "MOUSETEST"
void RunMouseDriftTest(WindowHandle owner); // "MOUSEDRIFT"

// Moves a control of the dialog by (dx, dy) in the dialog's client coordinates, with its
// size unchanged, and repaints it.
void MoveControlBy(WindowHandle dialog, int controlId, int dx, int dy);
// Moves and sizes a full-screen dialog to the whole virtual screen, all monitors.
VirtualScreen CoverVirtualScreen(WindowHandle dialog);
