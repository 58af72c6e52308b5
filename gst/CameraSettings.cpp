#include "CameraSettings.h"

#include <algorithm>
#include <climits>

#include "PixoraExtensions.h"

namespace pixora::gst {

namespace {

constexpr int32_t kNoFilter = 0;

const std::vector<SettingInfo> kSettings = {
    {"gain", "Gain", "Analog gain of the camera (-1: the camera's stored gain)",
     SettingKind::Filter, PIXORA_FILTER_GLOBAL_GAIN, -1, true},
    {"exposure", "Exposure",
     "Exposure of the camera in its own units; the camera keeps 8..1068 of it (-1: the "
     "camera's stored exposure)",
     SettingKind::Filter, PIXORA_FILTER_EXPOSURE_TIME, -1, true},
    {"auto-exposure", "Automatic exposure",
     "Automatic exposure: off, by exposure or by gain (unset: the camera's stored mode)",
     SettingKind::AutoIris, kNoFilter, 0, false},
    {"brightness", "Brightness", "Brightness added to the picture (unset: the stored value)",
     SettingKind::Filter, PIXORA_FILTER_BRIGHTNESS, 0, false},
    {"contrast", "Contrast", "Contrast of the picture (unset: the stored value)",
     SettingKind::Filter, PIXORA_FILTER_CONTRAST, 0, false},
    {"hue", "Hue", "Hue rotation in degrees (unset: the stored value)", SettingKind::Filter,
     PIXORA_FILTER_HUE, 0, false},
    {"saturation", "Saturation", "Saturation of the colours (unset: the stored value)",
     SettingKind::Filter, PIXORA_FILTER_SATURATION, 0, false},
    {"sharpness", "Sharpness", "Sharpening of the picture (unset: the stored value)",
     SettingKind::Filter, PIXORA_FILTER_SHARPNESS, 0, false},
    {"gamma", "Gamma", "Gamma, 100 leaves the picture as it is (unset: the stored value)",
     SettingKind::Filter, PIXORA_FILTER_GAMMA, 100, false},
    {"white-balance-red", "White-balance red",
     "White-balance gain of red in percent, 100 is unity (unset: the stored gain)",
     SettingKind::Filter, PIXORA_FILTER_BAYER_GAIN_RED, 100, false},
    {"white-balance-green", "White-balance green",
     "White-balance gain of green in percent, 100 is unity (unset: the stored gain)",
     SettingKind::Filter, PIXORA_FILTER_BAYER_GAIN_GREEN, 100, false},
    {"white-balance-blue", "White-balance blue",
     "White-balance gain of blue in percent, 100 is unity (unset: the stored gain)",
     SettingKind::Filter, PIXORA_FILTER_BAYER_GAIN_BLUE, 100, false},
    {"flip-vertical", "Flip vertically", "Turn the picture upside down (unset: the stored flag)",
     SettingKind::MirrorV, kNoFilter, 0, false},
};

const SettingInfo& BalanceRequest() {
    static const SettingInfo request = {
        "white-balance", "", "", SettingKind::Filter, PIXORA_FILTER_BAYER_GAIN_AUTO, 0, false};
    return request;
}

}  // namespace

const std::vector<SettingInfo>& Settings() {
    return kSettings;
}

void SettingRange(const SettingInfo& setting, int32_t* minimum, int32_t* maximum) {
    switch (setting.kind) {
        case SettingKind::Filter:
            PixoraEx_GetFilterRange(setting.filterIndex, minimum, maximum);
            break;
        case SettingKind::AutoIris:
            *minimum = 0;
            *maximum = 2;
            break;
        case SettingKind::MirrorV:
            *minimum = 0;
            *maximum = 1;
            break;
    }
    if (setting.unsetIsMinusOne)
        *minimum = std::min(*minimum, -1);
}

CameraSettings::CameraSettings() : requested_(kSettings.size()) {}

std::optional<int32_t> CameraSettings::Read(const SettingInfo& setting) const {
    int32_t ok = 0;
    int32_t value = 0;
    switch (setting.kind) {
        case SettingKind::Filter:
            value = Pixora_GetFilterValue(camera_, setting.filterIndex, &ok);
            break;
        case SettingKind::AutoIris:
            value = Pixora_GetAutoIris(camera_, &ok);
            break;
        case SettingKind::MirrorV:
            // 0 is also its failure value; the handle is known while attached.
            value = Pixora_GetMirrorV(camera_);
            ok = 1;
            break;
    }
    if (ok == 0)
        return std::nullopt;
    return value;
}

bool CameraSettings::Write(const SettingInfo& setting, int32_t value) const {
    switch (setting.kind) {
        case SettingKind::Filter:
            return Pixora_SetFilterValue(camera_, setting.filterIndex, value) == 1;
        case SettingKind::AutoIris:
            return Pixora_SetAutoIris(camera_, value) == 1;
        case SettingKind::MirrorV:
            return Pixora_SetMirrorV(camera_, value) == 1;
    }
    return false;
}

void CameraSettings::Keep(const SettingInfo& setting) {
    for (const Saved& saved : saved_) {
        if (saved.setting == &setting)
            return;  // the value from before the first change is the one to put back
    }
    if (const std::optional<int32_t> old = Read(setting))
        saved_.push_back({&setting, *old});
}

bool CameraSettings::Apply(const SettingInfo& setting, int32_t value) {
    Keep(setting);
    return Write(setting, value);
}

bool CameraSettings::ApplyWhiteBalance(WhiteBalance mode) {
    // A measurement changes the three gains: they are put back with the request.
    if (mode != WhiteBalance::Off) {
        for (const SettingInfo& setting : kSettings) {
            if (setting.kind == SettingKind::Filter &&
                (setting.filterIndex == PIXORA_FILTER_BAYER_GAIN_RED ||
                 setting.filterIndex == PIXORA_FILTER_BAYER_GAIN_GREEN ||
                 setting.filterIndex == PIXORA_FILTER_BAYER_GAIN_BLUE))
                Keep(setting);
        }
    }
    onceAfter_.reset();
    if (mode == WhiteBalance::Once)
        onceAfter_ = lastSequence_;
    return Apply(BalanceRequest(), mode == WhiteBalance::Off ? 0 : 1);
}

bool CameraSettings::Request(size_t index, int32_t value) {
    std::lock_guard lock(mutex_);
    requested_.at(index) = value;
    if (camera_ == nullptr)
        return true;
    return Apply(kSettings[index], value);
}

void CameraSettings::Forget(size_t index) {
    std::lock_guard lock(mutex_);
    requested_.at(index).reset();
}

std::optional<int32_t> CameraSettings::Value(size_t index) const {
    std::lock_guard lock(mutex_);
    if (camera_ != nullptr) {
        if (const std::optional<int32_t> value = Read(kSettings.at(index)))
            return value;
    }
    return requested_.at(index);
}

void CameraSettings::RequestWhiteBalance(WhiteBalance mode) {
    std::lock_guard lock(mutex_);
    whiteBalance_ = mode;
    if (camera_ != nullptr)
        ApplyWhiteBalance(mode);
}

std::optional<WhiteBalance> CameraSettings::RequestedWhiteBalance() const {
    std::lock_guard lock(mutex_);
    return whiteBalance_;
}

bool CameraSettings::Attach(PIXORA_HANDLE camera, const char** refused) {
    std::lock_guard lock(mutex_);
    camera_ = camera;
    saved_.clear();
    lastSequence_ = 0;
    onceAfter_.reset();
    for (size_t i = 0; i < kSettings.size(); ++i) {
        if (requested_[i] && !Apply(kSettings[i], *requested_[i])) {
            *refused = kSettings[i].name;
            return false;
        }
    }
    if (whiteBalance_ && !ApplyWhiteBalance(*whiteBalance_)) {
        *refused = BalanceRequest().name;
        return false;
    }
    return true;
}

void CameraSettings::Detach() {
    std::lock_guard lock(mutex_);
    if (camera_ == nullptr)
        return;
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        int32_t value = it->value;
        // The camera may keep an exposure (1068) that the library does not take back.
        int32_t minimum = INT32_MIN;
        int32_t maximum = INT32_MAX;
        SettingRange(*it->setting, &minimum, &maximum);
        Write(*it->setting, std::clamp(value, minimum, maximum));
    }
    saved_.clear();
    onceAfter_.reset();
    camera_ = nullptr;
}

void CameraSettings::FrameArrived(uint64_t sequence) {
    std::lock_guard lock(mutex_);
    lastSequence_ = sequence;
    // Frames numbered up to one past the request may have been in the chain already.
    if (camera_ != nullptr && onceAfter_ && sequence > *onceAfter_ + 1) {
        Write(BalanceRequest(), 0);
        onceAfter_.reset();
    }
}

}  // namespace pixora::gst
