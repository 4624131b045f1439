// The accessibility features' flags for the current session only (no SPIF_UPDATEINIFILE): a
// restart gives the user's own settings back whatever happened to this program.
#include <windows.h>

#include "app/accessibility_shortcuts.h"

namespace {

// Each feature's structure begins with its size and its flags; FILTERKEYS has timings after
// them, which are read and written back unchanged.
struct FeatureCalls {
    UINT get;
    UINT set;
    UINT size;
};
const FeatureCalls kCalls[kAccessibilityFeatures] = {
    {SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS, sizeof(STICKYKEYS)},
    {SPI_GETFILTERKEYS, SPI_SETFILTERKEYS, sizeof(FILTERKEYS)},
    {SPI_GETTOGGLEKEYS, SPI_SETTOGGLEKEYS, sizeof(TOGGLEKEYS)},
};

bool Read(int feature, FILTERKEYS* settings) {
    *settings = {};
    settings->cbSize = kCalls[feature].size;
    return SystemParametersInfoA(kCalls[feature].get, kCalls[feature].size, settings, 0) != 0;
}

} // namespace

int ReadAccessibilityFlags(int feature, uint32_t* flags) {
    FILTERKEYS settings; // the largest of the three
    if (!Read(feature, &settings)) {
        return 0;
    }
    *flags = settings.dwFlags;
    return 1;
}

int WriteAccessibilityFlags(int feature, uint32_t flags) {
    FILTERKEYS settings;
    if (!Read(feature, &settings)) {
        return 0;
    }
    settings.dwFlags = flags;
    return SystemParametersInfoA(kCalls[feature].set, kCalls[feature].size, &settings, 0) ? 1 : 0;
}
