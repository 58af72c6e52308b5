// The camera settings that `pixora get` and `pixora set` reach by name: the 27 filter
// values and the vertical mirror and automatic exposure modes, with the values each takes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "PixoraSdk_530TZ.h"

namespace pixora::cli {

struct NamedSetting {
    const char* name;
    int32_t filterIndex;  // PIXORA_FILTER_*, or negative for the settings with exports of their own
    const char* meaning;
};

struct ValueRange {
    int32_t min;
    int32_t max;
};

std::span<const NamedSetting> AllSettings();

// The setting of that name (or of one of the short names "gain", "exposure"); null if none.
const NamedSetting* FindSetting(std::string_view name);

// The values the setting takes: for a filter value, the range the library reports for its
// index; empty for a setting this camera always refuses.
std::optional<ValueRange> RangeOf(const NamedSetting& setting);
// The range for people: "-255..255", "0xBBGGRR", "any", "refused".
std::string RangeText(const NamedSetting& setting);

// The value as it is entered: decimal, or 0xBBGGRR for the packed white-balance gains.
std::string FormatValue(const NamedSetting& setting, int32_t value);

// `text` as a value of the setting; throws UsageError naming `what` and the setting's range
// when it is no number or out of the range.
int32_t ParseValue(const NamedSetting& setting, std::string_view text, std::string_view what);

// What the camera itself keeps of a value it is sent (gain and exposure, from its
// information record); empty for the other settings or when the record cannot be read.
std::optional<ValueRange> CameraKeeps(PIXORA_HANDLE camera, const NamedSetting& setting);

// Reads the setting; empty on failure (the code stays recorded in the camera).
std::optional<int32_t> ReadSetting(PIXORA_HANDLE camera, const NamedSetting& setting);

// Writes the setting; false on failure (the code stays recorded in the camera).
bool WriteSetting(PIXORA_HANDLE camera, const NamedSetting& setting, int32_t value);

}  // namespace pixora::cli
