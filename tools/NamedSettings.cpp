#include "NamedSettings.h"

#include <cstdio>
#include <limits>
#include <vector>

#include "CommandLine.h"
#include "LibraryTable.h"

namespace pixora::cli {

namespace {

// A value shown as 0xBBGGRR is entered as its three bytes; the library ignores bits 24..31
// of what it takes, so a value that sets them is refused here rather than cut down.
constexpr ValueRange kThreeBytes{0, 0xFFFFFF};
constexpr ValueRange kAnyValue{std::numeric_limits<int32_t>::min(),
                               std::numeric_limits<int32_t>::max()};

bool Has(const NamedSetting& setting, int32_t flag) {
    return (setting.flags & flag) != 0;
}

std::string Hex(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(value));
    return text;
}

bool IsEnumeration(const NamedSetting& setting) {
    return setting.kind == PIXORA_CONTROL_ENUMERATION && setting.valueCount > 0;
}

// True when the enumeration's values are every number of minimum..maximum.
bool Contiguous(const NamedSetting& setting) {
    return setting.maximum - setting.minimum + 1 == setting.valueCount;
}

std::string ValueNames(const NamedSetting& setting) {
    std::string names;
    for (int32_t i = 0; i < setting.valueCount; ++i)
        names += (i > 0 ? ", " : "") + std::to_string(setting.values[i].value) + " " +
                 setting.values[i].name;
    return names;
}

}  // namespace

std::span<const NamedSetting> AllSettings() {
    // The library's table, read once: its texts stay valid while the library is loaded.
    static const std::vector<NamedSetting> settings =
        ReadLibraryTable<PixoraControlInfo>(PixoraEx_GetControlCount(), PixoraEx_GetControlInfo);
    return settings;
}

const NamedSetting* FindSetting(std::string_view name) {
    const int32_t id = PixoraEx_FindControl(std::string(name).c_str());
    for (const NamedSetting& setting : AllSettings()) {
        if (setting.id == id)
            return &setting;
    }
    return nullptr;
}

const NamedSetting* SettingOfFilter(int32_t filterIndex) {
    for (const NamedSetting& setting : AllSettings()) {
        if (setting.filterIndex == filterIndex && filterIndex != 0)
            return &setting;
    }
    return nullptr;
}

bool IsRefused(const NamedSetting& setting) {
    return Has(setting, PIXORA_CONTROL_REFUSED);
}

std::optional<ValueRange> RangeOf(const NamedSetting& setting) {
    if (IsRefused(setting))
        return std::nullopt;
    if (Has(setting, PIXORA_CONTROL_HEX))
        return ValueRange{std::max(setting.minimum, kThreeBytes.min),
                          std::min(setting.maximum, kThreeBytes.max)};
    if (Has(setting, PIXORA_CONTROL_ANY_VALUE))
        return kAnyValue;
    return ValueRange{setting.minimum, setting.maximum};
}

std::string RangeText(const NamedSetting& setting) {
    const std::optional<ValueRange> range = RangeOf(setting);
    if (!range)
        return "refused";
    if (Has(setting, PIXORA_CONTROL_HEX))
        return "0xBBGGRR";
    if (range->min == kAnyValue.min && range->max == kAnyValue.max)
        return "any";
    if (IsEnumeration(setting) && !Contiguous(setting)) {
        std::string values;
        for (int32_t i = 0; i < setting.valueCount; ++i)
            values += (i > 0 ? "," : "") + std::to_string(setting.values[i].value);
        return values;
    }
    return std::to_string(range->min) + ".." + std::to_string(range->max);
}

std::string Meaning(const NamedSetting& setting) {
    std::string meaning = setting.description;
    if (IsEnumeration(setting))
        meaning += " (" + ValueNames(setting) + ")";
    else if (setting.unit[0] != '\0')
        meaning += std::string(" (") + setting.unit + ")";
    return meaning;
}

std::string FormatValue(const NamedSetting& setting, int32_t value) {
    return Has(setting, PIXORA_CONTROL_HEX) ? Hex(value) : std::to_string(value);
}

int32_t ParseValue(const NamedSetting& setting, std::string_view text, std::string_view what) {
    const std::optional<ValueRange> range = RangeOf(setting);
    if (!range)
        throw UsageError(std::string(setting.name) + " cannot be set: this camera refuses it");
    if (IsEnumeration(setting)) {
        const std::optional<int64_t> number = ParseInteger(text);
        for (int32_t i = 0; i < setting.valueCount; ++i) {
            const PixoraControlValue& value = setting.values[i];
            if (text == value.name || (number && *number == value.value))
                return value.value;
        }
        throw UsageError(std::string(what) + " must be one of " + ValueNames(setting) + ", not '" +
                         std::string(text) + "'");
    }
    if (!Has(setting, PIXORA_CONTROL_HEX))
        return CheckedInteger(text, range->min, range->max, what);
    const std::optional<int64_t> value = ParseInteger(text);
    if (!value || *value < range->min || *value > range->max) {
        throw UsageError(std::string(what) + " must be 0xBBGGRR (blue, green, red) from " +
                         Hex(range->min) + " to " + Hex(range->max) + ", not '" +
                         std::string(text) + "'");
    }
    return static_cast<int32_t>(*value);
}

std::optional<ValueRange> CameraKeeps(const NamedSetting& setting) {
    if (!Has(setting, PIXORA_CONTROL_CAMERA_CLAMPS))
        return std::nullopt;
    return ValueRange{setting.cameraMinimum, setting.cameraMaximum};
}

std::optional<int32_t> ReadSetting(PIXORA_HANDLE camera, const NamedSetting& setting) {
    int32_t value = 0;
    if (PixoraEx_GetControl(camera, setting.id, &value) != 1)
        return std::nullopt;
    return value;
}

bool WriteSetting(PIXORA_HANDLE camera, const NamedSetting& setting, int32_t value) {
    return PixoraEx_SetControl(camera, setting.id, value) == 1;
}

}  // namespace pixora::cli
