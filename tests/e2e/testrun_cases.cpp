// A batch run through all its dialogs to the test log, and a plug-in run followed by
// clavoro-host through the shared record; in both, key timings as the program measures
// them when nothing but the keys reaches it, right after its dialogs have closed.
#include <cstdlib>

#include "tests/e2e/driver.h"

namespace {

// Controls of the batch dialogs, and the file name box of the system's file dialog.
const int kBrowseButton = 1005, kOperator = 1021, kProduct = 1022, kBatch = 1023, kSerial = 1024,
          kVersion = 1025, kBadRow = 1027, kLogName = 1028, kBadLeds = 1029, kExitDialog = 1029,
          kContinue = 1033, kFileName = 0x47C;

const Key kKeyC = {'C', 0x2E, false}, kKeyD = {'D', 0x20, false};
// E stays untested, so no verdict comes by itself; C and D together within 200 ms fail.
const char* const kLayout = "'C',46,\"C\",\"false\",\"CVSTATUSUP\",0,10,10,40,40\r\n"
                            "'D',32,\"D\",\"false\",\"CVSTATUSUP\",0,60,10,40,40\r\n"
                            "'E',18,\"E\",\"false\",\"CVSTATUSUP\",0,110,10,40,40\r\n"
                            "\"COMPOUND\",0,\"C+D\",\"false\",\"CVSTATUSFAIL\",0,160,10,40,40,"
                            "200,67,68\r\n";
const char* const kSerialTitle = "Clavoro Serial Number";
const char* const kPassTitle = "Clavoro - Keyboard Passed ?";
const char* const kFailTitle = "Select the fail reason";

// Waits for the dialog, enters a serial number, ticks a radio button (each if given),
// presses the button and waits only until the dialog is hidden: the keys that follow
// come at once, as an operator's would.
bool Answer(const char* title, int button, const char* serial = nullptr, int radio = 0) {
    HWND dialog = WaitWindow("#32770", title);
    if (dialog == nullptr) {
        return false;
    }
    if (serial != nullptr) {
        SetDlgItemTextA(dialog, kSerial, serial);
        SetDlgItemTextA(dialog, kVersion, "V1");
    }
    if (radio != 0) {
        PostMessageA(GetDlgItem(dialog, radio), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return IsDlgButtonChecked(dialog, radio) == BST_CHECKED; }));
    }
    PressButton(dialog, button);
    return WaitGone(dialog);
}

// C tapped, D pressed 1 s after C and held 400 ms, nothing else sent or read between the
// events: D's depress time and the lag between the two presses, which are too far apart
// for the failure combination.
void TypeApart(const Program& p, const char* when) {
    KeyDown(p, kKeyC);
    KeyUp(p, kKeyC);
    Sleep(1000);
    KeyDown(p, kKeyD);
    Sleep(400);
    KeyUp(p, kKeyD);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "D"));
    const int depress = std::atoi(ControlText(p.main, kDepressTime).c_str());
    const int lag = std::atoi(ControlText(p.main, kLagTime).c_str());
    EXPECT_TRUE(depress >= 380 && depress <= 600) << when << ": depress " << depress << " ms";
    EXPECT_TRUE(lag >= 950 && lag <= 1200) << when << ": lag " << lag << " ms";
    EXPECT_TRUE(WindowOf("#32770", kFailTitle) == nullptr);
}

bool WaitHostLine(const char* line) {
    std::string out;
    if (!WaitUntil([&] { return ReadWholeFile("host.txt", &out) && out.find(line) != out.npos; })) {
        ADD_FAILURE() << "no line \"" << line << "\" in the host's output:\n" << out;
        return false;
    }
    return true;
}

} // namespace

// /t: the log browse dialog, a check of the Operator dialog; keyboard 1 timed, then failed
// by the combination; keyboard 2 timed after the verdict's Serial dialog and passed on
// the main window's Exit, which ends the run after Serial; the log.
TEST(Testrun, batch_run_through_its_dialogs) {
    ASSERT_TRUE(PrepareProgramFolder() && WriteLayout("T", kLayout));
    Program p;
    ASSERT_TRUE(StartProgram(p, "/t") && WaitMainWindow(p));
    HWND operatorDialog = WaitWindow("#32770", "Clavoro Batch-ID");
    ASSERT_TRUE(operatorDialog != nullptr);
    PressButton(operatorDialog, kBrowseButton);
    HWND files = WaitWindow("#32770", "Select a Log filename");
    ASSERT_TRUE(files != nullptr);
    EXPECT_TRUE(WaitControlText(files, kFileName, "test.log")); // its default, then ours
    SetDlgItemTextA(files, kFileName, "line3");
    PressButton(files, IDOK);
    EXPECT_TRUE(WaitControlText(operatorDialog, kLogName, InFolder("line3.log").c_str()));
    SetDlgItemTextA(operatorDialog, kProduct, "KB-105");
    SetDlgItemTextA(operatorDialog, kBatch, "Lot 7");
    PressButton(operatorDialog, kContinue);
    EXPECT_TRUE(ExpectMessage("Clavoro: Error", "You must enter an Operator identification"));
    SetDlgItemTextA(operatorDialog, kOperator, "Operator 7");
    PressButton(operatorDialog, kContinue);
    ASSERT_TRUE(WaitGone(operatorDialog));

    ASSERT_TRUE(Answer(kSerialTitle, kContinue, "SN-1"));
    TypeApart(p, "after the first Serial");
    KeyDown(p, kKeyC);
    KeyDown(p, kKeyD);
    EXPECT_TRUE(WaitWindow("#32770", kFailTitle) != nullptr);
    KeyUp(p, kKeyD);
    KeyUp(p, kKeyC);
    ASSERT_TRUE(Answer(kFailTitle, kContinue, nullptr, kBadRow));
    ASSERT_TRUE(Answer(kSerialTitle, kContinue, "SN-2"));
    TypeApart(p, "after the second Serial");
    PressButton(p.main, kExitButton);
    ASSERT_TRUE(Answer(kPassTitle, IDYES));
    ASSERT_TRUE(Answer(kSerialTitle, kExitDialog));
    EXPECT_TRUE(WaitExit(p));

    std::string log;
    EXPECT_TRUE(ReadWholeFile("line3.log", &log));
    size_t at = 0;
    for (const char* piece : {"======== START OF NEW TEST RUN ========\r\n",
                              "Operator identification: Operator 7\r\nProduct identification: "
                              "KB-105\r\nBatch identification: Lot 7\r\nLoaded keyboard layout "
                              "T.kbl\r\nSerial number: SN-1\r\nVersion number: V1\r\n",
                              "Key Down: Windows - 67, BIOS - 46\r\n", "User Selection: FAILED\r\n",
                              "    Failure Reason: Bad row\r\n", "Serial number: SN-2\r\n",
                              "User verification: PASSED\r\n"}) {
        at = log.find(piece, at);
        ASSERT_NE(log.npos, at) << "missing \"" << piece << "\" in the log:\n" << log;
    }
}

// Attach, the keys timed and counted as operations, Fail test with a reason as the host's
// message and state 9, after which the program ends; started again, the host's stop ends
// it.
TEST(Testrun, plugin_run_seen_by_the_host) {
    ASSERT_TRUE(PrepareProgramFolder() && WriteLayout("P", kLayout));
    Program host, clavoro;
    ASSERT_TRUE(StartProgram(host, "", "clavoro-host.exe", "host.txt") && WaitMainWindow(clavoro));
    EXPECT_TRUE(WaitHostLine("attach: code 2, program \"Clavoro\", state -1"));
    TypeApart(clavoro, "plug-in mode");
    EXPECT_TRUE(WaitHostLine("operations: 2"));
    PressButton(clavoro.main, kFailButton);
    EXPECT_TRUE(Answer(kFailTitle, kContinue, nullptr, kBadLeds));
    EXPECT_TRUE(
        WaitHostLine("message 1, kind 3: \"Failed by user -    Failure Reason: Bad LEDs \""));
    EXPECT_TRUE(WaitHostLine("state: 9 (test finished)"));
    EXPECT_TRUE(WaitHostLine("clavoro-host: Clavoro ended with exit code 0"));
    ASSERT_TRUE(WaitExit(host));

    ASSERT_TRUE(StartProgram(host, "--stop-file stop.txt", "clavoro-host.exe", "host.txt") &&
                WaitMainWindow(clavoro));
    EXPECT_TRUE(WaitHostLine("attach:"));
    ASSERT_TRUE(WriteTextFile("stop.txt", "stop"));
    EXPECT_TRUE(WaitHostLine("clavoro-host: runWord set to 0"));
    EXPECT_TRUE(WaitHostLine("clavoro-host: Clavoro ended with exit code 0"));
}
