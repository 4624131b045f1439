// "Filter system keys": a keyboard hook from filter_x64.dll on the NT family, the
// screen-saver-running flag on older systems.
#pragma once
#include "base/handles.h"

// Platform family and major version, recorded by the main window's initialisation.
void RecordPlatformVersion(int platformId, int majorVersion);
// Follows the state of check box 1019 of window.
void ApplySystemKeyFilter(WindowHandle window);
// Shut-down: removes the hook and clears the screen-saver flag if they were set.
void ReleaseSystemKeyFilter();

constexpr int kPlatformWin32Windows = 1; // the older family
constexpr int kPlatformWin32Nt = 2;

extern int platformId;
extern int platformMajorVersion;
extern void* filterHook;        // from LoadKBFilter; null while no hook is installed
extern bool screenSaverFlagSet; // we switched the screen-saver-running flag on once

// Seams (system_key_filter_win32.cpp in the program, fakes in the tests).
int IsFilterBoxChecked(WindowHandle window); // check box 1019
void SetFilterBoxChecked(WindowHandle window, int checked);
void* LoadKeyboardFilter(WindowHandle window); // LoadKBFilter of filter_x64.dll
void UnloadKeyboardFilter(void* hook);         // UnLoadKBFilter of filter_x64.dll
void SetScreenSaverRunning(int on);            // SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING)
