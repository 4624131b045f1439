// Time per key event: a 104-key layout with 10 compound and 10 modified keys, fed a
// fixed stream of key-down/key-up pairs (letters and words, some with Shift, Ctrl or
// Alt held) as a technician types them. Also runnable under callgrind with
// --events=N, which sends N events outside the benchmark loop.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "base/app_state.h"
#include "engine/key_engine.h"

extern int64_t benchCounter;

namespace {

constexpr int kShift = 16, kCtrl = 17, kAlt = 18;

struct Event {
    bool down;
    int32_t code;
    intptr_t lParam;
};

std::vector<KeyRecord> table;
std::vector<std::vector<int32_t>> compoundCodes;
std::vector<Event> stream;
std::vector<int32_t> scanOf(256, 0);

char* Label(const char* text) {
    return const_cast<char*>(text);
}

void AddKey(int32_t code, int32_t scan, const char* label) {
    KeyRecord r = {};
    r.keyCode = code;
    r.scanCode = scan;
    r.label = Label(label);
    r.baseCode = r.modifierCode = -1;
    r.compoundTime = -1;
    table.push_back(r);
    scanOf[code & 0xFF] = scan;
}

void BuildLayout() {
    static char names[104][8];
    // Letters, digits, function keys and the rest up to 104 keys, each a distinct code.
    std::vector<int32_t> codes;
    for (int c = 'A'; c <= 'Z'; ++c) {
        codes.push_back(c);
    }
    for (int c = '0'; c <= '9'; ++c) {
        codes.push_back(c);
    }
    for (int c = 112; c <= 123; ++c) { // F1..F12
        codes.push_back(c);
    }
    for (int c : {kShift, kCtrl, kAlt, 8,   9,   13,  20,  27,  32,  33,  34,  35,  36,  37,  38,
                  39,     40,    44,   45,  46,  91,  92,  93,  144, 145, 19,  186, 187, 188, 189,
                  190,    191,   192,  219, 220, 221, 222, 160, 161, 162, 163, 164, 165}) {
        codes.push_back(c);
    }
    for (int c = 96; codes.size() < 104; ++c) { // numeric keypad
        codes.push_back(c);
    }
    for (size_t i = 0; i < 104; ++i) {
        std::snprintf(names[i], sizeof names[i], "K%d", codes[i]);
        AddKey(codes[i], static_cast<int32_t>(i + 1), names[i]);
    }
    // Compound keys: five sequences to test, five failure combinations to watch for.
    const int32_t runs[10][3] = {
        {'Q', 'W', 'E'}, {'A', 'S', -1}, {'Z', 'X', 'C'}, {kCtrl, 'K', -1}, {'1', '2', '3'},
        {'J', 'K', 'L'}, {'F', 'G', -1}, {'V', 'B', 'N'}, {'7', '8', -1},   {'U', 'I', 'O'}};
    for (int n = 0; n < 10; ++n) {
        std::vector<int32_t> stored;
        for (int k = 2; k >= 0; --k) {
            if (runs[n][k] != -1) {
                stored.push_back(runs[n][k]);
            }
        }
        stored.push_back(-1);
        compoundCodes.push_back(stored);
        KeyRecord r = {};
        r.keyCode = r.scanCode = kCompoundCode;
        r.label = Label("COMBO");
        r.status = n < 5 ? Untested : FailArmed;
        r.baseCode = r.modifierCode = -1;
        r.compoundTime = 40;
        table.push_back(r);
    }
    const int32_t modified[10][2] = {{'A', kAlt},  {'C', kCtrl},  {'V', kCtrl},  {'X', kCtrl},
                                     {'Z', kCtrl}, {'S', kShift}, {'1', kShift}, {'T', kAlt},
                                     {115, kAlt},  {'P', kCtrl}};
    for (const auto& m : modified) {
        KeyRecord r = {};
        r.keyCode = r.scanCode = kModifiedCode;
        r.label = Label("MOD");
        r.baseCode = m[0];
        r.modifierCode = m[1];
        r.compoundTime = -1;
        table.push_back(r);
    }
    KeyRecord end = {};
    end.keyCode = end.scanCode = kEndCode;
    end.label = Label("");
    end.compoundTime = -1;
    table.push_back(end);
    size_t next = 0;
    for (KeyRecord& r : table) {
        if (r.keyCode == kCompoundCode) {
            r.compoundCodes = compoundCodes[next++].data();
        }
    }
}

intptr_t Param(int32_t code, bool up) {
    intptr_t p = 1 | (static_cast<intptr_t>(scanOf[code & 0xFF]) << 16);
    return up ? p | (intptr_t(3) << 30) : p;
}

void Tap(int32_t code) {
    stream.push_back({true, code, Param(code, false)});
    stream.push_back({false, code, Param(code, true)});
}

void BuildStream() {
    const char* text = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890 ";
    unsigned seed = 12345;
    for (int round = 0; round < 40; ++round) {
        for (const char* p = text; *p != 0; ++p) {
            Tap(*p == ' ' ? 32 : *p);
        }
        // A modifier chord and a few keys from all over the board.
        seed = seed * 1103515245u + 12345u;
        int32_t modifier = (seed >> 16) % 2 == 0 ? kShift : kCtrl;
        stream.push_back({true, modifier, Param(modifier, false)});
        Tap('S');
        Tap('C');
        stream.push_back({false, modifier, Param(modifier, true)});
        for (int n = 0; n < 8; ++n) {
            seed = seed * 1103515245u + 12345u;
            Tap(table[(seed >> 16) % 104].keyCode);
        }
    }
}

void Setup() {
    ResetAppState();
    appState.ticksPerMillisecond = 10000; // a 10 MHz counter
    ResetEngine();
    BuildLayout();
    BuildStream();
    engine.table = table.data();
    ClearAll();
}

// Sends events [from, from + count) of the stream (cyclic); 60 ms between events.
__attribute__((noinline)) size_t SendEvents(size_t from, size_t count) {
    for (size_t n = 0; n < count; ++n) {
        const Event& e = stream[from];
        benchCounter += 600000;
        if (e.down) {
            OnKeyDown(nullptr, e.code, e.lParam);
        } else {
            OnKeyUp(nullptr, e.code, e.lParam);
        }
        if (++from == stream.size()) {
            from = 0;
            ClearAll(); // as the Clear button between two keyboards
        }
    }
    return from;
}

void BM_KeyEvent(benchmark::State& state) {
    size_t at = 0;
    for (auto _ : state) {
        at = SendEvents(at, 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeyEvent);

} // namespace

int main(int argc, char** argv) {
    Setup();
    std::printf("layout: %zu records, stream: %zu events\n", table.size() - 1, stream.size());
    if (argc == 2 && std::strncmp(argv[1], "--events=", 9) == 0) {
        size_t count = std::strtoul(argv[1] + 9, nullptr, 10);
        SendEvents(0, count);
        std::printf("sent %zu events\n", count);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
