// The window system as the benchmark sees it: the counter is a variable the event
// stream advances, the statistics are formatted as the program would (only the
// SetDlgItemText calls are left out), everything else does nothing.
#include <cstdint>

#include "base/append_file.h"
#include "base/message_box.h"
#include "engine/engine_seams.h"
#include "engine/keyboard_under_test.h"
#include "engine/led_test.h"
#include "engine/statistics.h"
#include "testrun/batch_dialogs.h"
#include "testrun/plugin_link.h"

int64_t benchCounter = 0;
static StatisticsTexts benchTexts;

int64_t ReadCounter() {
    return benchCounter;
}
void DrawKey(WindowHandle, DrawHandle, int) {}
void UpdateStatistics(WindowHandle) {
    FormatStatistics(&benchTexts);
}
void PostCommand(WindowHandle, int) {}
void RepaintWindow(WindowHandle) {}
void FocusWindow(WindowHandle) {}
void DestroyMainWindow(WindowHandle) {}
int RunPassVerification(WindowHandle) {
    return 1;
}
int RunFailReason(WindowHandle, bool) {
    return 1;
}
int RunSerial(WindowHandle) {
    return 1;
}

void ReadKeyboardState(uint8_t state[256]) {
    for (int i = 0; i < 256; ++i) {
        state[i] = 0;
    }
}
void SendLockKeyToggle(int) {}

// The benchmark runs without /d.
int RawDeviceName(uint64_t, char*, size_t) {
    return 0;
}
int DeviceContainerId(const char*, char*, size_t) {
    return 0;
}
void ReadHidFacts(const char*, HidFacts*) {}
void TakeWaitingRawRecords() {}
void StartLedTimer(WindowHandle) {}
void KillLedTimer() {}

void* OpenHostMapping(const char*, void**, int* failure) {
    *failure = 2;
    return nullptr;
}
void SleepMilliseconds(int) {}
int ShowMessage(WindowHandle, const char*, const char*, MessageIcon) {
    return 1;
}
bool AskRetryOrCancel(const char*, const char*, MessageIcon) {
    return false;
}

// Neither the test log nor the trace is opened here.
int OpenAppendFile(AppendFile* file, const char*, bool, char*, size_t) {
    file->handle = nullptr;
    return 0;
}
int AppendToFile(AppendFile*, const char*, size_t, size_t* written, char*, size_t) {
    *written = 0;
    return 0;
}
int FlushAppendFile(AppendFile*, char*, size_t) {
    return 0;
}
void CloseAppendFile(AppendFile*) {}
