// Plug-in mode, driven the way a test station drives it: clavoro-host creates the
// shared record and starts Clavoro with /p; the cases read what the host printed.
#include <cstring>

#include "tests/e2e/driver.h"

namespace {

const char* kFourKeys = "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,10,10,40,40\n"
                        "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,60,10,40,40\n"
                        "'C',46,\"C\",\"false\",\"CVSTATUSUP\",0,110,10,40,40\n"
                        "'D',32,\"D\",\"false\",\"CVSTATUSUP\",0,160,10,40,40\n";
const Key kKeyC = {'C', 0x2E, false};

struct Hosted {
    Program host;    // clavoro-host
    Program clavoro; // the plug-in it started
};

std::string HostOutput() {
    std::string text;
    ReadWholeFile(InFolder("host.txt"), &text);
    return text;
}

int WaitHostLine(const char* line, int timeoutMs = kWaitMs) {
    if (WaitUntil([&] { return HostOutput().find(line) != std::string::npos; }, timeoutMs)) {
        return 1;
    }
    Note("host output so far:\n%s", HostOutput().c_str());
    return 0;
}

int PrepareFolder(const char* layout) {
    return PrepareProgramFolder() && WriteTextFile("P.kbl", layout) &&
           WriteBitmap("P.bmp", RGB(255, 255, 255));
}

// Starts clavoro-host in the program folder with its output in host.txt, and finds
// the Clavoro it started.
int StartHosted(Hosted& h, const char* layout, const char* hostArguments) {
    if (!PrepareFolder(layout) || !CopyBesideProgram("clavoro-host.exe")) {
        return 0;
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output =
        CreateFileA(InFolder("host.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
        return Fail(__FILE__, __LINE__, "host.txt");
    }
    const std::string exe = InFolder("clavoro-host.exe");
    std::string line = "\"" + exe + "\" " + hostArguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info = {};
    BOOL ok = CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                             ProgramFolder(), &startup, &info);
    CloseHandle(output);
    if (!ok) {
        return Fail(__FILE__, __LINE__, "CreateProcessA clavoro-host");
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!AdoptProcess(h.host, info.dwProcessId)) {
        return 0;
    }
    HWND main = nullptr;
    if (!WaitUntil([&] {
            main = FindWindowA("Clavoro", nullptr);
            return main != nullptr && IsWindowVisible(main);
        })) {
        Note("host output:\n%s", HostOutput().c_str());
        return Fail(__FILE__, __LINE__, "no Clavoro window");
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    return AdoptProcess(h.clavoro, pid) && WaitMainWindow(h.clavoro);
}

// The record as the host must see it right after the attach, from the fixed layout of
// the shared block: what Clavoro writes, and the host's fill byte everywhere else.
std::vector<unsigned char> ExpectedAttachRecord(unsigned char fill) {
    std::vector<unsigned char> r(352, fill);
    auto u32 = [&](int offset, unsigned value) { std::memcpy(&r[offset], &value, 4); };
    auto i64 = [&](int offset, long long value) { std::memcpy(&r[offset], &value, 8); };
    auto text = [&](int offset, const char* t) { std::memcpy(&r[offset], t, strlen(t) + 1); };
    u32(0, 1); // runWord, the host's
    u32(8, 2); // attachCode
    text(12, "Clavoro");
    u32(32, 0);           // reserved32
    u32(36, 0xFFFFFFFFu); // stateCode -1
    text(40, "Starting");
    u32(60, 0);   // messageCount
    text(64, ""); // messageText
    u32(164, 0);  // messageKind
    text(168, "Operations:");
    i64(192, 0);   // operationsCount
    text(200, ""); // label2
    i64(224, -1);  // value2
    text(232, ""); // label3
    i64(256, -1);  // value3
    for (int flag : {264, 305, 347, 348, 349, 350, 351}) {
        r[flag] = 0;
    }
    r[346] = 1; // attachedFlag
    return r;
}

// The 22 dump lines that follow a marker line of the host's output, as bytes.
std::vector<unsigned char> DumpAfter(const std::string& output, const char* marker) {
    std::vector<unsigned char> bytes;
    size_t at = output.find(marker);
    if (at == std::string::npos) {
        return bytes;
    }
    at = output.find('\n', at);
    for (int line = 0; line < 22 && at != std::string::npos; ++line) {
        size_t end = output.find('\n', at + 1);
        std::string text = output.substr(at + 1, end - at - 1);
        size_t colon = text.find(':');
        for (size_t i = colon + 1; colon != std::string::npos && i + 2 < text.size() + 1; i += 3) {
            bytes.push_back(
                static_cast<unsigned char>(strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16)));
        }
        at = end;
    }
    return bytes;
}

} // namespace

// Every byte of the record after the attach: Clavoro's fields, and the host's own bytes
// left as the host wrote them. No Operator or Serial dialog, no test log.
E2E_CASE(attach_writes_the_record) {
    Hosted h;
    REQUIRE(StartHosted(h, kFourKeys, "--dump --fill 0xAB"));
    REQUIRE(WaitHostLine("attach: code 2, program \"Clavoro\", state -1"));
    REQUIRE(WaitHostLine("  0150:"));
    std::vector<unsigned char> seen = DumpAfter(HostOutput(), "attach:");
    std::vector<unsigned char> expected = ExpectedAttachRecord(0xAB);
    REQUIRE_EQ(static_cast<long long>(seen.size()), 352);
    for (int i = 0; i < 352; ++i) {
        if (seen[i] != expected[i]) {
            Note("byte %d: 0x%02x, expected 0x%02x", i, seen[i], expected[i]);
            CHECK(seen[i] == expected[i]);
        }
    }
    Sleep(1500);
    CHECK(FindTopWindow(h.clavoro, "#32770", nullptr) == nullptr);
    CHECK(!FileExists(InFolder("test.log")));
    CHECK(CloseProgram(h.clavoro));
    CHECK(WaitHostLine("clavoro-host: Clavoro ended with exit code 0"));
}

// Each processed key release is an operation; Fail test with Bad LEDs reaches the host
// as a message of kind 3; the state becomes 9 and the program ends on its own.
E2E_CASE(operations_then_failed_by_user) {
    Hosted h;
    REQUIRE(StartHosted(h, kFourKeys, "--dump"));
    REQUIRE(WaitHostLine("attach:"));
    PressKey(h.clavoro, kKeyA);
    PressKey(h.clavoro, kKeyB);
    PressKey(h.clavoro, kKeyC);
    CHECK(WaitHostLine("operations: 3"));
    PressButton(h.clavoro.main, 1007);
    HWND reason = nullptr;
    REQUIRE(WaitUntil([&] {
        return (reason = FindTopWindow(h.clavoro, nullptr, "Select the fail reason")) != nullptr;
    }));
    PostMessageA(GetDlgItem(reason, 1029), BM_CLICK, 0, 0);
    CHECK(WaitUntil([&] { return IsDlgButtonChecked(reason, 1029) == BST_CHECKED; }));
    PressButton(reason, 1033);
    CHECK(WaitHostLine("message 1, kind 3: \"Failed by user -    Failure Reason: Bad LEDs \""));
    CHECK(WaitHostLine("state: 9 (test finished)"));
    const DWORD stateSeen = GetTickCount();
    DWORD code = 1;
    CHECK(WaitExit(h.clavoro, &code));
    // The program waits up to 3 s for the host after state 9; how long the whole end
    // takes is noted, not judged (the machine's load decides it).
    Note("ended %lu ms after the host saw state 9", GetTickCount() - stateSeen);
    CHECK(WaitHostLine("clavoro-host: Clavoro ended with exit code 0"));
    std::vector<unsigned char> end = DumpAfter(HostOutput(), "record at the end:");
    REQUIRE_EQ(static_cast<long long>(end.size()), 352);
    CHECK_EQ(end[60], 1);  // messageCount
    CHECK_EQ(end[164], 3); // messageKind
    CHECK_EQ(end[347], 1); // messagePending
    CHECK_EQ(end[192], 3); // operationsCount: no more after the failure
}

// A completed test: one operation more before the pass check; Yes ends the run.
E2E_CASE(pass_verified) {
    Hosted h;
    REQUIRE(StartHosted(h,
                        "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,10,10,40,40\n"
                        "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,60,10,40,40\n",
                        ""));
    REQUIRE(WaitHostLine("attach:"));
    PressKey(h.clavoro, kKeyA);
    CHECK(WaitHostLine("operations: 1"));
    PressKey(h.clavoro, kKeyB);
    HWND pass = nullptr;
    REQUIRE(WaitUntil([&] {
        return (pass = FindTopWindow(h.clavoro, nullptr, "Clavoro - Keyboard Passed ?")) != nullptr;
    }));
    CHECK(WaitHostLine("operations: 2"));
    PressButton(pass, 6);
    CHECK(WaitHostLine("state: 9 (test finished)"));
    CHECK(WaitExit(h.clavoro));
    CHECK(HostOutput().find("message") == std::string::npos);
    CHECK(FindTopWindow(h.clavoro, nullptr, "Select the fail reason") == nullptr);
}

// The host clears runWord: Clavoro ends at its next poll, a running LED test first
// stopped.
E2E_CASE(host_stop_ends_the_program) {
    Hosted h;
    REQUIRE(StartHosted(h, kFourKeys, "--stop-file stop.txt"));
    REQUIRE(WaitHostLine("attach:"));
    PressButton(h.clavoro.main, 1023); // Test LEDs
    Sleep(700);
    REQUIRE(WriteTextFile("stop.txt", "stop"));
    REQUIRE(WaitHostLine("clavoro-host: runWord set to 0"));
    const DWORD stopped = GetTickCount();
    DWORD code = 1;
    CHECK(WaitExit(h.clavoro, &code));
    Note("ended %lu ms after runWord 0", GetTickCount() - stopped);
    CHECK_EQ(code, 0);
}

// Without a usable marker the connection fails with its code, and the program ends.
E2E_CASE(connection_failures) {
    const struct {
        const char* arguments;
        const char* text;
    } table[] = {
        {"/p", "Unable to initialize interface with Ardentis (1)"},
        {"/p XYZ_PLUGIN_INT", "Unable to initialize interface with Ardentis (1)"},
        {"/p ARD_PLUGIN_INT_nobody", "Unable to initialize interface with Ardentis (2)"},
    };
    for (const auto& row : table) {
        REQUIRE(PrepareFolder(kFourKeys));
        Program p;
        REQUIRE(StartProgram(p, row.arguments));
        CHECK(ExpectMessage(p, "Clavoro: Error", row.text));
        DWORD code = 1;
        CHECK(WaitExit(p, &code));
        CHECK_EQ(code, 0);
    }
}
