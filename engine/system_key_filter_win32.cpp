// The system-key filter's window-system side: check box 1019, filter_x64.dll and
// the screen-saver-running system parameter.
#include <windows.h>

#include "engine/filter/kb_filter.h"
#include "engine/system_key_filter.h"

namespace {
constexpr int kFilterCheckBox = 1019;
}

int IsFilterBoxChecked(WindowHandle window) {
    return IsDlgButtonChecked(reinterpret_cast<HWND>(window), kFilterCheckBox) == BST_CHECKED;
}

void SetFilterBoxChecked(WindowHandle window, int checked) {
    CheckDlgButton(reinterpret_cast<HWND>(window), kFilterCheckBox,
                   checked ? BST_CHECKED : BST_UNCHECKED);
}

void* LoadKeyboardFilter(WindowHandle window) {
    return LoadKBFilter(reinterpret_cast<HWND>(window));
}

void UnloadKeyboardFilter(void* hook) {
    UnLoadKBFilter(static_cast<HHOOK>(hook));
}

void SetScreenSaverRunning(int on) {
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, on ? 1 : 0, nullptr, 0);
}
