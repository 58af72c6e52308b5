// PixoraEx_GetFilterRange reports exactly what the filter-value setter accepts, index by
// index.
#include <limits>

#include "CameraFixture.h"
#include "PixoraExtensions.h"

namespace pixora::test {
namespace {

using FilterRangeExports = CameraTest;

TEST_F(FilterRangeExports, EveryReportedRangeIsWhatTheSetterAccepts) {
    constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
    constexpr int32_t kHighest = std::numeric_limits<int32_t>::max();
    int settable = 0;
    for (int32_t index = -2; index <= 30; ++index) {
        int32_t low = 7;
        int32_t high = 7;
        if (PixoraEx_GetFilterRange(index, &low, &high) == 0) {
            EXPECT_EQ(low, 0) << index;
            EXPECT_EQ(high, 0) << index;
            // Not settable: every value is refused.
            for (int32_t value : {0, 1, -1}) {
                EXPECT_EQ(Pixora_SetFilterValue(camera_, index, value), 0) << index;
            }
            DrainErrors();
            continue;
        }
        ++settable;
        ASSERT_LE(low, high) << index;
        EXPECT_EQ(Pixora_SetFilterValue(camera_, index, low), 1) << index;
        EXPECT_EQ(Pixora_SetFilterValue(camera_, index, high), 1) << index;
        if (low > kLowest) {
            EXPECT_EQ(Pixora_SetFilterValue(camera_, index, low - 1), 0) << index;
        }
        if (high < kHighest) {
            EXPECT_EQ(Pixora_SetFilterValue(camera_, index, high + 1), 0) << index;
        }
        // Each refusal records error 9.
        const size_t refusals = (low > kLowest ? 1u : 0u) + (high < kHighest ? 1u : 0u);
        EXPECT_EQ(DrainErrors(), std::vector<int32_t>(refusals, 9)) << index;
    }
    // Indices 1..13 and 18..27; the colour gains 14..17 are always refused.
    EXPECT_EQ(settable, 23);
    // The camera keeps 8..1068 of the exposure; the range is what the library takes.
    int32_t high = 0;
    ASSERT_EQ(PixoraEx_GetFilterRange(PIXORA_FILTER_EXPOSURE_TIME, nullptr, &high), 1);
    EXPECT_EQ(high, 1067);
    EXPECT_EQ(PixoraEx_GetFilterRange(PIXORA_FILTER_COLOR_GAIN_RED, nullptr, nullptr), 0);
}

}  // namespace
}  // namespace pixora::test
