// Exit statuses of the pixora program; scripts rely on them.
#pragma once

namespace pixora::cli {

inline constexpr int kExitSuccess = 0;
// The library refused or failed a request; the message names the error code.
inline constexpr int kExitFailure = 1;
// The command line could not be understood (unknown command, option, value or format).
inline constexpr int kExitUsage = 2;
// Stopped by a signal before the requested end: 128 + the signal's number, as shells report
// it; 130 for Ctrl-C (SIGINT), 143 for SIGTERM (see InterruptedStatus()).
inline constexpr int kExitSignalBase = 128;
inline constexpr int kExitInterrupted = 130;

}  // namespace pixora::cli
