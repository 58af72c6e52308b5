// Key paths and value names of the per-user settings, the same in every settings store
// (the settings file on Linux, the registry on Windows): which names a store accepts, and
// how a key path below the current user's root reads in full.
#pragma once

#include <string>
#include <vector>

namespace pixora {

struct NamedValue;

// The root every key path starts below, as the full paths of the settings text name it.
inline constexpr char kCurrentUserRoot[] = "HKEY_CURRENT_USER";

// "HKEY_CURRENT_USER\<keyPath>"; the root alone for an empty path.
std::string FullKeyPath(const std::string& keyPath);

// A path of key names joined by backslashes: not empty, no empty name (no backslash at
// either end, none doubled), no control characters and no square brackets (they enclose a
// key's path in the settings text).
bool ValidKeyPath(const std::string& keyPath);
// No control characters, double quotes or backslashes (the settings text quotes the name).
bool ValidValueName(const std::string& name);
bool ValidValueNames(const std::vector<NamedValue>& values);

// True when `child` names a key below `parent`, comparing names without regard to case.
bool IsSubKeyPath(const std::string& parent, const std::string& child);

}  // namespace pixora
