// The controls extension: the control table published as PixoraControlInfo records, and
// get and set by control id.
#include <array>
#include <vector>

#include "PixoraExtensions.h"
#include "api/SessionCall.h"
#include "settings/ControlTable.h"

using pixora::CameraSession;
using pixora::ControlRow;
using pixora::WithSession;

namespace {

int32_t FlagsOf(const ControlRow& row) {
    using pixora::StoredIn;
    int32_t flags = 0;
    if (row.stored != StoredIn::Nowhere)
        flags |= PIXORA_CONTROL_LOADED;
    if (row.stored != StoredIn::Nowhere && row.stored != StoredIn::Format)
        flags |= PIXORA_CONTROL_SAVED;
    if (row.Has(pixora::kLive))
        flags |= PIXORA_CONTROL_LIVE;
    if (row.target == pixora::ControlTarget::Refused)
        flags |= PIXORA_CONTROL_REFUSED;
    if (row.Has(pixora::kTakesAnyValue))
        flags |= PIXORA_CONTROL_ANY_VALUE;
    if (row.Has(pixora::kShownInHex))
        flags |= PIXORA_CONTROL_HEX;
    if (row.Has(pixora::kCameraClamps))
        flags |= PIXORA_CONTROL_CAMERA_CLAMPS;
    if (row.Has(pixora::kSlowRead))
        flags |= PIXORA_CONTROL_SLOW_READ;
    if (row.Has(pixora::kNeedsDevice))
        flags |= PIXORA_CONTROL_NEEDS_CAMERA;
    if (row.Has(pixora::kCaptureWindow))
        flags |= PIXORA_CONTROL_WINDOW;
    return flags;
}

int32_t DialogOf(const ControlRow& row) {
    switch (row.dialog.page) {
        case pixora::DialogPage::CameraFormat:
            return PIXORA_DIALOG_CAMERA;
        case pixora::DialogPage::ImageFilter:
        case pixora::DialogPage::GrayFilter:
            return PIXORA_DIALOG_IMAGE;
        case pixora::DialogPage::AnalogGain:
            return PIXORA_DIALOG_ANALOG;
        case pixora::DialogPage::None:
            break;
    }
    return PIXORA_DIALOG_NONE;
}

const char* SubKeyPrefix(pixora::StoredIn where) {
    switch (where) {
        case pixora::StoredIn::Filter:
            return "Filter\\";
        case pixora::StoredIn::Gray:
            return "Gray\\";
        case pixora::StoredIn::Gain:
            return "Gain\\";
        case pixora::StoredIn::Size:
            return "Size_NN\\";
        default:
            return "";
    }
}

// What the records point at, made once from the table: texts and value lists that live as
// long as the library.
struct PublishedControl {
    std::string storedName;
    std::vector<PixoraControlValue> values;
};

const std::vector<PublishedControl>& Published() {
    static const std::vector<PublishedControl> published = [] {
        std::vector<PublishedControl> all;
        for (const ControlRow& row : pixora::Controls()) {
            PublishedControl control;
            if (row.storedName != nullptr)
                control.storedName = std::string(SubKeyPrefix(row.stored)) + row.storedName;
            for (const pixora::ControlValue& value : row.values)
                control.values.push_back({value.value, 0, value.name, value.label});
            all.push_back(std::move(control));
        }
        return all;
    }();
    return published;
}

}  // namespace

extern "C" {

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetControlCount(void) {
    return static_cast<int32_t>(pixora::Controls().size());
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetControlInfo(int32_t id, PixoraControlInfo* info) {
    const ControlRow* row = pixora::ControlById(id);
    if (row == nullptr || info == nullptr ||
        info->size < static_cast<int32_t>(sizeof(PixoraControlInfo)))
        return 0;
    const PublishedControl& published = Published()[static_cast<std::size_t>(id)];
    const bool clamps = row->Has(pixora::kCameraClamps);
    info->id = id;
    info->kind = static_cast<int32_t>(row->kind);
    info->flags = FlagsOf(*row);
    info->minimum = row->minimum;
    info->maximum = row->maximum;
    info->step = row->step;
    info->defaultValue = row->neutral;
    info->cameraMinimum = clamps ? row->cameraMin : row->minimum;
    info->cameraMaximum = clamps ? row->cameraMax : row->maximum;
    info->filterIndex = row->filterIndex;
    info->dialog = DialogOf(*row);
    info->valueCount = static_cast<int32_t>(published.values.size());
    info->reserved = 0;
    info->name = row->name;
    info->label = row->label;
    info->description = row->description;
    info->unit = row->unit;
    info->aliases = row->aliases;
    info->storedName = published.storedName.c_str();
    info->values = published.values.empty() ? nullptr : published.values.data();
    return 1;
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_FindControl(const char* name) {
    if (name == nullptr)
        return -1;
    const ControlRow* row = pixora::FindControl(name);
    return row != nullptr ? pixora::ControlIdOf(*row) : -1;
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_GetControl(PIXORA_HANDLE camera, int32_t id,
                                                   int32_t* value) {
    return WithSession(camera, 0, [&](CameraSession& s) {
        const ControlRow* row = pixora::ControlById(id);
        if (row == nullptr) {
            s.RecordError(pixora::ErrorCode::BadArgument);
            return 0;
        }
        return s.GetControl(*row, value);
    });
}

PIXORA_API int32_t PIXORA_CALL PixoraEx_SetControl(PIXORA_HANDLE camera, int32_t id,
                                                   int32_t value) {
    return WithSession(camera, 0, [&](CameraSession& s) {
        const ControlRow* row = pixora::ControlById(id);
        if (row == nullptr) {
            s.RecordError(pixora::ErrorCode::BadArgument);
            return 0;
        }
        return s.SetControl(*row, value);
    });
}

}  // extern "C"
