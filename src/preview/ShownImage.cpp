#include "preview/ShownImage.h"

#include "image/ConversionKernels.h"
#include "image/ImageBuffer.h"

namespace pixora {
namespace {

bool Holds(const ImageBuffer* image, uint16_t bitsPerPixel) {
    return image != nullptr && !image->IsEmpty() && image->BitsPerPixel() == bitsPerPixel;
}

bool SameSize(const ImageBuffer& a, const ImageBuffer& b) {
    return a.Width() == b.Width() && a.Height() == b.Height();
}

// Converts `source` (of depth `sourceBits`) into `target` (of depth `targetBits`).
const ImageBuffer* Converted(ImageBuffer* target, uint16_t targetBits, const ImageBuffer* source,
                             uint16_t sourceBits, PixelKernel kernel) {
    if (!Holds(target, targetBits) || !Holds(source, sourceBits) || !SameSize(*target, *source)) {
        return nullptr;
    }
    return target->Apply(kernel, source, nullptr, 0, 0) != 0 ? target : nullptr;
}

}  // namespace

const ImageBuffer* PrepareShownImage(int32_t colorModeIndex, const PreviewImages& images) {
    switch (colorModeIndex) {
        case 0:
            return Holds(images.image8, 8) ? images.image8 : nullptr;
        case 1:
            return Converted(images.image8, 8, images.image16, 16, Gray16To8);
        case 2:
            return Holds(images.image24, 24) ? images.image24 : nullptr;
        case 3:
            return Converted(images.image24, 24, images.image32, 32, Copy32To24);
        case 4:
            return Converted(images.image24, 24, images.image48, 48, Color16To24);
        case 5:
            return Converted(images.image24, 24, images.image64, 64, Color16To24);
        default:
            return nullptr;
    }
}

}  // namespace pixora
