// Nearest-neighbour scaling for the preview, run through ImageBuffer::ApplyScaled
// (ScaleKernel convention). The picture is turned upside down on the way: destination row
// i of the destination rectangle comes from source row (source bottom - 1 - u), with
// u = trunc(i * sourceHeight / destHeight) in single precision.
#pragma once

#include <cstdint>

#include "image/ImageBuffer.h"

namespace pixora {

ScaleKernelFunction Scale8;
ScaleKernelFunction Scale24;

}  // namespace pixora
