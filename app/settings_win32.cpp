// Where Clavoro.ini lives, and the main window's placement read from it at start-up
// and written to it when the window is destroyed. Every failure here is silent.
#include <windows.h>

#include <cstdio>

#include "app/os_version_win32.h"
#include "app/app_state.h"
#include "app/main_layout.h"
#include "app/settings.h"

namespace {

typedef HRESULT(WINAPI* FolderPathQuery)(HWND, int, HANDLE, DWORD, LPSTR);

constexpr int kCommonAppData = 35;

// The executable's folder, for systems where the shell cannot name a common folder.
void UseExecutableFolder() {
    char path[260];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    path[n < sizeof path ? n : sizeof path - 1] = 0;
    CutAtLastBackslash(path);
    lstrcpynA(appState.settingsFolder, path, sizeof appState.settingsFolder);
}

// <common application data>\Orvane\Clavoro, created when missing; 0 when the shell
// cannot tell the common folder. The query is looked up at run time so that the
// program starts on systems whose shell32 lacks it.
int UseCommonAppDataFolder() {
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (shell == nullptr) {
        return 0;
    }
    // Through void*: FARPROC and the query's own type are unrelated function types.
    FolderPathQuery query = reinterpret_cast<FolderPathQuery>(
        reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathA")));
    char folder[MAX_PATH] = "";
    HRESULT result = query != nullptr ? query(nullptr, kCommonAppData, nullptr, 0, folder) : -1;
    FreeLibrary(shell);
    if (result < 0) {
        return 0;
    }
    char path[sizeof appState.settingsFolder];
    if (std::snprintf(path, sizeof path, "%s\\Orvane", folder) >= static_cast<int>(sizeof path)) {
        return 0;
    }
    CreateDirectoryA(path, nullptr); // normally there from an earlier run
    if (std::snprintf(appState.settingsFolder, sizeof appState.settingsFolder, "%s\\Clavoro",
                      path) >= static_cast<int>(sizeof appState.settingsFolder)) {
        return 0;
    }
    CreateDirectoryA(appState.settingsFolder, nullptr);
    return 1;
}

} // namespace

void DetermineSettingsFolder() {
    const OSVERSIONINFOA version = ReadOsVersion();
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        lstrcpynA(appState.settingsFolder, appState.programFolder, sizeof appState.settingsFolder);
        return;
    }
    if (!UseCommonAppDataFolder()) {
        UseExecutableFolder();
    }
}

void RestoreWindowPlacement() {
    char path[300];
    WindowPlacement placement;
    if (!SettingsFilePath(path, sizeof path) || !ReadPlacementFile(path, &placement)) {
        return; // the window keeps the template's position and size
    }
    if (!PlacementOnScreen(placement, GetSystemMetrics(SM_CXVIRTUALSCREEN),
                           GetSystemMetrics(SM_CYVIRTUALSCREEN))) {
        return;
    }
    SetWindowPos(reinterpret_cast<HWND>(appState.mainWindow), nullptr, placement.x, placement.y,
                 placement.width, placement.height, SWP_NOZORDER);
}

void SaveWindowPlacement() {
    char path[300];
    if (!SettingsFilePath(path, sizeof path)) {
        return;
    }
    HWND window = reinterpret_cast<HWND>(appState.mainWindow);
    RECT outer;
    if (IsZoomed(window) || IsIconic(window) || !GetWindowRect(window, &outer)) {
        WritePlacementFile(path, nullptr); // the next start uses the template's place
        return;
    }
    WindowPlacement placement = {outer.left, outer.top, outer.right - outer.left,
                                 outer.bottom - outer.top};
    WritePlacementFile(path, &placement);
}
