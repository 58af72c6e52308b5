#include "FrameTiming.h"

#include <ctime>

namespace pixora::gst {

GstClockTime MonotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return GST_TIMESPEC_TO_TIME(now);
}

namespace {

bool OnMonotonicSystemClock(GstClock* clock) {
    // Exactly the system clock: subclasses such as audio clocks keep a time of their own.
    if (G_OBJECT_TYPE(clock) != GST_TYPE_SYSTEM_CLOCK)
        return false;
    GstClockType type = GST_CLOCK_TYPE_REALTIME;
    g_object_get(clock, "clock-type", &type, nullptr);
    return type == GST_CLOCK_TYPE_MONOTONIC;
}

}  // namespace

GstClockTime FrameRunningTime(GstClock* clock, GstClockTime baseTime, uint64_t timestampUs,
                              GstClockTime monotonicNow) {
    if (clock == nullptr || !GST_CLOCK_TIME_IS_VALID(baseTime))
        return GST_CLOCK_TIME_NONE;
    const GstClockTime taken = timestampUs * GST_USECOND;
    GstClockTime clockTime;
    if (OnMonotonicSystemClock(clock)) {
        GstClockTime internal = 0;
        GstClockTime external = 0;
        GstClockTime rateNum = 1;
        GstClockTime rateDenom = 1;
        gst_clock_get_calibration(clock, &internal, &external, &rateNum, &rateDenom);
        clockTime =
            gst_clock_adjust_with_calibration(clock, taken, internal, external, rateNum, rateDenom);
    } else {
        const GstClockTime age = monotonicNow > taken ? monotonicNow - taken : 0;
        const GstClockTime now = gst_clock_get_time(clock);
        clockTime = now > age ? now - age : 0;
    }
    return clockTime > baseTime ? clockTime - baseTime : 0;
}

bool LatencyTracker::Observe(GstClockTime delay) {
    if (delay <= latency_)
        return false;
    // A quarter more than the latest frame's delay, so that the next slightly later frame
    // does not announce a new latency again.
    latency_ = delay + delay / 4;
    return true;
}

}  // namespace pixora::gst
