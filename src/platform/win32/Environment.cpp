#include "platform/Environment.h"

#include <windows.h>

#include <vector>

namespace pixora {

std::optional<std::string> EnvironmentValue(const char* name) {
    if (name == nullptr)
        return std::nullopt;
    // Asked twice at most: once for the size, once for the value; a value that grows in
    // between is asked for again.
    std::vector<char> value(256);
    for (int attempt = 0; attempt < 4; ++attempt) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length =
            GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND)
                return std::nullopt;
            return std::string();
        }
        if (length < value.size())
            return std::string(value.data(), length);
        value.resize(length);
    }
    return std::nullopt;
}

bool RunningAsAdministrator() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) {
        member = FALSE;
    }
    FreeSid(administrators);
    return member != FALSE;
}

}  // namespace pixora
