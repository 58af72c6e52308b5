#include "settings/SettingsPersistence.h"

#include <string>
#include <vector>

#include "platform/SettingsStore.h"
#include "settings/CaptureFormat.h"
#include "settings/SettingsDefaults.h"

namespace pixora {

namespace {

struct StoredEntry {
    const char* name;
    FilterField field;
};

constexpr StoredEntry kFilterEntries[] = {
    {"Brightness", FilterField::Brightness},
    {"Contrast", FilterField::Contrast},
    {"Hue", FilterField::Hue},
    {"Saturation", FilterField::Saturation},
    {"Sharpness", FilterField::Sharpness},
    {"R_Gain", FilterField::BayerGainRed},
    {"G_Gain", FilterField::BayerGainGreen},
    {"B_Gain", FilterField::BayerGainBlue},
    {"Gamma", FilterField::Gamma},
    {"BayerMode", FilterField::BayerMode},
};

constexpr StoredEntry kGrayEntries[] = {
    {"Mode", FilterField::GrayMode},         {"GainR1", FilterField::GrayGainR},
    {"GainG1", FilterField::GrayGainG1},     {"GainG2", FilterField::GrayGainG2},
    {"GainB1", FilterField::GrayGainB},      {"OffsetR1", FilterField::GrayOffsetR},
    {"OffsetG1", FilterField::GrayOffsetG1}, {"OffsetG2", FilterField::GrayOffsetG2},
    {"OffsetB1", FilterField::GrayOffsetB},
};

constexpr const char* kAnalogNames[] = {"Global",  "ColorG1",  "ColorR",   "ColorB",
                                        "ColorG2", "Exposure", "V_Mirror", "AutoIris"};

std::unique_ptr<RegistryKey> OpenSubKey(const char* name) {
    auto key = RegistryKey::Open(kSettingsKey);
    return key ? key->OpenSubKey(name) : nullptr;
}

template <size_t N>
bool ReadEntries(const char* subKey, const StoredEntry (&entries)[N], FilterSettings& filter) {
    auto key = OpenSubKey(subKey);
    if (!key)
        return false;
    for (const StoredEntry& e : entries) {
        int32_t value = filter.Get(e.field);
        if (key->Read(e.name, &value))
            filter.Set(e.field, value);
    }
    return true;
}

template <size_t N>
int32_t WriteEntries(const char* subKey, const StoredEntry (&entries)[N],
                     const FilterSettings& filter) {
    auto key = RegistryKey::Create(std::string(kSettingsKey) + "\\" + subKey);
    if (!key)
        return 0;
    std::vector<NamedValue> values;
    for (const StoredEntry& e : entries)
        values.push_back({e.name, filter.Get(e.field)});
    key->Write(values);
    return 1;
}

}  // namespace

int32_t LoadFilterSettings(FilterSettings& filter) {
    if (ReadEntries("Filter", kFilterEntries, filter))
        return 1;
    SetImageFilterDefaults(filter);
    for (int i = static_cast<int>(FilterField::Spare20);
         i <= static_cast<int>(FilterField::Spare28); ++i) {
        filter.Set(static_cast<FilterField>(i), 0);
    }
    return 0;
}

int32_t SaveFilterSettings(const FilterSettings& filter) {
    return WriteEntries("Filter", kFilterEntries, filter);
}

int32_t LoadGraySettings(FilterSettings& filter) {
    if (ReadEntries("Gray", kGrayEntries, filter))
        return 1;
    filter.Set(FilterField::GrayMode, 0);
    SetGrayFilterDefaults(filter);
    return 0;
}

int32_t SaveGraySettings(const FilterSettings& filter) {
    return WriteEntries("Gray", kGrayEntries, filter);
}

int32_t LoadAnalogSettings(AnalogSettings& analog, int32_t deviceMirror) {
    auto key = OpenSubKey("Gain");
    if (!key) {
        SetAnalogGainDefaults(analog);
        analog.Set(AnalogField::VerticalMirror, deviceMirror);
        analog.Set(AnalogField::AutoIris, 0);
        return 1;
    }
    // One temporary carries each read into the next colour gain, so a missing colour
    // value repeats the one before it.
    int32_t carried = 0;
    key->Read("Global", &carried);
    analog.Set(AnalogField::GlobalGain, carried);
    for (AnalogField f : {AnalogField::ColorGainG1, AnalogField::ColorGainR,
                          AnalogField::ColorGainB, AnalogField::ColorGainG2}) {
        key->Read(kAnalogNames[static_cast<int>(f)], &carried);
        analog.Set(f, carried);
    }
    for (AnalogField f :
         {AnalogField::Exposure, AnalogField::VerticalMirror, AnalogField::AutoIris}) {
        int32_t value = analog.Get(f);
        if (key->Read(kAnalogNames[static_cast<int>(f)], &value))
            analog.Set(f, value);
    }
    return 1;
}

int32_t SaveAnalogSettings(const AnalogSettings& analog) {
    auto key = RegistryKey::Create(std::string(kSettingsKey) + "\\Gain");
    if (!key)
        return 0;
    std::vector<NamedValue> values;
    for (int i = 0; i < 8; ++i)
        values.push_back({kAnalogNames[i], analog.Get(static_cast<AnalogField>(i))});
    key->Write(values);
    return 1;
}

}  // namespace pixora
