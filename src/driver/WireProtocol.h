// The camera's wire protocol, written once for every port and for the virtual camera: device
// paths, the kernel driver's control codes, the three pipes, block sizes, command numbers,
// the layout of a transferred frame and the register classes.
#pragma once

#include <cstdint>

namespace pixora::wire {

inline constexpr int kCameraSlots = 8;
inline constexpr const char* kDeviceBaseName = "Qvo530TZ";
inline constexpr char kDevicePathPrefix[] = "\\\\.\\Qvo530TZ-";

// Control codes of the kernel driver: device type 0x22 (unknown), any access. Pipe transfers
// come in a primary and a secondary pair; which code of a pair an operation uses is fixed by
// the protocol, not by the direction of the data.
inline constexpr uint32_t kCodePipeFirst = 0x22204E;      // 0x813, out direct
inline constexpr uint32_t kCodePipeSecond = 0x222051;     // 0x814, in direct
inline constexpr uint32_t kCodePipeFirstAlt = 0x2220A6;   // 0x829, out direct
inline constexpr uint32_t kCodePipeSecondAlt = 0x2220A9;  // 0x82A, in direct
inline constexpr uint32_t kCodeSetTimeout = 0x2220A0;     // 0x828, buffered

// Pipes: 0 host to camera (command blocks), 1 camera to host (reply blocks), 2 camera to
// host (image data, one whole frame per request).
inline constexpr uint32_t kPipeCommand = 0;
inline constexpr uint32_t kPipeReply = 1;
inline constexpr uint32_t kPipeImage = 2;
inline constexpr uint32_t kPipeCount = 3;

inline constexpr uint32_t kBlockSize = 64;
inline constexpr uint32_t kPipeRequestSize = 4;
inline constexpr uint32_t kTimeoutRequestSize = 44;

inline constexpr uint8_t kCmdRequestFrame = 2;
inline constexpr uint8_t kCmdWriteRegister = 4;
inline constexpr uint8_t kCmdInitDevice = 6;
inline constexpr uint8_t kCmdSetTransferSize = 9;
inline constexpr uint8_t kCmdSetSampleWidth = 10;
inline constexpr uint8_t kCmdSetClock = 35;
inline constexpr uint8_t kCmdQueryClock = 36;
inline constexpr uint8_t kCmdSetTrigger = 40;

// Frame layout: lines of kLinePitch samples; the sensor image starts at kActiveLine,
// kActiveColumn.
inline constexpr uint32_t kLinePitch = 1791;
inline constexpr uint32_t kActiveColumn = 424;
inline constexpr uint32_t kActiveLine = 14;
inline constexpr uint32_t kTotalLines = 1060;
inline constexpr uint32_t kSensorWidth = 1360;
inline constexpr uint32_t kSensorHeight = 1024;
// Samples of a full-sensor transfer: whole lines up to the end of the image, rounded up to
// a multiple of 1024. The camera starts with it until the host sets its own.
inline constexpr uint32_t kDefaultTransferSamples =
    (kLinePitch * (kActiveLine + kSensorHeight) + 1023) / 1024 * 1024;
// Largest transfer the camera's frame memory accepts (samples).
inline constexpr uint32_t kMaxTransferSamples = 8u * 1024u * 1024u;

// Registers: 10-bit addresses; 192..255 and 1024 and above do not exist.
inline constexpr uint32_t kRegisterCount = 1024;
inline constexpr uint32_t kRegGainLow = 6;
inline constexpr uint32_t kRegGainHigh = 7;
inline constexpr uint32_t kRegExposureLow = 158;
inline constexpr uint32_t kRegExposureHigh = 159;
// The sensor's first column and row to read out, 12 bits each over two registers.
inline constexpr uint32_t kRegColumnStartLow = 164;
inline constexpr uint32_t kRegColumnStartHigh = 165;
inline constexpr uint32_t kRegRowStartLow = 166;
inline constexpr uint32_t kRegRowStartHigh = 167;

// Value bits of a register (6, 16 or 22), 0 when the register does not exist.
constexpr uint32_t RegisterValueBits(uint32_t address) {
    if (address < 192) {
        return 6;
    }
    if (address < 256) {
        return 0;
    }
    if (address < 384) {
        return 16;
    }
    if (address < kRegisterCount) {
        return 22;
    }
    return 0;
}

}  // namespace pixora::wire
