#include "image/SaveImageFile.h"

#include "image/ConversionKernels.h"
#include "image/JpegWriter.h"
#include "image/OutputFile.h"
#include "image/PngWriter.h"
#include "image/RowKernels.h"
#include "image/TiffWriter.h"

namespace pixora {

namespace {

int32_t SaveBmp(const char* path, const ImageBuffer& image) {
    // BMP rows run bottom-up: flip them so that memory row 0 ends up as the top row.
    ImageBuffer flipped;
    if (flipped.CreateLike(&image) == 0 || flipped.Apply(FlipCopy, &image, nullptr, 0, 0) == 0) {
        return 0;
    }
    return flipped.WriteBmp(path);
}

int32_t SaveRaw(const char* path, const ImageBuffer& image) {
    OutputFile file;
    if (!file.Open(path)) {
        return 0;
    }
    const bool written = file.Write(image.Bits(), image.SizeBytes());
    const bool closed = file.Close();
    return written && closed ? 1 : 0;
}

int32_t SaveJpeg(const char* path, const ImageBuffer& image, int32_t quality) {
    // The encoder reads rows from the last memory row up; each conversion turns the rows
    // over on the way, so the JPEG's top row is the source's memory row 0.
    PixelKernel convert = nullptr;
    uint16_t depth = 0;
    switch (image.BitsPerPixel()) {
        case 8:
            convert = FlipCopy;
            depth = 8;
            break;
        case 16:
            convert = Gray16To8Flipped;
            depth = 8;
            break;
        case 24:
        case 32:
            convert = FlipCopyTo24;
            depth = 24;
            break;
        case 48:
        case 64:
            convert = Color16To24Flipped;
            depth = 24;
            break;
        default:
            return 0;
    }
    ImageBuffer converted;
    if (converted.Create(image.Width(), image.Height(), depth) == 0 ||
        converted.Apply(convert, &image, nullptr, 0, 0) == 0) {
        return 0;
    }
    return WriteJpeg(path, &converted, quality, true);
}

int32_t SavePng(const char* path, const ImageBuffer& image) {
    PixelKernel convert = nullptr;
    switch (image.BitsPerPixel()) {
        case 16:
            convert = ScaleGray16;
            break;
        case 32:
            convert = ComplementAlpha32;
            break;
        case 48:
        case 64:
            convert = ScaleColor16;
            break;
        default:
            // 8 and 24 bits are written from the source as they are.
            return WritePng(path, image.Bits(), image.Width(), image.Height(),
                            image.BitsPerPixel());
    }
    ImageBuffer converted;
    if (converted.CreateLike(&image) == 0 || converted.Apply(convert, &image, nullptr, 0, 0) == 0) {
        return 0;
    }
    return WritePng(path, converted.Bits(), image.Width(), image.Height(), image.BitsPerPixel());
}

}  // namespace

int32_t SaveImageFile(const char* path, const ImageBuffer* image, uint32_t format) {
    if (path == nullptr || path[0] == '\0' || image == nullptr || image->IsEmpty()) {
        return 0;
    }
    switch (format) {
        case kSaveBmp:
            return SaveBmp(path, *image);
        case kSaveRaw:
            return SaveRaw(path, *image);
        case kSaveJpeg100:
            return SaveJpeg(path, *image, 100);
        case kSaveJpeg70:
            return SaveJpeg(path, *image, 70);
        case kSaveJpeg20:
            return SaveJpeg(path, *image, 20);
        case kSavePng:
            return SavePng(path, *image);
        case kSaveTiff:
            return WriteTiff(path, image);
        default:
            return 0;
    }
}

}  // namespace pixora
