// The one bitmap type of the library: a 40-byte bitmap header, one zeroed block of pixel
// memory with a 4-byte-aligned stride, and a 256-entry colour table for 8-bit images.
// Memory row 0 is the top row of the picture, although the header carries a positive
// height (bottom-up in the bitmap convention); consumers that want bitmap row order turn
// the rows over themselves.
//
// The image never interprets its pixels: pixel kernels (free functions over rows) do,
// driven by Apply (rectangle copies, conversions, the processing chain) and ApplyScaled
// (scaling), which clip once and hand the kernel a PixelRegion.
//
// An image may also view memory it does not own (View): the processing chain then works
// straight in a caller's buffer, with the same geometry as an image of its own.
//
// No lock: the owner decides who may read or write the pixels when.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "image/PixelRegion.h"

namespace pixora {

// The bitmap info header as it is written into BMP files: little-endian, 40 bytes.
struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;  // 0: uncompressed RGB
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "bitmap info header must be 40 bytes");

// One colour-table entry: blue, green, red, reserved.
struct ColorTableEntry {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
};
static_assert(sizeof(ColorTableEntry) == 4, "colour-table entries are 4 bytes");

// A rectangle of pixels: left and top inclusive, right and bottom exclusive.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Kernels in the form a table can hold: one region, nothing else. Kernels with parameters
// are plain functions too, handed their parameters by Apply (see there).
using PixelKernel = void (*)(const PixelRegion& region);
using ScaleKernel = void (*)(const ScaledRegion& region);

// Frees pixel memory an image allocated itself; a view's memory is left to its owner.
struct PixelRelease {
    bool owned = true;
    void operator()(uint8_t* pixels) const {
        if (owned)
            delete[] pixels;
    }
};

class ImageBuffer {
public:
    static constexpr int kColorTableSize = 256;

    // Colour-table kinds of SetColorTable.
    static constexpr int32_t kGrayRamp = 0;
    static constexpr int32_t kEntries = 2;

    ImageBuffer();
    ~ImageBuffer();
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;
    // Moving hands the pixels over and leaves the source empty.
    ImageBuffer(ImageBuffer&& other) noexcept;
    ImageBuffer& operator=(ImageBuffer&& other) noexcept;

    // Bytes per row for a width and depth: width * (bitsPerPixel / 8) rounded up to 4.
    static int64_t StrideFor(int64_t width, uint32_t bitsPerPixel);
    // True for the depths an image can have: 8, 16, 24, 32, 48 and 64.
    static bool IsSupportedDepth(uint32_t bitsPerPixel);

    // An all-zero image of that size and depth (8-bit: gray ramp). Returns 1, or 0 with the
    // image untouched for a non-positive size or an unsupported depth; 0 and empty if the
    // memory cannot be had.
    int32_t Create(int32_t width, int32_t height, uint16_t bitsPerPixel);
    // An all-zero image with the source's header, geometry and (8-bit) colour table.
    // Returns 0 with this image untouched if the source is null or empty.
    int32_t CreateLike(const ImageBuffer* source);
    // Makes this image a view of `pixels`, which the caller owns and keeps alive while the
    // view is used: width x height at that depth, rows StrideFor apart, as Create would lay
    // them out (8-bit: gray ramp); the pixels are left as they are. Destroy forgets the
    // memory without freeing it. Returns 1, or 0 with the image untouched for null pixels,
    // a non-positive size or an unsupported depth.
    int32_t View(uint8_t* pixels, int32_t width, int32_t height, uint16_t bitsPerPixel);
    // Back to the empty state; harmless when already empty.
    void Destroy();

    // Kind 0: gray ramp (the other arguments are ignored). Kind 2: `count` entries from
    // `entries` starting at index `first`, limited to the table. Other kinds change
    // nothing. Only 8-bit images have a table. Always returns 1.
    int32_t SetColorTable(int32_t kind, const ColorTableEntry* entries, int32_t first,
                          int32_t count);

    // Writes the image as it lies in memory (memory row 0 becomes the bottom row of the
    // BMP). Returns 1 when the whole file was written, 0 otherwise, with the reason in
    // *why when given; a file there is replaced whole or not at all.
    int32_t WriteBmp(const char* path, std::string* why = nullptr) const;

    // The rows `kernel` works on when it runs from `source` (may be this image) into this
    // image. A null sourceRect means the whole source; (x, y) places it here. Coordinates
    // are bottom-up picture coordinates; the region is in memory rows after clipping to both
    // images. Empty (IsEmpty) when the source is null or nothing is left.
    PixelRegion RegionFor(const ImageBuffer* source, const PixelRect* sourceRect, int32_t x,
                          int32_t y);

    // Runs kernel(region, parameters...) over RegionFor(source, sourceRect, x, y): any
    // callable, the parameters passed through as they are (a kernel that measures can take
    // its parameter block by reference and fill it). Returns the kernel's result as int32_t,
    // 1 for a kernel without one, or 0 without calling it if the region is empty or the
    // kernel is a null pointer.
    template <typename Kernel, typename... Parameters>
    int32_t Apply(Kernel&& kernel, const ImageBuffer* source, const PixelRect* sourceRect,
                  int32_t x, int32_t y, Parameters&&... parameters) {
        const PixelRegion region = RegionFor(source, sourceRect, x, y);
        if (region.IsEmpty()) {
            return 0;
        }
        return RunKernel(std::forward<Kernel>(kernel), region,
                         std::forward<Parameters>(parameters)...);
    }

    // The blocks a scaling kernel works on. Null rectangles mean whole images. Empty when
    // the source is null, either image is empty or a rectangle is empty or not inside its
    // image: the rectangles are taken as given, never clipped.
    ScaledRegion ScaledRegionFor(const ImageBuffer* source, const PixelRect* sourceRect,
                                 const PixelRect* destRect);

    // Runs a scaling kernel over ScaledRegionFor(source, sourceRect, destRect), with the
    // same parameters and result as Apply.
    template <typename Kernel, typename... Parameters>
    int32_t ApplyScaled(Kernel&& kernel, const ImageBuffer* source, const PixelRect* sourceRect,
                        const PixelRect* destRect, Parameters&&... parameters) {
        const ScaledRegion region = ScaledRegionFor(source, sourceRect, destRect);
        if (region.rows.IsEmpty()) {
            return 0;
        }
        return RunKernel(std::forward<Kernel>(kernel), region,
                         std::forward<Parameters>(parameters)...);
    }

    const BitmapInfoHeader& Header() const { return header_; }
    uint8_t* Bits() { return bits_.get(); }
    const uint8_t* Bits() const { return bits_.get(); }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Stride() const { return stride_; }
    uint16_t BitsPerPixel() const { return bitsPerPixel_; }
    uint16_t BytesPerPixel() const { return static_cast<uint16_t>(bitsPerPixel_ / 8); }
    // Bytes of pixel memory: height * stride.
    size_t SizeBytes() const { return static_cast<size_t>(height_) * static_cast<size_t>(stride_); }
    bool IsEmpty() const { return bits_ == nullptr; }
    // The pixels belong to someone else (View).
    bool IsView() const { return bits_ != nullptr && !bits_.get_deleter().owned; }
    // The 256 entries; meaningful for 8-bit images only.
    const ColorTableEntry* ColorTable() const { return colorTable_; }

private:
    // Calls the kernel, or returns 0 for a null kernel pointer.
    template <typename Kernel, typename Region, typename... Parameters>
    static int32_t RunKernel(Kernel&& kernel, const Region& region, Parameters&&... parameters) {
        using Held = std::remove_cv_t<std::remove_reference_t<Kernel>>;
        if constexpr (std::is_null_pointer_v<Held>) {
            return 0;
        } else {
            // A function named directly cannot be null; a pointer chosen at run time can.
            if constexpr (std::is_pointer_v<Held>) {
                if (kernel == nullptr) {
                    return 0;
                }
            }
            using Result = std::invoke_result_t<Kernel, const Region&, Parameters...>;
            if constexpr (std::is_void_v<Result>) {
                std::forward<Kernel>(kernel)(region, std::forward<Parameters>(parameters)...);
                return 1;
            } else {
                return static_cast<int32_t>(
                    std::forward<Kernel>(kernel)(region, std::forward<Parameters>(parameters)...));
            }
        }
    }

    // A width x height block at (destColumn, destRow) of `dest` and at (sourceColumn,
    // sourceRow) of `source`, in memory rows; the caller has checked that it fits both.
    static PixelRegion Block(ImageBuffer& dest, int32_t destColumn, int32_t destRow,
                             const ImageBuffer& source, int32_t sourceColumn, int32_t sourceRow,
                             int32_t width, int32_t height);
    int32_t MakePixelStore(const ImageBuffer* reference);
    void SetGrayRamp();
    // Fills the header and geometry of a width x height image at that depth.
    void SetGeometry(int32_t width, int32_t height, uint16_t bitsPerPixel);

    // Header and table side by side, as a bitmap-info block for 8-bit images.
    BitmapInfoHeader header_;
    ColorTableEntry colorTable_[kColorTableSize];
    std::unique_ptr<uint8_t[], PixelRelease> bits_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t stride_ = 0;
    uint16_t bitsPerPixel_ = 0;
};

}  // namespace pixora
