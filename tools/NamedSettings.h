// The camera settings that `pixora get`, `pixora set` and `pixora info` reach by name: the
// controls the library describes at run time (PixoraEx_GetControlInfo), with the values
// each takes. Nothing of a control is written here: a row the library adds is a setting.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "PixoraExtensions.h"
#include "PixoraSdk_530TZ.h"

namespace pixora::cli {

using NamedSetting = PixoraControlInfo;

struct ValueRange {
    int32_t min;
    int32_t max;
};

// Every control of the library, in its order.
std::span<const NamedSetting> AllSettings();

// The control of that name or of one of its aliases ("gain", "exposure"); null if none.
const NamedSetting* FindSetting(std::string_view name);

// The control behind a PIXORA_FILTER_* index; null if none.
const NamedSetting* SettingOfFilter(int32_t filterIndex);

bool IsRefused(const NamedSetting& setting);

// The values the command line takes: the library's range, every value for a control that
// takes any (nonzero is 1 for a boolean), three bytes for one written as 0xBBGGRR; empty
// for a control this camera refuses.
std::optional<ValueRange> RangeOf(const NamedSetting& setting);
// The values for people: "-255..255", "0xBBGGRR", "any", "8,16,24,32,48,64", "refused".
std::string RangeText(const NamedSetting& setting);
// The description, with an enumeration's values: "... (0 off, 1 exposure, 2 gain)".
std::string Meaning(const NamedSetting& setting);

// The value as it is entered: decimal, or 0xBBGGRR for a control shown in hexadecimal.
std::string FormatValue(const NamedSetting& setting, int32_t value);

// `text` as a value of the setting (a number, or an enumeration's value name); throws
// UsageError naming `what` and the setting's values when it is none of them.
int32_t ParseValue(const NamedSetting& setting, std::string_view text, std::string_view what);

// What the camera itself keeps of a value it is sent, where it keeps less than it takes.
std::optional<ValueRange> CameraKeeps(const NamedSetting& setting);

// Reads the setting; empty on failure (the code stays recorded in the camera).
std::optional<int32_t> ReadSetting(PIXORA_HANDLE camera, const NamedSetting& setting);

// Writes the setting; false on failure (the code stays recorded in the camera).
bool WriteSetting(PIXORA_HANDLE camera, const NamedSetting& setting, int32_t value);

}  // namespace pixora::cli
