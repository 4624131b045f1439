// One keyboard under test (/d). A line station has a barcode scanner, a bench the
// technician's own keyboard, a station programs that type: to the system each is one more
// source of key messages. With /d the main window asks the system for the raw record of
// every key, which names the device and comes just before the key's message, and only the
// keys of one device are tested: the device of the first key pressed after start-up,
// after Clear and after each verdict. Keys of other devices, and keys no device made (a
// message posted or sent by a program), are counted, shown and traced, never tested.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/handles.h"
#include "engine/keyboard_identity.h"

// One raw keyboard record as the system gave it.
struct RawKeyRecord {
    uint64_t device;     // the system's handle of the device; 0: input a program sent
    uint16_t makeCode;   // the scan code
    uint16_t flags;      // kRawKeyBreak, kRawKeyE0, kRawKeyE1
    uint16_t virtualKey; // the key's virtual-key code
    uint32_t time;       // the message's time stamp, ms
};
constexpr uint16_t kRawKeyBreak = 1; // a release
constexpr uint16_t kRawKeyE0 = 2;    // an extended key
constexpr uint16_t kRawKeyE1 = 4;    // Pause
// A record of no key message: a fake shift around a navigation key, or a key of no virtual-key
// code (VKey 255); a keyboard's overrun (too many keys at once) has make code 255.
constexpr uint16_t kNoVirtualKey = 0xFF;
constexpr uint16_t kOverrunMakeCode = 0xFF;

// Records waiting for their key message; a record older than kStaleRecordMs than the
// message being matched belongs to a key whose message never came here.
constexpr int kPendingRecords = 32;
constexpr int32_t kStaleRecordMs = 1000;

struct KeyboardUnderTest {
    RawKeyRecord pending[kPendingRecords]; // oldest first
    int pendingCount;
    RawKeyRecord previous; // the record noted last: Pause's E1 record before its second one
    bool chosen;
    char name[kDeviceNameSize];           // its device name: the same after a replug
    char container[kDeviceNameSize];      // the system's container id of it; empty: none
    char identity[kKeyboardIdentitySize]; // shown and logged
    int32_t otherKeys;                    // presses not counted since the last choice
    bool logged;                          // batch: this keyboard's Keyboard record is out
    char loggedKeyboard[kDeviceNameSize]; // the container, else the device, it names
};
extern KeyboardUnderTest keyboardUnderTest;

// A raw record of a key that is to reach the main window (WM_INPUT while it has the focus).
void NoteRawKeyRecord(const RawKeyRecord& record);
// A key message of the main window (time: its stamp). True when the key test takes it:
// always without /d; with /d when it comes from the keyboard under test, or chooses it.
bool TakesKeyMessage(WindowHandle window, bool down, int32_t code, intptr_t lParam, uint32_t time);
// Clear and every verdict: the next key pressed chooses the keyboard again.
void ForgetKeyboardUnderTest();
// A Serial dialog closed: the next keyboard's Keyboard record is due.
void StartNextKeyboard();
// The verdict of a batch keyboard: "    Keyboard: none" when no key of it was pressed.
void LogKeyboardIfNone();

// Seams (keyboard_under_test_win32.cpp in the program, a fake in the tests).
// The device's name (RIDI_DEVICENAME); 0 when the system does not know the handle.
int RawDeviceName(uint64_t device, char* name, size_t size);
// The container id the system gives all functions of one physical device ("{...}"); 0 when it
// gives none (Windows before 7, a device in no container).
int DeviceContainerId(const char* deviceName, char* id, size_t size);
// What the HID driver of that device tells; nothing filled for other devices.
void ReadHidFacts(const char* deviceName, HidFacts* facts);
// Hands the raw records already waiting in the queue to NoteRawKeyRecord: a key message
// the system-key filter posts overtakes the record of its key.
void TakeWaitingRawRecords();
