// Copying an output image into an application's buffer, whole rows at the image's stride.
#pragma once

#include <cstdint>

namespace pixora {

class ImageBuffer;

// True when the buffer held stride x height bytes and the rows were copied: in memory
// order when `rowOrder` is nonzero, else last memory row first. False (nothing copied)
// when the buffer is null, too small, or the image is empty.
bool CopyImageRows(const ImageBuffer& image, int32_t rowOrder, void* buffer, int64_t size);

}  // namespace pixora
