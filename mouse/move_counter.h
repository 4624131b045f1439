// The mouse movement test without its window: the corners reached, the pointer
// position and the rate of mouse-move messages, counted in windows of one second
// measured with the high-resolution counter. Counter readings are passed in, so the
// window code reads the counter and the tests choose the times.
#pragma once
#include <cstddef>
#include <cstdint>

struct MoveTestState {
    int screenLeft; // the virtual screen at opening: negative where a monitor lies left of
    int screenTop;  // or above the main one
    int screenWidth;
    int screenHeight;
    int dpi;          // the dialog's display scale, which sizes the corner zones
    int messageCount; // mouse-move messages in the current counting window
    int maximum;      // highest count of a finished window since opening
    int64_t windowStart;
    int64_t counterFrequency; // ticks per second
};

// Kept for the life of the process, reset when the dialog opens.
extern MoveTestState moveTest;

// What the dialog shows after one mouse-move message.
struct MoveTestUpdate {
    int cornerField;       // status field to set to "Ok", 0 for none
    char positionText[32]; // "%d,%d"
    int rateShown;         // 1: a counting window ended and rateText is to be shown
    char rateText[32];     // "%d (max: %d)"
};

// Whole milliseconds from start to now; a frequency below 1000 ticks per second
// counts as 1000.
int64_t CounterMilliseconds(int64_t start, int64_t now, int64_t frequency);

void OpenMoveTest(int screenLeft, int screenTop, int screenWidth, int screenHeight,
                  int64_t frequency, int64_t now, int dpi);
// x and y: the pointer in screen coordinates, which the position shows.
void MoveTestMouseMove(int x, int y, int64_t now, MoveTestUpdate* update);
// The idle check of the dialog's timer: returns 1 and fills rateText when the mouse
// has rested long enough for the count to go back to 0.
int MoveTestTimerTick(int64_t now, char* rateText, size_t rateSize);

// "%d,%d": a pointer position or a raw movement.
void FormatXY(char* text, size_t size, int x, int y);
