// The frame records whose addresses travel in frame messages. An application may read a
// record long after its frame, even after the session that wrote it was released, so the
// memory of a record is never given back: a released session's block of records returns to
// the pool and serves the next session.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "PixoraSdk_530TZ.h"

namespace pixora {

// One session's records, used in turn: each delivered frame's record stays untouched for
// the next kFrameRecords - 1 frames, so an application reading it late is not raced.
class FrameRecordBlock {
public:
    static constexpr int kFrameRecords = 64;
    // The record for the next frame (the worker's alone until it is posted).
    PixoraFrameInfo& Next();

private:
    std::array<PixoraFrameInfo, kFrameRecords> records_{};
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

    PixoraFrameInfo& Next() { return block_->Next(); }

private:
    FrameRecordBlock* block_;
};

}  // namespace pixora
