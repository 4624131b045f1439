// The host's shared memory: an existing named file mapping, mapped whole. The link
// keeps it for the life of the process.
#include <windows.h>

#include "testrun/plugin_link.h"

void* OpenHostMapping(const char* name, void** mapping, int* failure) {
    HANDLE handle = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (handle == nullptr) {
        *failure = 2;
        return nullptr;
    }
    void* view = MapViewOfFile(handle, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (view == nullptr) {
        CloseHandle(handle);
        *failure = 3;
        return nullptr;
    }
    *mapping = handle;
    return view;
}

void SleepMilliseconds(int milliseconds) {
    Sleep(static_cast<DWORD>(milliseconds));
}
