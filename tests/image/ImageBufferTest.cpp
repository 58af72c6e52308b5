#include "image/ImageBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "ImageTestSupport.h"

namespace pixora {
namespace {

using test::PixelAt;

bool AllZero(const ImageBuffer& image) {
    for (size_t i = 0; i < image.SizeBytes(); ++i) {
        if (image.Bits()[i] != 0) {
            return false;
        }
    }
    return true;
}

void ExpectEmpty(const ImageBuffer& image) {
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(image.Bits(), nullptr);
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.Stride(), 0);
    EXPECT_EQ(image.BitsPerPixel(), 0);
    const BitmapInfoHeader& h = image.Header();
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 0);
    EXPECT_EQ(h.biHeight, 0);
    EXPECT_EQ(h.biPlanes, 0);
    EXPECT_EQ(h.biBitCount, 0);
}

TEST(ImageBufferGeometry, StrideIsRowBytesRoundedUpToFour) {
    struct Case {
        int32_t width;
        uint16_t bpp;
        int32_t stride;
    };
    for (const Case c : {Case{1, 8, 4}, Case{1, 24, 4}, Case{1361, 24, 4084}, Case{1360, 48, 8160},
                         Case{1361, 8, 1364}, Case{3, 24, 12}, Case{1360, 24, 4080},
                         Case{5, 16, 12}, Case{3, 64, 24}}) {
        ImageBuffer image;
        ASSERT_EQ(image.Create(c.width, 2, c.bpp), 1) << c.width << "x" << c.bpp;
        EXPECT_EQ(image.Stride(), c.stride) << c.width << "x" << c.bpp;
        EXPECT_EQ(image.SizeBytes(), static_cast<size_t>(2 * c.stride));
    }
}

TEST(ImageBufferGeometry, CreateFillsHeaderAndZeroesPixelsAtEveryDepth) {
    for (uint16_t bpp : {8, 16, 24, 32, 48, 64}) {
        ImageBuffer image;
        ASSERT_EQ(image.Create(7, 5, bpp), 1) << bpp;
        EXPECT_FALSE(image.IsEmpty());
        EXPECT_EQ(image.Width(), 7);
        EXPECT_EQ(image.Height(), 5);
        EXPECT_EQ(image.BitsPerPixel(), bpp);
        EXPECT_EQ(image.BytesPerPixel(), bpp / 8);
        const BitmapInfoHeader& h = image.Header();
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, 7);
        EXPECT_EQ(h.biHeight, 5);  // positive although memory row 0 is the top row
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, bpp);
        EXPECT_EQ(h.biCompression, 0u);
        EXPECT_EQ(h.biSizeImage, 0u);
        EXPECT_TRUE(AllZero(image)) << bpp;
    }
}

TEST(ImageBufferGeometry, RecreatingDiscardsOldContent) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(4, 4, 8), 1);
    std::memset(image.Bits(), 0xAB, image.SizeBytes());
    ASSERT_EQ(image.Create(9, 3, 24), 1);
    EXPECT_EQ(image.Width(), 9);
    EXPECT_EQ(image.Stride(), 28);
    EXPECT_TRUE(AllZero(image));
}

TEST(ImageBufferGeometry, BadArgumentsLeaveAnExistingImageIntact) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(4, 3, 24), 1);
    PixelAt(image, 1, 1)[0] = 77;
    uint8_t* const bits = image.Bits();
    EXPECT_EQ(image.Create(0, 3, 24), 0);
    EXPECT_EQ(image.Create(4, -1, 24), 0);
    EXPECT_EQ(image.Create(4, 3, 0), 0);
    EXPECT_EQ(image.Create(4, 3, 12), 0);  // not a depth an image can have
    EXPECT_EQ(image.Bits(), bits);
    EXPECT_EQ(image.Width(), 4);
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(PixelAt(image, 1, 1)[0], 77);
}

TEST(ImageBufferGeometry, ImagesTooLargeForTheirSizeFieldsAreRefused) {
    ImageBuffer image;
    EXPECT_EQ(image.Create(0x7FFFFFFF, 2, 64), 0);  // the stride alone overflows 32 bits
    ExpectEmpty(image);
    EXPECT_EQ(image.Create(65536, 65536, 32), 0);  // 16 GiB of pixels
    ExpectEmpty(image);
}

TEST(ImageBufferLifecycle, DestroyTwiceIsHarmlessAndLeavesTheEmptyState) {
    ImageBuffer image;
    ExpectEmpty(image);
    ASSERT_EQ(image.Create(10, 10, 48), 1);
    image.Destroy();
    ExpectEmpty(image);
    image.Destroy();
    ExpectEmpty(image);
}

TEST(ImageBufferLifecycle, MoveHandsThePixelsOverAndEmptiesTheSource) {
    ImageBuffer a;
    ASSERT_EQ(a.Create(3, 2, 8), 1);
    PixelAt(a, 2, 1)[0] = 9;
    const uint8_t* bits = a.Bits();
    ImageBuffer b(std::move(a));
    ExpectEmpty(a);
    EXPECT_EQ(b.Bits(), bits);
    EXPECT_EQ(PixelAt(b, 2, 1)[0], 9);
    EXPECT_EQ(b.ColorTable()[200].green, 200);
}

TEST(ImageBufferColorTable, NewEightBitImageHasTheGrayRamp) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(2, 2, 8), 1);
    for (int i = 0; i < 256; ++i) {
        const ColorTableEntry& e = image.ColorTable()[i];
        ASSERT_EQ(e.blue, i);
        ASSERT_EQ(e.green, i);
        ASSERT_EQ(e.red, i);
        ASSERT_EQ(e.reserved, 0);
    }
}

TEST(ImageBufferColorTable, KindTwoSetsARangeAndStaysInsideTheTable) {
    ImageBuffer image;
    ASSERT_EQ(image.Create(2, 2, 8), 1);
    const ColorTableEntry entries[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    EXPECT_EQ(image.SetColorTable(ImageBuffer::kEntries, entries, 10, 2), 1);
    EXPECT_EQ(image.ColorTable()[9].red, 9);
    EXPECT_EQ(image.ColorTable()[10].red, 3);
    EXPECT_EQ(image.ColorTable()[11].blue, 4);
    EXPECT_EQ(image.ColorTable()[12].red, 12);
    // A range running past the end is cut at entry 255.
    EXPECT_EQ(image.SetColorTable(ImageBuffer::kEntries, entries, 254, 3), 1);
    EXPECT_EQ(image.ColorTable()[254].green, 2);
    EXPECT_EQ(image.ColorTable()[255].green, 5);
    // Null entries, bad ranges and unknown kinds change nothing.
    EXPECT_EQ(image.SetColorTable(ImageBuffer::kEntries, nullptr, 0, 5), 1);
    EXPECT_EQ(image.SetColorTable(ImageBuffer::kEntries, entries, -1, 3), 1);
    EXPECT_EQ(image.SetColorTable(ImageBuffer::kEntries, entries, 256, 3), 1);
    EXPECT_EQ(image.SetColorTable(1, entries, 0, 3), 1);
    EXPECT_EQ(image.ColorTable()[0].red, 0);
    EXPECT_EQ(image.ColorTable()[255].green, 5);
    // Kind 0 restores the ramp.
    EXPECT_EQ(image.SetColorTable(ImageBuffer::kGrayRamp, nullptr, 0, 0), 1);
    EXPECT_EQ(image.ColorTable()[10].red, 10);
    EXPECT_EQ(image.ColorTable()[255].green, 255);
}

TEST(ImageBufferCreateLike, CopiesGeometryHeaderAndTheChangedColorTableButNotPixels) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(5, 3, 8), 1);
    const ColorTableEntry red{0, 0, 255, 0};
    source.SetColorTable(ImageBuffer::kEntries, &red, 100, 1);
    std::memset(source.Bits(), 0x55, source.SizeBytes());

    ImageBuffer copy;
    ASSERT_EQ(copy.Create(1, 1, 64), 1);
    ASSERT_EQ(copy.CreateLike(&source), 1);
    EXPECT_EQ(copy.Width(), 5);
    EXPECT_EQ(copy.Height(), 3);
    EXPECT_EQ(copy.Stride(), 8);
    EXPECT_EQ(copy.BitsPerPixel(), 8);
    EXPECT_EQ(std::memcmp(&copy.Header(), &source.Header(), sizeof(BitmapInfoHeader)), 0);
    EXPECT_EQ(copy.ColorTable()[100].red, 255);
    EXPECT_EQ(copy.ColorTable()[100].blue, 0);
    EXPECT_EQ(copy.ColorTable()[99].red, 99);
    EXPECT_TRUE(AllZero(copy));
    EXPECT_NE(copy.Bits(), source.Bits());
}

TEST(ImageBufferCreateLike, WorksForPlainMemoryDepths) {
    ImageBuffer source;
    ASSERT_EQ(source.Create(1360, 4, 48), 1);
    ImageBuffer copy;
    ASSERT_EQ(copy.CreateLike(&source), 1);
    EXPECT_EQ(copy.Stride(), 8160);
    EXPECT_EQ(copy.BitsPerPixel(), 48);
    EXPECT_TRUE(AllZero(copy));
}

TEST(ImageBufferCreateLike, FailsForNullOrEmptySourceAndLeavesTheDestination) {
    ImageBuffer dest;
    ASSERT_EQ(dest.Create(2, 2, 24), 1);
    PixelAt(dest, 1, 1)[2] = 42;
    ImageBuffer empty;
    EXPECT_EQ(dest.CreateLike(&empty), 0);
    EXPECT_EQ(dest.CreateLike(nullptr), 0);
    EXPECT_EQ(dest.Width(), 2);
    EXPECT_EQ(dest.BitsPerPixel(), 24);
    EXPECT_EQ(PixelAt(dest, 1, 1)[2], 42);
}

TEST(ImageBufferView, LaysOutTheCallersMemoryAsCreateWouldAndKeepsItsPixels) {
    for (uint16_t bpp : {8, 16, 24, 32, 48, 64}) {
        const int32_t stride = static_cast<int32_t>(ImageBuffer::StrideFor(7, bpp));
        std::vector<uint8_t> memory(static_cast<size_t>(stride) * 3, 0xA5);
        ImageBuffer view;
        ASSERT_EQ(view.View(memory.data(), 7, 3, bpp), 1) << bpp;
        EXPECT_TRUE(view.IsView());
        EXPECT_EQ(view.Bits(), memory.data());
        EXPECT_EQ(view.Stride(), stride);
        EXPECT_EQ(view.SizeBytes(), memory.size());
        EXPECT_EQ(view.Header().biWidth, 7);
        EXPECT_EQ(view.Header().biBitCount, bpp);
        EXPECT_EQ(view.Bits()[0], 0xA5) << "a view does not clear the pixels";
        ImageBuffer owned;
        ASSERT_EQ(owned.Create(7, 3, bpp), 1);
        EXPECT_FALSE(owned.IsView());
        EXPECT_EQ(owned.Stride(), view.Stride());
    }
}

TEST(ImageBufferView, KernelsWriteIntoTheViewedMemory) {
    std::vector<uint8_t> memory(static_cast<size_t>(ImageBuffer::StrideFor(4, 24)) * 2, 0);
    ImageBuffer view;
    ASSERT_EQ(view.View(memory.data(), 4, 2, 24), 1);
    ImageBuffer source;
    ASSERT_EQ(source.Create(4, 2, 24), 1);
    PixelAt(source, 3, 1)[0] = 77;
    const auto copy = [](const PixelRegion& region) {
        for (int32_t row = 0; row < region.height; ++row)
            std::memcpy(region.dest + row * region.destStride,
                        region.source + row * region.sourceStride,
                        static_cast<size_t>(region.width) * 3);
    };
    EXPECT_EQ(view.Apply(copy, &source, nullptr, 0, 0), 1);
    EXPECT_EQ(memory[static_cast<size_t>(view.Stride()) + 9], 77);
}

TEST(ImageBufferView, ForgettingAViewLeavesTheMemoryToItsOwner) {
    auto memory = std::make_unique<uint8_t[]>(64);
    memory[0] = 9;
    {
        ImageBuffer view;
        ASSERT_EQ(view.View(memory.get(), 4, 4, 16), 1);
        view.Destroy();
        ExpectEmpty(view);
        ASSERT_EQ(view.View(memory.get(), 4, 4, 16), 1);
        // A new image of its own replaces the view; the destructor frees only that.
        ASSERT_EQ(view.Create(2, 2, 8), 1);
        EXPECT_FALSE(view.IsView());
        ImageBuffer moved = std::move(view);
        ASSERT_EQ(moved.View(memory.get(), 4, 4, 16), 1);
        ImageBuffer target;
        target = std::move(moved);
        EXPECT_TRUE(target.IsView());
    }
    EXPECT_EQ(memory[0], 9);  // still ours: ASan reports a free of it
}

TEST(ImageBufferView, RefusesNullMemoryBadSizesAndDepthsWithoutChangingTheImage) {
    uint8_t memory[64] = {};
    ImageBuffer image;
    ASSERT_EQ(image.Create(2, 2, 24), 1);
    uint8_t* const bits = image.Bits();
    EXPECT_EQ(image.View(nullptr, 4, 4, 8), 0);
    EXPECT_EQ(image.View(memory, 0, 4, 8), 0);
    EXPECT_EQ(image.View(memory, 4, -1, 8), 0);
    EXPECT_EQ(image.View(memory, 4, 4, 12), 0);
    EXPECT_EQ(image.Bits(), bits);
    EXPECT_EQ(image.Width(), 2);
}

}  // namespace
}  // namespace pixora
