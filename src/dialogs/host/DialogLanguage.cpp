#include "dialogs/host/DialogLanguage.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace pixora {

int32_t SystemDefaultLangId() {
#ifdef _WIN32
    return static_cast<int32_t>(GetSystemDefaultLangID());
#else
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0')
            continue;
        return std::strncmp(value, "ja", 2) == 0 ? kLangIdJapanese : kLangIdEnglishUs;
    }
    return kLangIdEnglishUs;
#endif
}

DialogLanguage SystemDialogLanguage() {
    return SystemDefaultLangId() == kLangIdJapanese ? DialogLanguage::Japanese
                                                    : DialogLanguage::English;
}

}  // namespace pixora
