// The colour step of the processing chain: white-balance measurement on request, Bayer
// interpolation by the member the processor and the settings allow, then the border pass.
#pragma once

#include <cstdint>

#include "image/ImageBuffer.h"
#include "imaging/DialogRefresh.h"
#include "imaging/KernelBlocks.h"
#include "imaging/ProcessorInfo.h"
#include "settings/SettingsRecords.h"

namespace pixora {

// The highest white-balance gain a measurement stores.
inline constexpr int32_t kMaxBayerGain = 400;

enum class InterpolationMember { Reference, Sse2, Avx2 };

// The 8-bit member: the reference one for 32-bit destinations or when any of the three
// gains exceeds 200 %; otherwise AVX2 when the processor and the operating system support
// it, else SSE2 when reported and usable, else the reference one. A usable MMX unit alone
// also gets the reference member: 64-bit processors all have SSE2.
InterpolationMember ChooseInterpolationMember(const ProcessorInfo& processor,
                                              uint16_t destBitsPerPixel,
                                              const InterpolationBlock& block);

// Measures white balance on `raw` (8 or 16 bits per pixel) when the request is set, storing
// the gains (at most 400) and asking the dialogs to refresh; clears the request and its two
// companions when all three are set (a one-shot request). Then interpolates `raw` into
// `dest` (24/32 bits from 8, 48/64 bits from 16) and fills the border. Does nothing when
// the images do not match in size or depth. Returns true when it interpolated; then the
// Bayer mode and gains it applied go to *applied when given. `bayerMode` is the pattern
// `raw` starts with (MosaicBayerMode), which both steps read the sites by.
bool RunColorStep(FilterSettings& filter, int32_t bayerMode, const ProcessorInfo& processor,
                  ImageBuffer& raw, ImageBuffer& dest, DialogRefresh* dialogs,
                  InterpolationBlock* applied = nullptr);

}  // namespace pixora
