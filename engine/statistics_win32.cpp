// Writes the statistics texts into the main window's static fields.
#include <windows.h>

#include "app/app_state.h"
#include "engine/engine_seams.h"
#include "engine/statistics.h"

void UpdateStatistics(WindowHandle window) {
    static StatisticsTexts texts; // rebuilt on every call; static to keep 2 KB off the stack
    FormatStatistics(&texts);
    HWND dialog = reinterpret_cast<HWND>(window);
    for (int i = 0; i < kStatisticsFieldCount; ++i) {
        SetDlgItemTextA(dialog, kStatisticsControls[i], StatisticsText(&texts, i));
    }
    if (appState.chatterThresholdMs > 0) {
        SetDlgItemTextA(dialog, kChatterKeyControl, texts.chatterKey);
        SetDlgItemTextA(dialog, kChatterCountControl, texts.chatterCount);
    }
}
