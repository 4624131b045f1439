#include "mouse/drift_test.h"

#include <cstdio>
#include <cstring>

#include "mouse/move_counter.h"

DriftTestState driftTest;

namespace {

const int kCountdownSeconds = 5;
const int kWatchSeconds = 10;
const int kFailurePauseMs = 500;

void Clear(DriftUpdate* update) {
    memset(update, 0, sizeof *update);
    update->buttons = -1;
}

void ShowStatus(DriftUpdate* update, const char* format, int seconds) {
    update->statusShown = 1;
    snprintf(update->status, sizeof update->status, format, seconds);
}

// A second lasts from 1000 ms up to one timer period more: it is only counted at a tick.
void CountSecond(int64_t now) {
    if (CounterMilliseconds(driftTest.secondMark, now, driftTest.counterFrequency) >= 1000) {
        driftTest.secondMark = now;
        driftTest.secondsLeft--;
    }
}

} // namespace

void OpenDriftTest(int64_t frequency) {
    driftTest.timerId = 0;
    driftTest.secondsLeft = 0;
    driftTest.watching = false;
    driftTest.running = false;
    driftTest.counterFrequency = frequency;
}

void StartDriftTest(int64_t now, DriftUpdate* update) {
    Clear(update);
    driftTest.secondsLeft = kCountdownSeconds;
    driftTest.timerId = kDriftTimerId;
    update->startTimer = kDriftTimerId;
    driftTest.secondMark = now;
    driftTest.watching = false;
    driftTest.running = true;
    ShowStatus(update, "Test begins in: %d seconds", kCountdownSeconds);
    update->buttons = 0;
}

void DriftTimerTick(int64_t now, DriftUpdate* update) {
    Clear(update);
    if (!driftTest.running) {
        update->stopTimer = 1;
        return;
    }
    CountSecond(now);
    if (!driftTest.watching) {
        if (driftTest.secondsLeft > 0) {
            ShowStatus(update, "Test begins in: %d seconds", driftTest.secondsLeft);
            return;
        }
        driftTest.secondsLeft = kWatchSeconds;
        driftTest.watching = true;
        ShowStatus(update, "Test ends in: %d seconds", kWatchSeconds);
        return;
    }
    if (driftTest.secondsLeft != 0) {
        ShowStatus(update, "Test ends in: %d seconds", driftTest.secondsLeft);
        return;
    }
    update->stopTimer = 1;
    update->statusShown = 1;
    snprintf(update->status, sizeof update->status, "Test passed");
    update->buttons = 1;
    driftTest.running = false;
    driftTest.watching = false;
}

void DriftMouseMove(int x, int y, DriftUpdate* update) {
    Clear(update);
    if (!driftTest.watching) {
        driftTest.startX = x;
        driftTest.startY = y;
        update->coordinatesShown = 1;
        snprintf(update->coordinates, sizeof update->coordinates, "Start Co-ordinates: %d,%d", x,
                 y);
        return;
    }
    if (!driftTest.running) // after a failure, until the next "Start"
        return;
    // Any single movement fails: there is no distance tolerance.
    update->stopTimer = 1;
    update->pauseMs = kFailurePauseMs;
    update->statusShown = 1;
    snprintf(update->status, sizeof update->status, "Failed! Mouse movement detected");
    update->buttons = 1;
    driftTest.running = false;
    update->coordinatesShown = 1;
    snprintf(update->coordinates, sizeof update->coordinates,
             "Start Co-ordinates: %d,%d\nCurrent Co-ordinates: %d,%d", driftTest.startX,
             driftTest.startY, x, y);
}
