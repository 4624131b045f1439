// The window-system operations the key engine calls.
#include <windows.h>

#include "app/app_state.h"
#include "engine/engine_seams.h"

// A key or button message handled at least this much later than it was made is timed by
// its own time stamp. Closer to its making the counter reading stands as it is: message
// times count in the system's clock ticks, 10 to 16 ms on Windows, too coarse for that.
static const LONG kLateMessageMs = 50;

// The counter as it was when the key or mouse-button message being handled was made.
// That is normally now, but the thread can be held up while input waits in the queue:
// under Wine on an X server without a window manager, hiding a window (every dialog
// that ends) blocks for 2 s while Wine waits for a window manager to confirm it, and
// keys pressed meanwhile would all be taken at once, as if held for no time at all
// and pressed together. The message's own time says how late it is handled.
// A reading taken back that way never goes below the one before: a release timed by its
// message after a press timed by the counter must not show a press of less than no time.
int64_t ReadCounter() {
    static int64_t previous = 0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (!InSendMessage()) { // a sent message's time would be another message's
        const LONG late = static_cast<LONG>(GetTickCount() - static_cast<DWORD>(GetMessageTime()));
        if (late >= kLateMessageMs) {
            now.QuadPart -= late * appState.ticksPerMillisecond;
        }
    }
    if (now.QuadPart < previous) {
        now.QuadPart = previous;
    }
    previous = now.QuadPart;
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
