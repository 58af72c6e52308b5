// The words the session and its capture machinery share: capture states, where frames go,
// the roles of the images and the frame counts.
#pragma once

#include <cstdint>

#include "PixoraSdk_530TZ.h"

namespace pixora {

enum class CaptureState : int32_t { Idle = 0, Preview = 1, Capture = 2, Trigger = 3 };

// Where delivered frames go: the callback window and the caller's buffer.
struct FrameTarget {
    PIXORA_HWND window = nullptr;
    void* buffer = nullptr;
    int32_t size = 0;
    int32_t rowOrder = 0;
};

// The session's eight images, by role.
enum class ImageRole : int {
    Raw8 = 0,
    Raw16 = 1,
    Out24 = 2,
    Out32 = 3,
    Out48 = 4,
    Out64 = 5,
    Work = 6,
    Display = 7,
};
inline constexpr int kImageCount = 8;

// What a frame-queue stream is opened with.
struct StreamRequest {
    int32_t buffers = 4;
    bool triggered = false;
    bool raw = false;
    bool dropOldest = false;
};

// The session's frames so far: every frame the camera sent ends up in one of these.
struct FrameCounts {
    uint64_t delivered = 0;  // handed out: announced, copied, kept for GetImage, or taken
    uint64_t dropped = 0;    // whole, but a newer frame was taken instead, a queue had no room
                             // for it, or a stop left it
    uint64_t failed = 0;     // lost in transfer, or not convertible or copyable
};

}  // namespace pixora
