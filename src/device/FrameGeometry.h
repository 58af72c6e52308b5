// Where the image lies inside a transferred frame and how many samples a transfer moves.
#pragma once

#include <cstdint>

#include "driver/WireProtocol.h"
#include "settings/SensorSize.h"  // kSensorWidth, kSensorHeight

namespace pixora {

// Lines are `pitch` samples long; the image starts at line `activeLine`, column
// `activeColumn`, and is activeWidth x activeHeight samples.
struct FrameGeometry {
    int32_t pitch = 0;
    int32_t activeColumn = 0;
    int32_t activeWidth = 0;
    int32_t totalLines = 0;
    int32_t activeLine = 0;
    int32_t activeHeight = 0;
    int32_t transferSamples = 0;
};

// The full-window geometry every open camera starts with (the sensor size is in
// settings/SensorSize.h).
inline constexpr int32_t kLinePitch = static_cast<int32_t>(wire::kLinePitch);
inline constexpr int32_t kActiveColumn = static_cast<int32_t>(wire::kActiveColumn);
inline constexpr int32_t kTotalLines = static_cast<int32_t>(wire::kTotalLines);
inline constexpr int32_t kActiveLine = static_cast<int32_t>(wire::kActiveLine);
inline constexpr int32_t kDefaultSlotCount = 10;

// kDevOk, kDevBadHorizontal or kDevBadVertical for a proposed geometry. Negative offsets
// are refused as well: they would place the image before the start of the frame.
int32_t CheckFrameGeometry(int32_t pitch, int32_t column, int32_t width, int32_t totalLines,
                           int32_t line, int32_t height);

// pitch x (line + height), rounded up to a multiple of 1024 samples.
int64_t TransferSamplesFor(int32_t pitch, int32_t line, int32_t height);

// True when the image window of `g` lies inside a frame of `frameSamples` samples.
bool WindowFitsFrame(const FrameGeometry& g, int64_t frameSamples);

}  // namespace pixora
