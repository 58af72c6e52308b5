// TIFF files through libtiff: one strip.
#include "image/FileEncoders.h"

#include <tiffio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "image/ConversionKernels.h"
#include "image/EncoderWarnings.h"
#include "image/RowKernels.h"
#include "platform/ReplacingFile.h"
#include "platform/WritableFileText.h"

namespace pixora {

namespace {

// The kernel that makes the file's samples: 16-bit ones scaled up to the full range,
// colour in red-green-blue order.
PixelKernel ConversionFor(const FileSampleLayout& samples) {
    const bool wide = samples.bitsPerSample == 16;
    if (samples.IsGray())
        return wide ? ScaleGray16 : CopyRows;
    return wide ? ScaleColor16Swapped : SwapToRgb;
}

// What libtiff says about one file: the first error, which becomes the caller's reason,
// and the warnings.
struct TiffMessages {
    std::string reason;
    EncoderWarnings warnings{"libtiff"};
};

std::string FormatTiffMessage(const char* module, const char* format, va_list args) {
    char text[512] = {};
    std::vsnprintf(text, sizeof text, format, args);
    return std::string(module != nullptr ? module : "") + (module != nullptr ? ": " : "") + text;
}

// libtiff's handlers for one file; neither reaches the application's streams (returning 1
// stops libtiff's own handlers).
int TiffKeepError(TIFF*, void* data, const char* module, const char* format, va_list args) {
    auto* messages = static_cast<TiffMessages*>(data);
    if (messages->reason.empty())
        messages->reason = "libtiff error: " + FormatTiffMessage(module, format, args);
    return 1;
}

int TiffKeepWarning(TIFF*, void* data, const char* module, const char* format, va_list args) {
    static_cast<TiffMessages*>(data)->warnings.Add(FormatTiffMessage(module, format, args));
    return 1;
}

// libtiff on the replacement's descriptor with the message handlers above; null with the
// reason in messages->reason. libtiff closes what it is given, so it gets a duplicate.
TIFF* OpenTiff(ReplacingFile& file, const char* path, TiffMessages* messages) {
    const int fd = dup(file.Descriptor());
    if (fd < 0) {
        messages->reason = WriteFailureText(path);
        return nullptr;
    }
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) {
        close(fd);
        messages->reason = "not enough memory for the TIFF writer";
        return nullptr;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(options, TiffKeepError, messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, TiffKeepWarning, messages);
    // Opening writes the header; libtiff's message for a failed write does not say why.
    errno = 0;
    TIFF* tiff = TIFFFdOpenExt(fd, path, "w", options);
    TIFFOpenOptionsFree(options);
    if (tiff == nullptr) {
        if (errno != 0)
            messages->reason = WriteFailureText(path);
        close(fd);
    }
    return tiff;
}

// Moves the rows together in place so that they follow each other without padding.
void PackRows(ImageBuffer& image, size_t rowBytes) {
    uint8_t* bits = image.Bits();
    const auto stride = static_cast<size_t>(image.Stride());
    for (size_t r = 1; r < static_cast<size_t>(image.Height()); ++r) {
        std::memmove(bits + r * rowBytes, bits + r * stride, rowBytes);
    }
}

}  // namespace

int32_t EncodeTiffFile(const char* path, const ImageBuffer* image, const FileSampleLayout& samples,
                       std::string* why) {
    // The converted copy is made before the file is opened, so that a copy that cannot be
    // had leaves no file behind.
    ImageBuffer converted;
    if (converted.CreateLike(image) == 0 ||
        converted.Apply(ConversionFor(samples), image, nullptr, 0, 0) == 0) {
        if (why != nullptr)
            *why = "not enough memory for the converted image";
        return 0;
    }
    const size_t rowBytes = static_cast<size_t>(image->Width()) * image->BytesPerPixel();
    PackRows(converted, rowBytes);

    // The messages live here until the end: the handlers of the open file write into them.
    TiffMessages messages;
    ReplacingFile file;
    if (!file.Open(path, &messages.reason)) {
        if (why != nullptr)
            *why = messages.reason;
        return 0;
    }
    TIFF* tiff = OpenTiff(file, path, &messages);
    if (tiff == nullptr) {
        if (why != nullptr)
            *why = messages.warnings.After(
                messages.reason.empty() ? "the TIFF file could not be created" : messages.reason);
        return 0;
    }
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image->Width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image->Height()));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, samples.bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                 samples.IsGray() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples.samplesPerPixel);
    if (samples.HasFourthSample()) {
        // A four-sample RGB file must declare its extra sample; it carries no meaning
        // (not alpha), which is also what readers assume when the tag is missing.
        const uint16_t extra[1] = {EXTRASAMPLE_UNSPECIFIED};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, uint16_t{1}, extra);
    }

    const auto bytes = static_cast<tmsize_t>(rowBytes * static_cast<size_t>(image->Height()));
    // libtiff's own message for a failed write does not say why; the system does.
    errno = 0;
    const bool written = TIFFWriteEncodedStrip(tiff, 0, converted.Bits(), bytes) == bytes;
    // The directory goes out on flush; a failure there leaves an unreadable file.
    const bool flushed = written && TIFFFlush(tiff) == 1;
    if (!flushed && (errno != 0 || messages.reason.empty()))
        messages.reason = WriteFailureText(path);
    TIFFClose(tiff);
    const bool whole = flushed && file.Commit(&messages.reason);
    if (!whole && why != nullptr)
        *why = messages.warnings.After(messages.reason);
    return whole ? 1 : 0;
}

}  // namespace pixora
