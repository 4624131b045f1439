#include "tests/fakes/fake_engine_seams.h"

#include <cstdio>
#include <cstring>

#include "engine/engine_seams.h"
#include "engine/led_test.h"
#include "engine/system_key_filter.h"
#include "testrun/batch_dialogs.h"

FakeSeams fake;

namespace {
int Record(const std::string& call, int result = 1) {
    fake.calls += (fake.calls.empty() ? "" : " ") + call;
    return result;
}
} // namespace

// A seam that only records its call under the given name.
#define RECORDING_SEAM(signature, call)                                                            \
    signature {                                                                                    \
        Record(call);                                                                              \
    }

int64_t ReadCounter() {
    return fake.counter;
}
RECORDING_SEAM(void DrawKey(WindowHandle, DrawHandle, int index), "Draw " + std::to_string(index))
RECORDING_SEAM(void UpdateStatistics(WindowHandle), "Stats")
RECORDING_SEAM(void PostCommand(WindowHandle, int id), "Post " + std::to_string(id))
RECORDING_SEAM(void RepaintWindow(WindowHandle), "Repaint")
RECORDING_SEAM(void FocusWindow(WindowHandle), "Focus")
RECORDING_SEAM(void DestroyMainWindow(WindowHandle), "Destroy")
RECORDING_SEAM(void StartLedTimer(WindowHandle), "Timer")
RECORDING_SEAM(void KillLedTimer(), "KillTimer")
RECORDING_SEAM(void UnloadKeyboardFilter(void*), "Unload")
RECORDING_SEAM(void SetScreenSaverRunning(int on), "ScreenSaver " + std::to_string(on))
int RunPassVerification(WindowHandle) {
    return Record("Verify", fake.passResult);
}
int RunFailReason(WindowHandle, bool chatterFound) {
    return Record(chatterFound ? "Reason chatter" : "Reason");
}
int RunSerial(WindowHandle) {
    return Record("Serial", fake.serialResult);
}

void ReadKeyboardState(uint8_t state[256]) {
    std::memcpy(state, fake.keyboard, 256);
}
void SendLockKeyToggle(int virtualKey) {
    fake.keyboard[virtualKey & 0xFF] ^= 0x01;
    Record("Toggle " + std::to_string(virtualKey));
}

int IsFilterBoxChecked(WindowHandle) {
    return fake.filterBox;
}
void SetFilterBoxChecked(WindowHandle, int checked) {
    fake.filterBox = Record("Box " + std::to_string(checked), checked);
}
int RawDeviceName(uint64_t device, char* name, size_t size) {
    return fake.deviceNames.count(device) != 0 &&
           std::snprintf(name, size, "%s", fake.deviceNames[device].c_str()) >= 0;
}
int DeviceContainerId(const char* deviceName, char* id, size_t size) {
    return fake.containers.count(deviceName) != 0 &&
           std::snprintf(id, size, "%s", fake.containers[deviceName].c_str()) >= 0;
}
void ReadHidFacts(const char*, HidFacts* facts) {
    *facts = fake.hid;
}
void TakeWaitingRawRecords() {
    for (const RawKeyRecord& r : fake.queued) {
        NoteRawKeyRecord(r);
    }
    fake.queued.clear();
}
void* LoadKeyboardFilter(WindowHandle) {
    Record("Load");
    return fake.filterHook;
}
