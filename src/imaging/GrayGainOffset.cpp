#include "imaging/GrayGainOffset.h"

#include <algorithm>

namespace pixora {

void GrayGainOffset8(const PixelRegion& region, const GrayGainBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    // One table per site for this call; 64-bit products because a measured gain is not
    // limited to the 0..255 of the manual setting.
    uint8_t tables[4][256];
    for (int32_t site = 0; site < 4; ++site) {
        for (int32_t in = 0; in < 256; ++in) {
            const int64_t value = block.offsets[site] + int64_t{block.gains[site]} * in / 128;
            tables[site][in] = static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255));
        }
    }
    const int32_t firstPhase = ColumnPhase(block.bayerMode, region.sourceColumn);
    for (int32_t row = 0; row < region.height; ++row) {
        const int32_t rowPhase = RowPhase(block.bayerMode, region.sourceRow + row);
        // Even columns of the block have the first column's phase, odd ones the other.
        const uint8_t* even = tables[GraySiteAtPhase(rowPhase, firstPhase)];
        const uint8_t* odd = tables[GraySiteAtPhase(rowPhase, 1 - firstPhase)];
        const uint8_t* s = region.SourceRow(row);
        uint8_t* d = region.DestRow(row);
        int32_t column = 0;
        for (; column + 1 < region.width; column += 2) {
            d[column] = even[s[column]];
            d[column + 1] = odd[s[column + 1]];
        }
        if (column < region.width) {
            d[column] = even[s[column]];
        }
    }
}

}  // namespace pixora
