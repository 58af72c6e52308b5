#include "Version.h"

#include <cstdint>
#include <cstdio>

#include "PixoraSdk_530TZ.h"

namespace pixora::cli {

std::string LibraryVersion() {
    // Major, minor and patch in the three low bytes.
    const auto version = static_cast<uint32_t>(Pixora_GetDllVersion());
    char text[48];
    std::snprintf(text, sizeof text, "%u.%u.%u (0x%08x)", (version >> 16) & 0xFF,
                  (version >> 8) & 0xFF, version & 0xFF, version);
    return text;
}

const char* ProgramVersion() {
    return PIXORA_PROGRAM_VERSION;
}

}  // namespace pixora::cli
