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

PIXORA_AVX2 inline __m256i Select(__m256i mask, __m256i whenSet, __m256i whenClear) {
    return _mm256_blendv_epi8(whenClear, whenSet, mask);
}

PIXORA_AVX2 inline __m256i Load(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

PIXORA_AVX2 inline __m256i Times3(__m256i x) {
    return _mm256_add_epi16(_mm256_slli_epi16(x, 1), x);
}

PIXORA_AVX2 inline __m256i Weighted(__m256i near, __m256i nearOther, __m256i far,
                                    __m256i farOther) {
    const __m256i first = _mm256_add_epi16(Times3(near), nearOther);
    const __m256i second = _mm256_add_epi16(Times3(far), farOther);
    return _mm256_add_epi16(Times3(first), second);
}

PIXORA_AVX2 inline __m256i Scale(__m256i low, __m256i high, __m256i factor) {
    low = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(low, 4), factor), 7);
    high = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(high, 4), factor), 7);
    return _mm256_packus_epi16(low, high);
}

// The 9-3-3-1 sum of 32 lanes from byte vectors, split into low and high 16-bit halves.
PIXORA_AVX2 inline __m256i WeightedBytes(__m256i near, __m256i nearOther, __m256i far,
                                         __m256i farOther, __m256i factor) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i low =
        Weighted(_mm256_unpacklo_epi8(near, zero), _mm256_unpacklo_epi8(nearOther, zero),
                 _mm256_unpacklo_epi8(far, zero), _mm256_unpacklo_epi8(farOther, zero));
    const __m256i high =
        Weighted(_mm256_unpackhi_epi8(near, zero), _mm256_unpackhi_epi8(nearOther, zero),
                 _mm256_unpackhi_epi8(far, zero), _mm256_unpackhi_epi8(farOther, zero));
    return Scale(low, high, factor);
}

// Shuffle controls that spread 16 samples of one channel over the three 16-byte chunks
// of 16 B, G, R pixels (0x80 clears a byte).
struct SpreadMasks {
    std::array<std::array<std::array<int8_t, 16>, 3>, 3> bytes{};  // [chunk][channel][byte]
};

constexpr SpreadMasks MakeSpreadMasks() {
    SpreadMasks masks;
    for (int chunk = 0; chunk < 3; ++chunk) {
        for (int channel = 0; channel < 3; ++channel) {
            for (int byte = 0; byte < 16; ++byte) {
                const int at = chunk * 16 + byte;
                masks.bytes[chunk][channel][byte] =
                    at % 3 == channel ? static_cast<int8_t>(at / 3) : static_cast<int8_t>(-128);
            }
        }
    }
    return masks;
}

constexpr SpreadMasks kSpread = MakeSpreadMasks();

PIXORA_AVX2 inline __m256i MaskOf(int chunk, int channel) {
    const __m128i half =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSpread.bytes[chunk][channel].data()));
    return _mm256_broadcastsi128_si256(half);
}

// 32 B, G, R pixels as 96 bytes. Each 128-bit lane interleaves its own 16 pixels; the
// chunks are then put back in memory order.
PIXORA_AVX2 inline void StoreBgr(uint8_t* out, __m256i blue, __m256i green, __m256i red,
                                 const __m256i (&masks)[3][3]) {
    __m256i chunk[3];
    for (int c = 0; c < 3; ++c) {
        chunk[c] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(blue, masks[c][0]),
                                                   _mm256_shuffle_epi8(green, masks[c][1])),
                                   _mm256_shuffle_epi8(red, masks[c][2]));
    }
    __m256i* o = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(o, _mm256_permute2x128_si256(chunk[0], chunk[1], 0x20));
    _mm256_storeu_si256(o + 1, _mm256_permute2x128_si256(chunk[2], chunk[0], 0x30));
    _mm256_storeu_si256(o + 2, _mm256_permute2x128_si256(chunk[1], chunk[2], 0x31));
}

PIXORA_AVX2 void Avx2Rows(const PixelRegion& region, int32_t bayerMode, int32_t redFactor,
                          int32_t blueFactor) {
    const __m256i lowBit = _mm256_set1_epi8(1);
    const __m256i evenLanes = _mm256_set1_epi16(0x00FF);
    __m256i masks[3][3];
    for (int c = 0; c < 3; ++c) {
        for (int channel = 0; channel < 3; ++channel) {
            masks[c][channel] = MaskOf(c, channel);
        }
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
        uint8_t* out = region.DestRow(row) + ptrdiff_t{firstColumn} * 3;
        int32_t column = firstColumn;
        for (; column + 34 <= region.width; column += 32, out += 96) {
            const __m256i aM1 = Load(rowA + column - 1);
            const __m256i a0 = Load(rowA + column);
            const __m256i bM1 = Load(rowB + column - 1);
            const __m256i b0 = Load(rowB + column);
            const __m256i nM1 = Load(rowN + column - 1);
            const __m256i n0 = Load(rowN + column);
            const __m256i pM1 = Load(rowP + column - 1);
            const __m256i p0 = Load(rowP + column);

            const __m256i channelA = WeightedBytes(
                Select(match, a0, aM1), Select(match, n0, nM1),
                Select(match, Load(rowA + column - 2), Load(rowA + column + 1)),
                Select(match, Load(rowN + column - 2), Load(rowN + column + 1)), factorA);
            const __m256i channelB = WeightedBytes(
                Select(match, bM1, b0), Select(match, pM1, p0),
                Select(match, Load(rowB + column + 1), Load(rowB + column - 2)),
                Select(match, Load(rowP + column + 1), Load(rowP + column - 2)), factorB);

            const __m256i greenA = Select(match, aM1, a0);
            const __m256i greenB = Select(match, b0, bM1);
            const __m256i green =
                _mm256_sub_epi8(_mm256_avg_epu8(greenA, greenB),
                                _mm256_and_si256(_mm256_xor_si256(greenA, greenB), lowBit));
            if (rowPhase == 0) {
                StoreBgr(out, channelB, green, channelA, masks);
            } else {
                StoreBgr(out, channelA, green, channelB, masks);
            }
        }
        bayer::FastRowScalar(region, row, column, region.width - 2, bayerMode, redFactor,
                             blueFactor);
    }
}

// 10-bit member: 8 words per step in 32-bit lanes.

PIXORA_AVX2 inline __m256i LoadWords(const uint8_t* row, int32_t column) {
    return _mm256_cvtepu16_epi32(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 2 * ptrdiff_t{column})));
}

PIXORA_AVX2 inline __m256i Times3Wide(__m256i x) {
    return _mm256_add_epi32(_mm256_slli_epi32(x, 1), x);
}

// Reference scaling on 32-bit lanes: sum x factor >> 11, 1023 above 0x1FFFFF, 0 below 0.
PIXORA_AVX2 inline __m256i ScaleWide(__m256i sum, __m256i factor) {
    const __m256i product = _mm256_mullo_epi32(sum, factor);
    const __m256i limit = _mm256_set1_epi32(0x1FFFFF);
    const __m256i over = _mm256_cmpgt_epi32(product, limit);
    const __m256i scaled = _mm256_max_epi32(_mm256_srai_epi32(product, 11), _mm256_setzero_si256());
    return _mm256_blendv_epi8(scaled, _mm256_set1_epi32(1023), over);
}

// Eight lanes of one 10-bit channel: lanes whose column phase matches take columns c and
// c - 2 as near and far, the others c - 1 and c + 1.
struct WideRows {
    const uint8_t* near;
    const uint8_t* other;
};

PIXORA_AVX2 inline __m256i Channel16(const WideRows& rows, int32_t column, __m256i match,
                                     bool channelA, __m256i factor) {
    const __m256i nearOwn = LoadWords(rows.near, column);
    const __m256i nearBack = LoadWords(rows.near, column - 1);
    const __m256i otherOwn = LoadWords(rows.other, column);
    const __m256i otherBack = LoadWords(rows.other, column - 1);
    const __m256i nearBack2 = LoadWords(rows.near, column - 2);
    const __m256i nearNext = LoadWords(rows.near, column + 1);
    const __m256i otherBack2 = LoadWords(rows.other, column - 2);
    const __m256i otherNext = LoadWords(rows.other, column + 1);
    // Channel A: own column on matching lanes; channel B: the opposite lanes.
    const __m256i own = channelA ? match : _mm256_xor_si256(match, _mm256_set1_epi32(-1));
    const __m256i near = _mm256_blendv_epi8(nearBack, nearOwn, own);
    const __m256i nearOther = _mm256_blendv_epi8(otherBack, otherOwn, own);
    const __m256i far = _mm256_blendv_epi8(nearNext, nearBack2, own);
    const __m256i farOther = _mm256_blendv_epi8(otherNext, otherBack2, own);
    const __m256i first = _mm256_add_epi32(Times3Wide(near), nearOther);
    const __m256i second = _mm256_add_epi32(Times3Wide(far), farOther);
    return ScaleWide(_mm256_add_epi32(Times3Wide(first), second), factor);
}

PIXORA_AVX2 void Avx2Rows16(const PixelRegion& region, int32_t bayerMode, int32_t redFactor,
                            int32_t blueFactor) {
    const int32_t outWords = region.destBytesPerPixel / 2;  // 3 or 4
    for (int32_t row = 2; row <= region.height - 3; ++row) {
        const int32_t rowPhase = RowPhase(bayerMode, region.sourceRow + row);
        const WideRows rowsA{region.SourceRow(row - 1), region.SourceRow(row + 1)};
        const WideRows rowsB{region.SourceRow(row), region.SourceRow(row - 2)};
        const __m256i factorA = _mm256_set1_epi32(rowPhase == 0 ? redFactor : blueFactor);
        const __m256i factorB = _mm256_set1_epi32(rowPhase == 0 ? blueFactor : redFactor);
        const int32_t firstColumn = 2;
        const bool evenMatch =
            ColumnPhase(bayerMode, region.sourceColumn + firstColumn) == rowPhase;
        const __m256i match = evenMatch ? _mm256_set_epi32(0, -1, 0, -1, 0, -1, 0, -1)
                                        : _mm256_set_epi32(-1, 0, -1, 0, -1, 0, -1, 0);
        uint8_t* out = region.DestRow(row) + ptrdiff_t{firstColumn} * region.destBytesPerPixel;
        int32_t column = firstColumn;
        alignas(32) int32_t blue[8];
        alignas(32) int32_t green[8];
        alignas(32) int32_t red[8];
        for (; column + 10 <= region.width; column += 8) {
            const __m256i channelA = Channel16(rowsA, column, match, true, factorA);
            const __m256i channelB = Channel16(rowsB, column, match, false, factorB);
            const __m256i greenA = _mm256_blendv_epi8(LoadWords(rowsA.near, column),
                                                      LoadWords(rowsA.near, column - 1), match);
            const __m256i greenB = _mm256_blendv_epi8(LoadWords(rowsB.near, column - 1),
                                                      LoadWords(rowsB.near, column), match);
            const __m256i g = _mm256_min_epi32(
                _mm256_srli_epi32(_mm256_add_epi32(greenA, greenB), 1), _mm256_set1_epi32(1023));
            _mm256_store_si256(reinterpret_cast<__m256i*>(green), g);
            _mm256_store_si256(reinterpret_cast<__m256i*>(rowPhase == 0 ? red : blue), channelA);
            _mm256_store_si256(reinterpret_cast<__m256i*>(rowPhase == 0 ? blue : red), channelB);
            for (int i = 0; i < 8; ++i) {
                StoreWord(out, static_cast<uint32_t>(blue[i]));
                StoreWord(out + 2, static_cast<uint32_t>(green[i]));
                StoreWord(out + 4, static_cast<uint32_t>(red[i]));
                out += 2 * outWords;
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
    Avx2Rows(region, block.bayerMode, redFactor, blueFactor);
}

void Interpolate16Avx2(const PixelRegion& region, const InterpolationBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    const int32_t redFactor = bayer::GainFactor(block.gainR);
    const int32_t blueFactor = bayer::GainFactor(block.gainB);
    // A sum of 16 full words times a factor up to 2047 still fits the 32-bit lanes; larger
    // factors (gains far above any setting) take the 64-bit scalar form.
    if ((region.destBytesPerPixel != 6 && region.destBytesPerPixel != 8) ||
        region.sourceBytesPerPixel != 2 || redFactor < 0 || redFactor > 2047 || blueFactor < 0 ||
        blueFactor > 2047) {
        Interpolate16(region, block);
        return;
    }
    Avx2Rows16(region, block.bayerMode, redFactor, blueFactor);
}

#else

void InterpolateAvx2(const PixelRegion& region, const InterpolationBlock& block) {
    InterpolateFast8(region, block);
}

void Interpolate16Avx2(const PixelRegion& region, const InterpolationBlock& block) {
    Interpolate16(region, block);
}

#endif

}  // namespace pixora
