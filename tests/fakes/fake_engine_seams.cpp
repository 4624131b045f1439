#include "tests/fakes/fake_engine_seams.h"

#include "engine/engine_seams.h"

std::vector<std::string> engineCalls;
int64_t fakeCounter = 0;
int fakePassResult = 1;
int fakeSerialResult = 1;

void ResetFakeEngineSeams() {
    engineCalls.clear();
    fakeCounter = 0;
    fakePassResult = 1;
    fakeSerialResult = 1;
}

int64_t ReadCounter() {
    return fakeCounter;
}

void DrawKey(WindowHandle, DrawHandle, int index) {
    engineCalls.push_back("DrawKey " + std::to_string(index));
}
void UpdateStatistics(WindowHandle) {
    engineCalls.push_back("UpdateStatistics");
}
void PostCommand(WindowHandle, int commandId) {
    engineCalls.push_back("PostCommand " + std::to_string(commandId));
}
void RepaintWindow(WindowHandle) {
    engineCalls.push_back("RepaintWindow");
}
void FocusWindow(WindowHandle) {
    engineCalls.push_back("FocusWindow");
}
void DestroyMainWindow(WindowHandle) {
    engineCalls.push_back("DestroyMainWindow");
}

int RunPassVerification(WindowHandle) {
    engineCalls.push_back("RunPassVerification");
    return fakePassResult;
}
int RunFailReason(WindowHandle) {
    engineCalls.push_back("RunFailReason");
    return 1;
}
int RunSerial(WindowHandle) {
    engineCalls.push_back("RunSerial");
    return fakeSerialResult;
}
