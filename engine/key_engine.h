// The key test engine: key events move the statuses of the current table's keys.
#pragma once
#include <cstdint>

#include "base/handles.h"
#include "layout/key_table.h"

struct KeyHistoryEntry {
    int32_t keyIndex;  // record of the matched key-down; -1 in an empty slot
    int32_t pressKind; // 7 when the key became NotTestablePressed, else 1
    int64_t time;      // counter value when the entry was written
};
static_assert(sizeof(KeyHistoryEntry) == 16, "history slots are 16 bytes");

constexpr int kHistorySize = 100;

struct KeyStats {
    int32_t lastDownIndex; // -1 none
    int32_t lastUpIndex;
    int32_t lastWindowsCode;
    int32_t lastBiosCode;
    uint32_t lastExtended;
    int32_t depressTimeMs;
    int32_t lagTimeMs;
    int64_t lastDownTicks; // 0 none
};

enum MatchMode : int32_t { MatchBios = 0, MatchWindows = 1 };

// Chatter (/c): a key pressed again sooner after its release than a finger can.
struct ChatterStats {
    int32_t lastIndex; // record of the last chatter since the Clear, -1 none
    int32_t lastGapMs; // its time from the release to the press again
    int32_t keys;      // keys that chattered since the Clear
};

struct EngineState {
    KeyRecord* table; // the current table (that of the selected layout)
    KeyHistoryEntry history[kHistorySize];
    int historyPos; // next slot to write
    KeyStats stats;
    ChatterStats chatter;
    bool altHeld;
    MatchMode matchMode;
};
extern EngineState engine;

// Back to the start-up state: no table, empty history, no last key, Windows matching.
void ResetEngine();
// A counter difference in whole milliseconds (signed 8-byte division, truncated).
int32_t TicksToMilliseconds(int64_t ticks);

// Main-window command identifiers that the engine posts for Alt shortcuts.
constexpr int kCommandHelp = 1000;
constexpr int kCommandExit = 1003;
constexpr int kCommandClear = 1005;
constexpr int kCommandFailTest = 1007;
constexpr int kCommandAbout = 1016;
constexpr int kCommandTestLeds = 1023;

void OnKeyDown(WindowHandle window, int32_t code, intptr_t lParam);
void OnKeyUp(WindowHandle window, int32_t code, intptr_t lParam);

int FindKeyRecord(int32_t code, int32_t scanCode, bool extended);
void PushHistory(int keyIndex, int pressKind);
void AdvanceDuplicate(int index);

// Compound and modified keys. The codes of the ordinary keys held down are taken once
// per key-down, so that the modified keys need not walk the table one by one.
constexpr int kHeldCodeRange = 256;
struct HeldCodes {
    bool held[kHeldCodeRange];
    bool beyondRange; // a held key has a code of 256 or more: walk the table instead
};
void FindHeldCodes(HeldCodes* codes);
bool MatchCompound(int index); // the caller checks compound keys with a time limit only
// True when the base and the modifier are both held; the record is then BeingPressed.
bool MatchModifiedDown(int index, const HeldCodes* codes);
// True when neither is held any more.
bool MatchModifiedUp(int index);
void SortCodesAscending(int32_t* codes, int n);
void SortHistoryByKeyCode(KeyHistoryEntry* entries, int n);

// Verdict and reset.
bool IsTestComplete();
bool EndTest(WindowHandle window, bool verificationRequired); // always false
void ClearAll();
// The table becomes the one tested, every key cleared (ClearAll); null changes nothing.
void MakeCurrentTable(KeyRecord* table);
int DuplicateRank(int index);
