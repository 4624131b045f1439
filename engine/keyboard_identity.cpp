#include "engine/keyboard_identity.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (Upper(c) >= 'A' && Upper(c) <= 'F');
}

// The start of text if it begins with start, letter case aside.
bool StartsWith(const char* text, const char* start) {
    for (; *start != 0; ++text, ++start) {
        if (Upper(*text) != Upper(*start)) {
            return false;
        }
    }
    return true;
}

// The four hexadecimal digits that follow key in name, after skip more of them, in upper
// case into id (5 bytes). False when key is not there or no digits follow it.
bool TakeId(const char* name, const char* key, int skip, char* id) {
    const char* at = name;
    while (*at != 0 && !StartsWith(at, key)) {
        ++at;
    }
    if (*at == 0) {
        return false;
    }
    at += std::strlen(key);
    for (int i = 0; i < skip + 4; ++i) {
        if (!IsHexDigit(at[i])) {
            return false;
        }
    }
    for (int i = 0; i < 4; ++i) {
        id[i] = Upper(at[skip + i]);
    }
    id[4] = 0;
    return true;
}

// USB names carry "VID_046D&PID_C31C"; Bluetooth names "VID&0002046d_PID&c31c", where the
// first four digits say who gave out the vendor id.
bool DeviceIds(const char* name, char* vendor, char* product) {
    return (TakeId(name, "VID_", 0, vendor) && TakeId(name, "PID_", 0, product)) ||
           (TakeId(name, "VID&", 4, vendor) && TakeId(name, "PID&", 0, product));
}

// A driver's text fit for the record: a quote would end the name and a control character
// break the line, so each becomes a blank; no blanks at either end (drivers pad them).
void CleanText(char* out, size_t size, const char* in) {
    size_t n = 0;
    for (; in[n] != 0 && n + 1 < size; ++n) {
        const unsigned char c = static_cast<unsigned char>(in[n]);
        out[n] = c < 0x20 || c == 0x7F ? ' ' : c == '"' ? '\'' : in[n];
    }
    while (n > 0 && out[n - 1] == ' ') {
        --n;
    }
    out[n] = 0;
    size_t lead = 0;
    while (out[lead] == ' ') {
        ++lead;
    }
    std::memmove(out, out + lead, n - lead + 1);
}

void Append(char* text, size_t size, const char* format, ...) {
    const size_t used = std::strlen(text);
    if (used + 1 >= size) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::vsnprintf(text + used, size - used, format, args);
    va_end(args);
}

} // namespace

void FormatKeyboardIdentity(char* text, size_t size, const char* deviceName,
                            const HidFacts& facts) {
    if (size == 0) {
        return;
    }
    char vendor[5], product[5];
    text[0] = 0;
    if (DeviceIds(deviceName, vendor, product)) {
        Append(text, size, "VID %s PID %s", vendor, product);
    } else {
        Append(text, size, "%s", deviceName);
    }
    if (facts.hasVersion) {
        Append(text, size, ", rev %04X", static_cast<unsigned>(facts.versionNumber));
    }
    char name[kHidTextSize], maker[kHidTextSize];
    CleanText(name, sizeof name, facts.product);
    CleanText(maker, sizeof maker, facts.manufacturer);
    // The product string often repeats the manufacturer ("Logitech USB Keyboard").
    if (name[0] != 0 && maker[0] != 0 && !StartsWith(name, maker)) {
        Append(text, size, ", \"%s %s\"", maker, name);
    } else if (name[0] != 0) {
        Append(text, size, ", \"%s\"", name);
    }
}
