#include "image/JpegWriter.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <new>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace pixora {

namespace {

// The standard error manager ends the process on a library error; this one reports the
// message as usual and then returns to EncodeJpeg, which turns the error into a failure.
struct JpegErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf recovery;
};

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->recovery, 1);
}

// Everything that can raise a libjpeg error runs here, where a long jump back skips no
// destructor; the compression object, file and row buffer belong to the caller.
bool EncodeJpeg(jpeg_compress_struct& info, JpegErrorManager& errors, std::FILE* file,
                const ImageBuffer& image, JSAMPLE* row, int quality, bool progressive) {
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = JpegErrorExit;
    if (setjmp(errors.recovery)) {
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);

    const int components = image.BitsPerPixel() == 8 ? 1 : 3;
    info.image_width = static_cast<JDIMENSION>(image.Width());
    info.image_height = static_cast<JDIMENSION>(image.Height());
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);

    const size_t width = static_cast<size_t>(image.Width());
    const uint8_t* bits = image.Bits();
    const ptrdiff_t stride = image.Stride();
    for (ptrdiff_t r = image.Height() - 1; r >= 0; --r) {
        const uint8_t* source = bits + r * stride;
        if (components == 1) {
            std::copy(source, source + width, row);
        } else {
            for (size_t k = 0; k < width; ++k) {
                row[3 * k + 0] = source[3 * k + 2];
                row[3 * k + 1] = source[3 * k + 1];
                row[3 * k + 2] = source[3 * k + 0];
            }
        }
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

}  // namespace

int32_t WriteJpeg(const char* path, const ImageBuffer* image, int32_t quality, bool progressive) {
    if (path == nullptr || path[0] == '\0' || image == nullptr || image->IsEmpty() ||
        (image->BitsPerPixel() != 8 && image->BitsPerPixel() != 24)) {
        return 0;
    }
    const size_t rowBytes = static_cast<size_t>(image->Width()) * image->BytesPerPixel();
    std::unique_ptr<JSAMPLE[]> row(new (std::nothrow) JSAMPLE[rowBytes]);
    if (!row) {
        return 0;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return 0;
    }
    jpeg_compress_struct info{};
    JpegErrorManager errors{};
    const bool ok =
        EncodeJpeg(info, errors, file, *image, row.get(), std::clamp(quality, 0, 100), progressive);
    jpeg_destroy_compress(&info);
    const bool closed = std::fclose(file) == 0;
    return ok && closed ? 1 : 0;
}

}  // namespace pixora
