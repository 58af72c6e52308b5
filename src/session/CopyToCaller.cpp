#include "session/CopyToCaller.h"

#include <cstring>

#include "image/ImageBuffer.h"

namespace pixora {

bool CopyImageRows(const ImageBuffer& image, int32_t rowOrder, void* buffer, int64_t size) {
    if (buffer == nullptr || image.IsEmpty())
        return false;
    const int64_t stride = image.Stride();
    const int64_t height = image.Height();
    if (size < stride * height)
        return false;
    const auto* source = static_cast<const uint8_t*>(image.Bits());
    auto* dest = static_cast<uint8_t*>(buffer);
    if (rowOrder != 0) {
        std::memcpy(dest, source, static_cast<size_t>(stride * height));
        return true;
    }
    for (int64_t k = 0; k < height; ++k) {
        std::memcpy(dest + k * stride, source + (height - 1 - k) * stride,
                    static_cast<size_t>(stride));
    }
    return true;
}

}  // namespace pixora
