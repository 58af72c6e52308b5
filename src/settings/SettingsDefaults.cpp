#include "settings/SettingsDefaults.h"

namespace pixora {

void SetImageFilterDefaults(FilterSettings& filter) {
    for (FilterField f : {FilterField::Brightness, FilterField::Contrast, FilterField::Hue,
                          FilterField::Saturation, FilterField::Sharpness}) {
        filter.Set(f, 0);
    }
    for (FilterField f : {FilterField::BayerGainRed, FilterField::BayerGainGreen,
                          FilterField::BayerGainBlue, FilterField::Gamma}) {
        filter.Set(f, 100);
    }
    filter.Set(FilterField::BayerMode, 3);
}

void SetGrayFilterDefaults(FilterSettings& filter) {
    for (FilterField f : {FilterField::GrayGainR, FilterField::GrayGainG1, FilterField::GrayGainG2,
                          FilterField::GrayGainB}) {
        filter.Set(f, 128);
    }
    for (FilterField f : {FilterField::GrayOffsetR, FilterField::GrayOffsetG1,
                          FilterField::GrayOffsetG2, FilterField::GrayOffsetB}) {
        filter.Set(f, 0);
    }
}

void SetAnalogGainDefaults(AnalogSettings& analog) {
    analog.Set(AnalogField::GlobalGain, kDefaultGlobalGain);
    for (AnalogField f : {AnalogField::ColorGainG1, AnalogField::ColorGainR,
                          AnalogField::ColorGainB, AnalogField::ColorGainG2}) {
        analog.Set(f, 0);
    }
    analog.Set(AnalogField::Exposure, kDefaultExposure);
}

}  // namespace pixora
