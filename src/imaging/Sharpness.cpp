#include "imaging/Sharpness.h"

#include <algorithm>

namespace pixora {
namespace {

struct ByteSamples {
    static constexpr int32_t kTop = 255;
    static constexpr int32_t kBytes = 1;
    static int32_t Load(const uint8_t* p) { return *p; }
    static void Store(uint8_t* p, int32_t v) { *p = static_cast<uint8_t>(v); }
};

struct WordSamples {
    static constexpr int32_t kTop = 1023;
    static constexpr int32_t kBytes = 2;
    static int32_t Load(const uint8_t* p) {
        return static_cast<int32_t>(std::min<uint32_t>(LoadWord(p), kTop));
    }
    static void Store(uint8_t* p, int32_t v) { StoreWord(p, static_cast<uint32_t>(v)); }
};

template <typename Samples>
void Sharpen(const PixelRegion& region, int32_t strength) {
    constexpr int32_t kTop = Samples::kTop;
    if (region.IsEmpty() || region.width < 5 || region.height < 5) {
        return;
    }
    // entry[kTop + d] = k d / 10, truncating toward zero; the strength is held to a range
    // whose products cannot overflow.
    const int32_t k = std::clamp(strength, -100000, 100000);
    int32_t table[2 * kTop + 2];
    for (int32_t t = 0; t <= 2 * kTop + 1; ++t) {
        table[t] = ((t - kTop) * k) / 10;
    }
    const int32_t channels = std::min(region.sourceBytesPerPixel / Samples::kBytes, 3);
    const int32_t sbpp = region.sourceBytesPerPixel;
    const int32_t dbpp = region.destBytesPerPixel;

    for (int32_t v = 2; v <= region.height - 3; ++v) {
        const uint8_t* rows[4] = {region.SourceRow(v - 2), region.SourceRow(v - 1),
                                  region.SourceRow(v), region.SourceRow(v + 1)};
        const uint8_t* centre = region.SourceRow(v);
        uint8_t* d = region.DestRow(v);
        for (int32_t c = 0; c < channels; ++c) {
            const int32_t offset = c * Samples::kBytes;
            const auto columnSum = [&](int32_t x) {
                const ptrdiff_t at = ptrdiff_t{x} * sbpp + offset;
                return Samples::Load(rows[0] + at) + Samples::Load(rows[1] + at) +
                       Samples::Load(rows[2] + at) + Samples::Load(rows[3] + at);
            };
            // Sliding 4-column window: columns u - 2 .. u + 1.
            int32_t window[4] = {columnSum(0), columnSum(1), columnSum(2), 0};
            int32_t sum = window[0] + window[1] + window[2];
            for (int32_t u = 2; u <= region.width - 3; ++u) {
                const int32_t incoming = columnSum(u + 1);
                sum += incoming;
                window[(u + 1) & 3] = incoming;
                const int32_t mean = sum >> 4;
                const int32_t s = Samples::Load(centre + ptrdiff_t{u} * sbpp + offset);
                const int32_t out = std::clamp(s + table[kTop + s - mean], 0, kTop);
                Samples::Store(d + ptrdiff_t{u} * dbpp + offset, out);
                sum -= window[(u - 2) & 3];
            }
        }
    }
}

}  // namespace

void Sharpen8(const PixelRegion& region, int32_t strength) {
    Sharpen<ByteSamples>(region, strength);
}

void Sharpen10(const PixelRegion& region, int32_t strength) {
    Sharpen<WordSamples>(region, strength);
}

}  // namespace pixora
