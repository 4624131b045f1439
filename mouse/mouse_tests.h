// The two mouse test dialogs, modal, owned by the main window (Win32).
#pragma once
#include "app/handles.h"

void RunMouseMoveTest(WindowHandle owner);  // "MOUSETEST"
void RunMouseDriftTest(WindowHandle owner); // "MOUSEDRIFT"
