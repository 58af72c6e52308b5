// Exit statuses of the pixora program; scripts rely on them.
#pragma once

namespace pixora::cli {

inline constexpr int kExitSuccess = 0;
// The library refused or failed a request; the message names the error code.
inline constexpr int kExitFailure = 1;
// The command line could not be understood (unknown command, option, value or format).
inline constexpr int kExitUsage = 2;
// Stopped by Ctrl-C before the requested end (128 + SIGINT, as shells report it).
inline constexpr int kExitInterrupted = 130;

}  // namespace pixora::cli
