#include "simulator/RequestLog.h"

#include <algorithm>

namespace pixora {

void RequestLog::Append(const RequestRecord& record) {
    std::lock_guard lock(mutex_);
    if (capacity_ == 0) {
        ++dropped_;
        return;
    }
    while (records_.size() >= capacity_) {
        records_.pop_front();
        ++dropped_;
    }
    records_.push_back(record);
}

std::vector<RequestRecord> RequestLog::Records() const {
    std::vector<RequestRecord> copy;
    {
        std::lock_guard lock(mutex_);
        copy.assign(records_.begin(), records_.end());
    }
    // A frame read is recorded when it ends, after requests that arrived while it waited.
    std::stable_sort(copy.begin(), copy.end(), [](const RequestRecord& a, const RequestRecord& b) {
        return a.sequence < b.sequence;
    });
    return copy;
}

std::vector<DecodedCommand> RequestLog::Commands() const {
    std::vector<DecodedCommand> commands;
    for (const RequestRecord& record : Records()) {
        if (record.kind == RequestKind::Command && record.result) {
            commands.push_back(record.command);
        }
    }
    return commands;
}

void RequestLog::Clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
    dropped_ = 0;
}

size_t RequestLog::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

const char* RequestKindName(RequestKind kind) {
    switch (kind) {
        case RequestKind::Open:
            return "Open";
        case RequestKind::Close:
            return "Close";
        case RequestKind::Timeout:
            return "Timeout";
        case RequestKind::Command:
            return "Command";
        case RequestKind::Reply:
            return "Reply";
        case RequestKind::Frame:
            return "Frame";
        case RequestKind::Invalid:
            break;
    }
    return "Invalid";
}

const char* RequestOutcomeName(RequestOutcome outcome) {
    switch (outcome) {
        case RequestOutcome::Done:
            return "Done";
        case RequestOutcome::Rejected:
            return "Rejected";
        case RequestOutcome::NoDevice:
            return "NoDevice";
        case RequestOutcome::Injected:
            return "Injected";
        case RequestOutcome::TimedOut:
            return "TimedOut";
        case RequestOutcome::Overflow:
            return "Overflow";
        case RequestOutcome::Cancelled:
            return "Cancelled";
    }
    return "Done";
}

}  // namespace pixora
