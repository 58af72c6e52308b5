#include "image/SaveImageFile.h"

namespace pixora {

namespace {

int32_t Fail(std::string* why, const std::string& text) {
    if (why != nullptr)
        *why = text;
    return 0;
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
    const SaveFormatRow* row = SaveFormatByCode(format);
    if (row == nullptr) {
        return Fail(why, "unknown save format " + std::to_string(format));
    }
    const SaveDepth* depth = SaveDepthFor(*row, image->BitsPerPixel());
    if (depth == nullptr) {
        return Fail(why, std::string("no ") + row->label + " form for this image depth");
    }
    if (depth->convert == nullptr) {
        return row->write(path, *image, *row, why);
    }
    // A conversion of the same depth keeps the image's header and colour table.
    ImageBuffer converted;
    const int32_t made =
        depth->convertedBitsPerPixel == image->BitsPerPixel()
            ? converted.CreateLike(image)
            : converted.Create(image->Width(), image->Height(), depth->convertedBitsPerPixel);
    if (made == 0 || converted.Apply(depth->convert, image, nullptr, 0, 0) == 0) {
        return Fail(why, "not enough memory for the converted image");
    }
    return row->write(path, converted, *row, why);
}

}  // namespace pixora
