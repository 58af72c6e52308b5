// The buffers of one frame-queue stream and the frames waiting in them. The stream's worker
// claims a buffer, fills it and publishes it; the application takes the oldest published
// frame, holds its buffer as long as it likes, and gives it back. A held buffer is never
// claimed, so a frame is never rewritten while the application holds it.
//
// The queue is shared: the capture machinery holds it while the stream is open, and each
// lent buffer holds it (FrameLeases), so a held buffer stays valid after the stream stopped,
// failed or its camera was released. Buffers nobody holds are freed when the stream ends,
// a held one when it comes back.
//
// Threads: the producer, any number of takers and the returners meet under one mutex.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "session/ArrivalRate.h"

namespace pixora {

// What happens to a frame that finds every buffer held or queued.
enum class DropPolicy : int32_t {
    Newest = 0,  // the frame that just arrived is dropped
    Oldest = 1,  // the oldest queued frame is dropped to make room for it
};

enum class StreamEnd : int32_t {
    Running = 0,
    Stopped = 1,   // closed or stopped by the application (or a change of camera)
    Failed = 2,    // the camera failed; the frames filled before are still taken
    Released = 3,  // the camera handle was released
};

// The geometry and kind of a stream's frames, fixed when it opens.
struct StreamShape {
    int32_t buffers = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;        // bytes from one row to the next
    int32_t bitsPerPixel = 0;  // of the buffers: 8..64; raw: 8 or 16
    int32_t colorModeBits = 0;
    bool raw = false;
    bool triggered = false;
    int32_t bayerPattern = 0;  // of a raw mosaic; 0 (none) for processed frames
    DropPolicy policy = DropPolicy::Newest;

    std::size_t Bytes() const {
        return static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    }
};

// What the producer knows of a frame it publishes.
struct QueuedMeta {
    uint64_t sequence = 0;     // the camera's frame number
    uint64_t timestampUs = 0;  // end of its transfer, monotonic microseconds
    int32_t exposure = 0;
    int32_t gain = 0;
    int32_t whiteBalance[3] = {0, 0, 0};  // red, green, blue, percent
};

struct TakenFrame {
    int32_t index = -1;
    uint8_t* pixels = nullptr;
    QueuedMeta meta;
    // Frames the camera sent since the previously taken one (or the stream's start) that
    // were not taken.
    int32_t dropped = 0;
};

struct QueueCounts {
    int32_t queued = 0;
    int32_t held = 0;
    uint64_t dropped = 0;  // frames this queue gave up: no room, or still queued at a stop
    int32_t framesPerSecondMilli = 0;
};

class FrameQueue {
public:
    // Buffer memory is aligned for the widest vector instructions.
    static constexpr std::size_t kAlignment = 64;

    // `shape.buffers` buffers of shape.Bytes() each; frames numbered above `firstSequence`
    // belong to the stream. Null when the memory cannot be had.
    static std::shared_ptr<FrameQueue> Create(const StreamShape& shape, uint64_t firstSequence);
    ~FrameQueue();
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    const StreamShape& Shape() const { return shape_; }
    // When the queue was made: its stream's start.
    std::chrono::steady_clock::time_point Opened() const { return opened_; }

    // --- The producer -------------------------------------------------------------------
    // A frame of the camera reached the stream (whether it gets a buffer or not).
    void Arrived(uint64_t sequence, uint64_t timestampUs);
    // A buffer to fill with the frame that just arrived: a free one; else, by the policy,
    // the buffer of the oldest queued frame, which is dropped. -1 when the arriving frame is
    // dropped instead (no room, or the stream has ended). Each drop is counted.
    int32_t Claim();
    // The pixels of a claimed (or taken) buffer.
    uint8_t* Pixels(int32_t index) const;
    // The claimed buffer holds its frame: queued behind the others, takers woken. After a
    // stop or the release the frame is dropped instead (counted).
    void Publish(int32_t index, const QueuedMeta& meta);
    // The claimed buffer could not be filled: free again.
    void Unclaim(int32_t index);
    // Ends the stream and wakes every taker. Stopped and Released drop the frames still
    // queued (counted); Failed keeps them for the takers. Buffers nobody holds are freed
    // once no frame is left in them. The first reason stays; a later call only drops.
    void End(StreamEnd why);

    // --- The application ----------------------------------------------------------------
    enum class Take { Frame, TimedOut, Ended };
    // The oldest queued frame, now held (Frame); else waits up to timeoutMs (< 0: without
    // limit) for one, or until the stream ends (Ended, with the reason in *why).
    Take TakeOldest(int64_t timeoutMs, TakenFrame* frame, StreamEnd* why);
    // A held buffer comes back: free again, or freed when the stream has ended. False for a
    // buffer that was not held.
    bool GiveBack(int32_t index);

    StreamEnd Ended() const;
    QueueCounts Counts() const;

private:
    enum class Slot { Free, Filling, Queued, Held };
    struct AlignedFree {
        void operator()(uint8_t* block) const {
            ::operator delete[](block, std::align_val_t(kAlignment));
        }
    };
    using Block = std::unique_ptr<uint8_t[], AlignedFree>;

    explicit FrameQueue(const StreamShape& shape, uint64_t firstSequence);
    // Frees the memory of every buffer nobody needs any more (the stream has ended).
    void FreeIdleLocked();

    const StreamShape shape_;
    const std::chrono::steady_clock::time_point opened_ = std::chrono::steady_clock::now();
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Block> memory_;
    std::vector<Slot> slots_;
    std::vector<QueuedMeta> metas_;
    std::deque<int32_t> queued_;  // oldest first
    int32_t held_ = 0;
    uint64_t dropped_ = 0;
    uint64_t lastTaken_;
    StreamEnd end_ = StreamEnd::Running;
    ArrivalRate rate_;
};

}  // namespace pixora
