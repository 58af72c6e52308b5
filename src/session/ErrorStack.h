// The per-session stack of the 20 most recent error codes. Workers record while the
// application pops, so both sides take the lock.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "PixoraSdk_530TZ.h"

namespace pixora {

enum class ErrorCode : int32_t {
    None = 0,
    NoDevice = 1,
    DeviceNotFound = 2,
    ThreadFailed = 3,
    WindowFailed = 4,
    BufferError = 5,
    DeviceIoFailed = 6,
    BadGeometry = 7,
    TransferFailed = 8,
    BadArgument = 9,
    NotSupported = 11,
    StreamFailed = 13,
};

class ErrorStack {
public:
    static constexpr int kDepth = 20;

    // The window that receives an error message for every recorded code (may be null).
    void SetErrorWindow(PIXORA_HWND window) { errorWindow_.store(window); }
    PIXORA_HWND ErrorWindow() const { return errorWindow_.load(); }

    // Pushes the code (the oldest of 20 falls off) and posts the error message.
    void Record(ErrorCode code);
    // Removes and returns the most recent code; 0 when empty.
    int32_t Pop();

    // The system's reason for the last failure that had one ("cannot create 'x': ...");
    // empty when there is none. Kept apart from the codes: popping does not clear it.
    void SetDetail(std::string detail);
    std::string Detail() const;
    // The detail, or `other` (the driver's reason of a failure at `when`) when that is newer.
    std::string NewerDetail(std::chrono::steady_clock::time_point when,
                            const std::string& other) const;

private:
    mutable std::mutex mutex_;
    std::string detail_;
    std::chrono::steady_clock::time_point detailWhen_{};
    std::array<int32_t, kDepth> entries_{};
    std::atomic<PIXORA_HWND> errorWindow_{nullptr};
};

}  // namespace pixora
