// The two mouse test dialogs driven with real pointer movement.
#include <cstdio>

#include "tests/e2e/driver.h"

namespace {

const int kCloseButton = 1, kStartButton = 2, kDriftStatus = 1070, kDriftCoordinates = 1077,
          kTopLeft = 1078, kPosition = 1085;

// "x,y" of a screen point in the dialog's client coordinates.
std::string ClientPoint(HWND dialog, int x, int y) {
    POINT at = {x, y};
    ScreenToClient(dialog, &at);
    char text[32];
    snprintf(text, sizeof text, "%ld,%ld", at.x, at.y);
    return text;
}

} // namespace

// The movement test marks the top-left corner once the pointer reaches it over the
// frame (Wine draws the frame, as Windows does, because the test session leaves windows
// unmanaged); the drift test, after its countdown, fails at the first movement.
TEST(Mouse, corner_reached_and_drift_failing) {
    ASSERT_TRUE(PrepareProgramFolder() &&
                WriteLayout("A", "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,20,20,40,40\r\n"));
    Program p;
    ASSERT_TRUE(StartProgram(p, "") && WaitMainWindow(p));
    const int midX = GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2;
    MouseMove(midX, 200);
    PressButton(p.main, kMouseMoveButton);
    HWND move = WaitWindow("#32770", "");
    ASSERT_TRUE(move != nullptr);
    EXPECT_EQ(ControlText(move, kTopLeft), "");
    MouseMove(0, 0);
    EXPECT_TRUE(WaitControlText(move, kPosition, "0,0")); // screen coordinates over the frame
    EXPECT_TRUE(WaitControlText(move, kTopLeft, "Ok"));
    PressButton(move, kCloseButton);
    EXPECT_TRUE(WaitGone(move));

    MouseMove(midX, 200);
    PressButton(p.main, kMouseDriftButton);
    HWND drift = WaitWindow("#32770", "Mouse Drift Test");
    ASSERT_TRUE(drift != nullptr);
    const std::string start = "Start Co-ordinates: " + ClientPoint(drift, midX, 200);
    PressButton(drift, kStartButton);
    // Five seconds of countdown by a timer that is late on a busy machine.
    ASSERT_TRUE(WaitUntil(
        [&] { return ControlText(drift, kDriftStatus).find("Test ends in:") == 0; }, 15000));
    MouseMove(midX + 1, 200);
    EXPECT_TRUE(WaitControlText(drift, kDriftStatus, "Failed! Mouse movement detected"));
    EXPECT_TRUE(WaitControlText(
        drift, kDriftCoordinates,
        (start + "\nCurrent Co-ordinates: " + ClientPoint(drift, midX + 1, 200)).c_str()));
}
