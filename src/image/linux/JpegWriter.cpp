#include "image/JpegWriter.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <new>
#include <string>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include <jerror.h>

#include "image/EncoderWarnings.h"
#include "platform/ReplacingFile.h"
#include "platform/WritableFileText.h"

namespace pixora {

namespace {

// The standard error manager ends the process on a library error and prints to the
// application's error stream; this one keeps the message for the caller and returns to
// EncodeJpeg, which turns the error into a failure. Warnings are logged and kept.
struct JpegErrorManager {
    jpeg_error_mgr standard;
    std::jmp_buf recovery;
    const char* path = nullptr;
    std::string message;
    EncoderWarnings warnings{"libjpeg"};
};

void JpegKeepMessage(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    if (errors->standard.msg_code == JERR_FILE_WRITE) {
        // The stdio destination's short write: the system knows why.
        errors->message = WriteFailureText(errors->path);
        return;
    }
    char text[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, text);
    errors->message = std::string("libjpeg error: ") + text;
}

[[noreturn]] void JpegErrorExit(j_common_ptr info) {
    JpegKeepMessage(info);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->recovery, 1);
}

// Warnings (level -1) do not end the compression: logged, and named if the save fails.
// Trace messages (levels 0 and up) are for debugging the library; nobody is shown them.
void JpegEmitMessage(j_common_ptr info, int level) {
    if (level >= 0)
        return;
    char text[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, text);
    reinterpret_cast<JpegErrorManager*>(info->err)->warnings.Add(text);
    ++info->err->num_warnings;
}

// Nothing of the library reaches the application's streams, whoever asks to print.
void JpegPrintNothing(j_common_ptr) {}

// Everything that can raise a libjpeg error runs here, where a long jump back skips no
// destructor; the compression object, file and row buffer belong to the caller.
bool EncodeJpeg(jpeg_compress_struct& info, JpegErrorManager& errors, std::FILE* file,
                const ImageBuffer& image, JSAMPLE* row, int quality, bool progressive) {
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = JpegErrorExit;
    errors.standard.emit_message = JpegEmitMessage;
    errors.standard.output_message = JpegPrintNothing;
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

int32_t WriteJpeg(const char* path, const ImageBuffer* image, int32_t quality, bool progressive,
                  std::string* why) {
    if (path == nullptr || path[0] == '\0' || image == nullptr || image->IsEmpty() ||
        (image->BitsPerPixel() != 8 && image->BitsPerPixel() != 24)) {
        return 0;
    }
    const size_t rowBytes = static_cast<size_t>(image->Width()) * image->BytesPerPixel();
    std::unique_ptr<JSAMPLE[]> row(new (std::nothrow) JSAMPLE[rowBytes]);
    if (!row) {
        if (why != nullptr)
            *why = "not enough memory for a row";
        return 0;
    }
    std::string reason;
    ReplacingFile file;
    if (!file.Open(path, &reason) || file.Stream() == nullptr) {
        if (why != nullptr)
            *why = reason.empty() ? WriteFailureText(path) : reason;
        return 0;
    }
    jpeg_compress_struct info{};
    JpegErrorManager errors{};
    errors.path = path;
    bool ok = EncodeJpeg(info, errors, file.Stream(), *image, row.get(),
                         std::clamp(quality, 0, 100), progressive);
    jpeg_destroy_compress(&info);
    if (!ok)
        reason = errors.message;
    // The stdio destination reports its own write failures as library errors; a full disk
    // may still show up only when the stream is flushed in the commit.
    ok = ok && file.Commit(&reason);
    if (!ok && why != nullptr)
        *why =
            errors.warnings.After(reason.empty() ? "the JPEG file could not be written" : reason);
    return ok ? 1 : 0;
}

}  // namespace pixora
