#include "tests/fakes/fake_led_seams.h"

#include <cstring>

#include "engine/led_test.h"

uint8_t fakeKeyboardState[256];
std::vector<int> fakeLockToggles;
bool fakeLedTimerRunning = false;

void ReadKeyboardState(uint8_t state[256]) { std::memcpy(state, fakeKeyboardState, 256); }

void SendLockKeyToggle(int virtualKey) {
    fakeKeyboardState[virtualKey & 0xFF] ^= 0x01;
    fakeLockToggles.push_back(virtualKey);
}

void StartLedTimer(WindowHandle) { fakeLedTimerRunning = true; }
void KillLedTimer() { fakeLedTimerRunning = false; }
