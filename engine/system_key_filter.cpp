#include "engine/system_key_filter.h"

#include "base/app_state.h"
#include "base/message_box.h"

int platformId = 0;
int platformMajorVersion = 0;
void* filterHook = nullptr;
bool screenSaverFlagSet = false;

namespace {
const char kFilterUnavailableText[] =
    "This option is not available on this computer.\nSee help on the data source for more "
    "details.\n";
const char kFilterUnavailableCaption[] = "Error - Source not available";

void SwitchFilterOn(WindowHandle window) {
    appState.filterSystemKeys = true;
    if (platformId != kPlatformWin32Nt) {
        // The older family has no low-level hooks; claiming a running screen saver
        // keeps it from acting on Ctrl+Alt+Del and Alt+Tab.
        SetScreenSaverRunning(1);
        screenSaverFlagSet = true;
        return;
    }
    if (platformMajorVersion >= 4) {
        if (filterHook == nullptr) {
            filterHook = LoadKeyboardFilter(window);
        }
        if (filterHook != nullptr) {
            return;
        }
    }
    SetFilterBoxChecked(window, 0);
    appState.filterSystemKeys = false;
    ShowMessage(window, kFilterUnavailableText, kFilterUnavailableCaption, kIconInformation);
}

void SwitchFilterOff() {
    appState.filterSystemKeys = false;
    if (filterHook != nullptr) {
        UnloadKeyboardFilter(filterHook);
        filterHook = nullptr;
    }
    if (screenSaverFlagSet) {
        // The flag stays recorded: switching the parameter off again is harmless.
        SetScreenSaverRunning(0);
    }
}
} // namespace

void RecordPlatformVersion(int id, int majorVersion) {
    platformId = id;
    platformMajorVersion = majorVersion;
}

void ApplySystemKeyFilter(WindowHandle window) {
    if (IsFilterBoxChecked(window)) {
        SwitchFilterOn(window);
    } else {
        SwitchFilterOff();
    }
}

void ReleaseSystemKeyFilter() {
    if (filterHook != nullptr) {
        UnloadKeyboardFilter(filterHook);
        filterHook = nullptr;
    }
    if (screenSaverFlagSet) {
        SetScreenSaverRunning(0);
    }
}
