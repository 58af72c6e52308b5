#include "StreamingThread.h"

#include <chrono>

#include "imaging/ProcessFrame.h"

namespace pixora::test {

namespace {

constexpr int32_t kWidth = 64;
constexpr int32_t kHeight = 48;

}  // namespace

StreamingThread::StreamingThread(FilterSettings& filter, int32_t colorMode, DialogSource dialogs,
                                 AnalogSettings* analog, ExposureControl* camera, uint8_t level)
    : filter_(filter),
      colorMode_(colorMode),
      dialogs_(std::move(dialogs)),
      analog_(analog != nullptr ? *analog : ownAnalog_),
      camera_(camera) {
    raw8_.Create(kWidth, kHeight, 8);
    color24_.Create(kWidth, kHeight, 24);
    work_.Create(kWidth, kHeight, colorMode == 0 ? 8 : 24);
    // A mosaic whose four sites differ, so that white balance and gray gains measure
    // something other than unity; `level` adds to every sample (a dark scene with 0).
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = raw8_.Bits() + static_cast<std::ptrdiff_t>(y) * raw8_.Stride();
        for (int32_t x = 0; x < kWidth; ++x) {
            const int site = (y % 2) * 2 + (x % 2);
            const int value = level + (site == 0 ? 30 : site == 3 ? 5 : 15);
            row[x] = static_cast<uint8_t>(value > 255 ? 255 : value);
        }
    }
    thread_ = std::thread([this] { Run(); });
}

StreamingThread::~StreamingThread() {
    Stop();
}

void StreamingThread::Stop() {
    stop_.store(true);
    if (thread_.joinable())
        thread_.join();
}

int64_t StreamingThread::OutputSumAtBrightness(int32_t brightness) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = sums_.find(brightness);
    return found != sums_.end() ? found->second : -1;
}

void StreamingThread::Run() {
    const ProcessorInfo processor{};
    ImageBuffer raw;
    while (!stop_.load()) {
        // Every frame starts from the camera's mosaic.
        raw.Destroy();
        raw.CreateLike(&raw8_);
        std::copy(raw8_.Bits(), raw8_.Bits() + raw8_.SizeBytes(), raw.Bits());
        const int32_t brightness = filter_.Get(FilterField::Brightness);
        const std::shared_ptr<DialogRefresh> dialogs = dialogs_();
        FrameContext context{filter_, analog_, colorMode_, {}, processor, camera_, dialogs.get()};
        context.images.raw8 = &raw;
        context.images.color24 = &color24_;
        context.images.workCopy = &work_;
        ProcessFrame(context);
        const ImageBuffer& out = colorMode_ == 0 ? raw : color24_;
        int64_t sum = 0;
        for (std::size_t i = 0; i < out.SizeBytes(); ++i)
            sum += out.Bits()[i];
        if (filter_.Get(FilterField::Brightness) == brightness) {
            // Only frames made with one brightness throughout tell what it does.
            std::lock_guard<std::mutex> lock(mutex_);
            sums_[brightness] = sum;
        }
        frames_.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace pixora::test
