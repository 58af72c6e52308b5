#include "imaging/HueSaturation.h"

#include <algorithm>

namespace pixora {
namespace {

// Exact quotients without a divide instruction: floor(x / n) = (x * kReciprocal[n]) >> 32
// for 0 <= x <= 65535 and 1 <= n <= 510, with kReciprocal[n] = floor(2^32 / n) + 1 (the
// rounding error stays below 1 / n for numerators this small).
struct Reciprocals {
    uint64_t value[511] = {};
};

constexpr Reciprocals MakeReciprocals() {
    Reciprocals table;
    for (uint64_t n = 1; n < 511; ++n) {
        table.value[n] = (uint64_t{1} << 32) / n + 1;
    }
    return table;
}

constexpr Reciprocals kReciprocals = MakeReciprocals();

inline int32_t Quotient(int32_t numerator, int32_t denominator) {
    return static_cast<int32_t>(
        (static_cast<uint64_t>(numerator) * kReciprocals.value[denominator]) >> 32);
}

// Quotient truncated toward zero for a numerator of either sign.
inline int32_t SignedQuotient(int32_t numerator, int32_t denominator) {
    const int32_t magnitude = Quotient(numerator < 0 ? -numerator : numerator, denominator);
    return numerator < 0 ? -magnitude : magnitude;
}

// The channel of hue angle `angle`: m1 below 0 and from 240 on, a rise over 0..60, m2 over
// 60..180, a fall over 180..240. Written as selections so that it compiles without jumps.
inline int32_t Channel(int32_t m1, int32_t m2, int32_t angle) {
    const int32_t h = angle % 360;  // keeps the dividend's sign
    const int32_t rise = m1 + (((m2 - m1) * h) >> 6);
    const int32_t fall = m1 + (((m2 - m1) * (240 - h)) >> 6);
    int32_t value = m1;
    value = (h >= 0 && h < 60) ? rise : value;
    value = (h >= 60 && h < 180) ? m2 : value;
    value = (h >= 180 && h < 240) ? fall : value;
    return value;
}

// Shifts are settings; held far outside their ranges once per call so that no sum can
// overflow.
HueSaturationBlock Held(const HueSaturationBlock& block) {
    const auto hold = [](int32_t v) { return std::clamp(v, -100000, 100000); };
    return {hold(block.hue), hold(block.lightness), hold(block.saturation)};
}

inline __attribute__((always_inline)) Bgr Shift(Bgr pixel, const HueSaturationBlock& block) {
    const int32_t r = pixel.red;
    const int32_t g = pixel.green;
    const int32_t b = pixel.blue;
    const int32_t mx = std::max({r, g, b});
    const int32_t mn = std::min({r, g, b});
    int32_t lightness = (mx + mn) / 2;
    int32_t hue = 0;
    int32_t saturation = 0;
    if (mx != mn) {
        const int32_t d = mx - mn;
        saturation = Quotient(255 * d, lightness < 128 ? mx + mn : 510 - mx - mn);
        // Red, green, blue tested in that order for the maximum.
        const int32_t numerator = r == mx ? g - b : (g == mx ? b - r : r - g);
        const int32_t offset = r == mx ? 0 : (g == mx ? 120 : 240);
        hue = SignedQuotient(64 * numerator, d) + offset;
        hue = hue < 0 ? hue + 360 : hue;
        hue = hue >= 360 ? hue - 360 : hue;
    }
    hue += block.hue;
    lightness += block.lightness;
    saturation += block.saturation;

    Bgr out;
    if (saturation <= 0) {
        const int32_t gray = lightness & 0xFF;
        out.blue = out.green = out.red = gray;
        return out;
    }
    saturation = std::min(saturation, 255);
    const int32_t m2 = lightness < 128 ? (lightness * (saturation + 255)) >> 8
                                       : saturation + lightness - ((saturation * lightness) >> 8);
    const int32_t m1 = 2 * lightness - m2;
    out.red = std::clamp(Channel(m1, m2, hue + 120), 0, 255);
    out.green = std::clamp(Channel(m1, m2, hue), 0, 255);
    out.blue = std::clamp(Channel(m1, m2, hue - 120), 0, 255);
    return out;
}

}  // namespace

Bgr ShiftHueSaturation(Bgr pixel, const HueSaturationBlock& block) {
    return Shift(pixel, Held(block));
}

void HueSaturation24(const PixelRegion& region, const HueSaturationBlock& requested) {
    if (region.IsEmpty()) {
        return;
    }
    const HueSaturationBlock block = Held(requested);
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* s = region.SourceRow(row);
        uint8_t* d = region.DestRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            const Bgr out = Shift({s[0], s[1], s[2]}, block);
            d[0] = static_cast<uint8_t>(out.blue);
            d[1] = static_cast<uint8_t>(out.green);
            d[2] = static_cast<uint8_t>(out.red);
            s += region.sourceBytesPerPixel;
            d += region.destBytesPerPixel;
        }
    }
}

void HueSaturation48(const PixelRegion& region, const HueSaturationBlock& requested) {
    if (region.IsEmpty()) {
        return;
    }
    const HueSaturationBlock block = Held(requested);
    // Words above the 10-bit range are taken as 1023 so the 8-bit arithmetic stays in range.
    const auto reduce = [](const uint8_t* p) {
        return static_cast<int32_t>(std::min<uint32_t>(LoadWord(p), 1023) / 4);
    };
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* s = region.SourceRow(row);
        uint8_t* d = region.DestRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            const Bgr out = Shift({reduce(s), reduce(s + 2), reduce(s + 4)}, block);
            StoreWord(d, static_cast<uint32_t>(out.blue * 4));
            StoreWord(d + 2, static_cast<uint32_t>(out.green * 4));
            StoreWord(d + 4, static_cast<uint32_t>(out.red * 4));
            s += region.sourceBytesPerPixel;
            d += region.destBytesPerPixel;
        }
    }
}

}  // namespace pixora
