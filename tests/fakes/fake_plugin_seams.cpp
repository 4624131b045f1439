#include "tests/fakes/fake_plugin_seams.h"

#include "testrun/plugin_link.h"

alignas(8) uint8_t fakeHostBlock[352];
int fakeHostFailure = 0;
int fakeSleptMilliseconds = 0;
int fakeClearRunWordAfterMs = 0;

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
        fakeHostBlock[0] = fakeHostBlock[1] = fakeHostBlock[2] = fakeHostBlock[3] = 0;
    }
}
