// The per-keyboard dialogs of a batch run: serial and version number, the operator's
// confirmation of a pass, and the fail reason. Each opens centred on its owner, the
// main window.
#include <windows.h>

#include "base/app_state.h"
#include "base/centred_dialog.h"
#include "resources/batch_dialog_ids.h"
#include "testrun/batch_dialogs.h"
#include "testrun/operator_checks.h"

static WindowHandle AsHandle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

static void CentreOnMainWindow(HWND dialog) {
    CentreOnOwner(AsHandle(dialog), AsHandle(GetWindow(dialog, GW_OWNER)));
}

static INT_PTR RunDialog(const char* name, WindowHandle owner, DLGPROC proc, LPARAM param = 0) {
    return DialogBoxParamA(static_cast<HINSTANCE>(appState.instance), name,
                           reinterpret_cast<HWND>(owner), proc, param);
}

static INT_PTR CALLBACK SerialProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CentreOnMainWindow(dialog);
        SendDlgItemMessageA(dialog, IDC_SERIAL_NUMBER, EM_LIMITTEXT, kIdentificationLength, 0);
        SendDlgItemMessageA(dialog, IDC_VERSION_NUMBER, EM_LIMITTEXT, kIdentificationLength, 0);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CONTINUE: {
            char serial[kIdentificationLength + 1] = "";
            char version[kIdentificationLength + 1] = "";
            GetDlgItemTextA(dialog, IDC_SERIAL_NUMBER, serial, sizeof serial);
            GetDlgItemTextA(dialog, IDC_VERSION_NUMBER, version, sizeof version);
            SerialRefusal refusal;
            if (AcceptSerial(serial, version, &refusal) != 0) {
                EndDialog(dialog, 1);
            } else {
                SetDlgItemTextA(dialog, IDC_SERIAL_MESSAGE, refusal.message);
                if (refusal.field != 0) {
                    SelectDialogField(AsHandle(dialog), refusal.field);
                }
            }
            return TRUE;
        }
        case IDC_EXIT:
        case IDCANCEL: // also the close box
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

int RunSerial(WindowHandle owner) {
    return RunDialog("Serial", owner, SerialProc) == 1 ? 1 : 0;
}

// Only the two buttons leave: Escape (the cancel command) is ignored.
static INT_PTR CALLBACK PassVerificationProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CentreOnMainWindow(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PASS_KEYBOARD:
            WriteVerification(true);
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_FAIL_KEYBOARD:
            WriteVerification(false);
            EndDialog(dialog, 0);
            return TRUE;
        }
        return TRUE;
    }
    return FALSE;
}

// A dialog that could not be made counts as "No": a pass is never declared by itself.
int RunPassVerification(WindowHandle owner) {
    return RunDialog("Passverification", owner, PassVerificationProc) == 1 ? 1 : 0;
}

// lParam of the opening: non-zero when a chatter ended the test ("Key chatter" checked).
static INT_PTR CALLBACK FailReasonProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        CentreOnMainWindow(dialog);
        CheckRadioButton(dialog, IDC_BAD_KEY, IDC_KEY_CHATTER,
                         lParam != 0 ? IDC_KEY_CHATTER : IDC_BAD_KEY);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CONTINUE) {
            // Without /c the template has no "Key chatter": its check reads as unchecked.
            const int ids[5] = {IDC_BAD_KEY, IDC_BAD_ROW, IDC_BAD_COLUMN, IDC_BAD_LEDS,
                                IDC_KEY_CHATTER};
            bool checked[5];
            for (int i = 0; i < 5; ++i) {
                checked[i] = SendDlgItemMessageA(dialog, ids[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
            }
            ReportFailReason(FailReasonFromChecks(checked));
            EndDialog(dialog, 1);
        }
        return TRUE;
    }
    return FALSE;
}

int RunFailReason(WindowHandle owner, bool chatterFound) {
    const char* name = appState.chatterThresholdMs > 0 ? "FailreasonChatter" : "Failreason";
    RunDialog(name, owner, FailReasonProc, chatterFound ? 1 : 0);
    return 1;
}
