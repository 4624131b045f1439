// A station: an installed program started by its shortcut's line of six arguments.
#include "base/bmp_writer.h"
#include "resources/batch_dialog_ids.h"
#include "tests/e2e/driver.h"

// /b /d /c 30 /k UK105 in a folder holding a white UK105.bmp: the default log in the shared
// data folder, in full in the Batch-ID dialog; UK105's picture and its key left of Z tested,
// choosing the keyboard under test; a key pressed again after 5 ms failing it as chatter.
TEST(Station, six_argument_line_of_an_installed_program) {
    const std::string program = "C:\\Program Files\\Clavoro station case\\",
                      log = "C:\\ProgramData\\Orvane\\Clavoro\\test.log";
    ASSERT_TRUE(PrepareProgramFolder() &&
                SaveBmp(MakePicture(700, 340, 0xFFFFFF), InFolder("UK105.bmp").c_str()));
    CreateDirectoryA(program.c_str(), nullptr);
    for (const char* file : {"Clavoro.exe", "UK105.kbl", "UK105.bmp", "US104.kbl", "US104.bmp"}) {
        ASSERT_TRUE(CopyFileA(BesideProgram(file).c_str(), (program + file).c_str(), FALSE));
    }
    DeleteFileA(log.c_str());
    RemoveDirectoryA(log.substr(0, log.rfind('\\')).c_str());
    Program p;
    HWND dialog = nullptr;
    ASSERT_TRUE(StartProgram(p, "/b /d /c 30 /k UK105", (program + "Clavoro.exe").c_str()) &&
                WaitMainWindow(p) && (dialog = WaitWindow("#32770", "Clavoro Batch-ID")));
    EXPECT_EQ(log, ControlText(dialog, kLogName));
    for (const int field : {kOperator, kProduct, kBatch}) {
        SetDlgItemTextA(dialog, field, "7");
    }
    PressButton(dialog, kContinue);
    ASSERT_TRUE(WaitGone(dialog) && Answer(kSerialTitle, kContinue, "SN-1"));
    EXPECT_EQ("UK105", ControlText(p.main, kLayoutList));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(p.main, 1049))) << "the chatter row";
    // The keyboard's body around 200, 47 as the file has it, on the screen.
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, (program + "UK105.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(dc, bitmap);
    const COLORREF body = GetPixel(dc, 200, 47);
    DeleteObject(SelectObject(dc, before));
    DeleteDC(dc);
    EXPECT_TRUE(body != RGB(255, 255, 255) &&
                WaitUntil([&] { return ShowsHatch(p.main, 190, 27, 20, body); }));

    PressKey(p, {VK_OEM_5, 0x56, false});
    EXPECT_TRUE(WaitControlText(p.main, kLastKeyUp, "\\"));
    EXPECT_TRUE(WaitUntil([&] { return ShowsHatch(p.main, 51, 142, 28, kGreen); }));
    EXPECT_EQ(0u, ControlText(p.main, 1053).find("VID 845E PID 0002")) << "the keyboard";
    PressKey(p, kKeyA);
    Sleep(5);
    PressKey(p, kKeyA);
    ASSERT_TRUE((dialog = WaitWindow("#32770", kFailTitle)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, kKeyChatter));
    std::string text;
    EXPECT_TRUE(ReadWholeFile(log, &text) &&
                text.find("Batch identification: 7\r\nLoaded keyboard layout UK105.kbl\r\n") !=
                    text.npos)
        << text;
}

// Run by the installer's test on what it installed, which checks what this prints: the
// installed program started without arguments (the station's Options make it a batch run).
TEST(Station, installed_program_batch_dialog) {
    Program p;
    ASSERT_TRUE(PrepareProgramFolder() &&
                StartProgram(p, "", "C:\\Program Files\\Clavoro\\Clavoro.exe"));
    const HWND d = WaitWindow("#32770", "Clavoro Batch-ID"); // none: the case fails
    printf("Product=%s\nBatch=%s\nKeystrokes=%s\nLogFile=%s\nLogMode=%s\n",
           ControlText(d, IDC_PRODUCT_ID).c_str(), ControlText(d, IDC_BATCH_ID).c_str(),
           ControlText(d, IDC_KEYSTROKES).c_str(), ControlText(d, IDC_LOG_FILE_NAME).c_str(),
           IsDlgButtonChecked(d, IDC_APPEND_LOG) ? "append" : "overwrite");
}
