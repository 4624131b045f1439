// The batch-run dialogs (Win32, testrun/*_win32.cpp; the key engine's benchmark and unit
// tests link stand-ins of the verdict dialogs).
#pragma once
#include "base/handles.h"

// "Operator" dialog at start-up in batch mode: 1 accepted (log open, header written),
// 0 Exit or cancel.
int RunOperatorDialog(WindowHandle owner);

// Leaves the dialog's edit control id focused with its whole text selected, for the
// operator to correct a refused field.
void SelectDialogField(WindowHandle dialog, int id);

// Verdict dialogs, modal, owned by the main window. Results as the dialogs return them.
int RunPassVerification(WindowHandle owner);              // non-zero: "Yes - Pass Keyboard"
int RunFailReason(WindowHandle owner, bool chatterFound); // chatter: "Key chatter" checked
int RunSerial(WindowHandle owner);                        // non-zero: "Continue"; 0: "Exit"
