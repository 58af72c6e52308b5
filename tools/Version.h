// The versions `pixora --version` and `pixora info` report.
#pragma once

#include <string>

namespace pixora::cli {

// The library's version from Pixora_GetDllVersion: "25.5.2 (0x00190502)".
std::string LibraryVersion();

// This program's version, the project version it was built with.
const char* ProgramVersion();

}  // namespace pixora::cli
