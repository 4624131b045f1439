#include "tests/e2e/driver.h"

#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "tools/bmp/bmp_writer.h"

const char* mainWindowClass = "Clavoro";

// ---- cases and results ----

namespace {

struct CaseEntry {
    const char* name;
    CaseFunction function;
};
CaseEntry cases[100];
int caseCount = 0;
const char* currentCase = "";
int failures = 0;

char programFile[MAX_PATH];   // the program to copy, Windows path
char programFolder[MAX_PATH]; // <cwd>\run_<case>
std::vector<PROCESS_INFORMATION> started;

// ctest hands us Unix paths; Wine shows the Unix root as drive Z:.
void ToWindowsPath(const char* path, char* out, size_t size) {
    if (path[0] == '/') {
        snprintf(out, size, "Z:%s", path);
    } else {
        snprintf(out, size, "%s", path);
    }
    for (char* c = out; *c != 0; ++c) {
        if (*c == '/') {
            *c = '\\';
        }
    }
}

void EndLeftoverProcesses() {
    for (PROCESS_INFORMATION& info : started) {
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
            Program p = {info, 0, nullptr};
            p.main = FindTopWindow(p, mainWindowClass, nullptr);
            if (p.main != nullptr) {
                PostMessageA(p.main, WM_CLOSE, 0, 0);
            }
            if (WaitForSingleObject(info.hProcess, 5000) == WAIT_TIMEOUT) {
                TerminateProcess(info.hProcess, 99);
                WaitForSingleObject(info.hProcess, 5000);
                Fail(__FILE__, __LINE__, "a started process was still running at the end");
            }
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    started.clear();
}

} // namespace

CaseRegistration::CaseRegistration(const char* name, CaseFunction function) {
    if (caseCount < static_cast<int>(sizeof cases / sizeof cases[0])) {
        cases[caseCount++] = {name, function};
    }
}

const char* CurrentCaseName() {
    return currentCase;
}

int RunCase(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--list") == 0) {
        for (int i = 0; i < caseCount; ++i) {
            printf("%s\n", cases[i].name);
        }
        return 0;
    }
    if (argc != 3) {
        printf("usage: %s <case> <program file> | --list\n", argv[0]);
        return 2;
    }
    ToWindowsPath(argv[2], programFile, sizeof programFile);
    for (int i = 0; i < caseCount; ++i) {
        if (strcmp(cases[i].name, argv[1]) == 0) {
            currentCase = cases[i].name;
            const DWORD start = GetTickCount();
            cases[i].function();
            EndLeftoverProcesses();
            Note("%s after %lu ms", failures == 0 ? "passed" : "FAILED",
                 static_cast<unsigned long>(GetTickCount() - start));
            return failures == 0 ? 0 : 1;
        }
    }
    printf("no case named %s\n", argv[1]);
    return 2;
}

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    return RunCase(argc, argv);
}

int Fail(const char* file, int line, const char* what) {
    ++failures;
    printf("%s:%d: check failed: %s\n", file, line, what);
    return 0;
}

int CheckEqual(const char* file, int line, const char* expr, long long actual, long long expected) {
    if (actual == expected) {
        return 1;
    }
    ++failures;
    printf("%s:%d: check failed: %s\n  actual:   %lld\n  expected: %lld\n", file, line, expr,
           actual, expected);
    return 0;
}

int CheckEqual(const char* file, int line, const char* expr, const std::string& actual,
               const std::string& expected) {
    if (actual == expected) {
        return 1;
    }
    ++failures;
    printf("%s:%d: check failed: %s\n  actual:   \"%s\"\n  expected: \"%s\"\n", file, line, expr,
           Escaped(actual).c_str(), Escaped(expected).c_str());
    return 0;
}

void Note(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    printf("[%s] %s\n", currentCase, text);
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        char piece[8];
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 32 || c > 126) {
            snprintf(piece, sizeof piece, "\\x%02x", c);
            out += piece;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// ---- program folder and files ----

namespace {

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) {
                continue;
            }
            const std::string path = folder + "\\" + found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// A case may leave a folder (or anything else) in place of the settings file.
void RemoveSettingsFile() {
    const std::string path = SettingsFilePath();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path);
    } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

std::string FullPath(const std::string& name) {
    if (name.size() > 1 && (name[1] == ':' || name[0] == '\\')) {
        return name;
    }
    return InFolder(name.c_str());
}

} // namespace

int PrepareProgramFolder() {
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    snprintf(programFolder, sizeof programFolder, "%s\\run_%s", cwd, currentCase);
    DeleteTree(programFolder);
    if (!CreateDirectoryA(programFolder, nullptr)) {
        return Fail(__FILE__, __LINE__, programFolder);
    }
    const char* name = strrchr(programFile, '\\');
    name = name != nullptr ? name + 1 : programFile;
    if (!CopyFileA(programFile, InFolder(name).c_str(), FALSE)) {
        return Fail(__FILE__, __LINE__, programFile);
    }
    // The keyboard filter library is optional; copy it when the build has one.
    std::string filter(programFile, name - programFile);
    filter += "filter_x64.dll";
    if (FileExists(filter)) {
        CopyFileA(filter.c_str(), InFolder("filter_x64.dll").c_str(), FALSE);
    }
    RemoveSettingsFile();
    return 1;
}

const char* ProgramFolder() {
    return programFolder;
}

std::string InFolder(const char* name) {
    return std::string(programFolder) + "\\" + name;
}

int WriteTextFile(const char* name, const std::string& text) {
    FILE* f = fopen(FullPath(name).c_str(), "wb");
    if (f == nullptr) {
        return Fail(__FILE__, __LINE__, name);
    }
    const size_t written = fwrite(text.data(), 1, text.size(), f);
    fclose(f);
    return written == text.size() ? 1 : Fail(__FILE__, __LINE__, name);
}

int WriteBitmap(const char* name, COLORREF colour, int width, int height) {
    const uint32_t rgb = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) |
                         static_cast<uint32_t>(GetBValue(colour));
    if (!SaveBmp(MakePicture(width, height, rgb), FullPath(name).c_str())) {
        return Fail(__FILE__, __LINE__, name);
    }
    return 1;
}

int ReadWholeFile(const std::string& path, std::string* text) {
    text->clear();
    FILE* f = fopen(FullPath(path).c_str(), "rb");
    if (f == nullptr) {
        return 0;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
        text->append(buffer, n);
    }
    fclose(f);
    return 1;
}

int FileExists(const std::string& path) {
    return GetFileAttributesA(FullPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SettingsFilePath() {
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder);
    return std::string(folder) + "\\Orvane\\Clavoro\\Clavoro.ini";
}

std::vector<std::string> ListFolder(const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(InFolder(pattern).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return names;
}

// ---- the program ----

int CopyBesideProgram(const char* name) {
    const char* slash = strrchr(programFile, '\\');
    std::string source = slash != nullptr ? std::string(programFile, slash + 1 - programFile) : "";
    source += name;
    if (!CopyFileA(source.c_str(), InFolder(name).c_str(), FALSE)) {
        return Fail(__FILE__, __LINE__, source.c_str());
    }
    return 1;
}

int AdoptProcess(Program& p, DWORD processId) {
    p = Program{};
    p.startTick = GetTickCount();
    p.info.dwProcessId = processId;
    p.info.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
    if (p.info.hProcess == nullptr) {
        return Fail(__FILE__, __LINE__, "OpenProcess");
    }
    started.push_back(p.info);
    return 1;
}

int StartProgram(Program& p, const char* arguments) {
    const char* name = strrchr(programFile, '\\');
    name = name != nullptr ? name + 1 : programFile;
    const std::string exe = InFolder(name);
    std::string commandLine = "\"" + exe + "\"";
    if (arguments[0] != 0) {
        commandLine += " ";
        commandLine += arguments;
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    p = Program{};
    p.startTick = GetTickCount();
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        programFolder, &startup, &p.info)) {
        return Fail(__FILE__, __LINE__, "CreateProcessA");
    }
    started.push_back(p.info);
    return 1;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    char text[256];
    if (search->className != nullptr) {
        GetClassNameA(window, text, sizeof text);
        if (strcmp(text, search->className) != 0) {
            return TRUE;
        }
    }
    if (search->title != nullptr) {
        GetWindowTextA(window, text, sizeof text);
        if (strcmp(text, search->title) != 0) {
            return TRUE;
        }
    }
    search->found = window;
    return FALSE;
}

} // namespace

HWND FindTopWindow(const Program& p, const char* className, const char* title) {
    WindowSearch search = {p.info.dwProcessId, className, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int WaitMainWindow(Program& p, int timeoutMs) {
    if (!WaitUntil([&] { return (p.main = FindTopWindow(p, mainWindowClass, nullptr)) != nullptr; },
                   timeoutMs)) {
        return Fail(__FILE__, __LINE__, "the main window did not appear");
    }
    Note("main window shown %lu ms after the start",
         static_cast<unsigned long>(GetTickCount() - p.startTick));
    return 1;
}

HWND WaitMessageBox(const Program& p, int timeoutMs) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindTopWindow(p, "#32770", nullptr)) != nullptr; }, timeoutMs);
    return box;
}

std::string WindowText(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string MessageText(HWND box) {
    char text[4096] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

int ExpectMessage(const Program& p, const char* caption, const std::string& text) {
    HWND box = WaitMessageBox(p);
    if (box == nullptr) {
        printf("  no message box \"%s\": \"%s\"\n", caption, Escaped(text).c_str());
        return Fail(__FILE__, __LINE__, "a message box did not appear");
    }
    int ok = CHECK_EQ(WindowText(box), std::string(caption));
    ok &= CHECK_EQ(MessageText(box), text);
    PressButton(box, IDOK);
    ok &= CHECK(WaitGone(box));
    return ok;
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int WaitGone(HWND window, int timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

int IsRunning(const Program& p) {
    return WaitForSingleObject(p.info.hProcess, 0) == WAIT_TIMEOUT;
}

int WaitExit(Program& p, DWORD* exitCode, int timeoutMs) {
    if (WaitForSingleObject(p.info.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
        return 0;
    }
    if (exitCode != nullptr) {
        GetExitCodeProcess(p.info.hProcess, exitCode);
    }
    return 1;
}

int CloseProgram(Program& p) {
    if (p.main != nullptr) {
        PostMessageA(p.main, WM_CLOSE, 0, 0);
    }
    DWORD code = 0;
    if (WaitExit(p, &code)) {
        // Every normal end returns 0; anything else is a crash (an exception code).
        return code == 0 ? 1 : CheckEqual(__FILE__, __LINE__, "exit code", code, 0);
    }
    TerminateProcess(p.info.hProcess, 99);
    WaitForSingleObject(p.info.hProcess, 5000);
    return Fail(__FILE__, __LINE__, "the program did not end on WM_CLOSE and was terminated");
}

// ---- input ----

int BringToFront(const Program& p) {
    if (GetForegroundWindow() == p.main) {
        return 1;
    }
    SetForegroundWindow(p.main);
    if (!WaitUntil([&] { return GetForegroundWindow() == p.main; }, 3000)) {
        return Fail(__FILE__, __LINE__, "the main window did not come to the front");
    }
    return 1;
}

namespace {

void SendKey(Key key, DWORD upFlag) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key.vk;
    input.ki.wScan = key.scan;
    input.ki.dwFlags = upFlag | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
}

void SendMouse(DWORD flags, LONG dx, LONG dy) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

} // namespace

// A key goes to whatever window of the program is in front, as from a real keyboard.
// Only when another program is in front is the main window brought there: activating
// it would wake the program, and wait for it, at every key.
static void FrontUnlessProgram(const Program& p) {
    DWORD front = 0, program = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &front);
    GetWindowThreadProcessId(p.main, &program);
    if (front == 0 || front != program) {
        BringToFront(p);
    }
}

void KeyDown(const Program& p, Key key) {
    FrontUnlessProgram(p);
    SendKey(key, 0);
}

void KeyUp(const Program& p, Key key) {
    FrontUnlessProgram(p);
    SendKey(key, KEYEVENTF_KEYUP);
}

void PressKey(const Program& p, Key key) {
    BringToFront(p);
    SendKey(key, 0);
    SendKey(key, KEYEVENTF_KEYUP);
}

// Absolute coordinates are 0..65535 over the primary screen; round up so that the
// system's scaling back lands on the very pixel.
static POINT AbsolutePoint(int x, int y) {
    const long long width = GetSystemMetrics(SM_CXSCREEN);
    const long long height = GetSystemMetrics(SM_CYSCREEN);
    return {static_cast<LONG>((x * 65536LL + width - 1) / width),
            static_cast<LONG>((y * 65536LL + height - 1) / height)};
}

void MouseMove(int x, int y) {
    const POINT a = AbsolutePoint(x, y);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, a.x, a.y);
    WaitUntil(
        [&] {
            POINT at;
            GetCursorPos(&at);
            return at.x == x && at.y == y;
        },
        2000);
}

void Click(const Program& p, int x, int y, MouseButton button) {
    static const DWORD downFlags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_MIDDLEDOWN,
                                      MOUSEEVENTF_RIGHTDOWN};
    static const DWORD upFlags[] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_MIDDLEUP, MOUSEEVENTF_RIGHTUP};
    BringToFront(p);
    MouseMove(x, y);
    // The buttons carry the position too: under Wine a button event alone may still be
    // placed where the pointer was before the move.
    const POINT a = AbsolutePoint(x, y);
    const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendMouse(downFlags[button] | at, a.x, a.y);
    SendMouse(upFlags[button] | at, a.x, a.y);
}

RECT ControlScreenRect(HWND main, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(main, id), &r);
    return r;
}

RECT ControlClientRect(HWND main, int id) {
    RECT r = ControlScreenRect(main, id);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT Centre(const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// ---- reading ----

std::string ControlText(HWND main, int id) {
    char text[4096] = "";
    GetDlgItemTextA(main, id, text, sizeof text);
    return text;
}

int WaitControlText(HWND main, int id, const char* text, int timeoutMs) {
    if (WaitUntil([&] { return ControlText(main, id) == text; }, timeoutMs)) {
        return 1;
    }
    printf("  control %d holds \"%s\", waited for \"%s\"\n", id,
           Escaped(ControlText(main, id)).c_str(), Escaped(text).c_str());
    return 0;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}
