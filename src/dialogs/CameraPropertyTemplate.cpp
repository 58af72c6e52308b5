// The camera property dialog's template; both languages share the layout.
#include "dialogs/TemplateParts.h"

namespace pixora {

namespace {

using C = DialogControlClass;
constexpr uint32_t kList = 0x50210103;  // sorted drop-down list with a scroll bar
constexpr uint32_t kEdit = 0x50810080;  // bordered, scrolls horizontally

constexpr DialogControlTemplate kControls[] = {
    {kIdTabControl, C::Tab, kTabStyle, 7, 7, 299, 185, {}},
    {kNoControlId, C::Button, kGroupBoxStyle, 17, 24, 123, 104, {"Video Format", "ビデオ形式"}},
    {kNoControlId,
     C::Static,
     kLabelStyle,
     25,
     37,
     96,
     8,
     {"Color / Compression(&C):", "色空間 / 圧縮(&C):"}},
    {kIdStreamFormatList, C::ComboBox, kList, 49, 46, 88, 100, {}},
    {kNoControlId, C::Static, kLabelStyle, 25, 67, 48, 8, {"Size(&S):", "出力サイズ(&S):"}},
    {kIdSizeList, C::ComboBox, kList, 49, 77, 88, 100, {}},
    {kNoControlId,
     C::Static,
     kLabelStyle,
     25,
     96,
     70,
     8,
     {"Sub Sample(&B):", "間引き転送モード(&B):"}},
    {kIdSubSampleList, C::ComboBox, kList, 49, 107, 88, 100, {}},
    {kNoControlId, C::Button, kGroupBoxStyle, 145, 24, 149, 104, {"Camera Size", "カスタムサイズ"}},
    {kNoControlId, C::Static, kLabelStyle, 151, 37, 41, 8, {"H Total", "総水平画素"}},
    {1039, C::Edit, kEdit, 159, 46, 50, 12, {}},
    {kNoControlId, C::Static, kLabelStyle, 225, 37, 41, 8, {"V Total", "総垂直画素"}},
    {1040, C::Edit, kEdit, 235, 46, 50, 12, {}},
    {kNoControlId, C::Static, kLabelStyle, 151, 67, 49, 8, {"H Effective", "有効水平画素"}},
    {1041, C::Edit, kEdit, 159, 77, 50, 12, {}},
    {kNoControlId, C::Static, kLabelStyle, 225, 67, 49, 8, {"V Effective", "有効垂直画素"}},
    {1042, C::Edit, kEdit, 235, 77, 50, 12, {}},
    {kNoControlId, C::Static, kLabelStyle, 151, 96, 49, 8, {"H Start", "有効水平起点"}},
    {1043, C::Edit, kEdit, 159, 107, 50, 12, {}},
    {kNoControlId, C::Static, kLabelStyle, 225, 96, 49, 8, {"V Start", "有効垂直起点"}},
    {1044, C::Edit, kEdit, 233, 107, 50, 12, {}},
    {kNoControlId, C::Button, kGroupBoxStyle, 17, 131, 277, 48, {"Frame Rate", "フレームレート"}},
    {kNoControlId,
     C::Static,
     kLabelStyle,
     25,
     143,
     76,
     8,
     {"Wait Time(&T):", "フレーム間待ち時間(&T):"}},
    {kIdWaitTimeEdit, C::Edit, kEdit, 49, 154, 83, 12, {}},
    {kNoControlId, C::Static, kLabelStyle, 151, 143, 51, 8, {"Clock(&C):", "動作クロック(&C):"}},
    {kIdClockList, C::ComboBox, kList, 175, 154, 83, 100, {}},
    {kIdOk, C::Button, kDefaultButtonStyle, 116, 201, 60, 13, {"OK"}},
    {kIdCancel, C::Button, kButtonStyle, 181, 201, 60, 13, kCancelText},
    {kIdApply, C::Button, kButtonStyle, 246, 201, 60, 13, {"Apply(&A)", "適用(&A)"}},
};

constexpr LanguageTemplates kTemplates = PopupTemplates(106, 101, 313, 221, kControls);

}  // namespace

const DialogTemplate& CameraPropertyTemplate(DialogLanguage language) {
    return kTemplates.For(language);
}

}  // namespace pixora
