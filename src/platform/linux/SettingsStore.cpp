#include "platform/SettingsStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <utility>

#include "platform/Environment.h"
#include "platform/FollowLinks.h"
#include "platform/Log.h"
#include "platform/ReplacingFile.h"
#include "platform/SettingsKeyPath.h"

namespace pixora {

namespace {

// A settings file is a few kilobytes; anything far larger is not ours to read whole.
constexpr off_t kMaxFileBytes = 16 * 1024 * 1024;

// Tells the application once per file and kind of problem, through its log handler: the
// library cannot return an error from a settings read or write.
void NoticeOnce(const std::string& path, const char* problem) {
    static std::mutex mutex;
    static std::set<std::string> told;
    {
        std::lock_guard lock(mutex);
        if (!told.insert(path + '\n' + problem).second)
            return;
    }
    Log(LogLevel::Warning, "settings file '" + path + "' " + problem);
}

constexpr const char* kNotRegular = "is not a regular file; settings are neither read nor saved";
constexpr const char* kNotWritten = "could not be written; settings changes are not saved";
constexpr const char* kTooLarge =
    "is larger than 16 MiB; it is read only that far and never rewritten, so changes are not "
    "saved";

// The whole file into *out. False when it is not a regular file. *complete is false when the
// file is larger than the cap and only its beginning was read.
bool ReadWholeFile(int fd, std::string* out, bool* complete) {
    struct stat st {};
    *complete = true;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    *complete = st.st_size <= kMaxFileBytes;
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

// `text` as the whole file at `path`, replacing it whole or not at all; a new file is the
// user's alone, as settings are.
bool ReplaceFileText(const std::string& path, const std::string& text) {
    ReplacingFile file;
    return file.Open(path.c_str(), nullptr, true) && file.Stream() != nullptr &&
           std::fwrite(text.data(), 1, text.size(), file.Stream()) == text.size() &&
           file.Commit(nullptr);
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
        contents.keys[FullKeyPath(keyPath.substr(0, end))];
    }
    return contents.keys[FullKeyPath(keyPath)];
}

// What is at a settings path, once links are followed.
enum class FileKind { Missing, Regular, Other };

FileKind KindOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return FileKind::Missing;
    return S_ISREG(st.st_mode) ? FileKind::Regular : FileKind::Other;
}

struct FileText {
    std::string text;
    bool exists = false;   // a regular file was there and was read
    bool complete = true;  // ... to its end
};

FileText ReadFileText(const std::string& path) {
    FileText file;
    // Not blocking: a FIFO at the path must not hang the reader.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return file;
    file.exists = ReadWholeFile(fd, &file.text, &file.complete);
    close(fd);
    if (!file.exists)
        file.text.clear();
    return file;
}

// Reads the settings file at `path` (links followed), telling once about a file that is not
// regular or too large.
FileText ReadSettingsFile(const std::string& path) {
    if (KindOf(path) == FileKind::Other) {
        NoticeOnce(path, kNotRegular);
        return {};
    }
    FileText file = ReadFileText(path);
    if (file.exists && !file.complete)
        NoticeOnce(path, kTooLarge);
    return file;
}

}  // namespace

SettingsStore::SettingsStore(std::string filePath) : path_(std::move(filePath)) {}

std::string SettingsStore::DefaultPath() {
    const std::string explicitPath = EnvironmentValue("PIXORA_REGISTRY").value_or("");
    if (!explicitPath.empty())
        return explicitPath;
    const std::string xdg = EnvironmentValue("XDG_CONFIG_HOME").value_or("");
    if (!xdg.empty())
        return xdg + "/pixora/registry.reg";
    const std::string home = EnvironmentValue("HOME").value_or("");
    return (home.empty() ? std::string(".") : home) + "/.config/pixora/registry.reg";
}

std::unique_ptr<SettingsStore> SettingsStore::ForCurrentUser() {
    return std::make_unique<SettingsStore>(DefaultPath());
}

ParsedRegistry SettingsStore::Load() const {
    return ParseRegistryText(ReadSettingsFile(FollowLinks(path_)).text);
}

bool SettingsStore::KeyExists(const std::string& keyPath) const {
    if (!ValidKeyPath(keyPath))
        return false;
    const std::string full = FullKeyPath(keyPath);
    const ParsedRegistry parsed = Load();
    auto it = parsed.contents.keys.lower_bound(full);
    if (it == parsed.contents.keys.end())
        return false;
    // The key itself, or a subkey of it written without its parent's section.
    return !CaseInsensitiveLess{}(full, it->first) || IsSubKeyPath(full, it->first);
}

bool SettingsStore::ReadValue(const std::string& keyPath, const std::string& name,
                              uint32_t* value) const {
    if (value == nullptr || !ValidKeyPath(keyPath))
        return false;
    const ParsedRegistry parsed = Load();
    auto key = parsed.contents.keys.find(FullKeyPath(keyPath));
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
    // The replacement goes where a link points, so that the link and its target stay one.
    const std::string path = FollowLinks(path_);
    if (KindOf(path) == FileKind::Other) {
        // Renaming over a device or a FIFO would replace it with a settings file.
        NoticeOnce(path, kNotRegular);
        return false;
    }
    std::error_code ec;
    const std::filesystem::path file(path);
    if (file.has_parent_path())
        std::filesystem::create_directories(file.parent_path(), ec);

    FileLock lock(path);
    if (!lock.Held()) {
        NoticeOnce(path, kNotWritten);
        return false;
    }

    const FileText current = ReadSettingsFile(path);
    if (current.exists && !current.complete) {
        // Rewriting what was read would lose every value stored beyond the cap.
        return false;
    }
    ParsedRegistry parsed = ParseRegistryText(current.text);
    if (current.exists && parsed.damaged) {
        // Keep what could not be read beside the new file before replacing it (all of it:
        // a file larger than the cap never gets here).
        ReplaceFileText(path + ".bad", current.text);
    }
    change(parsed.contents);
    if (!ReplaceFileText(path, FormatRegistryText(parsed.contents))) {
        NoticeOnce(path, kNotWritten);
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
    if (!ValidKeyPath(keyPath) || !ValidValueNames(values))
        return false;
    return Modify([&](RegistryContents& contents) {
        auto& key = AddKeyWithParents(contents, keyPath);
        for (const NamedValue& v : values)
            key[v.name] = static_cast<uint32_t>(v.value);
    });
}

}  // namespace pixora
