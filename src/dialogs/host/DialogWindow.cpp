#include "dialogs/host/DialogWindow.h"

#include <cstdint>
#include <limits>

namespace pixora {

std::string FormatItemInt(int32_t value, bool isSigned) {
    if (isSigned)
        return std::to_string(value);
    return std::to_string(static_cast<uint32_t>(value));
}

int32_t ParseItemInt(const std::string& text, bool* translated, bool isSigned) {
    bool ok = false;
    int64_t result = 0;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (isSigned && i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    const int64_t limit = isSigned ? (negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1)
                                   : std::numeric_limits<uint32_t>::max();
    bool fits = true;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        if (fits) {
            result = result * 10 + (text[i] - '0');
            if (result > limit)
                fits = false;
        }
    }
    ok = digits > 0 && fits;
    if (translated != nullptr)
        *translated = ok;
    if (!ok)
        return 0;
    if (negative)
        result = -result;
    return isSigned ? static_cast<int32_t>(result)
                    : static_cast<int32_t>(static_cast<uint32_t>(result));
}

void DialogWindow::SetItemInt(int32_t id, int32_t value, bool isSigned) {
    SetItemText(id, FormatItemInt(value, isSigned));
}

int32_t DialogWindow::GetItemInt(int32_t id, bool* translated, bool isSigned) {
    return ParseItemInt(GetItemText(id), translated, isSigned);
}

}  // namespace pixora
