// Files for images on Windows: the C runtime's stream, refused when the name is a device
// or a pipe rather than a file on disk.
#include "platform/WritableFile.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstring>

namespace pixora {

namespace {

std::string Quoted(const char* path) {
    return std::string("'") + (path != nullptr ? path : "") + "'";
}

void Explain(std::string* why, std::string text) {
    if (why != nullptr)
        *why = std::move(text);
}

}  // namespace

std::FILE* OpenWritableFile(const char* path, std::string* why) {
    if (path == nullptr || path[0] == '\0') {
        Explain(why, "no file name");
        return nullptr;
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        Explain(why, "cannot write " + Quoted(path) + ": not a regular file");
        return nullptr;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        Explain(why, "cannot create " + Quoted(path) + ": " + std::strerror(errno));
        return nullptr;
    }
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        std::fclose(file);
        Explain(why, "cannot write " + Quoted(path) + ": not a regular file");
        return nullptr;
    }
    return file;
}

std::string WriteFailureText(const char* path) {
    const int error = errno;
    return "cannot write " + Quoted(path) + ": " +
           (error != 0 ? std::strerror(error) : "the file could not be completed");
}

}  // namespace pixora
