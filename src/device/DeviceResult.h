// Result codes of the device layer. They are a set of their own, separate from the error
// codes the camera session reports to applications; the session translates them.
#pragma once

#include <cstdint>

namespace pixora {

enum DeviceResult : int32_t {
    kDevOk = 0,
    kDevTooFewSlots = 1,      // fewer than two ring slots requested
    kDevBadHorizontal = 3,    // pitch, width or column offset impossible
    kDevBadVertical = 4,      // total lines, height or line offset impossible
    kDevNoMemory = 7,         // a buffer (or a worker thread) could not be had
    kDevOpenFailed = 10,      // the device path did not open
    kDevCommandFailed = 12,   // a command or reply block did not move whole
    kDevNoBuffer = 14,        // nothing to copy from or to
    kDevTransferFailed = 19,  // an image transfer failed or came short
    kDevBusy = 21,            // a capture or a stream is already running
    kDevBadIndex = 22,        // device index outside 0..7
};

// Results of the pipe transfer primitive.
enum PipeResult : int32_t {
    kPipeOk = 0,
    kPipeRequestFailed = -1,
    kPipeNoBuffer = -2,
    kPipeNoHandle = -3,
};

}  // namespace pixora
