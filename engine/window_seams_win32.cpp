// The window-system operations the key engine calls.
#include <windows.h>

#include "base/app_state.h"
#include "engine/engine_seams.h"
#include "engine/event_clock.h"

// The counter as it was when the key or mouse-button message being handled was made.
int64_t ReadCounter() {
    static EventClock clock;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const DWORD stamp = static_cast<DWORD>(GetMessageTime());
    const LONG late = static_cast<LONG>(GetTickCount() - stamp);
    // A sent message's time would be another message's.
    return EventReading(&clock, now.QuadPart, !InSendMessage(), late, stamp,
                        appState.ticksPerMillisecond);
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
