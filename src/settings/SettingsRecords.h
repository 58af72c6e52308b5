// The session's picture and analog settings. The application thread writes them while the
// worker's processing chain reads them every frame, so each entry is an atomic 32-bit value;
// dialogs copy and restore a whole record as plain values.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace pixora {

template <typename Field, std::size_t N>
class AtomicRecord {
public:
    using Values = std::array<int32_t, N>;
    static constexpr std::size_t kSize = N;

    AtomicRecord() = default;
    AtomicRecord(const AtomicRecord&) = delete;
    AtomicRecord& operator=(const AtomicRecord&) = delete;

    int32_t Get(Field field) const {
        return values_[static_cast<std::size_t>(field)].load(std::memory_order_relaxed);
    }
    void Set(Field field, int32_t value) {
        values_[static_cast<std::size_t>(field)].store(value, std::memory_order_relaxed);
    }
    Values Copy() const {
        Values out{};
        for (std::size_t i = 0; i < N; ++i) {
            out[i] = values_[i].load(std::memory_order_relaxed);
        }
        return out;
    }
    void Restore(const Values& in) {
        for (std::size_t i = 0; i < N; ++i) {
            values_[i].store(in[i], std::memory_order_relaxed);
        }
    }

private:
    std::array<std::atomic<int32_t>, N> values_{};
};

// Entries of the 30-value picture settings record, in stored order.
enum class FilterField : int {
    Brightness = 0,
    Contrast = 1,
    Hue = 2,
    Saturation = 3,
    Sharpness = 4,
    BayerGainRed = 5,
    BayerGainGreen = 6,
    BayerGainBlue = 7,
    Gamma = 8,
    BayerMode = 9,
    Spare10 = 10,
    GrayMode = 11,
    GrayGainR = 12,
    GrayGainG1 = 13,
    GrayGainG2 = 14,
    GrayGainB = 15,
    GrayOffsetR = 16,
    GrayOffsetG1 = 17,
    GrayOffsetG2 = 18,
    GrayOffsetB = 19,
    Spare20 = 20,
    Spare21 = 21,
    Spare22 = 22,
    Spare23 = 23,
    Spare24 = 24,
    WhiteBalanceRequest = 25,  // the Bayer gain auto flag
    WhiteBalanceCompanion1 = 26,
    WhiteBalanceCompanion2 = 27,
    Spare28 = 28,
    GrayAutoGainCounter = 29,
};
using FilterSettings = AtomicRecord<FilterField, 30>;

// Entries of the 8-value analog settings record, in stored order.
enum class AnalogField : int {
    GlobalGain = 0,
    ColorGainG1 = 1,
    ColorGainR = 2,
    ColorGainB = 3,
    ColorGainG2 = 4,
    Exposure = 5,
    VerticalMirror = 6,
    AutoIris = 7,
};
using AnalogSettings = AtomicRecord<AnalogField, 8>;

}  // namespace pixora
