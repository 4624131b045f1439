// The "Operator" dialog: test-run data and the log file at the start of a batch run.
#include <windows.h>

#include <cderr.h>
#include <commdlg.h>

#include <cstdio>
#include <ctime>

#include "base/app_state.h"
#include "base/centred_dialog.h"
#include "base/os_version_win32.h"
#include "base/station_settings.h"
#include "resources/batch_dialog_ids.h"
#include "testrun/batch_dialogs.h"
#include "testrun/operator_checks.h"
#include "testrun/test_log.h"

static WindowHandle AsHandle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

static bool IsChecked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// "...": the open-file dialog, starting at the log named in the field (the default log
// when the field is empty); cancelling leaves the field as it was.
static void BrowseForLogFile(HWND dialog) {
    char file[260] = "";
    GetDlgItemTextA(dialog, IDC_LOG_FILE_NAME, file, sizeof file);
    if (file[0] == 0) {
        DefaultLogPath(file, sizeof file);
    }
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = "LOG Files (*.LOG)\0*.log\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = "Select a Log filename";
    ofn.lpstrDefExt = "log"; // a name typed without an extension becomes a .log
    ofn.Flags = OFN_HIDEREADONLY;

    BOOL chosen = GetOpenFileNameA(&ofn);
    if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        file[0] = 0;
        chosen = GetOpenFileNameA(&ofn);
    }
    if (chosen) {
        AddLogExtension(file, sizeof file); // not every file dialog honours lpstrDefExt
        SetDlgItemTextA(dialog, IDC_LOG_FILE_NAME, file);
    }
}

void SelectDialogField(WindowHandle dialog, int id) {
    HWND window = reinterpret_cast<HWND>(dialog);
    SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, id)), TRUE);
    SendDlgItemMessageA(window, id, EM_SETSEL, 0, -1);
}

static const char* CurrentOsName() {
    const OSVERSIONINFOA version = ReadOsVersion();
    return OsNameFromVersion(version.dwMajorVersion, version.dwMinorVersion, version.dwPlatformId);
}

static void OnContinue(HWND dialog) {
    OperatorEntry entry = {};
    GetDlgItemTextA(dialog, IDC_OPERATOR_ID, entry.operatorId, sizeof entry.operatorId);
    GetDlgItemTextA(dialog, IDC_PRODUCT_ID, entry.productId, sizeof entry.productId);
    GetDlgItemTextA(dialog, IDC_BATCH_ID, entry.batchId, sizeof entry.batchId);
    GetDlgItemTextA(dialog, IDC_KEYSTROKES, entry.keystrokes, sizeof entry.keystrokes);
    GetDlgItemTextA(dialog, IDC_LOG_FILE_NAME, entry.logFileName, sizeof entry.logFileName);
    entry.append = IsChecked(dialog, IDC_APPEND_LOG);

    std::time_t seconds = std::time(nullptr);
    std::tm now = {};
    std::tm* local = std::localtime(&seconds);
    if (local != nullptr) {
        now = *local;
    }
    int field = 0;
    if (AcceptOperatorEntry(AsHandle(dialog), entry, CurrentOsName(), now, &field) != 0) {
        EndDialog(dialog, 1);
    } else if (field != 0) {
        SelectDialogField(AsHandle(dialog), field);
    }
}

static INT_PTR OnInitDialog(HWND dialog) {
    CentreOnOwner(AsHandle(dialog), AsHandle(GetWindow(dialog, GW_OWNER)));
    const int identifications[] = {IDC_OPERATOR_ID, IDC_PRODUCT_ID, IDC_BATCH_ID};
    for (int id : identifications) {
        SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, kIdentificationLength, 0);
    }
    SendDlgItemMessageA(dialog, IDC_KEYSTROKES, EM_LIMITTEXT, kKeystrokesLength, 0);
    SendDlgItemMessageA(dialog, IDC_LOG_FILE_NAME, EM_LIMITTEXT, kLogFileNameLength, 0);
    // Filled from the station's settings; the log's full path, so that the operator sees
    // where it goes.
    OperatorEntry entry;
    OperatorDefaults(station, &entry);
    SetDlgItemTextA(dialog, IDC_PRODUCT_ID, entry.productId);
    SetDlgItemTextA(dialog, IDC_BATCH_ID, entry.batchId);
    SetDlgItemTextA(dialog, IDC_KEYSTROKES, entry.keystrokes);
    SetDlgItemTextA(dialog, IDC_LOG_FILE_NAME, entry.logFileName);
    testRunInfo.overwrite = entry.append ? 0 : 1;
    CheckRadioButton(dialog, IDC_OVERWRITE_LOG, IDC_APPEND_LOG,
                     entry.append ? IDC_APPEND_LOG : IDC_OVERWRITE_LOG);
    return TRUE;
}

static INT_PTR CALLBACK OperatorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CONTINUE:
            OnContinue(dialog);
            return TRUE;
        case IDC_BROWSE_LOG:
            BrowseForLogFile(dialog);
            return TRUE;
        case IDC_EXIT:
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

int RunOperatorDialog(WindowHandle owner) {
    INT_PTR result = DialogBoxParamA(static_cast<HINSTANCE>(appState.instance), "Operator",
                                     reinterpret_cast<HWND>(owner), OperatorProc, 0);
    return result == 1 ? 1 : 0;
}
