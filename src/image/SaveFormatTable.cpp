#include "image/SaveFormatTable.h"

#include "image/ConversionKernels.h"
#include "image/RowKernels.h"
#include "image/SaveWriters.h"

namespace pixora {

namespace {

// BMP rows run bottom-up: the copy turns them over so that memory row 0 is the top row.
constexpr SaveDepth kBmpDepths[] = {
    {8, 8, FlipCopy, 8, "gray, with the image's colour table"},
    {16, 16, FlipCopy, 16},
    {24, 24, FlipCopy, 24},
    {32, 32, FlipCopy, 32},
    {48, 48, FlipCopy, 48},
    {64, 64, FlipCopy, 64},
};

constexpr SaveDepth kRawDepths[] = {
    {8, 8}, {16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64},
};

// The encoder reads rows from the last memory row up; each conversion turns the rows over
// on the way, so the JPEG's top row is the source's memory row 0.
constexpr SaveDepth kJpegDepths[] = {
    {8, 8, FlipCopy, 8},
    {16, 8, Gray16To8Flipped, 8, "10-bit gray reduced to 8 bits"},
    {24, 24, FlipCopyTo24, 24},
    {32, 24, FlipCopyTo24, 24, "fourth byte dropped"},
    {48, 24, Color16To24Flipped, 24, "16-bit samples reduced to 8 bits"},
    {64, 24, Color16To24Flipped, 24, "16-bit samples reduced to 8 bits, fourth sample dropped"},
};

// 8 and 24 bits are written from the image as they are.
constexpr SaveDepth kPngDepths[] = {
    {8, 8},
    {16, 16, ScaleGray16, 16, "10-bit gray shifted left by 4 bits"},
    {24, 24},
    {32, 32, ComplementAlpha32, 32, "fourth byte as alpha, 255 minus its value"},
    {48, 48, ScaleColor16, 48, "16-bit samples shifted left by 6 bits"},
    {64, 64, ScaleColor16, 64, "16-bit samples shifted left by 6 bits, alpha 0xFFFF"},
};

// The TIFF writer lays the samples out itself (image/FileSampleLayout.h).
constexpr SaveDepth kTiffDepths[] = {
    {8, 8},
    {16, 16, nullptr, 0, "10-bit gray shifted left by 4 bits"},
    {24, 24},
    {32, 32, nullptr, 0, "fourth sample 0"},
    {48, 48, nullptr, 0, "16-bit samples shifted left by 6 bits"},
    {64, 64, nullptr, 0, "16-bit samples shifted left by 6 bits, fourth sample 0xFFFF"},
};

constexpr const char* kBmpExtensions[] = {".bmp", nullptr};
constexpr const char* kRawExtensions[] = {".raw", nullptr};
constexpr const char* kJpegExtensions[] = {".jpg", ".jpeg", nullptr};
constexpr const char* kPngExtensions[] = {".png", nullptr};
constexpr const char* kTiffExtensions[] = {".tif", ".tiff", nullptr};

constexpr SaveFormatRow kFormats[] = {
    {kSaveBmp, "bmp", "BMP", "Windows bitmap, uncompressed, as the image lies in memory",
     kBmpExtensions, kBmpDepths, 0, WriteBmpFile},
    {kSaveRaw, "raw", "Raw", "the pixel memory as it lies, rows with their padding, no header",
     kRawExtensions, kRawDepths, 0, WriteRawFile},
    {kSaveJpeg100, "jpeg", "JPEG, quality 100", "progressive JPEG of quality 100", kJpegExtensions,
     kJpegDepths, 100, WriteJpegFile},
    {kSaveJpeg70, "jpeg70", "JPEG, quality 70", "progressive JPEG of quality 70", kJpegExtensions,
     kJpegDepths, 70, WriteJpegFile},
    {kSaveJpeg20, "jpeg20", "JPEG, quality 20", "progressive JPEG of quality 20", kJpegExtensions,
     kJpegDepths, 20, WriteJpegFile},
    {kSavePng, "png", "PNG", "PNG, 8 or 16 bits per sample, gray, colour or colour with alpha",
     kPngExtensions, kPngDepths, 0, WritePngFile},
    {kSaveTiff, "tiff", "TIFF", "uncompressed TIFF, 8 or 16 bits per sample", kTiffExtensions,
     kTiffDepths, 0, WriteTiffFile},
};

constexpr bool CodesAreIndices() {
    for (uint32_t i = 0; i < std::size(kFormats); ++i) {
        if (kFormats[i].code != i)
            return false;
    }
    return true;
}
static_assert(CodesAreIndices(), "a save format's code is its place in the table");

}  // namespace

std::span<const SaveFormatRow> SaveFormats() {
    return kFormats;
}

const SaveFormatRow* SaveFormatByCode(uint32_t code) {
    return code < std::size(kFormats) ? &kFormats[code] : nullptr;
}

const SaveDepth* SaveDepthFor(const SaveFormatRow& format, uint32_t bitsPerPixel) {
    for (const SaveDepth& depth : format.depths) {
        if (depth.bitsPerPixel == bitsPerPixel)
            return &depth;
    }
    return nullptr;
}

}  // namespace pixora
