#include "imaging/ImagingKernels.h"

#include "imaging/BayerInterpolation.h"
#include "imaging/BayerInterpolationSimd.h"
#include "imaging/GrayGainOffset.h"
#include "imaging/HueSaturation.h"
#include "imaging/PixelRegion.h"
#include "imaging/Sharpness.h"
#include "imaging/ToneAdjust.h"
#include "imaging/WhiteBalance.h"
#include "imaging/WindowMean.h"

namespace pixora {
namespace {

enum class Depths {
    Gray8,        // 1 -> 1
    Gray16,       // 2 -> 2
    Samples8,     // 1, 3 or 4 bytes per pixel, both alike
    Samples10,    // 2, 6 or 8 bytes per pixel, both alike
    Color8,       // 3 or 4, both alike
    Color10,      // 6 or 8, both alike
    Mosaic8,      // 1 -> 3 or 4
    Mosaic8To24,  // 1 -> 3
    Mosaic16,     // 2 -> 6 or 8
};

bool DepthsFit(Depths depths, uint16_t dest, uint16_t source) {
    switch (depths) {
        case Depths::Gray8:
            return dest == 1 && source == 1;
        case Depths::Gray16:
            return dest == 2 && source == 2;
        case Depths::Samples8:
            return dest == source && (source == 1 || source == 3 || source == 4);
        case Depths::Samples10:
            return dest == source && (source == 2 || source == 6 || source == 8);
        case Depths::Color8:
            return dest == source && (source == 3 || source == 4);
        case Depths::Color10:
            return dest == source && (source == 6 || source == 8);
        case Depths::Mosaic8:
            return source == 1 && (dest == 3 || dest == 4);
        case Depths::Mosaic8To24:
            return source == 1 && dest == 3;
        case Depths::Mosaic16:
            return source == 2 && (dest == 6 || dest == 8);
    }
    return false;
}

// Unpacks the calling convention, checks depths and parameter, and runs `body`.
template <typename Parameter, typename Body>
int32_t Run(Depths depths, uint8_t* dest, const uint8_t* source, const PixelRect* rect,
            int32_t destX, int32_t destY, uint16_t destBpp, uint16_t sourceBpp, int32_t destStride,
            int32_t sourceStride, void* argument, Body body) {
    if (argument == nullptr || !DepthsFit(depths, destBpp, sourceBpp)) {
        return 0;
    }
    const PixelRegion region = RegionFromKernelArguments(dest, source, rect, destX, destY, destBpp,
                                                         sourceBpp, destStride, sourceStride);
    body(region, *static_cast<Parameter*>(argument));
    return 1;
}

#define PIXORA_KERNEL_ARGS                                                                     \
    uint8_t *dest, const uint8_t *source, const PixelRect *rect, int32_t destX, int32_t destY, \
        uint16_t destBpp, uint16_t sourceBpp, int32_t destStride, int32_t sourceStride,        \
        void *argument1, void *
#define PIXORA_FORWARD \
    dest, source, rect, destX, destY, destBpp, sourceBpp, destStride, sourceStride, argument1

}  // namespace

int32_t WindowMean8Kernel(uint8_t* dest, const uint8_t* source, const PixelRect* rect,
                          int32_t destX, int32_t destY, uint16_t destBpp, uint16_t sourceBpp,
                          int32_t destStride, int32_t sourceStride, void*, void*) {
    if (sourceBpp != 1) {
        return 0;
    }
    return static_cast<int32_t>(WindowMean8(RegionFromKernelArguments(
        dest, source, rect, destX, destY, destBpp, sourceBpp, destStride, sourceStride)));
}

int32_t WindowMean16Kernel(uint8_t* dest, const uint8_t* source, const PixelRect* rect,
                           int32_t destX, int32_t destY, uint16_t destBpp, uint16_t sourceBpp,
                           int32_t destStride, int32_t sourceStride, void*, void*) {
    if (sourceBpp != 2) {
        return 0;
    }
    return static_cast<int32_t>(WindowMean16(RegionFromKernelArguments(
        dest, source, rect, destX, destY, destBpp, sourceBpp, destStride, sourceStride)));
}

int32_t GrayGainOffsetKernel(PIXORA_KERNEL_ARGS) {
    return Run<const GrayGainBlock>(Depths::Gray8, PIXORA_FORWARD, GrayGainOffset8);
}

int32_t GrayGainStatisticsKernel(PIXORA_KERNEL_ARGS) {
    return Run<GrayGainBlock>(Depths::Gray8, PIXORA_FORWARD, MeasureGrayGains8);
}

int32_t WhiteBalance8Kernel(PIXORA_KERNEL_ARGS) {
    return Run<WhiteBalanceBlock>(Depths::Gray8, PIXORA_FORWARD, MeasureWhiteBalance8);
}

int32_t WhiteBalance16Kernel(PIXORA_KERNEL_ARGS) {
    return Run<WhiteBalanceBlock>(Depths::Gray16, PIXORA_FORWARD, MeasureWhiteBalance16);
}

int32_t HueSaturation24Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const HueSaturationBlock>(Depths::Color8, PIXORA_FORWARD, HueSaturation24);
}

int32_t HueSaturation48Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const HueSaturationBlock>(Depths::Color10, PIXORA_FORWARD, HueSaturation48);
}

int32_t HueSaturation24Avx2Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const HueSaturationBlock>(Depths::Color8, PIXORA_FORWARD, HueSaturation24Avx2);
}

int32_t HueSaturation48Avx2Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const HueSaturationBlock>(Depths::Color10, PIXORA_FORWARD, HueSaturation48Avx2);
}

int32_t Gamma8Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const int32_t>(Depths::Samples8, PIXORA_FORWARD, AdjustGamma8);
}

int32_t Gamma10Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const int32_t>(Depths::Samples10, PIXORA_FORWARD, AdjustGamma10);
}

int32_t Contrast8Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const int32_t>(Depths::Samples8, PIXORA_FORWARD, AdjustContrast8);
}

int32_t Contrast10Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const int32_t>(Depths::Samples10, PIXORA_FORWARD, AdjustContrast10);
}

int32_t Brightness8Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const int32_t>(Depths::Samples8, PIXORA_FORWARD, AdjustBrightness8);
}

int32_t Brightness10Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const int32_t>(Depths::Samples10, PIXORA_FORWARD, AdjustBrightness10);
}

int32_t Sharpen8Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const int32_t>(Depths::Samples8, PIXORA_FORWARD, Sharpen8);
}

int32_t Sharpen10Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const int32_t>(Depths::Samples10, PIXORA_FORWARD, Sharpen10);
}

int32_t InterpolateReference8Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const InterpolationBlock>(Depths::Mosaic8, PIXORA_FORWARD, InterpolateReference8);
}

int32_t InterpolateReferenceSse2Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const InterpolationBlock>(Depths::Mosaic8, PIXORA_FORWARD, InterpolateReferenceSse2);
}

int32_t InterpolateReferenceAvx2Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const InterpolationBlock>(Depths::Mosaic8, PIXORA_FORWARD, InterpolateReferenceAvx2);
}

int32_t InterpolateSse2Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const InterpolationBlock>(Depths::Mosaic8To24, PIXORA_FORWARD, InterpolateSse2);
}

int32_t InterpolateAvx2Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const InterpolationBlock>(Depths::Mosaic8To24, PIXORA_FORWARD, InterpolateAvx2);
}

int32_t InterpolateBorder8Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const InterpolationBlock>(Depths::Mosaic8, PIXORA_FORWARD, InterpolateBorder8);
}

int32_t Interpolate16Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const InterpolationBlock>(Depths::Mosaic16, PIXORA_FORWARD, Interpolate16);
}

int32_t Interpolate16Avx2Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const InterpolationBlock>(Depths::Mosaic16, PIXORA_FORWARD, Interpolate16Avx2);
}

int32_t InterpolateBorder16Kernel(PIXORA_KERNEL_ARGS) {
    return Run<const InterpolationBlock>(Depths::Mosaic16, PIXORA_FORWARD, InterpolateBorder16);
}

#undef PIXORA_KERNEL_ARGS
#undef PIXORA_FORWARD

}  // namespace pixora
