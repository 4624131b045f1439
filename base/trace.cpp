#include "base/trace.h"

#include <cstdio>

#include "base/app_state.h"
#include "base/append_file.h"

// Open from start-up to the process's end: each entry then costs one write, not an open
// and a close (several milliseconds each at a fast typist's pace under load).
static AppendFile traceFile = {nullptr};

// One entry, one write. A write that fails loses its entry and nothing else: the trace
// is a diagnosis aid and never stops the program. An entry that carries a text from
// outside (a key's label) stays on its line: its control characters are written as '?'.
static void WriteEntry(const char* text, bool lineEnd) {
    if (!appState.traceEnabled) {
        return;
    }
    char line[600];
    const size_t n = ToFileLine(text, lineEnd, line, sizeof line);
    size_t written = 0;
    AppendToFile(&traceFile, line, n, &written, nullptr, 0);
}

int OpenTrace(const char* path) {
    std::snprintf(appState.traceFilePath, sizeof appState.traceFilePath, "%s", path);
    CloseTrace();
    if (OpenAppendFile(&traceFile, appState.traceFilePath, false, nullptr, 0) == 0) {
        return 0;
    }
    appState.traceEnabled = true;
    WriteEntry("Created debug file", true);
    return 1;
}

void CloseTrace() {
    CloseAppendFile(&traceFile);
    appState.traceEnabled = false;
}

void TraceLine(const char* text) {
    WriteEntry(text, true);
}

void TraceKeyCode(int code) {
    if (!appState.traceEnabled) {
        return;
    }
    if (code == 13) {
        WriteEntry("", true); // Enter ends the run of codes
        return;
    }
    char entry[16];
    std::snprintf(entry, sizeof entry, "%d,", code);
    WriteEntry(entry, false);
}
