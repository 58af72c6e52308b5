#include <array>

#include "imaging/BayerInterpolation.h"
#include "imaging/BayerInterpolationSimd.h"
#include "imaging/BayerPixel.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace pixora {

#if defined(__x86_64__)
namespace {

#define PIXORA_AVX2 __attribute__((target("avx2")))

// Shuffle controls that spread the samples of one channel over the chunks of one 128-bit
// lane's pixels (16 pixels of bytes or 8 pixels of words); -128 clears a byte.
template <int Chunks>
using SpreadTable = std::array<std::array<std::array<int8_t, 16>, 3>, Chunks>;

// 16 pixels of B, G, R (and a zero fourth byte when `pixelBytes` is 4) from byte channels.
template <int Chunks>
constexpr SpreadTable<Chunks> MakeByteSpread(int pixelBytes) {
    SpreadTable<Chunks> table{};
    for (int chunk = 0; chunk < Chunks; ++chunk) {
        for (int channel = 0; channel < 3; ++channel) {
            for (int byte = 0; byte < 16; ++byte) {
                const int at = chunk * 16 + byte;
                table[chunk][channel][byte] = at % pixelBytes == channel
                                                  ? static_cast<int8_t>(at / pixelBytes)
                                                  : static_cast<int8_t>(-128);
            }
        }
    }
    return table;
}

// 8 pixels of B, G, R words (6 bytes each) from word channels.
constexpr SpreadTable<3> MakeWordSpread() {
    SpreadTable<3> table{};
    for (int chunk = 0; chunk < 3; ++chunk) {
        for (int channel = 0; channel < 3; ++channel) {
            for (int byte = 0; byte < 16; ++byte) {
                const int at = chunk * 16 + byte;
                const int word = at / 2;
                table[chunk][channel][byte] = word % 3 == channel
                                                  ? static_cast<int8_t>((word / 3) * 2 + at % 2)
                                                  : static_cast<int8_t>(-128);
            }
        }
    }
    return table;
}

constexpr SpreadTable<3> kSpread24 = MakeByteSpread<3>(3);
constexpr SpreadTable<4> kSpread32 = MakeByteSpread<4>(4);
constexpr SpreadTable<3> kSpread48 = MakeWordSpread();

template <int Chunks>
struct SpreadMasks {
    __m256i mask[Chunks][3];
};

template <int Chunks>
PIXORA_AVX2 inline SpreadMasks<Chunks> LoadMasks(const SpreadTable<Chunks>& table) {
    SpreadMasks<Chunks> masks;
    for (int chunk = 0; chunk < Chunks; ++chunk) {
        for (int channel = 0; channel < 3; ++channel) {
            masks.mask[chunk][channel] = _mm256_broadcastsi128_si256(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(table[chunk][channel].data())));
        }
    }
    return masks;
}

template <int Chunks>
PIXORA_AVX2 inline void Spread(const SpreadMasks<Chunks>& masks, __m256i blue, __m256i green,
                               __m256i red, __m256i (&chunks)[Chunks]) {
    for (int c = 0; c < Chunks; ++c) {
        chunks[c] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(blue, masks.mask[c][0]),
                                                    _mm256_shuffle_epi8(green, masks.mask[c][1])),
                                    _mm256_shuffle_epi8(red, masks.mask[c][2]));
    }
}

// Three chunks per lane (lane 0 the first half of the pixels) back in memory order.
PIXORA_AVX2 inline void StoreThreeChunks(uint8_t* out, const __m256i (&chunk)[3]) {
    __m256i* o = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(o, _mm256_permute2x128_si256(chunk[0], chunk[1], 0x20));
    _mm256_storeu_si256(o + 1, _mm256_permute2x128_si256(chunk[2], chunk[0], 0x30));
    _mm256_storeu_si256(o + 2, _mm256_permute2x128_si256(chunk[1], chunk[2], 0x31));
}

PIXORA_AVX2 inline __m256i Load(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

PIXORA_AVX2 inline __m256i Select(__m256i mask, __m256i whenSet, __m256i whenClear) {
    return _mm256_blendv_epi8(whenClear, whenSet, mask);
}

PIXORA_AVX2 inline __m256i Times3(__m256i x) {
    return _mm256_add_epi16(_mm256_slli_epi16(x, 1), x);
}

// ---- 8-bit mosaic: 32 samples per step. ----

// Gain scaling of 16-bit sums, as in the SSE2 form: accelerated ((sum / 16) x f) / 128,
// or the reference sum x f / 2048 from the two halves of the 32-bit product.
template <bool Reference>
PIXORA_AVX2 inline __m256i Scale(__m256i sum, __m256i factor) {
    if constexpr (Reference) {
        const __m256i low = _mm256_mullo_epi16(sum, factor);
        const __m256i high = _mm256_mulhi_epu16(sum, factor);
        return _mm256_or_si256(_mm256_slli_epi16(high, 5), _mm256_srli_epi16(low, 11));
    } else {
        return _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(sum, 4), factor), 7);
    }
}

// 9 near + 3 nearOther + 3 far + farOther for 32 byte lanes: the row pairs are interleaved
// and weighed 3 : 1 by one multiply-add each.
template <bool Reference>
PIXORA_AVX2 inline __m256i Channel(__m256i near, __m256i nearOther, __m256i far, __m256i farOther,
                                   __m256i factor) {
    const __m256i weights = _mm256_set1_epi16(0x0103);  // bytes 3, 1
    const __m256i firstLow = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(near, nearOther), weights);
    const __m256i firstHigh = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(near, nearOther), weights);
    const __m256i secondLow = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(far, farOther), weights);
    const __m256i secondHigh = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(far, farOther), weights);
    const __m256i low = _mm256_add_epi16(Times3(firstLow), secondLow);
    const __m256i high = _mm256_add_epi16(Times3(firstHigh), secondHigh);
    return _mm256_packus_epi16(Scale<Reference>(low, factor), Scale<Reference>(high, factor));
}

template <bool Reference, int OutBytes>
PIXORA_AVX2 void Avx2Rows(const PixelRegion& region, int32_t bayerMode, int32_t redFactor,
                          int32_t blueFactor) {
    const __m256i lowBit = _mm256_set1_epi8(1);
    const __m256i evenLanes = _mm256_set1_epi16(0x00FF);
    const __m256i keepFourth = _mm256_set1_epi32(static_cast<int>(0xFF000000));
    constexpr int kChunks = OutBytes == 3 ? 3 : 4;
    SpreadMasks<kChunks> masks;
    if constexpr (OutBytes == 3) {
        masks = LoadMasks<3>(kSpread24);
    } else {
        masks = LoadMasks<4>(kSpread32);
    }
    for (int32_t row = 2; row <= region.height - 3; ++row) {
        const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
        const uint8_t* rowP = region.SourceRow(row - 2);
        const uint8_t* rowA = region.SourceRow(row - 1);
        const uint8_t* rowB = region.SourceRow(row);
        const uint8_t* rowN = region.SourceRow(row + 1);
        const __m256i factorA =
            _mm256_set1_epi16(static_cast<int16_t>(rowPhase == 0 ? redFactor : blueFactor));
        const __m256i factorB =
            _mm256_set1_epi16(static_cast<int16_t>(rowPhase == 0 ? blueFactor : redFactor));
        const int32_t firstColumn = 2;
        const bool evenMatch =
            ColumnPhase(bayerMode, region.sourceColumn + firstColumn) == rowPhase;
        const __m256i match = evenMatch ? evenLanes : _mm256_slli_epi16(evenLanes, 8);
        uint8_t* out = region.DestRow(row) + ptrdiff_t{firstColumn} * OutBytes;
        int32_t column = firstColumn;
        for (; column + 34 <= region.width; column += 32, out += 32 * OutBytes) {
            const __m256i aM1 = Load(rowA + column - 1);
            const __m256i a0 = Load(rowA + column);
            const __m256i bM1 = Load(rowB + column - 1);
            const __m256i b0 = Load(rowB + column);
            const __m256i channelA = Channel<Reference>(
                Select(match, a0, aM1), Select(match, Load(rowN + column), Load(rowN + column - 1)),
                Select(match, Load(rowA + column - 2), Load(rowA + column + 1)),
                Select(match, Load(rowN + column - 2), Load(rowN + column + 1)), factorA);
            const __m256i channelB = Channel<Reference>(
                Select(match, bM1, b0), Select(match, Load(rowP + column - 1), Load(rowP + column)),
                Select(match, Load(rowB + column + 1), Load(rowB + column - 2)),
                Select(match, Load(rowP + column + 1), Load(rowP + column - 2)), factorB);
            const __m256i greenA = Select(match, aM1, a0);
            const __m256i greenB = Select(match, b0, bM1);
            const __m256i green =
                _mm256_sub_epi8(_mm256_avg_epu8(greenA, greenB),
                                _mm256_and_si256(_mm256_xor_si256(greenA, greenB), lowBit));
            const __m256i red = rowPhase == 0 ? channelA : channelB;
            const __m256i blue = rowPhase == 0 ? channelB : channelA;
            __m256i chunks[kChunks];
            Spread<kChunks>(masks, blue, green, red, chunks);
            if constexpr (OutBytes == 3) {
                StoreThreeChunks(out, chunks);
            } else {
                // Chunk c holds pixels 4c..4c+3 of each lane; the fourth bytes in memory stay.
                const __m256i ordered[4] = {_mm256_permute2x128_si256(chunks[0], chunks[1], 0x20),
                                            _mm256_permute2x128_si256(chunks[2], chunks[3], 0x20),
                                            _mm256_permute2x128_si256(chunks[0], chunks[1], 0x31),
                                            _mm256_permute2x128_si256(chunks[2], chunks[3], 0x31)};
                __m256i* o = reinterpret_cast<__m256i*>(out);
                for (int i = 0; i < 4; ++i) {
                    const __m256i old = _mm256_and_si256(_mm256_loadu_si256(o + i), keepFourth);
                    _mm256_storeu_si256(o + i, _mm256_or_si256(old, ordered[i]));
                }
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

// ---- 10-bit mosaic: 16 words per step in 16-bit lanes. ----

// 16 words from `column`, each held to 1023 as the scalar member reads them.
PIXORA_AVX2 inline __m256i LoadWords(const uint8_t* row, int32_t column) {
    return _mm256_min_epu16(Load(row + 2 * ptrdiff_t{column}), _mm256_set1_epi16(1023));
}

// sum x factor / 2048, 1023 for products above 0x1FFFFF (the quotient reaching 1024).
PIXORA_AVX2 inline __m256i ScaleWords(__m256i sum, __m256i factor) {
    const __m256i low = _mm256_mullo_epi16(sum, factor);
    const __m256i high = _mm256_mulhi_epu16(sum, factor);
    const __m256i quotient =
        _mm256_or_si256(_mm256_slli_epi16(high, 5), _mm256_srli_epi16(low, 11));
    return _mm256_min_epu16(quotient, _mm256_set1_epi16(1023));
}

PIXORA_AVX2 inline __m256i Weighted16(__m256i near, __m256i nearOther, __m256i far,
                                      __m256i farOther) {
    const __m256i first = _mm256_add_epi16(Times3(near), nearOther);
    const __m256i second = _mm256_add_epi16(Times3(far), farOther);
    return _mm256_add_epi16(Times3(first), second);
}

template <int OutWords>
PIXORA_AVX2 void Avx2Rows16(const PixelRegion& region, int32_t bayerMode, int32_t redFactor,
                            int32_t blueFactor) {
    const SpreadMasks<3> masks = LoadMasks<3>(kSpread48);
    const __m256i evenWords = _mm256_set1_epi32(0x0000FFFF);
    for (int32_t row = 2; row <= region.height - 3; ++row) {
        const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
        const uint8_t* rowP = region.SourceRow(row - 2);
        const uint8_t* rowA = region.SourceRow(row - 1);
        const uint8_t* rowB = region.SourceRow(row);
        const uint8_t* rowN = region.SourceRow(row + 1);
        const __m256i factorA =
            _mm256_set1_epi16(static_cast<int16_t>(rowPhase == 0 ? redFactor : blueFactor));
        const __m256i factorB =
            _mm256_set1_epi16(static_cast<int16_t>(rowPhase == 0 ? blueFactor : redFactor));
        const int32_t firstColumn = 2;
        const bool evenMatch =
            ColumnPhase(bayerMode, region.sourceColumn + firstColumn) == rowPhase;
        const __m256i match = evenMatch ? evenWords : _mm256_slli_epi32(evenWords, 16);
        uint8_t* out = region.DestRow(row) + ptrdiff_t{firstColumn} * OutWords * 2;
        int32_t column = firstColumn;
        for (; column + 18 <= region.width; column += 16, out += 16 * OutWords * 2) {
            const __m256i aM1 = LoadWords(rowA, column - 1);
            const __m256i a0 = LoadWords(rowA, column);
            const __m256i bM1 = LoadWords(rowB, column - 1);
            const __m256i b0 = LoadWords(rowB, column);
            const __m256i channelA = ScaleWords(
                Weighted16(Select(match, a0, aM1),
                           Select(match, LoadWords(rowN, column), LoadWords(rowN, column - 1)),
                           Select(match, LoadWords(rowA, column - 2), LoadWords(rowA, column + 1)),
                           Select(match, LoadWords(rowN, column - 2), LoadWords(rowN, column + 1))),
                factorA);
            const __m256i channelB = ScaleWords(
                Weighted16(Select(match, bM1, b0),
                           Select(match, LoadWords(rowP, column - 1), LoadWords(rowP, column)),
                           Select(match, LoadWords(rowB, column + 1), LoadWords(rowB, column - 2)),
                           Select(match, LoadWords(rowP, column + 1), LoadWords(rowP, column - 2))),
                factorB);
            const __m256i green = _mm256_srli_epi16(
                _mm256_add_epi16(Select(match, aM1, a0), Select(match, b0, bM1)), 1);
            const __m256i red = rowPhase == 0 ? channelA : channelB;
            const __m256i blue = rowPhase == 0 ? channelB : channelA;
            if constexpr (OutWords == 3) {
                __m256i chunks[3];
                Spread<3>(masks, blue, green, red, chunks);
                StoreThreeChunks(out, chunks);
            } else {
                // B, G, R, 0 per pixel from word interleaves (lane 0 pixels 0-7, lane 1 8-15),
                // the fourth word kept from memory.
                const __m256i zero = _mm256_setzero_si256();
                const __m256i bgLow = _mm256_unpacklo_epi16(blue, green);
                const __m256i bgHigh = _mm256_unpackhi_epi16(blue, green);
                const __m256i r0Low = _mm256_unpacklo_epi16(red, zero);
                const __m256i r0High = _mm256_unpackhi_epi16(red, zero);
                const __m256i q0 = _mm256_unpacklo_epi32(bgLow, r0Low);    // px 0-1 | 8-9
                const __m256i q1 = _mm256_unpackhi_epi32(bgLow, r0Low);    // 2-3 | 10-11
                const __m256i q2 = _mm256_unpacklo_epi32(bgHigh, r0High);  // 4-5 | 12-13
                const __m256i q3 = _mm256_unpackhi_epi32(bgHigh, r0High);  // 6-7 | 14-15
                const __m256i ordered[4] = {_mm256_permute2x128_si256(q0, q1, 0x20),
                                            _mm256_permute2x128_si256(q2, q3, 0x20),
                                            _mm256_permute2x128_si256(q0, q1, 0x31),
                                            _mm256_permute2x128_si256(q2, q3, 0x31)};
                __m256i* o = reinterpret_cast<__m256i*>(out);
                for (int i = 0; i < 4; ++i) {
                    _mm256_storeu_si256(
                        o + i, _mm256_blend_epi16(ordered[i], _mm256_loadu_si256(o + i), 0x88));
                }
            }
        }
        bayer::Row16Scalar(region, row, column, region.width - 2, bayerMode, redFactor, blueFactor);
    }
}

}  // namespace

void InterpolateAvx2(const PixelRegion& region, const InterpolationBlock& block) {
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
    Avx2Rows<false, 3>(region, block.bayerMode, redFactor, blueFactor);
}

void InterpolateReferenceAvx2(const PixelRegion& region, const InterpolationBlock& block) {
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
        Avx2Rows<true, 3>(region, block.bayerMode, redFactor, blueFactor);
    } else if (region.destBytesPerPixel == 4) {
        Avx2Rows<true, 4>(region, block.bayerMode, redFactor, blueFactor);
    } else {
        InterpolateReference8(region, block);
    }
}

void Interpolate16Avx2(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    const int32_t redFactor = bayer::GainFactor(block.gainR);
    const int32_t blueFactor = bayer::GainFactor(block.gainB);
    if (region.sourceBytesPerPixel != 2 || !bayer::ExactFactorsFit(redFactor, blueFactor)) {
        Interpolate16(region, block);
        return;
    }
    if (region.destBytesPerPixel == 6) {
        Avx2Rows16<3>(region, block.bayerMode, redFactor, blueFactor);
    } else if (region.destBytesPerPixel == 8) {
        Avx2Rows16<4>(region, block.bayerMode, redFactor, blueFactor);
    } else {
        Interpolate16(region, block);
    }
}

#else

void InterpolateAvx2(const PixelRegion& region, const InterpolationBlock& block) {
    InterpolateFast8(region, block);
}

void InterpolateReferenceAvx2(const PixelRegion& region, const InterpolationBlock& block) {
    InterpolateReference8(region, block);
}

void Interpolate16Avx2(const PixelRegion& region, const InterpolationBlock& block) {
    Interpolate16(region, block);
}

#endif

}  // namespace pixora
