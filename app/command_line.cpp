#include "app/command_line.h"

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/message_box.h"
#include "app/trace.h"
#include "testrun/plugin_link.h"

namespace {

// Options are told apart by their first two characters alone, letter case counting.
bool IsOption(const char* entry, const char* option) {
    return std::strncmp(entry, option, 2) == 0;
}

void OpenTraceFile(const char* path) {
    if (OpenTrace(path)) {
        return;
    }
    char text[300];
    std::snprintf(text, sizeof text, "Could not open log file %s.\n", appState.traceFilePath);
    ShowMessage(nullptr, text, "Clavoro Error", kIconNone);
}

// A threshold the operator mistyped must not leave the line testing without the check
// it asked for: the program says what it takes and does not start.
void RefuseChatterValue(const char* value) {
    char text[400];
    std::snprintf(text, sizeof text,
                  "The option /c needs the chatter threshold in milliseconds, a whole number "
                  "from %d to %d (for example /c 30). Given: %.200s\n\nClavoro will now exit",
                  kMinChatterMs, kMaxChatterMs, value != nullptr ? value : "nothing");
    ShowMessage(nullptr, text, "Clavoro Error", kIconNone);
}

} // namespace

int ParseChatterThreshold(const char* text) {
    int value = 0;
    int digits = 0;
    for (; text[digits] != 0; ++digits) {
        if (text[digits] < '0' || text[digits] > '9' || value > kMaxChatterMs) {
            return 0; // also stops the sum long before it could overflow
        }
        value = value * 10 + (text[digits] - '0');
    }
    return value >= kMinChatterMs && value <= kMaxChatterMs ? value : 0;
}

int ReadCommandLine(int argc, const char* const* argv, char* pluginMarker) {
    if (argc < 2 || argc > 5) {
        return 1; // no argument, or too many: every option keeps its default
    }
    for (int i = 1; i < argc; ++i) {
        // Each test looks at the entry that is current when it runs: /k and /l make
        // their value the current entry, and the tests after them look at the value.
        if (IsOption(argv[i], "/I")) {
            PostQuitRequest();
        }
        if (IsOption(argv[i], "/f")) {
            appState.filterSystemKeys = true;
        } else if (IsOption(argv[i], "/b")) {
            appState.batchMode = true;
        }
        if (IsOption(argv[i], "/p")) {
            appState.batchMode = true;
            appState.pluginMode = true;
        }
        if (IsOption(argv[i], "/d")) {
            appState.oneKeyboard = true;
        }
        if (IsOption(argv[i], "/t")) {
            appState.batchMode = true;
            appState.detailedKeyLog = true;
        }
        if (IsOption(argv[i], "/k") && i + 1 < argc) {
            ++i;
            // Longer names are cut to the buffer; they then match no layout.
            std::snprintf(appState.layoutName, sizeof appState.layoutName, "%s", argv[i]);
        }
        if (IsOption(argv[i], "/l") && i + 1 < argc) {
            ++i;
            OpenTraceFile(argv[i]); // a path longer than 259 characters is opened cut
        }
        if (IsOption(argv[i], "/c")) {
            const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
            appState.chatterThresholdMs = value != nullptr ? ParseChatterThreshold(value) : 0;
            if (appState.chatterThresholdMs == 0) {
                RefuseChatterValue(value);
                return 0;
            }
            ++i;
        }
        if (std::strstr(argv[i], kPluginMarker) != nullptr) {
            std::snprintf(pluginMarker, kPluginMarkerSize, "%s", argv[i]);
        }
    }
    return 1;
}
