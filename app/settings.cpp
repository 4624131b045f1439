#include "app/settings.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "base/app_state.h"

int SettingsFilePath(char* path, size_t size) {
    int n = std::snprintf(path, size, "%s\\%s.ini", appState.settingsFolder, "Clavoro");
    return static_cast<size_t>(n) < size ? 1 : 0;
}

namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// One "%d": blanks, an optional sign, at least one digit. Values beyond the range of
// a 4-byte integer are held at its limits rather than wrapping.
bool ScanNumber(const char** text, int32_t* value) {
    const char* p = *text;
    while (IsBlank(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p))) {
        return false;
    }
    long long magnitude = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        if (magnitude <= static_cast<long long>(INT32_MAX) + 1) {
            magnitude = magnitude * 10 + (*p - '0');
        }
        ++p;
    }
    long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX) {
        signedValue = INT32_MAX;
    } else if (signedValue < INT32_MIN) {
        signedValue = INT32_MIN;
    }
    *value = static_cast<int32_t>(signedValue);
    *text = p;
    return true;
}

bool HoldsMarker(const char* line) {
    char upper[270];
    size_t i = 0;
    for (; line[i] != 0 && i + 1 < sizeof upper; ++i) {
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
    }
    upper[i] = 0;
    return std::strstr(upper, "[POSITION]") != nullptr;
}

} // namespace

int ScanPlacementLine(const char* line, WindowPlacement* placement) {
    int32_t* fields[4] = {&placement->x, &placement->y, &placement->width, &placement->height};
    const char* p = line;
    const char* rest = p;
    while (IsBlank(*rest)) {
        ++rest;
    }
    if (*rest == 0) {
        return -1; // the input ended before the first number
    }
    int assigned = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (*p != ',') {
                break; // the comma must follow the number directly
            }
            ++p;
        }
        if (!ScanNumber(&p, fields[i])) {
            break;
        }
        ++assigned;
    }
    return assigned;
}

int ReadPlacementFile(const char* path, WindowPlacement* placement) {
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return 0;
    }
    // Lines are read as fgets reads them: at most 269 characters at a time.
    char line[270];
    int usable = 0;
    if (std::fgets(line, sizeof line, file) != nullptr && HoldsMarker(line)) {
        WindowPlacement read = kDefaultPlacement;
        if (std::fgets(line, sizeof line, file) != nullptr && ScanPlacementLine(line, &read) != 0) {
            *placement = read;
            usable = 1;
        }
    }
    std::fclose(file);
    return usable;
}

bool PlacementOnScreen(const WindowPlacement& placement, int screenWidth, int screenHeight) {
    return placement.x < screenWidth && placement.y < screenHeight;
}

int WritePlacementFile(const char* path, const WindowPlacement* placement) {
    FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        return 0;
    }
    if (placement != nullptr) {
        std::fprintf(file, "[POSITION]\n%d,%d,%d,%d\n", placement->x, placement->y,
                     placement->width, placement->height);
    }
    return std::fclose(file) == 0 ? 1 : 0;
}

namespace {

// path is folder or lies in it, letter case aside.
bool IsInFolder(const char* path, const char* folder) {
    size_t n = 0;
    for (; folder[n] != 0; ++n) {
        if (std::tolower(static_cast<unsigned char>(path[n])) !=
            std::tolower(static_cast<unsigned char>(folder[n]))) {
            return false;
        }
    }
    return n > 0 && (path[n] == 0 || path[n] == '\\' || folder[n - 1] == '\\');
}

} // namespace

void DetermineDataFolder() {
    const char* program = appState.programFolder;
    bool installed = false;
    for (int i = 0; i < 2; ++i) {
        char folder[sizeof appState.programFolder];
        installed = installed ||
                    (ProgramFilesFolder(i, folder, sizeof folder) && IsInFolder(program, folder));
    }
    if ((!installed && IsFolderWritable(program)) ||
        !SharedDataFolder(appState.dataFolder, sizeof appState.dataFolder)) {
        std::snprintf(appState.dataFolder, sizeof appState.dataFolder, "%s", program);
    }
}
