// The command line: /I /f /b /p /t /d, /k <layout>, /l <trace file>, /c <chatter threshold>
// and the plug-in marker argument, over the station's default options. Sets the flags and
// texts of appState; opens the trace file.
#pragma once
#include <cstdint>

struct StationSettings;

constexpr int kPluginMarkerSize = 512;
constexpr int kMinChatterMs = 1;
constexpr int kMaxChatterMs = 250;

// What one list of options asks for, before it is applied.
struct StartOptions {
    bool quit; // /I
    bool filterSystemKeys;
    bool batchMode;
    bool pluginMode;
    bool detailedKeyLog;
    bool oneKeyboard;
    int32_t chatterThresholdMs; // 0: not given
    char layoutName[260];       // empty: not given
    char traceFile[260];        // empty: not given
    char pluginMarker[kPluginMarkerSize];
};

// Reads count entries of args, every one of them, in order: an option is told by its
// first two characters; a later value replaces an earlier one. Returns 0 when the
// program must end at once (a /c without a usable value, after its message), else 1.
int ParseOptions(int count, const char* const* args, StartOptions* options);

// Splits a line of options in place at blanks and tabs; a double-quoted part may hold
// blanks (the quotes are dropped). args receives the tokens; returns their count, at most
// maxArgs: the rest is left out.
int SplitOptions(char* line, const char** args, int maxArgs);

// argv as the runtime splits it, the program's path first, every argument read, over
// the station's options and layout (null: none): the command line wins option by
// option. Applies the result to appState, opens the trace (a file named without a
// folder lies in the data folder) and posts the quit request for /I. pluginMarker
// (kPluginMarkerSize bytes) receives the marker argument; left as it is when none
// is given. Returns 0 when the program must end at once, else 1.
int ReadCommandLine(int argc, const char* const* argv, const StationSettings* station,
                    char* pluginMarker);

// The value of /c: whole milliseconds, digits only, 1 to 250; 0 for anything else.
int ParseChatterThreshold(const char* text);

// Seam: /I asks the program to end as soon as its message loop runs. The program
// posts the quit message (PostQuitMessage(0)); the unit tests count the calls.
void PostQuitRequest();
