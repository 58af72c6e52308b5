// The camera settings that `pixora get` and `pixora set` reach by name: the 27 filter
// values and the vertical mirror and automatic exposure modes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "PixoraSdk_530TZ.h"

namespace pixora::cli {

struct NamedSetting {
    const char* name;
    int32_t filterIndex;  // PIXORA_FILTER_*, or 0 for the settings with exports of their own
    const char* range;    // what the library accepts, for the help text
    const char* meaning;
};

std::span<const NamedSetting> AllSettings();

// The setting of that name (or of one of the short names "gain", "exposure"); null if none.
const NamedSetting* FindSetting(std::string_view name);

// Reads the setting; empty on failure (the code stays recorded in the camera).
std::optional<int32_t> ReadSetting(PIXORA_HANDLE camera, const NamedSetting& setting);

// Writes the setting; false on failure (the code stays recorded in the camera).
bool WriteSetting(PIXORA_HANDLE camera, const NamedSetting& setting, int32_t value);

}  // namespace pixora::cli
