#include "NamedSettings.h"

#include <array>
#include <cstdio>
#include <limits>

#include "CommandLine.h"
#include "PixoraExtensions.h"

namespace pixora::cli {

namespace {

constexpr int32_t kMirrorV = -1;
constexpr int32_t kAutoIris = -2;
// The modes Pixora_SetAutoIris takes; the mirror flag takes any value (nonzero: on).
constexpr ValueRange kAutoIrisModes{0, 2};
constexpr ValueRange kAnyValue{std::numeric_limits<int32_t>::min(),
                               std::numeric_limits<int32_t>::max()};
// The packed gains are entered as three bytes; the library ignores bits 24..31, so a value
// that sets them is refused here rather than cut down.
constexpr ValueRange kPackedGains{0, 0xFFFFFF};

constexpr std::array kSettings = {
    NamedSetting{"brightness", PIXORA_FILTER_BRIGHTNESS, "added to every sample"},
    NamedSetting{"contrast", PIXORA_FILTER_CONTRAST, "contrast around mid-grey"},
    NamedSetting{"hue", PIXORA_FILTER_HUE, "hue rotation in degrees"},
    NamedSetting{"saturation", PIXORA_FILTER_SATURATION, "colour saturation"},
    NamedSetting{"sharpness", PIXORA_FILTER_SHARPNESS, "sharpening strength"},
    NamedSetting{"bayer-gain-rgb", PIXORA_FILTER_BAYER_GAIN_RGB,
                 "white-balance gains blue, green, red packed in one value (one byte each)"},
    NamedSetting{"bayer-gain-red", PIXORA_FILTER_BAYER_GAIN_RED,
                 "white-balance gain of red in percent"},
    NamedSetting{"bayer-gain-green", PIXORA_FILTER_BAYER_GAIN_GREEN,
                 "white-balance gain of green in percent"},
    NamedSetting{"bayer-gain-blue", PIXORA_FILTER_BAYER_GAIN_BLUE,
                 "white-balance gain of blue in percent"},
    NamedSetting{"bayer-gain-auto", PIXORA_FILTER_BAYER_GAIN_AUTO,
                 "nonzero: measure white balance on every colour frame (kept as 1)"},
    NamedSetting{"gamma", PIXORA_FILTER_GAMMA, "gamma, 100 leaves the picture as is"},
    NamedSetting{"bayer-mode", PIXORA_FILTER_BAYER_MODE,
                 "colour of the first sensor sample (3 for this camera)"},
    NamedSetting{"global-gain", PIXORA_FILTER_GLOBAL_GAIN, "analog gain of the sensor"},
    NamedSetting{"color-gain-red", PIXORA_FILTER_COLOR_GAIN_RED, "refused by this camera"},
    NamedSetting{"color-gain-green1", PIXORA_FILTER_COLOR_GAIN_GREEN1, "refused by this camera"},
    NamedSetting{"color-gain-green2", PIXORA_FILTER_COLOR_GAIN_GREEN2, "refused by this camera"},
    NamedSetting{"color-gain-blue", PIXORA_FILTER_COLOR_GAIN_BLUE, "refused by this camera"},
    NamedSetting{"exposure-time", PIXORA_FILTER_EXPOSURE_TIME,
                 "exposure; the camera keeps the nearest of 8..1068"},
    NamedSetting{"gray-mode", PIXORA_FILTER_GRAY_MODE,
                 "0 colour, 1 gray gains and offsets, 2 automatic gray gains"},
    NamedSetting{"gray-gain-r", PIXORA_FILTER_GRAY_GAIN_R, "gray gain of red sites"},
    NamedSetting{"gray-gain-g1", PIXORA_FILTER_GRAY_GAIN_G1,
                 "gray gain of green sites on red rows"},
    NamedSetting{"gray-gain-g2", PIXORA_FILTER_GRAY_GAIN_G2,
                 "gray gain of green sites on blue rows"},
    NamedSetting{"gray-gain-b", PIXORA_FILTER_GRAY_GAIN_B, "gray gain of blue sites"},
    NamedSetting{"gray-offset-r", PIXORA_FILTER_GRAY_OFFSET_R, "gray offset of red sites"},
    NamedSetting{"gray-offset-g1", PIXORA_FILTER_GRAY_OFFSET_G1,
                 "gray offset of green sites on red rows"},
    NamedSetting{"gray-offset-g2", PIXORA_FILTER_GRAY_OFFSET_G2,
                 "gray offset of green sites on blue rows"},
    NamedSetting{"gray-offset-b", PIXORA_FILTER_GRAY_OFFSET_B, "gray offset of blue sites"},
    NamedSetting{"mirror-v", kMirrorV, "nonzero turns the picture upside down (kept as 1)"},
    NamedSetting{"auto-iris", kAutoIris, "0 off, 1 automatic exposure, 2 automatic gain"},
};

bool IsPacked(const NamedSetting& setting) {
    return setting.filterIndex == PIXORA_FILTER_BAYER_GAIN_RGB;
}

std::string Hex(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", static_cast<unsigned>(value));
    return text;
}

}  // namespace

std::span<const NamedSetting> AllSettings() {
    return kSettings;
}

const NamedSetting* FindSetting(std::string_view name) {
    if (name == "gain")
        name = "global-gain";
    else if (name == "exposure")
        name = "exposure-time";
    for (const NamedSetting& setting : kSettings) {
        if (name == setting.name)
            return &setting;
    }
    return nullptr;
}

std::optional<ValueRange> RangeOf(const NamedSetting& setting) {
    switch (setting.filterIndex) {
        case kMirrorV:
            return kAnyValue;
        case kAutoIris:
            return kAutoIrisModes;
        default:
            break;
    }
    ValueRange range{};
    if (PixoraEx_GetFilterRange(setting.filterIndex, &range.min, &range.max) != 1)
        return std::nullopt;
    if (IsPacked(setting))
        return ValueRange{std::max(range.min, kPackedGains.min),
                          std::min(range.max, kPackedGains.max)};
    return range;
}

std::string RangeText(const NamedSetting& setting) {
    const std::optional<ValueRange> range = RangeOf(setting);
    if (!range)
        return "refused";
    if (IsPacked(setting))
        return "0xBBGGRR";
    if (range->min == kAnyValue.min && range->max == kAnyValue.max)
        return "any";
    return std::to_string(range->min) + ".." + std::to_string(range->max);
}

std::string FormatValue(const NamedSetting& setting, int32_t value) {
    return IsPacked(setting) ? Hex(value) : std::to_string(value);
}

int32_t ParseValue(const NamedSetting& setting, std::string_view text, std::string_view what) {
    const std::optional<ValueRange> range = RangeOf(setting);
    if (!range)
        throw UsageError(std::string(setting.name) + " cannot be set: this camera refuses it");
    if (!IsPacked(setting))
        return CheckedInteger(text, range->min, range->max, what);
    const std::optional<int64_t> value = ParseInteger(text);
    if (!value || *value < range->min || *value > range->max) {
        throw UsageError(std::string(what) + " must be 0xBBGGRR (blue, green, red) from " +
                         Hex(range->min) + " to " + Hex(range->max) + ", not '" +
                         std::string(text) + "'");
    }
    return static_cast<int32_t>(*value);
}

std::optional<ValueRange> CameraKeeps(PIXORA_HANDLE camera, const NamedSetting& setting) {
    if (setting.filterIndex != PIXORA_FILTER_GLOBAL_GAIN &&
        setting.filterIndex != PIXORA_FILTER_EXPOSURE_TIME)
        return std::nullopt;
    PixoraCameraInfo info{};
    info.size = sizeof info;
    if (Pixora_GetCameraInfo(camera, &info) != 1)
        return std::nullopt;
    if (setting.filterIndex == PIXORA_FILTER_GLOBAL_GAIN)
        return ValueRange{info.gainMin, info.gainMax};
    return ValueRange{info.exposureMin, info.exposureMax};
}

std::optional<int32_t> ReadSetting(PIXORA_HANDLE camera, const NamedSetting& setting) {
    int32_t ok = 0;
    int32_t value = 0;
    switch (setting.filterIndex) {
        case kMirrorV:
            // Its result is the flag itself; it fails only for a session without a device
            // object, which every other request then reports.
            value = Pixora_GetMirrorV(camera);
            ok = 1;
            break;
        case kAutoIris:
            value = Pixora_GetAutoIris(camera, &ok);
            break;
        default:
            value = Pixora_GetFilterValue(camera, setting.filterIndex, &ok);
            break;
    }
    if (ok != 1)
        return std::nullopt;
    return value;
}

bool WriteSetting(PIXORA_HANDLE camera, const NamedSetting& setting, int32_t value) {
    switch (setting.filterIndex) {
        case kMirrorV:
            return Pixora_SetMirrorV(camera, value) == 1;
        case kAutoIris:
            return Pixora_SetAutoIris(camera, value) == 1;
        default:
            return Pixora_SetFilterValue(camera, setting.filterIndex, value) == 1;
    }
}

}  // namespace pixora::cli
