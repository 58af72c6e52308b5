#include "settings/FilterRanges.h"

#include <limits>

#include "PixoraSdk_530TZ.h"

namespace pixora {

namespace {

constexpr int32_t kAny = std::numeric_limits<int32_t>::min();
constexpr int32_t kAnyMax = std::numeric_limits<int32_t>::max();

using enum FilterTarget;
// The entries that are not one field of the picture record.
constexpr FilterField kNoField = FilterField::Spare28;

constexpr FilterRange kFilterRanges[] = {
    {PIXORA_FILTER_BRIGHTNESS, Picture, FilterField::Brightness, -255, 255},
    {PIXORA_FILTER_CONTRAST, Picture, FilterField::Contrast, -127, 127},
    {PIXORA_FILTER_HUE, Picture, FilterField::Hue, -360, 360},
    {PIXORA_FILTER_SATURATION, Picture, FilterField::Saturation, -255, 255},
    {PIXORA_FILTER_SHARPNESS, Picture, FilterField::Sharpness, 0, 30},
    {PIXORA_FILTER_BAYER_GAIN_RGB, PackedBayerGains, kNoField, kAny, kAnyMax},
    {PIXORA_FILTER_BAYER_GAIN_RED, Picture, FilterField::BayerGainRed, 0, 400},
    {PIXORA_FILTER_BAYER_GAIN_GREEN, Picture, FilterField::BayerGainGreen, 0, 400},
    {PIXORA_FILTER_BAYER_GAIN_BLUE, Picture, FilterField::BayerGainBlue, 0, 400},
    {PIXORA_FILTER_BAYER_GAIN_AUTO, WhiteBalanceRequest, kNoField, kAny, kAnyMax},
    {PIXORA_FILTER_GAMMA, Picture, FilterField::Gamma, 0, 200},
    {PIXORA_FILTER_BAYER_MODE, Picture, FilterField::BayerMode, 0, 3},
    {PIXORA_FILTER_GLOBAL_GAIN, GlobalGain, kNoField, 0, 1023},
    {PIXORA_FILTER_EXPOSURE_TIME, Exposure, kNoField, 0, 1067},
    {PIXORA_FILTER_GRAY_MODE, Picture, FilterField::GrayMode, 0, 2},
    {PIXORA_FILTER_GRAY_GAIN_R, Picture, FilterField::GrayGainR, 0, 255},
    {PIXORA_FILTER_GRAY_GAIN_G1, Picture, FilterField::GrayGainG1, 0, 255},
    {PIXORA_FILTER_GRAY_GAIN_G2, Picture, FilterField::GrayGainG2, 0, 255},
    {PIXORA_FILTER_GRAY_GAIN_B, Picture, FilterField::GrayGainB, 0, 255},
    {PIXORA_FILTER_GRAY_OFFSET_R, Picture, FilterField::GrayOffsetR, -255, 255},
    {PIXORA_FILTER_GRAY_OFFSET_G1, Picture, FilterField::GrayOffsetG1, -255, 255},
    {PIXORA_FILTER_GRAY_OFFSET_G2, Picture, FilterField::GrayOffsetG2, -255, 255},
    {PIXORA_FILTER_GRAY_OFFSET_B, Picture, FilterField::GrayOffsetB, -255, 255},
};

}  // namespace

const FilterRange* FindFilterRange(int32_t index) {
    for (const FilterRange& range : kFilterRanges) {
        if (range.index == index)
            return &range;
    }
    return nullptr;
}

}  // namespace pixora
