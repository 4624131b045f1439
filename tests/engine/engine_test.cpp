// The key engine driven by key scripts. A script is strokes separated by blanks: a letter
// or a key code, "^" before it for the release, "~" for a lock key sent by the LED test
// (scan code 255), "*n" after it for a repeat count and "@ms" last to set the counter
// first. Keys send the scan code and extended flag of their record; the counter runs in
// microseconds.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/app_state.h"
#include "base/trace.h"
#include "engine/event_clock.h"
#include "engine/key_engine.h"
#include "engine/keyboard_identity.h"
#include "engine/keyboard_under_test.h"
#include "engine/led_test.h"
#include "engine/statistics.h"
#include "layout/layout_file.h"
#include "testrun/plugin_link.h"
#include "testrun/test_log.h"
#include "tests/fakes/fake_append_file.h"
#include "tests/fakes/fake_engine_seams.h"
#include "tests/temp_path.h"

namespace {

WindowHandle const kWindow = reinterpret_cast<WindowHandle>(0x10);
// Codes of compound keys, newest first.
int32_t kXY[] = {'Y', 'X', -1}, kXYZ[] = {'Z', 'Y', 'X', -1}, kX[] = {'X', -1}, kNone[] = {-1};

// A key record; a time and codes make a compound key, base and modifier a modified key.
KeyRecord K(int32_t code, int32_t scan, const char* label, uint32_t ext = 0,
            int32_t status = Untested, int64_t time = -1, int32_t* codes = nullptr,
            int32_t base = -1, int32_t modifier = -1) {
    KeyRecord r = {};
    r.keyCode = code, r.scanCode = scan, r.label = const_cast<char*>(label), r.extended = ext;
    r.status = status, r.compoundTime = time, r.compoundCodes = codes, r.baseCode = base;
    r.modifierCode = modifier;
    return r;
}
constexpr int32_t C = kCompoundCode, M = kModifiedCode;
// Keys of every kind for the tables below: D1 and D2 are identical and take turns, D3
// sends another extended flag; 256 lies beyond the virtual-key range, so the modified
// keys walk the table for it.
const std::vector<KeyRecord> kStandard = {K('A', 30, "A"),
                                          K('B', 48, "B"),
                                          K(163, 29, "RCtrl", 1),
                                          K(18, 56, "Alt"),
                                          K(-5, -5, "Left", 1),
                                          K('X', 45, "X"),
                                          K('Y', 21, "Y"),
                                          K('Z', 44, "Z"),
                                          K(256, 90, "Wide"),
                                          K('N', 49, "N", 0, NotTestable),
                                          K('F', 33, "F", 0, NotTestableFail),
                                          K('D', 32, "D1"),
                                          K('D', 32, "D2"),
                                          K('D', 32, "D3", 1),
                                          K('W', 30, "A-rather-long-label"),
                                          K(C, C, "XY", 0, Untested, 50, kXY),
                                          K(C, C, "XYZ", 0, Untested, 50, kXYZ),
                                          K(M, M, "Alt+A", 0, Untested, -1, nullptr, 'A', 18),
                                          K(M, M, "Wide+A", 0, Untested, -1, nullptr, 'A', 256),
                                          K(M, M, "N+A", 0, Untested, -1, nullptr, 'A', 'N'),
                                          K(M, M, "A+A", 0, Untested, -1, nullptr, 'A', 'A'),
                                          K(C, C, "None", 0, Untested, 50, kNone),
                                          K(20, 58, "Caps"),
                                          K(0, 5, "Zero")};

class Engine : public ::testing::Test {
  protected:
    std::vector<KeyRecord> keys;
    std::string logPath = TempPath("engine.log");

    void SetUp() override {
        ResetAppState();
        appState.ticksPerMillisecond = 1000;
        appState.mainWindow = kWindow;
        ResetEngine();
        ResetAltShortcuts();
        fake = FakeSeams();
        keyboardUnderTest = KeyboardUnderTest{};
        testRunInfo.keystrokes = 0;
        pluginLink.record = nullptr;
        std::memset(savedKeyboardState, 0, sizeof savedKeyboardState);
    }
    void TearDown() override {
        CloseTestLog();
        CloseTrace();
        std::remove(logPath.c_str());
        std::remove((logPath + ".l").c_str());
    }
    // Makes the table current, cleared as selecting a layout does.
    void Use(const std::vector<KeyRecord>& table) {
        keys = table;
        keys.push_back(K(kEndCode, kEndCode, ""));
        ResetEngine();
        engine.table = keys.data();
        ClearAll();
        fake.calls.clear();
    }

    // Plays the script; returns the status of the watched key after each stroke, one
    // hexadecimal digit each. A key whose status changes is drawn at once, unless a
    // verdict cleared and repainted the whole picture.
    std::string Play(const std::string& script, const char* watch = nullptr) {
        std::istringstream in(script);
        std::string t, trail;
        while (in >> t) {
            size_t at = t.find('@'), times = t.find('*');
            if (at != t.npos) {
                fake.counter = static_cast<int64_t>(std::stod(t.substr(at + 1)) * 1000);
            }
            bool up = t[0] == '^', lock = t[up] == '~';
            std::string name = t.substr(up + lock, std::min(at, times) - up - lock);
            int32_t code = name[0] >= 'A' && name[0] <= 'Z' ? name[0] : std::stoi(name);
            int i = 0;
            while (engine.table[i].keyCode != kEndCode && engine.table[i].keyCode != code) {
                ++i;
            }
            const KeyRecord& r = engine.table[i];
            bool known = r.keyCode != kEndCode, ext = lock || (known && r.extended != 0);
            int scan = lock ? 255 : known ? r.scanCode & 0xFF : 0;
            intptr_t lParam = (times == t.npos ? 1 : std::stoi(t.substr(times + 1))) |
                              (static_cast<intptr_t>(scan) << 16) | (ext ? 0x1000000 : 0);
            std::vector<int32_t> before;
            for (int k = 0; engine.table[k].keyCode != kEndCode; ++k) {
                before.push_back(engine.table[k].status);
            }
            size_t mark = fake.calls.size();
            up ? OnKeyUp(kWindow, code, lParam) : OnKeyDown(kWindow, code, lParam);
            std::string made = fake.calls.substr(mark) + " ";
            for (size_t k = 0; k < before.size(); ++k) {
                if (before[k] != Status(k) && made.find("Repaint") == made.npos) {
                    EXPECT_NE(made.npos, made.find("Draw " + std::to_string(k) + " ")) << t;
                }
            }
            trail += watch == nullptr ? "" : std::string(1, "0123456789ab"[Status(Index(watch))]);
        }
        return trail;
    }
    static int Index(const std::string& label) {
        int k = 0;
        while (engine.table[k].keyCode != kEndCode && engine.table[k].label != label) {
            ++k;
        }
        return k;
    }
    static int32_t Status(size_t i) { return engine.table[i].status; }
    // The statistics texts from first to last joined by "|".
    static std::string Fields(int first = 0, int last = kStatisticsFieldCount - 1) {
        StatisticsTexts t;
        FormatStatistics(&t);
        std::string out = StatisticsText(&t, first);
        for (int i = first + 1; i <= last; ++i) {
            out = out + "|" + StatisticsText(&t, i);
        }
        return out;
    }
    std::string Log(const std::string& ending = "") {
        CloseTestLog();
        return FileText(logPath + ending);
    }

    // /d: records "<device>:<key>" (">" first: waiting in the queue) and key messages "<key>"
    // through the rule, the tested messages on to the engine; "@ms" stamps what follows, "|"
    // is a Clear. A key: "^" for a release, the scan code (also the key code; Caps Lock's is 58,
    // or 255 when the LED test sends it), "+" for E0, "!vk" for E1, "r" for an auto-repeat.
    // Devices: a, b, r (a's name: a plugged in again), g (no name), c (of a's container, which b is
    // in none), p (none: a program's). Gives T
    // or - per message (tested or not), the device chosen and the keys not counted.
    std::string Feed(const std::string& script) {
        fake.deviceNames = {
            {1, "a VID_000A&PID_0001"}, {2, "b"}, {3, "a VID_000A&PID_0001"}, {5, "c"}};
        fake.containers = {{"a VID_000A&PID_0001", "{1}"}, {"c", "{1}"}};
        std::istringstream in(script);
        std::string t, trail;
        uint32_t time = 0;
        while (in >> t) {
            const size_t colon = t.find(':'), e1 = t.find('!');
            const std::string key = t.substr(colon + 1); // the whole token without a colon
            const bool up = key[0] == '^', e0 = key.find('+') != key.npos;
            if (t == "|" || t[0] == '@') {
                t == "|" ? ClearAll() : void(time = std::stoul(t.substr(1)));
                continue;
            }
            const int scan = std::stoi(key.substr(up)),
                      code = scan == 255 || scan == 58 ? 20 : scan;
            const intptr_t lParam = 1 | (intptr_t(scan) << 16) | (e0 ? 0x1000000 : 0) |
                                    (t.back() == 'r' ? 0x40000000 : 0);
            if (colon != t.npos) {
                const int flags =
                    (up ? kRawKeyBreak : 0) | (e0 ? kRawKeyE0 : 0) | (e1 != t.npos ? kRawKeyE1 : 0);
                const RawKeyRecord r = {
                    std::string("pabrgc").find(t[colon - 1]), uint16_t(scan), uint16_t(flags),
                    uint16_t(flags & kRawKeyE1 ? std::stoi(t.substr(e1 + 1)) : 0), time};
                t[0] == '>' ? fake.queued.push_back(r) : NoteRawKeyRecord(r);
                continue;
            }
            const bool tested = TakesKeyMessage(kWindow, !up, code, lParam, time);
            trail += tested ? "T" : "-";
            if (tested) {
                up ? OnKeyUp(kWindow, code, lParam) : OnKeyDown(kWindow, code, lParam);
            }
        }
        const KeyboardUnderTest& k = keyboardUnderTest;
        return trail + " " + (k.chosen ? k.name[0] : '-') + " " + std::to_string(k.otherKeys);
    }
    // /d as Windows sends keys, in hexadecimal: a raw record "r" (keyboard a) or "b" (keyboard
    // b), "^" for a release, "e0"/"e1" for its prefix, the make code, ":" its virtual key; a key
    // message "m", "^", the virtual key, ":" the scan code, "x" when extended. Gives T or - per
    // message, the keyboard chosen, the keys counted as another's and the records left waiting.
    std::string Sequence(const std::string& script) {
        keyboardUnderTest = KeyboardUnderTest{};
        fake.deviceNames = {{1, "a"}, {2, "b"}};
        std::istringstream in(script);
        std::string t, trail;
        while (in >> t) {
            const bool up = t[1] == '^';
            const char* at = t.c_str() + 1 + up;
            const int prefix = *at != 'e' ? 0 : at[1] == '0' ? kRawKeyE0 : kRawKeyE1;
            unsigned first = 0, second = 0;
            std::sscanf(at + (prefix != 0 ? 2 : 0), "%x:%x", &first, &second);
            const intptr_t lParam = 1 | second << 16 | (t.back() == 'x') << 24;
            t[0] == 'm' ? void(trail += TakesKeyMessage(kWindow, !up, first, lParam, 0) ? "T" : "-")
                        : NoteRawKeyRecord({t[0] == 'b' ? 2u : 1u, uint16_t(first),
                                            uint16_t(prefix | up), uint16_t(second), 0});
        }
        return trail + " " + (keyboardUnderTest.chosen ? keyboardUnderTest.name[0] : '-') + " " +
               std::to_string(keyboardUnderTest.otherKeys) + " " +
               std::to_string(keyboardUnderTest.pendingCount);
    }
};

// The watched key's status after each stroke; "f" after it when the test failed.
TEST_F(Engine, StatusesOfKeysCompoundKeysAndModifiedKeys) {
    // Watched key, its status after the Clear, mode, required keystrokes, strokes.
    const std::tuple<const char*, int32_t, std::string, uint32_t, const char*, const char*>
        cases[] = {
            {"A", Untested, "", 0, "^A A A ^A ^A", "01122"}, // releases without a press: dropped
            // Presses are counted in batch mode with a count required, auto-repeats
            // included, on from a tested key, one per message whatever its repeat count.
            {"A", Untested, "", 2, "A ^A", "12"},
            {"A", Untested, "batch", 0, "A A ^A", "112"},
            {"A", Untested, "batch", 3, "A A*3 A*0 ^A", "1112"},
            {"A", Untested, "batch", 3, "A ^A A ^A A ^A A ^A", "1a1a121b"},
            {"A", OverPressed, "", 0, "^A A ^A", "b12"},
            {"F", NotTestableFail, "", 0, "^F F ^F", "912"},
            {"Caps", Untested, "", 0, "~20 20 ^~20 ^20", "0112"}, // only the LED test's are dropped
            {"N", NotTestable, "batch", 1, "N N ^N N ^N", "77878"},
            {"Left", Untested, "", 0, "-5 ^-5", "12"},
            {"D1", Untested, "", 0, "D ^D D ^D D ^D", "122212"},
            {"D3", Untested, "", 0, "D ^D", "00"},
            {"A", Untested, "bios", 0, "W ^W", "12"}, // the first of two with its scan code
            {"RCtrl", Untested, "bios", 0, "163 ^163", "12"},
            {"Left", Untested, "bios", 0, "-5 ^-5", "12"},
            {"A", Untested, "bios", 0, "200 ^200", "00"}, // no key has scan code 0
            {"XY", Untested, "batch", 0, "X@0 Y@50 ^Y@60", "002"},
            {"XY", Untested, "batch", 0, "X@0 Y@51 ^Y@60", "000"},
            {"XY", Untested, "batch", 0, "Y@0 X@10 ^X@20", "000"},       // order counts
            {"XY", Untested, "batch", 0, "X@0 Y@10 Y@40 ^Y@50", "0000"}, // a repeat breaks the run
            {"None", Untested, "", 0, "X ^X", "00"}, // no codes: stands for nothing
            {"XY", FailDisarmed, "batch", 0, "X@0 Y@1 ^Y@2", "666"},
            {"XY", FailArmed, "batch", 0, "Y@0 X@50",
             "44f"}, // in any order; cleared by the verdict
            {"XY", FailArmed, "batch", 0, "Y@0 X@51 ^X@52", "444"},
            {"XYZ", FailArmed, "batch", 0, "Z@0 X@10 Y@20", "444f"},
            // Sorting the keys keeps the times in place: the gaps stay 10 and 60 ms.
            {"XYZ", FailArmed, "batch", 0, "X@0 Z@60 Y@70", "444"},
            {"Alt+A", Untested, "", 0, "18 A A ^A ^18", "01112"},
            {"Alt+A", Untested, "", 0, "A 18 ^18 ^A", "0112"},
            {"Alt+A", Untested, "", 0, "18 A ^A ^18 A 18", "011221"},
            {"Alt+A", Untested, "", 0, "18 256 ^256 ^18", "0000"},
            {"Wide+A", Untested, "", 0, "A 256 ^A ^256", "0112"},
            {"N+A", Untested, "", 0, "A N", "00"}, // a not-testable key is never held
            {"A+A", Untested, "", 0, "A", "0"},    // the modifier's key is not its base too
            {"A+A", Untested, "", 0, "256 A", "00"},
        };
    for (const auto& [watch, start, mode, required, strokes, trail] : cases) {
        Use(kStandard);
        altShortcuts.altAbout = false; // as the reader leaves it for the Alt+A key
        engine.table[Index(watch)].status = start;
        appState.batchMode = mode == "batch";
        engine.matchMode = mode == "bios" ? MatchBios : MatchWindows;
        testRunInfo.keystrokes = required;
        std::string seen = Play(strokes, watch);
        EXPECT_EQ(trail, seen + (fake.calls.find("Reason") != fake.calls.npos ? "f" : ""))
            << watch << ": " << strokes;
        EXPECT_EQ(fake.calls.npos, fake.calls.find("Verify")) << strokes;
    }
}

// What each event redraws, refreshes and posts; a plug-in run counts one operation per
// key-up that released a pressed key.
TEST_F(Engine, CallsOfEachEvent) {
    PluginSharedRecord host = {};
    pluginLink.record = &host;
    appState.pluginMode = true;
    const std::string failed = "Reason Focus Stats Repaint Focus Destroy";
    // Batch mode, strokes, the calls, the operations counted.
    const std::tuple<bool, const char*, std::string, int> cases[] = {
        {0, "A", "Draw 0 Stats", 0},
        {0, "A ^A ^A", "Draw 0 Stats Draw 0 Stats", 1},
        {0, "200 ^200", "Stats", 0}, // no record: the key-up is dropped
        {0, "~20 ^~20 ~144 ^~144 ~145 ^~145", "", 0},
        {0, "18 A", "Draw 3 Stats Post 1016", 0},
        {0, "18 B A", "Draw 3 Stats Draw 1 Stats Draw 0 Draw 17 Stats", 0},
        {0, "18 ^18 A", "Draw 3 Stats Draw 3 Stats Draw 0 Stats", 1},
        {0, "165 A A", "Stats Post 1016 Post 1016", 0},
        {0, "18 F", "Draw 3 Stats Draw 10 Stats", 0},
        {1, "18 F", "Draw 3 Stats Post 1007", 0},
        {0, "164 115", "Stats Post 1003", 0},
        {0, "18 C E H L", "Draw 3 Stats Post 1005 Post 1003 Post 1000 Post 1023", 0},
        {1, "F", failed, 0}, // a key that must not be pressed
        {1, "^F", failed, 0},
    };
    for (const auto& [batch, strokes, calls, operations] : cases) {
        Use(kStandard);
        host.operationsCount = 0;
        appState.batchMode = batch;
        Play(strokes);
        EXPECT_EQ(calls, fake.calls) << strokes;
        EXPECT_EQ(operations, host.operationsCount) << strokes;
    }
}

TEST_F(Engine, StatisticsTextsAfterKnownGaps) {
    Use(kStandard);
    const std::pair<const char*, const char*> cases[] = {
        {"", "0 (0x0)|0 (0x0)|0ms|0ms|||N/A|N/A||0.0"},
        {"A@1000", "30 (0x1e)|65 (0x41)|0ms|0ms|||A|N/A|A |0.0"}, // no lag before a second key
        {"163@100 A@600 ^A@640", "30 (0x1e)|65 (0x41)|40ms|500ms|||A|A|A RCtrl |2.0"},
        {"163@100 ^163@120 -5@700", "LMOUSE|LMOUSE|20ms|600ms|E|E|Left|RCtrl|Left RCtrl |1.7"},
        {"-4", "MMOUSE|MMOUSE|0ms|0ms|E|E|N/A|N/A||0.0"}, // buttons without a record
        {"-3", "RMOUSE|RMOUSE|0ms|0ms|E|E|N/A|N/A||0.0"},
        {"0", "5 (0x5)|0 (0x0)|0ms|0ms|||Zero|N/A|Zero |0.0"}, // key code 0 is no mouse button
        {"A@100 ^A@150 200@300", "0 (0x0)|200 (0xc8)|50ms|0ms|||A|A|A |0.0"}, // no record
        {"A@100 ^A@50",
         "30 (0x1e)|65 (0x41)|-50ms|0ms|||A|A|A |0.0"}, // a negative figure keeps its sign
        {"163 A ~20", "30 (0x1e)|65 (0x41)|0ms|0ms|E|E|A|N/A|A RCtrl |0.0"}, // E of the LED test
        // A held from 1250 to 2050: auto-repeats neither restart the press nor set the lag.
        {"B@1000 ^B@1100 A@1250 A@1700 A*3 A*0 ^A@2050",
         "30 (0x1e)|65 (0x41)|800ms|250ms|||A|A|A A A A A B |7.1"},
        {"A@0 A@1000 A@1100 A@1200 A@1300 A@1400 A@1500 A@1600 A@1700 A@1800 A@1900",
         "30 (0x1e)|65 (0x41)|0ms|0ms|||A|N/A|A A A A A A A A A A A |10.0"},   // the last ten
        {"A@0 A@0.2 A@0.4", "30 (0x1e)|65 (0x41)|0ms|0ms|||A|N/A|A A A |0.0"}, // under 1 ms
    };
    for (const auto& [strokes, fields] : cases) {
        ClearAll();
        fake.counter = 0;
        Play(strokes);
        EXPECT_EQ(fields, Fields()) << strokes;
    }
    appState.ticksPerMillisecond = 0; // no counter frequency (yet): time stands still
    ClearAll();
    Play("A@100 A@200 ^A@300");
    EXPECT_EQ("30 (0x1e)|65 (0x41)|0ms|0ms|||A|A|A A |0.0", Fields());
}

// The ring of 100 entries wraps and overwrites the oldest; names that no longer fit the
// strip's 1500 characters are left out whole.
TEST_F(Engine, StripShowsTheNewestHundredWholeNames) {
    Use(kStandard);
    auto times = [](int n, const std::string& s) {
        std::string out;
        while (n-- > 0) {
            out += s;
        }
        return out;
    };
    Play("B A*99");
    EXPECT_EQ(times(99, "A ") + "B ", Fields(8, 8));
    Play("A");
    EXPECT_EQ(times(100, "A "), Fields(8, 8));
    Play("W*80");
    EXPECT_EQ(times(74, "A-rather-long-label "), Fields(8, 8));
    ClearAll();
    Play("B");
    EXPECT_EQ("B ", Fields(8, 8)) << "a Clear empties the whole ring";
}

// The bundled Laptop15 layout: a hotkey sends Ctrl, Alt and F9 within a few milliseconds;
// Alt+Z is a modified key. No code of it lies beyond 255, so Alt+Z is matched through the
// table of held codes, where the tables above, with their key 256, take the walk.
TEST_F(Engine, BundledLaptopLayoutHotkeysAndAltZ) {
    LineList lines = {};
    KeyboardLayout* layout = nullptr;
    const char* path = CLAVORO_BUNDLED_LAYOUTS "/Laptop15.kbl";
    ASSERT_EQ(1, LoadLayoutFile(nullptr, &lines, &layout, ReadLayoutLines(&lines, path), path));
    FreeLineList(&lines);
    engine.table = layout->table;
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"17@0 18@3 120@6 ^120@60 ^18 ^17", "Mic", "000222"},
        {"17@0 18@3 121@6 ^121@60 ^18 ^17", "Mute", "000222"},
        {"17@0 18@60 120@70 ^120@80", "Mic", "0000"}, // Ctrl and Alt typed by hand
        {"18 90 ^90 ^18", "Alt+Z", "0112"},
    };
    for (const auto& [strokes, key, trail] : cases) {
        ClearAll();
        EXPECT_EQ(trail, Play(strokes, key)) << strokes << " " << key;
    }
    FreeLayout(layout);
}

// The key-matching records of /t, byte for byte: the key-down that completes a failure
// combination (sorted) and a modified key; the key-up that ends the modified key, with
// the combination, failed now, matched unsorted.
TEST_F(Engine, KeyTraceRecords) {
    const std::string header = "=============================================\r\nKey ";
    const std::string matchType = "Attempting key match of type 1\r\n";
    ASSERT_EQ(1, OpenTrace((logPath + ".l").c_str())); // /l: the codes of the key-downs
    Use({K('X', 45, "X"), K('Y', 21, "Y"), K(C, C, "XY", 0, FailArmed, 50, kXY),
         K(C, C, "Off", 0, Untested, -1, kX), // never checked
         K(M, M, "X+Y", 0, Untested, -1, nullptr, 'Y', 'X')});
    appState.detailedKeyLog = true;
    Play("X@0 ~20 -5"); // no log open yet: nothing written
    ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
    Play("Y@30");
    EXPECT_EQ(header + "Down: Windows - 89, BIOS - 21\r\n" + matchType +
                  "Key matched: Y. Current status 0\r\n"
                  "Recorded time key depressed\r\n"
                  "New status 1\r\n"
                  "Attempting to match compound key XY\r\n"
                  "Sorted compound characters and History\r\n"
                  "History scancode 88. Compound key scancode 88. Time diff 0 (reqd: 50) \r\n"
                  "History scancode 89. Compound key scancode 89. Time diff 30 (reqd: 50) \r\n"
                  "Compound key match status 1\r\n"
                  "New Compound Key status 5\r\n"
                  "Attempting to match Modified key X+Y\r\n"
                  "New Modified Key status 1\r\n"
                  "Completed Key down processing\r\n",
              Log());
    Play("^Y@40");
    ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
    Play("^X@50");
    EXPECT_EQ(header + "Up: Windows - 88, BIOS - 45\r\n" + matchType +
                  "Key matched: X. Current status 1\r\n"
                  "New status 2\r\n"
                  "Attempting to match compound key XY\r\n"
                  "History scancode 89. Compound key scancode 89. Time diff 0 (reqd: 50) \r\n"
                  "History scancode 88. Compound key scancode 88. Time diff 30 (reqd: 50) \r\n"
                  "Compound key match status 1\r\n"
                  "Attempting to match Modified key X+Y\r\n"
                  "New Modified Key status 2\r\n"
                  "Completed Key up processing\r\n",
              Log());
    EXPECT_EQ("Created debug file\r\nClear all start\r\nClear all finish\r\n88,20,89,",
              FileText(logPath + ".l"))
        << "lock keys, no mouse buttons";
}

// Exit and the last key-up ask for the verification, a failure does not.
TEST_F(Engine, VerdictDialogsInTheirOrder) {
    Use({K('A', 30, "A"), K('B', 48, "B", 0, NotTestableFail), K('N', 49, "N", 0, NotTestable)});
    appState.batchMode = appState.detailedKeyLog = true;
    ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
    PluginSharedRecord host = {};
    const std::string cleared = "Stats Repaint Focus ";
    const int flushes = fakeDrive.flushes;
    // Verification asked for, plug-in run, what Passverification and Serial answer.
    const std::tuple<bool, bool, int, int, std::string> cases[] = {
        {true, false, 1, 1, "Verify Focus " + cleared + "Serial Focus"},
        {true, false, 0, 1, "Verify Focus Reason Focus " + cleared + "Serial Focus"},
        {false, false, 1, 0, "Reason Focus " + cleared + "Serial Focus Destroy"},
        {true, true, 1, 1, "Verify Focus " + cleared + "Destroy"},
    };
    for (const auto& [verification, plugin, pass, serial, calls] : cases) {
        fake.calls.clear();
        fake.passResult = pass;
        fake.serialResult = serial;
        appState.pluginMode = plugin;
        pluginLink.record = plugin ? &host : nullptr;
        keys[0].status = TestedOk;
        EXPECT_FALSE(EndTest(kWindow, verification));
        EXPECT_EQ(calls, fake.calls);
        EXPECT_EQ(Untested, keys[0].status) << "every verdict clears the keys";
    }
    EXPECT_EQ(1, host.operationsCount);
    EXPECT_EQ(9, host.stateCode);
    EXPECT_EQ(flushes + 4, fakeDrive.flushes) << "each verdict put on the disk";
    const std::string check = "Checking whether the test has passed. User verifiaction required: ";
    EXPECT_EQ(check + "1\r\n" + check + "1\r\n" + check + "0\r\nUser Selection: FAILED\r\n" +
                  check + "1\r\n",
              Log());
    // The key-up that leaves no key untested or held; an over-pressed key counts as done.
    appState.pluginMode = appState.detailedKeyLog = false;
    testRunInfo.keystrokes = 1;
    fake.calls.clear();
    EXPECT_EQ("110", Play("A A ^A", "A")) << "cleared by the verdict";
    EXPECT_EQ("Draw 0 Stats Draw 0 Stats Draw 0 Stats Verify Focus " + cleared + "Serial Focus",
              fake.calls);
    for (int32_t status = Untested; status <= OverPressed; ++status) {
        keys[0].status = status;
        EXPECT_EQ(status > BeingPressed, IsTestComplete()) << status;
    }
    appState.batchMode = false;
    EXPECT_FALSE(IsTestComplete());
}

// Chatter (/c): a fresh press sooner than the threshold after the key's own release. The
// last chatter and the number of keys that chattered as shown, then the keys marked.
TEST_F(Engine, ChatterIsAFreshPressTooSoonAfterTheKeysOwnRelease) {
    const std::tuple<int32_t, const char*, const char*> cases[] = {
        {30, "A@0 ^A@10 A@39.999", "A, 29 ms|1|A"},
        {30, "A@0 ^A@10 A@40", "None|0|"},                 // as fast as a finger can be
        {30, "A@0 ^A@10 A@50 A@55 A*3", "None|0|"},        // auto-repeats: no release between
        {30, "A@0 ^A@10 B@12 ^B@15 A@20", "A, 10 ms|1|A"}, // each key has its own gap
        {30, "A@0 ^A@10 B@20", "None|0|"},
        {30, "^A@10 A@15", "A, 5 ms|1|A"}, // released before: held across a Clear
        {30, "-5@0 ^-5@10 -5@15", "Left, 5 ms|1|Left"},
        {30, "N@0 ^N@10 N@15", "N, 5 ms|1|N"},
        {30, "200@0 ^200@10 200@15", "None|0|"},
        {30, "D@0 ^D@10 D@15", "D2, 5 ms|1|D2"}, // twins take turns on the same codes
        {30, "A@0 ^A@10 A@15 ^A@20 A@25 B@30 ^B@40 B@70 ^B@80 B@81", "B, 1 ms|2|AB"},
        {1, "A@0 ^A@10 A@10.999", "A, 0 ms|1|A"},
        {1, "A@0 ^A@10 A@11", "None|0|"},
        {250, "A@0 ^A@10 A@259.999", "A, 249 ms|1|A"},
        {250, "A@0 ^A@10 A@260", "None|0|"},
        {0, "A@0 ^A@10 A@15", "None|0|"}, // without /c
    };
    auto shown = [this] {
        StatisticsTexts t;
        FormatStatistics(&t);
        std::string marked;
        for (size_t k = 0; k + 1 < keys.size(); ++k) {
            marked += keys[k].chattered ? keys[k].label : "";
        }
        return std::string(t.chatterKey) + "|" + t.chatterCount + "|" + marked;
    };
    for (const auto& [threshold, strokes, chatter] : cases) {
        Use(kStandard);
        appState.chatterThresholdMs = threshold;
        Play(strokes);
        EXPECT_EQ(chatter, shown()) << threshold << ": " << strokes;
    }
    ClearAll();
    EXPECT_EQ("None|0|", shown()) << "Clear takes the marks away";
    Play("A@300");
    EXPECT_EQ("None|0|", shown()) << "nor is a release before the Clear remembered";
}

// In a batch run a chatter fails the keyboard at once, with its record after the verdict's
// and "Key chatter" checked in the reason dialog; a plug-in run ends the same way. /t says
// where the rule fired (the log from the last key matched on), /l has the chatter too.
TEST_F(Engine, ChatterFailsABatchTestAtOnce) {
    PluginSharedRecord host = {};
    pluginLink.record = &host;
    appState.batchMode = true;
    ASSERT_EQ(1, OpenTrace((logPath + ".l").c_str()));
    const std::string ended = "Draw 0 Stats Draw 0 Stats Draw 0 Stats Reason chatter Focus Stats "
                              "Repaint Focus ";
    const std::string failed =
        "User Selection: FAILED\r\n    Chatter: A, 5 ms after its release\r\n";
    // Plug-in run, /t, the last calls, the log.
    const std::tuple<bool, bool, std::string, std::string> cases[] = {
        {0, 0, "Serial Focus", failed},
        {1, 0, "Destroy", failed},
        {0, 1, "Serial Focus",
         "Key matched: A. Current status 2\r\nRecorded time key depressed\r\nKey chatter: pressed "
         "5 "
         "ms after its release (threshold 30 ms)\r\nNew status 1\r\nChecking whether the test has "
         "passed. User verifiaction required: 0\r\n" +
             failed},
    };
    for (const auto& [plugin, detailed, last, log] : cases) {
        appState.pluginMode = plugin;
        appState.detailedKeyLog = detailed;
        appState.chatterThresholdMs = 30;
        ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
        Use({K('A', 30, "A"), K('B', 48, "B")}); // B untested: no verdict by itself
        Play("A@0 ^A@10 A@15");
        EXPECT_EQ(ended + last, fake.calls);
        const std::string written = Log();
        EXPECT_EQ(log, detailed ? written.substr(written.rfind("Key matched")) : written);
    }
    EXPECT_NE(std::string::npos,
              FileText(logPath + ".l").find("65,65,Chatter: A, 5 ms after its release\r\n"));
}

// Readings on one clock in the order of the rows (ms, stamps on the counter's base): a key
// released at 1000 and pressed again at 1007 while the program was held up until 3000, the
// press taken when the tick count said only 30 ms late (by the counter: a gap of 2 s).
TEST(EventClock, ABacklogIsReadByItsStamps) {
    // Counter, stamped (a sent message is not), late by the tick count, stamp, reading.
    const std::tuple<int64_t, bool, int32_t, uint32_t, int64_t> rows[] = {
        {990, true, 49, 941, 990},       // less late than the threshold: the counter
        {1040, true, 50, 990, 990},      // as late as it: its stamp
        {3000, true, 2000, 1000, 1000},  // the release, by its stamp
        {3001, true, 30, 1007, 1007},    // the press, from the release's stamp
        {3002, true, 2000, 1002, 1007},  // by its stamp, but never before the last reading
        {1500, true, 3, 1600, 1500},     // the counter, where the stamp says later
        {2500, true, 3, 2002, 2002},     // a second after the last one taken back
        {3004, true, 40, 2003, 3004},    // and beyond it
        {3005, false, 1995, 1010, 3005}, // a sent message: the counter
    };
    EventClock clock = {};
    for (const auto& [counter, stamped, late, stamp, reading] : rows) {
        EXPECT_EQ(reading, EventReading(&clock, counter, stamped, late, stamp, 1)) << counter;
    }
}

TEST_F(Engine, ClearResetsStatusesStatisticsAndTheLedTest) {
    std::vector<KeyRecord> table = {K('A', 30, "A"), K('A', 30, "twin of A"), K(M, M, "M1"),
                                    K(M, M, "M2")};
    for (int32_t status = Untested; status <= OverPressed; ++status) {
        table.push_back(K(100 + status, 0, "k", 0, status));
    }
    Use(table); // clears them
    std::string statuses;
    for (size_t k = 4; k < table.size(); ++k) {
        statuses += "0123456789ab"[Status(k)];
    }
    EXPECT_EQ("000344633900", statuses) << "what each status becomes";
    EXPECT_EQ(0, keys[2].dupState | keys[3].dupState) << "modified keys are never twins";
    EXPECT_EQ("12", Play("A@500 ^A@600", "A"));
    EXPECT_EQ(1, keys[1].dupState) << "the twin has the turn";
    ledTestRunning = true;
    savedKeyboardState[20] = 1; // Caps Lock was on when the LED test started
    fake.calls.clear();
    ClearAll();
    EXPECT_EQ(1, keys[0].dupState) << "the first of the two has the turn again";
    EXPECT_FALSE(ledTestRunning);
    EXPECT_EQ("KillTimer Toggle 20 Stats", fake.calls);
    EXPECT_EQ("0 (0x0)|0 (0x0)|0ms|0ms|||N/A|N/A||0.0", Fields());
    appState.mainWindow = nullptr;
    fake.calls.clear();
    ClearAll();
    EXPECT_EQ("", fake.calls) << "no statistics before the main window exists";
}

// /d: each key message is matched to the raw record that announced it, and only the
// keys of the device of the first key pressed are tested.
TEST_F(Engine, OnlyTheKeyboardUnderTestIsTested) {
    appState.oneKeyboard = true;
    const std::pair<const char*, const char*> cases[] = {
        {"a:30 30 a:^30 ^30", "TT a 0"},
        {"a:42 42 b:6 6 b:6 6r b:^6 ^6 a:^42 ^42", "T---T a 1"}, // held while b typed
        {"30 a:31 31 ^31", "-T- a 1"},                           // no record: a program's
        {"p:30 30 g:30 30 a:30 30", "--T a 2"}, // no device, and one without a name
        {"b:30 a:^28 ^28 30", "-T b 0"},        // a key-up whose key-down went elsewhere
        {"a:30 30 | b:31 31 a:^30 ^30", "TT- b 0"},
        {"a:30 30 a:^30 ^30 r:31 31", "TTT a 0"}, // unplugged and plugged in again
        {"a:30 30 c:6 6 b:6 6", "TT- a 1"},       // c: a function of a's physical keyboard
        {"c:6 6 a:30 30", "TT c 0"},
        {"a:30 b:6 30 6 a:^30 b:^6 ^30 ^6", "T-T- a 1"},
        // The filter's posted key overtakes its record, and the messages of keys before it.
        {">a:91+ 91+ a:30 a:^91+ ^91+ 30", "TTT a 0"},
        {"a:30 30+ a:^30 ^30", "-- - 1"},                  // E0 tells the keys apart
        {"255+ a:255+ 255+ b:30 30 a:58 58", "TTT- b 1"},  // the LED test's keys choose nothing
        {"@0 b:30 @1000 a:30 30 @2001 b:30 30", "TT b 0"}, // a record without its key
    };
    for (const auto& [script, result] : cases) {
        EXPECT_EQ(result, Feed(script)) << script;
        keyboardUnderTest = KeyboardUnderTest{};
    }
    for (int i = 0; i <= kPendingRecords; ++i) {
        Feed("b:" + std::to_string(i + 1));
    }
    EXPECT_EQ("-T b 1", Feed("1 2")) << "the oldest of too many records is dropped";
    keyboardUnderTest = KeyboardUnderTest{};
    StatisticsTexts t;
    Feed("p:1 1 p:2 2");
    FormatStatistics(&t);
    EXPECT_EQ("none yet (the next key pressed chooses it) Other keyboards: 2 keys not counted",
              std::string(t.keyboardUnderTest) + " " + t.otherKeys);
    appState.oneKeyboard = false;
    EXPECT_EQ('T', Feed("p:1 1")[0]) << "without /d every key is tested";
}

// Keys as Windows 10 and 11 send them, raw records before key messages: keyboard a's are tested;
// records that announce no message (fake shifts, Pause's second one, an overrun) are not kept,
// so no later key (keyboard b's) takes them. Sources, Microsoft's pages: [S] "Keyboard Input
// overview", its scan-code table; [F] the same page, "Keystroke Message Flags" (the extended keys:
// right Alt and Ctrl, INS, DEL, HOME, END, PAGE UP, PAGE DOWN, the arrows, NUM LOCK, BREAK, PRINT
// SCRN, the keypad's / and ENTER); [R] "RAWKEYBOARD structure" (VKey 255: no virtual key, make
// code 255: KEYBOARD_OVERRUN_MAKE_CODE); [L] KLLF_ALTGR of keyboard layouts (AltGr as Ctrl+Alt).
TEST_F(Engine, KeysMatchedToTheirRecordsAsWindowsSendsThem) {
    appState.oneKeyboard = true;
    const std::pair<const char*, const char*> cases[] = {
        {"r45:90 m90:45x r^45:90 m^90:45x b45:90 m90:45x", "TT- a 1 0"}, // Num Lock [S][F]
        {"re045:90 m90:45x r^e045:90 m^90:45x", "TT a 0 0"},             // Num Lock under Wine
        {"re11D:13 r45:90 m13:45 r^e11D:13 r^45:90 m^13:45 b45:90 m90:45x",
         "TT- a 1 0"}, // Pause [S]
        {"r1D:11 m11:1D re046:3 m3:46x r^e046:3 m^3:46x r^1D:11 m^11:1D",
         "TTTT a 0 0"}, // Break [S][F]
        {"re02A:FF re037:2C m2C:37x r^e037:2C r^e02A:FF m^2C:37x",
         "TT a 0 0"}, // Print Scr [S][F][R]
        {"r38:12 m12:38 r54:2C m2C:54 r^54:2C m^2C:54 r^38:12 m^12:38", "TTTT a 0 0"}, // SysRq [S]
        {"re02A:FF re052:2D m2D:52x r^e052:2D r^e02A:FF m^2D:52x",
         "TT a 0 0"}, // Insert, Num Lock on [F][R]
        {"r36:10 m10:36 r^e036:FF re048:26 m26:48x r^e048:26 re036:FF m^26:48x r^36:10 m^10:36",
         "TTTT a 0 0"}, // Up with right Shift held [F][R]
        {"re038:12 m11:1D m12:38x r^e038:12 m^11:1D m^12:38x", "-T-T a 0 0"}, // AltGr [L][F]
        {"re02A:FF re037:2C re038:12 m11:1D m12:38x", "-T a 0 1"}, // Print Scr's down kept, AltGr
        {"m11:1D", "- - 1 0"}, // a Left Ctrl of no record and no AltGr: a program's
        {"r1D:11 m11:1D re038:12 m12:38x r^e038:12 m^12:38x r^1D:11 m^11:1D", "TTTT a 0 0"}, // US
        // Hankaku, Muhenkan, Henkan, Katakana/Hiragana, Ro, Yen; Hangul and Hanja, makes only [S]
        {"r29:F3 mF3:29 r7B:1D m1D:7B r79:1C m1C:79 r70:F2 mF2:70 r73:C1 mC1:73 r7D:DC mDC:7D",
         "TTTTTT a 0 0"},
        {"rF2:15 m15:F2 rF1:19 m19:F1", "TT a 0 0"},
        {"rFF:FF r1E:41 m41:1E", "T a 0 0"}, // an overrun [R]
    };
    for (const auto& [script, result] : cases) {
        EXPECT_EQ(result, Sequence(script)) << script;
    }
}

// A batch run: the Keyboard record when the keyboard is chosen (not by a key before the first
// Serial dialog), before the /t records of its key, again only for another device chosen after a
// Clear, and "none" for a keyboard whose verdict came first; /l and /t tell the keys not tested.
TEST_F(Engine, KeyboardRecordsOfABatchRun) {
    appState.batchMode = appState.oneKeyboard = appState.detailedKeyLog = true;
    EXPECT_EQ("T b 0", Feed("b:30 30")); // before the log is open
    StartNextKeyboard();                 // the first Serial dialog
    ASSERT_EQ(1, OpenTrace((logPath + ".l").c_str()));
    ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
    fake.hid = {true, 0x0100, "Board", ""};
    EXPECT_EQ("-T- a 1", Feed("48 a:30 30 ^48"));
    appState.detailedKeyLog = false;
    EXPECT_EQ("TTT b 0", Feed("| a:48 48 | c:6 6 | b:30 30")); // c: a's keyboard, no record
    EndTest(kWindow, false);
    EndTest(kWindow, false);
    const std::string k = "    Keyboard: ", rev = ", rev 0100, \"Board\"",
                      key = "=============================================\r\nKey ",
                      failed = "\r\nUser Selection: FAILED\r\n",
                      program = "from no keyboard (a program sent it)\r\n";
    EXPECT_EQ(key + "Down: Windows - 48, BIOS - 48\r\nNot tested: " + program + k +
                  "VID 000A PID 0001" + rev + "\r\n" + key +
                  "Down: Windows - 30, BIOS - 30\r\nAttempting key match of type 1\r\n"
                  "Completed Key down processing\r\n" +
                  key + "Up: Windows - 48, BIOS - 48\r\nNot tested: " + program + k + "b" + rev +
                  failed + k + "none" + failed,
              Log());
    EXPECT_NE(std::string::npos,
              FileText(logPath + ".l")
                  .find("Key 48 not tested: " + program + "Keyboard under test: VID 000A PID 0001" +
                        rev + "\r\n30,"));
}

TEST(KeyboardIdentity, IdsFromTheNameAndTheDriversTexts) {
    const std::tuple<const char*, HidFacts, const char*> cases[] = {
        {"VID_046D&PID_C31C",
         {true, 0x640, "AZ Pad", "az"},
         "VID 046D PID C31C, rev 0640, \"AZ Pad\""},
        {"_VID&0002046a_PID&b342",
         {true, 17, " K3\t", "LG"},
         "VID 046A PID B342, rev 0011, \"LG K3\""},
        {"ACPI#PNP0303#4&1d", {}, "ACPI#PNP0303#4&1d"}, // above: Bluetooth's ids
        {"VID_845F&PID_0009", {true, 0, "A\"b\x7f", ""}, "VID 845F PID 0009, rev 0000, \"A'b\""},
        {"VID_12G4&PID_0001", {false, 0, "  ", "Maker"}, "VID_12G4&PID_0001"},
    };
    for (const auto& [name, facts, identity] : cases) {
        char text[kKeyboardIdentitySize];
        FormatKeyboardIdentity(text, sizeof text, name, facts);
        EXPECT_STREQ(identity, text);
    }
}

} // namespace
