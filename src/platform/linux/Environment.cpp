#include "platform/Environment.h"

#include <unistd.h>

#include <cstdlib>

namespace pixora {

std::optional<std::string> EnvironmentValue(const char* name) {
    // The C library's environment is the process's own here.
    const char* value = name != nullptr ? std::getenv(name) : nullptr;
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

bool RunningAsAdministrator() {
    return geteuid() == 0;
}

}  // namespace pixora
