#include "tests/fakes/fake_engine_seams.h"

#include <cstring>

#include "engine/engine_seams.h"
#include "engine/led_test.h"
#include "engine/system_key_filter.h"

FakeSeams fake;

namespace {
int Record(const std::string& call, int result = 1) {
    fake.calls += (fake.calls.empty() ? "" : " ") + call;
    return result;
}
} // namespace

int64_t ReadCounter() {
    return fake.counter;
}
void DrawKey(WindowHandle, DrawHandle, int index) {
    Record("Draw " + std::to_string(index));
}
void UpdateStatistics(WindowHandle) {
    Record("Stats");
}
void PostCommand(WindowHandle, int commandId) {
    Record("Post " + std::to_string(commandId));
}
void RepaintWindow(WindowHandle) {
    Record("Repaint");
}
void FocusWindow(WindowHandle) {
    Record("Focus");
}
void DestroyMainWindow(WindowHandle) {
    Record("Destroy");
}
int RunPassVerification(WindowHandle) {
    return Record("Verify", fake.passResult);
}
int RunFailReason(WindowHandle) {
    return Record("Reason");
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
void StartLedTimer(WindowHandle) {
    Record("Timer");
}
void KillLedTimer() {
    Record("KillTimer");
}

int IsFilterBoxChecked(WindowHandle) {
    return fake.filterBox;
}
void SetFilterBoxChecked(WindowHandle, int checked) {
    fake.filterBox = Record("Box " + std::to_string(checked), checked);
}
void* LoadKeyboardFilter(WindowHandle) {
    Record("Load");
    return fake.filterHook;
}
void UnloadKeyboardFilter(void*) {
    Record("Unload");
}
void SetScreenSaverRunning(int on) {
    Record("ScreenSaver " + std::to_string(on));
}
