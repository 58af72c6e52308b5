#include "imaging/AutoIris.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "imaging/WindowMean.h"

namespace pixora {
namespace {

// The process-wide frame counter of the automatic iris, shared by every session.
std::atomic<int32_t> gExposureFrameCounter{0};

double CorrectionOf(uint32_t mean) {
    if (mean > 200) {
        return -0.15;
    }
    if (mean > 160) {
        return -0.1;
    }
    if (mean < 50) {
        return 0.1;
    }
    if (mean < 100) {
        return 0.05;
    }
    return 0.0;
}

double BaseFactorOf(uint32_t mean) {
    if (mean > 200) {
        return 0.85;
    }
    if (mean > 160) {
        return 0.9;
    }
    if (mean < 50) {
        return 1.1;
    }
    if (mean < 100) {
        return 1.05;
    }
    return 1.0;
}

// value truncated toward zero and held to [low, high] (also for values far outside).
int64_t TruncateHeld(double value, int64_t low, int64_t high) {
    if (!(value == value)) {
        return low;
    }
    return static_cast<int64_t>(
        std::clamp(std::trunc(value), static_cast<double>(low), static_cast<double>(high)));
}

int32_t Limit(int64_t value, double factor, int32_t minimum, int32_t maximum) {
    if (factor > 1.0 && value <= 4) {
        value = 4;
    }
    if (value < minimum) {
        value = minimum;
    }
    if (value >= maximum) {
        value = maximum;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

bool AdvanceExposureFrameCounter() {
    int32_t current = gExposureFrameCounter.load(std::memory_order_relaxed);
    int32_t next = 0;
    do {
        next = current - 1 < 0 ? 2 : current - 1;
    } while (
        !gExposureFrameCounter.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return current == 1;
}

std::array<PixelRect, 5> IrisWindows(int32_t width, int32_t height) {
    const double w = width;
    const double h = height;
    const auto at = [](double size, double fraction) {
        return static_cast<int32_t>(fraction * size);
    };
    return {{
        {at(w, 0.1), at(h, 0.1), at(w, 0.2), at(h, 0.2)},
        {at(w, 0.1), at(h, 0.8), at(w, 0.2), at(h, 0.9)},
        {at(w, 0.45), at(h, 0.45), at(w, 0.55), at(h, 0.55)},
        {at(w, 0.8), at(h, 0.1), at(w, 0.9), at(h, 0.2)},
        {at(w, 0.8), at(h, 0.8), at(w, 0.9), at(h, 0.9)},
    }};
}

double ExposureFactor(const std::array<uint32_t, 5>& means) {
    double factor = BaseFactorOf(means[0]);
    for (size_t i = 1; i < means.size(); ++i) {
        factor += CorrectionOf(means[i]);
    }
    return factor;
}

bool InDeadBand(double factor) {
    return factor > 0.6 && factor < 1.2;
}

int32_t NextGain(int32_t gain, double factor, int32_t minimum, int32_t maximum) {
    return Limit(TruncateHeld(gain * factor, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max()),
                 factor, minimum, maximum);
}

int32_t NextExposure(int32_t exposure, double factor, int32_t minimum, int32_t maximum) {
    return Limit(TruncateHeld(exposure * factor, 0, 0xFFFF), factor, minimum, maximum);
}

int32_t RunAutoIris(AnalogSettings& analog, ImageBuffer* raw, ExposureControl* camera,
                    DialogRefresh* dialogs) {
    const int32_t mode = analog.Get(AnalogField::AutoIris);
    if (mode != kAutoIrisExposure && mode != kAutoIrisGain) {
        return 0;
    }
    if (raw == nullptr || raw->IsEmpty() || camera == nullptr || !camera->IsOpen()) {
        return 0;
    }
    uint32_t (*mean)(const PixelRegion&) = nullptr;
    if (raw->BitsPerPixel() == 8) {
        mean = WindowMean8;
    } else if (raw->BitsPerPixel() == 16) {
        mean = WindowMean16;
    } else {
        return 0;
    }
    if (!AdvanceExposureFrameCounter()) {
        return 0;
    }

    std::array<uint32_t, 5> means{};
    const std::array<PixelRect, 5> windows = IrisWindows(raw->Width(), raw->Height());
    for (size_t i = 0; i < windows.size(); ++i) {
        const PixelRect& window = windows[i];
        // An image too small to hold a window gives no measurement rather than a mean of
        // 0, which would read as darkness and drive the exposure up without end.
        if (window.right <= window.left || window.bottom <= window.top) {
            return 1;
        }
        means[i] = static_cast<uint32_t>(raw->Apply(mean, raw, &window, window.left, window.top));
    }

    const double factor = ExposureFactor(means);
    if (InDeadBand(factor)) {
        return 1;
    }
    if (mode == kAutoIrisGain) {
        const int32_t gain = NextGain(analog.Get(AnalogField::GlobalGain), factor,
                                      camera->GainMin(), camera->GainMax());
        camera->SetGain(gain);
        analog.Set(AnalogField::GlobalGain, gain);
        if (dialogs != nullptr) {
            dialogs->ShowAnalogValue(AnalogField::GlobalGain, gain);
        }
        return 1;
    }
    const int32_t current = analog.Get(AnalogField::Exposure);
    const int32_t exposure =
        NextExposure(current, factor, camera->ExposureMin(), camera->ExposureMax());
    if (current < exposure) {
        // Lengthening the exposure: a short pause before the registers change.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    camera->SetExposure(exposure);
    analog.Set(AnalogField::Exposure, exposure);
    if (dialogs != nullptr) {
        dialogs->ShowAnalogValue(AnalogField::Exposure, exposure);
    }
    return 1;
}

}  // namespace pixora
