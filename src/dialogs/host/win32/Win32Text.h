// The library's texts are UTF-8; the system's wide functions take UTF-16.
#pragma once

#include <string>

namespace pixora {

// Invalid sequences become U+FFFD, as the system's conversion makes them.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

}  // namespace pixora
