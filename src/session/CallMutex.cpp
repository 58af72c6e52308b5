#include "session/CallMutex.h"

namespace pixora {

void CallMutex::lock() {
    std::unique_lock lock(mutex_);
    const std::thread::id self = std::this_thread::get_id();
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return;
    }
    const uint64_t ticket = nextTicket_++;
    turn_.wait(lock, [&] { return serving_ == ticket; });
    owner_ = self;
    depth_ = 1;
}

bool CallMutex::try_lock() {
    std::lock_guard lock(mutex_);
    const std::thread::id self = std::this_thread::get_id();
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return true;
    }
    if (depth_ > 0 || serving_ != nextTicket_)
        return false;
    ++nextTicket_;
    owner_ = self;
    depth_ = 1;
    return true;
}

void CallMutex::unlock() {
    {
        std::lock_guard lock(mutex_);
        if (--depth_ > 0)
            return;
        owner_ = std::thread::id();
        ++serving_;
    }
    // Every waiter looks whether it holds the next number; a call has few waiters.
    turn_.notify_all();
}

int CallMutex::Waiting() {
    std::lock_guard lock(mutex_);
    const uint64_t queued = nextTicket_ - serving_;
    return static_cast<int>(depth_ > 0 ? queued - 1 : queued);
}

}  // namespace pixora
