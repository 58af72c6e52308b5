// Nearest-neighbour scaling for the preview, run through ImageBuffer::ApplyScaled. The
// picture is turned upside down on the way: row i of the destination block comes from row
// (source height - 1 - u) of the source block, with u = trunc(i * sourceHeight /
// destHeight) in single precision.
#pragma once

#include "image/PixelRegion.h"

namespace pixora {

void Scale8(const ScaledRegion& region);
void Scale24(const ScaledRegion& region);

}  // namespace pixora
