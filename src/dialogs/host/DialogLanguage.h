// The language of the library's dialogs: Japanese when the system's default language is
// Japanese (on Windows GetSystemDefaultLangID() 1041, elsewhere a locale starting with "ja"),
// English otherwise.
#pragma once

#include <cstdint>

#include "dialogs/host/DialogTemplate.h"

namespace pixora {

inline constexpr int32_t kLangIdEnglishUs = 1033;
inline constexpr int32_t kLangIdJapanese = 1041;

// Windows: GetSystemDefaultLangID(). Elsewhere 1041 when the first set one of LC_ALL,
// LC_MESSAGES and LANG starts with "ja", else 1033.
int32_t SystemDefaultLangId();
DialogLanguage SystemDialogLanguage();

}  // namespace pixora
