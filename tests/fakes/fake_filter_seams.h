// Fakes of the system-key filter's window-system side: check box 1019, the filter
// library and the screen-saver-running parameter, with every call recorded.
#pragma once
#include <vector>

#include "app/handles.h"

extern bool fakeFilterBoxChecked;
extern void* fakeLoadResult; // what LoadKeyboardFilter returns
extern int fakeLoadCalls;
extern std::vector<void*> fakeUnloadedHooks;
extern std::vector<int> fakeScreenSaverCalls; // the parameter of each call, in order

void ResetFakeFilterSeams();
