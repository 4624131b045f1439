// Batch runs of the real program: the Operator dialog and its checks, the Serial and
// verdict dialogs, and the test log as it lies on disk afterwards.
#include "tests/e2e/driver.h"

#include <cstring>

namespace {

const Key kKeyC = {'C', 0x2E, false};

const char* const kOperatorTitle = "Clavoro Batch-ID";
const char* const kSerialTitle = "Clavoro Serial Number";
const char* const kPassTitle = "Clavoro - Keyboard Passed ?";
const char* const kFailTitle = "Select the fail reason";
const char* const kErrorCaption = "Clavoro: Error";

// Three keys and a failure combination: C and A pressed one after the other.
const char* const kLayout = "# three keys and a failure combination\r\n"
                            "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,10,10,40,40\r\n"
                            "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,60,10,40,40\r\n"
                            "'C',46,\"C\",\"false\",\"CVSTATUSUP\",0,110,10,40,40\r\n"
                            "\"COMPOUND\",0,\"C+A\",\"false\",\"CVSTATUSFAIL\",0,160,10,40,40,"
                            "5000,67,65\r\n";

int PrepareBatchFolder() {
    return PrepareProgramFolder() && WriteTextFile("T.kbl", kLayout) &&
           WriteBitmap("T.bmp", RGB(200, 200, 200));
}

HWND WaitDialog(const Program& p, const char* title, int timeoutMs = kWaitMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(p, "#32770", title)) != nullptr; }, timeoutMs);
    if (found == nullptr) {
        printf("  no dialog \"%s\"\n", title);
    }
    return found;
}

// The dialog stands where the placement rule puts it: centred on the main window,
// kept on the screen at the left and top first.
int IsCentredOnMain(const Program& p, HWND dialog) {
    RECT d, m;
    GetWindowRect(dialog, &d);
    GetWindowRect(p.main, &m);
    const int w = d.right - d.left, h = d.bottom - d.top;
    int x = m.left + (m.right - m.left - w) / 2;
    int y = m.top + (m.bottom - m.top - h) / 2;
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    x = x < 0 ? 0 : (x + w > sw ? sw - w : x);
    y = y < 0 ? 0 : (y + h > sh ? sh - h : y);
    if (d.left == x && d.top == y) {
        return 1;
    }
    printf("  dialog at %ld,%ld, expected %d,%d\n", d.left, d.top, x, y);
    return 0;
}

int IsChecked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Waits for the error boxes that one "Continue" raises, answers each with OK, and
// returns their texts in order; a box that does not come within the quiet time ends it.
std::vector<std::string> CollectErrors(const Program& p, int quietMs = 1000) {
    std::vector<std::string> texts;
    for (;;) {
        HWND box = nullptr;
        WaitUntil([&] { return (box = FindTopWindow(p, "#32770", kErrorCaption)) != nullptr; },
                  quietMs);
        if (box == nullptr) {
            return texts;
        }
        texts.push_back(MessageText(box));
        PressButton(box, IDOK);
        // The next box can only come once this one is gone for good (under Wine
        // without a window manager a closing window lingers for up to two seconds).
        WaitUntil([&] { return !IsWindow(box); }, 5000);
    }
}

struct OperatorData {
    const char* op;
    const char* product;
    const char* batch;
    const char* keystrokes;
    const char* logName;
    bool append;
};

void FillOperator(HWND dialog, const OperatorData& d) {
    SetDlgItemTextA(dialog, 1021, d.op);
    SetDlgItemTextA(dialog, 1022, d.product);
    SetDlgItemTextA(dialog, 1023, d.batch);
    SetDlgItemTextA(dialog, 1037, d.keystrokes);
    SetDlgItemTextA(dialog, 1028, d.logName);
    PostMessageA(GetDlgItem(dialog, d.append ? 1031 : 1030), BM_CLICK, 0, 0);
    WaitUntil([&] { return IsChecked(dialog, d.append ? 1031 : 1030); }, 2000);
}

// Starts the program in batch mode and gets through the Operator dialog.
int StartRun(Program& p, const char* arguments, const OperatorData& d) {
    if (!StartProgram(p, arguments) || !WaitMainWindow(p)) {
        return 0;
    }
    HWND dialog = WaitDialog(p, kOperatorTitle);
    if (dialog == nullptr) {
        return 0;
    }
    FillOperator(dialog, d);
    PressButton(dialog, 1033);
    std::vector<std::string> errors = CollectErrors(p, 300);
    if (!errors.empty()) {
        printf("  unexpected: %s\n", errors[0].c_str());
        return 0;
    }
    return CHECK(WaitGone(dialog));
}

int EnterSerial(const Program& p, const char* serial, const char* version) {
    HWND dialog = WaitDialog(p, kSerialTitle);
    if (dialog == nullptr) {
        return 0;
    }
    SetDlgItemTextA(dialog, 1024, serial);
    SetDlgItemTextA(dialog, 1025, version);
    PressButton(dialog, 1033);
    return CHECK(WaitGone(dialog));
}

int ExitSerial(Program& p) {
    HWND dialog = WaitDialog(p, kSerialTitle);
    if (dialog == nullptr) {
        return 0;
    }
    PressButton(dialog, 1029);
    return CHECK(WaitExit(p));
}

int AnswerPass(const Program& p, bool yes) {
    HWND dialog = WaitDialog(p, kPassTitle);
    if (dialog == nullptr) {
        return 0;
    }
    PressButton(dialog, yes ? 6 : 7);
    return CHECK(WaitGone(dialog));
}

int AnswerFailReason(const Program& p, int radio) {
    HWND dialog = WaitDialog(p, kFailTitle);
    if (dialog == nullptr) {
        return 0;
    }
    int ok = CHECK(IsChecked(dialog, 1026)); // "Bad key" at every opening
    if (radio != 1026) {
        PostMessageA(GetDlgItem(dialog, radio), BM_CLICK, 0, 0);
        ok &= CHECK(WaitUntil([&] { return IsChecked(dialog, radio); }, 2000));
    }
    PressButton(dialog, 1033);
    return ok & CHECK(WaitGone(dialog));
}

// A key event sent to whatever window is in front (for a dialog that took the focus).
void RawKey(Key key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key.vk;
    input.ki.wScan = key.scan;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
    SendInput(1, &input, sizeof input);
}

// Puts text on the clipboard and pastes it into an empty edit of a dialog.
int Paste(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextA(dialog, id, "");
    if (!OpenClipboard(nullptr)) {
        return Fail(__FILE__, __LINE__, "OpenClipboard");
    }
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    SendMessageA(GetDlgItem(dialog, id), WM_PASTE, 0, 0);
    return 1;
}

// Presses a key of the layout and waits until the program shows it as released.
int PressAndSettle(const Program& p, Key key, const char* label) {
    PressKey(p, key);
    return WaitControlText(p.main, 1011, label);
}

bool IsLogDate(const std::string& line) {
    static const char* const kDays = "SunMonTueWedThuFriSat";
    static const char* const kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (line.size() != 24) {
        return false;
    }
    const std::string day = line.substr(0, 3);
    const std::string month = line.substr(4, 3);
    if (std::string(kDays).find(day) % 3 != 0 || std::string(kMonths).find(month) % 3 != 0 ||
        std::string(kDays).find(day) == std::string::npos ||
        std::string(kMonths).find(month) == std::string::npos) {
        return false;
    }
    const char* form = "Www Mmm 99 99:99:99 9999";
    for (size_t i = 0; i < 24; ++i) {
        if (form[i] == '9' ? !isdigit(static_cast<unsigned char>(line[i]))
                           : (form[i] == ' ' || form[i] == ':') && line[i] != form[i]) {
            return false;
        }
    }
    return true;
}

// The log with the date line of every run header checked by its form and replaced by
// "<date>", so the rest can be compared byte for byte.
std::string LogWithoutDates(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, &text)) {
        Fail(__FILE__, __LINE__, "the test log could not be read");
        return "";
    }
    const std::string header = "======== START OF NEW TEST RUN ========\r\n";
    size_t at = 0;
    while ((at = text.find(header, at)) != std::string::npos) {
        size_t dateStart = text.find("\r\n", at + header.size());
        if (dateStart == std::string::npos) {
            break;
        }
        dateStart += 2;
        const size_t dateEnd = text.find("\r\n", dateStart);
        if (dateEnd == std::string::npos) {
            break;
        }
        const std::string date = text.substr(dateStart, dateEnd - dateStart);
        CHECK(IsLogDate(date));
        text.replace(dateStart, dateEnd - dateStart, "<date>");
        at = dateStart;
    }
    return text;
}

std::string Header(const char* op, const char* product, const char* batch) {
    return std::string("======== START OF NEW TEST RUN ========\r\n"
                       "Clavoro V3.2 build 1002,  Windows XP\r\n"
                       "<date>\r\n"
                       "Operator identification: ") +
           op + "\r\nProduct identification: " + product + "\r\nBatch identification: " + batch +
           "\r\n";
}

OperatorData Standard(const char* keystrokes = "1", bool append = false) {
    static std::string path;
    path = InFolder("run.log");
    return {"Operator 7", "KB-105", "Lot 2026/11", keystrokes, path.c_str(), append};
}

void PressAll(const Program& p, std::initializer_list<Key> keys) {
    for (const Key& key : keys) {
        PressKey(p, key);
    }
}

// Keyboard 3 fails by the combination: C, then A within the time limit. The failure
// comes at A's key-down; its key-up goes to the dialog that has opened by then.
void PressFailureCombination(const Program& p) {
    PressKey(p, kKeyC);
    KeyDown(p, kKeyA);
    WaitDialog(p, kFailTitle);
    RawKey(kKeyA, true);
}

} // namespace

// One pass, one failed by the operator, one failed by the combination, then Exit.
E2E_CASE(three_keyboards_log) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartRun(p, "/b", Standard()));
    REQUIRE(EnterSerial(p, "SN-0001", "V1"));
    PressAll(p, {kKeyA, kKeyB, kKeyC});
    REQUIRE(AnswerPass(p, true));
    REQUIRE(EnterSerial(p, "SN-0002", "V1"));
    PressAll(p, {kKeyC, kKeyB, kKeyA}); // C and A never one after the other
    REQUIRE(AnswerPass(p, false));
    REQUIRE(AnswerFailReason(p, 1027));
    REQUIRE(EnterSerial(p, "SN-0003", "V2"));
    PressFailureCombination(p);
    CHECK(FindTopWindow(p, "#32770", kPassTitle) == nullptr);
    REQUIRE(AnswerFailReason(p, 1026));
    REQUIRE(ExitSerial(p));
    CHECK_EQ(LogWithoutDates(InFolder("run.log")),
             Header("Operator 7", "KB-105", "Lot 2026/11") +
                 "Loaded keyboard layout T.kbl\r\n"
                 "Serial number: SN-0001\r\nVersion number: V1\r\n"
                 "User verification: PASSED\r\n"
                 "Serial number: SN-0002\r\nVersion number: V1\r\n"
                 "User verification: FAILED\r\n"
                 "    Failure Reason: Bad row\r\n"
                 "Serial number: SN-0003\r\nVersion number: V2\r\n"
                 "User Selection: FAILED\r\n"
                 "    Failure Reason: Bad key\r\n");
}

// With /t every step of the matching is in the log: one press and release of A.
E2E_CASE(key_trace_records) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartRun(p, "/t", Standard()));
    REQUIRE(EnterSerial(p, "SN-0001", "V1"));
    CHECK(PressAndSettle(p, kKeyA, "A"));
    CHECK(CloseProgram(p));
    const std::string compound = "Attempting to match compound key C+A\r\n"
                                 "Compound key match status 0\r\n";
    CHECK_EQ(LogWithoutDates(InFolder("run.log")),
             Header("Operator 7", "KB-105", "Lot 2026/11") +
                 "Loaded keyboard layout T.kbl\r\n"
                 "Serial number: SN-0001\r\nVersion number: V1\r\n"
                 "=============================================\r\n"
                 "Key Down: Windows - 65, BIOS - 30\r\n"
                 "Attempting key match of type 1\r\n"
                 "Key matched: A. Current status 0\r\n"
                 "Recorded time key depressed\r\n"
                 "New status 1\r\n" +
                 compound +
                 "Completed Key down processing\r\n"
                 "=============================================\r\n"
                 "Key Up: Windows - 65, BIOS - 30\r\n"
                 "Attempting key match of type 1\r\n"
                 "Key matched: A. Current status 1\r\n"
                 "New status 2\r\n" +
                 compound + "Completed Key up processing\r\n");
}

// Every check of "Continue" with its message, in order; the dialog stays open until
// the data is good.
E2E_CASE(operator_messages) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartProgram(p, "/b"));
    REQUIRE(WaitMainWindow(p));
    HWND dialog = WaitDialog(p, kOperatorTitle);
    REQUIRE(dialog != nullptr);
    CHECK(IsCentredOnMain(p, dialog));
    CHECK(IsChecked(dialog, 1030));
    CHECK(!IsChecked(dialog, 1031));
    CHECK_EQ(ControlText(dialog, 1028), std::string(""));

    const std::string goodPath = InFolder("run.log");
    const char* const good = goodPath.c_str();
    const std::string endsInSlash = std::string(ProgramFolder()) + "\\";
    const std::string withColon = endsInSlash + "a:b.log";
    struct Row {
        OperatorData data;
        const char* messages[2]; // in the order shown; unused places null
    } const rows[] = {
        {{"", "", "", "", "", false},
         {"You must enter an Operator identification", "Log Filename invalid: No path specified"}},
        {{"op", "", "", "", good, false}, {"You must enter a Product identification"}},
        {{"op", "pr", "", "", good, false}, {"You must enter a Batch identification"}},
        {{"op", "pr", "ba", "101", good, false},
         {"You must enter a number of keystrokes between 1 and 100"}},
        {{"op", "pr", "ba", "5", "", false}, {"Log Filename invalid: NULL not allowed"}},
        {{"op", "pr", "ba", "5", "run.log", false}, {"Log Filename invalid: No path specified"}},
        {{"op", "pr", "ba", "5", endsInSlash.c_str(), false},
         {"Log Filename invalid: NULL \\ / : * ? < > | not allowed"}},
        {{"op", "", "ba", "5", withColon.c_str(), false},
         {"You must enter a Product identification",
          "Log Filename invalid: NULL \\ / : * ? < > | not allowed"}},
    };
    for (const Row& row : rows) {
        FillOperator(dialog, row.data);
        PressButton(dialog, 1033);
        std::vector<std::string> expected;
        for (const char* message : row.messages) {
            if (message != nullptr) {
                expected.push_back(message);
            }
        }
        const std::vector<std::string> shown = CollectErrors(p);
        CHECK_EQ(static_cast<long long>(shown.size()), static_cast<long long>(expected.size()));
        for (size_t i = 0; i < shown.size() && i < expected.size(); ++i) {
            CHECK_EQ(shown[i], expected[i]);
        }
        CHECK(IsWindowVisible(dialog));
        CHECK(!FileExists(good));
    }
    // Fields stay as typed after a failed check.
    CHECK_EQ(ControlText(dialog, 1023), std::string("ba"));
    FillOperator(dialog, {"op", "pr", "ba", "0100", good, false});
    PressButton(dialog, 1033);
    CHECK(CollectErrors(p, 500).empty());
    CHECK(WaitGone(dialog));
    REQUIRE(ExitSerial(p));
    CHECK_EQ(LogWithoutDates(good), Header("op", "pr", "ba") + "Loaded keyboard layout T.kbl\r\n");
}

// A log in a folder that does not exist, then a log that another program holds open
// without sharing: each gives its message and another chance, in both modes; Exit
// then ends the program without a log. (A read-only file cannot stand in for the
// held one here: the tests run as root, whom the file system lets write anyway.)
E2E_CASE(unopenable_log) {
    REQUIRE(PrepareBatchFolder());
    const std::string held = InFolder("held.log");
    REQUIRE(WriteTextFile("held.log", "keep me\r\n"));
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    REQUIRE(holder != INVALID_HANDLE_VALUE);
    Program p;
    REQUIRE(StartProgram(p, "/b"));
    REQUIRE(WaitMainWindow(p));
    HWND dialog = WaitDialog(p, kOperatorTitle);
    REQUIRE(dialog != nullptr);
    const char* const cannot = "Unable to open log file. Please enter an alternate Filename";
    const std::string names[] = {InFolder("missing") + "\\run.log", held, held};
    bool append = false;
    for (const std::string& name : names) {
        FillOperator(dialog, {"op", "pr", "ba", "", name.c_str(), append});
        PressButton(dialog, 1033);
        const std::vector<std::string> shown = CollectErrors(p);
        CHECK_EQ(static_cast<long long>(shown.size()), 1);
        if (!shown.empty()) {
            CHECK_EQ(shown[0], std::string(cannot));
        }
        CHECK(IsWindowVisible(dialog));
        append = !append;
    }
    PressButton(dialog, 1029);
    CHECK(WaitExit(p));
    CloseHandle(holder);
    std::string kept;
    CHECK(ReadWholeFile(held, &kept));
    CHECK_EQ(kept, std::string("keep me\r\n"));
    CHECK(!FileExists(InFolder("missing")));
}

// "Append" keeps the earlier run; "Overwrite" starts the file again.
E2E_CASE(append_and_overwrite) {
    REQUIRE(PrepareBatchFolder());
    const std::string first = Header("Operator 7", "KB-105", "Lot 2026/11") +
                              "Loaded keyboard layout T.kbl\r\n"
                              "Serial number: S1\r\nVersion number: V1\r\n";
    const std::string second = Header("Operator 7", "KB-105", "Lot 2026/11") +
                               "Loaded keyboard layout T.kbl\r\n"
                               "Serial number: S2\r\nVersion number: V2\r\n";
    Program p;
    REQUIRE(StartRun(p, "/b", Standard("1", false)));
    REQUIRE(EnterSerial(p, "S1", "V1"));
    CHECK(CloseProgram(p));
    Program q;
    REQUIRE(StartRun(q, "/b", Standard("1", true)));
    REQUIRE(EnterSerial(q, "S2", "V2"));
    CHECK(CloseProgram(q));
    CHECK_EQ(LogWithoutDates(InFolder("run.log")), first + second);
    Program r;
    REQUIRE(StartRun(r, "/b", Standard("1", false)));
    REQUIRE(EnterSerial(r, "S2", "V2"));
    CHECK(CloseProgram(r));
    CHECK_EQ(LogWithoutDates(InFolder("run.log")), second);
}

// Three presses required: A three times (TestedOk), B four times (OverPressed), C once
// (UnderPressed); the last release completes the test although C is under-pressed.
E2E_CASE(three_keystrokes_required) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartRun(p, "/t", Standard("3")));
    REQUIRE(EnterSerial(p, "S1", "V1"));
    PressAll(p, {kKeyA, kKeyA, kKeyA, kKeyB, kKeyB, kKeyB, kKeyB});
    CHECK(WaitControlText(p.main, 1013, "B B B B A A A "));
    CHECK(FindTopWindow(p, "#32770", kPassTitle) == nullptr);
    PressKey(p, kKeyC);
    REQUIRE(AnswerPass(p, true));
    REQUIRE(ExitSerial(p));
    std::string log;
    REQUIRE(ReadWholeFile(InFolder("run.log"), &log));
    // The status after each release, read from the key-up records in order.
    std::vector<std::string> afterRelease;
    const std::string up = "Key Up: Windows - ";
    for (size_t at = log.find(up); at != std::string::npos; at = log.find(up, at + 1)) {
        const size_t status = log.find("New status ", at);
        REQUIRE(status != std::string::npos);
        afterRelease.push_back(log.substr(at + up.size(), 2) + ":" +
                               log.substr(status + 11, log.find("\r\n", status) - status - 11));
    }
    const std::vector<std::string> expected = {"65:10", "65:10", "65:2",  "66:10",
                                               "66:10", "66:2",  "66:11", "67:10"};
    CHECK_EQ(static_cast<long long>(afterRelease.size()), static_cast<long long>(expected.size()));
    for (size_t i = 0; i < afterRelease.size() && i < expected.size(); ++i) {
        CHECK_EQ(afterRelease[i], expected[i]);
    }
    CHECK(log.find("User verification: PASSED\r\n") != std::string::npos);
}

// Exit in a batch run asks for the verdict of the keyboard on the bench, then ends
// even when the next Serial dialog is answered with "Continue".
E2E_CASE(exit_runs_the_verdict) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartRun(p, "/b", Standard()));
    REQUIRE(EnterSerial(p, "S1", "V1"));
    CHECK(PressAndSettle(p, kKeyA, "A"));
    PressButton(p.main, 1003);
    REQUIRE(AnswerPass(p, false));
    REQUIRE(AnswerFailReason(p, 1029));
    REQUIRE(EnterSerial(p, "S2", "V2"));
    CHECK(WaitExit(p));
    CHECK_EQ(LogWithoutDates(InFolder("run.log")),
             Header("Operator 7", "KB-105", "Lot 2026/11") +
                 "Loaded keyboard layout T.kbl\r\n"
                 "Serial number: S1\r\nVersion number: V1\r\n"
                 "User verification: FAILED\r\n"
                 "    Failure Reason: Bad LEDs\r\n"
                 "Serial number: S2\r\nVersion number: V2\r\n");
}

// The close box ends the program at once, without a verdict.
E2E_CASE(close_box_skips_the_verdict) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartRun(p, "/b", Standard()));
    REQUIRE(EnterSerial(p, "S1", "V1"));
    CHECK(PressAndSettle(p, kKeyA, "A"));
    PostMessageA(p.main, WM_CLOSE, 0, 0);
    CHECK(WaitExit(p));
    CHECK_EQ(LogWithoutDates(InFolder("run.log")),
             Header("Operator 7", "KB-105", "Lot 2026/11") +
                 "Loaded keyboard layout T.kbl\r\n"
                 "Serial number: S1\r\nVersion number: V1\r\n");
}

// The verdict dialogs leave only by their buttons; Serial needs both fields.
E2E_CASE(verdict_dialogs_hold) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartRun(p, "/b", Standard()));
    HWND serial = WaitDialog(p, kSerialTitle);
    REQUIRE(serial != nullptr);
    CHECK(IsCentredOnMain(p, serial));
    SetDlgItemTextA(serial, 1024, "S1");
    PressButton(serial, 1033);
    CHECK(WaitControlText(serial, 1034, "Please enter a Serial Number and Version"));
    CHECK(IsWindowVisible(serial));
    SetDlgItemTextA(serial, 1025, "V1");
    PressButton(serial, 1033);
    CHECK(WaitGone(serial));

    PressAll(p, {kKeyA, kKeyB, kKeyC});
    HWND pass = WaitDialog(p, kPassTitle);
    REQUIRE(pass != nullptr);
    CHECK(IsCentredOnMain(p, pass));
    CHECK((GetWindowLongA(pass, GWL_STYLE) & WS_SYSMENU) == 0);
    PressButton(pass, IDCANCEL);
    PostMessageA(pass, WM_CLOSE, 0, 0);
    RawKey({VK_ESCAPE, 0x01, false}, false);
    RawKey({VK_ESCAPE, 0x01, false}, true);
    Sleep(500);
    CHECK(IsWindowVisible(pass));
    PressButton(pass, 7);
    HWND fail = WaitDialog(p, kFailTitle);
    REQUIRE(fail != nullptr);
    CHECK(IsCentredOnMain(p, fail));
    CHECK((GetWindowLongA(fail, GWL_STYLE) & WS_SYSMENU) == 0);
    PressButton(fail, IDCANCEL);
    PostMessageA(fail, WM_CLOSE, 0, 0);
    Sleep(500);
    CHECK(IsWindowVisible(fail));
    PressButton(fail, 1033);
    // The close box of Serial ends the program like Exit.
    serial = WaitDialog(p, kSerialTitle);
    REQUIRE(serial != nullptr);
    PostMessageA(serial, WM_CLOSE, 0, 0);
    CHECK(WaitExit(p));
    CHECK_EQ(LogWithoutDates(InFolder("run.log")), Header("Operator 7", "KB-105", "Lot 2026/11") +
                                                       "Loaded keyboard layout T.kbl\r\n"
                                                       "Serial number: S1\r\nVersion number: V1\r\n"
                                                       "User verification: FAILED\r\n"
                                                       "    Failure Reason: Bad key\r\n");
}

// Over-long input typed or pasted is cut to the field; digits only in the keystrokes
// field when typed, and what a paste brings in is checked at "Continue".
E2E_CASE(over_long_and_pasted_input) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartProgram(p, "/b"));
    REQUIRE(WaitMainWindow(p));
    HWND dialog = WaitDialog(p, kOperatorTitle);
    REQUIRE(dialog != nullptr);
    const std::string sixty(60, 'x');
    const std::string cut(49, 'x');

    // Typed: the operator field takes 49 characters, the keystrokes field digits only.
    SetForegroundWindow(dialog);
    WaitUntil([&] { return GetForegroundWindow() == dialog; }, 3000);
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, 1021)), TRUE);
    for (int i = 0; i < 60; ++i) {
        RawKey({'X', 0x2D, false}, false);
        RawKey({'X', 0x2D, false}, true);
    }
    CHECK(WaitUntil([&] { return ControlText(dialog, 1021).size() == 49; }, 5000));
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, 1037)), TRUE);
    const Key typed[] = {
        {'A', 0x1E, false}, {'7', 0x08, false}, {VK_OEM_MINUS, 0x0C, false}, {'2', 0x03, false}};
    for (const Key& key : typed) {
        RawKey(key, false);
        RawKey(key, true);
    }
    CHECK(WaitControlText(dialog, 1037, "72"));

    // Pasted: the identifications and the keystrokes field.
    REQUIRE(Paste(dialog, 1022, sixty));
    CHECK_EQ(ControlText(dialog, 1022), cut);
    SetDlgItemTextA(dialog, 1023, sixty.c_str()); // set from outside: read back cut
    SetDlgItemTextA(dialog, 1028, InFolder("run.log").c_str());
    REQUIRE(Paste(dialog, 1037, "-5"));
    PressButton(dialog, 1033);
    std::vector<std::string> shown = CollectErrors(p);
    if (ControlText(dialog, 1037) == "-5") {
        CHECK_EQ(static_cast<long long>(shown.size()), 1);
        CHECK(!shown.empty() &&
              shown[0] == "You must enter a number of keystrokes between 1 and 100");
        Paste(dialog, 1037, "abc");
        PressButton(dialog, 1033);
        shown = CollectErrors(p, 500);
    }
    CHECK(shown.empty()); // no digits count as 0: presses are not counted
    CHECK(WaitGone(dialog));

    HWND serial = WaitDialog(p, kSerialTitle);
    REQUIRE(serial != nullptr);
    REQUIRE(Paste(serial, 1024, sixty));
    CHECK_EQ(ControlText(serial, 1024), cut);
    SetDlgItemTextA(serial, 1025, sixty.c_str());
    PressButton(serial, 1033);
    CHECK(WaitGone(serial));
    CHECK(CloseProgram(p));
    CHECK_EQ(LogWithoutDates(InFolder("run.log")),
             Header(cut.c_str(), cut.c_str(), cut.c_str()) + "Loaded keyboard layout T.kbl\r\n" +
                 "Serial number: " + cut + "\r\nVersion number: " + cut + "\r\n");
}

// A log path longer than the field: cut to 399 characters, refused with the message,
// nothing written anywhere, and the dialog still usable.
E2E_CASE(over_long_log_path) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartProgram(p, "/b"));
    REQUIRE(WaitMainWindow(p));
    HWND dialog = WaitDialog(p, kOperatorTitle);
    REQUIRE(dialog != nullptr);
    const std::string longName = InFolder("") + std::string(450, 'L') + ".log";
    FillOperator(dialog, {"op", "pr", "ba", "", longName.c_str(), false});
    PressButton(dialog, 1033);
    const std::vector<std::string> shown = CollectErrors(p);
    CHECK_EQ(static_cast<long long>(shown.size()), 1);
    if (!shown.empty()) {
        CHECK_EQ(shown[0],
                 std::string("Unable to open log file. Please enter an alternate Filename"));
    }
    CHECK(IsWindowVisible(dialog));
    CHECK_EQ(static_cast<long long>(ListFolder("*.log").size()), 0);
    PressButton(dialog, 1029);
    CHECK(WaitExit(p));
}

// "..." opens the file dialog at test.log beside the program; cancelling puts that
// default into the field, a name typed without extension comes back as a .log.
E2E_CASE(browse_for_log_file) {
    REQUIRE(PrepareBatchFolder());
    Program p;
    REQUIRE(StartProgram(p, "/b"));
    REQUIRE(WaitMainWindow(p));
    HWND dialog = WaitDialog(p, kOperatorTitle);
    REQUIRE(dialog != nullptr);
    SetDlgItemTextA(dialog, 1028, "typed before");
    PressButton(dialog, 1005);
    HWND files = WaitDialog(p, "Select a Log filename");
    REQUIRE(files != nullptr);
    PressButton(files, IDCANCEL);
    CHECK(WaitControlText(dialog, 1028, InFolder("test.log").c_str()));

    WaitUntil([&] { return !IsWindow(files); }, 5000);
    PressButton(dialog, 1005);
    files = WaitDialog(p, "Select a Log filename");
    REQUIRE(files != nullptr);
    // The file name box (0x47C) starts with the default name; type over it only then.
    CHECK(WaitControlText(files, 0x47C, "test.log"));
    SetDlgItemTextA(files, 0x47C, "line3");
    PressButton(files, IDOK);
    CHECK(WaitControlText(dialog, 1028, InFolder("line3.log").c_str()));
    WaitUntil([&] { return !IsWindow(files); }, 5000);
    PressButton(dialog, 1029);
    CHECK(WaitExit(p));
}
