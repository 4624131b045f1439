// The LED test's window-system side: the thread's keyboard state, the synthetic
// lock-key events and timer 1 of the main window.
//
// GetKeyboardState reports the key state of this thread's message queue as of the
// last keyboard message it took off the queue, not the state "now": a lock key
// toggled while another program had the keyboard would be missed. GetKeyState, on
// a thread that is not in the middle of keyboard input (as in a timer tick or a
// button command), first brings the thread's whole key state up to date with the
// system's, so we call it before reading the state. Our own lock-key events come
// back to the main window as ordinary key messages (the key handlers drop them by
// their scan code 255) and are taken off the queue long before the next 500 ms
// tick; within one tick every lock key is read and toggled once, so no key is
// judged on a state that misses one of our own events.
#include <windows.h>

#include "base/app_state.h"
#include "engine/led_test.h"

namespace {
constexpr UINT_PTR kLedTimerId = 1;
constexpr UINT kLedTimerPeriodMs = 500;
constexpr BYTE kOurLockScanCode = 255; // marks the events the key handlers must drop

HWND ledTimerWindow = nullptr; // the window timer 1 was started on
} // namespace

void ReadKeyboardState(uint8_t state[256]) {
    GetKeyState(VK_CAPITAL); // brings the thread's key state up to date
    if (!GetKeyboardState(state)) {
        ZeroMemory(state, 256);
    }
}

void SendLockKeyToggle(int virtualKey) {
    BYTE vk = static_cast<BYTE>(virtualKey);
    keybd_event(vk, kOurLockScanCode, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(vk, kOurLockScanCode, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}

void StartLedTimer(WindowHandle window) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    if (hwnd == nullptr) {
        hwnd = reinterpret_cast<HWND>(appState.mainWindow);
    }
    ledTimerWindow = hwnd;
    SetTimer(hwnd, kLedTimerId, kLedTimerPeriodMs, nullptr);
}

void KillLedTimer() {
    HWND hwnd =
        ledTimerWindow != nullptr ? ledTimerWindow : reinterpret_cast<HWND>(appState.mainWindow);
    if (hwnd != nullptr) {
        KillTimer(hwnd, kLedTimerId);
    }
    ledTimerWindow = nullptr;
}
