#include "imaging/BayerInterpolation.h"
#include "imaging/BayerInterpolationSimd.h"
#include "imaging/BayerPixel.h"

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace pixora {

#if defined(__x86_64__)
namespace {

inline __m128i Select(__m128i mask, __m128i whenSet, __m128i whenClear) {
    return _mm_or_si128(_mm_and_si128(mask, whenSet), _mm_andnot_si128(mask, whenClear));
}

inline __m128i Load(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline __m128i Times3(__m128i x) {
    return _mm_add_epi16(_mm_slli_epi16(x, 1), x);
}

// 9 near + 3 nearOther + 3 far + farOther in 16-bit lanes.
inline __m128i Weighted(__m128i near, __m128i nearOther, __m128i far, __m128i farOther) {
    const __m128i first = _mm_add_epi16(Times3(near), nearOther);
    const __m128i second = _mm_add_epi16(Times3(far), farOther);
    return _mm_add_epi16(Times3(first), second);
}

// Gain scaling of eight sums. Accelerated: ((sum / 16) x factor) / 128, exact for factors
// up to 256. Reference: the 32-bit product sum x factor shifted right by 11, assembled from
// its low and high halves; exact for factors up to 2047. Both saturate in the final pack.
template <bool Reference>
inline __m128i Scale(__m128i sum, __m128i factor) {
    if constexpr (Reference) {
        const __m128i low = _mm_mullo_epi16(sum, factor);
        const __m128i high = _mm_mulhi_epu16(sum, factor);
        return _mm_or_si128(_mm_slli_epi16(high, 5), _mm_srli_epi16(low, 11));
    } else {
        return _mm_srli_epi16(_mm_mullo_epi16(_mm_srli_epi16(sum, 4), factor), 7);
    }
}

template <bool Reference>
inline __m128i Channel(__m128i near, __m128i nearOther, __m128i far, __m128i farOther,
                       __m128i factor) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = Weighted(_mm_unpacklo_epi8(near, zero), _mm_unpacklo_epi8(nearOther, zero),
                                 _mm_unpacklo_epi8(far, zero), _mm_unpacklo_epi8(farOther, zero));
    const __m128i high = Weighted(_mm_unpackhi_epi8(near, zero), _mm_unpackhi_epi8(nearOther, zero),
                                  _mm_unpackhi_epi8(far, zero), _mm_unpackhi_epi8(farOther, zero));
    return _mm_packus_epi16(Scale<Reference>(low, factor), Scale<Reference>(high, factor));
}

// Four B, G, R, 0 pixels to 12 packed bytes at the bottom of the register (top 4 bytes 0).
inline __m128i Compact(__m128i pixels) {
    const __m128i pixel0 = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    const __m128i pixel1 = _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFF000000), 0x0000FFFF,
                                         static_cast<int>(0xFF000000));
    const __m128i pairs = _mm_or_si128(_mm_and_si128(pixels, pixel0),
                                       _mm_and_si128(_mm_srli_epi64(pixels, 8), pixel1));
    const __m128i lowHalf = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
    return _mm_or_si128(_mm_and_si128(pairs, lowHalf),
                        _mm_srli_si128(_mm_andnot_si128(lowHalf, pairs), 2));
}

// Sixteen pixels as B, G, R, 0 dwords, four per register.
struct Quads {
    __m128i p[4];
};

inline Quads ToQuads(__m128i blue, __m128i green, __m128i red) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bgLow = _mm_unpacklo_epi8(blue, green);
    const __m128i bgHigh = _mm_unpackhi_epi8(blue, green);
    const __m128i r0Low = _mm_unpacklo_epi8(red, zero);
    const __m128i r0High = _mm_unpackhi_epi8(red, zero);
    return {{_mm_unpacklo_epi16(bgLow, r0Low), _mm_unpackhi_epi16(bgLow, r0Low),
             _mm_unpacklo_epi16(bgHigh, r0High), _mm_unpackhi_epi16(bgHigh, r0High)}};
}

// Sixteen B, G, R pixels as 48 bytes.
inline void Store24(uint8_t* out, __m128i blue, __m128i green, __m128i red) {
    const Quads q = ToQuads(blue, green, red);
    const __m128i p0 = Compact(q.p[0]);
    const __m128i p1 = Compact(q.p[1]);
    const __m128i p2 = Compact(q.p[2]);
    const __m128i p3 = Compact(q.p[3]);
    __m128i* o = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(o, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
    _mm_storeu_si128(o + 1, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
    _mm_storeu_si128(o + 2, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
}

// Sixteen B, G, R, X pixels as 64 bytes; the fourth byte already in memory stays.
inline void Store32(uint8_t* out, __m128i blue, __m128i green, __m128i red) {
    const Quads q = ToQuads(blue, green, red);
    const __m128i keep = _mm_set1_epi32(static_cast<int>(0xFF000000));
    __m128i* o = reinterpret_cast<__m128i*>(out);
    for (int i = 0; i < 4; ++i) {
        const __m128i old = _mm_and_si128(_mm_loadu_si128(o + i), keep);
        _mm_storeu_si128(o + i, _mm_or_si128(old, q.p[i]));
    }
}

template <bool Reference, int OutBytes>
void Sse2Rows(const PixelRegion& region, int32_t bayerMode, int32_t redFactor, int32_t blueFactor) {
    const __m128i lowBit = _mm_set1_epi8(1);
    const __m128i evenLanes = _mm_set1_epi16(0x00FF);
    for (int32_t row = 2; row <= region.height - 3; ++row) {
        const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
        const uint8_t* rowP = region.SourceRow(row - 2);
        const uint8_t* rowA = region.SourceRow(row - 1);
        const uint8_t* rowB = region.SourceRow(row);
        const uint8_t* rowN = region.SourceRow(row + 1);
        // Channel A has its quad sample on row - 1 (red on phase-0 rows), channel B on row.
        const __m128i factorA =
            _mm_set1_epi16(static_cast<int16_t>(rowPhase == 0 ? redFactor : blueFactor));
        const __m128i factorB =
            _mm_set1_epi16(static_cast<int16_t>(rowPhase == 0 ? blueFactor : redFactor));
        // Lanes whose column phase equals the row phase: channel A's quad column is the
        // sample's own there, channel B's the one before; elsewhere the other way round.
        const int32_t firstColumn = 2;
        const bool evenMatch =
            ColumnPhase(bayerMode, region.sourceColumn + firstColumn) == rowPhase;
        const __m128i match = evenMatch ? evenLanes : _mm_slli_epi16(evenLanes, 8);
        uint8_t* out = region.DestRow(row) + ptrdiff_t{firstColumn} * OutBytes;
        int32_t column = firstColumn;
        for (; column + 18 <= region.width; column += 16, out += 16 * OutBytes) {
            const __m128i aM1 = Load(rowA + column - 1);
            const __m128i a0 = Load(rowA + column);
            const __m128i bM1 = Load(rowB + column - 1);
            const __m128i b0 = Load(rowB + column);
            // Channel A: quad column c (far c - 2) on matching lanes, c - 1 (far c + 1) else.
            const __m128i channelA = Channel<Reference>(
                Select(match, a0, aM1), Select(match, Load(rowN + column), Load(rowN + column - 1)),
                Select(match, Load(rowA + column - 2), Load(rowA + column + 1)),
                Select(match, Load(rowN + column - 2), Load(rowN + column + 1)), factorA);
            // Channel B: the other way round.
            const __m128i channelB = Channel<Reference>(
                Select(match, bM1, b0), Select(match, Load(rowP + column - 1), Load(rowP + column)),
                Select(match, Load(rowB + column + 1), Load(rowB + column - 2)),
                Select(match, Load(rowP + column + 1), Load(rowP + column - 2)), factorB);
            // Green: truncating mean of the quad's greens (on row - 1 one column back on
            // matching lanes).
            const __m128i greenA = Select(match, aM1, a0);
            const __m128i greenB = Select(match, b0, bM1);
            const __m128i green = _mm_sub_epi8(
                _mm_avg_epu8(greenA, greenB), _mm_and_si128(_mm_xor_si128(greenA, greenB), lowBit));
            const __m128i red = rowPhase == 0 ? channelA : channelB;
            const __m128i blue = rowPhase == 0 ? channelB : channelA;
            if constexpr (OutBytes == 3) {
                Store24(out, blue, green, red);
            } else {
                Store32(out, blue, green, red);
            }
        }
        if constexpr (Reference) {
            bayer::ReferenceRowScalar(region, row, column, region.width - 2, bayerMode, redFactor,
                                      blueFactor);
        } else {
            bayer::FastRowScalar(region, row, column, region.width - 2, bayerMode, redFactor,
                                 blueFactor);
        }
    }
}

}  // namespace

void InterpolateSse2(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    const int32_t redFactor = bayer::GainFactor(block.gainR);
    const int32_t blueFactor = bayer::GainFactor(block.gainB);
    if (region.destBytesPerPixel != 3 || region.sourceBytesPerPixel != 1 ||
        !bayer::FastFactorsFit(redFactor, blueFactor)) {
        InterpolateFast8(region, block);
        return;
    }
    Sse2Rows<false, 3>(region, block.bayerMode, redFactor, blueFactor);
}

void InterpolateReferenceSse2(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    const int32_t redFactor = bayer::GainFactor(block.gainR);
    const int32_t blueFactor = bayer::GainFactor(block.gainB);
    if (region.sourceBytesPerPixel != 1 || !bayer::ExactFactorsFit(redFactor, blueFactor)) {
        InterpolateReference8(region, block);
        return;
    }
    if (region.destBytesPerPixel == 3) {
        Sse2Rows<true, 3>(region, block.bayerMode, redFactor, blueFactor);
    } else if (region.destBytesPerPixel == 4) {
        Sse2Rows<true, 4>(region, block.bayerMode, redFactor, blueFactor);
    } else {
        InterpolateReference8(region, block);
    }
}

#else

void InterpolateSse2(const PixelRegion& region, const InterpolationBlock& block) {
    InterpolateFast8(region, block);
}

void InterpolateReferenceSse2(const PixelRegion& region, const InterpolationBlock& block) {
    InterpolateReference8(region, block);
}

#endif

}  // namespace pixora
