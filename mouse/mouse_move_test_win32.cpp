// The mouse movement test dialog "MOUSETEST": full screen, no title bar. Everything it
// decides is in move_counter.cpp; here the messages are read and the texts shown.
#include <windows.h>

#include "base/app_state.h"
#include "base/window_dpi_win32.h"
#include "mouse/dialog_placement.h"
#include "mouse/mouse_tests.h"
#include "mouse/move_counter.h"
#include "resources/mouse_dialog_ids.h"

namespace {

const UINT_PTR kMoveTimerId = 1;
const UINT kMoveTimerPeriodMs = 1000;

// The last raw mouse record; it survives between openings (all zero before the first).
RAWINPUT lastRawMouse;

int64_t CounterNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void ShowRawMovement(HWND dialog) {
    char text[32];
    FormatXY(text, sizeof text, static_cast<int>(lastRawMouse.data.mouse.lLastX),
             static_cast<int>(lastRawMouse.data.mouse.lLastY));
    SetDlgItemTextA(dialog, IDC_RAW_VALUE, text);
}

// Mouse input reaches the dialog even while another window has the foreground.
void RegisterRawMouse(HWND target, DWORD flags) {
    RAWINPUTDEVICE device;
    device.usUsagePage = 1; // generic desktop
    device.usUsage = 2;     // mouse
    device.dwFlags = flags;
    device.hwndTarget = target;
    RegisterRawInputDevices(&device, 1, sizeof device);
}

BOOL OnInitDialog(HWND dialog) {
    const VirtualScreen screen = CoverVirtualScreen(reinterpret_cast<WindowHandle>(dialog));
    const int dpi = WindowDpi(dialog);
    ControlOffset offset = MouseDialogControlOffset(
        screen.left, screen.top, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), dpi);
    for (int i = 0; i < moveTestControlCount; i++)
        MoveControlBy(reinterpret_cast<WindowHandle>(dialog), moveTestControls[i], offset.dx,
                      offset.dy);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    OpenMoveTest(screen.left, screen.top, screen.width, screen.height, frequency.QuadPart,
                 CounterNow(), dpi);
    SetTimer(dialog, kMoveTimerId, kMoveTimerPeriodMs, nullptr);
    RegisterRawMouse(dialog, RIDEV_INPUTSINK);
    ShowRawMovement(dialog);
    return TRUE;
}

// Over the client area the message gives client coordinates, over the frame (which is where
// the pointer is at the screen's edges) screen coordinates: the test takes screen coordinates.
void OnMouseMove(HWND dialog, LPARAM position, bool overFrame) {
    POINT at = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    if (!overFrame)
        ClientToScreen(dialog, &at);
    MoveTestUpdate update;
    MoveTestMouseMove(at.x, at.y, CounterNow(), &update);
    if (update.cornerField != 0)
        SetDlgItemTextA(dialog, update.cornerField, "Ok");
    SetDlgItemTextA(dialog, IDC_POSITION_VALUE, update.positionText);
    if (update.rateShown)
        SetDlgItemTextA(dialog, IDC_RATE_VALUE, update.rateText);
}

void OnTimer(HWND dialog, WPARAM timerId) {
    if (timerId != kMoveTimerId)
        return;
    char rate[32];
    if (MoveTestTimerTick(CounterNow(), rate, sizeof rate))
        SetDlgItemTextA(dialog, IDC_RATE_VALUE, rate);
}

// A record that cannot be read leaves the last one and its field as they were.
void OnRawInput(HWND dialog, LPARAM handle) {
    RAWINPUT record;
    UINT size = sizeof record;
    UINT read = GetRawInputData(reinterpret_cast<HRAWINPUT>(handle), RID_INPUT, &record, &size,
                                sizeof(RAWINPUTHEADER));
    if (read == static_cast<UINT>(-1) || read < sizeof(RAWINPUTHEADER))
        return;
    if (record.header.dwType != RIM_TYPEMOUSE)
        return;
    lastRawMouse = record;
    ShowRawMovement(dialog);
}

INT_PTR CALLBACK MouseMoveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        OnMouseMove(dialog, lParam, message == WM_NCMOUSEMOVE);
        return FALSE;
    case WM_TIMER:
        OnTimer(dialog, wParam);
        return TRUE;
    case WM_INPUT:
        OnRawInput(dialog, lParam);
        return FALSE; // the default processing releases the input
    case WM_COMMAND:
        // Escape arrives as IDCANCEL and does nothing; Enter is "Close", the default.
        if (LOWORD(wParam) == IDC_MOUSE_CLOSE)
            EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        // The main window takes no raw input; nothing is left pointing at a dead window.
        RegisterRawMouse(nullptr, RIDEV_REMOVE);
        return FALSE;
    }
    return FALSE;
}

} // namespace

void MoveControlBy(WindowHandle dialog, int controlId, int dx, int dy) {
    HWND control = GetDlgItem(reinterpret_cast<HWND>(dialog), controlId);
    if (control == nullptr)
        return;
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(dialog), reinterpret_cast<POINT*>(&rect), 2);
    MoveWindow(control, rect.left + dx, rect.top + dy, rect.right - rect.left,
               rect.bottom - rect.top, TRUE);
}

VirtualScreen CoverVirtualScreen(WindowHandle dialog) {
    const VirtualScreen screen = {
        GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    MoveWindow(reinterpret_cast<HWND>(dialog), screen.left, screen.top, screen.width, screen.height,
               TRUE);
    return screen;
}

void RunMouseMoveTest(WindowHandle owner) {
    HINSTANCE instance = static_cast<HINSTANCE>(appState.instance);
    if (instance == nullptr)
        instance = GetModuleHandleA(nullptr);
    DialogBoxParamA(instance, "MOUSETEST", reinterpret_cast<HWND>(owner), MouseMoveProc, 0);
}
