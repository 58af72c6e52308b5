// The text form of the per-user settings: keys with REG_DWORD values, in the registry
// export format. Parsing stops at the first line that is not valid, keeping what came before.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace pixora {

// Orders key and value names as the registry does: without regard to ASCII case.
struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

struct RegistryContents {
    using Values = std::map<std::string, uint32_t, CaseInsensitiveLess>;
    // Full key paths ("HKEY_CURRENT_USER\Software\...") to their values.
    std::map<std::string, Values, CaseInsensitiveLess> keys;
};

struct ParsedRegistry {
    RegistryContents contents;
    bool damaged = false;  // something past the valid part was left unread
};

inline constexpr std::string_view kRegistryHeader = "Windows Registry Editor Version 5.00";

ParsedRegistry ParseRegistryText(std::string_view text);
// CRLF line ends, one section per key with its full path, keys and values in name order.
std::string FormatRegistryText(const RegistryContents& contents);

}  // namespace pixora
