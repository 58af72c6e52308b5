// What `pixora stream` was asked to do, and what a run of it came to.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "SaveFormats.h"
#include "StreamProgress.h"

namespace pixora::cli {

struct StreamPlan {
    std::optional<double> seconds;
    std::optional<int32_t> frames;
    int32_t saveEvery = 0;
    std::filesystem::path folder;
    SaveFormat format{};
    bool raw = false;     // the mosaic as the camera sent it, saved as PGM
    int32_t buffers = 8;  // of the frame queue
};

struct StreamOutcome {
    StreamCounts counts;
    int64_t saved = 0;
    bool failed = false;      // the camera failed, a frame failed or a file was not written
    bool reachedEnd = false;  // --seconds or --frames was reached
    bool stopFailed = false;  // stopping reported an error
};

}  // namespace pixora::cli
