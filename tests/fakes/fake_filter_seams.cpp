#include "tests/fakes/fake_filter_seams.h"

#include "engine/system_key_filter.h"

bool fakeFilterBoxChecked = false;
void* fakeLoadResult = nullptr;
int fakeLoadCalls = 0;
std::vector<void*> fakeUnloadedHooks;
std::vector<int> fakeScreenSaverCalls;

void ResetFakeFilterSeams() {
    fakeFilterBoxChecked = false;
    fakeLoadResult = nullptr;
    fakeLoadCalls = 0;
    fakeUnloadedHooks.clear();
    fakeScreenSaverCalls.clear();
}

int IsFilterBoxChecked(WindowHandle) {
    return fakeFilterBoxChecked ? 1 : 0;
}
void SetFilterBoxChecked(WindowHandle, int checked) {
    fakeFilterBoxChecked = checked != 0;
}
void* LoadKeyboardFilter(WindowHandle) {
    ++fakeLoadCalls;
    return fakeLoadResult;
}
void UnloadKeyboardFilter(void* hook) {
    fakeUnloadedHooks.push_back(hook);
}
void SetScreenSaverRunning(int on) {
    fakeScreenSaverCalls.push_back(on);
}
