#include "base/os_version_win32.h"

OSVERSIONINFOA ReadOsVersion() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version)) {
        OSVERSIONINFOA none = {};
        return none;
    }
#pragma GCC diagnostic pop
    return version;
}
