#include "engine/filter/kb_filter_rules.h"

#include <cstring>

namespace {
constexpr int kVkTab = 0x09;
constexpr int kVkEscape = 0x1B;
constexpr int kVkLeftWin = 0x5B;
constexpr int kVkRightWin = 0x5C;
constexpr int kVkApps = 0x5D;
} // namespace

void ResetFilterState(FilterState& state) {
    std::memset(state.heldDown, 0, sizeof state.heldDown);
}

bool IsSystemKeyDown(const LowLevelKey& key) {
    switch (key.virtualKey) {
    case kVkLeftWin:
    case kVkRightWin:
    case kVkApps:
        return true;
    case kVkTab:
        return key.altDown;
    case kVkEscape:
        return key.altDown || key.ctrlDown;
    default:
        return false;
    }
}

uint32_t KeyMessageLParam(int scanCode, bool extended, bool altDown, bool wasDown, bool keyUp) {
    uint32_t lParam = 1; // repeat count
    lParam |= static_cast<uint32_t>(scanCode & 0xFF) << 16;
    if (extended) {
        lParam |= 1u << 24;
    }
    if (altDown) {
        lParam |= 1u << 29;
    }
    if (wasDown) {
        lParam |= 1u << 30;
    }
    if (keyUp) {
        lParam |= 1u << 31;
    }
    return lParam;
}

bool FilterKeyEvent(FilterState& state, const LowLevelKey& key, bool programInForeground,
                    bool mainWindowInForeground, PostedKey* posted) {
    posted->message = 0;
    posted->virtualKey = 0;
    posted->lParam = 0;
    int slot = key.virtualKey & 0xFF;
    bool wasHeld = state.heldDown[slot] != 0;
    if (key.keyUp) {
        if (!wasHeld) {
            return false;
        }
        state.heldDown[slot] = 0;
    } else {
        // A key-down of a key we already hold (auto-repeat) stays held whatever the
        // modifiers are now; otherwise only system keys of the program's foreground.
        if (!wasHeld && !(programInForeground && IsSystemKeyDown(key))) {
            return false;
        }
        state.heldDown[slot] = 1;
    }
    if (mainWindowInForeground) {
        if (key.keyUp) {
            posted->message = key.altDown ? kWmSysKeyUp : kWmKeyUp;
        } else {
            posted->message = key.altDown ? kWmSysKeyDown : kWmKeyDown;
        }
        posted->virtualKey = static_cast<unsigned>(slot);
        posted->lParam = KeyMessageLParam(key.scanCode, key.extended, key.altDown,
                                          key.keyUp || wasHeld, key.keyUp);
    }
    return true;
}
