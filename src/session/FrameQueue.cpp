#include "session/FrameQueue.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>

namespace pixora {

std::shared_ptr<FrameQueue> FrameQueue::Create(const StreamShape& shape, uint64_t firstSequence) {
    if (shape.buffers <= 0 || shape.Bytes() == 0)
        return nullptr;
    std::shared_ptr<FrameQueue> queue(new (std::nothrow) FrameQueue(shape, firstSequence));
    if (!queue)
        return nullptr;
    try {
        queue->memory_.reserve(static_cast<std::size_t>(shape.buffers));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    for (int32_t i = 0; i < shape.buffers; ++i) {
        auto* block = static_cast<uint8_t*>(
            ::operator new[](shape.Bytes(), std::align_val_t(kAlignment), std::nothrow));
        if (block == nullptr)
            return nullptr;
        // Zeroed as the library's other images are: a byte that a mode's chain does not write
        // must not hand the application old heap contents.
        std::memset(block, 0, shape.Bytes());
        queue->memory_.emplace_back(block);
    }
    return queue;
}

FrameQueue::FrameQueue(const StreamShape& shape, uint64_t firstSequence)
    : shape_(shape),
      slots_(static_cast<std::size_t>(shape.buffers), Slot::Free),
      metas_(static_cast<std::size_t>(shape.buffers)),
      lastTaken_(firstSequence) {}

FrameQueue::~FrameQueue() = default;

void FrameQueue::Arrived(uint64_t sequence, uint64_t timestampUs) {
    if (sequence == 0)
        return;  // no frame of the camera's: nothing was taken from the ring
    std::lock_guard lock(mutex_);
    rate_.Arrived(sequence, timestampUs);
}

int32_t FrameQueue::Claim() {
    std::lock_guard lock(mutex_);
    if (end_ == StreamEnd::Running) {
        const auto free = std::find(slots_.begin(), slots_.end(), Slot::Free);
        if (free != slots_.end()) {
            *free = Slot::Filling;
            return static_cast<int32_t>(free - slots_.begin());
        }
        if (shape_.policy == DropPolicy::Oldest && !queued_.empty()) {
            const int32_t oldest = queued_.front();
            queued_.pop_front();
            slots_[static_cast<std::size_t>(oldest)] = Slot::Filling;
            ++dropped_;
            return oldest;
        }
    }
    ++dropped_;
    return -1;
}

uint8_t* FrameQueue::Pixels(int32_t index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= shape_.buffers)
        return nullptr;
    return memory_[static_cast<std::size_t>(index)].get();
}

void FrameQueue::Publish(int32_t index, const QueuedMeta& meta) {
    {
        std::lock_guard lock(mutex_);
        if (index < 0 || index >= shape_.buffers ||
            slots_[static_cast<std::size_t>(index)] != Slot::Filling)
            return;
        if (end_ == StreamEnd::Stopped || end_ == StreamEnd::Released) {
            // Filled as the stream was being stopped: nobody is going to take it.
            slots_[static_cast<std::size_t>(index)] = Slot::Free;
            ++dropped_;
            FreeIdleLocked();
            return;
        }
        metas_[static_cast<std::size_t>(index)] = meta;
        slots_[static_cast<std::size_t>(index)] = Slot::Queued;
        queued_.push_back(index);
    }
    changed_.notify_all();
}

void FrameQueue::Unclaim(int32_t index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= shape_.buffers ||
        slots_[static_cast<std::size_t>(index)] != Slot::Filling)
        return;
    slots_[static_cast<std::size_t>(index)] = Slot::Free;
    if (end_ != StreamEnd::Running)
        FreeIdleLocked();
}

void FrameQueue::End(StreamEnd why) {
    {
        std::lock_guard lock(mutex_);
        if (end_ == StreamEnd::Running)
            end_ = why;
        if (why != StreamEnd::Failed) {
            // Nobody is going to take these.
            dropped_ += queued_.size();
            for (const int32_t index : queued_)
                slots_[static_cast<std::size_t>(index)] = Slot::Free;
            queued_.clear();
        }
        FreeIdleLocked();
    }
    changed_.notify_all();
}

void FrameQueue::FreeIdleLocked() {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i] == Slot::Free)
            memory_[i].reset();
    }
}

FrameQueue::Take FrameQueue::TakeOldest(int64_t timeoutMs, TakenFrame* frame, StreamEnd* why) {
    std::unique_lock lock(mutex_);
    const auto ready = [&] { return !queued_.empty() || end_ != StreamEnd::Running; };
    if (timeoutMs < 0) {
        changed_.wait(lock, ready);
    } else {
        changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
    if (!queued_.empty()) {
        const int32_t index = queued_.front();
        queued_.pop_front();
        slots_[static_cast<std::size_t>(index)] = Slot::Held;
        ++held_;
        const QueuedMeta& meta = metas_[static_cast<std::size_t>(index)];
        frame->index = index;
        frame->pixels = memory_[static_cast<std::size_t>(index)].get();
        frame->meta = meta;
        const uint64_t gap = meta.sequence > lastTaken_ ? meta.sequence - lastTaken_ - 1 : 0;
        frame->dropped = static_cast<int32_t>(std::min<uint64_t>(gap, INT32_MAX));
        lastTaken_ = std::max(lastTaken_, meta.sequence);
        return Take::Frame;
    }
    if (end_ != StreamEnd::Running) {
        if (why != nullptr)
            *why = end_;
        return Take::Ended;
    }
    return Take::TimedOut;
}

bool FrameQueue::GiveBack(int32_t index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= shape_.buffers ||
        slots_[static_cast<std::size_t>(index)] != Slot::Held)
        return false;
    slots_[static_cast<std::size_t>(index)] = Slot::Free;
    --held_;
    if (end_ != StreamEnd::Running)
        FreeIdleLocked();
    return true;
}

StreamEnd FrameQueue::Ended() const {
    std::lock_guard lock(mutex_);
    return end_;
}

QueueCounts FrameQueue::Counts() const {
    std::lock_guard lock(mutex_);
    QueueCounts counts;
    counts.queued = static_cast<int32_t>(queued_.size());
    counts.held = held_;
    counts.dropped = dropped_;
    counts.framesPerSecondMilli = shape_.triggered ? 0 : rate_.FramesPerSecondMilli();
    return counts;
}

}  // namespace pixora
