// The sensor's size in pixels: the largest capture window, and the window a first run
// stores as the capture format.
#pragma once

#include <cstdint>

namespace pixora {

inline constexpr int32_t kSensorWidth = 1360;
inline constexpr int32_t kSensorHeight = 1024;

}  // namespace pixora
