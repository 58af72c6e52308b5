// The per-user settings in the system registry under HKEY_CURRENT_USER: the same key paths
// and value names as the settings file of the other platforms, every value a REG_DWORD.
// The registry serialises writers itself, across processes too.
//
// The store's "file path" names the root its key paths start from: "HKEY_CURRENT_USER"
// itself, or, as $PIXORA_REGISTRY moves the settings file elsewhere on the other
// platforms, a key of its own below HKEY_CURRENT_USER\Software\PixoraRedirected for any
// other name (so test runs keep their settings apart).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/Environment.h"
#include "platform/SettingsKeyPath.h"
#include "platform/SettingsStore.h"
#include "platform/win32/SettingsText.h"

namespace pixora {

namespace {

// Everything this library keeps lies below this key.
constexpr char kVendorKey[] = "Software\\Mendal";

constexpr char kRedirectParent[] = "Software\\PixoraRedirected\\";

// The key below HKEY_CURRENT_USER that stands for the root of the store named `path`
// (empty: HKEY_CURRENT_USER itself).
std::string RootKeyOf(const std::string& path) {
    const std::string root(kCurrentUserRoot);
    if (path == root)
        return {};
    if (path.size() > root.size() + 1 && path.compare(0, root.size(), root) == 0 &&
        path[root.size()] == '\\') {
        return path.substr(root.size() + 1);
    }
    // Any other name becomes one key name: separators and control characters flattened.
    std::string flat;
    for (char c : path) {
        const auto u = static_cast<unsigned char>(c);
        flat += (c == '\\' || c == '/' || c == ':' || u < 0x20 || u == 0x7F) ? '_' : c;
    }
    // A key name holds at most 255 characters: a long name keeps its end and a digest.
    constexpr size_t kKeep = 200;
    if (flat.size() > kKeep) {
        char digest[20];
        std::snprintf(digest, sizeof digest, "%016llx_",
                      static_cast<unsigned long long>(std::hash<std::string>{}(flat)));
        flat = digest + flat.substr(flat.size() - kKeep);
    }
    return kRedirectParent + (flat.empty() ? std::string("_") : flat);
}

std::string Join(const std::string& root, const std::string& keyPath) {
    return root.empty() ? keyPath : root + "\\" + keyPath;
}

// An open registry key, closed when it goes out of scope.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;

    bool Open(HKEY parent, const char* path, REGSAM access) {
        return RegOpenKeyExA(parent, path, 0, access, &key_) == ERROR_SUCCESS;
    }
    bool Create(HKEY parent, const char* path) {
        return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                               nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool SetDword(HKEY key, const std::string& name, uint32_t value) {
    const DWORD data = value;
    return RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

// Every key below `key` (full path `path`) with its REG_DWORD values, into `contents`.
void CollectKeys(HKEY key, const std::string& path, RegistryContents& contents) {
    auto& values = contents.keys[path];
    char name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        DWORD data = 0;
        DWORD dataBytes = sizeof data;
        const LONG status = RegEnumValueA(key, i, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(&data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS && type == REG_DWORD && dataBytes == sizeof data)
            values[std::string(name, nameLength)] = data;
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        const LONG status =
            RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            break;
        const std::string subName(name, nameLength);
        KeyHandle sub;
        if (sub.Open(key, subName.c_str(), KEY_READ))
            CollectKeys(sub.get(), path + "\\" + subName, contents);
    }
}

}  // namespace

SettingsStore::SettingsStore(std::string filePath) : path_(std::move(filePath)) {}

std::string SettingsStore::DefaultPath() {
    if (const std::optional<std::string> redirected = EnvironmentValue("PIXORA_REGISTRY");
        redirected && !redirected->empty())
        return *redirected;
    return kCurrentUserRoot;
}

std::unique_ptr<SettingsStore> SettingsStore::ForCurrentUser() {
    return std::make_unique<SettingsStore>(DefaultPath());
}

ParsedRegistry SettingsStore::Load() const {
    // The settings of this library, not the whole of the user's registry.
    ParsedRegistry parsed;
    const std::string ours = kVendorKey;
    KeyHandle key;
    if (key.Open(HKEY_CURRENT_USER, Join(RootKeyOf(path_), ours).c_str(), KEY_READ))
        CollectKeys(key.get(), FullKeyPath(ours), parsed.contents);
    return parsed;
}

bool SettingsStore::KeyExists(const std::string& keyPath) const {
    KeyHandle key;
    return ValidKeyPath(keyPath) &&
           key.Open(HKEY_CURRENT_USER, Join(RootKeyOf(path_), keyPath).c_str(), KEY_READ);
}

bool SettingsStore::CreateKey(const std::string& keyPath) {
    KeyHandle key;
    return ValidKeyPath(keyPath) &&
           key.Create(HKEY_CURRENT_USER, Join(RootKeyOf(path_), keyPath).c_str());
}

bool SettingsStore::ReadValue(const std::string& keyPath, const std::string& name,
                              uint32_t* value) const {
    KeyHandle key;
    if (value == nullptr || !ValidKeyPath(keyPath) ||
        !key.Open(HKEY_CURRENT_USER, Join(RootKeyOf(path_), keyPath).c_str(), KEY_QUERY_VALUE)) {
        return false;
    }
    DWORD type = 0;
    DWORD data = 0;
    DWORD dataBytes = sizeof data;
    // Anything but a 32-bit value is unreadable as a setting and leaves *value alone.
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data),
                         &dataBytes) != ERROR_SUCCESS ||
        type != REG_DWORD || dataBytes != sizeof data) {
        return false;
    }
    *value = data;
    return true;
}

bool SettingsStore::WriteValue(const std::string& keyPath, const std::string& name,
                               uint32_t value) {
    if (!ValidKeyPath(keyPath) || !ValidValueName(name))
        return false;
    std::lock_guard guard(mutex_);
    KeyHandle key;
    return key.Create(HKEY_CURRENT_USER, Join(RootKeyOf(path_), keyPath).c_str()) &&
           SetDword(key.get(), name, value);
}

bool SettingsStore::WriteValues(const std::string& keyPath, const std::vector<NamedValue>& values) {
    if (!ValidKeyPath(keyPath) || !ValidValueNames(values))
        return false;
    std::lock_guard guard(mutex_);
    KeyHandle key;
    if (!key.Create(HKEY_CURRENT_USER, Join(RootKeyOf(path_), keyPath).c_str()))
        return false;
    bool ok = true;
    for (const NamedValue& v : values)
        ok = SetDword(key.get(), v.name, static_cast<uint32_t>(v.value)) && ok;
    return ok;
}

std::string ExportSettingsText(const std::string& storePath) {
    return FormatRegistryText(SettingsStore(storePath).Load().contents);
}

bool ClearSettings(const std::string& storePath) {
    const std::string root = RootKeyOf(storePath);
    const std::string target = root.rfind(kRedirectParent, 0) == 0 ? root : Join(root, kVendorKey);
    const LSTATUS status = RegDeleteTreeA(HKEY_CURRENT_USER, target.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return false;
    if (target == root)
        RegDeleteKeyA(HKEY_CURRENT_USER, target.c_str());
    return true;
}

bool ImportSettingsText(const std::string& storePath, std::string_view text) {
    if (!ClearSettings(storePath))
        return false;
    const ParsedRegistry parsed = ParseRegistryText(text);
    SettingsStore store(storePath);
    bool ok = true;
    for (const auto& [fullPath, values] : parsed.contents.keys) {
        // Only keys of the current user can be stored.
        if (!IsSubKeyPath(kCurrentUserRoot, fullPath)) {
            ok = false;
            continue;
        }
        // What follows the root and its backslash.
        const std::string keyPath = fullPath.substr(std::strlen(kCurrentUserRoot) + 1);
        std::vector<NamedValue> named;
        for (const auto& [name, value] : values)
            named.push_back(NamedValue{name, static_cast<int32_t>(value)});
        ok = (named.empty() ? store.CreateKey(keyPath) : store.WriteValues(keyPath, named)) && ok;
    }
    return ok;
}

}  // namespace pixora
