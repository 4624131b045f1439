#include "engine/event_clock.h"

#include <algorithm>

int64_t EventReading(EventClock* clock, int64_t counter, bool stamped, int32_t lateMs,
                     uint32_t stamp, int64_t ticksPerMillisecond) {
    int64_t reading = counter;
    const uint32_t sinceAnchor = stamp - clock->anchorStamp; // an older stamp wraps: beyond
    if (stamped && lateMs >= kLateMessageMs) {
        reading -= lateMs * ticksPerMillisecond;
        clock->anchor = reading;
        clock->anchorStamp = stamp;
    } else if (stamped && clock->anchor != 0 && sinceAnchor <= kBacklogMs) {
        // The tail of a backlog, handled less late than the threshold but late all the
        // same: the counter would add its lateness to the gap since the message before,
        // which was taken back by its stamp. Measured from that one instead.
        reading = std::min(reading, clock->anchor + sinceAnchor * ticksPerMillisecond);
    }
    reading = std::max(reading, clock->previous);
    clock->previous = reading;
    return reading;
}
