// The frame records whose addresses travel in frame messages. An application may read a
// record long after its frame, even after the session that wrote it was released, so the
// memory of a record is never given back: a released session's block of records returns to
// the pool and serves the next session. Beside each record lies what the library knows of
// the frame (its number, time and the frames missed before it), found from the record's
// address.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "PixoraSdk_530TZ.h"

namespace pixora {

// What the library knows of one delivered frame.
struct FrameMeta {
    uint64_t sequence = 0;     // the camera's frame number (the device counts them)
    uint64_t timestampUs = 0;  // monotonic microseconds at the end of its transfer
    int32_t dropped = 0;       // frames since the previous delivered one, not delivered
};

// A record and its frame's meta. The record comes first: its address is the message's.
struct FrameRecord {
    PixoraFrameInfo info{};
    // Written by the worker, read by any application thread through the record's address.
    std::atomic<uint64_t> sequence{0};
    std::atomic<uint64_t> timestampUs{0};
    std::atomic<int32_t> dropped{0};

    void SetMeta(const FrameMeta& meta);
    FrameMeta Meta() const;
};

// One session's records, used in turn: each delivered frame's record stays untouched for
// the next kFrameRecords - 1 frames, so an application reading it late is not raced.
class FrameRecordBlock {
public:
    static constexpr int kFrameRecords = 64;
    // The record for the next frame (the worker's alone until it is posted).
    FrameRecord& Next();
    // The record whose info lies at `info`, or null when it is none of this block's.
    const FrameRecord* Find(const void* info) const;

private:
    std::array<FrameRecord, kFrameRecords> records_{};
    int next_ = 0;
};

class FrameRecordPool {
public:
    // The pool of the process; never destroyed.
    static FrameRecordPool& Process();

    // A free block, or a new one.
    FrameRecordBlock* Take();
    void GiveBack(FrameRecordBlock* block);
    // Blocks made so far (free or in use).
    std::size_t BlockCount() const;
    // The meta of the frame whose record lies at `info`; false when `info` is no record of
    // any session (then *meta is untouched).
    bool MetaOf(const void* info, FrameMeta* meta) const;

private:
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<FrameRecordBlock>> blocks_;
    std::vector<FrameRecordBlock*> free_;
};

// A session's hold on one block, given back to the process pool when the session ends.
class FrameRecordLease {
public:
    FrameRecordLease() : block_(FrameRecordPool::Process().Take()) {}
    ~FrameRecordLease() { FrameRecordPool::Process().GiveBack(block_); }
    FrameRecordLease(const FrameRecordLease&) = delete;
    FrameRecordLease& operator=(const FrameRecordLease&) = delete;

    FrameRecord& Next() { return block_->Next(); }

private:
    FrameRecordBlock* block_;
};

}  // namespace pixora
