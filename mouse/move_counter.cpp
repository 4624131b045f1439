#include "mouse/move_counter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mouse/corner_check.h"

MoveTestState moveTest;

namespace {

const int64_t kCountingWindowMs = 1000;
// Longer than a counting window, so a window that is still receiving messages is
// always closed by a message, never by the timer.
const int64_t kIdleResetMs = 1200;

void FormatRate(char* text, size_t size) {
    snprintf(text, size, "%d (max: %d)", moveTest.messageCount, moveTest.maximum);
}

} // namespace

int64_t CounterMilliseconds(int64_t start, int64_t now, int64_t frequency) {
    int64_t ticksPerMs = frequency / 1000;
    if (ticksPerMs < 1)
        ticksPerMs = 1;
    return (now - start) / ticksPerMs;
}

void OpenMoveTest(int screenLeft, int screenTop, int screenWidth, int screenHeight,
                  int64_t frequency, int64_t now, int dpi) {
    moveTest.screenLeft = screenLeft;
    moveTest.screenTop = screenTop;
    moveTest.screenWidth = screenWidth;
    moveTest.screenHeight = screenHeight;
    moveTest.dpi = dpi;
    moveTest.messageCount = 0;
    moveTest.maximum = 0;
    moveTest.counterFrequency = frequency;
    moveTest.windowStart = now;
}

void MoveTestMouseMove(int x, int y, int64_t now, MoveTestUpdate* update) {
    memset(update, 0, sizeof *update);
    update->cornerField = CornerStatusField(
        FindScreenCorner(x - moveTest.screenLeft, y - moveTest.screenTop, moveTest.screenWidth,
                         moveTest.screenHeight, moveTest.dpi));
    FormatXY(update->positionText, sizeof update->positionText, x, y);

    if (CounterMilliseconds(moveTest.windowStart, now, moveTest.counterFrequency) <
        kCountingWindowMs) {
        moveTest.messageCount++;
        moveTest.maximum = std::max(moveTest.maximum, moveTest.messageCount);
        return;
    }
    // The message that closes a window shows its count and is not counted itself.
    update->rateShown = 1;
    FormatRate(update->rateText, sizeof update->rateText);
    moveTest.messageCount = 0;
    moveTest.windowStart = now;
}

int MoveTestTimerTick(int64_t now, char* rateText, size_t rateSize) {
    if (CounterMilliseconds(moveTest.windowStart, now, moveTest.counterFrequency) < kIdleResetMs)
        return 0;
    moveTest.messageCount = 0;
    moveTest.windowStart = now;
    FormatRate(rateText, rateSize);
    return 1;
}

void FormatXY(char* text, size_t size, int x, int y) {
    snprintf(text, size, "%d,%d", x, y);
}
