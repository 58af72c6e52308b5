// When a frame was taken, in the pipeline's running time, and how late frames reach the
// element after that: the latency a live source reports.
#pragma once

#include <gst/gst.h>

#include <cstdint>

namespace pixora::gst {

// Now on the clock the library stamps frames with (CLOCK_MONOTONIC), in nanoseconds.
GstClockTime MonotonicNow();

// The running time at which a frame stamped `timestampUs` (microseconds of CLOCK_MONOTONIC)
// ended its transfer. When `clock` is GStreamer's own system clock on the monotonic clock,
// the stamp is converted exactly (with the clock's calibration); any other clock is read now,
// less the frame's age. GST_CLOCK_TIME_NONE without a clock.
GstClockTime FrameRunningTime(GstClock* clock, GstClockTime baseTime, uint64_t timestampUs,
                              GstClockTime monotonicNow);

// The delay from the end of a frame's transfer to its buffer (the processing in the library),
// part of the source's latency: it grows, with a margin, when a frame comes later than that.
class LatencyTracker {
public:
    GstClockTime Latency() const { return latency_; }
    // Records one frame's delay; true when the latency grew and must be announced again.
    bool Observe(GstClockTime delay);

private:
    GstClockTime latency_ = 0;
};

}  // namespace pixora::gst
