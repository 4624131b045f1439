#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "app/accessibility_shortcuts.h"
#include "base/app_state.h"
#include "tests/temp_path.h"

// The system's flags of Sticky, Filter and Toggle Keys.
static uint32_t systemFlags[kAccessibilityFeatures];
int ReadAccessibilityFlags(int feature, uint32_t* flags) {
    return *flags = systemFlags[feature], 1;
}
int WriteAccessibilityFlags(int feature, uint32_t flags) {
    return systemFlags[feature] = flags, 1;
}

// The three features' flags, each on (1) or off, its hot key (4) and confirmation (8); then the
// main window activated (a), deactivated or the program's end (d), the program ended by force
// (k), started (s), the user's own choice meanwhile (u: Sticky Keys' hot key on). Gives the flags
// after it, and "file" while the saved ones are kept on the disk.
TEST(AccessibilityShortcuts, OffWhileTheMainWindowIsActive) {
    const std::pair<const char*, const char*> cases[] = {
        {"1fe 7e 3e a", "1f2 72 32 file"}, {"1fe 7e 3e a d", "1fe 7e 3e"},
        {"1fe 7e 3e a a d", "1fe 7e 3e"},  {"1fe 7e 3e a d a", "1f2 72 32 file"},
        {"1ff 7f 3a a", "1ff 7f 32 file"}, {"1ff 7f 3a a d", "1ff 7f 3a"},
        {"1fe 7e 3a a k s", "1fe 7e 3a"},  {"1fe 7e 3e a k u s", "1f6 7e 3e"},
        {"1f2 72 32 a", "1f2 72 32"},
    };
    std::snprintf(appState.settingsFolder, sizeof appState.settingsFolder, "%s",
                  TempPath("settings").c_str());
    const std::string file = std::string(appState.settingsFolder) + "\\ShortcutKeys.ini";
    char small[16];
    EXPECT_EQ(0, SavedShortcutsPath(small, sizeof small)) << "a path cut short is none";
    for (const auto& [script, result] : cases) {
        std::istringstream in(script);
        in >> std::hex >> systemFlags[0] >> systemFlags[1] >> systemFlags[2];
        accessibilityShortcuts = {};
        for (char c; in >> c;) {
            c == 'a'   ? SuspendAccessibilityShortcuts()
            : c == 'd' ? RestoreAccessibilityShortcuts()
            : c == 's' ? RestoreAfterForcedEnd()
                       : void();
            accessibilityShortcuts = c == 'k' ? AccessibilityShortcuts{} : accessibilityShortcuts;
            systemFlags[kStickyKeys] |= c == 'u' ? kHotKeyActive : 0;
        }
        char flags[64];
        std::snprintf(flags, sizeof flags, "%x %x %x", systemFlags[0], systemFlags[1],
                      systemFlags[2]);
        EXPECT_EQ(result, flags + std::string(FileText(file).empty() ? "" : " file")) << script;
        std::remove(file.c_str());
    }
}
