// Templates of the analog gain dialog: the host with its single tab and the page (wider in
// the Japanese template, English texts in both).
#include "dialogs/TemplateParts.h"

namespace pixora {

namespace {

using C = DialogControlClass;

constexpr auto kHostControls = HostControls(149, 161);

constexpr SliderColumns kRow{0, 48, 50, 143, 35, 175, 11};

constexpr auto kPageControls = JoinControls(
    SliderRowControls(kRow, "&Global Gain", 1014, 1015, 1038, 13, 13),
    SliderRowControls(kRow, "&Color Gain G1", 1018, 1019, 1039, 35, 34),
    SliderRowControls(kRow, "&Color Gain R", 1020, 1021, 1040, 50, 49),
    SliderRowControls(kRow, "&Color Gain B", 1022, 1023, 1041, 65, 64),
    SliderRowControls(kRow, "&Color Gain G2", 1024, 1025, 1042, 80, 79),
    SliderRowControls(kRow, "&Exposure", 1026, 1027, 1043, 95, 94),
    std::to_array<DialogControlTemplate>({
        {kNoControlId, C::Static, kLabelStyle, 192, 15, 40, 8, {"Auto Iris"}},
        {kIdAutoIrisGainCheck, C::Button, kCheckBoxStyle, 193, 28, 30, 10, {"Gain"}},
        {kIdAutoIrisExposureCheck, C::Button, kCheckBoxStyle, 193, 43, 46, 10, {"Exposure"}},
        {kIdMirrorCheck, C::Button, kCheckBoxStyle, 192, 70, 41, 10, {"Mirror V"}},
    }));

constexpr LanguageTemplates kHost = PopupTemplates(111, 104, 294, 178, kHostControls);
constexpr LanguageTemplates kPage = PageTemplates(110, 105, 238, 251, 126, kPageControls);

}  // namespace

const DialogTemplate& AnalogGainHostTemplate(DialogLanguage language) {
    return kHost.For(language);
}

const DialogTemplate& AnalogGainPageTemplate(DialogLanguage language) {
    return kPage.For(language);
}

}  // namespace pixora
