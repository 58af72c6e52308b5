// Building blocks of the dialog templates: the common window styles, font and caption.
#pragma once

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

constexpr DialogTemplate PopupTemplate(int32_t resourceId, DialogLanguage language, int16_t width,
                                       int16_t height,
                                       std::span<const DialogControlTemplate> controls) {
    return DialogTemplate{resourceId,
                          language,
                          kPopupDialogStyle,
                          0,
                          0,
                          width,
                          height,
                          kPropertyCaption,
                          kDialogFontFace,
                          kDialogPointSize,
                          kDialogFontWeight,
                          kDialogCharset,
                          controls};
}

constexpr DialogTemplate PageTemplate(int32_t resourceId, DialogLanguage language, int16_t width,
                                      int16_t height,
                                      std::span<const DialogControlTemplate> controls) {
    return DialogTemplate{resourceId,
                          language,
                          kChildPageStyle,
                          0,
                          0,
                          width,
                          height,
                          DialogText{},
                          kDialogFontFace,
                          kDialogPointSize,
                          kDialogFontWeight,
                          kDialogCharset,
                          controls};
}

}  // namespace pixora
