// The raw keyboard input of /d on the main window. Included by Win32 files only.
#pragma once
#include <windows.h>

// Asks the system for a raw record of every key while the program is in front.
void RegisterRawKeyboard(HWND mainWindow);
// WM_INPUT of the main window (lParam: the record's handle).
void OnRawKeyboardInput(LPARAM lParam);
