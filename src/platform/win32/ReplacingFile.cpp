// The temporary is made by the system beside the target and put in its place with
// ReplaceFile, which keeps the replaced file's attributes and access control, or moved
// there when there was no file yet.
#include "platform/ReplacingFile.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <filesystem>

#include "platform/FollowLinks.h"
#include "platform/WritableFileText.h"

namespace pixora {

using writable_file::CannotCreateText;
using writable_file::CannotWriteText;
using writable_file::Explain;
using writable_file::HasFileName;
using writable_file::NotRegularFileText;

namespace {

// The C runtime's error number for the system's last error, for the reasons given.
int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
            return EACCES;
        default:
            return EIO;
    }
}

// What is at `path`: nothing, a file on disk, or something else (a device, a pipe), told
// without reading or writing it.
enum class TargetKind { Missing, DiskFile, Other, Unknown };

TargetKind KindOf(const std::string& path) {
    const HANDLE handle =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? TargetKind::Missing
                                                                              : TargetKind::Unknown;
    }
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    return type == FILE_TYPE_DISK ? TargetKind::DiskFile : TargetKind::Other;
}

}  // namespace

ReplacingFile::~ReplacingFile() {
    Discard();
}

bool ReplacingFile::Open(const char* path, std::string* why, bool) {
    Discard();
    if (!HasFileName(path, why))
        return false;
    path_ = path;
    target_ = FollowLinks(path_);
    const DWORD attributes = GetFileAttributesA(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        Explain(why, NotRegularFileText(path));
        return false;
    }
    if (KindOf(target_) == TargetKind::Other) {
        Explain(why, NotRegularFileText(path));
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Explain(why, CannotWriteText(path, EACCES));
        return false;
    }
    namespace fs = std::filesystem;
    const fs::path target(target_);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    char temporary[MAX_PATH] = {};
    if (GetTempFileNameA(folder.c_str(), "pxr", 0, temporary) == 0) {
        errno = ErrnoOf(GetLastError());
        Explain(why, CannotCreateText(path, errno));
        return false;
    }
    temporary_ = temporary;
    stream_ = std::fopen(temporary, "wb");
    if (stream_ == nullptr) {
        const int error = errno;
        Explain(why, CannotCreateText(path, error));
        Discard();
        errno = error;
        return false;
    }
    open_ = true;
    return true;
}

std::FILE* ReplacingFile::Stream() {
    return stream_;
}

bool ReplacingFile::Commit(std::string* why) {
    if (!open_) {
        Explain(why, CannotWriteText(path_.c_str(), EBADF));
        return false;
    }
    errno = 0;
    int error = 0;
    if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0 || _commit(_fileno(stream_)) != 0)
        error = errno != 0 ? errno : EIO;
    if (std::fclose(stream_) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    stream_ = nullptr;
    if (error == 0) {
        // ReplaceFile keeps the old file's attributes and access control on the new one.
        const bool exists = GetFileAttributesA(target_.c_str()) != INVALID_FILE_ATTRIBUTES;
        const BOOL moved = exists ? ReplaceFileA(target_.c_str(), temporary_.c_str(), nullptr,
                                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                  : MoveFileExA(temporary_.c_str(), target_.c_str(),
                                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!moved)
            error = ErrnoOf(GetLastError());
    }
    if (error != 0) {
        Explain(why, CannotWriteText(path_.c_str(), error));
        Discard();
        // For callers that take the reason from errno.
        errno = error;
        return false;
    }
    temporary_.clear();
    open_ = false;
    return true;
}

void ReplacingFile::Discard() {
    if (stream_ != nullptr)
        std::fclose(stream_);
    stream_ = nullptr;
    if (!temporary_.empty())
        DeleteFileA(temporary_.c_str());
    temporary_.clear();
    open_ = false;
}

}  // namespace pixora
