// The command line: /I /f /b /p /t, /k <layout>, /l <trace file> and the plug-in
// marker argument. Sets the flags and texts of appState; opens the trace file.
#pragma once

constexpr int kPluginMarkerSize = 512;

// argv as the runtime splits it, the program's path first. Only 2 to 5 entries are
// examined. pluginMarker (kPluginMarkerSize bytes) receives the last argument that
// holds the marker text; it is left as it is when none does.
void ReadCommandLine(int argc, const char* const* argv, char* pluginMarker);

// Seam: /I asks the program to end as soon as its message loop runs. The program
// posts the quit message (PostQuitMessage(0)); the unit tests count the calls.
void PostQuitRequest();
