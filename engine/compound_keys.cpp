// Compound keys (a run of key-downs, each within a time of the one before) and
// modified keys (a base key held together with a modifier).
#include <cstring>

#include "engine/key_engine.h"
#include "testrun/test_log.h"

namespace {

int PreviousSlot(int slot) {
    return slot == 0 ? kHistorySize - 1 : slot - 1;
}

struct HeldKeys {
    bool modifier;
    bool base;
};

// Which of the modified key's two keys are down now. Not-testable keys are never
// BeingPressed, so they never count as held.
HeldKeys FindHeldKeys(const KeyRecord& m) {
    HeldKeys held = {false, false};
    const KeyRecord* table = engine.table;
    for (int i = 0; table[i].keyCode != kEndCode; ++i) {
        const KeyRecord& r = table[i];
        if (r.keyCode < 1 || r.status != BeingPressed) {
            continue;
        }
        if (r.keyCode == m.modifierCode) {
            held.modifier = true;
        } else if (r.keyCode == m.baseCode) {
            held.base = true;
        }
    }
    return held;
}

HeldKeys LookUpHeldKeys(const KeyRecord& m, const HeldCodes* codes) {
    if (codes->beyondRange) {
        return FindHeldKeys(m);
    }
    auto isHeld = [codes](int32_t code) {
        return code >= 1 && code < kHeldCodeRange && codes->held[code];
    };
    // As in the walk: a record with the modifier's code never counts as the base.
    HeldKeys held = {isHeld(m.modifierCode), m.baseCode != m.modifierCode && isHeld(m.baseCode)};
    return held;
}

} // namespace

void FindHeldCodes(HeldCodes* codes) {
    std::memset(codes, 0, sizeof *codes);
    const KeyRecord* table = engine.table;
    for (int i = 0; table != nullptr && table[i].keyCode != kEndCode; ++i) {
        const KeyRecord& r = table[i];
        if (r.keyCode < 1 || r.status != BeingPressed) {
            continue;
        }
        if (r.keyCode < kHeldCodeRange) {
            codes->held[r.keyCode] = true;
        } else {
            codes->beyondRange = true;
        }
    }
}

void SortCodesAscending(int32_t* codes, int n) {
    for (int pass = 0; pass < n; ++pass) {
        for (int k = 0; k + 1 < n; ++k) {
            if (codes[k] > codes[k + 1]) {
                int32_t t = codes[k];
                codes[k] = codes[k + 1];
                codes[k + 1] = t;
            }
        }
    }
}

void SortHistoryByKeyCode(KeyHistoryEntry* entries, int n) {
    const KeyRecord* table = engine.table;
    for (int pass = 0; pass < n; ++pass) {
        for (int k = 0; k + 1 < n; ++k) {
            if (table[entries[k].keyIndex].keyCode > table[entries[k + 1].keyIndex].keyCode) {
                // The times stay in place: entry k keeps the time of the k-th newest
                // key-down, so the gap test still measures consecutive key-downs.
                KeyHistoryEntry t = entries[k];
                entries[k].keyIndex = entries[k + 1].keyIndex;
                entries[k].pressKind = entries[k + 1].pressKind;
                entries[k + 1].keyIndex = t.keyIndex;
                entries[k + 1].pressKind = t.pressKind;
            }
        }
    }
}

bool MatchCompound(int index) {
    const KeyRecord* table = engine.table;
    const KeyRecord& r = table[index];
    WriteKeyTrace("Attempting to match compound key %s\n", r.label);

    int32_t codes[kMaxCompoundCodes];
    KeyHistoryEntry entries[kMaxCompoundCodes];
    int n = 0;
    bool matched = true;
    int slot = PreviousSlot(engine.historyPos);
    // The reader keeps at most ten codes; the bound only guards the buffers.
    while (n < kMaxCompoundCodes && r.compoundCodes[n] != -1) {
        codes[n] = r.compoundCodes[n];
        if (engine.history[slot].keyIndex < 0) {
            matched = false;
            break;
        }
        entries[n] = engine.history[slot];
        slot = PreviousSlot(slot);
        ++n;
    }
    if (matched && r.status == FailArmed) {
        // A failure combination counts in any order.
        SortCodesAscending(codes, n);
        SortHistoryByKeyCode(entries, n);
        WriteKeyTrace("Sorted compound characters and History\n");
    }
    for (int k = 0; matched && k < n; ++k) {
        int32_t h = table[entries[k].keyIndex].keyCode;
        int32_t gap = k == 0 ? 0 : TicksToMilliseconds(entries[k - 1].time - entries[k].time);
        WriteKeyTrace("History scancode %d. Compound key scancode %d. Time diff %d (reqd: %d) \n",
                      h, codes[k], gap, static_cast<int>(r.compoundTime));
        matched = codes[k] == h && gap <= r.compoundTime;
    }
    if (n == 0) {
        matched = false; // a compound key without codes stands for nothing
    }
    WriteKeyTrace("Compound key match status %d\n", matched ? 1 : 0);
    return matched;
}

bool MatchModifiedDown(int index, const HeldCodes* codes) {
    KeyRecord& m = engine.table[index];
    WriteKeyTrace("Attempting to match Modified key %s\n", m.label);
    HeldKeys held = LookUpHeldKeys(m, codes);
    if (!held.modifier || !held.base) {
        return false;
    }
    m.status = BeingPressed;
    return true;
}

bool MatchModifiedUp(int index) {
    const KeyRecord& m = engine.table[index];
    WriteKeyTrace("Attempting to match Modified key %s\n", m.label);
    HeldKeys held = FindHeldKeys(m);
    return !held.modifier && !held.base;
}
