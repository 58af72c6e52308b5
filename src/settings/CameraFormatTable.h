// What the camera property dialog edits: the capture sizes stored as "Size_NN" subkeys and
// the capture-format values beside them, read from and written to the registry.
#pragma once

#include <array>
#include <cstdint>

#include "settings/CaptureFormat.h"

namespace pixora {

// An entry no size subkey has filled: an empty window and 10 buffers.
inline constexpr FormatSettings kEmptySize{0, 0, 0, 0, 0, 0, 10};

// The six values the camera dialog's geometry edits show, in their order.
std::array<int32_t, 6> GeometryOf(const FormatSettings& entry);
void SetGeometry(FormatSettings& entry, const std::array<int32_t, 6>& values);

class CameraFormatTable {
public:
    static constexpr int32_t kCapacity = 100;

    CameraFormatTable() { sizes_.fill(kEmptySize); }

    // Reads the sizes "Size_00", "Size_01", ... up to the first missing number, then
    // "Size", "Color", "SubSample", "WaitTime" and "Clock". Values that cannot be read
    // keep what they held; without the key nothing changes.
    void Load();
    // Writes the loaded sizes and the five values. False when the key cannot be created.
    bool Save() const;

    // Null for an index outside the table.
    const FormatSettings* Entry(int32_t index) const;
    FormatSettings* Entry(int32_t index);
    int32_t Count() const { return count_; }
    // Appends an entry; false (nothing written) when the table is full.
    bool Append(const FormatSettings& entry);

    int32_t sizeIndex = 0;
    int32_t colorIndex = 0;
    int32_t subSampleIndex = 0;
    int32_t waitTime = 10;
    int32_t clockIndex = 0;

private:
    std::array<FormatSettings, kCapacity> sizes_;
    int32_t count_ = 0;
};

}  // namespace pixora
