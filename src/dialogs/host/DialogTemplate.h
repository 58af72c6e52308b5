// Dialog templates as data: the dialog's style, size, caption and font, and per control its
// id, class, style, rectangle in dialog units and its text in both languages. Hosts build
// their windows from these; dialog procedures never see a window system.
#pragma once

#include <cstdint>
#include <span>

namespace pixora {

enum class DialogLanguage { English, Japanese };

// The control classes the dialogs use, named after the system classes they stand for.
enum class DialogControlClass {
    Button,    // "BUTTON": push button, check box, radio button or group box by style
    Static,    // "STATIC": a label
    Edit,      // "EDIT"
    ComboBox,  // "COMBOBOX": drop-down list
    Tab,       // "SysTabControl32"
    Trackbar,  // "msctls_trackbar32"
    UpDown,    // "msctls_updown32"
};

const char* DialogClassName(DialogControlClass cls);

// Window and control style bits the hosts act on.
inline constexpr uint32_t kStyleVisible = 0x10000000;
inline constexpr uint32_t kStyleDisabled = 0x08000000;
inline constexpr uint32_t kStyleChild = 0x40000000;
inline constexpr uint32_t kStyleTabStop = 0x00010000;
inline constexpr uint32_t kButtonKindMask = 0x0000000F;
inline constexpr uint32_t kButtonPush = 0x0;
inline constexpr uint32_t kButtonDefaultPush = 0x1;
inline constexpr uint32_t kButtonAutoCheckBox = 0x3;
inline constexpr uint32_t kButtonGroupBox = 0x7;
inline constexpr uint32_t kButtonAutoRadio = 0x9;
inline constexpr uint32_t kEditNumber = 0x2000;  // the keyboard enters digits only
inline constexpr uint32_t kUpDownSetBuddyInt = 0x02;
inline constexpr uint32_t kUpDownAlignRight = 0x04;

// Control id of statics without an id.
inline constexpr int32_t kNoControlId = -1;
// Command ids of the standard buttons.
inline constexpr int32_t kIdOk = 1;
inline constexpr int32_t kIdCancel = 2;

// Both languages' text of a control or caption; a null Japanese text means the English
// one serves both.
struct DialogText {
    const char* english = nullptr;
    const char* japanese = nullptr;

    const char* For(DialogLanguage language) const {
        if (language == DialogLanguage::Japanese && japanese != nullptr)
            return japanese;
        return english != nullptr ? english : "";
    }
};

struct DialogControlTemplate {
    int32_t id;
    DialogControlClass cls;
    uint32_t style;
    int16_t x, y, width, height;  // dialog units
    DialogText text;
};

struct DialogTemplate {
    int32_t resourceId;
    DialogLanguage language;
    uint32_t style;
    int16_t x, y, width, height;  // dialog units
    DialogText caption;
    const char* fontFace;
    int16_t pointSize;
    int16_t fontWeight;
    uint8_t charset;
    std::span<const DialogControlTemplate> controls;

    const DialogControlTemplate* Find(int32_t id) const;
    bool IsChild() const { return (style & kStyleChild) != 0; }
};

// True for an automatic radio button.
bool IsRadioButton(const DialogControlTemplate& control);
// Index range [first, last] of the run of neighbouring radio buttons that holds the control
// at `index`: such a run is one group, where checking one unchecks the others.
void RadioGroupRange(const DialogTemplate& dialog, std::size_t index, std::size_t* first,
                     std::size_t* last);

}  // namespace pixora
