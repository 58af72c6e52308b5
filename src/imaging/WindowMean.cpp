#include "imaging/WindowMean.h"

namespace pixora {
namespace {

// Truncating mean of sample(row, column) over the source block, in unsigned 32 bits.
template <typename Sample>
uint32_t MeanOver(const PixelRegion& region, Sample sample) {
    if (region.source == nullptr || region.width <= 0 || region.height <= 0) {
        return 0;
    }
    uint32_t sum = 0;
    for (int32_t row = 0; row < region.height; ++row) {
        const uint8_t* s = region.SourceRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            sum += sample(s, column);
        }
    }
    const uint32_t count =
        static_cast<uint32_t>(region.width) * static_cast<uint32_t>(region.height);
    return sum / count;
}

}  // namespace

uint32_t WindowMean8(const PixelRegion& region) {
    return MeanOver(region, [](const uint8_t* row, int32_t column) { return row[column]; });
}

uint32_t WindowMean16(const PixelRegion& region) {
    return MeanOver(
        region, [](const uint8_t* row, int32_t column) { return ReduceWord(row + 2 * column); });
}

}  // namespace pixora
