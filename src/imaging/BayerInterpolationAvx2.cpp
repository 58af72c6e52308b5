// The AVX2 lanes of the vector Bayer members (imaging/BayerVectorRows.h): 32 byte samples or
// 16 word samples per step.
#include <array>
#include <cstddef>
#include <cstdint>

#include "image/PixelRegion.h"
#include "imaging/BayerInterpolation.h"
#include "imaging/BayerInterpolationSimd.h"
#include "imaging/BayerPixel.h"
#include "imaging/BayerSites.h"
#include "imaging/KernelBlocks.h"
#include "imaging/VectorTarget.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

// From here on every function may use AVX2: the lanes, the entry points (whose callers check
// the processor) and the vector rows' templates, whose own includes are above.
PIXORA_AVX2_BEGIN
#include "imaging/BayerVectorRows.h"

namespace pixora {
namespace {

#if defined(__x86_64__)

// Shuffle controls that spread the samples of one channel over the chunks of one 128-bit
// lane's pixels; -128 clears a byte.
template <int Chunks>
using SpreadTable = std::array<std::array<std::array<int8_t, 16>, 3>, Chunks>;

// Pixels of `pixelBytes` bytes from channels of `sampleBytes`-byte samples: B, G, R, and a
// zero fourth sample where the pixel has room for one.
template <int Chunks>
constexpr SpreadTable<Chunks> MakeSpread(int pixelBytes, int sampleBytes) {
    SpreadTable<Chunks> table{};
    for (int chunk = 0; chunk < Chunks; ++chunk) {
        for (int channel = 0; channel < 3; ++channel) {
            for (int byte = 0; byte < 16; ++byte) {
                const int at = chunk * 16 + byte;
                const int inPixel = at % pixelBytes;
                table[chunk][channel][byte] =
                    inPixel / sampleBytes == channel
                        ? static_cast<int8_t>(at / pixelBytes * sampleBytes + inPixel % sampleBytes)
                        : static_cast<int8_t>(-128);
            }
        }
    }
    return table;
}

constexpr SpreadTable<3> kSpread24 = MakeSpread<3>(3, 1);
constexpr SpreadTable<4> kSpread32 = MakeSpread<4>(4, 1);
constexpr SpreadTable<3> kSpread48 = MakeSpread<3>(6, 2);

struct Avx2Lanes {
    using V = __m256i;
    static constexpr int32_t kBytes = 32;

    static V Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
    static V Splat16(int32_t x) { return _mm256_set1_epi16(static_cast<int16_t>(x)); }
    static V Splat32(uint32_t x) { return _mm256_set1_epi32(static_cast<int>(x)); }
    static V Select(V mask, V whenSet, V whenClear) {
        return _mm256_blendv_epi8(whenClear, whenSet, mask);
    }
    static V And(V a, V b) { return _mm256_and_si256(a, b); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    static V Xor(V a, V b) { return _mm256_xor_si256(a, b); }
    static V Add16(V a, V b) { return _mm256_add_epi16(a, b); }
    static V Sub8(V a, V b) { return _mm256_sub_epi8(a, b); }
    static V Average8(V a, V b) { return _mm256_avg_epu8(a, b); }
    static V MulLow16(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V MulHigh16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
    static V ShiftLeft16(V x, int n) { return _mm256_slli_epi16(x, n); }
    static V ShiftRight16(V x, int n) { return _mm256_srli_epi16(x, n); }
    static V PackBytes(V low, V high) { return _mm256_packus_epi16(low, high); }
    static V Min16(V a, V b) { return _mm256_min_epu16(a, b); }

    // The byte pairs (a, b) interleaved and weighed 3 : 1 by one multiply-add each half.
    static void Weigh3To1(V a, V b, V& low, V& high) {
        const V weights = _mm256_set1_epi16(0x0103);  // bytes 3, 1
        low = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), weights);
        high = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), weights);
    }

    // B, G, R spread over the chunks of each 128-bit lane's pixels by byte shuffles.
    template <int Chunks>
    class Spread {
    public:
        explicit Spread(const SpreadTable<Chunks>& table) {
            for (int chunk = 0; chunk < Chunks; ++chunk) {
                for (int channel = 0; channel < 3; ++channel) {
                    masks_[chunk][channel] = _mm256_broadcastsi128_si256(_mm_loadu_si128(
                        reinterpret_cast<const __m128i*>(table[chunk][channel].data())));
                }
            }
        }

        void operator()(V blue, V green, V red, V (&chunks)[Chunks]) const {
            for (int c = 0; c < Chunks; ++c) {
                chunks[c] =
                    _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(blue, masks_[c][0]),
                                                    _mm256_shuffle_epi8(green, masks_[c][1])),
                                    _mm256_shuffle_epi8(red, masks_[c][2]));
            }
        }

    private:
        V masks_[Chunks][3];
    };

    // Pixels of three samples: three chunks per lane (lane 0 the first half of the pixels),
    // stored in memory order.
    template <int PixelBytes, const SpreadTable<3>& Table>
    class StoreThree {
    public:
        static constexpr int32_t kPixelBytes = PixelBytes;

        void operator()(uint8_t* out, V blue, V green, V red) const {
            V chunk[3];
            spread_(blue, green, red, chunk);
            V* o = reinterpret_cast<V*>(out);
            _mm256_storeu_si256(o, _mm256_permute2x128_si256(chunk[0], chunk[1], 0x20));
            _mm256_storeu_si256(o + 1, _mm256_permute2x128_si256(chunk[2], chunk[0], 0x30));
            _mm256_storeu_si256(o + 2, _mm256_permute2x128_si256(chunk[1], chunk[2], 0x31));
        }

    private:
        Spread<3> spread_{Table};
    };

    // Four chunks per lane, chunk c the c-th quarter of the lane's pixels, stored in memory
    // order; Keep(fresh, old) takes each pixel's fourth sample from what memory holds.
    template <V (*Keep)(V, V)>
    static void StoreFourChunks(uint8_t* out, const V (&chunk)[4]) {
        const V ordered[4] = {_mm256_permute2x128_si256(chunk[0], chunk[1], 0x20),
                              _mm256_permute2x128_si256(chunk[2], chunk[3], 0x20),
                              _mm256_permute2x128_si256(chunk[0], chunk[1], 0x31),
                              _mm256_permute2x128_si256(chunk[2], chunk[3], 0x31)};
        V* o = reinterpret_cast<V*>(out);
        for (int i = 0; i < 4; ++i) {
            _mm256_storeu_si256(o + i, Keep(ordered[i], _mm256_loadu_si256(o + i)));
        }
    }

    // Thirty-two B, G, R pixels as 96 bytes; sixteen B, G, R words as 96 bytes.
    using Store24 = StoreThree<3, kSpread24>;
    using Store48 = StoreThree<6, kSpread48>;

    // Thirty-two B, G, R, X pixels as 128 bytes.
    class Store32 {
    public:
        static constexpr int32_t kPixelBytes = 4;

        void operator()(uint8_t* out, V blue, V green, V red) const {
            V chunks[4];
            spread_(blue, green, red, chunks);
            StoreFourChunks<KeepFourthByte>(out, chunks);
        }

    private:
        static V KeepFourthByte(V fresh, V old) {
            return _mm256_or_si256(
                _mm256_and_si256(old, _mm256_set1_epi32(static_cast<int>(0xFF000000))), fresh);
        }

        Spread<4> spread_{kSpread32};
    };

    // Sixteen B, G, R, X word pixels as 128 bytes, from word interleaves.
    struct Store64 {
        static constexpr int32_t kPixelBytes = 8;

        void operator()(uint8_t* out, V blue, V green, V red) const {
            const V zero = _mm256_setzero_si256();
            const V bgLow = _mm256_unpacklo_epi16(blue, green);
            const V bgHigh = _mm256_unpackhi_epi16(blue, green);
            const V r0Low = _mm256_unpacklo_epi16(red, zero);
            const V r0High = _mm256_unpackhi_epi16(red, zero);
            const V chunks[4] = {
                _mm256_unpacklo_epi32(bgLow, r0Low), _mm256_unpackhi_epi32(bgLow, r0Low),
                _mm256_unpacklo_epi32(bgHigh, r0High), _mm256_unpackhi_epi32(bgHigh, r0High)};
            StoreFourChunks<KeepFourthWord>(out, chunks);
        }

        static V KeepFourthWord(V fresh, V old) { return _mm256_blend_epi16(fresh, old, 0x88); }
    };
};

#else

using Avx2Lanes = bayer::NoLanes;

#endif

}  // namespace

void InterpolateAvx2(const PixelRegion& region, const InterpolationBlock& block) {
    bayer::Member<bayer::Mosaic8<Avx2Lanes, bayer::Scaling::Fast>>(region, block);
}

void InterpolateReferenceAvx2(const PixelRegion& region, const InterpolationBlock& block) {
    bayer::Member<bayer::Mosaic8<Avx2Lanes, bayer::Scaling::Exact>>(region, block);
}

void Interpolate16Avx2(const PixelRegion& region, const InterpolationBlock& block) {
    bayer::Member<bayer::Mosaic10<Avx2Lanes>>(region, block);
}

}  // namespace pixora
PIXORA_AVX2_END
