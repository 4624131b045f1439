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

// The data folder: the program folder when it lies outside the system's program-files
// folders and a file can be made there (a copy on a bench), else the machine's shared
// folder (an installed program, whose folder only administrators may change; an
// administrator's run keeps its data where the operators' runs do); the program folder
// too when the system names no shared folder or it cannot be made.
void DetermineDataFolder();

// Seams of the data folder (settings_win32.cpp; fakes in the unit tests).
int IsFolderWritable(const char* folder); // 1 when a new file can be made in folder
// The system's program-files folder number index (0 and 1: 64-bit and 32-bit programs')
// into folder; 0 when there is none.
int ProgramFilesFolder(int index, char* folder, size_t size);
// <common application data>\Orvane\Clavoro into folder, made when missing so that every
// user of the machine may create and change files in it; 0 when that fails.
int SharedDataFolder(char* folder, size_t size);

// Win32 side (settings_win32.cpp), all failures silent.
void DetermineSettingsFolder(); // may create <the user's application data>\Orvane\Clavoro
void RestoreWindowPlacement();  // before the main window is shown
void SaveWindowPlacement();     // while the main window is being destroyed
