#include "image/SaveImageFile.h"

#include "image/ConversionKernels.h"
#include "image/JpegWriter.h"
#include "image/OutputFile.h"
#include "image/PngWriter.h"
#include "image/RowKernels.h"
#include "image/TiffWriter.h"

namespace pixora {

namespace {

constexpr const char* kNoMemory = "not enough memory for the converted image";

int32_t Fail(std::string* why, const std::string& text) {
    if (why != nullptr)
        *why = text;
    return 0;
}

int32_t SaveBmp(const char* path, const ImageBuffer& image, std::string* why) {
    // BMP rows run bottom-up: flip them so that memory row 0 ends up as the top row.
    ImageBuffer flipped;
    if (flipped.CreateLike(&image) == 0 || flipped.Apply(FlipCopy, &image, nullptr, 0, 0) == 0) {
        return Fail(why, kNoMemory);
    }
    return flipped.WriteBmp(path, why);
}

int32_t SaveRaw(const char* path, const ImageBuffer& image, std::string* why) {
    OutputFile file;
    if (!file.Open(path)) {
        return Fail(why, file.Failure());
    }
    if (!file.Write(image.Bits(), image.SizeBytes()) || !file.Commit())
        return Fail(why, file.Failure());
    return 1;
}

int32_t SaveJpeg(const char* path, const ImageBuffer& image, int32_t quality, std::string* why) {
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
            return Fail(why, "no JPEG form for this image depth");
    }
    ImageBuffer converted;
    if (converted.Create(image.Width(), image.Height(), depth) == 0 ||
        converted.Apply(convert, &image, nullptr, 0, 0) == 0) {
        return Fail(why, kNoMemory);
    }
    return WriteJpeg(path, &converted, quality, true, why);
}

int32_t SavePng(const char* path, const ImageBuffer& image, std::string* why) {
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
            return WritePng(path, image.Bits(), image.Width(), image.Height(), image.BitsPerPixel(),
                            why);
    }
    ImageBuffer converted;
    if (converted.CreateLike(&image) == 0 || converted.Apply(convert, &image, nullptr, 0, 0) == 0) {
        return Fail(why, kNoMemory);
    }
    return WritePng(path, converted.Bits(), image.Width(), image.Height(), image.BitsPerPixel(),
                    why);
}

}  // namespace

int32_t SaveImageFile(const char* path, const ImageBuffer* image, uint32_t format,
                      std::string* why) {
    if (path == nullptr || path[0] == '\0') {
        return Fail(why, "no file name");
    }
    if (image == nullptr || image->IsEmpty()) {
        return Fail(why, "no image to save");
    }
    switch (format) {
        case kSaveBmp:
            return SaveBmp(path, *image, why);
        case kSaveRaw:
            return SaveRaw(path, *image, why);
        case kSaveJpeg100:
            return SaveJpeg(path, *image, 100, why);
        case kSaveJpeg70:
            return SaveJpeg(path, *image, 70, why);
        case kSaveJpeg20:
            return SaveJpeg(path, *image, 20, why);
        case kSavePng:
            return SavePng(path, *image, why);
        case kSaveTiff:
            return WriteTiff(path, image, why);
        default:
            return Fail(why, "unknown save format " + std::to_string(format));
    }
}

}  // namespace pixora
