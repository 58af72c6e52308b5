// The templates of the property dialogs and their pages, in English and Japanese, and the
// control ids the procedures use.
#pragma once

#include <cstdint>

#include "dialogs/host/DialogTemplate.h"

namespace pixora {

// Shared by the templates.
inline constexpr uint32_t kPopupDialogStyle = 0x90C800C8;  // popup, visible, caption, modal
inline constexpr uint32_t kChildPageStyle = 0x50080048;    // child, visible
inline constexpr const char* kDialogFontFace = "MS Shell Dlg";
inline constexpr int16_t kDialogPointSize = 8;
inline constexpr int16_t kDialogFontWeight = 400;
inline constexpr uint8_t kDialogCharset = 1;

inline constexpr int32_t kIdTabControl = 1001;
inline constexpr int32_t kIdApply = 1002;
inline constexpr int32_t kIdDefault = 3;

// Camera property dialog.
inline constexpr int32_t kIdStreamFormatList = 1009;
inline constexpr int32_t kIdSizeList = 1010;
inline constexpr int32_t kIdSubSampleList = 1012;
inline constexpr int32_t kIdClockList = 1014;
inline constexpr int32_t kIdTotalWidthEdit = 1039;  // 1039..1044: TH, TV, EH, EV, EHS, EVS
inline constexpr int32_t kIdStartRowEdit = 1044;
inline constexpr int32_t kIdWaitTimeEdit = 1045;

// Image filter and gray filter pages.
inline constexpr int32_t kIdBayerMode0Radio = 1030;  // 1030..1033: Bayer modes 0..3
inline constexpr int32_t kIdAllFramesCheck = 1035;
inline constexpr int32_t kIdOnceButton = 2074;
inline constexpr int32_t kIdGrayModeBayerRadio = 1045;  // 1045..1047: gray modes 0..2

// Analog gain page.
inline constexpr int32_t kIdGainTrackbar = 1014;
inline constexpr int32_t kIdGainEdit = 1015;
inline constexpr int32_t kIdExposureTrackbar = 1026;
inline constexpr int32_t kIdExposureEdit = 1027;
inline constexpr int32_t kIdMirrorCheck = 1029;
inline constexpr int32_t kIdAutoIrisGainCheck = 1036;
inline constexpr int32_t kIdAutoIrisExposureCheck = 1037;

// Resources 106 (English) and 101 (Japanese).
const DialogTemplate& CameraPropertyTemplate(DialogLanguage language);
// Host 108 / 102, image filter page 107 / 103, gray filter page 112 / 113.
const DialogTemplate& ImageFilterHostTemplate(DialogLanguage language);
const DialogTemplate& ImageFilterPageTemplate(DialogLanguage language);
const DialogTemplate& GrayFilterPageTemplate(DialogLanguage language);
// Host 111 / 104, page 110 / 105.
const DialogTemplate& AnalogGainHostTemplate(DialogLanguage language);
const DialogTemplate& AnalogGainPageTemplate(DialogLanguage language);

}  // namespace pixora
