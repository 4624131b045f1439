// The settings file Clavoro.ini: the main window's outer rectangle between runs.
//   [POSITION]
//   left,top,width,height
#pragma once
#include <cstddef>
#include <cstdint>

struct WindowPlacement {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// What a line 2 leaves unsaid.
constexpr WindowPlacement kDefaultPlacement = {0, 0, 675, 463};

// "<settingsFolder>\Clavoro.ini"; 0 when it does not fit into size bytes.
int SettingsFilePath(char* path, size_t size);

// Scans line 2 as "%d,%d,%d,%d" would: fills the numbers it reads in order and
// returns how many; 0 when the first character that is not a blank is no number;
// -1 when the line holds nothing but blanks.
int ScanPlacementLine(const char* line, WindowPlacement* placement);

// Reads the file. 1 with *placement set (defaults for what line 2 does not supply)
// when line 1 holds "[POSITION]" in any letter case and line 2 is usable; else 0.
int ReadPlacementFile(const char* path, WindowPlacement* placement);

// The placement is applied only when its corner lies left of and above the far edges
// of the virtual screen; there is no lower bound.
bool PlacementOnScreen(const WindowPlacement& placement, int screenWidth, int screenHeight);

// Rewrites the file: both lines when placement is given, nothing when it is null (a
// maximised or minimised window). 1 when the file could be written.
int WritePlacementFile(const char* path, const WindowPlacement* placement);

// Win32 side (settings_win32.cpp), all failures silent.
void DetermineSettingsFolder(); // may create <common application data>\Orvane\Clavoro
void RestoreWindowPlacement();  // before the main window is shown
void SaveWindowPlacement();     // while the main window is being destroyed
