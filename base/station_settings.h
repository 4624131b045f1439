// A station's settings, set once by IT for every user of the machine: the registry key
// HKLM\SOFTWARE\Orvane\Clavoro\Station (64-bit view), overridden value by value by the
// group policy key HKLM\SOFTWARE\Policies\Orvane\Clavoro. All values are texts; an
// absent or empty value is not set. The command line overrides the options and the
// layout; the Batch-ID dialog opens filled from the rest.
#pragma once
#include <cstddef>

constexpr int kMaxStationOptions = 32; // tokens of the Options value that are read

struct StationSettings {
    char options[512];  // "Options": default command-line options, e.g. "/b /d /c 30"
    char layout[260];   // "Layout": as /k
    char logFile[400];  // "LogFile": the test log, a share's UNC path allowed
    char product[50];   // "Product": product identification
    char batch[50];     // "Batch": batch identification
    char keystrokes[8]; // "Keystrokes": required presses per key, 0 to 100
    char logMode[16];   // "LogMode": "append" or "overwrite"
};

// Read once at start-up, before the command line.
extern StationSettings station;

enum StationSource {
    kStationKey, // HKLM\SOFTWARE\Orvane\Clavoro\Station
    kPolicyKey,  // HKLM\SOFTWARE\Policies\Orvane\Clavoro
};

// Seam: the text value name of source's key into out (size bytes, cut to fit); 1 when
// it holds a text that is not empty, 0 when the key or the value is missing, empty, or
// not a text. The program reads the registry; the unit tests a table.
int ReadStationValue(StationSource source, const char* name, char* out, size_t size);

// Every value from the policy key where it is set there, else from the station key.
void ReadStationSettings(StationSettings* settings);

// The Keystrokes value as the dialog's field takes it: 1 to 3 digits of a number from 0
// to 100; anything else is not set (an empty text).
void StationKeystrokes(const StationSettings& settings, char* out, size_t size);

// LogMode: true for "append" (any letter case); "overwrite", another text or none: false.
bool StationAppends(const StationSettings& settings);
