#include <gtest/gtest.h>

#include <vector>

#include "image/ImageBuffer.h"
#include "session/CopyToCaller.h"
#include "session/FrameRateMeter.h"

namespace pixora {
namespace {

TEST(FrameRate, UpdatesOnlyAfterMoreThanASecond) {
    FrameRateMeter meter(5000);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(meter.Frame(5000 + 70 * i), 0);
    EXPECT_EQ(meter.Frame(6000), 0);  // exactly 1000 ms: not yet
    FrameRateMeter second(5000);
    for (int i = 0; i < 14; ++i)
        second.Frame(5000 + 70 * i);
    EXPECT_EQ(second.Frame(6001), 149);  // 15 frames in 1001 ms
    EXPECT_EQ(second.Frame(6500), 149);  // stays until the next update
    EXPECT_EQ(second.Frame(7002), 19);   // 2 frames in 1001 ms
}

TEST(FrameRate, SurvivesTheTickCounterWrapping) {
    FrameRateMeter meter(0xFFFFFF00u);
    for (int i = 0; i < 29; ++i)
        meter.Frame(0xFFFFFF00u + 10 * i);
    EXPECT_EQ(meter.Frame(0xFFFFFF00u + 1250), 240);  // 30 frames in 1250 ms, across zero
}

TEST(CopyToCaller, RowsInMemoryOrderOrReversedWithPadding) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(3, 4, 8), 1);  // stride 4
    for (int row = 0; row < 4; ++row) {
        for (int b = 0; b < 4; ++b)
            image.Bits()[row * 4 + b] = static_cast<uint8_t>(row * 16 + b);
    }
    std::vector<uint8_t> buffer(16, 0xFF);
    ASSERT_TRUE(CopyImageRows(image, 1, buffer.data(), 16));
    EXPECT_EQ(buffer[3], 3);
    EXPECT_EQ(buffer[4], 16);
    ASSERT_TRUE(CopyImageRows(image, 0, buffer.data(), 16));
    EXPECT_EQ(buffer[0], 48);
    EXPECT_EQ(buffer[15], 3);
    EXPECT_FALSE(CopyImageRows(image, 1, buffer.data(), 15));
    EXPECT_FALSE(CopyImageRows(image, 1, nullptr, 16));
    ImageBuffer empty;
    EXPECT_FALSE(CopyImageRows(empty, 1, buffer.data(), 16));
}

}  // namespace
}  // namespace pixora
