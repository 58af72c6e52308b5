#include "ReplacedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace pixora::cli {

namespace {

namespace fs = std::filesystem;

// `path` with its symbolic links followed, also to a destination that does not exist yet.
fs::path Destination(const fs::path& path) {
    fs::path current = path;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)))
            return current;
        const fs::path next = fs::read_symlink(current, error);
        if (error)
            return current;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return path;
}

std::string Reason(const std::string& what, const std::string& path, int error) {
    return what + " '" + path + "': " + std::strerror(error);
}

}  // namespace

ReplacedFile::ReplacedFile(const std::string& target) : target_(Destination(target).string()) {
    const fs::path destination(target_);
    const fs::path folder = destination.has_parent_path() ? destination.parent_path() : ".";
    std::mt19937 names(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%06x.part",
                      static_cast<unsigned>(names() & 0xFFFFFF));
        const std::string candidate =
            (folder / ("." + destination.filename().string() + suffix)).string();
        // 0666 less the umask, as the muxer's own file would have been made.
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            temporary_ = candidate;
            return;
        }
        if (errno != EEXIST)
            break;
    }
    failure_ = Reason("cannot create", target, errno);
}

ReplacedFile::~ReplacedFile() {
    if (!temporary_.empty())
        unlink(temporary_.c_str());
}

bool ReplacedFile::Commit() {
    if (temporary_.empty())
        return false;
    int error = 0;
    const int fd = open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0)
        error = errno;
    struct stat st {};
    if (error == 0 && stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        fchmod(fd, st.st_mode & 07777) != 0)
        error = errno;
    if (fd >= 0)
        close(fd);
    if (error == 0 && std::rename(temporary_.c_str(), target_.c_str()) != 0)
        error = errno;
    if (error != 0) {
        failure_ = Reason("cannot write", target_, error);
        return false;
    }
    temporary_.clear();
    return true;
}

}  // namespace pixora::cli
