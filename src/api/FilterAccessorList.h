// Name and filter index of each of the 27 pairs of filter accessors.
#pragma once

#define PIXORA_FILTER_ACCESSORS(X)                      \
    X(Brightness, PIXORA_FILTER_BRIGHTNESS)             \
    X(Contrast, PIXORA_FILTER_CONTRAST)                 \
    X(Hue, PIXORA_FILTER_HUE)                           \
    X(Saturation, PIXORA_FILTER_SATURATION)             \
    X(Sharpness, PIXORA_FILTER_SHARPNESS)               \
    X(BayerGainRGB, PIXORA_FILTER_BAYER_GAIN_RGB)       \
    X(BayerGainRed, PIXORA_FILTER_BAYER_GAIN_RED)       \
    X(BayerGainGreen, PIXORA_FILTER_BAYER_GAIN_GREEN)   \
    X(BayerGainBlue, PIXORA_FILTER_BAYER_GAIN_BLUE)     \
    X(BayerGainAuto, PIXORA_FILTER_BAYER_GAIN_AUTO)     \
    X(Gamma, PIXORA_FILTER_GAMMA)                       \
    X(BayerMode, PIXORA_FILTER_BAYER_MODE)              \
    X(GlobalGain, PIXORA_FILTER_GLOBAL_GAIN)            \
    X(ColorGainRed, PIXORA_FILTER_COLOR_GAIN_RED)       \
    X(ColorGainGreen1, PIXORA_FILTER_COLOR_GAIN_GREEN1) \
    X(ColorGainGreen2, PIXORA_FILTER_COLOR_GAIN_GREEN2) \
    X(ColorGainBlue, PIXORA_FILTER_COLOR_GAIN_BLUE)     \
    X(ExposureTime, PIXORA_FILTER_EXPOSURE_TIME)        \
    X(GrayMode, PIXORA_FILTER_GRAY_MODE)                \
    X(GrayGainR, PIXORA_FILTER_GRAY_GAIN_R)             \
    X(GrayGainG1, PIXORA_FILTER_GRAY_GAIN_G1)           \
    X(GrayGainG2, PIXORA_FILTER_GRAY_GAIN_G2)           \
    X(GrayGainB, PIXORA_FILTER_GRAY_GAIN_B)             \
    X(GrayOffsetR, PIXORA_FILTER_GRAY_OFFSET_R)         \
    X(GrayOffsetG1, PIXORA_FILTER_GRAY_OFFSET_G1)       \
    X(GrayOffsetG2, PIXORA_FILTER_GRAY_OFFSET_G2)       \
    X(GrayOffsetB, PIXORA_FILTER_GRAY_OFFSET_B)
