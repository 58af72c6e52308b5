#include "imaging/HueSaturation.h"

#include <algorithm>

namespace pixora {
namespace {

int32_t Channel(int32_t m1, int32_t m2, int32_t angle) {
    const int32_t h = angle % 360;  // keeps the dividend's sign
    if (h < 0) {
        return m1;
    }
    if (h < 60) {
        return m1 + (((m2 - m1) * h) >> 6);
    }
    if (h < 180) {
        return m2;
    }
    if (h < 240) {
        return m1 + (((m2 - m1) * (240 - h)) >> 6);
    }
    return m1;
}

}  // namespace

Bgr ShiftHueSaturation(Bgr pixel, const HueSaturationBlock& block) {
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
        saturation = lightness < 128 ? 255 * d / (mx + mn) : 255 * d / (510 - mx - mn);
        if (r == mx) {
            hue = 64 * (g - b) / d;
        } else if (g == mx) {
            hue = 64 * (b - r) / d + 120;
        } else {
            hue = 64 * (r - g) / d + 240;
        }
        if (hue < 0) {
            hue += 360;
        }
        if (hue >= 360) {
            hue -= 360;
        }
    }
    // Shifts arrive from settings; wide arithmetic is not needed for their ranges but the
    // additions must not overflow for any value a caller may store.
    hue = static_cast<int32_t>(std::clamp<int64_t>(int64_t{hue} + block.hue, -100000, 100000));
    lightness = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{lightness} + block.lightness, -100000, 100000));
    saturation = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{saturation} + block.saturation, -100000, 100000));

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

void HueSaturation24(const PixelRegion& region, const HueSaturationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* s = region.SourceRow(row);
        uint8_t* d = region.DestRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            const Bgr out = ShiftHueSaturation({s[0], s[1], s[2]}, block);
            d[0] = static_cast<uint8_t>(out.blue);
            d[1] = static_cast<uint8_t>(out.green);
            d[2] = static_cast<uint8_t>(out.red);
            s += region.sourceBytesPerPixel;
            d += region.destBytesPerPixel;
        }
    }
}

void HueSaturation48(const PixelRegion& region, const HueSaturationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    // Words above the 10-bit range are taken as 1023 so the 8-bit arithmetic stays in range.
    const auto reduce = [](const uint8_t* p) {
        return static_cast<int32_t>(std::min<uint32_t>(LoadWord(p), 1023) / 4);
    };
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* s = region.SourceRow(row);
        uint8_t* d = region.DestRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            const Bgr out = ShiftHueSaturation({reduce(s), reduce(s + 2), reduce(s + 4)}, block);
            StoreWord(d, static_cast<uint32_t>(out.blue * 4));
            StoreWord(d + 2, static_cast<uint32_t>(out.green * 4));
            StoreWord(d + 4, static_cast<uint32_t>(out.red * 4));
            s += region.sourceBytesPerPixel;
            d += region.destBytesPerPixel;
        }
    }
}

}  // namespace pixora
