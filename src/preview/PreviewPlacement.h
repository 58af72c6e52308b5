// Where the preview window goes and what it is called.
#pragma once

#include <cstdint>
#include <string>

namespace pixora {

struct PreviewClientSize {
    int32_t width = 0;
    int32_t height = 0;
};

// Client area of the top-level variant: the image size divided by 1, 2, 4 or 8 for
// sub-sampling steps 0..3 (any other step divides by 1), rounding toward zero.
PreviewClientSize TopLevelClientSize(int32_t imageWidth, int32_t imageHeight,
                                     int32_t subSampleStep);

// "VideoRenderer_%08x_%08x": the owner's address and a random number plus the
// millisecond clock, so that no two windows share a name.
std::string PreviewClassName(const void* owner);

}  // namespace pixora
