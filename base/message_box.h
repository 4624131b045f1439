// Every message the program shows goes through ShowMessage: the program links the
// MessageBoxA version (message_box_win32.cpp), the unit tests a fake that records
// owner, text, caption and icon.
#pragma once
#include "base/handles.h"

// Icon values are the MB_ICON* flags of MessageBoxA; the box always has one OK button.
enum MessageIcon : unsigned {
    kIconNone = 0x00,
    kIconStop = 0x10,
    kIconExclamation = 0x30, // also the "warning" icon
    kIconWarning = 0x30,
    kIconInformation = 0x40,
};

// Returns what the box returned (IDOK); nothing in the program uses it.
int ShowMessage(WindowHandle owner, const char* text, const char* caption, MessageIcon icon);

// A message with Retry and Cancel, owned by the program's window in front (the dialog
// the operator is answering, else the main window). True when Retry was chosen.
bool AskRetryOrCancel(const char* text, const char* caption, MessageIcon icon);
