// Windows' accessibility shortcuts, off while the main window is active. Shift pressed five
// times asks "Do you want to turn on Sticky Keys?", right Shift held 8 s asks for Filter Keys,
// Num Lock held 5 s for Toggle Keys: a system window takes the foreground in the middle of a
// test, and a Space or Enter meant for the test turns the feature on. As Microsoft advises
// full-screen programs ("Disabling Shortcut Keys in Games"): the settings are saved when the
// main window becomes active, the hot key and its confirmation are cleared for each feature
// that is off, and the settings come back when the window is deactivated and at the end. A
// feature the user has turned on is left alone. The saved settings are also kept in a file of
// the settings folder while they are changed, so that the next start restores them after a
// run that was ended by force.
#pragma once
#include <cstddef>
#include <cstdint>

enum AccessibilityFeature { kStickyKeys, kFilterKeys, kToggleKeys, kAccessibilityFeatures };

// Bits of the features' flags (STICKYKEYS, FILTERKEYS and TOGGLEKEYS share them).
constexpr uint32_t kFeatureOn = 0x1;     // SKF_STICKYKEYSON, FKF_FILTERKEYSON, TKF_TOGGLEKEYSON
constexpr uint32_t kHotKeyActive = 0x4;  // SKF_HOTKEYACTIVE, FKF_..., TKF_...
constexpr uint32_t kConfirmHotKey = 0x8; // SKF_CONFIRMHOTKEY, FKF_..., TKF_...

struct AccessibilityShortcuts {
    bool changed[kAccessibilityFeatures]; // its shortcut is off by this program
    uint32_t saved[kAccessibilityFeatures];
};
extern AccessibilityShortcuts accessibilityShortcuts;

void SuspendAccessibilityShortcuts(); // the main window became active
void RestoreAccessibilityShortcuts(); // it was deactivated; the program ends
void RestoreAfterForcedEnd();         // start-up: what a run ended by force left changed

// "<settingsFolder>\ShortcutKeys.ini"; 0 when it does not fit into size bytes.
int SavedShortcutsPath(char* path, size_t size);

// Seams (accessibility_shortcuts_win32.cpp: SystemParametersInfo for the current session).
int ReadAccessibilityFlags(int feature, uint32_t* flags);
int WriteAccessibilityFlags(int feature, uint32_t flags);
