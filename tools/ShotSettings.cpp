#include "ShotSettings.h"

#include <limits>
#include <string>

namespace pixora::cli {

namespace {

struct ShotOption {
    const char* option;
    const char* setting;
};

constexpr ShotOption kValueOptions[] = {
    {"gain", "global-gain"},      {"exposure", "exposure-time"}, {"bayer-mode", "bayer-mode"},
    {"brightness", "brightness"}, {"contrast", "contrast"},      {"hue", "hue"},
    {"saturation", "saturation"}, {"sharpness", "sharpness"},    {"gamma", "gamma"},
};

}  // namespace

const char* const kShotOptionsHelp =
    "  --gain G          analog gain 0..1023\n"
    "  --exposure E      exposure 0..1067\n"
    "  --white-balance   measure the white balance on this picture\n"
    "  --bayer-mode M    colour of the first sensor sample 0..3\n"
    "  --brightness B    -255..255      --contrast C   -127..127\n"
    "  --hue H           -360..360      --saturation S -255..255\n"
    "  --sharpness S     0..30          --gamma G      0..200 (100: unchanged)\n"
    "  These apply to this run only; the stored settings are put back afterwards\n"
    "  (use 'pixora set' to change them for good).\n";

std::vector<OptionInfo> ShotOptionList() {
    std::vector<OptionInfo> list;
    for (const ShotOption& option : kValueOptions)
        list.push_back({option.option, true});
    list.push_back({"white-balance", false});
    return list;
}

ShotRequest ParseShotOptions(const Arguments& args) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    ShotRequest request;
    for (const ShotOption& option : kValueOptions) {
        if (const std::optional<int32_t> value = args.OptionalInteger(option.option, kMin, kMax))
            request.values.emplace_back(option.setting, *value);
    }
    request.whiteBalance = args.Has("white-balance");
    return request;
}

bool TemporarySettings::Apply(const ShotRequest& request) {
    for (const auto& [name, value] : request.values) {
        if (!Change(name, value))
            return false;
    }
    if (request.whiteBalance) {
        // The gains it measures are kept for the run and restored with the request.
        for (const char* gain : {"bayer-gain-red", "bayer-gain-green", "bayer-gain-blue"}) {
            const NamedSetting* setting = FindSetting(gain);
            if (const std::optional<int32_t> old = ReadSetting(camera_.Handle(), *setting))
                saved_.push_back({setting, *old});
        }
        if (!Change("bayer-gain-auto", 1))
            return false;
    }
    return true;
}

bool TemporarySettings::Change(const char* name, int32_t value) {
    const NamedSetting* setting = FindSetting(name);
    const std::optional<int32_t> old = ReadSetting(camera_.Handle(), *setting);
    if (!old) {
        camera_.ReportFailure(std::string("reading ") + name);
        return false;
    }
    saved_.push_back({setting, *old});
    if (!WriteSetting(camera_.Handle(), *setting, value)) {
        camera_.ReportFailure("setting " + std::string(name) + " to " + std::to_string(value));
        return false;
    }
    return true;
}

void TemporarySettings::EndWhiteBalance() {
    if (const NamedSetting* setting = FindSetting("bayer-gain-auto"))
        WriteSetting(camera_.Handle(), *setting, 0);
}

void TemporarySettings::Restore() {
    if (camera_.Handle() == nullptr) {
        saved_.clear();
        return;
    }
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        int32_t value = it->value;
        // The camera reports exposures up to 1068 but takes at most 1067.
        if (it->setting->filterIndex == PIXORA_FILTER_EXPOSURE_TIME && value > 1067)
            value = 1067;
        WriteSetting(camera_.Handle(), *it->setting, value);
    }
    saved_.clear();
}

}  // namespace pixora::cli
