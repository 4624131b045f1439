// The main window's class procedure: every key and mouse-button message goes to the
// key engine; buttons run their commands; the window lays itself out on every size
// change and releases everything when it is destroyed.
#include <windows.h>
#include <imm.h>
#include <shellapi.h>

#include "app/about_box.h"
#include "app/accessibility_shortcuts.h"
#include "app/dpi_layout.h"
#include "app/main_layout.h"
#include "app/main_window_win32.h"
#include "app/settings.h"
#include "base/app_state.h"
#include "base/message_box.h"
#include "base/os_version_win32.h"
#include "base/trace.h"
#include "base/window_dpi_win32.h"
#include "engine/engine_seams.h"
#include "engine/key_drawing.h"
#include "engine/key_engine.h"
#include "engine/keyboard_under_test.h"
#include "engine/keyboard_under_test_win32.h"
#include "engine/led_test.h"
#include "engine/statistics.h"
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

// ---- the layout at the display scale ----

void PlacePictureAndButtons(HWND window, const MainLayout& layout, int buttonWidth,
                            int buttonHeight);
void LayOutAtDisplayScale(HWND window, int width, int height);
void SetUpDisplayScale(HWND window);
LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam);

constexpr int kMaxControls = sizeof(DialogTemplate::controls) / sizeof(TemplateControl);

// The template "Clavoro" as read from the program's resources, with the window of each
// of its controls; none when it cannot be read (the window then keeps the places the
// dialog manager gave its controls, as the program always did).
DialogTemplate mainTemplate;
HWND controlWindows[kMaxControls];
ControlPlace places[kMaxControls];
ControlPlace imageSizes96[kMaxControls]; // the pictures of the legend squares and icon
HBITMAP templateImages[kMaxControls];    // the legend squares as the template loaded them
HANDLE scaledImages[kMaxControls];       // their copies at the display scale
DialogBaseUnits baseUnits96 = {0, 0};
int windowDpi = 96;
int creationDpi = 96;
HFONT creationFont = nullptr; // the dialog manager's, made for creationDpi
HFONT scaledFont = nullptr;   // made by this file after a change of display scale

bool HaveTemplate() {
    return mainTemplate.controlCount > 0;
}

bool ReadMainTemplate(HWND window) {
    HINSTANCE instance = static_cast<HINSTANCE>(appState.instance);
    HRSRC found = FindResourceA(instance, "Clavoro", MAKEINTRESOURCEA(5)); // RT_DIALOG
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || !ReadDialogTemplate(static_cast<const uint8_t*>(bytes),
                                                SizeofResource(instance, found), &mainTemplate)) {
        mainTemplate.controlCount = 0;
        return false;
    }
    // The dialog manager creates the controls in template order, each below the others.
    HWND child = GetWindow(window, GW_CHILD);
    for (int i = 0; i < mainTemplate.controlCount; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == nullptr ||
            (GetDlgCtrlID(child) & 0xFFFF) != (mainTemplate.controls[i].id & 0xFFFF)) {
            mainTemplate.controlCount = 0;
            return false;
        }
        controlWindows[i] = child;
    }
    return true;
}

// The template font's character size at 96 dpi, as the dialog manager measures it.
DialogBaseUnits MeasureBaseUnits96(HWND window) {
    if (creationDpi == kBaseDpi) {
        RECT units = {0, 0, 4, 8};
        MapDialogRect(window, &units);
        return {units.right, units.bottom};
    }
    LOGFONTA font = {};
    font.lfHeight = -MulDivRound(mainTemplate.pointSize, kBaseDpi, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, mainTemplate.faceName, LF_FACESIZE);
    HFONT measured = CreateFontIndirectA(&font);
    HDC dc = CreateCompatibleDC(nullptr);
    DialogBaseUnits base = {6, 13};
    if (measured != nullptr && dc != nullptr) {
        HGDIOBJ before = SelectObject(dc, measured);
        TEXTMETRICA metrics;
        SIZE size;
        const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        if (GetTextMetricsA(dc, &metrics) && GetTextExtentPoint32A(dc, letters, 52, &size)) {
            base = {(size.cx / 26 + 1) / 2, metrics.tmHeight};
        }
        SelectObject(dc, before);
    }
    if (dc != nullptr) {
        DeleteDC(dc);
    }
    if (measured != nullptr) {
        DeleteObject(measured);
    }
    return base;
}

void ReadVisibility() {
    for (int i = 0; i < mainTemplate.controlCount; ++i) {
        mainTemplate.controls[i].visible =
            IsWindow(controlWindows[i]) &&
            (GetWindowLongA(controlWindows[i], GWL_STYLE) & WS_VISIBLE) != 0;
    }
}

// The pictures of the image controls at 96 dpi: the legend squares as loaded, the icon
// at the system's 96-dpi icon size.
void ReadImageSizes() {
    for (int i = 0; i < mainTemplate.controlCount; ++i) {
        imageSizes96[i] = {0, 0, 0, 0};
        if (mainTemplate.controls[i].kind != kImageKind) {
            continue;
        }
        HWND control = controlWindows[i];
        templateImages[i] =
            reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP bitmap;
        if (templateImages[i] != nullptr && GetObjectA(templateImages[i], sizeof bitmap, &bitmap)) {
            imageSizes96[i] = {0, 0, bitmap.bmWidth, bitmap.bmHeight};
        } else {
            imageSizes96[i] = {0, 0, 32, 32}; // the icon
        }
    }
}

// At a scale other than 100 % the legend squares and the icon are replaced by copies of
// their size at that scale; back at 100 % the squares are the template's again.
void ScaleImages() {
    const bool original = windowDpi == kBaseDpi;
    for (int i = 0; i < mainTemplate.controlCount; ++i) {
        if (mainTemplate.controls[i].kind != kImageKind ||
            (original && scaledImages[i] == nullptr)) {
            continue;
        }
        const int w = ScaleToDpi(imageSizes96[i].width, windowDpi);
        const int h = ScaleToDpi(imageSizes96[i].height, windowDpi);
        HANDLE image;
        UINT type;
        if (templateImages[i] != nullptr) {
            type = IMAGE_BITMAP;
            image =
                original ? templateImages[i] : CopyImage(templateImages[i], IMAGE_BITMAP, w, h, 0);
        } else {
            type = IMAGE_ICON;
            image = LoadImageA(static_cast<HINSTANCE>(appState.instance), "Clavoro", IMAGE_ICON, w,
                               h, 0);
        }
        if (image == nullptr) {
            continue;
        }
        SendMessageA(controlWindows[i], type == IMAGE_BITMAP ? STM_SETIMAGE : STM_SETICON,
                     type == IMAGE_BITMAP ? IMAGE_BITMAP : reinterpret_cast<WPARAM>(image),
                     type == IMAGE_BITMAP ? reinterpret_cast<LPARAM>(image) : 0);
        if (scaledImages[i] != nullptr) {
            if (type == IMAGE_BITMAP) {
                DeleteObject(scaledImages[i]);
            } else {
                DestroyIcon(static_cast<HICON>(scaledImages[i]));
            }
        }
        scaledImages[i] = original && type == IMAGE_BITMAP ? nullptr : image;
    }
}

// The font of the controls at windowDpi: the dialog manager's at the scale the window was
// created at, else one made from it with the height of that scale.
void SetControlFont() {
    LOGFONTA font;
    if (creationFont == nullptr || !GetObjectA(creationFont, sizeof font, &font)) {
        return;
    }
    HFONT made = nullptr;
    if (windowDpi != creationDpi) {
        font.lfHeight = -MulDivRound(mainTemplate.pointSize, windowDpi, 72);
        if ((made = CreateFontIndirectA(&font)) == nullptr) {
            return;
        }
    }
    for (int i = 0; i < mainTemplate.controlCount; ++i) {
        if (IsWindow(controlWindows[i])) {
            SendMessageA(controlWindows[i], WM_SETFONT,
                         reinterpret_cast<WPARAM>(made != nullptr ? made : creationFont), FALSE);
        }
    }
    if (scaledFont != nullptr) {
        DeleteObject(scaledFont);
    }
    scaledFont = made;
}

int TextWidth(HWND control) {
    if ((GetWindowLongA(control, GWL_STYLE) & SS_ELLIPSISMASK) != 0) {
        return 0; // cuts its text itself: never widened, never pushes its row
    }
    char text[256];
    const int n = GetWindowTextA(control, text, sizeof text);
    HDC dc = GetDC(control);
    if (n <= 0 || dc == nullptr) {
        if (dc != nullptr) {
            ReleaseDC(control, dc);
        }
        return 0;
    }
    HGDIOBJ before =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, n, &size);
    SelectObject(dc, before);
    ReleaseDC(control, dc);
    return size.cx;
}

// Every control but the picture and the button row to its place at windowDpi; texts
// that have become wider than their labels widen them.
void PlaceTemplateControls() {
    ReadVisibility();
    int textWidths[kMaxControls];
    for (int i = 0; i < mainTemplate.controlCount; ++i) {
        textWidths[i] = mainTemplate.controls[i].kind == kTextKind && IsWindow(controlWindows[i])
                            ? TextWidth(controlWindows[i])
                            : 0;
    }
    PlaceControls(mainTemplate, baseUnits96, windowDpi, textWidths, imageSizes96, places);
    for (int i = 0; i < mainTemplate.controlCount; ++i) {
        const int kind = mainTemplate.controls[i].kind;
        HWND control = controlWindows[i];
        if (kind == kPictureKind || kind == kButtonKind || !IsWindow(control)) {
            continue;
        }
        RECT now;
        GetWindowRect(control, &now);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&now), 2);
        const ControlPlace& p = places[i];
        // A list keeps the height of its drop-down part, which its window rectangle
        // does not show: it is always given its place.
        if (kind != kOtherKind && now.left == p.x && now.top == p.y &&
            now.right - now.left == p.width && now.bottom - now.top == p.height) {
            continue;
        }
        MoveWindow(control, p.x, p.y, p.width, p.height, FALSE);
    }
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

// Likewise the keyboard row with /d (the display-scale layout moves it up into the chatter
// row's place when that is not shown).
void ShowKeyboardRow(HWND window) {
    for (int id = IDC_KEYBOARD_CAPTION; id <= IDC_OTHER_KEYS; ++id) {
        ShowWindow(GetDlgItem(window, id), SW_SHOW);
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
        MakeCurrentTable(SelectLayout(Handle(window)));
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
    RestoreAccessibilityShortcuts();
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
    RestoreAfterForcedEnd();
    // No input method for the window under test: with one on, Japanese, Korean and Chinese
    // keys would arrive as VK_PROCESSKEY (229). The dialogs keep theirs for typed texts.
    ImmAssociateContextEx(window, nullptr, 0);
    FillKeyboardTypeList(window);
    MakeCurrentTable(SelectLayout(Handle(window)));
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
    SetUpDisplayScale(window);
    // The size message of the window's creation came before its controls existed.
    RECT client;
    GetClientRect(window, &client);
    LayOutMainWindow(window, client.right, client.bottom);
    TraceLine("InitDialog finish");
}

void LayOutMainWindow(HWND window, int width, int height) {
    if (HaveTemplate()) {
        LayOutAtDisplayScale(window, width, height);
        return;
    }
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
                                          appState.batchMode, kBaseDpi);
    PlacePictureAndButtons(window, layout, button.right, button.bottom);
}

namespace {

void PlacePictureAndButtons(HWND window, const MainLayout& layout, int buttonWidth,
                            int buttonHeight) {
    HWND picture = GetDlgItem(window, IDC_KEYBOARD_PICTURE);
    MoveWindow(picture, layout.pictureX, layout.pictureY, layout.pictureWidth, layout.pictureHeight,
               FALSE);
    // Not painted at once, but all of it at the next paint: the window's own size-change
    // repaint only covers the part of the control that lay inside its old rectangle.
    InvalidateRect(picture, nullptr, TRUE);
    for (int k = 0; k < layout.buttonCount; ++k) {
        HWND b = GetDlgItem(window, layout.buttonIds[k]);
        if (b != nullptr) {
            MoveWindow(b, layout.buttonX[k], layout.buttonY, buttonWidth, buttonHeight, TRUE);
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
    pictureDpi = windowDpi;
}

void LayOutAtDisplayScale(HWND window, int width, int height) {
    ReadVisibility(); // a row shown since (the chatter row with /c) moves the picture down
    ControlPlace exit = {0, 0, 0, 0};
    for (int i = 0; i < mainTemplate.controlCount; ++i) {
        if (mainTemplate.controls[i].id == IDC_EXIT_BUTTON) {
            exit = places[i];
        }
    }
    const MainLayout layout =
        ComputeMainLayout(width, height, exit.width, exit.height,
                          LowestTextBottom(mainTemplate, places), appState.batchMode, windowDpi);
    PlacePictureAndButtons(window, layout, exit.width, exit.height);
    if (!appState.batchMode) {
        for (HWND& control : controlWindows) {
            if (control != nullptr && !IsWindow(control)) {
                control = nullptr; // "&Fail test", destroyed
            }
        }
    }
}

// Reads the template and the display scale, puts every control in its place at that
// scale and gives the window its opening size there (at 96 dpi the size and places the
// dialog manager gave it).
void SetUpDisplayScale(HWND window) {
    KeepOwnLayoutOnDpiChange(window);
    if (!ReadMainTemplate(window)) {
        TraceLine("Main window template not read: laid out at 100 %");
        return;
    }
    creationDpi = windowDpi = WindowDpi(window);
    creationFont = reinterpret_cast<HFONT>(SendMessageA(controlWindows[0], WM_GETFONT, 0, 0));
    baseUnits96 = MeasureBaseUnits96(window);
    ReadImageSizes();
    ScaleImages();
    PlaceTemplateControls();
    const ClientSize size =
        OpeningClientSize(mainTemplate, baseUnits96, windowDpi, places, appState.batchMode);
    RECT client;
    GetClientRect(window, &client);
    if (client.right != size.width || client.bottom != size.height) {
        RECT frame = {0, 0, size.width, size.height};
        ClientToWindowRect(&frame, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
                           static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)), windowDpi);
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// Moved to a monitor of another scale: the fonts and pictures of that scale, every
// control in its place there, and the window in the rectangle the system suggests (whose
// size message lays out the picture and the button row).
LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (HaveTemplate()) {
        windowDpi = LOWORD(wParam);
        SetControlFont();
        ScaleImages();
        PlaceTemplateControls();
        InvalidateRect(window, nullptr, TRUE);
    }
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

} // namespace

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
    case WM_DPICHANGED:
        return OnDpiChanged(window, wParam, lParam);
    case WM_SHOWWINDOW:
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            RestoreAccessibilityShortcuts();
        } else {
            SuspendAccessibilityShortcuts();
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam, lParam);
    case WM_DESTROY:
        ShutDown();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
