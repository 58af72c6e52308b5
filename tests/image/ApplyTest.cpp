// How ImageBuffer::Apply and ApplyScaled clip and hand the region to a kernel.
#include <gtest/gtest.h>

#include "image/ImageBuffer.h"

namespace pixora {
namespace {

struct Call {
    int count = 0;
    PixelRegion region{};
};

// Records the region it was handed in the Call passed as its parameter and returns 7.
int32_t Recorder(const PixelRegion& region, Call& call) {
    ++call.count;
    call.region = region;
    return 7;
}

// The block's position and size: source column and row, destination column and row (all in
// memory rows), width and height.
void ExpectBlock(const PixelRegion& r, int32_t sourceColumn, int32_t sourceRow, int32_t destColumn,
                 int32_t destRow, int32_t width, int32_t height) {
    EXPECT_EQ(r.sourceColumn, sourceColumn);
    EXPECT_EQ(r.sourceRow, sourceRow);
    EXPECT_EQ(r.destColumn, destColumn);
    EXPECT_EQ(r.destRow, destRow);
    EXPECT_EQ(r.width, width);
    EXPECT_EQ(r.height, height);
}

class ApplyFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(dest_.Create(10, 8, 24), 1);
        ASSERT_EQ(source_.Create(6, 5, 48), 1);
    }
    // The block's first pixels must be where its position says, in each image.
    void ExpectPointersMatchPositions(const PixelRegion& r, const ImageBuffer& source) {
        EXPECT_EQ(r.dest,
                  dest_.Bits() + r.destRow * dest_.Stride() + r.destColumn * dest_.BytesPerPixel());
        EXPECT_EQ(r.source, source.Bits() + r.sourceRow * source.Stride() +
                                r.sourceColumn * source.BytesPerPixel());
    }
    ImageBuffer dest_;
    ImageBuffer source_;
    Call call_;
};

TEST_F(ApplyFixture, WholeImageCallPassesBothGeometriesAndTheResult) {
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 0, 0, call_), 7);
    ASSERT_EQ(call_.count, 1);
    const PixelRegion& r = call_.region;
    // The source fits entirely; bottom-up placement at (0, 0) lands on the last memory rows.
    ExpectBlock(r, 0, 0, 0, 8 - 5, 6, 5);
    EXPECT_EQ(r.source, source_.Bits());
    EXPECT_EQ(r.dest, dest_.Bits() + (8 - 5) * 32);
    EXPECT_EQ(r.destBytesPerPixel, 3);
    EXPECT_EQ(r.sourceBytesPerPixel, 6);
    EXPECT_EQ(r.destStride, 32);
    EXPECT_EQ(r.sourceStride, 36);
}

TEST_F(ApplyFixture, SameSizeWholeImageCallIsPositionZeroZero) {
    EXPECT_EQ(dest_.Apply(Recorder, &dest_, nullptr, 0, 0, call_), 7);
    ExpectBlock(call_.region, 0, 0, 0, 0, 10, 8);
    EXPECT_EQ(call_.region.source, dest_.Bits());
    EXPECT_EQ(call_.region.dest, dest_.Bits());
}

TEST_F(ApplyFixture, SubRectangleIsTurnedIntoMemoryRows) {
    // Picture rows 1..3 of the 5-row source are memory rows 1..3 counted from the bottom.
    const PixelRect rect{2, 1, 5, 4};
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &rect, 3, 2, call_), 7);
    ExpectBlock(call_.region, 2, 5 - 4, 3, 8 - (2 + 3), 3, 3);
    ExpectPointersMatchPositions(call_.region, source_);
}

TEST_F(ApplyFixture, DestinationPartlyOutsideIsClippedWithTheSourceMovedAlong) {
    const PixelRect rect{0, 0, 6, 5};
    // Two columns left of and one row below the destination.
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &rect, -2, -1, call_), 7);
    ExpectBlock(call_.region, 2, 0, 0, 8 - 4, 4, 4);
    ExpectPointersMatchPositions(call_.region, source_);
    // Hanging over the right and top edges: only what fits is passed.
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &rect, 7, 6, call_), 7);
    ExpectBlock(call_.region, 0, 5 - 2, 7, 0, 3, 2);
    ExpectPointersMatchPositions(call_.region, source_);
}

TEST_F(ApplyFixture, SourceRectanglePartlyOutsideTheSourceShrinksTheCall) {
    const PixelRect rect{4, 3, 9, 9};  // reaches past the source's right and top
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &rect, 1, 1, call_), 7);
    // Two rows placed from picture row 1 upwards: memory rows 5 and 6.
    ExpectBlock(call_.region, 4, 0, 1, 8 - (1 + 2), 2, 2);
    ExpectPointersMatchPositions(call_.region, source_);
}

TEST_F(ApplyFixture, NothingLeftAfterClippingReturnsZeroWithoutCallingTheKernel) {
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 10, 0, call_), 0);  // right of it
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 0, 8, call_), 0);   // above it
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, -6, 0, call_), 0);  // left of it
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 0, -5, call_), 0);  // below it
    EXPECT_EQ(dest_.Apply(Recorder, &source_, nullptr, 2147483647, 0, call_), 0);
    const PixelRect outside{6, 0, 9, 5};  // entirely right of the source
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &outside, 0, 0, call_), 0);
    const PixelRect reversed{4, 0, 2, 5};
    EXPECT_EQ(dest_.Apply(Recorder, &source_, &reversed, 0, 0, call_), 0);
    EXPECT_EQ(call_.count, 0);
    EXPECT_TRUE(dest_.RegionFor(&source_, &reversed, 0, 0).IsEmpty());
}

TEST_F(ApplyFixture, NullKernelNullSourceAndEmptyImagesReturnZero) {
    EXPECT_EQ(dest_.Apply(nullptr, &source_, nullptr, 0, 0), 0);
    PixelKernel none = nullptr;
    EXPECT_EQ(dest_.Apply(none, &source_, nullptr, 0, 0), 0);
    EXPECT_EQ(dest_.Apply(Recorder, nullptr, nullptr, 0, 0, call_), 0);
    ImageBuffer empty;
    EXPECT_EQ(dest_.Apply(Recorder, &empty, nullptr, 0, 0, call_), 0);
    EXPECT_EQ(empty.Apply(Recorder, &source_, nullptr, 0, 0, call_), 0);
    EXPECT_EQ(call_.count, 0);
}

TEST_F(ApplyFixture, KernelsWithoutAResultReturnOneAndCallablesMayCapture) {
    int calls = 0;
    EXPECT_EQ(dest_.Apply([&calls](const PixelRegion&) { ++calls; }, &source_, nullptr, 0, 0), 1);
    EXPECT_EQ(calls, 1);
    // Parameters reach the kernel as they are: a kernel can fill one in.
    int32_t measured = 0;
    const auto measure = [](const PixelRegion& region, int32_t& out, int32_t scale) {
        out = region.width * scale;
    };
    EXPECT_EQ(dest_.Apply(measure, &source_, nullptr, 0, 0, measured, 10), 1);
    EXPECT_EQ(measured, 60);
}

struct ScaledCall {
    int count = 0;
    ScaledRegion region{};
};

int32_t ScaledRecorder(const ScaledRegion& region, ScaledCall& call) {
    ++call.count;
    call.region = region;
    return 5;
}

TEST_F(ApplyFixture, ApplyScaledFillsInWholeImagesAndPassesRectanglesAsGiven) {
    ScaledCall call;
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, nullptr, nullptr, call), 5);
    const PixelRegion& rows = call.region.rows;
    // Scaling takes rectangles in memory rows, as given.
    ExpectBlock(rows, 0, 0, 0, 0, 10, 8);
    EXPECT_EQ(call.region.sourceWidth, 6);
    EXPECT_EQ(call.region.sourceHeight, 5);
    EXPECT_EQ(rows.dest, dest_.Bits());
    EXPECT_EQ(rows.source, source_.Bits());
    EXPECT_EQ(rows.destBytesPerPixel, 3);
    EXPECT_EQ(rows.sourceBytesPerPixel, 6);
    EXPECT_EQ(rows.destStride, 32);
    EXPECT_EQ(rows.sourceStride, 36);

    const PixelRect from{1, 2, 4, 5};
    const PixelRect to{2, 1, 7, 3};
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, &from, &to, call), 5);
    ExpectBlock(call.region.rows, 1, 2, 2, 1, 5, 2);
    EXPECT_EQ(call.region.sourceWidth, 3);
    EXPECT_EQ(call.region.sourceHeight, 3);
    ExpectPointersMatchPositions(call.region.rows, source_);
}

TEST_F(ApplyFixture, ApplyScaledRefusesRectanglesOutsideTheirImages) {
    ScaledCall call;
    const PixelRect tooTall{0, 0, 6, 6};
    const PixelRect negative{-1, 0, 4, 4};
    const PixelRect empty{2, 2, 2, 4};
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, &tooTall, nullptr, call), 0);
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, nullptr, &negative, call), 0);
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, &source_, &empty, nullptr, call), 0);
    EXPECT_EQ(dest_.ApplyScaled(nullptr, &source_, nullptr, nullptr), 0);
    EXPECT_EQ(dest_.ApplyScaled(ScaledRecorder, nullptr, nullptr, nullptr, call), 0);
    EXPECT_EQ(call.count, 0);
}

}  // namespace
}  // namespace pixora
