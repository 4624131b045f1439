// The LED test: a 500 ms timer steps Caps, Scroll and Num Lock through a five-step
// cycle with synthetic key events; stopping puts the operator's lock states back.
#pragma once
#include <cstdint>

#include "base/handles.h"

extern bool ledTestRunning;
extern int ledStep; // 0..4, never reset
extern uint8_t savedKeyboardState[256];

void ToggleLedTest(WindowHandle window);
void StopLedTest();
void LedTestTick();
void SetLockKey(int on, int virtualKey);

// Seams (led_test_win32.cpp in the program, fakes in the tests).
void ReadKeyboardState(uint8_t state[256]);
void SendLockKeyToggle(int virtualKey); // press and release, scan code 255, extended
void StartLedTimer(WindowHandle window);
void KillLedTimer();
