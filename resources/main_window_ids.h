// Control and resource identifiers of the main window "Clavoro". Plain #defines so
// that the resource compiler and the C++ code read the same file.
#pragma once

#define IDC_HELP_BUTTON 1000
#define IDC_EXIT_BUTTON 1003
#define IDC_KEYBOARD_TYPE 1004
#define IDC_CLEAR_BUTTON 1005
#define IDC_KEYBOARD_PICTURE 1006
#define IDC_FAIL_TEST_BUTTON 1007
#define IDC_WINDOWS_CODE 1008
#define IDC_BIOS_CODE 1009
#define IDC_DEPRESS_TIME 1010
#define IDC_LAST_KEY_UP 1011
#define IDC_LAST_KEY_DOWN 1012
#define IDC_RECENT_KEYS 1013
#define IDC_WINDOWS_EXTENDED 1014
#define IDC_BIOS_EXTENDED 1015
#define IDC_ABOUT_BUTTON 1016
#define IDC_CHARS_PER_SECOND 1017
#define IDC_LANG_CODE 1018
#define IDC_FILTER_SYSTEM_KEYS 1019
#define IDC_MATCH_WINDOWS 1020
#define IDC_MATCH_BIOS 1021
#define IDC_LAG_TIME 1022
#define IDC_TEST_LEDS_BUTTON 1023
#define IDC_LEGEND_TESTED_OK 1045
// The chatter row under the legend, shown only with /c: one run of numbers.
#define IDC_CHATTER_LEGEND_MARK 1046
#define IDC_CHATTER_LEGEND 1047
#define IDC_CHATTER_CAPTION 1048
#define IDC_CHATTER_KEY 1049
#define IDC_CHATTER_COUNT_CAPTION 1050
#define IDC_CHATTER_COUNT 1051
// The keyboard under test's row, shown only with /d: one run of numbers.
#define IDC_KEYBOARD_CAPTION 1052
#define IDC_KEYBOARD_IDENTITY 1053
#define IDC_OTHER_KEYS 1054
#define IDC_MOUSE_MOVE_BUTTON 1089
#define IDC_MOUSE_DRIFT_BUTTON 1090

// The legend's 8 x 8 colour squares, in legend order.
#define IDB_LEGEND_TESTED_OK 153
#define IDB_LEGEND_BEING_PRESSED 117
#define IDB_LEGEND_NOT_TESTABLE 152
#define IDB_LEGEND_KEY_FAILURE 150
#define IDB_LEGEND_UNDER_PRESSED 154
#define IDB_LEGEND_OVER_PRESSED 151
#define IDB_LEGEND_CHATTER 155 // the mark around a key that chattered
