// How ImageBuffer::Apply and ApplyScaled clip and hand geometry to a kernel.
#include <gtest/gtest.h>

#include "image/ImageBuffer.h"

namespace pixora {
namespace {

struct Call {
    int count = 0;
    uint8_t* dest = nullptr;
    const uint8_t* source = nullptr;
    PixelRect rect{};
    int32_t x = -1, y = -1;
    uint16_t destBpp = 0, sourceBpp = 0;
    int32_t destStride = 0, sourceStride = 0;
    void* argument2 = nullptr;
};

// Records its arguments in the Call passed as argument 1 and returns 7.
int32_t Recorder(uint8_t* dest, const uint8_t* source, const PixelRect* rect, int32_t x, int32_t y,
                 uint16_t destBpp, uint16_t sourceBpp, int32_t destStride, int32_t sourceStride,
                 void* argument1, void* argument2) {
    auto* call = static_cast<Call*>(argument1);
    ++call->count;
    call->dest = dest;
    call->source = source;
    call->rect = *rect;
    call->x = x;
    call->y = y;
    call->destBpp = destBpp;
    call->sourceBpp = sourceBpp;
    call->destStride = destStride;
    call->sourceStride = sourceStride;
    call->argument2 = argument2;
    return 7;
}

void ExpectRect(const PixelRect& r, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

class ApplyFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(dest_.Create(10, 8, 24), 1);
        ASSERT_EQ(source_.Create(6, 5, 48), 1);
    }
    ImageBuffer dest_;
    ImageBuffer source_;
    Call call_;
    int marker_ = 0;
};

TEST_F(ApplyFixture, WholeImageCallPassesBothGeometriesAndTheResult) {
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 0, 0, &call_, &marker_), 7);
    ASSERT_EQ(call_.count, 1);
    EXPECT_EQ(call_.dest, dest_.Bits());
    EXPECT_EQ(call_.source, source_.Bits());
    // The source fits entirely; bottom-up placement at (0, 0) lands on the last memory rows.
    ExpectRect(call_.rect, 0, 0, 6, 5);
    EXPECT_EQ(call_.x, 0);
    EXPECT_EQ(call_.y, 8 - 5);
    EXPECT_EQ(call_.destBpp, 3);
    EXPECT_EQ(call_.sourceBpp, 6);
    EXPECT_EQ(call_.destStride, 32);
    EXPECT_EQ(call_.sourceStride, 36);
    EXPECT_EQ(call_.argument2, &marker_);
}

TEST_F(ApplyFixture, SameSizeWholeImageCallIsPositionZeroZero) {
    EXPECT_EQ(dest_.Apply(Recorder, &dest_, nullptr, 0, 0, &call_), 7);
    ExpectRect(call_.rect, 0, 0, 10, 8);
    EXPECT_EQ(call_.x, 0);
    EXPECT_EQ(call_.y, 0);
    EXPECT_EQ(call_.source, dest_.Bits());
}

TEST_F(ApplyFixture, SubRectangleIsTurnedIntoMemoryRows) {
    // Picture rows 1..3 of the 5-row source are memory rows 1..3 counted from the bottom.
    const PixelRect rect{2, 1, 5, 4};
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &rect, 3, 2, &call_), 7);
    ExpectRect(call_.rect, 2, 5 - 4, 5, 5 - 1);
    EXPECT_EQ(call_.x, 3);
    EXPECT_EQ(call_.y, 8 - (2 + 3));
}

TEST_F(ApplyFixture, DestinationPartlyOutsideIsClippedWithTheSourceMovedAlong) {
    const PixelRect rect{0, 0, 6, 5};
    // Two columns left of and one row below the destination.
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &rect, -2, -1, &call_), 7);
    ExpectRect(call_.rect, 2, 0, 6, 5 - 1);
    EXPECT_EQ(call_.x, 0);
    EXPECT_EQ(call_.y, 8 - 4);
    // Hanging over the right and top edges: only what fits is passed.
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &rect, 7, 6, &call_), 7);
    ExpectRect(call_.rect, 0, 5 - 2, 3, 5);
    EXPECT_EQ(call_.x, 7);
    EXPECT_EQ(call_.y, 0);
}

TEST_F(ApplyFixture, SourceRectanglePartlyOutsideTheSourceShrinksTheCall) {
    const PixelRect rect{4, 3, 9, 9};  // reaches past the source's right and top
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &rect, 1, 1, &call_), 7);
    ExpectRect(call_.rect, 4, 0, 6, 2);
    EXPECT_EQ(call_.x, 1);
    // Two rows placed from picture row 1 upwards: memory rows 5 and 6.
    EXPECT_EQ(call_.y, 8 - (1 + 2));
}

TEST_F(ApplyFixture, NothingLeftAfterClippingReturnsZeroWithoutCallingTheKernel) {
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 10, 0, &call_), 0);  // right of it
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 0, 8, &call_), 0);   // above it
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, -6, 0, &call_), 0);  // left of it
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 0, -5, &call_), 0);  // below it
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 2147483647, 0, &call_), 0);
    const PixelRect outside{6, 0, 9, 5};  // entirely right of the source
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &outside, 0, 0, &call_), 0);
    const PixelRect reversed{4, 0, 2, 5};
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &reversed, 0, 0, &call_), 0);
    EXPECT_EQ(call_.count, 0);
}

TEST_F(ApplyFixture, NullKernelNullSourceAndEmptyImagesReturnZero) {
    EXPECT_EQ(dest_.Apply(nullptr, &source_, nullptr, 0, 0), 0);
    EXPECT_EQ(dest_.Apply(Recorder, nullptr, nullptr, 0, 0, &call_), 0);
    ImageBuffer empty;
    EXPECT_EQ(dest_.Apply(Recorder, &empty, nullptr, 0, 0, &call_), 0);
    EXPECT_EQ(empty.Apply(Recorder, &source_, nullptr, 0, 0, &call_), 0);
    EXPECT_EQ(call_.count, 0);
}

struct ScaledCall {
    int count = 0;
    PixelRect destRect{}, sourceRect{};
    int32_t destW = 0, destH = 0, sourceW = 0, sourceH = 0;
    uint16_t destBpp = 0, sourceBpp = 0;
    int32_t destStride = 0, sourceStride = 0;
};

int32_t ScaledRecorder(uint8_t*, const uint8_t*, const PixelRect* destRect,
                       const PixelRect* sourceRect, int32_t destW, int32_t destH, int32_t sourceW,
                       int32_t sourceH, uint16_t destBpp, uint16_t sourceBpp, int32_t destStride,
                       int32_t sourceStride, void* argument1, void*) {
    auto* call = static_cast<ScaledCall*>(argument1);
    ++call->count;
    call->destRect = *destRect;
    call->sourceRect = *sourceRect;
    call->destW = destW;
    call->destH = destH;
    call->sourceW = sourceW;
    call->sourceH = sourceH;
    call->destBpp = destBpp;
    call->sourceBpp = sourceBpp;
    call->destStride = destStride;
    call->sourceStride = sourceStride;
    return 5;
}

TEST_F(ApplyFixture, ApplyScaledFillsInWholeImagesAndPassesRectanglesAsGiven) {
    ScaledCall call;
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, nullptr, nullptr, &call), 5);
    ExpectRect(call.destRect, 0, 0, 10, 8);
    ExpectRect(call.sourceRect, 0, 0, 6, 5);
    EXPECT_EQ(call.destW, 10);
    EXPECT_EQ(call.destH, 8);
    EXPECT_EQ(call.sourceW, 6);
    EXPECT_EQ(call.sourceH, 5);
    EXPECT_EQ(call.destBpp, 3);
    EXPECT_EQ(call.sourceBpp, 6);
    EXPECT_EQ(call.destStride, 32);
    EXPECT_EQ(call.sourceStride, 36);

    const PixelRect part{1, 2, 4, 5};
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, &part, &part, &call), 5);
    ExpectRect(call.destRect, 1, 2, 4, 5);
    ExpectRect(call.sourceRect, 1, 2, 4, 5);
}

TEST_F(ApplyFixture, ApplyScaledRefusesRectanglesOutsideTheirImages) {
    ScaledCall call;
    const PixelRect tooTall{0, 0, 6, 6};
    const PixelRect negative{-1, 0, 4, 4};
    const PixelRect empty{2, 2, 2, 4};
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, &tooTall, nullptr, &call), 0);
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, nullptr, &negative, &call), 0);
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, &empty, nullptr, &call), 0);
    EXPECT_EQ(dest_.ApplyScaled(nullptr, &source_, nullptr, nullptr, &call), 0);
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, nullptr, nullptr, nullptr, &call), 0);
    EXPECT_EQ(call.count, 0);
}

}  // namespace
}  // namespace pixora
