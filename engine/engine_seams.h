// What the key engine needs from the window system. The program links the Win32
// definitions (files ending _win32.cpp); the unit tests link fakes that record calls.
#pragma once
#include <cstdint>

#include "base/handles.h"

int64_t ReadCounter(); // QueryPerformanceCounter when the event being handled was made

void DrawKey(WindowHandle window, DrawHandle dc, int index); // dc null: the picture control's
void UpdateStatistics(WindowHandle window);                  // the ten statistics controls
void PostCommand(WindowHandle window, int commandId);        // WM_COMMAND posted to window
void RepaintWindow(WindowHandle window);                     // invalidate all, no erase
void FocusWindow(WindowHandle window);
void DestroyMainWindow(WindowHandle window);
