// What the virtual camera counted for one slot: frames sent and frame reads that failed.
#pragma once

#include <cstdint>

namespace pixora::cli {

struct SimulatorCounters {
    int64_t framesSent = 0;
    int64_t framesFailed = 0;
};

// The counters of slot `index`; zeros when the slot cannot be read.
SimulatorCounters ReadSimulatorCounters(int32_t index);

}  // namespace pixora::cli
