// The live statistics beside the picture: the engine's KeyStats and a summary of the
// KeyHistory as the ten texts of the main window's statistics controls.
#pragma once
#include "engine/keyboard_identity.h"

constexpr int kStatisticsFieldCount = 10;
// Controls in the order the texts are written.
constexpr int kStatisticsControls[kStatisticsFieldCount] = {1009, 1008, 1010, 1022, 1015,
                                                            1014, 1012, 1011, 1013, 1017};
constexpr int kRecentKeysLength = 1500;
// The main-window timer that writes the texts once a burst of input has been handled.
constexpr int kStatisticsTimer = 3;

// The chatter row, written only with /c.
constexpr int kChatterKeyControl = 1049;
constexpr int kChatterCountControl = 1051;
// The keyboard under test's row, written only with /d.
constexpr int kKeyboardIdentityControl = 1053;
constexpr int kOtherKeysControl = 1054;

struct StatisticsTexts {
    char fields[kStatisticsFieldCount][260]; // all but the strip; room for a key label
    char recentKeys[kRecentKeysLength];      // control 1013
    char chatterKey[280];                    // "<label>, <gap> ms", or "None"
    char chatterCount[16];                   // keys that chattered
    // With /d: the keyboard's identity (or that none is chosen yet), the keys not counted.
    char keyboardUnderTest[kKeyboardIdentitySize];
    char otherKeys[64];
};

// Fills texts from the engine state; StatisticsText gives the text of the i-th control
// (0 to 9) of kStatisticsControls.
void FormatStatistics(StatisticsTexts* texts);
const char* StatisticsText(const StatisticsTexts* texts, int i);
