#include "base/station_settings.h"

#include <cctype>
#include <cstdio>
#include <cstring>

StationSettings station;

namespace {

void ReadValue(const char* name, char* out, size_t size) {
    if (!ReadStationValue(kPolicyKey, name, out, size) &&
        !ReadStationValue(kStationKey, name, out, size)) {
        out[0] = 0;
    }
}

bool SameText(const char* a, const char* b) {
    for (; *a != 0 && *b != 0; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

} // namespace

void ReadStationSettings(StationSettings* settings) {
    ReadValue("Options", settings->options, sizeof settings->options);
    ReadValue("Layout", settings->layout, sizeof settings->layout);
    ReadValue("LogFile", settings->logFile, sizeof settings->logFile);
    ReadValue("Product", settings->product, sizeof settings->product);
    ReadValue("Batch", settings->batch, sizeof settings->batch);
    ReadValue("Keystrokes", settings->keystrokes, sizeof settings->keystrokes);
    ReadValue("LogMode", settings->logMode, sizeof settings->logMode);
}

void StationKeystrokes(const StationSettings& settings, char* out, size_t size) {
    const char* text = settings.keystrokes;
    const size_t length = std::strlen(text);
    bool valid = length >= 1 && length <= 3;
    int value = 0;
    for (size_t i = 0; i < length && valid; ++i) {
        valid = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        value = value * 10 + (text[i] - '0');
    }
    std::snprintf(out, size, "%s", valid && value <= 100 ? text : "");
}

bool StationAppends(const StationSettings& settings) {
    return SameText(settings.logMode, "append");
}
