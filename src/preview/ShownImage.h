// Which of the session's images the preview shows for a colour mode, brought to a depth a
// window can show (8-bit gray or 24-bit colour) by the display conversion kernels.
#pragma once

#include <cstdint>

#include "preview/PreviewWindow.h"

namespace pixora {

class ImageBuffer;

// Mode 0: the 8-bit image; 1: the 16-bit image converted into the 8-bit image; 2: the
// 24-bit image; 3, 4, 5: the 32-, 48- or 64-bit image converted into the 24-bit image.
// Null for a mode outside 0..5 or when an image is missing, empty, of the wrong depth,
// or of another size than its conversion target.
const ImageBuffer* PrepareShownImage(int32_t colorModeIndex, const PreviewImages& images);

// Bits per pixel of the display image for a colour mode: 8 for modes 0 and 1, else 24.
inline uint16_t DisplayDepthFor(int32_t colorModeIndex) {
    return colorModeIndex <= 1 ? 8 : 24;
}

}  // namespace pixora
