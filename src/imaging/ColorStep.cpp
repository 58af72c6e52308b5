#include "imaging/ColorStep.h"

#include <algorithm>

#include "imaging/BayerInterpolation.h"
#include "imaging/BayerInterpolationSimd.h"
#include "imaging/WhiteBalance.h"

namespace pixora {

InterpolationMember ChooseInterpolationMember(const ProcessorInfo& processor,
                                              uint16_t destBitsPerPixel,
                                              const InterpolationBlock& block) {
    if (destBitsPerPixel == 32 || block.gainR > 200 || block.gainG > 200 || block.gainB > 200) {
        return InterpolationMember::Reference;
    }
    if (processor.avx2Usable) {
        return InterpolationMember::Avx2;
    }
    if (processor.Usable(kFeatureSse2)) {
        return InterpolationMember::Sse2;
    }
    return InterpolationMember::Reference;
}

namespace {

bool Matches(const ImageBuffer& raw, const ImageBuffer& dest) {
    if (raw.IsEmpty() || dest.IsEmpty() || raw.Width() != dest.Width() ||
        raw.Height() != dest.Height()) {
        return false;
    }
    const uint16_t rawBits = raw.BitsPerPixel();
    const uint16_t destBits = dest.BitsPerPixel();
    return (rawBits == 8 && (destBits == 24 || destBits == 32)) ||
           (rawBits == 16 && (destBits == 48 || destBits == 64));
}

void MeasureWhiteBalance(FilterSettings& filter, int32_t bayerMode, ImageBuffer& raw,
                         DialogRefresh* dialogs) {
    WhiteBalanceBlock block;
    // Slots start at the current gains, so a colour the measurement cannot rate keeps its
    // gain.
    block.blueGain = filter.Get(FilterField::BayerGainBlue);
    block.greenGain = filter.Get(FilterField::BayerGainGreen);
    block.redGain = filter.Get(FilterField::BayerGainRed);
    block.bayerMode = bayerMode;
    raw.Apply(raw.BitsPerPixel() == 16 ? MeasureWhiteBalance16 : MeasureWhiteBalance8, &raw,
              nullptr, 0, 0, block);
    filter.Set(FilterField::BayerGainRed, std::min(block.redGain, kMaxBayerGain));
    filter.Set(FilterField::BayerGainGreen, std::min(block.greenGain, kMaxBayerGain));
    filter.Set(FilterField::BayerGainBlue, std::min(block.blueGain, kMaxBayerGain));
    if (dialogs != nullptr) {
        dialogs->RefreshImageSettings();
    }
    if (filter.Get(FilterField::WhiteBalanceRequest) != 0 &&
        filter.Get(FilterField::WhiteBalanceCompanion1) != 0 &&
        filter.Get(FilterField::WhiteBalanceCompanion2) != 0) {
        filter.Set(FilterField::WhiteBalanceRequest, 0);
        filter.Set(FilterField::WhiteBalanceCompanion1, 0);
        filter.Set(FilterField::WhiteBalanceCompanion2, 0);
    }
}

}  // namespace

bool RunColorStep(FilterSettings& filter, int32_t bayerMode, const ProcessorInfo& processor,
                  ImageBuffer& raw, ImageBuffer& dest, DialogRefresh* dialogs,
                  InterpolationBlock* applied) {
    if (!Matches(raw, dest)) {
        return false;
    }
    if (filter.Get(FilterField::WhiteBalanceRequest) != 0) {
        MeasureWhiteBalance(filter, bayerMode, raw, dialogs);
    }
    InterpolationBlock block;
    block.bayerMode = bayerMode;
    block.gainR = filter.Get(FilterField::BayerGainRed);
    block.gainG = filter.Get(FilterField::BayerGainGreen);
    block.gainB = filter.Get(FilterField::BayerGainBlue);
    if (applied != nullptr) {
        *applied = block;
    }

    if (raw.BitsPerPixel() == 16) {
        dest.Apply(processor.avx2Usable ? Interpolate16Avx2 : Interpolate16, &raw, nullptr, 0, 0,
                   block);
        dest.Apply(InterpolateBorder16, &raw, nullptr, 0, 0, block);
        return true;
    }
    void (*member)(const PixelRegion&, const InterpolationBlock&) = nullptr;
    switch (ChooseInterpolationMember(processor, dest.BitsPerPixel(), block)) {
        case InterpolationMember::Avx2:
            member = InterpolateAvx2;
            break;
        case InterpolationMember::Sse2:
            member = InterpolateSse2;
            break;
        case InterpolationMember::Reference:
            // Its vector forms give the same bytes; take the widest the processor runs.
            if (processor.avx2Usable) {
                member = InterpolateReferenceAvx2;
            } else if (processor.Usable(kFeatureSse2)) {
                member = InterpolateReferenceSse2;
            } else {
                member = InterpolateReference8;
            }
            break;
    }
    dest.Apply(member, &raw, nullptr, 0, 0, block);
    dest.Apply(InterpolateBorder8, &raw, nullptr, 0, 0, block);
    return true;
}

}  // namespace pixora
