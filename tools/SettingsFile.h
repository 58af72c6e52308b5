// Where the library keeps the per-user settings: $PIXORA_REGISTRY, else
// $XDG_CONFIG_HOME/pixora/registry.reg, else ~/.config/pixora/registry.reg.
#pragma once

#include <string>

namespace pixora::cli {

std::string SettingsFilePath();

}  // namespace pixora::cli
