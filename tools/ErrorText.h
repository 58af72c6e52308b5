// What each error code of the library means, in words for the person at the terminal.
#pragma once

#include <cstdint>
#include <string>

namespace pixora::cli {

// "device not found: no camera at the chosen index", or "unknown error" for other codes.
const char* ErrorMeaning(int32_t code);

// "error 2 (device not found: no camera at the chosen index)".
std::string DescribeError(int32_t code);

}  // namespace pixora::cli
