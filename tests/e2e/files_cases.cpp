// The window placement kept in the settings file between runs.
#include <cstdio>

#include "tests/e2e/clavoro_cases.h"

namespace {

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

std::string RectText(const RECT& r) {
    char text[64];
    snprintf(text, sizeof text, "%ld,%ld,%ld,%ld", r.left, r.top, r.right - r.left,
             r.bottom - r.top);
    return text;
}

std::string SettingsText() {
    std::string text;
    return ReadWholeFile(SettingsFilePath(), &text) ? text : "(no settings file)";
}

// Starts with whatever settings file is in place and reads where the window went.
std::string PlacementAtStart() {
    Program p;
    if (!StartProgram(p, "") || !WaitMainWindow(p)) {
        return "(no window)";
    }
    const std::string placement = RectText(WindowRect(p.main));
    CHECK(CloseProgram(p));
    return placement;
}

} // namespace

// The placement written at a normal end is the window's outer rectangle, and the
// next start puts the window there.
E2E_CASE(settings_saved_and_restored) {
    REQUIRE(PrepareProgramFolder());
    REQUIRE(WriteLayout("Small"));
    Program p;
    REQUIRE(StartProgram(p, ""));
    REQUIRE(WaitMainWindow(p));
    SetWindowPos(p.main, nullptr, 100, 80, 700, 500, SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(WaitUntil([&] { return RectText(WindowRect(p.main)) == "100,80,700,500"; }));
    CHECK(CloseProgram(p));
    CHECK_EQ(SettingsText(), std::string("[POSITION]\r\n100,80,700,500\r\n"));
    CHECK_EQ(PlacementAtStart(), std::string("100,80,700,500"));
}

// Hand-written settings files: what is applied and what leaves the template's place.
E2E_CASE(settings_file_variants) {
    REQUIRE(PrepareProgramFolder());
    REQUIRE(WriteLayout("Small"));
    const std::string templatePlace = PlacementAtStart(); // no settings file yet
    const std::string screenWidth = std::to_string(GetSystemMetrics(SM_CXVIRTUALSCREEN));
    struct Row {
        std::string file;
        std::string placement; // empty: the template's
    };
    const Row rows[] = {
        {"[POSITION]\r\n120,90,640,480\r\n", "120,90,640,480"},
        {"settings [position] of Clavoro\r\n120,90,640,480\r\n", "120,90,640,480"},
        {"[POSITION]\r\n10,20\r\n", "10,20,675,463"},
        {"[POSITION]\r\n10 ,20,640,480\r\n", "10,0,675,463"},
        {"[POSITION]\r\n-50,30,640,480\r\n", "-50,30,640,480"},
        {"[POSITION]\r\n   \r\n", "0,0,675,463"},
        {"[POSITION]\r\nx10,20,640,480\r\n", ""},
        {"[POSITION]\r\n" + screenWidth + ",20,640,480\r\n", ""},
        {"POSITION\r\n120,90,640,480\r\n", ""},
        {"\r\n[POSITION]\r\n120,90,640,480\r\n", ""},
        {"[POSITION]", ""},
    };
    for (const Row& row : rows) {
        Note("settings file \"%s\"", Escaped(row.file).c_str());
        REQUIRE(WriteTextFile(SettingsFilePath().c_str(), row.file));
        CHECK_EQ(PlacementAtStart(), row.placement.empty() ? templatePlace : row.placement);
    }
}

// Ending maximised leaves an empty file, and the next start uses the template's place.
E2E_CASE(settings_emptied_when_maximised) {
    REQUIRE(PrepareProgramFolder());
    REQUIRE(WriteLayout("Small"));
    const std::string templatePlace = PlacementAtStart();
    REQUIRE(WriteTextFile(SettingsFilePath().c_str(), "[POSITION]\r\n120,90,640,480\r\n"));
    Program p;
    REQUIRE(StartProgram(p, ""));
    REQUIRE(WaitMainWindow(p));
    PostMessageA(p.main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    CHECK(WaitUntil([&] { return IsZoomed(p.main) != 0; }));
    CHECK(CloseProgram(p));
    CHECK_EQ(SettingsText(), std::string(""));
    CHECK_EQ(PlacementAtStart(), templatePlace);
}
