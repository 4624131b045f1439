// The host's shared memory as a plain block in the test process.
#pragma once
#include <cstdint>

extern uint8_t fakeHostBlock[352];
extern int fakeHostFailure; // 0: the mapping opens; 2 or 3: that failure
extern int fakeSleptMilliseconds;
extern int fakeClearRunWordAfterMs; // >0: the host sets runWord to 0 after this long

// An unattached link and a host that filled its block with fill and set runWord to 1.
void ResetFakeHost(uint8_t fill);
