// The SSE2 lanes of the vector Bayer members (imaging/BayerVectorRows.h): 16 byte samples per
// step. SSE2 is part of every x86-64 processor, so no target region is needed.
#include "imaging/BayerInterpolationSimd.h"
#include "imaging/BayerVectorRows.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace pixora {
namespace {

#if defined(__x86_64__)

struct Sse2Lanes {
    using V = __m128i;
    static constexpr int32_t kBytes = 16;

    static V Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
    static V Splat16(int32_t x) { return _mm_set1_epi16(static_cast<int16_t>(x)); }
    static V Splat32(uint32_t x) { return _mm_set1_epi32(static_cast<int>(x)); }
    static V Select(V mask, V whenSet, V whenClear) {
        return _mm_or_si128(_mm_and_si128(mask, whenSet), _mm_andnot_si128(mask, whenClear));
    }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    static V Xor(V a, V b) { return _mm_xor_si128(a, b); }
    static V Add16(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sub8(V a, V b) { return _mm_sub_epi8(a, b); }
    static V Average8(V a, V b) { return _mm_avg_epu8(a, b); }
    static V MulLow16(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V MulHigh16(V a, V b) { return _mm_mulhi_epu16(a, b); }
    static V ShiftLeft16(V x, int n) { return _mm_slli_epi16(x, n); }
    static V ShiftRight16(V x, int n) { return _mm_srli_epi16(x, n); }
    static V PackBytes(V low, V high) { return _mm_packus_epi16(low, high); }

    // Bytes widened with zeros, then 3a + b (SSE2 has no multiply-add of bytes).
    static void Weigh3To1(V a, V b, V& low, V& high) {
        const V zero = _mm_setzero_si128();
        low =
            Add16(bayer::Times3<Sse2Lanes>(_mm_unpacklo_epi8(a, zero)), _mm_unpacklo_epi8(b, zero));
        high =
            Add16(bayer::Times3<Sse2Lanes>(_mm_unpackhi_epi8(a, zero)), _mm_unpackhi_epi8(b, zero));
    }

    // Sixteen pixels as B, G, R, 0 dwords, four per register.
    struct Quads {
        V p[4];
    };

    static Quads ToQuads(V blue, V green, V red) {
        const V zero = _mm_setzero_si128();
        const V bgLow = _mm_unpacklo_epi8(blue, green);
        const V bgHigh = _mm_unpackhi_epi8(blue, green);
        const V r0Low = _mm_unpacklo_epi8(red, zero);
        const V r0High = _mm_unpackhi_epi8(red, zero);
        return {{_mm_unpacklo_epi16(bgLow, r0Low), _mm_unpackhi_epi16(bgLow, r0Low),
                 _mm_unpacklo_epi16(bgHigh, r0High), _mm_unpackhi_epi16(bgHigh, r0High)}};
    }

    // Four B, G, R, 0 pixels to 12 packed bytes at the bottom of the register (top 4 bytes 0).
    static V Compact(V pixels) {
        const V pixel0 = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
        const V pixel1 = _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFF000000), 0x0000FFFF,
                                       static_cast<int>(0xFF000000));
        const V pairs = _mm_or_si128(_mm_and_si128(pixels, pixel0),
                                     _mm_and_si128(_mm_srli_epi64(pixels, 8), pixel1));
        const V lowHalf = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
        return _mm_or_si128(_mm_and_si128(pairs, lowHalf),
                            _mm_srli_si128(_mm_andnot_si128(lowHalf, pairs), 2));
    }

    // Sixteen B, G, R pixels as 48 bytes.
    struct Store24 {
        static constexpr int32_t kPixelBytes = 3;
        void operator()(uint8_t* out, V blue, V green, V red) const {
            const Quads q = ToQuads(blue, green, red);
            const V p0 = Compact(q.p[0]);
            const V p1 = Compact(q.p[1]);
            const V p2 = Compact(q.p[2]);
            const V p3 = Compact(q.p[3]);
            V* o = reinterpret_cast<V*>(out);
            _mm_storeu_si128(o, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
            _mm_storeu_si128(o + 1, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
            _mm_storeu_si128(o + 2, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
        }
    };

    // Sixteen B, G, R, X pixels as 64 bytes; the fourth byte already in memory stays.
    struct Store32 {
        static constexpr int32_t kPixelBytes = 4;
        void operator()(uint8_t* out, V blue, V green, V red) const {
            const Quads q = ToQuads(blue, green, red);
            const V keep = _mm_set1_epi32(static_cast<int>(0xFF000000));
            V* o = reinterpret_cast<V*>(out);
            for (int i = 0; i < 4; ++i) {
                const V old = _mm_and_si128(_mm_loadu_si128(o + i), keep);
                _mm_storeu_si128(o + i, _mm_or_si128(old, q.p[i]));
            }
        }
    };
};

#else

using Sse2Lanes = bayer::NoLanes;

#endif

}  // namespace

void InterpolateSse2(const PixelRegion& region, const InterpolationBlock& block) {
    bayer::Member<bayer::Mosaic8<Sse2Lanes, bayer::Scaling::Fast>>(region, block);
}

void InterpolateReferenceSse2(const PixelRegion& region, const InterpolationBlock& block) {
    bayer::Member<bayer::Mosaic8<Sse2Lanes, bayer::Scaling::Exact>>(region, block);
}

}  // namespace pixora
