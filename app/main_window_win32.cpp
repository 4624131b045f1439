// The main window's class procedure: every key and mouse-button message goes to the
// key engine; buttons run their commands; the window lays itself out on every size
// change and releases everything when it is destroyed.
#include <windows.h>
#include <shellapi.h>

#include "app/about_box.h"
#include "app/app_state.h"
#include "app/main_layout.h"
#include "app/main_window_win32.h"
#include "app/message_box.h"
#include "app/os_version_win32.h"
#include "app/settings.h"
#include "app/trace.h"
#include "engine/engine_seams.h"
#include "engine/key_drawing.h"
#include "engine/key_engine.h"
#include "engine/keyboard_under_test.h"
#include "engine/keyboard_under_test_win32.h"
#include "engine/led_test.h"
#include "engine/system_key_filter.h"
#include "layout/layout_catalogue.h"
#include "mouse/mouse_tests.h"
#include "resources/main_window_ids.h"
#include "testrun/plugin_link.h"
#include "testrun/test_log.h"

namespace {

constexpr int kLeftButtonCode = -5;
constexpr int kMiddleButtonCode = -4;
constexpr int kRightButtonCode = -3;

WindowHandle Handle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

// ---- initialisation ----

void FillKeyboardTypeList(HWND window) {
    HWND list = GetDlgItem(window, IDC_KEYBOARD_TYPE);
    for (int i = 0; i < catalogue.count; ++i) {
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(catalogue.slots[i]->name));
    }
    int selected = LayoutIndexByName(catalogue, appState.layoutName);
    // The name actually selected replaces the one asked for with /k.
    lstrcpynA(appState.layoutName, catalogue.slots[selected]->name, sizeof appState.layoutName);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void ShowKeyboardLayoutName(HWND window) {
    char name[KL_NAMELENGTH] = "";
    if (GetKeyboardLayoutNameA(name)) {
        SetDlgItemTextA(window, IDC_LANG_CODE, name);
    }
}

void RecordSystemVersion() {
    const OSVERSIONINFOA version = ReadOsVersion();
    RecordPlatformVersion(static_cast<int>(version.dwPlatformId),
                          static_cast<int>(version.dwMajorVersion));
}

// The chatter row under the legend exists in every run but is shown only with /c, so that
// without the option the window is what it always was.
void ShowChatterRow(HWND window) {
    for (int id = IDC_CHATTER_LEGEND_MARK; id <= IDC_CHATTER_COUNT; ++id) {
        ShowWindow(GetDlgItem(window, id), SW_SHOW);
    }
}

// Likewise the keyboard row with /d, under the chatter row when /c shows that too.
void ShowKeyboardRow(HWND window) {
    RECT row = {0, 0, 0, 12}; // the chatter row's pitch, in dialog units
    MapDialogRect(window, &row);
    for (int id = IDC_KEYBOARD_CAPTION; id <= IDC_OTHER_KEYS; ++id) {
        HWND control = GetDlgItem(window, id);
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const int dy = appState.chatterThresholdMs > 0 ? row.bottom : 0;
        MoveWindow(control, r.left, r.top + dy, r.right - r.left, r.bottom - r.top, FALSE);
        ShowWindow(control, SW_SHOW);
    }
}

void SetMatchMode(HWND window) {
    engine.matchMode =
        IsDlgButtonChecked(window, IDC_MATCH_WINDOWS) == BST_CHECKED ? MatchWindows : MatchBios;
}

// ---- commands ----

void GiveFocusBack(HWND window) {
    if (IsWindow(window)) {
        SetFocus(window);
    }
}

void OnExit(HWND window) {
    if (ledTestRunning) {
        StopLedTest();
    }
    if (appState.batchMode) {
        EndTest(Handle(window), true);
    }
    if (IsWindow(window)) { // the verdict may already have ended the program
        DestroyWindow(window);
    }
}

void OnClear(HWND window) {
    ClearAll();
    InvalidateRect(window, nullptr, FALSE);
}

void OnTestLeds(HWND window) {
    ToggleLedTest(Handle(window));
    InvalidateRect(window, nullptr, FALSE);
}

// Runs a command; false when the id or notification has nothing to do here (the focus
// is then left alone, so that the list can open and keep it while it is down).
bool RunCommand(HWND window, int id, int notification) {
    switch (id) {
    case IDC_HELP_BUTTON:
        OpenHelpPage(window, "index.html");
        return true;
    case IDC_EXIT_BUTTON:
        OnExit(window);
        return true;
    case IDC_KEYBOARD_TYPE:
        if (notification != CBN_SELCHANGE) {
            return false;
        }
        SelectLayout(Handle(window));
        return true;
    case IDC_CLEAR_BUTTON:
        OnClear(window);
        return true;
    case IDC_FAIL_TEST_BUTTON:
        EndTest(Handle(window), false);
        return true;
    case IDC_ABOUT_BUTTON:
        RunAboutBox(Handle(window));
        return true;
    case IDC_FILTER_SYSTEM_KEYS:
        if (notification != BN_CLICKED) {
            return false;
        }
        ApplySystemKeyFilter(Handle(window));
        return true;
    case IDC_MATCH_WINDOWS:
    case IDC_MATCH_BIOS:
        if (notification != BN_CLICKED) {
            return false;
        }
        SetMatchMode(window);
        return true;
    case IDC_TEST_LEDS_BUTTON:
        OnTestLeds(window);
        return true;
    case IDC_MOUSE_MOVE_BUTTON:
        RunMouseMoveTest(Handle(window));
        return true;
    case IDC_MOUSE_DRIFT_BUTTON:
        RunMouseDriftTest(Handle(window));
        return true;
    default:
        return false;
    }
}

// ---- messages ----

LRESULT OnCommand(HWND window, WPARAM wParam) {
    if (RunCommand(window, LOWORD(wParam), HIWORD(wParam))) {
        GiveFocusBack(window);
    }
    return 0;
}

LRESULT OnTimer(HWND window, WPARAM timer) {
    if (timer == kLedTimer) {
        LedTestTick();
    } else if (timer == kStatisticsTimer) {
        UpdateStatistics(Handle(window));
    } else if (timer == kHostPollTimer && !IsRunRequested()) {
        if (ledTestRunning) {
            StopLedTest();
        }
        DestroyWindow(window);
    }
    return 0;
}

LRESULT OnMouseButton(HWND window, bool down, int code, LPARAM lParam) {
    if (down) {
        OnKeyDown(Handle(window), code, lParam);
    } else {
        OnKeyUp(Handle(window), code, lParam);
    }
    return 0;
}

LRESULT OnDrawItem(HWND window, WPARAM wParam, LPARAM lParam) {
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    DrawKeyboard(static_cast<int>(item->CtlID), reinterpret_cast<DrawHandle>(item->hDC));
    return DefWindowProcA(window, WM_DRAWITEM, wParam, lParam);
}

LRESULT OnSize(HWND window, WPARAM wParam, LPARAM lParam) {
    LayOutMainWindow(window, LOWORD(lParam), HIWORD(lParam));
    return DefWindowProcA(window, WM_SIZE, wParam, lParam);
}

// The window's own close box ends the program without a verdict (default processing
// destroys the window). Alt+F4 never gets here as a close request: the system-key
// messages are not passed on.
LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    if ((wParam & 0xFFF0) == SC_KEYMENU) {
        return 0; // no menu to open; Alt and F10 are keys under test
    }
    return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
}

void ShutDown() {
    if (ledTestRunning) {
        StopLedTest();
    }
    ReleaseSystemKeyFilter();
    FreePicture();
    FreeAllLayouts();
    engine.table = nullptr;
    SaveWindowPlacement();
    if (appState.batchMode && IsTestLogOpen()) {
        CloseTestLog();
    }
    TraceLine("WM_DESTROY");
    PostQuitMessage(0);
}

} // namespace

void InitialiseMainWindow(HWND window) {
    TraceLine("InitDialog start");
    FillKeyboardTypeList(window);
    SelectLayout(Handle(window));
    CheckRadioButton(window, IDC_MATCH_WINDOWS, IDC_MATCH_BIOS, IDC_MATCH_WINDOWS);
    engine.matchMode = MatchWindows;
    ShowKeyboardLayoutName(window);
    RecordSystemVersion();
    if (appState.chatterThresholdMs > 0) {
        ShowChatterRow(window);
    }
    if (appState.oneKeyboard) {
        ShowKeyboardRow(window);
        RegisterRawKeyboard(window);
    }
    if (appState.filterSystemKeys) {
        CheckDlgButton(window, IDC_FILTER_SYSTEM_KEYS, BST_CHECKED);
        ApplySystemKeyFilter(Handle(window));
    } else {
        CheckDlgButton(window, IDC_FILTER_SYSTEM_KEYS, BST_UNCHECKED);
    }
    // The size message of the window's creation came before its controls existed.
    RECT client;
    GetClientRect(window, &client);
    LayOutMainWindow(window, client.right, client.bottom);
    TraceLine("InitDialog finish");
}

void LayOutMainWindow(HWND window, int width, int height) {
    HWND exitButton = GetDlgItem(window, IDC_EXIT_BUTTON);
    // The picture starts below the legend, or below the lowest row under it: with /d the
    // keyboard row, else with /c the chatter row.
    HWND legendLabel = GetDlgItem(window, appState.oneKeyboard              ? IDC_KEYBOARD_CAPTION
                                          : appState.chatterThresholdMs > 0 ? IDC_CHATTER_LEGEND
                                                                            : IDC_LEGEND_TESTED_OK);
    HWND picture = GetDlgItem(window, IDC_KEYBOARD_PICTURE);
    if (exitButton == nullptr || legendLabel == nullptr || picture == nullptr) {
        return; // the controls are not created yet
    }
    RECT button;
    GetClientRect(exitButton, &button);
    RECT legend;
    GetWindowRect(legendLabel, &legend);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&legend), 2);

    MainLayout layout = ComputeMainLayout(width, height, button.right, button.bottom, legend.bottom,
                                          appState.batchMode);
    MoveWindow(picture, layout.pictureX, layout.pictureY, layout.pictureWidth, layout.pictureHeight,
               FALSE);
    // Not painted at once, but all of it at the next paint: the window's own size-change
    // repaint only covers the part of the control that lay inside its old rectangle.
    InvalidateRect(picture, nullptr, TRUE);
    for (int k = 0; k < layout.buttonCount; ++k) {
        HWND b = GetDlgItem(window, layout.buttonIds[k]);
        if (b != nullptr) {
            MoveWindow(b, layout.buttonX[k], layout.buttonY, button.right, button.bottom, TRUE);
        }
    }
    if (!appState.batchMode) {
        HWND failTest = GetDlgItem(window, IDC_FAIL_TEST_BUTTON);
        if (failTest != nullptr) {
            DestroyWindow(failTest); // gone for the rest of the run
        }
    }
    RECT pictureClient;
    GetClientRect(picture, &pictureClient);
    pictureScale = PictureScaleFor(pictureClient.right);
}

void OpenHelpPage(HWND owner, const char* page) {
    char modulePath[300];
    DWORD n = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    modulePath[n < sizeof modulePath ? n : sizeof modulePath - 1] = 0;
    char path[400];
    HelpPagePath(path, sizeof path, modulePath, page);
    HINSTANCE result = ShellExecuteA(owner, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        ShowMessage(Handle(owner),
                    "Could not start your default internet browser\nto load the browser-based "
                    "help files.",
                    "No default browser", kIconExclamation);
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (TakesKeyMessage(Handle(window), true, static_cast<int32_t>(wParam), lParam,
                            static_cast<uint32_t>(GetMessageTime()))) {
            OnKeyDown(Handle(window), static_cast<int32_t>(wParam), lParam);
        }
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (TakesKeyMessage(Handle(window), false, static_cast<int32_t>(wParam), lParam,
                            static_cast<uint32_t>(GetMessageTime()))) {
            OnKeyUp(Handle(window), static_cast<int32_t>(wParam), lParam);
        }
        return 0;
    case WM_INPUT: // registered with /d only
        OnRawKeyboardInput(lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_LBUTTONDOWN:
        SetFocus(window);
        return OnMouseButton(window, true, kLeftButtonCode, lParam);
    case WM_LBUTTONUP:
        return OnMouseButton(window, false, kLeftButtonCode, lParam);
    case WM_MBUTTONDOWN:
        return OnMouseButton(window, true, kMiddleButtonCode, lParam);
    case WM_MBUTTONUP:
        return OnMouseButton(window, false, kMiddleButtonCode, lParam);
    case WM_RBUTTONDOWN:
        return OnMouseButton(window, true, kRightButtonCode, lParam);
    case WM_RBUTTONUP:
        return OnMouseButton(window, false, kRightButtonCode, lParam);
    case WM_APPCOMMAND:
        return 1; // browser, media and volume keys start nothing
    case WM_COMMAND:
        return OnCommand(window, wParam);
    case WM_TIMER:
        return OnTimer(window, wParam);
    case WM_DRAWITEM:
        return OnDrawItem(window, wParam, lParam);
    case WM_SIZE:
        return OnSize(window, wParam, lParam);
    case WM_SHOWWINDOW:
        return 0;
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam, lParam);
    case WM_DESTROY:
        ShutDown();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
