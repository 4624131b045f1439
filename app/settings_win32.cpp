// Where Clavoro.ini lives (the user's own folder), the main window's placement read from
// it at start-up and written to it when the window is destroyed, and the data folder.
// Every failure here is silent.
#include <windows.h>

#include <sddl.h>

#include <cstdio>

#include "app/main_layout.h"
#include "app/settings.h"
#include "base/app_state.h"
#include "base/os_version_win32.h"

namespace {

typedef HRESULT(WINAPI* FolderPathQuery)(HWND, int, HANDLE, DWORD, LPSTR);

constexpr int kUserAppData = 26;   // CSIDL_APPDATA: the user's own, roaming
constexpr int kCommonAppData = 35; // CSIDL_COMMON_APPDATA: the machine's, ProgramData

// The executable's folder, for systems where the shell cannot name a common folder.
void UseExecutableFolder() {
    char path[260];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    path[n < sizeof path ? n : sizeof path - 1] = 0;
    CutAtLastBackslash(path);
    lstrcpynA(appState.settingsFolder, path, sizeof appState.settingsFolder);
}

// The shell's folder numbered csidl; 0 when the shell cannot tell it. The query is
// looked up at run time so that the program starts on systems whose shell32 lacks it.
int ShellFolder(int csidl, char (&folder)[MAX_PATH]) {
    HMODULE shell = LoadLibraryA("shell32.dll");
    if (shell == nullptr) {
        return 0;
    }
    // Through void*: FARPROC and the query's own type are unrelated function types.
    FolderPathQuery query = reinterpret_cast<FolderPathQuery>(
        reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathA")));
    folder[0] = 0;
    HRESULT result = query != nullptr ? query(nullptr, csidl, nullptr, 0, folder) : -1;
    FreeLibrary(shell);
    return result >= 0 ? 1 : 0;
}

// <the shell's folder csidl>\Orvane\Clavoro into out, both levels made when missing
// (Clavoro with the security attributes given, null: the parent's); 0 when the shell
// names no folder or the path does not fit.
int ClavoroFolder(int csidl, SECURITY_ATTRIBUTES* security, char* out, size_t size) {
    char folder[MAX_PATH];
    if (!ShellFolder(csidl, folder)) {
        return 0;
    }
    char orvane[MAX_PATH + 8];
    std::snprintf(orvane, sizeof orvane, "%s\\Orvane", folder);
    const int n = std::snprintf(out, size, "%s\\Clavoro", orvane);
    if (n < 0 || static_cast<size_t>(n) >= size) {
        return 0;
    }
    CreateDirectoryA(orvane, nullptr); // normally there from an earlier run
    CreateDirectoryA(out, security);
    return 1;
}

} // namespace

void DetermineSettingsFolder() {
    const OSVERSIONINFOA version = ReadOsVersion();
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        lstrcpynA(appState.settingsFolder, appState.programFolder, sizeof appState.settingsFolder);
        return;
    }
    // Each user's own folder, which only that user writes.
    if (!ClavoroFolder(kUserAppData, nullptr, appState.settingsFolder,
                       sizeof appState.settingsFolder)) {
        UseExecutableFolder();
    }
}

int ProgramFilesFolder(int index, char* folder, size_t size) {
    char path[MAX_PATH];
    // CSIDL_PROGRAM_FILES (of a 64-bit program, the 64-bit folder), CSIDL_PROGRAM_FILESX86.
    if (index < 0 || index > 1 || !ShellFolder(index == 0 ? 38 : 42, path)) {
        return 0;
    }
    return lstrcpynA(folder, path, static_cast<int>(size)) != nullptr && path[0] != 0;
}

// A file made and removed at once: the rights that count are those of this process on
// this folder (an installed program's folder under Program Files is read-only to
// standard users, and with the asInvoker manifest Windows does not redirect the write
// elsewhere), whatever the folder's attributes say.
int IsFolderWritable(const char* folder) {
    char path[MAX_PATH + 400];
    const int n = std::snprintf(path, sizeof path, "%s\\~clavoro-%lu.tmp", folder,
                                static_cast<unsigned long>(GetCurrentProcessId()));
    if (n < 0 || static_cast<size_t>(n) >= sizeof path) {
        return 0;
    }
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    CloseHandle(file);
    return 1;
}

// A folder that a user makes under ProgramData belongs to that user alone: ProgramData
// hands CREATOR OWNER full control down to what is made in it, and BUILTIN\Users only
// the rights to read and to add files ("Per-User Application Settings Locations (UAC)",
// https://learn.microsoft.com/en-us/previous-versions/bb756940(v=msdn.10), on what a
// standard user may write). A test log that the first operator's account made could then
// not be appended to by the next shift's. So the folder is made with a protected list
// of its own: full control for SYSTEM and Administrators, Modify (0x1301BF: read,
// write, execute, delete) for BUILTIN\Users, inherited by every file and folder in it
// (the SDDL of "ACE Strings",
// https://learn.microsoft.com/en-us/windows/win32/secauthz/ace-strings). A folder that
// already exists keeps the rights it has.
int SharedDataFolder(char* folder, size_t size) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)", SDDL_REVISION_1,
            &descriptor, nullptr)) {
        return 0;
    }
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    const int named = ClavoroFolder(kCommonAppData, &security, folder, size);
    LocalFree(descriptor);
    const DWORD attributes = named ? GetFileAttributesA(folder) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
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
