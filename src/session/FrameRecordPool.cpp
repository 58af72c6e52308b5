#include "session/FrameRecordPool.h"

namespace pixora {

PixoraFrameInfo& FrameRecordBlock::Next() {
    PixoraFrameInfo& record = records_[static_cast<std::size_t>(next_)];
    next_ = (next_ + 1) % kFrameRecords;
    return record;
}

FrameRecordPool& FrameRecordPool::Process() {
    // Never destroyed: messages posted before the process ends may still be read.
    static FrameRecordPool* pool = new FrameRecordPool;
    return *pool;
}

FrameRecordBlock* FrameRecordPool::Take() {
    std::lock_guard lock(mutex_);
    if (!free_.empty()) {
        FrameRecordBlock* block = free_.back();
        free_.pop_back();
        return block;
    }
    blocks_.push_back(std::make_unique<FrameRecordBlock>());
    return blocks_.back().get();
}

void FrameRecordPool::GiveBack(FrameRecordBlock* block) {
    if (block == nullptr)
        return;
    std::lock_guard lock(mutex_);
    free_.push_back(block);
}

std::size_t FrameRecordPool::BlockCount() const {
    std::lock_guard lock(mutex_);
    return blocks_.size();
}

}  // namespace pixora
