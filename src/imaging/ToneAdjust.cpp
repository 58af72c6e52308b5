#include "imaging/ToneAdjust.h"

#include <algorithm>

#include "imaging/ToneTables.h"

namespace pixora {
namespace {

int32_t ChannelsOf(int32_t bytesPerPixel, int32_t bytesPerSample) {
    return std::min(bytesPerPixel / bytesPerSample, 3);
}

}  // namespace

void MapSamples8(const PixelRegion& region, const uint16_t* table) {
    if (region.IsEmpty() || table == nullptr) {
        return;
    }
    uint8_t lut[kTable8Size];
    for (int32_t i = 0; i < kTable8Size; ++i) {
        lut[i] = static_cast<uint8_t>(table[i]);
    }
    const int32_t channels = ChannelsOf(region.sourceBytesPerPixel, 1);
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* s = region.SourceRow(row);
        uint8_t* d = region.DestRow(row);
        // Gray and packed B, G, R rows are runs of samples: map them in one sweep.
        const int32_t bpp = region.sourceBytesPerPixel;
        if ((bpp == 1 || bpp == 3) && region.destBytesPerPixel == bpp) {
            const int32_t count = region.width * bpp;
            for (int32_t i = 0; i < count; ++i) {
                d[i] = lut[s[i]];
            }
            continue;
        }
        for (int32_t column = 0; column < region.width; ++column) {
            for (int32_t c = 0; c < channels; ++c) {
                d[c] = lut[s[c]];
            }
            s += region.sourceBytesPerPixel;
            d += region.destBytesPerPixel;
        }
    }
}

void MapSamples10(const PixelRegion& region, const uint16_t* table) {
    if (region.IsEmpty() || table == nullptr) {
        return;
    }
    const int32_t channels = ChannelsOf(region.sourceBytesPerPixel, 2);
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* s = region.SourceRow(row);
        uint8_t* d = region.DestRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            for (int32_t c = 0; c < channels; ++c) {
                const uint32_t word = std::min<uint32_t>(LoadWord(s + 2 * c), kTable10Size - 1);
                StoreWord(d + 2 * c, table[word]);
            }
            s += region.sourceBytesPerPixel;
            d += region.destBytesPerPixel;
        }
    }
}

}  // namespace pixora
