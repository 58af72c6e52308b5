#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

#include "platform/FollowLinks.h"
#include "platform/WritableFileText.h"

namespace pixora {

using writable_file::CannotCreateText;
using writable_file::CannotWriteText;
using writable_file::Explain;
using writable_file::HasFileName;
using writable_file::NotRegularFileText;

namespace {

// Names are chosen at random, so that two saves to one target never share a temporary.
constexpr int kNameAttempts = 100;
// Long enough to recognise the target by, short enough to stay within a name's limit.
constexpr size_t kNameStemLimit = 200;

int RetryOnInterrupt(int (*call)(int), int fd) {
    int result = 0;
    do {
        result = call(fd);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Forces the folder's entry for the renamed file to disk; a folder that cannot be opened
// or synced leaves the file in place all the same.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        RetryOnInterrupt(fsync, fd);
        close(fd);
    }
}

}  // namespace

ReplacingFile::~ReplacingFile() {
    Discard();
}

bool ReplacingFile::Open(const char* path, std::string* why, bool ownerOnly) {
    Discard();
    if (!HasFileName(path, why))
        return false;
    path_ = path;
    target_ = FollowLinks(path_);
    struct stat st {};
    if (stat(target_.c_str(), &st) == 0) {
        // Checked by name, never opened: a FIFO must not block the save, and a device must
        // not be replaced by a file.
        if (S_ISDIR(st.st_mode)) {
            Explain(why, CannotCreateText(path, EISDIR));
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            Explain(why, NotRegularFileText(path));
            return false;
        }
        // The rename would replace a file its owner made read-only.
        if (faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
            Explain(why, CannotWriteText(path, errno));
            return false;
        }
    } else if (errno != ENOENT) {
        Explain(why, CannotCreateText(path, errno));
        return false;
    }

    namespace fs = std::filesystem;
    const fs::path target(target_);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string stem = target.filename().string().substr(0, kNameStemLimit);
    std::minstd_rand names(
        static_cast<unsigned>(std::random_device{}()) ^
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const mode_t mode = ownerOnly ? 0600 : 0666;  // less the umask
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%06x.tmp",
                      static_cast<unsigned>(names()) & 0xFFFFFF);
        const std::string candidate = (folder / ("." + stem + suffix)).string();
        fd_ = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd_ >= 0) {
            temporary_ = candidate;
            open_ = true;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    Explain(why, CannotCreateText(path, errno));
    return false;
}

std::FILE* ReplacingFile::Stream() {
    if (stream_ == nullptr && fd_ >= 0) {
        // The stream takes the descriptor over; both are closed once, through the stream.
        stream_ = fdopen(fd_, "wb");
    }
    return stream_;
}

bool ReplacingFile::Commit(std::string* why) {
    if (!open_) {
        Explain(why, CannotWriteText(path_.c_str(), EBADF));
        return false;
    }
    int error = 0;
    const auto failed = [&error](bool failure) {
        if (failure && error == 0)
            error = errno != 0 ? errno : EIO;
        return failure;
    };
    errno = 0;
    bool ok = !(stream_ != nullptr && failed(std::fflush(stream_) != 0 || std::ferror(stream_)));
    ok = ok && !failed(RetryOnInterrupt(fsync, fd_) != 0);
    if (ok) {
        // The target's permissions and owner as they are now; a non-superuser cannot give
        // a file to someone else, and then keeps it.
        struct stat st {};
        if (stat(target_.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode)) {
                Explain(why, NotRegularFileText(path_.c_str()));
                Discard();
                return false;
            }
            ok = !failed(fchmod(fd_, st.st_mode & 07777) != 0);
            if (ok && (st.st_uid != geteuid() || st.st_gid != getegid()) &&
                fchown(fd_, st.st_uid, st.st_gid) != 0) {
                errno = 0;
            }
        }
    }
    const bool closed = stream_ != nullptr ? std::fclose(stream_) == 0 : close(fd_) == 0;
    stream_ = nullptr;
    fd_ = -1;
    ok = ok && !failed(!closed);
    ok = ok && !failed(std::rename(temporary_.c_str(), target_.c_str()) != 0);
    if (!ok) {
        Explain(why, CannotWriteText(path_.c_str(), error));
        Discard();
        return false;
    }
    const std::filesystem::path target(target_);
    SyncFolder(target.has_parent_path() ? target.parent_path().string() : std::string("."));
    temporary_.clear();
    open_ = false;
    return true;
}

void ReplacingFile::Discard() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
    } else if (fd_ >= 0) {
        close(fd_);
    }
    stream_ = nullptr;
    fd_ = -1;
    if (!temporary_.empty())
        unlink(temporary_.c_str());
    temporary_.clear();
    open_ = false;
}

}  // namespace pixora
