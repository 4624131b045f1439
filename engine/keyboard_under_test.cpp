#include "engine/keyboard_under_test.h"

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/trace.h"
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

enum KeySource { kNoDevice, kNamedDevice, kNamelessDevice };

bool Announces(const RawKeyRecord& r, const KeyMessage& k) {
    if (((r.flags & kRawKeyBreak) == 0) != k.down) {
        return false;
    }
    // Pause sends E1 1D 45, and its message carries neither; its key code tells it.
    if ((r.flags & kRawKeyE1) != 0) {
        return r.virtualKey == k.code;
    }
    return (r.makeCode & 0xFF) == k.scanCode && ((r.flags & kRawKeyE0) != 0) == k.extended;
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

// Keys the system-key filter holds back reach the window as messages its hook posted. They
// count for the keyboard under test like any other key, by the record of their key: the
// system makes it before the hook decides, and the posted message overtakes it, so a
// message without a record first takes the records still waiting in the queue. The hook
// is not asked: it cannot tell one keyboard from another.
KeySource SourceOf(const KeyMessage& k, char* name, size_t size) {
    RawKeyRecord r;
    if (!TakeRecord(k, &r)) {
        TakeWaitingRawRecords();
        if (!TakeRecord(k, &r)) {
            return kNoDevice;
        }
    }
    if (r.device == 0) {
        return kNoDevice;
    }
    return RawDeviceName(r.device, name, size) ? kNamedDevice : kNamelessDevice;
}

void Choose(const char* name) {
    KeyboardUnderTest& s = keyboardUnderTest;
    s.chosen = true;
    std::snprintf(s.name, sizeof s.name, "%s", name);
    HidFacts facts = {};
    ReadHidFacts(name, &facts);
    FormatKeyboardIdentity(s.identity, sizeof s.identity, name, facts);
    char line[kKeyboardIdentitySize + 32];
    std::snprintf(line, sizeof line, "Keyboard under test: %s", s.identity);
    TraceLine(line);
    // Once per keyboard of a batch run; again only when Clear let another device be chosen.
    if (!s.logged || std::strcmp(s.loggedName, name) != 0) {
        WriteLogRecord("    Keyboard: %s\n", s.identity);
        s.logged = true;
        std::snprintf(s.loggedName, sizeof s.loggedName, "%s", name);
    }
}

void NotTested(WindowHandle window, const KeyMessage& k, const char* reason) {
    WriteKeyTrace("=============================================\n");
    WriteKeyTrace("Key %s: Windows - %d, BIOS - %d\n", k.down ? "Down" : "Up", k.code, k.scanCode);
    WriteKeyTrace("Not tested: %s\n", reason);
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

void NoteRawKeyRecord(const RawKeyRecord& record) {
    KeyboardUnderTest& s = keyboardUnderTest;
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
    KeyboardUnderTest& s = keyboardUnderTest;
    if (source == kNamedDevice && (s.chosen ? std::strcmp(name, s.name) == 0 : down)) {
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
