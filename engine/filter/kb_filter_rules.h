// What the system-key filter does with one low-level key event: let it through to
// the system, or hold it back and hand it to the main window as the key message it
// would have been. Shared by filter_x64.dll and the unit tests; no Win32 here.
//
// Held back, while a window of the program is in the foreground:
//   - the left and right Windows keys (both directions, with or without modifiers),
//     so the Start menu and the Windows-key shortcuts do nothing;
//   - the application (context-menu) key;
//   - Tab while Alt is down (Alt+Tab) and Escape while Alt is down (Alt+Esc);
//   - Escape while Ctrl is down (Ctrl+Esc).
// The key-up of a held-back key-down is held back too, even if the modifier has been
// let go or the program has lost the foreground in between, so the system never sees
// half a key press. Alt and Ctrl themselves always pass through.
#pragma once
#include <cstdint>

struct LowLevelKey {
    int virtualKey;
    int scanCode;
    bool extended;
    bool keyUp;
    bool altDown;  // the system's Alt flag of the event
    bool ctrlDown; // a Ctrl key is down
};

struct FilterState {
    uint8_t heldDown[256]; // 1 while we hold back a key-down whose key-up is still to come
};

struct PostedKey {
    unsigned message; // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP; 0 = post nothing
    unsigned virtualKey;
    uint32_t lParam;
};

constexpr unsigned kWmKeyDown = 0x0100;
constexpr unsigned kWmKeyUp = 0x0101;
constexpr unsigned kWmSysKeyDown = 0x0104;
constexpr unsigned kWmSysKeyUp = 0x0105;

void ResetFilterState(FilterState& state);
// Whether the system must not see this key-down.
bool IsSystemKeyDown(const LowLevelKey& key);
// Decides one event. programInForeground: a window of the program's process is the
// foreground window; mainWindowInForeground: that window is the main window itself.
// Returns true when the event is held back from the system; posted then says what to
// post to the main window (nothing while a dialog of the program is in front, so a
// key never reaches the test behind a modal dialog).
bool FilterKeyEvent(FilterState& state, const LowLevelKey& key, bool programInForeground,
                    bool mainWindowInForeground, PostedKey* posted);
// The key message's second parameter: repeat count 1, scan code, extended flag,
// Alt context, previous key state and transition state.
uint32_t KeyMessageLParam(int scanCode, bool extended, bool altDown, bool wasDown, bool keyUp);
