#include "platform/MessageQueue.h"

#include <chrono>

#include "platform/MessageWindow.h"

namespace pixora {

namespace {

// How long a reader whose wait ended waits on for messages already on their way.
constexpr auto kInFlightGrace = std::chrono::seconds(2);

}  // namespace

bool MessageQueue::Post(const PixoraMessage& message) {
    {
        std::lock_guard lock(mutex_);
        if (closed_ || messages_.size() + inFlight_ >= kMessageQueueLimit)
            return false;
        messages_.push_back(message);
    }
    changed_.notify_one();
    return true;
}

bool MessageQueue::Reserve() {
    std::lock_guard lock(mutex_);
    if (closed_ || messages_.size() + inFlight_ >= kMessageQueueLimit)
        return false;
    ++inFlight_;
    return true;
}

void MessageQueue::EndReservationLocked() {
    if (inFlight_ > 0)
        --inFlight_;
}

void MessageQueue::Deliver(const PixoraMessage& message) {
    {
        std::lock_guard lock(mutex_);
        EndReservationLocked();
        if (!closed_ && messages_.size() < kMessageQueueLimit)
            messages_.push_back(message);
    }
    // Every reader: one may be waiting for a message, another for the last one on its way.
    changed_.notify_all();
}

void MessageQueue::CancelReservation() {
    {
        std::lock_guard lock(mutex_);
        EndReservationLocked();
    }
    changed_.notify_all();
}

int32_t MessageQueue::Get(PixoraMessage* out, int32_t timeoutMs) {
    std::unique_lock lock(mutex_);
    auto ready = [this] { return ReadyLocked(); };
    if (timeoutMs < 0) {
        changed_.wait(lock, ready);
    } else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        changed_.wait_for(lock, kInFlightGrace, [this] { return ReadyLocked() || inFlight_ == 0; });
        if (!ReadyLocked())
            return 0;
    }
    if (closed_)
        return -1;
    *out = messages_.front();
    messages_.pop_front();
    return 1;
}

int32_t MessageQueue::Pending() {
    std::lock_guard lock(mutex_);
    return static_cast<int32_t>(messages_.size() + inFlight_);
}

void MessageQueue::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        messages_.clear();
    }
    changed_.notify_all();
}

}  // namespace pixora
