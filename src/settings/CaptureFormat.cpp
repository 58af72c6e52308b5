#include "settings/CaptureFormat.h"

#include <cstdio>

#include "platform/SettingsStore.h"
#include "settings/ControlRows.h"

namespace pixora {

const char* const kColorName = CameraControl("color-mode").storedName;
const char* const kWaitTimeName = CameraControl("wait-time").storedName;
const char* const kClockName = CameraControl("clock").storedName;
const char* const kWidthName = CameraControl("width").storedName;
const char* const kHeightName = CameraControl("height").storedName;
const char* const kColumnName = CameraControl("offset-x").storedName;
const char* const kRowName = CameraControl("offset-y").storedName;

namespace {

// The colour mode is stored as the position of its bits among the control's values.
constexpr int32_t ColorIndexOf(int32_t bits) {
    const ControlRow& mode = CameraControl("color-mode");
    for (std::size_t i = 0; i < mode.values.size(); ++i) {
        if (mode.values[i].value == bits)
            return static_cast<int32_t>(i);
    }
    return 0;
}
constexpr int32_t kFirstColorIndex = ColorIndexOf(CameraControl("color-mode").neutral);
static_assert(kFirstColorIndex == 2, "a first run stores colour mode 2, 24 bits per pixel");

void WriteDefaults() {
    auto key = RegistryKey::Create(kSettingsKey);
    if (!key)
        return;
    auto size = key->CreateSubKey(SizeKeyName(0));
    if (!size)
        return;
    WriteSize(*size, FormatSettings{});
    key->Write({{"Size", 0},
                {kColorName, kFirstColorIndex},
                {"SubSample", 0},
                {kWaitTimeName, CameraControl("wait-time").neutral},
                {kClockName, CameraControl("clock").neutral}});
}

}  // namespace

std::string SizeKeyName(int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "Size_%02d", static_cast<int>(number));
    return name;
}

void ReadSize(const RegistryKey& size, FormatSettings& format) {
    size.Read("TH", &format.totalWidth);
    size.Read("TV", &format.totalHeight);
    size.Read(kWidthName, &format.captureWidth);
    size.Read(kHeightName, &format.captureHeight);
    size.Read(kColumnName, &format.startColumn);
    size.Read(kRowName, &format.startRow);
    size.Read("Buf", &format.bufferCount);
}

bool WriteSize(RegistryKey& size, const FormatSettings& format) {
    return size.Write({{"TH", format.totalWidth},
                       {"TV", format.totalHeight},
                       {kWidthName, format.captureWidth},
                       {kHeightName, format.captureHeight},
                       {kColumnName, format.startColumn},
                       {kRowName, format.startRow},
                       {"Buf", format.bufferCount}});
}

bool GeometryValid(const FormatSettings& f, int32_t subSampleIndex) {
    if (f.captureWidth < 0 || f.captureHeight < 0 || f.startColumn < 0 || f.startRow < 0) {
        return false;
    }
    if (f.captureWidth > kSensorWidth || f.startColumn > kSensorWidth)
        return false;
    if (f.captureHeight > kSensorHeight || f.startRow > kSensorHeight)
        return false;
    if (f.startColumn + f.captureWidth > kSensorWidth)
        return false;
    if (f.startRow + f.captureHeight > kSensorHeight)
        return false;
    return subSampleIndex >= 0 && subSampleIndex <= 2;
}

int32_t LoadGeometry(FormatSettings& format) {
    auto key = RegistryKey::Open(kSettingsKey);
    if (!key) {
        WriteDefaults();
        return 0;
    }
    int32_t number = 0;
    if (!key->Read("Size", &number))
        return 0;
    auto size = key->OpenSubKey(SizeKeyName(number));
    if (!size)
        return 0;
    ReadSize(*size, format);
    return 1;
}

int32_t SaveGeometry(const FormatSettings& format) {
    auto key = RegistryKey::Create(kSettingsKey);
    if (!key)
        return 0;
    int32_t number = 0;
    key->Read("Size", &number);
    auto size = key->CreateSubKey(SizeKeyName(number));
    return size && WriteSize(*size, format) ? 1 : 0;
}

int32_t LoadFormat(FormatValues& values) {
    auto key = RegistryKey::Open(kSettingsKey);
    if (!key)
        return 0;
    key->Read(kColorName, &values.colorModeIndex);
    key->Read("SubSample", &values.subSampleIndex);
    key->Read(kWaitTimeName, &values.waitTimeMs);
    key->Read(kClockName, &values.clock);
    return 1;
}

}  // namespace pixora
