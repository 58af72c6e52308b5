#include "dialogs/host/DialogTemplate.h"

namespace pixora {

const char* DialogClassName(DialogControlClass cls) {
    switch (cls) {
        case DialogControlClass::Button:
            return "BUTTON";
        case DialogControlClass::Static:
            return "STATIC";
        case DialogControlClass::Edit:
            return "EDIT";
        case DialogControlClass::ComboBox:
            return "COMBOBOX";
        case DialogControlClass::Tab:
            return "SysTabControl32";
        case DialogControlClass::Trackbar:
            return "msctls_trackbar32";
        case DialogControlClass::UpDown:
            return "msctls_updown32";
    }
    return "";
}

const DialogControlTemplate* DialogTemplate::Find(int32_t id) const {
    if (id == kNoControlId)
        return nullptr;
    for (const DialogControlTemplate& c : controls) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}

bool IsRadioButton(const DialogControlTemplate& control) {
    return control.cls == DialogControlClass::Button &&
           (control.style & kButtonKindMask) == kButtonAutoRadio;
}

void RadioGroupRange(const DialogTemplate& dialog, std::size_t index, std::size_t* first,
                     std::size_t* last) {
    std::size_t begin = index;
    std::size_t end = index;
    if (index < dialog.controls.size() && IsRadioButton(dialog.controls[index])) {
        while (begin > 0 && IsRadioButton(dialog.controls[begin - 1]))
            --begin;
        while (end + 1 < dialog.controls.size() && IsRadioButton(dialog.controls[end + 1]))
            ++end;
    }
    *first = begin;
    *last = end;
}

}  // namespace pixora
