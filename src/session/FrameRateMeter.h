// The frame rate reported with each streamed frame, in tenths of a frame per second,
// updated once more than a second has passed since the last update.
#pragma once

#include <cstdint>

namespace pixora {

class FrameRateMeter {
public:
    explicit FrameRateMeter(uint32_t startMs = 0) : lastUpdateMs_(startMs) {}

    void Restart(uint32_t nowMs) {
        frames_ = 0;
        lastUpdateMs_ = nowMs;
    }

    // Counts one frame at `nowMs` and returns the current rate.
    int32_t Frame(uint32_t nowMs) {
        ++frames_;
        const uint32_t elapsed = nowMs - lastUpdateMs_;  // the tick counter wraps
        if (elapsed > 1000) {
            rate_ = static_cast<int32_t>(static_cast<double>(frames_) * 10000.0 / elapsed);
            frames_ = 0;
            lastUpdateMs_ = nowMs;
        }
        return rate_;
    }

    int32_t Rate() const { return rate_; }

private:
    uint32_t lastUpdateMs_;
    uint32_t frames_ = 0;
    int32_t rate_ = 0;
};

}  // namespace pixora
