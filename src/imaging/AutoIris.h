// Automatic exposure or gain ("auto iris"): on one frame in three, five small windows of the
// raw image are measured and the sensor's exposure time or analog gain is corrected when the
// picture is clearly too dark or too bright.
#pragma once

#include <array>
#include <cstdint>

#include "PixoraSdk_530TZ.h"
#include "image/ImageBuffer.h"
#include "imaging/DialogRefresh.h"
#include "imaging/ExposureControl.h"
#include "settings/SettingsRecords.h"

namespace pixora {

// Automatic iris modes of AnalogField::AutoIris.
inline constexpr int32_t kAutoIrisOff = PIXORA_AUTO_IRIS_OFF;
inline constexpr int32_t kAutoIrisExposure = PIXORA_AUTO_IRIS_EXPOSURE;
inline constexpr int32_t kAutoIrisGain = PIXORA_AUTO_IRIS_GAIN;

// Steps the process-wide frame counter shared by all sessions; true on the frame to
// measure. Starting from 0 that is the third, sixth, ... call, across all threads.
bool AdvanceExposureFrameCounter();

// The five measuring windows (left, top, right, bottom) in the bottom-up coordinates of
// ImageBuffer::Apply: four near the corners at 10..20 % and 80..90 % of each side, one at
// 45..55 % in the centre; each bound truncated toward zero.
std::array<PixelRect, 5> IrisWindows(int32_t width, int32_t height);

// The correction factor from the window means (corner window first): 0.85 / 0.9 / 1.1 /
// 1.05 / 1.0 from the first window, then -0.15 / -0.1 / +0.1 / +0.05 per other window, by
// the thresholds 200, 160, 50 and 100.
double ExposureFactor(const std::array<uint32_t, 5>& means);

// True when the factor lies in the dead band 0.6 < e < 1.2 (nothing changes).
bool InDeadBand(double factor);

// New gain: gain x e truncated; at least 4 when e > 1 (so a gain of 0 can climb); then held
// to minimum..maximum.
int32_t NextGain(int32_t gain, double factor, int32_t minimum, int32_t maximum);
// New exposure time: exposure x e truncated to 16 bits, with the same floor and limits.
int32_t NextExposure(int32_t exposure, double factor, int32_t minimum, int32_t maximum);

// Runs on the raw image of the frame (8 or 16 bits per pixel). Does nothing and returns 0
// unless the mode is exposure or gain, the image exists, the camera is open and this is the
// counter's frame; otherwise returns 1 after measuring and, outside the dead band, writes
// the new gain or exposure to the camera, the settings and the open analog gain dialog.
int32_t RunAutoIris(AnalogSettings& analog, ImageBuffer* raw, ExposureControl* camera,
                    DialogRefresh* dialogs);

}  // namespace pixora
