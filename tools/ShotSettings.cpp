#include "ShotSettings.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace pixora::cli {

namespace {

// The command line's options for one shot, and the filter value each sets; the values they
// take and their meaning are the library's.
struct ShotOption {
    const char* option;
    int32_t filterIndex;
};

constexpr ShotOption kValueOptions[] = {
    {"gain", PIXORA_FILTER_GLOBAL_GAIN},      {"exposure", PIXORA_FILTER_EXPOSURE_TIME},
    {"bayer-mode", PIXORA_FILTER_BAYER_MODE}, {"brightness", PIXORA_FILTER_BRIGHTNESS},
    {"contrast", PIXORA_FILTER_CONTRAST},     {"hue", PIXORA_FILTER_HUE},
    {"saturation", PIXORA_FILTER_SATURATION}, {"sharpness", PIXORA_FILTER_SHARPNESS},
    {"gamma", PIXORA_FILTER_GAMMA},
};

constexpr int32_t kMeasuredGains[] = {PIXORA_FILTER_BAYER_GAIN_RED, PIXORA_FILTER_BAYER_GAIN_GREEN,
                                      PIXORA_FILTER_BAYER_GAIN_BLUE};

}  // namespace

std::string ShotOptionsHelp() {
    std::string help;
    for (const ShotOption& option : kValueOptions) {
        const NamedSetting* setting = SettingOfFilter(option.filterIndex);
        char line[256];
        std::snprintf(line, sizeof line, "  --%-15s %-10s %s\n", option.option,
                      RangeText(*setting).c_str(), Meaning(*setting).c_str());
        help += line;
    }
    return help +
           "  --white-balance   measure the white balance on this picture\n"
           "  These apply to this run only; the stored settings are put back afterwards\n"
           "  (use 'pixora set' to change them for good).\n";
}

std::vector<OptionInfo> ShotOptionList() {
    std::vector<OptionInfo> list;
    for (const ShotOption& option : kValueOptions)
        list.push_back({option.option, true});
    list.push_back({"white-balance", false});
    return list;
}

ShotRequest ParseShotOptions(const Arguments& args) {
    ShotRequest request;
    for (const ShotOption& option : kValueOptions) {
        if (const std::string* text = args.Value(option.option)) {
            const NamedSetting* setting = SettingOfFilter(option.filterIndex);
            const int32_t value = ParseValue(*setting, *text, std::string("--") + option.option);
            request.values.emplace_back(setting, value);
        }
    }
    request.whiteBalance = args.Has("white-balance");
    return request;
}

bool TemporarySettings::Apply(const ShotRequest& request) {
    for (const auto& [setting, value] : request.values) {
        if (!Change(*setting, value))
            return false;
    }
    if (request.whiteBalance) {
        // The gains it measures are kept for the run and restored with the request.
        for (const int32_t gain : kMeasuredGains) {
            const NamedSetting* setting = SettingOfFilter(gain);
            if (const std::optional<int32_t> old = ReadSetting(camera_.Handle(), *setting))
                saved_.push_back({setting, *old});
        }
        if (!Change(*SettingOfFilter(PIXORA_FILTER_BAYER_GAIN_AUTO), 1))
            return false;
    }
    return true;
}

bool TemporarySettings::Change(const NamedSetting& setting, int32_t value) {
    const std::optional<int32_t> old = ReadSetting(camera_.Handle(), setting);
    if (!old) {
        camera_.ReportFailure(std::string("reading ") + setting.name);
        return false;
    }
    saved_.push_back({&setting, *old});
    if (!WriteSetting(camera_.Handle(), setting, value)) {
        camera_.ReportFailure("setting " + std::string(setting.name) + " to " +
                              std::to_string(value));
        return false;
    }
    return true;
}

void TemporarySettings::EndWhiteBalance() {
    if (const NamedSetting* setting = SettingOfFilter(PIXORA_FILTER_BAYER_GAIN_AUTO))
        WriteSetting(camera_.Handle(), *setting, 0);
}

void TemporarySettings::Restore() {
    if (camera_.Handle() == nullptr) {
        saved_.clear();
        return;
    }
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        int32_t value = it->value;
        // The camera may keep an exposure (1068) that the library does not take back.
        if (const std::optional<ValueRange> range = RangeOf(*it->setting))
            value = std::clamp(value, range->min, range->max);
        WriteSetting(camera_.Handle(), *it->setting, value);
    }
    saved_.clear();
}

}  // namespace pixora::cli
