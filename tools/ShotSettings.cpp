#include "ShotSettings.h"

#include <algorithm>
#include <cstdio>
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

std::string ShotOptionsHelp() {
    std::string help;
    for (const ShotOption& option : kValueOptions) {
        const NamedSetting* setting = FindSetting(option.setting);
        char line[160];
        std::snprintf(line, sizeof line, "  --%-15s %-10s %s\n", option.option,
                      RangeText(*setting).c_str(), setting->meaning);
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
            const int32_t value =
                ParseValue(*FindSetting(option.setting), *text, std::string("--") + option.option);
            request.values.emplace_back(option.setting, value);
        }
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
        // The camera may keep an exposure (1068) that the library does not take back.
        if (const std::optional<ValueRange> range = RangeOf(*it->setting))
            value = std::clamp(value, range->min, range->max);
        WriteSetting(camera_.Handle(), *it->setting, value);
    }
    saved_.clear();
}

}  // namespace pixora::cli
