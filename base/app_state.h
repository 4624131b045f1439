// Process-wide values set at start-up and read by every subsystem.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/handles.h"

struct AppState {
    void* instance;              // HINSTANCE of the program
    WindowHandle mainWindow;     // the main window, owner of every dialog
    char programFolder[400];     // folder of the executable, no trailing backslash
    char settingsFolder[260];    // the user's own folder: Clavoro.ini and other per-user files
    char dataFolder[400];        // default test log, trace named without a folder
    int64_t ticksPerMillisecond; // counter frequency / 1000
    bool batchMode;
    bool pluginMode;
    bool detailedKeyLog;
    bool filterSystemKeys;
    bool traceEnabled;
    bool oneKeyboard;           // /d: only the keys of the keyboard under test are tested
    int32_t chatterThresholdMs; // /c: a re-press sooner than this after a release; 0 off
    char layoutName[260];       // layout to select at start, then the selected one
    char traceFilePath[260];    // the /l file
};

extern AppState appState;

// Back to the all-zero state of a process that has not started yet (also used by tests).
void ResetAppState();

// name in the data folder when it holds no folder of its own (no \, / or :), else
// name as it is; cut to size.
void DataFilePath(const char* name, char* path, size_t size);
