// Key-down and key-up: each event is matched to a record of the current table and
// moves that record's status; then the compound and modified keys are checked, the
// statistics refreshed and, in batch mode, the test ended when it is over.
#include <cstdio>

#include "base/app_state.h"
#include "base/trace.h"
#include "engine/engine_seams.h"
#include "engine/key_engine.h"
#include "layout/layout_file.h"
#include "testrun/plugin_link.h"
#include "testrun/test_log.h"

namespace {

constexpr int kCapsLock = 20;
constexpr int kNumLock = 144;
constexpr int kScrollLock = 145;
// The LED test toggles the lock keys itself and marks its events with this scan code.
constexpr int kSyntheticScanCode = 255;

struct KeyEvent {
    int32_t code;
    int32_t scanCode;
    bool extended;
    uint32_t extendedBits; // the flag as the message carries it
    int repeatCount;
    bool mouse;
};

KeyEvent DecodeEvent(int32_t code, intptr_t lParam) {
    KeyEvent e;
    e.code = code;
    if (code < 0) {
        e.mouse = true;
        e.scanCode = code;
        e.extended = true;
        e.extendedBits = 1;
        e.repeatCount = 1;
    } else {
        e.mouse = false;
        e.repeatCount = static_cast<int>(lParam & 0xFF);
        e.extendedBits = static_cast<uint32_t>(lParam & 0x1000000);
        e.extended = e.extendedBits != 0;
        e.scanCode = static_cast<int32_t>((lParam >> 16) & 0xFF);
    }
    return e;
}

bool IsSyntheticLockKey(const KeyEvent& e) {
    return (e.code == kCapsLock || e.code == kNumLock || e.code == kScrollLock) &&
           e.scanCode == kSyntheticScanCode;
}

bool IsAltKey(int32_t code) {
    return code == 18 || code == 164 || code == 165;
}

// The button an Alt shortcut presses, or 0 when the key is no shortcut now.
int AltShortcutCommand(int32_t code) {
    switch (code) {
    case 'A':
        return altShortcuts.altAbout ? kCommandAbout : 0;
    case 'C':
        return altShortcuts.altClear ? kCommandClear : 0;
    case 'E':
    case 115: // F4
        return altShortcuts.altExit ? kCommandExit : 0;
    case 'F':
        return appState.batchMode && altShortcuts.altFail ? kCommandFailTest : 0;
    case 'H':
        return altShortcuts.altHelp ? kCommandHelp : 0;
    case 'L':
        return altShortcuts.altLeds ? kCommandTestLeds : 0;
    default:
        return 0;
    }
}

void TraceEventHeader(const char* direction, const KeyEvent& e) {
    WriteKeyTrace("=============================================\n");
    WriteKeyTrace("Key %s: Windows - %d, BIOS - %d\n", direction, e.code, e.scanCode);
    WriteKeyTrace("Attempting key match of type %d\n", static_cast<int>(engine.matchMode));
}

// The compound keys after a key event: a key-down checks the armed failure combinations
// only, a key-up every compound key that is watched at all. True when a failure
// combination has just occurred.
bool CheckCompoundKeys(WindowHandle window, bool keyUp) {
    KeyRecord* table = engine.table;
    bool failed = false;
    for (int k = 0; table != nullptr && table[k].keyCode != kEndCode; ++k) {
        KeyRecord& c = table[k];
        bool watched = keyUp ? c.status != FailDisarmed : c.status == FailArmed;
        if (c.keyCode != kCompoundCode || c.compoundTime == -1 || !watched || !MatchCompound(k)) {
            continue;
        }
        if (c.status == FailArmed) {
            c.status = KeyFailure;
            WriteKeyTrace("New Compound Key status %d\n", c.status);
            failed = true;
        } else {
            c.status = TestedOk;
        }
        DrawKey(window, nullptr, k);
    }
    return failed;
}

bool SameKey(const KeyRecord& a, const KeyRecord& b) {
    return a.keyCode == b.keyCode && a.scanCode == b.scanCode && a.extended == b.extended;
}

// Identical keys take turns, but a chattering switch sends the same codes again: its next
// press goes to the twin that has the turn then, so every twin keeps the release time.
void NoteRelease(int index) {
    KeyRecord* table = engine.table;
    const int64_t now = ReadCounter();
    table[index].upTime = now;
    for (int k = 0; table[index].dupState != 0 && table[k].keyCode != kEndCode; ++k) {
        if (SameKey(table[k], table[index])) {
            table[k].upTime = now;
        }
    }
}

// A fresh press sooner after the key's own release than the /c threshold: no finger is
// that quick, a bouncing or worn switch is. Other keys between do not matter. Releases
// are noted only with /c; a key not released since the last Clear has no gap.
bool CheckChatter(int index, int64_t now) {
    KeyRecord& r = engine.table[index];
    if (r.upTime == 0) {
        return false;
    }
    const int32_t gap = TicksToMilliseconds(now - r.upTime);
    if (gap >= appState.chatterThresholdMs) {
        return false;
    }
    ChatterStats& c = engine.chatter;
    if (!r.chattered) {
        r.chattered = true;
        ++c.keys;
    }
    c.lastIndex = index;
    c.lastGapMs = gap;
    WriteKeyTrace("Key chatter: pressed %d ms after its release (threshold %d ms)\n", gap,
                  appState.chatterThresholdMs);
    char line[300];
    std::snprintf(line, sizeof line, "Chatter: %s, %d ms after its release", r.label, gap);
    TraceLine(line);
    return true;
}

} // namespace

int FindKeyRecord(int32_t code, int32_t scanCode, bool extended) {
    const KeyRecord* table = engine.table;
    if (table == nullptr) {
        return -1;
    }
    bool windows = engine.matchMode == MatchWindows;
    for (int i = 0;; ++i) {
        const KeyRecord& r = table[i];
        if (windows ? r.keyCode == kEndCode : r.scanCode == kEndCode) {
            return -1;
        }
        bool codeMatches = windows ? r.keyCode == code : r.scanCode == scanCode;
        if (codeMatches && (r.extended != 0) == extended && r.dupState <= 1) {
            return i;
        }
    }
}

void AdvanceDuplicate(int index) {
    KeyRecord* table = engine.table;
    int j = index;
    for (;;) {
        ++j;
        if (table[j].keyCode == kEndCode) {
            j = 0;
        }
        if (j == index) {
            return;
        }
        if (SameKey(table[j], table[index])) {
            table[index].dupState = 2;
            table[j].dupState = 1;
            return;
        }
    }
}

void OnKeyDown(WindowHandle window, int32_t code, intptr_t lParam) {
    KeyEvent e = DecodeEvent(code, lParam);
    engine.stats.lastExtended = e.extendedBits;
    if (!e.mouse) {
        TraceKeyCode(code); // only with the debug trace on
        if (IsSyntheticLockKey(e)) {
            return;
        }
        if (IsAltKey(code)) {
            engine.altHeld = true;
        } else {
            int command =
                engine.altHeld && code >= 65 && code <= 115 ? AltShortcutCommand(code) : 0;
            if (command != 0) {
                PostCommand(window, command); // altHeld stays: Alt+C, Alt+C works twice
                return;
            }
            engine.altHeld = false;
        }
    }
    TraceEventHeader("Down", e);
    engine.stats.lastBiosCode = e.scanCode;
    engine.stats.lastWindowsCode = e.code;

    KeyRecord* table = engine.table;
    bool chattered = false;
    int i = FindKeyRecord(e.code, e.scanCode, e.extended);
    if (i >= 0) {
        KeyRecord& r = table[i];
        WriteKeyTrace("Key matched: %s. Current status %d\n", r.label, r.status);
        r.pressCount = r.status == Untested ? 1 : r.pressCount + 1;
        if (appState.batchMode && r.status == NotTestableFail) {
            EndTest(window, false);
            return;
        }
        if (r.status != BeingPressed && r.status != NotTestablePressed) {
            WriteKeyTrace("Recorded time key depressed\n");
            int64_t now = ReadCounter();
            chattered = CheckChatter(i, now);
            r.downTime = now;
            if (engine.stats.lastDownTicks > 0) {
                engine.stats.lagTimeMs = TicksToMilliseconds(now - engine.stats.lastDownTicks);
            }
            engine.stats.lastDownTicks = now;
        }
        bool notTestable = r.status == NotTestable || r.status == NotTestablePressed ||
                           r.status == NotTestableReleased;
        r.status = notTestable ? NotTestablePressed : BeingPressed;
        engine.stats.lastDownIndex = i;
        WriteKeyTrace("New status %d\n", r.status);
        DrawKey(window, nullptr, i);
        for (int n = 0; n < e.repeatCount; ++n) {
            PushHistory(i, notTestable ? 7 : 1); // 7: the key is NotTestablePressed now
        }
    }

    bool failed = CheckCompoundKeys(window, false);
    HeldCodes held;
    FindHeldCodes(&held);
    for (int k = 0; table != nullptr && table[k].keyCode != kEndCode; ++k) {
        if (table[k].keyCode == kModifiedCode && MatchModifiedDown(k, &held)) {
            WriteKeyTrace("New Modified Key status %d\n", table[k].status);
            DrawKey(window, nullptr, k);
        }
    }
    UpdateStatistics(window);
    if (appState.batchMode && (failed || chattered)) {
        EndTest(window, false);
        return;
    }
    WriteKeyTrace("Completed Key down processing\n");
}

void OnKeyUp(WindowHandle window, int32_t code, intptr_t lParam) {
    engine.altHeld = false;
    KeyEvent e = DecodeEvent(code, lParam);
    if (!e.mouse && IsSyntheticLockKey(e)) {
        return;
    }
    TraceEventHeader("Up", e);
    int i = FindKeyRecord(e.code, e.scanCode, e.extended);
    if (i < 0) {
        return;
    }
    KeyRecord* table = engine.table;
    KeyRecord& r = table[i];
    WriteKeyTrace("Key matched: %s. Current status %d\n", r.label, r.status);
    if (appState.batchMode && r.status == NotTestableFail) {
        EndTest(window, false);
        return;
    }
    if (appState.chatterThresholdMs > 0) {
        NoteRelease(i); // also a release without a recorded press: the switch opened
    }
    if (r.status == BeingPressed) {
        const int32_t required = static_cast<int32_t>(testRunInfo.keystrokes);
        const bool counted = appState.batchMode && required != 0;
        r.status = counted && r.pressCount > required   ? OverPressed
                   : counted && r.pressCount < required ? UnderPressed
                                                        : TestedOk;
    } else if (r.status == NotTestablePressed) {
        r.status = NotTestableReleased;
    } else {
        return; // a release without a recorded press, e.g. held across a Clear
    }
    WriteKeyTrace("New status %d\n", r.status);
    engine.stats.lastUpIndex = i;
    DrawKey(window, nullptr, i);
    engine.stats.depressTimeMs = TicksToMilliseconds(ReadCounter() - r.downTime);

    // A key-up adds nothing to the history: a failure combination has been seen by the
    // key-down that completed it, so here the compound keys can only pass.
    CheckCompoundKeys(window, true);
    for (int k = 0; table[k].keyCode != kEndCode; ++k) {
        KeyRecord& m = table[k];
        if (m.keyCode == kModifiedCode && m.status == BeingPressed && MatchModifiedUp(k)) {
            m.status = TestedOk;
            WriteKeyTrace("New Modified Key status %d\n", m.status);
            DrawKey(window, nullptr, k);
        }
    }
    UpdateStatistics(window);
    if (appState.batchMode && IsTestComplete()) {
        EndTest(window, true);
        return;
    }
    if (r.dupState == 1) {
        AdvanceDuplicate(i);
    }
    WriteKeyTrace("Completed Key up processing\n");
    if (appState.pluginMode) {
        AddOperations(1);
    }
}
