// Control identifiers of the two mouse test dialogs, "MOUSETEST" and "MOUSEDRIFT".
// Plain defines: the resource compiler reads this file as well as the program.
#pragma once

// Mouse movement test.
#define IDC_CORNER_GROUP 1068
#define IDC_TOP_LEFT_LABEL 1069
#define IDC_TOP_RIGHT_LABEL 1071
#define IDC_BOTTOM_LEFT_LABEL 1075
#define IDC_BOTTOM_RIGHT_LABEL 1073
#define IDC_TOP_LEFT_STATUS 1078
#define IDC_TOP_RIGHT_STATUS 1079
#define IDC_BOTTOM_LEFT_STATUS 1081
#define IDC_BOTTOM_RIGHT_STATUS 1080
#define IDC_MOUSE_INFO_GROUP 1088
#define IDC_RATE_LABEL 1082
#define IDC_RATE_VALUE 1084
#define IDC_POSITION_LABEL 1083
#define IDC_POSITION_VALUE 1085
#define IDC_RAW_LABEL 1086
#define IDC_RAW_VALUE 1087

// Mouse drift test.
#define IDC_DRIFT_EXPLANATION 1072
#define IDC_DRIFT_START 2
#define IDC_DRIFT_STATUS 1070
#define IDC_DRIFT_COORDINATES 1077

// "Close" of both dialogs (the default button).
#define IDC_MOUSE_CLOSE 1
