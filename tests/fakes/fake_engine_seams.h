// The key engine's window-system seams as a recorder: every call is logged in order
// ("DrawKey 3", "RunSerial", ...), the counter returns what the test set, and the
// verdict dialogs return the results the test chose.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

extern std::vector<std::string> engineCalls;
extern int64_t fakeCounter;  // what ReadCounter returns
extern int fakePassResult;   // RunPassVerification
extern int fakeSerialResult; // RunSerial

void ResetFakeEngineSeams();
