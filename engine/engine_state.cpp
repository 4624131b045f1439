#include <cstring>

#include "base/app_state.h"
#include "engine/engine_seams.h"
#include "engine/key_engine.h"

static EngineState InitialEngine() {
    EngineState e;
    std::memset(&e, 0, sizeof e);
    std::memset(e.history, 0xFF, sizeof e.history); // every slot empty: keyIndex -1
    e.stats.lastDownIndex = -1;
    e.stats.lastUpIndex = -1;
    e.chatter.lastIndex = -1;
    e.matchMode = MatchWindows;
    return e;
}

EngineState engine = InitialEngine();

void ResetEngine() {
    engine = InitialEngine();
}

int32_t TicksToMilliseconds(int64_t ticks) {
    // The frequency is read once at start-up and is never below 1 kHz on a real
    // machine; a zero here would only mean start-up has not run, so time stands still.
    if (appState.ticksPerMillisecond <= 0) {
        return 0;
    }
    return static_cast<int32_t>(ticks / appState.ticksPerMillisecond);
}

void PushHistory(int keyIndex, int pressKind) {
    KeyHistoryEntry& slot = engine.history[engine.historyPos];
    slot.keyIndex = keyIndex;
    slot.pressKind = pressKind;
    slot.time = ReadCounter();
    engine.historyPos = engine.historyPos + 1 == kHistorySize ? 0 : engine.historyPos + 1;
}
