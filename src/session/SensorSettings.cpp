// Picture and analog settings by filter index, vertical mirror, automatic iris and raw
// register access.
#include "device/PixoraDevice.h"
#include "platform/Clock.h"
#include "session/CameraSession.h"

namespace pixora {

namespace {

struct FilterRange {
    FilterField field;
    int32_t min;
    int32_t max;
};

// Indices stored in the picture record as they are given, with their accepted ranges.
bool PlainFilterIndex(int32_t index, FilterRange* range) {
    switch (index) {
        case 1:
            *range = {FilterField::Brightness, -255, 255};
            return true;
        case 2:
            *range = {FilterField::Contrast, -127, 127};
            return true;
        case 3:
            *range = {FilterField::Hue, -360, 360};
            return true;
        case 4:
            *range = {FilterField::Saturation, -255, 255};
            return true;
        case 5:
            *range = {FilterField::Sharpness, 0, 30};
            return true;
        case 7:
            *range = {FilterField::BayerGainRed, 0, 400};
            return true;
        case 8:
            *range = {FilterField::BayerGainGreen, 0, 400};
            return true;
        case 9:
            *range = {FilterField::BayerGainBlue, 0, 400};
            return true;
        case 11:
            *range = {FilterField::Gamma, 0, 200};
            return true;
        case 12:
            *range = {FilterField::BayerMode, 0, 3};
            return true;
        case 19:
            *range = {FilterField::GrayMode, 0, 2};
            return true;
        case 20:
            *range = {FilterField::GrayGainR, 0, 255};
            return true;
        case 21:
            *range = {FilterField::GrayGainG1, 0, 255};
            return true;
        case 22:
            *range = {FilterField::GrayGainG2, 0, 255};
            return true;
        case 23:
            *range = {FilterField::GrayGainB, 0, 255};
            return true;
        case 24:
            *range = {FilterField::GrayOffsetR, -255, 255};
            return true;
        case 25:
            *range = {FilterField::GrayOffsetG1, -255, 255};
            return true;
        case 26:
            *range = {FilterField::GrayOffsetG2, -255, 255};
            return true;
        case 27:
            *range = {FilterField::GrayOffsetB, -255, 255};
            return true;
        default:
            return false;
    }
}

constexpr int32_t kPackedGains = 6;
constexpr int32_t kWhiteBalanceRequest = 10;
constexpr int32_t kGlobalGain = 13;
constexpr int32_t kExposure = 18;
constexpr int32_t kExposureSettleMs = 120;

}  // namespace

int32_t CameraSession::SetFilterValue(int32_t index, int32_t value) {
    if (!RequireDevice())
        return 0;
    FilterRange range{};
    if (PlainFilterIndex(index, &range)) {
        if (value < range.min || value > range.max) {
            RecordError(ErrorCode::BadArgument);
            return 0;
        }
        filter_.Set(range.field, value);
        return 1;
    }
    switch (index) {
        case kPackedGains:
            filter_.Set(FilterField::BayerGainRed, value & 0xFF);
            filter_.Set(FilterField::BayerGainGreen, (value >> 8) & 0xFF);
            filter_.Set(FilterField::BayerGainBlue, (value >> 16) & 0xFF);
            return 1;
        case kWhiteBalanceRequest:
            filter_.Set(FilterField::WhiteBalanceRequest, value != 0 ? 1 : 0);
            return 1;
        case kGlobalGain:
            if (value < 0 || value > 1023)
                break;
            for (AnalogField f :
                 {AnalogField::GlobalGain, AnalogField::ColorGainG1, AnalogField::ColorGainR,
                  AnalogField::ColorGainB, AnalogField::ColorGainG2}) {
                analog_.Set(f, value);
            }
            device_->SetGain(value);
            return 1;
        case kExposure:
            if (value < 0 || value > 1067)
                break;
            analog_.Set(AnalogField::Exposure, value);
            device_->SetExposure(value);
            return 1;
        default:
            break;
    }
    RecordError(ErrorCode::BadArgument);
    return 0;
}

int32_t CameraSession::GetFilterValue(int32_t index, int32_t* ok) {
    if (ok != nullptr)
        *ok = 0;
    if (!RequireDevice())
        return 0;
    FilterRange range{};
    int32_t value = 0;
    if (PlainFilterIndex(index, &range)) {
        value = filter_.Get(range.field);
    } else if (index == kPackedGains) {
        value = ((filter_.Get(FilterField::BayerGainBlue) & 0xFF) << 16) |
                ((filter_.Get(FilterField::BayerGainGreen) & 0xFF) << 8) |
                (filter_.Get(FilterField::BayerGainRed) & 0xFF);
    } else if (index == kWhiteBalanceRequest) {
        value = filter_.Get(FilterField::WhiteBalanceRequest);
    } else if (index == kGlobalGain) {
        value = device_->GetGain();
    } else if (index == kExposure) {
        // The camera takes a moment to apply a new exposure.
        SleepMs(kExposureSettleMs);
        value = device_->GetExposure();
    } else {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    if (ok != nullptr)
        *ok = 1;
    return value;
}

int32_t CameraSession::SetMirrorV(int32_t flag) {
    if (!RequireDevice())
        return 0;
    analog_.Set(AnalogField::VerticalMirror, flag != 0 ? 1 : 0);
    return 1;
}

int32_t CameraSession::GetMirrorV() {
    if (!RequireDevice())
        return 0;
    return analog_.Get(AnalogField::VerticalMirror);
}

int32_t CameraSession::SetAutoIris(int32_t mode) {
    if (mode < 0 || mode > 2) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    analog_.Set(AnalogField::AutoIris, mode);
    return 1;
}

int32_t CameraSession::GetAutoIris(int32_t* ok) const {
    if (ok != nullptr)
        *ok = 1;
    return analog_.Get(AnalogField::AutoIris);
}

int32_t CameraSession::WriteRegister(int32_t address, int32_t value) {
    if (!RequireDevice())
        return 0;
    if (device_->WriteRegister(static_cast<uint32_t>(address) & 0xFF,
                               static_cast<uint32_t>(value) & 0xFFFF)) {
        return 1;
    }
    RecordError(ErrorCode::DeviceIoFailed);
    return 0;
}

int32_t CameraSession::ReadRegister(int32_t address, int32_t* ok) {
    if (ok != nullptr)
        *ok = 0;
    if (!RequireDevice())
        return 0;
    uint32_t value = 0;
    if (!device_->ReadRegister(static_cast<uint32_t>(address) & 0xFF, value)) {
        RecordError(ErrorCode::DeviceIoFailed);
        return 0;
    }
    if (ok != nullptr)
        *ok = 1;
    return static_cast<int32_t>(value);
}

}  // namespace pixora
