// The settings of one store (a SettingsStore path: "HKEY_CURRENT_USER", or the name that
// $PIXORA_REGISTRY gives) in the registry export text of the other platforms' settings
// file, both ways: so that tools and test fixtures can look at and seed the registry
// settings as they do the file.
#pragma once

#include <string>
#include <string_view>

namespace pixora {

// The store's keys below Software\Mendal with their REG_DWORD values, formatted as the
// settings file is.
std::string ExportSettingsText(const std::string& storePath);
// Replaces the store's keys below Software\Mendal by those of `text` (as far as it is
// valid, as the file store reads a damaged file). True when every key and value was written.
bool ImportSettingsText(const std::string& storePath, std::string_view text);
// Removes the store's keys below Software\Mendal, and a redirected store's own key.
bool ClearSettings(const std::string& storePath);

}  // namespace pixora
