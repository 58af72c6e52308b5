// A stand-in for a session's streaming worker: runs the processing chain on a fixed mosaic
// over and over, with the session's settings and its open dialog, until stopped.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "image/ImageBuffer.h"
#include "imaging/DialogRefresh.h"
#include "imaging/ExposureControl.h"
#include "settings/SettingsRecords.h"

namespace pixora::test {

class StreamingThread {
public:
    using DialogSource = std::function<std::shared_ptr<DialogRefresh>()>;

    // Colour modes 0 (8-bit gray) or 2 (24-bit). `analog` and `camera` may be null: the
    // automatic iris then has nothing to work on.
    StreamingThread(FilterSettings& filter, int32_t colorMode, DialogSource dialogs,
                    AnalogSettings* analog = nullptr, ExposureControl* camera = nullptr,
                    uint8_t level = 0);
    ~StreamingThread();
    StreamingThread(const StreamingThread&) = delete;
    StreamingThread& operator=(const StreamingThread&) = delete;

    void Stop();
    int64_t Frames() const { return frames_.load(); }
    // Sum of the output image's bytes of the last frame made with this brightness, or -1.
    int64_t OutputSumAtBrightness(int32_t brightness) const;

private:
    void Run();

    FilterSettings& filter_;
    int32_t colorMode_;
    DialogSource dialogs_;
    AnalogSettings ownAnalog_;
    AnalogSettings& analog_;
    ExposureControl* camera_;
    ImageBuffer raw8_;
    ImageBuffer color24_;
    ImageBuffer work_;
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> frames_{0};
    mutable std::mutex mutex_;
    std::map<int32_t, int64_t> sums_;
    std::thread thread_;
};

}  // namespace pixora::test
