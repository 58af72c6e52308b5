// What each error code means, in words for a person reading a log or a terminal.
#pragma once

#include <cstdint>

namespace pixora {

// "device not found: no camera at the chosen index"; "no error" for 0, "unknown error"
// for codes the library never records. Static text, never null.
const char* ErrorCodeText(int32_t code);

}  // namespace pixora
