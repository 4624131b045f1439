// The window-system seams of the key engine, the LED test and the system-key filter as
// one recorder. Every call that acts is appended to fake.calls under a short name: "Draw
// 3", "Stats", "Post 1016", "Repaint", "Focus", "Destroy", the dialogs "Verify", "Reason"
// ("Reason chatter" when "Key chatter" is to be checked) and "Serial", "Toggle 20" (a lock
// key sent), "Timer", "KillTimer", "Box 0" (check box 1019 set), "Load", "Unload",
// "ScreenSaver 1". The queries answer what the test set.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/keyboard_under_test.h"

struct FakeSeams {
    std::string calls;
    int64_t counter = 0;        // ReadCounter
    int passResult = 1;         // RunPassVerification
    int serialResult = 1;       // RunSerial
    uint8_t keyboard[256] = {}; // ReadKeyboardState; a lock key sent flips its bit 0
    int filterBox = 0;          // IsFilterBoxChecked
    void* filterHook = nullptr; // what LoadKeyboardFilter returns
    std::map<uint64_t, std::string> deviceNames;   // RawDeviceName; a handle not here is gone
    std::map<std::string, std::string> containers; // DeviceContainerId by device name
    HidFacts hid = {};                             // ReadHidFacts, for every device
    std::vector<RawKeyRecord> queued;              // handed on by TakeWaitingRawRecords
};
extern FakeSeams fake;
