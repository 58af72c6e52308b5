// The rate at which a camera sends frames, measured from the frame numbers and transfer-end
// times of the frames that arrive: frames the camera sent in between (skipped or lost) count
// too, because their numbers are taken. Over the last second or the last kWindow arrivals.
// Not locked: its owner's lock guards it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pixora {

class ArrivalRate {
public:
    static constexpr std::size_t kWindow = 64;
    static constexpr uint64_t kSpanUs = 1000000;

    void Arrived(uint64_t sequence, uint64_t timestampUs) {
        arrivals_[next_] = Arrival{sequence, timestampUs};
        next_ = (next_ + 1) % kWindow;
        if (count_ < kWindow)
            ++count_;
    }

    // Frames per second times 1000; 0 until two frames arrived at different times.
    int32_t FramesPerSecondMilli() const {
        if (count_ < 2)
            return 0;
        const Arrival& newest = arrivals_[(next_ + kWindow - 1) % kWindow];
        // The oldest arrival of the window that lies within the span before the newest.
        const Arrival* oldest = &newest;
        for (std::size_t back = 2; back <= count_; ++back) {
            const Arrival& a = arrivals_[(next_ + kWindow - back) % kWindow];
            if (newest.timestampUs - a.timestampUs > kSpanUs && oldest != &newest)
                break;
            oldest = &a;
        }
        if (oldest->timestampUs >= newest.timestampUs || oldest->sequence >= newest.sequence)
            return 0;
        const double frames = static_cast<double>(newest.sequence - oldest->sequence);
        const double seconds =
            static_cast<double>(newest.timestampUs - oldest->timestampUs) / 1000000.0;
        const double milli = frames / seconds * 1000.0 + 0.5;
        return milli >= 2147483647.0 ? 2147483647 : static_cast<int32_t>(milli);
    }

private:
    struct Arrival {
        uint64_t sequence = 0;
        uint64_t timestampUs = 0;
    };
    std::array<Arrival, kWindow> arrivals_{};
    std::size_t next_ = 0;
    std::size_t count_ = 0;
};

}  // namespace pixora
