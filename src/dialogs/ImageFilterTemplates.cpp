// Templates of the image filter dialog: the host with its tab control, the image filter page
// and the gray filter page. The pages show English texts in both languages.
#include "dialogs/TemplateParts.h"

namespace pixora {

namespace {

using C = DialogControlClass;

constexpr auto kHostControls = HostControls(168, 177);

constexpr SliderColumns kImageRow{0, 38, 40, 136, 30, 153, 10};

constexpr auto kImagePageControls =
    JoinControls(SliderRowControls(kImageRow, "&Brightness", 2001, 2002, 2004, 4, 4),
                 SliderRowControls(kImageRow, "&Contrast", 2011, 2012, 2014, 20, 19),
                 SliderRowControls(kImageRow, "&Hue", 2021, 2022, 2024, 35, 34),
                 SliderRowControls(kImageRow, "&Saturation", 2031, 2032, 2034, 50, 49),
                 SliderRowControls(kImageRow, "Shar&pness", 2041, 2042, 2044, 65, 64),
                 SliderRowControls(kImageRow, "&R Gain", 2051, 2052, 2054, 80, 79),
                 SliderRowControls(kImageRow, "&G Gain", 2061, 2062, 2063, 95, 94),
                 SliderRowControls(kImageRow, "&B Gain", 2071, 2072, 2073, 110, 109),
                 SliderRowControls(kImageRow, "&Gamma", 2081, 2082, 2084, 125, 124),
                 std::to_array<DialogControlTemplate>({
                     {kNoControlId, C::Static, kLabelStyle, 180, 38, 68, 8, {"Auto white balance"}},
                 }),
                 MeasurementControls(53, 68), BayerModeControls(102));

// The gray page's gain rows have narrower up-down controls than its offset rows.
constexpr SliderColumns kGainRow{6, 28, 36, 132, 34, 155, 10};
constexpr SliderColumns kOffsetRow{6, 28, 36, 132, 34, 155, 11};

constexpr auto kGrayPageControls =
    JoinControls(std::to_array<DialogControlTemplate>({
                     {kNoControlId, C::Button, kGroupBoxStyle, 0, 0, 170, 70, {"Gain"}},
                     {kNoControlId, C::Button, kGroupBoxStyle, 0, 72, 170, 70, {"Offset"}},
                 }),
                 SliderRowControls(kGainRow, "Red", 2100, 2101, 2102, 9, 9),
                 SliderRowControls(kGainRow, "Green1", 2103, 2104, 2105, 24, 24),
                 SliderRowControls(kGainRow, "Green2", 2106, 2107, 2108, 39, 39),
                 SliderRowControls(kGainRow, "Blue", 2109, 2110, 2111, 54, 54),
                 SliderRowControls(kOffsetRow, "Red", 2112, 2113, 2114, 81, 80),
                 SliderRowControls(kOffsetRow, "Green1", 2115, 2116, 2117, 96, 95),
                 SliderRowControls(kOffsetRow, "Green2", 2118, 2119, 2120, 111, 110),
                 SliderRowControls(kOffsetRow, "Blue", 2121, 2122, 2123, 126, 125),
                 std::to_array<DialogControlTemplate>({
                     {kNoControlId, C::Static, kLabelStyle, 180, 5, 48, 8, {"Filter mode"}},
                     {1045, C::Button, kRadioStyle, 180, 18, 35, 10, {"Bayer"}},
                     {1046, C::Button, kRadioStyle, 180, 30, 61, 10, {"Bayer convert"}},
                     {1047, C::Button, kRadioStyle, 180, 42, 47, 10, {"Grayscale"}},
                     {kNoControlId, C::Static, kLabelStyle, 180, 64, 48, 8, {"Auto Gain"}},
                 }),
                 MeasurementControls(76, 88), BayerModeControls(109));

constexpr LanguageTemplates kHost = PopupTemplates(108, 102, 294, 194, kHostControls);
constexpr LanguageTemplates kImagePage = PageTemplates(107, 103, 251, 251, 142, kImagePageControls);
constexpr LanguageTemplates kGrayPage = PageTemplates(112, 113, 251, 251, 142, kGrayPageControls);

}  // namespace

const DialogTemplate& ImageFilterHostTemplate(DialogLanguage language) {
    return kHost.For(language);
}

const DialogTemplate& ImageFilterPageTemplate(DialogLanguage language) {
    return kImagePage.For(language);
}

const DialogTemplate& GrayFilterPageTemplate(DialogLanguage language) {
    return kGrayPage.For(language);
}

}  // namespace pixora
