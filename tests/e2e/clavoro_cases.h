// Helpers shared by the cases that drive Clavoro.exe: a small layout that covers
// plain, extended and mouse keys, and reading the keyboard-type list.
#pragma once
#include "tests/e2e/driver.h"

// Main-window controls read by the cases.
enum MainControl {
    kHelpButton = 1000,
    kExitButton = 1003,
    kLayoutList = 1004,
    kClearButton = 1005,
    kPicture = 1006,
    kFailButton = 1007,
    kWindowsCode = 1008,
    kBiosCode = 1009,
    kDepressTime = 1010,
    kLastKeyUp = 1011,
    kLastKeyDown = 1012,
    kRecentKeys = 1013,
    kWindowsExtended = 1014,
    kBiosExtended = 1015,
    kAboutButton = 1016,
    kRate = 1017,
    kWindowsRadio = 1020,
    kLagTime = 1022,
    kLedButton = 1023,
    kKeyTestedOkLabel = 1045,
    kMouseMoveButton = 1089,
    kMouseDriftButton = 1090,
};

// A, B, Enter, right Ctrl and the three mouse buttons; Insert is left out on purpose.
const char* const kSmallLayout =
    "# small test keyboard\r\n"
    "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,20,20,40,40\r\n"
    "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,70,20,40,40\r\n"
    "\"VK_RETURN\",28,\"Enter\",\"false\",\"CVSTATUSUP\",0,120,20,60,40\r\n"
    "\"VK_CONTROL\",29,\"Right Ctrl\",\"true\",\"CVSTATUSUP\",0,200,20,60,40\r\n"
    "\"LMOUSE\",0,\"Left button\",\"true\",\"CVSTATUSUP\",0,20,200,60,40\r\n"
    "\"MMOUSE\",0,\"Middle button\",\"true\",\"CVSTATUSUP\",0,100,200,60,40\r\n"
    "\"RMOUSE\",0,\"Right button\",\"true\",\"CVSTATUSUP\",0,180,200,60,40\r\n";

// name.kbl with the given text and a white name.bmp beside it.
int WriteLayout(const char* name, const char* text = kSmallLayout);
// Fresh folder, the given layouts (each with kSmallLayout), start, visible main window.
int StartWithLayouts(Program& p, const std::vector<const char*>& layouts, const char* arguments);

int LayoutCount(HWND main);
std::string LayoutEntry(HWND main, int index);
std::string SelectedLayout(HWND main);
// Layout names in the order the program lists its folder (*.kbl, without ".kbl").
std::vector<std::string> ListedLayouts();
