// Key handles over whichever settings store this system has (the settings file on Linux,
// the registry on Windows): a key is its store and its path below the current user's root.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/SettingsStore.h"

namespace pixora {

RegistryKey::RegistryKey(std::shared_ptr<SettingsStore> store, std::string path)
    : store_(std::move(store)), path_(std::move(path)) {}

std::unique_ptr<RegistryKey> RegistryKey::Open(const std::string& keyPath) {
    std::shared_ptr<SettingsStore> store = SettingsStore::ForCurrentUser();
    if (!store->KeyExists(keyPath))
        return nullptr;
    return std::unique_ptr<RegistryKey>(new RegistryKey(std::move(store), keyPath));
}

std::unique_ptr<RegistryKey> RegistryKey::Create(const std::string& keyPath) {
    std::shared_ptr<SettingsStore> store = SettingsStore::ForCurrentUser();
    if (!store->CreateKey(keyPath))
        return nullptr;
    return std::unique_ptr<RegistryKey>(new RegistryKey(std::move(store), keyPath));
}

std::unique_ptr<RegistryKey> RegistryKey::OpenSubKey(const std::string& name) const {
    const std::string sub = path_ + "\\" + name;
    if (!store_->KeyExists(sub))
        return nullptr;
    return std::unique_ptr<RegistryKey>(new RegistryKey(store_, sub));
}

std::unique_ptr<RegistryKey> RegistryKey::CreateSubKey(const std::string& name) const {
    const std::string sub = path_ + "\\" + name;
    if (!store_->CreateKey(sub))
        return nullptr;
    return std::unique_ptr<RegistryKey>(new RegistryKey(store_, sub));
}

bool RegistryKey::Read(const std::string& name, int32_t* value) const {
    uint32_t raw = 0;
    if (value == nullptr || !store_->ReadValue(path_, name, &raw))
        return false;
    *value = static_cast<int32_t>(raw);
    return true;
}

bool RegistryKey::Write(const std::string& name, int32_t value) {
    return store_->WriteValue(path_, name, static_cast<uint32_t>(value));
}

bool RegistryKey::Write(const std::vector<NamedValue>& values) {
    return store_->WriteValues(path_, values);
}

}  // namespace pixora
