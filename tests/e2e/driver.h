// End-to-end driver: starts the real program in a fresh folder, drives it with real
// keyboard and mouse input and reads back what it shows and writes. Every wait polls a
// condition with a bound. Each "TEST(Group, name)" of tests/e2e/<group>_cases.cpp becomes
// the ctest test e2e.<group>.<name>. What a case leaves running is terminated: it closes
// the program only where the close is tested. Cases never run side by side, so a window is
// found by its class and title alone. The helpers report what went wrong as a failure of
// the case and return false.
#pragma once
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

template <typename Condition> bool WaitUntil(Condition condition, int timeoutMs = 10000) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(20)) {
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) {
            return false;
        }
    }
    return true;
}

// ---- the program folder <cwd>\run_<case>; relative names lie in it ----

// Ends what the case started, empties the folder, copies the program and what lies
// beside it (filter_x64.dll, clavoro-host.exe) and removes the settings file.
bool PrepareProgramFolder();
std::string InFolder(const char* name);
std::string BesideProgram(const char* name);                   // a file of the built program folder
bool WriteTextFile(const char* name, const std::string& text); // the bytes as given
bool WriteLayout(const char* name, const char* text);          // name.kbl, white name.bmp
bool ReadWholeFile(const std::string& path, std::string* text);
std::string SettingsFilePath(); // <the user's AppData\Roaming>\Orvane\Clavoro\Clavoro.ini

// ---- the program ----

struct Program {
    PROCESS_INFORMATION info;
    HWND main; // set by WaitMainWindow
};
// Starts exe (a name in the folder or a full path; null: the program under test) in the
// folder, its output to outputFile.
bool StartProgram(Program& p, const char* arguments, const char* exe = nullptr,
                  const char* outputFile = nullptr);
bool WaitMainWindow(Program& p);
HWND WindowOf(const char* className, const char* title); // visible, top-level; null: any
HWND WaitWindow(const char* className, const char* title);
// Waits for a message box by its caption, checks its text, presses OK.
bool ExpectMessage(const char* caption, const std::string& text);
void PressButton(HWND dialog, int id); // posted: never blocks on a dialog it opens
bool WaitGone(HWND window);
bool WaitExit(Program& p, DWORD* exitCode = nullptr);
bool CloseProgram(Program& p); // WM_CLOSE; the process must end with exit code 0

// ---- input: nothing reaches the program but the input itself. A key goes to whatever
// window of the program is in front, as from a real keyboard; the main window is
// brought to the front only when another program is there ----

struct Key {
    WORD vk;
    WORD scan;
    bool extended;
};
const Key kKeyA = {'A', 0x1E, false}, kKeyRightCtrl = {VK_RCONTROL, 0x1D, true};
bool BringToFront(HWND window);
void KeyDown(const Program& p, Key key);
void KeyUp(const Program& p, Key key);
void PressKey(const Program& p, Key key);
void MouseMove(int x, int y); // a screen pixel; waits until the pointer is there
enum MouseButton { kLeft, kMiddle, kRight };
void ClickControl(HWND window, int id, MouseButton button = kLeft); // in its middle

// ---- reading ----

RECT ControlScreenRect(HWND window, int id);
std::string ControlText(HWND window, int id);
bool WaitControlText(HWND window, int id, const char* text, int timeoutMs = 10000);
COLORREF ScreenPixel(int x, int y);
// A pixel of the hatch colour on the middle row of a 40-pixel high key at x, y of the
// 700 x 340 picture, scaled to the picture control's width as the program draws it.
bool ShowsHatch(HWND main, int x, int y, int width, COLORREF colour);
const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0);

// ---- batch runs ----

// Controls and titles of the batch dialogs.
const int kOperator = 1021, kProduct = 1022, kBatch = 1023, kSerial = 1024, kVersion = 1025,
          kBadRow = 1027, kLogName = 1028, kBadLeds = 1029, kExitDialog = 1029, kKeyChatter = 1031,
          kContinue = 1033;
const char* const kSerialTitle = "Clavoro Serial Number";
const char* const kPassTitle = "Clavoro - Keyboard Passed ?";
const char* const kFailTitle = "Select the fail reason";
// Starts a batch run and fills the Operator dialog with the log at logPath; the dialog,
// after Continue was pressed, or null.
HWND StartBatchRun(Program& p, const char* arguments, const std::string& logPath);
// Waits for the dialog, enters a serial number, ticks a radio button (each if given),
// presses the button and waits only until the dialog is hidden: the keys that follow
// come at once, as an operator's would.
bool Answer(const char* title, int button, const char* serial = nullptr, int radio = 0);

// Controls of the main window.
const int kExitButton = 1003, kLayoutList = 1004, kClearButton = 1005, kPicture = 1006,
          kFailButton = 1007, kWindowsCode = 1008, kBiosCode = 1009, kDepressTime = 1010,
          kLastKeyUp = 1011, kLastKeyDown = 1012, kRecentKeys = 1013, kExtended = 1014,
          kAboutButton = 1016, kRate = 1017, kFilterBox = 1019, kLagTime = 1022, kLedButton = 1023,
          kMouseMoveButton = 1089, kMouseDriftButton = 1090;
