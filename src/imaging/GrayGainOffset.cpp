#include "imaging/GrayGainOffset.h"

#include <algorithm>

namespace pixora {

void GrayGainOffset8(const PixelRegion& region, const GrayGainBlock& block) {
    if (region.IsEmpty()) {
        return;
    }
    for (int32_t row = 0; row < region.height; ++row) {
        const int32_t rowPhase = RowPhase(block.bayerMode, region.sourceRow + row);
        // The two sites of this row, by column phase; 64-bit products because a measured
        // gain is not limited to the 0..255 of the manual setting.
        int64_t gain[2];
        int64_t offset[2];
        for (int32_t phase = 0; phase < 2; ++phase) {
            const GraySite site = GraySiteAtPhase(rowPhase, phase);
            gain[phase] = block.gains[site];
            offset[phase] = block.offsets[site];
        }
        const uint8_t* s = region.SourceRow(row);
        uint8_t* d = region.DestRow(row);
        for (int32_t column = 0; column < region.width; ++column) {
            const int32_t phase = ColumnPhase(block.bayerMode, region.sourceColumn + column);
            const int64_t value = offset[phase] + gain[phase] * s[column] / 128;
            d[column] = static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255));
        }
    }
}

}  // namespace pixora
