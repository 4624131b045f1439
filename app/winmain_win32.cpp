// The entry point: process-wide values, the main window class, the command line, the
// main window from its template, the catalogue, the batch start dialogs, the loop.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/main_layout.h"
#include "app/main_window_win32.h"
#include "app/settings.h"
#include "base/app_state.h"
#include "base/message_box.h"
#include "base/station_settings.h"
#include "base/trace.h"
#include "engine/engine_seams.h"
#include "engine/key_engine.h"
#include "engine/keyboard_under_test.h"
#include "layout/layout_catalogue.h"
#include "testrun/batch_dialogs.h"
#include "testrun/plugin_link.h"
#include "testrun/test_log.h"

void PostQuitRequest() {
    PostQuitMessage(0);
}

namespace {

char pluginMarker[kPluginMarkerSize];

void ReadCounterFrequency() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    appState.ticksPerMillisecond = frequency.QuadPart / 1000;
}

void FindProgramFolder() {
    GetModuleFileNameA(nullptr, appState.programFolder, sizeof appState.programFolder);
    appState.programFolder[sizeof appState.programFolder - 1] = 0;
    CutAtLastBackslash(appState.programFolder);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW; // no CS_DBLCLKS: a quick second click is a click
    wc.lpfnWndProc = MainWindowProc;
    wc.cbWndExtra = DLGWINDOWEXTRA; // the dialog manager keeps its data there
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "Clavoro");
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "Clavoro";
    return RegisterClassExA(&wc) != 0;
}

// The runtime has already split the command line with the usual quote rules.
int ReadArguments() {
    return ReadCommandLine(__argc, __argv, &station, pluginMarker);
}

void ConnectPlugin(HWND mainWindow) {
    TraceLine("Running as plugin");
    int result = ConnectToHost(pluginMarker);
    if (result != 0) {
        char text[80];
        std::snprintf(text, sizeof text, "Unable to initialize interface with Ardentis (%d)",
                      result);
        ShowMessage(nullptr, text, "Clavoro: Error", kIconNone);
        PostQuitMessage(0);
    }
    SetTimer(mainWindow, kHostPollTimer, 1000, nullptr);
}

// Operator, then Serial for the first keyboard; Exit in either ends the program.
void RunBatchStartDialogs(HWND mainWindow) {
    WindowHandle owner = reinterpret_cast<WindowHandle>(mainWindow);
    if (!RunOperatorDialog(owner)) {
        DestroyWindow(mainWindow);
        return;
    }
    SetFocus(mainWindow);
    WriteLogRecord("Loaded keyboard layout %s.kbl\n", appState.layoutName);
    if (!RunSerial(owner)) {
        DestroyWindow(mainWindow);
        return;
    }
    StartNextKeyboard(); // a key pressed before the log was open chose no keyboard of it
    SetFocus(mainWindow);
}

// No dialog navigation and no accelerators: every key reaches the focused window.
int RunMessageLoop() {
    MSG msg = {};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    ResetAppState();
    appState.instance = instance;
    ReadCounterFrequency();
    FindProgramFolder();
    DetermineSettingsFolder();
    DetermineDataFolder();
    ReadStationSettings(&station);
    if (!RegisterMainWindowClass(instance)) {
        ShowMessage(nullptr, "Could not register the main window class.", "Error", kIconStop);
        return 1;
    }
    if (!ReadArguments()) {
        return 0; // refused before any window opens; the message has been shown
    }

    TraceLine("Creating main dialog");
    HWND mainWindow = CreateDialogParamA(instance, "Clavoro", nullptr, nullptr, 0);
    if (mainWindow == nullptr) {
        ShowMessage(nullptr, "Could not create the main window.", "Error", kIconStop);
        return 1;
    }
    appState.mainWindow = reinterpret_cast<WindowHandle>(mainWindow);

    if (appState.pluginMode) {
        ConnectPlugin(mainWindow);
    }
    if (LoadLayoutCatalogue(appState.mainWindow) <= 0) {
        ShowMessage(nullptr, "No keyboard layout files found/n/nClavoro will now exit", "Error",
                    kIconStop);
        return 0;
    }
    MakeCurrentTable(catalogue.slots[0]->table);
    InitialiseMainWindow(mainWindow);
    RestoreWindowPlacement();

    TraceLine("Show window");
    ShowWindow(mainWindow, showCommand);
    if (appState.batchMode && !appState.pluginMode) {
        RunBatchStartDialogs(mainWindow);
    }
    return RunMessageLoop();
}
