// The mouse drift test dialog "MOUSEDRIFT": full screen, a title, no close box. The
// countdown and the watch are decided in drift_test.cpp; here they are carried out.
#include <windows.h>

#include "base/app_state.h"
#include "base/window_dpi_win32.h"
#include "mouse/dialog_placement.h"
#include "mouse/drift_test.h"
#include "mouse/mouse_tests.h"
#include "resources/mouse_dialog_ids.h"

namespace {

int64_t CounterNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

void EnableButton(HWND dialog, int id, BOOL enable) {
    EnableWindow(GetDlgItem(dialog, id), enable);
}

void Apply(HWND dialog, const DriftUpdate& update) {
    if (update.stopTimer)
        KillTimer(dialog, static_cast<UINT_PTR>(driftTest.timerId));
    if (update.startTimer)
        SetTimer(dialog, static_cast<UINT_PTR>(update.startTimer), kDriftTimerPeriodMs, nullptr);
    if (update.pauseMs > 0)
        Sleep(static_cast<DWORD>(update.pauseMs));
    if (update.statusShown)
        SetDlgItemTextA(dialog, IDC_DRIFT_STATUS, update.status);
    if (update.buttons >= 0) {
        EnableButton(dialog, IDC_MOUSE_CLOSE, update.buttons);
        EnableButton(dialog, IDC_DRIFT_START, update.buttons);
    }
    if (update.coordinatesShown)
        SetDlgItemTextA(dialog, IDC_DRIFT_COORDINATES, update.coordinates);
}

BOOL OnInitDialog(HWND dialog) {
    const VirtualScreen screen = CoverVirtualScreen(reinterpret_cast<WindowHandle>(dialog));
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    OpenDriftTest(frequency.QuadPart);
    ControlOffset offset =
        MouseDialogControlOffset(screen.left, screen.top, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN), WindowDpi(dialog));
    for (int i = 0; i < driftTestControlCount; i++)
        MoveControlBy(reinterpret_cast<WindowHandle>(dialog), driftTestControls[i], offset.dx,
                      offset.dy);
    return TRUE;
}

void OnStart(HWND dialog) {
    // Escape also arrives as command 2, the identifier of "Start": while a test runs
    // (and "Start" is disabled) it must not restart the countdown.
    if (driftTest.running)
        return;
    DriftUpdate update;
    StartDriftTest(CounterNow(), &update);
    Apply(dialog, update);
}

void OnTimer(HWND dialog, WPARAM timerId) {
    if (driftTest.timerId == 0 || timerId != static_cast<WPARAM>(driftTest.timerId))
        return;
    DriftUpdate update;
    DriftTimerTick(CounterNow(), &update);
    Apply(dialog, update);
}

// Client coordinates over the client area, screen coordinates over the frame.
void OnMouseMove(HWND dialog, LPARAM position) {
    DriftUpdate update;
    DriftMouseMove(static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)),
                   &update);
    Apply(dialog, update);
}

INT_PTR CALLBACK MouseDriftProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        OnMouseMove(dialog, lParam);
        return FALSE;
    case WM_TIMER:
        OnTimer(dialog, wParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_DRIFT_START)
            OnStart(dialog);
        else if (LOWORD(wParam) == IDC_MOUSE_CLOSE && !driftTest.running)
            EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        // Handled here: the default would send IDCANCEL, which is "Start" in this dialog.
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

void RunMouseDriftTest(WindowHandle owner) {
    HINSTANCE instance = static_cast<HINSTANCE>(appState.instance);
    if (instance == nullptr)
        instance = GetModuleHandleA(nullptr);
    DialogBoxParamA(instance, "MOUSEDRIFT", reinterpret_cast<HWND>(owner), MouseDriftProc, 0);
}
