#include "tests/fakes/fake_plugin_seams.h"

#include <cstring>

#include "testrun/plugin_link.h"

alignas(8) uint8_t fakeHostBlock[352];
int fakeHostFailure = 0;
int fakeSleptMilliseconds = 0;
int fakeClearRunWordAfterMs = 0;

void ResetFakeHost(uint8_t fill) {
    std::memset(&pluginLink, 0, sizeof pluginLink);
    std::memset(fakeHostBlock, fill, sizeof fakeHostBlock);
    const uint32_t run = 1;
    std::memcpy(fakeHostBlock, &run, sizeof run);
    fakeHostFailure = 0;
    fakeSleptMilliseconds = 0;
    fakeClearRunWordAfterMs = 0;
}

void* OpenHostMapping(const char*, void** mapping, int* failure) {
    if (fakeHostFailure != 0) {
        *failure = fakeHostFailure;
        return nullptr;
    }
    *mapping = nullptr;
    return fakeHostBlock;
}

void SleepMilliseconds(int milliseconds) {
    fakeSleptMilliseconds += milliseconds;
    if (fakeClearRunWordAfterMs > 0 && fakeSleptMilliseconds >= fakeClearRunWordAfterMs) {
        std::memset(fakeHostBlock, 0, 4);
    }
}
