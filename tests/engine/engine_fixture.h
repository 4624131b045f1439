// A hand-built key table and helpers that send key events to the engine, with the
// counter in microseconds (1000 ticks per millisecond).
#pragma once
#include <string>
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
    std::vector<std::vector<int32_t>> codeLists;
    std::vector<std::string> labels;

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

    KeyRecord& Row(int32_t code, int32_t scan, const char* label, int32_t status) {
        KeyRecord r = {};
        r.keyCode = code;
        r.scanCode = scan;
        r.label = const_cast<char*>(label);
        r.status = status;
        r.baseCode = r.modifierCode = -1;
        r.compoundTime = -1;
        rows.push_back(r);
        return rows.back();
    }
    int Key(int32_t code, int32_t scan, const char* label, uint32_t ext = 0,
            int32_t status = Untested) {
        Row(code, scan, label, status).extended = code < 0 ? 1 : ext;
        return static_cast<int>(rows.size()) - 1;
    }
    // Codes in the order a layout file lists them; the record keeps them newest first.
    int Compound(const char* label, int64_t time, int32_t status, std::vector<int32_t> codes) {
        Row(kCompoundCode, kCompoundCode, label, status).compoundTime = time;
        std::vector<int32_t> stored(codes.rbegin(), codes.rend());
        stored.push_back(-1);
        codeLists.push_back(stored);
        return static_cast<int>(rows.size()) - 1;
    }
    int Modified(const char* label, int32_t base, int32_t modifier) {
        KeyRecord& r = Row(kModifiedCode, kModifiedCode, label, Untested);
        r.baseCode = base;
        r.modifierCode = modifier;
        return static_cast<int>(rows.size()) - 1;
    }
    // Closes the table, makes it current and clears it as selecting a layout does.
    void Use() {
        size_t next = 0;
        for (KeyRecord& r : rows) {
            if (r.keyCode == kCompoundCode) {
                r.compoundCodes = codeLists[next++].data();
            }
        }
        Row(kEndCode, kEndCode, "", Untested);
        engine.table = rows.data();
        ClearAll();
        engineCalls.clear();
    }
    static intptr_t Param(int scan, bool ext = false, int repeat = 1) {
        return repeat | (static_cast<intptr_t>(scan) << 16) | (ext ? 0x1000000 : 0);
    }
    void Down(int32_t code, int scan, bool ext = false, int repeat = 1) {
        OnKeyDown(appState.mainWindow, code, Param(scan, ext, repeat));
    }
    void Up(int32_t code, int scan, bool ext = false) {
        OnKeyUp(appState.mainWindow, code, Param(scan, ext));
    }
    void AtMs(int64_t ms) { fakeCounter = ms * 1000; }
    int32_t Status(int i) const { return rows[i].status; }
    bool Called(const std::string& call) const {
        for (const std::string& c : engineCalls) {
            if (c == call) {
                return true;
            }
        }
        return false;
    }
};
