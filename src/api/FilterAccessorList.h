// The names of the 27 pairs of named filter accessors, Pixora_SetX and Pixora_GetX. Each
// pair's filter index is its control's (settings/ControlRows.h, the row whose accessor is
// X); FilterExports.cpp checks that every such row has its pair here.
#pragma once

#define PIXORA_FILTER_ACCESSORS(X) \
    X(Brightness)                  \
    X(Contrast)                    \
    X(Hue)                         \
    X(Saturation)                  \
    X(Sharpness)                   \
    X(BayerGainRGB)                \
    X(BayerGainRed)                \
    X(BayerGainGreen)              \
    X(BayerGainBlue)               \
    X(BayerGainAuto)               \
    X(Gamma)                       \
    X(BayerMode)                   \
    X(GlobalGain)                  \
    X(ColorGainRed)                \
    X(ColorGainGreen1)             \
    X(ColorGainGreen2)             \
    X(ColorGainBlue)               \
    X(ExposureTime)                \
    X(GrayMode)                    \
    X(GrayGainR)                   \
    X(GrayGainG1)                  \
    X(GrayGainG2)                  \
    X(GrayGainB)                   \
    X(GrayOffsetR)                 \
    X(GrayOffsetG1)                \
    X(GrayOffsetG2)                \
    X(GrayOffsetB)
