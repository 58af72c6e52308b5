#include "device/RawFrameCopy.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pixora {

void CopyRow8(const uint8_t* source, uint8_t* dest, int32_t width) {
    std::memcpy(dest, source, static_cast<std::size_t>(width));
}

namespace {

// The samples after the last whole group of wide words.
void UnpackTail10(const uint8_t* source, uint8_t* dest, int32_t from, int32_t width) {
    for (int32_t i = from; i < width; ++i) {
        const uint8_t b0 = source[2 * i];
        const uint8_t b1 = source[2 * i + 1];
        dest[2 * i] = static_cast<uint8_t>((b0 << 2) | (b1 & 0x3));
        dest[2 * i + 1] = static_cast<uint8_t>(b0 >> 6);
    }
}

}  // namespace

// Each sample read as one little-endian word b0 | b1 << 8 gives the value as
// (word << 2) & 0x3FC | (word >> 8) & 3, so several samples go through one wide register.

void UnpackRow10Portable(const uint8_t* source, uint8_t* dest, int32_t width) {
    int32_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Four samples per 64-bit word: what the shifts carry across samples falls outside
        // each mask.
        for (; i + 4 <= width; i += 4) {
            uint64_t words;
            std::memcpy(&words, source + 2 * i, sizeof words);
            const uint64_t values =
                ((words << 2) & 0x03FC03FC03FC03FCull) | ((words >> 8) & 0x0003000300030003ull);
            std::memcpy(dest + 2 * i, &values, sizeof values);
        }
    }
    UnpackTail10(source, dest, i, width);
}

void UnpackRow10(const uint8_t* source, uint8_t* dest, int32_t width) {
#if defined(__SSE2__)
    const __m128i high = _mm_set1_epi16(0x3FC);
    const __m128i low = _mm_set1_epi16(0x3);
    int32_t i = 0;
    for (; i + 8 <= width; i += 8) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 2 * i));
        const __m128i values = _mm_or_si128(_mm_and_si128(_mm_slli_epi16(words, 2), high),
                                            _mm_and_si128(_mm_srli_epi16(words, 8), low));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 2 * i), values);
    }
    UnpackTail10(source, dest, i, width);
#else
    UnpackRow10Portable(source, dest, width);
#endif
}

void RawCopy(const uint8_t* frame, const FrameGeometry& g, uint32_t sampleWidth, uint8_t* dest,
             std::size_t destStride) {
    const std::size_t bytesPerSample = RawBytesPerPixel(sampleWidth);
    const std::size_t lineBytes = static_cast<std::size_t>(g.pitch) * bytesPerSample;
    const uint8_t* s = frame + (static_cast<std::size_t>(g.activeLine) * g.pitch +
                                static_cast<std::size_t>(g.activeColumn)) *
                                   bytesPerSample;
    for (int32_t row = 0; row < g.activeHeight; ++row) {
        if (sampleWidth != 0) {
            UnpackRow10(s, dest, g.activeWidth);
        } else {
            CopyRow8(s, dest, g.activeWidth);
        }
        s += lineBytes;
        dest += destStride;
    }
}

}  // namespace pixora
