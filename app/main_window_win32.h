// The main window (Win32): its class procedure, the set-up of its controls and the
// help page. Included by Win32 files only.
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Fills and sets the controls once the catalogue is loaded and ClearAll has run.
void InitialiseMainWindow(HWND window);

// Places the picture and the button row for a client area of width x height.
void LayOutMainWindow(HWND window, int width, int height);

// Opens <program folder>\help\html\<page> with the default browser.
void OpenHelpPage(HWND owner, const char* page);

// Main-window timers: the LED test's and the host poll of a plug-in run (the statistics
// texts' is kStatisticsTimer, 3, of engine/statistics.h).
constexpr UINT_PTR kLedTimer = 1;
constexpr UINT_PTR kHostPollTimer = 2;
