// Writes the statistics texts into the main window's static fields.
#include <windows.h>

#include "base/app_state.h"
#include "engine/engine_seams.h"
#include "engine/statistics.h"

// Under Wine each text set is a round trip to the server, a dozen per key event: at 2,000
// key events a second that left the program seconds behind the keys. While more key or
// mouse-button input waits, the texts are left to the statistics timer, whose message
// comes only once the queue is empty; the figures shown then are the same.
void UpdateStatistics(WindowHandle window) {
    static StatisticsTexts texts; // rebuilt on every call; static to keep 2 KB off the stack
    static bool timerSet = false;
    HWND dialog = reinterpret_cast<HWND>(window);
    if (HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON)) != 0) {
        timerSet = timerSet || SetTimer(dialog, kStatisticsTimer, USER_TIMER_MINIMUM, nullptr);
        if (timerSet) {
            return; // without a timer they are written now, as before
        }
    }
    if (timerSet) {
        KillTimer(dialog, kStatisticsTimer);
        timerSet = false;
    }
    FormatStatistics(&texts);
    for (int i = 0; i < kStatisticsFieldCount; ++i) {
        SetDlgItemTextA(dialog, kStatisticsControls[i], StatisticsText(&texts, i));
    }
    if (appState.chatterThresholdMs > 0) {
        SetDlgItemTextA(dialog, kChatterKeyControl, texts.chatterKey);
        SetDlgItemTextA(dialog, kChatterCountControl, texts.chatterCount);
    }
    if (appState.oneKeyboard) {
        SetDlgItemTextA(dialog, kKeyboardIdentityControl, texts.keyboardUnderTest);
        SetDlgItemTextA(dialog, kOtherKeysControl, texts.otherKeys);
    }
}
