// Dialog templates as the system's dialog manager reads them: an extended template
// (DLGTEMPLATEEX) in memory, made from the library's template tables. Texts are written in
// the template's language, as UTF-16.
#pragma once

#include <cstdint>
#include <vector>

#include "dialogs/host/DialogTemplate.h"

namespace pixora {

// The style bit that makes the template carry a font.
inline constexpr uint32_t kDialogStyleSetFont = 0x40;

// The template's bytes; their start is suitably aligned for DialogBoxIndirectParamA and
// CreateDialogIndirectParamA (32-bit words).
std::vector<uint32_t> BuildDialogTemplateEx(const DialogTemplate& dialog);

}  // namespace pixora
