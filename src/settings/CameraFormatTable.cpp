#include "settings/CameraFormatTable.h"

#include "platform/SettingsStore.h"

namespace pixora {

std::array<int32_t, 6> GeometryOf(const FormatSettings& e) {
    return {e.totalWidth,    e.totalHeight, e.captureWidth,
            e.captureHeight, e.startColumn, e.startRow};
}

void SetGeometry(FormatSettings& e, const std::array<int32_t, 6>& v) {
    e.totalWidth = v[0];
    e.totalHeight = v[1];
    e.captureWidth = v[2];
    e.captureHeight = v[3];
    e.startColumn = v[4];
    e.startRow = v[5];
}

void CameraFormatTable::Load() {
    auto key = RegistryKey::Open(kSettingsKey);
    if (!key)
        return;
    int32_t loaded = 0;
    for (; loaded < kCapacity; ++loaded) {
        auto size = key->OpenSubKey(SizeKeyName(loaded));
        if (!size)
            break;
        ReadSize(*size, sizes_[static_cast<std::size_t>(loaded)]);
    }
    count_ = loaded;
    key->Read("Size", &sizeIndex);
    key->Read(kColorName, &colorIndex);
    key->Read("SubSample", &subSampleIndex);
    key->Read(kWaitTimeName, &waitTime);
    key->Read(kClockName, &clockIndex);
}

bool CameraFormatTable::Save() const {
    auto key = RegistryKey::Create(kSettingsKey);
    if (!key)
        return false;
    for (int32_t n = 0; n < count_; ++n) {
        auto size = key->CreateSubKey(SizeKeyName(n));
        if (!size)
            break;
        WriteSize(*size, sizes_[static_cast<std::size_t>(n)]);
    }
    key->Write({{"Size", sizeIndex},
                {kColorName, colorIndex},
                {"SubSample", subSampleIndex},
                {kWaitTimeName, waitTime},
                {kClockName, clockIndex}});
    return true;
}

const FormatSettings* CameraFormatTable::Entry(int32_t index) const {
    if (index < 0 || index >= kCapacity)
        return nullptr;
    return &sizes_[static_cast<std::size_t>(index)];
}

FormatSettings* CameraFormatTable::Entry(int32_t index) {
    if (index < 0 || index >= kCapacity)
        return nullptr;
    return &sizes_[static_cast<std::size_t>(index)];
}

bool CameraFormatTable::Append(const FormatSettings& entry) {
    if (count_ >= kCapacity)
        return false;
    sizes_[static_cast<std::size_t>(count_)] = entry;
    ++count_;
    return true;
}

}  // namespace pixora
