// PNG files through libpng.
#include "image/FileEncoders.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <new>

#include "image/EncoderWarnings.h"
#include "platform/ReplacingFile.h"
#include "platform/WritableFileText.h"

namespace pixora {

namespace {

// Where the encoded bytes go, and where the reason for a failure and the warnings are kept.
struct PngSink {
    std::FILE* file;
    const char* path;
    std::string reason;
    EncoderWarnings warnings{"libpng"};
};

// libpng's errors arrive here and never return to the library: the message goes to the
// caller's reason (the application's streams stay quiet) and control goes back to the
// recovery point of EncodeRows.
[[noreturn]] void PngError(png_structp png, png_const_charp message) {
    // A failed write has already given the system's reason, which says more.
    if (auto* sink = static_cast<PngSink*>(png_get_error_ptr(png)); sink->reason.empty())
        sink->reason = std::string("libpng error: ") + message;
    png_longjmp(png, 1);
}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, sink->file) != length) {
        sink->reason = WriteFailureText(sink->path);
        png_error(png, "write failed");
    }
}

void PngFlush(png_structp png) {
    std::fflush(static_cast<PngSink*>(png_get_io_ptr(png))->file);
}

// Warnings change nothing in the file written: logged, and named if the save fails.
void PngWarning(png_structp png, png_const_charp message) {
    static_cast<PngSink*>(png_get_error_ptr(png))->warnings.Add(message);
}

int ColorTypeOf(const FileSampleLayout& samples) {
    if (samples.IsGray())
        return PNG_COLOR_TYPE_GRAY;
    return samples.HasFourthSample() ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
}

// Everything that can raise a libpng error runs here, where a long jump back skips no
// destructor: the structures, file and row table belong to the caller, which releases
// them on both outcomes.
bool EncodeRows(png_structp png, png_infop info, PngSink* sink, png_bytepp rows, png_uint_32 width,
                png_uint_32 height, FileSampleLayout samples) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, width, height, samples.bitsPerSample, ColorTypeOf(samples),
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_write_fn(png, sink, PngWrite, PngFlush);
    png_write_info(png, info);
    png_set_bgr(png);
    if (samples.bitsPerSample == 16) {
        // Samples lie least significant byte first; PNG stores them the other way round.
        png_set_swap(png);
    }
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

int32_t EncodePngFile(const char* path, const uint8_t* pixels, int32_t width, int32_t height,
                      const FileSampleLayout& samples, std::string* why) {
    std::unique_ptr<png_bytep[]> rows(new (std::nothrow) png_bytep[static_cast<size_t>(height)]);
    if (!rows) {
        if (why != nullptr)
            *why = "not enough memory for the row table";
        return 0;
    }
    const auto stride = static_cast<size_t>(ImageBuffer::StrideFor(width, samples.BitsPerPixel()));
    for (size_t i = 0; i < static_cast<size_t>(height); ++i) {
        // libpng only reads through these pointers.
        rows[i] = const_cast<png_bytep>(pixels + i * stride);
    }

    ReplacingFile file;
    PngSink sink{nullptr, path, {}, EncoderWarnings("libpng")};
    if (!file.Open(path, &sink.reason) || (sink.file = file.Stream()) == nullptr) {
        if (why != nullptr)
            *why = sink.reason.empty() ? WriteFailureText(path) : sink.reason;
        return 0;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, PngError, PngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (png != nullptr && info != nullptr) {
        ok = EncodeRows(png, info, &sink, rows.get(), static_cast<png_uint_32>(width),
                        static_cast<png_uint_32>(height), samples);
    }
    png_destroy_write_struct(&png, &info);
    // Buffered bytes meet a full disk in the commit at the latest.
    ok = ok && file.Commit(&sink.reason);
    if (!ok && why != nullptr)
        *why = sink.warnings.After(sink.reason.empty() ? "the PNG file could not be written"
                                                       : sink.reason);
    return ok ? 1 : 0;
}

}  // namespace pixora
