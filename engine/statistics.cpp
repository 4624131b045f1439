// The texts of the statistics controls beside the picture.
#include "engine/statistics.h"

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "engine/key_engine.h"

namespace {

constexpr int kRateSlots = 10; // the typing rate looks at the last ten key-downs

int PreviousSlot(int slot) {
    return slot == 0 ? kHistorySize - 1 : slot - 1;
}

void FormatCode(char* out, size_t size, int32_t code) {
    switch (code) {
    case kLeftMouseCode:
        std::snprintf(out, size, "LMOUSE");
        break;
    case kMiddleMouseCode:
        std::snprintf(out, size, "MMOUSE");
        break;
    case kRightMouseCode:
        std::snprintf(out, size, "RMOUSE");
        break;
    default:
        std::snprintf(out, size, code >= 0 ? "%d (0x%x)" : "%d", code, static_cast<unsigned>(code));
        break;
    }
}

bool IsKeyIndex(int32_t index) {
    if (index < 0 || engine.table == nullptr) {
        return false;
    }
    for (int i = 0; i <= index; ++i) {
        if (engine.table[i].keyCode == kEndCode) {
            return false;
        }
    }
    return true;
}

void FormatKeyName(char* out, size_t size, int32_t index) {
    std::snprintf(out, size, "%s", IsKeyIndex(index) ? engine.table[index].label : "N/A");
}

// Newest first, each name followed by a blank. When the names no longer fit the
// 1500-character buffer the strip ends with the last name that fits whole: the newest
// keys are the ones the operator is looking at, and a half name would mislead.
void FormatRecentKeys(char* out, size_t size) {
    out[0] = 0;
    size_t used = 0;
    int slot = PreviousSlot(engine.historyPos);
    for (int n = 0; n < kHistorySize; ++n, slot = PreviousSlot(slot)) {
        int32_t index = engine.history[slot].keyIndex;
        if (index < 0) {
            break;
        }
        const char* label = engine.table[index].label;
        size_t length = std::strlen(label);
        if (used + length + 1 >= size) {
            break;
        }
        std::memcpy(out + used, label, length);
        out[used + length] = ' ';
        used += length + 1;
        out[used] = 0;
    }
}

// Key-downs per second over the gaps between the last ten recorded key-downs. The
// several entries of one message with a repeat count are written microseconds apart;
// when all gaps together stay under a millisecond there is no typing to measure, and
// the rate shows 0.0 rather than a division by zero.
float TypingRate() {
    int slot = PreviousSlot(engine.historyPos);
    if (engine.history[slot].keyIndex < 0) {
        return 0.0f;
    }
    int64_t sum = 0;
    int intervals = 0;
    int64_t newer = engine.history[slot].time;
    for (int n = 1; n < kRateSlots; ++n) {
        slot = PreviousSlot(slot);
        if (engine.history[slot].keyIndex < 0) {
            break;
        }
        sum += newer - engine.history[slot].time;
        newer = engine.history[slot].time;
        ++intervals;
    }
    if (sum <= 0 || intervals == 0 || appState.ticksPerMillisecond <= 0) {
        return 0.0f;
    }
    int64_t milliseconds = sum / appState.ticksPerMillisecond;
    if (milliseconds == 0) {
        return 0.0f;
    }
    double seconds = static_cast<float>(milliseconds) / 1000.0;
    return static_cast<float>(intervals / seconds);
}

} // namespace

void FormatStatistics(StatisticsTexts* texts) {
    const KeyStats& s = engine.stats;
    const size_t size = sizeof texts->fields[0];
    char(*f)[sizeof texts->fields[0]] = texts->fields;
    FormatCode(f[0], size, s.lastBiosCode);
    if (s.lastWindowsCode >= 0) {
        FormatCode(f[1], size, s.lastWindowsCode);
    } else {
        std::memcpy(f[1], f[0], size); // a mouse button shows its name in both
    }
    std::snprintf(f[2], size, "%dms", s.depressTimeMs);
    std::snprintf(f[3], size, "%dms", s.lagTimeMs);
    std::snprintf(f[4], size, "%s", s.lastExtended != 0 ? "E" : "");
    std::memcpy(f[5], f[4], size);
    FormatKeyName(f[6], size, s.lastDownIndex);
    FormatKeyName(f[7], size, s.lastUpIndex);
    FormatRecentKeys(texts->recentKeys, sizeof texts->recentKeys);
    f[8][0] = 0; // the strip lives in recentKeys
    std::snprintf(f[9], size, "%0.1f", static_cast<double>(TypingRate()));
}

const char* StatisticsText(const StatisticsTexts* texts, int i) {
    if (i == 8) {
        return texts->recentKeys;
    }
    if (i < 0 || i >= kStatisticsFieldCount) {
        return "";
    }
    return texts->fields[i];
}
