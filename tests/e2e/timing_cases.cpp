// Key timings as the program measures them when nothing but the keys reaches it: right
// after the batch start dialogs, after a verdict and its Serial dialog, and in plug-in
// mode. Between the key events the cases read nothing and send nothing.
#include "tests/e2e/driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>

namespace {

const Key kKeyC = {'C', 0x2E, false};
const Key kKeyD = {'D', 0x20, false};

// C and D, and their failure combination: both pressed within 200 ms.
const char* const kLayout = "'C',46,\"C\",\"false\",\"CVSTATUSUP\",0,10,10,40,40\r\n"
                            "'D',32,\"D\",\"false\",\"CVSTATUSUP\",0,60,10,40,40\r\n"
                            "\"COMPOUND\",0,\"C+D\",\"false\",\"CVSTATUSFAIL\",0,110,10,40,40,"
                            "200,67,68\r\n";
const char* const kPassTitle = "Clavoro - Keyboard Passed ?";
const char* const kFailTitle = "Select the fail reason";

// One program runs at a time, so a dialog is found by its title alone.
HWND Dialog(const char* title) {
    HWND dialog = FindWindowA("#32770", title);
    return dialog != nullptr && IsWindowVisible(dialog) ? dialog : nullptr;
}

// Waits for a dialog, fills its edits, presses a button and waits only until the dialog
// is hidden: the keys that follow come at once, as an operator's would.
int Answer(const char* title, std::initializer_list<std::pair<int, std::string>> edits,
           int button) {
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = Dialog(title)) != nullptr; })) {
        printf("  no dialog \"%s\"\n", title);
        return 0;
    }
    for (const auto& edit : edits) {
        SetDlgItemTextA(dialog, edit.first, edit.second.c_str());
    }
    PressButton(dialog, button);
    return WaitUntil([&] { return !IsWindowVisible(dialog); });
}

int AnswerSerial(const char* serial) {
    return Answer("Clavoro Serial Number", {{1024, serial}, {1025, "1.0"}}, 1033);
}

// C tapped, D pressed 1 s after C and held 400 ms: D's depress time, the lag between the
// two presses, and a pass, since the two are too far apart for the failure combination.
// Read on the verdict dialog that the last release opens.
void TypeApart(const Program& p, const char* when) {
    KeyDown(p, kKeyC);
    KeyUp(p, kKeyC);
    Sleep(1000);
    KeyDown(p, kKeyD);
    Sleep(400);
    KeyUp(p, kKeyD);
    HWND verdict = nullptr;
    CHECK(WaitUntil(
        [&] { return (verdict = Dialog(kPassTitle)) || (verdict = Dialog(kFailTitle)); }));
    const int depress = std::atoi(ControlText(p.main, 1010).c_str());
    const int lag = std::atoi(ControlText(p.main, 1022).c_str());
    printf("[%s] depress %d ms, lag %d ms\n", when, depress, lag);
    CHECK(depress >= 380 && depress <= 600);
    CHECK(lag >= 950 && lag <= 1200);
    const bool passed = verdict != nullptr && verdict == Dialog(kPassTitle);
    CHECK(passed);
    PressButton(verdict, passed ? 6 : 1033);
}

int PrepareFolder() {
    return PrepareProgramFolder() && WriteTextFile("T.kbl", kLayout) &&
           WriteBitmap("T.bmp", RGB(255, 255, 255));
}

} // namespace

// Keyboard 1 after Operator and Serial, keyboard 2 after the verdict's Serial, then
// keyboard 3 with C and D pressed together, which fails it by the combination.
E2E_CASE(batch_after_dialogs) {
    REQUIRE(PrepareFolder());
    Program p;
    REQUIRE(StartProgram(p, "/b") && WaitMainWindow(p));
    REQUIRE(Answer(
        "Clavoro Batch-ID",
        {{1021, "Op"}, {1022, "KB"}, {1023, "Lot"}, {1037, "1"}, {1028, InFolder("run.log")}},
        1033));
    REQUIRE(AnswerSerial("K1"));
    TypeApart(p, "after the first Serial");
    REQUIRE(AnswerSerial("K2"));
    TypeApart(p, "after the second Serial");
    REQUIRE(AnswerSerial("K3"));
    KeyDown(p, kKeyC);
    KeyDown(p, kKeyD);
    CHECK(WaitUntil([&] { return Dialog(kFailTitle) != nullptr; }));
    KeyUp(p, kKeyD);
    KeyUp(p, kKeyC);
    PressButton(Dialog(kFailTitle), 1033);
    REQUIRE(Answer("Clavoro Serial Number", {}, 1029)); // Exit ends the run
    CHECK(CloseProgram(p));
}

// Plug-in mode: started by clavoro-host (built beside the program file that the case
// runner got as its second argument), no start dialog; the pass ends the run. The host
// stops the program after 40 s whatever happens.
E2E_CASE(plugin) {
    REQUIRE(PrepareFolder());
    std::string host = __argv[2];
    host = host.substr(0, host.find_last_of("/\\") + 1) + "clavoro-host.exe";
    std::replace(host.begin(), host.end(), '/', '\\');
    host = (host[0] == '\\' ? "Z:" : "") + host;
    const std::string program = InFolder("Clavoro.exe");
    std::string line = "\"" + host + "\" --stop-after 40 --program \"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    REQUIRE(CreateProcessA(host.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                           program.substr(0, program.rfind('\\')).c_str(), &startup, &started));
    Program c = {};
    if (CHECK(WaitUntil([&] {
            return (c.main = FindWindowA("Clavoro", nullptr)) != nullptr && IsWindowVisible(c.main);
        }))) {
        TypeApart(c, "plug-in mode");
        CHECK(WaitUntil([&] { return !IsWindow(c.main); }, 15000));
    }
    if (WaitForSingleObject(started.hProcess, 45000) != WAIT_OBJECT_0) {
        TerminateProcess(started.hProcess, 99);
    }
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
}
