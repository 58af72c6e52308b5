// The per-frame processing chain: automatic iris, vertical mirror, the gray treatment or the
// colour interpolation, then hue/saturation, gamma, contrast, sharpness and brightness, each
// skipped at its neutral setting. It owns nothing: the camera session hands it everything
// it works on for one frame.
#pragma once

#include <cstdint>

#include "image/ImageBuffer.h"
#include "imaging/DialogRefresh.h"
#include "imaging/ExposureControl.h"
#include "imaging/KernelBlocks.h"
#include "imaging/ProcessorInfo.h"
#include "settings/SettingsRecords.h"

namespace pixora {

// Colour modes (the session's colour mode index): bits per pixel 8, 16, 24, 32, 48, 64.
enum ColorModeIndex : int32_t {
    kColorMode8 = 0,
    kColorMode16 = 1,
    kColorMode24 = 2,
    kColorMode32 = 3,
    kColorMode48 = 4,
    kColorMode64 = 5,
};

// Gray modes of FilterField::GrayMode in colour mode 0.
inline constexpr int32_t kGrayModeBayer = 0;
inline constexpr int32_t kGrayModeBayerConvert = 1;
inline constexpr int32_t kGrayModeGrayscale = 2;

// The session's images; any may be null or empty when the colour mode does not use it.
struct FrameImages {
    ImageBuffer* raw8 = nullptr;   // raw mosaic of modes 0, 2, 3; output of mode 0
    ImageBuffer* raw16 = nullptr;  // raw mosaic of modes 1, 4, 5; output of mode 1
    ImageBuffer* color24 = nullptr;
    ImageBuffer* color32 = nullptr;
    ImageBuffer* color48 = nullptr;
    ImageBuffer* color64 = nullptr;
    ImageBuffer* workCopy = nullptr;  // made like the output image; sharpening source
};

struct FrameContext {
    FilterSettings& filter;
    AnalogSettings& analog;
    int32_t colorMode;
    FrameImages images;
    const ProcessorInfo& processor;
    ExposureControl* camera = nullptr;  // null: no open camera
    DialogRefresh* dialogs = nullptr;   // null: no dialog open
    // When given: the Bayer mode and white-balance gains the colour step applied to this
    // frame (left as it is when no colour step ran).
    InterpolationBlock* appliedGains = nullptr;
    // Where the raw image starts on the sensor (the capture window's start column and row):
    // a window starting at an odd column or row starts the colour pattern on another colour.
    int32_t windowColumn = 0;
    int32_t windowRow = 0;
};

// The Bayer mode of the raw image as the colour and gray steps read it: the stored mode,
// which describes the whole sensor's picture, turned by the window's start (with the
// vertical mirror, by where the window's last row lies). Modes outside 0..3 stay as they are.
int32_t MosaicBayerMode(int32_t storedMode, int32_t windowColumn, int32_t windowRow, int32_t height,
                        bool mirrored);

// The image a frame of `colorMode` arrives in and the image it leaves in (null if missing or
// not a mode the chain knows).
ImageBuffer* RawImageOf(const FrameImages& images, int32_t colorMode);
ImageBuffer* OutputImageOf(const FrameImages& images, int32_t colorMode);
// The same for the context's images and colour mode.
ImageBuffer* RawImageOf(const FrameContext& context);
ImageBuffer* OutputImageOf(const FrameContext& context);

// Runs the chain once on the context's current images. Steps whose images are missing or
// do not fit are skipped; nothing is reported.
void ProcessFrame(const FrameContext& context);

}  // namespace pixora
