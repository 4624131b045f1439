// filter_x64.dll, the system-key filter: a low-level keyboard hook that, while the
// program is in the foreground, keeps the system from acting on the Windows keys,
// the application key, Alt+Tab, Alt+Esc and Ctrl+Esc, and hands those keys to the
// main window as ordinary key messages so they are tested like any other key.
// kb_filter_rules.h lists exactly what is held back.
#pragma once
#include <windows.h>

#ifdef CLAVORO_BUILDING_FILTER
#define KB_FILTER_API extern "C" __declspec(dllexport)
#else
#define KB_FILTER_API extern "C" __declspec(dllimport)
#endif

// Installs the hook for mainWindow on a thread of its own and returns its handle, or null
// when it cannot be installed (no such window, or the system refused the hook). While a
// hook is installed, a further call only retargets it and returns the same handle.
KB_FILTER_API HHOOK LoadKBFilter(HWND mainWindow);
// Removes the hook LoadKBFilter returned and ends its thread; non-zero when it was removed.
KB_FILTER_API BOOL UnLoadKBFilter(HHOOK hook);
