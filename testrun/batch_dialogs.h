// The batch-run dialogs (Win32, testrun/*_win32.cpp). The verdict dialogs that the
// engine opens are declared in engine/engine_seams.h.
#pragma once
#include "base/handles.h"

// "Operator" dialog at start-up in batch mode: 1 accepted (log open, header written),
// 0 Exit or cancel.
int RunOperatorDialog(WindowHandle owner);

// Leaves the dialog's edit control id focused with its whole text selected, for the
// operator to correct a refused field.
void SelectDialogField(WindowHandle dialog, int id);
