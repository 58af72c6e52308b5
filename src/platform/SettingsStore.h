// Per-user settings: keys, subkeys and 32-bit values under the current user's root, kept
// in one text file. Every write re-reads the file under an advisory lock and replaces it
// atomically, so concurrent writers in several processes lose nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/RegistryFile.h"

namespace pixora {

struct NamedValue {
    std::string name;
    int32_t value;
};

class SettingsStore {
public:
    explicit SettingsStore(std::string filePath);

    // $PIXORA_REGISTRY, else $XDG_CONFIG_HOME/pixora/registry.reg,
    // else ~/.config/pixora/registry.reg.
    static std::string DefaultPath();
    // The store at DefaultPath(), looked up again on each call so tests can point
    // PIXORA_REGISTRY elsewhere.
    static std::unique_ptr<SettingsStore> ForCurrentUser();

    const std::string& FilePath() const { return path_; }

    // Paths are relative to the current user's root, with backslashes
    // ("Software\Mendal\Pixora530TZSdk\Size_00"); names compare without regard to case.
    bool KeyExists(const std::string& keyPath) const;
    // Creates the key and every missing parent; true when the key exists afterwards.
    bool CreateKey(const std::string& keyPath);
    // False, leaving *value unchanged, when the key or value is missing.
    bool ReadValue(const std::string& keyPath, const std::string& name, uint32_t* value) const;
    // Creates the key when needed.
    bool WriteValue(const std::string& keyPath, const std::string& name, uint32_t value);
    // Several values of one key in one replacement of the file.
    bool WriteValues(const std::string& keyPath, const std::vector<NamedValue>& values);

    // Everything the file holds now (what a damaged file yields up to its first bad line).
    ParsedRegistry Load() const;

private:
    template <typename Change>
    bool Modify(Change&& change);

    std::string path_;
    std::mutex mutex_;  // serialises this process's writers; the file lock covers the others
};

// An open key, in the manner of the system registry's key handles.
class RegistryKey {
public:
    // Null when the key does not exist.
    static std::unique_ptr<RegistryKey> Open(const std::string& keyPath);
    // Creates the key and its parents; null when that fails.
    static std::unique_ptr<RegistryKey> Create(const std::string& keyPath);

    std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name) const;
    std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name) const;

    // A missing or unreadable value leaves *value unchanged and returns false.
    bool Read(const std::string& name, int32_t* value) const;
    bool Write(const std::string& name, int32_t value);
    // Writes all of them at once (one replacement of the settings file).
    bool Write(const std::vector<NamedValue>& values);

    const std::string& Path() const { return path_; }

private:
    RegistryKey(std::shared_ptr<SettingsStore> store, std::string path);

    std::shared_ptr<SettingsStore> store_;
    std::string path_;
};

}  // namespace pixora
