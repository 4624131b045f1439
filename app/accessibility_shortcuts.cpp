#include "app/accessibility_shortcuts.h"

#include <cstdio>
#include <cstring>

#include "base/app_state.h"

AccessibilityShortcuts accessibilityShortcuts;

namespace {

constexpr uint32_t kShortcutBits = kHotKeyActive | kConfirmHotKey;
const char* const kFeatureNames[kAccessibilityFeatures] = {"StickyKeys", "FilterKeys",
                                                           "ToggleKeys"};

// One line per feature whose shortcut is off: its name and its flags as they were.
void WriteSavedFile(const bool* change) {
    char path[400];
    FILE* file = SavedShortcutsPath(path, sizeof path) ? std::fopen(path, "w") : nullptr;
    if (file == nullptr) {
        return; // restored at the end all the same; only a forced end then keeps them off
    }
    for (int f = 0; f < kAccessibilityFeatures; ++f) {
        if (change[f]) {
            std::fprintf(file, "%s 0x%08X\n", kFeatureNames[f],
                         static_cast<unsigned>(accessibilityShortcuts.saved[f]));
        }
    }
    std::fclose(file);
}

void RemoveSavedFile() {
    char path[400];
    if (SavedShortcutsPath(path, sizeof path)) {
        std::remove(path);
    }
}

} // namespace

int SavedShortcutsPath(char* path, size_t size) {
    const int n = std::snprintf(path, size, "%s\\ShortcutKeys.ini", appState.settingsFolder);
    return n >= 0 && static_cast<size_t>(n) < size ? 1 : 0;
}

void SuspendAccessibilityShortcuts() {
    AccessibilityShortcuts& s = accessibilityShortcuts;
    bool change[kAccessibilityFeatures] = {};
    bool any = false;
    for (int f = 0; f < kAccessibilityFeatures; ++f) {
        uint32_t flags = 0;
        // Once per activation: a second one must not save the flags this program set.
        if (!s.changed[f] && ReadAccessibilityFlags(f, &flags) && (flags & kFeatureOn) == 0 &&
            (flags & kShortcutBits) != 0) {
            s.saved[f] = flags;
            change[f] = any = true;
        }
    }
    if (!any) {
        return;
    }
    WriteSavedFile(change); // before the change: a forced end right after it finds them
    for (int f = 0; f < kAccessibilityFeatures; ++f) {
        if (change[f]) {
            s.changed[f] = WriteAccessibilityFlags(f, s.saved[f] & ~kShortcutBits) != 0;
        }
    }
}

// The shortcut comes back only while it is as this program left it: one that the user has
// switched on again meanwhile (in the settings, after a forced end) keeps the user's choice.
void RestoreAccessibilityShortcuts() {
    AccessibilityShortcuts& s = accessibilityShortcuts;
    for (int f = 0; f < kAccessibilityFeatures; ++f) {
        uint32_t flags = 0;
        if (s.changed[f] && ReadAccessibilityFlags(f, &flags) && (flags & kShortcutBits) == 0) {
            WriteAccessibilityFlags(f, flags | (s.saved[f] & kShortcutBits));
        }
        s.changed[f] = false;
    }
    RemoveSavedFile();
}

void RestoreAfterForcedEnd() {
    char path[400];
    FILE* file = SavedShortcutsPath(path, sizeof path) ? std::fopen(path, "r") : nullptr;
    if (file == nullptr) {
        return;
    }
    char name[16];
    unsigned flags = 0;
    while (std::fscanf(file, "%15s %x", name, &flags) == 2) {
        for (int f = 0; f < kAccessibilityFeatures; ++f) {
            if (std::strcmp(name, kFeatureNames[f]) == 0) {
                accessibilityShortcuts.changed[f] = true;
                accessibilityShortcuts.saved[f] = flags;
            }
        }
    }
    std::fclose(file);
    RestoreAccessibilityShortcuts();
}
