// The texts of the statistics controls beside the picture.
#include "engine/statistics.h"

#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "engine/key_engine.h"
#include "engine/keyboard_under_test.h"

namespace {

constexpr int kRateSlots = 10; // the typing rate looks at the last ten key-downs

int PreviousSlot(int slot) {
    return slot == 0 ? kHistorySize - 1 : slot - 1;
}

// The fields are rewritten after every key event, so the numbers are put together by
// hand rather than through snprintf; the texts are those of "%d (0x%x)" and "%dms".
char* PutText(char* out, const char* text) {
    while (*text != 0) {
        *out++ = *text++;
    }
    *out = 0;
    return out;
}

char* PutDecimal(char* out, int32_t value) {
    char digits[12];
    int n = 0;
    int64_t v = value;
    if (v < 0) {
        *out++ = '-';
        v = -v;
    }
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0) {
        *out++ = digits[--n];
    }
    *out = 0;
    return out;
}

char* PutHex(char* out, uint32_t value) {
    char digits[8];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (n > 0) {
        *out++ = digits[--n];
    }
    *out = 0;
    return out;
}

// Out holds at least 32 characters.
void FormatCode(char* out, int32_t code) {
    switch (code) {
    case kLeftMouseCode:
        PutText(out, "LMOUSE");
        break;
    case kMiddleMouseCode:
        PutText(out, "MMOUSE");
        break;
    case kRightMouseCode:
        PutText(out, "RMOUSE");
        break;
    default:
        out = PutDecimal(out, code);
        if (code >= 0) {
            out = PutText(out, " (0x");
            out = PutHex(out, static_cast<uint32_t>(code));
            PutText(out, ")");
        }
        break;
    }
}

void FormatMilliseconds(char* out, int32_t ms) {
    PutText(PutDecimal(out, ms), "ms");
}

// The index is one of the current table's: every change of layout clears it.
void FormatKeyName(char* out, size_t size, int32_t index) {
    const char* name = index >= 0 && engine.table != nullptr ? engine.table[index].label : "N/A";
    size_t n = 0;
    for (; n + 1 < size && name[n] != 0; ++n) {
        out[n] = name[n]; // a label longer than the field is cut
    }
    out[n] = 0;
}

// Newest first, each name followed by a blank. When the names no longer fit the
// 1500-character buffer the strip ends with the last name that fits whole: the newest
// keys are the ones the operator is looking at, and a half name would mislead.
void FormatRecentKeys(char* out, size_t size) {
    out[0] = 0;
    if (engine.table == nullptr) {
        return; // no layout (yet, or any more): the history names nothing
    }
    size_t used = 0;
    int slot = PreviousSlot(engine.historyPos);
    for (int n = 0; n < kHistorySize; ++n, slot = PreviousSlot(slot)) {
        int32_t index = engine.history[slot].keyIndex;
        if (index < 0) {
            break;
        }
        const char* label = engine.table[index].label;
        size_t end = used;
        while (*label != 0 && end + 2 < size) {
            out[end++] = *label++;
        }
        if (*label != 0) {
            out[used] = 0; // this name and its blank do not fit whole
            break;
        }
        out[end++] = ' ';
        out[end] = 0;
        used = end;
    }
}

// Key-downs per second over the gaps between the last ten recorded key-downs. The
// several entries of one message with a repeat count are written microseconds apart;
// when all gaps together stay under a millisecond (or there is no gap) there is no
// typing to measure, and the rate shows 0.0 rather than a division by zero.
float TypingRate() {
    int slot = PreviousSlot(engine.historyPos);
    int64_t newer = engine.history[slot].time; // an empty ring has no older entry either
    int64_t sum = 0;
    int intervals = 0;
    for (int n = 1; n < kRateSlots; ++n) {
        slot = PreviousSlot(slot);
        if (engine.history[slot].keyIndex < 0) {
            break;
        }
        sum += newer - engine.history[slot].time;
        newer = engine.history[slot].time;
        ++intervals;
    }
    if (appState.ticksPerMillisecond <= 0) {
        return 0.0f;
    }
    const int64_t milliseconds = sum / appState.ticksPerMillisecond;
    if (milliseconds <= 0) {
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
    FormatCode(f[0], s.lastBiosCode);
    if (s.lastWindowsCode >= 0) {
        FormatCode(f[1], s.lastWindowsCode);
    } else {
        std::strcpy(f[1], f[0]); // a mouse button shows its name in both
    }
    FormatMilliseconds(f[2], s.depressTimeMs);
    FormatMilliseconds(f[3], s.lagTimeMs);
    PutText(f[4], s.lastExtended != 0 ? "E" : "");
    PutText(f[5], f[4]);
    FormatKeyName(f[6], size, s.lastDownIndex);
    FormatKeyName(f[7], size, s.lastUpIndex);
    FormatRecentKeys(texts->recentKeys, sizeof texts->recentKeys);
    f[8][0] = 0; // the strip lives in recentKeys
    std::snprintf(f[9], size, "%0.1f", static_cast<double>(TypingRate()));
    const ChatterStats& c = engine.chatter;
    if (c.lastIndex >= 0 && engine.table != nullptr) {
        std::snprintf(texts->chatterKey, sizeof texts->chatterKey, "%.259s, %d ms",
                      engine.table[c.lastIndex].label, c.lastGapMs);
    } else {
        PutText(texts->chatterKey, "None");
    }
    PutDecimal(texts->chatterCount, c.keys);
    if (appState.oneKeyboard) {
        const KeyboardUnderTest& k = keyboardUnderTest;
        PutText(texts->keyboardUnderTest,
                k.chosen ? k.identity : "none yet (the next key pressed chooses it)");
        char* end = PutDecimal(PutText(texts->otherKeys, "Other keyboards: "), k.otherKeys);
        PutText(end, k.otherKeys == 1 ? " key not counted" : " keys not counted");
    }
}

const char* StatisticsText(const StatisticsTexts* texts, int i) {
    return i == 8 ? texts->recentKeys : texts->fields[i];
}
