// A batch run through all its dialogs to the test log, and a plug-in run followed by
// clavoro-host through the shared record.
#include "tests/e2e/driver.h"

namespace {

// Controls of the batch dialogs, and the file name box of the system's file dialog.
const int kBrowseButton = 1005, kOperator = 1021, kProduct = 1022, kBatch = 1023, kSerial = 1024,
          kVersion = 1025, kBadRow = 1027, kLogName = 1028, kBadLeds = 1029, kExitDialog = 1029,
          kContinue = 1033, kFileName = 0x47C;

const Key kKeyC = {'C', 0x2E, false};
const char* const kLayout = "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,10,10,40,40\r\n"
                            "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,60,10,40,40\r\n"
                            "'C',46,\"C\",\"false\",\"CVSTATUSUP\",0,110,10,40,40\r\n";
const char* const kSerialTitle = "Clavoro Serial Number";
const char* const kPassTitle = "Clavoro - Keyboard Passed ?";
const char* const kFailTitle = "Select the fail reason";

// Waits for the dialog, enters a serial number, ticks a radio button (each if given),
// presses the button and waits until the dialog has gone.
int Answer(const Program& p, const char* title, int button, const char* serial = nullptr,
           int radio = 0) {
    HWND dialog = WaitWindow(p, "#32770", title);
    if (dialog == nullptr) {
        return 0;
    }
    if (serial != nullptr) {
        SetDlgItemTextA(dialog, kSerial, serial);
        SetDlgItemTextA(dialog, kVersion, "V1");
    }
    if (radio != 0) {
        PostMessageA(GetDlgItem(dialog, radio), BM_CLICK, 0, 0);
        CHECK(WaitUntil([&] { return IsDlgButtonChecked(dialog, radio) == BST_CHECKED; }));
    }
    PressButton(dialog, button);
    return WaitGone(dialog);
}

int WaitHostLine(const char* line) {
    std::string out;
    if (!WaitUntil([&] { return ReadWholeFile("host.txt", &out) && out.find(line) != out.npos; })) {
        Note("host output:\n%s", out.c_str());
    }
    return out.find(line) != out.npos;
}

// clavoro-host with its output in host.txt, and the Clavoro it started.
int StartHosted(Program& host, Program& clavoro, const char* arguments) {
    HWND main = nullptr;
    DWORD id = 0;
    return StartProgram(host, arguments, "clavoro-host.exe", "host.txt") && WaitUntil([&] {
               main = FindWindowA("Clavoro", nullptr);
               return main != nullptr && IsWindowVisible(main);
           }) &&
           GetWindowThreadProcessId(main, &id) && AdoptProcess(clavoro, id) &&
           WaitMainWindow(clavoro);
}

} // namespace

// /t: the log browse dialog, the Operator dialog's checks, Serial, the verdict dialogs
// for a keyboard failed by the operator and one passed after Exit, and the log.
E2E_CASE(batch_run_through_its_dialogs) {
    REQUIRE(PrepareProgramFolder() && WriteLayout("T", kLayout));
    Program p;
    REQUIRE(StartProgram(p, "/t") && WaitMainWindow(p));
    HWND operatorDialog = WaitWindow(p, "#32770", "Clavoro Batch-ID");
    REQUIRE(operatorDialog != nullptr);
    PressButton(operatorDialog, kBrowseButton);
    HWND files = WaitWindow(p, "#32770", "Select a Log filename");
    REQUIRE(files != nullptr);
    CHECK(WaitControlText(files, kFileName, "test.log")); // its default, then ours
    SetDlgItemTextA(files, kFileName, "line3");
    PressButton(files, IDOK);
    CHECK(WaitControlText(operatorDialog, kLogName, InFolder("line3.log").c_str()));
    SetDlgItemTextA(operatorDialog, kProduct, "KB-105");
    SetDlgItemTextA(operatorDialog, kBatch, "Lot 7");
    PressButton(operatorDialog, kContinue);
    CHECK(ExpectMessage(p, "Clavoro: Error", "You must enter an Operator identification"));
    SetDlgItemTextA(operatorDialog, kOperator, "Operator 7");
    PressButton(operatorDialog, kContinue);
    REQUIRE(WaitGone(operatorDialog));

    REQUIRE(Answer(p, kSerialTitle, kContinue, "SN-1"));
    for (Key key : {kKeyA, kKeyB, kKeyC}) {
        PressKey(p, key);
    }
    REQUIRE(Answer(p, kPassTitle, IDNO));
    REQUIRE(Answer(p, kFailTitle, kContinue, nullptr, kBadRow));
    REQUIRE(Answer(p, kSerialTitle, kContinue, "SN-2"));
    PressKey(p, kKeyA);
    CHECK(WaitControlText(p.main, kLastKeyUp, "A"));
    PressButton(p.main, kExitButton);
    REQUIRE(Answer(p, kPassTitle, IDYES));
    REQUIRE(Answer(p, kSerialTitle, kExitDialog));
    CHECK(WaitExit(p));

    std::string log;
    CHECK(ReadWholeFile("line3.log", &log));
    size_t at = 0;
    for (const char* piece : {"======== START OF NEW TEST RUN ========\r\n",
                              "Operator identification: Operator 7\r\nProduct identification: "
                              "KB-105\r\nBatch identification: Lot 7\r\nLoaded keyboard layout "
                              "T.kbl\r\nSerial number: SN-1\r\nVersion number: V1\r\n",
                              "Key Down: Windows - 65, BIOS - 30\r\n",
                              "User verification: FAILED\r\n    Failure Reason: Bad row\r\n",
                              "Serial number: SN-2\r\n", "User verification: PASSED\r\n"}) {
        at = log.find(piece, at);
        if (!CHECK(at != log.npos)) {
            Note("missing \"%s\" in the log:\n%s", piece, log.c_str());
            break;
        }
    }
}

// Attach, one operation per key, Fail test with a reason as the host's message and
// state 9, after which the program ends; started again, the host's stop ends it.
E2E_CASE(plugin_run_seen_by_the_host) {
    REQUIRE(PrepareProgramFolder() && WriteLayout("P", kLayout));
    Program host, clavoro;
    REQUIRE(StartHosted(host, clavoro, ""));
    CHECK(WaitHostLine("attach: code 2, program \"Clavoro\", state -1"));
    PressKey(clavoro, kKeyA);
    PressKey(clavoro, kKeyB);
    CHECK(WaitHostLine("operations: 2"));
    PressButton(clavoro.main, kFailButton);
    CHECK(Answer(clavoro, kFailTitle, kContinue, nullptr, kBadLeds));
    CHECK(WaitHostLine("message 1, kind 3: \"Failed by user -    Failure Reason: Bad LEDs \""));
    CHECK(WaitHostLine("state: 9 (test finished)"));
    CHECK(WaitHostLine("clavoro-host: Clavoro ended with exit code 0"));
    REQUIRE(WaitExit(host));

    REQUIRE(StartHosted(host, clavoro, "--stop-file stop.txt"));
    CHECK(WaitHostLine("attach:"));
    REQUIRE(WriteTextFile("stop.txt", "stop"));
    CHECK(WaitHostLine("clavoro-host: runWord set to 0"));
    CHECK(WaitHostLine("clavoro-host: Clavoro ended with exit code 0"));
}
