// One keyboard layout in memory: a KeyRecord per key line of its .kbl file, in file
// order, closed by an end record whose keyCode is -1. A record's index is its identity.
#pragma once
#include <cstdint>

enum KeyStatus : int32_t {
    Untested = 0,
    BeingPressed = 1,
    TestedOk = 2,
    NotTestable = 3,
    FailArmed = 4,
    KeyFailure = 5,
    FailDisarmed = 6,
    NotTestablePressed = 7,
    NotTestableReleased = 8,
    NotTestableFail = 9,
    UnderPressed = 10,
    OverPressed = 11,
};

// Key codes below 0 are not Windows virtual-key codes.
constexpr int32_t kEndCode = -1;
constexpr int32_t kCompoundCode = -2;
constexpr int32_t kRightMouseCode = -3;
constexpr int32_t kMiddleMouseCode = -4;
constexpr int32_t kLeftMouseCode = -5;
constexpr int32_t kModifiedCode = -6;

constexpr int kMaxCompoundCodes = 10;    // codes of one COMPOUND key
constexpr int kMaxCompoundRecords = 100; // COMPOUND lines with a time limit per file

struct KeyRecord {
    int32_t keyCode;   // virtual-key code or one of the codes above
    int32_t scanCode;  // BIOS scan code; equals keyCode when keyCode < 0
    char* label;       // owned, never null (may be empty)
    uint32_t extended; // 1 when the key sends the extended-key flag
    int32_t status;    // a KeyStatus
    int64_t downTime;  // counter value at the key-down that began this press
    int32_t left;      // rectangle on the 700 x 340 picture
    int32_t top;
    int32_t baseCode;     // MODIFIED: keyCode of the base key, else -1
    int32_t modifierCode; // MODIFIED: keyCode of the modifier, else -1
    int32_t width;
    int32_t height;
    int64_t compoundTime;   // COMPOUND: longest gap in ms between key-downs, else -1
    int32_t* compoundCodes; // COMPOUND: codes newest first, closed by -1; else null
    int32_t dupState;       // 0 unique, 1 active member of a duplicate group, 2 waiting
    int32_t pressCount;     // key-downs counted in the current press cycle
    int32_t highlight;      // colour selector while BeingPressed
    int64_t upTime;         // counter value at its last key-up, kept only with /c; 0 none
    bool chattered;         // a fresh press came too soon after a release since the Clear
};

// Number of key records before the end record.
inline int CountKeys(const KeyRecord* table) {
    int n = 0;
    while (table[n].keyCode != kEndCode) {
        ++n;
    }
    return n;
}
