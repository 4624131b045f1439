// Keys and mouse buttons as a technician types them: the codes and names shown,
// the trace of a session, and a layout whose picture cannot be loaded.
#include "tests/e2e/clavoro_cases.h"

// A plain key, an extended key and a key without a record, each pressed and released.
E2E_CASE(key_codes_shown) {
    Program p;
    REQUIRE(StartWithLayouts(p, {"Small"}, ""));
    // After the start-up Clear the fields show zeros and no names.
    CHECK(WaitControlText(p.main, kWindowsCode, "0 (0x0)"));
    CHECK_EQ(ControlText(p.main, kBiosCode), std::string("0 (0x0)"));
    CHECK_EQ(ControlText(p.main, kLastKeyDown), std::string("N/A"));
    CHECK_EQ(ControlText(p.main, kRate), std::string("0.0"));
    struct Row {
        Key key;
        const char* windows;
        const char* bios;
        const char* extended;
        const char* lastDown; // the last matched key: unchanged by a key without record
        const char* recent;
    };
    const Row rows[] = {
        {kKeyA, "65 (0x41)", "30 (0x1e)", "", "A", "A "},
        {kKeyRightCtrl, "17 (0x11)", "29 (0x1d)", "E", "Right Ctrl", "Right Ctrl A "},
        {kKeyInsert, "45 (0x2d)", "82 (0x52)", "E", "Right Ctrl", "Right Ctrl A "},
        {kKeyB, "66 (0x42)", "48 (0x30)", "", "B", "B Right Ctrl A "},
    };
    for (const Row& row : rows) {
        Note("key %d", row.key.vk);
        PressKey(p, row.key);
        CHECK(WaitControlText(p.main, kWindowsCode, row.windows));
        CHECK(WaitControlText(p.main, kLastKeyUp, row.lastDown));
        CHECK_EQ(ControlText(p.main, kBiosCode), std::string(row.bios));
        CHECK_EQ(ControlText(p.main, kWindowsExtended), std::string(row.extended));
        CHECK_EQ(ControlText(p.main, kBiosExtended), std::string(row.extended));
        CHECK_EQ(ControlText(p.main, kLastKeyDown), std::string(row.lastDown));
        CHECK_EQ(ControlText(p.main, kRecentKeys), std::string(row.recent));
    }
    CHECK(CloseProgram(p));
}

// Mouse buttons over the picture are keys of the layout; a click on a control is not.
E2E_CASE(mouse_buttons_as_keys) {
    Program p;
    REQUIRE(StartWithLayouts(p, {"Small"}, ""));
    const POINT picture = Centre(ControlScreenRect(p.main, kPicture));
    struct Row {
        MouseButton button;
        const char* name;
        const char* label;
    };
    const Row rows[] = {
        {kLeft, "LMOUSE", "Left button"},
        {kMiddle, "MMOUSE", "Middle button"},
        {kRight, "RMOUSE", "Right button"},
    };
    for (const Row& row : rows) {
        Note("%s", row.name);
        Click(p, picture.x, picture.y, row.button);
        CHECK(WaitControlText(p.main, kLastKeyUp, row.label));
        CHECK_EQ(ControlText(p.main, kWindowsCode), std::string(row.name));
        CHECK_EQ(ControlText(p.main, kBiosCode), std::string(row.name));
        CHECK_EQ(ControlText(p.main, kWindowsExtended), std::string("E"));
        CHECK_EQ(ControlText(p.main, kLastKeyDown), std::string(row.label));
    }
    // Clicks on the "Windows" radio button (already chosen, so harmless) and a right
    // click on the Clear button; then a key that marks where the queue has got to.
    PressKey(p, kKeyA);
    CHECK(WaitControlText(p.main, kLastKeyUp, "A"));
    const POINT radio = Centre(ControlScreenRect(p.main, kWindowsRadio));
    Click(p, radio.x, radio.y, kLeft);
    const POINT clear = Centre(ControlScreenRect(p.main, kClearButton));
    Click(p, clear.x, clear.y, kRight);
    PressKey(p, kKeyF9);
    CHECK(WaitControlText(p.main, kWindowsCode, "120 (0x78)"));
    CHECK_EQ(ControlText(p.main, kLastKeyDown), std::string("A"));
    CHECK_EQ(ControlText(p.main, kRecentKeys),
             std::string("A Right button Middle button Left button "));
    CHECK(CloseProgram(p));
}

// A short session traced into a file that already holds a line: the old line stays,
// every entry follows with CRLF line ends, key codes run on until Enter, and a
// trace line after a key code starts right after its comma.
E2E_CASE(trace_of_a_session) {
    REQUIRE(PrepareProgramFolder());
    REQUIRE(WriteLayout("Small"));
    REQUIRE(WriteTextFile("trace.txt", "from an earlier run\r\n"));
    Program p;
    REQUIRE(StartProgram(p, "/l trace.txt"));
    REQUIRE(WaitMainWindow(p));
    for (Key key : {kKeyA, kKeyB, kKeyEnter, kKeyA}) {
        PressKey(p, key);
    }
    std::string text;
    // Buttons are posted; wait until the keys are in, or the Clear could overtake them.
    CHECK(WaitUntil(
        [&] { return ReadWholeFile("trace.txt", &text) && text.find("66,\r\n65,") != text.npos; }));
    PressButton(p.main, kClearButton);
    CHECK(WaitUntil([&] {
        return ReadWholeFile("trace.txt", &text) &&
               text.find("finish\r\n", text.size() - 8) != text.npos;
    }));
    CHECK(CloseProgram(p));
    CHECK(ReadWholeFile("trace.txt", &text));
    CHECK_EQ(text, std::string("from an earlier run\r\n"
                               "Created debug file\r\n"
                               "Creating main dialog\r\n"
                               "Load keyboard layouts - start\r\n"
                               "Load keyboard layouts - done\r\n"
                               "Clear all start\r\n"
                               "Clear all finish\r\n"
                               "InitDialog start\r\n"
                               "Clear all start\r\n"
                               "Clear all finish\r\n"
                               "InitDialog finish\r\n"
                               "Show window\r\n"
                               "65,66,\r\n"
                               "65,Clear all start\r\n"
                               "Clear all finish\r\n"
                               "WM_DESTROY\r\n"));
}

// A picture file that is no bitmap is not loaded, silently; the layout's keys are
// still tested.
E2E_CASE(picture_that_is_no_bitmap) {
    REQUIRE(PrepareProgramFolder());
    REQUIRE(WriteTextFile("Small.kbl", kSmallLayout));
    REQUIRE(WriteTextFile("Small.bmp", "BM this is a text file, not a picture\r\n"));
    Program p;
    REQUIRE(StartProgram(p, ""));
    REQUIRE(WaitMainWindow(p));
    CHECK(FindTopWindow(p, "#32770", nullptr) == nullptr);
    CHECK_EQ(SelectedLayout(p.main), std::string("Small"));
    PressKey(p, kKeyA);
    CHECK(WaitControlText(p.main, kLastKeyDown, "A"));
    CHECK(WaitControlText(p.main, kLastKeyUp, "A"));
    CHECK(CloseProgram(p));
}
