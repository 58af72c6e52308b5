#include "image/ImageBuffer.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>
#include <utility>

namespace pixora {

namespace {

// Pixel memory is addressed with 32-bit strides and written into 32-bit file-size fields;
// larger images are refused rather than wrapped.
constexpr int64_t kMaxPixelBytes = std::numeric_limits<int32_t>::max() - 2048;

}  // namespace

ImageBuffer::ImageBuffer() : colorTable_{} {}

ImageBuffer::~ImageBuffer() {
    Destroy();
}

ImageBuffer::ImageBuffer(ImageBuffer&& other) noexcept : colorTable_{} {
    *this = std::move(other);
}

ImageBuffer& ImageBuffer::operator=(ImageBuffer&& other) noexcept {
    if (this != &other) {
        Destroy();
        header_ = other.header_;
        std::copy(std::begin(other.colorTable_), std::end(other.colorTable_), colorTable_);
        bits_ = std::move(other.bits_);
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
        bitsPerPixel_ = other.bitsPerPixel_;
        other.Destroy();
    }
    return *this;
}

int64_t ImageBuffer::StrideFor(int64_t width, uint32_t bitsPerPixel) {
    return (width * static_cast<int64_t>(bitsPerPixel / 8) + 3) & ~int64_t{3};
}

bool ImageBuffer::IsSupportedDepth(uint32_t bitsPerPixel) {
    switch (bitsPerPixel) {
        case 8:
        case 16:
        case 24:
        case 32:
        case 48:
        case 64:
            return true;
        default:
            return false;
    }
}

int32_t ImageBuffer::Create(int32_t width, int32_t height, uint16_t bitsPerPixel) {
    if (width <= 0 || height <= 0 || !IsSupportedDepth(bitsPerPixel)) {
        return 0;
    }
    Destroy();
    SetGeometry(width, height, bitsPerPixel);
    return MakePixelStore(nullptr);
}

int32_t ImageBuffer::View(uint8_t* pixels, int32_t width, int32_t height, uint16_t bitsPerPixel) {
    if (pixels == nullptr || width <= 0 || height <= 0 || !IsSupportedDepth(bitsPerPixel)) {
        return 0;
    }
    Destroy();
    SetGeometry(width, height, bitsPerPixel);
    if (stride_ <= 0 || static_cast<int64_t>(stride_) * height_ > kMaxPixelBytes) {
        Destroy();
        return 0;
    }
    bits_ = std::unique_ptr<uint8_t[], PixelRelease>(pixels, PixelRelease{false});
    if (bitsPerPixel_ == 8) {
        SetGrayRamp();
    }
    return 1;
}

void ImageBuffer::SetGeometry(int32_t width, int32_t height, uint16_t bitsPerPixel) {
    header_.biWidth = width;
    header_.biHeight = height;
    header_.biPlanes = 1;
    header_.biBitCount = bitsPerPixel;
    header_.biCompression = 0;
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    const int64_t stride = StrideFor(width, bitsPerPixel);
    stride_ = stride <= kMaxPixelBytes ? static_cast<int32_t>(stride) : 0;
}

int32_t ImageBuffer::CreateLike(const ImageBuffer* source) {
    if (source == nullptr || source->IsEmpty() || source->width_ <= 0 || source->height_ <= 0 ||
        source->bitsPerPixel_ == 0) {
        return 0;
    }
    if (source == this) {
        // Same geometry and table; only the pixels start over at zero.
        std::memset(bits_.get(), 0, SizeBytes());
        return 1;
    }
    Destroy();
    header_ = source->header_;
    width_ = source->width_;
    height_ = source->height_;
    stride_ = source->stride_;
    bitsPerPixel_ = source->bitsPerPixel_;
    return MakePixelStore(source);
}

int32_t ImageBuffer::MakePixelStore(const ImageBuffer* reference) {
    const int64_t bytes = static_cast<int64_t>(stride_) * height_;
    if (stride_ <= 0 || bytes > kMaxPixelBytes) {
        Destroy();
        return 0;
    }
    // Value-initialised: every new image starts all zero.
    bits_ = std::unique_ptr<uint8_t[], PixelRelease>(
        new (std::nothrow) uint8_t[static_cast<size_t>(bytes)](), PixelRelease{true});
    if (!bits_) {
        Destroy();
        return 0;
    }
    if (bitsPerPixel_ == 8) {
        if (reference != nullptr) {
            std::copy(std::begin(reference->colorTable_), std::end(reference->colorTable_),
                      colorTable_);
        } else {
            SetGrayRamp();
        }
    }
    return 1;
}

void ImageBuffer::Destroy() {
    bits_.reset();
    width_ = 0;
    height_ = 0;
    stride_ = 0;
    bitsPerPixel_ = 0;
    header_ = BitmapInfoHeader{};
    std::fill(std::begin(colorTable_), std::end(colorTable_), ColorTableEntry{});
}

void ImageBuffer::SetGrayRamp() {
    for (int i = 0; i < kColorTableSize; ++i) {
        const auto v = static_cast<uint8_t>(i);
        colorTable_[i] = ColorTableEntry{v, v, v, 0};
    }
}

int32_t ImageBuffer::SetColorTable(int32_t kind, const ColorTableEntry* entries, int32_t first,
                                   int32_t count) {
    if (bitsPerPixel_ != 8) {
        return 1;
    }
    if (kind == kGrayRamp) {
        SetGrayRamp();
    } else if (kind == kEntries && entries != nullptr && first >= 0 && first < kColorTableSize &&
               count > 0) {
        const int32_t n = std::min(count, kColorTableSize - first);
        std::copy(entries, entries + n, colorTable_ + first);
    }
    return 1;
}

PixelRegion ImageBuffer::RegionFor(const ImageBuffer* source, const PixelRect* sourceRect,
                                   int32_t x, int32_t y) {
    if (source == nullptr) {
        return {};
    }
    // Clipping runs in bottom-up picture coordinates (row 0 = last memory row), in 64 bits
    // so that extreme positions cannot wrap.
    const int64_t srcW = source->width_;
    const int64_t srcH = source->height_;
    int64_t sl = 0, st = 0, sr = srcW, sb = srcH;
    if (sourceRect != nullptr) {
        sl = sourceRect->left;
        st = sourceRect->top;
        sr = sourceRect->right;
        sb = sourceRect->bottom;
    }
    const int64_t dx = x;
    const int64_t dy = y;
    int64_t dl = dx, dt = dy, dr = dx + (sr - sl), db = dy + (sb - st);
    if (dr <= 0 || db <= 0 || dl >= width_ || dt >= height_) {
        return {};
    }
    dl = std::max<int64_t>(dl, 0);
    dt = std::max<int64_t>(dt, 0);
    dr = std::min<int64_t>(dr, width_);
    db = std::min<int64_t>(db, height_);
    if (dr <= dl || db <= dt) {
        return {};
    }

    sl += dl - dx;
    st += dt - dy;
    sr = sl + (dr - dl);
    sb = st + (db - dt);
    if (sr <= 0 || sb <= 0 || sl >= srcW || st >= srcH) {
        return {};
    }
    // Clipping the source keeps the pairing of source and destination pixels: a cut at the
    // near edge moves the destination corner along, a cut at the far edge shortens both.
    if (sl < 0) {
        dl -= sl;
        sl = 0;
    }
    if (st < 0) {
        dt -= st;
        st = 0;
    }
    sr = std::min(sr, srcW);
    sb = std::min(sb, srcH);
    db = dt + (sb - st);
    if (sr <= sl || sb <= st) {
        return {};
    }
    // Memory rows from here on: picture row r is memory row height - 1 - r.
    return Block(*this, static_cast<int32_t>(dl), static_cast<int32_t>(height_ - db), *source,
                 static_cast<int32_t>(sl), static_cast<int32_t>(srcH - sb),
                 static_cast<int32_t>(sr - sl), static_cast<int32_t>(sb - st));
}

namespace {

bool InsideImage(const PixelRect& r, int32_t width, int32_t height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width &&
           r.bottom <= height;
}

}  // namespace

ScaledRegion ImageBuffer::ScaledRegionFor(const ImageBuffer* source, const PixelRect* sourceRect,
                                          const PixelRect* destRect) {
    if (source == nullptr || IsEmpty() || source->IsEmpty()) {
        return {};
    }
    const PixelRect src =
        sourceRect != nullptr ? *sourceRect : PixelRect{0, 0, source->width_, source->height_};
    const PixelRect dst = destRect != nullptr ? *destRect : PixelRect{0, 0, width_, height_};
    // The scalers index both images through these rectangles without clipping; one that
    // leaves its image would read or write outside the pixel memory.
    if (!InsideImage(src, source->width_, source->height_) || !InsideImage(dst, width_, height_)) {
        return {};
    }
    ScaledRegion region;
    region.rows = Block(*this, dst.left, dst.top, *source, src.left, src.top, dst.right - dst.left,
                        dst.bottom - dst.top);
    region.sourceWidth = src.right - src.left;
    region.sourceHeight = src.bottom - src.top;
    return region;
}

PixelRegion ImageBuffer::Block(ImageBuffer& dest, int32_t destColumn, int32_t destRow,
                               const ImageBuffer& source, int32_t sourceColumn, int32_t sourceRow,
                               int32_t width, int32_t height) {
    const ptrdiff_t destStride = dest.stride_;
    const ptrdiff_t sourceStride = source.stride_;
    const int32_t destBytes = dest.BytesPerPixel();
    const int32_t sourceBytes = source.BytesPerPixel();
    return PixelRegion{
        .dest = dest.bits_.get() + destRow * destStride + ptrdiff_t{destColumn} * destBytes,
        .source =
            source.bits_.get() + sourceRow * sourceStride + ptrdiff_t{sourceColumn} * sourceBytes,
        .destStride = destStride,
        .sourceStride = sourceStride,
        .destBytesPerPixel = destBytes,
        .sourceBytesPerPixel = sourceBytes,
        .width = width,
        .height = height,
        .sourceRow = sourceRow,
        .sourceColumn = sourceColumn,
        .destRow = destRow,
        .destColumn = destColumn,
    };
}

}  // namespace pixora
