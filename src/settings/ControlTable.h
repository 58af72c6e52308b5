// The camera's controls, each described once: what users set, by which public index and
// name, the values it takes and has at first, where it is stored, when it takes effect and
// which dialog row shows it. The filter-value exports, the settings' persistence and
// defaults, the dialog pages and the controls extension (PixoraEx_GetControlInfo) all read
// this table; the rows themselves are in settings/ControlRows.h.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "settings/SettingsRecords.h"

namespace pixora {

// The values of PIXORA_CONTROL_INTEGER, _BOOLEAN and _ENUMERATION.
enum class ControlKind : int32_t { Integer = 1, Boolean = 2, Enumeration = 3 };

// Where the value lives and which operation sets and reads it.
enum class ControlTarget : uint8_t {
    PictureEntry,         // one entry of the picture record, stored as given
    PackedBayerGains,     // the three white-balance gains at once, 0xBBGGRR; bits 24..31 ignored
    WhiteBalanceRequest,  // stored as 1 when nonzero, else 0
    GlobalGain,           // the global and the four colour gains; sent to the camera, read back
    Exposure,             // sent to the camera, which keeps 8..1068; read back after a pause
    Refused,              // the colour gains: the filter-value exports always refuse them
    VerticalMirror,       // Pixora_SetMirrorV / Pixora_GetMirrorV
    AutoIris,             // Pixora_SetAutoIris / Pixora_GetAutoIris
    ColorMode,            // Pixora_SetColorMode / Pixora_GetColorMode, in bits per pixel
    WaitTime,             // Pixora_SetWaitTime / Pixora_GetWaitTime
    Clock,                // the clock selection the stream preparation sends
    WindowColumn,         // the capture window of the stored size entry
    WindowRow,
    WindowWidth,
    WindowHeight,
};

// The record entry that holds a control's value, when one does.
struct RecordEntry {
    enum class Record : uint8_t { None, Picture, Analog };
    Record record = Record::None;
    int8_t index = 0;
};
constexpr RecordEntry InPicture(FilterField field) {
    return {RecordEntry::Record::Picture, static_cast<int8_t>(field)};
}
constexpr RecordEntry InAnalog(AnalogField field) {
    return {RecordEntry::Record::Analog, static_cast<int8_t>(field)};
}

// The entry's value in the session's two records; 0 (and nothing stored) for no entry.
inline int32_t EntryValue(RecordEntry entry, const FilterSettings& filter,
                          const AnalogSettings& analog) {
    switch (entry.record) {
        case RecordEntry::Record::Picture:
            return filter.Get(static_cast<FilterField>(entry.index));
        case RecordEntry::Record::Analog:
            return analog.Get(static_cast<AnalogField>(entry.index));
        case RecordEntry::Record::None:
            break;
    }
    return 0;
}
inline void SetEntryValue(RecordEntry entry, int32_t value, FilterSettings& filter,
                          AnalogSettings& analog) {
    switch (entry.record) {
        case RecordEntry::Record::Picture:
            filter.Set(static_cast<FilterField>(entry.index), value);
            break;
        case RecordEntry::Record::Analog:
            analog.Set(static_cast<AnalogField>(entry.index), value);
            break;
        case RecordEntry::Record::None:
            break;
    }
}

// Where a control is kept between sessions, below the library's settings key.
enum class StoredIn : uint8_t {
    Nowhere,
    Filter,  // subkey "Filter": saved at release, loaded at initialisation
    Gray,    // subkey "Gray": the same
    Gain,    // subkey "Gain": the same
    Format,  // the key itself: loaded at initialisation; the camera dialog writes it
    Size,    // the size subkey "Size" names: loaded at initialisation, saved at release
             // when a control changed it
};

enum ControlFlag : uint32_t {
    kTakesAnyValue = 1u << 0,  // the filter-value export takes every 32-bit value
    kLive = 1u << 1,           // acts on the running capture; else from the next start
    kShownInHex = 1u << 2,     // entered and shown as 0xBBGGRR
    kCameraClamps = 1u << 3,   // the camera keeps cameraMin..cameraMax of what it is sent
    kSlowRead = 1u << 4,       // a read waits for the camera
    kNeedsDevice = 1u << 5,    // set and get fail with error 1 without a camera device
    kDialogDefault = 1u << 6,  // its dialog's Default button puts the neutral value back
    kLoadCarried = 1u << 7,    // loaded through one carried value: a missing stored value
                               // repeats the one before it ("Gain" subkey, the gains)
    kCaptureWindow = 1u << 8,  // one of the four window values, checked together when the
                               // stream is prepared (error 7)
};

// The colour modes in which a dialog row is usable.
enum class UsableIn : uint8_t {
    AllModes,
    Monochrome,  // colour modes 0 and 1 (8 and 16 bits)
    Colour,      // every other colour mode index
    Never,       // shown, never usable
};
bool RowUsable(UsableIn usable, int32_t colorModeIndex);

enum class DialogPage : uint8_t { None, CameraFormat, ImageFilter, GrayFilter, AnalogGain };

// The range a dialog row's slider and up-down control cover.
enum class SliderSpan : uint8_t {
    Control,  // the control's own minimum..maximum
    Own,      // the row's own span (spanMin..spanMax), wider than what the export accepts
    Camera,   // what the camera reports (its gain or exposure limits)
    Empty,    // 0..0: a row that only shows its value
};

struct DialogRow {
    DialogPage page = DialogPage::None;
    int8_t slider = -1;  // its slider row on the page, top first; -1: a button, box or list
    int16_t ticStep = 0;
    UsableIn usable = UsableIn::AllModes;
    SliderSpan span = SliderSpan::Control;
    int32_t spanMin = 0;
    int32_t spanMax = 0;
};

// One named value of an enumeration.
struct ControlValue {
    int32_t value;
    const char* name;   // kebab-case: "exposure"
    const char* label;  // for people: "Automatic exposure"
};

// Rows name the members they need; the others keep these defaults.
inline constexpr const char* kNoAliases[] = {nullptr};

struct ControlRow {
    const char* name;         // public name, kebab-case: "gamma"
    const char* label;        // for people: "Gamma"
    const char* description;  // one line
    const char* unit = "";
    const char* const* aliases = kNoAliases;  // other names, null-terminated
    ControlKind kind = ControlKind::Integer;
    std::span<const ControlValue> values = {};  // an enumeration's values, in order
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t step = 1;
    int32_t neutral = 0;    // first-run value, and what the Default buttons restore
    int32_t cameraMin = 0;  // with kCameraClamps: what the camera keeps
    int32_t cameraMax = 0;
    int32_t filterIndex = 0;         // PIXORA_FILTER_*, or 0
    const char* accessor = nullptr;  // X of the named export pair Pixora_SetX/Pixora_GetX
    ControlTarget target = ControlTarget::PictureEntry;
    RecordEntry entry = {};
    StoredIn stored = StoredIn::Nowhere;
    const char* storedName = nullptr;  // the value's name in its key
    uint32_t flags = 0;
    DialogRow dialog = {};

    bool Has(ControlFlag flag) const { return (flags & flag) != 0; }
};

// Every control, the camera's rows first (settings/ControlRows.h) in their public order; a
// row's position is its control id.
std::span<const ControlRow> Controls();

// Null when there is none.
const ControlRow* ControlById(int32_t id);
int32_t ControlIdOf(const ControlRow& row);
// By name or alias.
const ControlRow* FindControl(std::string_view name);
// The control of a filter index; null for unknown indices (the colour gains 14..17 are
// controls, refused by their target).
const ControlRow* ControlByFilterIndex(int32_t filterIndex);

// The values a control's own export (or, without one, its set) accepts: every 32-bit value
// for kTakesAnyValue, else minimum..maximum.
struct ValueSpan {
    int32_t min;
    int32_t max;
};
ValueSpan AcceptedValues(const ControlRow& row);

// The rows stored in one subkey, in the order of their record entries (the order the
// subkey is written in).
std::span<const ControlRow* const> StoredRows(StoredIn where);

// The rows a dialog page shows as slider rows, in slider order.
std::span<const ControlRow* const> SliderRows(DialogPage page);

}  // namespace pixora
