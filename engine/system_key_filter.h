// "Filter system keys": a keyboard hook from filter_x64.dll on the NT family, the
// screen-saver-running flag on older systems.
#pragma once
#include "app/handles.h"

// Platform family and major version, recorded by the main window's initialisation.
void RecordPlatformVersion(int platformId, int majorVersion);
// Follows the state of check box 1019 of window.
void ApplySystemKeyFilter(WindowHandle window);
// Shut-down: removes the hook and clears the screen-saver flag if they were set.
void ReleaseSystemKeyFilter();
