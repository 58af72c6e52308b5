// Templates of the analog gain dialog: the host with its single tab and the page (wider in
// the Japanese template, English texts in both).
#include "dialogs/TemplateParts.h"

namespace pixora {

namespace {

using C = DialogControlClass;

constexpr DialogControlTemplate kHostControls[] = {
    {kIdTabControl, C::Tab, kTabStyle, 4, 4, 286, 149, {}},
    {kIdOk, C::Button, kDefaultButtonStyle, 165, 161, 60, 13, {"OK"}},
    {kIdCancel, C::Button, kButtonStyle, 230, 161, 60, 13, kCancelText},
    {kIdDefault, C::Button, kButtonStyle, 100, 161, 60, 13, kDefaultText},
};

#define PIXORA_ANALOG_ROW(text, trackbar, edit, updown, y, editY)    \
    {kNoControlId, C::Static, kLabelStyle, 0, y, 48, 8, {text}},     \
        {trackbar, C::Trackbar, kTrackbarStyle, 50, y, 90, 10, {}},  \
        {edit, C::Edit, kNumberEditStyle, 143, editY, 35, 12, {}}, { \
        updown, C::UpDown, kUpDownStyle, 175, editY, 11, 12, {}      \
    }

constexpr DialogControlTemplate kPageControls[] = {
    PIXORA_ANALOG_ROW("&Global Gain", 1014, 1015, 1038, 13, 13),
    PIXORA_ANALOG_ROW("&Color Gain G1", 1018, 1019, 1039, 35, 34),
    PIXORA_ANALOG_ROW("&Color Gain R", 1020, 1021, 1040, 50, 49),
    PIXORA_ANALOG_ROW("&Color Gain B", 1022, 1023, 1041, 65, 64),
    PIXORA_ANALOG_ROW("&Color Gain G2", 1024, 1025, 1042, 80, 79),
    PIXORA_ANALOG_ROW("&Exposure", 1026, 1027, 1043, 95, 94),
    {kNoControlId, C::Static, kLabelStyle, 192, 15, 40, 8, {"Auto Iris"}},
    {kIdAutoIrisGainCheck, C::Button, kCheckBoxStyle, 193, 28, 30, 10, {"Gain"}},
    {kIdAutoIrisExposureCheck, C::Button, kCheckBoxStyle, 193, 43, 46, 10, {"Exposure"}},
    {kIdMirrorCheck, C::Button, kCheckBoxStyle, 192, 70, 41, 10, {"Mirror V"}},
};

#undef PIXORA_ANALOG_ROW

constexpr DialogTemplate kHostEnglish =
    PopupTemplate(111, DialogLanguage::English, 294, 178, kHostControls);
constexpr DialogTemplate kHostJapanese =
    PopupTemplate(104, DialogLanguage::Japanese, 294, 178, kHostControls);
constexpr DialogTemplate kPageEnglish =
    PageTemplate(110, DialogLanguage::English, 238, 126, kPageControls);
constexpr DialogTemplate kPageJapanese =
    PageTemplate(105, DialogLanguage::Japanese, 251, 126, kPageControls);

}  // namespace

const DialogTemplate& AnalogGainHostTemplate(DialogLanguage language) {
    return language == DialogLanguage::Japanese ? kHostJapanese : kHostEnglish;
}

const DialogTemplate& AnalogGainPageTemplate(DialogLanguage language) {
    return language == DialogLanguage::Japanese ? kPageJapanese : kPageEnglish;
}

}  // namespace pixora
