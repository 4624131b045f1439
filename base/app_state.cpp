#include "base/app_state.h"

#include <cstring>

AppState appState;

void ResetAppState() {
    std::memset(&appState, 0, sizeof appState);
}
