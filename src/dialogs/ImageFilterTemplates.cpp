// Templates of the image filter dialog: the host with its tab control, the image filter page
// and the gray filter page. The pages show English texts in both languages.
#include "dialogs/TemplateParts.h"

namespace pixora {

namespace {

using C = DialogControlClass;

constexpr DialogControlTemplate kHostControls[] = {
    {kIdTabControl, C::Tab, kTabStyle, 4, 4, 286, 168, {}},
    {kIdOk, C::Button, kDefaultButtonStyle, 165, 177, 60, 13, {"OK"}},
    {kIdCancel, C::Button, kButtonStyle, 230, 177, 60, 13, kCancelText},
    {kIdDefault, C::Button, kButtonStyle, 100, 177, 60, 13, kDefaultText},
};

// One slider row of the image filter page: label, trackbar, edit, up-down.
#define PIXORA_FILTER_ROW(text, trackbar, edit, updown, y, editY)    \
    {kNoControlId, C::Static, kLabelStyle, 0, y, 38, 8, {text}},     \
        {trackbar, C::Trackbar, kTrackbarStyle, 40, y, 90, 10, {}},  \
        {edit, C::Edit, kNumberEditStyle, 136, editY, 30, 12, {}}, { \
        updown, C::UpDown, kUpDownStyle, 153, editY, 10, 12, {}      \
    }

constexpr DialogControlTemplate kImagePageControls[] = {
    PIXORA_FILTER_ROW("&Brightness", 2001, 2002, 2004, 4, 4),
    PIXORA_FILTER_ROW("&Contrast", 2011, 2012, 2014, 20, 19),
    PIXORA_FILTER_ROW("&Hue", 2021, 2022, 2024, 35, 34),
    PIXORA_FILTER_ROW("&Saturation", 2031, 2032, 2034, 50, 49),
    PIXORA_FILTER_ROW("Shar&pness", 2041, 2042, 2044, 65, 64),
    PIXORA_FILTER_ROW("&R Gain", 2051, 2052, 2054, 80, 79),
    PIXORA_FILTER_ROW("&G Gain", 2061, 2062, 2063, 95, 94),
    PIXORA_FILTER_ROW("&B Gain", 2071, 2072, 2073, 110, 109),
    PIXORA_FILTER_ROW("&Gamma", 2081, 2082, 2084, 125, 124),
    {kNoControlId, C::Static, kLabelStyle, 180, 38, 68, 8, {"Auto white balance"}},
    {kIdOnceButton, C::Button, kButtonStyle, 180, 53, 8, 8, {}},
    {kNoControlId, C::Static, kLabelStyle, 195, 53, 24, 8, {"Once"}},
    {kIdAllFramesCheck, C::Button, kCheckBoxStyle, 180, 68, 8, 8, {}},
    {kNoControlId, C::Static, kLabelStyle, 195, 68, 40, 8, {"All frames"}},
    {kNoControlId, C::Static, kLabelStyle, 180, 102, 48, 8, {"Bayer Mode"}},
    // The Bayer-mode radio buttons, named by the mode each stands for.
    {1030, C::Button, kRadioStyle, 180, 116, 16, 10, {"0"}},
    {1031, C::Button, kRadioStyle, 197, 116, 16, 10, {"1"}},
    {1032, C::Button, kRadioStyle, 214, 116, 16, 10, {"2"}},
    {1033, C::Button, kRadioStyle, 231, 116, 16, 10, {"3"}},
};

// One slider row of the gray filter page.
#define PIXORA_GRAY_ROW(text, trackbar, edit, updown, updownWidth, y, editY) \
    {kNoControlId, C::Static, kLabelStyle, 6, y, 28, 8, {text}},             \
        {trackbar, C::Trackbar, kTrackbarStyle, 36, y, 90, 10, {}},          \
        {edit, C::Edit, kNumberEditStyle, 132, editY, 34, 12, {}}, {         \
        updown, C::UpDown, kUpDownStyle, 155, editY, updownWidth, 12, {}     \
    }

constexpr DialogControlTemplate kGrayPageControls[] = {
    {kNoControlId, C::Button, kGroupBoxStyle, 0, 0, 170, 70, {"Gain"}},
    {kNoControlId, C::Button, kGroupBoxStyle, 0, 72, 170, 70, {"Offset"}},
    PIXORA_GRAY_ROW("Red", 2100, 2101, 2102, 10, 9, 9),
    PIXORA_GRAY_ROW("Green1", 2103, 2104, 2105, 10, 24, 24),
    PIXORA_GRAY_ROW("Green2", 2106, 2107, 2108, 10, 39, 39),
    PIXORA_GRAY_ROW("Blue", 2109, 2110, 2111, 10, 54, 54),
    PIXORA_GRAY_ROW("Red", 2112, 2113, 2114, 11, 81, 80),
    PIXORA_GRAY_ROW("Green1", 2115, 2116, 2117, 11, 96, 95),
    PIXORA_GRAY_ROW("Green2", 2118, 2119, 2120, 11, 111, 110),
    PIXORA_GRAY_ROW("Blue", 2121, 2122, 2123, 11, 126, 125),
    {kNoControlId, C::Static, kLabelStyle, 180, 5, 48, 8, {"Filter mode"}},
    {1045, C::Button, kRadioStyle, 180, 18, 35, 10, {"Bayer"}},
    {1046, C::Button, kRadioStyle, 180, 30, 61, 10, {"Bayer convert"}},
    {1047, C::Button, kRadioStyle, 180, 42, 47, 10, {"Grayscale"}},
    {kNoControlId, C::Static, kLabelStyle, 180, 64, 48, 8, {"Auto Gain"}},
    {kIdOnceButton, C::Button, kButtonStyle, 180, 76, 8, 8, {}},
    {kNoControlId, C::Static, kLabelStyle, 195, 76, 24, 8, {"Once"}},
    {kIdAllFramesCheck, C::Button, kCheckBoxStyle, 180, 88, 8, 8, {}},
    {kNoControlId, C::Static, kLabelStyle, 195, 88, 40, 8, {"All frames"}},
    {kNoControlId, C::Static, kLabelStyle, 180, 109, 48, 8, {"Bayer Mode"}},
    {1030, C::Button, kRadioStyle, 180, 123, 16, 10, {"0"}},
    {1031, C::Button, kRadioStyle, 197, 123, 16, 10, {"1"}},
    {1032, C::Button, kRadioStyle, 214, 123, 16, 10, {"2"}},
    {1033, C::Button, kRadioStyle, 231, 123, 16, 10, {"3"}},
};

#undef PIXORA_FILTER_ROW
#undef PIXORA_GRAY_ROW

constexpr DialogTemplate kHostEnglish =
    PopupTemplate(108, DialogLanguage::English, 294, 194, kHostControls);
constexpr DialogTemplate kHostJapanese =
    PopupTemplate(102, DialogLanguage::Japanese, 294, 194, kHostControls);
constexpr DialogTemplate kImagePageEnglish =
    PageTemplate(107, DialogLanguage::English, 251, 142, kImagePageControls);
constexpr DialogTemplate kImagePageJapanese =
    PageTemplate(103, DialogLanguage::Japanese, 251, 142, kImagePageControls);
constexpr DialogTemplate kGrayPageEnglish =
    PageTemplate(112, DialogLanguage::English, 251, 142, kGrayPageControls);
constexpr DialogTemplate kGrayPageJapanese =
    PageTemplate(113, DialogLanguage::Japanese, 251, 142, kGrayPageControls);

}  // namespace

const DialogTemplate& ImageFilterHostTemplate(DialogLanguage language) {
    return language == DialogLanguage::Japanese ? kHostJapanese : kHostEnglish;
}

const DialogTemplate& ImageFilterPageTemplate(DialogLanguage language) {
    return language == DialogLanguage::Japanese ? kImagePageJapanese : kImagePageEnglish;
}

const DialogTemplate& GrayFilterPageTemplate(DialogLanguage language) {
    return language == DialogLanguage::Japanese ? kGrayPageJapanese : kGrayPageEnglish;
}

}  // namespace pixora
