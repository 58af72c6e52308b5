// Options shared by the commands that capture: the colour mode (--bits).
#pragma once

#include <cstdint>
#include <optional>

#include "Camera.h"
#include "CommandLine.h"

namespace pixora::cli {

// --bits as 8, 16, 24, 32, 48 or 64; empty when not given (the stored mode is kept).
std::optional<int32_t> BitsOption(const Arguments& args);

// Switches the camera to `bits` when given; reports a refusal and returns false.
bool ApplyColorMode(Camera& camera, std::optional<int32_t> bits);

inline constexpr const char* kBitsHelp =
    "  --bits B          colour mode: 8, 16 (gray, 8 or 10 bits), 24, 32, 48, 64 (colour);\n"
    "                    default: the stored mode\n";

}  // namespace pixora::cli
