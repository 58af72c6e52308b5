#include "settings/SettingsPersistence.h"

#include <string>
#include <vector>

#include "platform/SettingsStore.h"
#include "settings/CaptureFormat.h"
#include "settings/ControlTable.h"
#include "settings/SettingsDefaults.h"

namespace pixora {

namespace {

// The subkeys of the library's settings key that hold the picture and analog controls.
const char* SubKeyOf(StoredIn where) {
    switch (where) {
        case StoredIn::Filter:
            return "Filter";
        case StoredIn::Gray:
            return "Gray";
        case StoredIn::Gain:
            return "Gain";
        default:
            return nullptr;
    }
}

std::unique_ptr<RegistryKey> OpenSubKey(StoredIn where) {
    auto key = RegistryKey::Open(kSettingsKey);
    return key ? key->OpenSubKey(SubKeyOf(where)) : nullptr;
}

template <typename Field, std::size_t N>
Field FieldOf(const ControlRow& row, const AtomicRecord<Field, N>&) {
    return static_cast<Field>(row.entry.index);
}

// Reads every control stored in the subkey; a missing value leaves its entry, except that
// the kLoadCarried rows read through one carried value (starting at 0), so that a missing
// one repeats the value read before it. False without the subkey.
template <typename Record>
bool ReadStored(StoredIn where, Record& record) {
    auto key = OpenSubKey(where);
    if (!key)
        return false;
    int32_t carried = 0;
    for (const ControlRow* row : StoredRows(where)) {
        const auto field = FieldOf(*row, record);
        if (row->Has(kLoadCarried)) {
            key->Read(row->storedName, &carried);
            record.Set(field, carried);
            continue;
        }
        int32_t value = record.Get(field);
        if (key->Read(row->storedName, &value))
            record.Set(field, value);
    }
    return true;
}

// Writes every control stored in the subkey, in record order, in one replacement.
template <typename Record>
int32_t WriteStored(StoredIn where, const Record& record) {
    auto key = RegistryKey::Create(std::string(kSettingsKey) + "\\" + SubKeyOf(where));
    if (!key)
        return 0;
    std::vector<NamedValue> values;
    for (const ControlRow* row : StoredRows(where))
        values.push_back({row->storedName, record.Get(FieldOf(*row, record))});
    key->Write(values);
    return 1;
}

}  // namespace

int32_t LoadFilterSettings(FilterSettings& filter) {
    if (ReadStored(StoredIn::Filter, filter))
        return 1;
    SetStoredDefaults(StoredIn::Filter, filter);
    // The spare entries and the white-balance request with its companions start cleared.
    for (int i = static_cast<int>(FilterField::Spare20);
         i <= static_cast<int>(FilterField::Spare28); ++i) {
        filter.Set(static_cast<FilterField>(i), 0);
    }
    return 0;
}

int32_t SaveFilterSettings(const FilterSettings& filter) {
    return WriteStored(StoredIn::Filter, filter);
}

int32_t LoadGraySettings(FilterSettings& filter) {
    if (ReadStored(StoredIn::Gray, filter))
        return 1;
    SetStoredDefaults(StoredIn::Gray, filter);
    return 0;
}

int32_t SaveGraySettings(const FilterSettings& filter) {
    return WriteStored(StoredIn::Gray, filter);
}

int32_t LoadAnalogSettings(AnalogSettings& analog, int32_t deviceMirror) {
    if (!ReadStored(StoredIn::Gain, analog)) {
        SetStoredDefaults(StoredIn::Gain, analog);
        analog.Set(AnalogField::VerticalMirror, deviceMirror);  // the camera's own state
    }
    return 1;
}

int32_t SaveAnalogSettings(const AnalogSettings& analog) {
    return WriteStored(StoredIn::Gain, analog);
}

}  // namespace pixora
