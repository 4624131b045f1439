#include "testrun/plugin_link.h"

#include <algorithm>
#include <cstdio>

PluginLink pluginLink;

int ConnectToHost(const char* name) {
    std::snprintf(pluginLink.name, sizeof pluginLink.name, "%s", name);
    // Only the first two characters are compared with the marker's.
    if (pluginLink.name[0] != kPluginMarker[0] && pluginLink.name[1] != kPluginMarker[1]) {
        return 1;
    }
    int failure = 0;
    void* view = OpenHostMapping(pluginLink.name, &pluginLink.mapping, &failure);
    if (view == nullptr) {
        return failure;
    }
    volatile PluginSharedRecord* r = static_cast<volatile PluginSharedRecord*>(view);
    pluginLink.record = r;
    r->attachCode = 2;
    r->reserved32 = 0;
    r->messageCount = 0;
    r->messageKind = 0;
    r->operationsCount = 0;
    r->stateCode = -1;
    r->value2 = -1;
    r->value3 = -1;
    r->flag264 = 0;
    r->flag349 = 0;
    r->flag305 = 0;
    r->flag350 = 0;
    r->messagePending = 0;
    r->flag348 = 0;
    r->flag351 = 0;
    StoreHostText(r->programName, "Clavoro", 20);
    StoreHostText(r->statusText, "Starting", 20);
    StoreHostText(r->messageText, "", 100);
    StoreHostText(r->operationsLabel, "Operations:", 20);
    StoreHostText(r->label2, "", 20);
    StoreHostText(r->label3, "", 20);
    r->attachedFlag = 1; // last: the host may read the record from now on
    return 0;
}

void StoreHostText(volatile char* field, const char* text, int width) {
    const int n = std::min(width, 99);
    if (n <= 0) {
        return;
    }
    char built[99];
    bool ended = false;
    for (int i = 0; i < n; ++i) {
        unsigned char c = ended ? 0 : static_cast<unsigned char>(text[i]);
        if (c == 0) {
            ended = true;
            built[i] = 0;
        } else if (c < 32 || c >= 128 || c == '%' || c == '\\') {
            built[i] = ' ';
        } else {
            built[i] = static_cast<char>(c);
        }
    }
    built[n - 1] = 0;
    // Copy up to and including the terminator; bytes after it stay as they were.
    for (int i = 0; i < n; ++i) {
        field[i] = built[i];
        if (built[i] == 0) {
            break;
        }
    }
}

void WaitForHost(int milliseconds) {
    if (pluginLink.record == nullptr || milliseconds <= 0) {
        return;
    }
    do {
        SleepMilliseconds(100);
        milliseconds -= 100;
    } while (pluginLink.record->runWord != 0 && milliseconds > 0);
}

void PostHostMessage(const char* text, uint32_t kind) {
    volatile PluginSharedRecord* r = pluginLink.record;
    if (r == nullptr) {
        return;
    }
    r->messageCount = r->messageCount + 1;
    r->messageKind = kind;
    StoreHostText(r->messageText, text, 100);
    r->messagePending = 1; // after the text
    WaitForHost(2000);
}

void SetStateCode(int32_t code) {
    if (pluginLink.record == nullptr) {
        return;
    }
    pluginLink.record->stateCode = code;
    WaitForHost(1000);
    if (code == 9) {
        WaitForHost(2000);
    }
}

void AddOperations(int64_t n) {
    if (pluginLink.record == nullptr) {
        return;
    }
    pluginLink.record->operationsCount = pluginLink.record->operationsCount + n;
}

bool IsRunRequested() {
    return pluginLink.record != nullptr && pluginLink.record->runWord == 1;
}
