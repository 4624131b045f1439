// Which keyboard a device is, as the system names it: the vendor and product id in its
// device name (USB and Bluetooth keyboards), else the whole name (a laptop's own ACPI or
// PS/2 keyboard), and what the HID driver tells of it (version, product, manufacturer).
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int kDeviceNameSize = 260;
constexpr int kHidTextSize = 256;
// "VID 046D PID C31C, rev 6400, "<manufacturer> <product>"", a device name in its place.
constexpr int kKeyboardIdentitySize = kDeviceNameSize + 2 * kHidTextSize + 32;

struct HidFacts {
    bool hasVersion;                 // the driver gave the attributes
    uint16_t versionNumber;          // HIDD_ATTRIBUTES.VersionNumber
    char product[kHidTextSize];      // in the ANSI code page; empty when none was given
    char manufacturer[kHidTextSize]; // likewise
};

// The identity text of a keyboard, also the body of the test log's Keyboard record.
void FormatKeyboardIdentity(char* text, size_t size, const char* deviceName, const HidFacts& facts);
