// The camera settings the element's properties stand for: applied to the open camera when
// set, and put back before the camera is released, so that the settings the library stores
// for the user stay as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "PixoraExtensions.h"
#include "PixoraSdk_530TZ.h"

namespace pixora::gst {

// A control of the library that the element offers as a property.
struct SettingInfo {
    PixoraControlInfo control;  // as the library describes it
    const char* name;           // the property's name
    // -1 is a value of the property: "the camera's stored value". The analog values (those
    // of the analog dialog: gain, exposure) have no neutral value to stand for that.
    bool unsetIsMinusOne;
};

// Every control the element offers, in the order of its properties: those of the library's
// table but the ones this camera refuses, the automatic white balance (the white-balance
// property stands for it) and those that the caps negotiate (the colour mode and the
// window's size). A control's first alias names its property when it has one: the names
// the element's properties had before the library described them.
const std::vector<SettingInfo>& Settings();
// The values the library accepts for the setting.
void SettingRange(const SettingInfo& setting, int32_t* minimum, int32_t* maximum);

enum class WhiteBalance : int32_t { Off = 0, Once = 1, Continuous = 2 };

class CameraSettings {
public:
    CameraSettings();

    // Asks for a value of setting `index` (of Settings()); with a camera attached it is
    // applied at once. False when the library refused it (the value stays asked for).
    bool Request(size_t index, int32_t value);
    // -1 for a setting whose -1 means "the stored setting": forgets the request.
    void Forget(size_t index);
    // The camera's value while one is attached, else the value asked for, else empty.
    std::optional<int32_t> Value(size_t index) const;

    void RequestWhiteBalance(WhiteBalance mode);
    std::optional<WhiteBalance> RequestedWhiteBalance() const;

    // A camera was opened: every value asked for is applied (false and the setting's name
    // when the library refuses one). The values they replace are kept for Detach.
    bool Attach(PIXORA_HANDLE camera, const char** refused);
    // The window's size that the caps fixed, for the next capture; like the other settings
    // it is put back at Detach. False when the library refused it.
    bool ApplySize(int32_t width, int32_t height);
    // Puts the replaced values back, newest first, and forgets the camera.
    void Detach();
    // A frame numbered `sequence` was handed out: a white-balance measurement asked for
    // once ends with the first frame processed after the request.
    void FrameArrived(uint64_t sequence);

private:
    bool Apply(const PixoraControlInfo& control, int32_t value);  // with the old value kept
    bool ApplyWhiteBalance(WhiteBalance mode);
    std::optional<int32_t> Read(const PixoraControlInfo& control) const;
    bool Write(const PixoraControlInfo& control, int32_t value) const;
    void Keep(const PixoraControlInfo& control);

    struct Saved {
        PixoraControlInfo control;
        int32_t value;
    };
    mutable std::mutex mutex_;
    PIXORA_HANDLE camera_ = nullptr;
    std::vector<std::optional<int32_t>> requested_;
    std::optional<WhiteBalance> whiteBalance_;
    // A measurement asked for once ends with a frame numbered above this (0: none pending).
    std::optional<uint64_t> onceAfter_;
    uint64_t lastSequence_ = 0;
    std::vector<Saved> saved_;
};

}  // namespace pixora::gst
