// A fake keyboard state for the LED test: lock toggles flip the toggle bit and are
// recorded in order, as the system would see them.
#pragma once
#include <cstdint>
#include <vector>

#include "app/handles.h"

extern uint8_t fakeKeyboardState[256];
extern std::vector<int> fakeLockToggles; // virtual-key codes, in the order sent
extern bool fakeLedTimerRunning;
