// What the camera property dialog edits: the capture sizes stored as "Size_NN" subkeys and
// the capture-format values beside them, read from and written to the registry.
#pragma once

#include <array>
#include <cstdint>

namespace pixora {

struct SizeEntry {
    int32_t totalWidth = 0;     // "TH"
    int32_t totalHeight = 0;    // "TV"
    int32_t captureWidth = 0;   // "EH"
    int32_t captureHeight = 0;  // "EV"
    int32_t startColumn = 0;    // "EHS"
    int32_t startRow = 0;       // "EVS"
    int32_t bufferCount = 10;   // "Buf"
};

// The six values the dialog's geometry edits show, in edit order (1039..1044).
std::array<int32_t, 6> GeometryOf(const SizeEntry& entry);
void SetGeometry(SizeEntry& entry, const std::array<int32_t, 6>& values);

class CameraFormatTable {
public:
    static constexpr int32_t kCapacity = 100;

    // Reads the sizes "Size_00", "Size_01", ... up to the first missing number, then
    // "Size", "Color", "SubSample", "WaitTime" and "Clock". Values that cannot be read
    // keep what they held; without the key nothing changes.
    void Load();
    // Writes the loaded sizes and the five values. False when the key cannot be created.
    bool Save() const;

    // Null for an index outside the table.
    const SizeEntry* Entry(int32_t index) const;
    SizeEntry* Entry(int32_t index);
    int32_t Count() const { return count_; }
    // Appends an entry; false (nothing written) when the table is full.
    bool Append(const SizeEntry& entry);

    int32_t sizeIndex = 0;
    int32_t colorIndex = 0;
    int32_t subSampleIndex = 0;
    int32_t waitTime = 10;
    int32_t clockIndex = 0;

private:
    std::array<SizeEntry, kCapacity> sizes_{};
    int32_t count_ = 0;
};

}  // namespace pixora
