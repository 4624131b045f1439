#include <windows.h>

#include "base/app_state.h"
#include "base/message_box.h"

int ShowMessage(WindowHandle owner, const char* text, const char* caption, MessageIcon icon) {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, MB_OK | icon);
}

// The window the operator is looking at: the active one of this thread, or, with another
// program in front, the last one the main window's owned windows had active. A window
// that is hidden (the main window while it is being destroyed) owns nothing.
static HWND WindowInFront() {
    HWND front = GetActiveWindow();
    HWND main = reinterpret_cast<HWND>(appState.mainWindow);
    if (front == nullptr && main != nullptr && IsWindow(main)) {
        front = GetLastActivePopup(main);
    }
    return front != nullptr && IsWindowVisible(front) ? front : nullptr;
}

bool AskRetryOrCancel(const char* text, const char* caption, MessageIcon icon) {
    HWND owner = WindowInFront();
    const UINT flags =
        MB_RETRYCANCEL | icon | (owner == nullptr ? MB_TASKMODAL | MB_SETFOREGROUND : 0);
    return MessageBoxA(owner, text, caption, flags) == IDRETRY;
}
