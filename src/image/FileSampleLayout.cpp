#include "image/FileSampleLayout.h"

namespace pixora {

namespace {

struct DepthLayout {
    uint32_t bitsPerPixel;
    FileSampleLayout layout;
};

constexpr DepthLayout kLayouts[] = {
    {8, {8, 1}}, {16, {16, 1}}, {24, {8, 3}}, {32, {8, 4}}, {48, {16, 3}}, {64, {16, 4}},
};

}  // namespace

bool FileSampleLayoutFor(uint32_t bitsPerPixel, FileSampleLayout* layout) {
    for (const DepthLayout& entry : kLayouts) {
        if (entry.bitsPerPixel == bitsPerPixel) {
            *layout = entry.layout;
            return true;
        }
    }
    return false;
}

}  // namespace pixora
