// When a key or mouse-button event was made, on the performance counter. That is normally
// the counter when its message is handled, but the thread can be held up while input
// waits in the queue: under Wine on an X server without a window manager, hiding a window
// (every dialog that ends) blocks for 2 s while Wine waits for a window manager to confirm
// it, and keys pressed meanwhile would all be taken at once, as if held for no time at all
// and pressed together. The message's own time stamp says how late it is handled.
#pragma once
#include <cstdint>

// A message handled at least this much later than it was made is timed by its stamp.
// Closer to its making the counter stands as it is: stamps count in the system's clock
// ticks, 10 to 16 ms on Windows, too coarse for that.
constexpr int32_t kLateMessageMs = 50;
// How long after a message timed by its stamp the ones handled less late are still taken
// for the rest of the same backlog.
constexpr uint32_t kBacklogMs = 1000;

struct EventClock {
    int64_t previous;     // the last reading
    int64_t anchor;       // the last reading taken back by a stamp; 0 none
    uint32_t anchorStamp; // that message's stamp, ms
};

// counter: the counter now; stamped: the message has a stamp of its own (a sent message
// carries another's); lateMs: how much later than its stamp it is handled; stamp: the
// stamp in ms. A reading never goes below the one before: a release timed by its stamp
// after a press timed by the counter must not show a press of less than no time.
int64_t EventReading(EventClock* clock, int64_t counter, bool stamped, int32_t lateMs,
                     uint32_t stamp, int64_t ticksPerMillisecond);
