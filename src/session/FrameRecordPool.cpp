#include "session/FrameRecordPool.h"

namespace pixora {

void FrameRecord::SetMeta(const FrameMeta& meta) {
    sequence.store(meta.sequence, std::memory_order_relaxed);
    timestampUs.store(meta.timestampUs, std::memory_order_relaxed);
    dropped.store(meta.dropped, std::memory_order_relaxed);
}

FrameMeta FrameRecord::Meta() const {
    FrameMeta meta;
    meta.sequence = sequence.load(std::memory_order_relaxed);
    meta.timestampUs = timestampUs.load(std::memory_order_relaxed);
    meta.dropped = dropped.load(std::memory_order_relaxed);
    return meta;
}

FrameRecord& FrameRecordBlock::Next() {
    FrameRecord& record = records_[static_cast<std::size_t>(next_)];
    next_ = (next_ + 1) % kFrameRecords;
    return record;
}

const FrameRecord* FrameRecordBlock::Find(const void* info) const {
    // Compared as addresses only: `info` may point anywhere at all.
    const auto address = reinterpret_cast<std::uintptr_t>(info);
    for (const FrameRecord& record : records_) {
        if (reinterpret_cast<std::uintptr_t>(&record.info) == address)
            return &record;
    }
    return nullptr;
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

bool FrameRecordPool::MetaOf(const void* info, FrameMeta* meta) const {
    std::lock_guard lock(mutex_);
    for (const auto& block : blocks_) {
        if (const FrameRecord* record = block->Find(info)) {
            *meta = record->Meta();
            return true;
        }
    }
    return false;
}

}  // namespace pixora
