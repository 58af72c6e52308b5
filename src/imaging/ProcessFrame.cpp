#include "imaging/ProcessFrame.h"

#include <cstring>
#include <iterator>
#include <limits>

#include "image/ConversionKernels.h"
#include "image/RowKernels.h"
#include "imaging/AutoIris.h"
#include "imaging/ColorStep.h"
#include "imaging/GrayGainOffset.h"
#include "imaging/HueSaturation.h"
#include "imaging/KernelBlocks.h"
#include "imaging/Sharpness.h"
#include "imaging/ToneAdjust.h"
#include "imaging/WhiteBalance.h"

namespace pixora {
namespace {

bool Usable(const ImageBuffer* image) {
    return image != nullptr && !image->IsEmpty();
}

bool SameGeometry(const ImageBuffer& a, const ImageBuffer& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.Stride() == b.Stride() &&
           a.BitsPerPixel() == b.BitsPerPixel();
}

// Gray "Bayer convert": gains measured on request, then gains and offsets per site.
void BayerConvert(const FrameContext& context, int32_t bayerMode, ImageBuffer& raw) {
    FilterSettings& filter = context.filter;
    GrayGainBlock block;
    block.bayerMode = bayerMode;
    block.gains[kGraySiteR] = filter.Get(FilterField::GrayGainR);
    block.gains[kGraySiteG1] = filter.Get(FilterField::GrayGainG1);
    block.gains[kGraySiteG2] = filter.Get(FilterField::GrayGainG2);
    block.gains[kGraySiteB] = filter.Get(FilterField::GrayGainB);
    block.offsets[kGraySiteR] = filter.Get(FilterField::GrayOffsetR);
    block.offsets[kGraySiteG1] = filter.Get(FilterField::GrayOffsetG1);
    block.offsets[kGraySiteG2] = filter.Get(FilterField::GrayOffsetG2);
    block.offsets[kGraySiteB] = filter.Get(FilterField::GrayOffsetB);

    const int32_t counter = filter.Get(FilterField::GrayAutoGainCounter);
    if (counter != 0) {
        raw.Apply(MeasureGrayGains8, &raw, nullptr, 0, 0, block);
        filter.Set(FilterField::GrayGainR, block.gains[kGraySiteR]);
        filter.Set(FilterField::GrayGainG1, block.gains[kGraySiteG1]);
        filter.Set(FilterField::GrayGainG2, block.gains[kGraySiteG2]);
        filter.Set(FilterField::GrayGainB, block.gains[kGraySiteB]);
        if (context.dialogs != nullptr) {
            context.dialogs->RefreshImageSettings();
        }
        // "Once" (1) runs on one frame; "All frames" (-1) keeps running until reset to 0.
        if (counter != std::numeric_limits<int32_t>::min()) {
            filter.Set(FilterField::GrayAutoGainCounter, counter - 1);
        }
    }
    for (const int32_t gain : block.gains) {
        if (gain != 128) {
            raw.Apply(GrayGainOffset8, &raw, nullptr, 0, 0, block);
            break;
        }
    }
}

void GrayTreatment(const FrameContext& context, int32_t bayerMode) {
    ImageBuffer* raw = context.images.raw8;
    if (!Usable(raw) || raw->BitsPerPixel() != 8) {
        return;
    }
    switch (context.filter.Get(FilterField::GrayMode)) {
        case kGrayModeBayerConvert:
            BayerConvert(context, bayerMode, *raw);
            break;
        case kGrayModeGrayscale: {
            ImageBuffer* color = context.images.color24;
            if (Usable(color) && RunColorStep(context.filter, bayerMode, context.processor, *raw,
                                              *color, context.dialogs, context.appliedGains)) {
                raw->Apply(Luma24To8, color, nullptr, 0, 0);
            }
            break;
        }
        default:
            break;
    }
}

void Interpolate(const FrameContext& context, int32_t bayerMode) {
    ImageBuffer* raw = RawImageOf(context);
    ImageBuffer* output = OutputImageOf(context);
    if (Usable(raw) && Usable(output)) {
        RunColorStep(context.filter, bayerMode, context.processor, *raw, *output, context.dialogs,
                     context.appliedGains);
    }
}

// 16-bit gray, 48- and 64-bit pixels hold 10-bit words; the other depths bytes.
bool HoldsWords(const ImageBuffer& image) {
    return image.BitsPerPixel() == 16 || image.BitsPerPixel() >= 48;
}

using Adjustment = void (*)(const PixelRegion& region, int32_t value);

// Runs an adjustment from `source` (the output itself, or its untouched copy) into the
// output with its 8-bit-sample or 10-bit-sample member, by the output's depth.
void Adjust(ImageBuffer& output, const ImageBuffer& source, Adjustment member8, Adjustment member10,
            int32_t value) {
    output.Apply(HoldsWords(output) ? member10 : member8, &source, nullptr, 0, 0, value);
}

using HueSaturationMember = void (*)(const PixelRegion& region, const HueSaturationBlock& block);

// The member for the colour mode's output, or null when the output's depth is not the
// one the mode makes: bytes for 24 and 32 bits, words for 48 and 64.
HueSaturationMember HueSaturationMemberFor(int32_t mode, const ImageBuffer& output, bool wide) {
    const uint16_t bits = output.BitsPerPixel();
    if (mode == kColorMode24 || mode == kColorMode32) {
        return bits == 24 || bits == 32 ? (wide ? HueSaturation24Avx2 : HueSaturation24) : nullptr;
    }
    if (mode == kColorMode48 || mode == kColorMode64) {
        return bits == 48 || bits == 64 ? (wide ? HueSaturation48Avx2 : HueSaturation48) : nullptr;
    }
    return nullptr;
}

void Adjustments(const FrameContext& context) {
    ImageBuffer* output = OutputImageOf(context);
    if (!Usable(output)) {
        return;
    }
    FilterSettings& filter = context.filter;
    const int32_t mode = context.colorMode;

    HueSaturationBlock hls;
    hls.hue = filter.Get(FilterField::Hue);
    hls.saturation = filter.Get(FilterField::Saturation);
    hls.lightness = 0;  // no setting supplies one: lightness stays as it is
    if (hls.hue != 0 || hls.saturation != 0) {
        // The AVX2 forms give the same bytes.
        output->Apply(HueSaturationMemberFor(mode, *output, context.processor.avx2Usable), output,
                      nullptr, 0, 0, hls);
    }

    const int32_t gamma = filter.Get(FilterField::Gamma);
    if (gamma != 100) {
        Adjust(*output, *output, AdjustGamma8, AdjustGamma10, gamma);
    }
    const int32_t contrast = filter.Get(FilterField::Contrast);
    if (contrast != 0) {
        Adjust(*output, *output, AdjustContrast8, AdjustContrast10, contrast);
    }
    const int32_t sharpness = filter.Get(FilterField::Sharpness);
    ImageBuffer* copy = context.images.workCopy;
    if (sharpness != 0 && Usable(copy) && SameGeometry(*copy, *output)) {
        std::memcpy(copy->Bits(), output->Bits(), output->SizeBytes());
        Adjust(*output, *copy, Sharpen8, Sharpen10, sharpness);
    }
    const int32_t brightness = filter.Get(FilterField::Brightness);
    if (brightness != 0) {
        Adjust(*output, *output, AdjustBrightness8, AdjustBrightness10, brightness);
    }
}

// Per colour mode, in mode order: the image the frame arrives in and the image it leaves in.
struct ModeImages {
    ImageBuffer* FrameImages::*raw;
    ImageBuffer* FrameImages::*output;
};
constexpr ModeImages kModeImages[] = {
    {&FrameImages::raw8, &FrameImages::raw8},      // kColorMode8
    {&FrameImages::raw16, &FrameImages::raw16},    // kColorMode16
    {&FrameImages::raw8, &FrameImages::color24},   // kColorMode24
    {&FrameImages::raw8, &FrameImages::color32},   // kColorMode32
    {&FrameImages::raw16, &FrameImages::color48},  // kColorMode48
    {&FrameImages::raw16, &FrameImages::color64},  // kColorMode64
};

const ModeImages* ModeImagesOf(int32_t colorMode) {
    const bool known = colorMode >= 0 && static_cast<size_t>(colorMode) < std::size(kModeImages);
    return known ? &kModeImages[colorMode] : nullptr;
}

}  // namespace

int32_t MosaicBayerMode(int32_t storedMode, int32_t windowColumn, int32_t windowRow, int32_t height,
                        bool mirrored) {
    if (storedMode < 0 || storedMode > 3)
        return storedMode;
    // Bit 0 of the mode flips the row phase, bit 1 the column phase (imaging/BayerSites.h).
    // The stored mode is the whole picture's, mirrored or not; a mirrored window's first
    // row is the sensor row of its last, which lies 1024 - row - height rows from the
    // mirrored picture's first (the sensor's height is even).
    const int32_t rowShift = (mirrored ? windowRow + height : windowRow) & 1;
    const int32_t columnShift = windowColumn & 1;
    return storedMode ^ (rowShift | columnShift << 1);
}

ImageBuffer* RawImageOf(const FrameImages& images, int32_t colorMode) {
    const ModeImages* mode = ModeImagesOf(colorMode);
    return mode != nullptr ? images.*(mode->raw) : nullptr;
}

ImageBuffer* OutputImageOf(const FrameImages& images, int32_t colorMode) {
    const ModeImages* mode = ModeImagesOf(colorMode);
    return mode != nullptr ? images.*(mode->output) : nullptr;
}

ImageBuffer* RawImageOf(const FrameContext& context) {
    return RawImageOf(context.images, context.colorMode);
}

ImageBuffer* OutputImageOf(const FrameContext& context) {
    return OutputImageOf(context.images, context.colorMode);
}

void ProcessFrame(const FrameContext& context) {
    ImageBuffer* raw = RawImageOf(context);
    if (raw == nullptr) {
        return;  // not a colour mode this chain knows
    }
    RunAutoIris(context.analog, raw, context.camera, context.dialogs);

    const bool mirrored = context.analog.Get(AnalogField::VerticalMirror) != 0;
    if (mirrored && Usable(raw)) {
        raw->Apply(SwapRows, raw, nullptr, 0, 0);
    }
    const int32_t bayerMode =
        MosaicBayerMode(context.filter.Get(FilterField::BayerMode), context.windowColumn,
                        context.windowRow, raw->Height(), mirrored);

    if (context.colorMode == kColorMode8) {
        GrayTreatment(context, bayerMode);
    } else if (context.colorMode >= kColorMode24) {
        Interpolate(context, bayerMode);
    }
    Adjustments(context);
}

}  // namespace pixora
