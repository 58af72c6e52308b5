#include "image/ConversionKernels.h"

#include <array>

#include "image/KernelRows.h"

namespace pixora {

using kernel_detail::ForEachPixel;

namespace {

// The pixel functions are lambdas, each a type of its own, so that ForEachPixel's call to
// them is always direct and inlined, whatever the compiler makes of ForEachPixel itself.
constexpr auto CopyBgr = [](uint8_t* d, const uint8_t* s) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
};

constexpr auto Gray16ToGray8 = [](uint8_t* d, const uint8_t* s) { d[0] = ReduceWord(s); };

constexpr auto Color16ToBgr = [](uint8_t* d, const uint8_t* s) {
    d[0] = ReduceWord(s);
    d[1] = ReduceWord(s + 2);
    d[2] = ReduceWord(s + 4);
};

// B, G, R to R, G, B; with a fourth byte of 0 when asked.
template <bool WithFourth>
constexpr auto SwapBgr = [](uint8_t* d, const uint8_t* s) {
    const uint8_t blue = s[0];
    d[0] = s[2];
    d[1] = s[1];
    d[2] = blue;
    if constexpr (WithFourth) {
        d[3] = 0;
    }
};

// B, G, R words shifted left by 6 (first and third exchanged when asked); a fourth word of
// 0xFFFF when asked.
template <bool Swap, bool WithFourth>
constexpr auto ScaleColorWords = [](uint8_t* d, const uint8_t* s) {
    const uint32_t b = LoadWord(s) << 6;
    const uint32_t g = LoadWord(s + 2) << 6;
    const uint32_t r = LoadWord(s + 4) << 6;
    StoreWord(d, Swap ? r : b);
    StoreWord(d + 2, g);
    StoreWord(d + 4, Swap ? b : r);
    if constexpr (WithFourth) {
        StoreWord(d + 6, 0xFFFF);
    }
};

template <bool Swap>
void ScaleColor(const PixelRegion& region) {
    if (region.destBytesPerPixel >= 8) {
        ForEachPixel<false>(region, ScaleColorWords<Swap, true>);
    } else {
        ForEachPixel<false>(region, ScaleColorWords<Swap, false>);
    }
}

}  // namespace

namespace {

// 0..255 times a constant: three table loads cost less than three multiplies per pixel,
// which bound the kernel otherwise.
template <uint16_t Factor>
constexpr std::array<uint16_t, 256> kTimes = [] {
    std::array<uint16_t, 256> table{};
    for (uint16_t i = 0; i < 256; ++i) {
        table[i] = static_cast<uint16_t>(i * Factor);
    }
    return table;
}();

}  // namespace

void Luma24To8(const PixelRegion& region) {
    ForEachPixel<false>(region, [](uint8_t* d, const uint8_t* s) {
        const uint32_t weighted = kTimes<59>[s[1]] + kTimes<30>[s[2]] + kTimes<11>[s[0]];
        d[0] = static_cast<uint8_t>(weighted / 100);
    });
}

void Copy32To24(const PixelRegion& region) {
    ForEachPixel<false>(region, CopyBgr);
}

void FlipCopyTo24(const PixelRegion& region) {
    ForEachPixel<true>(region, CopyBgr);
}

void Gray16To8(const PixelRegion& region) {
    ForEachPixel<false>(region, Gray16ToGray8);
}

void Gray16To8Flipped(const PixelRegion& region) {
    ForEachPixel<true>(region, Gray16ToGray8);
}

void Color16To24(const PixelRegion& region) {
    ForEachPixel<false>(region, Color16ToBgr);
}

void Color16To24Flipped(const PixelRegion& region) {
    ForEachPixel<true>(region, Color16ToBgr);
}

void SwapToRgb(const PixelRegion& region) {
    if (region.destBytesPerPixel >= 4) {
        ForEachPixel<false>(region, SwapBgr<true>);
    } else {
        ForEachPixel<false>(region, SwapBgr<false>);
    }
}

void ComplementAlpha32(const PixelRegion& region) {
    ForEachPixel<false>(region, [](uint8_t* d, const uint8_t* s) {
        CopyBgr(d, s);
        d[3] = static_cast<uint8_t>(255 - s[3]);
    });
}

void ScaleGray16(const PixelRegion& region) {
    ForEachPixel<false>(region,
                        [](uint8_t* d, const uint8_t* s) { StoreWord(d, LoadWord(s) << 4); });
}

void ScaleColor16(const PixelRegion& region) {
    ScaleColor<false>(region);
}

void ScaleColor16Swapped(const PixelRegion& region) {
    ScaleColor<true>(region);
}

}  // namespace pixora
