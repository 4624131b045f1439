#include "engine/led_test.h"

#include <cstring>

#include "engine/engine_seams.h"

bool ledTestRunning = false;
int ledStep = 0;
uint8_t savedKeyboardState[256];

namespace {
constexpr int kCapsLock = 20;
constexpr int kNumLock = 144;
constexpr int kScrollLock = 145;

struct LedStepRow {
    int caps, scroll, num;
};
// Num, then Caps, then Scroll, then all three, then none.
constexpr LedStepRow kLedCycle[5] = {
    {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}, {0, 0, 0},
};
} // namespace

void SetLockKey(int on, int virtualKey) {
    uint8_t state[256];
    ReadKeyboardState(state);
    bool toggled = (state[virtualKey & 0xFF] & 0x01) != 0;
    if (toggled == (on != 0)) {
        return;
    }
    SendLockKeyToggle(virtualKey);
}

void ToggleLedTest(WindowHandle window) {
    if (ledTestRunning) {
        StopLedTest();
    } else {
        StartLedTimer(window);
        ledTestRunning = true;
        ReadKeyboardState(savedKeyboardState);
    }
    RepaintWindow(window);
    FocusWindow(window);
}

void StopLedTest() {
    KillLedTimer();
    SetLockKey(savedKeyboardState[kNumLock], kNumLock);
    SetLockKey(savedKeyboardState[kCapsLock], kCapsLock);
    SetLockKey(savedKeyboardState[kScrollLock], kScrollLock);
    ledTestRunning = false;
}

void LedTestTick() {
    if (!ledTestRunning) {
        return;
    }
    const LedStepRow& row = kLedCycle[ledStep];
    SetLockKey(row.caps, kCapsLock);
    SetLockKey(row.scroll, kScrollLock);
    SetLockKey(row.num, kNumLock);
    ledStep = (ledStep + 1) % 5;
}
