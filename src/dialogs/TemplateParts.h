// Building blocks of the dialog templates: the common window styles, font and caption, the
// hosts' buttons and the pages' slider rows.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

#include "dialogs/DialogTemplates.h"

namespace pixora {

inline constexpr DialogText kPropertyCaption{"Property", "プロパティ"};

// Control styles shared by the templates.
inline constexpr uint32_t kTabStyle = 0x50000000;
inline constexpr uint32_t kGroupBoxStyle = 0x50000007;
inline constexpr uint32_t kLabelStyle = 0x50020000;
inline constexpr uint32_t kDefaultButtonStyle = 0x50010001;
inline constexpr uint32_t kButtonStyle = 0x50010000;
inline constexpr uint32_t kCheckBoxStyle = 0x50010003;
inline constexpr uint32_t kRadioStyle = 0x50000009;
inline constexpr uint32_t kTrackbarStyle = 0x50010018;  // both sides, no ticks, tab stop
inline constexpr uint32_t kNumberEditStyle = 0x50812080;
inline constexpr uint32_t kUpDownStyle = 0x500000A6;  // buddy integer, right of the buddy

inline constexpr DialogText kCancelText{"Cancel", "キャンセル"};
inline constexpr DialogText kDefaultText{"Default(&D)", "規定値(&D)"};

// A template in the dialogs' font.
constexpr DialogTemplate MakeTemplate(int32_t resourceId, DialogLanguage language, uint32_t style,
                                      DialogText caption, int16_t width, int16_t height,
                                      std::span<const DialogControlTemplate> controls) {
    return DialogTemplate{resourceId,
                          language,
                          style,
                          0,
                          0,
                          width,
                          height,
                          caption,
                          kDialogFontFace,
                          kDialogPointSize,
                          kDialogFontWeight,
                          kDialogCharset,
                          controls};
}

// A modal dialog with the property caption.
constexpr DialogTemplate PopupTemplate(int32_t resourceId, DialogLanguage language, int16_t width,
                                       int16_t height,
                                       std::span<const DialogControlTemplate> controls) {
    return MakeTemplate(resourceId, language, kPopupDialogStyle, kPropertyCaption, width, height,
                        controls);
}

// A page for a host's tab control: a child without caption.
constexpr DialogTemplate PageTemplate(int32_t resourceId, DialogLanguage language, int16_t width,
                                      int16_t height,
                                      std::span<const DialogControlTemplate> controls) {
    return MakeTemplate(resourceId, language, kChildPageStyle, DialogText{}, width, height,
                        controls);
}

// A dialog's templates in both languages: the same controls under each language's own
// resource id.
struct LanguageTemplates {
    DialogTemplate english;
    DialogTemplate japanese;

    constexpr const DialogTemplate& For(DialogLanguage language) const {
        return language == DialogLanguage::Japanese ? japanese : english;
    }
};

// A modal dialog with the property caption, the same size in both languages.
constexpr LanguageTemplates PopupTemplates(int32_t englishId, int32_t japaneseId, int16_t width,
                                           int16_t height,
                                           std::span<const DialogControlTemplate> controls) {
    return {PopupTemplate(englishId, DialogLanguage::English, width, height, controls),
            PopupTemplate(japaneseId, DialogLanguage::Japanese, width, height, controls)};
}

// A page, `japaneseWidth` wide in the Japanese template.
constexpr LanguageTemplates PageTemplates(int32_t englishId, int32_t japaneseId, int16_t width,
                                          int16_t japaneseWidth, int16_t height,
                                          std::span<const DialogControlTemplate> controls) {
    return {PageTemplate(englishId, DialogLanguage::English, width, height, controls),
            PageTemplate(japaneseId, DialogLanguage::Japanese, japaneseWidth, height, controls)};
}

// The controls of several parts, one after the other.
template <std::size_t... N>
constexpr std::array<DialogControlTemplate, (N + ...)> JoinControls(
    const std::array<DialogControlTemplate, N>&... parts) {
    std::array<DialogControlTemplate, (N + ...)> all{};
    auto next = all.begin();
    ((next = std::copy(parts.begin(), parts.end(), next)), ...);
    return all;
}

// A property host: its tab control, and OK, Cancel and Default in a row at `buttonsY`.
constexpr std::array<DialogControlTemplate, 4> HostControls(int16_t tabHeight, int16_t buttonsY) {
    using C = DialogControlClass;
    return {{
        {kIdTabControl, C::Tab, kTabStyle, 4, 4, 286, tabHeight, {}},
        {kIdOk, C::Button, kDefaultButtonStyle, 165, buttonsY, 60, 13, {"OK"}},
        {kIdCancel, C::Button, kButtonStyle, 230, buttonsY, 60, 13, kCancelText},
        {kIdDefault, C::Button, kButtonStyle, 100, buttonsY, 60, 13, kDefaultText},
    }};
}

// Where a page's slider rows put their controls: x and width in dialog units.
struct SliderColumns {
    int16_t labelX, labelWidth;
    int16_t trackbarX;
    int16_t editX, editWidth;
    int16_t upDownX, upDownWidth;
};

// One slider row: a label and a trackbar at `y`, a numeric edit and its up-down control
// (buddy integer, in the edit's right end) at `editY`.
constexpr std::array<DialogControlTemplate, 4> SliderRowControls(const SliderColumns& columns,
                                                                 const char* label,
                                                                 int32_t trackbar, int32_t edit,
                                                                 int32_t upDown, int16_t y,
                                                                 int16_t editY) {
    using C = DialogControlClass;
    const SliderColumns& c = columns;
    return {{
        {kNoControlId, C::Static, kLabelStyle, c.labelX, y, c.labelWidth, 8, {label}},
        {trackbar, C::Trackbar, kTrackbarStyle, c.trackbarX, y, 90, 10, {}},
        {edit, C::Edit, kNumberEditStyle, c.editX, editY, c.editWidth, 12, {}},
        {upDown, C::UpDown, kUpDownStyle, c.upDownX, editY, c.upDownWidth, 12, {}},
    }};
}

// A measurement's buttons on the filter pages: "Once" (one measurement) and the check box
// "All frames" (one on every frame), each with its label right of it.
constexpr std::array<DialogControlTemplate, 4> MeasurementControls(int16_t onceY,
                                                                   int16_t allFramesY) {
    using C = DialogControlClass;
    return {{
        {kIdOnceButton, C::Button, kButtonStyle, 180, onceY, 8, 8, {}},
        {kNoControlId, C::Static, kLabelStyle, 195, onceY, 24, 8, {"Once"}},
        {kIdAllFramesCheck, C::Button, kCheckBoxStyle, 180, allFramesY, 8, 8, {}},
        {kNoControlId, C::Static, kLabelStyle, 195, allFramesY, 40, 8, {"All frames"}},
    }};
}

// The filter pages' "Bayer Mode" label at `y` and under it one radio button per mode, 0 to
// 3 from left to right, each named by its mode.
constexpr std::array<DialogControlTemplate, 5> BayerModeControls(int16_t y) {
    using C = DialogControlClass;
    const int16_t buttonsY = static_cast<int16_t>(y + 14);
    return {{
        {kNoControlId, C::Static, kLabelStyle, 180, y, 48, 8, {"Bayer Mode"}},
        {kIdBayerMode0Radio, C::Button, kRadioStyle, 180, buttonsY, 16, 10, {"0"}},
        {kIdBayerMode0Radio + 1, C::Button, kRadioStyle, 197, buttonsY, 16, 10, {"1"}},
        {kIdBayerMode0Radio + 2, C::Button, kRadioStyle, 214, buttonsY, 16, 10, {"2"}},
        {kIdBayerMode0Radio + 3, C::Button, kRadioStyle, 231, buttonsY, 16, 10, {"3"}},
    }};
}

}  // namespace pixora
