// Environment variables as the process has them now. On Windows they are read from the
// process environment block (GetEnvironmentVariableA), not from the C runtime's copy made at
// start-up, so a host that sets a variable at run time before loading the library (as
// Python's os.environ does) is heard.
#pragma once

#include <optional>
#include <string>

namespace pixora {

// The value of `name`, or nothing when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

// Whether the process runs with the system administrator's rights (root on Linux), which
// system-wide configuration needs.
bool RunningAsAdministrator();

}  // namespace pixora
