// /d: only the keyboard under test is tested. Wine shows every key of the X server, and
// every key sent with SendInput, as keys of its one keyboard, VID 845E PID 0002; a key
// message posted to the window comes with no raw record, as from a program or another
// keyboard.
#include "tests/e2e/driver.h"

namespace {

const char* const kLayout = "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,40,50,60,40\r\n"
                            "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,140,50,60,40\r\n"
                            "\"VK_LWIN\",91,\"Win\",\"true\",\"CVSTATUSUP\",0,240,50,60,40\r\n";
const int kIdentity = 1053, kOtherKeys = 1054;
const char* const kWineKeyboard = "VID 845E PID 0002";

// B pressed and released as a program would: messages posted to the main window.
void PostB(HWND main) {
    PostMessageA(main, WM_KEYDOWN, 'B', 0x00300001);
    PostMessageA(main, WM_KEYUP, 'B', static_cast<LPARAM>(0xC0300001u));
}

bool ShowsWineKeyboard(HWND main) {
    return WaitUntil([&] { return ControlText(main, kIdentity).find(kWineKeyboard) == 0; });
}

} // namespace

// Without /d the posted B is tested as ever. With /d (and the system-key filter, whose
// keys come as posted messages too) A and the Windows key are tested and name the
// keyboard; B is not, and is counted. In a batch run the log names the keyboard after
// its serial and version, and B chose nothing before A.
TEST(Keyboard, typed_keys_tested_posted_key_not) {
    ASSERT_TRUE(PrepareProgramFolder() && WriteLayout("D", kLayout));
    Program p;
    ASSERT_TRUE(StartProgram(p, "") && WaitMainWindow(p));
    PostB(p.main);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "B"));
    TerminateProcess(p.info.hProcess, 0); // its window would be found in place of the next
    WaitExit(p);

    ASSERT_TRUE(StartProgram(p, "/d /f") && WaitMainWindow(p));
    EXPECT_EQ("none yet (the next key pressed chooses it)", ControlText(p.main, kIdentity));
    PressKey(p, kKeyA);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "A"));
    EXPECT_TRUE(ShowsWineKeyboard(p.main)) << ControlText(p.main, kIdentity);
    PostB(p.main);
    EXPECT_TRUE(WaitControlText(p.main, kOtherKeys, "Other keyboards: 1 key not counted"));
    PressKey(p, {VK_LWIN, 0x5B, true});
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "Win"));
    EXPECT_EQ("Win A ", ControlText(p.main, kRecentKeys));
    TerminateProcess(p.info.hProcess, 0);
    WaitExit(p);

    HWND dialog = StartBatchRun(p, "/b /d", InFolder("keyboards.log"));
    ASSERT_TRUE(dialog != nullptr && WaitGone(dialog) && Answer(kSerialTitle, kContinue, "SN-1"));
    PostB(p.main);
    PressKey(p, kKeyA);
    std::string log;
    EXPECT_TRUE(WaitUntil([&] {
        return ReadWholeFile("keyboards.log", &log) && log.find("    Keyboard: ") != log.npos;
    }));
    EXPECT_NE(log.npos, log.find("Version number: V1\r\n    Keyboard: VID 845E PID 0002")) << log;
    EXPECT_TRUE(ShowsWineKeyboard(p.main));
}
