#include "dialogs/host/win32/Win32DialogTemplate.h"

#include <cstring>
#include <string>

#include "dialogs/host/win32/Win32Text.h"

namespace pixora {
namespace {

// Appends 16-bit units; items start on 32-bit boundaries.
class TemplateWriter {
public:
    void Word(uint16_t value) { units_.push_back(value); }
    void Dword(uint32_t value) {
        Word(static_cast<uint16_t>(value & 0xFFFF));
        Word(static_cast<uint16_t>(value >> 16));
    }
    void Short(int16_t value) { Word(static_cast<uint16_t>(value)); }
    void Byte2(uint8_t low, uint8_t high) {
        Word(static_cast<uint16_t>(low | (static_cast<uint16_t>(high) << 8)));
    }
    // A zero-terminated UTF-16 string.
    void Text(const char* utf8) {
        for (wchar_t c : Utf8ToWide(utf8 != nullptr ? utf8 : "")) {
            Word(static_cast<uint16_t>(c));
        }
        Word(0);
    }
    void AlignDword() {
        if (units_.size() % 2 != 0) {
            Word(0);
        }
    }
    std::vector<uint32_t> Finish() {
        AlignDword();
        std::vector<uint32_t> out(units_.size() / 2);
        std::memcpy(out.data(), units_.data(), units_.size() * sizeof(uint16_t));
        return out;
    }

private:
    std::vector<uint16_t> units_;
};

// The predefined classes' ordinals; the common controls go by name.
uint16_t ClassOrdinal(DialogControlClass cls) {
    switch (cls) {
        case DialogControlClass::Button:
            return 0x0080;
        case DialogControlClass::Edit:
            return 0x0081;
        case DialogControlClass::Static:
            return 0x0082;
        case DialogControlClass::ComboBox:
            return 0x0085;
        default:
            return 0;
    }
}

}  // namespace

std::vector<uint32_t> BuildDialogTemplateEx(const DialogTemplate& dialog) {
    TemplateWriter out;
    out.Word(1);       // dlgVer
    out.Word(0xFFFF);  // signature: extended template
    out.Dword(0);      // helpID
    out.Dword(0);      // exStyle
    out.Dword(dialog.style);
    out.Word(static_cast<uint16_t>(dialog.controls.size()));
    out.Short(dialog.x);
    out.Short(dialog.y);
    out.Short(dialog.width);
    out.Short(dialog.height);
    out.Word(0);  // no menu
    out.Word(0);  // the dialog class
    out.Text(dialog.caption.For(dialog.language));
    if ((dialog.style & kDialogStyleSetFont) != 0) {
        out.Short(dialog.pointSize);
        out.Short(dialog.fontWeight);
        out.Byte2(0, dialog.charset);  // not italic
        out.Text(dialog.fontFace);
    }
    for (const DialogControlTemplate& control : dialog.controls) {
        out.AlignDword();
        out.Dword(0);  // helpID
        out.Dword(0);  // exStyle
        out.Dword(control.style);
        out.Short(control.x);
        out.Short(control.y);
        out.Short(control.width);
        out.Short(control.height);
        out.Dword(static_cast<uint32_t>(control.id));
        if (const uint16_t ordinal = ClassOrdinal(control.cls); ordinal != 0) {
            out.Word(0xFFFF);
            out.Word(ordinal);
        } else {
            out.Text(DialogClassName(control.cls));
        }
        out.Text(control.text.For(dialog.language));
        out.Word(0);  // no creation data
    }
    return out.Finish();
}

}  // namespace pixora
