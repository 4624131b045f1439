#include "app/command_line.h"

#include <cstdio>
#include <cstring>

#include "app/settings.h"
#include "base/app_state.h"
#include "base/message_box.h"
#include "base/station_settings.h"
#include "base/trace.h"
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

int ParseOptions(int count, const char* const* args, StartOptions* options) {
    StartOptions& o = *options;
    for (int i = 0; i < count; ++i) {
        // Each test looks at the entry that is current when it runs: /k and /l make
        // their value the current entry, and the tests after them look at the value.
        if (IsOption(args[i], "/I")) {
            o.quit = true;
        }
        if (IsOption(args[i], "/f")) {
            o.filterSystemKeys = true;
        } else if (IsOption(args[i], "/b")) {
            o.batchMode = true;
        }
        if (IsOption(args[i], "/p")) {
            o.batchMode = true;
            o.pluginMode = true;
        }
        if (IsOption(args[i], "/d")) {
            o.oneKeyboard = true;
        }
        if (IsOption(args[i], "/t")) {
            o.batchMode = true;
            o.detailedKeyLog = true;
        }
        if (IsOption(args[i], "/k") && i + 1 < count) {
            ++i;
            // Longer names are cut to the buffer; they then match no layout.
            std::snprintf(o.layoutName, sizeof o.layoutName, "%s", args[i]);
        }
        if (IsOption(args[i], "/l") && i + 1 < count) {
            ++i;
            std::snprintf(o.traceFile, sizeof o.traceFile, "%s", args[i]); // cut, as opened
        }
        if (IsOption(args[i], "/c")) {
            const char* value = i + 1 < count ? args[i + 1] : nullptr;
            o.chatterThresholdMs = value != nullptr ? ParseChatterThreshold(value) : 0;
            if (o.chatterThresholdMs == 0) {
                RefuseChatterValue(value);
                return 0;
            }
            ++i;
        }
        if (std::strstr(args[i], kPluginMarker) != nullptr) {
            std::snprintf(o.pluginMarker, sizeof o.pluginMarker, "%s", args[i]);
        }
    }
    return 1;
}

int SplitOptions(char* line, const char** args, int maxArgs) {
    int count = 0;
    char* in = line;
    char* out = line; // never ahead of in: the quotes are dropped
    while (count < maxArgs) {
        while (*in == ' ' || *in == '\t') {
            ++in;
        }
        if (*in == 0) {
            break;
        }
        args[count++] = out;
        bool quoted = false;
        for (; *in != 0 && (quoted || (*in != ' ' && *in != '\t')); ++in) {
            if (*in == '"') {
                quoted = !quoted;
            } else {
                *out++ = *in;
            }
        }
        const bool more = *in != 0;
        *out++ = 0; // may be the blank at in
        in += more ? 1 : 0;
    }
    return count;
}

namespace {

// The command line's choices over the station's, option by option: a switch is on when
// either turns it on, a value given on the command line replaces the station's.
void MergeOptions(StartOptions* station, const StartOptions& line) {
    StartOptions& o = *station;
    o.quit = o.quit || line.quit;
    o.filterSystemKeys = o.filterSystemKeys || line.filterSystemKeys;
    o.batchMode = o.batchMode || line.batchMode;
    o.pluginMode = o.pluginMode || line.pluginMode;
    o.detailedKeyLog = o.detailedKeyLog || line.detailedKeyLog;
    o.oneKeyboard = o.oneKeyboard || line.oneKeyboard;
    if (line.chatterThresholdMs != 0) {
        o.chatterThresholdMs = line.chatterThresholdMs;
    }
    if (line.layoutName[0] != 0) {
        std::memcpy(o.layoutName, line.layoutName, sizeof o.layoutName);
    }
    if (line.traceFile[0] != 0) {
        std::memcpy(o.traceFile, line.traceFile, sizeof o.traceFile);
    }
    if (line.pluginMarker[0] != 0) {
        std::memcpy(o.pluginMarker, line.pluginMarker, sizeof o.pluginMarker);
    }
}

void ApplyOptions(const StartOptions& o, char* pluginMarker) {
    if (o.quit) {
        PostQuitRequest();
    }
    appState.filterSystemKeys = o.filterSystemKeys;
    appState.batchMode = o.batchMode;
    appState.pluginMode = o.pluginMode;
    appState.detailedKeyLog = o.detailedKeyLog;
    appState.oneKeyboard = o.oneKeyboard;
    appState.chatterThresholdMs = o.chatterThresholdMs;
    std::snprintf(appState.layoutName, sizeof appState.layoutName, "%s", o.layoutName);
    if (o.traceFile[0] != 0) {
        char path[sizeof appState.traceFilePath];
        DataFilePath(o.traceFile, path, sizeof path); // a path longer than 259 is opened cut
        OpenTraceFile(path);
    }
    if (o.pluginMarker[0] != 0) {
        std::snprintf(pluginMarker, kPluginMarkerSize, "%s", o.pluginMarker);
    }
}

} // namespace

int ReadCommandLine(int argc, const char* const* argv, const StationSettings* station,
                    char* pluginMarker) {
    StartOptions options = {};
    if (station != nullptr) {
        char line[sizeof station->options];
        std::snprintf(line, sizeof line, "%s", station->options);
        const char* args[kMaxStationOptions];
        const int count = SplitOptions(line, args, kMaxStationOptions);
        if (!ParseOptions(count, args, &options)) {
            return 0;
        }
        if (station->layout[0] != 0) {
            std::snprintf(options.layoutName, sizeof options.layoutName, "%s", station->layout);
        }
    }
    StartOptions line = {};
    if (argc > 1 && !ParseOptions(argc - 1, argv + 1, &line)) {
        return 0;
    }
    MergeOptions(&options, line);
    ApplyOptions(options, pluginMarker);
    return 1;
}
