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

} // namespace

void ReadCommandLine(int argc, const char* const* argv, char* pluginMarker) {
    if (argc < 2 || argc > 5) {
        return; // no argument, or too many: every option keeps its default
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
        if (std::strstr(argv[i], kPluginMarker) != nullptr) {
            std::snprintf(pluginMarker, kPluginMarkerSize, "%s", argv[i]);
        }
    }
}
