// Control identifiers of the batch-run dialogs "Operator", "Serial",
// "Passverification" and "Failreason" (resources/batch_dialogs.rc). The host
// automation and the operators' scripts know these numbers; keep them.
#pragma once

// Operator
#define IDC_OPERATOR_ID 1021
#define IDC_PRODUCT_ID 1022
#define IDC_BATCH_ID 1023
#define IDC_KEYSTROKES 1037
#define IDC_LOG_FILE_NAME 1028
#define IDC_BROWSE_LOG 1005
#define IDC_OVERWRITE_LOG 1030
#define IDC_APPEND_LOG 1031

// Shared by Operator, Serial and Failreason
#define IDC_CONTINUE 1033
#define IDC_EXIT 1029

// Serial
#define IDC_SERIAL_NUMBER 1024
#define IDC_VERSION_NUMBER 1025
#define IDC_SERIAL_MESSAGE 1034

// Passverification: the yes and no commands (IDYES, IDNO)
#define IDC_PASS_KEYBOARD 6
#define IDC_FAIL_KEYBOARD 7

// Failreason
#define IDC_BAD_KEY 1026
#define IDC_BAD_ROW 1027
#define IDC_BAD_COLUMN 1028
#define IDC_BAD_LEDS 1029
#define IDC_OTHER_REASON 1030
#define IDC_KEY_CHATTER 1031 // FailreasonChatter only
