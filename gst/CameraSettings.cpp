#include "CameraSettings.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "CaptureWindow.h"

namespace pixora::gst {

namespace {

// The controls the caps stand for: the stream's format sets the colour mode, and its size
// the window's.
constexpr const char* kNegotiated[] = {"color-mode", "width", "height"};

bool Offered(const PixoraControlInfo& control) {
    if ((control.flags & PIXORA_CONTROL_REFUSED) != 0 ||
        control.filterIndex == PIXORA_FILTER_BAYER_GAIN_AUTO)
        return false;
    for (const char* name : kNegotiated) {
        if (std::strcmp(control.name, name) == 0)
            return false;
    }
    return true;
}

std::optional<PixoraControlInfo> ControlInfo(int32_t id) {
    PixoraControlInfo info{};
    info.size = sizeof info;
    if (PixoraEx_GetControlInfo(id, &info) != 1)
        return std::nullopt;
    return info;
}

// The automatic white balance, which the white-balance property switches.
const PixoraControlInfo& BalanceRequest() {
    static const PixoraControlInfo request = [] {
        const int32_t count = PixoraEx_GetControlCount();
        for (int32_t id = 0; id < count; ++id) {
            const std::optional<PixoraControlInfo> info = ControlInfo(id);
            if (info && info->filterIndex == PIXORA_FILTER_BAYER_GAIN_AUTO)
                return *info;
        }
        PixoraControlInfo none{};
        none.id = -1;
        return none;
    }();
    return request;
}

}  // namespace

const std::vector<SettingInfo>& Settings() {
    // The library's table, read once: its texts stay valid while the library is loaded.
    static const std::vector<SettingInfo> settings = [] {
        std::vector<SettingInfo> offered;
        const int32_t count = PixoraEx_GetControlCount();
        for (int32_t id = 0; id < count; ++id) {
            const std::optional<PixoraControlInfo> info = ControlInfo(id);
            if (!info || !Offered(*info))
                continue;
            const char* name = info->aliases[0] != nullptr ? info->aliases[0] : info->name;
            const bool unsetIsMinusOne =
                info->kind == PIXORA_CONTROL_INTEGER && info->dialog == PIXORA_DIALOG_ANALOG &&
                (info->flags & PIXORA_CONTROL_ANY_VALUE) == 0 && info->minimum >= 0;
            offered.push_back({*info, name, unsetIsMinusOne});
        }
        return offered;
    }();
    return settings;
}

void SettingRange(const SettingInfo& setting, int32_t* minimum, int32_t* maximum) {
    if ((setting.control.flags & PIXORA_CONTROL_ANY_VALUE) != 0 &&
        setting.control.kind == PIXORA_CONTROL_INTEGER) {
        *minimum = INT32_MIN;
        *maximum = INT32_MAX;
        return;
    }
    *minimum = setting.unsetIsMinusOne ? -1 : setting.control.minimum;
    *maximum = setting.control.maximum;
}

CameraSettings::CameraSettings() : requested_(Settings().size()) {}

std::optional<int32_t> CameraSettings::Read(const PixoraControlInfo& control) const {
    int32_t value = 0;
    if (PixoraEx_GetControl(camera_, control.id, &value) != 1)
        return std::nullopt;
    return value;
}

bool CameraSettings::Write(const PixoraControlInfo& control, int32_t value) const {
    return PixoraEx_SetControl(camera_, control.id, value) == 1;
}

void CameraSettings::Keep(const PixoraControlInfo& control) {
    for (const Saved& saved : saved_) {
        if (saved.control.id == control.id)
            return;  // the value from before the first change is the one to put back
    }
    if (const std::optional<int32_t> old = Read(control))
        saved_.push_back({control, *old});
}

bool CameraSettings::Apply(const PixoraControlInfo& control, int32_t value) {
    Keep(control);
    return Write(control, value);
}

bool CameraSettings::ApplyWhiteBalance(WhiteBalance mode) {
    // A measurement changes the three gains: they are put back with the request.
    if (mode != WhiteBalance::Off) {
        for (const SettingInfo& setting : Settings()) {
            const int32_t index = setting.control.filterIndex;
            if (index == PIXORA_FILTER_BAYER_GAIN_RED || index == PIXORA_FILTER_BAYER_GAIN_GREEN ||
                index == PIXORA_FILTER_BAYER_GAIN_BLUE)
                Keep(setting.control);
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
    return Apply(Settings()[index].control, value);
}

void CameraSettings::Forget(size_t index) {
    std::lock_guard lock(mutex_);
    requested_.at(index).reset();
}

std::optional<int32_t> CameraSettings::Value(size_t index) const {
    std::lock_guard lock(mutex_);
    if (camera_ != nullptr) {
        if (const std::optional<int32_t> value = Read(Settings().at(index).control))
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
    for (size_t i = 0; i < Settings().size(); ++i) {
        if (requested_[i] && !Apply(Settings()[i].control, *requested_[i])) {
            *refused = Settings()[i].name;
            return false;
        }
    }
    if (whiteBalance_ && !ApplyWhiteBalance(*whiteBalance_)) {
        *refused = "white-balance";
        return false;
    }
    return true;
}

bool CameraSettings::ApplySize(int32_t width, int32_t height) {
    std::lock_guard lock(mutex_);
    const WindowControls* window = Window();
    if (camera_ == nullptr || window == nullptr)
        return false;
    // The start is set (Attach) and the caps offered only sizes that fit from it, so each
    // side stays on the sensor as it is set; the library checks the whole window when the
    // capture starts.
    for (const auto& [control, value] :
         {std::pair{window->width, width}, std::pair{window->height, height}}) {
        if (Read(control) != value && !Apply(control, value))
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
        if ((it->control.flags & PIXORA_CONTROL_ANY_VALUE) == 0)
            value = std::clamp(value, it->control.minimum, it->control.maximum);
        Write(it->control, value);
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
