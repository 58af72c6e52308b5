#include <algorithm>
#include <cstdlib>

#include "imaging/HueSaturation.h"
#include "imaging/VectorTarget.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace pixora {
namespace {

#if defined(__x86_64__)

PIXORA_AVX2_BEGIN

// floor(x / n) for 0 <= x < 2^16 and 1 <= n <= 510, truncated toward zero for negative x:
// the correctly rounded single-precision quotient is off by less than 1 / n, so it never
// reaches the next integer and truncation gives the exact integer quotient.
inline __m256i Divide(__m256i x, __m256i n) {
    return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(x), _mm256_cvtepi32_ps(n)));
}

inline __m256i Choose(__m256i mask, __m256i whenSet, __m256i whenClear) {
    return _mm256_blendv_epi8(whenClear, whenSet, mask);
}

// Lanes with low <= value < high.
inline __m256i InRange(__m256i value, int32_t low, int32_t high) {
    const __m256i atLeast = _mm256_cmpgt_epi32(value, _mm256_set1_epi32(low - 1));
    const __m256i below = _mm256_cmpgt_epi32(_mm256_set1_epi32(high), value);
    return _mm256_and_si256(atLeast, below);
}

// angle % 360 with the dividend's sign, for angles in -720 .. 1079.
inline __m256i Remainder360(__m256i angle) {
    const __m256i turn = _mm256_set1_epi32(360);
    const __m256i over1 = _mm256_cmpgt_epi32(angle, _mm256_set1_epi32(359));
    const __m256i over2 = _mm256_cmpgt_epi32(angle, _mm256_set1_epi32(719));
    const __m256i under = _mm256_cmpgt_epi32(_mm256_set1_epi32(-359), angle);
    angle = _mm256_sub_epi32(angle, _mm256_and_si256(over1, turn));
    angle = _mm256_sub_epi32(angle, _mm256_and_si256(over2, turn));
    return _mm256_add_epi32(angle, _mm256_and_si256(under, turn));
}

inline __m256i Channel(__m256i m1, __m256i m2, __m256i angle) {
    const __m256i h = Remainder360(angle);
    const __m256i span = _mm256_sub_epi32(m2, m1);
    const __m256i rise = _mm256_add_epi32(m1, _mm256_srai_epi32(_mm256_mullo_epi32(span, h), 6));
    const __m256i fall = _mm256_add_epi32(
        m1, _mm256_srai_epi32(_mm256_mullo_epi32(span, _mm256_sub_epi32(_mm256_set1_epi32(240), h)),
                              6));
    __m256i value = m1;
    value = Choose(InRange(h, 0, 60), rise, value);
    value = Choose(InRange(h, 60, 180), m2, value);
    value = Choose(InRange(h, 180, 240), fall, value);
    return _mm256_min_epi32(_mm256_max_epi32(value, _mm256_setzero_si256()),
                            _mm256_set1_epi32(255));
}

// Eight pixels of ShiftHueSaturation, lane for lane.
void ShiftEight(int32_t* blue, int32_t* green, int32_t* red, const HueSaturationBlock& block) {
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(blue));
    const __m256i g = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(green));
    const __m256i r = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(red));
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i mx = _mm256_max_epi32(_mm256_max_epi32(r, g), b);
    const __m256i mn = _mm256_min_epi32(_mm256_min_epi32(r, g), b);
    const __m256i sum = _mm256_add_epi32(mx, mn);
    __m256i lightness = _mm256_srli_epi32(sum, 1);
    const __m256i d = _mm256_sub_epi32(mx, mn);
    const __m256i flat = _mm256_cmpeq_epi32(d, _mm256_setzero_si256());
    const __m256i dark = _mm256_cmpgt_epi32(_mm256_set1_epi32(128), lightness);

    // Saturation 255 d / (max + min) or 255 d / (510 - max - min); divisors kept at least
    // 1 where the pixel is gray (its result is discarded).
    const __m256i divisor =
        _mm256_max_epi32(Choose(dark, sum, _mm256_sub_epi32(_mm256_set1_epi32(510), sum)), one);
    __m256i saturation = Divide(_mm256_mullo_epi32(_mm256_set1_epi32(255), d), divisor);

    // Hue: the maximum tested red, green, blue in that order.
    const __m256i redMax = _mm256_cmpeq_epi32(r, mx);
    const __m256i greenMax = _mm256_andnot_si256(redMax, _mm256_cmpeq_epi32(g, mx));
    const __m256i numerator =
        Choose(redMax, _mm256_sub_epi32(g, b),
               Choose(greenMax, _mm256_sub_epi32(b, r), _mm256_sub_epi32(r, g)));
    const __m256i offset = Choose(redMax, _mm256_setzero_si256(),
                                  Choose(greenMax, _mm256_set1_epi32(120), _mm256_set1_epi32(240)));
    __m256i hue =
        _mm256_add_epi32(Divide(_mm256_slli_epi32(numerator, 6), _mm256_max_epi32(d, one)), offset);
    hue = _mm256_add_epi32(hue, _mm256_and_si256(_mm256_cmpgt_epi32(_mm256_setzero_si256(), hue),
                                                 _mm256_set1_epi32(360)));
    hue = _mm256_sub_epi32(hue, _mm256_and_si256(_mm256_cmpgt_epi32(hue, _mm256_set1_epi32(359)),
                                                 _mm256_set1_epi32(360)));
    hue = _mm256_andnot_si256(flat, hue);
    saturation = _mm256_andnot_si256(flat, saturation);

    hue = _mm256_add_epi32(hue, _mm256_set1_epi32(block.hue));
    lightness = _mm256_add_epi32(lightness, _mm256_set1_epi32(block.lightness));
    saturation = _mm256_add_epi32(saturation, _mm256_set1_epi32(block.saturation));

    const __m256i grayOut = _mm256_cmpgt_epi32(one, saturation);  // saturation <= 0
    const __m256i grayValue = _mm256_and_si256(lightness, _mm256_set1_epi32(0xFF));
    saturation = _mm256_min_epi32(saturation, _mm256_set1_epi32(255));
    const __m256i darkOut = _mm256_cmpgt_epi32(_mm256_set1_epi32(128), lightness);
    const __m256i m2Dark = _mm256_srai_epi32(
        _mm256_mullo_epi32(lightness, _mm256_add_epi32(saturation, _mm256_set1_epi32(255))), 8);
    const __m256i m2Light =
        _mm256_sub_epi32(_mm256_add_epi32(saturation, lightness),
                         _mm256_srai_epi32(_mm256_mullo_epi32(saturation, lightness), 8));
    const __m256i m2 = Choose(darkOut, m2Dark, m2Light);
    const __m256i m1 = _mm256_sub_epi32(_mm256_slli_epi32(lightness, 1), m2);

    const __m256i outRed =
        Choose(grayOut, grayValue, Channel(m1, m2, _mm256_add_epi32(hue, _mm256_set1_epi32(120))));
    const __m256i outGreen = Choose(grayOut, grayValue, Channel(m1, m2, hue));
    const __m256i outBlue =
        Choose(grayOut, grayValue, Channel(m1, m2, _mm256_sub_epi32(hue, _mm256_set1_epi32(120))));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(blue), outBlue);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(green), outGreen);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(red), outRed);
}

PIXORA_AVX2_END

// Rows of pixels in groups of eight.
template <typename Samples>
void Rows(const PixelRegion& region, const HueSaturationBlock& block) {
    constexpr int32_t kSampleBytes = Samples::kBytes;
    int32_t blue[8];
    int32_t green[8];
    int32_t red[8];
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* sourceRow = region.SourceRow(row);
        uint8_t* destRow = region.DestRow(row);
        for (int32_t column = 0; column < region.width; column += 8) {
            const int32_t count = std::min(8, region.width - column);
            for (int32_t i = 0; i < 8; ++i) {
                // Short groups repeat their last pixel in the spare lanes.
                const int32_t at = column + std::min(i, count - 1);
                const uint8_t* p = sourceRow + ptrdiff_t{at} * region.sourceBytesPerPixel;
                blue[i] = Samples::Load(p);
                green[i] = Samples::Load(p + kSampleBytes);
                red[i] = Samples::Load(p + 2 * kSampleBytes);
            }
            ShiftEight(blue, green, red, block);
            for (int32_t i = 0; i < count; ++i) {
                uint8_t* p = destRow + ptrdiff_t{column + i} * region.destBytesPerPixel;
                Samples::Store(p, blue[i]);
                Samples::Store(p + kSampleBytes, green[i]);
                Samples::Store(p + 2 * kSampleBytes, red[i]);
            }
        }
    }
}

// The lanes repeat the scalar arithmetic for hue shifts within one turn either way (the
// setting's range); wider shifts, and any lightness or saturation shift whose sums could
// leave the lanes' exact range, take the scalar form.
bool LanesFit(const HueSaturationBlock& block) {
    return std::abs(int64_t{block.hue}) <= 360 && std::abs(int64_t{block.lightness}) <= 100000 &&
           std::abs(int64_t{block.saturation}) <= 100000;
}

#endif

// Channel samples as the scalar members read and write them, and the member each belongs to.
struct Bytes {
    static constexpr int32_t kBytes = 1;
    static int32_t Load(const uint8_t* p) { return *p; }
    static void Store(uint8_t* p, int32_t v) { *p = static_cast<uint8_t>(v); }
    static void Scalar(const PixelRegion& region, const HueSaturationBlock& block) {
        HueSaturation24(region, block);
    }
};

// Words brought to 8 bits and back.
struct Words {
    static constexpr int32_t kBytes = 2;
    static int32_t Load(const uint8_t* p) {
        return static_cast<int32_t>(std::min<uint32_t>(LoadWord(p), 1023) / 4);
    }
    static void Store(uint8_t* p, int32_t v) { StoreWord(p, static_cast<uint32_t>(v * 4)); }
    static void Scalar(const PixelRegion& region, const HueSaturationBlock& block) {
        HueSaturation48(region, block);
    }
};

// The lanes where the shifts fit them, else the scalar member; other processors always take
// the scalar member.
template <typename Samples>
void Member(const PixelRegion& region, const HueSaturationBlock& block) {
#if defined(__x86_64__)
    if (!region.IsEmpty() && LanesFit(block)) {
        Rows<Samples>(region, block);
        return;
    }
#endif
    Samples::Scalar(region, block);
}

}  // namespace

void HueSaturation24Avx2(const PixelRegion& region, const HueSaturationBlock& block) {
    Member<Bytes>(region, block);
}

void HueSaturation48Avx2(const PixelRegion& region, const HueSaturationBlock& block) {
    Member<Words>(region, block);
}

}  // namespace pixora
