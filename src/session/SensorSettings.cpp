// Picture and analog settings by filter index, vertical mirror, automatic iris and raw
// register access.
#include "device/PixoraDevice.h"
#include "platform/Clock.h"
#include "session/CameraSession.h"
#include "settings/ControlTable.h"

namespace pixora {

namespace {

constexpr int32_t kExposureSettleMs = 120;

}  // namespace

int32_t CameraSession::SetFilterValue(int32_t index, int32_t value) {
    if (!RequireDevice())
        return 0;
    const ControlRow* row = ControlByFilterIndex(index);
    if (row == nullptr || row->target == ControlTarget::Refused) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    const ValueSpan accepted = AcceptedValues(*row);
    if (value < accepted.min || value > accepted.max) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    switch (row->target) {
        case ControlTarget::PackedBayerGains:
            settings_.filter.Set(FilterField::BayerGainRed, value & 0xFF);
            settings_.filter.Set(FilterField::BayerGainGreen, (value >> 8) & 0xFF);
            settings_.filter.Set(FilterField::BayerGainBlue, (value >> 16) & 0xFF);
            break;
        case ControlTarget::WhiteBalanceRequest:
            settings_.filter.Set(FilterField::WhiteBalanceRequest, value != 0 ? 1 : 0);
            break;
        case ControlTarget::GlobalGain:
            for (AnalogField f :
                 {AnalogField::GlobalGain, AnalogField::ColorGainG1, AnalogField::ColorGainR,
                  AnalogField::ColorGainB, AnalogField::ColorGainG2}) {
                settings_.analog.Set(f, value);
            }
            device_->SetGain(value);
            break;
        case ControlTarget::Exposure:
            settings_.analog.Set(AnalogField::Exposure, value);
            device_->SetExposure(value);
            break;
        default:
            SetEntryValue(row->entry, value, settings_.filter, settings_.analog);
            break;
    }
    return 1;
}

int32_t CameraSession::GetFilterValue(int32_t index, int32_t* ok) {
    if (ok != nullptr)
        *ok = 0;
    if (!RequireDevice())
        return 0;
    const ControlRow* row = ControlByFilterIndex(index);
    if (row == nullptr || row->target == ControlTarget::Refused) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    int32_t value = 0;
    switch (row->target) {
        case ControlTarget::PackedBayerGains:
            value = ((settings_.filter.Get(FilterField::BayerGainBlue) & 0xFF) << 16) |
                    ((settings_.filter.Get(FilterField::BayerGainGreen) & 0xFF) << 8) |
                    (settings_.filter.Get(FilterField::BayerGainRed) & 0xFF);
            break;
        case ControlTarget::GlobalGain:
            value = device_->GetGain();
            break;
        case ControlTarget::Exposure:
            // The camera takes a moment to apply a new exposure.
            SleepMs(kExposureSettleMs);
            value = device_->GetExposure();
            break;
        default:
            value = EntryValue(row->entry, settings_.filter, settings_.analog);
            break;
    }
    if (ok != nullptr)
        *ok = 1;
    return value;
}

int32_t CameraSession::SetMirrorV(int32_t flag) {
    if (!RequireDevice())
        return 0;
    settings_.analog.Set(AnalogField::VerticalMirror, flag != 0 ? 1 : 0);
    return 1;
}

int32_t CameraSession::GetMirrorV() {
    if (!RequireDevice())
        return 0;
    return settings_.analog.Get(AnalogField::VerticalMirror);
}

int32_t CameraSession::SetAutoIris(int32_t mode) {
    if (mode < 0 || mode > 2) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    settings_.analog.Set(AnalogField::AutoIris, mode);
    return 1;
}

int32_t CameraSession::GetAutoIris(int32_t* ok) const {
    if (ok != nullptr)
        *ok = 1;
    return settings_.analog.Get(AnalogField::AutoIris);
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
