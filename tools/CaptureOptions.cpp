#include "CaptureOptions.h"

#include <string>

namespace pixora::cli {

std::optional<int32_t> BitsOption(const Arguments& args) {
    const std::string* text = args.Value("bits");
    if (text == nullptr)
        return std::nullopt;
    const std::optional<int64_t> bits = ParseInteger(*text);
    if (bits) {
        for (int64_t mode : {8, 16, 24, 32, 48, 64}) {
            if (*bits == mode)
                return static_cast<int32_t>(mode);
        }
    }
    throw UsageError("--bits must be 8, 16, 24, 32, 48 or 64, not '" + *text + "'");
}

bool ApplyColorMode(Camera& camera, std::optional<int32_t> bits) {
    if (!bits)
        return true;
    if (Pixora_SetColorMode(camera.Handle(), *bits) == 1)
        return true;
    camera.ReportFailure("setting the colour mode to " + std::to_string(*bits) + " bits");
    return false;
}

}  // namespace pixora::cli
