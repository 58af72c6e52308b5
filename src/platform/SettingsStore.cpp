#include "platform/SettingsStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <utility>

namespace pixora {

namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
// A settings file is a few kilobytes; anything far larger is not ours to read whole.
constexpr off_t kMaxFileBytes = 16 * 1024 * 1024;

std::string FullPath(const std::string& keyPath) {
    std::string full(kRoot);
    if (!keyPath.empty()) {
        full += '\\';
        full += keyPath;
    }
    return full;
}

bool ValidKeyPath(const std::string& keyPath) {
    if (keyPath.empty() || keyPath.front() == '\\' || keyPath.back() == '\\')
        return false;
    if (keyPath.find("\\\\") != std::string::npos)
        return false;
    for (char c : keyPath) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '[' || c == ']')
            return false;
    }
    return true;
}

bool ValidValueName(const std::string& name) {
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '"' || c == '\\')
            return false;
    }
    return true;
}

bool IsPrefixKey(const std::string& parent, const std::string& child) {
    if (child.size() <= parent.size() || child[parent.size()] != '\\')
        return false;
    return !CaseInsensitiveLess{}(child.substr(0, parent.size()), parent) &&
           !CaseInsensitiveLess{}(parent, child.substr(0, parent.size()));
}

bool ReadWholeFile(int fd, std::string* out) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const off_t size = std::min<off_t>(st.st_size, kMaxFileBytes);
    out->assign(static_cast<size_t>(size), '\0');
    size_t done = 0;
    while (done < out->size()) {
        const ssize_t n =
            pread(fd, out->data() + done, out->size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    out->resize(done);
    return true;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Holds the advisory lock on "<file>.lock" for the lifetime of the object.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        fd_ = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0)
            close(fd_);  // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Every level of the path gets its own section, as a registry export lists them.
RegistryContents::Values& AddKeyWithParents(RegistryContents& contents,
                                            const std::string& keyPath) {
    for (size_t end = keyPath.find('\\'); end != std::string::npos;
         end = keyPath.find('\\', end + 1)) {
        contents.keys[FullPath(keyPath.substr(0, end))];
    }
    return contents.keys[FullPath(keyPath)];
}

std::string ReadFileText(const std::string& path, bool* exists) {
    std::string text;
    *exists = false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return text;
    *exists = ReadWholeFile(fd, &text);
    close(fd);
    return text;
}

}  // namespace

SettingsStore::SettingsStore(std::string filePath) : path_(std::move(filePath)) {}

std::string SettingsStore::DefaultPath() {
    if (const char* explicitPath = std::getenv("PIXORA_REGISTRY"); explicitPath && *explicitPath) {
        return explicitPath;
    }
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        return std::string(xdg) + "/pixora/registry.reg";
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/pixora/registry.reg";
}

std::unique_ptr<SettingsStore> SettingsStore::ForCurrentUser() {
    return std::make_unique<SettingsStore>(DefaultPath());
}

ParsedRegistry SettingsStore::Load() const {
    bool exists = false;
    const std::string text = ReadFileText(path_, &exists);
    return ParseRegistryText(text);
}

bool SettingsStore::KeyExists(const std::string& keyPath) const {
    if (!ValidKeyPath(keyPath))
        return false;
    const std::string full = FullPath(keyPath);
    const ParsedRegistry parsed = Load();
    auto it = parsed.contents.keys.lower_bound(full);
    if (it == parsed.contents.keys.end())
        return false;
    // The key itself, or a subkey of it written without its parent's section.
    return !CaseInsensitiveLess{}(full, it->first) || IsPrefixKey(full, it->first);
}

bool SettingsStore::ReadValue(const std::string& keyPath, const std::string& name,
                              uint32_t* value) const {
    if (value == nullptr || !ValidKeyPath(keyPath))
        return false;
    const ParsedRegistry parsed = Load();
    auto key = parsed.contents.keys.find(FullPath(keyPath));
    if (key == parsed.contents.keys.end())
        return false;
    auto v = key->second.find(name);
    if (v == key->second.end())
        return false;
    *value = v->second;
    return true;
}

template <typename Change>
bool SettingsStore::Modify(Change&& change) {
    std::lock_guard guard(mutex_);
    std::error_code ec;
    const std::filesystem::path file(path_);
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ec);

    FileLock lock(path_);
    if (!lock.Held())
        return false;

    bool exists = false;
    const std::string text = ReadFileText(path_, &exists);
    ParsedRegistry parsed = ParseRegistryText(text);
    if (exists && parsed.damaged) {
        // Keep what could not be read beside the new file before replacing it.
        std::filesystem::copy_file(path_, path_ + ".bad",
                                   std::filesystem::copy_options::overwrite_existing, ec);
    }
    change(parsed.contents);

    const std::string tmp = path_ + ".tmp";
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, FormatRegistryText(parsed.contents)) && fsync(fd) == 0;
    close(fd);
    if (!written || rename(tmp.c_str(), path_.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

bool SettingsStore::CreateKey(const std::string& keyPath) {
    if (!ValidKeyPath(keyPath))
        return false;
    return Modify([&](RegistryContents& contents) { AddKeyWithParents(contents, keyPath); });
}

bool SettingsStore::WriteValue(const std::string& keyPath, const std::string& name,
                               uint32_t value) {
    if (!ValidKeyPath(keyPath) || !ValidValueName(name))
        return false;
    return Modify(
        [&](RegistryContents& contents) { AddKeyWithParents(contents, keyPath)[name] = value; });
}

bool SettingsStore::WriteValues(const std::string& keyPath, const std::vector<NamedValue>& values) {
    if (!ValidKeyPath(keyPath))
        return false;
    for (const NamedValue& v : values) {
        if (!ValidValueName(v.name))
            return false;
    }
    return Modify([&](RegistryContents& contents) {
        auto& key = AddKeyWithParents(contents, keyPath);
        for (const NamedValue& v : values)
            key[v.name] = static_cast<uint32_t>(v.value);
    });
}

}  // namespace pixora
