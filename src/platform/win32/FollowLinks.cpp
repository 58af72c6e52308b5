// Links on Windows are reparse points; the system resolves one for an open handle.
#include "platform/FollowLinks.h"

#include <windows.h>

#include <cstring>

namespace pixora {

std::string FollowLinks(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return path;
    // No access asked: only the name is wanted. A link whose destination is missing cannot
    // be opened, and is then replaced itself.
    const HANDLE handle =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return path;
    char final[MAX_PATH * 4] = {};
    const DWORD length =
        GetFinalPathNameByHandleA(handle, final, sizeof final, FILE_NAME_NORMALIZED);
    CloseHandle(handle);
    if (length == 0 || length >= sizeof final)
        return path;
    // "\\?\C:\dir\file" or "\\?\UNC\server\share\file".
    std::string resolved(final, length);
    if (resolved.rfind("\\\\?\\UNC\\", 0) == 0)
        return "\\\\" + resolved.substr(8);
    if (resolved.rfind("\\\\?\\", 0) == 0)
        return resolved.substr(4);
    return resolved;
}

}  // namespace pixora
