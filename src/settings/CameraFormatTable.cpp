#include "settings/CameraFormatTable.h"

#include <cstdio>
#include <string>

#include "platform/SettingsStore.h"
#include "settings/CaptureFormat.h"

namespace pixora {

namespace {

std::string SizeKeyName(int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "Size_%02d", static_cast<int>(number));
    return name;
}

}  // namespace

std::array<int32_t, 6> GeometryOf(const SizeEntry& e) {
    return {e.totalWidth,    e.totalHeight, e.captureWidth,
            e.captureHeight, e.startColumn, e.startRow};
}

void SetGeometry(SizeEntry& e, const std::array<int32_t, 6>& v) {
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
        SizeEntry& e = sizes_[static_cast<std::size_t>(loaded)];
        size->Read("TH", &e.totalWidth);
        size->Read("TV", &e.totalHeight);
        size->Read("EH", &e.captureWidth);
        size->Read("EV", &e.captureHeight);
        size->Read("EHS", &e.startColumn);
        size->Read("EVS", &e.startRow);
        size->Read("Buf", &e.bufferCount);
    }
    count_ = loaded;
    key->Read("Size", &sizeIndex);
    key->Read("Color", &colorIndex);
    key->Read("SubSample", &subSampleIndex);
    key->Read("WaitTime", &waitTime);
    key->Read("Clock", &clockIndex);
}

bool CameraFormatTable::Save() const {
    auto key = RegistryKey::Create(kSettingsKey);
    if (!key)
        return false;
    for (int32_t n = 0; n < count_; ++n) {
        auto size = key->CreateSubKey(SizeKeyName(n));
        if (!size)
            break;
        const SizeEntry& e = sizes_[static_cast<std::size_t>(n)];
        size->Write({{"TH", e.totalWidth},
                     {"TV", e.totalHeight},
                     {"EH", e.captureWidth},
                     {"EV", e.captureHeight},
                     {"EHS", e.startColumn},
                     {"EVS", e.startRow},
                     {"Buf", e.bufferCount}});
    }
    key->Write({{"Size", sizeIndex},
                {"Color", colorIndex},
                {"SubSample", subSampleIndex},
                {"WaitTime", waitTime},
                {"Clock", clockIndex}});
    return true;
}

const SizeEntry* CameraFormatTable::Entry(int32_t index) const {
    if (index < 0 || index >= kCapacity)
        return nullptr;
    return &sizes_[static_cast<std::size_t>(index)];
}

SizeEntry* CameraFormatTable::Entry(int32_t index) {
    if (index < 0 || index >= kCapacity)
        return nullptr;
    return &sizes_[static_cast<std::size_t>(index)];
}

bool CameraFormatTable::Append(const SizeEntry& entry) {
    if (count_ >= kCapacity)
        return false;
    sizes_[static_cast<std::size_t>(count_)] = entry;
    ++count_;
    return true;
}

}  // namespace pixora
