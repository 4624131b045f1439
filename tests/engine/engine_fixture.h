// A hand-built key table, key events sent to the engine from a short script, and the
// test log read back. The counter runs in microseconds (1000 ticks per millisecond).
#pragma once
#include <algorithm>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "engine/key_engine.h"
#include "engine/led_test.h"
#include "layout/layout_file.h"
#include "tests/fakes/fake_engine_seams.h"
#include "testrun/plugin_link.h"
#include "testrun/test_log.h"

class EngineTest : public ::testing::Test {
  protected:
    std::vector<KeyRecord> rows;
    std::deque<std::vector<int32_t>> codeLists; // a deque never moves what it holds
    std::string logPath;

    void SetUp() override {
        ResetAppState();
        appState.ticksPerMillisecond = 1000;
        ResetEngine();
        ResetFakeEngineSeams();
        altShortcuts = {true, true, true, true, true, true};
        testRunInfo.keystrokes = 0;
        pluginLink.record = nullptr;
        ledTestRunning = false;
        CloseTestLog();
    }
    void TearDown() override { CloseTestLog(); }

    int Key(int32_t code, int32_t scan, const char* label, uint32_t ext = 0,
            int32_t status = Untested) {
        KeyRecord r = {};
        r.keyCode = code;
        r.scanCode = scan;
        r.label = const_cast<char*>(label);
        r.status = status;
        r.extended = code < 0 ? 1 : ext;
        r.baseCode = r.modifierCode = -1;
        r.compoundTime = -1;
        rows.push_back(r);
        return static_cast<int>(rows.size()) - 1;
    }
    // Letter keys in the order a layout file lists them; the record keeps them newest first.
    int Compound(const char* label, int64_t time, int32_t status, const std::string& letters) {
        int k = Key(kCompoundCode, kCompoundCode, label, 0, status);
        codeLists.emplace_back(letters.rbegin(), letters.rend());
        codeLists.back().push_back(-1);
        rows[k].compoundCodes = codeLists.back().data();
        rows[k].compoundTime = time;
        return k;
    }
    int Modified(const char* label, int32_t base, int32_t modifier) {
        int k = Key(kModifiedCode, kModifiedCode, label);
        rows[k].baseCode = base;
        rows[k].modifierCode = modifier;
        return k;
    }
    // Closes the table, makes it current and clears it as selecting a layout does.
    void Use() {
        Key(kEndCode, kEndCode, "");
        engine.table = rows.data();
        ClearAll();
        engineCalls.clear();
    }

    void Send(bool down, int32_t code, int scan, bool ext, int repeat = 1) {
        intptr_t lParam =
            repeat | (static_cast<intptr_t>(scan & 0xFF) << 16) | (ext ? 0x1000000 : 0);
        down ? OnKeyDown(appState.mainWindow, code, lParam)
             : OnKeyUp(appState.mainWindow, code, lParam);
    }
    // As the keyboard sends it: with the scan code and extended flag of the key's record.
    void Press(bool down, int32_t code, int repeat = 1) {
        auto r = std::find_if(rows.begin(), rows.end(),
                              [code](const KeyRecord& k) { return k.keyCode == code; });
        bool known = r != rows.end();
        Send(down, code, known ? r->scanCode : 0, known && r->extended, repeat);
    }
    void AtMs(int64_t ms) { fakeCounter = ms * 1000; }
    static int32_t CodeOf(const std::string& key) {
        return key[0] >= 'A' && key[0] <= 'Z' ? key[0] : std::stoi(key);
    }
    // Strokes separated by blanks: a letter (its virtual-key code) or a code, "^" before it
    // for the release, "@ms" after it to set the counter first. Returns the status of
    // record `watch` after each stroke, one digit each as the key trace prints them.
    std::string Play(const std::string& script, int watch = -1) {
        std::istringstream in(script);
        std::string t, trail;
        while (in >> t) {
            if (t.find('@') != std::string::npos) {
                AtMs(std::stoll(t.substr(t.find('@') + 1)));
            }
            Press(t[0] != '^', CodeOf(t.substr(t[0] == '^'))); // stoi stops at the "@"
            if (watch >= 0) {
                trail += static_cast<char>('0' + Status(watch));
            }
        }
        return trail;
    }

    int32_t Status(int i) const { return rows[i].status; }
    // The recorded calls joined by blanks; with a prefix, only those calls, without it.
    static std::string Calls(const std::string& prefix = "") {
        std::string out;
        for (const std::string& c : engineCalls) {
            if (c.compare(0, prefix.size(), prefix) == 0) {
                out += (out.empty() ? "" : " ") + c.substr(prefix.size());
            }
        }
        return out;
    }
    static bool Called(const std::string& c) { return Calls().find(c) != std::string::npos; }

    void OpenLog() {
        logPath =
            testing::TempDir() + testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
    }
    std::string Log() {
        CloseTestLog();
        std::ifstream in(logPath);
        std::string text(std::istreambuf_iterator<char>(in), {});
        std::remove(logPath.c_str());
        return text;
    }
};
