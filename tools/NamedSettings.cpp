#include "NamedSettings.h"

#include <array>

namespace pixora::cli {

namespace {

constexpr int32_t kMirrorV = -1;
constexpr int32_t kAutoIris = -2;

constexpr std::array kSettings = {
    NamedSetting{"brightness", PIXORA_FILTER_BRIGHTNESS, "-255..255", "added to every sample"},
    NamedSetting{"contrast", PIXORA_FILTER_CONTRAST, "-127..127", "contrast around mid-grey"},
    NamedSetting{"hue", PIXORA_FILTER_HUE, "-360..360", "hue rotation in degrees"},
    NamedSetting{"saturation", PIXORA_FILTER_SATURATION, "-255..255", "colour saturation"},
    NamedSetting{"sharpness", PIXORA_FILTER_SHARPNESS, "0..30", "sharpening strength"},
    NamedSetting{"bayer-gain-rgb", PIXORA_FILTER_BAYER_GAIN_RGB, "0xBBGGRR",
                 "white-balance gains red, green, blue packed in one value (one byte each)"},
    NamedSetting{"bayer-gain-red", PIXORA_FILTER_BAYER_GAIN_RED, "0..400",
                 "white-balance gain of red in percent"},
    NamedSetting{"bayer-gain-green", PIXORA_FILTER_BAYER_GAIN_GREEN, "0..400",
                 "white-balance gain of green in percent"},
    NamedSetting{"bayer-gain-blue", PIXORA_FILTER_BAYER_GAIN_BLUE, "0..400",
                 "white-balance gain of blue in percent"},
    NamedSetting{"bayer-gain-auto", PIXORA_FILTER_BAYER_GAIN_AUTO, "0 or 1",
                 "measure white balance on every colour frame"},
    NamedSetting{"gamma", PIXORA_FILTER_GAMMA, "0..200", "gamma, 100 leaves the picture as is"},
    NamedSetting{"bayer-mode", PIXORA_FILTER_BAYER_MODE, "0..3",
                 "colour of the first sensor sample (3 for this camera)"},
    NamedSetting{"global-gain", PIXORA_FILTER_GLOBAL_GAIN, "0..1023", "analog gain of the sensor"},
    NamedSetting{"color-gain-red", PIXORA_FILTER_COLOR_GAIN_RED, "-", "refused by this camera"},
    NamedSetting{"color-gain-green1", PIXORA_FILTER_COLOR_GAIN_GREEN1, "-",
                 "refused by this camera"},
    NamedSetting{"color-gain-green2", PIXORA_FILTER_COLOR_GAIN_GREEN2, "-",
                 "refused by this camera"},
    NamedSetting{"color-gain-blue", PIXORA_FILTER_COLOR_GAIN_BLUE, "-", "refused by this camera"},
    NamedSetting{"exposure-time", PIXORA_FILTER_EXPOSURE_TIME, "0..1067",
                 "exposure (the camera keeps 8..1068)"},
    NamedSetting{"gray-mode", PIXORA_FILTER_GRAY_MODE, "0..2",
                 "0 colour, 1 gray gains and offsets, 2 automatic gray gains"},
    NamedSetting{"gray-gain-r", PIXORA_FILTER_GRAY_GAIN_R, "0..255", "gray gain of red sites"},
    NamedSetting{"gray-gain-g1", PIXORA_FILTER_GRAY_GAIN_G1, "0..255",
                 "gray gain of green sites on red rows"},
    NamedSetting{"gray-gain-g2", PIXORA_FILTER_GRAY_GAIN_G2, "0..255",
                 "gray gain of green sites on blue rows"},
    NamedSetting{"gray-gain-b", PIXORA_FILTER_GRAY_GAIN_B, "0..255", "gray gain of blue sites"},
    NamedSetting{"gray-offset-r", PIXORA_FILTER_GRAY_OFFSET_R, "-255..255",
                 "gray offset of red sites"},
    NamedSetting{"gray-offset-g1", PIXORA_FILTER_GRAY_OFFSET_G1, "-255..255",
                 "gray offset of green sites on red rows"},
    NamedSetting{"gray-offset-g2", PIXORA_FILTER_GRAY_OFFSET_G2, "-255..255",
                 "gray offset of green sites on blue rows"},
    NamedSetting{"gray-offset-b", PIXORA_FILTER_GRAY_OFFSET_B, "-255..255",
                 "gray offset of blue sites"},
    NamedSetting{"mirror-v", kMirrorV, "0 or 1", "turn the picture upside down"},
    NamedSetting{"auto-iris", kAutoIris, "0..2", "0 off, 1 automatic exposure, 2 automatic gain"},
};

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
