// The station's settings from the registry: the machine's key that the installer or IT
// writes, and the group policy key over it. Only reading is asked for, so a standard
// user reads them; only administrators can change them.
#include <windows.h>

#include <cstring>

#include "base/station_settings.h"

int ReadStationValue(StationSource source, const char* name, char* out, size_t size) {
    const char* subkey = source == kPolicyKey ? "SOFTWARE\\Policies\\Orvane\\Clavoro"
                                              : "SOFTWARE\\Orvane\\Clavoro\\Station";
    HKEY key = nullptr;
    // The 64-bit view, where a 64-bit installer and group policy write.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS) {
        return 0;
    }
    char text[2048];
    DWORD type = 0;
    DWORD bytes = sizeof text - 1;
    const LONG result =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) {
        return 0; // missing, longer than 2047 bytes, or not a text
    }
    text[bytes] = 0; // a stored text need not end in a NUL
    if (text[0] == 0 || size == 0) {
        return 0;
    }
    const size_t length = std::strlen(text) < size - 1 ? std::strlen(text) : size - 1;
    std::memcpy(out, text, length);
    out[length] = 0;
    return 1;
}
