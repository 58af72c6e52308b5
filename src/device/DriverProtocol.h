// The driver's wire protocol: device paths, control codes, pipes, block sizes and the
// command numbers of the 64-byte command block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pixora {

inline constexpr const char* kDeviceBaseName = "Qvo530TZ";
inline constexpr int32_t kDeviceIndexCount = 8;

// Device type 0x22 (unknown), any access; function and transfer method below.
inline constexpr uint32_t kCodePipePrimaryFirst = 0x22204E;     // 0x813, out direct
inline constexpr uint32_t kCodePipePrimarySecond = 0x222051;    // 0x814, in direct
inline constexpr uint32_t kCodePipeSecondaryFirst = 0x2220A6;   // 0x829, out direct
inline constexpr uint32_t kCodePipeSecondarySecond = 0x2220A9;  // 0x82A, in direct
inline constexpr uint32_t kCodeSetTimeout = 0x2220A0;           // 0x828, buffered

inline constexpr uint32_t kPipeCommand = 0;
inline constexpr uint32_t kPipeReply = 1;
inline constexpr uint32_t kPipeImage = 2;

inline constexpr std::size_t kBlockSize = 64;
inline constexpr std::size_t kTimeoutRequestSize = 44;

enum Command : uint8_t {
    kCmdRequestFrame = 2,
    kCmdWriteRegister = 4,
    kCmdInitDevice = 6,
    kCmdSetTransferSize = 9,
    kCmdSetSampleWidth = 10,
    kCmdSetClock = 35,
    kCmdQueryClock = 36,
    kCmdSetTrigger = 40,
};

}  // namespace pixora
