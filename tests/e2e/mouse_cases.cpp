// The two mouse test dialogs driven with real pointer movement: the corners of the
// screen, the message rate and its idle reset, the drift countdown and watch.
#include <cstdio>

#include "tests/e2e/clavoro_cases.h"

namespace {

enum MouseControl {
    kCloseButton = 1,
    kStartButton = 2,
    kDriftStatus = 1070,
    kDriftCoordinates = 1077,
    kTopLeft = 1078,
    kTopRight = 1079,
    kBottomRight = 1080,
    kBottomLeft = 1081,
    kRateValue = 1084,
    kPositionValue = 1085,
};

const Key kKeyEscape = {VK_ESCAPE, 0x01, false};

// Wine on a display without a window manager leaves a frame that it expects the window
// manager to draw out of the window, so the pointer at the screen's edges would be over
// no window at all. Drawing the frames itself, as Windows does, puts the edges on the
// dialog's frame. Set for the program while a case runs.
struct WineDrawsFrames {
    HKEY key = nullptr;
    WineDrawsFrames() {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Clavoro.exe\\X11 Driver",
                        0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
        if (key != nullptr) {
            RegSetValueExA(key, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
        }
    }
    ~WineDrawsFrames() {
        if (key != nullptr) {
            RegDeleteValueA(key, "Decorated");
            RegCloseKey(key);
        }
    }
};

int ScreenWidth() {
    return GetSystemMetrics(SM_CXVIRTUALSCREEN);
}
int ScreenHeight() {
    return GetSystemMetrics(SM_CYVIRTUALSCREEN);
}

// Starts the program and opens a mouse dialog with its button; the pointer is parked
// away from the corners first.
HWND OpenMouseDialog(Program& p, int button, const char* title) {
    if (!StartWithLayouts(p, {"Small"}, "")) {
        return nullptr;
    }
    MouseMove(ScreenWidth() / 2, 60);
    PressButton(p.main, button);
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindTopWindow(p, "#32770", title)) != nullptr; });
    return dialog;
}

// What a dialog shows for a pointer at screen point (x, y): client coordinates over the
// client area, screen coordinates over the frame.
std::string PointerText(HWND dialog, int x, int y) {
    RECT client;
    GetClientRect(dialog, &client);
    POINT at = {x, y};
    ScreenToClient(dialog, &at);
    if (!PtInRect(&client, at)) {
        at = POINT{x, y};
    }
    char text[32];
    snprintf(text, sizeof text, "%ld,%ld", static_cast<long>(at.x), static_cast<long>(at.y));
    return text;
}

int ButtonsEnabled(HWND dialog) {
    return (IsWindowEnabled(GetDlgItem(dialog, kCloseButton)) ? 1 : 0) +
           (IsWindowEnabled(GetDlgItem(dialog, kStartButton)) ? 1 : 0);
}

// "%d (max: %d)" read back; 0 when the field holds something else.
int ReadRate(HWND dialog, int* count, int* maximum) {
    return sscanf(ControlText(dialog, kRateValue).c_str(), "%d (max: %d)", count, maximum) == 2;
}

} // namespace

// Each corner is reached over the dialog's frame; one pixel further in is not a corner,
// and the bottom-left corner is a pixel narrower than the others.
E2E_CASE(corners) {
    WineDrawsFrames frames;
    Program p;
    HWND dialog = OpenMouseDialog(p, kMouseMoveButton, "");
    REQUIRE(dialog != nullptr);
    const int w = ScreenWidth();
    const int h = ScreenHeight();
    RECT whole;
    GetWindowRect(dialog, &whole);
    CHECK(whole.left == 0 && whole.top == 0 && whole.right == w && whole.bottom == h);

    struct Row {
        int x, y;
        const char*
            ok; // fields holding "Ok" afterwards: T(op left) R(ight) B(ottom left) b(ottom right)
    } rows[] = {
        {w / 2, 100, ""},
        {3, 0, ""},
        {w - 3, 0, ""},
        {2, h - 1, ""},
        {0, h - 3, ""},
        {1, h - 1, "B"},
        {0, 0, "TB"},
        {w - 2, 0, "TRB"},
        {w - 3, h - 1, "TRB"},
        {w - 1, h - 2, "TRBb"},
        {w / 2, h / 2 + 150, "TRBb"},
    };
    const struct {
        char mark;
        int id;
    } fields[] = {{'T', kTopLeft}, {'R', kTopRight}, {'B', kBottomLeft}, {'b', kBottomRight}};
    for (const Row& row : rows) {
        Note("pointer at %d,%d", row.x, row.y);
        MouseMove(row.x, row.y);
        REQUIRE(WaitControlText(dialog, kPositionValue, PointerText(dialog, row.x, row.y).c_str()));
        for (const auto& field : fields) {
            const bool ok = strchr(row.ok, field.mark) != nullptr;
            CHECK_EQ(ControlText(dialog, field.id), std::string(ok ? "Ok" : ""));
        }
    }
    PressButton(dialog, kCloseButton);
    CHECK(WaitGone(dialog));
    CHECK(CloseProgram(p));
}

// A second of movement shows its message count; at rest the count drops to 0 after
// 1.2 s and the maximum stays. Escape leaves the dialog open, Enter closes it.
E2E_CASE(message_rate) {
    Program p;
    HWND dialog = OpenMouseDialog(p, kMouseMoveButton, "");
    REQUIRE(dialog != nullptr);
    int count = 0;
    int maximum = 0;
    int step = 0;
    const int moved = WaitUntil(
        [&] {
            ++step;
            MouseMove(ScreenWidth() / 2 + (step % 2) * 40, ScreenHeight() / 2 - 200);
            return ReadRate(dialog, &count, &maximum) && count > 0;
        },
        4000);
    const DWORD shownAt = GetTickCount();
    REQUIRE(moved);
    Note("%d moves, rate shown \"%s\"", step, ControlText(dialog, kRateValue).c_str());
    CHECK_EQ(maximum, count);

    int restCount = -1;
    int restMaximum = -1;
    REQUIRE(WaitUntil([&] { return ReadRate(dialog, &restCount, &restMaximum) && restCount == 0; },
                      4000));
    const int restedMs = static_cast<int>(GetTickCount() - shownAt);
    Note("0 shown after %d ms at rest", restedMs);
    CHECK(restedMs >= 1150);
    CHECK_EQ(restMaximum, maximum);

    Program front = p;
    front.main = dialog;
    PressKey(front, kKeyEscape);
    Sleep(400);
    CHECK(IsWindowVisible(dialog));
    PressKey(front, kKeyEnter);
    CHECK(WaitGone(dialog));
    CHECK(IsRunning(p));
    CHECK(CloseProgram(p));
}

// Left alone, the countdown runs from 5 and the watch from 10 to "Test passed", with
// "Close" and "Start" disabled in between.
E2E_CASE(drift_passes) {
    Program p;
    HWND dialog = OpenMouseDialog(p, kMouseDriftButton, "Mouse Drift Test");
    REQUIRE(dialog != nullptr);
    CHECK_EQ(ButtonsEnabled(dialog), 2);
    const DWORD startedAt = GetTickCount();
    PressButton(dialog, kStartButton);

    std::vector<std::string> expected;
    for (int s = 5; s >= 1; --s) {
        expected.push_back("Test begins in: " + std::to_string(s) + " seconds");
    }
    for (int s = 10; s >= 1; --s) {
        expected.push_back("Test ends in: " + std::to_string(s) + " seconds");
    }
    expected.push_back("Test passed");
    std::vector<std::string> shown;
    int disabledThroughout = 1;
    WaitUntil(
        [&] {
            // The buttons are read first: the program shows "Test passed" before it
            // enables them, so enabled buttons with any other status are a fault.
            const int enabled = ButtonsEnabled(dialog);
            const std::string status = ControlText(dialog, kDriftStatus);
            if (!status.empty() && (shown.empty() || shown.back() != status)) {
                shown.push_back(status);
            }
            if (!shown.empty() && status != "Test passed" && enabled != 0) {
                disabledThroughout = 0;
            }
            return status == "Test passed";
        },
        20000);
    const int tookMs = static_cast<int>(GetTickCount() - startedAt);
    Note("the run took %d ms", tookMs);
    std::string joined;
    for (const std::string& s : shown) {
        joined += s + "|";
    }
    std::string wanted;
    for (const std::string& s : expected) {
        wanted += s + "|";
    }
    CHECK_EQ(joined, wanted);
    CHECK(tookMs >= 15000);
    CHECK(disabledThroughout);
    CHECK_EQ(ButtonsEnabled(dialog), 2);
    PressButton(dialog, kCloseButton);
    CHECK(WaitGone(dialog));
    CHECK(CloseProgram(p));
}

// Movement in the countdown only moves the start; one movement in the watch fails the
// test with both positions, and later movement is ignored.
E2E_CASE(drift_fails_on_movement) {
    Program p;
    HWND dialog = OpenMouseDialog(p, kMouseDriftButton, "Mouse Drift Test");
    REQUIRE(dialog != nullptr);
    const int midX = ScreenWidth() / 2;
    MouseMove(midX - 300, 200);
    CHECK(WaitControlText(dialog, kDriftCoordinates,
                          ("Start Co-ordinates: " + PointerText(dialog, midX - 300, 200)).c_str()));
    PressButton(dialog, kStartButton);
    REQUIRE(WaitControlText(dialog, kDriftStatus, "Test begins in: 4 seconds"));
    MouseMove(midX + 300, 220);
    const std::string start = "Start Co-ordinates: " + PointerText(dialog, midX + 300, 220);
    CHECK(WaitControlText(dialog, kDriftCoordinates, start.c_str()));
    CHECK(ControlText(dialog, kDriftStatus).find("Test begins in: ") == 0);

    REQUIRE(WaitControlText(dialog, kDriftStatus, "Test ends in: 10 seconds"));
    CHECK_EQ(ButtonsEnabled(dialog), 0);
    MouseMove(midX + 301, 220);
    CHECK(WaitControlText(dialog, kDriftStatus, "Failed! Mouse movement detected"));
    const std::string failed =
        start + "\nCurrent Co-ordinates: " + PointerText(dialog, midX + 301, 220);
    // The coordinates and the buttons follow the status line within the same message.
    CHECK(WaitControlText(dialog, kDriftCoordinates, failed.c_str(), 1000));
    CHECK_EQ(ButtonsEnabled(dialog), 2);

    MouseMove(midX, 240);
    Sleep(400);
    CHECK_EQ(ControlText(dialog, kDriftCoordinates), failed);
    CHECK_EQ(ControlText(dialog, kDriftStatus), std::string("Failed! Mouse movement detected"));
    PressButton(dialog, kCloseButton);
    CHECK(WaitGone(dialog));
    CHECK(CloseProgram(p));
}
