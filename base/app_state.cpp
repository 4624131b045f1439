#include "base/app_state.h"

#include <cstdio>
#include <cstring>

AppState appState;

void ResetAppState() {
    std::memset(&appState, 0, sizeof appState);
}

void DataFilePath(const char* name, char* path, size_t size) {
    if (std::strpbrk(name, "\\/:") != nullptr) {
        std::snprintf(path, size, "%s", name);
    } else {
        std::snprintf(path, size, "%s\\%s", appState.dataFolder, name);
    }
}
