#include "base/window_dpi_win32.h"

namespace {

// Looked up at run time: Windows 7 and 8 have none of them.
template <typename Function> Function User32(const char* name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
               : nullptr;
}

} // namespace

int WindowDpi(HWND window) {
    typedef UINT(WINAPI * GetDpiForWindowFunction)(HWND);
    static const GetDpiForWindowFunction getDpi =
        User32<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpi != nullptr && window != nullptr) {
        const UINT dpi = getDpi(window);
        if (dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

void ClientToWindowRect(RECT* rect, DWORD style, DWORD extendedStyle, int dpi) {
    typedef BOOL(WINAPI * AdjustFunction)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const AdjustFunction adjust = User32<AdjustFunction>("AdjustWindowRectExForDpi");
    if (adjust == nullptr || !adjust(rect, style, FALSE, extendedStyle, static_cast<UINT>(dpi))) {
        AdjustWindowRectEx(rect, style, FALSE, extendedStyle);
    }
}

void KeepOwnLayoutOnDpiChange(HWND dialog) {
    typedef BOOL(WINAPI * SetBehaviourFunction)(HWND, int, int);
    static const SetBehaviourFunction setBehaviour =
        User32<SetBehaviourFunction>("SetDialogDpiChangeBehavior");
    const int disableAll = 1; // DDC_DISABLE_ALL
    if (setBehaviour != nullptr) {
        setBehaviour(dialog, disableAll, disableAll);
    }
}
