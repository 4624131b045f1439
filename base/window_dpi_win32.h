// The display scale of a window, from the system calls of Windows 10 where there are
// any and from the screen's scale before (Windows 7 and 8 give one scale to every
// monitor). Included by Win32 files only.
#pragma once
#include <windows.h>

// Dots per inch of the monitor the window is on (96 at 100 %).
int WindowDpi(HWND window);

// The window rectangle around a client rectangle, with the frame of the display scale.
void ClientToWindowRect(RECT* rect, DWORD style, DWORD extendedStyle, int dpi);

// The dialog manager leaves this dialog's layout and fonts alone when the window moves to
// a monitor of another scale: the window lays itself out (Windows 10 1703 and later).
void KeepOwnLayoutOnDpiChange(HWND dialog);
