// filter_x64.dll. The low-level hook runs on the thread that installed it (the
// program's GUI thread, while it waits for messages), so the state below is only
// ever touched by that one thread.
//
// The hook never outlives the program: the program removes it with UnLoadKBFilter
// when the box is unticked and when the main window is destroyed, the DLL removes
// it when it is unloaded, and the system removes every hook of a thread when the
// thread ends, also when the program crashes or is killed. A program that hangs
// without ending does not lock the keyboard either: the system stops waiting for a
// low-level hook after a short time-out and passes the key on.
//
// A held-back key reaches the main window as a posted message, and a thread takes
// posted messages before input still waiting in its queue. Keys that pass and keys
// that are held back keep their order as long as the program has taken the earlier
// key before the next one comes, which at typing speed it always has; only input
// injected back to back (Alt and Tab within the same millisecond) can arrive swapped.
#define CLAVORO_BUILDING_FILTER
#include "engine/filter/kb_filter.h"

#include "engine/filter/kb_filter_rules.h"

namespace {
HMODULE filterModule = nullptr;
HHOOK installedHook = nullptr;
HWND targetWindow = nullptr;
DWORD targetProcess = 0;
FilterState filterState;

LRESULT CALLBACK FilterKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && targetWindow != nullptr) {
        const KBDLLHOOKSTRUCT* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        LowLevelKey key;
        key.virtualKey = static_cast<int>(event->vkCode);
        key.scanCode = static_cast<int>(event->scanCode);
        key.extended = (event->flags & LLKHF_EXTENDED) != 0;
        key.keyUp = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
        // Wine leaves LLKHF_ALTDOWN clear on injected input; the system's Alt state
        // says the same on both.
        key.altDown =
            (event->flags & LLKHF_ALTDOWN) != 0 || (GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
        key.ctrlDown = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;

        HWND foreground = GetForegroundWindow();
        DWORD foregroundProcess = 0;
        if (foreground != nullptr) {
            GetWindowThreadProcessId(foreground, &foregroundProcess);
        }
        bool programInForeground = foreground != nullptr && foregroundProcess == targetProcess;
        bool mainWindowInForeground = foreground == targetWindow && IsWindowEnabled(targetWindow);

        PostedKey posted;
        if (FilterKeyEvent(filterState, key, programInForeground, mainWindowInForeground,
                           &posted)) {
            if (posted.message != 0) {
                PostMessageA(targetWindow, posted.message, posted.virtualKey,
                             static_cast<LPARAM>(posted.lParam));
            }
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void RemoveHook() {
    if (installedHook != nullptr) {
        UnhookWindowsHookEx(installedHook);
    }
    installedHook = nullptr;
    targetWindow = nullptr;
    targetProcess = 0;
    ResetFilterState(filterState);
}
} // namespace

KB_FILTER_API HHOOK LoadKBFilter(HWND mainWindow) {
    if (mainWindow == nullptr || !IsWindow(mainWindow)) {
        return nullptr;
    }
    DWORD process = 0;
    GetWindowThreadProcessId(mainWindow, &process);
    targetWindow = mainWindow;
    targetProcess = process;
    if (installedHook == nullptr) {
        ResetFilterState(filterState);
        installedHook = SetWindowsHookExA(WH_KEYBOARD_LL, FilterKeyboardProc, filterModule, 0);
        if (installedHook == nullptr) {
            targetWindow = nullptr;
            targetProcess = 0;
        }
    }
    return installedHook;
}

KB_FILTER_API BOOL UnLoadKBFilter(HHOOK hook) {
    if (hook == nullptr || hook != installedHook) {
        return FALSE;
    }
    RemoveHook();
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        filterModule = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on: take the hook along. At process end
        // (reserved non-null) the system removes it itself.
        RemoveHook();
    }
    return TRUE;
}
