// The queue of one message window: what was posted to it and not yet read, at most
// kMessageQueueLimit messages. Every system's message windows keep their messages here.
//
// A post can come in two steps where the system carries the message (Windows: the post
// reserves a place, and the window's thread delivers the message when it takes it from the
// system's queue). A reader whose wait ends waits a little longer for messages already on
// their way, so that it sees what was posted before it asked, as with a direct post.
//
// Thread-safe: any thread may post, deliver, read or close.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

#include "PixoraPlatform.h"

namespace pixora {

class MessageQueue {
public:
    // Queues the message at once; false when the queue is closed or full.
    bool Post(const PixoraMessage& message);

    // The two-step post. Reserve counts a message on its way (false when closed or full);
    // Deliver ends a reservation (any that is open) and queues the message unless the
    // queue was closed or filled up meanwhile; CancelReservation ends one whose message
    // will never arrive.
    bool Reserve();
    void Deliver(const PixoraMessage& message);
    void CancelReservation();

    // 1 with the oldest message in *out, 0 when none came within timeoutMs (negative:
    // waits without end), -1 when the queue is or gets closed.
    int32_t Get(PixoraMessage* out, int32_t timeoutMs);
    // Messages queued or on their way.
    int32_t Pending();

    // Drops what is queued, wakes every reader (they get -1) and refuses later posts.
    void Close();

private:
    bool ReadyLocked() const { return closed_ || !messages_.empty(); }
    void EndReservationLocked();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<PixoraMessage> messages_;
    size_t inFlight_ = 0;  // reserved, not yet delivered
    bool closed_ = false;
};

}  // namespace pixora
