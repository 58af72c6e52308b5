#include "imaging/WindowMean.h"

namespace pixora {

uint32_t WindowMean8(const PixelRegion& region) {
    if (region.source == nullptr || region.width <= 0 || region.height <= 0) {
        return 0;
    }
    uint32_t sum = 0;
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* s = region.SourceRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            sum += s[column];
        }
    }
    const uint32_t count =
        static_cast<uint32_t>(region.width) * static_cast<uint32_t>(region.height);
    return sum / count;
}

uint32_t WindowMean16(const PixelRegion& region) {
    if (region.source == nullptr || region.width <= 0 || region.height <= 0) {
        return 0;
    }
    uint32_t sum = 0;
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* s = region.SourceRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            sum += (LoadWord(s + 2 * column) >> 2) & 0xFF;
        }
    }
    const uint32_t count =
        static_cast<uint32_t>(region.width) * static_cast<uint32_t>(region.height);
    return sum / count;
}

}  // namespace pixora
