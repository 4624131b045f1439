// The operating system's version record, read in one place (the call is deprecated
// on newer SDKs, but it is what the program's decisions are made from).
#pragma once
#include <windows.h>

// All zeros when the system does not answer: platform 0 is neither family.
OSVERSIONINFOA ReadOsVersion();
