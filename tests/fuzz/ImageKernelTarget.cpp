// The copy, conversion, row and scaling kernels over random geometries: two images of any
// size and of the depths each kernel takes, any source rectangle and placement. Nothing is
// read or written outside the images (the sanitizers watch), and a pixel kernel changes no
// pixel outside the placement it was asked for, nor any row padding.
#include <cstring>
#include <vector>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "image/ConversionKernels.h"
#include "image/ImageBuffer.h"
#include "image/RowKernels.h"
#include "image/ScaleKernels.h"

namespace pixora::fuzz {

namespace {

enum class Kind {
    Pixel,      // per pixel inside the clipped rectangle
    WholeRows,  // whole rows from the rectangle's column on, padding included
    InPlace,    // rearranges the destination's own rows
};

struct KernelCase {
    PixelKernel kernel;
    Kind kind;
    uint16_t destDepths[2];
    uint16_t sourceDepths[2];
};

// Each kernel with the depths it is made for (a repeated depth means one choice).
const KernelCase kKernels[] = {
    {Luma24To8, Kind::Pixel, {8, 8}, {24, 32}},
    {Copy32To24, Kind::Pixel, {24, 24}, {24, 32}},
    {FlipCopyTo24, Kind::Pixel, {24, 24}, {24, 32}},
    {Gray16To8, Kind::Pixel, {8, 8}, {16, 16}},
    {Gray16To8Flipped, Kind::Pixel, {8, 8}, {16, 16}},
    {Color16To24, Kind::Pixel, {24, 24}, {48, 64}},
    {Color16To24Flipped, Kind::Pixel, {24, 24}, {48, 64}},
    {SwapToRgb, Kind::Pixel, {24, 32}, {24, 32}},
    {ComplementAlpha32, Kind::Pixel, {32, 32}, {32, 32}},
    {ScaleGray16, Kind::Pixel, {16, 16}, {16, 16}},
    {ScaleColor16, Kind::Pixel, {48, 64}, {48, 64}},
    {ScaleColor16Swapped, Kind::Pixel, {48, 64}, {48, 64}},
    {FlipCopy, Kind::WholeRows, {8, 64}, {8, 64}},
    {CopyRows, Kind::WholeRows, {24, 48}, {16, 32}},
    {SwapRows, Kind::InPlace, {8, 64}, {8, 64}},
    {SpreadRows8, Kind::InPlace, {8, 8}, {8, 8}},
    {SpreadRows16, Kind::InPlace, {16, 16}, {16, 16}},
};

struct ScaleCase {
    ScaleKernel kernel;
    uint16_t sampleBytes;
};
const ScaleCase kScalers[] = {{Scale8, 1}, {Scale24, 3}};

int32_t Coordinate(FuzzInput& in, int32_t extent) {
    switch (in.Byte() % 4) {
        case 0:
            return in.Range(0, extent);
        case 1:
            return in.Range(-extent - 2, 2 * extent + 2);
        case 2:
            return in.Range(-3, 3);
        default:
            return in.Interesting();
    }
}

bool MakeImage(FuzzInput& in, ImageBuffer& image, uint16_t depth) {
    const int32_t width = in.Range(1, 40);
    const int32_t height = in.Range(1, 24);
    if (image.Create(width, height, depth) != 1)
        return false;
    uint8_t* bits = image.Bits();
    for (size_t i = 0; i < image.SizeBytes(); ++i)
        bits[i] = static_cast<uint8_t>(in.Byte() ^ (i * 37));
    return true;
}

uint16_t PickDepth(FuzzInput& in, const uint16_t (&depths)[2]) {
    if (depths[0] == 8 && depths[1] == 64) {
        static constexpr uint16_t kAll[] = {8, 16, 24, 32, 48, 64};
        return in.Pick(kAll);
    }
    return in.Pick(depths);
}

// Bytes of `after` that differ from `before` must lie where the kernel was allowed to write.
template <typename Allowed>
void CheckWrites(const std::vector<uint8_t>& before, const ImageBuffer& after, Allowed allowed,
                 const char* what) {
    const uint8_t* bits = after.Bits();
    for (int32_t row = 0; row < after.Height(); ++row) {
        for (int32_t byte = 0; byte < after.Stride(); ++byte) {
            const size_t at = static_cast<size_t>(row) * after.Stride() + byte;
            if (bits[at] != before[at]) {
                PIXORA_FUZZ_REQUIRE(allowed(row, byte), "%s wrote byte %d of memory row %d", what,
                                    byte, row);
            }
        }
    }
}

void RunPixelKernel(FuzzInput& in) {
    const KernelCase& k = kKernels[in.Below(sizeof kKernels / sizeof kKernels[0])];
    ImageBuffer dest;
    ImageBuffer source;
    if (!MakeImage(in, dest, PickDepth(in, k.destDepths)))
        return;
    const bool self = k.kind == Kind::InPlace;
    if (!self && !MakeImage(in, source, PickDepth(in, k.sourceDepths)))
        return;
    const ImageBuffer& from = self ? dest : source;

    PixelRect rect{};
    const bool wholeSource = in.Byte() % 3 == 0;
    if (!wholeSource) {
        rect.left = Coordinate(in, from.Width());
        rect.top = Coordinate(in, from.Height());
        rect.right = Coordinate(in, from.Width());
        rect.bottom = Coordinate(in, from.Height());
    }
    const int32_t x = Coordinate(in, dest.Width());
    const int32_t y = Coordinate(in, dest.Height());

    const std::vector<uint8_t> before(dest.Bits(), dest.Bits() + dest.SizeBytes());
    dest.Apply(k.kernel, self ? &dest : &source, wholeSource ? nullptr : &rect, x, y);
    if (k.kind == Kind::InPlace)
        return;

    // The placement asked for, in bottom-up picture rows, before any clipping.
    const int64_t left = wholeSource ? 0 : rect.left;
    const int64_t top = wholeSource ? 0 : rect.top;
    const int64_t right = wholeSource ? from.Width() : rect.right;
    const int64_t bottom = wholeSource ? from.Height() : rect.bottom;
    const int64_t x0 = x;
    const int64_t x1 = x0 + (right - left);
    const int64_t y0 = y;
    const int64_t y1 = y0 + (bottom - top);
    const int64_t bpp = dest.BytesPerPixel();
    const int64_t height = dest.Height();
    const int64_t width = dest.Width();
    auto rowInside = [&](int32_t memoryRow) {
        const int64_t pictureRow = height - 1 - memoryRow;
        return pictureRow >= y0 && pictureRow < y1;
    };
    if (k.kind == Kind::WholeRows) {
        CheckWrites(
            before, dest, [&](int32_t row, int32_t) { return rowInside(row); }, "a row kernel");
    } else {
        CheckWrites(
            before, dest,
            [&](int32_t row, int32_t byte) {
                const int64_t column = byte / bpp;
                return rowInside(row) && byte < width * bpp && column >= x0 && column < x1;
            },
            "a pixel kernel");
    }
}

void RunScaleKernel(FuzzInput& in) {
    const ScaleCase& k = kScalers[in.Below(2)];
    static constexpr uint16_t kNarrow[] = {8, 16, 24, 32, 48, 64};
    static constexpr uint16_t kWide[] = {24, 32, 48, 64};
    ImageBuffer dest;
    ImageBuffer source;
    if (!MakeImage(in, dest, k.sampleBytes == 1 ? in.Pick(kNarrow) : in.Pick(kWide)) ||
        !MakeImage(in, source, k.sampleBytes == 1 ? in.Pick(kNarrow) : in.Pick(kWide))) {
        return;
    }
    PixelRect destRect{Coordinate(in, dest.Width()), Coordinate(in, dest.Height()),
                       Coordinate(in, dest.Width()), Coordinate(in, dest.Height())};
    PixelRect sourceRect{Coordinate(in, source.Width()), Coordinate(in, source.Height()),
                         Coordinate(in, source.Width()), Coordinate(in, source.Height())};
    const bool wholeDest = in.Byte() % 3 == 0;
    const bool wholeSource = in.Byte() % 3 == 0;
    const std::vector<uint8_t> before(dest.Bits(), dest.Bits() + dest.SizeBytes());
    const int32_t result = dest.ApplyScaled(k.kernel, &source, wholeSource ? nullptr : &sourceRect,
                                            wholeDest ? nullptr : &destRect);
    if (wholeDest)
        destRect = PixelRect{0, 0, dest.Width(), dest.Height()};
    const int64_t bpp = dest.BytesPerPixel();
    CheckWrites(
        before, dest,
        [&](int32_t row, int32_t byte) {
            const int64_t column = byte / bpp;
            return result != 0 && row >= destRect.top && row < destRect.bottom &&
                   column >= destRect.left && column < destRect.right;
        },
        "a scaling kernel");
}

}  // namespace

int FuzzImageKernels(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    for (int i = 0; i < 4 && !in.Empty(); ++i) {
        if (in.Byte() % 4 == 0) {
            RunScaleKernel(in);
        } else {
            RunPixelKernel(in);
        }
    }
    return 0;
}

}  // namespace pixora::fuzz
