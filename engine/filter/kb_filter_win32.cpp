// filter_x64.dll. The low-level hook runs on a thread of its own, which does nothing but
// wait for the system's calls of the hook in its message loop: the system removes a hook that
// does not answer within its time-out (at most 1 s since Windows 10 1709) without a word, and
// the program's window thread writes the log to a share, shows dialogs and waits in the drift
// test. The filter's state is touched by that thread only; the target window and process are
// set before it starts (or, retargeted, atomically).
//
// The hook never outlives the program: the program removes it with UnLoadKBFilter when the
// box is unticked and when the main window is destroyed (the thread unhooks and ends), and
// the system removes every hook of a thread when the thread ends, also when the program
// crashes or is killed. The thread holds a reference to this DLL, so the DLL is never
// unloaded under it.
//
// A held-back key reaches the main window as a posted message, and a thread takes
// posted messages before input still waiting in its queue. Keys that pass and keys
// that are held back keep their order as long as the program has taken the earlier
// key before the next one comes, which at typing speed it always has; only input
// injected back to back (Alt and Tab within the same millisecond) can arrive swapped.
#define CLAVORO_BUILDING_FILTER
#include "engine/filter/kb_filter.h"

#include <atomic>

#include "engine/filter/kb_filter_rules.h"

namespace {
// How long the end of the hook's thread is waited for; it only ever waits for messages.
constexpr DWORD kThreadEndWaitMs = 5000;

HHOOK installedHook = nullptr; // set by the hook's thread before it says it is ready
HANDLE hookThread = nullptr;
DWORD hookThreadId = 0;
std::atomic<HWND> targetWindow{nullptr};
std::atomic<DWORD> targetProcess{0};
FilterState filterState;

LRESULT CALLBACK FilterKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    HWND target = targetWindow;
    if (code == HC_ACTION && target != nullptr) {
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
        bool mainWindowInForeground = foreground == target && IsWindowEnabled(target);

        PostedKey posted;
        if (FilterKeyEvent(filterState, key, programInForeground, mainWindowInForeground,
                           &posted)) {
            if (posted.message != 0) {
                PostMessageA(target, posted.message, posted.virtualKey,
                             static_cast<LPARAM>(posted.lParam));
            }
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI HookThread(void* ready) {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&HookThread), &self); // one more reference
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE); // the queue WM_QUIT comes to
    ResetFilterState(filterState);
    installedHook = SetWindowsHookExA(WH_KEYBOARD_LL, FilterKeyboardProc, self, 0);
    const bool hooked = installedHook != nullptr;
    SetEvent(static_cast<HANDLE>(ready));
    if (hooked) {
        // The system calls a low-level hook through the message loop of its thread.
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            DispatchMessageA(&msg);
        }
        UnhookWindowsHookEx(installedHook);
    }
    FreeLibraryAndExitThread(self, 0);
    return 0;
}

void EndHookThread() {
    if (hookThread != nullptr) {
        PostThreadMessageA(hookThreadId, WM_QUIT, 0, 0);
        WaitForSingleObject(hookThread, kThreadEndWaitMs);
        CloseHandle(hookThread);
    }
    hookThread = nullptr;
    hookThreadId = 0;
    installedHook = nullptr;
    targetWindow = nullptr;
    targetProcess = 0;
}

// Starts the hook's thread and waits until it has installed the hook, or failed to.
void StartHookThread() {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (ready == nullptr) {
        return;
    }
    hookThread = CreateThread(nullptr, 0, HookThread, ready, 0, &hookThreadId);
    if (hookThread != nullptr) {
        SetThreadPriority(hookThread, THREAD_PRIORITY_HIGHEST);
        HANDLE waits[2] = {ready, hookThread};
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (installedHook == nullptr) {
            EndHookThread();
        }
    }
    CloseHandle(ready);
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
        StartHookThread();
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
    EndHookThread();
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
