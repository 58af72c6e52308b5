// A message window that receives the frame messages of callback preview and trigger mode.
#pragma once

#include <cstdint>
#include <optional>

#include "PixoraExtensions.h"
#include "PixoraPlatform.h"

namespace pixora::cli {

struct FrameEvent {
    bool delivered = false;  // a frame was handed over (else a frame failed)
    int32_t errorCode = 0;   // the code of a failed frame
    PixoraFrameInfo info{};  // copy of the frame's record, for a delivered frame
    PixoraFrameMeta meta{};  // its number, time and the frames dropped before it
};

class FrameWindow {
public:
    FrameWindow() : window_(PixoraMsg_CreateWindow()) {}
    ~FrameWindow() { PixoraMsg_DestroyWindow(window_); }
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    PIXORA_HWND Handle() const { return window_; }
    // The next frame message, waiting up to `timeoutMs`; empty on time-out.
    std::optional<FrameEvent> Next(int32_t timeoutMs);

private:
    PIXORA_HWND window_;
};

}  // namespace pixora::cli
