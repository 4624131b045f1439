// The driver's own cases, run against the small fixture program: if these fail, the
// program cases cannot be trusted either.
#include "tests/e2e/driver.h"

namespace {

int StartFixture(Program& p, const char* arguments) {
    mainWindowClass = "E2EFixture";
    return PrepareProgramFolder() && StartProgram(p, arguments) && WaitMainWindow(p);
}

} // namespace

// Virtual-key code, scan code and extended flag arrive as the driver sent them.
E2E_CASE(keys_arrive_with_their_codes) {
    Program p;
    REQUIRE(StartFixture(p, ""));
    struct {
        Key key;
        const char* seen;
    } const table[] = {
        {kKeyA, "D65,30,0 U65,30,0 "},
        {kKeyRightCtrl, "D17,29,1 U17,29,1 "},
        {kKeyInsert, "D45,82,1 U45,82,1 "},
        {kKeyEnter, "D13,28,0 U13,28,0 "},
    };
    std::string expected;
    for (const auto& row : table) {
        PressKey(p, row.key);
        expected += row.seen;
        CHECK(WaitControlText(p.main, 1009, expected.c_str()));
    }
    CHECK(CloseProgram(p));
}

// A message box raised by a key is found, read and closed; keys reach the window after.
// The key-up of F2 goes to the box, which has the focus by then.
E2E_CASE(message_box_is_read_and_closed) {
    Program p;
    REQUIRE(StartFixture(p, ""));
    PressKey(p, {VK_F2, 0x3C, false});
    CHECK(ExpectMessage(p, "Fixture box", "Key F2\nwas pressed"));
    PressKey(p, kKeyB);
    CHECK(WaitControlText(p.main, 1009, "D113,60,0 D66,48,0 U66,48,0 "));
    CHECK(CloseProgram(p));
}

// An unowned box before the main window: the window comes only after OK.
E2E_CASE(start_up_box_comes_first) {
    mainWindowClass = "E2EFixture";
    REQUIRE(PrepareProgramFolder());
    Program p;
    REQUIRE(StartProgram(p, "/box"));
    REQUIRE(ExpectMessage(p, "Fixture start", "Before the window"));
    CHECK(WaitMainWindow(p));
    CHECK(CloseProgram(p));
}

// Clicks land at the client point aimed at; a click on a button goes to the button;
// the screen shows the fixture's background colour.
E2E_CASE(mouse_clicks_and_pixels) {
    Program p;
    REQUIRE(StartFixture(p, ""));
    POINT at = {100, 120};
    ClientToScreen(p.main, &at);
    CHECK(WaitUntil([&] { return ScreenPixel(at.x, at.y) == RGB(0, 128, 255); }));
    CHECK_EQ(ScreenPixel(at.x, at.y), RGB(0, 128, 255));
    Click(p, at.x, at.y, kLeft);
    Click(p, at.x + 5, at.y + 7, kRight);
    CHECK(WaitControlText(p.main, 1009, "L100,120 R105,127 "));
    const POINT close = Centre(ControlScreenRect(p.main, IDCANCEL));
    Click(p, close.x, close.y, kLeft);
    DWORD code = 7;
    CHECK(WaitExit(p, &code));
    CHECK_EQ(code, 0);
}

// Files the program writes are read from its folder; exit codes are seen.
E2E_CASE(exit_code_and_written_file) {
    Program p;
    REQUIRE(StartFixture(p, ""));
    CHECK(!FileExists("closed.txt"));
    CHECK(CloseProgram(p));
    std::string text;
    CHECK(ReadWholeFile("closed.txt", &text));
    CHECK_EQ(text, std::string("bye\r\n"));
    Program quick;
    REQUIRE(StartProgram(quick, "/quit"));
    DWORD code = 0;
    CHECK(WaitExit(quick, &code));
    CHECK_EQ(code, 3);
}
