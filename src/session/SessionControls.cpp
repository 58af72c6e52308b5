// Controls by their table row: each goes to the operation that stands behind it, so a
// control set by id behaves as its own function; the clock and the capture window, which
// have none, are checked against their rows' ranges here.
#include "session/CameraSession.h"
#include "settings/ControlTable.h"

namespace pixora {

namespace {

int32_t* WindowValue(FormatSettings& format, ControlTarget target) {
    switch (target) {
        case ControlTarget::WindowColumn:
            return &format.startColumn;
        case ControlTarget::WindowRow:
            return &format.startRow;
        case ControlTarget::WindowWidth:
            return &format.captureWidth;
        case ControlTarget::WindowHeight:
            return &format.captureHeight;
        default:
            return nullptr;
    }
}

}  // namespace

int32_t CameraSession::SetControl(const ControlRow& control, int32_t value) {
    if (control.filterIndex > 0)
        return SetFilterValue(control.filterIndex, value);
    switch (control.target) {
        case ControlTarget::VerticalMirror:
            return SetMirrorV(value);
        case ControlTarget::AutoIris:
            return SetAutoIris(value);
        case ControlTarget::ColorMode:
            return SetColorMode(value);
        case ControlTarget::WaitTime:
            return SetWaitTime(value);
        default:
            break;
    }
    if (control.Has(kNeedsDevice) && !RequireDevice())
        return 0;
    const ValueSpan accepted = AcceptedValues(control);
    if (control.target == ControlTarget::Refused || value < accepted.min || value > accepted.max) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    if (control.target == ControlTarget::Clock) {
        settings_.clock.store(value);
    } else if (int32_t* window = WindowValue(settings_.format, control.target)) {
        *window = value;
        windowChanged_ = true;
    } else {
        SetEntryValue(control.entry, value, settings_.filter, settings_.analog);
    }
    return 1;
}

int32_t CameraSession::GetControl(const ControlRow& control, int32_t* value) {
    if (value == nullptr) {
        RecordError(ErrorCode::BadArgument);
        return 0;
    }
    int32_t ok = 1;
    if (control.filterIndex > 0) {
        *value = GetFilterValue(control.filterIndex, &ok);
        return ok;
    }
    if (control.Has(kNeedsDevice) && !RequireDevice())
        return 0;
    switch (control.target) {
        case ControlTarget::VerticalMirror:
            *value = GetMirrorV();
            break;
        case ControlTarget::AutoIris:
            *value = GetAutoIris(&ok);
            break;
        case ControlTarget::ColorMode:
            *value = GetColorMode();
            break;
        case ControlTarget::WaitTime:
            *value = GetWaitTime();
            break;
        case ControlTarget::Clock:
            *value = settings_.clock.load();
            break;
        case ControlTarget::Refused:
            RecordError(ErrorCode::BadArgument);
            return 0;
        default:
            if (const int32_t* window = WindowValue(settings_.format, control.target))
                *value = *window;
            else
                *value = EntryValue(control.entry, settings_.filter, settings_.analog);
            break;
    }
    return ok;
}

}  // namespace pixora
