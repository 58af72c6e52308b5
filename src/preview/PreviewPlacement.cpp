#include "preview/PreviewPlacement.h"

#include <cstdint>
#include <cstdio>
#include <random>

#include "platform/Clock.h"

namespace pixora {

PreviewClientSize TopLevelClientSize(int32_t imageWidth, int32_t imageHeight,
                                     int32_t subSampleStep) {
    int32_t divisor = 1;
    if (subSampleStep >= 1 && subSampleStep <= 3) {
        divisor = 1 << subSampleStep;
    }
    return PreviewClientSize{imageWidth / divisor, imageHeight / divisor};
}

std::string PreviewClassName(const void* owner) {
    std::random_device random;
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(owner));
    const uint32_t unique = static_cast<uint32_t>(random()) + TimeGetTime();
    char name[256];
    std::snprintf(name, sizeof name, "VideoRenderer_%08x_%08x", static_cast<unsigned>(address),
                  static_cast<unsigned>(unique));
    return name;
}

}  // namespace pixora
