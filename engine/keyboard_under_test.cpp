#include "engine/keyboard_under_test.h"

#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "base/trace.h"
#include "engine/engine_seams.h"
#include "testrun/test_log.h"

KeyboardUnderTest keyboardUnderTest;

namespace {

struct KeyMessage {
    bool down;
    int32_t code;
    int scanCode;
    bool extended;
    bool repeat; // the key was down before: an auto-repeat
    uint32_t time;
};

enum KeySource { kNoDevice, kNamedDevice, kNamelessDevice, kAltGrControl };

constexpr int32_t kNumLockScan = 0x45, kNumLockCode = 144, kControlCode = 17,
                  kLeftControlScan = 0x1D, kRightAltScan = 0x38;

// How Windows makes key messages of a keyboard's scan codes: the message carries the make code
// and is extended when an E0 prefix came before it, and for Num Lock, whose make code comes
// without a prefix ("the NUM LOCK key" is among the extended keys of a key message). Pause
// sends E1 1D 45 and its message is scan code 45, not extended: its key code tells it. (Wine
// gives Num Lock's record an E0, and Pause's the 45 without a prefix.)
bool Announces(const RawKeyRecord& r, const KeyMessage& k) {
    if (((r.flags & kRawKeyBreak) == 0) != k.down) {
        return false;
    }
    if ((r.flags & kRawKeyE1) != 0) {
        return r.virtualKey == k.code;
    }
    const bool extended =
        (r.flags & kRawKeyE0) != 0 || (r.makeCode == kNumLockScan && r.virtualKey == kNumLockCode);
    return (r.makeCode & 0xFF) == k.scanCode && extended == k.extended;
}

// The 45 of Pause's E1 1D 45: a record of its own, right after the E1 one, for no message.
bool EndsPause(const RawKeyRecord& r, const RawKeyRecord& before) {
    return (before.flags & kRawKeyE1) != 0 && (r.flags & (kRawKeyE0 | kRawKeyE1)) == 0 &&
           r.makeCode == kNumLockScan && r.device == before.device && r.time == before.time &&
           (r.flags & kRawKeyBreak) == (before.flags & kRawKeyBreak);
}

void DropPending(int i) {
    KeyboardUnderTest& s = keyboardUnderTest;
    std::memmove(&s.pending[i], &s.pending[i + 1], (s.pendingCount - i - 1) * sizeof s.pending[0]);
    --s.pendingCount;
}

// Takes the oldest waiting record that announced the message. Records stay while younger
// ones are matched: a key message the filter posts overtakes the messages of keys before it.
bool TakeRecord(const KeyMessage& k, RawKeyRecord* record) {
    KeyboardUnderTest& s = keyboardUnderTest;
    for (int i = 0; i < s.pendingCount;) {
        if (static_cast<int32_t>(k.time - s.pending[i].time) > kStaleRecordMs) {
            DropPending(i); // its key's message went elsewhere (to a system shortcut)
        } else if (Announces(s.pending[i], k)) {
            *record = s.pending[i];
            DropPending(i);
            return true;
        } else {
            ++i;
        }
    }
    return false;
}

// On a layout with AltGr, Windows sends a Left Ctrl message before the right Alt's own, made by
// no key: its record is the right Alt's (E0 38), still waiting for that key's message.
bool IsAltGrControl(const KeyMessage& k) {
    if (k.code != kControlCode || k.scanCode != kLeftControlScan || k.extended) {
        return false;
    }
    for (int i = 0; i < keyboardUnderTest.pendingCount; ++i) {
        const RawKeyRecord& r = keyboardUnderTest.pending[i];
        if (r.makeCode == kRightAltScan && (r.flags & kRawKeyE0) != 0 &&
            ((r.flags & kRawKeyBreak) == 0) == k.down) {
            return true;
        }
    }
    return false;
}

// Keys the system-key filter holds back reach the window as messages its hook posted. They
// count for the keyboard under test like any other key, by the record of their key: the
// system makes it before the hook decides, and the posted message overtakes it, so a
// message without a record first takes the records still waiting in the queue. The hook
// is not asked: it cannot tell one keyboard from another.
KeySource SourceOf(const KeyMessage& k, char* name, size_t size) {
    RawKeyRecord r;
    if (!TakeRecord(k, &r)) {
        if (IsAltGrControl(k)) {
            return kAltGrControl;
        }
        TakeWaitingRawRecords();
        if (!TakeRecord(k, &r)) {
            return IsAltGrControl(k) ? kAltGrControl : kNoDevice;
        }
    }
    if (r.device == 0) {
        return kNoDevice;
    }
    return RawDeviceName(r.device, name, size) ? kNamedDevice : kNamelessDevice;
}

// One physical keyboard is one keyboard under test: its functions (the keys, the media keys, the
// n-key rollover reports, a laptop's hot keys) are devices of their own, with one container id.
bool OfKeyboardUnderTest(const char* name) {
    const KeyboardUnderTest& s = keyboardUnderTest;
    char container[kDeviceNameSize];
    return std::strcmp(name, s.name) == 0 ||
           (s.container[0] != 0 && DeviceContainerId(name, container, sizeof container) &&
            std::strcmp(container, s.container) == 0);
}

void Choose(const char* name) {
    KeyboardUnderTest& s = keyboardUnderTest;
    s.chosen = true;
    std::snprintf(s.name, sizeof s.name, "%s", name);
    if (!DeviceContainerId(name, s.container, sizeof s.container)) {
        s.container[0] = 0;
    }
    const char* keyboard = s.container[0] != 0 ? s.container : name;
    HidFacts facts = {};
    ReadHidFacts(name, &facts);
    FormatKeyboardIdentity(s.identity, sizeof s.identity, name, facts);
    char line[kKeyboardIdentitySize + 32];
    std::snprintf(line, sizeof line, "Keyboard under test: %.*s",
                  static_cast<int>(sizeof s.identity - 1), s.identity);
    TraceLine(line);
    // Once per keyboard of a batch run; again only when Clear let another device be chosen.
    if (!s.logged || std::strcmp(s.loggedKeyboard, keyboard) != 0) {
        WriteLogRecord("    Keyboard: %s\n", s.identity);
        s.logged = true;
        std::snprintf(s.loggedKeyboard, sizeof s.loggedKeyboard, "%s", keyboard);
    }
}

void TraceNotTested(const KeyMessage& k, const char* reason) {
    WriteKeyTrace("=============================================\n");
    WriteKeyTrace("Key %s: Windows - %d, BIOS - %d\n", k.down ? "Down" : "Up", k.code, k.scanCode);
    WriteKeyTrace("Not tested: %s\n", reason);
}

void NotTested(WindowHandle window, const KeyMessage& k, const char* reason) {
    TraceNotTested(k, reason);
    if (!k.down) {
        return; // a key is counted by its press; the trace takes key-downs only
    }
    char line[160];
    std::snprintf(line, sizeof line, "Key %d not tested: %s", k.code, reason);
    TraceLine(line);
    if (!k.repeat) {
        ++keyboardUnderTest.otherKeys;
        UpdateStatistics(window);
    }
}

} // namespace

// Records that announce no key message are not kept: left waiting, they would be taken by a
// later key of the same codes.
void NoteRawKeyRecord(const RawKeyRecord& record) {
    KeyboardUnderTest& s = keyboardUnderTest;
    const bool endsPause = EndsPause(record, s.previous);
    s.previous = record;
    if (record.virtualKey >= kNoVirtualKey || record.makeCode == kOverrunMakeCode || endsPause) {
        return;
    }
    if (s.pendingCount == kPendingRecords) {
        DropPending(0);
    }
    s.pending[s.pendingCount++] = record;
}

bool TakesKeyMessage(WindowHandle window, bool down, int32_t code, intptr_t lParam, uint32_t time) {
    if (!appState.oneKeyboard) {
        return true;
    }
    const KeyMessage k = {down,
                          code,
                          static_cast<int>((lParam >> 16) & 0xFF),
                          (lParam & 0x1000000) != 0,
                          (lParam & 0x40000000) != 0,
                          time};
    char name[kDeviceNameSize] = "";
    const KeySource source = SourceOf(k, name, sizeof name);
    // The LED test's own lock-key events (scan code 255): the key test drops them itself.
    if ((code == 20 || code == 144 || code == 145) && k.scanCode == 255) {
        return true;
    }
    if (source == kAltGrControl) {
        TraceNotTested(k,
                       "the Left Ctrl that Windows adds to AltGr"); // no key made it: not counted
        return false;
    }
    KeyboardUnderTest& s = keyboardUnderTest;
    if (source == kNamedDevice && (s.chosen ? OfKeyboardUnderTest(name) : down)) {
        if (!s.chosen) {
            Choose(name);
        }
        return true;
    }
    // A key-up before the choice: its key-down went elsewhere (the Enter that closed the
    // Serial dialog), or it was a program's.
    NotTested(window, k,
              !s.chosen && !down    ? "no keyboard under test chosen yet"
              : source == kNoDevice ? "from no keyboard (a program sent it)"
                                    : "from another keyboard");
    return false;
}

void ForgetKeyboardUnderTest() {
    KeyboardUnderTest& s = keyboardUnderTest;
    s.chosen = false;
    s.name[0] = 0;
    s.container[0] = 0;
    s.identity[0] = 0;
    s.otherKeys = 0;
}

void StartNextKeyboard() {
    ForgetKeyboardUnderTest();
    keyboardUnderTest.logged = false;
}

void LogKeyboardIfNone() {
    if (appState.oneKeyboard && !keyboardUnderTest.logged) {
        WriteLogRecord("    Keyboard: none\n"); // the Serial dialog after the verdict starts anew
    }
}
