// The mouse drift test without its window: after "Start" a countdown of 5 seconds,
// then a watch of 10 seconds in which any mouse-move message fails the test. Seconds
// are counted with the high-resolution counter at every tick of the dialog's timer;
// counter readings are passed in.
#pragma once
#include <cstdint>

struct DriftTestState {
    bool running;  // a countdown or watch is in progress
    bool watching; // false: countdown (also when idle); true: watch
    int secondsLeft;
    int64_t secondMark; // counter reading when the last second was counted
    int64_t counterFrequency;
    int startX; // last pointer position seen outside the watch; 0,0 before the first
    int startY;
    int timerId; // 0 until the dialog's timer was started
};

// Kept for the life of the process; the start position survives between openings.
extern DriftTestState driftTest;

const int kDriftTimerId = 1;
const int kDriftTimerPeriodMs = 200;

// What the dialog does after one event, in this order: stop or start its timer, wait
// pauseMs without reacting, show the status, enable or disable "Close" and "Start",
// show the coordinates.
struct DriftUpdate {
    int stopTimer;
    int startTimer; // kDriftTimerId with kDriftTimerPeriodMs
    int pauseMs;
    int statusShown;
    char status[64];
    int buttons; // -1 leave them, 0 disable, 1 enable
    int coordinatesShown;
    char coordinates[96];
};

void OpenDriftTest(int64_t frequency);
void StartDriftTest(int64_t now, DriftUpdate* update);
void DriftTimerTick(int64_t now, DriftUpdate* update);
void DriftMouseMove(int x, int y, DriftUpdate* update);
