#include "image/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <new>

#include "image/ImageBuffer.h"
#include "platform/WritableFile.h"

namespace pixora {

namespace {

// libpng's errors arrive here and never return to the library: the message goes to the
// caller's reason (the application's streams stay quiet) and control goes back to the
// recovery point of EncodePng.
// Where the encoded bytes go, and where the reason for a failure is kept.
struct PngSink {
    std::FILE* file;
    const char* path;
    std::string reason;
};

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

// Warnings change nothing in the file written; they are not the application's to read.
void PngWarning(png_structp, png_const_charp) {}

struct PngFormat {
    int bitDepth;
    int colorType;
};

bool FormatFor(uint16_t bitsPerPixel, PngFormat* format) {
    switch (bitsPerPixel) {
        case 8:
            *format = {8, PNG_COLOR_TYPE_GRAY};
            return true;
        case 16:
            *format = {16, PNG_COLOR_TYPE_GRAY};
            return true;
        case 24:
            *format = {8, PNG_COLOR_TYPE_RGB};
            return true;
        case 32:
            *format = {8, PNG_COLOR_TYPE_RGB_ALPHA};
            return true;
        case 48:
            *format = {16, PNG_COLOR_TYPE_RGB};
            return true;
        case 64:
            *format = {16, PNG_COLOR_TYPE_RGB_ALPHA};
            return true;
        default:
            return false;
    }
}

// Everything that can raise a libpng error runs here, where a long jump back skips no
// destructor: the structures, file and row table belong to the caller, which releases
// them on both outcomes.
bool EncodePng(png_structp png, png_infop info, PngSink* sink, png_bytepp rows, png_uint_32 width,
               png_uint_32 height, PngFormat format) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, width, height, format.bitDepth, format.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_write_fn(png, sink, PngWrite, PngFlush);
    png_write_info(png, info);
    png_set_bgr(png);
    if (format.bitDepth == 16) {
        // Samples lie least significant byte first; PNG stores them the other way round.
        png_set_swap(png);
    }
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

int32_t WritePng(const char* path, const uint8_t* pixels, int32_t width, int32_t height,
                 uint16_t bitsPerPixel, std::string* why) {
    PngFormat format{};
    if (path == nullptr || path[0] == '\0' || pixels == nullptr || width <= 0 || height <= 0 ||
        !FormatFor(bitsPerPixel, &format)) {
        return 0;
    }
    std::unique_ptr<png_bytep[]> rows(new (std::nothrow) png_bytep[static_cast<size_t>(height)]);
    if (!rows) {
        if (why != nullptr)
            *why = "not enough memory for the row table";
        return 0;
    }
    const auto stride = static_cast<size_t>(ImageBuffer::StrideFor(width, bitsPerPixel));
    for (size_t i = 0; i < static_cast<size_t>(height); ++i) {
        // libpng only reads through these pointers.
        rows[i] = const_cast<png_bytep>(pixels + i * stride);
    }

    PngSink sink{nullptr, path, {}};
    sink.file = OpenWritableFile(path, &sink.reason);
    if (sink.file == nullptr) {
        if (why != nullptr)
            *why = sink.reason;
        return 0;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, PngError, PngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (png != nullptr && info != nullptr) {
        ok = EncodePng(png, info, &sink, rows.get(), static_cast<png_uint_32>(width),
                       static_cast<png_uint_32>(height), format);
    }
    png_destroy_write_struct(&png, &info);
    // Buffered bytes meet a full disk here at the latest.
    const bool flushed = std::fflush(sink.file) == 0 && std::ferror(sink.file) == 0;
    const bool closed = std::fclose(sink.file) == 0;
    if (ok && !(flushed && closed))
        sink.reason = WriteFailureText(path);
    const bool whole = ok && flushed && closed;
    if (!whole && why != nullptr)
        *why = sink.reason.empty() ? "the PNG file could not be written" : sink.reason;
    return whole ? 1 : 0;
}

}  // namespace pixora
