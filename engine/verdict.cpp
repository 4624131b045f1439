// The end of a batch test (verdict dialogs, next keyboard or end of the program) and
// the reset used by Clear, by every layout change and after every verdict.
#include <cstring>

#include "base/app_state.h"
#include "base/trace.h"
#include "engine/engine_seams.h"
#include "engine/key_engine.h"
#include "engine/keyboard_under_test.h"
#include "engine/led_test.h"
#include "testrun/batch_dialogs.h"
#include "testrun/plugin_link.h"
#include "testrun/test_log.h"

namespace {

constexpr int32_t kPluginFinished = 9;

int32_t StatusAfterClear(int32_t status) {
    switch (status) {
    case KeyFailure:
        return FailArmed;
    case BeingPressed:
    case TestedOk:
    case UnderPressed:
    case OverPressed:
        return Untested;
    case NotTestablePressed:
    case NotTestableReleased:
        return NotTestable;
    default:
        return status;
    }
}

} // namespace

bool IsTestComplete() {
    if (!appState.batchMode) {
        return false;
    }
    for (const KeyRecord* r = engine.table; r->keyCode != kEndCode; ++r) {
        if (r->status == Untested || r->status == BeingPressed) {
            return false;
        }
    }
    return true;
}

bool EndTest(WindowHandle window, bool verificationRequired) {
    LogKeyboardIfNone();
    WriteKeyTrace("Checking whether the test has passed. User verifiaction required: %d\n",
                  verificationRequired ? 1 : 0);
    bool passed = false;
    if (verificationRequired) {
        if (appState.pluginMode) { // counted only while the host is connected
            AddOperations(1);
        }
        passed = RunPassVerification(window) != 0;
        FocusWindow(window);
    } else {
        WriteLogRecord("User Selection: FAILED\n");
    }
    if (!passed) {
        // In batch mode a chatter ends the test at once, so one seen is the one that did.
        const ChatterStats& chatter = engine.chatter;
        if (chatter.lastIndex >= 0) {
            WriteLogRecord("    Chatter: %s, %d ms after its release\n",
                           engine.table[chatter.lastIndex].label, chatter.lastGapMs);
        }
        RunFailReason(window, chatter.lastIndex >= 0);
        FocusWindow(window);
    }
    CommitTestLog(); // this keyboard's verdict is on the disk before the next one starts
    ClearAll();
    RepaintWindow(window);
    FocusWindow(window);
    if (appState.pluginMode) {
        SetStateCode(kPluginFinished);
        DestroyMainWindow(window);
        return false;
    }
    int next = RunSerial(window);
    StartNextKeyboard();
    FocusWindow(window);
    if (next == 0) {
        DestroyMainWindow(window);
    }
    return false;
}

void MakeCurrentTable(KeyRecord* table) {
    if (table != nullptr) {
        engine.table = table;
        ClearAll();
    }
}

void ClearAll() {
    TraceLine("Clear all start");
    if (ledTestRunning) {
        StopLedTest();
    }
    KeyStats& s = engine.stats;
    s.lastDownIndex = -1;
    s.lastUpIndex = -1;
    s.depressTimeMs = 0;
    s.lagTimeMs = 0;
    s.lastDownTicks = 0;
    s.lastExtended = 0;
    s.lastBiosCode = 0;
    s.lastWindowsCode = 0;
    engine.historyPos = 0;
    std::memset(engine.history, 0xFF, sizeof engine.history);
    engine.chatter = ChatterStats{-1, 0, 0};
    ForgetKeyboardUnderTest();
    KeyRecord* table = engine.table;
    for (int i = 0; table != nullptr && table[i].keyCode != kEndCode; ++i) {
        table[i].status = StatusAfterClear(table[i].status);
        table[i].dupState = DuplicateRank(i);
        table[i].upTime = 0;
        table[i].chattered = false;
    }
    if (appState.mainWindow != nullptr) {
        UpdateStatistics(appState.mainWindow);
    }
    TraceLine("Clear all finish");
}

int DuplicateRank(int index) {
    const KeyRecord* table = engine.table;
    const KeyRecord& key = table[index];
    if (key.keyCode == kCompoundCode || key.keyCode == kModifiedCode) {
        return 0;
    }
    bool passedIndex = false;
    for (int i = 0; table[i].keyCode != kEndCode; ++i) {
        if (i == index) {
            passedIndex = true;
            continue;
        }
        const KeyRecord& r = table[i];
        if (r.keyCode == key.keyCode && r.scanCode == key.scanCode && r.extended == key.extended) {
            return passedIndex ? 1 : 2;
        }
    }
    return 0;
}
