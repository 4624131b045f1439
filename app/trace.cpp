#include "app/trace.h"

#include <cstdio>
#include <cstring>

#include "app/app_state.h"

// fopen in text mode: "\n" is written as CR LF on Windows. The C runtime opens files
// shared for reading and writing, so other programs may read the trace meanwhile.
static FILE* OpenForAppend(const char* path) { return std::fopen(path, "a"); }

int OpenTrace(const char* path) {
    std::snprintf(appState.traceFilePath, sizeof appState.traceFilePath, "%s", path);
    FILE* file = OpenForAppend(appState.traceFilePath);
    if (file == nullptr) {
        appState.traceEnabled = false;
        return 0;
    }
    std::fputs("Created debug file\n", file);
    std::fclose(file);
    appState.traceEnabled = true;
    return 1;
}

void TraceLine(const char* text) {
    if (!appState.traceEnabled) {
        return;
    }
    FILE* file = OpenForAppend(appState.traceFilePath);
    if (file == nullptr) {
        return; // the entry is lost; the next one tries again
    }
    std::fprintf(file, "%s\n", text);
    std::fclose(file);
}

void TraceKeyCode(int code) {
    if (!appState.traceEnabled) {
        return;
    }
    FILE* file = OpenForAppend(appState.traceFilePath);
    if (file == nullptr) {
        return;
    }
    if (code == 13) {
        std::fputs("\n", file); // Enter ends the run of codes
    } else {
        std::fprintf(file, "%d,", code);
    }
    std::fclose(file);
}
