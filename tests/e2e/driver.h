// End-to-end driver: starts the real program in a fresh folder, drives it with
// real keyboard and mouse input and reads back what it shows and writes.
// Plain free functions, no framework. Every wait polls with a bounded timeout.
//
// A case file looks like this:
//
//     #include "tests/e2e/driver.h"
//
//     E2E_CASE(key_a_shows_codes) {
//         REQUIRE(PrepareProgramFolder());            // fresh folder with the program
//         WriteTextFile("A.kbl", "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,10,10,30,30\n");
//         WriteBitmap("A.bmp", 0xFFFFFF);             // 700 x 340, one colour
//         Program p;
//         REQUIRE(StartProgram(p, ""));               // arguments as one string
//         REQUIRE(WaitMainWindow(p));                 // p.main is the visible main window
//         PressKey(p, kKeyA);                         // foreground + SendInput down and up
//         CHECK(WaitControlText(p.main, 1008, "65 (0x41)"));
//         CHECK(CloseProgram(p));                     // WM_CLOSE; the process must end
//     }
//
// Register the file in tests/e2e/CMakeLists.txt with clavoro_e2e_group(<group> file.cpp):
// every line starting with E2E_CASE(name) becomes the ctest test e2e.<group>.<name>,
// run as "<group exe> <name> <program file>" in the build folder.
//
// Program folder and files
//   PrepareProgramFolder()      empties <cwd>\run_<case>, copies the program (and
//                               filter_x64.dll when it lies beside it), deletes the
//                               settings file; 1 on success.
//   ProgramFolder()             that folder (Windows path, no trailing backslash).
//   InFolder(name)              folder\name.
//   WriteTextFile(name, text)   writes the bytes exactly (no line-end conversion);
//                               a relative name is in the program folder.
//   WriteBitmap(name, rgb, w, h) a w x h 24-bit bitmap of one colour (default 700 x 340).
//   ReadWholeFile(path, &text)  1 when the file could be read.
//   FileExists(path)
//   SettingsFilePath()          C:\ProgramData\Orvane\Clavoro\Clavoro.ini of the prefix.
//   ListFolder(pattern)         names matching pattern in the program folder, in the
//                               order the system lists them (the order the program sees).
//
// The program
//   StartProgram(p, args)       CreateProcess in the program folder; p.startTick set.
//   WaitMainWindow(p)           waits for the visible top-level window of class
//                               "Clavoro" of the process (mainWindowClass may be changed).
//   WaitMessageBox(p)           the first top-level "#32770" window of the process;
//                               MessageText(box) reads its text (static 0xFFFF).
//   ExpectMessage(p, caption, text) waits for a box, checks both, presses OK, waits
//                               for it to go; 1 when all matched.
//   FindTopWindow(p, cls, title) a visible top-level window of the process by class
//                               and/or title (either may be null).
//   PressButton(dialog, id)     posts WM_COMMAND/BN_CLICKED: never blocks on a modal
//                               dialog the click opens.
//   WaitExit(p, &code)          the process ended on its own.
//   CloseProgram(p)             WM_CLOSE to the main window and wait for the end; an
//                               exit code other than 0 (a crash) fails the case; if
//                               it does not end it is terminated and the case fails.
//   Every process started is ended when the case returns (a leftover is a failure).
//
// Input (SetForegroundWindow(main) first and wait until it is in front; KeyDown and
// KeyUp only when no window of the program is in front, so nothing else reaches it)
//   KeyDown(p, key) / KeyUp(p, key) / PressKey(p, key)   a Key is {vk, scan, extended}.
//   MouseMove(x, y)             absolute screen coordinates.
//   Click(p, x, y, button)      move there, button down and up (kLeft, kMiddle, kRight).
//   ControlScreenRect(main, id) / ControlClientRect(main, id)
//
// Reading the screen and controls
//   ControlText(main, id)       GetDlgItemTextA of a control of the main window.
//   WaitControlText(main, id, text) polls until the control holds exactly that text.
//   ScreenPixel(x, y)           the colour on the screen (COLORREF, 0x00BBGGRR).
//   WaitUntil(condition, ms)    polls any condition (a lambda) every 20 ms.
//
// Results
//   CHECK(cond), CHECK_EQ(a, b) (ints or strings; strings are shown escaped), and
//   REQUIRE / REQUIRE_EQ, which also end the case. Each failure prints file:line and
//   the values; the exit code is 1 when anything failed.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// ---- cases and results ----

typedef void (*CaseFunction)();
struct CaseRegistration {
    CaseRegistration(const char* name, CaseFunction function);
};
#define E2E_CASE(name)                                                                             \
    static void E2eCase_##name();                                                                  \
    static CaseRegistration e2eRegistration_##name(#name, E2eCase_##name);                         \
    static void E2eCase_##name()

int RunCase(int argc, char** argv);
const char* CurrentCaseName();

// Records a failure and prints file:line and what failed; returns 0.
int Fail(const char* file, int line, const char* what);
int CheckEqual(const char* file, int line, const char* expr, long long actual, long long expected);
int CheckEqual(const char* file, int line, const char* expr, const std::string& actual,
               const std::string& expected);
void Note(const char* format, ...);

#define CHECK(cond) ((cond) ? 1 : Fail(__FILE__, __LINE__, #cond))
#define CHECK_EQ(actual, expected)                                                                 \
    CheckEqual(__FILE__, __LINE__, #actual " == " #expected, (actual), (expected))
#define REQUIRE(cond)                                                                              \
    do {                                                                                           \
        if (!CHECK(cond))                                                                          \
            return;                                                                                \
    } while (0)
#define REQUIRE_EQ(actual, expected)                                                               \
    do {                                                                                           \
        if (!CHECK_EQ(actual, expected))                                                           \
            return;                                                                                \
    } while (0)

// ---- waiting ----

const int kWaitMs = 10000; // default bound of every wait

template <typename Condition> int WaitUntil(Condition condition, int timeoutMs = kWaitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return 1;
        }
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) {
            return 0;
        }
        Sleep(20);
    }
}

// ---- program folder and files ----

int PrepareProgramFolder();
// Copies another file of the program's own folder (e.g. a tool) into the run folder.
int CopyBesideProgram(const char* name);
const char* ProgramFolder();
std::string InFolder(const char* name);
int WriteTextFile(const char* name, const std::string& text);
int WriteBitmap(const char* name, COLORREF colour, int width = 700, int height = 340);
int ReadWholeFile(const std::string& path, std::string* text);
int FileExists(const std::string& path);
std::string SettingsFilePath();
std::vector<std::string> ListFolder(const char* pattern);
// Shows \r, \n and unprintable bytes as escapes (for messages).
std::string Escaped(const std::string& text);

// ---- the program ----

extern const char* mainWindowClass; // class of the main window, "Clavoro" unless a case changes it

struct Program {
    PROCESS_INFORMATION info;
    DWORD startTick;
    HWND main;
};

int StartProgram(Program& p, const char* arguments);
// Takes over a process that another program started (found by its main window):
// it is then waited for and ended like one of ours.
int AdoptProcess(Program& p, DWORD processId);
int WaitMainWindow(Program& p, int timeoutMs = kWaitMs);
HWND FindTopWindow(const Program& p, const char* className, const char* title);
HWND WaitMessageBox(const Program& p, int timeoutMs = kWaitMs);
std::string WindowText(HWND window);
std::string MessageText(HWND box);
int ExpectMessage(const Program& p, const char* caption, const std::string& text);
void PressButton(HWND dialog, int id);
int WaitGone(HWND window, int timeoutMs = kWaitMs);
int IsRunning(const Program& p);
int WaitExit(Program& p, DWORD* exitCode = nullptr, int timeoutMs = kWaitMs);
int CloseProgram(Program& p);

// ---- input ----

struct Key {
    WORD vk;
    WORD scan;
    bool extended;
};
const Key kKeyA = {'A', 0x1E, false};
const Key kKeyB = {'B', 0x30, false};
const Key kKeyEnter = {VK_RETURN, 0x1C, false};
const Key kKeyRightCtrl = {VK_RCONTROL, 0x1D, true};
const Key kKeyInsert = {VK_INSERT, 0x52, true};
const Key kKeyF9 = {VK_F9, 0x43, false};

enum MouseButton { kLeft, kMiddle, kRight };

int BringToFront(const Program& p);
void KeyDown(const Program& p, Key key);
void KeyUp(const Program& p, Key key);
void PressKey(const Program& p, Key key);
void MouseMove(int x, int y);
void Click(const Program& p, int x, int y, MouseButton button);
RECT ControlScreenRect(HWND main, int id);
RECT ControlClientRect(HWND main, int id);
POINT Centre(const RECT& r);

// ---- reading ----

std::string ControlText(HWND main, int id);
int WaitControlText(HWND main, int id, const char* text, int timeoutMs = kWaitMs);
COLORREF ScreenPixel(int x, int y);
