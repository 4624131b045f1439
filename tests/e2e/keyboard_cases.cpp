// /d under Wine: every key of the X server, and every key sent with SendInput, comes from
// Wine's one keyboard, VID 845E PID 0002; a key message posted to the window comes with no
// raw record, as from a program or another keyboard.
#include "tests/e2e/driver.h"

// Without /d a posted B is tested. In a batch run with /d (and the system-key filter, which
// posts its keys too) A and the Windows key are tested and name the keyboard on the screen
// and in the log after its serial and version; B is not tested, and is counted.
TEST(Keyboard, typed_keys_tested_posted_key_not) {
    auto postB = [](HWND main) {
        PostMessageA(main, WM_KEYDOWN, 'B', 0x00300001);
        PostMessageA(main, WM_KEYUP, 'B', static_cast<LPARAM>(0xC0300001u));
    };
    const int identity = 1053, otherKeys = 1054;
    ASSERT_TRUE(PrepareProgramFolder() &&
                WriteLayout("D",
                            "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,40,50,60,40\r\n"
                            "'B',48,\"B\",\"false\",\"CVSTATUSUP\",0,140,50,60,40\r\n"
                            "\"VK_LWIN\",91,\"Win\",\"true\",\"CVSTATUSUP\",0,240,50,60,40\r\n"));
    Program p;
    ASSERT_TRUE(StartProgram(p, "") && WaitMainWindow(p));
    postB(p.main);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "B"));
    ASSERT_TRUE(TerminateProcess(p.info.hProcess, 0) && WaitExit(p)); // gone before the next

    HWND dialog = StartBatchRun(p, "/b /d /f", InFolder("keyboards.log"));
    ASSERT_TRUE(dialog != nullptr && WaitGone(dialog) && Answer(kSerialTitle, kContinue, "SN-1"));
    EXPECT_EQ("none yet (the next key pressed chooses it)", ControlText(p.main, identity));
    PressKey(p, kKeyA);
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "A")); // the filter's keys overtake input
    postB(p.main);
    PressKey(p, {VK_LWIN, 0x5B, true});
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "Win"));
    EXPECT_TRUE(WaitControlText(p.main, otherKeys, "Other keyboards: 1 key not counted"));
    EXPECT_EQ("Win A ", ControlText(p.main, kRecentKeys));
    EXPECT_EQ(0u, ControlText(p.main, identity).find("VID 845E PID 0002"));
    std::string log;
    EXPECT_TRUE(ReadWholeFile("keyboards.log", &log));
    EXPECT_NE(log.npos, log.find("V1\r\n    Keyboard: VID 845E PID 0002")) << log;
}
