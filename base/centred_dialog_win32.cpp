#include <windows.h>

#include "base/centred_dialog.h"

void CentreOnOwner(WindowHandle dialog, WindowHandle owner) {
    HWND self = reinterpret_cast<HWND>(dialog);
    HWND ownerWindow = reinterpret_cast<HWND>(owner);
    RECT box;
    RECT ownerRect;
    if (!GetWindowRect(self, &box) || !GetWindowRect(ownerWindow, &ownerRect)) {
        return;
    }
    // The work area of the owner's monitor (without the taskbar), which may lie left of or
    // above the main monitor.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(ownerWindow, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const RECT& work = monitor.rcWork;
    const DialogPlacement p =
        CentredPosition(box.right - box.left, box.bottom - box.top,
                        {ownerRect.left, ownerRect.top, ownerRect.right - ownerRect.left,
                         ownerRect.bottom - ownerRect.top},
                        {work.left, work.top, work.right - work.left, work.bottom - work.top});
    SetWindowPos(self, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
