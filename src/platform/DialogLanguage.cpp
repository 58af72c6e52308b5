#include "platform/DialogLanguage.h"

#include <cstdlib>
#include <cstring>

namespace pixora {

int32_t SystemDefaultLangId() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0')
            continue;
        return std::strncmp(value, "ja", 2) == 0 ? kLangIdJapanese : kLangIdEnglishUs;
    }
    return kLangIdEnglishUs;
}

DialogLanguage SystemDialogLanguage() {
    return SystemDefaultLangId() == kLangIdJapanese ? DialogLanguage::Japanese
                                                    : DialogLanguage::English;
}

}  // namespace pixora
