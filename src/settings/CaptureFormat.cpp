#include "settings/CaptureFormat.h"

#include <cstdio>

#include "platform/SettingsStore.h"

namespace pixora {

namespace {

void WriteDefaults() {
    auto key = RegistryKey::Create(kSettingsKey);
    if (!key)
        return;
    auto size = key->CreateSubKey(SizeKeyName(0));
    if (!size)
        return;
    WriteSize(*size, FormatSettings{});
    key->Write({{"Size", 0}, {"Color", 2}, {"SubSample", 0}, {"WaitTime", 10}, {"Clock", 0}});
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
    size.Read("EH", &format.captureWidth);
    size.Read("EV", &format.captureHeight);
    size.Read("EHS", &format.startColumn);
    size.Read("EVS", &format.startRow);
    size.Read("Buf", &format.bufferCount);
}

bool WriteSize(RegistryKey& size, const FormatSettings& format) {
    return size.Write({{"TH", format.totalWidth},
                       {"TV", format.totalHeight},
                       {"EH", format.captureWidth},
                       {"EV", format.captureHeight},
                       {"EHS", format.startColumn},
                       {"EVS", format.startRow},
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

int32_t LoadFormat(FormatValues& values) {
    auto key = RegistryKey::Open(kSettingsKey);
    if (!key)
        return 0;
    key->Read("Color", &values.colorModeIndex);
    key->Read("SubSample", &values.subSampleIndex);
    key->Read("WaitTime", &values.waitTimeMs);
    key->Read("Clock", &values.clock);
    return 1;
}

}  // namespace pixora
