#include "image/PngWriter.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <new>

#include "image/ImageBuffer.h"

namespace pixora {

namespace {

// libpng's errors arrive here and never return to the library: control goes back to the
// recovery point of EncodePng.
[[noreturn]] void PngError(png_structp png, png_const_charp message) {
    std::fprintf(stderr, "libpng error: %s\n", message);
    png_longjmp(png, 1);
}

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
bool EncodePng(png_structp png, png_infop info, std::FILE* file, png_bytepp rows, png_uint_32 width,
               png_uint_32 height, PngFormat format) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, width, height, format.bitDepth, format.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_init_io(png, file);
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
                 uint16_t bitsPerPixel) {
    PngFormat format{};
    if (path == nullptr || path[0] == '\0' || pixels == nullptr || width <= 0 || height <= 0 ||
        !FormatFor(bitsPerPixel, &format)) {
        return 0;
    }
    std::unique_ptr<png_bytep[]> rows(new (std::nothrow) png_bytep[static_cast<size_t>(height)]);
    if (!rows) {
        return 0;
    }
    const auto stride = static_cast<size_t>(ImageBuffer::StrideFor(width, bitsPerPixel));
    for (size_t i = 0; i < static_cast<size_t>(height); ++i) {
        // libpng only reads through these pointers.
        rows[i] = const_cast<png_bytep>(pixels + i * stride);
    }

    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return 0;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (png != nullptr && info != nullptr) {
        ok = EncodePng(png, info, file, rows.get(), static_cast<png_uint_32>(width),
                       static_cast<png_uint_32>(height), format);
    }
    png_destroy_write_struct(&png, &info);
    const bool closed = std::fclose(file) == 0;
    return ok && closed ? 1 : 0;
}

}  // namespace pixora
