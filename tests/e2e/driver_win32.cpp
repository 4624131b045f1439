#include "tests/e2e/driver.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/bmp_writer.h"

namespace {

char programFile[MAX_PATH];   // the program under test, Windows path
char programFolder[MAX_PATH]; // <cwd>\run_<case>
std::vector<PROCESS_INFORMATION> started;

// Terminated, not closed: under Wine a close costs two seconds.
void EndStartedProcesses() {
    for (PROCESS_INFORMATION& info : started) {
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    started.clear();
}

struct EndEachCase : ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { EndStartedProcesses(); }
};

std::string FullPath(const char* name) {
    return name[0] != 0 && (name[1] == ':' || name[0] == '\\') ? name : InFolder(name);
}

// True when nothing is left at path (a file, or a folder of files).
bool Remove(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        DeleteFileA((path + "\\" + found.cFileName).c_str());
    }
    FindClose(search);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace

// e2e_<group> [gtest options] <program file>
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new EndEachCase);
    // ctest hands us the program's Unix path; Wine shows the Unix root as drive Z:.
    snprintf(programFile, sizeof programFile, "Z:%s", argc == 2 ? argv[1] : "");
    std::replace(programFile, programFile + strlen(programFile), '/', '\\');
    return RUN_ALL_TESTS();
}

bool PrepareProgramFolder() {
    EndStartedProcesses();
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    snprintf(programFolder, sizeof programFolder, "%s\\run_%s", cwd,
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    // A process that has just ended may hold its files for a moment longer.
    if (!WaitUntil([] { return Remove(programFolder); }, 5000) ||
        !CreateDirectoryA(programFolder, nullptr)) {
        ADD_FAILURE() << "cannot empty " << programFolder;
        return false;
    }
    const char* name = strrchr(programFile, '\\') + 1;
    for (const char* file : {name, "filter_x64.dll", "clavoro-host.exe"}) {
        const std::string from = std::string(programFile, name - programFile) + file;
        if (!CopyFileA(from.c_str(), InFolder(file).c_str(), FALSE) && file == name) {
            ADD_FAILURE() << "cannot copy " << programFile;
            return false;
        }
    }
    return WaitUntil([] { return Remove(SettingsFilePath()); }, 5000);
}

std::string BesideProgram(const char* name) {
    return std::string(programFile, strrchr(programFile, '\\') + 1 - programFile) + name;
}

std::string InFolder(const char* name) {
    return std::string(programFolder) + "\\" + name;
}

bool WriteTextFile(const char* name, const std::string& text) {
    FILE* f = fopen(FullPath(name).c_str(), "wb");
    bool written = f != nullptr && fwrite(text.data(), 1, text.size(), f) == text.size();
    written = (f == nullptr || fclose(f) == 0) && written; // closed also when the write failed
    EXPECT_TRUE(written) << name;
    return written;
}

bool WriteLayout(const char* name, const char* text) {
    const std::string base(name);
    return WriteTextFile((base + ".kbl").c_str(), text) &&
           SaveBmp(MakePicture(700, 340, 0xFFFFFF), InFolder((base + ".bmp").c_str()).c_str());
}

bool ReadWholeFile(const std::string& path, std::string* text) {
    text->clear();
    FILE* f = fopen(FullPath(path.c_str()).c_str(), "rb");
    char buffer[4096];
    for (size_t n; f != nullptr && (n = fread(buffer, 1, sizeof buffer, f)) > 0;) {
        text->append(buffer, n);
    }
    return f != nullptr && fclose(f) == 0;
}

std::string SettingsFilePath() {
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    return std::string(folder) + "\\Orvane\\Clavoro\\Clavoro.ini";
}

bool StartProgram(Program& p, const char* arguments, const char* exe, const char* outputFile) {
    p = Program{};
    const std::string path = FullPath(exe != nullptr ? exe : strrchr(programFile, '\\') + 1);
    std::string line = "\"" + path + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    if (outputFile != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError =
            CreateFileA(FullPath(outputFile).c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0, nullptr);
    }
    const BOOL ok = CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, outputFile != nullptr,
                                   0, nullptr, programFolder, &startup, &p.info);
    const DWORD error = GetLastError();
    if (startup.hStdOutput != nullptr) {
        CloseHandle(startup.hStdOutput); // the child has its own handle
    }
    if (!ok) {
        ADD_FAILURE() << "cannot start " << path << ": error " << error;
        return false;
    }
    started.push_back(p.info);
    return true;
}

HWND WindowOf(const char* className, const char* title) {
    HWND w = FindWindowExA(nullptr, nullptr, className, title);
    return w != nullptr && IsWindowVisible(w) ? w : nullptr;
}

HWND WaitWindow(const char* className, const char* title) {
    HWND found = nullptr;
    if (!WaitUntil([&] { return (found = WindowOf(className, title)) != nullptr; })) {
        ADD_FAILURE() << "no window \"" << (title != nullptr ? title : className) << "\"";
    }
    return found;
}

bool WaitMainWindow(Program& p) {
    if ((p.main = WaitWindow("Clavoro", nullptr)) == nullptr) {
        return false;
    }
    DWORD id = 0;
    GetWindowThreadProcessId(p.main, &id);
    if (id != p.info.dwProcessId) { // started by the host: ended with the case all the same
        p.info = PROCESS_INFORMATION{nullptr, nullptr, id, 0};
        p.info.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
        started.push_back(p.info);
    }
    return true;
}

bool ExpectMessage(const char* caption, const std::string& text) {
    HWND box = WaitWindow("#32770", caption);
    if (box == nullptr) {
        return false;
    }
    EXPECT_EQ(text, ControlText(box, 0xFFFF)); // the message box's text
    PressButton(box, IDOK);
    return WaitGone(box);
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool WaitGone(HWND window) {
    return WaitUntil([&] { return !IsWindowVisible(window); });
}

bool WaitExit(Program& p, DWORD* exitCode) {
    const bool ended = WaitForSingleObject(p.info.hProcess, 10000) == WAIT_OBJECT_0;
    return ended && (exitCode == nullptr || GetExitCodeProcess(p.info.hProcess, exitCode));
}

bool CloseProgram(Program& p) {
    PostMessageA(p.main, WM_CLOSE, 0, 0);
    DWORD code = 0;
    EXPECT_TRUE(WaitExit(p, &code)) << "the program did not end on WM_CLOSE";
    EXPECT_EQ(0u, code) << "anything else is a crash (an exception code)";
    return code == 0;
}

bool BringToFront(HWND window) {
    if (GetForegroundWindow() != window) {
        SetForegroundWindow(window);
    }
    // Wine may hold the program's thread for a while after a dialog closes.
    const bool front = WaitUntil([&] { return GetForegroundWindow() == window; });
    EXPECT_TRUE(front) << "the window did not come to the front";
    return front;
}

static void SendKey(const Program& p, Key key, DWORD upFlag) {
    DWORD front = 0, program = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &front);
    GetWindowThreadProcessId(p.main, &program);
    if (front == 0 || front != program) {
        BringToFront(p.main);
    }
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key.vk;
    input.ki.wScan = key.scan;
    input.ki.dwFlags = upFlag | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
}

// The 0..65535 range is scaled to the screen with truncation: rounded up to land on x.
static void SendMouse(DWORD flags, int x, int y) {
    const long long w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((x * 65536LL + w - 1) / w);
    input.mi.dy = static_cast<LONG>((y * 65536LL + h - 1) / h);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

void KeyDown(const Program& p, Key key) {
    SendKey(p, key, 0);
}

void KeyUp(const Program& p, Key key) {
    SendKey(p, key, KEYEVENTF_KEYUP);
}

void PressKey(const Program& p, Key key) {
    KeyDown(p, key);
    KeyUp(p, key);
}

void MouseMove(int x, int y) {
    SendMouse(0, x, y);
    POINT at;
    WaitUntil([&] { return GetCursorPos(&at) && at.x == x && at.y == y; }, 2000);
}

// The button events carry the position too: under Wine a button event alone may still
// be placed where the pointer was before the move.
void ClickControl(HWND window, int id, MouseButton button) {
    static const DWORD down[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_MIDDLEDOWN,
                                 MOUSEEVENTF_RIGHTDOWN};
    const RECT r = ControlScreenRect(window, id);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    BringToFront(window);
    MouseMove(x, y);
    SendMouse(down[button], x, y);
    SendMouse(down[button] * 2, x, y); // each button's up flag is its down flag shifted once
}

RECT ControlScreenRect(HWND window, int id) {
    RECT r = {};
    GetWindowRect(GetDlgItem(window, id), &r);
    return r;
}

std::string ControlText(HWND window, int id) {
    char text[4096] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

bool WaitControlText(HWND window, int id, const char* text, int timeoutMs) {
    if (WaitUntil([&] { return ControlText(window, id) == text; }, timeoutMs)) {
        return true;
    }
    ADD_FAILURE() << "control " << id << " holds \"" << ControlText(window, id)
                  << "\", waited for \"" << text << "\"";
    return false;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

bool ShowsHatch(HWND main, int x, int y, int width, COLORREF colour) {
    HWND picture = GetDlgItem(main, kPicture);
    RECT client = {};
    GetClientRect(picture, &client);
    POINT origin = {0, 0};
    ClientToScreen(picture, &origin);
    const float s = client.right / 700.0f;
    for (int px = static_cast<int>(x * s) + 1; px < static_cast<int>((x + width) * s); ++px) {
        if (ScreenPixel(origin.x + px, origin.y + static_cast<int>((y + 20) * s)) == colour) {
            return true;
        }
    }
    return false;
}

HWND StartBatchRun(Program& p, const char* arguments, const std::string& logPath) {
    if (!StartProgram(p, arguments) || !WaitMainWindow(p)) {
        return nullptr;
    }
    HWND dialog = WaitWindow("#32770", "Clavoro Batch-ID");
    if (dialog != nullptr) {
        SetDlgItemTextA(dialog, kOperator, "Operator 7");
        SetDlgItemTextA(dialog, kProduct, "KB-105");
        SetDlgItemTextA(dialog, kBatch, "Lot 7");
        SetDlgItemTextA(dialog, kLogName, logPath.c_str());
        PressButton(dialog, kContinue);
    }
    return dialog;
}

bool Answer(const char* title, int button, const char* serial, int radio) {
    HWND dialog = WaitWindow("#32770", title);
    if (dialog == nullptr) {
        return false;
    }
    if (serial != nullptr) {
        SetDlgItemTextA(dialog, kSerial, serial);
        SetDlgItemTextA(dialog, kVersion, "V1");
    }
    if (radio != 0) {
        PostMessageA(GetDlgItem(dialog, radio), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return IsDlgButtonChecked(dialog, radio) == BST_CHECKED; }));
    }
    PressButton(dialog, button);
    return WaitGone(dialog);
}
