// What a virtual camera received on the wire, kept so that tests can check the exact
// sequence of requests and what the camera made of each.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "simulator/CommandDecoder.h"

namespace pixora {

enum class RequestKind {
    Open,
    Close,
    Timeout,  // the 44-byte time-out request
    Command,  // a block on pipe 0
    Reply,    // a block read from pipe 1
    Frame,    // image data read from pipe 2
    Invalid,  // an unknown control code or pipe, or a code the pipe does not take
};

enum class RequestOutcome {
    Done,
    Rejected,   // malformed: missing buffer, wrong size, wrong code for the pipe
    NoDevice,   // the handle was closed or the camera is gone (absent, vanished, reset)
    Injected,   // an injected fault decided the answer
    TimedOut,   // no frame before the driver's time-out
    Overflow,   // the read buffer was smaller than the frame the camera sent
    Cancelled,  // the host cancelled the read while it waited
};

struct RequestRecord {
    uint64_t sequence = 0;  // bus-wide arrival order
    uintptr_t handle = 0;   // the driver handle's value (0 for a failed open)
    RequestKind kind = RequestKind::Invalid;
    uint32_t code = 0;
    int32_t pipe = -1;
    uint32_t inSize = 0;
    uint32_t outSize = 0;
    uint32_t bytesReturned = 0;
    bool result = false;
    RequestOutcome outcome = RequestOutcome::Done;
    // Command: the block sent; Reply: the bytes returned; Timeout: the request's bytes.
    uint32_t blockSize = 0;
    std::array<uint8_t, 64> block{};
    // Command carried out by the camera (result true).
    DecodedCommand command;
    // Frame: the sequence number the camera gave the frame (0 when none was sent).
    uint64_t frameSequence = 0;
};

// Thread-safe, bounded: when full the oldest records go first.
class RequestLog {
public:
    static constexpr size_t kDefaultCapacity = 16384;

    explicit RequestLog(size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    void Append(const RequestRecord& record);
    // Records in arrival order.
    std::vector<RequestRecord> Records() const;
    // The commands the camera carried out, in arrival order.
    std::vector<DecodedCommand> Commands() const;
    void Clear();
    size_t Dropped() const;

private:
    mutable std::mutex mutex_;
    size_t capacity_;
    std::deque<RequestRecord> records_;
    size_t dropped_ = 0;
};

const char* RequestKindName(RequestKind kind);
const char* RequestOutcomeName(RequestOutcome outcome);

}  // namespace pixora
