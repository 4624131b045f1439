// The live statistics beside the picture: the engine's KeyStats and a summary of the
// KeyHistory as the ten texts of the main window's statistics controls.
#pragma once

constexpr int kStatisticsFieldCount = 10;
// Controls in the order the texts are written.
constexpr int kStatisticsControls[kStatisticsFieldCount] = {1009, 1008, 1010, 1022, 1015,
                                                            1014, 1012, 1011, 1013, 1017};
constexpr int kRecentKeysLength = 1500;

struct StatisticsTexts {
    char fields[kStatisticsFieldCount][260]; // all but the strip; room for a key label
    char recentKeys[kRecentKeysLength];      // control 1013
};

// Fills texts from the engine state; StatisticsText gives the text of the i-th control
// (0 to 9) of kStatisticsControls.
void FormatStatistics(StatisticsTexts* texts);
const char* StatisticsText(const StatisticsTexts* texts, int i);
