// The window-system operations the key engine calls.
#include <windows.h>

#include "engine/engine_seams.h"

int64_t ReadCounter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void PostCommand(WindowHandle window, int commandId) {
    PostMessageA(reinterpret_cast<HWND>(window), WM_COMMAND, static_cast<WPARAM>(commandId), 0);
}

void RepaintWindow(WindowHandle window) {
    InvalidateRect(reinterpret_cast<HWND>(window), nullptr, FALSE);
}

void FocusWindow(WindowHandle window) {
    SetFocus(reinterpret_cast<HWND>(window));
}

void DestroyMainWindow(WindowHandle window) {
    DestroyWindow(reinterpret_cast<HWND>(window));
}
