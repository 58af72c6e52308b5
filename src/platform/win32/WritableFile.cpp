// Files for images on Windows: the C runtime's stream, refused when the name is a device
// or a pipe rather than a file on disk.
#include "platform/WritableFile.h"

#include <windows.h>

#include <io.h>

#include <cerrno>

#include "platform/WritableFileText.h"

namespace pixora {

using writable_file::CannotCreateText;
using writable_file::Explain;
using writable_file::HasFileName;
using writable_file::NotRegularFileText;

std::FILE* OpenWritableFile(const char* path, std::string* why) {
    if (!HasFileName(path, why))
        return nullptr;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        Explain(why, NotRegularFileText(path));
        return nullptr;
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        Explain(why, CannotCreateText(path, errno));
        return nullptr;
    }
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        std::fclose(file);
        Explain(why, NotRegularFileText(path));
        return nullptr;
    }
    return file;
}

}  // namespace pixora
