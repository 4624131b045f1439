// The command line: /I /f /b /p /t /d, /k <layout>, /l <trace file>, /c <chatter threshold>
// and the plug-in marker argument. Sets the flags and texts of appState; opens the trace
// file.
#pragma once

constexpr int kPluginMarkerSize = 512;
constexpr int kMinChatterMs = 1;
constexpr int kMaxChatterMs = 250;

// argv as the runtime splits it, the program's path first. Only 2 to 5 entries are
// examined. pluginMarker (kPluginMarkerSize bytes) receives the last argument that
// holds the marker text; it is left as it is when none does. Returns 0 when the program
// must end at once (a /c without a usable value, after its message), else 1.
int ReadCommandLine(int argc, const char* const* argv, char* pluginMarker);

// The value of /c: whole milliseconds, digits only, 1 to 250; 0 for anything else.
int ParseChatterThreshold(const char* text);

// Seam: /I asks the program to end as soon as its message loop runs. The program
// posts the quit message (PostQuitMessage(0)); the unit tests count the calls.
void PostQuitRequest();
