#include "SettingsFile.h"

#include <cstdlib>

namespace pixora::cli {

namespace {

const char* NonEmptyVariable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

}  // namespace

std::string SettingsFilePath() {
    if (const char* file = NonEmptyVariable("PIXORA_REGISTRY"))
        return file;
    if (const char* config = NonEmptyVariable("XDG_CONFIG_HOME"))
        return std::string(config) + "/pixora/registry.reg";
    const char* home = NonEmptyVariable("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/pixora/registry.reg";
}

}  // namespace pixora::cli
