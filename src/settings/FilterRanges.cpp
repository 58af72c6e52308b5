#include "settings/FilterRanges.h"

#include <limits>

namespace pixora {

namespace {

constexpr int32_t kAny = std::numeric_limits<int32_t>::min();
constexpr int32_t kAnyMax = std::numeric_limits<int32_t>::max();

using enum FilterTarget;
// The entries that are not one field of the picture record.
constexpr FilterField kNoField = FilterField::Spare28;

constexpr FilterRange kFilterRanges[] = {
    {1, Picture, FilterField::Brightness, -255, 255},
    {2, Picture, FilterField::Contrast, -127, 127},
    {3, Picture, FilterField::Hue, -360, 360},
    {4, Picture, FilterField::Saturation, -255, 255},
    {5, Picture, FilterField::Sharpness, 0, 30},
    {6, PackedBayerGains, kNoField, kAny, kAnyMax},
    {7, Picture, FilterField::BayerGainRed, 0, 400},
    {8, Picture, FilterField::BayerGainGreen, 0, 400},
    {9, Picture, FilterField::BayerGainBlue, 0, 400},
    {10, WhiteBalanceRequest, kNoField, kAny, kAnyMax},
    {11, Picture, FilterField::Gamma, 0, 200},
    {12, Picture, FilterField::BayerMode, 0, 3},
    {13, GlobalGain, kNoField, 0, 1023},
    {18, Exposure, kNoField, 0, 1067},
    {19, Picture, FilterField::GrayMode, 0, 2},
    {20, Picture, FilterField::GrayGainR, 0, 255},
    {21, Picture, FilterField::GrayGainG1, 0, 255},
    {22, Picture, FilterField::GrayGainG2, 0, 255},
    {23, Picture, FilterField::GrayGainB, 0, 255},
    {24, Picture, FilterField::GrayOffsetR, -255, 255},
    {25, Picture, FilterField::GrayOffsetG1, -255, 255},
    {26, Picture, FilterField::GrayOffsetG2, -255, 255},
    {27, Picture, FilterField::GrayOffsetB, -255, 255},
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
